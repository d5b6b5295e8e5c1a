#include "result/result_file.h"

#include <cerrno>
#include <cstring>

#include "messages/catalogue.h"
#include "system/platform.h"

namespace logk {

WriteOutcome ResultFile::write(std::string_view bytes) {
    if (read_only_) return {msg::write_to_read_only, 0};
    return finish(bytes, 0, 0);
}

// After a first call that took only part of the line, or none of it.
WriteOutcome ResultFile::finish_line(const ResultLine& line, std::ptrdiff_t first_try) {
    const std::string_view bytes(line.data(), line.size());
    if (first_try == -EINTR) return finish(bytes, 0, 0);
    if (first_try < 0) return finish(bytes, 0, static_cast<int>(-first_try));
    return finish(bytes, static_cast<std::size_t>(first_try), 0);
}

// Hands the system the bytes from `done` on, unless the last try already
// failed with `error`.
WriteOutcome ResultFile::finish(std::string_view bytes, std::size_t done, int error) {
    if (error == 0) {
        std::size_t more = 0;
        error = platform::write_all(fd_, bytes.data() + done, bytes.size() - done, &more);
        done += more;
    }
    if (error != 0) {
        // A torn line is cut off; a torn header is left, as the old contents
        // beyond it are not ours to drop.
        if (done != 0 && size_ != 0 && !stream_) (void)platform::cut_at(fd_, size_);
        return {msg::write_error, error};
    }
    size_ += bytes.size();
    return {};
}

WriteOutcome ResultFile::write_header() {
    WriteOutcome outcome = write(result_header());
    if (outcome.message != 0 || stream_) return outcome;
    int error = platform::cut_at(fd_, result_header().size());
    // A device or a pipe (logk.out linked to /dev/null, say) cannot be cut and
    // holds no older contents either.
    if (error != 0 && error != EINVAL) return {msg::write_error, error};
    return {};
}

}  // namespace logk
