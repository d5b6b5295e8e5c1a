// The C interface of table sets: many tables behind one opaque handle,
// laid out for the batch loop. Nothing here throws into C.
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "api/c_support.h"
#include "logk/logk.h"

using logk::c_support::batch_outputs;
using logk::c_support::interpolate_or_fail;
using logk::c_support::on_workers;
using logk::c_support::set_error;

namespace {

// A set of `count` tables, its values still to be filled; NULL with the
// error set when there can be none.
logk_table_set* new_set(size_t count, const char* caller, logk_error* error,
                        std::shared_ptr<const logk::GridData> grid = nullptr) {
    if (count == 0) {
        set_error(error, 0, std::string(caller) + ": a set needs at least one table");
        return nullptr;
    }
    try {
        auto* set = new logk_table_set{logk::TableSetData(count, std::move(grid))};
        set_error(error, 0, "");
        return set;
    } catch (const std::length_error& too_many) {
        set_error(error, 0, std::string(caller) + ": " + too_many.what());
        return nullptr;
    } catch (...) {
        set_error(error, 0, std::string(caller) + ": out of memory");
        return nullptr;
    }
}

}  // namespace

LOGK_EXPORT logk_table_set* logk_table_set_from_tables(const logk_table* const* tables, size_t count,
                                                       logk_error* error) {
    if (tables == nullptr) {
        set_error(error, 0, "logk_table_set_from_tables: no tables");
        return nullptr;
    }
    for (size_t r = 0; r < count; ++r) {
        if (tables[r] == nullptr) {
            set_error(error, 0, "logk_table_set_from_tables: table " + std::to_string(r) + " is NULL");
            return nullptr;
        }
    }
    if (count > 0) {
        std::vector<const logk::TableData*> data;
        for (size_t r = 0; r < count; ++r) data.push_back(&tables[r]->data);
        if (const std::string why = logk::TableSetData::refusal(data); !why.empty()) {
            set_error(error, 0, "logk_table_set_from_tables: " + why);
            return nullptr;
        }
    }
    logk_table_set* set = new_set(count, "logk_table_set_from_tables", error, count > 0 ? tables[0]->data.grid : nullptr);
    if (set == nullptr) return nullptr;
    for (size_t r = 0; r < count; ++r) set->data.put(r, tables[r]->data);
    return set;
}

LOGK_EXPORT logk_table_set* logk_table_set_from_values(const double* values, size_t count, logk_error* error) {
    if (values == nullptr) {
        set_error(error, 0, "logk_table_set_from_values: no values");
        return nullptr;
    }
    logk_table_set* set = new_set(count, "logk_table_set_from_values", error);
    if (set == nullptr) return nullptr;
    logk::LogKTable LOGK;
    for (size_t r = 0; r < count; ++r) {
        LOGK.set_in_file_order(values + r * logk::LogKTable::kCells);
        set->data.put(r, LOGK);
    }
    return set;
}

LOGK_EXPORT size_t logk_table_set_count(const logk_table_set* set) { return set == nullptr ? 0 : set->data.count; }

LOGK_EXPORT size_t logk_table_set_most(void) { return logk::TableSet::kMostTables; }

LOGK_EXPORT logk_table* logk_table_set_table(const logk_table_set* set, size_t r, logk_error* error) {
    if (set == nullptr || r >= set->data.count) {
        set_error(error, 0, "logk_table_set_table: no such table");
        return nullptr;
    }
    try {
        auto* table = new logk_table{*set->data.table(r)};
        set_error(error, 0, "");
        return table;
    } catch (...) {
        set_error(error, 0, "logk_table_set_table: out of memory");
        return nullptr;
    }
}

LOGK_EXPORT void logk_table_set_free(logk_table_set* set) { delete set; }

LOGK_EXPORT int logk_table_set_evaluate(const logk_table_set* set, size_t n, const double* P, const double* T,
                                        const logk_outputs* outputs, const logk_options* options, size_t* done) {
    if (done != nullptr) *done = 0;
    if (set == nullptr || P == nullptr || T == nullptr || outputs == nullptr) return LOGK_DONE;
    return interpolate_or_fail(set->data.tables(), n, P, T, batch_outputs(*outputs), options, done);
}

LOGK_EXPORT int logk_table_set_interpolate_workers(const logk_table_set* set, size_t n, const double* P,
                                                   const double* T, double* lk, int* pidx, int* tidx, char* isoerr,
                                                   char* pterr, int workers) {
    const logk_outputs outputs{lk, pidx, tidx, isoerr, pterr, nullptr, nullptr};
    const logk_options options = on_workers(workers);
    return logk_table_set_evaluate(set, n, P, T, &outputs, &options, nullptr);
}

LOGK_EXPORT int logk_table_set_slopes_workers(const logk_table_set* set, size_t n, const double* P, const double* T,
                                              double* dlk_dT, double* dlk_dP, int workers) {
    const logk_outputs outputs{nullptr, nullptr, nullptr, nullptr, nullptr, dlk_dT, dlk_dP};
    const logk_options options = on_workers(workers);
    return logk_table_set_evaluate(set, n, P, T, &outputs, &options, nullptr);
}

LOGK_EXPORT void logk_table_set_interpolate(const logk_table_set* set, size_t n, const double* P, const double* T,
                                            double* lk, int* pidx, int* tidx, char* isoerr, char* pterr) {
    logk_table_set_interpolate_workers(set, n, P, T, lk, pidx, tidx, isoerr, pterr, 1);
}

LOGK_EXPORT void logk_table_set_slopes(const logk_table_set* set, size_t n, const double* P, const double* T,
                                       double* dlk_dT, double* dlk_dP) {
    logk_table_set_slopes_workers(set, n, P, T, dlk_dT, dlk_dP, 1);
}
