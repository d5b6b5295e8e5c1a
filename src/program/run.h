// The run driver: opens the files, loads the table, and turns every point
// of PT.dat into a line of logk.out.
#pragma once

namespace logk {

// Runs the program in the current working directory. Returns the exit
// status of a normal end (0); a severe failure or a console interrupt ends
// the process from inside.
int run();

}  // namespace logk
