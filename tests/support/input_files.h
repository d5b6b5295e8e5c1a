// Contents of quartz.dat and PT.dat for end-to-end tests.
#pragma once

#include <functional>
#include <string>

namespace logk::testing {

// 37 records of 36 values, value(I, J) at PGRID(I), TGRID(J), written with
// enough digits to read back exactly.
std::string table_text(const std::function<double(int, int)>& value);

// A table whose every cell holds `value`.
std::string uniform_table(double value);

}  // namespace logk::testing
