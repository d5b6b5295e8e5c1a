// The compiled half of the Python module: logk's C++ interface over
// contiguous NumPy arrays. The interpreter's lock is released while files
// are read and points computed, and control-C is answered between blocks of
// the work. The module logk/__init__.py makes of it what Python users
// expect: broadcasting, dtypes, masks, exceptions, pickling.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "logk/logk.hpp"

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A failure, for logk/__init__.py to raise as the right exception: the
// text and the path as bytes, since a path need not be UTF-8.
py::tuple error_tuple(const logk::Error& error) {
    return py::make_tuple(error.number, py::bytes(error.text), error.line, error.column, py::bytes(error.path));
}

// A read with the lock released that stops when control-C (or any Python
// signal handler) raises: the read's stop check takes the lock back to ask.
class SignalWatch {
public:
    logk::StopReading check() {
        return [this] {
            py::gil_scoped_acquire locked;
            raised_ = raised_ || PyErr_CheckSignals() != 0;
            return raised_;
        };
    }
    // Raises what the handler raised, once the lock is held again.
    void rethrow() const {
        if (raised_) throw py::error_already_set();
    }

private:
    bool raised_ = false;
};

Doubles doubles(const std::vector<double>& values) {
    Doubles array(static_cast<py::ssize_t>(values.size()));
    std::memcpy(array.mutable_data(), values.data(), values.size() * sizeof(double));
    return array;
}

// Reads files with `read` (the lock released), and makes the Python value
// of what was read with `make`, or returns the failure's tuple.
template <typename Read, typename Make>
py::object read_files(Read read, Make make) {
    SignalWatch signals;
    decltype(read(signals.check())) got;
    {
        py::gil_scoped_release unlocked;
        got = read(signals.check());
    }
    signals.rethrow();
    if (!got) return error_tuple(got.error);
    return make(std::move(*got.value));
}

// A table, or a set, with the first line of its files that holds values
// past the 36th of a row: (tables, line, values, path), line 0 for none.
template <typename Tables>
py::object with_ignored(Tables tables, const logk::IgnoredValues& ignored) {
    return py::make_tuple(std::move(tables), ignored.line, ignored.values, py::bytes(ignored.path));
}

py::object load(const py::bytes& path) {
    const std::string name = path;
    logk::IgnoredValues ignored;
    return read_files([&](const logk::StopReading& stop) { return logk::Table::load(name, ignored, stop); },
                      [&](logk::Table table) { return with_ignored(std::move(table), ignored); });
}

py::object load_set(const std::vector<py::bytes>& paths, const std::vector<std::string>& names) {
    const std::vector<std::string> files(paths.begin(), paths.end());
    logk::IgnoredValues ignored;
    return read_files([&](const logk::StopReading& stop) { return logk::TableSet::load(files, names, ignored, stop); },
                      [&](logk::TableSet set) { return with_ignored(std::move(set), ignored); });
}

py::object read_points(const py::bytes& path) {
    const std::string name = path;
    return read_files(
        [&name](const logk::StopReading& stop) { return logk::read_points(name, stop); },
        [](const logk::Points& points) -> py::object { return py::make_tuple(doubles(points.P), doubles(points.T)); });
}

logk::Table from_values(const Doubles& values) {
    if (values.size() != logk::kTableValues) {
        throw py::value_error("1332 values are needed: 37 pressures by 36 temperatures");
    }
    return logk::Table::from_values({values.data(), static_cast<std::size_t>(values.size())});
}

logk::TableSet set_from_values(const Doubles& values, const std::vector<std::string>& names) {
    return logk::TableSet::from_values({values.data(), static_cast<std::size_t>(values.size())}, names);
}

logk::TableSet set_from_tables(const std::vector<logk::Table>& tables, const std::vector<std::string>& names) {
    return logk::TableSet::from_tables(tables, names);
}

// One output column: a writeable, contiguous array of n values, or None.
// (logk/__init__.py has checked each and says what is wrong; this is the
// last guard.)
template <typename Value>
Value* column(const py::object& array, py::ssize_t n, const char* name) {
    if (array.is_none()) return nullptr;
    auto typed = py::array_t<Value, py::array::c_style>::ensure(array);
    if (!typed || typed.size() != n || !typed.writeable() || typed.ptr() != array.ptr()) {
        throw py::value_error(std::string("the output ") + name +
                              " must be a writeable, contiguous array of the points' size");
    }
    return typed.mutable_data();
}

// Points go in blocks of this many (times the threads), the lock released
// for each and the signals checked between them: about a millisecond of
// work.
constexpr std::size_t kBlock = 65536;

std::size_t table_count(const logk::Table&) { return 1; }
std::size_t table_count(const logk::TableSet& set) { return set.size(); }

