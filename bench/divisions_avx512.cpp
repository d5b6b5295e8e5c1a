#include "batch/batch_prelude.h"
#pragma GCC target("avx512f,avx512dq,avx512vl,fma")
#include "divisions_lanes.h"

void bench::divisions_avx512(std::size_t n, const double* P, const double* T, double* LK) { divisions<8>(n, P, T, LK); }
void bench::reciprocal_divisions_avx512(std::size_t n, const double* P, const double* T, double* LK) {
    reciprocal_divisions<8>(n, P, T, LK);
}
