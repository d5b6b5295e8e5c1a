#include "stencil/findpt.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "grid/grid.h"

namespace logk {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double up(double x) { return std::nextafter(x, kInf); }
double down(double x) { return std::nextafter(x, -kInf); }

struct Stencil {
    int PIDX;
    int TIDX;
    char PTERR;
    char ISOERR;
    bool operator==(const Stencil&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Stencil& s) {
    return out << s.PIDX << ", " << s.TIDX << ", '" << s.PTERR << "', '" << s.ISOERR << "'";
}

Stencil findpt(double P, double T, char PTERR = 'N', char ISOERR = 'N') {
    Stencil s{-100, -100, PTERR, ISOERR};
    FINDPT(P, T, s.PIDX, s.TIDX, s.PTERR, s.ISOERR);
    return s;
}

struct Case {
    double P;
    double T;
    Stencil expected;
};

void expect_cases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hexfloat << "P " << c.P << " T " << c.T);
        EXPECT_EQ(findpt(c.P, c.T), c.expected);
    }
}

TEST(Findpt, PressureStep) {
    expect_cases({
        {1.0, 25, {1, 3, 'N', 'N'}},      {0.0, 25, {1, 3, 'E', 'N'}},
        {-0.0, 25, {1, 3, 'E', 'N'}},     {1.0133, 25, {2, 3, 'N', 'N'}},
        {down(1.0), 25, {1, 3, 'W', 'N'}}, {std::numeric_limits<double>::denorm_min(), 25, {1, 3, 'W', 'N'}},
        {1.013, 25, {1, 3, 'N', 'N'}},    {down(1.0133), 25, {1, 3, 'N', 'N'}},
        {500, 450, {19, 21, 'N', 'N'}},   {down(4000), 450, {34, 21, 'N', 'N'}},
        {5000, 300, {35, 13, 'N', 'N'}},  {up(5000), 300, {35, 13, 'W', 'N'}},
        {4000, 300, {35, 13, 'N', 'N'}},  {4500, 300, {35, 13, 'N', 'N'}},
        {down(6000), 300, {35, 13, 'W', 'N'}}, {6000, 300, {35, 13, 'E', 'N'}},
    });
    // Every pressure node k = 1..35 gives PIDX k, one ulp below gives k - 1.
    for (int k = 1; k <= 35; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(findpt(PGRID(k), 60).PIDX, k);  // 60 degC: no shift, no cap
        if (k > 1) {
            EXPECT_EQ(findpt(down(PGRID(k)), 60).PIDX, k - 1);
        }
    }
}

TEST(Findpt, TemperatureNodes) {
    expect_cases({
        {1.0, 0.01, {1, 3, 'N', 'N'}},   {1.0, 0, {1, 3, 'E', 'N'}},   {1.0, down(0.01), {1, 3, 'E', 'N'}},
        {4500, 25, {34, 3, 'N', 'N'}},   {4500, 50, {34, 3, 'N', 'N'}}, {4500, up(50), {35, 4, 'N', 'N'}},
        {4500, 0, {34, 3, 'E', 'N'}},    {7000, 20, {34, 3, 'E', 'N'}}, {1000, 600, {29, 36, 'N', 'N'}},
        {1000, up(600), {29, 36, 'W', 'N'}}, {1000, 700, {29, 36, 'W', 'N'}},
        {1000, up(700), {29, 36, 'E', 'N'}},
    });
    // A temperature node k = 3..36 gives TIDX k, one ulp above gives k + 1.
    for (int k = 3; k <= 36; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(findpt(5000, TGRID(k)).TIDX, k);
        if (k < 36) {
            EXPECT_EQ(findpt(5000, up(TGRID(k))).TIDX, k + 1);
        }
    }
}

TEST(Findpt, SaturationRows) {
    expect_cases({
        {0.5, 200, {2, 9, 'W', 'E'}},     {0.9, 100, {2, 5, 'W', 'W'}},
        {1.013, 110, {2, 6, 'N', 'W'}},   {up(1.013), 110, {2, 6, 'N', 'W'}},
        {down(1.0133), 110, {2, 6, 'N', 'W'}}, {1.0133, 110, {3, 6, 'N', 'W'}},
        {down(1.013), 110, {2, 6, 'N', 'E'}},  {1.0, 110, {2, 6, 'N', 'E'}},
        {2.321, 110, {3, 6, 'N', 'N'}},   {3.0, 130, {4, 7, 'N', 'W'}},
        {2.0, 130, {3, 7, 'N', 'E'}},     {1.0, 340, {2, 15, 'N', 'E'}},
        {-5, 300, {2, 13, 'E', 'E'}},
    });
}

