// The C++ interface as a model calls it: tables from files and from values,
// failures as values, the batch form and the slopes.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <csignal>

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "logk/logk.hpp"
#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

double made_up(int I, int J) { return -4.0 + 0.01 * J - 0.002 * I + 1e-4 * ((I * 7 + J * 3) % 11); }

std::vector<double> made_up_values() {
    std::vector<double> values;
    for (int I = 1; I <= 37; ++I) {
        for (int J = 1; J <= 36; ++J) values.push_back(made_up(I, J));
    }
    return values;
}

// A failure names its message, prints as the program would, and says where
// the reader stopped.
TEST(Table, LoadFailuresAreValues) {
    struct Row {
        std::string content;  // "" for no file at all, "/" for a directory
        int number;
        std::string text;  // the message line's catalogue text
        std::string system_line;
        std::int64_t line;
        int column;
    };
    const std::string table = table_text(made_up);
    const std::vector<Row> rows = {
        {"", 29, "file not found", "runlib: No such file or directory\n", 0, 0},
        {"/", 30, "open failure", "runlib: Is a directory\n", 0, 0},
        {"1 2 3\n4 5x 6\n", 59, "list-directed I/O syntax error", "", 2, 3},
        {"1 2 1E400\n", 64, "input conversion error", "", 1, 5},
        {table.substr(0, table.size() / 2), 24, "end-of-file during read", "", 19, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        Workdir dir;
        if (row.content == "/") {
            ASSERT_EQ(::mkdir(dir.file("quartz.dat").c_str(), 0755), 0);
        } else if (!row.content.empty()) {
            dir.write("quartz.dat", row.content);
        }
        const Read<Table> read = Table::load(dir.file("quartz.dat"));
        EXPECT_FALSE(read);
        EXPECT_EQ(read.error.number, row.number);
        EXPECT_EQ(read.error.text, row.system_line + "runlib: severe (" + std::to_string(row.number) + "): " +
                                       row.text + ", unit 11, file " + dir.file("quartz.dat"));
        EXPECT_EQ(read.error.line, row.line);
        EXPECT_EQ(read.error.column, row.column);
    }
}

TEST(Table, FromValuesIsTheTableOfTheFile) {
    Workdir dir;
    dir.write("quartz.dat", table_text(made_up));
    const Read<Table> read = Table::load(dir.file("quartz.dat"));
    ASSERT_TRUE(read) << read.error.text;
    const Table made = Table::from_values(made_up_values());
    EXPECT_TRUE(made == *read.value);
    EXPECT_EQ(made.values(), made_up_values());
    EXPECT_EQ(made.value(2, 3), made_up(2, 3));
    EXPECT_THROW(Table::from_values(std::vector<double>(1331)), std::invalid_argument);
}

// Table::load tells of the first line that holds values past the 36th of
// its row, which it ignores as the program does: each pressure written
// first on its line gives 37 values on line 1 (and the table of the next
// 36 values of every line); a plain table, none.
TEST(Table, LoadTellsOfValuesPastARow) {
    Workdir dir;
    std::string pressure_first;
    std::istringstream rows(table_text(made_up));
    int I = 0;
    for (std::string row; std::getline(rows, row);) pressure_first += std::to_string(PGRID(++I)) + " " + row + "\n";
    dir.write("pressure_first.dat", pressure_first);
    dir.write("quartz.dat", table_text(made_up));
    for (const auto& [name, line, values] : {std::tuple{"pressure_first.dat", 1, 37}, {"quartz.dat", 0, 0}}) {
        SCOPED_TRACE(name);
        IgnoredValues ignored{99, 99, "stale"};
        const Read<Table> read = Table::load(dir.file(name), ignored);
        ASSERT_TRUE(read) << read.error.text;
        EXPECT_EQ(ignored.line, line);
        EXPECT_EQ(ignored.values, values);
        const std::vector<std::string> both = {dir.file("quartz.dat"), dir.file(name)};
        IgnoredValues in_set;
        ASSERT_TRUE(TableSet::load(both, {"a", "b"}, in_set));
        EXPECT_EQ(in_set.line, line);
        EXPECT_EQ(in_set.path, line == 0 ? "" : dir.file(name));
    }
}

// What else a table file holds that its reading passes over: the first
// line with a null value (a cell left at 0.0, by ",," or a "/"), and the
// first line after the 37 rows that holds values (a header of 36
// temperatures on top leaves the last row there, line 38); text and blank
// lines after the table, or values after the end-of-file mark, are none.
TEST(Table, LoadTellsWhatItPassedOver) {
    const std::string table = table_text(made_up);
    std::vector<std::string> rows;
    std::istringstream lines(table);
    for (std::string row; std::getline(lines, row);) rows.push_back(row + "\n");
    auto with_row = [&](std::size_t k, const std::string& row) {
        std::vector<std::string> changed = rows;
        changed[k] = row;
        std::string text;
        for (const std::string& line : changed) text += line;
        return text;
    };
    std::string header;
    for (double t : TGRID) header += std::to_string(t) + " ";
    struct Row {
        const char* name;
        std::string content;
        std::int64_t null_line, after_line;
    };
    const std::vector<Row> cases = {
        {"plain", table, 0, 0},
        {"header on top", header + "\n" + table, 0, 38},
        {"null value", with_row(4, "-8.48,,-9.39" + rows[4].substr(rows[4].find(' '))), 5, 0},
        {"slash", with_row(2, "1 2 /\n"), 3, 0},
        {"values after blank lines", table + "\n  \n1.5 2.5\n", 0, 40},
        {"text after the table", table + "end of the table\n", 0, 0},
        {"after the end mark", table + "\x1a\n1 2\n", 0, 0},
    };
    Workdir dir;
    for (const Row& row : cases) {
        SCOPED_TRACE(row.name);
        dir.write("quartz.dat", row.content);
        ReadNotes notes;
        notes.null_value = {99, "stale"};
        const Read<Table> read = Table::load(dir.file("quartz.dat"), notes);
        ASSERT_TRUE(read) << read.error.text;
        EXPECT_EQ(notes.null_value.line, row.null_line);
        EXPECT_EQ(notes.after_table.line, row.after_line);
        EXPECT_EQ(notes.after_table.path, row.after_line == 0 ? "" : dir.file("quartz.dat"));
        // In a set, the first of each kind in the files' order.
        dir.write("plain.dat", table);
        const std::vector<std::string> both = {dir.file("plain.dat"), dir.file("quartz.dat")};
        ReadNotes in_set;
        ASSERT_TRUE(TableSet::load(both, {"a", "b"}, in_set));
        EXPECT_EQ(in_set.null_value.line, row.null_line);
        EXPECT_EQ(in_set.null_value.path, row.null_line == 0 ? "" : dir.file("quartz.dat"));
        EXPECT_EQ(in_set.after_table.line, row.after_line);
    }
}

// Every output may be left out, alone or with others, over more points than
// vectors hold: blocks with points the lanes leave to the one-point route,
// blocks without, and a rest. Sizes must agree.
TEST(Table, BatchFillsWhatIsAskedFor) {
    const Table table = Table::from_values(made_up_values());
    std::vector<double> P, T;
    for (int k = 0; k < 43; ++k) {
        P.push_back(k % 5 == 0 && k < 16 ? -1.0 : 0.5 + 160.0 * k);
        T.push_back(k % 7 == 0 && k < 16 ? 705.0 : -3.0 + 16.0 * k);
    }
    const std::size_t n = P.size();
    enum Output { LK, PIDX, TIDX, ISOERR, PTERR, dLK_dT, dLK_dP };
    for (Output alone : {LK, PIDX, TIDX, ISOERR, PTERR, dLK_dT, dLK_dP}) {
        SCOPED_TRACE(alone);
        std::vector<double> lk(n, 7.0), dT(n, 7.0), dP(n, 7.0);
        std::vector<int> pidx(n, 7), tidx(n, 7);
        std::vector<char> isoerr(n, '?'), pterr(n, '?');
        Outputs outputs;
        switch (alone) {
            case LK: outputs.LK = lk; break;
            case PIDX: outputs.PIDX = pidx; break;
            case TIDX: outputs.TIDX = tidx; break;
            case ISOERR: outputs.ISOERR = isoerr; break;
            case PTERR: outputs.PTERR = pterr; break;
            case dLK_dT: outputs.dLK_dT = dT; break;
            case dLK_dP: outputs.dLK_dP = dP; break;
        }
        table.interpolate(P, T, outputs);
        for (std::size_t i = 0; i < n; ++i) {
            const Interpolation one = table.interpolate(P[i], T[i]);
            const Slopes slopes = table.slopes(P[i], T[i]);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(lk[i]), std::bit_cast<std::uint64_t>(alone == LK ? one.LK : 7.0));
            ASSERT_EQ(pidx[i], alone == PIDX ? one.PIDX : 7) << i;
            ASSERT_EQ(tidx[i], alone == TIDX ? one.TIDX : 7) << i;
            ASSERT_EQ(isoerr[i], alone == ISOERR ? one.ISOERR : '?') << i;
            ASSERT_EQ(pterr[i], alone == PTERR ? one.PTERR : '?') << i;
            ASSERT_EQ(dT[i], alone == dLK_dT ? slopes.dLK_dT : 7.0) << i;
            ASSERT_EQ(dP[i], alone == dLK_dP ? slopes.dLK_dP : 7.0) << i;
        }
    }
    std::vector<int> short_PIDX(n - 1);
    EXPECT_THROW(table.interpolate(P, T, Outputs{.PIDX = short_PIDX}), std::invalid_argument);
    EXPECT_THROW(table.interpolate(P, std::span(T).first(3), Outputs{}), std::invalid_argument);
}

