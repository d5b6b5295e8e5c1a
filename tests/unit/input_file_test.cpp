#include "reader/input_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/memory_file.h"

namespace logk {
namespace {

// All records of `content`, read through a buffer of `buffer` bytes.
std::vector<std::string> records(const std::string& content, std::size_t buffer = 4) {
    int fd = testing::memory_file(content);
    InputFile file(fd, 12, "/x/PT.dat", buffer);
    std::vector<std::string> out;
    for (;;) {
        RecordResult result = file.next_record();
        if (result.status != RecordResult::ok) break;
        out.emplace_back(file.record_begin(), file.record_end());
    }
    ::close(fd);
    return out;
}

using Records = std::vector<std::string>;

TEST(InputFile, SplitsRecords) {
    struct Row {
        std::string content;
        Records expected;
    };
    const std::vector<Row> rows = {
        {"", {}},
        {"\n", {""}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nlast", {"a", "last"}},
        {"a\r", {"a\r"}},                        // CR not before LF is data
        {"a\rb\n", {"a\rb"}},
        {"x\r\r\n", {"x\r"}},                    // only the CR before LF goes
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
        {"\n\n\n", {"", "", ""}},
        {"1 2\n\x1a\n3 4\n", {"1 2"}},           // a lone byte 26 ends the file
        {"1\n\x1a\r\n3\n", {"1"}},
        {"1\n\x1a", {"1"}},
        {"1\n\x1a\x1a\n2\n", {"1", "\x1a\x1a", "2"}},
        {"\xff\xfe\n", {"\xff\xfe"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.content));
        EXPECT_EQ(records(row.content), row.expected);
    }
}

// Lines far longer than the buffer: the buffer doubles, nothing is lost,
// whatever the buffer size.
TEST(InputFile, LongLinesGrowTheBuffer) {
    std::string long_line(100000, 'x');
    long_line[777] = 'y';
    const std::string content = "short\n" + long_line + "\nafter\n" + long_line;
    for (std::size_t buffer : {1u, 3u, 64u, 4096u, 1u << 20}) {
        SCOPED_TRACE(buffer);
        EXPECT_EQ(records(content, buffer), (Records{"short", long_line, "after", long_line}));
    }
}

TEST(InputFile, EndOfFileStaysEnded) {
    int fd = testing::memory_file("1\n");
    InputFile file(fd, 11, "/x/quartz.dat");
    EXPECT_EQ(file.next_record().status, RecordResult::ok);
    EXPECT_EQ(file.next_record().status, RecordResult::end_of_file);
    EXPECT_EQ(file.next_record().status, RecordResult::end_of_file);
    ::close(fd);
}

TEST(InputFile, FailedReadIsMessage39WithTheSystemError) {
    InputFile file(-1, 12, "/x/PT.dat");  // not a descriptor: read fails with EBADF
    RecordResult result = file.next_record();
    EXPECT_EQ(result.status, RecordResult::failed);
    EXPECT_EQ(result.message, 39);
    EXPECT_EQ(file.take_system_error(), EBADF);
    EXPECT_EQ(file.take_system_error(), 0);
}

}  // namespace
}  // namespace logk
