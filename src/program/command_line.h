// The two questions a user may ask before a run: --help and --version.
#pragma once

#include <optional>

namespace logk {

// Answers `logk --help`, `logk -h` or `logk --version` on standard output
// and returns the exit status (0; 1, with a line on standard error that
// says why, when standard output cannot be written). Any other command
// line is no question: nullopt, and the run goes ahead as if there were no
// arguments, so scripts that pass some see no change. Answering opens, creates and changes no file.
std::optional<int> answer_command_line(int argc, const char* const* argv);

}  // namespace logk
