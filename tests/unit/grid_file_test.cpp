#include "reader/grid_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "grid/logk_table.h"
#include "reader/table_rows.h"
#include "support/memory_file.h"

namespace logk {
namespace {

constexpr double N = std::numeric_limits<double>::quiet_NaN();  // a missing value, or `sat`

struct Read {
    bool read;
    GridFileTable table;
    GridFileFailure failure;
};

// `content` read as a table file of this form, through a buffer of
// `buffer` bytes, so that lines cross refills.
Read read(const std::string& content, std::size_t buffer = 16) {
    int fd = testing::memory_file(content);
    InputFile file(fd, 11, "/x/calcite.dat", buffer);
    Read out{};
    out.read = read_grid_file(file, out.table, out.failure);
    ::close(fd);
    return out;
}

std::vector<std::uint64_t> bits(const std::vector<double>& values) {
    std::vector<std::uint64_t> out;
    for (double v : values) out.push_back(std::bit_cast<std::uint64_t>(v));
    return out;
}

struct Accepted {
    std::string content;
    std::vector<double> pressures, temperatures, values;
    bool along_one_line = false;
};

void expect_accepted(const std::vector<Accepted>& rows) {
    for (const Accepted& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.content));
        const Read got = read(row.content);
        ASSERT_TRUE(got.read) << got.failure.message << " at " << got.failure.line << ":" << got.failure.column
                              << ": " << got.failure.detail;
        EXPECT_EQ(bits(got.table.pressures), bits(row.pressures));
        EXPECT_EQ(bits(got.table.temperatures), bits(row.temperatures));
        EXPECT_EQ(bits(got.table.values), bits(row.values));
        EXPECT_EQ(got.table.along_one_line, row.along_one_line);
    }
}

struct Refused {
    std::string content;
    int message;
    std::int64_t line, column;
    std::string detail;  // a fragment of it
};

void expect_refused(const std::vector<Refused>& rows) {
    for (const Refused& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.content));
        const Read got = read(row.content);
        ASSERT_FALSE(got.read);
        EXPECT_EQ(got.failure.message, row.message);
        EXPECT_EQ(got.failure.line, row.line);
        EXPECT_EQ(got.failure.column, row.column);
        EXPECT_NE(got.failure.detail.find(row.detail), std::string::npos) << got.failure.detail;
    }
}

const std::string H = "P\\T 25 100 200\n";  // a header of three temperatures, blank-separated
const std::string C = "P\\T,25,100,200\n";   // the same, comma-separated

TEST(GridFile, SeparatorsAndLineEnds) {
    const std::vector<double> T = {25, 100, 200};
    const std::vector<double> P = {1, 2, 3};
    const std::vector<double> V = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    expect_accepted({
        {H + "1 1 2 3\n2 4 5 6\n3 7 8 9\n", P, T, V},
        {"P\\T\t25\t100\t200\n1\t1\t2\t3\n2\t4\t5\t6\n3\t7\t8\t9\n", P, T, V},
        {"  P\\T \t 25  100\t200  \n \t1 1  2 3\t\n2 4 5 6 \n3 7 8 9", P, T, V},  // no LF at the end
        {"P\\T 25 100 200\r\n1 1 2 3\r\n2 4 5 6\n3 7 8 9\r\n", P, T, V},
        {C + "1,1,2,3\n2,4,5,6\n3,7,8,9\n", P, T, V},
        {"P\\T , 25 ,\t100,200 \r\n 1 ,1, 2 , 3\r\n2,\t4,5,6\n3,7,8,9  ", P, T, V},
        // The comma form's first field may hold blanks.
        {"P (bar) \\ T (C), 25, 100, 200\n1,1,2,3\n2,4,5,6\n3,7,8,9\n", P, T, V},
        // A word may begin with an exponent letter: the free-form reader refuses that too.
        {"Depth 25 100 200\n1 1 2 3\n2 4 5 6\n3 7 8 9\n", P, T, V},
        {"e 25 100 200\n1 1 2 3\n2 4 5 6\n3 7 8 9\n", P, T, V},
    });
}

