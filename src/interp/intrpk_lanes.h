// INTRPK over W lanes: the very operations of INTRPK, in its order, in each
// lane. The lanes may be W points, each on its own stencil, or W tables of
// a set on the stencil of one point: each lane is rounded exactly as a lone
// double would be, so either way every value gets the bits INTRPK gives it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "grid/grid.h"
#include "grid/lanes.h"
#include "grid/logk_table.h"
#include "interp/one_nan.h"
#include "interp/reciprocal_division.h"

namespace logk {

// One stencil per lane: cell[i][j] is the value at pressure node PIDX + i
// and temperature node TIDX - 2 + j, pn[i] that pressure node and tn[j] that
// temperature node.
template <int W>
struct StencilLanes9 {
    using Double = typename Lanes<W>::Double;
    Double cell[3][3];
    Double pn[3];
    Double tn[3];
};

// Each lane of x, or the one NaN where it is a NaN (interp/one_nan.h).
template <typename Double>
[[gnu::always_inline]] inline Double one_nan_lanes(const Double& x) {
    return x == x ? x : Double{} + kOneNaN;
}

// The six steps of INTRPK along one axis of a stencil, nodes n0 < n1 < n2:
// dAB is node A less node B. A step and its opposite are each other's
// negation exactly.
enum class Step { d21, d20, d12, d10, d02, d01 };

// x over a step, by the divider: the steps formed from the nodes, as INTRPK
// forms them.
template <int W>
struct DividerSteps {
    using Double = typename Lanes<W>::Double;
    const Double (&n)[3];
    template <Step S>
    [[gnu::always_inline]] Double over(const Double& x) const {
        if constexpr (S == Step::d21) return x / (n[2] - n[1]);
        if constexpr (S == Step::d20) return x / (n[2] - n[0]);
        if constexpr (S == Step::d12) return x / (n[1] - n[2]);
        if constexpr (S == Step::d10) return x / (n[1] - n[0]);
        if constexpr (S == Step::d02) return x / (n[0] - n[2]);
        if constexpr (S == Step::d01) return x / (n[0] - n[1]);
    }
};

// The reciprocals of each lane's steps A = n2 - n1, B = n2 - n0 and
// C = n1 - n0 (grid/step_reciprocals.h's step_zh and step_zl).
template <int W>
struct StepReciprocalLanes {
    using Double = typename Lanes<W>::Double;
    Double zh[3], zl[3];
};

// x over a step from its reciprocal (interp/reciprocal_division.h): the
// divider's quotient, for values within the conditions there.
template <int W>
struct ReciprocalSteps {
    using Double = typename Lanes<W>::Double;
    Double d[3];  // A, B, C
    const StepReciprocalLanes<W>& r;
    [[gnu::always_inline]] ReciprocalSteps(const Double (&n)[3], const StepReciprocalLanes<W>& reciprocals)
        : d{n[2] - n[1], n[2] - n[0], n[1] - n[0]}, r(reciprocals) {}
    template <Step S>
    [[gnu::always_inline]] Double over(const Double& x) const {
        constexpr int k = S == Step::d21 || S == Step::d12 ? 0 : (S == Step::d20 || S == Step::d02 ? 1 : 2);
        if constexpr (S == Step::d21 || S == Step::d20 || S == Step::d10) {
            return divide_lanes<W>(x, d[k], r.zh[k], r.zl[k]);
        } else {
            return divide_negated_lanes<W>(x, d[k], r.zh[k], r.zl[k]);
        }
    }
};

// INTRPK's temperature pass over the columns LKP (interpolated in
// pressure) of stencils whose temperature nodes are tn, dividing by `dt`.
template <int W, typename Steps>
[[gnu::always_inline]] inline typename Lanes<W>::Double temperature_pass_lanes_by(
    const typename Lanes<W>::Double& T, const typename Lanes<W>::Double (&LKP)[3],
    const typename Lanes<W>::Double (&tn)[3], const Steps& dt) {
    using Double = typename Lanes<W>::Double;
    // Columns in ascending order, factors in ascending node order.
    const Double t0 = T - tn[0], t1 = T - tn[1], t2 = T - tn[2];
    const Double q0 = dt.template over<Step::d02>(dt.template over<Step::d01>(LKP[0] * t1) * t2);
    const Double q1 = dt.template over<Step::d12>(dt.template over<Step::d10>(LKP[1] * t0) * t2);
    const Double q2 = dt.template over<Step::d21>(dt.template over<Step::d20>(LKP[2] * t0) * t1);
    return one_nan_lanes(((Lanes<W>::all(0.0) + q0) + q1) + q2);
}

template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double temperature_pass_lanes(
    const typename Lanes<W>::Double& T, const typename Lanes<W>::Double (&LKP)[3],
    const typename Lanes<W>::Double (&tn)[3]) {
    return temperature_pass_lanes_by<W>(T, LKP, tn, DividerSteps<W>{tn});
}

template <int W, typename PressureSteps, typename TemperatureSteps>
[[gnu::always_inline]] inline typename Lanes<W>::Double intrpk_lanes_by(const typename Lanes<W>::Double& P,
                                                                        const typename Lanes<W>::Double& T,
                                                                        const StencilLanes9<W>& s,
                                                                        const PressureSteps& dp,
                                                                        const TemperatureSteps& dt) {
    using Double = typename Lanes<W>::Double;
    const Double p0 = P - s.pn[0], p1 = P - s.pn[1], p2 = P - s.pn[2];
    Double LKP[3];
    for (int j = 0; j < 3; ++j) {
        // Terms of nodes 2, 1, 0, factors in descending node order, summed from zero.
        const Double top = dp.template over<Step::d20>(dp.template over<Step::d21>(s.cell[2][j] * p1) * p0);
        const Double middle = dp.template over<Step::d10>(dp.template over<Step::d12>(s.cell[1][j] * p2) * p0);
        const Double bottom = dp.template over<Step::d01>(dp.template over<Step::d02>(s.cell[0][j] * p2) * p1);
        LKP[j] = ((Lanes<W>::all(0.0) + top) + middle) + bottom;
    }
    return temperature_pass_lanes_by<W>(T, LKP, s.tn, dt);
}

template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double intrpk_lanes(const typename Lanes<W>::Double& P,
                                                                     const typename Lanes<W>::Double& T,
                                                                     const StencilLanes9<W>& s) {
    return intrpk_lanes_by<W>(P, T, s, DividerSteps<W>{s.pn}, DividerSteps<W>{s.tn});
}

// The same from the reciprocals of each lane's steps, for stencils whose
// values and points lie within the guards of interp/reciprocal_division.h.
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double intrpk_reciprocal_lanes(
    const typename Lanes<W>::Double& P, const typename Lanes<W>::Double& T, const StencilLanes9<W>& s,
    const StepReciprocalLanes<W>& pressure, const StepReciprocalLanes<W>& temperature) {
    return intrpk_lanes_by<W>(P, T, s, ReciprocalSteps<W>(s.pn, pressure), ReciprocalSteps<W>(s.tn, temperature));
}

// W points, each on its own stencil, of one table whose node (I, J) is
// cells[LogKTable::offset(I, J) * stride]: the stencil's values one lane at
// a time. (The gather instructions of AVX2 and AVX-512 did the same more
// slowly on the machines this was measured on.)
template <int W>
[[gnu::always_inline]] inline void stencils_of_points(const std::int64_t* PIDX, const std::int64_t* TIDX,
                                                      const double* cells, std::size_t stride,
                                                      StencilLanes9<W>& s) {
    alignas(64) double row[15][W];
    for (int lane = 0; lane < W; ++lane) {
        const int I = static_cast<int>(PIDX[lane]);
        const int J = static_cast<int>(TIDX[lane]) - 2;
        const double* first = cells + LogKTable::offset(I, J) * stride;
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 3; ++i) {
                row[i + 3 * j][lane] = first[static_cast<std::size_t>(i + j * kPressureNodes) * stride];
            }
        }
        for (int i = 0; i < 3; ++i) row[9 + i][lane] = PGRID(I + i);
        for (int j = 0; j < 3; ++j) row[12 + j][lane] = TGRID(J + j);
    }
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) s.cell[i][j] = Lanes<W>::load(row[i + 3 * j]);
    }
    for (int k = 0; k < 3; ++k) {
        s.pn[k] = Lanes<W>::load(row[9 + k]);
        s.tn[k] = Lanes<W>::load(row[12 + k]);
    }
}

