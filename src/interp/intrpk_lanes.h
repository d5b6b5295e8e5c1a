// INTRPK for W points at once, each on its own stencil: the very operations
// of INTRPK, in its order, one lane per point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "grid/grid.h"
#include "grid/lanes.h"
#include "grid/logk_table.h"

namespace logk {

// The values a lane's stencil needs, one row of W lanes each: cell (i, j)
// at pressure node PIDX + i and temperature node TIDX - 2 + j in row
// i + 3 j, pressure node PIDX + i in row 9 + i, temperature node TIDX - 2 + j
// in row 12 + j.
template <int W>
struct StencilRows {
    static constexpr int kRows = 15;
    alignas(64) double row[kRows][W];
};

// Fills the rows for W stencils, one value at a time. (The gather
// instructions of AVX2 and AVX-512 did the same more slowly on the machines
// this was measured on.)
template <int W>
[[gnu::always_inline]] inline void gather_stencil_rows(const std::int64_t* PIDX, const std::int64_t* TIDX,
                                                       const LogKTable& LOGK, StencilRows<W>& rows) {
    const double* cells = LOGK.cells();
    for (int lane = 0; lane < W; ++lane) {
        const int I = static_cast<int>(PIDX[lane]);
        const int J = static_cast<int>(TIDX[lane]) - 2;
        const std::size_t first = LogKTable::offset(I, J);
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 3; ++i) {
                rows.row[i + 3 * j][lane] = cells[first + static_cast<std::size_t>(i + j * kPressureNodes)];
            }
        }
        for (int i = 0; i < 3; ++i) rows.row[9 + i][lane] = PGRID(I + i);
        for (int j = 0; j < 3; ++j) rows.row[12 + j][lane] = TGRID(J + j);
    }
}

template <int W>
[[gnu::always_inline]] inline void intrpk_lanes(const typename Lanes<W>::Double& P, const typename Lanes<W>::Double& T,
                                                const StencilRows<W>& rows, typename Lanes<W>::Double& LK) {
    using Double = typename Lanes<W>::Double;
    Double cell[3][3], pn[3], tn[3];
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) cell[i][j] = Lanes<W>::load(rows.row[i + 3 * j]);
    }
    for (int k = 0; k < 3; ++k) {
        pn[k] = Lanes<W>::load(rows.row[9 + k]);
        tn[k] = Lanes<W>::load(rows.row[12 + k]);
    }
    const Double p0 = P - pn[0], p1 = P - pn[1], p2 = P - pn[2];
    Double LKP[3];
    for (int j = 0; j < 3; ++j) {
        // Terms of nodes 2, 1, 0, factors in descending node order, summed from zero.
        const Double top = cell[2][j] * p1 / (pn[2] - pn[1]) * p0 / (pn[2] - pn[0]);
        const Double middle = cell[1][j] * p2 / (pn[1] - pn[2]) * p0 / (pn[1] - pn[0]);
        const Double bottom = cell[0][j] * p2 / (pn[0] - pn[2]) * p1 / (pn[0] - pn[1]);
        LKP[j] = ((Lanes<W>::all(0.0) + top) + middle) + bottom;
    }
    // Columns in ascending order, factors in ascending node order.
    const Double t0 = T - tn[0], t1 = T - tn[1], t2 = T - tn[2];
    const Double q0 = LKP[0] * t1 / (tn[0] - tn[1]) * t2 / (tn[0] - tn[2]);
    const Double q1 = LKP[1] * t0 / (tn[1] - tn[0]) * t2 / (tn[1] - tn[2]);
    const Double q2 = LKP[2] * t0 / (tn[2] - tn[0]) * t1 / (tn[2] - tn[1]);
    LK = ((Lanes<W>::all(0.0) + q0) + q1) + q2;
}

}  // namespace logk
