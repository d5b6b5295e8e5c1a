#include "program/run.h"

#include <array>
#include <cfenv>
#include <csignal>
#include <string>

#include "grid/logk_table.h"
#include "interp/intrpk.h"
#include "messages/catalogue.h"
#include "program/run_end.h"
#include "reader/field_scanner.h"
#include "reader/input_file.h"
#include "reader/table_rows.h"
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
platform::OpenResult open_or_stop(int unit, const char* name, const std::string& path, Open open) {
    platform::OpenResult opened = open(name);
    if (opened.fd < 0) stop_run(open_failure_message(opened.error), unit, path, opened.error);
    platform::track_open_file(opened.fd);
    return opened;
}

int open_input(int unit, const char* name, const std::string& path) {
    return open_or_stop(unit, name, path, [](const char* file) { return platform::open_read_only(file); }).fd;
}

void stop_on(const ReadOutcome& outcome, InputFile& file) {
    if (outcome.status == ReadOutcome::failed) {
        stop_run(outcome.message, file.unit(), file.path(), file.take_system_error());
    }
}

void stop_on(const WriteOutcome& outcome, const ResultFile& file) {
    if (outcome.message != 0) stop_run(outcome.message, unit::result, file.path(), outcome.system_error);
}

}  // namespace

int run(const RunFiles& files) {
    // Round to nearest, all floating-point exceptions masked, for the whole run.
    std::fesetenv(FE_DFL_ENV);
    platform::install_console_handlers(console_events().data(), console_events().size());

    // The order matters: without the table, the point list is never opened;
    // without either, logk.out is neither created nor changed.
    const std::string table_path = platform::absolute_path(files.table);
    InputFile table(open_input(unit::table, files.table.c_str(), table_path), unit::table, table_path);
    const std::string points_path = platform::absolute_path(files.points);
    InputFile points(open_input(unit::points, files.points.c_str(), points_path), unit::points, points_path);
    const std::string result_path = platform::absolute_path(files.output);
    const platform::OpenResult result_open =
        open_or_stop(unit::result, files.output.c_str(), result_path, platform::open_result_file);
    ResultFile result(result_open.fd, result_open.read_only, result_path);

    LogKTable LOGK;
    stop_on(read_table_rows(table, LOGK), table);
    stop_on(result.write_header(), result);

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

        FINDPT(P, T, PIDX, TIDX, PTERR, ISOERR);
        INTRPK(P, T, PIDX, TIDX, LOGK, LK);
        format_result_line(P, T, PIDX, TIDX, LK, ISOERR, PTERR, line);
        stop_on(result.write_line(line), result);
    }

    end_run();
    return 0;
}

}  // namespace logk
