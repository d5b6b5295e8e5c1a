// The slopes of the interpolating polynomial: d log K / dT and d log K / dP.
#pragma once

#include <cstddef>

#include "grid/grid_table.h"
#include "grid/logk_table.h"

namespace logk {

// The partial derivatives at (P, T) of the biquadratic polynomial that
// INTRPK evaluates on the stencil PIDX, TIDX: the slopes of the interpolant,
// not of whatever the table was sampled from, and so, like the interpolant,
// continuous within a stencil and not across a change of stencil. With
// L_k(x) the quadratic Lagrange basis through the stencil's three nodes and
// L_k'(x) = ((x - a) + (x - b)) / ((x_k - a)(x_k - b)) its derivative:
//   dLK_dT = sum_J L_J'(T) sum_I L_I(P) LOGK(I, J)
//   dLK_dP = sum_J L_J(T) sum_I L_I'(P) LOGK(I, J)
// Requires 1 <= PIDX <= 35 and 3 <= TIDX <= 36.
void interpolant_slopes(double P, double T, int PIDX, int TIDX, const LogKTable& LOGK, double& dLK_dT,
                        double& dLK_dP);

// The same in two steps, for many tables on one stencil: the basis
// polynomials of the point once, then the sums for each table, whose node
// (I, J) is cells[LogKTable::offset(I, J) * stride]. Each table gets the
// bits interpolant_slopes gives it.
struct StencilBasis {
    int PIDX, TIDX;
    double in_p[3], slope_p[3];  // L_I(P) and L_I'(P), I = PIDX .. PIDX + 2
    double in_t[3], slope_t[3];  // L_J(T) and L_J'(T), J = TIDX - 2 .. TIDX
};
StencilBasis stencil_basis(double P, double T, int PIDX, int TIDX);
void slopes_on(const StencilBasis& basis, const double* cells, std::size_t stride, double& dLK_dT, double& dLK_dP);

// The same over a table of its own nodes (values at cells[grid.offset(I, J)
// * stride]). Along one line (m = 1) dLK_dT is the temperature basis's
// slopes over the row's three values and dLK_dP is 0: P takes no part.
StencilBasis grid_stencil_basis(double P, double T, int PIDX, int TIDX, const GridTable& grid);
void grid_slopes_on(const StencilBasis& basis, const GridTable& grid, const double* cells, std::size_t stride,
                    double& dLK_dT, double& dLK_dP);

}  // namespace logk
