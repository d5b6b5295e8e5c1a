#include "api/crossing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "api/batch.h"
#include "grid/grid.h"
#include "interp/intrpk.h"
#include "stencil/findpt.h"
#include "stencil/grid_rows.h"

namespace logk {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// How far the batch's log K can lie from the piece's quadratic as worked out
// here, in units of the roundoff times the magnitudes of the quadratic's
// terms. Along temperature the pressure pass's columns are INTRPK's own, so
// only its temperature pass rounds (each term some 8 times, 2 more for the
// sum) and this file's evaluation of the quadratic about as often; along
// pressure both passes round, and this file's pressure pass as well.
constexpr double kRoundingsAlongT = 20.0 * 0x1p-53;
constexpr double kRoundingsAlongP = 40.0 * 0x1p-53;
// Beyond 1.25 times that bound the side is certain: the margin covers the
// rounding of the contours' own roots.
constexpr double kMargin = 1.25;
constexpr std::int64_t kMostScanned = std::int64_t{1} << 16;
constexpr std::size_t kScannedAtOnce = 32;

enum class Side : signed char { below, on, above, none };
Side side_of(double lk, double y) {
    if (lk < y) return Side::below;
    if (lk > y) return Side::above;
    return lk == y ? Side::on : Side::none;
}
bool opposite(Side a, Side b) {
    return (a == Side::below && b == Side::above) || (a == Side::above && b == Side::below);
}

// The doubles in their order as integers (-0 and +0 as one), and back.
std::int64_t order_of(double x) {
    const auto bits = std::bit_cast<std::int64_t>(x);
    return bits >= 0 ? bits : -(bits & std::numeric_limits<std::int64_t>::max());
}
double at_order(std::int64_t k) {
    return std::bit_cast<double>(k >= 0 ? k : (-k) | std::numeric_limits<std::int64_t>::min());
}
double next_up(double x) { return x == kInfinity ? x : at_order(order_of(x) + 1); }
double next_down(double x) { return x == -kInfinity ? x : at_order(order_of(x) - 1); }

struct Stencil {
    int PIDX = -100, TIDX = -100;
    bool operator==(const Stencil&) const = default;
};

// The Lagrange basis polynomial of node k through `node`, at x; all three.
double basis(int k, double x, const std::array<double, 3>& node) {
    const double a = node[(k + 1) % 3], b = node[(k + 2) % 3];
    return (x - a) * (x - b) / ((node[k] - a) * (node[k] - b));
}
std::array<double, 3> basis(double x, const std::array<double, 3>& node) {
    return {basis(0, x, node), basis(1, x, node), basis(2, x, node)};
}

// The largest |L_k| on [l, r]: at an end or at the basis polynomial's vertex.
double largest_basis(int k, double l, double r, const std::array<double, 3>& node) {
    const double vertex = 0.5 * (node[(k + 1) % 3] + node[(k + 2) % 3]);
    double most = std::max(std::abs(basis(k, l, node)), std::abs(basis(k, r, node)));
    if (vertex > l && vertex < r) most = std::max(most, std::abs(basis(k, vertex, node)));
    return most;
}

class Search {
public:
    Search(const LogKTable& LOGK, Along along, double fixed, double y)
        : LOGK_(LOGK), along_(along), fixed_(fixed), y_(y) {}

    // Walks the pieces of [low, high]; the first crossing, or 'N'.
    FirstCrossing run(double low, double high) {
        const auto& ends = along_ == Along::temperature ? std::span<const double>(grid_rows::kStencilTemperatures)
                                                        : std::span<const double>(grid_rows::kStencilPressures);
        for (std::size_t k = 0; k <= ends.size(); ++k) {
            double first, last;
            if (along_ == Along::temperature) {  // (end k-1, end k]
                first = k == 0 ? -kInfinity : next_up(ends[k - 1]);
                last = k == ends.size() ? kInfinity : ends[k];
            } else {  // [end k-1, end k)
                first = k == 0 ? -kInfinity : ends[k - 1];
                last = k == ends.size() ? kInfinity : next_down(ends[k]);
            }
            first = std::max(first, low);
            last = std::min(last, high);
            if (first > last) continue;
            if (piece(first, last)) return found_;
        }
        return {kNaN, 'N'};
    }

private:
    double P_at(double x) const { return along_ == Along::temperature ? fixed_ : x; }
    double T_at(double x) const { return along_ == Along::temperature ? x : fixed_; }

