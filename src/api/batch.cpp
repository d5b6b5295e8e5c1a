#include "api/batch.h"

#include "interp/intrpk.h"
#include "stencil/findpt.h"

namespace logk {

void interpolate_points(const LogKTable& LOGK, std::size_t n, const double* P, const double* T, double* LK,
                        int* PIDX, int* TIDX, char* ISOERR, char* PTERR) {
    for (std::size_t i = 0; i < n; ++i) {
        int pidx = -100;
        int tidx = -100;
        char pterr = 'N';
        char isoerr = 'N';
        double lk;
        FINDPT(P[i], T[i], pidx, tidx, pterr, isoerr);
        INTRPK(P[i], T[i], pidx, tidx, LOGK, lk);
        if (LK != nullptr) LK[i] = lk;
        if (PIDX != nullptr) PIDX[i] = pidx;
        if (TIDX != nullptr) TIDX[i] = tidx;
        if (ISOERR != nullptr) ISOERR[i] = isoerr;
        if (PTERR != nullptr) PTERR[i] = pterr;
    }
}

}  // namespace logk
