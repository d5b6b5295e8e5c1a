// Arbitrary bytes as a table file that names its own nodes. The look at its
// form consumes nothing: the records afterwards are those of a file never
// looked at, and the table read after the look is the one read without it,
// whatever the buffer. A table read satisfies the form's rules; a refusal
// is a message the reader can raise, with a place and words.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "reader/grid_file.h"
#include "reader/input_file.h"

namespace {

int memory_file(const std::uint8_t* data, std::size_t size) {
    int fd = ::memfd_create("fuzz", 0);
    if (fd < 0) std::abort();
    for (std::size_t done = 0; done < size;) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<std::size_t>(n);
    }
    return fd;
}

// The form by the whole text at once, for the look through a small buffer.
bool grid_form(const std::uint8_t* p, const std::uint8_t* end) {
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || (*p == '\r' && p + 1 != end && p[1] == '\n'))) ++p;
    if (p == end) return false;
    const char c = static_cast<char>(*p);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return c == '#' || (letter && c != 'T' && c != 't' && c != 'F' && c != 'f');
}

std::string records(int fd, std::size_t buffer, int look) {
    ::lseek(fd, 0, SEEK_SET);
    logk::InputFile file(fd, 11, "/fuzz/file", buffer);
    if (look >= 0) {
        logk::RecordResult failure{logk::RecordResult::failed};
        if (logk::is_grid_file(file, failure) != (look == 1)) std::abort();
        if (failure.status != logk::RecordResult::ok) std::abort();
    }
    std::string out;
    while (file.next_record().status == logk::RecordResult::ok) {
        out += std::to_string(file.line()) + ":";
        out.append(file.record_begin(), file.record_end());
        out += '\n';
    }
    return out;
}

struct Outcome {
    bool read;
    logk::GridFileTable table;
    logk::GridFileFailure failure;
};

Outcome read(int fd, std::size_t buffer, bool look) {
    ::lseek(fd, 0, SEEK_SET);
    logk::InputFile file(fd, 11, "/fuzz/file", buffer);
    if (look) {
        logk::RecordResult failure{logk::RecordResult::failed};
        logk::is_grid_file(file, failure);
    }
    Outcome out{};
    out.read = logk::read_grid_file(file, out.table, out.failure);
    return out;
}

bool ascending(const std::vector<double>& nodes) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!std::isfinite(nodes[i]) || (i > 0 && !(nodes[i] > nodes[i - 1]))) return false;
    }
    return true;
}

void check(const Outcome& got) {
    if (got.read) {
        const logk::GridFileTable& t = got.table;
        const std::size_t m = t.pressures.size();
        if (t.temperatures.size() < 3 || !ascending(t.temperatures)) std::abort();
        if (m == 0 || m == 2 || t.along_one_line != (m == 1)) std::abort();
        if (m > 1 && !ascending(t.pressures)) std::abort();
        if (t.values.size() != m * t.temperatures.size()) std::abort();
        for (double v : t.values) {
            if (std::isinf(v)) std::abort();
        }
        return;
    }
    const logk::GridFileFailure& f = got.failure;
    switch (f.message) {
        case 24:
            if (f.column != 0 || f.detail.empty()) std::abort();
            break;
        case 59: case 64:
            if (f.line < 1 || f.column < 1 || f.detail.empty()) std::abort();
            break;
        default:
            std::abort();  // no read fails on a memory file, no line here is too long
    }
}

bool same(const Outcome& a, const Outcome& b) {
    auto same_bits = [](const std::vector<double>& x, const std::vector<double>& y) {
        return x.size() == y.size() && (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0);
    };
    if (a.read != b.read) return false;
    if (!a.read) {
        return a.failure.message == b.failure.message && a.failure.line == b.failure.line &&
               a.failure.column == b.failure.column && a.failure.detail == b.failure.detail;
    }
    return a.table.along_one_line == b.table.along_one_line && same_bits(a.table.pressures, b.table.pressures) &&
           same_bits(a.table.temperatures, b.table.temperatures) && same_bits(a.table.values, b.table.values);
}

}  // namespace

// The first byte picks a small buffer, so that lines cross refills and
// doublings; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t buffer = 1 + (data[0] & 31);
    int fd = memory_file(data + 1, size - 1);
    const int form = grid_form(data + 1, data + size) ? 1 : 0;
    if (records(fd, buffer, form) != records(fd, buffer, -1)) std::abort();
    const Outcome looked = read(fd, buffer, true);
    check(looked);
    if (!same(looked, read(fd, logk::InputFile::kInitialBuffer, false))) std::abort();
    ::close(fd);
    return 0;
}
