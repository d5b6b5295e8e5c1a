// What the C interface's two files share: the handles behind the opaque
// types, failures as a logk_error, and the batch loop with nothing thrown.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>

#include "batch/batch.h"
#include "api/table_set_data.h"
#include "api/text_cut.h"
#include "grid/logk_table.h"
#include "logk/logk.h"

#define LOGK_EXPORT extern "C" __attribute__((visibility("default")))

struct logk_table {
    logk::LogKTable LOGK;
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

// The batch loop, which allocates only to copy inputs that outputs lie over.
// Should that fail, every output says so: log K and the slopes NaN, the
// stencil the program's reset value -100, both flags 'E'.
inline void interpolate_or_fail(const TableValues& tables, std::size_t n, const double* P, const double* T,
                                const BatchOutputs& out, int workers) {
    try {
        interpolate_points(tables, n, P, T, out, workers);
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
    }
}

}  // namespace logk::c_support