// Fills the outputs given (each None or an array of the points' size, times
// the tables' count for log K and the slopes) for the n points of P and T:
// log K, the stencil indices (int32), the flags as the code points of 'U1'
// strings, the slopes.
template <typename Tables>
void interpolate(const Tables& tables, const Doubles& P, const Doubles& T, const py::object& LK,
                 const py::object& PIDX, const py::object& TIDX, const py::object& ISOERR, const py::object& PTERR,
                 const py::object& dLK_dT, const py::object& dLK_dP, int workers) {
    const py::ssize_t n = P.size();
    const std::size_t count = table_count(tables);
    const auto values = static_cast<py::ssize_t>(static_cast<std::size_t>(n) * count);
    if (T.size() != n) throw py::value_error("P and T must hold as many values");
    double* lk = column<double>(LK, values, "lk");
    std::int32_t* pidx = column<std::int32_t>(PIDX, n, "pidx");
    std::int32_t* tidx = column<std::int32_t>(TIDX, n, "tidx");
    std::uint32_t* isoerr = column<std::uint32_t>(ISOERR, n, "isoerr");
    std::uint32_t* pterr = column<std::uint32_t>(PTERR, n, "pterr");
    double* dT = column<double>(dLK_dT, values, "dlk_dT");
    double* dP = column<double>(dLK_dP, values, "dlk_dP");
    // About as many values a block, times the threads that share it.
    const auto threads = std::clamp<unsigned>(static_cast<unsigned>(std::max(1, workers)), 1,
                                              std::max(1u, std::thread::hardware_concurrency()));
    const std::size_t block = std::max<std::size_t>(1, kBlock / count) * threads;
    std::vector<char> iso(isoerr == nullptr ? 0 : block), pt(pterr == nullptr ? 0 : block);
    for (std::size_t first = 0; first < static_cast<std::size_t>(n); first += block) {
        const std::size_t points = std::min(block, static_cast<std::size_t>(n) - first);
        {
            py::gil_scoped_release unlocked;
            // Points first to first + points, each `per` values of an output.
            auto part = [first, points](auto* values, std::size_t per) {
                using Value = std::remove_pointer_t<decltype(values)>;
                return values == nullptr ? std::span<Value>() : std::span<Value>(values + first * per, points * per);
            };
            const logk::Outputs outputs{.LK = part(lk, count),
                                        .PIDX = part(reinterpret_cast<int*>(pidx), 1),
                                        .TIDX = part(reinterpret_cast<int*>(tidx), 1),
                                        .ISOERR = std::span<char>(iso).first(iso.empty() ? 0 : points),
                                        .PTERR = std::span<char>(pt).first(pt.empty() ? 0 : points),
                                        .dLK_dT = part(dT, count),
                                        .dLK_dP = part(dP, count)};
            tables.interpolate({P.data() + first, points}, {T.data() + first, points}, outputs, workers);
            for (std::size_t i = 0; i < points; ++i) {
                if (isoerr != nullptr) isoerr[first + i] = static_cast<unsigned char>(iso[i]);
                if (pterr != nullptr) pterr[first + i] = static_cast<unsigned char>(pt[i]);
            }
        }
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    }
}

// The temperature (along_T) or pressure at which log K takes lk[i] at
// fixed[i], between low and high, into `at` and `how` (the code points of
// 'U1' strings): in blocks, the lock released for each, signals checked
// between them. A point takes a microsecond or some tens of milliseconds
// (a table that lies within rounding of the value along whole pieces), so
// the blocks are sized by the time the last one took, some milliseconds.
void crossings(const logk::Table& table, bool along_T, const Doubles& fixed, const Doubles& lk, double low,
               double high, const py::object& at, const py::object& how) {
    const py::ssize_t n = fixed.size();
    if (lk.size() != n) throw py::value_error("the points and the values must be as many");
    double* out = column<double>(at, n, "at");
    std::uint32_t* ways = column<std::uint32_t>(how, n, "how");
    constexpr std::size_t kMostPoints = 1 << 16;
    constexpr auto kShortest = std::chrono::milliseconds(2), kLongest = std::chrono::milliseconds(8);
    std::vector<char> block_ways(kMostPoints);
    std::size_t block = 16;
    for (std::size_t first = 0, points = 0; first < static_cast<std::size_t>(n); first += points) {
        points = std::min(block, static_cast<std::size_t>(n) - first);
        const auto start = std::chrono::steady_clock::now();
        {
            py::gil_scoped_release unlocked;
            const std::span<const double> x(fixed.data() + first, points), y(lk.data() + first, points);
            const std::span<double> found(out + first, points);
            const std::span<char> way(block_ways.data(), points);
            along_T ? table.temperature_at(x, y, found, way, low, high) : table.pressure_at(x, y, found, way, low, high);
            if (ways != nullptr) {
                for (std::size_t i = 0; i < points; ++i) ways[first + i] = static_cast<unsigned char>(way[i]);
            }
        }
        if (PyErr_CheckSignals() != 0) throw py::error_already_set();
        const auto took = std::chrono::steady_clock::now() - start;
        if (took < kShortest) block = std::min(2 * block, kMostPoints);
        if (took > kLongest) block = std::max<std::size_t>(block / 2, 1);
    }
}

