// The fixed pressure-temperature grid of the log K table: PGRID and TGRID,
// indexed from 1 as PGRID(1) .. PGRID(37), kept with the public interface.
#pragma once

#include <array>
#include <cstddef>
#include <limits>

#include "logk/grid.hpp"

namespace logk {

static_assert(std::numeric_limits<double>::is_iec559, "log K arithmetic assumes IEEE 754 doubles");

template <std::size_t N>
constexpr bool strictly_ascending(const std::array<double, N>& nodes) {
    for (std::size_t i = 1; i < N; ++i) {
        if (!(nodes[i - 1] < nodes[i])) return false;
    }
    return true;
}
static_assert(strictly_ascending(PGRID), "pressure nodes must ascend");
static_assert(strictly_ascending(TGRID), "temperature nodes must ascend");
static_assert(PGRID(1) == 1.0 && PGRID(kPressureNodes) == 5000.0);
static_assert(TGRID(1) == 0.01 && TGRID(kTemperatureNodes) == 600.0);

}  // namespace logk
