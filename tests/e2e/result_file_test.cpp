// logk.out as a user finds it after a run: its bytes, and what a failure
// leaves in it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

const std::string kHeader = "    P         T       Pidx      Tidx      LogK      isoerr     PTerr\r\n";

// Every line after the header is 73 bytes ending in CR LF.
void expect_whole_lines(const std::string& out, std::size_t lines) {
    ASSERT_EQ(out.size(), kHeader.size() + 73 * lines);
    EXPECT_EQ(out.substr(0, kHeader.size()), kHeader);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = out.substr(kHeader.size() + 73 * i, 73);
        EXPECT_EQ(line.substr(71), "\r\n") << i;
        EXPECT_EQ(line.find('\r'), 71u) << i;
    }
}

TEST(ResultFileRun, EmptyPointListLeavesTheHeaderAlone) {
    for (const char* old : {"", "short\n", "a much longer logk.out from an earlier run\r\n"
                                           "with several lines that must all go away\r\n"
                                           "................................................\r\n"}) {
        Workdir dir;
        dir.write("quartz.dat", uniform_table(1.0));
        dir.write("PT.dat", "\n  \n");
        if (*old != '\0') dir.write("logk.out", old);
        RunResult result = run_logk(dir);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(dir.read("logk.out"), kHeader);
    }
}

TEST(ResultFileRun, OneLinePerPoint) {
    Workdir dir;
    dir.write("quartz.dat", uniform_table(1.0));
    dir.write("PT.dat", "500 300\n500 300\r\n12000 -20\n100/\n2*5.5\n7");
    dir.write("logk.out", std::string(1000, 'x'));
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 0);
    std::string out = dir.read("logk.out");
    expect_whole_lines(out, 5);
    EXPECT_EQ(out.substr(70, 73), out.substr(143, 73));  // identical points, identical lines
    EXPECT_EQ(out.substr(216 + 1, 18), "********   -20.000");
    EXPECT_EQ(out.substr(289 + 1, 18), " 100.000  ********");
    EXPECT_EQ(out.substr(362 + 1, 18), "   5.500     5.500");
}

TEST(ResultFileRun, TableFailureKeepsAnOldResultFile) {
    Workdir dir;
    dir.write("quartz.dat", "1 2 3\n");
    dir.write("PT.dat", "500 300\n");
    dir.write("logk.out", "old contents\n");
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 24);
    EXPECT_EQ(dir.read("logk.out"), "old contents\n");

    Workdir fresh;
    fresh.write("quartz.dat", "1 2 3\n");
    fresh.write("PT.dat", "500 300\n");
    EXPECT_EQ(run_logk(fresh).exit_status, 24);
    ASSERT_TRUE(fresh.exists("logk.out"));
    EXPECT_EQ(fresh.read("logk.out"), "");
}

TEST(ResultFileRun, PointFailureKeepsTheLinesBefore) {
    Workdir dir;
    dir.write("quartz.dat", uniform_table(1.0));
    dir.write("PT.dat", "500 300\n400 200\n1 abc\n600 100\n");
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 59);
    expect_whole_lines(dir.read("logk.out"), 2);
}

// logk.out linked to a device. A device cannot be cut after the header, and
// holds no older contents to cut away: the run goes on as usual. A full one
// refuses the writes.
TEST(ResultFileRun, ResultFileOnADevice) {
    struct Row {
        const char* device;
        int status;
        const char* system_line;  // "" for a silent, normal end
    };
    for (const Row& row : {Row{"/dev/null", 0, ""}, Row{"/dev/full", 38, "runlib: No space left on device\n"}}) {
        SCOPED_TRACE(row.device);
        Workdir dir;
        dir.write("quartz.dat", uniform_table(1.0));
        dir.write("PT.dat", "500 300\n");
        ASSERT_EQ(::symlink(row.device, dir.file("logk.out").c_str()), 0);
        RunResult result = run_logk(dir);
        EXPECT_EQ(result.exit_status, row.status);
        EXPECT_EQ(result.error_text, row.status == 0 ? std::string()
                                                     : row.system_line + severe_line(38, "error during write", 21,
                                                                                     dir, "logk.out"));
    }
}

// A file-size limit stops the third line part way: the two whole lines stay
// and the torn part is cut off.
TEST(ResultFileRun, WriteFailureMidRunKeepsWholeLines) {
    for (unsigned long limit : {70ul + 2 * 73, 70ul + 2 * 73 + 10}) {
        SCOPED_TRACE(limit);
        Workdir dir;
        dir.write("quartz.dat", uniform_table(1.0));
        dir.write("PT.dat", "500 300\n400 200\n300 100\n200 50\n");
        RunOptions options;
        options.file_size = limit;
        RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, 38);
        EXPECT_EQ(result.error_text,
                  "runlib: File too large\n" + severe_line(38, "error during write", 21, dir, "logk.out"));
        expect_whole_lines(dir.read("logk.out"), 2);
    }
}

TEST(ResultFileRun, ReadOnlyResultFileIsNotChanged) {
    uid_t uid = unprivileged_uid();
    Workdir dir;
    dir.write("quartz.dat", uniform_table(1.0));
    dir.write("PT.dat", "500 300\n");
    dir.write("logk.out", "keep me\n");
    ASSERT_EQ(::chmod(dir.file("logk.out").c_str(), 0444), 0);
    RunOptions options;
    options.run_as_uid = uid;
    RunResult result = run_logk(dir, options);
    EXPECT_EQ(result.exit_status, 47);
    EXPECT_EQ(result.error_text, severe_line(47, "write to READONLY file", 21, dir, "logk.out"));
    EXPECT_EQ(dir.read("logk.out"), "keep me\n");
}

TEST(ResultFileRun, ResultFileThatCannotBeCreated) {
    uid_t uid = unprivileged_uid();
    Workdir dir;
    dir.write("quartz.dat", uniform_table(1.0));
    dir.write("PT.dat", "500 300\n");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    RunOptions options;
    options.run_as_uid = uid;
    RunResult result = run_logk(dir, options);
    ::chmod(dir.path().c_str(), 0777);
    EXPECT_EQ(result.exit_status, 9);
    EXPECT_EQ(result.error_text, "runlib: Permission denied\n" +
                                     severe_line(9, "permission to access file denied", 21, dir, "logk.out"));
    EXPECT_FALSE(dir.exists("logk.out"));
}

}  // namespace
}  // namespace logk::testing
