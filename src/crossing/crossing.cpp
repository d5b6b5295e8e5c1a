#include "crossing/crossing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "batch/batch.h"
#include "crossing/reach.h"
#include "crossing/twofold.h"
#include "grid/grid.h"
#include "interp/intrpk.h"
#include "stencil/findpt.h"
#include "stencil/grid_rules.h"
#include "stencil/grid_rows.h"

namespace logk {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// How far the batch's log K can lie from the piece's exact quadratic, in
// units of the roundoff times the magnitudes of the quadratic's terms: each
// term of one of INTRPK's passes is rounded some 8 times (its two steps from
// the nodes, its four products and quotients, and the two steps between
// nodes it divides by), and summed with 2 more. Along temperature the
// pressure pass's columns are INTRPK's own, so only its temperature pass
// rounds; along pressure both do.
constexpr double kRoundingsAlongT = 10.0 * 0x1p-53;
constexpr double kRoundingsAlongP = 20.0 * 0x1p-53;
// This file's own quadratic, where it is worked out in plain doubles
// (along temperature), rounds about as often as one pass. Along pressure
// log K changes slowly and the band that rounding leaves is hundreds of
// doubles wide, so there the quadratic is worked out in twice the
// precision, which adds nothing that counts beside the batch's rounding,
// but where that shrinks to nothing.
constexpr double kRoundingsOfPlainQuadratic = 10.0 * 0x1p-53;
// The plain quadratic's rounding, as the batch's, is a share of each
// value's term, and vanishes with them: at a node the other nodes' terms
// are exactly 0, so where the node's value is 0 both give exactly 0. The
// quadratic in twice the precision is worked out in powers of x - node 1,
// whose rounding does not vanish there: at such a node, and a few doubles
// round it, its rounding is all the bound holds, a share of the powers'
// terms and of y. Its coefficients carry some 8 roundings of 2^-104 from
// the exact Lagrange ones, its evaluation some 8 more.
constexpr double kRoundingsOfTwofoldQuadratic = 64.0 * 0x1p-104;
// And at a glance at a whole piece, with this file's own pass in plain
// doubles (model_of): the batch's both passes, and this one's as well.
constexpr double kRoundingsAtAGlance = 40.0 * 0x1p-53;
// Beyond 1.25 times that bound the side is certain: the margin covers what
// the bounds leave out (the products of two roundings). Strictly beyond:
// where the bound is 0 (a stencil of zeros, or at a node whose value is 0)
// the batch gives the quadratic's value exactly, and a quadratic at y
// there is on it, on neither side.
constexpr double kMargin = 1.25;
// The search's own arithmetic is done on the stencil's values scaled to
// about 1, where it keeps to the normal doubles but for terms far below
// the rest; what those lose among the subnormal ones, it counts as this
// many times the batch's own absolute rounding (reach.h).
constexpr double kOwnSubnormalRoundings = 64.0;
// Where a stencil's values are 0 or lie between 2^-400 and 2^400 in size,
// and the coordinates within 2^39 of 0, every product of the batch and of
// the search lies between 2^-700 and 2^700 or is 0 (a step from a node is
// at least some 2^-60, one between nodes between 2^-7 and 2^13), and sums
// of normal doubles that fall among the subnormal ones are exact: nothing
// overflows and no rounding loses to the subnormal doubles, so reach.h need
// not be asked, and the search's values need no scale.
constexpr double kOrdinarySmallest = 0x1p-400;
constexpr double kOrdinaryLargest = 0x1p400;
bool ordinary_coordinate(double x) { return std::abs(x) <= 0x1p39; }
constexpr std::int64_t kScannedAtOnce = 512;

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
// How many doubles from order a up to order b: more than an int64 holds
// across the whole line.
std::uint64_t doubles_between(std::int64_t a, std::int64_t b) {
    return static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
}
double next_up(double x) { return x == kInfinity ? x : at_order(order_of(x) + 1); }
double next_down(double x) { return x == -kInfinity ? x : at_order(order_of(x) - 1); }

struct Stencil {
    int PIDX = -100, TIDX = -100;
    bool operator==(const Stencil&) const = default;
};

// A multiplication by 2^-k, exact while the product stays normal: in two
// factors, as 2^-k may lie beyond the doubles (k from -1074 to 1023).
class Scale {
public:
    Scale() = default;
    explicit Scale(int k) : first_(power_of_two(-k / 2)), second_(power_of_two(-k - (-k / 2))) {}
    // The scale that brings the size `largest` to [1, 2) (none where it is
    // 0 or not finite); that of the largest of `values`.
    static Scale to_one(double largest) {
        if (largest == 0.0 || !std::isfinite(largest)) return Scale();
        const auto exponent = static_cast<int>(std::bit_cast<std::uint64_t>(largest) >> 52);
        return Scale(exponent != 0 ? exponent - 1023 : std::ilogb(largest));
    }
    template <std::size_t N>
    static Scale to_one(const std::array<double, N>& values) {
        double largest = 0.0;
        for (double v : values) largest = std::max(largest, std::abs(v));
        return to_one(largest);
    }
    double operator()(double v) const { return v * first_ * second_; }

private:
    static double power_of_two(int e) { return std::bit_cast<double>(static_cast<std::uint64_t>(1023 + e) << 52); }
    double first_ = 1.0, second_ = 1.0;
};

// Three nodes of one axis, with the reciprocal of each one's Lagrange
// denominator: the basis is looked at many times on every piece, and a
// division costs as much as the rest.
struct Nodes {
    std::array<double, 3> at{}, reciprocal{};
    PassSteps steps;  // INTRPK's steps between them, in its order for the axis
    // The quadratic through values v at the nodes, in powers of
    // s = x - at[1]: the coefficient of s^j is the sum over k of
    // v_k to_power[j][k], in twice the precision.
    std::array<std::array<Twofold, 3>, 3> to_power{};
    constexpr Nodes() = default;
    constexpr Nodes(const std::array<double, 3>& x, bool pressure) : at(x), steps(x, pressure) {
        for (int k = 0; k < 3; ++k) reciprocal[k] = 1.0 / ((x[k] - x[(k + 1) % 3]) * (x[k] - x[(k + 2) % 3]));
        const Twofold s0 = difference(x[0], x[1]), s2 = difference(x[2], x[1]);
        const Twofold r0 = logk::reciprocal(s0 * (s0 - s2)), r1 = logk::reciprocal(s0 * s2);
        const Twofold r2 = logk::reciprocal(s2 * (s2 - s0));
        to_power[2] = {r0, r1, r2};
        to_power[1] = {-(s2 * r0), -((s0 + s2) * r1), -(s0 * r2)};
        to_power[0] = {Twofold{}, s0 * s2 * r1, Twofold{}};
    }
    // The three basis polynomials at x, in twice the precision.
    Twofold exact_basis(int k, double x) const {
        const Twofold s = difference(x, at[1]);
        const auto& c = to_power;
        const auto j = static_cast<std::size_t>(k);
        return (c[2][j] * s + c[1][j]) * s + c[0][j];
    }
    constexpr double operator[](int k) const { return at[static_cast<std::size_t>(k)]; }
};

// Every stencil's nodes on each axis, by its index (PIDX; TIDX, whose nodes
// lie below it).
constexpr auto kPressureStencilNodes = [] {
    std::array<Nodes, kPressureNodes + 1> nodes{};
    for (int PIDX = 1; PIDX + 2 <= kPressureNodes; ++PIDX) {
        nodes[static_cast<std::size_t>(PIDX)] = Nodes({PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2)}, true);
    }
    return nodes;
}();
constexpr auto kTemperatureStencilNodes = [] {
    std::array<Nodes, kTemperatureNodes + 1> nodes{};
    for (int TIDX = 3; TIDX <= kTemperatureNodes; ++TIDX) {
        nodes[static_cast<std::size_t>(TIDX)] = Nodes({TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX)}, false);
    }
    return nodes;
}();
const Nodes& pressure_nodes(int PIDX) { return kPressureStencilNodes[static_cast<std::size_t>(PIDX)]; }
const Nodes& temperature_nodes(int TIDX) { return kTemperatureStencilNodes[static_cast<std::size_t>(TIDX)]; }

