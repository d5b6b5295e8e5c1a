// The division from a reciprocal built as the batch loop builds it for
// AVX-512 (reciprocal_lanes.h).
#include <immintrin.h>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "reciprocal_lanes.h"

#pragma GCC target("avx512f,avx512dq,avx512vl,fma")
#include "interp/reciprocal_division.h"

void logk::testing::divide_in_lanes_avx512(const Reciprocal& r, std::size_t n, const double* x, double* quotient,
                                         double* negated) {
    using L = Lanes<8>;
    for (std::size_t k = 0; k + 8 <= n; k += 8) {
        const L::Double lanes = L::load(x + k);
        L::store(divide_lanes<8>(lanes, L::all(r.d), L::all(r.zh), L::all(r.zl)), quotient + k);
        L::store(divide_negated_lanes<8>(lanes, L::all(r.d), L::all(r.zh), L::all(r.zl)), negated + k);
    }
}
