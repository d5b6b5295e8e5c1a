// The program's only contact with the operating system: files, the error
// stream, console interrupts and the process exit. Everything else is plain
// C++ that a test can call without touching a file system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace logk::platform {

// An open file, or the errno of the failed open.
struct OpenResult {
    int fd = -1;
    int error = 0;
    bool read_only = false;
};

// Asked when a signal interrupts a wait for a file (a pipe whose writer has
// not come, or has sent nothing yet) and between the blocks of a long read:
// true to give up. Empty: never give up. The program leaves it empty, since
// its signals end the process; the library lets a caller stop a read.
using StopCheck = std::function<bool()>;

// Opens an existing file for reading only, as both the program and the
// library read their inputs: a pipe then ends when its writer closes it. A
// directory is refused with EISDIR, as a directory never holds a table or
// points. Without a stop check, a named pipe waits here for its writer;
// with one, it does not wait here, and read_some waits for the writer.
OpenResult open_read_only(const char* name, const StopCheck& stop = {});

// Opens the result file for reading and writing, creating a missing file
// (mode 0666 less the umask); an existing file is left as it is, positioned
// at its start. When the system refuses write access (EACCES, EPERM, EROFS)
// the file is opened for reading only, so that the first write can say the
// file is read-only. A named pipe is opened for writing only: the open waits
// for a reader, and every line goes to that reader.
OpenResult open_result_file(const char* name);

// Closes a file that is not among the tracked files of a run.
void close_file(int fd);

// Whether an open file is a regular file, which ends where its bytes end
// (not a pipe, a terminal or a device, which may wait on a writer).
bool is_regular_file(int fd);

// Reads up to n bytes. Returns the count (0 at the end of the file) or
// -errno. A read interrupted by a signal is tried again. With a stop check,
// a read that has to wait asks it every 50 ms and whenever a signal
// interrupts the wait, and gives up (-EINTR) where it says so.
std::ptrdiff_t read_some(int fd, char* buffer, std::size_t n, const StopCheck& stop = {});

// One write call: the count the system took, or -errno; nothing is retried.
std::ptrdiff_t write_some(int fd, const char* data, std::size_t n);

// Hands all n bytes to the system, retrying after a short or interrupted
// write. Returns 0 or the errno of the failure; `written` counts the bytes
// the system took before it failed.
int write_all(int fd, const char* data, std::size_t n, std::size_t* written = nullptr);

// Cuts the file at the given length. Returns 0 or errno.
int cut_at(int fd, std::uint64_t length);

// The descriptors of the standard streams a run may take as its files.
inline constexpr int kStandardInput = 0;
inline constexpr int kStandardOutput = 1;

// Takes an inherited standard stream as a run's file, as it stands: its
// descriptor, or the errno of why it cannot serve (EBADF when it is not
// open; EISDIR for a directory, as open_read_only refuses one). Asked
// before any file is opened, since a file opened while the stream is closed
// takes its descriptor.
OpenResult take_standard_stream(int fd);

// The file a name (through any links) or an open descriptor leads to: two
// are one file when device and inode agree. A device of characters (a
// terminal, /dev/null) holds nothing that writing to it could destroy.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool character_device = false;
    bool is(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

// nullopt for a name that leads to no file, or a descriptor that is not open.
std::optional<FileIdentity> identify_file(const std::string& name);
std::optional<FileIdentity> identify_descriptor(int fd);

// The current working directory + "/" + name, without resolving links (a
// name that starts with '/' is already absolute); the bare file name, the
// last part of `name`, when that path would be 256 characters or longer;
// `name` itself when the working directory cannot be found.
std::string absolute_path(std::string_view name);

// The value of an environment variable, or none where it is not set.
std::optional<std::string> environment(const char* name);

// Seconds on a clock that only goes forward, from some fixed moment: for
// timing a piece of work against another.
double monotonic_seconds();

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
