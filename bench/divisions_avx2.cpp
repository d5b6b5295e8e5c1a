#include "batch/batch_prelude.h"
#pragma GCC target("avx2,fma")
#include "divisions_lanes.h"

void bench::divisions_avx2(std::size_t n, const double* P, const double* T, double* LK) { divisions<4>(n, P, T, LK); }
void bench::reciprocal_divisions_avx2(std::size_t n, const double* P, const double* T, double* LK) {
    reciprocal_divisions<4>(n, P, T, LK);
}
