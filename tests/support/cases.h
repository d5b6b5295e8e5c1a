// The table of cases every face runs (tests/cases/cases.txt), read for the
// C++ and C tests: its rows as their words, and its doubles from bits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace logk::testing {

struct CaseRow {
    int line;                          // in the file, for the test's messages
    std::vector<std::string> fields;   // the kind first
};

// Every row of the file but comments and blank lines.
std::vector<CaseRow> case_rows();

// A double from its 16 hex digits; and the digits of a double.
double from_bits(const std::string& hex);
std::string bits_of(double x);

// The 1332 values of a file of hex bits (a hextable row's PATH, from the top).
std::vector<double> hex_values(const std::string& path);

}  // namespace logk::testing
