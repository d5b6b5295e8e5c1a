// Division by a divisor known in advance, from its reciprocal, with the
// divider's bits: for the batch loop's lanes where the divider is what
// bounds them (batch/batch.h chooses). Used only under a build's target
// pragma that has fused multiply-adds (batch_avx2.cpp, batch_avx512.cpp),
// each one written out here: the build keeps -ffp-contract=off, so no other
// operation is ever fused.
//
// The form. For a divisor d with zh = RN(1 / d) and zl = RN((1 - d zh) / d)
// (grid/step_reciprocals.h), x / d is
//     q0 = fma(x, zh, RN(x zl))    a first quotient
//     r  = fma(-q0, d, x)          its remainder, exactly
//     q  = fma(r, zh, q0)          = RN(x / d), the divider's quotient
// and -(x / d) the same with every sign turned (RN(-y) = -RN(y)).
//
// Why. Let v = x / d, s = 1 - d zh (a double: |s| <= 2^-53), and let no
// value leave [2^-960, 2^960] (below).
//  1. q0 is one of the two doubles around v. zh + s / d is 1 / d exactly,
//     so zh + zl is 1 / d but for zl's rounding: within 2^-106 |1 / d|
//     (2^-1075 absolutely where zl is subnormal, less still). Then
//     x zh + RN(x zl) lies within 2^-104 |v| of v (RN(x zl) is within
//     2^-53 |x zl| of x zl, itself below 2^-52 |v|), and the doubles beside the
//     two around v lie at least 2^-55 |v| away: rounded once, by the fma,
//     it can only give one of those two. So |q0 - v| < ulp(v).
//  2. Markstein's theorem (1990; the Handbook of Floating-Point Arithmetic
//     proves it among the divisions by fma): for zh within half an ulp of
//     1 / d and q0 within one ulp of x / d, the remainder x - q0 d is a
//     double, and RN(q0 + r zh) is RN(x / d), where nothing overflows or
//     underflows. The remainder is a multiple of
//     2^(e(d) + e(v) - 104) below 2^(e(d) + e(v) - 51) in size, e() the
//     exponent, so it is a double, subnormal or not, while |x| >= 2^-969.
//  (Brisebarre, Muller and Raina studied the division by a divisor known
//  in advance. The shorter first quotient RN(x zh) is v (1 - s) rounded,
//  within one ulp by the argument of 1. only where |s| <= 2^-54: 8 of the
//  fixed grid's 36 node differences have a larger s, so the form here
//  keeps zl and needs no more than 1. and Markstein.)
//
// The conditions. The divisor, the dividend and the quotient lie within
// [2^-960, 2^960], or the dividend is zero or NaN: then no step underflows
// but RN(x zl), whose error is then at most 2^-1075, below 2^-115 |v|, which
// leaves the bound of 1. as it is; none overflows; the remainder is exact. A zero dividend gives a zero whose sign may
// differ from the divider's: every quotient of the batch loop is a factor
// of a term, which stays a zero (times a finite value, over a divisor) or
// becomes NaN (times an infinity), and the terms are summed from +0.0: a
// zero of either sign added to +0.0 gives +0.0, and to any other sum that
// sum, so no output can tell. A NaN
// dividend gives a NaN, and every NaN the loop writes is the one NaN. An
// infinite one would give NaN where the divider gives an infinity, so the
// guards below send it to the divider, with everything else outside.
//
// The guards. The loop checks, before it divides a block from the
// reciprocals, that the block's coordinates (P and T, and a table's own
// nodes) and its stencils' values lie within the ranges below; every
// dividend and quotient of INTRPK and of the slopes then lies within the
// conditions, as the ranges worked through below show (static_asserts).
// Where any lane is outside, the whole block takes the divider.
#pragma once

#include <cstdint>

#include "grid/lanes.h"
#include "grid/step_reciprocals.h"

