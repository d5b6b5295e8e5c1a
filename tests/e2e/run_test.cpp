// The whole program, run in a scratch directory: files, messages and exit
// status as a user sees them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

// The names in the directory.
std::set<std::string> file_names(const Workdir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(Run, NormalEndIsSilentWithStatusZero) {
    for (const char* points : {"", "\n\n  \n", "500 300\n", "500 300\n100\n", "500 300\n\x1a\n1 2\n"}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(points)));
        Workdir dir;
        dir.write("quartz.dat", uniform_table(-2.5));
        dir.write("PT.dat", points);
        RunResult result = run_logk(dir);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_text, "");
    }
}

TEST(Run, MissingTableStopsBeforeAnythingElseIsOpened) {
    Workdir dir;
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 29);
    EXPECT_EQ(result.error_text, "runlib: No such file or directory\n" +
                                     severe_line(29, "file not found", 11, dir, "quartz.dat"));
    EXPECT_FALSE(dir.exists("logk.out"));
}

TEST(Run, MissingPointsLeaveTheResultFileUntouched) {
    Workdir dir;
    dir.write("quartz.dat", uniform_table(1.0));
    dir.write("logk.out", "old contents\n");
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 29);
    EXPECT_EQ(result.error_text, "runlib: No such file or directory\n" +
                                     severe_line(29, "file not found", 12, dir, "PT.dat"));
    EXPECT_EQ(dir.read("logk.out"), "old contents\n");

    Workdir fresh;
    fresh.write("quartz.dat", uniform_table(1.0));
    EXPECT_EQ(run_logk(fresh).exit_status, 29);
    EXPECT_FALSE(fresh.exists("logk.out"));
}

// Failures while reading name the file; no operating-system line precedes
// them, since no system call failed.
TEST(Run, ReadingFailuresNameTheFile) {
    struct Row {
        std::string table;
        std::string points;
        int message;
        const char* text;
        int unit;
        const char* name;
        int lines;  // whole result lines left in logk.out; -1: no header either
    };
    const std::string table = uniform_table(0.5);
    const std::string short_table = table.substr(0, table.rfind('\n', table.size() - 2) + 1);
    const std::vector<Row> rows = {
        {short_table, "", 24, "end-of-file during read", 11, "quartz.dat", -1},
        {"", "", 24, "end-of-file during read", 11, "quartz.dat", -1},
        {"1 2 abc\n" + table, "", 59, "list-directed I/O syntax error", 11, "quartz.dat", -1},
        {table, "100 abc\n", 59, "list-directed I/O syntax error", 12, "PT.dat", 0},
        {table, "\xEF\xBB\xBF" "100 200\n", 59, "list-directed I/O syntax error", 12, "PT.dat", 0},
        {table, "1 2\n1E5.0 3\n", 64, "input conversion error", 12, "PT.dat", 1},
        {table, "1.0E+-5 3\n", 64, "input conversion error", 12, "PT.dat", 0},
        {table, "3 1E400\n", 64, "input conversion error", 12, "PT.dat", 0},
        {table, "1 'x'\n", 64, "input conversion error", 12, "PT.dat", 0},
        {table, "5 6\n7 8\n1E400\n", 64, "input conversion error", 12, "PT.dat", 2},  // never swallowed by the end
        {table, "1 'open\n", 24, "end-of-file during read", 12, "PT.dat", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.points) + " / " + std::to_string(row.message));
        Workdir dir;
        dir.write("quartz.dat", row.table);
        dir.write("PT.dat", row.points);
        RunResult result = run_logk(dir);
        EXPECT_EQ(result.exit_status, row.message);
        EXPECT_EQ(result.error_text, severe_line(row.message, row.text, row.unit, dir, row.name));
        const std::string out = dir.read("logk.out");
        EXPECT_EQ(out.size(), row.lines < 0 ? 0u : 70u + 73u * static_cast<unsigned>(row.lines));
    }
}

