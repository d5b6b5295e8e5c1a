// The slopes of the interpolating polynomial: d log K / dT and d log K / dP.
#pragma once

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

}  // namespace logk
