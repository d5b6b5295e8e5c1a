// The interpolation run backwards: where, going up in temperature at a
// fixed pressure (or in pressure at a fixed temperature), log K as the
// batch call gives it first takes a value. The search needs the
// computation (grid, stencil, interp) for the stencils and the pieces'
// quadratics, and the batch loop to look at doubles one by one; the
// library's faces call it for one point or many.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "grid/grid_table.h"
#include "grid/logk_table.h"
#include "stencil/grid_rules.h"

namespace logk {

enum class Along { temperature, pressure };

// The first double x from `low` up to `high` at which f(x) - y changes
// sign, f being log K along `along` with the other coordinate at `fixed`:
// f at the double below x lies on the other side of y than f(x), or
// f(x) == y. `how` is 'C' (inside one stencil, or f(x) == y), 'J' (f jumps
// over y where the stencil changes, x the first double past the jump), 'R'
// (rounding decides: f comes within rounding of y over more doubles than
// the search looks at one by one, kMostScanned; x is the first it has not
// looked at, and no double before x is an answer) or 'N' (no such x; `at`
// NaN). NaN inputs, and low > high, give 'N'. y = 0 (or -0) is a value as
// any other, also where the batch's rounding is exactly 0.
//
// The search takes the pieces of one stencil in order (grid_rows'
// kStencilTemperatures and kStencilPressures) and, in each, the quadratic
// the interpolant is there: where that quadratic lies farther from y than
// rounding can carry the batch's result, the side is certain; the rest, a
// few doubles around each crossing, is evaluated exactly, double after
// double, with the batch itself. The rounding is bounded for every table
// (relative to the terms, and where they fall among the subnormal doubles,
// absolutely), so every answer meets the definition, with two exceptions.
// Where rounding decides over more doubles than kMostScanned (y within some
// 1e-13 of an extremum of f, or a table flat to its last digits), the
// search looks at that many and answers 'R'. A piece where f is
// not finite, or where one of INTRPK's products could pass 2^1020 (in the
// grid, a table whose values pass some 10^302 in size; or a range some
// 10^150 off the grid), is halved: there an answer is a double where f
// changes sides, not always the first, and 'N' is not proven.
//
// The most doubles one search looks at one by one, in all, a double on a
// stencil whose values are out of the ordinary (some below 2^-400 or above
// 2^400 in size) counted twice: 2^21 = 2,097,152. Each costs what the
// batch's interpolation of a point on its stencil costs, some 4 ns along
// temperature and 12 along pressure on one core (twice that where the
// values are subnormal, whose arithmetic the processor takes slowly), so
// that no search takes more than some 30 ms (bench/crossing_bench.cpp):
// well within the tenth of a second in which a face must answer an
// interrupt between points. Where log K lies within rounding of y over
// some 10^5 to 10^6 doubles (near 0.01 degC, or near 1 to 5 bar, where
// the doubles are dense), that settles the answer.
inline constexpr std::uint64_t kMostScanned = std::uint64_t{1} << 21;

struct FirstCrossing {
    double at;
    char how;
};

// The table searched: on the fixed grid, or on its own nodes with their
// rules (then `fixed` is null). Along one line (m = 1) the pressure takes no
// part: along pressure log K is one value, taken at the range's first
// double or nowhere.
struct SearchedTable {
    const LogKTable* fixed = nullptr;
    const GridTable* grid = nullptr;
    const GridRules* rules = nullptr;
};
FirstCrossing first_crossing(const SearchedTable& table, Along along, double fixed, double y, double low,
                             double high);

}  // namespace logk

namespace logk {

// first_crossing for n points, point i at fixed[i] looking for LK[i], into
// at[i] and how[i] (how may be null), each point's inputs read before its
// outputs are written and no output before another point's inputs (the
// caller copies inputs that outputs would overwrite); on up to `workers`
// threads (workers/workers.h, not refused), with the same bits whatever
// their number. With a stop check, the points go in blocks sized by the
// time the last one took (some milliseconds: a point takes a microsecond,
// or milliseconds where it scans long stretches), the check asked between
// them: returns the points done, every output of those written and none
// of the later ones (n where the check never stopped it).
std::size_t crossings(const SearchedTable& table, Along along, std::size_t n, const double* fixed, const double* LK,
                      double low, double high, double* at, char* how, int workers,
                      const std::function<bool()>& stop);

}  // namespace logk
