// A slow, obviously correct reference for the number fields of logk.out.
#pragma once

#include <string>

namespace logk::testing {

// The field text of a finite, zero or normal x: the exact decimal expansion
// of the double (printf prints every digit), rounded half away from zero on
// those digits at the third decimal, then the field rules (sign only on a
// non-zero result, "0" below 1, asterisks when the text is wider than the
// field). Subnormals and non-finite values have fixed texts and return "".
std::string exact_number_field(double x, int width);

}  // namespace logk::testing