    Stencil stencil_at(double x) const {
        Stencil s;
        char PTERR = 'N', ISOERR = 'N';
        FINDPT(P_at(x), T_at(x), s.PIDX, s.TIDX, PTERR, ISOERR);
        return s;
    }
    // log K at x on the current piece exactly as the batch gives it (its
    // stencil there is the piece's): along temperature the temperature pass
    // over the piece's columns alone.
    double exact_on_piece(double x) const {
        if (along_ == Along::temperature) return intrpk_along_temperature(x, here_.TIDX, columns_);
        double LK;
        intrpk_cells(P_at(x), T_at(x), here_.PIDX, here_.TIDX, LOGK_.cells(), LK);
        return LK;
    }

    // The piece's quadratic along the search: its nodes, its values there
    // (the other coordinate's pass done), and the magnitude of each value's
    // terms, which bounds the rounding of the result.
    struct Model {
        std::array<double, 3> node, value, magnitude;
        double roundings = 0.0;    // the rounding of a term, as a share of its magnitude
        double bound = kInfinity;  // bound_on the whole piece
        double g(double x, double y) const {
            const std::array<double, 3> L = basis(x, node);
            return ((value[0] * L[0] + value[1] * L[1]) + value[2] * L[2]) - y;
        }
        // kMargin times the rounding the batch's result may carry on l .. r.
        double bound_on(double l, double r) const {
            double spread = 0.0;
            for (int k = 0; k < 3; ++k) spread += std::abs(magnitude[k]) * largest_basis(k, l, r, node);
            return kMargin * roundings * spread;
        }
    };
    // The other coordinate's pass done here, at the fixed one, for the
    // values at the nodes of the search's axis, and the magnitudes that
    // bound the rounding of both passes.
    Model model_of(const Stencil& s, double first, double last) const {
        Model m;
        const bool along_T = along_ == Along::temperature;
        std::array<double, 3> other;
        for (int k = 0; k < 3; ++k) {
            m.node[k] = along_T ? TGRID(s.TIDX - 2 + k) : PGRID(s.PIDX + k);
            other[k] = along_T ? PGRID(s.PIDX + k) : TGRID(s.TIDX - 2 + k);
        }
        const std::array<double, 3> w = basis(fixed_, other);
        for (int k = 0; k < 3; ++k) {
            m.value[k] = m.magnitude[k] = 0.0;
            for (int i = 0; i < 3; ++i) {
                const double term = w[i] * (along_T ? LOGK_(s.PIDX + i, s.TIDX - 2 + k) : LOGK_(s.PIDX + k, s.TIDX - 2 + i));
                m.value[k] += term;
                m.magnitude[k] += std::abs(term);
            }
        }
        m.roundings = kRoundingsAlongP;
        m.bound = m.bound_on(first, last);
        return m;
    }
    // Along temperature, closer: the values are INTRPK's own columns
    // (intrpk_columns), so only its temperature pass and this file's
    // quadratic round.
    Model closer_model(const Model& rough, double first, double last) {
        columns_ = intrpk_columns(fixed_, here_.PIDX, here_.TIDX, LOGK_.cells());
        Model m = rough;
        for (int k = 0; k < 3; ++k) m.value[k] = m.magnitude[k] = columns_.LKP[k];
        m.roundings = kRoundingsAlongT;
        m.bound = m.bound_on(first, last);
        return m;
    }

    // The x in (l, r) where the model's g equals +c or -c, in order.
    struct Contours {
        std::array<double, 5> x;  // four roots at most, and the end of the piece
        int count = 0;
    };
    static Contours contours(const Model& m, double y, double c, double l, double r) {
        // g in powers of s = x - node[1], so that the coefficients keep
        // their digits near the nodes.
        const double s0 = m.node[0] - m.node[1], s2 = m.node[2] - m.node[1];
        const double d0 = m.value[0] / (s0 * (s0 - s2)), d1 = m.value[1] / (s0 * s2), d2 = m.value[2] / (s2 * (s2 - s0));
        const double a = d0 + d1 + d2;
        const double b = -(d0 * s2 + d1 * (s0 + s2) + d2 * s0);
        const double c0 = d1 * s0 * s2 - y;
        Contours inside;
        auto keep = [&](double s) {
            const double x = s + m.node[1];
            if (x > l && x < r) inside.x[static_cast<std::size_t>(inside.count++)] = x;
        };
        for (const double level : {c, -c}) {
            const double cc = c0 - level;
            if (a == 0.0) {
                if (b != 0.0) keep(-cc / b);
                continue;
            }
            const double disc = b * b - 4.0 * a * cc;
            if (!(disc >= 0.0)) continue;
            const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
            if (q == 0.0) {
                keep(0.0);
            } else {
                keep(q / a);
                keep(cc / q);
            }
        }
        for (int k = 1; k < inside.count; ++k) {  // four at most: in order by insertion
            for (int j = k; j > 0 && inside.x[j - 1] > inside.x[j]; --j) std::swap(inside.x[j - 1], inside.x[j]);
        }
        return inside;
    }

