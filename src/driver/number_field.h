// Fixed-width fields of the result file.
#pragma once

namespace logk {

// Writes x into out[0..width) as a number with 3 decimals, right-justified.
// The exact binary value is rounded to the nearest 0.001, exact halves away
// from zero, so the C library's %.3f (which ties to even, and may decide on
// a shorter decimal form) cannot be used:
//   width 8:  1.0625 -> "   1.063"   2.0005 -> "   2.001"   1.0005 -> "   1.000"
//             -0.0004 -> "   0.000" (no sign on zero)        -20 -> " -20.000"
//             -9999.9 -> "********" (does not fit)           1e-310 -> ".000E+00"
//   width 12: -2.5 -> "      -2.500"   NaN -> " NaN        "   -inf -> " -Infinity  "
void format_number_field(double x, int width, char* out);

// Writes value into out[0..width) as a right-justified decimal integer, or
// as asterisks when it does not fit: width 2 holds -9 to 99.
void format_integer_field(int value, int width, char* out);

}  // namespace logk
