#include "interp/intrpk.h"

#include <array>
#include <cfloat>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "grid/grid.h"
#include "interp/one_nan.h"

// Every operation must be rounded to a double on its own: no x87 extended
// intermediates (and the build passes -ffp-contract=off, so no fused
// multiply-add either).
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must not carry wider intermediates");

namespace logk {
namespace {

// Two doubles side by side. Each lane is rounded exactly as a lone double
// would be, so pairing independent terms changes no bit of any of them; it
// takes the call from 24 divisions to 14, and the divisions bound its time.
using Pair = double __attribute__((vector_size(16)));

// One step of a term: a multiplication by its numerator, then a division
// by its denominator.
inline Pair factor(Pair term, Pair numerator, Pair denominator) { return term * numerator / denominator; }
inline double factor(double term, double numerator, double denominator) {
    return term * numerator / denominator;
}

inline Pair both(double x) { return Pair{x, x}; }

// The denominators of a stencil are differences of two of its nodes:
// constants, which give the same bits whether they are formed here once or
// in every call. dAB is node A less node B, nodes numbered 0, 1, 2 upwards.
// Each is kept as the pair its factor divides by, aligned, so that a
// division takes it straight from memory.
struct alignas(16) PressureSteps {
    double d21[2], d20[2], d12[2], d10[2], d02[2], d01[2];  // the same value in both lanes
    double d21_d12[2], d20_d10[2];                          // column 3's two upper terms
};
struct alignas(16) TemperatureSteps {
    double d01_d10[2];  // the first factors of the terms of columns 1 and 2
    double d02_d12[2];  // and their second factors
    double d20, d21;    // column 3's
};

inline Pair pair(const double (&two)[2]) {
    Pair value;
    std::memcpy(&value, __builtin_assume_aligned(two, 16), sizeof value);
    return value;
}

// A stencil's steps from its three nodes p0 < p1 < p2 (or t0 < t1 < t2).
constexpr PressureSteps pressure_steps(double p0, double p1, double p2) {
    return {{p2 - p1, p2 - p1}, {p2 - p0, p2 - p0}, {p1 - p2, p1 - p2}, {p1 - p0, p1 - p0},
            {p0 - p2, p0 - p2}, {p0 - p1, p0 - p1}, {p2 - p1, p1 - p2}, {p2 - p0, p1 - p0}};
}
constexpr TemperatureSteps temperature_steps(double t0, double t1, double t2) {
    return {{t0 - t1, t1 - t0}, {t0 - t2, t1 - t2}, t2 - t0, t2 - t1};
}

constexpr std::array<PressureSteps, kPressureNodes - 1> kPressureSteps = [] {
    std::array<PressureSteps, kPressureNodes - 1> steps{};
    for (int PIDX = 1; PIDX <= kPressureNodes - 2; ++PIDX) {
        steps[static_cast<std::size_t>(PIDX)] = pressure_steps(PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2));
    }
    return steps;
}();

constexpr std::array<TemperatureSteps, kTemperatureNodes + 1> kTemperatureSteps = [] {
    std::array<TemperatureSteps, kTemperatureNodes + 1> steps{};
    for (int TIDX = 3; TIDX <= kTemperatureNodes; ++TIDX) {
        steps[static_cast<std::size_t>(TIDX)] = temperature_steps(TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX));
    }
    return steps;
}();

// Pressure pass: for each temperature column, the terms of PIDX+2, PIDX+1
// and PIDX, each with its two factors in descending pressure node order,
// summed in that order from zero. Temperature pass: the terms of the three
// columns in ascending order, each with its factors in ascending node
// order, summed from zero.
//
// The nine pressure terms go in pairs: columns 1 and 2 of each node share
// their factors; column 3 pairs its PIDX+2 and PIDX+1 terms and takes the
// PIDX term alone. The temperature pass pairs columns 1 and 2.
//
// The cell of node (I, J) is cells[LogKTable::offset(I, J) * stride]: a
// LogKTable's cells with stride 1, or one table of a set with the set's
// count as stride.
// The pressure pass's result: columns 1 and 2 side by side, and column 3.
struct Columns {
    Pair LKP12;
    double LKP3;
};

// The pressure pass of one stencil, whatever its table's nodes: dp its
// steps, pnode its three pressure nodes, cell its first value, `one` the
// distance of a pressure node's value from the one before and `column`
// that of a temperature node's.
template <typename Stride>
[[gnu::always_inline]] inline Columns pressure_pass_on(double P, const PressureSteps& dp, const double* pnode,
                                                       const double* cell, Stride one, std::size_t kColumn) {
    const std::size_t two = 2 * one;
    const double p0 = P - pnode[0], p1 = P - pnode[1], p2 = P - pnode[2];

    // Columns 1 and 2; factors M = 1, 0 for node 2; M = 2, 0 for node 1; M = 2, 1 for node 0.
    const Pair top =
        factor(factor(Pair{cell[two], cell[two + kColumn]}, both(p1), pair(dp.d21)), both(p0), pair(dp.d20));
    const Pair middle =
        factor(factor(Pair{cell[one], cell[one + kColumn]}, both(p2), pair(dp.d12)), both(p0), pair(dp.d10));
    const Pair bottom = factor(factor(Pair{cell[0], cell[kColumn]}, both(p2), pair(dp.d02)), both(p1), pair(dp.d01));
    const Pair LKP12 = ((both(0.0) + top) + middle) + bottom;

    // Column 3: the node 2 and node 1 terms side by side, then the node 0 term.
    const double* column3 = cell + 2 * kColumn;
    const Pair upper3 = factor(factor(Pair{column3[two], column3[one]}, Pair{p1, p2}, pair(dp.d21_d12)), both(p0),
                               pair(dp.d20_d10));
    const double bottom3 = factor(factor(column3[0], p2, dp.d02[0]), p1, dp.d01[0]);
    const double LKP3 = ((0.0 + upper3[0]) + upper3[1]) + bottom3;
    return {LKP12, LKP3};
}

