#include "program/command_line.h"

#include <array>
#include <optional>
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
    "An option's FILE may also follow an '=' (--table=FILE). A FILE of '-' is\n"
    "standard input (for --table or --points, not both) or standard output\n"
    "(for --output). A file named '-', or whose name begins with '--', is\n"
    "written ./- or ./--name. The table may also be a file that names its\n"
    "own nodes (a header of temperatures, a row a pressure). The notation of\n"
    "the input files, the columns and flags of logk.out and the messages:\n"
    "man logk once installed, man ./docs/logk.1 in logk's sources, and the\n"
    "guide (build/docs/html/index.html, cmake --build build --target docs).\n";

constexpr std::string_view kVersion = "logk " LOGK_VERSION "\n";

std::string refusal(const std::string& what) { return "logk: " + what + "; try 'logk --help'\n"; }

// An argument as a refusal shows it: control characters escaped in the C
// manner, every other byte (UTF-8 included) as it is.
std::string shown(std::string_view argument) {
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string text;
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            text += "\\n";
        } else if (c == '\t') {
            text += "\\t";
        } else if (c == '\r') {
            text += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        } else {
            text += c;
        }
    }
    return text;
}

// "the output 'logk.out'", or the stream a "-" stands for.
std::string described(const std::string& name, std::string_view role, std::string_view stream) {
    return name == kStandardStream ? std::string(stream) : std::string(role) + " '" + shown(name) + "'";
}

// The file a run's file name leads to; for "-", the standard stream's.
std::optional<platform::FileIdentity> identify(const std::string& name, int stream) {
    return name == kStandardStream ? platform::identify_descriptor(stream) : platform::identify_file(name);
}

// The input (the table's name or the points') whose file is the output's,
// or nullptr. A device shared with a standard stream comes to no harm from
// the writing: a terminal typed at and read back, or /dev/null.
const std::string* input_under_the_output(const RunFiles& files) {
    const auto output = identify(files.output, platform::kStandardOutput);
    if (!output) return nullptr;
    for (const std::string* input : {&files.table, &files.points}) {
        const auto file = identify(*input, platform::kStandardInput);
        if (!file || !file->is(*output)) continue;
        const bool stream = *input == kStandardStream || files.output == kStandardStream;
        if (stream && output->character_device) continue;
        return input;
    }
    return nullptr;
}

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
            if (argument.starts_with("-")) return refused("unknown option '" + shown(argument) + "'");
            return refused("unexpected argument '" + shown(argument) +
                           "' (files are named with --table, --points and --output)");
        }
        std::string_view file;
        if (equals != std::string_view::npos) {
            file = argument.substr(equals + 1);
        } else if (k + 1 < argc && !std::string_view(argv[k + 1]).starts_with("--")) {
            file = argv[++k];
        }
        if (file.empty()) return refused("option '" + std::string(name) + "' needs a FILE");
        if (given[option]) return refused("option '" + std::string(name) + "' is given twice");
        given[option] = true;
        line.files.*kFileOptions[option].file = std::string(file);
    }
    if (line.files.table == kStandardStream && line.files.points == kStandardStream) {
        return refused("the table and the points cannot both come from standard input ('-')");
    }
    return line;
}

std::optional<int> answer_command_line(const CommandLine& line) {
    std::string_view answer;
    switch (line.asks) {
        case CommandLine::Asks::run: {
            if (const std::string* input = input_under_the_output(line.files)) {
                platform::write_error_stream(refusal(described(line.files.output, "the output", "standard output") +
                                                     " is " + described(*input, "the input", "standard input")));
                return 2;
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