// Messages show the absolute path while it has fewer than 256 characters,
// and the bare file name from there on.
TEST(Run, LongPathsGiveWayToTheBareName) {
    for (std::size_t length : {255u, 256u}) {
        SCOPED_TRACE(length);
        Workdir dir;
        const std::size_t fixed = dir.path().size() + 1 + std::string("/quartz.dat").size();
        if (fixed >= length || length - fixed > 255) GTEST_SKIP() << "the scratch directory's path is too long";
        const std::string sub(length - fixed, 'd');
        ASSERT_EQ(::mkdir(dir.file(sub).c_str(), 0777), 0);
        RunOptions options;
        options.subdirectory = sub;
        RunResult result = run_logk(dir, options);
        const std::string shown = length < 256 ? dir.file(sub) + "/quartz.dat" : "quartz.dat";
        ASSERT_EQ(shown.size(), length < 256 ? length : 10u);
        EXPECT_EQ(result.exit_status, 29);
        EXPECT_EQ(result.error_text, "runlib: No such file or directory\n"
                                     "runlib: severe (29): file not found, unit 11, file " + shown + "\n");
    }
}

// The command line: the default run, files named instead of the default
// ones, the questions, and refusals. A refusal (status 2, one line that
// says what was not understood) and a question touch no file; a run on
// named files writes only its output. DIR in a text is the directory.
TEST(Run, CommandLine) {
    struct Row {
        std::vector<std::string> arguments;
        int exit_status;
        std::string output;  // what standard output starts with
        std::string error;
        std::string written;  // the file a run writes its lines to, "" for none
    };
    const std::string unexpected = "' (files are named with --table, --points and --output); try 'logk --help'\n";
    const std::string help = "Usage: logk [--table FILE] [--points FILE] [--output FILE]\n";
    const std::vector<Row> rows = {
        {{}, 0, "", "", "logk.out"},
        {{"--table", "t.dat", "--points=p.csv", "--output", "out.txt"}, 0, "", "", "out.txt"},
        {{"--output=out.txt"}, 0, "", "", "out.txt"},
        {{"--help"}, 0, help, "", ""},
        {{"-h"}, 0, help, "", ""},
        {{"--table", "t.dat", "--help"}, 0, help, "", ""},
        {{"--version"}, 0, "logk " LOGK_VERSION "\n", "", ""},
        {{"--verison"}, 2, "", "logk: unknown option '--verison'; try 'logk --help'\n", ""},
        {{"--HELP"}, 2, "", "logk: unknown option '--HELP'; try 'logk --help'\n", ""},
        {{"t.dat", "p.csv"}, 2, "", "logk: unexpected argument 't.dat" + unexpected, ""},
        {{"--table"}, 2, "", "logk: option '--table' needs a FILE; try 'logk --help'\n", ""},
        {{"--points="}, 2, "", "logk: option '--points' needs a FILE; try 'logk --help'\n", ""},
        {{"--table", "t.dat", "--table=p.csv"}, 2, "", "logk: option '--table' is given twice; try 'logk --help'\n",
         ""},
        {{"--points", "p.csv", "--output", "./p.csv"}, 2, "",
         "logk: the output './p.csv' is the input 'p.csv'; try 'logk --help'\n", ""},
        {{"--table", "missing.dat", "--output", "out.txt"}, 29, "",
         "runlib: No such file or directory\nrunlib: severe (29): file not found, unit 11, file DIR/missing.dat\n", ""},
        // A single dash is an option too, not a file.
        {{"-x"}, 2, "", "logk: unknown option '-x'; try 'logk --help'\n", ""},
        // A forgotten FILE never turns the next option into a file name; the
        // '=' form and a path reach a file whose name begins with "--".
        {{"--output", "--points=PT.dat"}, 2, "", "logk: option '--output' needs a FILE; try 'logk --help'\n", ""},
        {{"--table", "--", "--points", "p.csv"}, 2, "", "logk: option '--table' needs a FILE; try 'logk --help'\n", ""},
        {{"--output=--points=PT.dat"}, 0, "", "", "--points=PT.dat"},
        {{"--output", "./--x.out"}, 0, "", "", "--x.out"},
        // '-' is standard input for one of the inputs at most.
        {{"--table", "-", "--points=-"}, 2, "",
         "logk: the table and the points cannot both come from standard input ('-'); try 'logk --help'\n", ""},
        // Control characters are shown escaped, so that the refusal stays one
        // line; other bytes, UTF-8 among them, as they are.
        {{"--verison\n"}, 2, "", "logk: unknown option '--verison\\n'; try 'logk --help'\n", ""},
        {{"t.dat\r\t\x01\x1f\x7f \xc3\xa9\\"}, 2, "",
         "logk: unexpected argument 't.dat\\r\\t\\x01\\x1f\\x7f \xc3\xa9\\" + unexpected, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments));
        Workdir dir;
        const std::string table = uniform_table(-2.5);
        dir.write("quartz.dat", table);
        dir.write("t.dat", uniform_table(-1.5));
        dir.write("PT.dat", "500 300\n");
        dir.write("p.csv", "500,300\n600,300\n");
        dir.write("logk.out", "old contents\n");
        RunOptions options;
        options.arguments = row.arguments;
        RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, row.exit_status);
        std::string error = row.error;
        if (const auto at = error.find("DIR"); at != std::string::npos) error.replace(at, 3, dir.path());
        EXPECT_EQ(result.error_text, error);
        EXPECT_EQ(result.output_text.substr(0, row.output.size()), row.output);
        EXPECT_EQ(dir.read("quartz.dat"), table);
        EXPECT_EQ(dir.read("p.csv"), "500,300\n600,300\n");
        std::set<std::string> files = {"quartz.dat", "t.dat", "PT.dat", "p.csv", "logk.out"};
        if (!row.written.empty()) files.insert(row.written);
        EXPECT_EQ(file_names(dir), files);
        if (row.written == "logk.out") {
            EXPECT_EQ(dir.read("logk.out").size(), 70u + 73u);
        } else {
            EXPECT_EQ(dir.read("logk.out"), "old contents\n");
        }
        if (!row.written.empty() && row.written != "logk.out") {  // the table and points named, or the default ones
            const std::string out = dir.read(row.written);
            const bool named = row.arguments.size() > 2;
            EXPECT_EQ(out.size(), 70u + (named ? 2 : 1) * 73u);
            EXPECT_NE(out.find(named ? "-1.500" : "-2.500"), std::string::npos);
        }
    }
}

