#include "interp/intrpk.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "grid/grid.h"
#include "stencil/findpt.h"

namespace logk {
namespace {

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

double intrpk(double P, double T, int PIDX, int TIDX, const LogKTable& table, double entry = 0.0) {
    double LK = entry;
    INTRPK(P, T, PIDX, TIDX, table, LK);
    return LK;
}

// The nine made-up values of the worked example: 200, 250, 300 bar by
// 200, 225, 250 degC, PIDX 13, TIDX 11.
LogKTable worked_example_table() {
    LogKTable table;
    const double values[3][3] = {{-2.50, -2.40, -2.31}, {-2.48, -2.38, -2.30}, {-2.46, -2.37, -2.28}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) table(13 + i, 9 + j) = values[i][j];
    }
    return table;
}

// The prescribed order written as plain loops, one double at a time, and
// plausible but wrong evaluation orders, to show that the expected bits
// tell them apart from the prescribed one.
enum class Variant { prescribed, ascending_pressure, ratio_first, fused_weights };

double evaluate(Variant variant, double P, double T, int PIDX, int TIDX, const LogKTable& table) {
    double LKP[3] = {0, 0, 0};
    for (int K = 0; K < 3; ++K) {
        const int J = TIDX - 2 + K;
        for (int step = 0; step < 3; ++step) {
            const int I = variant == Variant::ascending_pressure ? PIDX + step : PIDX + 2 - step;
            double term = table(I, J);
            double weight = 1.0;
            for (int mstep = 0; mstep < 3; ++mstep) {
                const int M = variant == Variant::ascending_pressure ? PIDX + mstep : PIDX + 2 - mstep;
                if (M == I) continue;
                if (variant == Variant::ratio_first) {
                    term = term * ((P - PGRID(M)) / (PGRID(I) - PGRID(M)));
                } else if (variant == Variant::fused_weights) {
                    weight = weight * (P - PGRID(M)) / (PGRID(I) - PGRID(M));
                } else {
                    term = term * (P - PGRID(M)) / (PGRID(I) - PGRID(M));
                }
            }
            LKP[K] = variant == Variant::fused_weights ? std::fma(weight, table(I, J), LKP[K]) : LKP[K] + term;
        }
    }
    double LK = 0;
    for (int K = 0; K < 3; ++K) {
        const int J = TIDX - 2 + K;
        double term = LKP[K];
        double weight = 1.0;
        for (int N = TIDX - 2; N <= TIDX; ++N) {
            if (N == J) continue;
            if (variant == Variant::ratio_first) {
                term = term * ((T - TGRID(N)) / (TGRID(J) - TGRID(N)));
            } else if (variant == Variant::fused_weights) {
                weight = weight * (T - TGRID(N)) / (TGRID(J) - TGRID(N));
            } else {
                term = term * (T - TGRID(N)) / (TGRID(J) - TGRID(N));
            }
        }
        LK = variant == Variant::fused_weights ? std::fma(weight, LKP[K], LK) : LK + term;
    }
    return LK;
}

TEST(Intrpk, WorkedExampleToTheBit) {
    const LogKTable table = worked_example_table();
    const double expected = -0x1.37963992c8c4ep+1;
    EXPECT_EQ(bits(intrpk(260, 210, 13, 11, table)), bits(expected));
    EXPECT_EQ(expected, -2.434271999999999);
    for (Variant variant : {Variant::ascending_pressure, Variant::ratio_first, Variant::fused_weights}) {
        EXPECT_NE(bits(evaluate(variant, 260, 210, 13, 11, table)), bits(expected))
            << "variant " << static_cast<int>(variant) << " would pass unnoticed";
    }
    EXPECT_EQ(evaluate(Variant::ascending_pressure, 260, 210, 13, 11, table), -2.434272);
    EXPECT_EQ(evaluate(Variant::ratio_first, 260, 210, 13, 11, table), -2.4342719999999995);
}

// The program pairs independent terms in two-lane arithmetic; every bit
// must still be that of the plain loops.
TEST(Intrpk, SameBitsAsThePlainLoops) {
    std::mt19937_64 random(36);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    LogKTable table;
    for (int round = 0; round < 200; ++round) {
        const double scale = std::pow(10.0, unit(random) * 8 - 4);
        for (int i = 1; i <= kPressureNodes; ++i) {
            for (int j = 1; j <= kTemperatureNodes; ++j) table(i, j) = (unit(random) - 0.7) * scale;
        }
        for (int n = 0; n < 500; ++n) {
            const int PIDX = 1 + static_cast<int>(random() % 35);
            const int TIDX = 3 + static_cast<int>(random() % 34);
            // Mostly within the stencil, sometimes far outside it.
            const double P = n % 5 == 0 ? unit(random) * 8000 - 1000
                                        : PGRID(PIDX) + unit(random) * (PGRID(PIDX + 2) - PGRID(PIDX));
            const double T = n % 7 == 0 ? unit(random) * 900 - 100
                                        : TGRID(TIDX - 2) + unit(random) * (TGRID(TIDX) - TGRID(TIDX - 2));
            ASSERT_EQ(bits(intrpk(P, T, PIDX, TIDX, table)),
                      bits(evaluate(Variant::prescribed, P, T, PIDX, TIDX, table)))
                << std::hexfloat << P << " " << T << " " << PIDX << " " << TIDX;
        }
    }
}

TEST(Intrpk, OnANodeTheTableValueAfterFourRoundings) {
    LogKTable table;
    for (int I = 8; I <= 10; ++I) {
        for (int J = 3; J <= 5; ++J) table(I, J) = 1.0 + I * 0.1 + J;
    }
    table(10, 4) = -3.5;
    EXPECT_EQ(intrpk(85.839, 75, 8, 5, table), -3.5000000000000004);
    EXPECT_EQ(intrpk(PGRID(9), TGRID(5), 8, 5, table), table(9, 5));
}

TEST(Intrpk, ZerosGivePositiveZero) {
    LogKTable table;
    for (double P : {0.0, 500.0, -1e6, 4321.5}) {
        for (double T : {-20.0, 300.0, 650.0}) {
            const double LK = intrpk(P, T, 13, 11, table, -7.0);
            EXPECT_EQ(LK, 0.0);
            EXPECT_FALSE(std::signbit(LK)) << P << " " << T;
        }
    }
}

TEST(Intrpk, NonFiniteValuesPassThrough) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    LogKTable table = worked_example_table();
    EXPECT_TRUE(std::isnan(intrpk(nan, 210, 13, 11, table)));
    EXPECT_TRUE(std::isnan(intrpk(260, nan, 13, 11, table)));
    EXPECT_TRUE(std::isnan(intrpk(1e300, 210, 13, 11, table)));  // nine values of one sign
    table(14, 10) = nan;
    EXPECT_TRUE(std::isnan(intrpk(260, 210, 13, 11, table)));
    table = worked_example_table();
    table(14, 10) = inf;
    EXPECT_EQ(intrpk(260, 210, 13, 11, table), inf);
    // On the node (250 bar, 200 degC) the infinite cell meets exact zero factors.
    EXPECT_TRUE(std::isnan(intrpk(250, 200, 13, 11, table)));
}