// The nodes with room for a load of four from each: the last stencil's
// three nodes and one more.
inline constexpr std::array<double, kPressureNodes + 1> kPGRIDAndOne = [] {
    std::array<double, kPressureNodes + 1> nodes{};
    for (int i = 0; i < kPressureNodes; ++i) nodes[static_cast<std::size_t>(i)] = PGRID[static_cast<std::size_t>(i)];
    return nodes;
}();
inline constexpr std::array<double, kTemperatureNodes + 1> kTGRIDAndOne = [] {
    std::array<double, kTemperatureNodes + 1> nodes{};
    for (int j = 0; j < kTemperatureNodes; ++j) nodes[static_cast<std::size_t>(j)] = TGRID[static_cast<std::size_t>(j)];
    return nodes;
}();

// The cell at which the stencils of W points start: LogKTable::offset(PIDX,
// TIDX - 2) in each lane.
template <typename Int>
[[gnu::always_inline]] inline Int first_cells(const Int& PIDX, const Int& TIDX) {
    return (PIDX - 1) + (TIDX - 3) * kPressureNodes;
}

// The same for a table stored as a LogKTable is (stride 1), and followed
// by at least one more value, with the stencils' first cells (first_cells)
// given: a stencil's column is three adjacent values, which come in one
// load of four a lane, as do its nodes, and the lanes are then transposed
// within registers. A fifth as many loads as one value at a time, every
// address a register and a constant, and no vector waits for the stores
// that would assemble it.
template <int W>
[[gnu::always_inline]] inline void stencils_of_points(const std::int64_t* PIDX, const std::int64_t* TIDX,
                                                      const std::int64_t* first_cell, const double* cells,
                                                      StencilLanes9<W>& s) {
    Quad columns[3][W], pnodes[W], tnodes[W];
    for (int lane = 0; lane < W; ++lane) {
        const double* first = cells + first_cell[lane];
        for (int j = 0; j < 3; ++j) columns[j][lane] = load_quad(first + j * kPressureNodes);
        pnodes[lane] = load_quad(kPGRIDAndOne.data() + (PIDX[lane] - 1));
        tnodes[lane] = load_quad(kTGRIDAndOne.data() + (TIDX[lane] - 3));
    }
    for (int j = 0; j < 3; ++j) {
        typename Lanes<W>::Double column[3];
        LaneTransposes<W>::first_three(columns[j], column);
        for (int i = 0; i < 3; ++i) s.cell[i][j] = column[i];
    }
    LaneTransposes<W>::first_three(pnodes, s.pn);
    LaneTransposes<W>::first_three(tnodes, s.tn);
}

// W consecutive tables of a set of `count` on the stencil PIDX, TIDX of one
// point: the set stores the values of one node side by side, table after
// table, so each cell is one load, and the nodes are the same in every lane.
template <int W>
[[gnu::always_inline]] inline void stencil_of_tables(int PIDX, int TIDX, const double* first_table, std::size_t count,
                                                     StencilLanes9<W>& s) {
    const double* first = first_table + LogKTable::offset(PIDX, TIDX - 2) * count;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            s.cell[i][j] = Lanes<W>::load(first + static_cast<std::size_t>(i + j * kPressureNodes) * count);
        }
    }
}

template <int W>
[[gnu::always_inline]] inline void nodes_of_stencil(int PIDX, int TIDX, StencilLanes9<W>& s) {
    for (int k = 0; k < 3; ++k) {
        s.pn[k] = Lanes<W>::all(PGRID(PIDX + k));
        s.tn[k] = Lanes<W>::all(TGRID(TIDX - 2 + k));
    }
}

}  // namespace logk
