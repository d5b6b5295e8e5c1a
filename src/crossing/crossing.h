// The interpolation run backwards: where, going up in temperature at a
// fixed pressure (or in pressure at a fixed temperature), log K as the
// batch call gives it first takes a value. The search needs the
// computation (grid, stencil, interp) for the stencils and the pieces'
// quadratics, and the batch loop to look at doubles one by one; the
// library's faces call it for one point or many.
#pragma once

#include "grid/logk_table.h"

namespace logk {

enum class Along { temperature, pressure };

// The first double x from `low` up to `high` at which f(x) - y changes
// sign, f being log K along `along` with the other coordinate at `fixed`:
// f at the double below x lies on the other side of y than f(x), or
// f(x) == y. `how` is 'C' (inside one stencil, or f(x) == y), 'J' (f jumps
// over y where the stencil changes, x the first double past the jump), 'R'
// (rounding decides: x is the first double not looked at of a stretch of
// more than 65536 where f comes within rounding of y, and no double before
// x is an answer) or 'N' (no such x; `at` NaN). NaN inputs, and low > high,
// give 'N'. y = 0 (or -0) is a value as any other, also where the batch's
// rounding is exactly 0.
//
// The search takes the pieces of one stencil in order (grid_rows'
// kStencilTemperatures and kStencilPressures) and, in each, the quadratic
// the interpolant is there: where that quadratic lies farther from y than
// rounding can carry the batch's result, the side is certain; the rest, a
// few doubles around each crossing, is evaluated exactly, double after
// double, with the batch itself. The rounding is bounded for every table
// (relative to the terms, and where they fall among the subnormal doubles,
// absolutely), so every answer meets the definition, with two exceptions.
// A stretch of more than 65536 doubles where rounding decides (y within
// some 1e-13 of an extremum of f, or a table flat to its last digits) is
// looked at for its first 65536 and then answered 'R'. A piece where f is
// not finite, or where one of INTRPK's products could pass 2^1020 (in the
// grid, a table whose values pass some 10^302 in size; or a range some
// 10^150 off the grid), is halved: there an answer is a double where f
// changes sides, not always the first, and 'N' is not proven.
struct FirstCrossing {
    double at;
    char how;
};
FirstCrossing first_crossing(const LogKTable& LOGK, Along along, double fixed, double y, double low, double high);

}  // namespace logk
