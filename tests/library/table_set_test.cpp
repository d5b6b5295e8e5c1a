// Table sets as a model makes and calls them, from C++ and from C. (That
// every table of a set gets its own table's bits is the same-bits test's.)
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "logk/logk.h"
#include "logk/logk.hpp"
#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

double first_table(int I, int J) { return -4.0 + 0.01 * J - 0.002 * I; }
double second_table(int I, int J) { return 2.0 - 0.03 * J + 0.001 * I * J; }

std::vector<double> file_order(double (*value)(int, int)) {
    std::vector<double> values;
    for (int I = 1; I <= 37; ++I) {
        for (int J = 1; J <= 36; ++J) values.push_back(value(I, J));
    }
    return values;
}

const std::vector<double> kP = {500, 0.5, 7000, 170, 1000, -1};
const std::vector<double> kT = {300, 200, 650, 375, 600, 25};

// Log K of each table, one by one, point after point: what a set must give.
std::vector<double> one_by_one(const std::vector<Table>& tables) {
    std::vector<double> LK;
    for (std::size_t i = 0; i < kP.size(); ++i) {
        for (const Table& table : tables) LK.push_back(table.interpolate(kP[i], kT[i]).LK);
    }
    return LK;
}

TEST(TableSet, MadeFromTablesValuesOrFiles) {
    const Table first = Table::from_values(file_order(first_table));
    const Table second = Table::from_values(file_order(second_table));
    std::vector<double> values = file_order(first_table);
    const std::vector<double> more = file_order(second_table);
    values.insert(values.end(), more.begin(), more.end());
    Workdir dir;
    dir.write("quartz.dat", table_text(first_table));
    dir.write("water.dat", table_text(second_table));
    const std::vector<std::string> paths = {dir.file("quartz.dat"), dir.file("water.dat")};
    const Read<TableSet> loaded = TableSet::load(paths);
    ASSERT_TRUE(loaded) << loaded.error.text;

    const TableSet made = TableSet::from_tables(std::vector{first, second}, {"quartz", "water"});
    EXPECT_TRUE(*loaded.value == made);
    EXPECT_TRUE(TableSet::from_values(values, {"quartz", "water"}) == made);
    EXPECT_FALSE(TableSet::from_values(values) == made);  // the names differ
    EXPECT_EQ(made.size(), 2u);
    EXPECT_EQ(made.names(), (std::vector<std::string>{"quartz", "water"}));
    EXPECT_TRUE(made.table(1) == second);
    EXPECT_EQ(made.values(), values);

    std::vector<double> LK(kP.size() * 2);
    std::vector<char> PTERR(kP.size());
    made.interpolate(kP, kT, {.LK = LK, .PTERR = PTERR});
    EXPECT_EQ(LK, one_by_one({first, second}));
    for (std::size_t i = 0; i < kP.size(); ++i) EXPECT_EQ(PTERR[i], first.interpolate(kP[i], kT[i]).PTERR);
}

TEST(TableSet, RefusesWhatDoesNotFit) {
    const Table table = Table::from_values(file_order(first_table));
    const std::vector<double> values = file_order(first_table);
    EXPECT_THROW(TableSet::from_tables(std::vector<Table>{}), std::invalid_argument);
    EXPECT_THROW(TableSet::from_values(std::span(values).first(1331)), std::invalid_argument);
    // A count whose values no address can count: refused before anything is read.
    EXPECT_THROW(TableSet::from_values(std::span(values.data(), (std::size_t{1} << 50) * kTableValues)),
                 std::length_error);
    EXPECT_THROW(TableSet::from_tables(std::vector{table, table}, {"quartz"}), std::invalid_argument);
    EXPECT_THROW(TableSet::from_tables(std::vector{table, table}, {"quartz", "quartz"}), std::invalid_argument);
    const TableSet set = TableSet::from_tables(std::vector{table, table}, {"a", "b"});
    EXPECT_THROW(set.table(2), std::out_of_range);
    std::vector<double> one_a_point(kP.size());
    EXPECT_THROW(set.interpolate(kP, kT, {.LK = one_a_point}), std::invalid_argument);
    EXPECT_THROW(set.interpolate(kP, kT, {.dLK_dT = one_a_point}), std::invalid_argument);
}

// A file that fails comes back as its own Error, which names it.
TEST(TableSet, AFailedFileIsItsError) {
    Workdir dir;
    dir.write("quartz.dat", table_text(first_table));
    dir.write("bad.dat", "1 2 x\n");
    const std::vector<std::string> paths = {dir.file("quartz.dat"), dir.file("bad.dat"), dir.file("missing.dat")};
    const Read<TableSet> read = TableSet::load(paths);
    EXPECT_FALSE(read);
    EXPECT_EQ(read.error.number, 59);
    EXPECT_EQ(read.error.path, dir.file("bad.dat"));
    EXPECT_NE(read.error.text.find("unit 11, file " + dir.file("bad.dat")), std::string::npos);
}

