// The C interface: the C++ Table behind an opaque handle. Nothing here
// throws into C: every failure becomes a NULL with its error, or no output.
#include <new>

#include "batch/batch.h"
#include "api/c_support.h"
#include "api/files.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

using logk::c_support::interpolate_or_fail;
using logk::c_support::set_error;

LOGK_EXPORT logk_table* logk_table_load_at(const char* path, logk_error* error, logk_place* place) {
    if (place != nullptr) *place = {0, 0};
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
        if (place != nullptr) *place = {failure.line, failure.column};
    } catch (const std::bad_alloc&) {
        set_error(error, 0, "logk_table_load: out of memory");
    } catch (...) {
        set_error(error, 0, "logk_table_load: unexpected failure");
    }
    return nullptr;
}

LOGK_EXPORT logk_table* logk_table_load(const char* path, logk_error* error) {
    return logk_table_load_at(path, error, nullptr);
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

LOGK_EXPORT void logk_interpolate_workers(const logk_table* table, size_t n, const double* P, const double* T,
                                          double* lk, int* pidx, int* tidx, char* isoerr, char* pterr, int workers) {
    if (table == nullptr || P == nullptr || T == nullptr) return;
    interpolate_or_fail(logk::values_of(table->LOGK), n, P, T, {lk, pidx, tidx, isoerr, pterr, nullptr, nullptr},
                        workers);
}

LOGK_EXPORT void logk_slopes_workers(const logk_table* table, size_t n, const double* P, const double* T,
                                     double* dlk_dT, double* dlk_dP, int workers) {
    if (table == nullptr || P == nullptr || T == nullptr) return;
    interpolate_or_fail(logk::values_of(table->LOGK), n, P, T,
                        {nullptr, nullptr, nullptr, nullptr, nullptr, dlk_dT, dlk_dP}, workers);
}

LOGK_EXPORT void logk_interpolate(const logk_table* table, size_t n, const double* P, const double* T, double* lk,
                                  int* pidx, int* tidx, char* isoerr, char* pterr) {
    logk_interpolate_workers(table, n, P, T, lk, pidx, tidx, isoerr, pterr, 1);
}

LOGK_EXPORT void logk_slopes(const logk_table* table, size_t n, const double* P, const double* T, double* dlk_dT,
                             double* dlk_dP) {
    logk_slopes_workers(table, n, P, T, dlk_dT, dlk_dP, 1);
}
