#include "system/platform.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace logk::platform {
namespace {

bool write_refused(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// open(2), tried again when a signal interrupts it unless `stop` gives up.
int open_file(const char* name, int flags, const StopCheck& stop = {}) {
    for (;;) {
        const int fd = ::open(name, flags | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EINTR || (stop && stop())) return fd;
    }
}

bool is_fifo(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode);
}

bool names_a_fifo(const char* name) {
    struct stat info {};
    return ::stat(name, &info) == 0 && S_ISFIFO(info.st_mode);
}

FileIdentity identity(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), S_ISCHR(info.st_mode)};
}

// The interrupt handler may only touch plain data: fds and preformatted text.
constexpr int kMaxTracked = 8;
volatile sig_atomic_t g_tracked[kMaxTracked] = {-1, -1, -1, -1, -1, -1, -1, -1};

const ConsoleEvent* g_events = nullptr;
std::size_t g_event_count = 0;

void on_console_event(int signal_number) {
    for (std::size_t i = 0; i < g_event_count; ++i) {
        const ConsoleEvent& event = g_events[i];
        if (event.signal != signal_number) continue;
        const char* text = event.message.data();
        std::size_t left = event.message.size();
        while (left > 0) {
            ssize_t n = ::write(STDERR_FILENO, text, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            text += n;
            left -= static_cast<std::size_t>(n);
        }
        close_tracked_files();
        ::_exit(event.exit_status);
    }
    ::_exit(1);
}

}  // namespace

OpenResult open_read_only(const char* name, const StopCheck& stop) {
    OpenResult result;
    result.read_only = true;
    // With a stop check, a named pipe is not waited on in open(2), which no
    // signal handler that restarts calls could end, but in read_some's poll.
    result.fd = open_file(name, stop ? O_RDONLY | O_NONBLOCK : O_RDONLY, stop);
    if (result.fd < 0) {
        result.error = errno;
        return result;
    }
    struct stat info {};
    if (::fstat(result.fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(result.fd);
        result.fd = -1;
        result.error = EISDIR;
    }
    return result;
}

OpenResult open_result_file(const char* name) {
    OpenResult result;
    // A pipe is opened for writing alone, and once. Opened for reading too,
    // it would be its own reader: the lines would sit in it unread, and the
    // run would stall once it is full. Opened that way even for a moment,
    // its closing would be the end of the file for a reader already waiting.
    const bool fifo = names_a_fifo(name);
    result.fd = open_file(name, fifo ? O_WRONLY : O_RDWR | O_CREAT);
    if (result.fd >= 0) {
        if (fifo || !is_fifo(result.fd)) return result;
        // The name became a pipe between the look and the open.
        ::close(result.fd);
        result.fd = open_file(name, O_WRONLY);
        if (result.fd < 0) result.error = errno;
        return result;
    }
    result.error = errno;
    if (!write_refused(result.error)) return result;
    // Never read, so a pipe opened this way need not wait for a writer.
    result.fd = open_file(name, O_RDONLY | O_NONBLOCK);
    result.read_only = result.fd >= 0;
    // A file that is missing and may not be created stays "access denied".
    if (result.fd < 0 && errno != ENOENT) result.error = errno;
    if (result.fd >= 0) result.error = 0;
    return result;
}

void close_file(int fd) { ::close(fd); }

bool is_regular_file(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

std::ptrdiff_t read_some(int fd, char* buffer, std::size_t n, const StopCheck& stop) {
    // How often a read that waits asks its stop check.
    constexpr int kLookEveryMilliseconds = 50;
    for (;;) {
        if (stop) {
            // A pipe opened without waiting for its writer reads as ended
            // until one comes; poll(2) waits for the writer's bytes, or its
            // end, and leaves room for the check.
            pollfd wanted{fd, POLLIN, 0};
            const int ready = ::poll(&wanted, 1, kLookEveryMilliseconds);
            if (ready == 0 || (ready < 0 && errno == EINTR)) {
                if (stop()) return -EINTR;
                continue;
            }
        }
        const ssize_t got = ::read(fd, buffer, n);
        if (got >= 0) return got;
        if (errno == EAGAIN || errno == EWOULDBLOCK) continue;  // the writer has come, its bytes not yet
        if (errno != EINTR || (stop && stop())) return -errno;
    }
}

std::ptrdiff_t write_some(int fd, const char* data, std::size_t n) {
    const ssize_t put = ::write(fd, data, n);
    return put < 0 ? -errno : put;
}

int write_all(int fd, const char* data, std::size_t n, std::size_t* written) {
    std::size_t done = 0;
    int error = 0;
    while (done < n) {
        const std::ptrdiff_t put = write_some(fd, data + done, n - done);
        if (put == -EINTR) continue;
        if (put <= 0) {
            error = put < 0 ? static_cast<int>(-put) : EIO;
            break;
        }
        done += static_cast<std::size_t>(put);
    }
    if (written != nullptr) *written = done;
    return error;
}

int cut_at(int fd, std::uint64_t length) {
    while (::ftruncate(fd, static_cast<off_t>(length)) != 0) {
        if (errno != EINTR) return errno;
    }
    return 0;
}

OpenResult take_standard_stream(int fd) {
    OpenResult result;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        result.error = EISDIR;
    } else {
        result.fd = fd;
    }
    return result;
}

std::optional<FileIdentity> identify_file(const std::string& name) {
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) return std::nullopt;
    return identity(info);
}

std::optional<FileIdentity> identify_descriptor(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return std::nullopt;
    return identity(info);
}

std::string absolute_path(std::string_view name) {
    constexpr std::size_t kLongestShown = 255;
    std::string path;
    if (!name.starts_with('/')) {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) == nullptr) return std::string(name);
        path = cwd;
        if (path.empty() || path.back() != '/') path += '/';
    }
    path += name;
    if (path.size() > kLongestShown) return std::string(name.substr(name.rfind('/') + 1));
    return path;
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

double monotonic_seconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

std::string error_text(int error) { return std::strerror(error); }

void write_error_stream(std::string_view text) {
    // A failing error stream must not change the outcome of the run.
    (void)write_all(STDERR_FILENO, text.data(), text.size());
}

int write_output_stream(std::string_view text) { return write_all(STDOUT_FILENO, text.data(), text.size()); }

void track_open_file(int fd) {
    for (int i = 0; i < kMaxTracked; ++i) {
        if (g_tracked[i] < 0) {
            g_tracked[i] = fd;
            return;
        }
    }
}

void close_tracked_files() {
    for (int i = 0; i < kMaxTracked; ++i) {
        int fd = g_tracked[i];
        if (fd >= 0) {
            g_tracked[i] = -1;
            ::close(fd);
        }
    }
}

void install_console_handlers(const ConsoleEvent* events, std::size_t count) {
    g_events = events;
    g_event_count = count;
    struct sigaction action {};
    action.sa_handler = on_console_event;
    sigfillset(&action.sa_mask);  // one event at a time: the first one wins
    for (std::size_t i = 0; i < count; ++i) ::sigaction(events[i].signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void exit_process(std::uint32_t status) {
    // The whole status code goes to the system; a parent sees its low byte,
    // which is the message number.
    std::_Exit(static_cast<int>(status));
}

}  // namespace logk::platform
