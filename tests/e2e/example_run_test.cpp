// The shipped example, run as the README runs it, gives the shipped result.
#include <gtest/gtest.h>

#include <string>

#include "support/logk_process.h"

namespace logk::testing {
namespace {

TEST(ExampleRun, MatchesTheExpectedResultByteForByte) {
    Workdir dir;
    dir.write("quartz.dat", source_file("examples/quartz.dat"));
    dir.write("PT.dat", source_file("examples/PT.dat"));
    RunResult result = run_logk(dir);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.error_text, "");
    const std::string expected = source_file("examples/logk.out.expected");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(dir.read("logk.out"), expected);
}

}  // namespace
}  // namespace logk::testing
