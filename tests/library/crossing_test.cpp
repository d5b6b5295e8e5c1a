// The interpolation backwards, held to its definition by a check written
// apart from the search, from Table::interpolate alone: the answer brackets
// the value with the double below it, no end of a stencil's piece before it
// is on the other side, and 'J' and 'N' stand where they must.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "logk/logk.h"
#include "logk/logk.hpp"
#include "support/example_table.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
double below(double x) { return std::nextafter(x, -kInfinity); }
double above(double x) { return std::nextafter(x, kInfinity); }

int side(double lk, double y) { return lk < y ? -1 : (lk > y ? 1 : (lk == y ? 0 : 2)); }

// log K along one coordinate, the other fixed.
struct Line {
    const Table& table;
    bool along_T;
    double fixed;
    Interpolation at(double x) const { return along_T ? table.interpolate(fixed, x) : table.interpolate(x, fixed); }
    bool same_stencil(double a, double b) const {
        const Interpolation p = at(a), q = at(b);
        return p.PIDX == q.PIDX && p.TIDX == q.TIDX;
    }
};

// Every double in [low, high] at which the stencil changes from the double
// below, found by looking at each node of the axis (and 700 degC) and the
// doubles next to it, and, to be sure that is where it changes, at four
// points inside every stretch between them.
std::vector<double> piece_starts(const Line& line, double low, double high) {
    std::vector<double> nodes(line.along_T ? TGRID.begin() : PGRID.begin(), line.along_T ? TGRID.end() : PGRID.end());
    if (line.along_T) nodes.push_back(700.0);
    std::vector<double> starts, edges = {low};
    for (double node : nodes) {
        for (double x : {node, above(node)}) {
            if (x > low && x <= high) edges.push_back(x);
        }
    }
    edges.push_back(high);
    for (std::size_t k = 1; k < edges.size(); ++k) {
        if (!line.same_stencil(below(edges[k]), edges[k]) && edges[k] < high) starts.push_back(edges[k]);
        for (int s = 1; s < 5; ++s) {
            const double x = edges[k - 1] + (edges[k] - edges[k - 1]) * s / 5.0;
            if (x > edges[k - 1] && !line.same_stencil(below(x), x) && x < below(edges[k])) {
                ADD_FAILURE() << "the stencil changes inside a piece, at " << x;
            }
        }
    }
    return starts;
}

// The line changes side at the answer (or takes y there), a jump where the
// stencil changes.
void expect_a_crossing(const Line& line, double y, double low, double high, const Crossing& got) {
    ASSERT_TRUE(got.at >= low && got.at <= high) << got.at;
    const int here = side(line.at(got.at).LK, y);
    const int before = got.at > low ? side(line.at(below(got.at)).LK, y) : 2;
    ASSERT_TRUE(here == 0 || (before != 2 && here == -before)) << "no change of side at " << got.at;
    const bool jump = got.at > low && here != 0 && !line.same_stencil(below(got.at), got.at);
    ASSERT_EQ(got.how, jump ? 'J' : 'C') << got.at;
}

// The answer to "where does the line first reach y from low to high" meets
// the definition.
void expect_the_first_crossing(const Line& line, double y, double low, double high, const Crossing& got) {
    const double end = got.how == 'N' ? high : got.at;
    const int first = side(line.at(low).LK, y);
    // No piece end before the answer lies on the other side than the start.
    for (double start : piece_starts(line, low, high)) {
        if (start >= end) break;
        for (double x : {below(start), start}) {
            const int s = side(line.at(x).LK, y);
            if (first != 2 && s != 2) {
                ASSERT_EQ(s, first) << "a piece end at " << x << " before the answer " << got.at;
            }
        }
    }
    if (got.how == 'N') {
        ASSERT_TRUE(std::isnan(got.at));
        for (int s = 0; s <= 64; ++s) {  // and nothing in between either, where it can be seen
            const int at = side(line.at(low + (high - low) * s / 64.0).LK, y);
            if (first != 2 && at != 2) {
                ASSERT_EQ(at, first);
            }
        }
        return;
    }
    expect_a_crossing(line, y, low, high, got);
}