TEST(Findpt, RowsAbove350) {
    expect_cases({
        {170, 375, {15, 16, 'N', 'W'}},   {260, 375, {15, 16, 'N', 'W'}},
        {300, 375, {15, 16, 'N', 'N'}},   {100, 375, {10, 16, 'N', 'E'}},
        {165.212, 375, {15, 16, 'N', 'W'}}, {down(165.212), 375, {11, 16, 'N', 'E'}},
        {down(300), 400, {15, 16, 'N', 'W'}},
        {210, 405, {14, 17, 'N', 'W'}},   {340, 405, {16, 17, 'N', 'W'}},
        {190, 405, {12, 17, 'N', 'E'}},   {350, 405, {16, 17, 'N', 'N'}},
        {720, 535, {24, 30, 'N', 'W'}},   {720, 545, {23, 31, 'N', 'N'}},
        {760, 545, {25, 31, 'N', 'W'}},   {720, 555, {23, 32, 'N', 'E'}},
        {down(700), 545, {22, 31, 'N', 'E'}},
        {850, 650, {26, 36, 'W', 'N'}},   {850, 595, {26, 36, 'N', 'E'}},
        {920, 650, {28, 36, 'W', 'W'}},   {700, 650, {23, 36, 'W', 'E'}},
        {down(800), 650, {24, 36, 'W', 'E'}}, {800, 650, {25, 36, 'W', 'N'}},
        {-1, 700, {1, 36, 'E', 'E'}},     {-1, up(700), {1, 36, 'E', 'N'}},
        {0.5, 650, {1, 36, 'W', 'E'}},    {5500, 650, {35, 36, 'W', 'N'}},
        {7000, 650, {35, 36, 'E', 'N'}},
    });
}

TEST(Findpt, NotANumberAndInfinities) {
    expect_cases({
        {kNaN, 100, {2, 5, 'E', 'W'}},   {kNaN, 200, {2, 9, 'E', 'E'}},
        {kNaN, 375, {1, 16, 'E', 'E'}},  {100, kNaN, {10, 3, 'E', 'N'}},
        {kNaN, kNaN, {1, 3, 'E', 'N'}},  {kInf, kInf, {35, 36, 'E', 'N'}},
        {-kInf, -kInf, {1, 3, 'E', 'N'}}, {-kNaN, 450, {1, 21, 'E', 'E'}},
        {kInf, 650, {35, 36, 'E', 'N'}}, {kNaN, 650, {1, 36, 'E', 'E'}},
    });
}

// Each row of the shift tables restated: the thresholds at their exact
// value, one ulp below and one ulp above, at the row's lowest and highest
// temperature. Shift and flag follow "below" (P < x) and the window [a, b).
TEST(Findpt, EveryRowAtItsThresholds) {
    struct Row {
        int TIDX;
        double shift_from;  // -inf for "every P below shift_to"
        double shift_to;
        double limit;       // NaN for no 'E' test
    };
    const double none = kNaN;
    const std::vector<Row> rows = {
        {5, -kInf, 1.0133, none},      {6, -kInf, 2.321, 1.013},     {7, -kInf, 4.758, 2.321},
        {8, -kInf, 8.919, 4.758},      {9, -kInf, 15.537, 8.919},    {10, -kInf, 25.479, 15.537},
        {11, -kInf, 39.737, 25.479},   {12, -kInf, 59.432, 39.737},  {13, -kInf, 85.839, 59.432},
        {14, -kInf, 120.458, 85.839},  {15, -kInf, 165.212, 120.458},
        {17, 200, 350, 200}, {18, 350, 400, 350}, {19, 350, 400, 350}, {20, 400, 450, 400},
        {21, 450, 500, 450}, {22, 450, 500, 450}, {23, 500, 550, 500}, {24, 550, 600, 550},
        {25, 550, 600, 550}, {26, 600, 650, 600}, {27, 600, 650, 600}, {28, 650, 700, 650},
        {29, 700, 750, 700}, {30, 700, 750, 700}, {31, 750, 800, 700}, {32, 800, 850, 800},
        {33, 800, 850, 800}, {34, 850, 900, 850}, {35, 900, 950, 900}, {36, 900, 950, 900},
    };
    auto pressure_index = [](double P) {
        int k = 1;
        while (k < 35 && P >= PGRID(k + 1)) ++k;
        return k;
    };
    for (const Row& row : rows) {
        std::vector<double> pressures;
        for (double x : {row.shift_from, row.shift_to, row.limit}) {
            if (std::isfinite(x)) pressures.insert(pressures.end(), {down(x), x, up(x)});
        }
        for (double T : {up(TGRID(row.TIDX - 1)), TGRID(row.TIDX)}) {
            for (double P : pressures) {
                SCOPED_TRACE(::testing::Message() << "TIDX " << row.TIDX << " T " << T << " P " << std::hexfloat << P);
                const bool shifted = P >= row.shift_from && P < row.shift_to;
                const bool flagged = !std::isnan(row.limit) && P < row.limit;
                const Stencil expected{pressure_index(P) + (shifted ? 1 : 0), row.TIDX, 'N',
                                       flagged ? 'E' : (shifted ? 'W' : 'N')};
                EXPECT_EQ(findpt(P, T), expected);
            }
        }
    }
}

