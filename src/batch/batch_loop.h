// The batch loop's two forms, for one build of the loop each (one file
// per instruction set instantiates them):
//   - points in lanes: W points side by side, each on its own stencil, one
//     table after the other (a single table, or a set of few tables);
//   - tables in lanes: the stencil of one point, V tables of a set side by
//     side, the point's nodes the same in every lane.
// Both choose the stencils of W points at once and read every input of
// each point before they write any of its outputs, so that an output lying
// over an input at the same place gets the results of separate arrays.
//
// Everything here and in the lanes' headers is inlined into the one
// function of a build, and a build includes this file after
// api/batch_prelude.h and under its instruction set's target pragma (see
// batch_avx512.cpp): a helper built apart for the baseline would have its
// vectors taken apart into single values before it is inlined, and where
// the build does not inline it (-O0) the two would disagree on how a
// vector is passed. So no vector goes to a function that is not the
// lanes' own (always inlined): __builtin_bit_cast, never std::bit_cast.
#pragma once

#include "batch/batch_prelude.h"
#include "grid/lanes.h"
#include "interp/intrpk_lanes.h"
#include "stencil/findpt_lanes.h"
#include "stencil/grid_rules_lanes.h"

namespace logk::batch {

// W points: their coordinates, and the stencil and flags FINDPT gives each.
template <int W>
struct PointBlock {
    alignas(64) double P[W];
    alignas(64) double T[W];
    alignas(64) std::int64_t PIDX[W];
    alignas(64) std::int64_t TIDX[W];
    alignas(64) std::int64_t first_cell[W];  // the stencil's, in a LogKTable (intrpk_lanes.h)
    char ISOERR[W];
    char PTERR[W];
};

// FINDPT itself for point `lane` of the block.
template <int W>
[[gnu::always_inline]] inline void find_stencil_of(PointBlock<W>& b, int lane) {
    int PIDX = -100, TIDX = -100;
    char PTERR = 'N', ISOERR = 'N';
    FINDPT(b.P[lane], b.T[lane], PIDX, TIDX, PTERR, ISOERR);
    b.PIDX[lane] = PIDX;
    b.TIDX[lane] = TIDX;
    b.first_cell[lane] = static_cast<std::int64_t>(LogKTable::offset(PIDX, TIDX - 2));
    b.PTERR[lane] = PTERR;
    b.ISOERR[lane] = ISOERR;
}

// The stencils and flags of the W points from P and T on, into `b`; the
// lanes' flags only where kFlags asks for them (a call that wants none
// saves their work). Four lanes and more choose them side by side, and
// leave the points they do not cover (P of zero or less, NaN, infinities)
// to FINDPT; fewer take FINDPT for every point. (The lanes go from
// registers to the arrays, never the other way: a vector loaded from
// smaller stores just made waits for them.)
template <int W, bool kFlags = true>
[[gnu::always_inline]] inline void find_stencils(const double* P, const double* T, PointBlock<W>& b) {
    if constexpr (W >= 4) {
        using L = Lanes<W>;
        const typename L::Double P_lanes = L::load(P), T_lanes = L::load(T);
        L::store(P_lanes, b.P);
        L::store(T_lanes, b.T);
        StencilLanes<W> lanes;
        findpt_lanes<W>(P_lanes, T_lanes, lanes);
        std::memcpy(b.PIDX, &lanes.PIDX, sizeof b.PIDX);
        std::memcpy(b.TIDX, &lanes.TIDX, sizeof b.TIDX);
        L::store(first_cells(lanes.PIDX, lanes.TIDX), b.first_cell);
        if constexpr (kFlags) {
            L::store(lanes.ISOERR, b.ISOERR);
            L::store(lanes.PTERR, b.PTERR);
        }
        if (L::every(lanes.covered)) return;
        for (int lane = 0; lane < W; ++lane) {
            if (lanes.covered[lane] == 0) find_stencil_of<W>(b, lane);
        }
    } else {
        for (int lane = 0; lane < W; ++lane) {
            b.P[lane] = P[lane];
            b.T[lane] = T[lane];
            find_stencil_of<W>(b, lane);
        }
    }
}

template <int W>
[[gnu::always_inline]] inline void write_stencils(const PointBlock<W>& b, const BatchOutputs& out,
                                                  std::size_t first) {
    if constexpr (W >= 4) {
        using L = Lanes<W>;
        if (out.PIDX != nullptr) L::store(L::load(b.PIDX), out.PIDX + first);
        if (out.TIDX != nullptr) L::store(L::load(b.TIDX), out.TIDX + first);
        if (out.ISOERR != nullptr) std::memcpy(out.ISOERR + first, b.ISOERR, W);
        if (out.PTERR != nullptr) std::memcpy(out.PTERR + first, b.PTERR, W);
        return;
    }
    for (int lane = 0; lane < W; ++lane) {
        const std::size_t i = first + static_cast<std::size_t>(lane);
        if (out.PIDX != nullptr) out.PIDX[i] = static_cast<int>(b.PIDX[lane]);
        if (out.TIDX != nullptr) out.TIDX[i] = static_cast<int>(b.TIDX[lane]);
        if (out.ISOERR != nullptr) out.ISOERR[i] = b.ISOERR[lane];
        if (out.PTERR != nullptr) out.PTERR[i] = b.PTERR[lane];
    }
}

// INTRPK on one table of a set, or on a single table, whose node (I, J) is
// cells[offset(I, J) * stride].
template <typename Stride>
[[gnu::always_inline]] inline void intrpk_on(double P, double T, std::int64_t PIDX, std::int64_t TIDX,
                                             const double* cells, Stride stride, double& LK) {
    if constexpr (std::is_same_v<Stride, std::size_t>) {
        intrpk_strided(P, T, static_cast<int>(PIDX), static_cast<int>(TIDX), cells, stride, LK);
    } else {
        intrpk_cells(P, T, static_cast<int>(PIDX), static_cast<int>(TIDX), cells, LK);
    }
}

// ---- Divisions from the reciprocals (interp/reciprocal_division.h) ----
// Only the builds of four lanes and more have fma; the baseline divides.

// Each lane's step reciprocals along one axis, by its stencil's index.
template <int W>
[[gnu::always_inline]] inline void step_reciprocals_of(const AxisReciprocals* axis, const std::int64_t* index,
                                                       StepReciprocalLanes<W>& r) {
    Quad zh[W], zl[W];
    for (int lane = 0; lane < W; ++lane) {
        const AxisReciprocals& one = axis[index[lane]];
        zh[lane] = load_quad(one.step_zh);
        zl[lane] = load_quad(one.step_zl);
    }
    LaneTransposes<W>::first_three(zh, r.zh);
    LaneTransposes<W>::first_three(zl, r.zl);
}
// The same for a stencil shared by every lane.
template <int W>
[[gnu::always_inline]] inline void step_reciprocals_of(const AxisReciprocals& axis, StepReciprocalLanes<W>& r) {
    for (int k = 0; k < 3; ++k) {
        r.zh[k] = Lanes<W>::all(axis.step_zh[k]);
        r.zl[k] = Lanes<W>::all(axis.step_zl[k]);
    }
}

// Whether every lane's point and stencil values lie within the guards.
template <int W>
[[gnu::always_inline]] inline bool within_guards(const typename Lanes<W>::Double& P,
                                                 const typename Lanes<W>::Double& T, const StencilLanes9<W>& s) {
    return Lanes<W>::every(coordinates_within_guard<W>(P) & coordinates_within_guard<W>(T) &
                           values_within_guard<W, 9>(&s.cell[0][0]));
}

// log K of W stencils of the fixed grid: from the reciprocals where asked
// and the guards allow, else by the divider. The same bits either way.
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double fixed_grid_lanes(const typename Lanes<W>::Double& P,
                                                                         const typename Lanes<W>::Double& T,
                                                                         const StencilLanes9<W>& s,
                                                                         const std::int64_t* PIDX,
                                                                         const std::int64_t* TIDX, bool reciprocal) {
    if constexpr (W >= 4) {
        if (reciprocal && within_guards<W>(P, T, s)) {
            StepReciprocalLanes<W> pressure, temperature;
            step_reciprocals_of<W>(kPressureReciprocals.data(), PIDX, pressure);
            step_reciprocals_of<W>(kTemperatureReciprocals.data(), TIDX, temperature);
            return intrpk_reciprocal_lanes<W>(P, T, s, pressure, temperature);
        }
    }
    return intrpk_lanes<W>(P, T, s);
}

// slopes.cpp's quadratic_basis, each division from its denominator's
// reciprocal: for x within the coordinates' guard.
[[gnu::always_inline]] inline void quadratic_basis_by_reciprocals(double x, const double (&node)[3],
                                                                  const AxisReciprocals& r, double (&value)[3],
                                                                  double (&slope)[3]) {
    for (int k = 0; k < 3; ++k) {
        const double a = node[(k + 1) % 3];
        const double b = node[(k + 2) % 3];
        value[k] = divide((x - a) * (x - b), r.basis_d[k], r.basis_zh[k], r.basis_zl[k]);
        slope[k] = divide((x - a) + (x - b), r.basis_d[k], r.basis_zh[k], r.basis_zl[k]);
    }
}

// stencil_basis on the fixed grid, from the reciprocals where asked and
// the guards allow.
template <int W>
[[gnu::always_inline]] inline StencilBasis fixed_grid_basis(double P, double T, int PIDX, int TIDX, bool reciprocal) {
    if constexpr (W >= 4) {
        if (reciprocal && coordinate_within_guard(P) && coordinate_within_guard(T)) {
            StencilBasis basis{PIDX, TIDX, {}, {}, {}, {}};
            quadratic_basis_by_reciprocals(P, {PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2)},
                                           kPressureReciprocals[static_cast<std::size_t>(PIDX)], basis.in_p,
                                           basis.slope_p);
            quadratic_basis_by_reciprocals(T, {TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX)},
                                           kTemperatureReciprocals[static_cast<std::size_t>(TIDX)], basis.in_t,
                                           basis.slope_t);
            return basis;
        }
    }
    return stencil_basis(P, T, PIDX, TIDX);
}

