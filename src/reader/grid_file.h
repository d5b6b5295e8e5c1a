// A table file that names its own nodes: a header of temperatures, then one
// row a pressure node.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reader/input_file.h"

namespace logk {

// The file form:
//
//   # calcite                                        a comment line
//   P\T, 25, 100, 200, 300, 400, 500                 the header
//   100, -8.48, -9.39, -10.99, -12.87, ,             a data row: a pressure node,
//   500, -8.50, -9.40, -10.95, -12.70, -14.9, -17.3  then a value a temperature
//
// Lines end in LF or CR LF. A line of blanks (spaces, tabs) only is passed
// over, and so is a comment line, whose first byte after blanks is '#',
// wherever they stand. A comment never follows data: a '#' on any other line
// is refused where it stands.
//
// The header is the first line that is not passed over. Where it holds a
// comma, every line of the file separates its fields by commas, with blanks
// allowed around them; otherwise by runs of blanks. Its first field is a
// word: it begins with a letter other than T, t, F or f, so not with a
// quote, a parenthesis, a digit, a sign or a point either; the rest is free.
// (That first field is how a table file of this form is told from one on
// the fixed grid, whose first value may be a truth value: see is_grid_file.)
// Then come 3 or more temperature nodes, strictly ascending.
//
// Each data row holds its pressure node and one value a temperature node,
// no more and no less. A missing value is `nan` in either form, in any case,
// or an empty field in the comma form. There are 3 or more rows, their
// pressures strictly ascending, or a single row: a table along one line,
// whose pressure field is `sat` (in any case), the saturation line, or a
// number, which is then no node of the table. `sat` stands in no other row.
//
// Nodes and values are written as numbers in the other table files: "25",
// "1.5D2", "1.0E+2" and "1.5-3" read as they read there, and whatever those
// refuse this refuses (so no infinite value can be written); repeat counts,
// truth values, quoted text and pairs are no numbers here. A node is never
// missing, and `nan` is no number.
//
//   "P\T 25 100 200\nsat -1 nan -3\n"  -> along one line: P {NaN}, T {25, 100, 200},
//                                         values {-1, NaN, -3}
//   "P\T,25,100,200\n1,1,,3\n2,4,5,6\n3,7,8,9\n"  -> P {1, 2, 3}, a NaN at (1, 100)
//   "P\T 25 100\n1 2 3\n"        -> 59 at line 1, column 11: 2 temperature nodes
//   "P\T 25 200 100\n..."        -> 64 at line 1, column 12: 100 does not ascend
//   "P\T 25 100 200\n1 2 3\n"    -> 59 at line 2, column 6: 2 values of 3
//   "P\T 25 100 200\n1 2 3 4\n2 5 6 7\n"  -> 24 at line 3, column 0: 2 data rows
struct GridFileTable {
    // One pressure a row: where the table lies along one line, the row's own
    // number, or NaN for `sat`.
    std::vector<double> pressures;
    bool along_one_line = false;  // a single row
    std::vector<double> temperatures;
    // pressures.size() x temperatures.size(), row by row, NaN where missing.
    std::vector<double> values;
};

// A refused file: the message number the program prints, where the fault
// shows (line and column from 1; column 0 where it shows at the end of the
// file, the line then being the file's last, or in reading a line), and a
// line of its own that says what is wrong (empty for a failed read).
//   59  text out of place: a header's first field that is no word, fewer
//       than 3 temperatures, a node or value that is no number (a missing
//       node, or `nan` as one, included), a row of too few or too many
//       values, a row after `sat` or `sat` in a table of more rows, a '#'
//       after data;
//   64  a number that cannot be converted (out of range, malformed after
//       its exponent), and a node that does not ascend from the one before;
//   24  the file ends before its header or its first data row, or after
//       exactly 2 data rows;
//   22, 39, RecordResult::kStopped  as InputFile reports them.
struct GridFileFailure {
    int message = 0;
    std::int64_t line = 0, column = 0;
    std::string detail;
};

// Whether `file` is of this form rather than a table on the fixed grid (37
// lines of 36 values in the free-form notation), by the text of its first
// line that is not blank, which is peeked at and not consumed: true where
// that text begins with '#' or with a letter other than T, t, F or f (the
// free-form reader takes no field that begins so as a value). So a file
// whose first field is a number, a truth value such as T or .true., a null
// value, a quote or a pair stays on the fixed grid, and reads as it always
// has. Where the first bytes cannot be read, false with the read's failure
// in `failure`, whose status is ok otherwise.
bool is_grid_file(InputFile& file, RecordResult& failure);

// Reads the table from the next record on to the end of the file: true with
// `table` filled, or false with `failure` filled and `table` unspecified.
bool read_grid_file(InputFile& file, GridFileTable& table, GridFileFailure& failure);

}  // namespace logk
