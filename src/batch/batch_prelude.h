// What the batch loop uses besides its own lanes: the standard headers and
// logk's computation, built for the baseline. A build of the loop for an
// instruction set includes this before it turns that set on, so that no
// function defined here is built for it (an inline function built for
// AVX-512 in one file could stand for every file's copy of it).
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "batch/batch.h"
#include "grid/grid.h"
#include "grid/logk_table.h"
#include "interp/intrpk.h"
#include "interp/one_nan.h"
#include "interp/slopes.h"
#include "stencil/findpt.h"
#include "stencil/grid_rules.h"
#include "grid/grid_table.h"
#include "stencil/grid_rows.h"

namespace logk::batch {

// One call of the batch loop.
struct Work {
    TableValues tables;
    std::size_t n;
    const double* P;
    const double* T;
    BatchOutputs out;
    // Whether to divide from the reciprocals where the guards allow
    // (interp/reciprocal_division.h); only the builds with fma do.
    bool reciprocal = false;
    bool slopes() const { return out.dLK_dT != nullptr || out.dLK_dP != nullptr; }
};

// The builds of the loop, one per instruction set.
void points_baseline(const Work& w);
void points_avx2(const Work& w);
void points_avx512(const Work& w);

// And of the loops over one stencil (batch.h's interpolate_on_stencil and
// interpolate_along_temperature).
struct OneStencil {
    const double* cells;
    int PIDX, TIDX;
    PressureColumns columns;  // for along_temperature
    const GridTable* grid;    // a table of its own nodes, or null for the fixed grid
    std::size_t n;
    const double* P;
    const double* T;
    double* LK;
    bool reciprocal = false;
};
void on_one_stencil_baseline(const OneStencil& s);
void on_one_stencil_avx2(const OneStencil& s);
void on_one_stencil_avx512(const OneStencil& s);
void along_temperature_baseline(const OneStencil& s);
void along_temperature_avx2(const OneStencil& s);
void along_temperature_avx512(const OneStencil& s);

}  // namespace logk::batch
