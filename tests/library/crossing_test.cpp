// The interpolation backwards, held to its definition by a check written
// apart from the search, from Table::interpolate alone: the answer brackets
// the value with the double below it, no end of a stencil's piece before it
// is on the other side, and 'J', 'R' and 'N' stand where they must.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "crossing/crossing.h"
#include "crossing/reach.h"
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
// The first double in (a, b] with the stencil of b, for a < b whose
// stencils differ, where the stencil changes once between them.
double change_between(const Line& line, double a, double b) {
    while (above(a) < b) {
        const double middle = a + 0.5 * (b - a);
        (line.same_stencil(middle, b) ? b : a) = middle;
    }
    return b;
}

std::vector<double> piece_starts(const Line& line, double low, double high) {
    std::vector<double> nodes;
    if (line.table.on_own_nodes()) {
        // A table's own nodes: its stencil changes once at most between two
        // nodes (where the nearer node does), found by halving.
        const std::span<const double> axis = line.along_T ? line.table.temperatures() : line.table.pressures();
        for (std::size_t k = 0; k + 1 < axis.size(); ++k) {
            if (!line.same_stencil(axis[k], axis[k + 1])) nodes.push_back(change_between(line, axis[k], axis[k + 1]));
        }
    } else {
        nodes.assign(line.along_T ? TGRID.begin() : PGRID.begin(), line.along_T ? TGRID.end() : PGRID.end());
    }
    if (line.along_T && !line.table.on_own_nodes()) nodes.push_back(700.0);
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
// stencil changes; or, for 'R', it lies within rounding of y there (`near`
// of it, as a share of the larger).
void expect_a_crossing(const Line& line, double y, double low, double high, const Crossing& got,
                       double near = 1e-12) {
    ASSERT_TRUE(got.at >= low && got.at <= high) << got.at;
    if (got.how == 'R') {
        const double lk = line.at(got.at).LK;
        ASSERT_FALSE(std::abs(lk - y) > near * std::max(std::abs(lk), std::abs(y))) << "'R' far from y at " << got.at;
        return;
    }
    const int here = side(line.at(got.at).LK, y);
    const int before = got.at > low ? side(line.at(below(got.at)).LK, y) : 2;
    ASSERT_TRUE(here == 0 || (before != 2 && here == -before)) << "no change of side at " << got.at;
    const bool jump = got.at > low && here != 0 && !line.same_stencil(below(got.at), got.at);
    ASSERT_EQ(got.how, jump ? 'J' : 'C') << got.at;
}

// The answer to "where does the line first reach y from low to high" meets
// the definition: before it, log K neither takes y nor lies on the other
// side of it than at low, at the ends of the pieces, at the doubles just
// above low and just below the answer, and (for 'N') at points between.
void expect_the_first_crossing(const Line& line, double y, double low, double high, const Crossing& got,
                               double near = 1e-12) {
    const double end = got.how == 'N' ? high : got.at;
    const int first = side(line.at(low).LK, y);
    auto expect_no_answer_at = [&](double x, const char* what) {
        const int s = side(line.at(x).LK, y);
        ASSERT_NE(s, 0) << "log K takes y at " << what << " " << x << ", before the answer " << got.at;
        if (first != 2 && s != 2) {
            ASSERT_EQ(s, first) << "the other side at " << what << " " << x << ", before the answer " << got.at;
        }
    };
    for (double start : piece_starts(line, low, high)) {
        if (start >= end) break;
        for (double x : {below(start), start}) {
            expect_no_answer_at(x, "a piece end");
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    const double last = got.how == 'N' ? high : below(got.at);  // the last double before the answer
    double up = low, down = last;
    for (int k = 0; k < 32 && up <= last; ++k, up = above(up), down = below(down)) {
        expect_no_answer_at(up, "the double");
        expect_no_answer_at(down, "the double");
        if (::testing::Test::HasFatalFailure()) return;
    }
    if (got.how == 'N') {
        ASSERT_TRUE(std::isnan(got.at));
        for (int s = 0; s <= 64; ++s) {  // and nothing in between either, where it can be seen
            expect_no_answer_at(low + (high - low) * s / 64.0, "the point");
            if (::testing::Test::HasFatalFailure()) return;
        }
        return;
    }
    expect_a_crossing(line, y, low, high, got, near);
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

// Tables on their own nodes: the example with its vapour side missing, a
// random uneven grid with missing values, and calcite along one line (along
// temperature alone): plain questions, values in the jumps and any values,
// each meeting the definition between the table's nodes.
TEST(Crossing, MeetsItsDefinitionOnTablesOfTheirOwnNodes) {
    std::mt19937_64 random(36);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> P = {3.0}, T = {5.0}, values;
    while (P.size() < 9) P.push_back(P.back() * (1.3 + 3.0 * unit(random)));
    while (T.size() < 12) T.push_back(T.back() + 2.0 + 60.0 * unit(random));
    for (std::size_t i = 0; i < P.size(); ++i) {
        for (std::size_t j = 0; j < T.size(); ++j) {
            const bool vapour = i < 2 && j > 8;
            values.push_back(vapour ? kNaN : -3.0 + 0.01 * T[j] - 0.3 * std::log(P[i]) + 0.2 * unit(random));
        }
    }
    const std::vector<std::pair<std::string, Table>> tables = {
        {"vapour side", *Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/vapour_side.dat").value},
        {"calcite", *Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/calcite.dat").value},
        {"uneven", Table::from_grid(P, T, values)},
    };
    for (const auto& [name, table] : tables) {
        const bool one_line = table.pressures().size() == 1;
        const double t_low = table.temperatures().front(), t_high = table.temperatures().back();
        const double p_low = table.pressures().front(), p_high = table.pressures().back();
        for (int k = 0; k < 600; ++k) {
            const bool along_T = one_line || k % 3 != 2;
            const double fixed = along_T ? (one_line ? 100.0 : p_low + (p_high - p_low) * unit(random))
                                         : t_low + (t_high - t_low) * unit(random);
            const Line line{table, along_T, fixed};
            const double low = along_T ? t_low : p_low, high = along_T ? t_high : p_high;
            double y;
            const std::vector<double> starts = piece_starts(line, low, high);
            if (k % 3 == 1 && !starts.empty()) {
                const double start = starts[random() % starts.size()];
                y = 0.5 * (line.at(below(start)).LK + line.at(start).LK);
            } else if (k % 3 == 0) {
                y = line.at(low + (high - low) * unit(random)).LK;
            } else {
                y = -12.0 + 12.0 * unit(random);
            }
            if (std::isnan(y)) continue;
            SCOPED_TRACE(::testing::Message() << name << std::hexfloat << (along_T ? ", P " : ", T ") << fixed << ", y " << y);
            const Crossing got = along_T ? table.temperature_at(fixed, y) : table.pressure_at(fixed, y);
            expect_the_first_crossing(line, y, low, high, got);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// y is log K at x0 on `line`: the line reaches y at x0 or before, so the
// search finds it there, and meets its definition.
void expect_found_by(const Line& line, double x0, double low, double high) {
    const double y = line.at(x0).LK;
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "x0 " << x0 << ", y " << y);
    const Crossing got = line.along_T ? line.table.temperature_at(line.fixed, y, low, high)
                                      : line.table.pressure_at(line.fixed, y, low, high);
    ASSERT_NE(got.how, 'N');
    ASSERT_LE(got.at, x0);
    expect_the_first_crossing(line, y, low, high, got);
}

// The question asked of `line`: where it first takes y from low to high
// (the answer into `got`). Where y is log K at x0, the line reaches y
// there or before.
void expect_the_answer(const Line& line, double y, double x0, double low, double high, Crossing& got) {
    SCOPED_TRACE(::testing::Message() << std::hexfloat << "y " << y << ", x0 " << x0);
    got = line.along_T ? line.table.temperature_at(line.fixed, y, low, high)
                       : line.table.pressure_at(line.fixed, y, low, high);
    if (line.at(x0).LK == y) {
        ASSERT_NE(got.how, 'N');
        ASSERT_LE(got.at, x0);
    }
    expect_the_first_crossing(line, y, low, high, got);
}
void expect_the_answer(const Line& line, double y, double x0, double low, double high) {
    Crossing got;
    expect_the_answer(line, y, x0, low, high, got);
}

// A table whose every value is cell(pressure node, temperature node).
Table table_of(const std::function<double(int, int)>& cell) {
    std::vector<double> values;
    for (int I = 1; I <= kPressureNodes; ++I) {
        for (int J = 1; J <= kTemperatureNodes; ++J) values.push_back(cell(I, J));
    }
    return Table::from_values(values);
}

// y = 0 is a value like any other, where the search's bounds of the
// batch's rounding shrink to nothing: tables of one value, 0 among them,
// asked for their own log K at (100 bar, 300 degC) along each axis; and
// log K = (x - node) / 100 along each axis for every node (every row or
// column holds it at the nodes), exactly 0 at the node where that is one
// of its stencil's, asked for 0, -0 and, shifted by 3, for 3.
TEST(Crossing, TakesZeroAsAnyOtherValue) {
    const double subnormal = std::numeric_limits<double>::denorm_min();
    for (double value : {0.0, -0.0, 3.0, 1e-300, subnormal}) {
        SCOPED_TRACE(::testing::Message() << "every value " << value);
        const Table table = table_of([&](int, int) { return value; });
        const double y = table.interpolate(100.0, 300.0).LK;
        expect_the_answer(Line{table, true, 100.0}, y, 300.0, TGRID(1), TGRID(kTemperatureNodes));
        expect_the_answer(Line{table, false, 300.0}, y, 100.0, PGRID(1), PGRID(kPressureNodes));
        if (::testing::Test::HasFatalFailure()) return;
    }
    for (const bool along_T : {true, false}) {
        const int nodes = along_T ? kTemperatureNodes : kPressureNodes;
        const auto fixed = along_T ? std::vector<double>{1.0, 100.0, 500.0, 3000.0}
                                   : std::vector<double>{25.0, 100.0, 300.0, 500.0};
        const double low = along_T ? TGRID(1) : PGRID(1), high = along_T ? TGRID(nodes) : PGRID(nodes);
        for (int n = 1; n <= nodes; ++n) {
            const double node = along_T ? TGRID(n) : PGRID(n);
            for (const double shift : {0.0, 3.0}) {
                const Table table =
                    table_of([&](int I, int J) { return ((along_T ? TGRID(J) : PGRID(I)) - node) / 100.0 + shift; });
                for (const double at : fixed) {
                    SCOPED_TRACE(::testing::Message() << (along_T ? "T node " : "P node ") << node << ", at " << at
                                                      << ", shift " << shift);
                    const Line line{table, along_T, at};
                    expect_the_answer(line, shift, node, low, high);
                    if (shift == 0.0) expect_the_answer(line, -0.0, node, low, high);
                    if (::testing::Test::HasFatalFailure()) return;
                }
            }
        }
    }
}

// Tables of every size whose log K stays finite in the grid: the example
// table times 10^k (the search's own products of the table's values must
// neither overflow nor sink among the subnormal doubles), one of random
// values near 10^250, and one whose values cancel: +-1000 from one
// pressure node to the next, flat in temperature, where at pressures some
// 0.29 of a step above a node (200 to 1000 bar) log K is 0 but for the
// rounding of terms of 1000, which the bound must count.
TEST(Crossing, MeetsItsDefinitionOnTablesOfEverySize) {
    const std::vector<double> example = example_table().values();
    std::mt19937_64 random(27);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> cancelling_at;
    for (double P = 200.0; P < 1000.0; P += 50.0) cancelling_at.push_back(P + 50.0 * (1.0 - std::sqrt(0.5)));
    struct Row {
        std::string name;
        std::function<double(int)> cell;
        std::vector<double> pressures = {};  // along temperature at these alone, if any
    };
    const std::vector<Row> tables = {
        {"example x 1e160", [&](int k) { return example[std::size_t(k)] * 1e160; }},
        {"example x 1e250", [&](int k) { return example[std::size_t(k)] * 1e250; }},
        {"example x 1e300", [&](int k) { return example[std::size_t(k)] * 1e300; }},
        {"example x 1e-160", [&](int k) { return example[std::size_t(k)] * 1e-160; }},
        {"example x 1e-190", [&](int k) { return example[std::size_t(k)] * 1e-190; }},
        {"example x 1e-300", [&](int k) { return example[std::size_t(k)] * 1e-300; }},
        {"random near 1e250", [&](int) { return (1.0 + unit(random)) * 1e250; }},
        {"cancelling", [](int k) { return k / 36 % 2 == 0 ? 1000.0 : -1000.0; }, cancelling_at},
    };
    for (const auto& [name, cell, pressures] : tables) {
        SCOPED_TRACE(name);
        std::vector<double> values(kTableValues);
        for (int k = 0; k < kTableValues; ++k) values[std::size_t(k)] = cell(k);
        const Table table = Table::from_values(values);
        for (int k = 0; k < 120; ++k) {
            const bool along_T = k % 2 == 0 || !pressures.empty();
            const double fixed = !pressures.empty() ? pressures[std::size_t(k) % pressures.size()]
                                 : along_T          ? std::exp(std::log(5000.0) * unit(random))
                                                    : 0.01 + 599.99 * unit(random);
            const double x0 = along_T ? 0.01 + 599.99 * unit(random) : std::exp(std::log(5000.0) * unit(random));
            expect_found_by(Line{table, along_T, fixed}, x0, along_T ? 0.01 : 1.0, along_T ? 600.0 : 5000.0);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// Where log K is flat within rounding for more doubles than are looked at
// one by one (y within 1e-12 of the largest log Kw along a pressure), the
// answer is 'R' or the first crossing, never 'N': y is log K at a sample of
// the line, its largest at 0.01 degC steps, then at 1e-6 degC steps round
// that, or a little below it.
TEST(Crossing, NeverNoneForAValueTheLineTakes) {
    const Read<Table> read = Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/kw.dat");
    ASSERT_TRUE(read) << read.error.text;
    const Table& kw = *read.value;
    for (double P : {500.0, 1000.0, 2000.0, 3000.0}) {
        const Line line{kw, true, P};
        double top = 0.01;
        for (double T = 0.01; T <= 600.0; T += 0.01) top = line.at(T).LK > line.at(top).LK ? T : top;
        for (double T = top - 0.01; T <= top + 0.01; T += 1e-6) top = line.at(T).LK > line.at(top).LK ? T : top;
        SCOPED_TRACE(::testing::Message() << "P " << P << ", largest at " << top);
        for (double x0 : {top, top - 1e-4, top + 1e-4, top - 1e-3}) {
            expect_found_by(line, x0, 0.01, 600.0);
            expect_found_by(line, x0, top - 1.0, top + 1.0);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
    const Line line{kw, true, 2000.0};  // the largest of a scan at 0.001 degC steps
    expect_found_by(line, 374.5517575333334, 0.01, 600.0);
}

// Where the doubles are dense (near 0.01 degC, near 1 to 5 bar) and log
// K lies within rounding of y over hundreds of thousands of them, the
// search still settles the first crossing: questions that each look at
// some 10^5 to 10^6 doubles one by one (y = log K at (P, x0) or (x0, T)).
TEST(Crossing, SettledWhereTheDoublesAreDense) {
    struct Row {
        const char* file;
        bool along_T;
        double fixed, x0;
    };
    const Row rows[] = {
        {"quartz.dat", true, 50.0, 550.0},  // the answer near 0.03 degC
        {"quartz.dat", false, 36.352188715918807, 3.1158018025617449},
        {"kw.dat", false, 109.95783949681523, 1.6211119420915669},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.file << (row.along_T ? ", P " : ", T ") << row.fixed);
        const Read<Table> read = Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/" + row.file);
        ASSERT_TRUE(read) << read.error.text;
        const Line line{*read.value, row.along_T, row.fixed};
        Crossing got;
        expect_the_answer(line, line.at(row.x0).LK, row.x0, row.along_T ? TGRID(1) : PGRID(1),
                          row.along_T ? TGRID(kTemperatureNodes) : PGRID(kPressureNodes), got);
        EXPECT_NE(got.how, 'R') << got.at;
    }
}

// Where rounding decides over more doubles than the search looks at one by
// one, 'R' stands at the first it has not looked at: a table of one value
// asked for the fourth double above it, which log K there does not reach,
// looked at from 0.01 degC up, kMostScanned doubles of it (half as many
// where the values are out of the ordinary, here subnormal).
TEST(Crossing, RoundingDecidesPastTheDoublesLookedAt) {
    struct Row {
        double value;
        std::uint64_t looked_at;
        double near;  // how close log K at 'R' lies to y, as a share of the larger
    };
    const double subnormal = std::numeric_limits<double>::denorm_min();
    for (const Row& row : {Row{3.0, kMostScanned, 1e-15}, Row{4.0 * subnormal, kMostScanned / 2, 1.0}}) {
        SCOPED_TRACE(row.value);
        const Table table = table_of([&](int, int) { return row.value; });
        double y = row.value;
        for (int k = 0; k < 4; ++k) y = above(y);
        const Crossing got = table.temperature_at(100.0, y);
        const Line line{table, true, 100.0};
        ASSERT_EQ(got.how, 'R');
        EXPECT_EQ(std::bit_cast<std::uint64_t>(got.at) - std::bit_cast<std::uint64_t>(TGRID(1)), row.looked_at);
        expect_the_first_crossing(line, y, TGRID(1), TGRID(kTemperatureNodes), got, row.near);
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
                expect_a_crossing(line, y, -kInfinity, kInfinity, got, kInfinity);
            }
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// A few answers by hand: a node's own value, a value beyond the table, a
// jump up where the stencil moves to higher pressures near the saturation
// curve (40 bar, 250 degC), ranges of one double (also in the last piece
// of each axis: past 700 degC, and 5000 bar itself), the range the wrong
// way round, NaN.
TEST(Crossing, ByHand) {
    const Table table = example_table();
    const double at_node = table.interpolate(100.0, 200.0).LK;
    const double jump_low = table.interpolate(40.0, 250.0).LK, jump_high = table.interpolate(40.0, above(250.0)).LK;
    ASSERT_LT(jump_low, jump_high);
    const double at_750 = table.interpolate(100.0, 750.0).LK, at_5000 = table.interpolate(5000.0, 300.0).LK;
    struct Row {
        bool along_T;
        double fixed, y, low, high;
        double at;  // NaN for none
        char how;
    };
    const Row rows[] = {
        {true, 100.0, at_node, 0.01, 600.0, 200.0, 'C'},
        {true, 100.0, 10.0, 0.01, 600.0, kNaN, 'N'},
        {true, 40.0, 0.5 * (jump_low + jump_high), 0.01, 600.0, above(250.0), 'J'},
        {true, 100.0, at_node, 200.0, 200.0, 200.0, 'C'},
        {true, 100.0, at_node + 1.0, 200.0, 200.0, kNaN, 'N'},
        {true, 100.0, at_750, 750.0, 750.0, 750.0, 'C'},
        {false, 300.0, at_5000, 5000.0, 5000.0, 5000.0, 'C'},
        {true, 100.0, at_node, 300.0, 200.0, kNaN, 'N'},
        {true, kNaN, at_node, 0.01, 600.0, kNaN, 'N'},
        {true, 100.0, kNaN, 0.01, 600.0, kNaN, 'N'},
        {true, 100.0, at_node, kNaN, 600.0, kNaN, 'N'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.fixed << " " << row.y << " " << row.low << " " << row.high);
        const Crossing got = row.along_T ? table.temperature_at(row.fixed, row.y, row.low, row.high)
                                         : table.pressure_at(row.fixed, row.y, row.low, row.high);
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
    std::vector<double> shifted(n + 1);  // each answer over the pressure after its own
    std::copy(P.begin(), P.end(), shifted.begin());
    logk_temperature_at(c_table, n, shifted.data(), y.data(), 0.01, 600.0, shifted.data() + 1, nullptr);
    logk_table_free(c_table);
    for (std::size_t i = 0; i < n; ++i) {
        const Crossing one = table.temperature_at(P[i], y[i]);
        const Crossing by_pressure = table.pressure_at(T[i], y[i]);
        for (double other : {at[i], c_at[i], over[i], shifted[i + 1]}) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(other), std::bit_cast<std::uint64_t>(one.at)) << i;
        }
        EXPECT_EQ(how[i], one.how);
        EXPECT_EQ(c_how[i], one.how);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(c_P[i]), std::bit_cast<std::uint64_t>(by_pressure.at)) << i;
        EXPECT_EQ(c_P_how[i], by_pressure.how);
    }
}

// The batch forms take spans as long as the points, how empty or as long.
TEST(Crossing, SpansOfOtherLengthsAreRefused) {
    const Table table = example_table();
    std::vector<double> fixed(4, 100.0), LK(4, -2.0), at(4);
    std::vector<char> how(4);
    struct Row {
        std::size_t LK, at, how;
    };
    for (const Row row : {Row{3, 4, 4}, {5, 4, 4}, {4, 3, 4}, {4, 5, 0}, {4, 4, 3}, {4, 4, 5}}) {
        SCOPED_TRACE(::testing::Message() << row.LK << " " << row.at << " " << row.how);
        LK.resize(row.LK, -2.0);
        at.resize(row.at);
        how.resize(row.how);
        EXPECT_THROW(table.temperature_at(fixed, LK, at, how), std::invalid_argument);
        EXPECT_THROW(table.pressure_at(fixed, LK, at, how), std::invalid_argument);
    }
}

// Where the search trusts its bounds: INTRPK's products on a stencil of
// nine equal values, at 2000 bar (steps of up to 1000 bar from the nodes
// 1000, 1500 and 2000) and 300 degC, stay below 2^1020 (about 1.1e307) for
// values of 1e303 and not for 3e304 (3e307 a step of 1000 bar on); NaN and infinite values are never
// finite, even where a step is 0; values of ordinary size leave no
// rounding to the subnormal doubles worth counting, and subnormal ones
// leave some.
TEST(Crossing, ReachOfTheBatchsProducts) {
    const std::array<double, 3> P_nodes = {1000.0, 1500.0, 2000.0}, T_nodes = {250.0, 275.0, 300.0};
    const PassReach pressure = pass_reach(P_nodes, PassSteps(P_nodes, true), 2000.0, 2000.0);
    const PassReach temperature = pass_reach(T_nodes, PassSteps(T_nodes, false), 300.0, 300.0);
    struct Row {
        double value;
        bool finite;
        double most_absolute;
    };
    const double subnormal = std::numeric_limits<double>::denorm_min();
    for (const Row& row : {Row{1e303, true, 1e-290}, {3e304, false, kInfinity}, {kNaN, false, kInfinity},
                           {kInfinity, false, kInfinity}, {1.0, true, 1e-290}, {subnormal, true, 1e-290}}) {
        SCOPED_TRACE(row.value);
        std::array<std::array<double, 3>, 3> cells;
        for (auto& column : cells) column.fill(row.value);
        const Reach reach = stencil_reach(cells, pressure, temperature);
        EXPECT_EQ(reach.finite, row.finite);
        if (row.finite) {
            EXPECT_GT(reach.absolute, 0.0);
            EXPECT_LT(reach.absolute, row.most_absolute);
        }
    }
}

// A pass's reach over a piece [l, r] bounds each term's products and the
// carry of its roundings at every x of the piece, not at one end alone:
// pieces inside the stencil, past either end, and on both sides of a node,
// on the close pressure nodes 1, 1.0133, 2.321 bar (steps below 1, so that
// a rounding is carried far) and on temperature nodes, each at its ends
// and at points between.
TEST(Crossing, ReachCoversEveryPointOfAPiece) {
    struct Row {
        std::array<double, 3> node;
        bool downwards;  // the pressure pass's order of a term's other nodes
        double l, r;
    };
    const Row rows[] = {
        {{1.0, 1.0133, 2.321}, true, 0.5, 1.0},    {{1.0, 1.0133, 2.321}, true, 1.0, 2.321},
        {{1.0, 1.0133, 2.321}, true, 1.005, 3.0},  {{1.0, 1.0133, 2.321}, true, 2.0, 6.0},
        {{400.0, 410.0, 420.0}, false, 350.0, 400.0}, {{400.0, 410.0, 420.0}, false, 405.0, 418.0},
        {{400.0, 410.0, 420.0}, false, 415.0, 500.0}, {{1000.0, 1500.0, 2000.0}, true, 1.0, 5000.0},
    };
    constexpr double kRoundings = 1.0 - 0x1p-50;  // what reach.h's own products may lose
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.node[0] << " " << row.node[1] << " " << row.node[2] << ": [" << row.l
                                          << ", " << row.r << "]");
        const PassSteps steps(row.node, row.downwards);
        const PassReach reach = pass_reach(row.node, steps, row.l, row.r);
        for (int s = 0; s <= 16; ++s) {
            const double x = s == 16 ? row.r : row.l + (row.r - row.l) * s / 16.0;
            for (std::size_t k = 0; k < 3; ++k) {
                SCOPED_TRACE(::testing::Message() << "x " << x << ", term " << k);
                const std::size_t m1 = steps.others[k][0], m2 = steps.others[k][1];
                const double a = std::abs(x - row.node[m1]), b = std::abs(x - row.node[m2]);
                const double d1 = std::abs(row.node[k] - row.node[m1]), d2 = std::abs(row.node[k] - row.node[m2]);
                for (double product : {a, a / d1, a / d1 * b, a / d1 * b / d2}) {
                    EXPECT_GE(reach.products[k], kRoundings * product);
                }
                EXPECT_GE(reach.weights[k], kRoundings * (a / d1 * b / d2));
                // A rounding of the first product is carried by the steps
                // after it: / d1 * b / d2; of the second, * b / d2; of the
                // third, / d2.
                for (double carried : {1.0, 1.0 / d2, b / d2, b / d1 / d2}) {
                    EXPECT_GE(reach.errors, kRoundings * carried);
                }
            }
        }
    }
}

}  // namespace
}  // namespace logk::testing
