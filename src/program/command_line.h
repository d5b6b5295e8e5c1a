// What the command line asks for: the help, the version, or a run, on the
// program's own files in the current directory or on files it names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace logk {

// The name that stands for standard input (as the table or the points) or
// standard output (as the output); a file of that name is "./-".
inline constexpr std::string_view kStandardStream = "-";

// The three files of a run, as named: by default quartz.dat, PT.dat and
// logk.out in the current directory.
struct RunFiles {
    std::string table = "quartz.dat";
    std::string points = "PT.dat";
    std::string output = "logk.out";
};

// A command line read, before anything is done:
//   logk                                   -> run on the default files
//   logk --table t.dat --points=p.csv      -> run on t.dat, p.csv and logk.out
//   logk --points - --output -             -> points from standard input,
//                                             lines to standard output
//   logk --output=--x.out                  -> run writing the file "--x.out"
//   logk --help, logk -h                   -> help
//   logk --version                         -> version
//   logk --verison, logk t.dat, logk --table, logk --output --x.out,
//   logk --table - --points -
//                                          -> refused: "logk: unknown option '--verison';
//                                             try 'logk --help'" and the like
// --help or --version anywhere is the question, whatever else is there. A
// word after an option that begins with "--" is never taken as its FILE, so
// that a forgotten FILE cannot turn the next option into a file name.
// Control characters of an argument are shown escaped ("\n", "\x01"), so
// that a refusal stays one line.
struct CommandLine {
    enum class Asks { run, help, version, refused };
    Asks asks = Asks::run;
    RunFiles files;
    std::string refusal;  // the line standard error gets, for Asks::refused
};
CommandLine read_command_line(int argc, const char* const* argv);

// Answers what is not a run: the help or the version on standard output
// (status 0; 1 with a line on standard error that says why, when standard
// output cannot be written), a refusal on standard error (status 2), and a
// run whose output is one of its inputs, whatever the names or streams that
// lead there (status 2: writing logk.out would destroy them; a terminal or
// another device shared by a standard stream is no such case). nullopt for
// a run to go ahead. Answering opens, creates and changes no file.
std::optional<int> answer_command_line(const CommandLine& line);

}  // namespace logk
