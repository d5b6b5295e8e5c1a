// Stencil selection: which 3 x 3 block of table nodes a point is
// interpolated on, and the two range flags of the point.
#pragma once

namespace logk {

// Sets PIDX (the stencil's lowest pressure node, 1..35) and TIDX (its
// highest temperature node, 3..36) for every pair of doubles, NaN and
// infinities included, and raises the flags:
//   PTERR  'W' outside the grid but within the margin (0 < P < 1 bar,
//          5000 < P < 6000 bar, 600 < T <= 700 degC), 'E' beyond it;
//   ISOERR 'W' the stencil was moved to higher pressures, 'E' P lies below
//          the lower pressure limit of the point's temperature row.
// A flag is only ever raised to 'W' or 'E', never written 'N'; the caller
// resets both to 'N' before every point.
//   500, 300  -> 19, 13, 'N', 'N'      0.5, 200 -> 2, 9, 'W', 'E'
//   170, 375  -> 15, 16, 'N', 'W'      NaN, 100 -> 2, 5, 'E', 'W'
void FINDPT(const double& P, const double& T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR);

// The same, read off the rules one comparison at a time. FINDPT takes a
// quicker route for the points on the grid and agrees with this everywhere.
void find_rule_by_rule(const double& P, const double& T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR);

}  // namespace logk
