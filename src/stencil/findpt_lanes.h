// FINDPT for W points at once: the same row table as the one-point quick
// route, found and applied by comparisons and selections, with no branch
// that depends on the data.
#pragma once

#include <bit>
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

// The number of pressure nodes not above p, for a positive, finite p: by
// the octave below 200 bar, by the 50-bar bucket from there on (see
// grid_rows::kOctaves and nodes_of_whole_bucket). Four lanes, which look
// a table up one lane at a time, count the twelve nodes below 200 bar
// instead.
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Int nodes_not_above(const typename Lanes<W>::Double& p) {
    using L = Lanes<W>;
    using Int = typename L::Int;
    using Double = typename L::Double;
    using namespace grid_rows;
    Int low{};
    if constexpr (W == 8) {
        const Int exponent = L::shift_right(__builtin_bit_cast(Int, p), 52) - 1023;
        const Int octave = exponent < 0 ? Int{} : (exponent > 7 ? L::all(std::int64_t{7}) : exponent);
        low = L::lookup(kOctaves.below, octave) - (p >= L::lookup(kOctaves.first, octave)) -
              (p >= L::lookup(kOctaves.second, octave));
    } else {
        for (int node = 1; node <= 12; ++node) low -= p >= PGRID(node);
    }
    const Double under_6000 = p < kPBelow ? p : L::all(5999.0);  // every bucket from 5000 bar counts 37
    Double bucket = L::floor(under_6000 * 0.02);
    bucket = p < bucket * 50.0 ? bucket - 1.0 : bucket;
    const Double tenths = L::floor(bucket * 0.1);
    const Double high = bucket < 20.0 ? bucket + 9.0 : (tenths + 27.0 < 37.0 ? tenths + 27.0 : L::all(37.0));
    return p >= 200.0 ? L::truncate(high) : low;
}

// The row of kPackedRows for a finite t: T1 below 0.01 degC, T9 above 700,
// else the row of its whole degree (see grid_rows::row_of_whole_degree).
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Int row_of(const typename Lanes<W>::Double& t) {
    using L = Lanes<W>;
    using Double = typename L::Double;
    using namespace grid_rows;
    const Double degrees = t > 1.0 ? (t < kHighestT ? t : L::all(kHighestT)) : L::all(1.0);
    const Double c = -L::floor(-degrees);
    const Double in_tens = 13.0 + L::floor((c - 391.0) * 0.1);
    const Double in_steps = L::floor((c + 24.0) * 0.04) - 2.0;
    const Double row = c > 600.0 ? L::all(double{kRowT8Index})
                                 : (c > 400.0 ? in_tens : (c > 350.0 ? L::all(13.0) : (in_steps > 0.0 ? in_steps : L::all(0.0))));
    return t < kTAbove ? L::all(std::int64_t{kRowT1Index})
                       : (t > kHighestT ? L::all(std::int64_t{kRowT9Index}) : L::truncate(row));
}

// The stencils of W points with a positive, finite P and a finite T; lanes
// of any other point (P of zero or less, infinities, NaN) get a stencil
// inside the table and are left to the caller, which gives them their own.
//
// This is the quick route widened to every such point. Below 1 bar the
// pressure step gives PIDX 1 and a 'W', from 6000 bar on 35 and an 'E'; a
// temperature below 0.01 degC takes row T1, above 700 degC row T9. PTERR is
// the more severe of the pressure's verdict and the temperature's. Every
// test of a row is on k, the number of pressure nodes not above P.
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
    const Int k = nodes_not_above<W>(p);
    const Int row = row_of<W>(t);

    // The row's fields by plain shifts: a lambda here is a function of its
    // own, built without the caller's vector instructions, and where the
    // build does not inline it (-O0) the two disagree on how a vector is
    // returned.
    const Int packed = L::lookup(kPackedRows, row);
    const Int TIDX = packed & 0xFF, cap = L::shift_right(packed, 8) & 0xFF, t_verdict = L::shift_right(packed, 16) & 0xFF;
    const Int from = L::shift_right(packed, 24) & 0xFF, to = L::shift_right(packed, 32) & 0xFF;
    const Int add = L::shift_right(packed, 40) & 0xFF, floor = L::shift_right(packed, 48) & 0xFF;

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
    out.ISOERR = (p < L::lookup(kPackedRowLimits, row)) ? E : (shifted ? W_ : N);
}

}  // namespace logk