TEST(GridFile, MissingValues) {
    const std::vector<double> T = {25, 100, 200};
    const std::vector<double> P = {1, 2, 3};
    expect_accepted({
        {H + "1 nan 2 3\n2 4 NaN 6\n3 7 8 NAN\n", P, T, {N, 2, 3, 4, N, 6, 7, 8, N}},
        {C + "1,,2,3\n2,4, ,6\n3,7,8,\n", P, T, {N, 2, 3, 4, N, 6, 7, 8, N}},
        {C + "1, , ,\n2,nan,nAn,\t\n3,7,8,9\n", P, T, {N, N, N, N, N, N, 7, 8, 9}},
        // The brief's own example, with a third row.
        {"# calcite (comment lines start with #)\n"
         "P\\T, 25, 100, 200, 300, 400, 500\n"
         "100, -8.48, -9.39, -10.99, -12.87, ,\n"
         "500, -8.50, -9.40, -10.95, -12.70, -14.9, -17.3\n"
         "1000, -8.6, -9.5, -11.0, -12.6, -14.5, -16.8\n",
         {100, 500, 1000},
         {25, 100, 200, 300, 400, 500},
         {-8.48, -9.39, -10.99, -12.87, N, N, -8.50, -9.40, -10.95, -12.70, -14.9, -17.3, -8.6, -9.5, -11.0, -12.6,
          -14.5, -16.8}},
    });
}

