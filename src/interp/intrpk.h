// Biquadratic Lagrange interpolation of log K on one stencil.
#pragma once

#include <cstddef>

#include "grid/grid_table.h"
#include "grid/logk_table.h"

namespace logk {

// LK := the quadratic Lagrange polynomial in pressure through PGRID(PIDX),
// PGRID(PIDX+1), PGRID(PIDX+2), taken along TGRID(TIDX-2), TGRID(TIDX-1),
// TGRID(TIDX), then the quadratic in temperature through those three values,
// evaluated at (P, T). Requires 1 <= PIDX <= 35 and 3 <= TIDX <= 36.
//
// The evaluation order is part of the output: reordering the terms, forming
// a ratio or a weight first, or fusing a multiply-add changes the last bit.
// With PIDX 13, TIDX 11, P 260, T 210 and the table values
//   -2.50 -2.40 -2.31 / -2.48 -2.38 -2.30 / -2.46 -2.37 -2.28
// (200, 250, 300 bar by 200, 225, 250 degC), LK is -0x1.37963992c8c4ep+1
// (-2.434271999999999), two ulps from the exact -2.434272.
// NaN and infinities pass through without a trap (the program writes any
// NaN as "NaN"); LK's value on entry is never read.
void INTRPK(const double& P, const double& T, const int& PIDX, const int& TIDX, const LogKTable& LOGK,
            double& LK);

// INTRPK, with the same operations in the same order, on a table whose
// node (I, J) is cells[LogKTable::offset(I, J) * stride]: one table of a set
// of `stride` tables stored value by value (cells pointing at its first).
// For the library: a LK that is NaN is the one quiet NaN (interp/one_nan.h).
void intrpk_strided(double P, double T, int PIDX, int TIDX, const double* cells, std::size_t stride, double& LK);

// The same on the cells of a LogKTable, in its order (stride 1), compiled for that.
void intrpk_cells(double P, double T, int PIDX, int TIDX, const double* cells, double& LK);

// intrpk_cells in its two passes, for many temperatures at one pressure on
// one stencil: the stencil's three columns interpolated at P (LKP(1) ..
// LKP(3)), then the temperature pass over them. The composition gives
// intrpk_cells's bits: it is the very code INTRPK runs.
struct PressureColumns {
    double LKP[3];
};
PressureColumns intrpk_columns(double P, int PIDX, int TIDX, const double* cells);
double intrpk_along_temperature(double T, int TIDX, const PressureColumns& columns);

// INTRPK over the nodes of a table of its own: the same operations in the
// same order, with the stencil's steps from its nodes as the fixed grid
// has them from its own (the same bits for the same nodes). The values
// are cells[grid.offset(I, J) * stride] (one table of a set of `stride`
// sharing the grid's nodes; stride 1 for the grid's own). Along one line
// (m = 1) the temperature pass alone, over the row's three values, P
// taking no part. A LK that is NaN is the one quiet NaN.
void intrpk_grid(double P, double T, int PIDX, int TIDX, const GridTable& grid, const double* cells,
                 std::size_t stride, double& LK);
// And in its two passes, over the grid's own values.
PressureColumns intrpk_grid_columns(double P, int PIDX, int TIDX, const GridTable& grid);
double intrpk_grid_along_temperature(double T, int TIDX, const GridTable& grid, const PressureColumns& columns);

}  // namespace logk