// The slopes of every table at point `lane` of the block, into the outputs.
template <int W>
[[gnu::always_inline]] inline void write_slopes(const PointBlock<W>& b, int lane, const Work& w, std::size_t point) {
    const StencilBasis basis = fixed_grid_basis<W>(b.P[lane], b.T[lane], static_cast<int>(b.PIDX[lane]),
                                                   static_cast<int>(b.TIDX[lane]), w.reciprocal);
    const std::size_t count = w.tables.count;
    for (std::size_t r = 0; r < count; ++r) {
        double dT, dP;
        slopes_on(basis, w.tables.values + r, count, dT, dP);
        if (w.out.dLK_dT != nullptr) w.out.dLK_dT[point * count + r] = dT;
        if (w.out.dLK_dP != nullptr) w.out.dLK_dP[point * count + r] = dP;
    }
}

// ---- Points in lanes ----

// log K of the block's points on one table (node (I, J) at
// cells[offset(I, J) * stride]). The lanes' arithmetic is INTRPK's in each
// lane, with the one NaN, so every point takes it, on whatever stencil.
template <int W, typename Stride>
[[gnu::always_inline]] inline void logk_of_points(const PointBlock<W>& b, const double* cells, Stride stride,
                                                  bool reciprocal, double* LK) {
    if constexpr (W > 1) {
        using L = Lanes<W>;
        StencilLanes9<W> stencil;
        if constexpr (std::is_same_v<Stride, std::size_t>) {
            stencils_of_points<W>(b.PIDX, b.TIDX, cells, stride, stencil);
        } else {
            stencils_of_points<W>(b.PIDX, b.TIDX, b.first_cell, cells, stencil);
        }
        L::store(fixed_grid_lanes<W>(L::load(b.P), L::load(b.T), stencil, b.PIDX, b.TIDX, reciprocal), LK);
    } else {
        intrpk_on(b.P[0], b.T[0], b.PIDX[0], b.TIDX[0], cells, stride, LK[0]);
    }
}

