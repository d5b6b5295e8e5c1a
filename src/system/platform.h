// The program's only contact with the operating system: files, the error
// stream, console interrupts and the process exit. Everything else is plain
// C++ that a test can call without touching a file system.
#pragma once

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

// Opens an existing file for reading only, as the library reads its files.
OpenResult open_read_only(const char* name);

// Closes a file that is not among the tracked files of a run.
void close_file(int fd);

// Reads up to n bytes. Returns the count (0 at the end of the file) or
// -errno. Interrupted calls are retried.
std::ptrdiff_t read_some(int fd, char* buffer, std::size_t n);

// One write call: the count the system took, or -errno; nothing is retried.
std::ptrdiff_t write_some(int fd, const char* data, std::size_t n);

// Hands all n bytes to the system, retrying after a short or interrupted
// write. Returns 0 or the errno of the failure; `written` counts the bytes
// the system took before it failed.
int write_all(int fd, const char* data, std::size_t n, std::size_t* written = nullptr);

// Cuts the file at the given length. Returns 0 or errno.
int cut_at(int fd, std::uint64_t length);

// The current working directory + "/" + name, without resolving links (a
// name that starts with '/' is already absolute); the bare file name, the
// last part of `name`, when that path would be 256 characters or longer;
// `name` itself when the working directory cannot be found.
std::string absolute_path(std::string_view name);

// The system's own description of an errno value.
std::string error_text(int error);

// Writes straight to the standard error stream (no buffering to flush).
void write_error_stream(std::string_view text);

// Writes straight to standard output. Returns 0 or the errno of the failure.
int write_output_stream(std::string_view text);

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