// The Lagrange basis polynomial of node k, at x; all three.
double basis(int k, double x, const Nodes& node) {
    return (x - node[(k + 1) % 3]) * (x - node[(k + 2) % 3]) * node.reciprocal[static_cast<std::size_t>(k)];
}
std::array<double, 3> basis(double x, const Nodes& node) {
    return {basis(0, x, node), basis(1, x, node), basis(2, x, node)};
}

// The range a basis polynomial takes on [l, r]: at an end or at its vertex.
struct Range {
    double low, high;
    double largest() const { return std::max(std::abs(low), std::abs(high)); }
};
Range basis_range(int k, double l, double r, const Nodes& node) {
    const double vertex = 0.5 * (node[(k + 1) % 3] + node[(k + 2) % 3]);
    const double at_l = basis(k, l, node), at_r = basis(k, r, node);
    Range range{std::min(at_l, at_r), std::max(at_l, at_r)};
    if (vertex > l && vertex < r) {
        const double at_vertex = basis(k, vertex, node);
        range = {std::min(range.low, at_vertex), std::max(range.high, at_vertex)};
    }
    return range;
}

class Search {
public:
    Search(const SearchedTable& table, Along along, double fixed, double y)
        : table_(table), along_(along), fixed_(fixed), y_(y) {}

