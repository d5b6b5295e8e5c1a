#include "support/cases.h"

#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace logk::testing {

std::vector<CaseRow> case_rows() {
    std::ifstream file(std::string(LOGK_SOURCE_DIR) + "/tests/cases/cases.txt");
    if (!file) throw std::runtime_error("tests/cases/cases.txt cannot be read");
    std::vector<CaseRow> rows;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        CaseRow row{number, {}};
        for (std::string word; words >> word;) row.fields.push_back(word);
        rows.push_back(std::move(row));
    }
    return rows;
}

double from_bits(const std::string& hex) {
    if (hex.size() != 16) throw std::invalid_argument("a double's bits are 16 hex digits: " + hex);
    return std::bit_cast<double>(static_cast<std::uint64_t>(std::stoull(hex, nullptr, 16)));
}

std::string bits_of(double x) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(x)));
    return text;
}

std::vector<double> hex_values(const std::string& path) {
    std::ifstream file(std::string(LOGK_SOURCE_DIR) + "/" + path);
    std::vector<double> values;
    for (std::string hex; file >> hex;) values.push_back(from_bits(hex));
    return values;
}

}  // namespace logk::testing