// Every output of the block's points, from its stencils.
template <int W, typename Stride>
[[gnu::always_inline]] inline void points_in_lanes_block(const PointBlock<W>& b, const Work& w, Stride stride,
                                                         std::size_t first) {
    if (w.out.LK != nullptr) {
        if constexpr (std::is_same_v<Stride, std::size_t>) {
            for (std::size_t r = 0; r < stride; ++r) {
                alignas(64) double LK[W];
                if (w.tables.apart != nullptr) {
                    logk_of_points<W>(b, w.tables.apart[r], std::integral_constant<std::size_t, 1>{}, w.reciprocal,
                                      LK);
                } else {
                    logk_of_points<W>(b, w.tables.values + r, stride, w.reciprocal, LK);
                }
                for (int lane = 0; lane < W; ++lane) {
                    w.out.LK[(first + static_cast<std::size_t>(lane)) * stride + r] = LK[lane];
                }
            }
        } else {
            logk_of_points<W>(b, w.tables.values, stride, w.reciprocal, w.out.LK + first);
        }
    }
    if (w.slopes()) {
        for (int lane = 0; lane < W; ++lane) write_slopes<W>(b, lane, w, first + static_cast<std::size_t>(lane));
    }
    write_stencils<W>(b, w.out, first);
}

// Every table, W points at a time, then the rest one by one. `stride` is
// the set's count: a constant 1 for a single table.
//
// A block's stencils are chosen kAhead blocks before its log K is computed:
// the divisions of one block then run while the stencils of the next ones
// are being chosen and fetched, which need no divisions, and the stencil
// indices a block's loads are addressed by were stored long enough before
// they are read back one lane at a time. Each point's inputs are still
// read before any of its outputs are written, and its outputs never reach
// the inputs of a later point (what an output lying over an input in
// another way needs, the caller's copy of the inputs gives).
template <int W, bool kFlags, typename Stride>
[[gnu::always_inline]] inline void points_in_lanes_with(const Work& w, Stride stride) {
    constexpr std::size_t kAhead = W > 1 ? 8 : 1;
    PointBlock<W> ahead[kAhead];
    const std::size_t blocks = w.n / W;
    for (std::size_t b = 0; b < kAhead && b < blocks; ++b) {
        find_stencils<W, kFlags>(w.P + b * W, w.T + b * W, ahead[b]);
    }
    for (std::size_t b = 0; b < blocks; ++b) {
        PointBlock<W>& block = ahead[b % kAhead];
        points_in_lanes_block<W>(block, w, stride, b * W);
        const std::size_t next = (b + kAhead) * W;
        if (b + kAhead < blocks) find_stencils<W, kFlags>(w.P + next, w.T + next, block);
    }
    for (std::size_t i = blocks * W; i < w.n; ++i) {
        PointBlock<1> one;
        find_stencils<1>(w.P + i, w.T + i, one);
        points_in_lanes_block<1>(one, w, stride, i);
    }
}

