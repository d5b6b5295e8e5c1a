// Many points at once: the program's stencil selection and interpolation,
// exactly, for each point of an array.
#pragma once

#include <cstddef>

#include "grid/logk_table.h"

namespace logk {

// For i < n: FINDPT then INTRPK for P[i], T[i], as the program does for one
// point, into whichever outputs are not null. P and T are not null.
void interpolate_points(const LogKTable& LOGK, std::size_t n, const double* P, const double* T, double* LK,
                        int* PIDX, int* TIDX, char* ISOERR, char* PTERR);

}  // namespace logk