// The slopes are those of the stencil's polynomial: a central difference of
// a quadratic is exact, so within one stencil they agree to rounding.
TEST(Table, SlopesAgreeWithDifferencesWithinAStencil) {
    const Table table = Table::from_values(made_up_values());
    struct Point {
        double P, T;
    };
    for (const Point& at : {Point{520, 305}, Point{2200, 45}, Point{60, 290}, Point{870, 595}, Point{1.5, 60}}) {
        SCOPED_TRACE(::testing::Message() << at.P << " bar, " << at.T << " degC");
        const Interpolation here = table.interpolate(at.P, at.T);
        const double hP = 1e-3 * at.P;
        const double hT = 1e-3;
        const Interpolation p_up = table.interpolate(at.P + hP, at.T), p_down = table.interpolate(at.P - hP, at.T);
        const Interpolation t_up = table.interpolate(at.P, at.T + hT), t_down = table.interpolate(at.P, at.T - hT);
        for (const Interpolation& near : {p_up, p_down, t_up, t_down}) {
            ASSERT_EQ(near.PIDX, here.PIDX);  // one stencil throughout
            ASSERT_EQ(near.TIDX, here.TIDX);
        }
        const Slopes slopes = table.slopes(at.P, at.T);
        EXPECT_NEAR(slopes.dLK_dP, (p_up.LK - p_down.LK) / (2 * hP), 1e-9 + 1e-6 * std::fabs(slopes.dLK_dP));
        EXPECT_NEAR(slopes.dLK_dT, (t_up.LK - t_down.LK) / (2 * hT), 1e-9 + 1e-6 * std::fabs(slopes.dLK_dT));
        std::vector<double> dT(1), dP(1);
        table.interpolate(std::span(&at.P, 1), std::span(&at.T, 1), Outputs{.dLK_dT = dT, .dLK_dP = dP});
        EXPECT_EQ(dT[0], slopes.dLK_dT);
        EXPECT_EQ(dP[0], slopes.dLK_dP);
    }
}

