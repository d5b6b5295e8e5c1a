// Read requests over the free-form notation of the input files.
#pragma once

#include <cstdint>
#include <span>

#include "reader/input_file.h"

namespace logk {

struct ReadOutcome {
    enum Status { complete, end_of_file, failed } status;
    int message = 0;  // the message number when failed
    // Where in the file's current line (InputFile::line) the reader stopped
    // on a failure, counted from 1; 0 where the failure lies outside a line:
    // at the end of the file, or in the system's read.
    std::int64_t column = 0;
    // Where the request was asked to count them (count_left), the values
    // its last line holds, and those of them after the ones it took, which
    // no request reads: plain numbers, truth values and repeat counts up to
    // the first field that is none of them.
    std::int64_t values_on_line = 0;
    std::int64_t values_left_on_line = 0;
    // Where counted, the line of the first null value or slash that left a
    // destination unchanged (0 where none did).
    std::int64_t null_line = 0;
};

// Serves one read request: starts at a fresh record and assigns values to
// the destinations one at a time, in order, so a destination assigned before
// the end of the file keeps its value. A null value or a slash leaves a
// destination unchanged. The rest of the last record used is ignored.
//
// Returns complete once every destination is dealt with; end_of_file when
// the file ends first and end_allowed is set (message 24 otherwise); failed
// with message 59 (syntax), 64 (conversion, reported as soon as it is met),
// 24 (quoted text or a parenthesised pair left open at the end of the file),
// 22 or 39 (from the records).
//
// With two destinations:
//   "100 200 abc"  -> 100, 200          "100,,"  -> 100, unchanged
//   ",300"         -> unchanged, 300    "2*5.5"  -> 5.5, 5.5
//   "100/"         -> 100, unchanged    "100 abc" -> failed 59
//   "'text'"       -> failed 64         "1E400 1" -> failed 64
// and with count_left, "1 2 3 4*5 abc" -> 1, 2, on the line 7, left 5, and
// "1,,3" -> 1, unchanged, with its null value on the line.
ReadOutcome read_values(InputFile& file, std::span<double* const> destinations, bool end_allowed,
                        bool count_left = false);

// The first line from the next one on that holds a value (a number, a truth
// value or a repeat count at its start), for a table file whose rows have
// all been read: what lies there is never read. With `read_on` false, only
// the whole lines the file has read already are looked at, as a pipe's
// writer may keep it open long after the table. 0 where there is none.
std::int64_t first_line_holding_values(InputFile& file, bool read_on);

}  // namespace logk
