#include "interp/intrpk.h"

#include <cfloat>

#include "grid/grid.h"

// Every operation must be rounded to a double on its own: no x87 extended
// intermediates (and the build passes -ffp-contract=off, so no fused
// multiply-add either).
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must not carry wider intermediates");

namespace logk {

void INTRPK(const double& P, const double& T, const int& PIDX, const int& TIDX, const LogKTable& LOGK,
            double& LK) {
    double LKP[3] = {0.0, 0.0, 0.0};
    LK = 0.0;

    // Pressure pass: temperature columns ascending; within a column, terms
    // and their factors in descending pressure node order. Each factor is a
    // multiplication by its numerator, then a division by its denominator.
    for (int K = 1; K <= 3; ++K) {
        const int J = TIDX - 3 + K;
        for (int I = PIDX + 2; I >= PIDX; --I) {
            double term = LOGK(I, J);
            for (int M = PIDX + 2; M >= PIDX; --M) {
                if (M == I) continue;
                term = term * (P - PGRID(M));
                term = term / (PGRID(I) - PGRID(M));
            }
            LKP[K - 1] = LKP[K - 1] + term;
        }
    }

    // Temperature pass: terms and factors in ascending node order.
    for (int K = 1; K <= 3; ++K) {
        const int J = TIDX - 3 + K;
        double term = LKP[K - 1];
        for (int N = TIDX - 2; N <= TIDX; ++N) {
            if (N == J) continue;
            term = term * (T - TGRID(N));
            term = term / (TGRID(J) - TGRID(N));
        }
        LK = LK + term;
    }
}

}  // namespace logk
