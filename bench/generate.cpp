// Writes a deterministic quartz.dat and PT.dat for benchmarks.
//   generate <points> <directory> [--crlf] [--seed N]
// Numbers come in the forms people write: integers, decimals with one to
// five places, E, D and Q exponents, sign-only exponents, comma separators.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string number(std::mt19937_64& random, double value) {
    char text[64];
    switch (random() % 8) {
        case 0: std::snprintf(text, sizeof text, "%" PRId64, static_cast<std::int64_t>(value)); break;
        case 1: std::snprintf(text, sizeof text, "%.1f", value); break;
        case 2: std::snprintf(text, sizeof text, "%.2f", value); break;
        case 3: std::snprintf(text, sizeof text, "%.3f", value); break;
        case 4: std::snprintf(text, sizeof text, "%.5f", value); break;
        case 5: std::snprintf(text, sizeof text, "%.4E", value); break;
        case 6: {  // D exponent, or Q for some of them
            std::snprintf(text, sizeof text, "%.3E", value);
            if (char* e = std::strchr(text, 'E')) *e = text[e - text - 1] < '3' ? 'Q' : 'D';
            break;
        }
        default: {  // sign-only exponent: 1.2345+2
            std::snprintf(text, sizeof text, "%.4E", value);
            if (char* e = std::strchr(text, 'E')) std::memmove(e, e + 1, std::strlen(e));
            break;
        }
    }
    return text;
}

bool write_file(const std::string& path, const std::string& text) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: generate <points> <directory> [--crlf] [--seed N]\n");
        return 2;
    }
    const long long points = std::atoll(argv[1]);
    const std::string dir = argv[2];
    bool crlf = false;
    unsigned long long seed = 1994;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--crlf") == 0) crlf = true;
        if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
    }
    const char* eol = crlf ? "\r\n" : "\n";
    std::mt19937_64 random(seed);

    std::string table;
    for (int I = 1; I <= 37; ++I) {
        for (int J = 1; J <= 36; ++J) {
            double value = -4.0 + 0.01 * J - 0.002 * I + static_cast<double>(random() % 1000) / 1e5;
            table += number(random, value);
            table += (J == 36) ? eol : (J % 12 == 0 ? std::string(eol) : std::string(random() % 3 ? " " : ", "));
        }
    }
    if (!write_file(dir + "/quartz.dat", table)) return 1;

    std::uniform_real_distribution<double> pressure(1.0, 5500.0);
    std::uniform_real_distribution<double> temperature(0.0, 650.0);
    FILE* out = std::fopen((dir + "/PT.dat").c_str(), "wb");
    if (out == nullptr) return 1;
    std::string line;
    for (long long i = 0; i < points; ++i) {
        line = number(random, pressure(random));
        line += (random() % 4 == 0) ? ", " : " ";
        line += number(random, temperature(random));
        line += eol;
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
