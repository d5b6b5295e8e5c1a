// The fixed pressure-temperature grid of logk's log K tables.
#pragma once

#include <array>
#include <cstddef>

namespace logk {

inline constexpr int kPressureNodes = 37;
inline constexpr int kTemperatureNodes = 36;

// The nodes of one axis, ascending: an array indexed from 0, which may also
// be indexed from 1 as the table's own notation does, PGRID(1) == PGRID[0].
template <std::size_t N>
struct GridNodes : std::array<double, N> {
    constexpr double operator()(int i) const { return (*this)[static_cast<std::size_t>(i - 1)]; }
};

// Pressure nodes in bar: 1 bar, the liquid-vapour saturation pressures of
// water at 100..350 degC in steps of 25 (nodes 2..12), 200..1000 bar in steps
// of 50, then 1500..5000 bar in steps of 500.
inline constexpr GridNodes<kPressureNodes> PGRID = {{
    1.0,    1.0133, 2.321,  4.758,  8.919,  15.537, 25.479, 39.737,
    59.432, 85.839, 120.458, 165.212, 200.0, 250.0, 300.0, 350.0,
    400.0,  450.0,  500.0,  550.0,  600.0,  650.0,  700.0,  750.0,
    800.0,  850.0,  900.0,  950.0,  1000.0, 1500.0, 2000.0, 2500.0,
    3000.0, 3500.0, 4000.0, 4500.0, 5000.0}};

// Temperature nodes in degrees Celsius: 0.01 (the triple point, not 0),
// 25..350 in steps of 25, 400, then 410..600 in steps of 10. No node lies
// between 350 and 400.
inline constexpr GridNodes<kTemperatureNodes> TGRID = {{
    0.01,  25.0,  50.0,  75.0,  100.0, 125.0, 150.0, 175.0, 200.0,
    225.0, 250.0, 275.0, 300.0, 325.0, 350.0, 400.0, 410.0, 420.0,
    430.0, 440.0, 450.0, 460.0, 470.0, 480.0, 490.0, 500.0, 510.0,
    520.0, 530.0, 540.0, 550.0, 560.0, 570.0, 580.0, 590.0, 600.0}};

}  // namespace logk
