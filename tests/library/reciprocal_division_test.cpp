// The division from a reciprocal gives the divider's quotient: on the
// dividends whose quotients lie nearest a midpoint of two doubles, for
// every divisor of the fixed grid and of a table on its own nodes, and on
// random ones (LOGK_RANDOM_QUOTIENTS of them, 10^6 unless set: the
// benchmark-length run takes 100000000), in every build that has it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "batch/batch.h"
#include "grid/grid_table.h"
#include "grid/step_reciprocals.h"
#include "reciprocal_lanes.h"

namespace logk::testing {
namespace {

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Every divisor the batch loop takes from a reciprocal, on the fixed grid
// and on one table of uneven nodes: each stencil's steps and their
// negations, and the slopes' denominators, each with the reciprocal the
// grid made for it.
std::vector<Reciprocal> divisors_of(const AxisReciprocals& r, double n0, double n1, double n2) {
    const double steps[3] = {n2 - n1, n2 - n0, n1 - n0};
    std::vector<Reciprocal> found;
    for (int k = 0; k < 3; ++k) {
        found.push_back({steps[k], r.step_zh[k], r.step_zl[k]});
        found.push_back({-steps[k], -r.step_zh[k], -r.step_zl[k]});
        found.push_back({r.basis_d[k], r.basis_zh[k], r.basis_zl[k]});
    }
    return found;
}
std::vector<Reciprocal> every_divisor() {
    std::vector<Reciprocal> all;
    auto add = [&all](const std::vector<Reciprocal>& more) { all.insert(all.end(), more.begin(), more.end()); };
    for (int PIDX = 1; PIDX <= kPressureNodes - 2; ++PIDX) {
        add(divisors_of(kPressureReciprocals[PIDX], PGRID(PIDX), PGRID(PIDX + 1), PGRID(PIDX + 2)));
    }
    for (int TIDX = 3; TIDX <= kTemperatureNodes; ++TIDX) {
        add(divisors_of(kTemperatureReciprocals[TIDX], TGRID(TIDX - 2), TGRID(TIDX - 1), TGRID(TIDX)));
    }
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> step(0.001, 70.0);
    std::vector<double> P{0.0}, T{-3.7};
    while (P.size() < 40) P.push_back(P.back() + step(random));
    while (T.size() < 30) T.push_back(T.back() + step(random) / 7.0);
    const GridTable grid(P, T, std::vector<double>(P.size() * T.size(), 1.0));
    EXPECT_TRUE(grid.reciprocals_usable());
    for (int PIDX = 1; PIDX <= grid.m() - 2; ++PIDX) {
        add(divisors_of(grid.pressure_reciprocals()[PIDX], grid.P(PIDX), grid.P(PIDX + 1), grid.P(PIDX + 2)));
    }
    for (int TIDX = 3; TIDX <= grid.n(); ++TIDX) {
        add(divisors_of(grid.temperature_reciprocals()[TIDX], grid.T(TIDX - 2), grid.T(TIDX - 1), grid.T(TIDX)));
    }
    return all;
}

__extension__ typedef unsigned __int128 Wide;
std::uint64_t power_mod(std::uint64_t base, int exponent, std::uint64_t modulus) {
    Wide result = 1 % modulus;
    for (; exponent > 0; --exponent) result = result * base % modulus;
    return static_cast<std::uint64_t>(result);
}

// The dividends whose quotient by d lies nearest a midpoint, from d's own
// arithmetic: with d's significand the whole number D = Dodd 2^j
// (2^52 <= D < 2^53), a significand X of the dividend puts X / D at a
// distance delta / (2^(k+1) D) from a midpoint where 2^(k+1) X = (2M + 1) D
// + delta, that is 2^(k+1) X = D + delta (mod 2D): k + 1 = 53 for
// quotients X / D in [1, 2) (X >= D), 54 for those in [1/2, 1). Modulo
// 2^(j+1) that asks delta = 2^j times an odd number, the least distance
// there is; modulo Dodd, X = delta / 2^(k+1), by the inverse of 2. The
// first and last few such X of each range, times powers of two.
std::vector<double> hardest_dividends(double d) {
    int exponent = 0;
    const std::uint64_t D = static_cast<std::uint64_t>(std::ldexp(std::frexp(std::fabs(d), &exponent), 53));
    const int j = std::countr_zero(D);
    const std::uint64_t odd = D >> j;
    std::vector<double> found;
    if (odd == 1) return found;  // a power of two: every quotient is exact
    const std::uint64_t half = (odd + 1) / 2;  // the inverse of 2 modulo Dodd
    for (int k1 : {53, 54}) {
        const std::uint64_t low = k1 == 53 ? D : std::uint64_t{1} << 52, high = k1 == 53 ? std::uint64_t{1} << 53 : D;
        for (std::int64_t units : {1, -1, 3, -3}) {
            const std::int64_t delta = units * (std::int64_t{1} << j);
            const std::uint64_t residue = static_cast<std::uint64_t>(((delta % static_cast<std::int64_t>(odd)) +
                                                                      static_cast<std::int64_t>(odd)) %
                                                                     static_cast<std::int64_t>(odd));
            const std::uint64_t X0 = static_cast<std::uint64_t>(Wide{residue} * power_mod(half, k1, odd) % odd);
            const std::uint64_t first = low + (X0 + odd - low % odd) % odd;  // the least X >= low
            for (std::uint64_t X = first, taken = 0; X < high && taken < 6; ++taken) {
                // What makes it the hardest: 2^(k+1) X - D - delta is a multiple of 2D.
                const Wide twice = Wide{X} << k1, size = static_cast<Wide>(delta < 0 ? -delta : delta);
                EXPECT_EQ((delta < 0 ? twice - Wide{D} + size : twice - Wide{D} - size) % (Wide{2} * D), 0u);
                for (int shift : {-60, 0, 45}) found.push_back(std::ldexp(static_cast<double>(X), shift - 52));
                const std::uint64_t last = high - 1 - (high - 1 - first) % odd;  // then the greatest ones
                X = taken == 2 && last > X + 3 * odd ? last - 2 * odd : X + odd;
            }
        }
    }
    return found;
}

// The dividends through every form the loop has, held to the divider.
void expect_the_dividers_quotients(const Reciprocal& r, std::vector<double> x) {
    x.resize((x.size() + 7) / 8 * 8, 1.0);
    std::vector<double> quotient(x.size()), negated(x.size());
    const bool avx512 = best_instruction_set() == InstructionSet::avx512;
    for (int form = 0; form < (avx512 ? 3 : 2); ++form) {
        if (form == 0) divide_one_by_one(r, x.size(), x.data(), quotient.data());
        if (form == 1) divide_in_lanes_avx2(r, x.size(), x.data(), quotient.data(), negated.data());
        if (form == 2) divide_in_lanes_avx512(r, x.size(), x.data(), quotient.data(), negated.data());
        for (std::size_t i = 0; i < x.size(); ++i) {
            ASSERT_EQ(bits(quotient[i]), bits(x[i] / r.d)) << std::hexfloat << x[i] << " / " << r.d << ", form " << form;
            if (form == 0) continue;
            ASSERT_EQ(bits(negated[i]), bits(x[i] / -r.d)) << std::hexfloat << x[i] << " / " << -r.d << ", form " << form;
        }
    }
}

TEST(ReciprocalDivision, QuotientsNearestAMidpointAreTheDividers) {
    if (best_instruction_set() == InstructionSet::baseline) GTEST_SKIP() << "skipped: no build here has fma";
    std::size_t hard = 0;
    for (const Reciprocal& r : every_divisor()) {
        SCOPED_TRACE(::testing::Message() << std::hexfloat << "d " << r.d);
        // The reciprocal the grid made: zh = RN(1/d), zl = RN(RN(1 - d zh) / d), the residual exact.
        ASSERT_EQ(bits(r.zh), bits(1.0 / r.d));
        ASSERT_EQ(bits(r.zl), bits(std::fma(-r.d, r.zh, 1.0) / r.d));
        std::vector<double> x = hardest_dividends(r.d);
        hard += x.size();
        for (std::size_t i = 0, n = x.size(); i < n; ++i) x.push_back(-x[i]);
        expect_the_dividers_quotients(r, x);
    }
    EXPECT_GT(hard, 10000u);
}

TEST(ReciprocalDivision, RandomQuotientsAreTheDividers) {
    if (best_instruction_set() == InstructionSet::baseline) GTEST_SKIP() << "skipped: no build here has fma";
    const char* asked = std::getenv("LOGK_RANDOM_QUOTIENTS");
    const std::size_t count = asked != nullptr ? std::strtoull(asked, nullptr, 10) : 1000000;
    const std::vector<Reciprocal> grid = every_divisor();
    std::mt19937_64 random(1990);
    std::uniform_real_distribution<double> exponent(-900.0, 900.0), significand(1.0, 2.0);
    constexpr std::size_t kDividends = 4096;
    std::vector<double> x(kDividends);
    for (std::size_t done = 0; done < count; done += kDividends) {
        // A divisor of the grids, or any one within the divisors' range.
        const Reciprocal r = done % 2 ? grid[random() % grid.size()]
                                      : reciprocal_of(std::ldexp(significand(random), static_cast<int>(exponent(random) / 15)));
        for (double& value : x) value = std::ldexp(significand(random), static_cast<int>(exponent(random)));
        expect_the_dividers_quotients(r, x);
        if (HasFatalFailure()) return;
    }
}

// A zero is a zero and a NaN a NaN (the loop's sums make the sign of a
// zero quotient and the payload of a NaN no output's business).
TEST(ReciprocalDivision, ZeroAndNaN) {
    if (best_instruction_set() == InstructionSet::baseline) GTEST_SKIP() << "skipped: no build here has fma";
    std::vector<double> x = {0.0, -0.0, std::nan(""), -std::nan("")};
    x.resize(8, 0.0);
    std::vector<double> quotient(8), negated(8);
    for (const Reciprocal& r : {reciprocal_of(25.0), reciprocal_of(-0.0133)}) {
        divide_in_lanes_avx2(r, 8, x.data(), quotient.data(), negated.data());
        for (std::size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(quotient[i] == 0, x[i] == 0) << i;
            EXPECT_EQ(std::isnan(negated[i]), std::isnan(x[i])) << i;
        }
    }
}

}  // namespace
}  // namespace logk::testing