    // Records x as the answer, `before` the stencil of the double below it.
    bool answer(double x, Side at, const Stencil& before, const Stencil& here) {
        found_ = {x, at != Side::on && before != here ? 'J' : 'C'};
        return true;
    }

    // One double's side, after the side before it; true where it is the answer.
    bool step(double x, double lk, const Stencil& before, const Stencil& here) {
        const Side s = side_of(lk, y_);
        if (s == Side::on || opposite(previous_, s)) return answer(x, s, before, here);
        previous_ = s;
        return false;
    }

    // The doubles first .. last of the current piece, in order, exactly: a
    // few dozen at a time through the batch's lanes on the piece's stencil.
    bool scan(double first, double last, double piece_first) {
        const std::int64_t from = order_of(first), to = order_of(last);
        const std::int64_t scanned_to = to - from >= kMostScanned ? from + kMostScanned - 1 : to;
        std::array<double, kScannedAtOnce> x{}, P{}, T{}, LK{};
        for (std::int64_t k = from; k <= scanned_to; k += kScannedAtOnce) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(kScannedAtOnce, scanned_to - k + 1));
            for (std::size_t i = 0; i < n; ++i) x[i] = at_order(k + static_cast<std::int64_t>(i));
            if (along_ == Along::temperature) {
                interpolate_along_temperature(here_.TIDX, columns_, n, x.data(), LK.data());
            } else {
                for (std::size_t i = 0; i < n; ++i) {
                    P[i] = x[i];
                    T[i] = fixed_;
                }
                interpolate_on_stencil(LOGK_.cells(), here_.PIDX, here_.TIDX, n, P.data(), T.data(), LK.data());
            }
            for (std::size_t i = 0; i < n; ++i) {
                // The doubles on the side before go by at once.
                if ((previous_ == Side::below && LK[i] < y_) || (previous_ == Side::above && LK[i] > y_)) continue;
                if (step(x[i], LK[i], x[i] == piece_first ? before_ : here_, here_)) return true;
            }
        }
        if (scanned_to == to) return false;
        return bisect(at_order(scanned_to), last, here_);
    }

    // Between lo, whose side is the previous one, and hi: a double where
    // the side changes, by halving.
    bool bisect(double lo, double hi, const Stencil& here) {
        const Side at_hi = side_of(exact_on_piece(hi), y_);
        if (!(at_hi == Side::on || opposite(previous_, at_hi))) {
            if (at_hi != Side::none) previous_ = at_hi;
            return false;
        }
        std::int64_t low = order_of(lo), high = order_of(hi);
        while (high - low > 1) {
            const std::int64_t middle = low + (high - low) / 2;
            const Side s = side_of(exact_on_piece(at_order(middle)), y_);
            (s == previous_ ? low : high) = middle;
        }
        const double x = at_order(high);
        return answer(x, side_of(exact_on_piece(x), y_), here, here);
    }

    // One piece of one stencil, first .. last.
    bool piece(double first, double last) {
        here_ = stencil_at(first);
        const Model m = model_of(here_, first, last);
        bool done;
        if (!std::isfinite(m.bound) || !std::isfinite(first) || !std::isfinite(last)) {
            columns_ = intrpk_columns(fixed_, here_.PIDX, here_.TIDX, LOGK_.cells());
            done = step(first, exact_on_piece(first), before_, here_) || (first < last && bisect(first, last, here_));
        } else if (const Side s = clear_side(m, first, last); s != Side::none) {
            done = opposite(previous_, s) && answer(first, s, before_, here_);
            previous_ = s;
        } else {
            done = stretch(along_ == Along::temperature ? closer_model(m, first, last) : m, first, last, m.bound,
                           first, true);
        }
        before_ = here_;
        return done;
    }

    // The side of the whole piece where its quadratic stays clear of y, at
    // a glance; none where it may come near.
    Side clear_side(const Model& m, double first, double last) const {
        // At a glance where the piece's quadratic stays far from y: as the
        // basis sums to 1, q - y = d1 + (d0 - d1) L0 + (d2 - d1) L2 with
        // d_k = v_k - y, so each term within the range its L takes on the
        // piece bounds the whole, clear of the bound or not.
        const double d1 = m.value[1] - y_;
        double low = d1, high = d1, scale = std::abs(d1);
        for (int k : {0, 2}) {
            const double vertex = 0.5 * (m.node[(k + 1) % 3] + m.node[(k + 2) % 3]);
            const double at_first = basis(k, first, m.node), at_last = basis(k, last, m.node);
            double L_low = std::min(at_first, at_last), L_high = std::max(at_first, at_last);
            if (vertex > first && vertex < last) {
                const double at_vertex = basis(k, vertex, m.node);
                L_low = std::min(L_low, at_vertex);
                L_high = std::max(L_high, at_vertex);
            }
            const double d = m.value[k] - m.value[1];
            low += std::min(d * L_low, d * L_high);
            high += std::max(d * L_low, d * L_high);
            scale += std::abs(d) * std::max(std::abs(L_low), std::abs(L_high));
        }
        const double clear = 2.0 * m.bound + 8.0 * 0x1p-53 * scale;  // this sum's own rounding too
        if (low >= clear) return Side::above;
        if (high <= -clear) return Side::below;
        return Side::none;
    }

    // A stretch between contours, on side s: every double of it where the
    // model lies at least `rounding` from y is on that side. The contours'
    // roots are rounded, so where the model is steep a double or two at the
    // stretch's ends may lie inside the rounding: those are looked at
    // exactly, in order.
    bool certain(const Model& m, double first, double last, double rounding, Side s, double piece_first) {
        constexpr int kMostAtEnds = 64;
        auto near = [&](double x) { return std::abs(m.g(x, y_)) < rounding; };
        double from = first, to = last;
        for (int k = 0; k < kMostAtEnds && from <= to && near(from); ++k) from = next_up(from);
        for (int k = 0; k < kMostAtEnds && to >= from && near(to); ++k) to = next_down(to);
        if (from > to || near(from) || near(to)) return scan(first, last, piece_first);
        if (from > first && scan(first, next_down(from), piece_first)) return true;
        if (opposite(previous_, s)) return answer(from, s, from == piece_first ? before_ : here_, here_);
        previous_ = s;
        return to < last && scan(next_up(to), last, piece_first);
    }

    // first .. last of the current piece, where `bound` holds: the stretches
    // between the contours of +-bound, each on one side at a glance or
    // looked at again with the bound of that stretch alone (the basis
    // polynomials are smaller there than across the piece), then exactly.
    bool stretch(const Model& m, double first, double last, double bound, double piece_first, bool again) {
        Contours ends = contours(m, y_, bound, first, last);
        ends.x[static_cast<std::size_t>(ends.count++)] = last;
        double cursor = first;
        for (int e = 0; e < ends.count; ++e) {
            const double stretch_last = std::min(ends.x[static_cast<std::size_t>(e)], last);
            if (stretch_last < cursor) continue;
            const double middle = cursor + 0.5 * (stretch_last - cursor);
            const double g = m.g(middle, y_);
            if (std::abs(g) >= bound) {
                if (certain(m, cursor, stretch_last, bound / kMargin, g > 0.0 ? Side::above : Side::below,
                            piece_first)) {
                    return true;
                }
            } else {
                const double narrower = again ? m.bound_on(cursor, stretch_last) : bound;
                const bool done = narrower < 0.75 * bound ? stretch(m, cursor, stretch_last, narrower, piece_first, false)
                                                          : scan(cursor, stretch_last, piece_first);
                if (done) return true;
            }
            if (stretch_last >= last) break;
            cursor = next_up(stretch_last);
        }
        return false;
    }

    const LogKTable& LOGK_;
    Along along_;
    double fixed_;
    double y_;
    Side previous_ = Side::none;  // of the double before the next one looked at
    Stencil before_;             // the stencil of the piece before
    Stencil here_;               // and of the current piece
    PressureColumns columns_{};  // along temperature: the current piece's columns at the pressure
    FirstCrossing found_{kNaN, 'N'};
};

}  // namespace

FirstCrossing first_crossing(const LogKTable& LOGK, Along along, double fixed, double y, double low, double high) {
    if (std::isnan(fixed) || std::isnan(y) || !(low <= high)) return {kNaN, 'N'};
    return Search(LOGK, along, fixed, y).run(low, high);
}

}  // namespace logk
