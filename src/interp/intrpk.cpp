#include "interp/intrpk.h"

#include <cfloat>

#include "grid/grid.h"

// Every operation must be rounded to a double on its own: no x87 extended
// intermediates (and the build passes -ffp-contract=off, so no fused
// multiply-add either).
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must not carry wider intermediates");

namespace logk {
namespace {

// Two doubles side by side. Each lane is rounded exactly as a lone double
// would be, so pairing independent terms changes no bit of any of them; it
// takes the call from 24 divisions to 14, and the divisions bound its time.
using Pair = double __attribute__((vector_size(16)));

// One step of a term: a multiplication by its numerator, then a division
// by its denominator.
inline Pair factor(Pair term, Pair numerator, Pair denominator) { return term * numerator / denominator; }
inline double factor(double term, double numerator, double denominator) {
    return term * numerator / denominator;
}

inline Pair both(double x) { return Pair{x, x}; }

}  // namespace

// Pressure pass: for each temperature column, the terms of PIDX+2, PIDX+1
// and PIDX, each with its two factors in descending pressure node order,
// summed in that order from zero. Temperature pass: the terms of the three
// columns in ascending order, each with its factors in ascending node
// order, summed from zero.
//
// The nine pressure terms go in pairs: columns 1 and 2 of each node share
// their factors; column 3 pairs its PIDX+2 and PIDX+1 terms and takes the
// PIDX term alone. The temperature pass pairs columns 1 and 2.
void INTRPK(const double& P, const double& T, const int& PIDX, const int& TIDX, const LogKTable& LOGK,
            double& LK) {
    const int I0 = PIDX, I1 = PIDX + 1, I2 = PIDX + 2;
    const int J1 = TIDX - 2, J2 = TIDX - 1, J3 = TIDX;
    const double p0 = P - PGRID(I0), p1 = P - PGRID(I1), p2 = P - PGRID(I2);

    // Columns 1 and 2; factors M = I1, I0 for I2; M = I2, I0 for I1; M = I2, I1 for I0.
    const Pair top = factor(factor(Pair{LOGK(I2, J1), LOGK(I2, J2)}, both(p1), both(PGRID(I2) - PGRID(I1))),
                            both(p0), both(PGRID(I2) - PGRID(I0)));
    const Pair middle = factor(factor(Pair{LOGK(I1, J1), LOGK(I1, J2)}, both(p2), both(PGRID(I1) - PGRID(I2))),
                               both(p0), both(PGRID(I1) - PGRID(I0)));
    const Pair bottom = factor(factor(Pair{LOGK(I0, J1), LOGK(I0, J2)}, both(p2), both(PGRID(I0) - PGRID(I2))),
                               both(p1), both(PGRID(I0) - PGRID(I1)));
    const Pair LKP12 = ((both(0.0) + top) + middle) + bottom;

    // Column 3: the I2 and I1 terms side by side, then the I0 term.
    const Pair upper3 = factor(factor(Pair{LOGK(I2, J3), LOGK(I1, J3)}, Pair{p1, p2},
                                      Pair{PGRID(I2) - PGRID(I1), PGRID(I1) - PGRID(I2)}),
                               both(p0), Pair{PGRID(I2) - PGRID(I0), PGRID(I1) - PGRID(I0)});
    const double bottom3 = factor(factor(LOGK(I0, J3), p2, PGRID(I0) - PGRID(I2)), p1, PGRID(I0) - PGRID(I1));
    const double LKP3 = ((0.0 + upper3[0]) + upper3[1]) + bottom3;

    // Column 1 takes the factors of J2 then J3, column 2 those of J1 then J3,
    // column 3 those of J1 then J2.
    const Pair terms12 = factor(factor(LKP12, Pair{T - TGRID(J2), T - TGRID(J1)},
                                       Pair{TGRID(J1) - TGRID(J2), TGRID(J2) - TGRID(J1)}),
                                both(T - TGRID(J3)),
                                Pair{TGRID(J1) - TGRID(J3), TGRID(J2) - TGRID(J3)});
    const double term3 = factor(factor(LKP3, T - TGRID(J1), TGRID(J3) - TGRID(J1)), T - TGRID(J2),
                                TGRID(J3) - TGRID(J2));
    LK = ((0.0 + terms12[0]) + terms12[1]) + term3;
}

}  // namespace logk
