#include <bit>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <utility>

#include "batch/batch.h"
#include "api/files.h"
#include "api/outputs.h"
#include "api/table_data.h"
#include "api/table_set_data.h"
#include "logk/logk.hpp"

namespace logk {
namespace {

// Names are none at all, or one per table, no two alike but for empty ones.
std::vector<std::string> checked_names(std::vector<std::string> names, std::size_t count, const char* caller) {
    if (names.empty()) return std::vector<std::string>(count);
    if (names.size() != count) {
        throw std::invalid_argument(std::string(caller) + ": give a name for every table, or none");
    }
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (!name.empty() && !seen.insert(name).second) {
            throw std::invalid_argument(std::string(caller) + ": two tables are named " + name);
        }
    }
    return names;
}

}  // namespace

TableSet::TableSet(std::shared_ptr<const TableSetData> data) : data_(std::move(data)) {}

TableSet TableSet::from_tables(std::span<const Table> tables, std::vector<std::string> names) {
    if (tables.empty()) throw std::invalid_argument("logk::TableSet::from_tables: a set needs a table");
    std::vector<const TableData*> each;
    for (const Table& table : tables) each.push_back(table.data_.get());
    if (const std::string why = TableSetData::refusal(each); !why.empty()) {
        throw std::invalid_argument("logk::TableSet::from_tables: " + why);
    }
    auto data = std::make_shared<TableSetData>(tables.size(), tables[0].data_->grid);
    data->names = checked_names(std::move(names), tables.size(), "logk::TableSet::from_tables");
    for (std::size_t r = 0; r < tables.size(); ++r) data->put(r, *tables[r].data_);
    return TableSet(std::move(data));
}

TableSet TableSet::from_values(std::span<const double> values, std::vector<std::string> names) {
    const std::size_t count = values.size() / kTableValues;
    if (count == 0 || values.size() % kTableValues != 0) {
        throw std::invalid_argument("logk::TableSet::from_values: 1332 values a table are needed, table after table");
    }
    auto data = std::make_shared<TableSetData>(count);
    data->names = checked_names(std::move(names), count, "logk::TableSet::from_values");
    LogKTable LOGK;
    for (std::size_t r = 0; r < count; ++r) {
        LOGK.set_in_file_order(values.data() + r * kTableValues);
        data->put(r, LOGK);
    }
    return TableSet(std::move(data));
}

Read<TableSet> TableSet::load(std::span<const std::string> paths, std::vector<std::string> names,
                              const StopReading& stop) {
    IgnoredValues ignored;
    return load(paths, std::move(names), ignored, stop);
}

Read<TableSet> TableSet::load(std::span<const std::string> paths, std::vector<std::string> names,
                              IgnoredValues& ignored, const StopReading& stop) {
    ReadNotes notes;
    Read<TableSet> read = load(paths, std::move(names), notes, stop);
    ignored = notes.past_row;
    return read;
}

Read<TableSet> TableSet::load(std::span<const std::string> paths, std::vector<std::string> names,
                              ReadNotes& notes, const StopReading& stop) {
    notes = {};
    if (names.empty()) {
        for (const std::string& path : paths) names.push_back(std::filesystem::path(path).stem().string());
    }
    if (paths.empty()) throw std::invalid_argument("logk::TableSet::load: a set needs a table");
    names = checked_names(std::move(names), paths.size(), "logk::TableSet::load");  // before any file is read
    Read<TableSet> read;
    std::vector<Table> tables;
    for (std::size_t r = 0; r < paths.size(); ++r) {
        ReadNotes in_file;
        const Read<Table> table = Table::load(paths[r], in_file, stop);
        if (!table) {
            read.error = table.error;
            return read;
        }
        if (notes.past_row.line == 0) notes.past_row = in_file.past_row;
        if (notes.null_value.line == 0) notes.null_value = in_file.null_value;
        if (notes.after_table.line == 0) notes.after_table = in_file.after_table;
        tables.push_back(*table.value);
    }
    read.value = from_tables(tables, std::move(names));
    return read;
}

std::size_t TableSet::size() const noexcept { return data_->count; }

const std::vector<std::string>& TableSet::names() const noexcept { return data_->names; }

Table TableSet::table(std::size_t r) const {
    if (r >= data_->count) throw std::out_of_range("logk::TableSet::table: no such table");
    return Table(data_->table(r));
}

void TableSet::interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs) const {
    interpolate(P, T, outputs, 1);
}

void TableSet::interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                           int workers) const {
    interpolate(P, T, outputs, CallOptions{workers, {}});
}

Progress TableSet::interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                               const CallOptions& options) const {
    const std::size_t n = P.size();
    return run_batch(data_->tables(), n, P.data(), T.data(),
                     checked_outputs("logk::TableSet::interpolate", n, T.size(), data_->count, outputs), options);
}

std::vector<double> TableSet::values() const {
    std::vector<double> values;
    for (std::size_t r = 0; r < data_->count; ++r) {
        const std::vector<double> table = data_->table(r)->file_values();
        values.insert(values.end(), table.begin(), table.end());
    }
    return values;
}

bool TableSet::operator==(const TableSet& other) const noexcept {
    if (data_->count != other.data_->count || data_->names != other.data_->names) return false;
    for (std::size_t k = 0; k < data_->values.size(); ++k) {
        if (std::bit_cast<std::uint64_t>(data_->values[k]) != std::bit_cast<std::uint64_t>(other.data_->values[k])) {
            return false;
        }
    }
    return true;
}

}  // namespace logk
