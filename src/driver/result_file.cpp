#include "driver/result_file.h"

#include <cerrno>
#include <cstring>

#include "driver/messages.h"
#include "driver/number_field.h"
#include "driver/platform.h"

namespace logk {
namespace {

// Four labels of 6 columns each followed by 4 blanks, 2 more blanks, then
// "LogK  ", "isoerr" and " PTerr" with 4 blanks between them. The labels
// stand left of their value columns, as they always have.
constexpr char kHeader[] =
    "    P     "
    "    T     "
    "  Pidx    "
    "  Tidx    "
    "  "
    "LogK  "
    "    "
    "isoerr"
    "    "
    " PTerr"
    "\r\n";
static_assert(sizeof kHeader - 1 == 70, "68 characters and CR LF");

// Zero-based offsets of the fields in a result line.
constexpr std::size_t kPColumn = 1;
constexpr std::size_t kTColumn = 11;
constexpr std::size_t kPidxColumn = 25;
constexpr std::size_t kTidxColumn = 35;
constexpr std::size_t kLkColumn = 41;
constexpr std::size_t kIsoerrColumn = 60;
constexpr std::size_t kPterrColumn = 70;

}  // namespace

std::string_view result_header() { return {kHeader, sizeof kHeader - 1}; }

ResultLine::ResultLine() {
    bytes_.fill(' ');
    bytes_[71] = '\r';
    bytes_[72] = '\n';
}

void format_result_line(double P, double T, int PIDX, int TIDX, double LK, char ISOERR, char PTERR,
                        ResultLine& line) {
    put_number_field<8>(P, &line[kPColumn]);
    put_number_field<8>(T, &line[kTColumn]);
    put_index_field(PIDX, &line[kPidxColumn]);
    put_index_field(TIDX, &line[kTidxColumn]);
    put_number_field<12>(LK, &line[kLkColumn]);
    line[kIsoerrColumn] = ISOERR;
    line[kPterrColumn] = PTERR;
}

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
        if (done != 0 && size_ != 0) (void)platform::cut_at(fd_, size_);
        return {msg::write_error, error};
    }
    size_ += bytes.size();
    return {};
}

WriteOutcome ResultFile::write_header() {
    WriteOutcome outcome = write(result_header());
    if (outcome.message != 0) return outcome;
    int error = platform::cut_at(fd_, result_header().size());
    // A device or a pipe (logk.out linked to /dev/null, say) cannot be cut and
    // holds no older contents either.
    if (error != 0 && error != EINVAL) return {msg::write_error, error};
    return {};
}

}  // namespace logk
