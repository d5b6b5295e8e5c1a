// The program on a table file that names its own nodes: the same result
// line, its indices counted in the file's own nodes, and a file that is no
// such table refused with a line that says what is wrong where, before the
// message line and its status.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "grid/grid_table.h"
#include "interp/intrpk.h"
#include "result/result_line.h"
#include "stencil/grid_rules.h"
#include "support/logk_process.h"

namespace logk::testing {
namespace {

// The lines logk.out holds for the points on the table, from the rules and
// the interpolation themselves (held to their model by the table of cases).
std::string expected_out(const GridTable& table, const std::vector<std::pair<double, double>>& points) {
    const GridRules rules(table);
    std::string out(result_header());
    for (const auto& [P, T] : points) {
        int PIDX = -100, TIDX = -100;
        char PTERR = 'N', ISOERR = 'N';
        double LK;
        rules.find(P, T, PIDX, TIDX, PTERR, ISOERR);
        intrpk_grid(P, T, PIDX, TIDX, table, table.cells(), 1, LK);
        ResultLine line;
        format_result_line(P, T, PIDX, TIDX, LK, ISOERR, PTERR, line);
        out.append(line.data(), line.size());
    }
    return out;
}

TEST(GridRun, ATableOfItsOwnNodesGivesTheResultLines) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<double, double>> points = {{300, 150}, {100, 450}, {50, 450}, {2500, 510},
                                                           {99, 24},   {1000, 550}, {500, 25}};
    const std::string PT = "300 150\n100 450\n50 450\n2500 510\n99 24\n1000 550\n500 25\n";
    struct Row {
        const char* name;
        std::string file;
        GridTable table;
    };
    const std::vector<double> T6 = {25, 100, 200, 300, 400, 500};
    std::vector<double> vapour = {-2.00, -1.80, -1.50, -1.30, nan,  nan,  -2.10, -1.90, -1.60, -1.40, -1.20, -1.10,
                                  -2.20, -2.00, -1.70, -1.50, -1.30, -1.20, -2.30, -2.10, -1.80, -1.60, -1.40, -1.30};
    const std::vector<double> calcite_T = {0.01, 25, 60, 100, 150, 200, 250, 300};
    const std::vector<double> calcite = {-8.38, -8.48, -8.75, -9.13, -9.64, -10.20, -10.81, -11.48};
    const std::vector<Row> rows = {
        {"the example of a grid of its own", source_file("examples/vapour_side.dat"),
         GridTable(std::vector<double>{100, 500, 1000, 2000}, T6, vapour)},
        {"calcite along the saturation line", source_file("examples/calcite.dat"),
         GridTable(std::vector<double>{nan}, calcite_T, calcite)},
        {"blanks, nan, CR LF and a comment between rows",
         "P\\T 25 100 200 300 400 500\r\n100 -2 -1.8 -1.5 -1.3 nan NaN\r\n# the rest\r\n"
         "500 -2.1 -1.9 -1.6 -1.4 -1.2 -1.1\r\n1000 -2.2 -2 -1.7 -1.5 -1.3 -1.2\r\n2000 -2.3 -2.1 -1.8 -1.6 -1.4 -1.3\r\n",
         GridTable(std::vector<double>{100, 500, 1000, 2000}, T6, vapour)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Workdir dir;
        dir.write("own.dat", row.file);
        dir.write("PT.dat", PT);
        RunOptions options;
        options.arguments = {"--table", "own.dat"};
        const RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, 0);
        EXPECT_EQ(result.error_text, "");
        EXPECT_EQ(dir.read("logk.out"), expected_out(row.table, points));
    }
}

TEST(GridRun, AFileThatIsNoSuchTableIsRefused) {
    struct Row {
        std::string file;
        int status;
        std::string detail;  // the line before the message line, after "runlib: "
        const char* text;
    };
    const std::vector<Row> rows = {
        {"P\\T, 25, 100\n1,2,3\n", 59, "line 1, column 13: the header names 2 temperature nodes: a table needs 3 or more",
         "list-directed I/O syntax error"},
        {"P\\T 25 200 100\n1 2 3 4\n2 5 6 7\n3 8 9 1\n", 64, "line 1, column 12: ", "input conversion error"},
        {"P\\T 25 100 200\n1 2 3\n", 59, "line 2, column ", "list-directed I/O syntax error"},
        {"P\\T 25 100 200\n1 2 3 4\n2 5 6 7\n", 24, "line 3: ", "end-of-file during read"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        Workdir dir;
        dir.write("own.dat", row.file);
        dir.write("PT.dat", "500 300\n");
        dir.write("logk.out", "old contents\n");
        RunOptions options;
        options.arguments = {"--table", "own.dat"};
        const RunResult result = run_logk(dir, options);
        EXPECT_EQ(result.exit_status, row.status);
        const std::string message = severe_line(row.status, row.text, 11, dir, "own.dat");
        ASSERT_GT(result.error_text.size(), message.size());
        EXPECT_EQ(result.error_text.substr(result.error_text.size() - message.size()), message);
        EXPECT_EQ(result.error_text.rfind("runlib: " + row.detail, 0), 0u) << result.error_text;
        EXPECT_EQ(std::count(result.error_text.begin(), result.error_text.end(), '\n'), 2);
        EXPECT_EQ(dir.read("logk.out"), "old contents\n");  // the header is written after the table is read
    }
}

}  // namespace
}  // namespace logk::testing
