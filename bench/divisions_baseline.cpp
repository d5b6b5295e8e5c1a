#include "batch/batch_prelude.h"
#include "divisions_lanes.h"

void bench::divisions_baseline(std::size_t n, const double* P, const double* T, double* LK) { divisions<2>(n, P, T, LK); }