template <int W, typename Stride>
[[gnu::always_inline]] inline void points_in_lanes(const Work& w, Stride stride) {
    if (w.out.ISOERR != nullptr || w.out.PTERR != nullptr) return points_in_lanes_with<W, true>(w, stride);
    points_in_lanes_with<W, false>(w, stride);
}

// ---- Tables in lanes ----

// log K of tables `first` to `last` of the set at one point, V tables to a
// vector; where fewer than V are left at the end, the last V of the set.
// From the reciprocals where asked and the point and a vector's values lie
// within the guards.
template <int V>
[[gnu::always_inline]] inline void tables_in_lanes_point(double P, double T, int PIDX, int TIDX,
                                                         const TableValues& tables, std::size_t first,
                                                         std::size_t last, bool reciprocal, double* LK) {
    using L = Lanes<V>;
    StencilLanes9<V> stencil;
    nodes_of_stencil<V>(PIDX, TIDX, stencil);
    const typename L::Double p = L::all(P), t = L::all(T);
    if constexpr (V >= 4) {
        if (reciprocal && coordinate_within_guard(P) && coordinate_within_guard(T)) {
            StepReciprocalLanes<V> pressure, temperature;
            step_reciprocals_of<V>(kPressureReciprocals[static_cast<std::size_t>(PIDX)], pressure);
            step_reciprocals_of<V>(kTemperatureReciprocals[static_cast<std::size_t>(TIDX)], temperature);
            for (std::size_t r = first; r < last; r += V) {
                if (r + V > last) r = last - V;
                stencil_of_tables<V>(PIDX, TIDX, tables.values + r, tables.count, stencil);
                if (L::every(values_within_guard<V, 9>(&stencil.cell[0][0]))) {
                    L::store(intrpk_reciprocal_lanes<V>(p, t, stencil, pressure, temperature), LK + r);
                } else {
                    L::store(intrpk_lanes<V>(p, t, stencil), LK + r);
                }
            }
            return;
        }
    }
    for (std::size_t r = first; r < last; r += V) {
        if (r + V > last) r = last - V;
        stencil_of_tables<V>(PIDX, TIDX, tables.values + r, tables.count, stencil);
        L::store(intrpk_lanes<V>(p, t, stencil), LK + r);
    }
}

