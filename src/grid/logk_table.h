// The log K table: one value per grid node, pressure index first.
#pragma once

#include <array>
#include <cstddef>

#include "grid/grid.h"

namespace logk {

// LOGK(I, J) is log K at PGRID(I), TGRID(J), 1-based. The 37 pressures of
// one temperature are adjacent: (I, J) lives at (I-1) + (J-1)*37. The table
// starts as all zeros, so a cell that the table file leaves null stays 0.0.
class LogKTable {
public:
    static constexpr int kCells = kPressureNodes * kTemperatureNodes;

    double& operator()(int i, int j) { return cells_[offset(i, j)]; }
    double operator()(int i, int j) const { return cells_[offset(i, j)]; }

    // All 1332 cells in storage order, and one zero after them (a load of
    // four from the last stencil's column reads it).
    const double* cells() const { return cells_.data(); }

    // The cells from, or into, 1332 values in the order of a table file:
    // the 36 temperatures of pressure node 1, then of node 2, and so on.
    void set_in_file_order(const double* values) {
        for (int I = 1; I <= kPressureNodes; ++I) {
            for (int J = 1; J <= kTemperatureNodes; ++J) (*this)(I, J) = *values++;
        }
    }
    void get_in_file_order(double* values) const {
        for (int I = 1; I <= kPressureNodes; ++I) {
            for (int J = 1; J <= kTemperatureNodes; ++J) *values++ = (*this)(I, J);
        }
    }

    static constexpr std::size_t offset(int i, int j) {
        return static_cast<std::size_t>((i - 1) + (j - 1) * kPressureNodes);
    }

private:
    std::array<double, kCells + 1> cells_{};
};

static_assert(LogKTable::kCells == 1332);
static_assert(LogKTable::offset(2, 1) == 1 && LogKTable::offset(1, 2) == 37);

}  // namespace logk
