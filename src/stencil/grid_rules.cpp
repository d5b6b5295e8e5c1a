#include "stencil/grid_rules.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace logk {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The doubles in their order as integers (-0 and +0 as one), and back.
std::int64_t order_of(double x) {
    const auto bits = std::bit_cast<std::int64_t>(x);
    return bits >= 0 ? bits : -(bits & std::numeric_limits<std::int64_t>::max());
}
double at_order(std::int64_t k) {
    return std::bit_cast<double>(k >= 0 ? k : (-k) | std::numeric_limits<std::int64_t>::min());
}

// The first double x from a up to b at which b is nearer than a, each
// distance rounded: x - a > b - x. At a it is not (0 > b - a is false), at
// b it is, and between them it holds from one double on, as x - a grows
// and b - x falls with x.
double first_nearer_above(double a, double b) {
    std::int64_t low = order_of(a), high = order_of(b);  // false at low, true at high
    // The count of doubles between nodes on either side of 0 can pass what
    // an int64 holds: it is taken unsigned.
    auto between = [&] { return static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low); };
    while (between() > 1) {
        const std::int64_t middle = low + static_cast<std::int64_t>(between() / 2);
        const double x = at_order(middle);
        (x - a > b - x ? high : low) = middle;
    }
    return at_order(high);
}

std::vector<double> changes_of(const double* nodes, int count) {
    std::vector<double> changes;
    for (int k = 1; k < count; ++k) changes.push_back(first_nearer_above(nodes[k - 1], nodes[k]));
    return changes;
}

// The number of changes at or below x, a node less than the nearest: by
// halving, with no branch on the data (points come in no order). A NaN is
// at or above none.
int changes_not_above(const std::vector<double>& changes, double x) {
    const double* base = changes.data();
    std::size_t length = changes.size();
    if (length == 0) return 0;
    while (length > 1) {
        const std::size_t half = length / 2;
        base = base[half] <= x ? base + half : base;
        length -= half;
    }
    return static_cast<int>(base - changes.data()) + (*base <= x ? 1 : 0);
}

// 'N' within [first, last], 'W' within [low, high], 'E' beyond; a NaN 'E'.
char verdict(double x, double first, double last, double low, double high) {
    if (x >= first && x <= last) return 'N';
    if (x >= low && x <= high) return 'W';
    return 'E';
}

void raise(char& flag, char verdict) {
    if (verdict == 'E') flag = 'E';
    if (verdict == 'W' && flag == 'N') flag = 'W';
}

}  // namespace

GridRules::GridRules(const GridTable& table)
    : m_(table.m()),
      n_(table.n()),
      pressure_changes_(changes_of(table.pressures(), table.m())),
      temperature_changes_(changes_of(table.temperatures(), table.n())) {
    p_first_ = table.P(1);
    p_last_ = table.P(m_);
    if (m_ > 1) {
        p_low_ = table.P(1) - (table.P(2) - table.P(1));
        p_high_ = table.P(m_) + (table.P(m_) - table.P(m_ - 1));
    }
    t_first_ = table.T(1);
    t_last_ = table.T(n_);
    t_low_ = table.T(1) - (table.T(2) - table.T(1));
    t_high_ = table.T(n_) + (table.T(n_) - table.T(n_ - 1));
    for (std::size_t c = 0; c < table.cell_count(); ++c) has_missing_ = has_missing_ || std::isnan(table.cells()[c]);
    if (m_ == 1) {
        row_missing_.assign(static_cast<std::size_t>(n_) + 1, false);
        for (int TIDX = 3; TIDX <= n_; ++TIDX) {
            for (int j = TIDX - 2; j <= TIDX; ++j) {
                if (std::isnan(table(1, j))) row_missing_[static_cast<std::size_t>(TIDX)] = true;
            }
        }
        return;
    }
    lower_limit_.assign(static_cast<std::size_t>(n_) + 1, kInfinity);
    for (int j = 1; j <= n_; ++j) {
        for (int i = m_; i >= 1; --i) {
            if (!std::isnan(table(i, j))) lower_limit_[static_cast<std::size_t>(j)] = table.P(i);
        }
    }
    if (!has_missing_) return;
    const int starts = m_ - 2;
    complete_from_.assign(static_cast<std::size_t>(starts) * static_cast<std::size_t>(n_ - 2), 0);
    for (int TIDX = 3; TIDX <= n_; ++TIDX) {
        int next_complete = 0;
        for (int k = starts; k >= 1; --k) {
            bool complete = true;
            for (int i = k; i <= k + 2; ++i) {
                for (int j = TIDX - 2; j <= TIDX; ++j) complete = complete && !std::isnan(table(i, j));
            }
            if (complete) next_complete = k;
            complete_from_[static_cast<std::size_t>((k - 1) + (TIDX - 3) * starts)] = next_complete;
        }
    }
}

void GridRules::find(double P, double T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) const {
    const int nearest_T = 1 + changes_not_above(temperature_changes_, T);
    TIDX = std::clamp(nearest_T, 2, n_ - 1) + 1;
    raise(PTERR, verdict(T, t_first_, t_last_, t_low_, t_high_));
    if (m_ == 1) {
        PIDX = 1;
        if (row_missing_[static_cast<std::size_t>(TIDX)]) ISOERR = 'E';
        return;
    }
    raise(PTERR, verdict(P, p_first_, p_last_, p_low_, p_high_));
    const int start = std::clamp(1 + changes_not_above(pressure_changes_, P), 2, m_ - 1) - 1;
    PIDX = start;
    if (has_missing_) {
        const int from = complete_from_[static_cast<std::size_t>((start - 1) + (TIDX - 3) * (m_ - 2))];
        if (from == 0) {
            ISOERR = 'E';
        } else if (from != start) {
            PIDX = from;
            ISOERR = 'W';
        }
    }
    if (!(P >= lower_limit_[static_cast<std::size_t>(nearest_T)])) ISOERR = 'E';
}

}  // namespace logk
