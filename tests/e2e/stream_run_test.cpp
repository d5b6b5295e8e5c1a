// Standard input and standard output in place of the files ("-"): the same
// bytes as the files would hold, messages that name the stream, and the
// stream taken as the shell hands it over, never cut.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

// More lines than a pipe holds, so that logk has to wait for its readers.
std::string many_points() {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += std::to_string(1 + i % 5000) + " " + std::to_string(i % 700) + "\n";
    return text;
}

// logk.out of a run on files of these contents, with the default names.
std::string result_file(const std::string& table, const std::string& points) {
    Workdir dir;
    dir.write("quartz.dat", table);
    dir.write("PT.dat", points);
    const RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 0);
    return dir.read("logk.out");
}

std::set<std::string> file_names(const Workdir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Whichever of the files is a stream, the run's bytes are those of logk.out
// from the same inputs: on standard output, or in logk.out.
TEST(StreamRun, StandardStreamsHoldWhatTheFilesWould) {
    struct Row {
        std::vector<std::string> arguments;
        bool input_is_table;  // standard input holds the table, else the points (when a stream)
    };
    const std::vector<Row> rows = {
        {{"--output", "-"}, false},
        {{"--points", "-", "--output", "-"}, false},
        {{"--table=-", "--output=-"}, true},
        {{"--points", "-"}, false},
        {{"--table", "-"}, true},
    };
    const std::string table = uniform_table(-2.5);
    const std::string points = many_points();
    const std::string expected = result_file(table, points);
    ASSERT_EQ(expected.size(), 70u + 73u * 3000);
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        Workdir dir;
        const auto reads = [&](const char* option) {
            for (const std::string& argument : row.arguments) {
                if (argument == option || argument == std::string(option) + "=-") return true;
            }
            return false;
        };
        const bool table_stream = reads("--table");
        const bool points_stream = reads("--points");
        const bool output_stream = reads("--output");
        std::set<std::string> files;
        if (!table_stream) {
            dir.write("quartz.dat", table);
            files.insert("quartz.dat");
        }
        if (!points_stream) {
            dir.write("PT.dat", points);
            files.insert("PT.dat");
        }
        if (!output_stream) files.insert("logk.out");
        RunOptions options;
        options.arguments = row.arguments;
        if (table_stream || points_stream) options.input_text = row.input_is_table ? table : points;
        const RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_text, "");
        EXPECT_EQ(result.output_text == expected, output_stream);
        if (!output_stream) {
            EXPECT_EQ(dir.read("logk.out"), expected);
        }
        EXPECT_EQ(file_names(dir), files);
    }
}

// A file handed over as standard output keeps what it held: the lines are
// written from where the stream stands, over the old bytes or after them,
// and nothing is cut.
TEST(StreamRun, StandardOutputIsNeverCut) {
    const std::string table = uniform_table(1.25);
    const std::string points = "500 300\n1 2\n";
    const std::string expected = result_file(table, points);
    const std::string old(1000, 'x');
    ASSERT_LT(expected.size(), old.size());
    for (const bool appends : {false, true}) {
        SCOPED_TRACE(appends ? "appending" : "from the start");
        Workdir dir;
        dir.write("quartz.dat", table);
        dir.write("PT.dat", points);
        dir.write("out.txt", old);
        RunOptions options;
        options.arguments = {"--output", "-"};
        options.output_file = dir.file("out.txt");
        options.output_appends = appends;
        const RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_text, "");
        EXPECT_EQ(dir.read("out.txt"), appends ? old + expected : expected + old.substr(expected.size()));
        EXPECT_FALSE(dir.exists("logk.out"));
    }
}

// Messages name a stream as "standard input" or "standard output"; a
// stream that is not open, or a directory, fails as its open would, at the
// point of the run where its file would be opened. DIR is the directory.
TEST(StreamRun, MessagesNameTheStream) {
    struct Row {
        std::vector<std::string> arguments;
        std::optional<std::string> input_text;
        std::string input_file;   // standard input, "" for /dev/null
        std::string output_file;  // standard output, "" for a pipe
        bool close_input;
        bool close_output;
        bool table;  // quartz.dat is there
        int exit_status;
        std::string error;
        int result_bytes;  // the size of logk.out, -1 for none
    };
    const std::string severe = "runlib: severe (";
    const std::vector<Row> rows = {
        {{"--points", "-"}, "100 abc\n", "", "", false, false, true, 59,
         severe + "59): list-directed I/O syntax error, unit 12, file standard input\n", 70},
        {{"--table", "-"}, "1 2 abc\n", "", "", false, false, true, 59,
         severe + "59): list-directed I/O syntax error, unit 11, file standard input\n", 0},
        {{"--points", "-"}, std::nullopt, "", "", true, false, true, 30,
         "runlib: Bad file descriptor\n" + severe + "30): open failure, unit 12, file standard input\n", -1},
        {{"--points", "-"}, std::nullopt, "", "", true, false, false, 29,
         "runlib: No such file or directory\n" + severe + "29): file not found, unit 11, file DIR/quartz.dat\n",
         -1},
        {{"--table", "-"}, std::nullopt, "DIR", "", false, false, true, 30,
         "runlib: Is a directory\n" + severe + "30): open failure, unit 11, file standard input\n", -1},
        {{"--output", "-"}, std::nullopt, "", "", false, true, true, 30,
         "runlib: Bad file descriptor\n" + severe + "30): open failure, unit 21, file standard output\n", -1},
        {{"--output", "-"}, std::nullopt, "", "/dev/full", false, false, true, 38,
         "runlib: No space left on device\n" + severe + "38): error during write, unit 21, file standard output\n",
         -1},
        // A device that both streams lead to holds no input to destroy.
        {{"--points", "-", "--output", "-"}, std::nullopt, "/dev/null", "/dev/null", false, false, true, 0, "", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments) + " " + row.error);
        Workdir dir;
        if (row.table) dir.write("quartz.dat", uniform_table(0.5));
        dir.write("PT.dat", "500 300\n");
        RunOptions options;
        options.arguments = row.arguments;
        options.input_text = row.input_text;
        options.input_file = row.input_file == "DIR" ? dir.path() : row.input_file;
        options.output_file = row.output_file;
        options.close_input = row.close_input;
        options.close_output = row.close_output;
        const RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, row.exit_status);
        std::string error = row.error;
        if (const auto at = error.find("DIR"); at != std::string::npos) error.replace(at, 3, dir.path());
        EXPECT_EQ(result.error_text, error);
        EXPECT_EQ(dir.exists("logk.out"), row.result_bytes >= 0);
        if (row.result_bytes >= 0) {
            EXPECT_EQ(dir.read("logk.out").size(), static_cast<std::size_t>(row.result_bytes));
        }
    }
}

}  // namespace
}  // namespace logk::testing