// A point list is read as the program reads PT.dat.
TEST(Table, ReadPointsAsTheProgramDoes) {
    Workdir dir;
    dir.write("PT.dat", "500 300\n100,,\n/\n2*5.5\n200,\n300 400\n7\n");
    const Read<Points> read = read_points(dir.file("PT.dat"));
    ASSERT_TRUE(read) << read.error.text;
    EXPECT_EQ(read.value->P, (std::vector<double>{500, 100, -9999.9, 5.5, 200}));
    EXPECT_EQ(read.value->T, (std::vector<double>{300, -9999.9, -9999.9, 5.5, 300}));

    dir.write("PT.dat", "500 300\n1 x\n");
    const Read<Points> failed = read_points(dir.file("PT.dat"));
    EXPECT_EQ(failed.error.number, 59);
    EXPECT_EQ(failed.error.line, 2);
    EXPECT_EQ(failed.error.column, 3);
    EXPECT_NE(failed.error.text.find("unit 12"), std::string::npos);
}

// A line of kLongestLine bytes or more stops the read with message 22, also
// where the file has no line end at all, so that memory stays bounded.
TEST(Table, LinesBeyondTheLimitAreTooLong) {
    Workdir dir;
    dir.write("quartz.dat", std::string(kLongestLine, ' ') + "\n" + table_text(made_up));
    for (const std::string& path : {dir.file("quartz.dat"), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        const Read<Table> read = Table::load(path);
        EXPECT_EQ(read.error.number, 22);
        EXPECT_EQ(read.error.line, 0);  // the first line never came whole
        EXPECT_NE(read.error.text.find("input record too long, unit 11"), std::string::npos);
    }
}

void on_signal(int) {}

// The caller's stop check ends a read between blocks, and a wait for a
// named pipe's writer when a signal interrupts it.
TEST(Table, StopCheckEndsARead) {
    Workdir dir;
    dir.write("quartz.dat", table_text(made_up));
    int asked = 0;
    const Read<Table> stopped = Table::load(dir.file("quartz.dat"), [&asked] { return ++asked > 0; });
    EXPECT_EQ(stopped.error.number, 0);
    EXPECT_EQ(stopped.error.text, "logk: reading " + dir.file("quartz.dat") + " was stopped");
    EXPECT_EQ(asked, 1);

    ASSERT_EQ(::mkfifo(dir.file("PT.dat").c_str(), 0644), 0);
    struct sigaction action {};
    action.sa_handler = on_signal;  // no SA_RESTART: the wait returns EINTR
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    std::atomic<bool> asked_in_wait = false;
    Read<Points> read;
    std::thread reader([&] {
        read = read_points(dir.file("PT.dat"), [&asked_in_wait] { return asked_in_wait = true; });
    });
    while (!asked_in_wait) {
        ::pthread_kill(reader.native_handle(), SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    reader.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_FALSE(read);
    EXPECT_EQ(read.error.number, 0);
}

TEST(Table, FormattedLinesAreTheProgramsColumns) {
    EXPECT_EQ(std::string(header_line()), "    P         T       Pidx      Tidx      LogK      isoerr     PTerr");
    EXPECT_EQ(format_line(500, 300, Interpolation{-2.5, 19, 13, 'N', 'N'}),
              "  500.000   300.000      19        13          -2.500       N         N");
}

}  // namespace
}  // namespace logk::testing
