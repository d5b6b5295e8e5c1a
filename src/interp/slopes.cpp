#include "interp/slopes.h"

#include "grid/grid.h"

namespace logk {
namespace {

// The three basis polynomials through x0 < x1 < x2 and their derivatives at x.
struct Basis {
    double value[3];
    double slope[3];
};

Basis quadratic_basis(double x, const double (&node)[3]) {
    Basis basis{};
    for (int k = 0; k < 3; ++k) {
        const double a = node[(k + 1) % 3];
        const double b = node[(k + 2) % 3];
        const double denominator = (node[k] - a) * (node[k] - b);
        basis.value[k] = (x - a) * (x - b) / denominator;
        basis.slope[k] = ((x - a) + (x - b)) / denominator;
    }
    return basis;
}

}  // namespace

void interpolant_slopes(double P, double T, int PIDX, int TIDX, const LogKTable& LOGK, double& dLK_dT,
                        double& dLK_dP) {
    const Basis in_p = quadratic_basis(P, {PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2)});
    const Basis in_t = quadratic_basis(T, {TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX)});
    dLK_dT = 0.0;
    dLK_dP = 0.0;
    for (int j = 0; j < 3; ++j) {
        double along_p = 0.0;  // the column interpolated in pressure
        double slope_p = 0.0;  // and its slope in pressure
        for (int i = 0; i < 3; ++i) {
            const double cell = LOGK(PIDX + i, TIDX - 2 + j);
            along_p += in_p.value[i] * cell;
            slope_p += in_p.slope[i] * cell;
        }
        dLK_dT += in_t.slope[j] * along_p;
        dLK_dP += in_t.value[j] * slope_p;
    }
}

}  // namespace logk
