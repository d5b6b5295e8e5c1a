// logk.out: a 68-character header line, then one 71-character line per
// point, each ending in CR LF and handed to the system as one write.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/platform.h"

namespace logk {

// The header, CR LF included (70 bytes).
std::string_view result_header();

// One result line, CR LF included: columns 2-9 P, 12-19 T, 26-27 PIDX,
// 36-37 TIDX, 42-53 LK, 61 ISOERR, 71 PTERR, blanks between.
//   P=500 T=300 PIDX=19 TIDX=13 LK=-2.5 'N' 'N' ->
//   "  500.000   300.000      19        13          -2.500       N         N\r\n"
// A line is made once, blanks and CR LF in place; each point then only
// overwrites its fields, which always fill their full width.
inline constexpr std::size_t kResultLineSize = 73;
class ResultLine {
public:
    ResultLine();
    char* data() { return bytes_.data(); }
    const char* data() const { return bytes_.data(); }
    static constexpr std::size_t size() { return kResultLineSize; }
    char& operator[](std::size_t i) { return bytes_[i]; }

private:
    std::array<char, kResultLineSize> bytes_;
};
void format_result_line(double P, double T, int PIDX, int TIDX, double LK, char ISOERR, char PTERR,
                        ResultLine& line);

// A failed write: message 47 (the file could be opened for reading only) or
// 38 with the system's errno; message 0 means the write succeeded.
struct WriteOutcome {
    int message = 0;
    int system_error = 0;
};

class ResultFile {
public:
    static constexpr int kUnit = 21;

    ResultFile(int fd, bool read_only, std::string path)
        : fd_(fd), read_only_(read_only), path_(std::move(path)) {}

    // Writes the header from the start of the file, then cuts the file after
    // it so that nothing of an older logk.out remains.
    WriteOutcome write_header();

    // Appends one line in a single write, so that the file only ever holds
    // whole lines, whenever the run ends. Should the system take only part
    // of a line before failing (a full disk), the part is cut off again.
    // The common case is one call that takes the whole line.
    WriteOutcome write_line(const ResultLine& line) {
        if (!read_only_) {
            const std::ptrdiff_t put = platform::write_some(fd_, line.data(), line.size());
            if (put == static_cast<std::ptrdiff_t>(line.size())) {
                size_ += line.size();
                return {};
            }
            return finish_line(line, put);
        }
        return write(std::string_view(line.data(), line.size()));
    }

    const std::string& path() const { return path_; }

private:
    WriteOutcome write(std::string_view bytes);
    WriteOutcome finish_line(const ResultLine& line, std::ptrdiff_t first_try);
    WriteOutcome finish(std::string_view bytes, std::size_t done, int error);

    int fd_;
    bool read_only_;
    std::string path_;
    std::uint64_t size_ = 0;  // bytes of whole lines in the file
};

}  // namespace logk
