// Runs the built logk binary in a scratch directory, as a user would.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace logk::testing {

// A fresh, empty directory under $TMPDIR (or /tmp), removed with its
// contents when the object goes.
class Workdir {
public:
    Workdir();
    ~Workdir();
    Workdir(const Workdir&) = delete;
    Workdir& operator=(const Workdir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

    void write(std::string_view name, std::string_view content) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::string path_;
};

struct RunOptions {
    std::vector<std::string> arguments;  // after the program name
    std::string subdirectory;         // run there, inside the Workdir; "" for the Workdir itself
    uid_t run_as_uid = 0;             // 0: as the current user; else drop to this uid/gid
    unsigned long address_space = 0;  // RLIMIT_AS in bytes, 0 for none
    unsigned long file_size = 0;      // RLIMIT_FSIZE in bytes (SIGXFSZ ignored), 0 for none
    std::string output_file;          // standard output goes there instead of to output_text
    bool output_appends = false;      // output_file is opened for appending
    std::optional<std::string> input_text;  // standard input is a pipe that holds this, then ends
    std::string input_file;           // else standard input reads this file; "" for /dev/null
    bool close_input = false;         // standard input is not open at all
    bool close_output = false;        // nor standard output
    unsigned timeout_seconds = 120;   // then SIGALRM ends a run that hangs (term_signal SIGALRM)
};

struct RunResult {
    int exit_status = -1;  // the low byte a parent sees, or -1 if killed
    int term_signal = 0;
    std::string error_text;   // all the process wrote to standard error
    std::string output_text;  // and to standard output
};

// Starts logk in `dir` and waits for it.
RunResult run_logk(const Workdir& dir, const RunOptions& options = {});

// A logk process that keeps running until the test says otherwise.
class RunningLogk {
public:
    explicit RunningLogk(const Workdir& dir, const RunOptions& options = {});
    ~RunningLogk();
    void send(int signal_number) const;
    RunResult wait();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    pid_t feeder_ = -1;  // the process that writes input_text, or -1
    int error_pipe_ = -1;
    int output_pipe_ = -1;
};

// Whether the process `pid` holds the file `path` open (by /proc).
bool holds_open(pid_t pid, const std::string& path);

// Waits until `condition` holds, looking every millisecond, for at most a
// minute (a loaded machine takes its time); whether it came to hold.
bool wait_until(const std::function<bool()>& condition);

// The uid to run logk as so that permissions are enforced: nobody (65534)
// when the tests run as root, else 0, which keeps the current unprivileged user.
uid_t unprivileged_uid();

// The bytes of a file of the source tree, by its path from the top.
std::string source_file(std::string_view path);

// "runlib: severe (29): file not found, unit 11, file <dir>/quartz.dat\n"
std::string severe_line(int number, std::string_view text, int unit, const Workdir& dir,
                        std::string_view name);

}  // namespace logk::testing