// Every entry of the directory: a link by its target, a file by its bytes.
std::map<std::string, std::string> snapshot(const Workdir& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        entries[name] = entry.is_symlink() ? "-> " + std::filesystem::read_symlink(entry.path()).string()
                                           : dir.read(name);
    }
    return entries;
}

// An output that is one of the inputs is refused before any file is opened,
// with the default names as with named files, through a link of either
// kind or a standard stream: writing it would destroy the input. Status 2,
// one line, and every file as it was. DIR in a name is the directory.
TEST(Run, OutputThatIsAnInputIsRefused) {
    struct Row {
        std::function<void(const Workdir&)> alias;  // turns the files into the alias
        std::vector<std::string> arguments;
        std::string input_file;   // standard input, "" for /dev/null
        std::string output_file;  // standard output, "" for a pipe
        std::string error;
    };
    const auto symlink = [](const char* target, const char* name) {
        return [=](const Workdir& dir) {
            ::unlink(dir.file(name).c_str());  // a file the link replaces, if any
            ASSERT_EQ(::symlink(target, dir.file(name).c_str()), 0);
        };
    };
    const auto hard_link = [](const char* target, const char* name) {
        return [=](const Workdir& dir) {
            ::unlink(dir.file(name).c_str());
            ASSERT_EQ(::link(dir.file(target).c_str(), dir.file(name).c_str()), 0);
        };
    };
    const auto none = [](const Workdir&) {};
    const std::string tail = "; try 'logk --help'\n";
    const std::vector<Row> rows = {
        {symlink("logk.out", "PT.dat"), {}, "", "", "logk: the output 'logk.out' is the input 'PT.dat'" + tail},
        {hard_link("logk.out", "quartz.dat"), {}, "", "",
         "logk: the output 'logk.out' is the input 'quartz.dat'" + tail},
        {symlink("PT.dat", "logk.out"), {}, "", "", "logk: the output 'logk.out' is the input 'PT.dat'" + tail},
        {symlink("logk.out", "p\n.dat"), {"--points", "p\n.dat", "--output", "./p\n.dat"}, "", "",
         "logk: the output './p\\n.dat' is the input 'p\\n.dat'" + tail},
        {none, {"--output", "-"}, "", "DIR/PT.dat", "logk: standard output is the input 'PT.dat'" + tail},
        {hard_link("quartz.dat", "t.dat"), {"--table=t.dat", "--output", "-"}, "", "DIR/quartz.dat",
         "logk: standard output is the input 't.dat'" + tail},
        {none, {"--points", "-"}, "DIR/logk.out", "", "logk: the output 'logk.out' is standard input" + tail},
        {none, {"--table", "-", "--output", "-"}, "DIR/quartz.dat", "DIR/quartz.dat",
         "logk: standard output is standard input" + tail},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments) + " " + row.input_file + " " + row.output_file +
                     " " + row.error);
        Workdir dir;
        dir.write("quartz.dat", uniform_table(-2.5));
        dir.write("PT.dat", "500 300\n");
        dir.write("logk.out", "old contents\n");
        row.alias(dir);
        const std::map<std::string, std::string> before = snapshot(dir);
        RunOptions options;
        options.arguments = row.arguments;
        const auto in_dir = [&](std::string name) {
            if (name.starts_with("DIR")) name.replace(0, 3, dir.path());
            return name;
        };
        options.input_file = in_dir(row.input_file);
        options.output_file = in_dir(row.output_file);
        RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, 2);
        EXPECT_EQ(result.error_text, row.error);
        EXPECT_EQ(result.output_text, "");
        EXPECT_EQ(snapshot(dir), before);
    }
}

