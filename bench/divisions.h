// The divisions' limit of the batch loop: INTRPK's arithmetic alone, in
// the loop's lanes, on fixed stencils (no stencil chosen, nothing fetched),
// built once per instruction set as the loop is (divisions_*.cpp).
#pragma once

#include <cstddef>

namespace bench {

// LK[i] for n points (a multiple of 8) on the stencil PIDX 13, TIDX 11 of
// a made-up table, W points to a vector: the 24 divisions a point and the
// multiplications and sums between them, nothing else.
void divisions_baseline(std::size_t n, const double* P, const double* T, double* LK);
void divisions_avx2(std::size_t n, const double* P, const double* T, double* LK);
void divisions_avx512(std::size_t n, const double* P, const double* T, double* LK);

}  // namespace bench
