// The library's worker threads: one pool, shared by every call from every
// thread, made at the first call that asks for more than one thread and
// kept for the life of the process (a fork's child makes its own). Each
// call splits its points into contiguous slices; every point's results are
// the same whatever the slicing. It needs only the system's threads
// (system/threads.h); the batch loop runs its slices on it.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "logk/logk.hpp"  // kLeastValuesForWorkers

namespace logk {

// The threads `workers` asks for, as every face reads it (logk.h says it
// once): 1 the calling thread alone; k > 1 up to k threads; 0 and -1 every
// core the process may run on; -k every core but k - 1. Never more than the
// cores. None where that leaves no thread (-k for k above the cores).
//   threads_wanted(1) -> 1     threads_wanted(-2) -> cores - 1 (on 2 cores: 1)
//   threads_wanted(8) -> min(8, cores)     threads_wanted(-9) on 8 cores -> none
std::optional<int> threads_wanted(int workers);

// Why `workers` is refused, in a sentence that names the cores.
std::string refused_workers(int workers);

// The threads a call of `values` values gets for `workers` (which must be
// one threads_wanted takes): threads_wanted's, but 1 for a small call or a
// call made inside an OpenMP parallel region (the region has the cores
// already).
int threads_for(int workers, std::size_t values);

// Runs part(k) for every k below `parts`, on the calling thread and up to
// threads - 1 of the pool's, and returns when all are done. An exception
// from a part is thrown again here, once the others are done.
void run_parts(std::size_t parts, int threads, const std::function<void(std::size_t)>& part);

}  // namespace logk
