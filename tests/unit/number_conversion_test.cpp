#include "reader/number_conversion.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "reader/simple_number.h"

namespace logk {
namespace {

struct Converts {
    const char* field;
    double value;
};

// The value must come back with exactly these bits: signs of zero included.
void expect_converts(const Converts& row) {
    SCOPED_TRACE(row.field);
    std::string scratch;
    ASSERT_EQ(numeric_syntax_message(row.field), 0);
    std::optional<double> got = convert_numeric(row.field, scratch);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*got), std::bit_cast<std::uint64_t>(row.value))
        << *got << " vs " << row.value;
}

TEST(NumberConversion, ExponentForms) {
    for (const Converts& row : {
             Converts{"1.0D2", 100.0}, {"1.0Q2", 100.0}, {"1.0e+2", 100.0}, {"1.0+2", 100.0},
             {"100", 100.0}, {"1.5-3", 0.0015}, {"2+2", 200.0}, {"1.5E", 1.5}, {"1.5d", 1.5},
             {"1.5-", 1.5}, {"2.5q-1", 0.25}, {"-3E0001", -30.0}, {"1e+00000000003", 1000.0},
             {"+7", 7.0}, {"25", 25.0}, {".5", 0.5}, {"5.", 5.0}, {"-.25D+1", -2.5},
         }) {
        expect_converts(row);
    }
}

TEST(NumberConversion, ZeroMantissaIsPositiveZero) {
    for (const Converts& row : {
             Converts{"-", 0.0}, {".", 0.0}, {"-0", 0.0}, {"0E999", 0.0}, {"-0.000E-5", 0.0},
             {"0E99999", 0.0}, {"+", 0.0}, {"-E5", 0.0}, {"--", 0.0},
         }) {
        expect_converts(row);
    }
}

TEST(NumberConversion, RoundsToNearestDouble) {
    for (const Converts& row : {
             Converts{"0.1", 0.1},
             {"2.0005", 2.0005},
             {"9007199254740993", 9007199254740992.0},  // halfway: ties to even
             {"9007199254740995", 9007199254740996.0},
             {"1.7976931348623158D308", std::numeric_limits<double>::max()},
             {"123456789012345678901234567890", 1.2345678901234568e29},
             {"0.000000000000000000000000000000000000000000000000001e51", 1.0},
         }) {
        expect_converts(row);
    }
}

TEST(NumberConversion, UnderflowAndSubnormals) {
    const double min_subnormal = std::numeric_limits<double>::denorm_min();
    for (const Converts& row : {
             Converts{"1E-400", 0.0}, {"-1E-400", -0.0}, {"-1E-10000", -0.0}, {"1-99999", 0.0},
             {"1e-310", 1e-310}, {"-1D-310", -1e-310}, {"4.9e-324", min_subnormal},
             {"2.5E-324", min_subnormal}, {"2E-324", 0.0}, {"-2E-324", -0.0},
             {"2.2250738585072014e-308", std::numeric_limits<double>::min()},
         }) {
        expect_converts(row);
    }
}

TEST(NumberConversion, FieldsThatDoNotConvert) {
    for (const char* field : {
             "1E+-5", "1+5-3", "1E5.0", "1-5.0", "1+5E3", "1E400", "-1E400", "1.7976931348623159e308",
             "1E10000", "1E+00000000010000", "1++", "5-+3",
         }) {
        SCOPED_TRACE(field);
        std::string scratch;
        EXPECT_EQ(numeric_syntax_message(field), 0);
        EXPECT_FALSE(convert_numeric(field, scratch).has_value());
    }
}

TEST(NumberConversion, SyntaxErrors) {
    for (const char* field : {"1.2.3", "1E5E3", "E5", "e5", "D1", "q", "NaN", "12a", "Inf", "1,5",
                              "1 5", "", "\xEF\xBB\xBF" "1", "1*2", "1\f", "(1"}) {
        SCOPED_TRACE(field);
        EXPECT_EQ(numeric_syntax_message(field), 59);
    }
}

TEST(NumberConversion, RepeatCounts) {
    struct Row {
        const char* text;
        std::optional<std::int32_t> count;
    };
    for (const Row& row : {
             Row{"3", 3}, {"+3", 3}, {"-2", -2}, {"0", 0}, {"007", 7}, {"2147483647", 2147483647},
             {"1.5", std::nullopt}, {"2147483648", std::nullopt}, {"", std::nullopt},
             {"+", std::nullopt}, {"-", std::nullopt}, {"+-2", std::nullopt}, {"2E1", std::nullopt},
         }) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(convert_repeat_count(row.text), row.count);
    }
}

// A long mantissa in a non-C form goes through the scratch space; the value
// must still be correctly rounded.
TEST(NumberConversion, LongMantissaWithRewrittenExponent) {
    std::string field = "0." + std::string(5000, '0') + "15D+5001";
    std::string scratch;
    std::optional<double> got = convert_numeric(field, scratch);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, 1.5);
}

}  // namespace
}  // namespace logk