TEST(CTableSet, GivesEachTablesResults) {
    const std::vector<double> values[2] = {file_order(first_table), file_order(second_table)};
    logk_table* tables[2] = {logk_table_from_values(values[0].data(), nullptr),
                             logk_table_from_values(values[1].data(), nullptr)};
    logk_error error{-1, "unset"};
    logk_table_set* set = logk_table_set_from_tables(tables, 2, &error);
    ASSERT_NE(set, nullptr) << error.text;
    logk_table_free(tables[0]);  // the set holds copies
    logk_table_free(tables[1]);
    EXPECT_EQ(logk_table_set_count(set), 2u);
    const std::size_t n = kP.size();
    std::vector<double> LK(2 * n), dT(2 * n), dP(2 * n);
    std::vector<int> PIDX(n);
    logk_table_set_interpolate(set, n, kP.data(), kT.data(), LK.data(), PIDX.data(), nullptr, nullptr, nullptr);
    logk_table_set_slopes(set, n, kP.data(), kT.data(), dT.data(), dP.data());
    logk_table_set_free(set);
    const std::vector<Table> expected = {Table::from_values(values[0]), Table::from_values(values[1])};
    EXPECT_EQ(LK, one_by_one(expected));
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(PIDX[i], expected[0].interpolate(kP[i], kT[i]).PIDX);
        for (std::size_t r = 0; r < 2; ++r) {
            EXPECT_EQ(dT[i * 2 + r], expected[r].slopes(kP[i], kT[i]).dLK_dT);
            EXPECT_EQ(dP[i * 2 + r], expected[r].slopes(kP[i], kT[i]).dLK_dP);
        }
    }
}

TEST(CTableSet, NoTablesOrNullsGiveNullAndSayWhy) {
    const std::vector<double> values = file_order(first_table);
    logk_table* table = logk_table_from_values(values.data(), nullptr);
    const logk_table* with_null[2] = {table, nullptr};
    struct Row {
        logk_table_set* set;
        const char* says;
    };
    logk_error errors[6];
    const Row rows[] = {
        {logk_table_set_from_tables(&with_null[0], 0, &errors[0]), "at least one table"},
        {logk_table_set_from_tables(with_null, 2, &errors[1]), "table 1 is NULL"},
        {logk_table_set_from_tables(nullptr, 1, &errors[2]), "no tables"},
        {logk_table_set_from_values(values.data(), 0, &errors[3]), "at least one table"},
        {logk_table_set_from_values(nullptr, 1, &errors[4]), "no values"},
        {logk_table_set_from_values(values.data(), (std::size_t{1} << 62) + 1, &errors[5]),
         "a count of 4611686018427387905 tables is too large"},
    };
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(rows[k].set, nullptr);
        EXPECT_EQ(errors[k].number, 0);
        EXPECT_NE(std::string(errors[k].text).find(rows[k].says), std::string::npos) << errors[k].text;
    }
    EXPECT_EQ(logk_table_set_count(nullptr), 0u);
    double lk = 1.0, dT = 1.0;
    logk_table_set_interpolate(nullptr, 1, kP.data(), kT.data(), &lk, nullptr, nullptr, nullptr, nullptr);
    logk_table_set_slopes(nullptr, 1, kP.data(), kT.data(), &dT, nullptr);
    EXPECT_EQ(lk, 1.0);
    EXPECT_EQ(dT, 1.0);
    logk_table_free(table);
}

}  // namespace
}  // namespace logk::testing