// ---- Tables and points in lanes, for the tables left after whole vectors ----

}  // namespace logk::batch

#include "batch/grid_loop.h"

namespace logk::batch {

// Two vectors side by side, as one of twice the lanes.
[[gnu::always_inline]] inline Lanes<4>::Double joined(const Lanes<2>::Double& a, const Lanes<2>::Double& b) {
    return __builtin_shufflevector(a, b, 0, 1, 2, 3);
}
[[gnu::always_inline]] inline Lanes<8>::Double joined(const Lanes<4>::Double& a, const Lanes<4>::Double& b) {
    return __builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7);
}

// V lanes of S tables of V / S points: from[m] points at the S values of
// point m, which lie side by side. Halves are joined in registers; single
// values go into their lanes one by one.
template <int V, int S, std::size_t... M>
[[gnu::always_inline]] inline typename Lanes<V>::Double single_values(const double* const* from,
                                                                      std::index_sequence<M...>) {
    return typename Lanes<V>::Double{*from[M]...};
}
template <int V, int S>
[[gnu::always_inline]] inline typename Lanes<V>::Double lanes_of(const double* const* from) {
    if constexpr (S == V) {
        return Lanes<V>::load(from[0]);
    } else if constexpr (S == 1) {
        return single_values<V, S>(from, std::make_index_sequence<V>{});
    } else {
        return joined(lanes_of<V / 2, S>(from), lanes_of<V / 2, S>(from + V / S / 2));
    }
}

// The same for a value of each point, repeated over its S tables.
template <int V, int S, std::size_t... I>
[[gnu::always_inline]] inline typename Lanes<V>::Double repeated(const double* value, std::index_sequence<I...>) {
    return typename Lanes<V>::Double{value[I / S]...};
}

