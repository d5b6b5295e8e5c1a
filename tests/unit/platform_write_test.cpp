#include "system/platform.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

namespace logk {
namespace {

class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(ends_), 0); }
    ~Pipe() {
        close_reader();
        if (ends_[1] >= 0) ::close(ends_[1]);
    }
    int reader() const { return ends_[0]; }
    int writer() const { return ends_[1]; }
    void close_reader() {
        if (ends_[0] >= 0) ::close(ends_[0]);
        ends_[0] = -1;
    }

private:
    int ends_[2] = {-1, -1};
};

// SIGPIPE ignored for one scope, so that a write to a pipe without a reader
// fails with EPIPE instead of ending the test.
class IgnoredSigpipe {
public:
    IgnoredSigpipe() {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        EXPECT_EQ(::sigaction(SIGPIPE, &ignore, &previous_), 0);
    }
    ~IgnoredSigpipe() { ::sigaction(SIGPIPE, &previous_, nullptr); }

private:
    struct sigaction previous_ = {};
};

// The single write call hands back the count taken, or the negated errno.
TEST(PlatformWrite, CountOrNegatedErrno) {
    const std::string line = "  500.000   300.000      19        13          -2.500       N         N\r\n";

    {
        Pipe pipe;
        EXPECT_EQ(platform::write_some(pipe.writer(), line.data(), line.size()),
                  static_cast<std::ptrdiff_t>(line.size()));
        EXPECT_EQ(platform::write_some(pipe.writer(), line.data(), 0), 0);
        char back[128] = {};
        ASSERT_EQ(::read(pipe.reader(), back, sizeof back), static_cast<ssize_t>(line.size()));
        EXPECT_EQ(std::string(back, line.size()), line);
    }

    EXPECT_EQ(platform::write_some(-1, line.data(), line.size()), -EBADF);

    const int read_only = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(read_only, 0);
    EXPECT_EQ(platform::write_some(read_only, line.data(), line.size()), -EBADF);
    ::close(read_only);

    {
        Pipe pipe;
        pipe.close_reader();
        IgnoredSigpipe ignored;
        EXPECT_EQ(platform::write_some(pipe.writer(), line.data(), line.size()), -EPIPE);
    }
}

// The retrying write built on it: 0 and the whole count, or the errno (not
// negated) and the bytes taken before the failure.
TEST(PlatformWrite, WriteAllReportsTheBytesTaken) {
    Pipe pipe;
    std::size_t written = 99;
    EXPECT_EQ(platform::write_all(pipe.writer(), "abc", 3, &written), 0);
    EXPECT_EQ(written, 3u);
    pipe.close_reader();
    IgnoredSigpipe ignored;
    EXPECT_EQ(platform::write_all(pipe.writer(), "abc", 3, &written), EPIPE);
    EXPECT_EQ(written, 0u);
}

}  // namespace
}  // namespace logk
