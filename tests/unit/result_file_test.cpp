#include "result/result_line.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace logk {
namespace {

std::string line_text(double P, double T, int PIDX, int TIDX, double LK, char ISOERR, char PTERR) {
    ResultLine line;
    format_result_line(P, T, PIDX, TIDX, LK, ISOERR, PTERR, line);
    return std::string(line.data(), line.size());
}

TEST(ResultFile, HeaderColumns) {
    const std::string header(result_header());
    ASSERT_EQ(header.size(), 70u);
    EXPECT_EQ(header, "    P         T       Pidx      Tidx      LogK      isoerr     PTerr\r\n");
    EXPECT_EQ(header[4], 'P');         // column 5
    EXPECT_EQ(header.substr(52, 6), "isoerr");
    EXPECT_EQ(header.substr(63, 5), "PTerr");
}

TEST(ResultFile, LineColumns) {
    struct Row {
        double P, T;
        int PIDX, TIDX;
        double LK;
        char ISOERR, PTERR;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Row& row : {
             Row{500, 300, 17, 13, -2.5, 'N', 'N',
                 "  500.000   300.000      17        13          -2.500       N         N"},
             {5000, 0.01, 35, 3, -1.2345678, 'W', 'N',
              " 5000.000     0.010      35         3          -1.235       W         N"},
             {12000, -20, 35, 3, 1234.5678, 'E', 'E',
              " ********   -20.000      35         3        1234.568       E         E"},
             {1.0133, 25, 1, 4, 0.0625, 'N', 'W',
              "    1.013    25.000       1         4           0.063       N         W"},
             {2.0005, -9999.9, 19, 3, -0.0004, 'N', 'E',
              "    2.001  ********      19         3           0.000       N         E"},
             {-9999.9, -9999.9, -100, -100, nan, '?', '\x7f',
              " ********  ********      **        **     NaN               ?         \x7f"},
         }) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(line_text(row.P, row.T, row.PIDX, row.TIDX, row.LK, row.ISOERR, row.PTERR),
                  std::string(row.text) + "\r\n");
    }
}

}  // namespace
}  // namespace logk