// log K of tables r to r + S - 1 of the set, for the V / S points of the
// block from lane `lane` on: the tables side by side within each point's
// S lanes, so that a vector of V lanes is whole.
template <int W, int V, int S>
[[gnu::always_inline]] inline void tables_and_points(const PointBlock<W>& b, int lane, const Work& w,
                                                     std::size_t first, std::size_t r) {
    constexpr int K = V / S;  // points a vector
    const std::size_t count = w.tables.count;
    const double* cell[K];
    for (int m = 0; m < K; ++m) cell[m] = w.tables.values + static_cast<std::size_t>(b.first_cell[lane + m]) * count + r;
    StencilLanes9<V> stencil;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            const std::size_t at = static_cast<std::size_t>(i + j * kPressureNodes) * count;
            const double* from[K];
            for (int m = 0; m < K; ++m) from[m] = cell[m] + at;
            stencil.cell[i][j] = lanes_of<V, S>(from);
        }
    }
    if constexpr (S == 1) {  // a point a lane: its nodes in loads of four, transposed (intrpk_lanes.h)
        Quad pnodes[V], tnodes[V];
        for (int m = 0; m < V; ++m) {
            pnodes[m] = load_quad(kPGRIDAndOne.data() + (b.PIDX[lane + m] - 1));
            tnodes[m] = load_quad(kTGRIDAndOne.data() + (b.TIDX[lane + m] - 3));
        }
        LaneTransposes<V>::first_three(pnodes, stencil.pn);
        LaneTransposes<V>::first_three(tnodes, stencil.tn);
    } else {
        double pn[3][K], tn[3][K];
        for (int m = 0; m < K; ++m) {
            const int PIDX = static_cast<int>(b.PIDX[lane + m]), TIDX = static_cast<int>(b.TIDX[lane + m]);
            for (int k = 0; k < 3; ++k) {
                pn[k][m] = PGRID(PIDX + k);
                tn[k][m] = TGRID(TIDX - 2 + k);
            }
        }
        for (int k = 0; k < 3; ++k) {
            stencil.pn[k] = repeated<V, S>(pn[k], std::make_index_sequence<V>{});
            stencil.tn[k] = repeated<V, S>(tn[k], std::make_index_sequence<V>{});
        }
    }
    alignas(64) double LK[V];
    const typename Lanes<V>::Double P = repeated<V, S>(b.P + lane, std::make_index_sequence<V>{});
    const typename Lanes<V>::Double T = repeated<V, S>(b.T + lane, std::make_index_sequence<V>{});
    if constexpr (S == 1) {
        Lanes<V>::store(fixed_grid_lanes<V>(P, T, stencil, b.PIDX + lane, b.TIDX + lane, w.reciprocal), LK);
    } else {
        std::int64_t PIDX[V], TIDX[V];  // each point's, over its S lanes
        for (int k = 0; k < V; ++k) {
            PIDX[k] = b.PIDX[lane + k / S];
            TIDX[k] = b.TIDX[lane + k / S];
        }
        Lanes<V>::store(fixed_grid_lanes<V>(P, T, stencil, PIDX, TIDX, w.reciprocal), LK);
    }
    for (int m = 0; m < K; ++m) {
        std::memcpy(w.out.LK + (first + static_cast<std::size_t>(lane + m)) * count + r, LK + m * S, S * sizeof(double));
    }
}

// The tables left after whole vectors at the block's W points: in parts
// of S tables (S halving from V / 2), each part V / S points to a vector.
template <int W, int V, int S>
[[gnu::always_inline]] inline void tables_left(const PointBlock<W>& b, const Work& w, std::size_t first,
                                               std::size_t r) {
    if constexpr (S >= 1) {
        if (w.tables.count - r >= static_cast<std::size_t>(S)) {
            for (int lane = 0; lane < W; lane += V / S) tables_and_points<W, V, S>(b, lane, w, first, r);
            r += S;
        }
        tables_left<W, V, S / 2>(b, w, first, r);
    }
}

