#include "interp/slopes.h"

#include "grid/grid.h"
#include "interp/one_nan.h"

namespace logk {
namespace {

// The three basis polynomials through x0 < x1 < x2 and their derivatives at x.
void quadratic_basis(double x, const double (&node)[3], double (&value)[3], double (&slope)[3]) {
    for (int k = 0; k < 3; ++k) {
        const double a = node[(k + 1) % 3];
        const double b = node[(k + 2) % 3];
        const double denominator = (node[k] - a) * (node[k] - b);
        value[k] = (x - a) * (x - b) / denominator;
        slope[k] = ((x - a) + (x - b)) / denominator;
    }
}

}  // namespace

StencilBasis stencil_basis(double P, double T, int PIDX, int TIDX) {
    StencilBasis basis{PIDX, TIDX, {}, {}, {}, {}};
    quadratic_basis(P, {PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2)}, basis.in_p, basis.slope_p);
    quadratic_basis(T, {TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX)}, basis.in_t, basis.slope_t);
    return basis;
}

// The sums over a stencil's nine values, pressure node i of column j at
// first[(i + j * column) * stride].
void slopes_over(const StencilBasis& basis, const double* first, std::size_t column, std::size_t stride,
                 double& dLK_dT, double& dLK_dP) {
    dLK_dT = 0.0;
    dLK_dP = 0.0;
    for (int j = 0; j < 3; ++j) {
        double along_p = 0.0;  // the column interpolated in pressure
        double slope_p = 0.0;  // and its slope in pressure
        for (int i = 0; i < 3; ++i) {
            const double cell = first[(static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * column) * stride];
            along_p += basis.in_p[i] * cell;
            slope_p += basis.slope_p[i] * cell;
        }
        dLK_dT += basis.slope_t[j] * along_p;
        dLK_dP += basis.in_t[j] * slope_p;
    }
    dLK_dT = one_nan(dLK_dT);
    dLK_dP = one_nan(dLK_dP);
}

void slopes_on(const StencilBasis& basis, const double* cells, std::size_t stride, double& dLK_dT, double& dLK_dP) {
    slopes_over(basis, cells + LogKTable::offset(basis.PIDX, basis.TIDX - 2) * stride, kPressureNodes, stride, dLK_dT,
                dLK_dP);
}

StencilBasis grid_stencil_basis(double P, double T, int PIDX, int TIDX, const GridTable& grid) {
    StencilBasis basis{PIDX, TIDX, {}, {}, {}, {}};
    const double* t = grid.temperatures() + (TIDX - 3);
    quadratic_basis(T, {t[0], t[1], t[2]}, basis.in_t, basis.slope_t);
    if (grid.along_one_line()) return basis;
    const double* p = grid.pressures() + (PIDX - 1);
    quadratic_basis(P, {p[0], p[1], p[2]}, basis.in_p, basis.slope_p);
    return basis;
}

void grid_slopes_on(const StencilBasis& basis, const GridTable& grid, const double* cells, std::size_t stride,
                    double& dLK_dT, double& dLK_dP) {
    const double* first = cells + grid.offset(basis.PIDX, basis.TIDX - 2) * stride;
    if (!grid.along_one_line()) {
        return slopes_over(basis, first, static_cast<std::size_t>(grid.m()), stride, dLK_dT, dLK_dP);
    }
    // Along one line the row's values are the columns themselves, and P
    // takes no part.
    dLK_dT = 0.0;
    for (std::size_t j = 0; j < 3; ++j) dLK_dT += basis.slope_t[j] * first[j * stride];
    dLK_dT = one_nan(dLK_dT);
    dLK_dP = 0.0;
}

void interpolant_slopes(double P, double T, int PIDX, int TIDX, const LogKTable& LOGK, double& dLK_dT,
                        double& dLK_dP) {
    slopes_on(stencil_basis(P, T, PIDX, TIDX), LOGK.cells(), 1, dLK_dT, dLK_dP);
}

}  // namespace logk
