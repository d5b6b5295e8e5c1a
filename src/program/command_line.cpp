#include "program/command_line.h"

#include <array>
#include <string>
#include <string_view>

#include "logk/logk.h"  // LOGK_VERSION
#include "system/platform.h"

namespace logk {
namespace {

constexpr std::string_view kUsage =
    "Usage: logk [--table FILE] [--points FILE] [--output FILE]\n"
    "Interpolates log K at the pressure-temperature points of PT.dat from the\n"
    "table in quartz.dat, both in the current directory, and writes one line\n"
    "per point to logk.out there, replacing an older logk.out.\n"
    "\n"
    "  --table FILE    read the table from FILE instead of quartz.dat\n"
    "  --points FILE   read the points from FILE instead of PT.dat\n"
    "  --output FILE   write the lines to FILE instead of logk.out\n"
    "  -h, --help      print this help and exit\n"
    "  --version       print the version and exit\n"
    "\n"
    "An option's FILE may also follow an '=' (--table=FILE). The notation of\n"
    "the input files, the columns and flags of logk.out and the messages:\n"
    "man logk\n";

constexpr std::string_view kVersion = "logk " LOGK_VERSION "\n";

std::string refusal(const std::string& what) { return "logk: " + what + "; try 'logk --help'\n"; }

// The option that names a file, and where its name goes.
struct FileOption {
    std::string_view name;
    std::string RunFiles::*file;
};
constexpr std::array<FileOption, 3> kFileOptions = {{
    {"--table", &RunFiles::table},
    {"--points", &RunFiles::points},
    {"--output", &RunFiles::output},
}};

CommandLine refused(const std::string& what) {
    CommandLine line;
    line.asks = CommandLine::Asks::refused;
    line.refusal = refusal(what);
    return line;
}

}  // namespace

CommandLine read_command_line(int argc, const char* const* argv) {
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "--help" || argument == "-h") return {CommandLine::Asks::help, {}, {}};
    }
    for (int k = 1; k < argc; ++k) {
        if (std::string_view(argv[k]) == "--version") return {CommandLine::Asks::version, {}, {}};
    }
    CommandLine line;
    std::array<bool, kFileOptions.size()> given{};
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        const auto equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        std::size_t option = 0;
        while (option < kFileOptions.size() && kFileOptions[option].name != name) ++option;
        if (option == kFileOptions.size()) {
            if (argument.starts_with("-")) return refused("unknown option '" + std::string(argument) + "'");
            return refused("unexpected argument '" + std::string(argument) +
                           "' (files are named with --table, --points and --output)");
        }
        std::string_view file;
        if (equals != std::string_view::npos) {
            file = argument.substr(equals + 1);
        } else if (k + 1 < argc) {
            file = argv[++k];
        }
        if (file.empty()) return refused("option '" + std::string(name) + "' needs a FILE");
        if (given[option]) return refused("option '" + std::string(name) + "' is given twice");
        given[option] = true;
        line.files.*kFileOptions[option].file = std::string(file);
        line.files.named = true;
    }
    return line;
}

std::optional<int> answer_command_line(const CommandLine& line) {
    std::string_view answer;
    switch (line.asks) {
        case CommandLine::Asks::run: {
            const RunFiles& files = line.files;
            if (!files.named) return std::nullopt;
            for (const std::string* input : {&files.table, &files.points}) {
                if (platform::same_file(*input, files.output)) {
                    platform::write_error_stream(
                        refusal("the output '" + files.output + "' is the input '" + *input + "'"));
                    return 2;
                }
            }
            return std::nullopt;
        }
        case CommandLine::Asks::refused:
            platform::write_error_stream(line.refusal);
            return 2;
        case CommandLine::Asks::help:
            answer = kUsage;
            break;
        case CommandLine::Asks::version:
            answer = kVersion;
            break;
    }
    const int error = platform::write_output_stream(answer);
    if (error == 0) return 0;
    platform::write_error_stream("logk: cannot write to standard output: " + platform::error_text(error) + "\n");
    return 1;
}

}  // namespace logk