TEST(Run, InputThatIsADirectoryIsAnOpenFailure) {
    Workdir dir;
    dir.write("quartz.dat", uniform_table(0.0));
    ASSERT_EQ(::mkdir(dir.file("PT.dat").c_str(), 0755), 0);
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 30);
    EXPECT_EQ(result.error_text,
              "runlib: Is a directory\n" + severe_line(30, "open failure", 12, dir, "PT.dat"));
}

TEST(Run, ReadOnlyInputsOpenWithoutComplaint) {
    Workdir dir;
    dir.write("quartz.dat", uniform_table(0.0));
    dir.write("PT.dat", "500 300\n");
    ASSERT_EQ(::chmod(dir.file("quartz.dat").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.file("PT.dat").c_str(), 0444), 0);
    RunOptions options;
    options.run_as_uid = unprivileged_uid();
    RunResult result = run_logk(dir, options);
    EXPECT_EQ(result.error_text, "");
    EXPECT_EQ(result.exit_status, 0);
}

TEST(Run, UnreadableInputIsPermissionDenied) {
    uid_t uid = unprivileged_uid();
    Workdir dir;
    dir.write("quartz.dat", uniform_table(0.0));
    ASSERT_EQ(::chmod(dir.file("quartz.dat").c_str(), 0), 0);
    RunOptions options;
    options.run_as_uid = uid;
    RunResult result = run_logk(dir, options);
    EXPECT_EQ(result.exit_status, 9);
    EXPECT_EQ(result.error_text, "runlib: Permission denied\n" +
                                     severe_line(9, "permission to access file denied", 11, dir, "quartz.dat"));
}

}  // namespace
}  // namespace logk::testing

namespace logk::testing {
namespace {

// A record that cannot fit in the address space the run is given: the
// buffer cannot double and the run stops with message 22, keeping the
// lines of the points before it.
TEST(Run, RecordTooLongForMemory) {
#ifdef LOGK_SANITIZED
    GTEST_SKIP() << "the sanitizer runtime needs more address space than the limit allows";
#else
    Workdir dir;
    dir.write("quartz.dat", uniform_table(0.0));
    std::string points = "500 300\n" + std::string(96u << 20, ' ') + "1 2\n";
    dir.write("PT.dat", points);
    RunOptions options;
    options.address_space = 64ul << 20;
    RunResult result = run_logk(dir, options);
    EXPECT_EQ(result.exit_status, 22);
    EXPECT_EQ(result.error_text, severe_line(22, "input record too long", 12, dir, "PT.dat"));
    EXPECT_EQ(dir.read("logk.out").size(), 70u + 73u);
#endif
}

}  // namespace
}  // namespace logk::testing
