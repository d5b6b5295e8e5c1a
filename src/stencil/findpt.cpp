#include "stencil/findpt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "grid/grid.h"
#include "stencil/grid_rows.h"
#include "stencil/rules.h"

namespace logk {
namespace {

using namespace rules;
using namespace grid_rows;

// The readings of every test below. A NaN is below every threshold, not
// above any, and in no interval; none of these comparisons traps.
bool below(double v, double x) { return !(v >= x); }
bool not_above(double v, double x) { return !(v > x); }
bool in(double v, double from, double to) { return v >= from && below(v, to); }

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

// The number of pressure nodes not above P, for P in [1, 6000).
int nodes_not_above(double P) {
    if (P < 200.0) return pressure_nodes_not_above(P);
    // The rounded quotient never crosses a bucket edge: for P below an edge
    // 50 * b, P / 50 lies below b by at least ulp(50 b) / 50, which is at
    // least 32 / 50 of ulp(b), more than the half ulp that rounding moves.
    return kNodesOfBucket[static_cast<std::size_t>(P / 50.0)];
}

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
    if (on_quick_route(P, T)) return find_on_the_grid(P, T, PIDX, TIDX, PTERR, ISOERR);
    find_rule_by_rule(P, T, PIDX, TIDX, PTERR, ISOERR);
}

void find_rule_by_rule(const double& P, const double& T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) {
    pressure_step(P, PIDX, PTERR);
    temperature_step(P, T, PIDX, TIDX, PTERR, ISOERR);
}

}  // namespace logk
