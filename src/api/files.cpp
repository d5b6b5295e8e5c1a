#include "api/files.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "messages/catalogue.h"
#include "reader/field_scanner.h"
#include "reader/input_file.h"
#include "reader/table_file.h"
#include "reader/table_rows.h"
#include "system/platform.h"

namespace logk {
namespace {

// The text the program prints for a failure, without the last line end.
std::string message_text(int number, int unit, const std::string& path, int system_error) {
    std::string text;
    if (system_error != 0) text = system_error_line(system_error);
    text += file_message_line(number, unit, path);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

Error failure(int number, std::string text, std::int64_t line, std::int64_t column) {
    Error error;
    error.number = number;
    error.text = std::move(text);
    error.line = line;
    error.column = column;
    return error;
}

// What a stopped read says: no message of the program's.
Error stopped(const std::string& path, std::int64_t line) {
    return failure(RecordResult::kStopped, "logk: reading " + path + " was stopped", line, 0);
}

// A file of the library's, open for reading for as long as it lives.
class OpenFile {
public:
    OpenFile(const std::string& path, int unit, const StopReading& stop)
        : path_(platform::absolute_path(path)), opened_(platform::open_read_only(path.c_str(), stop)), unit_(unit) {}
    ~OpenFile() {
        if (opened_.fd >= 0) platform::close_file(opened_.fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // The failure to open, if any.
    bool failed(Error& error) const {
        if (opened_.fd >= 0) return false;
        if (opened_.error == EINTR) {
            error = stopped(path_, 0);
            return true;
        }
        const int number = open_failure_message(opened_.error);
        error = failure(number, message_text(number, unit_, path_, opened_.error), 0, 0);
        return true;
    }

    int fd() const { return opened_.fd; }
    int unit() const { return unit_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    platform::OpenResult opened_;
    int unit_;
};

Error read_failure(const ReadOutcome& outcome, InputFile& file) {
    if (outcome.message == RecordResult::kStopped) return stopped(file.path(), file.line());
    return failure(outcome.message,
                   message_text(outcome.message, file.unit(), file.path(), file.take_system_error()), file.line(),
                   outcome.column);
}

// A table file's failure: a file of its own nodes says what is wrong in a
// line of its own, before the message line, as the program prints it.
Error read_failure(const TableFileFailure& refused, InputFile& file) {
    if (refused.message == RecordResult::kStopped) return stopped(file.path(), file.line());
    std::string text = message_text(refused.message, file.unit(), file.path(), file.take_system_error());
    if (!refused.detail.empty()) text = detail_line(refused.detail) + text;
    return failure(refused.message, std::move(text), refused.line, refused.column);
}

// The library's reading of an open file: lines of bounded length, and the
// caller's stop check.
void limit(InputFile& file, const StopReading& stop) {
    file.set_longest_line(kLongestLine);
    file.set_stop(stop);
}

bool load_table(const std::string& path, TableData& table, Error& error, const StopReading& stop, ReadNotes* notes) {
    OpenFile opened(path, unit::table, stop);
    if (opened.failed(error)) return false;
    InputFile file(opened.fd(), unit::table, opened.path());
    limit(file, stop);
    TableRowsNotes noted;
    TableFileFailure failure;
    std::optional<GridTable> grid;
    if (!read_table_file(file, table.LOGK, grid, failure, notes != nullptr ? &noted : nullptr,
                         platform::is_regular_file(opened.fd()))) {
        error = read_failure(failure, file);
        return false;
    }
    if (grid) table.grid = std::make_shared<const GridData>(std::move(*grid));
    if (notes != nullptr) {
        auto at = [&path](std::int64_t line) { return NotedLine{line, line != 0 ? path : std::string()}; };
        if (noted.past_row_line != 0) notes->past_row = {noted.past_row_line, noted.past_row_values, path};
        notes->null_value = at(noted.null_line);
        notes->after_table = at(noted.after_table_line);
    }
    return true;
}

bool read_points(const std::string& path, Points& points, Error& error, const StopReading& stop) {
    constexpr double kUnsetCoordinate = -9999.9;
    OpenFile opened(path, unit::points, stop);
    if (opened.failed(error)) return false;
    InputFile file(opened.fd(), unit::points, opened.path());
    limit(file, stop);
    for (;;) {
        double P = kUnsetCoordinate;
        double T = kUnsetCoordinate;
        const std::array<double*, 2> point = {&P, &T};
        const ReadOutcome outcome = read_values(file, point, true);
        if (outcome.status == ReadOutcome::end_of_file) return true;
        if (outcome.status == ReadOutcome::failed) {
            error = read_failure(outcome, file);
            return false;
        }
        points.P.push_back(P);
        points.T.push_back(T);
    }
}

}  // namespace

bool load_table_file(const std::string& path, TableData& table, Error& error, const StopReading& stop,
                     ReadNotes* notes) {
    if (notes != nullptr) *notes = {};
    if (load_table(path, table, error, stop, notes)) return true;
    error.path = path;
    return false;
}

bool read_point_file(const std::string& path, Points& points, Error& error, const StopReading& stop) {
    if (read_points(path, points, error, stop)) return true;
    error.path = path;
    return false;
}

}  // namespace logk
