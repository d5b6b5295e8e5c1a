// The C interface's words about the library itself: its version and build,
// workers, statuses and messages, and the point lists and result lines of
// the program, so that every face takes them from here and none keeps a
// copy.
#include <cstdio>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "api/c_support.h"
#include "api/files.h"
#include "crossing/crossing.h"
#include "batch/batch.h"
#include "logk/grid.hpp"
#include "logk/logk.h"
#include "logk/logk.hpp"
#include "messages/catalogue.h"
#include "result/result_line.h"
#include "workers/workers.h"

using logk::c_support::call_options;
using logk::c_support::set_error;

struct logk_points {
    logk::Points points;
};

namespace {

// The plain words of a message number for a file of `unit`.
std::string meaning_of(int number, int unit) {
    const char* words = logk::failure_meaning(number);
    if (words == nullptr) return {};
    if (number == logk::msg::record_too_long) {
        return std::string(words) + " (at most " + std::to_string(logk::kLongestLine >> 20) + " MiB)";
    }
    if (number == logk::msg::end_of_file_during_read && unit == LOGK_UNIT_POINTS) {
        return "the file ends inside a quote or parenthesis";
    }
    return words;
}

// The system's reason, where the error's text starts with the line the
// program prints for it: "runlib: No such device".
std::string system_reason(const std::string& text) {
    constexpr std::string_view kPrefix = "runlib: ";
    const auto end = text.find('\n');
    if (end == std::string::npos || text.compare(0, kPrefix.size(), kPrefix) != 0) return {};
    return text.substr(kPrefix.size(), end - kPrefix.size());
}

// A line for a caller's buffer of `size` bytes, NUL included, cut at a
// whole character; the whole line's length.
std::size_t copy_cut(const std::string& text, char* line, std::size_t size) {
    if (line != nullptr && size > 0) {
        const std::size_t length = logk::whole_characters(text, size - 1);
        std::memcpy(line, text.data(), length);
        line[length] = '\0';
    }
    return text.size();
}

}  // namespace

LOGK_EXPORT const char* logk_version(void) { return LOGK_VERSION; }

LOGK_EXPORT const char* logk_build(void) { return logk::instruction_set_name(logk::chosen_instruction_set()); }

LOGK_EXPORT const char* logk_build_note(void) {
    static const std::string note = [] {
        const std::string& build = logk::chosen_instruction_set_note();
        const std::string& division = logk::chosen_division_note();
        return build.empty() || division.empty() ? build + division : build + "; " + division;
    }();
    return note.c_str();
}

LOGK_EXPORT const char* logk_division(void) { return logk::division_name(logk::chosen_division()); }

LOGK_EXPORT int logk_workers_threads(int workers, logk_error* error) {
    const std::optional<int> threads = logk::threads_wanted(workers);
    if (!threads) {
        try {
            set_error(error, 0, logk::refused_workers(workers));
        } catch (...) {
            set_error(error, 0, "workers leaves no thread");
        }
        return 0;
    }
    set_error(error, 0, "");
    return *threads;
}

LOGK_EXPORT const char* logk_status_text(int status) {
    switch (status) {
        case LOGK_DONE: return "done";
        case LOGK_STOPPED: return "stopped by the caller's stop check";
        case LOGK_REFUSED: return "workers leaves no thread";
        case LOGK_NO_MEMORY: return "out of memory";
        default: return "no such status";
    }
}

LOGK_EXPORT int logk_message_kind(int number) { return static_cast<int>(logk::failure_kind(number)); }

LOGK_EXPORT const char* logk_message_meaning(int number, int unit) {
    // The words of every number and unit, made once and kept: callers keep
    // the pointer.
    static const auto words = [] {
        std::vector<std::pair<std::pair<int, int>, std::string>> made;
        for (int unit_number : {LOGK_UNIT_TABLE, LOGK_UNIT_POINTS}) {
            for (int k = 0; k < 256; ++k) {
                std::string text = meaning_of(k, unit_number);
                if (!text.empty()) made.push_back({{k, unit_number}, std::move(text)});
            }
        }
        return made;
    }();
    const int as_unit = unit == LOGK_UNIT_POINTS ? LOGK_UNIT_POINTS : LOGK_UNIT_TABLE;
    for (const auto& [key, text] : words) {
        if (key.first == number && key.second == as_unit) return text.c_str();
    }
    return nullptr;
}

LOGK_EXPORT size_t logk_failure_line(const logk_error* error, const logk_place* place, const char* path, int unit,
                                     char* line, size_t size) {
    if (error == nullptr) return 0;
    try {
        std::string text = path != nullptr ? path : "the file";
        if (place != nullptr && place->line > 0) {
            text += ", line " + std::to_string(place->line);
            if (place->column > 0) text += ", column " + std::to_string(place->column);
        }
        const std::string own(error->text);
        std::string meaning = meaning_of(error->number, unit);
        // A table file naming its own nodes says what is wrong where, in a
        // line of its own: "line 3, column 7: the row holds 2 values ...".
        const std::string first_line = system_reason(own);
        if (first_line.starts_with("line ") && first_line.find(": ") != std::string::npos) {
            meaning = first_line.substr(first_line.find(": ") + 2);
        } else if (meaning.empty()) {
            text += ": " + own;
        } else {
            if (!first_line.empty() && logk::failure_kind(error->number) == logk::FailureKind::other) {
                meaning += " (" + first_line + ")";
            }
        }
        if (!meaning.empty()) text += ": " + meaning + " (message " + std::to_string(error->number) + ")";
        return copy_cut(text, line, size);
    } catch (...) {
        if (line != nullptr && size > 0) line[0] = '\0';
        return 0;
    }
}