TEST(Intrpk, EntryValueHasNoInfluenceAndCallsRepeat) {
    const LogKTable table = worked_example_table();
    const double first = intrpk(260, 210, 13, 11, table);
    for (double entry : {0.0, -0.0, 1e308, std::numeric_limits<double>::quiet_NaN(), first}) {
        EXPECT_EQ(bits(intrpk(260, 210, 13, 11, table, entry)), bits(first));
    }
}

// Any function at most quadratic in P and in T is reproduced to within a
// few ulps on every stencil, inside it and just outside it.
TEST(Intrpk, ReproducesBiquadraticPolynomials) {
    std::mt19937_64 random(1994);
    std::uniform_real_distribution<double> coefficient(-1.0, 1.0);
    std::uniform_real_distribution<double> unit(-0.25, 1.25);
    for (int trial = 0; trial < 3000; ++trial) {
        const int PIDX = 1 + static_cast<int>(random() % 35);
        const int TIDX = 3 + static_cast<int>(random() % 34);
        double c[3][3];
        for (auto& row : c) {
            for (double& v : row) v = coefficient(random);
        }
        // Scaled coordinates keep every term of order one.
        const double p0 = PGRID(PIDX), ps = PGRID(PIDX + 2) - PGRID(PIDX);
        const double t0 = TGRID(TIDX - 2), ts = TGRID(TIDX) - TGRID(TIDX - 2);
        auto f = [&](double P, double T) {
            const double x = (P - p0) / ps, y = (T - t0) / ts;
            double sum = 0;
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j) sum += c[i][j] * std::pow(x, i) * std::pow(y, j);
            }
            return sum;
        };
        LogKTable table;
        for (int I = PIDX; I <= PIDX + 2; ++I) {
            for (int J = TIDX - 2; J <= TIDX; ++J) table(I, J) = f(PGRID(I), TGRID(J));
        }
        const double P = p0 + unit(random) * ps;
        const double T = t0 + unit(random) * ts;
        const double LK = intrpk(P, T, PIDX, TIDX, table);
        // A few roundings of each of the nine weighted terms: the bound
        // scales with the sum of their magnitudes, not with LK itself.
        double magnitude = 0;
        for (int I = PIDX; I <= PIDX + 2; ++I) {
            for (int J = TIDX - 2; J <= TIDX; ++J) {
                double w = std::fabs(table(I, J));
                for (int M = PIDX; M <= PIDX + 2; ++M) {
                    if (M != I) w *= std::fabs((P - PGRID(M)) / (PGRID(I) - PGRID(M)));
                }
                for (int N = TIDX - 2; N <= TIDX; ++N) {
                    if (N != J) w *= std::fabs((T - TGRID(N)) / (TGRID(J) - TGRID(N)));
                }
                magnitude += w;
            }
        }
        const double tolerance = 8 * std::numeric_limits<double>::epsilon() * magnitude;
        ASSERT_NEAR(LK, f(P, T), tolerance) << "PIDX " << PIDX << " TIDX " << TIDX << " P " << P << " T " << T;
    }
}

}  // namespace
}  // namespace logk
