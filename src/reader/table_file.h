// A table file of either form, read by the program and by the library
// alike: 37 records of 36 values on the fixed grid, or a file that names its
// own nodes (reader/grid_file.h), told apart by its first text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "grid/grid_table.h"
#include "grid/logk_table.h"
#include "reader/input_file.h"
#include "reader/table_rows.h"

namespace logk {

// A failed read: the message number, where the reader stopped (line and
// column from 1; column 0 outside a line), and, for a file of the second
// form, a line that says what is wrong ("line 3, column 7: the row holds 2
// values where the header names 3 temperatures"), printed before the
// message line as a system's text is.
struct TableFileFailure {
    int message = 0;
    std::int64_t line = 0, column = 0;
    std::string detail;
};

// Reads the table into LOGK (the fixed grid) or into `grid` (its own
// nodes). Where `notes` is given, a fixed-grid file's reading fills them as
// read_table_rows does (a file of the second form passes nothing over).
// False with `failure` filled where the file is no table.
bool read_table_file(InputFile& file, LogKTable& LOGK, std::optional<GridTable>& grid, TableFileFailure& failure,
                     TableRowsNotes* notes = nullptr, bool read_on = true);

}  // namespace logk
