// The guide's examples, built from examples/ in C++, C and Fortran, run on
// the example tables: each prints P, T, the stencil, log K (of each table,
// for the geotherm's set) and the flags of its points, which must be the
// program's results for the same points, line for line. And the guide
// shows each example as it stands in examples/, by including the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "logk/logk.hpp"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

// Everything a command writes on standard output.
std::string output_of(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char block[4096];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;) output.append(block, got);
    ::pclose(pipe);
    return output;
}

struct Example {
    const char* name;
    const char* binary;  // "" where it could not be built
    const char* source;
};

const Example kExamples[] = {
    {"C++", LOGK_EXAMPLE_CPP, "examples/cpp/geotherm.cpp"},
    {"C", LOGK_EXAMPLE_C, "examples/c/geotherm.c"},
    {"Fortran", LOGK_EXAMPLE_FORTRAN, "examples/fortran/geotherm.f90"},
};

// The program's logk.out for the points and the example table `table`.
std::string program_output(const std::string& points_text, const std::string& table) {
    Workdir dir;
    dir.write("quartz.dat", source_file("examples/" + table));
    dir.write("PT.dat", points_text);
    EXPECT_EQ(run_logk(dir).exit_status, 0);
    return dir.read("logk.out");
}

TEST(Examples, GiveTheProgramsResults) {
    const char* kTables[2] = {"quartz.dat", "kw.dat"};
    for (const Example& example : kExamples) {
        SCOPED_TRACE(example.name);
        if (*example.binary == '\0') {
            std::printf("skipped: the %s example, for want of a compiler\n", example.name);
            continue;
        }
        const std::string command = std::string(example.binary) + " " + LOGK_SOURCE_DIR + "/examples/" + kTables[0] +
                                    " " + LOGK_SOURCE_DIR + "/examples/" + kTables[1];
        std::istringstream lines(output_of(command));
        std::vector<std::pair<double, double>> points;
        std::vector<Interpolation> results[2];
        std::string points_text;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            double P, T;
            Interpolation at[2];
            ASSERT_TRUE(fields >> P >> T >> at[0].PIDX >> at[0].TIDX >> at[0].LK >> at[1].LK >> at[0].ISOERR >>
                        at[0].PTERR)
                << line;
            at[1].PIDX = at[0].PIDX, at[1].TIDX = at[0].TIDX, at[1].ISOERR = at[0].ISOERR, at[1].PTERR = at[0].PTERR;
            points.emplace_back(P, T);
            results[0].push_back(at[0]);
            results[1].push_back(at[1]);
            char point[80];
            std::snprintf(point, sizeof point, "%.17g %.17g\n", P, T);
            points_text += point;
        }
        ASSERT_EQ(points.size(), 31u);
        for (int table = 0; table < 2; ++table) {
            SCOPED_TRACE(kTables[table]);
            const std::string out = program_output(points_text, kTables[table]);
            ASSERT_EQ(out.size(), 70 + 73 * points.size());
            for (std::size_t i = 0; i < points.size(); ++i) {
                EXPECT_EQ(format_line(points[i].first, points[i].second, results[table][i]), out.substr(70 + 73 * i, 71))
                    << i;
            }
        }
    }
}

const Example kOneTableExamples[] = {
    {"C++", LOGK_ONE_TABLE_CPP, "examples/cpp/one_table.cpp"},
    {"C", LOGK_ONE_TABLE_C, "examples/c/one_table.c"},
    {"Fortran", LOGK_ONE_TABLE_FORTRAN, "examples/fortran/one_table.f90"},
};

// An example's five lines of points, "P T PIDX TIDX LK ISOERR PTERR" each,
// held to the lines the program writes for those points from `table`.
void expect_the_programs_lines(std::istream& lines, const char* table) {
    std::string points_text;
    std::vector<std::pair<double, double>> points;
    std::vector<Interpolation> results;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        double P, T;
        Interpolation at;
        ASSERT_TRUE(fields >> P >> T >> at.PIDX >> at.TIDX >> at.LK >> at.ISOERR >> at.PTERR) << line;
        points.emplace_back(P, T);
        results.push_back(at);
        char point[80];
        std::snprintf(point, sizeof point, "%.17g %.17g\n", P, T);
        points_text += point;
    }
    ASSERT_EQ(points.size(), 5u);
    const std::string out = program_output(points_text, table);
    ASSERT_EQ(out.size(), 70 + 73 * points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(format_line(points[i].first, points[i].second, results[i]), out.substr(70 + 73 * i, 71)) << i;
    }
}

TEST(Examples, OneTableGivesTheProgramsResults) {
    for (const Example& example : kOneTableExamples) {
        SCOPED_TRACE(example.name);
        if (*example.binary == '\0') {
            std::printf("skipped: the %s example, for want of a compiler\n", example.name);
            continue;
        }
        std::istringstream lines(output_of(std::string(example.binary) + " " + LOGK_SOURCE_DIR + "/examples/quartz.dat"));
        expect_the_programs_lines(lines, "quartz.dat");
    }
}

const Example kOwnNodesExamples[] = {
    {"C++", LOGK_OWN_NODES_CPP, "examples/cpp/own_nodes.cpp"},
    {"C", LOGK_OWN_NODES_C, "examples/c/own_nodes.c"},
    {"Fortran", LOGK_OWN_NODES_FORTRAN, "examples/fortran/own_nodes.f90"},
};

// Each makes calcite.dat's table from its nodes and values: its first line
// holds the nodes as the library reads them from the file, and its points
// the program's results on the file.
TEST(Examples, OwnNodesGiveTheProgramsResultsOnCalcite) {
    const Read<Table> calcite = Table::load(std::string(LOGK_SOURCE_DIR) + "/examples/calcite.dat");
    ASSERT_TRUE(calcite) << calcite.error.text;
    ASSERT_TRUE(calcite.value->on_own_nodes());
    const auto temperatures = calcite.value->temperatures();
    for (const Example& example : kOwnNodesExamples) {
        SCOPED_TRACE(example.name);
        if (*example.binary == '\0') {
            std::printf("skipped: the %s example, for want of a compiler\n", example.name);
            continue;
        }
        std::istringstream lines(output_of(example.binary));
        std::string line;
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream nodes(line);
        std::size_t m = 0, n = 0;
        double first = 0, last = 0;
        std::string x, word, to, unit;
        ASSERT_TRUE(nodes >> m >> x >> n >> word >> first >> to >> last >> unit) << line;
        EXPECT_EQ(m, calcite.value->pressures().size());
        EXPECT_EQ(n, temperatures.size());
        EXPECT_EQ(first, temperatures.front());
        EXPECT_EQ(last, temperatures.back());
        expect_the_programs_lines(lines, "calcite.dat");
    }
}

// Every page of the guide, as one text.
std::string guide_pages() {
    std::string pages;
    for (const char* page : {"c.md", "cpp.md", "fortran.md", "own_grid.md"}) pages += source_file(std::string("docs/guide/") + page);
    return pages;
}

TEST(Examples, TheGuideIncludesThemFromTheirFiles) {
    const std::string guide = guide_pages();
    ASSERT_FALSE(guide.empty());
    for (const auto& examples : {std::span<const Example>(kExamples), std::span<const Example>(kOneTableExamples),
                                 std::span<const Example>(kOwnNodesExamples)}) {
        for (const Example& example : examples) {
            SCOPED_TRACE(example.source);
            ASSERT_FALSE(source_file(example.source).empty());
            // docs/guide/<page>.md includes ../../examples/...
            EXPECT_NE(guide.find("{literalinclude} ../../" + std::string(example.source)), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace logk::testing
