#include "batch/batch_prelude.h"
#pragma GCC target("avx2")
#include "divisions_lanes.h"

void bench::divisions_avx2(std::size_t n, const double* P, const double* T, double* LK) { divisions<4>(n, P, T, LK); }
