// One NaN for every NaN that log K or a slope takes.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>

namespace logk {

// Which NaN an operation yields (its sign, its payload) depends on which
// operand held a NaN and on the order of the operands the compiler chose,
// so a table's NaN cells or a point at infinity would give other bits on
// other paths. Every result that is NaN becomes this one quiet NaN, the
// value NumPy calls np.nan. (interp/intrpk_lanes.h does the same for lanes.)
inline constexpr double kOneNaN = std::numeric_limits<double>::quiet_NaN();
static_assert(std::bit_cast<std::uint64_t>(kOneNaN) == 0x7FF8000000000000);

// x, or the one NaN where x is a NaN.
inline double one_nan(double x) { return x == x ? x : kOneNaN; }

}  // namespace logk
