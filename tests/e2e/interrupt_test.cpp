// Console events end a long run at once, with their message and status.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

// The number of files the process holds open, read from /proc.
int open_files(pid_t pid) {
    int count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++count;
    }
    return count;
}

// A PT.dat written through a FIFO by the test itself never ends until the
// test closes it, so the run is certain to be in its point loop.
TEST(Interrupt, ConsoleEventsEndTheRun) {
    struct Row {
        int signal_number;
        const char* event;
        int status;
    };
    for (const Row& row : {Row{SIGINT, "control-C", 130}, {SIGQUIT, "control-BREAK", 1}, {SIGHUP, "window-CLOSE", 2}}) {
        SCOPED_TRACE(row.event);
        Workdir dir;
        dir.write("quartz.dat", uniform_table(-1.0));
        ASSERT_EQ(::mkfifo(dir.file("PT.dat").c_str(), 0644), 0);
        RunningLogk run(dir);
        // Opening the FIFO for writing waits until logk has opened it.
        int writer = ::open(dir.file("PT.dat").c_str(), O_WRONLY);
        ASSERT_GE(writer, 0);
        const std::string point = "500 300\n";
        for (int i = 0; i < 100; ++i) ASSERT_EQ(::write(writer, point.data(), point.size()), 8);
        // Until logk has written every point's line and waits for more.
        ASSERT_TRUE(wait_until([&] {
            std::error_code error;
            return std::filesystem::file_size(dir.file("logk.out"), error) == 70u + 100 * 73 && !error;
        }));
        EXPECT_GE(open_files(run.pid()), 6);  // standard streams and the three files
        run.send(row.signal_number);
        RunResult result = run.wait();
        ::close(writer);
        EXPECT_EQ(result.exit_status, row.status);
        EXPECT_EQ(result.error_text,
                  std::string("runlib: error (200): program aborting due to ") + row.event + " event\n");
        // Every point read before the event has its whole line, and no more.
        const std::string out = dir.read("logk.out");
        ASSERT_EQ(out.size(), 70u + 100 * 73);
        EXPECT_EQ(out.substr(70, 73), out.substr(70 + 99 * 73, 73));
    }
}

}  // namespace
}  // namespace logk::testing

namespace logk::testing {
namespace {

// The same events while the run is busy writing: whatever moment they hit,
// logk.out holds the header and whole lines only.
TEST(Interrupt, EventsDuringWritingLeaveWholeLines) {
    std::string points;
    for (int i = 0; i < 1000000; ++i) points += "500 300\n";
    for (int signal_number : {SIGINT, SIGQUIT, SIGHUP}) {
        SCOPED_TRACE(signal_number);
        Workdir dir;
        dir.write("quartz.dat", uniform_table(-1.0));
        dir.write("PT.dat", points);
        RunningLogk run(dir);
        // Until the first line is written, and the run is busy writing more.
        ASSERT_TRUE(wait_until([&] {
            std::error_code error;
            return std::filesystem::file_size(dir.file("logk.out"), error) > 70u && !error;
        }));
        run.send(signal_number);
        RunResult result = run.wait();
        EXPECT_EQ(result.exit_status, signal_number == SIGINT ? 130 : (signal_number == SIGQUIT ? 1 : 2));
        const std::string out = dir.read("logk.out");
        ASSERT_GE(out.size(), 70u);
        EXPECT_EQ((out.size() - 70) % 73, 0u) << out.size();
        EXPECT_GT(out.size(), 70u) << "the event came before any line was written";
        EXPECT_EQ(out.substr(out.size() < 73 ? 0 : out.size() - 2), "\r\n");
    }
}

}  // namespace
}  // namespace logk::testing
