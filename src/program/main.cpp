#include "program/command_line.h"
#include "program/run.h"

int main(int argc, char** argv) {
    if (const auto status = logk::answer_command_line(argc, argv)) return *status;
    return logk::run();
}
