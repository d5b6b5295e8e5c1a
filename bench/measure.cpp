// Runs one program in a directory and reports what it cost:
//   measure <directory> <program>  ->  "<wall s> <user s> <sys s> <peak RSS KiB> <exit status>"
// A small launcher of its own, so that the peak RSS is the program's and not
// that of a large parent it was forked from.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: measure <directory> <program>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(argv[1]) != 0) ::_exit(126);
        ::execl(argv[2], argv[2], static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) < 0) return 1;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    std::printf("%.6f %.6f %.6f %ld %d\n", wall, seconds(usage.ru_utime), seconds(usage.ru_stime), usage.ru_maxrss,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    return 0;
}
