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

void slopes_on(const StencilBasis& basis, const double* cells, std::size_t stride, double& dLK_dT, double& dLK_dP) {
    const double* first = cells + LogKTable::offset(basis.PIDX, basis.TIDX - 2) * stride;
    dLK_dT = 0.0;
    dLK_dP = 0.0;
    for (int j = 0; j < 3; ++j) {
        double along_p = 0.0;  // the column interpolated in pressure
        double slope_p = 0.0;  // and its slope in pressure
        for (int i = 0; i < 3; ++i) {
            const double cell = first[static_cast<std::size_t>(i + j * kPressureNodes) * stride];
            along_p += basis.in_p[i] * cell;
            slope_p += basis.slope_p[i] * cell;
        }
        dLK_dT += basis.slope_t[j] * along_p;
        dLK_dP += basis.in_t[j] * slope_p;
    }
    dLK_dT = one_nan(dLK_dT);
    dLK_dP = one_nan(dLK_dP);
}

void interpolant_slopes(double P, double T, int PIDX, int TIDX, const LogKTable& LOGK, double& dLK_dT,
                        double& dLK_dP) {
    slopes_on(stencil_basis(P, T, PIDX, TIDX), LOGK.cells(), 1, dLK_dT, dLK_dP);
}

}  // namespace logk
