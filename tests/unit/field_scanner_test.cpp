#include "reader/field_scanner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/memory_file.h"

namespace logk {
namespace {

constexpr double U = -9999.9;  // a destination the input left alone

struct Request {
    ReadOutcome::Status status;
    int message;
    std::vector<double> values;
};

// Serves `requests` requests of `count` destinations each from `content`.
std::vector<Request> scan(const std::string& content, int count, int requests = 1,
                          bool end_allowed = true, std::size_t buffer = 8) {
    int fd = testing::memory_file(content);
    InputFile file(fd, 12, "/x/PT.dat", buffer);
    std::vector<Request> out;
    for (int r = 0; r < requests; ++r) {
        std::vector<double> values(static_cast<std::size_t>(count), U);
        std::vector<double*> destinations;
        for (double& value : values) destinations.push_back(&value);
        ReadOutcome outcome = read_values(file, destinations, end_allowed);
        out.push_back({outcome.status, outcome.message, values});
        if (outcome.status != ReadOutcome::complete) break;
    }
    ::close(fd);
    return out;
}

std::string describe(const std::vector<double>& values) {
    std::string text;
    for (double v : values) text += (v == U ? std::string("U") : std::to_string(v)) + " ";
    return text;
}

struct Complete {
    std::string input;
    std::vector<double> values;
};

// Each row is one request that completes with these values, bit for bit.
void expect_complete(const std::vector<Complete>& rows) {
    for (const Complete& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.input));
        std::vector<Request> got = scan(row.input, static_cast<int>(row.values.size()));
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].status, ReadOutcome::complete) << got[0].message;
        ASSERT_EQ(got[0].values.size(), row.values.size());
        for (std::size_t i = 0; i < row.values.size(); ++i) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got[0].values[i]),
                      std::bit_cast<std::uint64_t>(row.values[i]))
                << "got " << describe(got[0].values);
        }
    }
}

struct Fails {
    std::string input;
    int message;
};

void expect_failure(const std::vector<Fails>& rows, int count = 2) {
    for (const Fails& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.input));
        std::vector<Request> got = scan(row.input, count);
        EXPECT_EQ(got.back().status, ReadOutcome::failed);
        EXPECT_EQ(got.back().message, row.message);
    }
}

TEST(FieldScanner, BlanksAndLineEndsSeparate) {
    expect_complete({
        {"100 300", {100, 300}},
        {"  100\t\t300  ", {100, 300}},
        {"100\n300", {100, 300}},
        {"100\r\n\r\n   \n300\r\n", {100, 300}},
        {"100 200 abc", {100, 200}},
        {"100 200 300", {100, 200}},
        {"\n\n100\n\n200", {100, 200}},
    });
}

TEST(FieldScanner, CommasSeparateOnceThenGiveNulls) {
    expect_complete({
        {"1,2", {1, 2}},
        {"1 , 2", {1, 2}},
        {"1,\n2", {1, 2}},
        {"1\n,2", {1, 2}},       // a comma at the start of a continuation line
        {"1,,2", {1, U, 2}},
        {"1,\n,2", {1, U, 2}},
        {",,2", {U, U, 2}},
        {",300", {U, 300}},
        {"100,,", {100, U}},
        {"1,,,2", {1, U, U, 2}},
        {"1, ,2", {1, U, 2}},
    });
}

TEST(FieldScanner, SlashEndsTheRequest) {
    expect_complete({
        {"100/", {100, U}},
        {"100 /", {100, U}},
        {"/", {U, U}},
        {"/ 1 2", {U, U}},
        {"1,/", {1, U}},
        {"1\n/\n2", {1, U}},
        {"2*5/", {5, 5, U}},
        {"1 2*/ 3", {1, U, U}},
    });
}

