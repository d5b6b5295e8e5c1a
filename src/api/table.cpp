#include <bit>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <utility>

#include "batch/batch.h"
#include "api/files.h"
#include "api/outputs.h"
#include "api/table_data.h"
#include "interp/intrpk.h"
#include "interp/slopes.h"
#include "logk/logk.h"
#include "logk/logk.hpp"
#include "result/result_line.h"
#include "stencil/findpt.h"
#include "workers/workers.h"

namespace logk {

Table::Table(std::shared_ptr<const TableData> data) : data_(std::move(data)) {}

Read<Table> Table::load(const std::string& path, const StopReading& stop) {
    Read<Table> read;
    auto data = std::make_shared<TableData>();
    if (load_table_file(path, *data, read.error, stop)) read.value = Table(std::move(data));
    return read;
}

Read<Table> Table::load(const std::string& path, IgnoredValues& ignored, const StopReading& stop) {
    ReadNotes notes;
    Read<Table> read = load(path, notes, stop);
    ignored = notes.past_row;
    return read;
}

Read<Table> Table::load(const std::string& path, ReadNotes& notes, const StopReading& stop) {
    Read<Table> read;
    auto data = std::make_shared<TableData>();
    if (load_table_file(path, *data, read.error, stop, &notes)) read.value = Table(std::move(data));
    return read;
}

Table Table::from_values(std::span<const double> values) {
    if (values.size() != static_cast<std::size_t>(kTableValues)) {
        throw std::invalid_argument("logk::Table::from_values: 1332 values are needed, 37 pressures by 36 temperatures");
    }
    auto data = std::make_shared<TableData>();
    data->LOGK.set_in_file_order(values.data());
    return Table(std::move(data));
}

Table Table::from_grid(std::span<const double> pressures, std::span<const double> temperatures,
                       std::span<const double> values) {
    if (const std::string why = GridTable::refusal(pressures, temperatures, values.size()); !why.empty()) {
        throw std::invalid_argument("logk::Table::from_grid: " + why);
    }
    return Table(std::make_shared<TableData>(std::make_shared<const GridData>(GridTable(pressures, temperatures, values))));
}

std::span<const double> Table::pressures() const noexcept { return data_->pressures(); }

std::span<const double> Table::temperatures() const noexcept { return data_->temperatures(); }

bool Table::on_own_nodes() const noexcept { return static_cast<bool>(data_->grid); }

Interpolation Table::interpolate(double P, double T) const noexcept { return data_->at(P, T); }

Slopes Table::slopes(double P, double T) const noexcept { return data_->slopes(P, T); }

void Table::interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs) const {
    interpolate(P, T, outputs, 1);
}

void Table::interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                        int workers) const {
    interpolate(P, T, outputs, CallOptions{workers, {}});
}

Progress Table::interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                            const CallOptions& options) const {
    const std::size_t n = P.size();
    return run_batch(data_->values(), n, P.data(), T.data(),
                     checked_outputs("logk::Table::interpolate", n, T.size(), 1, outputs), options);
}

double Table::value(int I, int J) const noexcept {
    const std::size_t m = data_->pressures().size(), n = data_->temperatures().size();
    if (I < 1 || static_cast<std::size_t>(I) > m || J < 1 || static_cast<std::size_t>(J) > n) return 0.0;
    return data_->grid ? data_->grid->table(I, J) : data_->LOGK(I, J);
}

std::vector<double> Table::values() const { return data_->file_values(); }

bool Table::operator==(const Table& other) const noexcept { return *data_ == *other.data_; }

Read<Points> read_points(const std::string& path, const StopReading& stop) {
    Read<Points> read;
    Points points;
    if (read_point_file(path, points, read.error, stop)) read.value = std::move(points);
    return read;
}

std::string_view version() noexcept { return LOGK_VERSION; }

std::string_view build() noexcept { return instruction_set_name(chosen_instruction_set()); }

std::string_view division() noexcept { return division_name(chosen_division()); }

int workers_threads(int workers) {
    check_workers(workers);
    return *threads_wanted(workers);
}

std::string_view header_line() {
    const std::string_view header = result_header();
    return header.substr(0, header.size() - 2);  // without CR LF
}

std::string format_line(double P, double T, const Interpolation& result) {
    ResultLine line;
    format_result_line(P, T, result.PIDX, result.TIDX, result.LK, result.ISOERR, result.PTERR, line);
    return std::string(line.data(), line.size() - 2);
}

}  // namespace logk
