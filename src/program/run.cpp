#include "program/run.h"

#include <array>
#include <optional>
#include <cfenv>
#include <csignal>
#include <string>

#include "grid/logk_table.h"
#include "interp/intrpk.h"
#include "messages/catalogue.h"
#include "program/run_end.h"
#include "reader/field_scanner.h"
#include "reader/input_file.h"
#include "reader/table_file.h"
#include "stencil/grid_rules.h"
#include "result/result_file.h"
#include "stencil/findpt.h"
#include "system/platform.h"

namespace logk {
namespace {

constexpr double kUnsetCoordinate = -9999.9;
constexpr int kUnsetIndex = -100;

// control-C exits 130, the usual status of an interrupted command, so that
// an interrupted run is never taken for a complete one.
const std::array<platform::ConsoleEvent, 3>& console_events() {
    static const std::array<platform::ConsoleEvent, 3> events = {{
        {SIGINT, event_message_line("control-C"), 130},
        {SIGQUIT, event_message_line("control-BREAK"), 1},
        {SIGHUP, event_message_line("window-CLOSE"), 2},
    }};
    return events;
}

// Opens a file with `open`; a failure ends the run with its message.
template <typename Open>
platform::OpenResult open_or_stop(int unit, const std::string& path, Open open) {
    platform::OpenResult opened = open();
    if (opened.fd < 0) stop_run(open_failure_message(opened.error), unit, path, opened.error);
    platform::track_open_file(opened.fd);
    return opened;
}

bool is_stream(const std::string& name) { return name == kStandardStream; }

// A file as the messages name it: by its absolute path, or as the stream
// its "-" stands for.
std::string shown_path(const std::string& name, const char* stream) {
    return is_stream(name) ? stream : platform::absolute_path(name);
}

// An input by its name, or the standard input as it was found at the start.
int open_input(int unit, const std::string& name, const std::string& path,
               const platform::OpenResult& standard_input) {
    return open_or_stop(unit, path, [&] {
        return is_stream(name) ? standard_input : platform::open_read_only(name.c_str());
    }).fd;
}

void stop_on(const ReadOutcome& outcome, InputFile& file) {
    if (outcome.status == ReadOutcome::failed) {
        stop_run(outcome.message, file.unit(), file.path(), file.take_system_error());
    }
}

void stop_on(const WriteOutcome& outcome, const ResultFile& file) {
    if (outcome.message != 0) stop_run(outcome.message, unit::result, file.path(), outcome.system_error);
}

// Every point of the list, to its line, on the fixed grid (LOGK) or on the
// table's own nodes (grid, with its rules). One loop for both, its branch
// on the table the same at every point, so that the reading it shares is
// built into it once.
void run_points(InputFile& points, ResultFile& result, const LogKTable& LOGK, const GridTable* grid,
                const GridRules* rules) {
    ResultLine line;
    for (;;) {
        double P = kUnsetCoordinate;
        double T = kUnsetCoordinate;
        int PIDX = kUnsetIndex;
        int TIDX = kUnsetIndex;
        char PTERR = 'N';
        char ISOERR = 'N';
        double LK;  // INTRPK sets it from scratch
        const std::array<double*, 2> point = {&P, &T};
        ReadOutcome outcome = read_values(points, point, true);
        if (outcome.status == ReadOutcome::end_of_file) break;
        stop_on(outcome, points);

        if (grid == nullptr) [[likely]] {
            FINDPT(P, T, PIDX, TIDX, PTERR, ISOERR);
            INTRPK(P, T, PIDX, TIDX, LOGK, LK);
        } else {
            rules->find(P, T, PIDX, TIDX, PTERR, ISOERR);
            intrpk_grid(P, T, PIDX, TIDX, *grid, grid->cells(), 1, LK);
        }
        format_result_line(P, T, PIDX, TIDX, LK, ISOERR, PTERR, line);
        stop_on(result.write_line(line), result);
    }
}

// A table file that is no table ends the run: a file naming its own nodes
// says what is wrong in a line before the message line.
void stop_on(const TableFileFailure& refused, InputFile& file) {
    if (!refused.detail.empty()) stop_run_saying(refused.message, file.unit(), file.path(), refused.detail);
    stop_run(refused.message, file.unit(), file.path(), file.take_system_error());
}

}  // namespace

int run(const RunFiles& files) {
    // Round to nearest, all floating-point exceptions masked, for the whole run.
    std::fesetenv(FE_DFL_ENV);
    platform::install_console_handlers(console_events().data(), console_events().size());

    // The standard streams are looked at before anything is opened: a file
    // opened while one of them is closed would take its descriptor.
    const bool input_stream = is_stream(files.table) || is_stream(files.points);
    const platform::OpenResult standard_input =
        input_stream ? platform::take_standard_stream(platform::kStandardInput) : platform::OpenResult{};
    const platform::OpenResult standard_output = is_stream(files.output)
                                                     ? platform::take_standard_stream(platform::kStandardOutput)
                                                     : platform::OpenResult{};

    // The order matters: without the table, the point list is never opened;
    // without either, logk.out is neither created nor changed.
    const std::string table_path = shown_path(files.table, "standard input");
    InputFile table(open_input(unit::table, files.table, table_path, standard_input), unit::table, table_path);
    const std::string points_path = shown_path(files.points, "standard input");
    InputFile points(open_input(unit::points, files.points, points_path, standard_input), unit::points, points_path);
    const std::string result_path = shown_path(files.output, "standard output");
    const platform::OpenResult result_open = open_or_stop(unit::result, result_path, [&] {
        return is_stream(files.output) ? standard_output : platform::open_result_file(files.output.c_str());
    });
    // Standard output is written from where it stands and never cut: it may
    // be a pipe, or a file opened for appending whose contents are not ours.
    ResultFile result(result_open.fd, result_open.read_only, result_path, is_stream(files.output));

    LogKTable LOGK;
    std::optional<GridTable> grid;
    TableFileFailure refused;
    if (!read_table_file(table, LOGK, grid, refused)) stop_on(refused, table);
    stop_on(result.write_header(), result);

    const std::optional<GridRules> rules = grid ? std::optional<GridRules>(std::in_place, *grid) : std::nullopt;
    run_points(points, result, LOGK, grid ? &*grid : nullptr, rules ? &*rules : nullptr);
    end_run();
    return 0;
}

}  // namespace logk
