// The C interface as a C model calls it: failures as a NULL with the
// program's message, and NULL arguments that change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "logk/logk.h"
#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

double made_up(int I, int J) { return -4.0 + 0.01 * J - 0.002 * I; }

// Also where the reader stopped, by logk_table_load_at.
TEST(CInterface, FailedLoadGivesTheProgramsMessage) {
    struct Row {
        const char* content;  // nullptr for no file
        int number;
        std::string text;  // the message line's catalogue text, after a system line where there is one
        logk_place place;
    };
    const std::string table = table_text(made_up);
    const std::string short_table = table.substr(0, table.size() / 2);
    const std::vector<Row> rows = {
        {nullptr, 29, "runlib: No such file or directory\nrunlib: severe (29): file not found", {0, 0}},
        {"1 2 x\n", 59, "runlib: severe (59): list-directed I/O syntax error", {1, 5}},
        {short_table.c_str(), 24, "runlib: severe (24): end-of-file during read", {19, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        Workdir dir;
        if (row.content != nullptr) dir.write("quartz.dat", row.content);
        logk_error error{-1, "unset"};
        EXPECT_EQ(logk_table_load(dir.file("quartz.dat").c_str(), &error), nullptr);
        EXPECT_EQ(error.number, row.number);
        EXPECT_EQ(std::string(error.text), row.text + ", unit 11, file " + dir.file("quartz.dat"));
        logk_place place{-1, -1};
        EXPECT_EQ(logk_table_load_at(dir.file("quartz.dat").c_str(), nullptr, &place), nullptr);
        EXPECT_EQ(place.line, row.place.line);
        EXPECT_EQ(place.column, row.place.column);
    }
}

// A NULL table, P or T with points to do leaves every output as it was.
TEST(CInterface, NullArgumentsLeaveTheOutputsAlone) {
    std::vector<double> values(1332, -2.5);
    logk_table* table = logk_table_from_values(values.data(), nullptr);
    ASSERT_NE(table, nullptr);
    const double P[3] = {500, 600, 700};
    const double T[3] = {300, 300, 300};
    struct Row {
        const logk_table* table;
        const double* P;
        const double* T;
    };
    for (const Row& row : {Row{nullptr, P, T}, Row{table, nullptr, T}, Row{table, P, nullptr}}) {
        double lk[3] = {1, 1, 1}, dT[3] = {1, 1, 1}, dP[3] = {1, 1, 1};
        int pidx[3] = {1, 1, 1}, tidx[3] = {1, 1, 1};
        char isoerr[3] = {'?', '?', '?'}, pterr[3] = {'?', '?', '?'};
        logk_interpolate(row.table, 3, row.P, row.T, lk, pidx, tidx, isoerr, pterr);
        logk_slopes(row.table, 3, row.P, row.T, dT, dP);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(lk[i], 1.0);
            EXPECT_EQ(dT[i], 1.0);
            EXPECT_EQ(dP[i], 1.0);
            EXPECT_EQ(pidx[i], 1);
            EXPECT_EQ(tidx[i], 1);
            EXPECT_EQ(isoerr[i], '?');
            EXPECT_EQ(pterr[i], '?');
        }
    }
    logk_error error{-1, "unset"};
    EXPECT_EQ(logk_table_load(nullptr, &error), nullptr);
    EXPECT_EQ(error.number, 0);
    EXPECT_STRNE(error.text, "");
    logk_table_free(table);
}

}  // namespace
}  // namespace logk::testing