namespace logk::testing {
namespace {

// Nodes and values that make no table on its own nodes are refused, on C++
// and C alike, with words that say what is wrong.
TEST(GridTable, WhatMakesNoTableIsRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Row {
        std::vector<double> P, T;
        std::size_t values;
        const char* words;  // a part of the refusal; "" where the table is made
    };
    const std::vector<Row> rows = {
        {{100, 500, 1000}, {25, 100, 200}, 9, ""},
        {{1}, {25, 100, 200}, 3, ""},
        {{100, 500}, {25, 100, 200}, 6, "one pressure node (along one line) or three or more, not 2"},
        {{}, {25, 100, 200}, 0, "not 0"},
        {{100, 500, 1000}, {25, 100}, 6, "three temperature nodes or more, not 2"},
        {{100, 1000, 500}, {25, 100, 200}, 9, "the pressure nodes do not ascend: 500 after 1000"},
        {{100, 500, 500}, {25, 100, 200}, 9, "do not ascend: 500 after 500"},
        {{100, 500, 1000}, {25, nan, 200}, 9, "the temperature node 2 is nan"},
        {{100, 500, inf}, {25, 100, 200}, 9, "the pressure node 3 is inf"},
        {{100, 500, 1000}, {25, 100, 200}, 8, "need 9 values, not 8"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.words);
        const std::vector<double> values(row.values, -3.0);
        const bool made = std::string(row.words).empty();
        std::string thrown;
        try {
            const Table table = Table::from_grid(row.P, row.T, values);
            EXPECT_TRUE(std::equal(row.P.begin(), row.P.end(), table.pressures().begin()));
            EXPECT_EQ(table.values(), values);
        } catch (const std::invalid_argument& refused) {
            thrown = refused.what();
        }
        EXPECT_EQ(thrown.empty(), made) << thrown;
        EXPECT_NE(thrown.find(row.words), std::string::npos) << thrown;
        // C takes the count from the nodes, and no nodes as a NULL array.
        if (row.values != row.P.size() * row.T.size() || row.P.empty()) continue;
        logk_error error{-1, "unset"};
        logk_table* c_table = logk_table_from_grid(row.P.size(), row.P.data(), row.T.size(), row.T.data(),
                                                   values.data(), &error);
        EXPECT_EQ(c_table != nullptr, made);
        EXPECT_NE(std::string(error.text).find(row.words), std::string::npos) << error.text;
        logk_table_free(c_table);
    }
}

// A set's tables share their nodes and their missing values, so that each
// point's stencil is every table's: others are refused, saying which.
TEST(GridTable, ASetsTablesShareTheirNodesAndMissingValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> P = {100, 500, 1000}, T = {25, 100, 200};
    const Table base = Table::from_grid(P, T, std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, nan});
    const Table other_values = Table::from_grid(P, T, std::vector<double>{9, 8, 7, 6, 5, 4, 3, 2, nan});
    const Table other_nodes = Table::from_grid(std::vector<double>{100, 500, 2000}, T, base.values());
    const Table other_missing = Table::from_grid(P, T, std::vector<double>{nan, 2, 3, 4, 5, 6, 7, 8, 9});
    const Table fixed = Table::from_values(std::vector<double>(kTableValues, 1.0));
    struct Row {
        std::vector<Table> tables;
        const char* words;
    };
    const std::vector<Row> rows = {
        {{base, other_values}, ""},
        {{base, other_nodes}, "table 1 lies on other nodes than table 0"},
        {{base, fixed}, "table 1 lies on other nodes than table 0"},
        {{fixed, base}, "table 1 lies on other nodes than table 0"},
        {{base, other_values, other_missing}, "table 2 misses other values than table 0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.words);
        std::string thrown;
        try {
            const TableSet set = TableSet::from_tables(row.tables);
            EXPECT_TRUE(set.table(1) == row.tables[1]);
        } catch (const std::invalid_argument& refused) {
            thrown = refused.what();
        }
        EXPECT_NE(thrown.find(row.words), std::string::npos) << thrown;
        EXPECT_EQ(thrown.empty(), std::string(row.words).empty());
    }
}

}  // namespace
}  // namespace logk::testing

namespace logk::testing {
namespace {

// Table::load and logk_table_read take a file that names its own nodes as
// they take a table on the fixed grid: the table of those nodes, or the
// failure with its line and column and a line that says what is wrong.
TEST(GridTable, AFileOfItsOwnNodesLoadsOnEveryFace) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Read<Table> read = Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/vapour_side.dat");
    ASSERT_TRUE(read) << read.error.text;
    const std::vector<double> vapour = {-2.00, -1.80, -1.50, -1.30, nan,  nan,  -2.10, -1.90, -1.60, -1.40, -1.20, -1.10,
                                        -2.20, -2.00, -1.70, -1.50, -1.30, -1.20, -2.30, -2.10, -1.80, -1.60, -1.40, -1.30};
    EXPECT_TRUE(*read.value == Table::from_grid(std::vector<double>{100, 500, 1000, 2000},
                                                std::vector<double>{25, 100, 200, 300, 400, 500}, vapour));
    EXPECT_TRUE(read.value->on_own_nodes());

    Workdir dir;
    dir.write("own.dat", "P\\T, 25, 100, 200\n100, 1, 2, 3\n500, 4, x, 6\n1000, 7, 8, 9\n");
    const Read<Table> refused = Table::load(dir.file("own.dat"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error.number, 59);
    EXPECT_EQ(refused.error.line, 3);
    EXPECT_EQ(refused.error.column, 9);
    logk_error error;
    logk_place place;
    EXPECT_EQ(logk_table_read(dir.file("own.dat").c_str(), nullptr, &error, &place, nullptr), nullptr);
    EXPECT_EQ(std::string(error.text), refused.error.text);
    char line[512];
    logk_failure_line(&error, &place, "own.dat", LOGK_UNIT_TABLE, line, sizeof line);
    const std::string said(line);
    EXPECT_EQ(said.rfind("own.dat, line 3, column 9: ", 0), 0u) << said;
    EXPECT_NE(said.find("(message 59)"), std::string::npos) << said;
    EXPECT_EQ(said.find("a character that is no part of a number"), std::string::npos) << said;
}

}  // namespace
}  // namespace logk::testing
