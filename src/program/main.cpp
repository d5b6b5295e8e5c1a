#include "program/command_line.h"
#include "program/run.h"

int main(int argc, char** argv) {
    const logk::CommandLine line = logk::read_command_line(argc, argv);
    if (const auto status = logk::answer_command_line(line)) return *status;
    return logk::run(line.files);
}
