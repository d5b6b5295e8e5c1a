// A log K table on nodes of its own: the pressures and temperatures a
// user's data has, in place of the fixed grid's 37 x 36.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "grid/step_reciprocals.h"

namespace logk {

// Pressure nodes p(1) < ... < p(m) in bar and temperature nodes t(1) < ...
// < t(n) in degrees Celsius, finite and strictly ascending, n >= 3 and
// m >= 3, or m = 1 for a table along one line (log K along the saturation
// curve, as databases list it: the pressure takes no part, and its one node
// may be NaN, for the saturation curve itself); and m x n
// values, NaN where the table has none (the vapour side, say). Infinite
// values are values. Never changed once made.
//
// The values are kept as a LogKTable keeps its own, pressure index first,
// so that the three pressures of a stencil's column lie side by side:
// (I, J) at (I-1) + (J-1)*m, and one value more after them, as are the
// nodes, so that a load of four from the last stencil stays inside.
class GridTable {
public:
    // Why nodes and a count of values make no table ("the temperature
    // nodes do not ascend: 100 after 200", ...), or "" where they make one.
    static std::string refusal(std::span<const double> pressures, std::span<const double> temperatures,
                               std::size_t values);

    // A table of the nodes and of the values, a row per pressure node (the
    // temperatures of p(1), then those of p(2), ...). The nodes and the
    // count must be ones refusal() takes.
    GridTable(std::span<const double> pressures, std::span<const double> temperatures, std::span<const double> values);

    int m() const { return static_cast<int>(pressures_.size()) - 1; }
    int n() const { return static_cast<int>(temperatures_.size()) - 1; }
    bool along_one_line() const { return m() == 1; }

    // The nodes, from 1 as the tables' notation has them: p(1) is P(1).
    double P(int i) const { return pressures_[static_cast<std::size_t>(i - 1)]; }
    double T(int j) const { return temperatures_[static_cast<std::size_t>(j - 1)]; }
    // Each axis's nodes, and one more value after them.
    const double* pressures() const { return pressures_.data(); }
    const double* temperatures() const { return temperatures_.data(); }

    double operator()(int I, int J) const { return cells_[offset(I, J)]; }
    // The values in storage order, and one more after them.
    const double* cells() const { return cells_.data(); }
    std::size_t cell_count() const { return cells_.size() - 1; }
    std::size_t offset(int I, int J) const {
        return static_cast<std::size_t>(I - 1) + static_cast<std::size_t>(J - 1) * static_cast<std::size_t>(m());
    }

    // The values a row per pressure node, as they were given.
    std::vector<double> values() const;

    // Whether another table has the same nodes, bit for bit, and the same
    // missing values.
    bool same_nodes(const GridTable& other) const;
    bool same_missing_values(const GridTable& other) const;

    // The reciprocals of its stencils' divisors (grid/step_reciprocals.h),
    // by PIDX (none along one line) and by TIDX, and whether the batch
    // loop may divide from them: every node zero or of a size within
    // [2^-50, 2^50], the guard of interp/reciprocal_division.h, and every
    // divisor with its reciprocal.
    const AxisReciprocals* pressure_reciprocals() const { return pressure_reciprocals_.data(); }
    const AxisReciprocals* temperature_reciprocals() const { return temperature_reciprocals_.data(); }
    bool reciprocals_usable() const { return reciprocals_usable_; }

private:
    void make_reciprocals();

    std::vector<double> pressures_, temperatures_, cells_;
    std::vector<AxisReciprocals> pressure_reciprocals_, temperature_reciprocals_;
    bool reciprocals_usable_ = true;
};

}  // namespace logk
