// What the command line asks for: the help, the version, or a run, on the
// program's own files in the current directory or on files it names.
#pragma once

#include <optional>
#include <string>

namespace logk {

// The three files of a run, as named: by default quartz.dat, PT.dat and
// logk.out in the current directory.
struct RunFiles {
    std::string table = "quartz.dat";
    std::string points = "PT.dat";
    std::string output = "logk.out";
    bool named = false;  // any of them named on the command line
};

// A command line read, before anything is done:
//   logk                                   -> run on the default files
//   logk --table t.dat --points=p.csv      -> run on t.dat, p.csv and logk.out
//   logk --help, logk -h                   -> help
//   logk --version                         -> version
//   logk --verison, logk t.dat, logk --table
//                                          -> refused: "logk: unknown option '--verison';
//                                             try 'logk --help'" and the like
// --help or --version anywhere is the question, whatever else is there.
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
// run whose named output is one of its named inputs (status 2: writing
// logk.out would destroy them). nullopt for a run to go ahead. Answering
// opens, creates and changes no file.
std::optional<int> answer_command_line(const CommandLine& line);

}  // namespace logk
