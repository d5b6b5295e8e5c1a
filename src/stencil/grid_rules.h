// The stencil selection on a table's own nodes (grid/grid_table.h): which
// 3 x 3 block of its nodes a point is interpolated on, and the point's two
// flags, from data made once per table.
#pragma once

#include <vector>

#include "grid/grid_table.h"

namespace logk {

// The rules, stated for every face in logk.h:
//   - In pressure the node nearest P, the lower of two at the same
//     distance, each distance a double (with p(k) <= P < p(k+1): p(k) where
//     P - p(k) <= p(k+1) - P); below p(1) the first node, above p(m) the
//     last, NaN the first. It is the middle of the stencil's three, clamped
//     to 2..m-1; PIDX is the stencil's lowest node. In temperature the
//     same, TIDX the stencil's highest node. Along one line (m = 1) PIDX 1.
//   - Where the stencil's nine values hold a NaN it moves up one pressure
//     node at a time until they hold none, and ISOERR is 'W'; where no
//     complete stencil lies above, it stays where it started and ISOERR is
//     'E' (log K is then NaN). Along one line, a NaN among the row's three
//     values gives 'E'. ISOERR is 'E' too where P lies below the lowest
//     pressure node that has a value at the temperature node nearest T.
//   - PTERR 'N' within [p(1), p(m)] x [t(1), t(n)]; 'W' outside but within
//     one outermost node spacing (p(1) - (p(2) - p(1)) <= P <= p(m) +
//     (p(m) - p(m-1)), each bound a double, the same in T); 'E' beyond and
//     for NaN; the more severe of the two axes' (along one line only T's).
//   A flag is only ever raised, never written 'N'. As on the fixed grid, a
//   NaN lies below every bound and within none.
class GridRules {
public:
    explicit GridRules(const GridTable& table);

    void find(double P, double T, int& PIDX, int& TIDX, char& PTERR, char& ISOERR) const;

    // Where along each axis the nearest node changes: the first double at
    // which node k + 1 is nearer than node k, for k = 1 .. nodes - 1,
    // ascending. A point's stencil is the same between two of them.
    const std::vector<double>& pressure_changes() const { return pressure_changes_; }
    const std::vector<double>& temperature_changes() const { return temperature_changes_; }

    // What find() decides by, for the same decisions made for many points
    // at once (grid_rules_lanes.h).
    int m() const { return m_; }
    int n() const { return n_; }
    bool has_missing() const { return has_missing_; }
    struct Range {
        double first, last, low, high;  // the nodes' range, and the margins' bounds
    };
    Range pressure_range() const { return {p_first_, p_last_, p_low_, p_high_}; }
    Range temperature_range() const { return {t_first_, t_last_, t_low_, t_high_}; }
    // For a table with missing values: the first complete stencil from
    // `start` up (0: none), and the lower limit at temperature node j.
    int complete_from(int start, int TIDX) const {
        return complete_from_[static_cast<std::size_t>((start - 1) + (TIDX - 3) * (m_ - 2))];
    }
    double lower_limit(int j) const { return lower_limit_[static_cast<std::size_t>(j)]; }
    // Along one line: whether the three values ending at TIDX hold a NaN.
    bool row_missing(int TIDX) const { return row_missing_[static_cast<std::size_t>(TIDX)]; }

private:
    int m_, n_;
    std::vector<double> pressure_changes_, temperature_changes_;
    double p_first_, p_last_, p_low_, p_high_;  // the nodes' range and the margins' bounds
    double t_first_, t_last_, t_low_, t_high_;
    bool has_missing_ = false;
    // For the stencil starting at pressure node k (1..m-2) and ending at
    // temperature node TIDX (3..n), at (k - 1) + (TIDX - 3) * (m - 2): the
    // first start from k up whose nine values are all numbers, or 0.
    std::vector<int> complete_from_;
    // Along one line: whether the row's three values ending at TIDX hold a NaN.
    std::vector<bool> row_missing_;
    // For each temperature node: the lowest pressure node with a value
    // there (+inf where none has one).
    std::vector<double> lower_limit_;
};

}  // namespace logk
