// logk.out as a file: its lines handed to the system one whole line per
// write, and what a failed write leaves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "result/result_line.h"
#include "system/platform.h"

namespace logk {

// A failed write: message 47 (the file could be opened for reading only) or
// 38 with the system's errno; message 0 means the write succeeded.
struct WriteOutcome {
    int message = 0;
    int system_error = 0;
};

class ResultFile {
public:
    // A `stream` is a file the run was handed open (standard output): it is
    // written from where it stands and never cut, as what it already holds
    // (a file opened for appending) is not the run's to drop.
    ResultFile(int fd, bool read_only, std::string path, bool stream = false)
        : fd_(fd), read_only_(read_only), stream_(stream), path_(std::move(path)) {}

    // Writes the header from the start of the file, then cuts the file after
    // it so that nothing of an older logk.out remains (a stream is not cut).
    WriteOutcome write_header();

    // Appends one line in a single write, so that the file only ever holds
    // whole lines, whenever the run ends. Should the system take only part
    // of a line before failing (a full disk), the part is cut off again
    // (not from a stream).
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
    bool stream_;
    std::string path_;
    std::uint64_t size_ = 0;  // bytes of whole lines in the file
};

}  // namespace logk