// A block of W points (W a multiple of V): the tables in whole vectors
// point by point, then those left after them. V - 1 left would take as
// many vectors in parts as one more whole vector over the last V tables
// of the set, which measured faster.
template <int W, int V>
[[gnu::always_inline]] inline void tables_in_lanes_block(const Work& w, std::size_t first) {
    PointBlock<W> b;
    find_stencils<W>(w.P + first, w.T + first, b);
    const std::size_t count = w.tables.count, left = count % V;
    const std::size_t whole = left == static_cast<std::size_t>(V - 1) ? count : count - left;
    for (int lane = 0; lane < W; ++lane) {
        const std::size_t point = first + static_cast<std::size_t>(lane);
        const int PIDX = static_cast<int>(b.PIDX[lane]), TIDX = static_cast<int>(b.TIDX[lane]);
        if (w.out.LK != nullptr) {
            tables_in_lanes_point<V>(b.P[lane], b.T[lane], PIDX, TIDX, w.tables, 0, whole, w.reciprocal,
                                     w.out.LK + point * count);
        }
        if (w.slopes()) write_slopes<W>(b, lane, w, point);
    }
    if (w.out.LK != nullptr && whole < count) tables_left<W, V, V / 2>(b, w, first, whole);
    write_stencils<W>(b, w.out, first);
}

// The last points, fewer than a block: every table, V to a vector and the
// last V again where the count is no multiple of V.
template <int V>
[[gnu::always_inline]] inline void tables_in_lanes_one(const Work& w, std::size_t i) {
    PointBlock<1> b;
    find_stencils<1>(w.P + i, w.T + i, b);
    const std::size_t count = w.tables.count;
    const int PIDX = static_cast<int>(b.PIDX[0]), TIDX = static_cast<int>(b.TIDX[0]);
    if (w.out.LK != nullptr) {
        tables_in_lanes_point<V>(b.P[0], b.T[0], PIDX, TIDX, w.tables, 0, count, w.reciprocal, w.out.LK + i * count);
    }
    if (w.slopes()) write_slopes<1>(b, 0, w, i);
    write_stencils<1>(b, w.out, i);
}

// A set of at least V tables, W points' stencils at a time.
template <int W, int V>
[[gnu::always_inline]] inline void tables_in_lanes(const Work& w) {
    std::size_t i = 0;
    for (; i + W <= w.n; i += W) tables_in_lanes_block<W, V>(w, i);
    for (; i < w.n; ++i) tables_in_lanes_one<V>(w, i);
}

// One build: W points' stencils at a time, up to V tables to a vector.
// Fewer tables than a vector holds go in points' lanes, each table as a
// single one (from its cells apart, where the set keeps them): measured
// faster than vectors of tables with lanes to spare.
template <int W, int V>
[[gnu::always_inline]] inline void all_points(const Work& w) {
    const std::size_t count = w.tables.count;
    if (w.tables.grid != nullptr) {
        grid_points<W, V>(w);
    } else if (count == 1) {
        points_in_lanes<W>(w, std::integral_constant<std::size_t, 1>{});
    } else if (count >= static_cast<std::size_t>(V)) {
        tables_in_lanes<W, V>(w);
    } else {
        points_in_lanes<W>(w, count);
    }
}

// ---- One stencil for many points ----

