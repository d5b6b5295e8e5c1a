// The compiled half of the Python module: logk's C++ interface over
// contiguous NumPy arrays, the interpreter's lock released while the arrays
// are worked on. The module logk/__init__.py makes of it what Python users
// expect: broadcasting, dtypes, exceptions, pickling.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>
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
    if (values.size() != logk::kTableValues) {
        throw py::value_error("1332 values are needed: 37 pressures by 36 temperatures");
    }
    return logk::Table::from_values({values.data(), static_cast<std::size_t>(values.size())});
}

// One output column: a writeable, contiguous array of n values, or None.
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

// Fills the outputs given (each None or an array of the points' size) for
// the n points of P and T: log K, the stencil indices (int32), the flags as
// the code points of 'U1' strings, the slopes. The points go in blocks, so
// the flags pass through a small buffer on their way to four bytes each.
void interpolate(const logk::Table& table, const Doubles& P, const Doubles& T, const py::object& LK,
                 const py::object& PIDX, const py::object& TIDX, const py::object& ISOERR, const py::object& PTERR,
                 const py::object& dLK_dT, const py::object& dLK_dP) {
    const py::ssize_t n = P.size();
    if (T.size() != n) throw py::value_error("P and T must hold as many values");
    double* lk = column<double>(LK, n, "lk");
    std::int32_t* pidx = column<std::int32_t>(PIDX, n, "pidx");
    std::int32_t* tidx = column<std::int32_t>(TIDX, n, "tidx");
    std::uint32_t* isoerr = column<std::uint32_t>(ISOERR, n, "isoerr");
    std::uint32_t* pterr = column<std::uint32_t>(PTERR, n, "pterr");
    double* dT = column<double>(dLK_dT, n, "dlk_dT");
    double* dP = column<double>(dLK_dP, n, "dlk_dP");
    py::gil_scoped_release unlocked;
    constexpr std::size_t kBlock = 4096;
    char iso[kBlock], pt[kBlock];
    for (std::size_t first = 0; first < static_cast<std::size_t>(n); first += kBlock) {
        const std::size_t count = std::min(kBlock, static_cast<std::size_t>(n) - first);
        auto part = [first, count](auto* values) {
            using Value = std::remove_pointer_t<decltype(values)>;
            return values == nullptr ? std::span<Value>() : std::span<Value>(values + first, count);
        };
        logk::Outputs outputs{.LK = part(lk),
                              .PIDX = part(reinterpret_cast<int*>(pidx)),
                              .TIDX = part(reinterpret_cast<int*>(tidx)),
                              .ISOERR = isoerr == nullptr ? std::span<char>() : std::span<char>(iso, count),
                              .PTERR = pterr == nullptr ? std::span<char>() : std::span<char>(pt, count),
                              .dLK_dT = part(dT),
                              .dLK_dP = part(dP)};
        table.interpolate({P.data() + first, count}, {T.data() + first, count}, outputs);
        for (std::size_t i = 0; i < count; ++i) {
            if (isoerr != nullptr) isoerr[first + i] = static_cast<unsigned char>(iso[i]);
            if (pterr != nullptr) pterr[first + i] = static_cast<unsigned char>(pt[i]);
        }
    }
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
    module.def("interpolate", &interpolate, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("lk"),
               py::arg("pidx"), py::arg("tidx"), py::arg("isoerr"), py::arg("pterr"), py::arg("dlk_dT"),
               py::arg("dlk_dP"));
    module.def("format_logk_out", &format_logk_out);
    module.def("read_points", &read_points, py::arg("path"));
    module.attr("PGRID") = grid(logk::PGRID.data(), logk::PGRID.size());
    module.attr("TGRID") = grid(logk::TGRID.data(), logk::TGRID.size());
}