TEST(Findpt, FlagsAreOnlyRaised) {
    // A flag no rule sets keeps whatever it held on entry.
    EXPECT_EQ(findpt(500, 300, 'x', 'y'), (Stencil{19, 13, 'x', 'y'}));
    EXPECT_EQ(findpt(170, 375, 'x', 'y'), (Stencil{15, 16, 'x', 'W'}));
    // Row T8 reads PTERR: only 'N' becomes 'W'.
    EXPECT_EQ(findpt(1000, 650, 'x', 'N'), (Stencil{29, 36, 'x', 'N'}));
    EXPECT_EQ(findpt(5500, 650), (Stencil{35, 36, 'W', 'N'}));
}

// FINDPT takes a quicker route on the grid; at every node, threshold and
// edge of that route, one ulp either side, and at random points around
// them, it must find what the rules find, whatever the flags held.
TEST(Findpt, QuickRouteAgreesWithTheRules) {
    std::vector<double> pressures = {1.0, 1.013, 4000, 5000, 6000, 0.0, -1.0, kNaN, kInf};
    for (int k = 1; k <= kPressureNodes; ++k) pressures.push_back(PGRID(k));
    for (double x : {165.212, 200.0, 250.0, 300.0, 350.0}) pressures.push_back(x);
    std::vector<double> temperatures = {0.01, 50, 75, 350, 400, 600, 700, 0.0, 701, kNaN};
    for (int k = 1; k <= kTemperatureNodes; ++k) temperatures.push_back(TGRID(k));
    for (std::vector<double>* values : {&pressures, &temperatures}) {
        for (std::size_t i = 0, n = values->size(); i < n; ++i) {
            const double x = (*values)[i];
            values->insert(values->end(), {down(x), up(x), x + 0.5, x - 0.5, x * 1.0000001});
        }
    }
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> pressure(0.5, 6500.0);
    std::uniform_real_distribution<double> temperature(0.0, 720.0);
    for (int i = 0; i < 1000; ++i) {
        pressures.push_back(pressure(random));
        temperatures.push_back(temperature(random));
    }
    const char flags[] = {'N', 'W', 'E', 'x'};
    for (double P : pressures) {
        for (double T : temperatures) {
            const char PTERR = flags[random() % 4];
            const char ISOERR = flags[random() % 4];
            Stencil rules{-100, -100, PTERR, ISOERR};
            find_rule_by_rule(P, T, rules.PIDX, rules.TIDX, rules.PTERR, rules.ISOERR);
            ASSERT_EQ(findpt(P, T, PTERR, ISOERR), rules) << std::hexfloat << "P " << P << " T " << T;
        }
    }
}

// For every pair of doubles, the stencil lies inside the table.
TEST(Findpt, StencilAlwaysInsideTheTable) {
    std::vector<double> specials = {kNaN, -kNaN, kInf, -kInf, 0.0, -0.0,
                                    std::numeric_limits<double>::denorm_min(),
                                    std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                                    0.01, 1.013, 6000, 700};
    for (int k = 1; k <= 37; ++k) specials.insert(specials.end(), {down(PGRID(k)), PGRID(k), up(PGRID(k))});
    for (int k = 1; k <= 36; ++k) specials.insert(specials.end(), {down(TGRID(k)), TGRID(k), up(TGRID(k))});
    std::mt19937_64 random(4);
    std::uniform_real_distribution<double> pressure(-100.0, 7000.0);
    std::uniform_real_distribution<double> temperature(-50.0, 800.0);
    for (int i = 0; i < 20000; ++i) {
        specials.push_back(i % 3 == 0 ? std::bit_cast<double>(random()) : (i % 3 == 1 ? pressure(random) : temperature(random)));
    }
    for (double P : specials) {
        for (double T : {specials[static_cast<std::size_t>(random() % specials.size())], 375.0, 25.0, 650.0}) {
            Stencil s = findpt(P, T);
            ASSERT_TRUE(s.PIDX >= 1 && s.PIDX <= 35 && s.TIDX >= 3 && s.TIDX <= 36)
                << std::hexfloat << P << " " << T << ": " << s;
            ASSERT_TRUE(s.PTERR == 'N' || s.PTERR == 'W' || s.PTERR == 'E');
            ASSERT_TRUE(s.ISOERR == 'N' || s.ISOERR == 'W' || s.ISOERR == 'E');
        }
    }
}

}  // namespace
}  // namespace logk
