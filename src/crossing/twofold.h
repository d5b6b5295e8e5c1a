#pragma once

// A value in twice the precision of a double, hi + lo with |lo| at most half
// an ulp of hi: the error-free sum and product of two doubles (by splitting,
// as nothing here may fuse a multiply and an add) and what is built on them.
// For the interpolation backwards, where the piece's quadratic must lie far
// closer to the exact one than the batch's rounding does.

namespace logk {

struct Twofold {
    double hi = 0.0, lo = 0.0;
};

[[gnu::always_inline]] constexpr Twofold two_sum(double a, double b) {
    const double s = a + b, v = s - a;
    return {s, (a - (s - v)) + (b - v)};
}
[[gnu::always_inline]] constexpr Twofold two_product(double a, double b) {
    constexpr double kSplit = 134217729.0;  // 2^27 + 1
    const double ca = kSplit * a, ah = ca - (ca - a), al = a - ah;
    const double cb = kSplit * b, bh = cb - (cb - b), bl = b - bh;
    const double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}
[[gnu::always_inline]] constexpr Twofold operator+(Twofold a, Twofold b) {
    const Twofold s = two_sum(a.hi, b.hi);
    return two_sum(s.hi, s.lo + (a.lo + b.lo));
}
[[gnu::always_inline]] constexpr Twofold operator-(Twofold a) { return {-a.hi, -a.lo}; }
[[gnu::always_inline]] constexpr Twofold operator-(Twofold a, Twofold b) { return a + -b; }
[[gnu::always_inline]] constexpr Twofold operator*(Twofold a, Twofold b) {
    const Twofold p = two_product(a.hi, b.hi);
    return two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}
[[gnu::always_inline]] constexpr Twofold operator*(Twofold a, double b) {
    const Twofold p = two_product(a.hi, b);
    return two_sum(p.hi, p.lo + a.lo * b);
}
// 1 / a, by one correction of the double quotient.
[[gnu::always_inline]] constexpr Twofold reciprocal(Twofold a) {
    const double q = 1.0 / a.hi;
    const Twofold r = Twofold{1.0, 0.0} - a * q;
    return two_sum(q, r.hi / a.hi);
}
[[gnu::always_inline]] constexpr Twofold difference(double a, double b) { return two_sum(a, -b); }
[[gnu::always_inline]] constexpr double rounded(Twofold a) { return a.hi + a.lo; }

}  // namespace logk
