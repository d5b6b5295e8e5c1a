// The C interface: the C++ Table behind an opaque handle. Nothing here
// throws into C: every failure becomes a NULL with its error, or no output.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "api/c_support.h"
#include "api/files.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

using logk::c_support::batch_outputs;
using logk::c_support::call_options;
using logk::c_support::interpolate_or_fail;
using logk::c_support::on_workers;
using logk::c_support::set_error;

LOGK_EXPORT logk_table* logk_table_read(const char* path, const logk_options* options, logk_error* error,
                                        logk_place* place, logk_read_notes* notes) {
    if (place != nullptr) *place = {0, 0};
    if (notes != nullptr) *notes = {0, 0, 0, 0};
    if (path == nullptr) {
        set_error(error, 0, "logk_table_read: no path");
        return nullptr;
    }
    try {
        auto* table = new logk_table;
        logk::Error failure;
        logk::ReadNotes noted;
        if (logk::load_table_file(path, table->data, failure, call_options(options).stop,
                                  notes != nullptr ? &noted : nullptr)) {
            set_error(error, 0, "");
            if (notes != nullptr) {
                *notes = {noted.past_row.line, noted.past_row.values, noted.null_value.line, noted.after_table.line};
            }
            return table;
        }
        delete table;
        set_error(error, failure.number, failure.text);
        if (place != nullptr) *place = {failure.line, failure.column};
    } catch (const std::bad_alloc&) {
        set_error(error, 0, "logk_table_read: out of memory");
    } catch (...) {
        set_error(error, 0, "logk_table_read: unexpected failure");
    }
    return nullptr;
}

LOGK_EXPORT logk_table* logk_table_load_at(const char* path, logk_error* error, logk_place* place) {
    return logk_table_read(path, nullptr, error, place, nullptr);
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
    table->data.LOGK.set_in_file_order(values);
    set_error(error, 0, "");
    return table;
}

LOGK_EXPORT logk_table* logk_table_from_grid(size_t n_pressures, const double* pressures, size_t n_temperatures,
                                             const double* temperatures, const double* values, logk_error* error) {
    if (pressures == nullptr || temperatures == nullptr || values == nullptr) {
        set_error(error, 0, "logk_table_from_grid: no nodes or no values");
        return nullptr;
    }
    const std::span<const double> P(pressures, n_pressures), T(temperatures, n_temperatures);
    try {
        // m x n values are there as the caller says: a count that cannot be
        // is refused before any of them is read.
        if (n_temperatures != 0 && n_pressures > SIZE_MAX / sizeof(double) / n_temperatures) {
            set_error(error, 0, "logk_table_from_grid: too many values");
            return nullptr;
        }
        const std::size_t count = n_pressures * n_temperatures;
        if (const std::string why = logk::GridTable::refusal(P, T, count); !why.empty()) {
            set_error(error, 0, "logk_table_from_grid: " + why);
            return nullptr;
        }
        auto* table = new logk_table{logk::TableData(std::make_shared<const logk::GridData>(
            logk::GridTable(P, T, std::span<const double>(values, count))))};
        set_error(error, 0, "");
        return table;
    } catch (...) {
        set_error(error, 0, "logk_table_from_grid: out of memory");
        return nullptr;
    }
}

LOGK_EXPORT void logk_table_nodes(const logk_table* table, const double** pressures, size_t* n_pressures,
                                  const double** temperatures, size_t* n_temperatures) {
    const std::span<const double> P = table != nullptr ? table->data.pressures() : std::span<const double>();
    const std::span<const double> T = table != nullptr ? table->data.temperatures() : std::span<const double>();
    if (pressures != nullptr) *pressures = table != nullptr ? P.data() : nullptr;
    if (n_pressures != nullptr) *n_pressures = P.size();
    if (temperatures != nullptr) *temperatures = table != nullptr ? T.data() : nullptr;
    if (n_temperatures != nullptr) *n_temperatures = T.size();
}

