// The reciprocals of a stencil's divisors, made once per grid: INTRPK and
// the slopes divide by differences of a stencil's nodes and by their
// products, which are known before any point is seen, so that the batch
// loop can divide by each from its reciprocal (interp/reciprocal_division.h
// holds the form and why it gives the divider's bits).
#pragma once

#include <array>
#include <cstddef>
#include <limits>

#include "grid/grid.h"

namespace logk {

static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<double>::digits == 53);

// A divisor d with zh = RN(1 / d) and zl = RN((1 - d zh) / d): zh + zl is
// 1 / d to some 2^-105 of it, which makes a first quotient within one ulp.
struct Reciprocal {
    double d, zh, zl;
};

// The product a b as the sum of two doubles, exactly (Dekker's product over
// Veltkamp's halves, no fused operation), for |a|, |b| below 2^995 whose
// halves' products do not underflow.
struct TwoDoubles {
    double high, low;
};
constexpr TwoDoubles halves(double a) {
    const double split = 134217729.0 * a;  // 2^27 + 1
    const double high = split - (split - a);
    return {high, a - high};
}
constexpr TwoDoubles exact_product(double a, double b) {
    const double p = a * b;
    const TwoDoubles x = halves(a), y = halves(b);
    return {p, ((x.high * y.high - p) + x.high * y.low + x.low * y.high) + x.low * y.low};
}

// Divisors whose reciprocals are made: within [2^-960, 2^960], where
// neither part nor any step of the division leaves the normal doubles
// (reciprocal_division.h); others keep the divider.
inline constexpr double kLeastDivisor = 0x1p-960, kMostDivisor = 0x1p960;
constexpr bool divisor_in_range(double d) {
    const double size = d < 0 ? -d : d;
    return size >= kLeastDivisor && size <= kMostDivisor;
}

// d's reciprocal. 1 - d zh is a double whenever zh = RN(1 / d) (the
// residual of a reciprocal rounded to nearest), and Dekker's product gives
// d zh = high + low exactly with high within 2^-52 of 1: 1 - high is exact
// (Sterbenz), and (1 - high) - low is the exact residual, a double.
constexpr Reciprocal reciprocal_of(double d) {
    const double zh = 1.0 / d;
    const TwoDoubles dzh = exact_product(d, zh);
    const double residual = (1.0 - dzh.high) - dzh.low;
    return {d, zh, residual / d};
}

// The divisors of a stencil along one axis, nodes n0 < n1 < n2, and their
// reciprocals, each set of three padded to four for a load of four a lane:
//   - INTRPK's steps, zh and zl of A = n2 - n1, B = n2 - n0, C = n1 - n0
//     (the other three steps are -A, -B, -C, each difference's negation
//     exactly; the steps themselves come from the nodes);
//   - the slopes' denominators (n0 - n1)(n0 - n2), (n1 - n2)(n1 - n0),
//     (n2 - n0)(n2 - n1), as slopes.cpp rounds them, with theirs.
// `usable` where every divisor is within range.
struct alignas(32) AxisReciprocals {
    double step_zh[4], step_zl[4];
    double basis_d[4], basis_zh[4], basis_zl[4];
    bool usable;
};

constexpr AxisReciprocals axis_reciprocals(double n0, double n1, double n2) {
    const double steps[3] = {n2 - n1, n2 - n0, n1 - n0};
    const double basis[3] = {(n0 - n1) * (n0 - n2), (n1 - n2) * (n1 - n0), (n2 - n0) * (n2 - n1)};
    AxisReciprocals r{};
    r.usable = true;
    for (int k = 0; k < 3; ++k) {
        r.usable = r.usable && divisor_in_range(steps[k]) && divisor_in_range(basis[k]);
        if (!r.usable) return AxisReciprocals{};
        const Reciprocal step = reciprocal_of(steps[k]), denominator = reciprocal_of(basis[k]);
        r.step_zh[k] = step.zh;
        r.step_zl[k] = step.zl;
        r.basis_d[k] = denominator.d;
        r.basis_zh[k] = denominator.zh;
        r.basis_zl[k] = denominator.zl;
    }
    return r;
}

// The fixed grid's, by the stencil's index: PIDX (its lowest pressure
// node) and TIDX (its highest temperature node), as INTRPK takes them.
inline constexpr std::array<AxisReciprocals, kPressureNodes - 1> kPressureReciprocals = [] {
    std::array<AxisReciprocals, kPressureNodes - 1> all{};
    for (int PIDX = 1; PIDX <= kPressureNodes - 2; ++PIDX) {
        all[static_cast<std::size_t>(PIDX)] = axis_reciprocals(PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2));
    }
    return all;
}();
inline constexpr std::array<AxisReciprocals, kTemperatureNodes + 1> kTemperatureReciprocals = [] {
    std::array<AxisReciprocals, kTemperatureNodes + 1> all{};
    for (int TIDX = 3; TIDX <= kTemperatureNodes; ++TIDX) {
        all[static_cast<std::size_t>(TIDX)] = axis_reciprocals(TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX));
    }
    return all;
}();

}  // namespace logk