namespace logk {

// ---- The ranges ----

// Where the size of a nonzero value lies: [2^low, 2^high].
struct Range {
    int low, high;
};
// A rounded product, quotient and sum of such values (a sum is a multiple
// of the least ulp of its terms, 2^(low - 52), so nonzero it is at least
// that, however much its terms cancel; the sum of doubles rounded is too).
constexpr Range product(Range a, Range b) { return {a.low + b.low - 1, a.high + b.high + 1}; }
constexpr Range quotient(Range a, Range b) { return {a.low - b.high - 1, a.high - b.low + 1}; }
constexpr Range sum(Range a, int terms) { return {a.low - 52, a.high + terms}; }
// 2^k.
constexpr double power_of_two(int k) {
    double x = 1.0;
    for (; k > 0; --k) x *= 2.0;
    for (; k < 0; ++k) x *= 0.5;
    return x;
}

// The doubles 2^low and 2^high of a range, and whether a size lies between.
struct Bounds {
    double least, most;
    constexpr explicit Bounds(Range r) : least(power_of_two(r.low)), most(power_of_two(r.high)) {}
    constexpr bool hold(double size) const { return size >= least && size <= most; }
};

constexpr bool within_conditions(Range r) { return r.low >= -960 && r.high <= 960; }
constexpr bool divides_within_conditions(Range dividend, Range divisor) {
    return within_conditions(dividend) && within_conditions(divisor) && within_conditions(quotient(dividend, divisor));
}

// The guards: a coordinate (P, T, a node) is zero or of a size within
// kCoordinates; a stencil's value within kValues (zero not: the lanes'
// check is a least and a most size); the columns of the temperature pass
// alone (the inverse's, from the pressure pass) zero or within kColumns.
inline constexpr Range kCoordinates{-50, 50};
inline constexpr Range kValues{-100, 100};
// A difference of two coordinates: both are multiples of 2^-102.
inline constexpr Range kDifferences{-102, kCoordinates.high + 1};

// INTRPK's pressure pass: a value times P - node, over a step, times
// P - node, over a step; three such terms summed.
inline constexpr Range kPressureFirst = product(kValues, kDifferences);
inline constexpr Range kPressureSecond = product(quotient(kPressureFirst, kDifferences), kDifferences);
inline constexpr Range kColumns = sum(quotient(kPressureSecond, kDifferences), 3);
// The temperature pass: the same over a column.
inline constexpr Range kTemperatureFirst = product(kColumns, kDifferences);
inline constexpr Range kTemperatureSecond = product(quotient(kTemperatureFirst, kDifferences), kDifferences);
static_assert(divides_within_conditions(kPressureFirst, kDifferences));
static_assert(divides_within_conditions(kPressureSecond, kDifferences));
static_assert(divides_within_conditions(kTemperatureFirst, kDifferences));
static_assert(divides_within_conditions(kTemperatureSecond, kDifferences));
// (A row of a table along one line is its columns, within kValues.)
static_assert(kValues.low >= kColumns.low && kValues.high <= kColumns.high);
// The slopes: (x - a)(x - b) and (x - a) + (x - b) over (n - a)(n - b).
inline constexpr Range kBasisDenominators = product(kDifferences, kDifferences);
static_assert(divides_within_conditions(product(kDifferences, kDifferences), kBasisDenominators));
static_assert(divides_within_conditions(sum(kDifferences, 2), kBasisDenominators));
static_assert(kLeastDivisor == 0x1p-960 && kMostDivisor == 0x1p960, "the divisors' range is the conditions'");

// The guards' bounds as doubles.
inline constexpr Bounds kCoordinateBounds{kCoordinates}, kValueBounds{kValues}, kColumnBounds{kColumns};

// The fixed grid's nodes are coordinates, and all its stencils' divisors
// have reciprocals.
constexpr bool fixed_grid_within_guards() {
    for (double p : PGRID) {
        if (!kCoordinateBounds.hold(p)) return false;
    }
    for (double t : TGRID) {
        if (!kCoordinateBounds.hold(t)) return false;
    }
    for (int PIDX = 1; PIDX <= kPressureNodes - 2; ++PIDX) {
        if (!kPressureReciprocals[static_cast<std::size_t>(PIDX)].usable) return false;
    }
    for (int TIDX = 3; TIDX <= kTemperatureNodes; ++TIDX) {
        if (!kTemperatureReciprocals[static_cast<std::size_t>(TIDX)].usable) return false;
    }
    return true;
}
static_assert(fixed_grid_within_guards());

// A coordinate within the guard: zero, or of a size within kCoordinates.
constexpr bool coordinate_within_guard(double x) {
    const double size = x < 0 ? -x : x;
    return size == 0 || kCoordinateBounds.hold(size);
}
// A column of the temperature pass alone (NaN too: it gives NaN).
constexpr bool column_within_guard(double x) {
    const double size = x < 0 ? -x : x;
    return x != x || size == 0 || kColumnBounds.hold(size);
}

// ---- One division ----

// x / d and -(x / d) for one double, in a build that has fma.
[[gnu::always_inline]] inline double divide(double x, double d, double zh, double zl) {
    const double q0 = __builtin_fma(x, zh, x * zl);
    const double r = __builtin_fma(-q0, d, x);
    return __builtin_fma(r, zh, q0);
}

// The fused operations of W lanes, and what the guards need: a*b + c,
// -(a*b) + c, -(a*b) - c, each rounded once; the lanes' larger and smaller
// (of a NaN, either).
template <int W>
struct FusedLanes;
#define LOGK_FUSED_LANES(W, PREFIX, MAX, MIN)                                                                             \
    template <>                                                                                                    \
    struct FusedLanes<W> {                                                                                         \
        typedef double Double __attribute__((vector_size(8 * W)));                                                 \
        [[gnu::always_inline]] static Double fmadd(const Double& a, const Double& b, const Double& c) {            \
            return PREFIX##_fmadd_pd(a, b, c);                                                                     \
        }                                                                                                          \
        [[gnu::always_inline]] static Double fnmadd(const Double& a, const Double& b, const Double& c) {           \
            return PREFIX##_fnmadd_pd(a, b, c);                                                                    \
        }                                                                                                          \
        [[gnu::always_inline]] static Double fnmsub(const Double& a, const Double& b, const Double& c) {           \
            return PREFIX##_fnmsub_pd(a, b, c);                                                                    \
        }                                                                                                          \
        [[gnu::always_inline]] static Double max(const Double& a, const Double& b) { return MAX; }                 \
        [[gnu::always_inline]] static Double min(const Double& a, const Double& b) { return MIN; }                 \
    };
LOGK_FUSED_LANES(4, _mm256, _mm256_max_pd(a, b), _mm256_min_pd(a, b))
LOGK_FUSED_LANES(8, _mm512, _mm512_mask_max_pd(a, 0xFF, a, b), _mm512_mask_min_pd(a, 0xFF, a, b))  // no undefined source
#undef LOGK_FUSED_LANES

template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double divide_lanes(const typename Lanes<W>::Double& x,
                                                                     const typename Lanes<W>::Double& d,
                                                                     const typename Lanes<W>::Double& zh,
                                                                     const typename Lanes<W>::Double& zl) {
    using F = FusedLanes<W>;
    const typename Lanes<W>::Double q0 = F::fmadd(x, zh, x * zl);
    return F::fmadd(F::fnmadd(q0, d, x), zh, q0);
}
// -(x / d): q0 and q turned, r as above (x + (-q0) d).
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double divide_negated_lanes(const typename Lanes<W>::Double& x,
                                                                             const typename Lanes<W>::Double& d,
                                                                             const typename Lanes<W>::Double& zh,
                                                                             const typename Lanes<W>::Double& zl) {
    using F = FusedLanes<W>;
    const typename Lanes<W>::Double q0 = F::fnmsub(x, zh, x * zl);
    return F::fnmadd(F::fmadd(q0, d, x), zh, q0);
}

// ---- The guards, in lanes ----

template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Double size_lanes(const typename Lanes<W>::Double& x) {
    using Int = typename Lanes<W>::Int;
    return __builtin_bit_cast(typename Lanes<W>::Double,
                              __builtin_bit_cast(Int, x) & static_cast<std::int64_t>(0x7FFFFFFFFFFFFFFF));
}

// Each lane's coordinate within the guard (a mask); NaN is not.
template <int W>
[[gnu::always_inline]] inline typename Lanes<W>::Int coordinates_within_guard(const typename Lanes<W>::Double& x) {
    const typename Lanes<W>::Double size = size_lanes<W>(x);
    return (size <= kCoordinateBounds.most) & ((size >= kCoordinateBounds.least) | (size == 0.0));
}

// Whether every lane of N vectors of values lies within kValues (a NaN
// may count as out, and so does zero).
template <int W, int N>
[[gnu::always_inline]] inline typename Lanes<W>::Int values_within_guard(const typename Lanes<W>::Double* values) {
    using F = FusedLanes<W>;
    typename Lanes<W>::Double most = size_lanes<W>(values[0]), least = most;
    for (int k = 1; k < N; ++k) {
        const typename Lanes<W>::Double size = size_lanes<W>(values[k]);
        most = F::max(most, size);
        least = F::min(least, size);
    }
    return (most <= kValueBounds.most) & (least >= kValueBounds.least);
}

}  // namespace logk
