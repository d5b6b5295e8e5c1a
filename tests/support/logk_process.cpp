#include "support/logk_process.h"

#include <fcntl.h>
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

std::string read_all(int fd) {
    std::string text;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    return text;
}

struct Pipes {
    int error = -1;
    int output = -1;
};

pid_t start(const Workdir& dir, const RunOptions& options, Pipes& pipes) {
    int fds[2];
    int out[2];
    if (::pipe2(fds, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
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
            const int file = ::open(options.output_file.c_str(), O_WRONLY);
            if (file < 0 || ::dup2(file, STDOUT_FILENO) < 0) ::_exit(249);
        }
        int null_fd = ::open("/dev/null", O_RDWR);
        ::dup2(null_fd, STDIN_FILENO);
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
    ::close(fds[1]);
    ::close(out[1]);
    pipes = {fds[0], out[0]};
    return pid;
}

// Standard output is read after standard error: it only ever holds the short
// answer to --help or --version.
RunResult finish(pid_t pid, const Pipes& pipes) {
    RunResult result;
    result.error_text = read_all(pipes.error);
    ::close(pipes.error);
    result.output_text = read_all(pipes.output);
    ::close(pipes.output);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
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
    error_pipe_ = pipes.error;
    output_pipe_ = pipes.output;
}

RunningLogk::~RunningLogk() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        finish(pid_, {error_pipe_, output_pipe_});
    }
}

void RunningLogk::send(int signal_number) const { ::kill(pid_, signal_number); }

RunResult RunningLogk::wait() {
    RunResult result = finish(pid_, {error_pipe_, output_pipe_});
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
