// The whole job: log K interpolated from quartz.dat for every point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

// Quadratic in P and in T over the whole grid, so every stencil, shifted or
// not, reproduces it.
double polynomial(double P, double T) {
    const double x = P / 5000.0;
    const double y = T / 600.0;
    return -4.0 + 1.5 * x - 0.75 * x * x + 2.0 * y + 0.5 * y * y - 1.25 * x * y + 0.3 * x * x * y * y;
}

TEST(InterpolationRun, ReproducesABiquadraticTable) {
    std::mt19937_64 random(8);
    std::uniform_real_distribution<double> pressure(1.0, 5000.0);
    std::uniform_real_distribution<double> temperature(0.01, 600.0);
    std::vector<std::pair<double, double>> points;
    std::string list;
    for (int i = 0; i < 400; ++i) {
        // Three decimals, so P and T read back exactly as the test holds them.
        const double P = std::round(pressure(random) * 1000) / 1000;
        const double T = std::round(temperature(random) * 1000) / 1000;
        points.emplace_back(P, T);
        char line[64];
        std::snprintf(line, sizeof line, "%.3f %.3f\n", P, T);
        list += line;
    }
    Workdir dir;
    dir.write("quartz.dat", table_text([](int I, int J) {
        static const double pgrid[] = {1.0, 1.0133, 2.321, 4.758, 8.919, 15.537, 25.479, 39.737, 59.432,
                                       85.839, 120.458, 165.212, 200, 250, 300, 350, 400, 450, 500,
                                       550, 600, 650, 700, 750, 800, 850, 900, 950, 1000, 1500, 2000,
                                       2500, 3000, 3500, 4000, 4500, 5000};
        static const double tgrid[] = {0.01, 25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 275,
                                       300, 325, 350, 400, 410, 420, 430, 440, 450, 460, 470, 480,
                                       490, 500, 510, 520, 530, 540, 550, 560, 570, 580, 590, 600};
        return polynomial(pgrid[I - 1], tgrid[J - 1]);
    }));
    dir.write("PT.dat", list);
    RunResult result = run_logk(dir);
    ASSERT_EQ(result.exit_status, 0) << result.error_text;
    const std::string out = dir.read("logk.out");
    ASSERT_EQ(out.size(), 70 + 73 * points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto [P, T] = points[i];
        const std::string line = out.substr(70 + 73 * i, 73);
        const double shown = std::stod(line.substr(41, 12));
        // The line shows the polynomial's value rounded to 0.001.
        EXPECT_LE(std::fabs(shown - polynomial(P, T)), 0.0005 + 1e-9) << line;
        EXPECT_EQ(std::stod(line.substr(1, 8)), P) << line;
        EXPECT_EQ(std::stod(line.substr(11, 8)), T) << line;
    }
}

// On a node the other eight cells get exact zero factors, whatever the
// stencil FINDPT chose around it.
TEST(InterpolationRun, NodesGiveTheirTableValues) {
    const double values[3][3] = {{-2.50, -2.40, -2.31}, {-2.48, -2.38, -2.30}, {-2.46, -2.37, -2.28}};
    Workdir dir;
    dir.write("quartz.dat", table_text([&](int I, int J) {
        return (I >= 13 && I <= 15 && J >= 9 && J <= 11) ? values[I - 13][J - 9] : 0.0;
    }));
    dir.write("PT.dat", "250 200\n300 250\n200,225\n");
    ASSERT_EQ(run_logk(dir).exit_status, 0);
    EXPECT_EQ(dir.read("logk.out").substr(70),
              "  250.000   200.000      14         9          -2.480       N         N\r\n"
              "  300.000   250.000      15        11          -2.280       N         N\r\n"
              "  200.000   225.000      13        10          -2.400       N         N\r\n");
}

}  // namespace
}  // namespace logk::testing
