// The stencil selection's quick route as tables: every temperature row of
// the grid with its tests on pressure made integer comparisons, and the
// lookups that find a point's row and pressure interval.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "grid/grid.h"
#include "stencil/rules.h"

namespace logk::grid_rows {

// The quick route, for P in [1, 6000) and T in (0.01, 700]: almost every
// point. Each temperature row becomes one entry of a table, and its tests
// become integer comparisons on k, the number of pressure nodes not above
// P: every shift window is bounded by nodes, and P < PGRID(j) exactly when
// k < j. The row is found from the whole degrees of T, and k from a table
// of 50-bar buckets, so neither takes a chain of data-dependent branches.
// The quick route's bounds: P in [1, 6000), T in (0.01, 700].
inline constexpr double kLowestP = 1.0;
inline constexpr double kPBelow = 6000.0;
inline constexpr double kTAbove = 0.01;
inline constexpr double kHighestT = 700.0;
constexpr bool on_quick_route(double P, double T) {
    return P >= kLowestP && P < kPBelow && T > kTAbove && T <= kHighestT;
}

struct GridRow {
    int TIDX;
    int cap;       // PIDX is at most this
    bool warn;     // PTERR 'W' where it was 'N' (row T8)
    int from, to;  // the shift window: k in [from, to)
    int add;       // a shifted PIDX is k + add,
    int floor;     // or this where that is less (row T6 moves every interval to 15)
    double limit;  // ISOERR 'E' for P below it
};

// The number of pressure nodes not above a threshold that is 0 or a node.
constexpr int node_count(double threshold) {
    int k = 0;
    while (k < kPressureNodes && PGRID(k + 1) <= threshold) ++k;
    if (threshold != 0.0 && PGRID(k) != threshold) throw "a shift window must be bounded by nodes";
    return k;
}

inline constexpr double kNoLimit = 0.0;  // below every P of the quick route

constexpr GridRow window_row(int TIDX, const rules::WindowRow& window) {
    return {TIDX, kPressureNodes, false, node_count(window.from), node_count(window.to), 1, 0, window.limit};
}

// Rows TIDX 3..36 at [TIDX - 3], row T8 at [34].
inline constexpr int kRowT8Index = 34;
inline constexpr std::array<GridRow, 35> kGridRows = [] {
    std::array<GridRow, 35> rows{};
    for (int TIDX = 3; TIDX <= 36; ++TIDX) {
        GridRow& row = rows[static_cast<std::size_t>(TIDX - 3)];
        row = {TIDX, kPressureNodes, false, 0, 0, 0, 0, kNoLimit};
        if (TIDX == 3) {
            row.cap = 34;
        } else if (TIDX >= rules::kFirstSaturationRow && TIDX <= 15) {
            const rules::SaturationRow& saturation =
                rules::kSaturationRows[static_cast<std::size_t>(TIDX - rules::kFirstSaturationRow)];
            row = window_row(TIDX,
                             {0.0, saturation.shift_below, saturation.has_limit ? saturation.limit : kNoLimit});
        } else if (TIDX == 16) {
            // Three windows of shifts 3, 2 and 1 that end on one stencil.
            const int from = node_count(rules::kRowT6Windows[0].from);
            row = {TIDX, kPressureNodes, false, from, node_count(rules::kRowT6Windows[2].to),
                   0, from + rules::kRowT6Windows[0].by, rules::kRowT6Limit};
        } else if (TIDX >= rules::kFirstWindowRow) {
            row = window_row(TIDX, rules::kWindowRows[static_cast<std::size_t>(TIDX - rules::kFirstWindowRow)]);
        }
    }
    rows[kRowT8Index] = window_row(36, rules::kRowT8);
    rows[kRowT8Index].warn = true;
    return rows;
}();

// Row T6's windows must make that one stencil.
static_assert([] {
    for (const rules::ShiftWindow& window : rules::kRowT6Windows) {
        if (node_count(window.from) + window.by != kGridRows[16 - 3].floor) return false;
        if (node_count(window.to) != node_count(window.from) + 1) return false;
    }
    return true;
}());

// The row of T in (c - 1, c] for c = 1..700: the nodes are whole degrees
// (but 0.01, which the quick route leaves out), so one c is one row.
inline constexpr std::array<std::uint8_t, 701> kRowOfDegree = [] {
    std::array<std::uint8_t, 701> rows{};
    int TIDX = 3;
    for (int c = 1; c <= 700; ++c) {
        while (TIDX < kTemperatureNodes && c > TGRID(TIDX)) ++TIDX;
        rows[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c > 600 ? kRowT8Index : TIDX - 3);
    }
    return rows;
}();

// The number of pressure nodes not above 50 * b, for b = 4..120 (200 to
// 6000 bar): above 200 bar every node is a multiple of 50.
inline constexpr std::array<std::uint8_t, 121> kNodesOfBucket = [] {
    std::array<std::uint8_t, 121> nodes{};
    for (int b = 4; b <= 120; ++b) {
        int k = 0;
        while (k < kPressureNodes && PGRID(k + 1) <= 50.0 * b) ++k;
        nodes[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(k);
    }
    return nodes;
}();

// The rows of every finite temperature, for many points at once: the rows
// of kGridRows, then row T1 (below 0.01 degC: TIDX 3, capped like T2) and
// row T9 (above 700 degC: TIDX 36, no window, no limit), each packed into
// one integer that a point fetches in a single read, a byte per field:
// TIDX, cap, the temperature's verdict on PTERR (0 none, 1 'W' in row T8,
// 2 'E' in rows T1 and T9), from, to, add, floor. The limits stand apart.
inline constexpr int kRowT1Index = 35;
inline constexpr int kRowT9Index = 36;
inline constexpr int kPackedRowCount = 40;  // 37 rows, and room to look them up eight at a time

constexpr std::int64_t packed(int TIDX, int cap, int verdict, int from, int to, int add, int floor) {
    const int fields[] = {TIDX, cap, verdict, from, to, add, floor};
    std::int64_t packed = 0;
    for (int k = 0; k < 7; ++k) packed |= static_cast<std::int64_t>(fields[k]) << (8 * k);
    return packed;
}

inline constexpr std::array<std::int64_t, kPackedRowCount> kPackedRows = [] {
    std::array<std::int64_t, kPackedRowCount> rows{};
    for (std::size_t k = 0; k < kGridRows.size(); ++k) {
        const GridRow& row = kGridRows[k];
        rows[k] = packed(row.TIDX, row.cap, row.warn ? 1 : 0, row.from, row.to, row.add, row.floor);
    }
    rows[kRowT1Index] = packed(3, 34, 2, 0, 0, 0, 0);
    rows[kRowT9Index] = packed(36, kPressureNodes, 2, 0, 0, 0, 0);
    return rows;
}();

inline constexpr std::array<double, kPackedRowCount> kPackedRowLimits = [] {
    std::array<double, kPackedRowCount> limits{};
    for (std::size_t k = 0; k < kGridRows.size(); ++k) limits[k] = kGridRows[k].limit;
    limits[kRowT1Index] = limits[kRowT9Index] = kNoLimit;
    return limits;
}();

// Where a point's stencil can change as one coordinate moves and the other
// stays: its temperature row changes at the temperature nodes (T in
// (TGRID(k-1), TGRID(k)]) and at 700 degC, the end of row T8; its pressure
// interval at the pressure nodes (P in [PGRID(k), PGRID(k+1))), which bound
// every shift window too (node_count above checks it). Below 0.01 degC
// (row T1) and below 1 bar the stencil is that of the next piece up; only
// the flags differ there.
inline constexpr std::array<double, kTemperatureNodes + 1> kStencilTemperatures = [] {
    std::array<double, kTemperatureNodes + 1> ends{};
    for (int j = 0; j < kTemperatureNodes; ++j) ends[static_cast<std::size_t>(j)] = TGRID[static_cast<std::size_t>(j)];
    ends[kTemperatureNodes] = kHighestT;
    return ends;
}();
inline constexpr const std::array<double, kPressureNodes>& kStencilPressures = PGRID;

// For many points at once, the same row and node count by arithmetic, with
// no table of hundreds of entries to look each point up in.
//
// Below 200 bar, by P's binary octave [2^o, 2^(o+1)), o = 0..7: the nodes
// below the octave, and the at most two nodes within it (below 200 bar),
// +inf where there are fewer. P below 1 bar takes octave 0 and counts none.
struct Octaves {
    std::array<std::int64_t, 8> below;
    std::array<double, 8> first, second;
};
inline constexpr Octaves kOctaves = [] {
    Octaves octaves{};
    for (int o = 0; o < 8; ++o) {
        const double from = static_cast<double>(1 << o), to = 2.0 * from;
        octaves.below[o] = 0;
        octaves.first[o] = octaves.second[o] = __builtin_inf();
        int within = 0;
        for (const double node : PGRID) {
            if (node < from) ++octaves.below[o];
            if (node >= from && node < to && node < 200.0) (within++ == 0 ? octaves.first[o] : octaves.second[o]) = node;
        }
        if (within > 2) throw "an octave below 200 bar holds at most two nodes";
    }
    return octaves;
}();

// From 200 bar on, by the 50-bar bucket b = floor(P / 50), b = 4..119: the
// nodes 200 .. 950 bar are 9 + b, those from 1000 bar 27 + b / 10, at most
// 37. P / 50 is taken as P * 0.02 rounded, which may round up to b just
// below 50 * b but never down below b from 50 * b on (0.02 is a little above
// 1/50), so one comparison mends it. The tenths by a product too, exact for
// these whole numbers.
constexpr double nodes_of_whole_bucket(double b) {
    return b < 20.0 ? b + 9.0 : std::min(27.0 + static_cast<double>(static_cast<int>(b * 0.1)), 37.0);
}
static_assert([] {
    for (int b = 4; b <= 119; ++b) {
        if (nodes_of_whole_bucket(b) != kNodesOfBucket[static_cast<std::size_t>(b)]) return false;
    }
    return true;
}());

// The row of a whole degree c = 1..700 (T in (c - 1, c]): TIDX 3 up to 50
// degC, one row a 25 degC step up to 350, 16 up to 400, one a 10 degC step
// up to 600, then row T8. Products of whole numbers in place of quotients,
// exact here as the checks against the table of rows show.
constexpr double row_of_whole_degree(double c) {
    if (c > 600.0) return kRowT8Index;
    if (c > 400.0) return 13.0 + static_cast<double>(static_cast<int>((c - 391.0) * 0.1));
    if (c > 350.0) return 13.0;
    return std::max(static_cast<double>(static_cast<int>((c + 24.0) * 0.04)) - 2.0, 0.0);
}
static_assert([] {
    for (int c = 1; c <= 700; ++c) {
        if (row_of_whole_degree(c) != kRowOfDegree[static_cast<std::size_t>(c)]) return false;
    }
    return true;
}());

}  // namespace logk::grid_rows
