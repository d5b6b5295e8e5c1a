// The division from a reciprocal built as the batch loop builds it for
// AVX2 (reciprocal_lanes.h).
#include <immintrin.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "reciprocal_lanes.h"

#pragma GCC target("avx2,fma")
#include "interp/reciprocal_division.h"

void logk::testing::divide_in_lanes_avx2(const Reciprocal& r, std::size_t n, const double* x, double* quotient,
                                       double* negated) {
    using L = Lanes<4>;
    for (std::size_t k = 0; k + 4 <= n; k += 4) {
        const L::Double lanes = L::load(x + k);
        L::store(divide_lanes<4>(lanes, L::all(r.d), L::all(r.zh), L::all(r.zl)), quotient + k);
        L::store(divide_negated_lanes<4>(lanes, L::all(r.d), L::all(r.zh), L::all(r.zl)), negated + k);
    }
}

void logk::testing::divide_one_by_one(const Reciprocal& r, std::size_t n, const double* x, double* quotient) {
    for (std::size_t k = 0; k < n; ++k) quotient[k] = divide(x[k], r.d, r.zh, r.zl);
}
