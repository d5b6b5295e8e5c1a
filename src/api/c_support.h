// What the C interface's two files share: the handles behind the opaque
// types, failures as a logk_error, and the batch loop with nothing thrown.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>

#include "batch/batch.h"
#include "api/table_data.h"
#include "api/table_set_data.h"
#include "api/text_cut.h"
#include "grid/logk_table.h"
#include "logk/logk.h"
#include "logk/logk.hpp"
#include "workers/workers.h"

#define LOGK_EXPORT extern "C" __attribute__((visibility("default")))

struct logk_table {
    logk::TableData data;
};

struct logk_table_set {
    logk::TableSetData data;
};

namespace logk::c_support {

// Sets the error where the caller gave one: the text cut to the buffer, at
// a character boundary, and ended with a NUL.
inline void set_error(logk_error* error, int number, std::string_view text) {
    if (error == nullptr) return;
    error->number = number;
    const std::size_t length = whole_characters(text, sizeof error->text - 1);
    std::memcpy(error->text, text.data(), length);
    error->text[length] = '\0';
}

// A C caller's options as the C++ calls take them (NULL: workers 1, no
// stop check).
inline CallOptions call_options(const logk_options* options) {
    if (options == nullptr) return {};
    CallOptions call{options->workers, {}};
    if (options->stop != nullptr) {
        const logk_stop_check stop = options->stop;
        void* const context = options->context;
        call.stop = [stop, context] { return stop(context) != 0; };
    }
    return call;
}

// The batch loop, which allocates only to copy inputs that outputs lie over.
// Should that fail, every output says so: log K and the slopes NaN, the
// stencil the program's reset value -100, both flags 'E'. A status of
// logk.h, and the points done.
inline int interpolate_or_fail(const TableValues& tables, std::size_t n, const double* P, const double* T,
                               const BatchOutputs& out, const logk_options* options, std::size_t* done = nullptr) {
    if (done != nullptr) *done = 0;
    const CallOptions call = call_options(options);
    if (!threads_wanted(call.workers)) return LOGK_REFUSED;
    try {
        const std::size_t finished = interpolate_points(tables, n, P, T, out, call.workers, call.stop);
        if (done != nullptr) *done = finished;
        return finished < n ? LOGK_STOPPED : LOGK_DONE;
    } catch (...) {
        const std::size_t values = n * tables.count;
        for (double* column : {out.LK, out.dLK_dT, out.dLK_dP}) {
            if (column != nullptr) std::fill_n(column, values, std::numeric_limits<double>::quiet_NaN());
        }
        for (int* column : {out.PIDX, out.TIDX}) {
            if (column != nullptr) std::fill_n(column, n, -100);
        }
        for (char* column : {out.ISOERR, out.PTERR}) {
            if (column != nullptr) std::fill_n(column, n, 'E');
        }
        if (done != nullptr) *done = n;
        return LOGK_NO_MEMORY;
    }
}

// The batch outputs of a C caller's, and of one call of the plain functions.
inline BatchOutputs batch_outputs(const logk_outputs& out) {
    return {out.lk, out.pidx, out.tidx, out.isoerr, out.pterr, out.dlk_dT, out.dlk_dP};
}

// Options of `workers` threads and no stop check.
inline logk_options on_workers(int workers) { return {workers, nullptr, nullptr}; }

}  // namespace logk::c_support
