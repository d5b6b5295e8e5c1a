// The C interface: the C++ Table behind an opaque handle. Nothing here
// throws into C: every failure becomes a NULL with its error, or no output.
#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <span>
#include <string_view>

#include "api/batch.h"
#include "api/files.h"
#include "api/text_cut.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

#define LOGK_EXPORT extern "C" __attribute__((visibility("default")))

struct logk_table {
    logk::LogKTable LOGK;
};

namespace {

void set_error(logk_error* error, int number, std::string_view text) {
    if (error == nullptr) return;
    error->number = number;
    const std::size_t length = logk::whole_characters(text, sizeof error->text - 1);
    std::memcpy(error->text, text.data(), length);
    error->text[length] = '\0';
}

// The batch loop, which allocates only to copy inputs that outputs lie over.
// Should that fail, every output says so: log K and the slopes NaN, the
// stencil the program's reset value -100, both flags 'E'.
void interpolate_or_fail(const logk::TableValues& tables, size_t n, const double* P, const double* T,
                         const logk::BatchOutputs& out) {
    try {
        logk::interpolate_points(tables, n, P, T, out);
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

}  // namespace

LOGK_EXPORT logk_table* logk_table_load(const char* path, logk_error* error) {
    if (path == nullptr) {
        set_error(error, 0, "logk_table_load: no path");
        return nullptr;
    }
    try {
        auto* table = new logk_table;
        logk::Error failure;
        if (logk::load_table_file(path, table->LOGK, failure)) {
            set_error(error, 0, "");
            return table;
        }
        delete table;
        set_error(error, failure.number, failure.text);
    } catch (const std::bad_alloc&) {
        set_error(error, 0, "logk_table_load: out of memory");
    } catch (...) {
        set_error(error, 0, "logk_table_load: unexpected failure");
    }
    return nullptr;
}

LOGK_EXPORT logk_table* logk_table_from_values(const double values[1332], logk_error* error) {
    if (values == nullptr) {
        set_error(error, 0, "logk_table_from_values: no values");
        return nullptr;
    }
    auto* table = new (std::nothrow) logk_table;
    if (table == nullptr) {
        set_error(error, 0, "logk_table_from_values: out of memory");
        return nullptr;
    }
    table->LOGK.set_in_file_order(values);
    set_error(error, 0, "");
    return table;
}

LOGK_EXPORT void logk_table_free(logk_table* table) { delete table; }

LOGK_EXPORT void logk_interpolate(const logk_table* table, size_t n, const double* P, const double* T, double* lk,
                                  int* pidx, int* tidx, char* isoerr, char* pterr) {
    if (table == nullptr || P == nullptr || T == nullptr) return;
    interpolate_or_fail(logk::values_of(table->LOGK), n, P, T, {lk, pidx, tidx, isoerr, pterr, nullptr, nullptr});
}

LOGK_EXPORT void logk_slopes(const logk_table* table, size_t n, const double* P, const double* T, double* dlk_dT,
                             double* dlk_dP) {
    if (table == nullptr || P == nullptr || T == nullptr) return;
    interpolate_or_fail(logk::values_of(table->LOGK), n, P, T,
                        {nullptr, nullptr, nullptr, nullptr, nullptr, dlk_dT, dlk_dP});
}
