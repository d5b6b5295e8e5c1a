#include "reader/table_file.h"

#include <utility>

#include "messages/catalogue.h"
#include "reader/grid_file.h"

namespace logk {
namespace {

bool failed(TableFileFailure& failure, int message, std::int64_t line, std::int64_t column, std::string detail = {}) {
    failure = {message, line, column, std::move(detail)};
    return false;
}

}  // namespace

bool read_table_file(InputFile& file, LogKTable& LOGK, std::optional<GridTable>& grid, TableFileFailure& failure,
                     TableRowsNotes* notes, bool read_on) {
    RecordResult peeked{RecordResult::ok};
    const bool own_nodes = is_grid_file(file, peeked);
    if (peeked.status == RecordResult::failed) return failed(failure, peeked.message, file.line(), 0);
    if (!own_nodes) {
        const ReadOutcome outcome = read_table_rows(file, LOGK, notes, read_on);
        if (outcome.status == ReadOutcome::complete) return true;
        return failed(failure, outcome.message, file.line(), outcome.column);
    }
    GridFileTable read;
    GridFileFailure refused;
    if (!read_grid_file(file, read, refused)) {
        std::string where = "line " + std::to_string(refused.line);
        if (refused.column > 0) where += ", column " + std::to_string(refused.column);
        return failed(failure, refused.message, refused.line, refused.column,
                      refused.detail.empty() ? std::string() : where + ": " + refused.detail);
    }
    // The reader has held the file to every rule of the nodes; what is left
    // to refuse here cannot come from a file, but is said all the same.
    if (const std::string why = GridTable::refusal(read.pressures, read.temperatures, read.values.size());
        !why.empty()) {
        return failed(failure, msg::syntax_error, file.line(), 0, why);
    }
    grid.emplace(read.pressures, read.temperatures, read.values);
    return true;
}

}  // namespace logk
