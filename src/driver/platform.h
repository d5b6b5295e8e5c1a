// The program's only contact with the operating system: files, the error
// stream, console interrupts and the process exit. Everything else is plain
// C++ that a test can call without touching a file system.
#pragma once

#if defined(__x86_64__) && defined(__linux__)
#define LOGK_INLINE_WRITE 1  // see write_some
#include <sys/syscall.h>
#else
#define LOGK_INLINE_WRITE 0
#endif

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace logk::platform {

// An open file, or the errno of the failed open.
struct OpenResult {
    int fd = -1;
    int error = 0;
    bool read_only = false;
};

// Opens an existing file for reading and writing, falling back to reading
// only when the system refuses write access (EACCES, EPERM, EROFS).
OpenResult open_existing(const char* name);

// As open_existing, but a missing file is created empty (mode 0666 less the
// umask). An existing file is left as it is and positioned at its start.
OpenResult open_or_create(const char* name);

// Reads up to n bytes. Returns the count (0 at the end of the file) or
// -errno. Interrupted calls are retried.
std::ptrdiff_t read_some(int fd, char* buffer, std::size_t n);

// One write call: the count the system took, or -errno; nothing is retried.
// On x86-64 Linux the system call is made inline, in the caller's own code:
// on our AMD machines, whose kernel guards its returns against speculation,
// a call and a return around it cost about 200 ns more per 73-byte write
// (935 against 733 ns), a fifth of the time of a run.
#if LOGK_INLINE_WRITE
inline std::ptrdiff_t write_some(int fd, const char* data, std::size_t n) {
    long result;
    __asm__ __volatile__("syscall"
                         : "=a"(result)
                         : "0"(long{SYS_write}), "D"(long{fd}), "S"(data), "d"(n)
                         : "rcx", "r11", "memory");
    return result;
}
#else
std::ptrdiff_t write_some(int fd, const char* data, std::size_t n);
#endif

// Hands all n bytes to the system, retrying after a short or interrupted
// write. Returns 0 or the errno of the failure; `written` counts the bytes
// the system took before it failed.
int write_all(int fd, const char* data, std::size_t n, std::size_t* written = nullptr);

// Cuts the file at the given length. Returns 0 or errno.
int cut_at(int fd, std::uint64_t length);

// The current working directory + "/" + name, without resolving links; the
// bare name when that path would be 256 characters or longer, or when the
// working directory cannot be found.
std::string absolute_path(std::string_view name);

// The system's own description of an errno value.
std::string error_text(int error);

// Writes straight to the standard error stream (no buffering to flush).
void write_error_stream(std::string_view text);

// Files closed by the exit paths, the interrupt handler included.
void track_open_file(int fd);
void close_tracked_files();

// A console event that ends the run: its signal, the complete message line
// the handler prints, and the exit status.
struct ConsoleEvent {
    int signal;
    std::string message;
    int exit_status;
};

// Installs the handlers for SIGINT, SIGQUIT and SIGHUP and ignores SIGPIPE,
// so that a closed error stream cannot change the exit status. The events
// must outlive the run.
void install_console_handlers(const ConsoleEvent* events, std::size_t count);

[[noreturn]] void exit_process(std::uint32_t status);

}  // namespace logk::platform
