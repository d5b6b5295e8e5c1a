// In-memory files for tests of the reader.
#pragma once

#include <string_view>

namespace logk::testing {

// A descriptor of an anonymous file holding `content`, positioned at its
// start. The caller closes it (InputFile does not).
int memory_file(std::string_view content);

}  // namespace logk::testing