// Numbers read as in the other table files.
TEST(GridFile, NumbersInTheFreeFormNotation) {
    expect_accepted({
        {"P\\T 25 1.0E+2 1.5D2 2+2\n1 1.5-3 1.5E -0 -1E-400\n1D1 0.1 1Q0 +.5 -.5e1\n1E2 -7 7. .7 0E999\n",
         {1, 10, 100},
         {25, 100, 150, 200},
         {0.0015, 1.5, 0.0, -0.0, 0.1, 1, 0.5, -5, -7, 7, 0.7, 0.0}},
        {"P\\T -10 -5 0.0\n-1E1 1 2 3\n-0 4 5 6\n1E-320 7 8 9\n",
         {-10, 0.0, 1E-320},  // a subnormal
         {-10, -5, 0},
         {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    });
}

TEST(GridFile, TablesAlongOneLine) {
    const std::vector<double> T = {25, 100, 200};
    expect_accepted({
        {H + "sat 1 2 3\n", {N}, T, {1, 2, 3}, true},
        {H + "SAT -1 nan -3\n", {N}, T, {-1, N, -3}, true},
        {C + " Sat ,1,,3\n", {N}, T, {1, N, 3}, true},
        {H + "500 1 2 3\n", {500}, T, {1, 2, 3}, true},
        {H + "-1E3 1 2 3\n\n# done\n", {-1000}, T, {1, 2, 3}, true},
    });
}

TEST(GridFile, CommentAndBlankLinesArePassedOver) {
    const std::vector<double> T = {25, 100, 200};
    expect_accepted({
        {"# a\n  # b\n\t#c\n\n \t \n" + H + "# between\n1 1 2 3\n\n2 4 5 6\n   #\n3 7 8 9\n# after\n\n",
         {1, 2, 3}, T, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"\r\n#\r\n" + H + "#x\r\nsat 1 2 3\r\n\r\n", {N}, T, {1, 2, 3}, true},
        {H + "1 1 2 3\n2 4 5 6\n3 7 8 9\n\x1a\nanything\n", {1, 2, 3}, T, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    });
}

TEST(GridFile, HeaderRefusals) {
    expect_refused({
        {"# c\n25 100 200 300\n1 1 2 3\n", 59, 2, 1, "no word"},
        {"# c\nT\\P 25 100 200\n", 59, 2, 1, "no word"},
        {"# c\nfoo 25 100 200\n", 59, 2, 1, "no word"},
        {"# c\n  .5 25 100 200\n", 59, 2, 3, "no word"},
        {"# c\n, 25, 100, 200\n", 59, 2, 1, "no word"},
        {"# c\n'P' 25 100 200\n", 59, 2, 1, "no word"},
        {"# c\n(P) 25 100 200\n", 59, 2, 1, "no word"},
        {"P\\T 25 100\n1 1 2\n", 59, 1, 11, "2 temperature nodes"},
        {"P\\T\n", 59, 1, 4, "0 temperature nodes"},
        {"P\\T, 25, 100,\n", 59, 1, 14, "temperature node is missing"},
        {"P\\T,25,,200,300\n", 59, 1, 8, "temperature node is missing"},
        {"P\\T 25 abc 200\n", 59, 1, 8, "temperature node is no number"},
        {"P\\T 25 nan 200\n", 59, 1, 8, "temperature node is nan"},
        {"P\\T 25 2*100 200\n", 59, 1, 8, "temperature node is no number"},
        {"P\\T 25 inf 200\n", 59, 1, 8, "temperature node is no number"},
        {"P\\T 25 1E400 500\n", 64, 1, 8, "temperature node cannot be converted"},
        {"P\\T 25 1E+-5 500\n", 64, 1, 8, "temperature node cannot be converted"},
        {"P\\T 25 200 100\n", 64, 1, 12, "temperature node is not above"},
        {"P\\T 25 100 100\n", 64, 1, 12, "temperature node is not above"},
        {"P\\T 0 -0 5\n", 64, 1, 7, "temperature node is not above"},  // -0 reads as +0
    });
}

TEST(GridFile, PressureNodeRefusals) {
    expect_refused({
        {H + "abc 1 2 3\n", 59, 2, 1, "pressure node is no number"},
        {H + "nan 1 2 3\n", 59, 2, 1, "pressure node is nan"},
        {H + "1E999 1 2 3\n", 64, 2, 1, "pressure node cannot be converted"},
        {"P\\T, 25, 100, 200\n , 1, 2, 3\n", 59, 2, 2, "pressure node is missing"},
        {H + "2 1 2 3\n1 1 2 3\n", 64, 3, 1, "pressure node is not above"},
        {H + "1 1 2 3\n2 1 2 3\n# c\n  2 1 2 3\n", 64, 5, 3, "pressure node is not above"},
        // The comma form throughout: a row separated by blanks is one field.
        {C + "1 2 3 4\n", 59, 2, 1, "pressure node is no number"},
    });
}

TEST(GridFile, RowsOfTooFewOrTooManyValues) {
    expect_refused({
        {H + "1 2 3\n", 59, 2, 6, "2 values where the header names 3"},
        {H + "1 2 3   \n", 59, 2, 6, "2 values where the header names 3"},
        {H + "1\n", 59, 2, 2, "0 values"},
        {H + "1 2 3 4 5\n", 59, 2, 9, "4 values where the header names 3"},
        {C + "1, 2,3\n", 59, 2, 7, "2 values"},
        {C + "1,2,3,4,\n", 59, 2, 9, "4 values"},   // a comma after the last value adds an empty one
        {C + "1,2,3,4,5\n", 59, 2, 9, "4 values"},
        // A fault before the surplus shows first.
        {H + "1 x 3 4 5\n", 59, 2, 3, "value is no number"},
    });
}

TEST(GridFile, SatOnlyInASingleRow) {
    expect_refused({
        {H + "sat 1 2 3\n4 5 6 7\n", 59, 3, 1, "a second data row"},
        {H + "sat 1 2 3\n  \n# c\n  sat 5 6 7\n", 59, 5, 3, "a second data row"},
        {H + "1 1 2 3\nsat 1 2 3\n", 59, 3, 1, "sat stands only"},
        {H + "1 1 2 3\n2 1 2 3\nSat 1 2 3\n", 59, 4, 1, "sat stands only"},
        {H + "sat 1 2\n", 59, 2, 8, "2 values"},
    });
}

TEST(GridFile, EndsTooEarly) {
    expect_refused({
        {"", 24, 0, 0, "before its header"},
        {"# a\n  \n", 24, 2, 0, "before its header"},
        {"\x1a\nP\\T 1 2 3\n", 24, 1, 0, "before its header"},
        {H, 24, 1, 0, "before its first data row"},
        {H + "# only\n\n", 24, 3, 0, "before its first data row"},
        {H + "1 1 2 3\n2 4 5 6\n", 24, 3, 0, "after 2 data rows"},
        {H + "1 1 2 3\n2 4 5 6\n\x1a\n3 7 8 9\n", 24, 4, 0, "after 2 data rows"},  // the end marker's line
        {"# calcite\nP\\T, 25, 100, 200, 300, 400, 500\n100, -8.48, -9.39, -10.99, -12.87, ,\n"
         "500, -8.50, -9.40, -10.95, -12.70, -14.9, -17.3\n",
         24, 4, 0, "after 2 data rows"},
    });
}

TEST(GridFile, ACommentNeverFollowsData) {
    expect_refused({
        {H + "1 1 2 3 # note\n", 59, 2, 9, "a comment stands on a line of its own"},
        {"P\\T 25 100 200 #T in C\n", 59, 1, 16, "a comment"},
        {"P#T 25 100 200\n", 59, 1, 2, "a comment"},
        {C + "1, 2, 3,4#\n", 59, 2, 10, "a comment"},
        {H + "1 1 2 # 3\n", 59, 2, 7, "a comment"},  // before the row's count is looked at
    });
}

TEST(GridFile, ValuesThatAreNoNumbers) {
    expect_refused({
        {H + "1 1 abc 3\n", 59, 2, 5, "value is no number, nor nan"},
        {C + "1,1,x,3\n", 59, 2, 5, "nor empty"},
        {H + "1 1 1D999 3\n", 64, 2, 5, "value cannot be converted"},
        {H + "1 1 1E5.0 3\n", 64, 2, 5, "value cannot be converted"},
        {H + "1 1 T 3\n", 59, 2, 5, "value is no number"},       // no truth values
        {H + "1 1 'x' 3\n", 59, 2, 5, "value is no number"},     // no quoted text
        {H + "1 1 (1,2) 3\n", 59, 2, 5, "value is no number"},   // no pairs
        {H + "1 1 2*3\n", 59, 2, 5, "value is no number"},       // no repeat counts
        {H + "1 1 -nan 3\n", 59, 2, 5, "value is no number"},
        {H + "1 1 nan1 3\n", 59, 2, 5, "value is no number"},
        {H + "1 1,2 3\n", 59, 2, 3, "value is no number"},       // a comma in the blank form
        {C + "1,1 2,3\n", 59, 2, 3, "value is no number"},       // a blank inside a field
        {H + "1 1 2 3\r\r\n", 59, 2, 7, "value is no number"},   // a CR not before LF is text
    });
}

// A line far longer than the buffer, in a file read with InputFile's own
// initial buffer and with a small one.
TEST(GridFile, LinesLongerThanTheBuffer) {
    constexpr int kNodes = 30000;
    std::string header = "P\\T";
    std::string row;
    for (int j = 1; j <= kNodes; ++j) {
        header += " " + std::to_string(j * 10);
        row += " " + std::to_string(-j);
    }
    ASSERT_GT(header.size(), InputFile::kInitialBuffer);
    const std::string content = header + "\n1" + row + "\n2" + row + "\r\n3" + row;
    for (std::size_t buffer : {std::size_t{7}, InputFile::kInitialBuffer}) {
        SCOPED_TRACE(buffer);
        const Read got = read(content, buffer);
        ASSERT_TRUE(got.read) << got.failure.detail;
        ASSERT_EQ(got.table.temperatures.size(), std::size_t{kNodes});
        ASSERT_EQ(got.table.values.size(), std::size_t{3 * kNodes});
        EXPECT_EQ(got.table.temperatures.back(), 10.0 * kNodes);
        EXPECT_EQ(got.table.values[2 * kNodes + kNodes - 1], -double{kNodes});
    }
}

TEST(GridFile, ReadFailuresAreTheFiles) {
    GridFileTable table;
    GridFileFailure failure;
    {
        InputFile file(-1, 11, "/x/calcite.dat");  // no descriptor: the read fails with EBADF
        EXPECT_FALSE(read_grid_file(file, table, failure));
        EXPECT_EQ(failure.message, 39);
        EXPECT_EQ(file.take_system_error(), EBADF);
    }
    int fd = testing::memory_file(H + "1 1 2 3\n2 " + std::string(100, '4') + "\n");
    InputFile file(fd, 11, "/x/calcite.dat", 8);
    file.set_longest_line(64);
    EXPECT_FALSE(read_grid_file(file, table, failure));
    EXPECT_EQ(failure.message, 22);
    EXPECT_EQ(failure.column, 0);
    EXPECT_TRUE(failure.detail.empty());
    ::close(fd);
}

struct Form {
    std::string content;
    bool grid;
};

// Which reader a file goes to, and that asking consumes nothing: the
// records are served afterwards as they would have been.
TEST(GridFile, FormByTheFirstText) {
    const std::vector<Form> rows = {
        {"# calcite\n25 1 2\n", true},
        {"  \t# c\n", true},
        {"\n\r\n \t\n  P\\T 25 100 200\n", true},
        {"P\\T", true},
        {"Depth,1,2,3\n", true},
        {"E5 1 2\n", true},  // the free-form reader refuses a field that begins with an exponent letter
        {"T\\P 25 100 200\n", false},
        {"t 1 2\n", false},
        {"F 1 2\n", false},
        {"f\n", false},
        {".true. 1 2\n", false},
        {"25 100 200\n", false},
        {"-4.5 1\n", false},
        {"+1\n", false},
        {".5\n", false},
        {"'P' 1\n", false},
        {"\"P\" 1\n", false},
        {"(1,2) 3\n", false},
        {", 1 2\n", false},
        {"/\n", false},
        {")\n", false},
        {"", false},
        {"\n \n\t\n", false},
        {"\x1a\n# c\n", false},
        {"\r# c\n", false},              // a CR not before LF is text
        {"\xef\xbb\xbfP\\T 1 2 3\n", false},  // a byte-order mark is no letter
    };
    for (const Form& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.content));
        int fd = testing::memory_file(row.content);
        InputFile file(fd, 11, "/x/calcite.dat", 2);
        RecordResult failure{RecordResult::failed};
        EXPECT_EQ(is_grid_file(file, failure), row.grid);
        EXPECT_EQ(failure.status, RecordResult::ok);
        std::string served;
        while (file.next_record().status == RecordResult::ok) {
            served += std::to_string(file.line()) + ":" + std::string(file.record_begin(), file.record_end()) + "|";
        }
        ::close(fd);
        std::string expected;
        fd = testing::memory_file(row.content);
        InputFile unpeeked(fd, 11, "/x/calcite.dat", 2);
        while (unpeeked.next_record().status == RecordResult::ok) {
            expected += std::to_string(unpeeked.line()) + ":" +
                        std::string(unpeeked.record_begin(), unpeeked.record_end()) + "|";
        }
        ::close(fd);
        EXPECT_EQ(served, expected);
    }
}

TEST(GridFile, FormOfAFileThatCannotBeRead) {
    InputFile file(-1, 11, "/x/calcite.dat");
    RecordResult failure{RecordResult::ok};
    EXPECT_FALSE(is_grid_file(file, failure));
    EXPECT_EQ(failure.status, RecordResult::failed);
    EXPECT_EQ(failure.message, 39);
}

// The example table on the fixed grid is no file of this form, and loads
// after the look exactly as without it.
TEST(GridFile, TheFixedGridExampleIsNoGridFile) {
    const std::string path = std::string(LOGK_SOURCE_DIR) + "/examples/quartz.dat";
    std::vector<LogKTable> tables(2);
    for (std::size_t look = 0; look < 2; ++look) {
        int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0) << path;
        InputFile file(fd, 11, path);
        if (look == 1) {
            RecordResult failure{RecordResult::failed};
            EXPECT_FALSE(is_grid_file(file, failure));
            EXPECT_EQ(failure.status, RecordResult::ok);
        }
        EXPECT_EQ(read_table_rows(file, tables[look]).status, ReadOutcome::complete);
        ::close(fd);
    }
    for (int cell = 0; cell < LogKTable::kCells; ++cell) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(tables[0].cells()[cell]),
                  std::bit_cast<std::uint64_t>(tables[1].cells()[cell]))
            << cell;
    }
    EXPECT_NE(tables[0].cells()[0], 0.0);
}

}  // namespace
}  // namespace logk
