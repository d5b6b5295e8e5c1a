#include "result/number_field.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "support/exact_field.h"

namespace logk {
namespace {

std::string number_field(double x, int width) {
    std::string out(static_cast<std::size_t>(width), '?');
    format_number_field(x, width, out.data());
    return out;
}

struct Row {
    double value;
    const char* field;
};

void expect_fields(int width, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::hexfloat << row.value << " width " << width);
        EXPECT_EQ(number_field(row.value, width), row.field);
    }
}

TEST(NumberField, ExactHalvesRoundAwayFromZero) {
    expect_fields(8, {{1.0625, "   1.063"}, {-2.0625, "  -2.063"}, {0.0625, "   0.063"},
                      {0.0005, "   0.001"} /* just above the half */, {2.5e-4, "   0.000"},
                      {-1.0625, "  -1.063"}, {1.9375, "   1.938"}, {4.0005, "   4.000"}});
    expect_fields(12, {{0.0625, "       0.063"}, {-0.0625, "      -0.063"}});
}

// Decimal halves that no double holds follow the value actually held.
TEST(NumberField, DecidesOnTheExactBinaryValue) {
    expect_fields(8, {{2.0005, "   2.001"}, {1.0005, "   1.000"}, {25.0005, "  25.000"},
                      {100.0005, " 100.001"}, {9999.9995, "9999.999"}, {0.1, "   0.100"},
                      {1.0133, "   1.013"}, {1.2345, "   1.234"}, {-1.2345, "  -1.234"}});
    expect_fields(12, {{-1.2345678, "      -1.235"}, {1234.5678, "    1234.568"}});
}

TEST(NumberField, ZeroHasNoSign) {
    expect_fields(8, {{0.0, "   0.000"}, {-0.0, "   0.000"}, {-0.0004, "   0.000"},
                      {-0.0006, "  -0.001"}, {std::nextafter(-0.0005, 0.0), "   0.000"}, {-0.0005, "  -0.001"}});
    expect_fields(12, {{-0.0004, "       0.000"}, {-0.0, "       0.000"}});
}

TEST(NumberField, LeadingZeroBelowOne) {
    expect_fields(8, {{0.5, "   0.500"}, {-0.5, "  -0.500"}, {0.01, "   0.010"}, {0.9995, "   1.000"}});
}

TEST(NumberField, AsterisksWhenTheTextDoesNotFit) {
    expect_fields(8, {{5000.0, "5000.000"}, {10000.0, "********"}, {-1000.0, "********"},
                      {-999.999, "-999.999"}, {-999.9996, "********"}, {-9999.9, "********"},
                      {12000.0, "********"}, {1e300, "********"}, {-1e300, "********"},
                      {std::numeric_limits<double>::max(), "********"}});
    expect_fields(12, {{123456789.0, "************"}, {-9999999.999, "-9999999.999"},
                       {99999999.999, "99999999.999"}, {99999999.9996, "************"},
                       {-10000000.0, "************"}, {1234.5678, "    1234.568"}});
}

TEST(NumberField, SubnormalsAndNonFiniteValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    expect_fields(8, {{1e-310, ".000E+00"}, {-1e-310, ".000E+00"},
                      {std::numeric_limits<double>::denorm_min(), ".000E+00"},
                      {std::numeric_limits<double>::min(), "   0.000"}});
    expect_fields(12, {{1e-310, "   0.000E+00"}, {-4.9e-324, "   0.000E+00"}, {nan, " NaN        "},
                       {-nan, " NaN        "}, {inf, " Infinity   "}, {-inf, " -Infinity  "}});
}

TEST(NumberField, IntegerFields) {
    struct IntRow {
        int value;
        const char* field;
    };
    for (const IntRow& row : {IntRow{5, " 5"}, {0, " 0"}, {37, "37"}, {99, "99"}, {-9, "-9"},
                              {100, "**"}, {-10, "**"}, {-100, "**"}, {2147483647, "**"},
                              {-2147483647 - 1, "**"}}) {
        std::string out(2, '?');
        format_integer_field(row.value, 2, out.data());
        EXPECT_EQ(out, row.field) << row.value;
    }
}

std::string reference_field(double x, int width) {
    std::string text = testing::exact_number_field(x, width);
    return text.empty() ? number_field(x, width) : text;  // special forms are pinned above
}

TEST(NumberField, AgreesWithExactDecimalExpansion) {
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> exponent(-12.0, 10.0);
    for (int i = 0; i < 60000; ++i) {
        double x;
        switch (i % 4) {
            case 0: x = std::pow(10.0, exponent(random)); break;                    // all magnitudes
            case 1: x = static_cast<double>(random() % 20000000) / 2000.0; break;   // near halves
            case 2: x = static_cast<double>(random() % 200000000) / 16.0; break;    // exact halves
            default: x = std::bit_cast<double>(random()); break;                    // any bit pattern
        }
        if (random() % 2) x = -x;
        // Step a few ulps around the value to land on the rounding edges.
        if (i % 8 >= 4) x = std::nextafter(x, (i % 8 == 4) ? 0.0 : x * 2);
        for (int width : {8, 12}) {
            ASSERT_EQ(number_field(x, width), reference_field(x, width)) << std::hexfloat << x;
        }
    }
}

}  // namespace
}  // namespace logk