template <typename Stride>
[[gnu::always_inline]] inline Columns pressure_pass(double P, int PIDX, int TIDX, const double* cells, Stride stride) {
    // The stencil's cells: pressure node i of column j at cell[(i + j * 37) * stride].
    return pressure_pass_on(P, kPressureSteps[static_cast<std::size_t>(PIDX)], PGRID.data() + (PIDX - 1),
                            cells + LogKTable::offset(PIDX, TIDX - 2) * stride, stride, kPressureNodes * stride);
}

// Column 1 takes the factors of its nodes 1 then 2, column 2 those of 0
// then 2, column 3 those of 0 then 1.
[[gnu::always_inline]] inline double temperature_pass_on(double T, const TemperatureSteps& dt, const double* tnode,
                                                         const Columns& columns) {
    const double t0 = T - tnode[0], t1 = T - tnode[1], t2 = T - tnode[2];
    const Pair terms12 = factor(factor(columns.LKP12, Pair{t1, t0}, pair(dt.d01_d10)), both(t2), pair(dt.d02_d12));
    const double term3 = factor(factor(columns.LKP3, t0, dt.d20), t1, dt.d21);
    return ((0.0 + terms12[0]) + terms12[1]) + term3;
}

[[gnu::always_inline]] inline double temperature_pass(double T, int TIDX, const Columns& columns) {
    return temperature_pass_on(T, kTemperatureSteps[static_cast<std::size_t>(TIDX)], TGRID.data() + (TIDX - 3),
                               columns);
}

// The same for a table of its own nodes, the steps from its nodes.
[[gnu::always_inline]] inline Columns grid_pressure_pass(double P, int PIDX, int TIDX, const GridTable& grid,
                                                        const double* cells, std::size_t stride) {
    const double* pnode = grid.pressures() + (PIDX - 1);
    return pressure_pass_on(P, pressure_steps(pnode[0], pnode[1], pnode[2]), pnode,
                            cells + grid.offset(PIDX, TIDX - 2) * stride, stride,
                            static_cast<std::size_t>(grid.m()) * stride);
}
[[gnu::always_inline]] inline double grid_temperature_pass(double T, int TIDX, const GridTable& grid,
                                                           const Columns& columns) {
    const double* tnode = grid.temperatures() + (TIDX - 3);
    return temperature_pass_on(T, temperature_steps(tnode[0], tnode[1], tnode[2]), tnode, columns);
}
// The columns of a table along one line: its row's three values, as they are.
inline Columns row_columns(int TIDX, const GridTable& grid, const double* cells, std::size_t stride) {
    const double* cell = cells + grid.offset(1, TIDX - 2) * stride;
    return {Pair{cell[0], cell[stride]}, cell[2 * stride]};
}

template <typename Stride>
[[gnu::always_inline]] inline void intrpk_at(const double& P, const double& T, const int& PIDX, const int& TIDX,
                                             const double* cells, Stride stride, double& LK) {
    LK = temperature_pass(T, TIDX, pressure_pass(P, PIDX, TIDX, cells, stride));
}

}  // namespace

void INTRPK(const double& P, const double& T, const int& PIDX, const int& TIDX, const LogKTable& LOGK,
            double& LK) {
    intrpk_at(P, T, PIDX, TIDX, LOGK.cells(), std::integral_constant<std::size_t, 1>{}, LK);
}

void intrpk_cells(double P, double T, int PIDX, int TIDX, const double* cells, double& LK) {
    intrpk_at(P, T, PIDX, TIDX, cells, std::integral_constant<std::size_t, 1>{}, LK);
    LK = one_nan(LK);
}

void intrpk_strided(double P, double T, int PIDX, int TIDX, const double* cells, std::size_t stride, double& LK) {
    intrpk_at(P, T, PIDX, TIDX, cells, stride, LK);
    LK = one_nan(LK);
}

PressureColumns intrpk_columns(double P, int PIDX, int TIDX, const double* cells) {
    const Columns columns = pressure_pass(P, PIDX, TIDX, cells, std::integral_constant<std::size_t, 1>{});
    return {{columns.LKP12[0], columns.LKP12[1], columns.LKP3}};
}

double intrpk_along_temperature(double T, int TIDX, const PressureColumns& columns) {
    return one_nan(temperature_pass(T, TIDX, {Pair{columns.LKP[0], columns.LKP[1]}, columns.LKP[2]}));
}

void intrpk_grid(double P, double T, int PIDX, int TIDX, const GridTable& grid, const double* cells,
                 std::size_t stride, double& LK) {
    const Columns columns = grid.along_one_line() ? row_columns(TIDX, grid, cells, stride)
                                                  : grid_pressure_pass(P, PIDX, TIDX, grid, cells, stride);
    LK = one_nan(grid_temperature_pass(T, TIDX, grid, columns));
}

PressureColumns intrpk_grid_columns(double P, int PIDX, int TIDX, const GridTable& grid) {
    const Columns columns = grid.along_one_line() ? row_columns(TIDX, grid, grid.cells(), 1)
                                                  : grid_pressure_pass(P, PIDX, TIDX, grid, grid.cells(), 1);
    return {{columns.LKP12[0], columns.LKP12[1], columns.LKP3}};
}

double intrpk_grid_along_temperature(double T, int TIDX, const GridTable& grid, const PressureColumns& columns) {
    return one_nan(grid_temperature_pass(T, TIDX, grid, {Pair{columns.LKP[0], columns.LKP[1]}, columns.LKP[2]}));
}

}  // namespace logk
