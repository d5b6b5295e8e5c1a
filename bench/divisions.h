// The divisions' limit of the batch loop: INTRPK's arithmetic alone, in
// the loop's lanes, on fixed stencils (no stencil chosen, nothing fetched),
// built once per instruction set as the loop is (divisions_*.cpp), by the
// divider and, where the build has fma, from the steps' reciprocals.
#pragma once

#include <cstddef>

namespace bench {

// LK[i] for n points (a multiple of 8) on the stencil PIDX 13, TIDX 11 of
// a made-up table, W points to a vector: the 24 divisions a point and the
// multiplications and sums between them, nothing else.
void divisions_baseline(std::size_t n, const double* P, const double* T, double* LK);
void divisions_avx2(std::size_t n, const double* P, const double* T, double* LK);
void divisions_avx512(std::size_t n, const double* P, const double* T, double* LK);
// The same with each division from its reciprocal (interp/reciprocal_division.h).
void reciprocal_divisions_avx2(std::size_t n, const double* P, const double* T, double* LK);
void reciprocal_divisions_avx512(std::size_t n, const double* P, const double* T, double* LK);

// By build (logk::InstructionSet's order) and division (logk::Division's):
// null where the build has no such form.
using DivisionsFunction = void (*)(std::size_t, const double*, const double*, double*);
inline constexpr DivisionsFunction kDivisions[3][2] = {{divisions_baseline, nullptr},
                                                       {divisions_avx2, reciprocal_divisions_avx2},
                                                       {divisions_avx512, reciprocal_divisions_avx512}};

}  // namespace bench
