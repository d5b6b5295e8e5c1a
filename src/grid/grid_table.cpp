#include "grid/grid_table.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

namespace logk {
namespace {

std::string number(double x) {
    std::ostringstream text;
    text.precision(17);
    text << x;
    return text.str();
}

// Why one axis's nodes are no axis of a table, or "".
std::string axis_refusal(std::span<const double> nodes, const char* name) {
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        if (!std::isfinite(nodes[k])) {
            return std::string("the ") + name + " node " + std::to_string(k + 1) + " is " + number(nodes[k]) +
                   ": nodes are finite numbers";
        }
        if (k > 0 && !(nodes[k - 1] < nodes[k])) {
            return std::string("the ") + name + " nodes do not ascend: " + number(nodes[k]) + " after " +
                   number(nodes[k - 1]);
        }
    }
    return {};
}

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

}  // namespace

std::string GridTable::refusal(std::span<const double> pressures, std::span<const double> temperatures,
                               std::size_t values) {
    if (pressures.size() == 2 || pressures.empty()) {
        return "a table on its own nodes has one pressure node (along one line) or three or more, not " +
               std::to_string(pressures.size());
    }
    if (temperatures.size() < 3) {
        return "a table on its own nodes has three temperature nodes or more, not " + std::to_string(temperatures.size());
    }
    // Along one line the pressure takes no part: its one node may be NaN,
    // the saturation curve (`sat` in a file).
    const bool saturation = pressures.size() == 1 && std::isnan(pressures[0]);
    if (std::string why = saturation ? "" : axis_refusal(pressures, "pressure"); !why.empty()) return why;
    if (std::string why = axis_refusal(temperatures, "temperature"); !why.empty()) return why;
    // m * n cannot wrap: both spans lie in memory.
    if (values != pressures.size() * temperatures.size()) {
        return std::to_string(pressures.size()) + " pressures by " + std::to_string(temperatures.size()) +
               " temperatures need " + std::to_string(pressures.size() * temperatures.size()) + " values, not " +
               std::to_string(values);
    }
    return {};
}

GridTable::GridTable(std::span<const double> pressures, std::span<const double> temperatures,
                     std::span<const double> values)
    : pressures_(pressures.begin(), pressures.end()),
      temperatures_(temperatures.begin(), temperatures.end()),
      cells_(values.size() + 1, 0.0) {
    // The saturation curve's node is NaN, whichever NaN it was given as:
    // one table along it has the very nodes of another.
    if (pressures_.size() == 1 && std::isnan(pressures_[0])) pressures_[0] = std::numeric_limits<double>::quiet_NaN();
    pressures_.push_back(0.0);
    temperatures_.push_back(0.0);
    for (int I = 1; I <= m(); ++I) {
        for (int J = 1; J <= n(); ++J) {
            cells_[offset(I, J)] = values[static_cast<std::size_t>(I - 1) * static_cast<std::size_t>(n()) +
                                          static_cast<std::size_t>(J - 1)];
        }
    }
    make_reciprocals();
}

void GridTable::make_reciprocals() {
    // The coordinates' guard of interp/reciprocal_division.h (kCoordinates).
    auto coordinate = [](double x) { return x == 0 || (std::fabs(x) >= 0x1p-50 && std::fabs(x) <= 0x1p50); };
    for (int i = 1; i <= m(); ++i) reciprocals_usable_ = reciprocals_usable_ && coordinate(P(i));
    for (int j = 1; j <= n(); ++j) reciprocals_usable_ = reciprocals_usable_ && coordinate(T(j));
    if (!along_one_line()) {
        pressure_reciprocals_.resize(static_cast<std::size_t>(m() - 1));
        for (int PIDX = 1; PIDX <= m() - 2; ++PIDX) {
            const AxisReciprocals r = axis_reciprocals(P(PIDX), P(PIDX + 1), P(PIDX + 2));
            pressure_reciprocals_[static_cast<std::size_t>(PIDX)] = r;
            reciprocals_usable_ = reciprocals_usable_ && r.usable;
        }
    }
    temperature_reciprocals_.resize(static_cast<std::size_t>(n() + 1));
    for (int TIDX = 3; TIDX <= n(); ++TIDX) {
        const AxisReciprocals r = axis_reciprocals(T(TIDX - 2), T(TIDX - 1), T(TIDX));
        temperature_reciprocals_[static_cast<std::size_t>(TIDX)] = r;
        reciprocals_usable_ = reciprocals_usable_ && r.usable;
    }
}

std::vector<double> GridTable::values() const {
    std::vector<double> out;
    out.reserve(cell_count());
    for (int I = 1; I <= m(); ++I) {
        for (int J = 1; J <= n(); ++J) out.push_back((*this)(I, J));
    }
    return out;
}

bool GridTable::same_nodes(const GridTable& other) const {
    if (m() != other.m() || n() != other.n()) return false;
    for (int i = 1; i <= m(); ++i) {
        if (!same_bits(P(i), other.P(i))) return false;
    }
    for (int j = 1; j <= n(); ++j) {
        if (!same_bits(T(j), other.T(j))) return false;
    }
    return true;
}

bool GridTable::same_missing_values(const GridTable& other) const {
    if (!same_nodes(other)) return false;
    for (std::size_t c = 0; c < cell_count(); ++c) {
        if (std::isnan(cells_[c]) != std::isnan(other.cells_[c])) return false;
    }
    return true;
}

}  // namespace logk
