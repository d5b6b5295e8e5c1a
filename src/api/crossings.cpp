// The inverse calls of Table, and their C form: the search of
// crossing/crossing.h for one point or many.
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/c_support.h"
#include "api/outputs.h"
#include "api/table_data.h"
#include "batch/overlap.h"
#include "crossing/crossing.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

namespace logk {
namespace {

// What the search takes of a table.
SearchedTable searched(const TableData& data) {
    if (data.grid) return {nullptr, &data.grid->table, &data.grid->rules};
    return {&data.LOGK, nullptr, nullptr};
}

// For i < n: the crossing at fixed[i] of LK[i], into at[i] and how[i] (how
// may be null), as crossing.h's crossings does it. An output that would
// overwrite inputs still to be read makes the inputs copied first
// (std::bad_alloc should memory run out).
std::size_t solve(const TableData& data, Along along, std::size_t n, const double* fixed, const double* LK,
                  double low, double high, double* at, char* how, const CallOptions& options) {
    // Points go in slices on several threads, read in no order across them.
    const bool sliced = options.workers != 1;
    const bool copy = overwrites_unread(at, sizeof(double), fixed, n, sliced) ||
                      overwrites_unread(at, sizeof(double), LK, n, sliced) ||
                      overwrites_unread(how, sizeof(char), fixed, n, sliced) ||
                      overwrites_unread(how, sizeof(char), LK, n, sliced);
    std::vector<double> inputs;
    if (copy) {
        inputs.assign(fixed, fixed + n);
        inputs.insert(inputs.end(), LK, LK + n);
        fixed = inputs.data();
        LK = inputs.data() + n;
    }
    return crossings(searched(data), along, n, fixed, LK, low, high, at, how, options.workers, options.stop);
}

Progress checked_solve(const char* caller, const TableData& data, Along along, std::span<const double> fixed,
                       std::span<const double> LK, std::span<double> at, std::span<char> how, double low,
                       double high, const CallOptions& options) {
    const std::size_t n = fixed.size();
    if (LK.size() != n || at.size() != n || !(how.empty() || how.size() == n)) {
        throw std::invalid_argument(std::string(caller) + ": the inputs and the outputs must be equally long");
    }
    check_workers(options.workers);
    const std::size_t done =
        solve(data, along, n, fixed.data(), LK.data(), low, high, at.data(), how.empty() ? nullptr : how.data(), options);
    return {done, done < n};
}

}  // namespace

Crossing Table::temperature_at(double P, double LK, double T_low, double T_high) const noexcept {
    const FirstCrossing found = first_crossing(searched(*data_), Along::temperature, P, LK, T_low, T_high);
    return {found.at, found.how};
}

Crossing Table::pressure_at(double T, double LK, double P_low, double P_high) const noexcept {
    const FirstCrossing found = first_crossing(searched(*data_), Along::pressure, T, LK, P_low, P_high);
    return {found.at, found.how};
}

void Table::temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                           std::span<char> how, double T_low, double T_high) const {
    temperature_at(P, LK, T, how, T_low, T_high, CallOptions{});
}

void Table::pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                        std::span<char> how, double P_low, double P_high) const {
    pressure_at(T, LK, P, how, P_low, P_high, CallOptions{});
}

Crossing Table::temperature_at(double P, double LK) const noexcept {
    return temperature_at(P, LK, temperatures().front(), temperatures().back());
}

Crossing Table::pressure_at(double T, double LK) const noexcept {
    return pressure_at(T, LK, pressures().front(), pressures().back());
}

void Table::temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                           std::span<char> how) const {
    temperature_at(P, LK, T, how, temperatures().front(), temperatures().back());
}

void Table::pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                        std::span<char> how) const {
    pressure_at(T, LK, P, how, pressures().front(), pressures().back());
}

Progress Table::temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                               std::span<char> how, double T_low, double T_high, const CallOptions& options) const {
    return checked_solve("logk::Table::temperature_at", *data_, Along::temperature, P, LK, T, how, T_low,
                         T_high, options);
}

Progress Table::pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                            std::span<char> how, double P_low, double P_high, const CallOptions& options) const {
    return checked_solve("logk::Table::pressure_at", *data_, Along::pressure, T, LK, P, how, P_low, P_high,
                         options);
}

}  // namespace logk

namespace {

using logk::c_support::call_options;

// The C form: nothing thrown; should memory run out for a copy of the
// inputs, every point's answer is NaN and 'N'.
int solve_or_fail(const logk_table* table, logk::Along along, size_t n, const double* fixed, const double* lk,
                  double low, double high, double* at, char* how, const logk_options* options, size_t* done) {
    if (done != nullptr) *done = 0;
    if (table == nullptr || fixed == nullptr || lk == nullptr || at == nullptr) return LOGK_DONE;
    const logk::CallOptions call = call_options(options);
    if (!logk::threads_wanted(call.workers)) return LOGK_REFUSED;
    try {
        const std::size_t finished = logk::solve(table->data, along, n, fixed, lk, low, high, at, how, call);
        if (done != nullptr) *done = finished;
        return finished < n ? LOGK_STOPPED : LOGK_DONE;
    } catch (...) {
        for (size_t i = 0; i < n; ++i) {
            at[i] = std::numeric_limits<double>::quiet_NaN();
            if (how != nullptr) how[i] = LOGK_NOT_REACHED;
        }
        if (done != nullptr) *done = n;
        return LOGK_NO_MEMORY;
    }
}

}  // namespace

LOGK_EXPORT void logk_temperature_at(const logk_table* table, size_t n, const double* P, const double* lk,
                                     double T_low, double T_high, double* T, char* how) {
    solve_or_fail(table, logk::Along::temperature, n, P, lk, T_low, T_high, T, how, nullptr, nullptr);
}

LOGK_EXPORT void logk_pressure_at(const logk_table* table, size_t n, const double* T, const double* lk,
                                  double P_low, double P_high, double* P, char* how) {
    solve_or_fail(table, logk::Along::pressure, n, T, lk, P_low, P_high, P, how, nullptr, nullptr);
}

LOGK_EXPORT int logk_solve_temperature(const logk_table* table, size_t n, const double* P, const double* lk,
                                       double T_low, double T_high, double* T, char* how,
                                       const logk_options* options, size_t* done) {
    return solve_or_fail(table, logk::Along::temperature, n, P, lk, T_low, T_high, T, how, options, done);
}

LOGK_EXPORT int logk_solve_pressure(const logk_table* table, size_t n, const double* T, const double* lk,
                                    double P_low, double P_high, double* P, char* how, const logk_options* options,
                                    size_t* done) {
    return solve_or_fail(table, logk::Along::pressure, n, T, lk, P_low, P_high, P, how, options, done);
}
