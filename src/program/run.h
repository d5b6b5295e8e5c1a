// The run driver: opens the files, loads the table, and turns every point
// of PT.dat into a line of logk.out.
#pragma once

#include "program/command_line.h"

namespace logk {

// Runs the program on its files (quartz.dat, PT.dat and logk.out in the
// current working directory, or those the command line named). Returns the
// exit status of a normal end (0); a severe failure or a console interrupt
// ends the process from inside.
int run(const RunFiles& files = {});

}  // namespace logk
