#include "support/logk_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace logk::testing {
namespace {

struct Pipes {
    int error = -1;
    int output = -1;
    pid_t feeder = -1;  // writes RunOptions::input_text into logk's standard input
};

// Writes `text` into the pipe from a process of its own, so that neither
// side waits on the other; it ends when the text is written or logk closes
// the pipe. It holds no other pipe of the run open.
pid_t start_feeder(const std::string& text, const int input[2], const int error[2], const int output[2]) {
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        for (int fd : {input[0], error[0], error[1], output[0], output[1]}) ::close(fd);
        ::signal(SIGPIPE, SIG_IGN);
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(input[1], text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    return pid;
}

// Standard input as the options give it, in the child before the exec.
void set_standard_input(const RunOptions& options, const int input[2]) {
    if (options.input_text) {
        ::dup2(input[0], STDIN_FILENO);
    } else if (!options.input_file.empty()) {
        const int file = ::open(options.input_file.c_str(), O_RDONLY);
        if (file < 0 || ::dup2(file, STDIN_FILENO) < 0) ::_exit(248);
    } else {
        int null_fd = ::open("/dev/null", O_RDWR);
        ::dup2(null_fd, STDIN_FILENO);
    }
    if (options.close_input) ::close(STDIN_FILENO);
}

pid_t start(const Workdir& dir, const RunOptions& options, Pipes& pipes) {
    int fds[2];
    int out[2];
    int in[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    if (options.input_text && ::pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<const char*> argv = {"logk"};
    for (const std::string& argument : options.arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const std::string where = options.subdirectory.empty() ? dir.path() : dir.file(options.subdirectory);
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(fds[1], STDERR_FILENO);
        if (options.output_file.empty()) {
            ::dup2(out[1], STDOUT_FILENO);
        } else {
            const int file = ::open(options.output_file.c_str(), O_WRONLY | (options.output_appends ? O_APPEND : 0));
            if (file < 0 || ::dup2(file, STDOUT_FILENO) < 0) ::_exit(249);
        }
        set_standard_input(options, in);
        if (options.close_output) ::close(STDOUT_FILENO);
        if (::chdir(where.c_str()) != 0) ::_exit(250);
        if (options.address_space != 0) {
            struct rlimit limit {options.address_space, options.address_space};
            if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(251);
        }
        if (options.file_size != 0) {
            struct rlimit limit {options.file_size, options.file_size};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(251);
            ::signal(SIGXFSZ, SIG_IGN);
        }
        if (options.run_as_uid != 0) {
            if (::setgid(options.run_as_uid) != 0 || ::setuid(options.run_as_uid) != 0) ::_exit(252);
        }
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGALRM, SIG_DFL);
        ::alarm(options.timeout_seconds);  // survives the exec: a hang ends as SIGALRM
        ::execv(LOGK_BINARY, const_cast<char* const*>(argv.data()));
        ::_exit(253);
    }
    pipes.feeder = options.input_text ? start_feeder(*options.input_text, in, fds, out) : -1;
    ::close(fds[1]);
    ::close(out[1]);
    if (options.input_text) {
        ::close(in[0]);
        ::close(in[1]);
    }
    pipes.error = fds[0];
    pipes.output = out[0];
    return pid;
}

// Takes all that standard error and standard output deliver, from whichever
// has something, so that a long output cannot stall logk while the test
// waits on the other stream.
void read_streams(const Pipes& pipes, RunResult& result) {
    pollfd streams[2] = {{pipes.error, POLLIN, 0}, {pipes.output, POLLIN, 0}};
    std::string* texts[2] = {&result.error_text, &result.output_text};
    int open = 2;
    while (open > 0) {
        if (::poll(streams, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0) continue;
            char chunk[4096];
            const ssize_t n = ::read(streams[i].fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                streams[i].fd = -1;  // poll passes over it from now on
                --open;
                continue;
            }
            texts[i]->append(chunk, static_cast<std::size_t>(n));
        }
    }
}

void reap(pid_t pid, int* status) {
    while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
}

RunResult finish(pid_t pid, const Pipes& pipes) {
    RunResult result;
    read_streams(pipes, result);
    ::close(pipes.error);
    ::close(pipes.output);
    int status = 0;
    reap(pid, &status);
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
    if (pipes.feeder > 0) {
        int ignored = 0;
        reap(pipes.feeder, &ignored);
    }
    return result;
}

}  // namespace

Workdir::Workdir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/logk-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    // Messages show the working directory as the system reports it.
    path_ = std::filesystem::canonical(pattern).string();
    // The directory must be usable by a test that drops privileges.
    ::chmod(path_.c_str(), 0777);
}

Workdir::~Workdir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void Workdir::write(std::string_view name, std::string_view content) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + file(name));
}

std::string Workdir::read(std::string_view name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Workdir::exists(std::string_view name) const {
    struct stat info {};
    return ::lstat(file(name).c_str(), &info) == 0;
}

RunResult run_logk(const Workdir& dir, const RunOptions& options) {
    Pipes pipes;
    pid_t pid = start(dir, options, pipes);
    return finish(pid, pipes);
}

RunningLogk::RunningLogk(const Workdir& dir, const RunOptions& options) {
    Pipes pipes;
    pid_ = start(dir, options, pipes);
    feeder_ = pipes.feeder;
    error_pipe_ = pipes.error;
    output_pipe_ = pipes.output;
}

RunningLogk::~RunningLogk() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        finish(pid_, {error_pipe_, output_pipe_, feeder_});
    }
}

void RunningLogk::send(int signal_number) const { ::kill(pid_, signal_number); }

RunResult RunningLogk::wait() {
    RunResult result = finish(pid_, {error_pipe_, output_pipe_, feeder_});
    pid_ = -1;
    return result;
}

std::string source_file(std::string_view path) {
    std::ifstream in(std::string(LOGK_SOURCE_DIR) + "/" + std::string(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool holds_open(pid_t pid, const std::string& path) {
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(it->path(), unreadable) == path) return true;
    }
    return false;
}

bool wait_until(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

uid_t unprivileged_uid() { return ::geteuid() == 0 ? 65534 : 0; }

std::string severe_line(int number, std::string_view text, int unit, const Workdir& dir,
                        std::string_view name) {
    return "runlib: severe (" + std::to_string(number) + "): " + std::string(text) + ", unit " +
           std::to_string(unit) + ", file " + dir.file(name) + "\n";
}

}  // namespace logk::testing
