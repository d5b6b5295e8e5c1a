// The two ways a run ends besides a console interrupt.
#pragma once

#include <string_view>

namespace logk {

// Severe end: the system's text for `system_error` (when not 0), then the
// catalogue line for `message` naming the file, then every open file is
// closed and the process exits with the message's status code.
[[noreturn]] void stop_run(int message, int unit, std::string_view path, int system_error);

// Normal end: every open file is closed; nothing is printed.
void end_run();

}  // namespace logk
