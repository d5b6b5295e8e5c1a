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

// The peek finds the first text after blank lines, whatever the buffer,
// and serves nothing: the records and their line numbers afterwards are
// those of a file never peeked at.
TEST(InputFile, PeekFindsTheFirstTextAndServesNothing) {
    struct Row {
        std::string content;
        std::ptrdiff_t first;  // the offset of the text found, -1 for none
    };
    const std::string blanks(300, ' ');
    const std::vector<Row> rows = {
        {"", -1},
        {"\n", -1},
        {" \t \n\r\n\n  ", -1},             // a last line of blanks without LF
        {"x", 0},                              // one line without LF
        {"  \tx\n", 3},
        {"\n\r\n \n#c\n", 5},
        {" \rx\n", 1},                          // a CR not before LF is text
        {"\n\r", 1},                            // and so is a CR that ends the file
        {"\r\r\n", 0},
        {"\x1a\n", 0},                          // the end marker is a record's text
        {blanks + "\n" + blanks + "\r\n" + blanks + "x" + std::string(1000, 'y'), 3 * 300 + 3},
    };
    for (const Row& row : rows) {
        for (std::size_t buffer : {1u, 2u, 5u, 4096u}) {
            SCOPED_TRACE(::testing::PrintToString(row.content) + " buffer " + std::to_string(buffer));
            int fd = testing::memory_file(row.content);
            InputFile file(fd, 11, "/x/quartz.dat", buffer);
            const char* first = nullptr;
            const RecordResult peeked = file.peek_nonblank(first);
            if (row.first < 0) {
                EXPECT_EQ(peeked.status, RecordResult::end_of_file);
            } else {
                ASSERT_EQ(peeked.status, RecordResult::ok);
                EXPECT_EQ(first - file.unread_begin(), row.first);
                EXPECT_EQ(*first, row.content[static_cast<std::size_t>(row.first)]);
                const char* again = nullptr;
                EXPECT_EQ(file.peek_nonblank(again).status, RecordResult::ok);
                EXPECT_EQ(again - file.unread_begin(), row.first);
            }
            std::vector<std::string> served;
            while (file.next_record().status == RecordResult::ok) {
                served.push_back(std::to_string(file.line()) + ":" +
                                 std::string(file.record_begin(), file.record_end()));
            }
            ::close(fd);
            std::vector<std::string> expected;
            std::int64_t line = 0;
            for (const std::string& record : records(row.content, buffer)) {
                expected.push_back(std::to_string(++line) + ":" + record);
            }
            EXPECT_EQ(served, expected);
        }
    }
}

// The blank lines before the text stay in the buffer, and a peek past more
// of them than the longest line fails as that line would; a peek after the
// last record finds nothing.
TEST(InputFile, PeekBoundsAndEnd) {
    int fd = testing::memory_file(std::string(40, '\n') + "x\n");
    InputFile file(fd, 11, "/x/quartz.dat", 8);
    file.set_longest_line(32);
    const char* first = nullptr;
    RecordResult peeked = file.peek_nonblank(first);
    EXPECT_EQ(peeked.status, RecordResult::failed);
    EXPECT_EQ(peeked.message, 22);
    ::close(fd);

    fd = testing::memory_file("a\n\n");
    InputFile ended(fd, 11, "/x/quartz.dat", 8);
    EXPECT_EQ(ended.next_record().status, RecordResult::ok);
    EXPECT_EQ(ended.peek_nonblank(first).status, RecordResult::end_of_file);
    EXPECT_EQ(ended.next_record().status, RecordResult::ok);
    EXPECT_EQ(ended.line(), 2);
    EXPECT_EQ(ended.next_record().status, RecordResult::end_of_file);
    EXPECT_EQ(ended.peek_nonblank(first).status, RecordResult::end_of_file);
    ::close(fd);

    // Past a record served, over refills that move the unread bytes to the front.
    fd = testing::memory_file("a\n" + std::string(20, ' ') + "\n\tx\n");
    InputFile later(fd, 11, "/x/quartz.dat", 4);
    EXPECT_EQ(later.next_record().status, RecordResult::ok);
    ASSERT_EQ(later.peek_nonblank(first).status, RecordResult::ok);
    EXPECT_EQ(first - later.unread_begin(), 22);
    EXPECT_EQ(later.next_record().status, RecordResult::ok);
    EXPECT_EQ(later.record_end() - later.record_begin(), 20);
    EXPECT_EQ(later.next_record().status, RecordResult::ok);
    EXPECT_EQ(std::string(later.record_begin(), later.record_end()), "\tx");
    EXPECT_EQ(later.line(), 3);
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
