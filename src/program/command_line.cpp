#include "program/command_line.h"

#include <string>
#include <string_view>

#include "system/platform.h"

#ifndef LOGK_VERSION
#error "the build defines LOGK_VERSION"
#endif

namespace logk {
namespace {

constexpr std::string_view kUsage =
    "Usage: logk\n"
    "Interpolates log K at the pressure-temperature points of PT.dat from the\n"
    "table in quartz.dat, both in the current directory, and writes one line\n"
    "per point to logk.out there, replacing an older logk.out.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Any other argument is ignored. The notation of the input files, the\n"
    "columns and flags of logk.out and the messages: man logk\n";

constexpr std::string_view kVersion = "logk " LOGK_VERSION "\n";

}  // namespace

std::optional<int> answer_command_line(int argc, const char* const* argv) {
    if (argc != 2) return std::nullopt;
    const std::string_view argument = argv[1];
    std::string_view answer;
    if (argument == "--help" || argument == "-h") {
        answer = kUsage;
    } else if (argument == "--version") {
        answer = kVersion;
    } else {
        return std::nullopt;
    }
    const int error = platform::write_output_stream(answer);
    if (error == 0) return 0;
    platform::write_error_stream("logk: cannot write to standard output: " + platform::error_text(error) + "\n");
    return 1;
}

}  // namespace logk
