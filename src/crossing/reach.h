// How far INTRPK's arithmetic reaches on a stretch of one axis: the largest
// product or quotient any of its terms forms there, and how far an error of
// one of its roundings can be carried. For the interpolation backwards,
// which must know where the batch keeps to the finite doubles and how far
// from the exact quadratic rounding may leave it where results fall among
// the subnormal doubles (an error of up to 2^-1075 each, whatever their size).
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace logk {

// One term of a pass, node k's: its value v times (x - node m1) / (node k -
// node m1), times (x - node m2), over (node k - node m2), in this order
// (interp/intrpk.cpp); the pressure pass takes each term's other nodes
// downwards, the temperature pass upwards. The steps are a stencil's
// constants, kept with its nodes.
struct PassSteps {
    std::array<std::array<std::size_t, 2>, 3> others{};
    std::array<std::array<double, 2>, 3> inverse{};  // 1 / |node k - node m|, for m1 and m2
    constexpr PassSteps() = default;
    constexpr PassSteps(const std::array<double, 3>& node, bool downwards) {
        constexpr std::array<std::array<std::size_t, 2>, 3> kDown = {{{2, 1}, {2, 0}, {1, 0}}};
        constexpr std::array<std::array<std::size_t, 2>, 3> kUp = {{{1, 2}, {0, 2}, {0, 1}}};
        others = downwards ? kDown : kUp;
        for (std::size_t k = 0; k < 3; ++k) {
            for (std::size_t m = 0; m < 2; ++m) {
                const double step = node[k] - node[others[k][m]];
                inverse[k][m] = 1.0 / (step < 0.0 ? -step : step);
            }
        }
    }
};

// For x anywhere in [l, r], each term's largest |v a|, |v a / d1|,
// |v a / d1 b| and |v a / d1 b / d2| per unit of |v| (a = x - node m1,
// b = x - node m2), and the last of them, its weight; and, the largest
// among the terms, what the steps after one of its roundings multiply that
// rounding's error by. To a rounding or two, which the margins below cover.
struct PassReach {
    std::array<double, 3> products;
    std::array<double, 3> weights;
    double errors;
};
inline PassReach pass_reach(const std::array<double, 3>& node, const PassSteps& steps, double l, double r) {
    PassReach pass{{}, {}, 1.0};
    for (std::size_t k = 0; k < 3; ++k) {
        const std::size_t m1 = steps.others[k][0], m2 = steps.others[k][1];
        const double a = std::max(std::abs(l - node[m1]), std::abs(r - node[m1]));
        const double b = std::max(std::abs(l - node[m2]), std::abs(r - node[m2]));
        const double over_d1 = steps.inverse[k][0], over_d2 = steps.inverse[k][1];
        pass.weights[k] = a * over_d1 * b * over_d2;
        pass.products[k] = std::max({a, a * over_d1, a * over_d1 * b, pass.weights[k]});
        pass.errors = std::max({pass.errors, over_d2, b * over_d2, b * over_d1 * over_d2});
    }
    return pass;
}

// INTRPK's reach over a stencil of nine values (cell[i][j]: pressure node
// i, temperature node j) where P and T range over their stretches: whether
// every product (and sum) of the pressure pass, and every one of the
// temperature pass over the columns it gives, stays below 2^1020, and the
// sum of every error the subnormal doubles can leave (2^-1075 a rounding:
// twelve roundings a column, then twelve more), as the result carries it.
struct Reach {
    bool finite;
    double absolute;
};
inline Reach stencil_reach(const std::array<std::array<double, 3>, 3>& cell, const PassReach& pressure,
                           const PassReach& temperature) {
    constexpr double kLargestProduct = 0x1p1020;  // sums of three stay finite
    constexpr double kSubnormalRounding = 0x1p-1074;  // twice the most a rounding there loses
    double largest = 0.0, every = 0.0, widest = 0.0;
    for (std::size_t j = 0; j < 3; ++j) {
        double products = 0.0, column = 0.0;  // the column's pass, and the column it gives
        for (std::size_t i = 0; i < 3; ++i) {
            products += std::abs(cell[i][j]) * pressure.products[i];
            column += std::abs(cell[i][j]) * pressure.weights[i];
        }
        const double term = column * temperature.products[j];
        largest = std::max({largest, products, term});
        every += products + term;
        widest = std::max(widest, temperature.weights[j]);
    }
    const double carried = (12.0 * pressure.errors + 3.0) * (3.0 * widest + 1.0) + 12.0 * temperature.errors + 3.0;
    return {std::isfinite(every) && largest <= kLargestProduct, kSubnormalRounding * carried};
}

}  // namespace logk
