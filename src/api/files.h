// The library's two files, read with the program's reader: a table, and a
// point list. Failures come back as values with the program's message.
#pragma once

#include <string>

#include "api/table_data.h"
#include "grid/logk_table.h"
#include "logk/logk.hpp"

namespace logk {

// Fills LOGK from a table file; false with `error` set on failure. Lines
// are at most kLongestLine bytes long; `stop` may end the read. Where
// `notes` is given, what the reading passed over goes there (each line 0
// where there is none).
bool load_table_file(const std::string& path, TableData& table, Error& error, const StopReading& stop = {},
                     ReadNotes* notes = nullptr);

// Reads every point of a point list; false with `error` set on failure.
bool read_point_file(const std::string& path, Points& points, Error& error, const StopReading& stop = {});

}  // namespace logk