static_assert(logk::kMostScanned == 2'097'152, "the words of 'R' name the doubles a search looks at");

LOGK_EXPORT size_t logk_read_note_line(const logk_read_notes* notes, int which, const char* path, char* line,
                                       size_t size) {
    if (line != nullptr && size > 0) line[0] = '\0';
    if (notes == nullptr) return 0;
    try {
        long long at = 0;
        std::string what;
        switch (which) {
            case LOGK_NOTE_PAST_ROW:
                at = notes->past_row_line;
                what = "the line holds " + std::to_string(notes->past_row_values) +
                       " values; those past the 36th of a row are ignored, as the program ignores them (does each "
                       "line start with its pressure?)";
                break;
            case LOGK_NOTE_NULL_VALUE:
                at = notes->null_line;
                what = "the line holds a null value (',,' or '/'), which leaves its cell at 0.0, as the program "
                       "leaves it (is a value missing?)";
                break;
            case LOGK_NOTE_AFTER_TABLE:
                at = notes->after_table_line;
                what = "the line holds values after the table's 37 rows; they are not read, as the program does not "
                       "read them (is the first line a header?)";
                break;
            default: return 0;
        }
        if (at <= 0) return 0;
        const std::string text = std::string(path != nullptr ? path : "the file") + ", line " + std::to_string(at) +
                                 ": " + what;
        return copy_cut(text, line, size);
    } catch (...) {
        return 0;
    }
}

LOGK_EXPORT const char* logk_how_meaning(char how) {
    switch (how) {
        case LOGK_CROSSED: return "log K crosses the value inside one stencil, or takes it";
        case LOGK_JUMPED: return "log K jumps over the value where the stencil changes; the answer is the first double past the jump";
        case LOGK_ROUNDING:
            return "rounding decides: log K lies within rounding of the value over more doubles than a search looks "
                   "at one by one (2,097,152, some tens of milliseconds); the answer is the first not looked at, none "
                   "before it is an answer, and whether and where log K first takes the value after it is not settled";
        case LOGK_NOT_REACHED: return "log K does not reach the value in the range; the answer is NaN";
        default: return nullptr;
    }
}

LOGK_EXPORT void logk_grid_nodes(const double** pressures, size_t* n_pressures, const double** temperatures,
                                 size_t* n_temperatures) {
    if (pressures != nullptr) *pressures = logk::PGRID.data();
    if (n_pressures != nullptr) *n_pressures = logk::PGRID.size();
    if (temperatures != nullptr) *temperatures = logk::TGRID.data();
    if (n_temperatures != nullptr) *n_temperatures = logk::TGRID.size();
}

LOGK_EXPORT logk_points* logk_points_read(const char* path, const logk_options* options, logk_error* error,
                                          logk_place* place) {
    if (place != nullptr) *place = {0, 0};
    if (path == nullptr) {
        set_error(error, 0, "logk_points_read: no path");
        return nullptr;
    }
    try {
        auto* points = new logk_points;
        logk::Error failure;
        if (logk::read_point_file(path, points->points, failure, call_options(options).stop)) {
            set_error(error, 0, "");
            return points;
        }
        delete points;
        set_error(error, failure.number, failure.text);
        if (place != nullptr) *place = {failure.line, failure.column};
    } catch (const std::bad_alloc&) {
        set_error(error, 0, "logk_points_read: out of memory");
    } catch (...) {
        set_error(error, 0, "logk_points_read: unexpected failure");
    }
    return nullptr;
}

LOGK_EXPORT size_t logk_points_count(const logk_points* points) {
    return points == nullptr ? 0 : points->points.P.size();
}

LOGK_EXPORT const double* logk_points_P(const logk_points* points) {
    return points == nullptr ? nullptr : points->points.P.data();
}

LOGK_EXPORT const double* logk_points_T(const logk_points* points) {
    return points == nullptr ? nullptr : points->points.T.data();
}

LOGK_EXPORT void logk_points_free(logk_points* points) { delete points; }

LOGK_EXPORT const char* logk_header_line(void) {
    static const std::string header(logk::header_line());
    return header.c_str();
}

LOGK_EXPORT void logk_format_line(double P, double T, double lk, int pidx, int tidx, char isoerr, char pterr,
                                  char line[72]) {
    if (line == nullptr) return;
    logk::ResultLine result;
    logk::format_result_line(P, T, pidx, tidx, lk, isoerr, pterr, result);
    std::memcpy(line, result.data(), logk::ResultLine::size() - 2);  // without CR LF
    line[logk::ResultLine::size() - 2] = '\0';
}