    // Walks the pieces of [low, high]; the first crossing, or 'N'. On the
    // fixed grid a stencil's temperature row is (TGRID(k-1), TGRID(k)] (and
    // the row of 700 degC) and its pressure interval [PGRID(k), PGRID(k+1));
    // on a table's own nodes the stencil changes where the nearest node
    // does, on either axis at the first double nearer the next node.
    FirstCrossing run(double low, double high) {
        const bool own = table_.grid != nullptr;
        const auto& ends = own ? std::span<const double>(along_ == Along::temperature
                                                             ? table_.rules->temperature_changes()
                                                             : table_.rules->pressure_changes())
                               : along_ == Along::temperature ? std::span<const double>(grid_rows::kStencilTemperatures)
                                                              : std::span<const double>(grid_rows::kStencilPressures);
        for (std::size_t k = 0; k <= ends.size(); ++k) {
            double first, last;
            if (along_ == Along::temperature && !own) {  // (end k-1, end k]
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
        if (table_.grid != nullptr) {
            table_.rules->find(P_at(x), T_at(x), s.PIDX, s.TIDX, PTERR, ISOERR);
        } else {
            FINDPT(P_at(x), T_at(x), s.PIDX, s.TIDX, PTERR, ISOERR);
        }
        return s;
    }
    // The table's value at node (I, J).
    double cell(int I, int J) const { return table_.grid != nullptr ? (*table_.grid)(I, J) : (*table_.fixed)(I, J); }
    // The columns of the current piece's stencil at the fixed pressure.
    PressureColumns columns_here() const {
        if (table_.grid != nullptr) return intrpk_grid_columns(fixed_, here_.PIDX, here_.TIDX, *table_.grid);
        return intrpk_columns(fixed_, here_.PIDX, here_.TIDX, table_.fixed->cells());
    }
    // log K at x on the current piece exactly as the batch gives it (its
    // stencil there is the piece's): along temperature the temperature pass
    // over the piece's columns alone.
    double exact_on_piece(double x) const {
        const GridTable* grid = table_.grid;
        if (along_ == Along::temperature) {
            return grid != nullptr ? intrpk_grid_along_temperature(x, here_.TIDX, *grid, columns_)
                                   : intrpk_along_temperature(x, here_.TIDX, columns_);
        }
        double LK;
        if (grid != nullptr) {
            intrpk_grid(P_at(x), T_at(x), here_.PIDX, here_.TIDX, *grid, grid->cells(), 1, LK);
        } else {
            intrpk_cells(P_at(x), T_at(x), here_.PIDX, here_.TIDX, table_.fixed->cells(), LK);
        }
        return LK;
    }
    // A stencil's three nodes of an axis, with what the search works out
    // from them: the fixed grid's made once for all, a table's own made when
    // the search comes to the stencil (kept while it stays there).
    const Nodes& pressure_nodes_of(int PIDX) {
        if (table_.grid == nullptr) return pressure_nodes(PIDX);
        if (own_pressure_nodes_of_ != PIDX) {
            const GridTable& grid = *table_.grid;
            own_pressure_nodes_ = Nodes({grid.P(PIDX), grid.P(PIDX + 1), grid.P(PIDX + 2)}, true);
            own_pressure_nodes_of_ = PIDX;
        }
        return own_pressure_nodes_;
    }
    const Nodes& temperature_nodes_of(int TIDX) {
        if (table_.grid == nullptr) return temperature_nodes(TIDX);
        if (own_temperature_nodes_of_ != TIDX) {
            const GridTable& grid = *table_.grid;
            own_temperature_nodes_ = Nodes({grid.T(TIDX - 2), grid.T(TIDX - 1), grid.T(TIDX)}, false);
            own_temperature_nodes_of_ = TIDX;
        }
        return own_temperature_nodes_;
    }
    // Along one line the pressure takes no part: its "pass" takes the row.
    bool along_one_line() const { return table_.grid != nullptr && table_.grid->along_one_line(); }

    // The piece's quadratic along the search: its nodes, its values there
    // (the other coordinate's pass done), and the magnitude of each value's
    // terms, which bounds the rounding of the result. Values, magnitudes, y
    // and bounds are the stencil's scaled to about 1 (Scale): the search's
    // own arithmetic then keeps to the normal doubles whatever the table's
    // size, and a scale by a power of two leaves every comparison as it was.
    struct Model {
        const Nodes* nodes = nullptr;  // the stencil's on the search's axis, kept for the library's life
        const Nodes& node() const { return *nodes; }
        double y = 0.0;                          // the value sought, scaled
        std::array<double, 3> value, magnitude;  // value: rounded, at a glance
        std::array<Range, 3> range;              // each basis polynomial's on the whole piece
        double roundings = 0.0;                  // the rounding of a term, as a share of its magnitude
        double absolute = 0.0;                   // and what the subnormal doubles may add, whatever the terms
        double own = 0.0;                        // g's own rounding in powers of s, whatever the terms
        bool trusted = false;                    // the batch's products stay finite on the piece
        double bound = kInfinity;                // the whole piece's (spread)
        bool twofold = false;                    // g in twice the precision
        // Once the values are final (closer_model): the quadratic in powers
        // of s = x - node()[1], so that the coefficients keep their digits
        // near the nodes (in twice the precision where g is, and rounded).
        std::array<Twofold, 3> power{};
        std::array<double, 3> rounded_power{};
        void set_powers(const std::array<Twofold, 3>& exact) {
            for (std::size_t j = 0; j < 3; ++j) {
                const auto& c = node().to_power[j];
                if (twofold) {
                    power[j] = (exact[0] * c[0] + exact[1] * c[1]) + exact[2] * c[2];
                    rounded_power[j] = rounded(power[j]);
                } else {
                    rounded_power[j] = (value[0] * c[0].hi + value[1] * c[1].hi) + value[2] * c[2].hi;
                }
            }
        }
        // The quadratic less y at x: in plain doubles by the Lagrange form,
        // or in twice the precision, then rounded.
        double g(double x) const {
            if (!twofold) {
                const std::array<double, 3> L = basis(x, node());
                return ((value[0] * L[0] + value[1] * L[1]) + value[2] * L[2]) - y;
            }
            const Twofold s = difference(x, node()[1]);
            return rounded(((power[2] * s + power[1]) * s + power[0]) - Twofold{y, 0.0});
        }
        // Where the quadratic turns (NaN where it is a line).
        double vertex() const {
            return rounded_power[2] != 0.0 ? node()[1] - rounded_power[1] / (2.0 * rounded_power[2]) : kNaN;
        }
        // kMargin times the rounding the batch's result may carry where the
        // basis polynomials stay within `ranges`.
        double spread(const std::array<Range, 3>& ranges) const {
            double sum = 0.0;
            for (std::size_t k = 0; k < 3; ++k) sum += std::abs(magnitude[k]) * ranges[k].largest();
            return kMargin * (roundings * sum + absolute + own);
        }
        double bound_on(double l, double r) const {
            return spread({basis_range(0, l, r, node()), basis_range(1, l, r, node()), basis_range(2, l, r, node())});
        }
    };
    // The other coordinate's pass done here in plain doubles, at the fixed
    // one, for the values at the nodes of the search's axis, and the
    // magnitudes that bound the rounding of both passes.
    Model model_of(const Stencil& s, double first, double last) {
        Model m;
        const bool along_T = along_ == Along::temperature;
        m.nodes = along_T ? &temperature_nodes_of(s.TIDX) : &pressure_nodes_of(s.PIDX);
        if (!(s == cells_of_)) {
            for (std::size_t i = 0; i < 3; ++i) {
                for (std::size_t j = 0; j < 3; ++j) {
                    cells_[i][j] = i > 0 && along_one_line() ? 0.0 : cell(s.PIDX + int(i), s.TIDX - 2 + int(j));
                }
            }
            double largest = 0.0, smallest = kInfinity;  // in size, of those not 0
            for (const auto& row : cells_) {
                for (double v : row) {
                    largest = std::max(largest, std::abs(v));
                    if (v != 0.0) smallest = std::min(smallest, std::abs(v));
                }
            }
            cells_ordinary_ = largest <= kOrdinaryLargest && smallest >= kOrdinarySmallest;
            scale_ = cells_ordinary_ ? Scale() : Scale::to_one(largest);
            if (!cells_ordinary_) {
                for (auto& row : cells_) {
                    for (double& v : row) v = scale_(v);
                }
            }
            cells_of_ = s;
        }
        // The other axis's weights at the fixed coordinate: the same for
        // every piece until its stencil moves.
        // Along one line (which is searched along T alone) there is no
        // other pass: the row is the values at the nodes, exactly.
        const Nodes* other_nodes = along_one_line() ? nullptr
                                   : along_T         ? &pressure_nodes_of(s.PIDX)
                                                     : &temperature_nodes_of(s.TIDX);
        const int other = along_T ? s.PIDX : s.TIDX;
        if (other != weights_of_) {
            weights_ = other_nodes != nullptr ? basis(fixed_, *other_nodes) : std::array<double, 3>{1.0, 0.0, 0.0};
            weights_of_ = other;
        }
        const Reach reach = cells_ordinary_ && ordinary_coordinate(first) && ordinary_coordinate(last) &&
                                    ordinary_coordinate(fixed_)
                                ? Reach{true, 0.0}
                                : reach_on(m.node(), other_nodes, first, last);
        m.trusted = reach.finite;
        if (!m.trusted) return m;
        m.y = scale_(y_);
        if (reach.absolute != 0.0) m.absolute = scale_(reach.absolute) + kOwnSubnormalRoundings * reach.absolute;
        for (int k = 0; k < 3; ++k) {
            m.value[k] = m.magnitude[k] = 0.0;
            for (int i = 0; i < 3; ++i) {
                const auto node = static_cast<std::size_t>(i), other = static_cast<std::size_t>(k);
                const double cell = along_T ? cells_[node][other] : cells_[other][node];
                const double term = weights_[node] * cell;
                m.value[k] += term;
                m.magnitude[k] += std::abs(term);
            }
        }
        for (int k = 0; k < 3; ++k) m.range[static_cast<std::size_t>(k)] = basis_range(k, first, last, m.node());
        m.roundings = kRoundingsAtAGlance;
        m.bound = m.spread(m.range);
        m.trusted = std::isfinite(m.bound);
        return m;
    }
    // How far the batch reaches on the current stencil's piece first ..
    // last, where its values or the coordinates are out of the ordinary.
    Reach reach_on(const Nodes& search_nodes, const Nodes* other_nodes, double first, double last) const {
        const PassReach piece = pass_reach(search_nodes.at, search_nodes.steps, first, last);
        // Along one line the row goes to the temperature pass as it is.
        const PassReach fixed = other_nodes != nullptr ? pass_reach(other_nodes->at, other_nodes->steps, fixed_, fixed_)
                                                       : PassReach{{1.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, 1.0};
        std::array<std::array<double, 3>, 3> cells;  // as the batch takes them, unscaled
        for (std::size_t i = 0; i < 3; ++i) {
            for (std::size_t j = 0; j < 3; ++j) {
                cells[i][j] = i > 0 && along_one_line() ? 0.0 : cell(cells_of_.PIDX + int(i), cells_of_.TIDX - 2 + int(j));
            }
        }
        return along_ == Along::temperature ? stencil_reach(cells, fixed, piece) : stencil_reach(cells, piece, fixed);
    }

    // Closer, for a piece that may come near y. Along temperature the values
    // are INTRPK's own columns (intrpk_columns), so only its temperature pass
    // rounds; along pressure they are worked out again in twice the
    // precision, from the temperature weights at the fixed temperature (once
    // per stencil), and g then in powers of s, whose own rounding is
    // bounded over the piece first .. last.
    Model closer_model(const Model& rough, double first, double last) {
        Model m = rough;
        std::array<Twofold, 3> exact;
        if (along_ == Along::temperature) {
            columns_ = columns_here();
            for (std::size_t k = 0; k < 3; ++k) {
                m.value[k] = m.magnitude[k] = scale_(columns_.LKP[k]);
                exact[k] = {m.value[k], 0.0};
            }
            m.roundings = kRoundingsAlongT + kRoundingsOfPlainQuadratic;
        } else {
            if (here_.TIDX != exact_weights_of_) {
                const Nodes& nodes = temperature_nodes_of(here_.TIDX);
                for (int i = 0; i < 3; ++i) exact_weights_[static_cast<std::size_t>(i)] = nodes.exact_basis(i, fixed_);
                exact_weights_of_ = here_.TIDX;
            }
            for (int k = 0; k < 3; ++k) {
                Twofold sum{};
                for (int i = 0; i < 3; ++i) {
                    const auto node = static_cast<std::size_t>(k), other = static_cast<std::size_t>(i);
                    sum = sum + exact_weights_[other] * cells_[node][other];
                }
                exact[static_cast<std::size_t>(k)] = sum;
            }
            m.roundings = kRoundingsAlongP;
            m.twofold = true;
        }
        m.set_powers(exact);
        if (m.twofold) {
            const double s = std::max(std::abs(first - m.node()[1]), std::abs(last - m.node()[1]));
            double terms = std::abs(m.y), s_to_j = 1.0;
            for (std::size_t j = 0; j < 3; ++j, s_to_j *= s) {
                double coefficient = 0.0;  // of s^j, every value's term in size
                for (std::size_t k = 0; k < 3; ++k) coefficient += std::abs(exact[k].hi * m.node().to_power[j][k].hi);
                terms += coefficient * s_to_j;
            }
            m.own = kRoundingsOfTwofoldQuadratic * terms;
        }
        m.bound = m.spread(m.range);
        m.trusted = std::isfinite(m.bound);
        return m;
    }

    // The x in (l, r) where the model's g equals +c or -c, in order.
    struct Contours {
        std::array<double, 5> x;  // four roots at most, and the end of the piece
        int count = 0;
    };
    static Contours contours(const Model& m, double c, double l, double r) {
        const double a = m.rounded_power[2], b = m.rounded_power[1], c0 = m.rounded_power[0] - m.y;
        Contours inside;
        // Each root polished by a Newton step on g: the rounded coefficients
        // may put it a few doubles off, which where the quadratic is steep is
        // the width of the rounding.
        auto keep = [&](double s, double level) {
            double x = s + m.node()[1];
            if (!(x > l && x < r)) return;
            const double moved = x - (m.g(x) - level) / (2.0 * a * s + b);
            if (std::isfinite(moved)) x = moved;
            if (x > l && x < r) inside.x[static_cast<std::size_t>(inside.count++)] = x;
        };
        for (const double level : {c, -c}) {
            // The roots of a s^2 + b s + cc, the three scaled alike by a power
            // of two, so that b^2 and 4 a cc neither overflow nor lose their
            // digits among the subnormal doubles (the roots are the same).
            const Scale to_one = Scale::to_one(std::array{a, b, c0 - level});
            const double sa = to_one(a), sb = to_one(b), cc = to_one(c0 - level);
            if (sa == 0.0) {
                if (sb != 0.0) keep(-cc / sb, level);
                continue;
            }
            const double disc = sb * sb - 4.0 * sa * cc;
            if (!(disc >= 0.0)) continue;
            const double q = -0.5 * (sb + std::copysign(std::sqrt(disc), sb));
            if (q == 0.0) {
                keep(0.0, level);
            } else {
                keep(q / sa, level);
                keep(cc / q, level);
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

    // The doubles first .. last of the current piece, in order, exactly:
    // through the batch's lanes on the piece's stencil, a few dozen at first
    // and more at a time after. The search looks at kMostScanned doubles so
    // in all (each counted twice on a stencil out of the ordinary, whose
    // arithmetic may be slow); past them, it answers 'R' at the first it
    // has not looked at.
    bool scan(double first, double last, double piece_first) {
        const std::int64_t from = order_of(first), to = order_of(last);
        const std::uint64_t weight = cells_ordinary_ ? 1 : 2, left = unscanned_ / weight;
        const bool every = doubles_between(from, to) < left;  // from + left - 1 < to, else
        const std::int64_t scanned_to = every ? to : from + static_cast<std::int64_t>(left) - 1;
        // Left unset but for what each round writes: a scan is often a few
        // dozen doubles.
        std::array<double, kScannedAtOnce> x, fixed, LK;
        std::size_t fixed_set = 0;
        // A few doubles first (the side often changes soon), then more at a time.
        std::int64_t at_once = 32;
        for (std::int64_t k = from; k <= scanned_to;
             k += at_once, at_once = std::min<std::int64_t>(2 * at_once, kScannedAtOnce)) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(at_once, scanned_to - k + 1));
            unscanned_ -= n * weight;
            for (std::size_t i = 0; i < n; ++i) x[i] = at_order(k + static_cast<std::int64_t>(i));
            if (along_ == Along::temperature) {
                if (table_.grid != nullptr) {
                    interpolate_along_grid_temperature(*table_.grid, here_.TIDX, columns_, n, x.data(), LK.data());
                } else {
                    interpolate_along_temperature(here_.TIDX, columns_, n, x.data(), LK.data());
                }
            } else {
                for (; fixed_set < n; ++fixed_set) fixed[fixed_set] = fixed_;
                if (table_.grid != nullptr) {
                    interpolate_on_grid_stencil(*table_.grid, here_.PIDX, here_.TIDX, n, x.data(), fixed.data(),
                                                LK.data());
                } else {
                    interpolate_on_stencil(table_.fixed->cells(), here_.PIDX, here_.TIDX, n, x.data(), fixed.data(),
                                           LK.data());
                }
            }
            for (std::size_t i = 0; i < n; ++i) {
                // The doubles on the side before go by at once.
                if ((previous_ == Side::below && LK[i] < y_) || (previous_ == Side::above && LK[i] > y_)) continue;
                if (step(x[i], LK[i], x[i] == piece_first ? before_ : here_, here_)) return true;
            }
        }
        if (every) return false;
        // More doubles lie within rounding of y than can be looked at one by
        // one: where among them log K first changes side, if it does, is not
        // settled. None before this one does.
        found_ = {at_order(scanned_to + 1), 'R'};
        return true;
    }

    // Between lo, whose side is the previous one, and hi: a double where
    // the side changes, by halving. A double whose log K is NaN is on no
    // side, so the double after it is no answer: halving that lands there
    // goes on from it, towards hi.
    bool bisect(double lo, double hi, const Stencil& here) {
        constexpr int kMostRestarts = 64;
        for (int restart = 0; restart < kMostRestarts; ++restart) {
            const Side at_hi = side_of(exact_on_piece(hi), y_);
            if (!(at_hi == Side::on || opposite(previous_, at_hi))) {
                previous_ = at_hi;
                return false;
            }
            std::int64_t low = order_of(lo), high = order_of(hi);
            bool low_on_no_side = false;
            while (doubles_between(low, high) > 1) {
                const std::int64_t middle = low + static_cast<std::int64_t>(doubles_between(low, high) / 2);
                const Side s = side_of(exact_on_piece(at_order(middle)), y_);
                if (s == Side::on || opposite(previous_, s)) {
                    high = middle;
                } else {
                    low = middle;
                    low_on_no_side = s == Side::none;
                }
            }
            const double x = at_order(high);
            const Side at_x = side_of(exact_on_piece(x), y_);
            if (at_x == Side::on || !low_on_no_side) return answer(x, at_x, here, here);
            previous_ = at_x;
            lo = x;
        }
        return false;
    }

    // One piece of one stencil, first .. last.
    bool piece(double first, double last) {
        here_ = stencil_at(first);
        const Model m = model_of(here_, first, last);
        bool done;
        if (!m.trusted || !std::isfinite(first) || !std::isfinite(last)) {
            done = halved(first, last);
        } else if (const Side s = clear_side(m); s != Side::none) {
            done = opposite(previous_, s) && answer(first, s, before_, here_);
            previous_ = s;
        } else {
            const Model close = closer_model(m, first, last);
            done = close.trusted ? stretch(close, first, last, close.bound, first, true) : halved(first, last);
        }
        before_ = here_;
        return done;
    }

    // A piece whose bound is unknown: its first double, then halving.
    bool halved(double first, double last) {
        columns_ = columns_here();
        return step(first, exact_on_piece(first), before_, here_) || (first < last && bisect(first, last, here_));
    }

    // The side of the whole piece where its quadratic stays clear of y, at
    // a glance; none where it may come near.
    Side clear_side(const Model& m) const {
        // At a glance where the piece's quadratic stays far from y: as the
        // basis sums to 1, q - y = d1 + (d0 - d1) L0 + (d2 - d1) L2 with
        // d_k = v_k - y, so each term within the range its L takes on the
        // piece bounds the whole, clear of the bound or not.
        const double d1 = m.value[1] - m.y;
        double low = d1, high = d1, scale = std::abs(d1);
        for (std::size_t k : {0u, 2u}) {
            const Range L = m.range[k];
            const double d = m.value[k] - m.value[1];
            low += std::min(d * L.low, d * L.high);
            high += std::max(d * L.low, d * L.high);
            scale += std::abs(d) * L.largest();
        }
        const double clear = 2.0 * m.bound + 16.0 * 0x1p-53 * scale;  // the rounding of the L and this sum too
        if (low > clear) return Side::above;
        if (high < -clear) return Side::below;
        return Side::none;
    }

    // A stretch between contours, on side s: every double of it where the
    // model lies at least `rounding` from y is on that side. The contours'
    // roots are rounded, so where the model is steep a double or two at the
    // stretch's ends may lie inside the rounding: those are looked at
    // exactly, in order.
    bool certain(const Model& m, double first, double last, double rounding, Side s, double piece_first) {
        constexpr int kMostAtEnds = 64;
        const double sign = s == Side::above ? 1.0 : -1.0;
        auto near = [&](double x) { return !(sign * m.g(x) > rounding); };
        // Steps x towards `end` past the doubles near y; whether it comes to
        // a clear one soon enough.
        auto past_near = [&](double& x, double end, bool up) {
            for (int k = 0; k < kMostAtEnds && (up ? x <= end : x >= end); ++k) {
                if (!near(x)) return true;
                x = up ? next_up(x) : next_down(x);
            }
            return false;
        };
        double from = first, to = last;
        const bool ends_clear = past_near(from, to, true) && past_near(to, from, false);
        // A quadratic is monotone on each side of its vertex: the ends and
        // the vertex far enough on side s make every double between so.
        const double vertex = m.vertex();
        if (!ends_clear || (vertex > from && vertex < to && near(vertex))) return scan(first, last, piece_first);
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
        Contours ends = contours(m, bound, first, last);
        ends.x[static_cast<std::size_t>(ends.count++)] = last;
        double cursor = first;
        for (int e = 0; e < ends.count; ++e) {
            const double stretch_last = std::min(ends.x[static_cast<std::size_t>(e)], last);
            if (stretch_last < cursor) continue;
            const double middle = cursor + 0.5 * (stretch_last - cursor);
            const double g = m.g(middle);
            if (std::abs(g) > bound) {
                if (certain(m, cursor, stretch_last, bound / kMargin, g > 0.0 ? Side::above : Side::below,
                            piece_first)) {
                    return true;
                }
            } else {
                const double narrower = again ? m.bound_on(cursor, stretch_last) : bound;
                const bool done = narrower < 0.75 * bound
                                      ? stretch(m, cursor, stretch_last, narrower, piece_first, false)
                                      : scan(cursor, stretch_last, piece_first);
                if (done) return true;
            }
            if (stretch_last >= last) break;
            cursor = next_up(stretch_last);
        }
        return false;
    }

    const SearchedTable& table_;
    Along along_;
    double fixed_;
    double y_;
    Side previous_ = Side::none;  // of the double before the next one looked at
    std::uint64_t unscanned_ = kMostScanned;  // what scan may still look at, at 1 an ordinary double
    Stencil before_;             // the stencil of the piece before
    Stencil here_;               // and of the current piece
    PressureColumns columns_{};   // along temperature: the current piece's columns at the pressure
    Stencil cells_of_;            // the stencil whose values are in cells_
    std::array<std::array<double, 3>, 3> cells_{};  // [pressure node][temperature node], by scale_
    Scale scale_;                 // the stencil's values to about 1, where they are out of the ordinary
    bool cells_ordinary_ = false; // each 0 or of an ordinary size
    int weights_of_ = -1;         // the other axis's stencil index weights_ are for
    std::array<double, 3> weights_{};
    int exact_weights_of_ = -1;   // along pressure: the TIDX exact_weights_ are for
    std::array<Twofold, 3> exact_weights_{};
    Nodes own_pressure_nodes_, own_temperature_nodes_;  // on a table's own nodes: the current stencil's
    int own_pressure_nodes_of_ = -1, own_temperature_nodes_of_ = -1;
    FirstCrossing found_{kNaN, 'N'};
};

}  // namespace

FirstCrossing first_crossing(const SearchedTable& table, Along along, double fixed, double y, double low,
                             double high) {
    if (std::isnan(fixed) || std::isnan(y) || !(low <= high)) return {kNaN, 'N'};
    if (along == Along::pressure && table.grid != nullptr && table.grid->along_one_line()) {
        // Along one line the pressure takes no part: log K is one value at
        // every pressure, the range's first double the only one that can
        // take y (or see it crossed).
        double LK;
        int PIDX = -100, TIDX = -100;
        char PTERR = 'N', ISOERR = 'N';
        table.rules->find(low, fixed, PIDX, TIDX, PTERR, ISOERR);
        intrpk_grid(low, fixed, PIDX, TIDX, *table.grid, table.grid->cells(), 1, LK);
        if (LK == y) return {low, 'C'};
        return {kNaN, 'N'};
    }
    return Search(table, along, fixed, y).run(low, high);
}

}  // namespace logk
