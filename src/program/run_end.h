// The two ways a run ends besides a console interrupt.
#pragma once

#include <string_view>

namespace logk {

// Severe end: the system's text for `system_error` (when not 0), then the
// catalogue line for `message` naming the file, then every open file is
// closed and the process exits with the message's status code.
[[noreturn]] void stop_run(int message, int unit, std::string_view path, int system_error);

// The same with a line that says what is wrong in place of the system's
// text (for a table file that names its own nodes).
[[noreturn]] void stop_run_saying(int message, int unit, std::string_view path, std::string_view detail);

// Normal end: every open file is closed; nothing is printed.
void end_run();

}  // namespace logk
