// The division from a reciprocal (interp/reciprocal_division.h) in each
// build that has it, for the tests: the very inline code the batch loop
// runs, built under the same target pragmas (reciprocal_lanes_*.cpp).
#pragma once

#include <cstddef>

#include "grid/step_reciprocals.h"

namespace logk::testing {

// quotient[i] = x[i] / r.d and negated[i] = -(x[i] / r.d), from r's
// reciprocal, in lanes of four (AVX2 with fma) or eight (AVX-512), for n a
// multiple of eight; and one double at a time (AVX2's build, as the slopes
// divide).
void divide_in_lanes_avx2(const Reciprocal& r, std::size_t n, const double* x, double* quotient, double* negated);
void divide_in_lanes_avx512(const Reciprocal& r, std::size_t n, const double* x, double* quotient, double* negated);
void divide_one_by_one(const Reciprocal& r, std::size_t n, const double* x, double* quotient);

}  // namespace logk::testing