namespace logk {
namespace {

// Converts `field` with the one-pass conversion. Digits follow the field's
// end, as the next record's would in the reader's buffer, so that a
// conversion running past the end would show. Returns the length taken, or
// -1 when the field is left to the general rules.
std::ptrdiff_t convert_padded(std::string_view field, double& value) {
    const std::string text = std::string(field) + "7777";
    const char* stop = convert_simple_numeric(text.data(), text.data() + field.size(), value);
    return stop == nullptr ? -1 : stop - text.data();
}

// Converts `field` with the conversion of whole lines, the field ended by
// `delimiter` and followed by digits, as the next line's would be. Returns
// the length taken, or -1 when the field is left to the other conversions.
std::ptrdiff_t convert_quick(std::string_view field, char delimiter, double& value) {
    const std::string text = std::string(field) + delimiter + std::string(kQuickWindow, '7');
    const char* stop = convert_quick_number(text.data(), value);
    return stop == nullptr ? -1 : stop - text.data();
}

// The one-pass conversions must agree with the general rules, bit for bit,
// on every field they accept, and accept the everyday forms.
TEST(NumberConversion, FastPathAgreesWithTheGeneralRules) {
    std::mt19937_64 random(7);
    const std::string alphabet = "0123456789.+-EeDdQq";
    int accepted = 0;
    int quick_accepted = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string field;
        const std::size_t length = 1 + random() % 14;
        for (std::size_t j = 0; j < length; ++j) {
            field += (random() % 3 == 0) ? alphabet[random() % alphabet.size()] : alphabet[random() % 10];
        }
        double fast = 0;
        double quick = 0;
        const std::ptrdiff_t taken = convert_padded(field, fast);
        const std::ptrdiff_t quick_taken = convert_quick(field, " ,/)\t\r\n"[random() % 7], quick);
        if (taken < 0 && quick_taken < 0) continue;
        ++accepted;
        ASSERT_EQ(numeric_syntax_message(field), 0) << field;
        std::string scratch;
        std::optional<double> general = convert_numeric(field, scratch);
        ASSERT_TRUE(general.has_value()) << field;
        if (taken >= 0) {
            ASSERT_EQ(taken, static_cast<std::ptrdiff_t>(field.size())) << field;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(*general)) << field;
        }
        if (quick_taken >= 0) {
            ++quick_accepted;
            ASSERT_EQ(quick_taken, static_cast<std::ptrdiff_t>(field.size())) << field;
            ASSERT_EQ(std::bit_cast<std::uint64_t>(quick), std::bit_cast<std::uint64_t>(*general)) << field;
        }
    }
    EXPECT_GT(accepted, 20000);
    EXPECT_GT(quick_accepted, 20000);
    for (const char* field : {"3200.502", "-5.1513E+03", "2.5D3", "1.2345+2", "413", "0.01", "-0", "3000.00000",
                              "+.5q-1", "1234567.1234567"}) {
        double value = 0;
        EXPECT_EQ(convert_padded(field, value), static_cast<std::ptrdiff_t>(std::strlen(field))) << field;
        EXPECT_EQ(convert_quick(field, '\n', value), static_cast<std::ptrdiff_t>(std::strlen(field))) << field;
    }
}

// The field ends at a delimiter; anything else is left to the general rules.
TEST(NumberConversion, FastPathStopsAtDelimitersOnly) {
    struct Row {
        const char* text;
        std::ptrdiff_t stop;  // -1: not accepted
    };
    for (const Row& row : {Row{"12 5", 2}, {"12,5", 2}, {"12/", 2}, {"12)", 2}, {"1.5\t", 3},
                           {"2*5", -1}, {"12a", -1}, {"1.2.3", -1}, {"1E5E3", -1}, {"1E5.0", -1},
                           {"E5", -1}, {".", -1}, {"1E12345", -1}, {"12345678901234567890", -1},
                           {"1e-30", -1}, {"1(", -1}}) {
        double value = 0;
        EXPECT_EQ(convert_padded(row.text, value), row.stop) << row.text;
    }
}

// Digit runs of any length up to 19 in all, across the point, with their
// leading and trailing zeros.
TEST(NumberConversion, FastPathDigitRuns) {
    struct Row {
        const char* text;
        double value;  // NaN: left to the general rules
    };
    const double kNotTaken = std::numeric_limits<double>::quiet_NaN();
    for (const Row& row : {Row{"7", 7.0}, {"12345678", 12345678.0}, {"123456789", 123456789.0},
                           {"12345678.5", 12345678.5}, {"0.00000001", 1e-8}, {"-7.25e1", -72.5},
                           {"123456789012345", 123456789012345.0}, {"1234567.8901234", 1234567.8901234},
                           {"00000000000000000001", kNotTaken}, {"000000000", 0.0}, {".5", 0.5}, {"5.", 5.0}}) {
        double value = 0;
        const std::ptrdiff_t taken = convert_padded(row.text, value);
        if (std::isnan(row.value)) {
            EXPECT_EQ(taken, -1) << row.text;
            continue;
        }
        EXPECT_EQ(taken, static_cast<std::ptrdiff_t>(std::strlen(row.text))) << row.text;
        EXPECT_EQ(value, row.value) << row.text;
    }
}

}  // namespace
}  // namespace logk
