// What the library's worker threads need of the system: how many cores the
// process may run on, whether the caller is inside an OpenMP parallel
// region, threads that leave the signals to the caller's threads, and a
// word from the child of a fork, which has none of its parent's threads.
#pragma once

#include <functional>
#include <thread>

namespace logk::platform {

// The processors in the process's CPU affinity mask (what taskset or a
// batch system's cgroup leaves it), at least 1.
int cores_available();

// Whether the calling thread runs in an active OpenMP parallel region:
// omp_in_parallel() where the process has an OpenMP runtime, else false.
bool inside_parallel_region();

// A thread that runs `body` with every signal blocked, so that control-C
// and the like reach the threads the caller made.
std::thread start_thread_without_signals(std::function<void()> body);

// Calls `handler` in the child after every fork of the process; handlers
// are kept for the life of the process.
void after_fork_in_child(void (*handler)());

}  // namespace logk::platform