// log K at n points all on the stencil PIDX, TIDX of a single table (no
// stencil chosen): INTRPK's lanes with the same cells and nodes in every
// lane, then INTRPK itself for the last points.
template <int W>
[[gnu::always_inline]] inline void on_one_stencil(const double* cells, int PIDX, int TIDX, std::size_t n,
                                                  const double* P, const double* T, bool reciprocal, double* LK,
                                                  const GridTable* grid = nullptr) {
    using L = Lanes<W>;
    StencilLanes9<W> s;
    if (grid == nullptr) {
        nodes_of_stencil<W>(PIDX, TIDX, s);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) s.cell[i][j] = L::all(cells[LogKTable::offset(PIDX + i, TIDX - 2 + j)]);
        }
    } else {  // a table of its own nodes, not along one line (where P takes no part)
        for (int k = 0; k < 3; ++k) {
            s.pn[k] = L::all(grid->P(PIDX + k));
            s.tn[k] = L::all(grid->T(TIDX - 2 + k));
        }
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) s.cell[i][j] = L::all((*grid)(PIDX + i, TIDX - 2 + j));
        }
    }
    std::size_t k = 0;
    if constexpr (W >= 4) {
        if (reciprocal && (grid == nullptr || grid->reciprocals_usable()) &&
            L::every(values_within_guard<W, 9>(&s.cell[0][0]))) {
            StepReciprocalLanes<W> pressure, temperature;
            step_reciprocals_of<W>(grid == nullptr ? kPressureReciprocals[static_cast<std::size_t>(PIDX)]
                                                   : grid->pressure_reciprocals()[PIDX],
                                   pressure);
            step_reciprocals_of<W>(grid == nullptr ? kTemperatureReciprocals[static_cast<std::size_t>(TIDX)]
                                                   : grid->temperature_reciprocals()[TIDX],
                                   temperature);
            for (; k + W <= n; k += W) {
                const typename L::Double p = L::load(P + k), t = L::load(T + k);
                const bool within = L::every(coordinates_within_guard<W>(p) & coordinates_within_guard<W>(t));
                L::store(within ? intrpk_reciprocal_lanes<W>(p, t, s, pressure, temperature) : intrpk_lanes<W>(p, t, s),
                         LK + k);
            }
        }
    }
    for (; k + W <= n; k += W) L::store(intrpk_lanes<W>(L::load(P + k), L::load(T + k), s), LK + k);
    for (; k < n; ++k) {
        if (grid == nullptr) {
            intrpk_cells(P[k], T[k], PIDX, TIDX, cells, LK[k]);
        } else {
            intrpk_grid(P[k], T[k], PIDX, TIDX, *grid, grid->cells(), 1, LK[k]);
        }
    }
}

// log K at n temperatures on the stencil whose highest temperature node is
// TIDX, from its three columns already interpolated in pressure (LKP, as
// intrpk_columns gives them): INTRPK's temperature pass alone.
template <int W>
[[gnu::always_inline]] inline void along_temperature(int TIDX, const PressureColumns& columns, std::size_t n,
                                                     const double* T, bool reciprocal, double* LK,
                                                     const GridTable* grid = nullptr) {
    using L = Lanes<W>;
    typename L::Double LKP[3], tn[3];
    for (int j = 0; j < 3; ++j) {
        LKP[j] = L::all(columns.LKP[j]);
        tn[j] = L::all(grid == nullptr ? TGRID(TIDX - 2 + j) : grid->T(TIDX - 2 + j));
    }
    std::size_t k = 0;
    if constexpr (W >= 4) {
        if (reciprocal && (grid == nullptr || grid->reciprocals_usable()) && column_within_guard(columns.LKP[0]) &&
            column_within_guard(columns.LKP[1]) && column_within_guard(columns.LKP[2])) {
            StepReciprocalLanes<W> temperature;
            step_reciprocals_of<W>(grid == nullptr ? kTemperatureReciprocals[static_cast<std::size_t>(TIDX)]
                                                   : grid->temperature_reciprocals()[TIDX],
                                   temperature);
            const ReciprocalSteps<W> steps(tn, temperature);
            for (; k + W <= n; k += W) {
                const typename L::Double t = L::load(T + k);
                L::store(L::every(coordinates_within_guard<W>(t)) ? temperature_pass_lanes_by<W>(t, LKP, tn, steps)
                                                                 : temperature_pass_lanes<W>(t, LKP, tn),
                         LK + k);
            }
        }
    }
    for (; k + W <= n; k += W) L::store(temperature_pass_lanes<W>(L::load(T + k), LKP, tn), LK + k);
    for (; k < n; ++k) {
        LK[k] = grid == nullptr ? intrpk_along_temperature(T[k], TIDX, columns)
                                : intrpk_grid_along_temperature(T[k], TIDX, *grid, columns);
    }
}

}  // namespace logk::batch
