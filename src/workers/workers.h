// The library's worker threads: one pool, shared by every call from every
// thread, made at the first call that asks for more than one thread and
// kept for the life of the process (a fork's child makes its own). Each
// call splits its points into contiguous slices; every point's results are
// the same whatever the slicing. It needs only the system's threads
// (system/threads.h); the batch loop runs its slices on it.
#pragma once

#include <cstddef>
#include <functional>

#include "logk/logk.hpp"  // kLeastValuesForWorkers

namespace logk {

// The threads a call of `values` values gets for `workers` (1: the calling
// thread alone; more: up to that many; 0 or below: one per core the process
// may run on): never more than the cores, and 1 for a small call or a call
// made inside an OpenMP parallel region (the region has the cores already).
int threads_for(int workers, std::size_t values);

// Runs part(k) for every k below `parts`, on the calling thread and up to
// threads - 1 of the pool's, and returns when all are done. An exception
// from a part is thrown again here, once the others are done.
void run_parts(std::size_t parts, int threads, const std::function<void(std::size_t)>& part);

}  // namespace logk