TEST(FieldScanner, RepeatCounts) {
    expect_complete({
        {"2*5.5", {5.5, 5.5}},
        {"2*", {U, U}},
        {"3*1", {1, 1}},              // what is left of the count is dropped
        {"0*5 7", {5, 7}},
        {"-2*5 7", {5, 7}},
        {"1*5 6", {5, 6}},
        {"2*,5", {U, U, 5}},          // the comma after 'r*' is its separator
        {"2* ,5", {U, U, 5}},
        {"2*5,,7", {5, 5, U, 7}},
        {"2*T", {-1, -1}},
        {"2*(1.5,2)", {1.5, 1.5}},
        {"+2*1D1", {10, 10}},
        {"1 2*3 4", {1, 3, 3, 4}},
    });
    expect_failure({
        {"1.5*2", 64},
        {"2147483648*1", 64},
        {"2*'a'", 64},
        {"2*1E400", 64},
        {"*5", 59},
        {"2*3*4", 59},
        {"E*2", 59},
        {"2*)", 59},
        {"2*abc", 59},
    });
}

TEST(FieldScanner, RepeatCountEndsWithTheRequest) {
    std::vector<Request> got = scan("3*7\n8 9\n", 2, 2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].values, (std::vector<double>{7, 7}));
    EXPECT_EQ(got[1].values, (std::vector<double>{8, 9}));
}

TEST(FieldScanner, TruthValues) {
    expect_complete({
        {"T F", {-1, 0}},
        {".true. .false.", {-1, 0}},
        {"Tuesday f", {-1, 0}},
        {"T7 .F", {-1, 0}},
        {"t,.t", {-1, -1}},
        {"Tx(y' 2", {-1, 2}},
    });
}

TEST(FieldScanner, QuotedTextIsNeverANumber) {
    expect_failure({
        {"'abc'", 64},
        {"\"abc\"", 64},
        {"'it''s' 1", 64},
        {"\"a\"\"b\" 1", 64},
        {"'over\nrecords' 1", 64},
        {"1 'x", 24},                           // still open at the end of the file
        {"'" + std::string(2049, 'x') + "'", 64},
        {"'" + std::string(2050, 'x') + "'", 59},
    });
}

TEST(FieldScanner, ParenthesisedPairs) {
    expect_complete({
        {"(1.5,2) 3", {1.5, 3}},
        {"( 1.5 ,2)", {1.5}},
        {"(\n1.5\n,-2.5E3)", {1.5}},
        {"(1,+2.)(3,4D1)", {1, 3}},
        {"(1,2),3", {1, 3}},
        {"(-1D1,2e3) 4", {-10, 4}},
        {"(1,2.)(3,4E)", {1, 3}},
    });
    expect_failure({
        {"(1, 2)", 59},       // nothing may stand between the comma and ')'
        {"(1,2", 59},
        {"(1,(2)", 59},
        {"((1,2)", 59},
        {"(1 2)", 59},
        {"(T,2)", 59},
        {"(,2)", 59},
        {"(1,2 )", 59},
        {"(100,1E+2) 200", 59},  // the second number's exponent takes no sign
        {"(1,2d-5)", 59},
        {"(1E400,2)", 64},
        {"(", 24},
        {"(1", 24},
    });
}

TEST(FieldScanner, SyntaxAndConversionErrors) {
    expect_failure({
        {")", 59},
        {"100 abc", 59},
        {"1.2.3 1", 59},
        {"1E5E3 1", 59},
        {"E5 1", 59},
        {"NaN 1", 59},
        {"12a 1", 59},
        {"\xEF\xBB\xBF" "100 200", 59},   // a UTF-8 byte-order mark
        {"\f1 2", 59},
        {std::string("1\0 2", 4), 59},
        {"1E5.0 1", 64},
        {"1 1.0E+-5", 64},
        {"1E400 1", 64},
        {"1 1E400", 64},
        {"1E400 abc", 64},      // reported at once, before the next field
    });
}

TEST(FieldScanner, EndOfFile) {
    for (const std::string& input : {std::string(""), std::string("\n\n  \t\n"), std::string("\x1a\n1 2\n")}) {
        SCOPED_TRACE(::testing::PrintToString(input));
        std::vector<Request> got = scan(input, 2);
        EXPECT_EQ(got.back().status, ReadOutcome::end_of_file);
        got = scan(input, 2, 1, false);
        EXPECT_EQ(got.back().status, ReadOutcome::failed);
        EXPECT_EQ(got.back().message, 24);
    }
    // A value read before the end of the file keeps its value.
    std::vector<Request> got = scan("100\n", 2);
    EXPECT_EQ(got[0].status, ReadOutcome::end_of_file);
    EXPECT_EQ(got[0].values, (std::vector<double>{100, U}));
    got = scan("100,\n\n", 2);
    EXPECT_EQ(got[0].status, ReadOutcome::end_of_file);
}

