// Table sets as a model makes and calls them, from C++ and from C. (That
// every table of a set gets its own table's bits is the same-bits test's.)
#include <gtest/gtest.h>

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
