// The batch form's outputs, checked, as the batch loop takes them.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>

#include "batch/batch.h"
#include "logk/logk.hpp"
#include "workers/workers.h"

namespace logk {

// The outputs of n points of `count` tables: every size checked (T as long
// as P, each output empty or of its size: count values a point for log K
// and the slopes, one for the rest), or std::invalid_argument naming
// `caller`.
inline BatchOutputs checked_outputs(const char* caller, std::size_t n, std::size_t T_size, std::size_t count,
                                    const Outputs& outputs) {
    auto fits = [](std::size_t size, std::size_t wanted) { return size == 0 || size == wanted; };
    const std::size_t values = n * count;
    if (T_size != n || !fits(outputs.LK.size(), values) || !fits(outputs.PIDX.size(), n) ||
        !fits(outputs.TIDX.size(), n) || !fits(outputs.ISOERR.size(), n) || !fits(outputs.PTERR.size(), n) ||
        !fits(outputs.dLK_dT.size(), values) || !fits(outputs.dLK_dP.size(), values)) {
        throw std::invalid_argument(std::string(caller) +
                                    ": P and T must be equally long, and every output wanted as long as they are"
                                    " (log K and the slopes as many times longer as there are tables)");
    }
    auto data = [](auto span) { return span.empty() ? nullptr : span.data(); };
    return {data(outputs.LK),    data(outputs.PIDX),   data(outputs.TIDX),  data(outputs.ISOERR),
            data(outputs.PTERR), data(outputs.dLK_dT), data(outputs.dLK_dP)};
}

// Refuses, with the library's words, a `workers` that leaves no thread.
inline void check_workers(int workers) {
    if (!threads_wanted(workers)) throw std::invalid_argument(refused_workers(workers));
}

// A batch call of n points with the options: the points done and whether
// the stop check ended it.
inline Progress run_batch(const TableValues& tables, std::size_t n, const double* P, const double* T,
                          const BatchOutputs& out, const CallOptions& options) {
    check_workers(options.workers);
    const std::size_t done = interpolate_points(tables, n, P, T, out, options.workers, options.stop);
    return {done, done < n};
}

}  // namespace logk
