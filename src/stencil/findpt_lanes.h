// FINDPT for W points at once: the same row table as the one-point quick
// route, found and applied by comparisons and selections, with no branch
// that depends on the data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "grid/grid.h"
#include "grid/lanes.h"
#include "stencil/grid_rows.h"

namespace logk {

template <int W>
struct StencilLanes {
    using Int = typename Lanes<W>::Int;
    Int covered;  // -1 in the lanes this applies to; the others need the rules
    Int PIDX;
    Int TIDX;
    Int PTERR;   // 'N', 'W' or 'E'
    Int ISOERR;  // 'N', 'W' or 'E'
};

// The stencils of W points with a positive, finite P and a finite T; lanes
// of any other point (P of zero or less, infinities, NaN) get a stencil
// inside the table and are left to the caller, which gives them their own.
//
// This is the quick route widened to every such point. Below 1 bar the
// pressure step gives PIDX 1 and a 'W', from 6000 bar on 35 and an 'E'; a
// temperature below 0.01 degC takes row T1, above 700 degC row T9. PTERR is
// the more severe of the pressure's verdict and the temperature's. Every
// test of a row is on k, the number of pressure nodes not above P: from P's
// 50-bar bucket above 200 bar, by counting the twelve nodes below.
template <int W>
[[gnu::always_inline]] inline void findpt_lanes(const typename Lanes<W>::Double& P,
                                                const typename Lanes<W>::Double& T, StencilLanes<W>& out) {
    using L = Lanes<W>;
    using Int = typename L::Int;
    using Double = typename L::Double;
    using namespace grid_rows;
    constexpr double kInfinity = __builtin_inf();
    out.covered = (P > 0.0) & (P < kInfinity) & (T > -kInfinity) & (T < kInfinity);
    const Double p = out.covered ? P : L::all(500.0);
    const Double t = out.covered ? T : L::all(300.0);

    // k: the bucket of P, kept below 6000 bar where it makes no difference.
    Int below_200 = {};
    for (int i = 1; i <= 12; ++i) below_200 -= p >= PGRID(i);
    const Int bucket = L::truncate((p < kPBelow ? p : L::all(5999.0)) / 50.0);
    // The row: by the whole degrees of T within (0.01, 700], else T1 or T9.
    const Double degrees = t > 1.0 ? (t < kHighestT ? t : L::all(kHighestT)) : L::all(1.0);
    const Int whole = L::truncate(degrees);
    const Int degree = whole + ((degrees > L::to_double(whole)) & 1);
    alignas(64) std::int64_t looked_up[2][W];
    for (int lane = 0; lane < W; ++lane) {
        looked_up[0][lane] = kNodesOfBucket[static_cast<std::size_t>(bucket[lane])];
        looked_up[1][lane] = kRowOfDegree[static_cast<std::size_t>(degree[lane])];
    }
    const Int k = p >= 200.0 ? L::load(looked_up[0]) : below_200;
    const Int row = t < kTAbove ? L::all(std::int64_t{kRowT1Index})
                                : (t > kHighestT ? L::all(std::int64_t{kRowT9Index}) : L::load(looked_up[1]));
    alignas(64) std::int64_t packed_rows[W];
    alignas(64) double limits[W];
    for (int lane = 0; lane < W; ++lane) {
        packed_rows[lane] = kPackedRows[static_cast<std::size_t>(row[lane])];
        limits[lane] = kPackedRowLimits[static_cast<std::size_t>(row[lane])];
    }
    // The fields by plain shifts: a lambda here is a function of its own,
    // built without the caller's vector instructions, and where the build
    // does not inline it (-O0) the two disagree on how a vector is returned.
    const Int packed = L::load(packed_rows);
    const Int TIDX = packed & 0xFF, cap = (packed >> 8) & 0xFF, t_verdict = (packed >> 16) & 0xFF;
    const Int from = (packed >> 24) & 0xFF, to = (packed >> 32) & 0xFF, add = (packed >> 40) & 0xFF;
    const Int floor = (packed >> 48) & 0xFF;

    const Int shifted = ((k - from) >= 0) & ((k - from) < (to - from));
    const Int one = L::all(std::int64_t{1});
    const Int base = k < 1 ? one : (k < 35 ? k : L::all(std::int64_t{35}));  // rows P2 to P7
    const Int moved = base + add > floor ? base + add : floor;
    const Int PIDX = shifted ? moved : base;
    out.PIDX = PIDX < cap ? PIDX : cap;
    out.TIDX = TIDX;
    const Int p_verdict = p >= kPBelow ? L::all(std::int64_t{2}) : (((p < kLowestP) | (p > 5000.0)) & one);
    const Int verdict = p_verdict > t_verdict ? p_verdict : t_verdict;
    const Int N = L::all(std::int64_t{'N'});
    const Int W_ = L::all(std::int64_t{'W'});
    const Int E = L::all(std::int64_t{'E'});
    out.PTERR = verdict == 2 ? E : (verdict == 1 ? W_ : N);
    out.ISOERR = (p < L::load(limits)) ? E : (shifted ? W_ : N);
}

}  // namespace logk
