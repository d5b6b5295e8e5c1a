// The library gives the program's results to the bit: on 100,000 and more
// points, the lines that format_line makes from the C++ interface's results
// equal the program's logk.out line for line, and the C interface and the
// batch form give the same bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "api/batch.h"
#include "logk/grid.hpp"
#include "logk/logk.h"
#include "logk/logk.hpp"
#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

double table_value(int I, int J) { return -4.25 + 0.013 * J - 0.0021 * I + 1e-4 * ((I * 13 + J * 7) % 17); }

double up(double x) { return std::nextafter(x, std::numeric_limits<double>::infinity()); }
double down(double x) { return std::nextafter(x, -std::numeric_limits<double>::infinity()); }

// Every value that decides something, and its neighbouring doubles.
std::vector<double> edges(std::vector<double> thresholds) {
    std::vector<double> values;
    for (double x : thresholds) values.insert(values.end(), {down(x), x, up(x)});
    return values;
}

struct Points {
    std::vector<double> P;
    std::vector<double> T;
};

Points generated_points() {
    std::vector<double> pressure_thresholds = {0.0, 1.013, 5000.0, 6000.0};
    for (double p : PGRID) pressure_thresholds.push_back(p);
    std::vector<double> temperature_thresholds = {0.01, 700.0};
    for (double t : TGRID) temperature_thresholds.push_back(t);
    std::vector<double> pressures = edges(pressure_thresholds);
    std::vector<double> temperatures = edges(temperature_thresholds);
    for (double extra : {-0.0, 1e-310, -9999.9, -1.0, 1e6}) {
        pressures.push_back(extra);
        temperatures.push_back(extra);
    }
    Points points;
    for (double P : pressures) {  // every threshold of one against every one of the other
        for (double T : temperatures) {
            points.P.push_back(P);
            points.T.push_back(T);
        }
    }
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> log_pressure(std::log(0.5), std::log(6500.0));
    std::uniform_real_distribution<double> pressure(0.5, 6500.0);
    std::uniform_real_distribution<double> temperature(-5.0, 720.0);
    while (points.P.size() < 100000) {
        points.P.push_back(points.P.size() % 2 ? std::exp(log_pressure(random)) : pressure(random));
        points.T.push_back(temperature(random));
    }
    return points;
}

TEST(SameBits, LibraryLinesAreTheProgramsLines) {
    const Points points = generated_points();
    Workdir dir;
    dir.write("quartz.dat", table_text(table_value));
    std::string list;
    char line[80];
    for (std::size_t i = 0; i < points.P.size(); ++i) {
        std::snprintf(line, sizeof line, "%.17g %.17g\n", points.P[i], points.T[i]);
        list += line;
    }
    dir.write("PT.dat", list);
    const RunResult run = run_logk(dir);
    ASSERT_EQ(run.exit_status, 0) << run.error_text;
    const std::string out = dir.read("logk.out");
    ASSERT_EQ(out.size(), 70 + 73 * points.P.size());

    const Read<Table> loaded = Table::load(dir.file("quartz.dat"));
    ASSERT_TRUE(loaded) << loaded.error.text;
    const Table& table = *loaded.value;
    const std::size_t n = points.P.size();
    std::vector<double> LK(n);
    std::vector<int> PIDX(n), TIDX(n);
    std::vector<char> ISOERR(n), PTERR(n);
    table.interpolate(points.P, points.T, Outputs{LK, PIDX, TIDX, ISOERR, PTERR, {}, {}});

    logk_error error;
    logk_table* c_table = logk_table_load(dir.file("quartz.dat").c_str(), &error);
    ASSERT_NE(c_table, nullptr) << error.text;
    std::vector<double> c_LK(n);
    std::vector<int> c_PIDX(n), c_TIDX(n);
    std::vector<char> c_ISOERR(n), c_PTERR(n);
    logk_interpolate(c_table, n, points.P.data(), points.T.data(), c_LK.data(), c_PIDX.data(), c_TIDX.data(),
                     c_ISOERR.data(), c_PTERR.data());
    logk_table_free(c_table);

    for (std::size_t i = 0; i < n; ++i) {
        const Interpolation one = table.interpolate(points.P[i], points.T[i]);
        ASSERT_EQ(format_line(points.P[i], points.T[i], one), out.substr(70 + 73 * i, 71))
            << std::hexfloat << "P " << points.P[i] << " T " << points.T[i];
        const Interpolation batch{LK[i], PIDX[i], TIDX[i], ISOERR[i], PTERR[i]};
        const Interpolation c{c_LK[i], c_PIDX[i], c_TIDX[i], c_ISOERR[i], c_PTERR[i]};
        for (const Interpolation& other : {batch, c}) {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(other.LK), std::bit_cast<std::uint64_t>(one.LK)) << i;
            ASSERT_EQ(other.PIDX, one.PIDX) << i;
            ASSERT_EQ(other.TIDX, one.TIDX) << i;
            ASSERT_EQ(other.ISOERR, one.ISOERR) << i;
            ASSERT_EQ(other.PTERR, one.PTERR) << i;
        }
    }
}

