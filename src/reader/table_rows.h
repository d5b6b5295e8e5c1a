// A table file's 37 rows, read into a LogKTable by the program and by the
// library alike.
#pragma once

#include <cstdint>

#include "grid/logk_table.h"
#include "reader/field_scanner.h"
#include "reader/input_file.h"

namespace logk {

// What the reading of a table passed over, each a line from 1 or 0 for
// none: the first line holding values past the 36th of its row (and how
// many values it holds), the first holding a null value or a slash (a cell
// left at 0.0), the first after the 37 rows that holds values.
struct TableRowsNotes {
    std::int64_t past_row_line = 0, past_row_values = 0;
    std::int64_t null_line = 0;
    std::int64_t after_table_line = 0;
};

// One request a pressure node, each starting at a fresh record and taking
// as many records as its 36 values need: complete, or the outcome of the
// first request that failed (the end of the file inside the table is
// message 24). Where `notes` is given, it is filled as it says; the lines
// after the table are read on to the end of the file where `read_on`, and
// only as far as the file has read them already otherwise (a pipe's writer
// may keep it open).
ReadOutcome read_table_rows(InputFile& file, LogKTable& LOGK, TableRowsNotes* notes = nullptr, bool read_on = true);

}  // namespace logk
