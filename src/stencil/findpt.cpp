#include "stencil/findpt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "grid/grid.h"

namespace logk {
namespace {

// The readings of every test below. A NaN is below every threshold, not
// above any, and in no interval; none of these comparisons traps.
bool below(double v, double x) { return !(v >= x); }
bool not_above(double v, double x) { return !(v > x); }
bool in(double v, double from, double to) { return v >= from && below(v, to); }

// Rows T4 and T5, TIDX 5..15, up to 350 degC: the liquid-vapour saturation
// curve. Every P below the shift threshold (the saturation pressure at the
// row's upper node) is shifted by exactly one; P below the limit (the
// saturation pressure at the row's lower node) is flagged 'E'.
struct SaturationRow {
    double shift_below;
    bool has_limit;
    double limit;
};
constexpr int kFirstSaturationRow = 5;
constexpr std::array<SaturationRow, 11> kSaturationRows = {{
    //                                 TIDX  T (degC)
    {1.0133, false, 0.0},          //  5    (75, 100]   no 'E' test
    {2.321, true, 1.013},          //  6   (100, 125]   1.013, not the node 1.0133
    {4.758, true, 2.321},          //  7   (125, 150]
    {8.919, true, 4.758},          //  8   (150, 175]
    {15.537, true, 8.919},         //  9   (175, 200]
    {25.479, true, 15.537},        // 10   (200, 225]
    {39.737, true, 25.479},        // 11   (225, 250]
    {59.432, true, 39.737},        // 12   (250, 275]
    {85.839, true, 59.432},        // 13   (275, 300]
    {120.458, true, 85.839},       // 14   (300, 325]
    {165.212, true, 120.458},      // 15   (325, 350]
}};

// Row T6, (350, 400]: the three pressure intervals below 300 bar all move to
// the stencil 300, 350, 400 bar; P below 165.212 is flagged, not shifted.
struct ShiftWindow {
    double from;
    double to;
    int by;
};
constexpr std::array<ShiftWindow, 3> kRowT6Windows = {{
    {165.212, 200.0, 3},
    {200.0, 250.0, 2},
    {250.0, 300.0, 1},
}};
constexpr double kRowT6Limit = 165.212;

// Rows T7, TIDX 17..36, above 400 degC: P in [from, to) is shifted by one;
// P below the limit is flagged 'E' and not shifted.
struct WindowRow {
    double from;
    double to;
    double limit;
};
constexpr int kFirstWindowRow = 17;
constexpr std::array<WindowRow, 20> kWindowRows = {{
    //                           TIDX  T (degC)
    {200.0, 350.0, 200.0},   // 17   (400, 410]   three node intervals
    {350.0, 400.0, 350.0},   // 18   (410, 420]
    {350.0, 400.0, 350.0},   // 19   (420, 430]
    {400.0, 450.0, 400.0},   // 20   (430, 440]
    {450.0, 500.0, 450.0},   // 21   (440, 450]
    {450.0, 500.0, 450.0},   // 22   (450, 460]
    {500.0, 550.0, 500.0},   // 23   (460, 470]
    {550.0, 600.0, 550.0},   // 24   (470, 480]
    {550.0, 600.0, 550.0},   // 25   (480, 490]
    {600.0, 650.0, 600.0},   // 26   (490, 500]
    {600.0, 650.0, 600.0},   // 27   (500, 510]
    {650.0, 700.0, 650.0},   // 28   (510, 520]
    {700.0, 750.0, 700.0},   // 29   (520, 530]
    {700.0, 750.0, 700.0},   // 30   (530, 540]
    {750.0, 800.0, 700.0},   // 31   (540, 550]   limit 700, not 750
    {800.0, 850.0, 800.0},   // 32   (550, 560]
    {800.0, 850.0, 800.0},   // 33   (560, 570]
    {850.0, 900.0, 850.0},   // 34   (570, 580]
    {900.0, 950.0, 900.0},   // 35   (580, 590]
    {900.0, 950.0, 900.0},   // 36   (590, 600]
}};

// Row T8, (600, 700]: the window of TIDX 36, but the limit is 800, not 900.
constexpr WindowRow kRowT8 = {900.0, 950.0, 800.0};

// The number of pressure nodes not above P, for P in [1, 5000]. Above 200
// bar the nodes are 50 bar apart up to 1000 and 500 bar apart beyond, so an
// estimate from the steps lands on the answer or next to it, and one
// comparison each way settles it; below 200 bar the twelve uneven nodes are
// searched. Points arrive in no particular order, and a search over all 37
// nodes would mispredict at most of its steps.
int pressure_nodes_not_above(double P) {
    int k;
    if (P >= 1000.0) {
        k = std::min(29 + static_cast<int>((P - 1000.0) / 500.0), kPressureNodes);
    } else if (P >= 200.0) {
        k = 13 + static_cast<int>((P - 200.0) / 50.0);
    } else {
        return static_cast<int>(std::upper_bound(PGRID.begin(), PGRID.begin() + 12, P) - PGRID.begin());
    }
    k -= P < PGRID(k);
    k += k < kPressureNodes && P >= PGRID(k + 1);
    return k;
}

// The k with T in (TGRID(k-1), TGRID(k)], for T in (0.01, 600]: from the
// steps of 25 degC up to 350 and of 10 degC above 400, then one comparison
// each way.
int upper_temperature_node(double T) {
    int k;
    if (T > 400.0) {
        k = 16 + static_cast<int>(std::ceil((T - 400.0) / 10.0));
    } else if (T > 350.0) {
        return 16;
    } else {
        k = 1 + static_cast<int>(std::ceil(T / 25.0));
    }
    k = std::clamp(k, 2, kTemperatureNodes);
    k -= !(T > TGRID(k - 1));
    k += k < kTemperatureNodes && T > TGRID(k);
    return k;
}

void shift(int by, int& PIDX, char& ISOERR) {
    PIDX += by;
    ISOERR = 'W';
}

// Table 1: P alone gives PIDX and the pressure verdict.
void pressure_step(double P, int& PIDX, char& PTERR) {
    if (not_above(P, 0.0)) {             // P1: zeros, negatives, -inf, NaN
        PIDX = 1;
        PTERR = 'E';
    } else if (below(P, 1.0)) {          // P2
        PIDX = 1;
        PTERR = 'W';
    } else if (below(P, 4000.0)) {       // P3, P4: [PGRID(k), PGRID(k+1)) -> k
        PIDX = pressure_nodes_not_above(P);
    } else if (not_above(P, 5000.0)) {   // P5: 4500 is no boundary
        PIDX = 35;
    } else if (below(P, 6000.0)) {       // P6
        PIDX = 35;
        PTERR = 'W';
    } else {                             // P7: 6000 and above, +inf
        PIDX = 35;
        PTERR = 'E';
    }
}

void apply(const SaturationRow& row, double P, int& PIDX, char& ISOERR) {
    if (below(P, row.shift_below)) shift(1, PIDX, ISOERR);
    if (row.has_limit && below(P, row.limit)) ISOERR = 'E';
}

void apply(const WindowRow& row, double P, int& PIDX, char& ISOERR) {
    if (in(P, row.from, row.to)) shift(1, PIDX, ISOERR);
    if (below(P, row.limit)) ISOERR = 'E';
}

// Table 2: T gives TIDX; within its row, the input P may move the stencil
// to higher pressures and raise ISOERR. Every test uses the input P, so a
// shift never changes which later test holds.
void temperature_step(double P, double T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) {
    if (below(T, 0.01) || not_above(T, 50.0)) {  // T1, T2: stencil 0.01, 25, 50
        TIDX = 3;
        if (below(T, 0.01)) PTERR = 'E';
        PIDX = std::min(PIDX, 34);  // 3500, 4000, 4500 bar for P of 4000 and more
    } else if (not_above(T, 75.0)) {  // T3
        TIDX = 4;
    } else if (not_above(T, 350.0)) {  // T4, T5
        TIDX = upper_temperature_node(T);
        apply(kSaturationRows[static_cast<std::size_t>(TIDX - kFirstSaturationRow)], P, PIDX, ISOERR);
    } else if (not_above(T, 400.0)) {  // T6
        TIDX = 16;
        for (const ShiftWindow& window : kRowT6Windows) {
            if (in(P, window.from, window.to)) shift(window.by, PIDX, ISOERR);
        }
        if (below(P, kRowT6Limit)) ISOERR = 'E';
    } else if (not_above(T, 600.0)) {  // T7
        TIDX = upper_temperature_node(T);
        apply(kWindowRows[static_cast<std::size_t>(TIDX - kFirstWindowRow)], P, PIDX, ISOERR);
    } else if (not_above(T, 700.0)) {  // T8: above the grid, within the margin
        TIDX = 36;
        if (PTERR == 'N') PTERR = 'W';
        apply(kRowT8, P, PIDX, ISOERR);
    } else {  // T9: above 700, +inf
        TIDX = 36;
        PTERR = 'E';
    }
}

// The quick route, for P in [1, 6000) and T in (0.01, 700]: almost every
// point. Each temperature row becomes one entry of a table, and its tests
// become integer comparisons on k, the number of pressure nodes not above
// P: every shift window is bounded by nodes, and P < PGRID(j) exactly when
// k < j. The row is found from the whole degrees of T, and k from a table
// of 50-bar buckets, so neither takes a chain of data-dependent branches.
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

constexpr double kNoLimit = 0.0;  // below every P of the quick route

constexpr GridRow window_row(int TIDX, const WindowRow& window) {
    return {TIDX, kPressureNodes, false, node_count(window.from), node_count(window.to), 1, 0, window.limit};
}

// Rows TIDX 3..36 at [TIDX - 3], row T8 at [34].
constexpr int kRowT8Index = 34;
constexpr std::array<GridRow, 35> kGridRows = [] {
    std::array<GridRow, 35> rows{};
    for (int TIDX = 3; TIDX <= 36; ++TIDX) {
        GridRow& row = rows[static_cast<std::size_t>(TIDX - 3)];
        row = {TIDX, kPressureNodes, false, 0, 0, 0, 0, kNoLimit};
        if (TIDX == 3) {
            row.cap = 34;
        } else if (TIDX >= kFirstSaturationRow && TIDX <= 15) {
            const SaturationRow& saturation =
                kSaturationRows[static_cast<std::size_t>(TIDX - kFirstSaturationRow)];
            row = window_row(TIDX, {0.0, saturation.shift_below, saturation.has_limit ? saturation.limit : kNoLimit});
        } else if (TIDX == 16) {
            // Three windows of shifts 3, 2 and 1 that end on one stencil.
            row = {TIDX, kPressureNodes, false, node_count(kRowT6Windows[0].from), node_count(kRowT6Windows[2].to),
                   0, node_count(kRowT6Windows[0].from) + kRowT6Windows[0].by, kRowT6Limit};
        } else if (TIDX >= kFirstWindowRow) {
            row = window_row(TIDX, kWindowRows[static_cast<std::size_t>(TIDX - kFirstWindowRow)]);
        }
    }
    rows[kRowT8Index] = window_row(36, kRowT8);
    rows[kRowT8Index].warn = true;
    return rows;
}();

// Row T6's windows must make that one stencil.
static_assert([] {
    for (const ShiftWindow& window : kRowT6Windows) {
        if (node_count(window.from) + window.by != kGridRows[16 - 3].floor) return false;
        if (node_count(window.to) != node_count(window.from) + 1) return false;
    }
    return true;
}());

// The row of T in (c - 1, c] for c = 1..700: the nodes are whole degrees
// (but 0.01, which the quick route leaves out), so one c is one row.
constexpr std::array<std::uint8_t, 701> kRowOfDegree = [] {
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
constexpr std::array<std::uint8_t, 121> kNodesOfBucket = [] {
    std::array<std::uint8_t, 121> nodes{};
    for (int b = 4; b <= 120; ++b) {
        int k = 0;
        while (k < kPressureNodes && PGRID(k + 1) <= 50.0 * b) ++k;
        nodes[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(k);
    }
    return nodes;
}();

// The number of pressure nodes not above P, for P in [1, 6000).
int nodes_not_above(double P) {
    if (P < 200.0) return pressure_nodes_not_above(P);
    // The rounded quotient never crosses a bucket edge: for P below an edge
    // 50 * b, P / 50 lies below b by at least ulp(50 b) / 50, which is at
    // least 32 / 50 of ulp(b), more than the half ulp that rounding moves.
    return kNodesOfBucket[static_cast<std::size_t>(P / 50.0)];
}

bool on_the_grid(double P, double T) { return P >= 1.0 && P < 6000.0 && T > 0.01 && T <= 700.0; }

void find_on_the_grid(double P, double T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) {
    const int whole = static_cast<int>(T);
    const GridRow& row = kGridRows[kRowOfDegree[static_cast<std::size_t>(whole + (T > whole))]];
    const int k = nodes_not_above(P);
    const int base = std::min(k, 35);  // P from 4000 on lies in rows P5 and P6, both PIDX 35
    const bool shifted = static_cast<unsigned>(k - row.from) < static_cast<unsigned>(row.to - row.from);
    PIDX = std::min(shifted ? std::max(base + row.add, row.floor) : base, row.cap);
    TIDX = row.TIDX;
    if (P > 5000.0) PTERR = 'W';
    if (row.warn && PTERR == 'N') PTERR = 'W';
    if (shifted) ISOERR = 'W';
    if (P < row.limit) ISOERR = 'E';
}

}  // namespace

void FINDPT(const double& P, const double& T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) {
    if (on_the_grid(P, T)) return find_on_the_grid(P, T, PIDX, TIDX, PTERR, ISOERR);
    find_rule_by_rule(P, T, PIDX, TIDX, PTERR, ISOERR);
}

void find_rule_by_rule(const double& P, const double& T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) {
    pressure_step(P, PIDX, PTERR);
    temperature_step(P, T, PIDX, TIDX, PTERR, ISOERR);
}

}  // namespace logk
