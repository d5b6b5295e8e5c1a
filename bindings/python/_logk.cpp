// The compiled half of the Python module: logk's C++ interface over
// contiguous NumPy arrays, the interpreter's lock released while the arrays
// are worked on. The module logk/__init__.py makes of it what Python users
// expect: broadcasting, dtypes, exceptions, pickling.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "logk/logk.hpp"

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A failure, for logk/__init__.py to raise as the right exception.
py::tuple error_tuple(const logk::Error& error) {
    return py::make_tuple(error.number, error.text, error.line, error.column);
}

py::object load(const std::string& path) {
    logk::Read<logk::Table> read = logk::Table::load(path);
    if (!read) return error_tuple(read.error);
    return py::cast(std::move(*read.value));
}

logk::Table from_values(const Doubles& values) {
    if (values.size() != logk::kTableValues) throw py::value_error("1332 values are needed: 37 pressures by 36 temperatures");
    return logk::Table::from_values(std::span<const double>(values.data(), static_cast<std::size_t>(values.size())));
}

// An array for one output of n points; empty where it is not wanted.
template <typename Value>
py::array_t<Value> output(py::ssize_t n, bool wanted) {
    return py::array_t<Value>(wanted ? n : 0);
}

// Fills the outputs for the n points of P and T (1-D, contiguous, of equal
// length): log K, the stencil indices, the flags as code points of 'U1'
// strings, and the slopes where asked.
py::tuple interpolate(const logk::Table& table, const Doubles& P, const Doubles& T, bool everything,
                      bool slopes) {
    const py::ssize_t n = P.size();
    if (T.size() != n) throw py::value_error("P and T must hold as many values");
    auto LK = output<double>(n, true);
    auto PIDX = output<std::int32_t>(n, everything);
    auto TIDX = output<std::int32_t>(n, everything);
    auto ISOERR = output<std::uint32_t>(n, everything);  // 'U1': one UCS-4 code point each
    auto PTERR = output<std::uint32_t>(n, everything);
    auto dLK_dT = output<double>(n, slopes);
    auto dLK_dP = output<double>(n, slopes);
    const std::size_t count = static_cast<std::size_t>(n);
    std::vector<char> isoerr(everything ? count : 0), pterr(everything ? count : 0);
    {
        py::gil_scoped_release unlocked;
        logk::Outputs outputs{.LK = {LK.mutable_data(), count}};
        if (everything) {
            outputs.PIDX = {reinterpret_cast<int*>(PIDX.mutable_data()), count};
            outputs.TIDX = {reinterpret_cast<int*>(TIDX.mutable_data()), count};
            outputs.ISOERR = isoerr;
            outputs.PTERR = pterr;
        }
        if (slopes) {
            outputs.dLK_dT = {dLK_dT.mutable_data(), count};
            outputs.dLK_dP = {dLK_dP.mutable_data(), count};
        }
        table.interpolate({P.data(), count}, {T.data(), count}, outputs);
        std::uint32_t* iso = ISOERR.mutable_data();
        std::uint32_t* pt = PTERR.mutable_data();
        for (std::size_t i = 0; i < isoerr.size(); ++i) {
            iso[i] = static_cast<unsigned char>(isoerr[i]);
            pt[i] = static_cast<unsigned char>(pterr[i]);
        }
    }
    return py::make_tuple(LK, PIDX, TIDX, ISOERR, PTERR, dLK_dT, dLK_dP);
}

// The bytes of logk.out for the points and their results: the header and
// one line per point, each ending in CR LF.
py::bytes format_logk_out(const Doubles& P, const Doubles& T, const Doubles& LK,
                          const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& PIDX,
                          const py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>& TIDX,
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
            const logk::Interpolation at{LK.data()[i], static_cast<int>(PIDX.data()[i]),
                                         static_cast<int>(TIDX.data()[i]), static_cast<char>(ISOERR.data()[i]),
                                         static_cast<char>(PTERR.data()[i])};
            text.append(logk::format_line(P.data()[i], T.data()[i], at)).append("\r\n");
        }
    }
    return py::bytes(text);
}

py::object read_points(const std::string& path) {
    logk::Read<logk::Points> read = logk::read_points(path);
    if (!read) return error_tuple(read.error);
    const logk::Points& points = *read.value;
    Doubles P(static_cast<py::ssize_t>(points.P.size()));
    Doubles T(static_cast<py::ssize_t>(points.T.size()));
    std::memcpy(P.mutable_data(), points.P.data(), points.P.size() * sizeof(double));
    std::memcpy(T.mutable_data(), points.T.data(), points.T.size() * sizeof(double));
    return py::make_tuple(P, T);
}

Doubles grid(const double* nodes, std::size_t count) {
    Doubles array(static_cast<py::ssize_t>(count));
    std::memcpy(array.mutable_data(), nodes, count * sizeof(double));
    return array;
}

}  // namespace

PYBIND11_MODULE(_logk, module) {
    module.doc() = "The compiled half of logk; use the module logk.";
    py::class_<logk::Table>(module, "Table")
        .def("values", [](const logk::Table& table) {
            const std::vector<double> values = table.values();
            Doubles array(static_cast<py::ssize_t>(values.size()));
            std::memcpy(array.mutable_data(), values.data(), values.size() * sizeof(double));
            return array;
        })
        .def("__eq__", [](const logk::Table& a, const logk::Table& b) { return a == b; });
    module.def("load", &load, py::arg("path"));
    module.def("from_values", &from_values, py::arg("values"));
    module.def("interpolate", &interpolate, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("everything"),
               py::arg("slopes"));
    module.def("format_logk_out", &format_logk_out);
    module.def("read_points", &read_points, py::arg("path"));
    module.attr("PGRID") = grid(logk::PGRID.data(), logk::PGRID.size());
    module.attr("TGRID") = grid(logk::TGRID.data(), logk::TGRID.size());
}
