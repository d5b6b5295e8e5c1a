// GridRules::find for W points at once: the same decisions, made by
// comparisons and selections across the lanes, with the few that depend on
// a table's missing values looked up lane by lane.
#pragma once

#include <cstdint>

#include "grid/lanes.h"
#include "stencil/grid_rules.h"

namespace logk {

// A table with more changes of its nearest node than this on an axis is
// searched point by point (GridRules::find): counting them all across the
// lanes costs more than halving there.
inline constexpr std::size_t kMostChangesCounted = 64;

// The lanes' stencils and flags (as StencilLanes of findpt_lanes.h).
template <int W>
struct GridStencilLanes {
    using Int = typename Lanes<W>::Int;
    Int PIDX, TIDX, PTERR, ISOERR;
};

// Whether find_lanes can take a table's points.
inline bool counted_in_lanes(const GridRules& rules) {
    return rules.pressure_changes().size() <= kMostChangesCounted &&
           rules.temperature_changes().size() <= kMostChangesCounted;
}

namespace grid_lanes {

// The number of changes at or below x in each lane: a node less than the
// nearest (a NaN at or above none, so its nearest is the first).
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Int changes_not_above(const std::vector<double>& changes,
                                                                      const typename Lanes<W>::Double& x) {
    using Int = typename Lanes<W>::Int;
    if constexpr (W >= 8) {
        // Eight lanes are AVX-512's: there a comparison gives a mask, which
        // adds one to its lanes in one operation (a comparison's -1 in
        // every lane would take one more), in four counts apart so that
        // the loop's own test comes a quarter as often.
        const Int one = Lanes<W>::all(std::int64_t{1});
        Int count[4]{};
        const double* change = changes.data();
        const std::size_t n = changes.size();
        std::size_t k = 0;
        for (; k + 4 <= n; k += 4) {
            for (int j = 0; j < 4; ++j) count[j] = x >= change[k + j] ? count[j] + one : count[j];
        }
        for (; k < n; ++k) count[0] = x >= change[k] ? count[0] + one : count[0];
        return (count[0] + count[1]) + (count[2] + count[3]);
    } else {
        Int count{};
        for (const double change : changes) count -= x >= change;  // a true comparison is -1
        return count;
    }
}

// 0 within [first, last], 1 within [low, high], 2 beyond or NaN.
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Int verdict(const typename Lanes<W>::Double& x,
                                                            const GridRules::Range& range) {
    using Int = typename Lanes<W>::Int;
    const Int one = Lanes<W>::all(std::int64_t{1});
    const Int within = (x >= range.first) & (x <= range.last);
    const Int margin = (x >= range.low) & (x <= range.high);
    return within ? Int{} : (margin ? one : one + one);
}

template <typename Int>
[[gnu::always_inline]] inline Int clamped(const Int& x, std::int64_t low, std::int64_t high) {
    const Int at_least = x < low ? Int{} + low : x;
    return at_least > high ? Int{} + high : at_least;
}

}  // namespace grid_lanes

// The stencils and flags of W points, as GridRules::find gives each (the
// table's changes no more than kMostChangesCounted on either axis); the
// flags only where kFlags asks for them (a call that wants none saves
// their work).
template <int W, bool kFlags = true>
[[gnu::always_inline]] inline void grid_find_lanes(const GridRules& rules, const typename Lanes<W>::Double& P,
                                                   const typename Lanes<W>::Double& T, GridStencilLanes<W>& out) {
    using L = Lanes<W>;
    using Int = typename L::Int;
    using namespace grid_lanes;
    const Int nearest_T = changes_not_above<W>(rules.temperature_changes(), T) + 1;
    out.TIDX = clamped(nearest_T, 2, rules.n() - 1) + 1;
    Int verdicts = kFlags ? verdict<W>(T, rules.temperature_range()) : Int{};
    Int isoerr = L::all(std::int64_t{'N'});
    // What depends on the missing values, lane by lane, through arrays (a
    // vector's lanes are read and written as memory here).
    alignas(64) std::int64_t TIDX[W], nearest[W], first[W], flag[W];
    alignas(64) double pressure[W];
    if (rules.m() == 1) {
        out.PIDX = L::all(std::int64_t{1});
        if (rules.has_missing()) {
            L::store(out.TIDX, TIDX);
            L::store(isoerr, flag);
            for (int lane = 0; lane < W; ++lane) {
                if (rules.row_missing(static_cast<int>(TIDX[lane]))) flag[lane] = 'E';
            }
            isoerr = L::load(flag);
        }
    } else {
        const Int nearest_P = changes_not_above<W>(rules.pressure_changes(), P) + 1;
        const Int start = clamped(nearest_P, 2, rules.m() - 1) - 1;
        if constexpr (kFlags) {
            const Int p_verdict = verdict<W>(P, rules.pressure_range());
            verdicts = verdicts > p_verdict ? verdicts : p_verdict;
        }
        out.PIDX = start;
        if (rules.has_missing()) {
            L::store(out.TIDX, TIDX);
            L::store(nearest_T, nearest);
            L::store(start, first);
            L::store(isoerr, flag);
            L::store(P, pressure);
            for (int lane = 0; lane < W; ++lane) {
                const int from = rules.complete_from(static_cast<int>(first[lane]), static_cast<int>(TIDX[lane]));
                if (from == 0) {
                    flag[lane] = 'E';
                } else if (from != first[lane]) {
                    first[lane] = from;
                    flag[lane] = 'W';
                }
                if (!(pressure[lane] >= rules.lower_limit(static_cast<int>(nearest[lane])))) flag[lane] = 'E';
            }
            out.PIDX = L::load(first);
            isoerr = L::load(flag);
        } else if constexpr (kFlags) {
            // Every node has its value: the lower limit is p(1) everywhere.
            isoerr = P >= rules.pressure_range().first ? isoerr : L::all(std::int64_t{'E'});
        }
    }
    if constexpr (!kFlags) return;
    out.ISOERR = isoerr;
    out.PTERR = verdicts == 2 ? L::all(std::int64_t{'E'}) : (verdicts == 1 ? L::all(std::int64_t{'W'}) : L::all(std::int64_t{'N'}));
}

}  // namespace logk
