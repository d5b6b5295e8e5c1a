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
    if (load_table_file(path, data->LOGK, read.error, stop)) read.value = Table(std::move(data));
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
    if (load_table_file(path, data->LOGK, read.error, stop, &notes)) read.value = Table(std::move(data));
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

Interpolation Table::interpolate(double P, double T) const noexcept {
    Interpolation at{0.0, -100, -100, 'N', 'N'};
    FINDPT(P, T, at.PIDX, at.TIDX, at.PTERR, at.ISOERR);
    intrpk_cells(P, T, at.PIDX, at.TIDX, data_->LOGK.cells(), at.LK);
    return at;
}

Slopes Table::slopes(double P, double T) const noexcept {
    int PIDX = -100;
    int TIDX = -100;
    char PTERR = 'N';
    char ISOERR = 'N';
    FINDPT(P, T, PIDX, TIDX, PTERR, ISOERR);
    Slopes slopes;
    interpolant_slopes(P, T, PIDX, TIDX, data_->LOGK, slopes.dLK_dT, slopes.dLK_dP);
    return slopes;
}

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
    return run_batch(values_of(data_->LOGK), n, P.data(), T.data(),
                     checked_outputs("logk::Table::interpolate", n, T.size(), 1, outputs), options);
}

double Table::value(int I, int J) const noexcept {
    if (I < 1 || I > kPressureNodes || J < 1 || J > kTemperatureNodes) return 0.0;
    return data_->LOGK(I, J);
}

std::vector<double> Table::values() const {
    std::vector<double> values(kTableValues);
    data_->LOGK.get_in_file_order(values.data());
    return values;
}

bool Table::operator==(const Table& other) const noexcept {
    const double* a = data_->LOGK.cells();
    const double* b = other.data_->LOGK.cells();
    for (int k = 0; k < kTableValues; ++k) {
        if (std::bit_cast<std::uint64_t>(a[k]) != std::bit_cast<std::uint64_t>(b[k])) return false;
    }
    return true;
}

Read<Points> read_points(const std::string& path, const StopReading& stop) {
    Read<Points> read;
    Points points;
    if (read_point_file(path, points, read.error, stop)) read.value = std::move(points);
    return read;
}

std::string_view version() noexcept { return LOGK_VERSION; }

std::string_view build() noexcept { return instruction_set_name(chosen_instruction_set()); }

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
