// The message catalogue: one row per message number, so that the number,
// the text and the exit status cannot drift apart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace logk {

enum class Severity : std::uint32_t { success = 0, info = 1, error = 2, severe = 3 };

// Message numbers the program can raise.
namespace msg {
inline constexpr int permission_denied = 9;
inline constexpr int record_too_long = 22;
inline constexpr int end_of_file_during_read = 24;
inline constexpr int file_not_found = 29;
inline constexpr int open_failure = 30;
inline constexpr int write_error = 38;
inline constexpr int read_error = 39;
inline constexpr int no_such_device = 42;
inline constexpr int name_error = 43;
inline constexpr int write_to_read_only = 47;
inline constexpr int syntax_error = 59;
inline constexpr int conversion_error = 64;
inline constexpr int aborting_on_event = 200;
}  // namespace msg

// The unit numbers that name the program's files in its messages.
namespace unit {
inline constexpr int table = 11;   // quartz.dat
inline constexpr int points = 12;  // PT.dat
inline constexpr int result = 21;  // logk.out
}  // namespace unit

// What kind of failure a message reports, for the library's faces, whose
// exceptions and conditions are named after it (a Python FileNotFoundError,
// an R logk_notation_error, ...).
enum class FailureKind { not_found = 1, permission = 2, notation = 3, other = 4 };

struct CatalogueEntry {
    int number;
    Severity severity;
    const char* text;     // printf-style: unit %d and file %s, or the event %s
    FailureKind kind;
    const char* meaning;  // what it means in plain words, for a reader of the library's faces
};

// The row of a message number; every number in msg:: has one.
const CatalogueEntry& catalogue_entry(int number);

// The kind and the plain words of a message number; other and nullptr for
// a number the catalogue does not hold (such as 0, the library's own
// failures). The words of 24 are those of the end of a table file.
FailureKind failure_kind(int number);
const char* failure_meaning(int number);

// Severity in bits 31-30, message number in bits 15-0:
// status_code(29) == 0xC000001D == 3221225501.
std::uint32_t status_code(int number);

// "runlib: severe (29): file not found, unit 11, file /data/quartz.dat\n"
std::string file_message_line(int number, int unit, std::string_view path);

// "runlib: error (200): program aborting due to control-C event\n"
std::string event_message_line(std::string_view event);

// "runlib: No such file or directory\n": the system's text for an errno.
std::string system_error_line(int error);

// "runlib: line 3, column 7: the row holds 2 values where the header names
// 3 temperatures\n": what is wrong with a table file that names its own
// nodes, in the place of the system's line.
std::string detail_line(std::string_view detail);

// The message number for a failed open, from the system's errno.
int open_failure_message(int error);

}  // namespace logk