// 100,000 random questions along temperature and along pressure: values the
// line takes, values inside the jumps where the stencil changes, and values
// it may never take.
TEST(Crossing, MeetsItsDefinition) {
    const Table table = example_table();
    std::mt19937_64 random(24);
    std::uniform_real_distribution<double> pressure(1.0, 5000.0), temperature(0.01, 600.0), unit(0.0, 1.0);
    for (int k = 0; k < 100000; ++k) {
        const bool along_T = k % 4 != 3;
        const double fixed = along_T ? std::exp(std::log(5000.0) * unit(random)) : temperature(random);
        const Line line{table, along_T, fixed};
        const double low = along_T ? 0.01 : 1.0, high = along_T ? 600.0 : 5000.0;
        double y;
        switch (k % 3) {
            case 0: y = line.at(along_T ? temperature(random) : pressure(random)).LK; break;
            case 1: {  // inside a jump
                const std::vector<double> starts = piece_starts(line, low, high);
                const double start = starts[random() % starts.size()];
                y = 0.5 * (line.at(below(start)).LK + line.at(start).LK);
                break;
            }
            default: y = -4.0 + 4.0 * unit(random);
        }
        SCOPED_TRACE(::testing::Message() << std::hexfloat << (along_T ? "P " : "T ") << fixed << ", y " << y);
        const Crossing got = along_T ? table.temperature_at(fixed, y) : table.pressure_at(fixed, y);
        expect_the_first_crossing(line, y, low, high, got);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// Tables no reaction has (values near the largest and the smallest
// doubles, infinities and NaN among them) and searches over every double:
// the rounding no longer scales with the terms, and log K overflows far out,
// yet an answer still changes side where it says.
TEST(Crossing, ChangesSideOnTablesOfExtremes) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const std::vector<std::pair<const char*, std::function<double(int)>>> tables = {
        {"huge", [&](int) { return 1e300 * unit(random); }},
        {"subnormal", [&](int) { return std::numeric_limits<double>::denorm_min() * double(random() % 5); }},
        {"with infinities", [&](int k) { return k % 11 == 0 ? kInfinity : unit(random); }},
        {"with NaN", [&](int k) { return k % 7 == 0 ? kNaN : unit(random); }},
    };
    for (const auto& [name, cell] : tables) {
        std::vector<double> values(1332);
        for (int k = 0; k < 1332; ++k) values[static_cast<std::size_t>(k)] = cell(k);
        const Table table = Table::from_values(values);
        for (int k = 0; k < 200; ++k) {
            const bool along_T = k % 2 == 0;
            const double fixed = along_T ? 6000.0 * std::abs(unit(random)) : 700.0 * unit(random);
            const Line line{table, along_T, fixed};
            const double y = k % 3 == 0 ? line.at(1e3 * unit(random)).LK : values[random() % values.size()];
            SCOPED_TRACE(::testing::Message() << name << std::hexfloat << (along_T ? ", P " : ", T ") << fixed
                                              << ", y " << y);
            const Crossing got = along_T ? table.temperature_at(fixed, y, -kInfinity, kInfinity)
                                         : table.pressure_at(fixed, y, -kInfinity, kInfinity);
            if (got.how == 'N') {
                ASSERT_TRUE(std::isnan(got.at));
            } else {
                expect_a_crossing(line, y, -kInfinity, kInfinity, got);
            }
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// A few answers by hand: a node's own value, a value beyond the table, a
// jump up where the stencil moves to higher pressures near the saturation
// curve (40 bar, 250 degC), the range the wrong way round, NaN.
TEST(Crossing, ByHand) {
    const Table table = example_table();
    const double at_node = table.interpolate(100.0, 200.0).LK;
    const double jump_low = table.interpolate(40.0, 250.0).LK, jump_high = table.interpolate(40.0, above(250.0)).LK;
    ASSERT_LT(jump_low, jump_high);
    struct Row {
        double P, y, low, high;
        double at;  // NaN for none
        char how;
    };
    const Row rows[] = {
        {100.0, at_node, 0.01, 600.0, 200.0, 'C'},
        {100.0, 10.0, 0.01, 600.0, kNaN, 'N'},
        {40.0, 0.5 * (jump_low + jump_high), 0.01, 600.0, above(250.0), 'J'},
        {100.0, at_node, 300.0, 200.0, kNaN, 'N'},
        {kNaN, at_node, 0.01, 600.0, kNaN, 'N'},
        {100.0, kNaN, 0.01, 600.0, kNaN, 'N'},
        {100.0, at_node, kNaN, 600.0, kNaN, 'N'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.P << " " << row.y << " " << row.low << " " << row.high);
        const Crossing got = table.temperature_at(row.P, row.y, row.low, row.high);
        EXPECT_EQ(got.how, row.how);
        if (std::isnan(row.at)) {
            EXPECT_TRUE(std::isnan(got.at));
        } else {
            EXPECT_EQ(got.at, row.at);
        }
    }
}

// The batch forms, C++ and C, give each point's one-point answer to the
// bit, also with the outputs over the inputs.
TEST(Crossing, EveryFaceGivesTheSameBits) {
    const Table table = example_table();
    std::vector<double> P, T, y;
    std::mt19937_64 random(240);
    std::uniform_real_distribution<double> pressure(1.0, 5000.0), temperature(0.01, 600.0);
    for (int k = 0; k < 300; ++k) {
        P.push_back(pressure(random));
        T.push_back(temperature(random));
        y.push_back(table.interpolate(P.back(), temperature(random)).LK);
    }
    const std::size_t n = P.size();
    std::vector<double> at(n), c_at(n), c_P(n);
    std::vector<char> how(n), c_how(n), c_P_how(n);
    table.temperature_at(P, y, at, how);
    const std::vector<double> values = table.values();
    logk_table* c_table = logk_table_from_values(values.data(), nullptr);
    logk_temperature_at(c_table, n, P.data(), y.data(), 0.01, 600.0, c_at.data(), c_how.data());
    logk_pressure_at(c_table, n, T.data(), y.data(), 1.0, 5000.0, c_P.data(), c_P_how.data());
    std::vector<double> over = P;  // the answers over the pressures
    logk_temperature_at(c_table, n, over.data(), y.data(), 0.01, 600.0, over.data(), nullptr);
    logk_table_free(c_table);
    for (std::size_t i = 0; i < n; ++i) {
        const Crossing one = table.temperature_at(P[i], y[i]);
        const Crossing by_pressure = table.pressure_at(T[i], y[i]);
        for (double other : {at[i], c_at[i], over[i]}) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(other), std::bit_cast<std::uint64_t>(one.at)) << i;
        }
        EXPECT_EQ(how[i], one.how);
        EXPECT_EQ(c_how[i], one.how);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(c_P[i]), std::bit_cast<std::uint64_t>(by_pressure.at)) << i;
        EXPECT_EQ(c_P_how[i], by_pressure.how);
    }
}

}  // namespace
}  // namespace logk::testing
