// The examples of the README, built from examples/ in C++, C and Fortran,
// run on the example table: each prints P, T and the five results of its
// points, which must be the program's results for the same points, line for
// line. And the README shows each example as it stands in examples/.
#include <gtest/gtest.h>

#include <cstdio>
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

TEST(Examples, GiveTheProgramsResults) {
    for (const Example& example : kExamples) {
        SCOPED_TRACE(example.name);
        if (*example.binary == '\0') {
            std::printf("skipped: the %s example, for want of a compiler\n", example.name);
            continue;
        }
        std::istringstream lines(output_of(std::string(example.binary) + " " + LOGK_SOURCE_DIR + "/examples/quartz.dat"));
        std::vector<std::pair<double, double>> points;
        std::vector<Interpolation> results;
        std::string points_text;
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
        ASSERT_EQ(points.size(), 31u);
        Workdir dir;
        dir.write("quartz.dat", source_file("examples/quartz.dat"));
        dir.write("PT.dat", points_text);
        ASSERT_EQ(run_logk(dir).exit_status, 0);
        const std::string out = dir.read("logk.out");
        ASSERT_EQ(out.size(), 70 + 73 * points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(format_line(points[i].first, points[i].second, results[i]), out.substr(70 + 73 * i, 71)) << i;
        }
    }
}

TEST(Examples, TheReadmeShowsThemAsTheyStand) {
    const std::string readme = source_file("README.md");
    for (const Example& example : kExamples) {
        SCOPED_TRACE(example.source);
        const std::string source = source_file(example.source);
        ASSERT_FALSE(source.empty());
        EXPECT_NE(readme.find(source), std::string::npos);
    }
}

}  // namespace
}  // namespace logk::testing