TEST(FieldScanner, EachRequestStartsAFreshRecord) {
    struct Row {
        std::string input;
        int count;
        std::vector<std::vector<double>> requests;
    };
    const std::vector<Row> rows = {
        {"1 2 3 4\n5 6 7\n", 3, {{1, 2, 3}, {5, 6, 7}}},
        {"1 2\n3\n4 5 6", 3, {{1, 2, 3}, {4, 5, 6}}},
        {"100\n200 300\n400 500", 2, {{100, 200}, {400, 500}}},
        {"1,\n2 3\n", 2, {{1, 2}}},
        {"1 2\r\n3 4\r\n", 2, {{1, 2}, {3, 4}}},
        {"1 2\n/\n3 4", 2, {{1, 2}, {U, U}, {3, 4}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.input));
        std::vector<Request> got = scan(row.input, row.count, 10);
        ASSERT_EQ(got.size(), row.requests.size() + 1);
        for (std::size_t i = 0; i < row.requests.size(); ++i) {
            EXPECT_EQ(got[i].status, ReadOutcome::complete);
            EXPECT_EQ(got[i].values, row.requests[i]);
        }
        EXPECT_EQ(got.back().status, ReadOutcome::end_of_file);
    }
}

// A line that is the byte 26 alone ends the file for good, even with lines
// of numbers after it in the same read.
TEST(FieldScanner, NothingIsReadAfterTheEndMarker) {
    for (std::size_t buffer : {8, 4096}) {
        int fd = testing::memory_file("1 2\n\x1a\n3 4\n5 6\n");
        InputFile file(fd, 12, "/x/PT.dat", buffer);
        double P = U, T = U;
        const std::vector<double*> point = {&P, &T};
        EXPECT_EQ(read_values(file, point, true).status, ReadOutcome::complete);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(read_values(file, point, true).status, ReadOutcome::end_of_file);
        EXPECT_EQ(P, 1);
        EXPECT_EQ(T, 2);
        ::close(fd);
    }
}

// A point's line is served in one pass when it holds two plain numbers and
// has been read in full; anything else falls back to the general rules. A
// request of five values always takes the general rules, and its first two
// values follow the same steps as a request of two: so the two must agree
// on those values and on how a failure ends, whatever the line holds, however
// it ends, and wherever the reads cut the text.
TEST(FieldScanner, PointLinesAgreeWithTheGeneralRules) {
    const std::vector<std::string> pieces = {
        "12", "-3.5", "+0.25", "1E3", "2D-1", "1.5-3", "7.", ".5", "0", "-0", "123456789012", "1e400",
        " ", " ", " ", "\t", ",", ",", "/", "*", "2*", "(", ")", "(1,2)", "'", "T", ".f", "x", ".", "+",
        "\r", "\x1a"};
    const std::vector<std::string> endings = {"\n", "\r\n", ""};
    std::mt19937_64 random(5);
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int j = 0; j < count; ++j) line += pieces[random() % pieces.size()];
        const std::string& ending = endings[random() % endings.size()];
        // Lines after it give the one-pass reading the text it looks ahead into.
        std::string after;
        for (int k = 0; k < 8 && !ending.empty(); ++k) after += "1 2 3 4 5\n";
        const std::string content = "1 2\n" + line + ending + after;
        const std::size_t buffer = random() % 2 ? 8 : 4096;
        SCOPED_TRACE(::testing::PrintToString(line + ending) + " buffer " + std::to_string(buffer));
        const std::vector<Request> point = scan(content, 2, 2, true, buffer);
        ASSERT_EQ(point[0].status, ReadOutcome::complete);
        ASSERT_EQ(point.size(), 2u);
        const std::vector<Request> general = scan(content.substr(4), 5, 1, true, buffer);
        if (point[1].status == ReadOutcome::complete) {
            for (std::size_t k = 0; k < 2; ++k) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(point[1].values[k]),
                          std::bit_cast<std::uint64_t>(general[0].values[k]));
            }
        } else {
            EXPECT_EQ(point[1].status, general[0].status);
            EXPECT_EQ(point[1].message, general[0].message);
        }
    }
}

}  // namespace
}  // namespace logk
