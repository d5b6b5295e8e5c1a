// Pipes in place of the files: a model may stream its points to logk, or
// read logk.out, through a named pipe, and logk must end when the points
// end and deliver every line. Each run has a timeout, so that a hang fails
// the test instead of stalling the suite.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

std::string points(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(100 + i % 900) + " 300\n";
    return text;
}

// Writes `content` into the FIFO `name` of `dir` and closes it: the end of
// the file for its reader.
void feed(const Workdir& dir, const std::string& name, const std::string& content) {
    const int writer = ::open(dir.file(name).c_str(), O_WRONLY);  // waits for logk to open it
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(writer);
}

TEST(Pipes, InputsThroughFifosEndWhenTheWriterCloses) {
    struct Row {
        const char* fifo;     // the input that is a FIFO
        std::string content;  // what the test writes into it
        int exit_status;
        std::string error;  // standard error, with DIR for the directory
    };
    const std::string table = uniform_table(-2.5);
    const std::vector<Row> rows = {
        {"PT.dat", points(3), 0, ""},
        {"quartz.dat", table, 0, ""},
        {"quartz.dat", "1 2 3\n", 24, "runlib: severe (24): end-of-file during read, unit 11, file DIR/quartz.dat\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.fifo) + " " + std::to_string(row.exit_status));
        Workdir dir;
        dir.write("quartz.dat", table);
        dir.write("PT.dat", points(3));
        ASSERT_EQ(::unlink(dir.file(row.fifo).c_str()), 0);
        ASSERT_EQ(::mkfifo(dir.file(row.fifo).c_str(), 0644), 0);
        RunOptions options;
        options.timeout_seconds = 60;
        RunningLogk run(dir, options);
        feed(dir, row.fifo, row.content);
        const RunResult result = run.wait();
        EXPECT_EQ(result.term_signal, 0) << "the run did not end";
        EXPECT_EQ(result.exit_status, row.exit_status);
        std::string error = row.error;
        if (const auto at = error.find("DIR"); at != std::string::npos) error.replace(at, 3, dir.path());
        EXPECT_EQ(result.error_text, error);
        if (row.exit_status == 0) {
            EXPECT_EQ(dir.read("logk.out").size(), 70u + 73u * 3);
        }
    }
}

// All a FIFO's writer sends, until it closes; fails after `seconds`.
std::string drain(int reader, int seconds) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{reader, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char chunk[4096];
        const ssize_t got = ::read(reader, chunk, sizeof chunk);
        if (got > 0) text.append(chunk, static_cast<std::size_t>(got));
        if (got == 0 && (ready.revents & POLLHUP) != 0) return text;
    }
    ADD_FAILURE() << "the writer never closed logk.out";
    return text;
}

// logk.out as a FIFO: logk waits for a reader, as any program writing to a
// named pipe does, and every line arrives, also past the pipe's capacity.
TEST(Pipes, ResultThroughAFifoReachesALateReader) {
    for (int count : {3, 3000}) {
        SCOPED_TRACE(count);
        Workdir dir;
        dir.write("quartz.dat", uniform_table(-2.5));
        dir.write("PT.dat", points(count));
        ASSERT_EQ(::mkfifo(dir.file("logk.out").c_str(), 0644), 0);
        RunOptions options;
        options.timeout_seconds = 60;
        RunningLogk run(dir, options);
        // No reader yet: until logk has opened its inputs, and so waits to open logk.out.
        ASSERT_TRUE(wait_until([&] { return holds_open(run.pid(), dir.file("PT.dat")); }));
        // Opened without waiting, so that a logk that no longer writes cannot stall the test.
        const int reader = ::open(dir.file("logk.out").c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        const std::string text = drain(reader, 8);
        ::close(reader);
        const RunResult result = run.wait();
        EXPECT_EQ(result.term_signal, 0);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_text, "");
        ASSERT_EQ(text.size(), 70u + 73u * static_cast<unsigned>(count));
        EXPECT_EQ(text.substr(70, 73), "  100.000   300.000      10        13          -2.500       N         N\r\n");
    }
}

// A reader already waiting on logk.out sees the end of the file only after
// the last line: logk opens the pipe once, to write, and closes it once.
TEST(Pipes, ReaderWaitingBeforeTheRunSeesOneWriterOnly) {
    Workdir dir;
    dir.write("quartz.dat", uniform_table(-2.5));
    dir.write("PT.dat", points(3));
    ASSERT_EQ(::mkfifo(dir.file("logk.out").c_str(), 0644), 0);
    const int reader = ::open(dir.file("logk.out").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.file("logk.out").c_str(), IN_OPEN | IN_CLOSE_WRITE), 0);
    RunOptions options;
    options.timeout_seconds = 60;
    // Three lines fit in the pipe: the run ends without the reader reading.
    const RunResult result = run_logk(dir, options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error_text, "");
    char lines[4096];
    EXPECT_EQ(::read(reader, lines, sizeof lines), static_cast<ssize_t>(70u + 73u * 3));
    ::close(reader);
    std::string seen;  // o for an open, c for the close of a writer
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = ::read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            seen += (event->mask & IN_OPEN) != 0 ? 'o' : 'c';
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watch);
    EXPECT_EQ(seen, "oc") << "each close of a writer is an end of the file for the reader";
}

TEST(Pipes, AnswerThatCannotBeWrittenSaysWhy) {
    Workdir dir;
    RunOptions options;
    options.arguments = {"--version"};
    options.output_file = "/dev/full";
    const RunResult result = run_logk(dir, options);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.error_text, "logk: cannot write to standard output: No space left on device\n");
}

}  // namespace
}  // namespace logk::testing
