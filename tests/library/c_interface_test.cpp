// The C interface as a C model calls it: failures as a NULL with the
// program's message, and NULL arguments that change nothing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
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

namespace logk::testing {
namespace {

// What a stop check saw: how often it was asked, and when to stop.
struct StopAfter {
    int asked = 0;
    int stop_at = 3;
};
int stop_after(void* context) {
    auto* check = static_cast<StopAfter*>(context);
    return ++check->asked >= check->stop_at ? 1 : 0;
}

constexpr std::uint64_t kSentinel = 0x7FF0DEADBEEF0001;  // a NaN no call writes

// A call of 10^8 points that the caller's check stops after its third
// chunk: the status says so, every output of the points before `done` is
// written and none after. The points lie at 0 bar (read from pages never
// written), which the rules take as well as any.
TEST(CInterface, AStopCheckEndsALongCall) {
    constexpr std::size_t n = 100'000'000;
    constexpr std::size_t kWatched = 1 << 20;  // outputs set to the sentinel before the call
    std::vector<double> values(1332, -2.5);
    logk_table* table = logk_table_from_values(values.data(), nullptr);
    auto* P = static_cast<double*>(std::calloc(n, sizeof(double)));
    auto* T = static_cast<double*>(std::calloc(n, sizeof(double)));
    auto* lk = static_cast<double*>(std::malloc(n * sizeof(double)));
    ASSERT_TRUE(P != nullptr && T != nullptr && lk != nullptr);
    std::vector<char> pterr(n);
    for (std::size_t i = 0; i < kWatched; ++i) std::memcpy(lk + i, &kSentinel, sizeof kSentinel);
    StopAfter check;
    const logk_options options{1, stop_after, &check};
    const logk_outputs outputs{lk, nullptr, nullptr, nullptr, pterr.data(), nullptr, nullptr};
    std::size_t done = 0;
    EXPECT_EQ(logk_evaluate(table, n, P, T, &outputs, &options, &done), LOGK_STOPPED);
    EXPECT_EQ(check.asked, 3);
    ASSERT_GT(done, 0u);
    ASSERT_LT(done, kWatched);
    for (std::size_t i = 0; i < kWatched; ++i) {
        std::uint64_t bits;
        std::memcpy(&bits, lk + i, sizeof bits);
        ASSERT_EQ(bits == kSentinel, i >= done) << i;
        ASSERT_EQ(pterr[i], i < done ? 'E' : '\0') << i;
    }
    std::free(P);
    std::free(T);
    std::free(lk);
    logk_table_free(table);
}

// A read of a named pipe whose writer never comes, or sends half a table
// and keeps the pipe open, ends at the stop check with number 0 (no
// message of the program's) instead of waiting for ever.
TEST(CInterface, AStopCheckEndsAReadThatWaitsOnAPipe) {
    for (bool half : {false, true}) {
        SCOPED_TRACE(half ? "half a table" : "no writer");
        Workdir dir;
        const std::string fifo = dir.file("quartz.dat");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        int writer = -1;
        std::thread opener;
        if (half) {
            opener = std::thread([&] {
                writer = ::open(fifo.c_str(), O_WRONLY);  // waits for the reader
                const std::string text = table_text(made_up).substr(0, 5000);
                (void)!::write(writer, text.data(), text.size());
            });
        }
        StopAfter check{0, half ? 10 : 4};
        const logk_options options{1, stop_after, &check};
        logk_error error{-1, "unset"};
        logk_read_notes notes;
        EXPECT_EQ(logk_table_read(fifo.c_str(), &options, &error, nullptr, &notes), nullptr);
        EXPECT_EQ(error.number, 0);
        EXPECT_NE(std::string(error.text).find("stopped"), std::string::npos) << error.text;
        EXPECT_EQ(check.asked, check.stop_at);
        if (opener.joinable()) opener.join();
        if (writer >= 0) ::close(writer);
    }
}

// workers as every face reads it, and a call whose workers leave no thread
// refused with no output changed.
TEST(CInterface, WorkersAreCountedOnce) {
    cpu_set_t affinity;
    ASSERT_EQ(::sched_getaffinity(0, sizeof affinity, &affinity), 0);
    const int allowed = CPU_COUNT(&affinity);
    struct Row {
        int workers;
        int threads;  // 0: refused
    };
    const Row rows[] = {{1, 1},           {2, std::min(2, allowed)}, {7, std::min(7, allowed)}, {0, allowed},
                        {-1, allowed},    {-allowed, 1},             {-allowed - 1, 0},         {INT_MIN, 0},
                        {INT_MAX, allowed}};
    std::vector<double> values(1332, -2.5);
    logk_table* table = logk_table_from_values(values.data(), nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.workers);
        logk_error error{-1, "unset"};
        EXPECT_EQ(logk_workers_threads(row.workers, &error), row.threads);
        EXPECT_EQ(std::string(error.text).empty(), row.threads != 0) << error.text;
        const double P[2] = {500, 600}, T[2] = {300, 300};
        double lk[2] = {7, 7};
        EXPECT_EQ(logk_interpolate_workers(table, 2, P, T, lk, nullptr, nullptr, nullptr, nullptr, row.workers),
                  row.threads == 0 ? LOGK_REFUSED : LOGK_DONE);
        EXPECT_EQ(lk[0] == 7.0, row.threads == 0);
    }
    logk_table_free(table);
}

// The version of the header, of the library and of the file VERSION are one.
TEST(CInterface, VersionIsTheOneOfTheSources) {
    std::string version = source_file("VERSION");
    while (!version.empty() && (version.back() == '\n' || version.back() == '\r')) version.pop_back();
    EXPECT_EQ(std::string(logk_version()), version);
    EXPECT_EQ(std::string(LOGK_VERSION), version);
    EXPECT_EQ(std::to_string(LOGK_VERSION_MAJOR) + "." + std::to_string(LOGK_VERSION_MINOR) + "." +
                  std::to_string(LOGK_VERSION_PATCH),
              version);
}

// Message numbers: the kind a face's exception is named after, and one
// line that says what went wrong where.
TEST(CInterface, MessagesSayWhatTheyMean) {
    struct Row {
        int number;
        int kind;
        const char* text;
        logk_place place;
        int unit;
        const char* line;
    };
    const Row rows[] = {
        {29, LOGK_NOT_FOUND, "runlib: No such file or directory\nrunlib: severe (29): ...", {0, 0}, LOGK_UNIT_TABLE,
         "q.dat: no such file (message 29)"},
        {9, LOGK_PERMISSION, "runlib: Permission denied\nrunlib: severe (9): ...", {0, 0}, LOGK_UNIT_TABLE,
         "q.dat: permission to read the file is denied (message 9)"},
        {59, LOGK_NOTATION, "runlib: severe (59): ...", {12, 7}, LOGK_UNIT_TABLE,
         "q.dat, line 12, column 7: a character that is no part of a number (message 59)"},
        {24, LOGK_NOTATION, "runlib: severe (24): ...", {19, 0}, LOGK_UNIT_TABLE,
         "q.dat, line 19: the file ends before its 37 x 36 values (or inside a quote or parenthesis) (message 24)"},
        {24, LOGK_NOTATION, "runlib: severe (24): ...", {3, 0}, LOGK_UNIT_POINTS,
         "q.dat, line 3: the file ends inside a quote or parenthesis (message 24)"},
        {22, LOGK_NOTATION, "runlib: severe (22): ...", {1, 0}, LOGK_UNIT_POINTS,
         "q.dat, line 1: a line is too long (at most 64 MiB) (message 22)"},
        {42, LOGK_OTHER, "runlib: No such device or address\nrunlib: severe (42): ...", {0, 0}, LOGK_UNIT_TABLE,
         "q.dat: no such device (No such device or address) (message 42)"},
        {0, LOGK_OTHER, "logk: reading q.dat was stopped", {0, 0}, LOGK_UNIT_TABLE,
         "q.dat: logk: reading q.dat was stopped"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(logk_message_kind(row.number), row.kind);
        logk_error error{row.number, ""};
        std::snprintf(error.text, sizeof error.text, "%s", row.text);
        char line[256];
        const std::size_t length = logk_failure_line(&error, &row.place, "q.dat", row.unit, line, sizeof line);
        EXPECT_EQ(std::string(line), row.line);
        EXPECT_EQ(length, std::strlen(row.line));
    }
    EXPECT_EQ(logk_message_meaning(0, LOGK_UNIT_TABLE), nullptr);
    char small[8];
    logk_error error{59, "x"};
    EXPECT_GT(logk_failure_line(&error, nullptr, "q.dat", LOGK_UNIT_TABLE, small, sizeof small), sizeof small);
    EXPECT_EQ(std::string(small), "q.dat: ");
}

}  // namespace
}  // namespace logk::testing

namespace logk::testing {
namespace {

// Each note of a read in one line for a face's warning, or none.
TEST(CInterface, NotesOfAReadSayWhereAndWhat) {
    const logk_read_notes notes{7, 37, 0, 38};
    struct Row {
        int which;
        const char* start;  // "" for none
        const char* words;
    };
    const Row rows[] = {{LOGK_NOTE_PAST_ROW, "q.dat, line 7: the line holds 37 values", "past the 36th"},
                        {LOGK_NOTE_NULL_VALUE, "", ""},
                        {LOGK_NOTE_AFTER_TABLE, "q.dat, line 38: ", "after the table's 37 rows"},
                        {99, "", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.which);
        char line[512] = "unset";
        const std::size_t length = logk_read_note_line(&notes, row.which, "q.dat", line, sizeof line);
        EXPECT_EQ(length, std::strlen(line));
        EXPECT_EQ(std::string(line).rfind(row.start, 0), 0u) << line;
        EXPECT_NE(std::string(line).find(row.words), std::string::npos) << line;
        EXPECT_EQ(length == 0, std::string(row.start).empty());
    }
}

}  // namespace
}  // namespace logk::testing
