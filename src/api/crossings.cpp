// The inverse calls of Table, and their C form: the search of
// api/crossing.h for one point or many.
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/c_support.h"
#include "crossing/crossing.h"
#include "batch/overlap.h"
#include "api/table_data.h"
#include "logk/logk.h"
#include "logk/logk.hpp"

namespace logk {

// For i < n: the crossing at fixed[i] of LK[i], into at[i] and how[i] (how
// may be null). Each point's inputs are read before its outputs are
// written; an output that would overwrite inputs still to be read makes the
// inputs copied first (std::bad_alloc should memory run out).
static void crossings(const LogKTable& LOGK, Along along, std::size_t n, const double* fixed, const double* LK,
                      double low, double high, double* at, char* how) {
    const bool copy = overwrites_unread(at, sizeof(double), fixed, n, false) ||
                      overwrites_unread(at, sizeof(double), LK, n, false) ||
                      overwrites_unread(how, sizeof(char), fixed, n, false) ||
                      overwrites_unread(how, sizeof(char), LK, n, false);
    std::vector<double> inputs;
    if (copy) {
        inputs.assign(fixed, fixed + n);
        inputs.insert(inputs.end(), LK, LK + n);
        fixed = inputs.data();
        LK = inputs.data() + n;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const FirstCrossing found = first_crossing(LOGK, along, fixed[i], LK[i], low, high);
        at[i] = found.at;
        if (how != nullptr) how[i] = found.how;
    }
}

static void checked_crossings(const char* caller, const LogKTable& LOGK, Along along, std::span<const double> fixed,
                              std::span<const double> LK, std::span<double> at, std::span<char> how, double low,
                              double high) {
    const std::size_t n = fixed.size();
    if (LK.size() != n || at.size() != n || !(how.empty() || how.size() == n)) {
        throw std::invalid_argument(std::string(caller) + ": the inputs and the outputs must be equally long");
    }
    crossings(LOGK, along, n, fixed.data(), LK.data(), low, high, at.data(), how.empty() ? nullptr : how.data());
}

Crossing Table::temperature_at(double P, double LK, double T_low, double T_high) const noexcept {
    const FirstCrossing found = first_crossing(data_->LOGK, Along::temperature, P, LK, T_low, T_high);
    return {found.at, found.how};
}

Crossing Table::pressure_at(double T, double LK, double P_low, double P_high) const noexcept {
    const FirstCrossing found = first_crossing(data_->LOGK, Along::pressure, T, LK, P_low, P_high);
    return {found.at, found.how};
}

void Table::temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                           std::span<char> how, double T_low, double T_high) const {
    checked_crossings("logk::Table::temperature_at", data_->LOGK, Along::temperature, P, LK, T, how, T_low, T_high);
}

void Table::pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                        std::span<char> how, double P_low, double P_high) const {
    checked_crossings("logk::Table::pressure_at", data_->LOGK, Along::pressure, T, LK, P, how, P_low, P_high);
}

}  // namespace logk

namespace {

// The C form: nothing thrown; should memory run out for a copy of the
// inputs, every point's answer is NaN and 'N'.
void crossings_or_fail(const logk_table* table, logk::Along along, size_t n, const double* fixed, const double* lk,
                       double low, double high, double* at, char* how) {
    if (table == nullptr || fixed == nullptr || lk == nullptr || at == nullptr) return;
    try {
        logk::crossings(table->LOGK, along, n, fixed, lk, low, high, at, how);
    } catch (...) {
        for (size_t i = 0; i < n; ++i) {
            at[i] = std::numeric_limits<double>::quiet_NaN();
            if (how != nullptr) how[i] = 'N';
        }
    }
}

}  // namespace

LOGK_EXPORT void logk_temperature_at(const logk_table* table, size_t n, const double* P, const double* lk,
                                     double T_low, double T_high, double* T, char* how) {
    crossings_or_fail(table, logk::Along::temperature, n, P, lk, T_low, T_high, T, how);
}

LOGK_EXPORT void logk_pressure_at(const logk_table* table, size_t n, const double* T, const double* lk,
                                  double P_low, double P_high, double* P, char* how) {
    crossings_or_fail(table, logk::Along::pressure, n, T, lk, P_low, P_high, P, how);
}