LOGK_EXPORT int logk_table_on_own_nodes(const logk_table* table) {
    return table != nullptr && table->data.grid ? 1 : 0;
}

LOGK_EXPORT void logk_table_free(logk_table* table) { delete table; }

LOGK_EXPORT size_t logk_table_value_count(const logk_table* table) {
    return table == nullptr ? 0 : table->data.cell_count();
}

LOGK_EXPORT void logk_table_values(const logk_table* table, double* values) {
    if (table == nullptr || values == nullptr) return;
    const std::vector<double> in_file_order = table->data.file_values();
    std::copy(in_file_order.begin(), in_file_order.end(), values);
}

LOGK_EXPORT int logk_evaluate(const logk_table* table, size_t n, const double* P, const double* T,
                              const logk_outputs* outputs, const logk_options* options, size_t* done) {
    if (done != nullptr) *done = 0;
    if (table == nullptr || P == nullptr || T == nullptr || outputs == nullptr) return LOGK_DONE;
    if (n == 1 && (options == nullptr || options->stop == nullptr)) {
        // One point, as a face's scalar call asks it: the one-point route,
        // which gives the batch's bits, without the batch's set-up.
        if (options != nullptr && !logk::threads_wanted(options->workers)) return LOGK_REFUSED;
        const double p = *P, t = *T;  // read before anything is written over them
        const logk::Interpolation at = table->data.at(p, t);
        if (outputs->dlk_dT != nullptr || outputs->dlk_dP != nullptr) {
            const logk::Slopes slopes = table->data.slopes(p, t);
            if (outputs->dlk_dT != nullptr) *outputs->dlk_dT = slopes.dLK_dT;
            if (outputs->dlk_dP != nullptr) *outputs->dlk_dP = slopes.dLK_dP;
        }
        if (outputs->lk != nullptr) *outputs->lk = at.LK;
        if (outputs->pidx != nullptr) *outputs->pidx = at.PIDX;
        if (outputs->tidx != nullptr) *outputs->tidx = at.TIDX;
        if (outputs->isoerr != nullptr) *outputs->isoerr = at.ISOERR;
        if (outputs->pterr != nullptr) *outputs->pterr = at.PTERR;
        if (done != nullptr) *done = 1;
        return LOGK_DONE;
    }
    return interpolate_or_fail(table->data.values(), n, P, T, batch_outputs(*outputs), options, done);
}

LOGK_EXPORT int logk_interpolate_workers(const logk_table* table, size_t n, const double* P, const double* T,
                                         double* lk, int* pidx, int* tidx, char* isoerr, char* pterr, int workers) {
    const logk_outputs outputs{lk, pidx, tidx, isoerr, pterr, nullptr, nullptr};
    const logk_options options = on_workers(workers);
    return logk_evaluate(table, n, P, T, &outputs, &options, nullptr);
}

LOGK_EXPORT int logk_slopes_workers(const logk_table* table, size_t n, const double* P, const double* T,
                                    double* dlk_dT, double* dlk_dP, int workers) {
    const logk_outputs outputs{nullptr, nullptr, nullptr, nullptr, nullptr, dlk_dT, dlk_dP};
    const logk_options options = on_workers(workers);
    return logk_evaluate(table, n, P, T, &outputs, &options, nullptr);
}

LOGK_EXPORT void logk_interpolate(const logk_table* table, size_t n, const double* P, const double* T, double* lk,
                                  int* pidx, int* tidx, char* isoerr, char* pterr) {
    logk_interpolate_workers(table, n, P, T, lk, pidx, tidx, isoerr, pterr, 1);
}

LOGK_EXPORT void logk_slopes(const logk_table* table, size_t n, const double* P, const double* T, double* dlk_dT,
                             double* dlk_dP) {
    logk_slopes_workers(table, n, P, T, dlk_dT, dlk_dP, 1);
}