// Each build of the batch loop this processor can run gives each point the
// bits of the one-point route.
TEST(SameBits, EveryInstructionSetAgrees) {
    const Points points = generated_points();
    LogKTable LOGK;
    for (int I = 1; I <= 37; ++I) {
        for (int J = 1; J <= 36; ++J) LOGK(I, J) = table_value(I, J);
    }
    std::vector<double> values(1332);
    LOGK.get_in_file_order(values.data());
    const Table table = Table::from_values(values);
    const std::size_t n = points.P.size();
    for (InstructionSet set : available_instruction_sets()) {
        SCOPED_TRACE(static_cast<int>(set));
        std::vector<double> LK(n);
        std::vector<int> PIDX(n), TIDX(n);
        std::vector<char> ISOERR(n), PTERR(n);
        interpolate_points_with(set, LOGK, n, points.P.data(), points.T.data(), LK.data(), PIDX.data(),
                                TIDX.data(), ISOERR.data(), PTERR.data());
        for (std::size_t i = 0; i < n; ++i) {
            const Interpolation one = table.interpolate(points.P[i], points.T[i]);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(LK[i]), std::bit_cast<std::uint64_t>(one.LK)) << i;
            ASSERT_EQ(PIDX[i], one.PIDX) << i;
            ASSERT_EQ(TIDX[i], one.TIDX) << i;
            ASSERT_EQ(ISOERR[i], one.ISOERR) << i;
            ASSERT_EQ(PTERR[i], one.PTERR) << i;
        }
    }
}

// NaN and infinities cannot be written in PT.dat; the library takes them,
// and every face gives what one point gives.
TEST(SameBits, ValuesNoFileCanHold) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values(1332);
    for (int k = 0; k < 1332; ++k) values[static_cast<std::size_t>(k)] = table_value(k / 36 + 1, k % 36 + 1);
    const Table table = Table::from_values(values);
    logk_table* c_table = logk_table_from_values(values.data(), nullptr);
    ASSERT_NE(c_table, nullptr);
    std::vector<double> P, T;
    for (double p : {nan, -nan, inf, -inf, 500.0, 1e300}) {
        for (double t : {nan, inf, -inf, 300.0, 650.0, -1e300}) {
            P.push_back(p);
            T.push_back(t);
        }
    }
    const std::size_t n = P.size();
    std::vector<double> LK(n), c_LK(n);
    std::vector<int> PIDX(n), c_PIDX(n);
    table.interpolate(P, T, Outputs{.LK = LK, .PIDX = PIDX});
    logk_interpolate(c_table, n, P.data(), T.data(), c_LK.data(), c_PIDX.data(), nullptr, nullptr, nullptr);
    logk_table_free(c_table);
    for (std::size_t i = 0; i < n; ++i) {
        const Interpolation one = table.interpolate(P[i], T[i]);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(LK[i]), std::bit_cast<std::uint64_t>(one.LK)) << i;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(c_LK[i]), std::bit_cast<std::uint64_t>(one.LK)) << i;
        EXPECT_EQ(PIDX[i], one.PIDX) << i;
        EXPECT_EQ(c_PIDX[i], one.PIDX) << i;
    }
}

}  // namespace
}  // namespace logk::testing
