// Stencil indices and flags as they reach logk.out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/input_files.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

TEST(StencilRun, IndicesAndFlagsAcrossTheGrid) {
    struct Point {
        const char* input;
        const char* columns;  // PIDX, TIDX, ISOERR, PTERR as written
    };
    const std::vector<Point> points = {
        {"500 300", "19 13 N N"},     {"1.0, 25", " 1  3 N N"},     {"0 25", " 1  3 N E"},
        {"5000 300", "35 13 N N"},    {"6000 300", "35 13 N E"},    {"4500 0", "34  3 N E"},
        {"0.5 200", " 2  9 E W"},     {"0.9 100", " 2  5 W W"},     {"1.013 110", " 2  6 W N"},
        {"170 375", "15 16 W N"},     {"100 375", "10 16 E N"},     {"720 545", "23 31 N N"},
        {"760 545", "25 31 W N"},     {"920 650", "28 36 W W"},     {"-1 700", " 1 36 E E"},
        {"7000 650", "35 36 N E"},    {"100/", "10  3 N E"},        {"/", " 1  3 N E"},
    };
    std::string list;
    for (const Point& point : points) list += std::string(point.input) + "\n";
    Workdir dir;
    dir.write("quartz.dat", uniform_table(-3.0));
    dir.write("PT.dat", list);
    ASSERT_EQ(run_logk(dir).exit_status, 0);
    const std::string out = dir.read("logk.out");
    ASSERT_EQ(out.size(), 70 + 73 * points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::string line = out.substr(70 + 73 * i, 73);
        const std::string got = line.substr(25, 2) + " " + line.substr(35, 2) + " " + line.substr(60, 1) +
                                " " + line.substr(70, 1);
        EXPECT_EQ(got, points[i].columns) << points[i].input;
    }
}

}  // namespace
}  // namespace logk::testing
