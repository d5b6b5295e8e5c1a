#include "support/logk_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

pid_t start(const Workdir& dir, const RunOptions& options, int& error_pipe) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(fds[1], STDERR_FILENO);
        int null_fd = ::open("/dev/null", O_RDWR);
        ::dup2(null_fd, STDIN_FILENO);
        ::dup2(null_fd, STDOUT_FILENO);
        if (::chdir(dir.path().c_str()) != 0) ::_exit(250);
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
        ::execl(LOGK_BINARY, "logk", static_cast<char*>(nullptr));
        ::_exit(253);
    }
    ::close(fds[1]);
    error_pipe = fds[0];
    return pid;
}

RunResult finish(pid_t pid, int error_pipe) {
    RunResult result;
    result.error_text = read_all(error_pipe);
    ::close(error_pipe);
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
    int error_pipe = -1;
    pid_t pid = start(dir, options, error_pipe);
    return finish(pid, error_pipe);
}

RunningLogk::RunningLogk(const Workdir& dir) { pid_ = start(dir, {}, error_pipe_); }

RunningLogk::~RunningLogk() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        finish(pid_, error_pipe_);
    }
}

void RunningLogk::send(int signal_number) const { ::kill(pid_, signal_number); }

RunResult RunningLogk::wait() {
    RunResult result = finish(pid_, error_pipe_);
    pid_ = -1;
    return result;
}

uid_t unprivileged_uid() { return ::geteuid() == 0 ? 65534 : 0; }

std::string severe_line(int number, std::string_view text, int unit, const Workdir& dir,
                        std::string_view name) {
    return "runlib: severe (" + std::to_string(number) + "): " + std::string(text) + ", unit " +
           std::to_string(unit) + ", file " + dir.file(name) + "\n";
}

}  // namespace logk::testing
