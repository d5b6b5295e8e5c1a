// The table of cases every face runs (tests/cases/cases.txt), here on the
// C++ and the C faces: each row's outputs to the bit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "logk/logk.h"
#include "logk/logk.hpp"
#include "support/cases.h"

namespace logk::testing {
namespace {

std::string source_path(const std::string& path) { return std::string(LOGK_SOURCE_DIR) + "/" + path; }

const char* kind_name(int kind) {
    switch (kind) {
        case LOGK_NOT_FOUND: return "not_found";
        case LOGK_PERMISSION: return "permission";
        case LOGK_NOTATION: return "notation";
        default: return "other";
    }
}

// What a point row's tables give, through one face.
struct PointResult {
    int PIDX, TIDX;
    char ISOERR, PTERR;
    std::vector<double> LK, dLK_dT, dLK_dP;  // a value a table
};

// One face of the library: tables and sets by name, and each kind of row.
class Face {
public:
    virtual ~Face() = default;
    virtual void table(const std::string& name, const std::string& path) = 0;
    virtual void values(const std::string& name, const std::vector<double>& values) = 0;
    virtual void grid(const std::string& name, const std::vector<double>& pressures,
                      const std::vector<double>& temperatures, const std::vector<double>& values) = 0;
    virtual void set(const std::string& name, const std::vector<std::string>& tables) = 0;
    virtual PointResult point(const std::string& name, double P, double T) = 0;
    virtual std::pair<double, char> solve(const std::string& name, bool along_T, double fixed, double LK, double low,
                                          double high) = 0;
    // number, kind, line, column
    virtual std::tuple<int, std::string, long long, long long> failure(const std::string& path) = 0;
    virtual std::vector<long long> notes(const std::string& path) = 0;
    virtual bool accepts_workers(int workers) = 0;
};

class CppFace : public Face {
public:
    void table(const std::string& name, const std::string& path) override {
        const Read<Table> read = Table::load(source_path(path));
        if (!read) throw std::runtime_error(read.error.text);
        tables_.emplace(name, *read.value);
    }
    void values(const std::string& name, const std::vector<double>& values) override {
        tables_.emplace(name, Table::from_values(values));
    }
    void grid(const std::string& name, const std::vector<double>& pressures, const std::vector<double>& temperatures,
              const std::vector<double>& values) override {
        tables_.emplace(name, Table::from_grid(pressures, temperatures, values));
    }
    void set(const std::string& name, const std::vector<std::string>& names) override {
        std::vector<Table> tables;
        for (const std::string& table : names) tables.push_back(tables_.at(table));
        sets_.emplace(name, TableSet::from_tables(tables, names));
    }
    PointResult point(const std::string& name, double P, double T) override {
        const std::size_t count = sets_.contains(name) ? sets_.at(name).size() : 1;
        PointResult got{0, 0, 0, 0, std::vector<double>(count), std::vector<double>(count), std::vector<double>(count)};
        const Outputs outputs{got.LK, {&got.PIDX, 1}, {&got.TIDX, 1}, {&got.ISOERR, 1}, {&got.PTERR, 1}, got.dLK_dT,
                              got.dLK_dP};
        const double Ps[1] = {P}, Ts[1] = {T};
        if (sets_.contains(name)) {
            sets_.at(name).interpolate(Ps, Ts, outputs);
        } else {
            tables_.at(name).interpolate(Ps, Ts, outputs);
        }
        return got;
    }
    std::pair<double, char> solve(const std::string& name, bool along_T, double fixed, double LK, double low,
                                  double high) override {
        const Table& table = tables_.at(name);
        const Crossing found = along_T ? table.temperature_at(fixed, LK, low, high) : table.pressure_at(fixed, LK, low, high);
        return {found.at, found.how};
    }
    std::tuple<int, std::string, long long, long long> failure(const std::string& path) override {
        const Read<Table> read = Table::load(source_path(path));
        if (read) return {0, "", 0, 0};
        return {read.error.number, kind_name(logk_message_kind(read.error.number)), read.error.line, read.error.column};
    }
    std::vector<long long> notes(const std::string& path) override {
        ReadNotes notes;
        if (!Table::load(source_path(path), notes)) return {};
        return {notes.past_row.line, notes.past_row.values, notes.null_value.line, notes.after_table.line};
    }
    bool accepts_workers(int workers) override {
        const Table& table = tables_.begin()->second;
        const double P[1] = {500.0}, T[1] = {300.0};
        double LK[1];
        try {
            table.interpolate(P, T, Outputs{.LK = LK}, workers);
            return true;
        } catch (const std::invalid_argument&) {
            return false;
        }
    }

private:
    std::map<std::string, Table> tables_;
    std::map<std::string, TableSet> sets_;
};

class CFace : public Face {
public:
    ~CFace() override {
        for (auto& [name, table] : tables_) logk_table_free(table);
        for (auto& [name, set] : sets_) logk_table_set_free(set);
    }
    void table(const std::string& name, const std::string& path) override {
        logk_error error;
        logk_table* table = logk_table_load(source_path(path).c_str(), &error);
        if (table == nullptr) throw std::runtime_error(error.text);
        tables_[name] = table;
    }
    void values(const std::string& name, const std::vector<double>& values) override {
        tables_[name] = logk_table_from_values(values.data(), nullptr);
    }
    void grid(const std::string& name, const std::vector<double>& pressures, const std::vector<double>& temperatures,
              const std::vector<double>& values) override {
        logk_error error;
        tables_[name] = logk_table_from_grid(pressures.size(), pressures.data(), temperatures.size(),
                                             temperatures.data(), values.data(), &error);
        if (tables_[name] == nullptr) throw std::runtime_error(error.text);
    }
    void set(const std::string& name, const std::vector<std::string>& names) override {
        std::vector<const logk_table*> tables;
        for (const std::string& table : names) tables.push_back(tables_.at(table));
        sets_[name] = logk_table_set_from_tables(tables.data(), tables.size(), nullptr);
    }
    PointResult point(const std::string& name, double P, double T) override {
        const bool is_set = sets_.contains(name);
        const std::size_t count = is_set ? logk_table_set_count(sets_.at(name)) : 1;
        PointResult got{0, 0, 0, 0, std::vector<double>(count), std::vector<double>(count), std::vector<double>(count)};
        const logk_outputs outputs{got.LK.data(), &got.PIDX,         &got.TIDX,          &got.ISOERR,
                                   &got.PTERR,    got.dLK_dT.data(), got.dLK_dP.data()};
        const int status = is_set ? logk_table_set_evaluate(sets_.at(name), 1, &P, &T, &outputs, nullptr, nullptr)
                                  : logk_evaluate(tables_.at(name), 1, &P, &T, &outputs, nullptr, nullptr);
        EXPECT_EQ(status, LOGK_DONE);
        return got;
    }
    std::pair<double, char> solve(const std::string& name, bool along_T, double fixed, double LK, double low,
                                  double high) override {
        double at = 0.0;
        char how = '?';
        const int status = along_T ? logk_solve_temperature(tables_.at(name), 1, &fixed, &LK, low, high, &at, &how,
                                                            nullptr, nullptr)
                                   : logk_solve_pressure(tables_.at(name), 1, &fixed, &LK, low, high, &at, &how,
                                                         nullptr, nullptr);
        EXPECT_EQ(status, LOGK_DONE);
        return {at, how};
    }
    std::tuple<int, std::string, long long, long long> failure(const std::string& path) override {
        logk_error error;
        logk_place place;
        logk_table* table = logk_table_read(source_path(path).c_str(), nullptr, &error, &place, nullptr);
        if (table != nullptr) {
            logk_table_free(table);
            return {0, "", 0, 0};
        }
        return {error.number, kind_name(logk_message_kind(error.number)), place.line, place.column};
    }
    std::vector<long long> notes(const std::string& path) override {
        logk_read_notes notes;
        logk_table* table = logk_table_read(source_path(path).c_str(), nullptr, nullptr, nullptr, &notes);
        if (table == nullptr) return {};
        logk_table_free(table);
        return {notes.past_row_line, notes.past_row_values, notes.null_line, notes.after_table_line};
    }
    bool accepts_workers(int workers) override {
        const double P = 500.0, T = 300.0;
        double LK = 0.0;
        return logk_interpolate_workers(tables_.begin()->second, 1, &P, &T, &LK, nullptr, nullptr, nullptr, nullptr,
                                        workers) == LOGK_DONE;
    }

private:
    std::map<std::string, logk_table*> tables_;
    std::map<std::string, logk_table_set*> sets_;
};

void expect_bits(double got, const std::string& expected, const char* what) {
    EXPECT_EQ(bits_of(got), expected) << what;
}

// Every row of the file through `face`.
void run_cases(Face& face) {
    const std::vector<CaseRow> rows = case_rows();
    ASSERT_GT(rows.size(), 100u);
    for (const CaseRow& row : rows) {
        const std::vector<std::string>& f = row.fields;
        SCOPED_TRACE(::testing::Message() << "cases.txt line " << row.line);
        const std::string& kind = f[0];
        if (kind == "table") {
            face.table(f[1], f[2]);
        } else if (kind == "hextable") {
            face.values(f[1], hex_values(f[2]));
        } else if (kind == "gridtable") {
            face.grid(f[1], hex_values(f[2]), hex_values(f[3]), hex_values(f[4]));
        } else if (kind == "set") {
            face.set(f[1], std::vector<std::string>(f.begin() + 2, f.end()));
        } else if (kind == "point") {
            const PointResult got = face.point(f[1], from_bits(f[2]), from_bits(f[3]));
            EXPECT_EQ(got.PIDX, std::stoi(f[4]));
            EXPECT_EQ(got.TIDX, std::stoi(f[5]));
            EXPECT_EQ(std::string(1, got.ISOERR), f[6]);
            EXPECT_EQ(std::string(1, got.PTERR), f[7]);
            ASSERT_EQ(f.size(), 8 + 3 * got.LK.size());
            for (std::size_t r = 0; r < got.LK.size(); ++r) {
                expect_bits(got.LK[r], f[8 + 3 * r], "lk");
                expect_bits(got.dLK_dT[r], f[9 + 3 * r], "dlk_dT");
                expect_bits(got.dLK_dP[r], f[10 + 3 * r], "dlk_dP");
            }
        } else if (kind == "temperature_at" || kind == "pressure_at") {
            const auto [at, how] = face.solve(f[1], kind == "temperature_at", from_bits(f[2]), from_bits(f[3]),
                                              from_bits(f[4]), from_bits(f[5]));
            expect_bits(at, f[6], "at");
            EXPECT_EQ(std::string(1, how), f[7]);
        } else if (kind == "fails") {
            const auto [number, failure_kind, line, column] = face.failure(f[1]);
            EXPECT_EQ(number, std::stoi(f[2]));
            EXPECT_EQ(failure_kind, f[3]);
            EXPECT_EQ(line, std::stoll(f[4]));
            EXPECT_EQ(column, std::stoll(f[5]));
        } else if (kind == "notes") {
            const std::vector<long long> expected = {std::stoll(f[2]), std::stoll(f[3]), std::stoll(f[4]),
                                                     std::stoll(f[5])};
            EXPECT_EQ(face.notes(f[1]), expected);
        } else if (kind == "workers") {
            EXPECT_EQ(face.accepts_workers(std::stoi(f[1])), f[2] == "accepted");
        } else {
            ADD_FAILURE() << "no such kind of row: " << kind;
        }
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// Run with LOGK_CPU set (CTest runs the cases under each build), the
// library uses that build, or says why not: this processor cannot run it.
TEST(Cases, TheBuildAskedFor) {
    const char* asked = std::getenv("LOGK_CPU");
    if (asked == nullptr) GTEST_SKIP() << "LOGK_CPU is not set; the library uses " << logk_build();
    if (std::string(logk_build()) != asked) GTEST_SKIP() << "skipped: " << logk_build_note();
    EXPECT_STREQ(logk_build_note(), "");
}

// Run with LOGK_DIVISION set as well, the library divides so.
TEST(Cases, TheDivisionAskedFor) {
    const char* asked = std::getenv("LOGK_DIVISION");
    if (asked == nullptr) GTEST_SKIP() << "LOGK_DIVISION is not set; the library's division is " << logk_division();
    EXPECT_STREQ(logk_division(), asked) << logk_build_note();
}

TEST(Cases, EveryRowOnTheCppFace) {
    CppFace face;
    run_cases(face);
}

TEST(Cases, EveryRowOnTheCFace) {
    CFace face;
    run_cases(face);
}

}  // namespace
}  // namespace logk::testing