// One point of plain numbers, for a caller that steps in Python: log K, the
// stencil and the flags, and the slopes where asked.
py::tuple point(const logk::Table& table, double P, double T, bool slopes) {
    const logk::Interpolation at = table.interpolate(P, T);
    if (!slopes) return py::make_tuple(at.LK, at.PIDX, at.TIDX, at.ISOERR, at.PTERR);
    const logk::Slopes d = table.slopes(P, T);
    return py::make_tuple(at.LK, at.PIDX, at.TIDX, at.ISOERR, at.PTERR, d.dLK_dT, d.dLK_dP);
}

// The bytes of logk.out for the points and their results: the header and
// one line per point, each ending in CR LF. The module has checked that
// every index and flag is one the program writes.
py::bytes format_logk_out(const Doubles& P, const Doubles& T, const Doubles& LK,
                          const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& PIDX,
                          const py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>& TIDX,
                          const py::array_t<std::uint32_t, py::array::c_style>& ISOERR,
                          const py::array_t<std::uint32_t, py::array::c_style>& PTERR) {
    const py::ssize_t n = P.size();
    if (T.size() != n || LK.size() != n || PIDX.size() != n || TIDX.size() != n || ISOERR.size() != n ||
        PTERR.size() != n) {
        throw py::value_error("every column must hold as many values");
    }
    std::string text;
    {
        py::gil_scoped_release unlocked;
        const std::string_view header = logk::header_line();
        text.reserve(header.size() + 2 + static_cast<std::size_t>(n) * 73);
        text.append(header).append("\r\n");
        for (py::ssize_t i = 0; i < n; ++i) {
            const logk::Interpolation at{LK.data()[i], PIDX.data()[i], TIDX.data()[i],
                                         static_cast<char>(ISOERR.data()[i]), static_cast<char>(PTERR.data()[i])};
            text.append(logk::format_line(P.data()[i], T.data()[i], at)).append("\r\n");
        }
    }
    return py::bytes(text);
}

Doubles grid(const double* nodes, std::size_t count) { return doubles(std::vector<double>(nodes, nodes + count)); }

}  // namespace

PYBIND11_MODULE(_logk, module) {
    module.doc() = "The compiled half of logk; use the module logk.";
    py::class_<logk::Table>(module, "Table")
        .def("values", [](const logk::Table& table) { return doubles(table.values()); })
        .def("__eq__", [](const logk::Table& a, const logk::Table& b) { return a == b; });
    py::class_<logk::TableSet>(module, "TableSet")
        .def("values", [](const logk::TableSet& set) { return doubles(set.values()); })
        .def("names", &logk::TableSet::names)
        .def("size", &logk::TableSet::size)
        .def("table", &logk::TableSet::table)
        .def("__eq__", [](const logk::TableSet& a, const logk::TableSet& b) { return a == b; });
    module.def("load", &load, py::arg("path"));
    module.def("load_set", &load_set, py::arg("paths"), py::arg("names"));
    module.def("from_values", &from_values, py::arg("values"));
    module.def("set_from_values", &set_from_values, py::arg("values"), py::arg("names"));
    module.def("set_from_tables", &set_from_tables, py::arg("tables"), py::arg("names"));
    module.def("interpolate", &interpolate<logk::Table>, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("lk"),
               py::arg("pidx"), py::arg("tidx"), py::arg("isoerr"), py::arg("pterr"), py::arg("dlk_dT"),
               py::arg("dlk_dP"), py::arg("workers"));
    module.def("interpolate", &interpolate<logk::TableSet>, py::arg("table"), py::arg("P"), py::arg("T"),
               py::arg("lk"), py::arg("pidx"), py::arg("tidx"), py::arg("isoerr"), py::arg("pterr"),
               py::arg("dlk_dT"), py::arg("dlk_dP"), py::arg("workers"));
    module.def("point", &point, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("slopes"));
    module.def("crossings", &crossings, py::arg("table"), py::arg("along_T"), py::arg("fixed"), py::arg("lk"),
               py::arg("low"), py::arg("high"), py::arg("at"), py::arg("how"));
    module.def("point_logk", [](const logk::Table& table, double P, double T) { return table.interpolate(P, T).LK; });
    module.def("format_logk_out", &format_logk_out);
    module.def("read_points", &read_points, py::arg("path"));
    module.attr("PGRID") = grid(logk::PGRID.data(), logk::PGRID.size());
    module.attr("TGRID") = grid(logk::TGRID.data(), logk::TGRID.size());
    module.attr("LONGEST_LINE") = logk::kLongestLine;
    module.attr("MOST_TABLES") = logk::TableSet::kMostTables;
    module.attr("VERSION") = LOGK_VERSION;
}
