// The compiled half of the Python module: logk's C interface over
// contiguous NumPy arrays, and nothing but the conversion of types between
// the two (arrays to pointers, C flags to the code points of 'U1' strings,
// paths as bytes, a failure or a status to what Python raises). The
// interpreter's lock is released around each call of the library, whose
// stop check takes it back to let control-C raise. logk/__init__.py makes
// of it what Python users expect: broadcasting, dtypes, masks, pickling.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "logk/logk.h"

namespace py = pybind11;

namespace {

static_assert(sizeof(int) == sizeof(std::int32_t), "pidx and tidx are int32 arrays");

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// The library's handles, freed with the Python object that holds them.
struct Table {
    std::unique_ptr<logk_table, decltype(&logk_table_free)> handle{nullptr, &logk_table_free};
};
struct TableSet {
    std::unique_ptr<logk_table_set, decltype(&logk_table_set_free)> handle{nullptr, &logk_table_set_free};
};

// The options of a call that control-C (or any Python signal handler that
// raises) stops: the check takes the lock back to run the handlers, and the
// exception they raise waits, set, until the call has returned.
class SignalCheck {
public:
    logk_options options(int workers) { return {workers, &check, this}; }
    // Raises what a handler raised, once the lock is held again.
    void rethrow() const {
        if (raised_) throw py::error_already_set();
    }

private:
    static int check(void* context) noexcept {
        auto* self = static_cast<SignalCheck*>(context);
        py::gil_scoped_acquire locked;
        self->raised_ = self->raised_ || PyErr_CheckSignals() != 0;
        return self->raised_ ? 1 : 0;
    }
    bool raised_ = false;
};

// What a call's status means in Python: done, or its exception.
void raise_for(int status, const SignalCheck& signals, int workers) {
    switch (status) {
        case LOGK_DONE: return;
        case LOGK_STOPPED: signals.rethrow(); break;
        case LOGK_REFUSED: {
            logk_error error;
            logk_workers_threads(workers, &error);
            throw py::value_error(error.text);
        }
        case LOGK_NO_MEMORY: throw std::bad_alloc();
        default: break;
    }
    throw std::runtime_error(logk_status_text(status));
}

// A failure to read a file, for logk/_errors.py to raise: the number, the
// text as bytes (a path in it need not be UTF-8), the line and the column.
py::tuple failure(const logk_error& error, const logk_place& place) {
    return py::make_tuple(error.number, py::bytes(error.text), place.line, place.column);
}

Doubles doubles(const double* values, std::size_t count) {
    Doubles array(static_cast<py::ssize_t>(count));
    std::copy(values, values + count, array.mutable_data());
    return array;
}

// The number of a table's pressure and temperature nodes: 37 and 36 on
// the fixed grid, m and n on its own.
std::pair<py::ssize_t, py::ssize_t> node_counts(const logk_table* table) {
    std::size_t m = 0, n = 0;
    logk_table_nodes(table, nullptr, &m, nullptr, &n);
    return {static_cast<py::ssize_t>(m), static_cast<py::ssize_t>(n)};
}

bool on_own_nodes(const logk_table* table) { return logk_table_on_own_nodes(table) != 0; }

// One output column: a writeable, contiguous array of n values, or None.
// (logk/_arrays.py has checked each and says what is wrong; this is the
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

// A 'U1' column (code points, 4 bytes a value) lends its first n bytes to
// the library's flags, one char a point, and widen() then spreads them out
// in place: block by block from the last, each block's flags copied out
// before its code points are written, which lie at byte 4 * start and
// after, past every flag still to be read (those before `start`). No
// buffer of the points' size is needed, and the loop over a block is a
// plain widening the compiler vectorises.
char* flag_bytes(std::uint32_t* codes) { return reinterpret_cast<char*>(codes); }

void widen(std::uint32_t* codes, std::size_t n) {
    if (codes == nullptr) return;
    constexpr std::size_t kBlock = 256;
    unsigned char block[kBlock];
    for (std::size_t end = n; end > 0;) {
        const std::size_t start = end > kBlock ? end - kBlock : 0;
        std::memcpy(block, flag_bytes(codes) + start, end - start);
        for (std::size_t i = start; i < end; ++i) codes[i] = block[i - start];
        end = start;
    }
}

// The calls of a table and of a set, for one template below.
std::size_t table_count(const Table&) { return 1; }
std::size_t table_count(const TableSet& set) { return logk_table_set_count(set.handle.get()); }
int evaluate_on(const Table& table, std::size_t n, const double* P, const double* T, const logk_outputs* outputs,
                const logk_options* options, std::size_t* done) {
    return logk_evaluate(table.handle.get(), n, P, T, outputs, options, done);
}
int evaluate_on(const TableSet& set, std::size_t n, const double* P, const double* T, const logk_outputs* outputs,
                const logk_options* options, std::size_t* done) {
    return logk_table_set_evaluate(set.handle.get(), n, P, T, outputs, options, done);
}

// Fills the outputs given (each None or an array of the points' size, times
// the tables' count for log K and the slopes) for the n points of P and T:
// log K, the stencil indices (int32), the flags as the code points of 'U1'
// strings, the slopes. The outputs may lie over P and T: the library reads
// them as separate arrays.
template <typename Tables>
void interpolate(const Tables& tables, const Doubles& P, const Doubles& T, const py::object& LK,
                 const py::object& PIDX, const py::object& TIDX, const py::object& ISOERR, const py::object& PTERR,
                 const py::object& dLK_dT, const py::object& dLK_dP, int workers) {
    const py::ssize_t n = P.size();
    const auto values = static_cast<py::ssize_t>(static_cast<std::size_t>(n) * table_count(tables));
    if (T.size() != n) throw py::value_error("P and T must hold as many values");
    std::uint32_t* isoerr = column<std::uint32_t>(ISOERR, n, "isoerr");
    std::uint32_t* pterr = column<std::uint32_t>(PTERR, n, "pterr");
    const logk_outputs outputs{column<double>(LK, values, "lk"),
                               column<int>(PIDX, n, "pidx"),
                               column<int>(TIDX, n, "tidx"),
                               flag_bytes(isoerr),
                               flag_bytes(pterr),
                               column<double>(dLK_dT, values, "dlk_dT"),
                               column<double>(dLK_dP, values, "dlk_dP")};
    SignalCheck signals;
    const logk_options options = signals.options(workers);
    std::size_t done = 0;
    int status;
    {
        py::gil_scoped_release unlocked;
        status = evaluate_on(tables, static_cast<std::size_t>(n), P.data(), T.data(), &outputs, &options, &done);
        widen(isoerr, done);
        widen(pterr, done);
    }
    raise_for(status, signals, workers);
}

// The temperature (along_T) or pressure at which log K takes lk[i] at
// fixed[i], between low and high, into `at` and `how` (the code points of
// 'U1' strings), on the workers.
void solve(const Table& table, bool along_T, const Doubles& fixed, const Doubles& lk, double low, double high,
           const py::object& at, const py::object& how, int workers) {
    const py::ssize_t n = fixed.size();
    if (lk.size() != n) throw py::value_error("the points and the values must be as many");
    double* found = column<double>(at, n, "at");
    std::uint32_t* ways = column<std::uint32_t>(how, n, "how");
    if (found == nullptr) throw py::value_error("the output at is needed");
    SignalCheck signals;
    const logk_options options = signals.options(workers);
    const auto solve_along = along_T ? &logk_solve_temperature : &logk_solve_pressure;
    std::size_t done = 0;
    int status;
    {
        py::gil_scoped_release unlocked;
        status = solve_along(table.handle.get(), static_cast<std::size_t>(n), fixed.data(), lk.data(), low, high,
                             found, flag_bytes(ways), &options, &done);
        widen(ways, done);
    }
    raise_for(status, signals, workers);
}

// One point of plain numbers, for a caller that steps in Python: log K, the
// stencil and the flags, and the slopes where asked.
py::tuple point(const Table& table, double P, double T, bool slopes) {
    double lk = 0.0, dT = 0.0, dP = 0.0;
    int pidx = 0, tidx = 0;
    char isoerr = 'E', pterr = 'E';
    const logk_outputs outputs{&lk, &pidx, &tidx, &isoerr, &pterr, slopes ? &dT : nullptr, slopes ? &dP : nullptr};
    logk_evaluate(table.handle.get(), 1, &P, &T, &outputs, nullptr, nullptr);
    if (!slopes) return py::make_tuple(lk, pidx, tidx, isoerr, pterr);
    return py::make_tuple(lk, pidx, tidx, isoerr, pterr, dT, dP);
}

double point_logk(const Table& table, double P, double T) {
    double lk = 0.0;
    const logk_outputs outputs{&lk, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    logk_evaluate(table.handle.get(), 1, &P, &T, &outputs, nullptr, nullptr);
    return lk;
}

// A table file read with the lock released: (table, notes, None), or
// (None, None, failure). The notes: the first line with values past a
// row's 36th and how many it holds, the first with a null value, the first
// after the table that holds values (0 for none).
py::tuple read_table(const py::bytes& path) {
    const std::string name = path;
    SignalCheck signals;
    const logk_options options = signals.options(1);
    logk_error error;
    logk_place place;
    logk_read_notes notes;
    Table table;
    {
        py::gil_scoped_release unlocked;
        table.handle.reset(logk_table_read(name.c_str(), &options, &error, &place, &notes));
    }
    signals.rethrow();
    if (!table.handle) return py::make_tuple(py::none(), py::none(), failure(error, place));
    return py::make_tuple(std::move(table),
                          py::make_tuple(notes.past_row_line, notes.past_row_values, notes.null_line,
                                         notes.after_table_line),
                          py::none());
}

// A point list read with the lock released: (P, T, None), or (None, None,
// failure).
py::tuple read_points(const py::bytes& path) {
    const std::string name = path;
    SignalCheck signals;
    const logk_options options = signals.options(1);
    logk_error error;
    logk_place place;
    std::unique_ptr<logk_points, decltype(&logk_points_free)> points(nullptr, &logk_points_free);
    {
        py::gil_scoped_release unlocked;
        points.reset(logk_points_read(name.c_str(), &options, &error, &place));
    }
    signals.rethrow();
    if (!points) return py::make_tuple(py::none(), py::none(), failure(error, place));
    const std::size_t n = logk_points_count(points.get());
    return py::make_tuple(doubles(logk_points_P(points.get()), n), doubles(logk_points_T(points.get()), n),
                          py::none());
}

// Where the library made no table or set: the module has refused every
// other cause before the call (no tables, too many, an index out of
// range), so memory ran out, said in the library's words.
[[noreturn]] void out_of_memory(const logk_error& error) {
    PyErr_SetString(PyExc_MemoryError, error.text);
    throw py::error_already_set();
}

Table table_from_values(const Doubles& values) {
    if (values.size() != 1332) throw py::value_error("1332 values are needed: 37 pressures by 36 temperatures");
    logk_error error;
    Table table;
    table.handle.reset(logk_table_from_values(values.data(), &error));
    if (!table.handle) out_of_memory(error);
    return table;
}

// A table on nodes of its own: values[i * n + j] at pressures[i] and
// temperatures[j]. What the library refuses (nodes that do not ascend, two
// pressure nodes, ...) is a ValueError in its words. (Memory running out
// comes with the same number 0, told apart by the words alone; the values
// are in memory already, and the copy of them seldom fails.)
Table table_from_grid(const Doubles& pressures, const Doubles& temperatures, const Doubles& values) {
    if (values.size() != pressures.size() * temperatures.size()) {
        throw py::value_error("a table on its own nodes needs m x n values");  // the module has said why
    }
    logk_error error;
    Table table;
    table.handle.reset(logk_table_from_grid(static_cast<std::size_t>(pressures.size()), pressures.data(),
                                            static_cast<std::size_t>(temperatures.size()), temperatures.data(),
                                            values.data(), &error));
    if (!table.handle) throw py::value_error(error.text);
    return table;
}

TableSet set_from_values(const Doubles& values) {
    if (values.size() % 1332 != 0) throw py::value_error("a set needs 1332 values a table");
    logk_error error;
    TableSet set;
    {
        py::gil_scoped_release unlocked;
        set.handle.reset(logk_table_set_from_values(values.data(), static_cast<std::size_t>(values.size()) / 1332,
                                                    &error));
    }
    if (!set.handle) out_of_memory(error);
    return set;
}

// A set of the tables. The library refuses tables on different nodes, or
// on nodes of their own that miss different values, in its words (a
// ValueError); tables all on the fixed grid it refuses for nothing but
// memory. (Both come with number 0: the words are all that tells them
// apart, so a table on its own nodes makes any failure a refusal.)
TableSet set_from_tables(const std::vector<const Table*>& tables) {
    std::vector<const logk_table*> handles;
    for (const Table* table : tables) handles.push_back(table->handle.get());
    logk_error error;
    TableSet set;
    set.handle.reset(logk_table_set_from_tables(handles.data(), handles.size(), &error));
    if (!set.handle) {
        if (std::none_of(handles.begin(), handles.end(), on_own_nodes)) out_of_memory(error);
        throw py::value_error(error.text);
    }
    return set;
}

Table set_table(const TableSet& set, std::size_t r) {
    logk_error error;
    Table table;
    table.handle.reset(logk_table_set_table(set.handle.get(), r, &error));
    if (!table.handle) out_of_memory(error);
    return table;
}

// A table's values, shape (m, n): a row per pressure node.
Doubles table_values(const Table& table) {
    const auto [m, n] = node_counts(table.handle.get());
    Doubles values({m, n});
    if (logk_table_value_count(table.handle.get()) != static_cast<std::size_t>(values.size())) {
        throw std::logic_error("a table holds other than its nodes' m x n values");
    }
    logk_table_values(table.handle.get(), values.mutable_data());
    return values;
}

// A table's nodes: (pressures, temperatures, whether they are its own).
py::tuple table_nodes(const Table& table) {
    const double *pressures = nullptr, *temperatures = nullptr;
    std::size_t m = 0, n = 0;
    logk_table_nodes(table.handle.get(), &pressures, &m, &temperatures, &n);
    return py::make_tuple(doubles(pressures, m), doubles(temperatures, n), on_own_nodes(table.handle.get()));
}

// A set's values, shape (R, m, n): table after table, each a row per
// pressure node.
Doubles set_values(const TableSet& set) {
    const std::size_t count = logk_table_set_count(set.handle.get());
    const Table first = set_table(set, 0);
    const auto [m, n] = node_counts(first.handle.get());
    const auto cells = static_cast<std::size_t>(m * n);
    Doubles values({static_cast<py::ssize_t>(count), m, n});
    for (std::size_t r = 0; r < count; ++r) {
        logk_table_values(set_table(set, r).handle.get(), values.mutable_data() + r * cells);
    }
    return values;
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
        text.reserve(70 + static_cast<std::size_t>(n) * 73);
        text.append(logk_header_line()).append("\r\n");
        char line[72];
        for (py::ssize_t i = 0; i < n; ++i) {
            logk_format_line(P.data()[i], T.data()[i], LK.data()[i], PIDX.data()[i], TIDX.data()[i],
                             static_cast<char>(ISOERR.data()[i]), static_cast<char>(PTERR.data()[i]), line);
            text.append(line).append("\r\n");
        }
    }
    return py::bytes(text);
}

// The one line an exception shows, as bytes (the path need not be UTF-8).
py::bytes failure_line(int number, const std::string& text, long long line, long long column,
                       const std::optional<std::string>& path, int unit) {
    logk_error error{number, {}};
    text.copy(error.text, sizeof error.text - 1);  // the rest stays NUL
    const logk_place place{line, column};
    const char* shown = path ? path->c_str() : nullptr;
    std::string said(logk_failure_line(&error, &place, shown, unit, nullptr, 0), '\0');
    logk_failure_line(&error, &place, shown, unit, said.data(), said.size() + 1);
    return py::bytes(said);
}

// The line a warning shows for one note of a read (which: LOGK_NOTE_*),
// as bytes, or empty bytes where the notes hold none of that kind.
py::bytes note_line(const std::tuple<long long, long long, long long, long long>& noted, int which,
                    const std::string& path) {
    const logk_read_notes notes{std::get<0>(noted), std::get<1>(noted), std::get<2>(noted), std::get<3>(noted)};
    std::string said(logk_read_note_line(&notes, which, path.c_str(), nullptr, 0), '\0');
    if (!said.empty()) logk_read_note_line(&notes, which, path.c_str(), said.data(), said.size() + 1);
    return py::bytes(said);
}

// The threads `workers` gets, or a ValueError with the library's words.
int workers_threads(int workers) {
    logk_error error;
    const int threads = logk_workers_threads(workers, &error);
    if (threads == 0) throw py::value_error(error.text);
    return threads;
}

}  // namespace

PYBIND11_MODULE(_logk, module) {
    module.doc() = "The compiled half of logk; use the module logk.";
    py::class_<Table>(module, "Table").def("values", &table_values).def("nodes", &table_nodes);
    py::class_<TableSet>(module, "TableSet")
        .def("values", &set_values)
        .def("count", [](const TableSet& set) { return table_count(set); })
        .def("table", &set_table);
    module.def("read_table", &read_table, py::arg("path"));
    module.def("read_points", &read_points, py::arg("path"));
    module.def("table_from_values", &table_from_values, py::arg("values"));
    module.def("table_from_grid", &table_from_grid, py::arg("pressures"), py::arg("temperatures"), py::arg("values"));
    module.def("set_from_values", &set_from_values, py::arg("values"));
    module.def("set_from_tables", &set_from_tables, py::arg("tables"));
    module.def("interpolate", &interpolate<Table>, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("lk"),
               py::arg("pidx"), py::arg("tidx"), py::arg("isoerr"), py::arg("pterr"), py::arg("dlk_dT"),
               py::arg("dlk_dP"), py::arg("workers"));
    module.def("interpolate", &interpolate<TableSet>, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("lk"),
               py::arg("pidx"), py::arg("tidx"), py::arg("isoerr"), py::arg("pterr"), py::arg("dlk_dT"),
               py::arg("dlk_dP"), py::arg("workers"));
    module.def("point", &point, py::arg("table"), py::arg("P"), py::arg("T"), py::arg("slopes"));
    module.def("point_logk", &point_logk, py::arg("table"), py::arg("P"), py::arg("T"));
    module.def("solve", &solve, py::arg("table"), py::arg("along_T"), py::arg("fixed"), py::arg("lk"), py::arg("low"),
               py::arg("high"), py::arg("at"), py::arg("how"), py::arg("workers"));
    module.def("format_logk_out", &format_logk_out);
    module.def("failure_line", &failure_line, py::arg("number"), py::arg("text"), py::arg("line"), py::arg("column"),
               py::arg("path"), py::arg("unit"));
    module.def("message_kind", &logk_message_kind, py::arg("number"));
    module.def("note_line", &note_line, py::arg("notes"), py::arg("which"), py::arg("path"));
    module.attr("NOTES") = py::make_tuple(LOGK_NOTE_PAST_ROW, LOGK_NOTE_NULL_VALUE, LOGK_NOTE_AFTER_TABLE);
    module.def("workers_threads", &workers_threads, py::arg("workers"));
    module.def("how_meaning", &logk_how_meaning, py::arg("how"));
    module.def("version", &logk_version);
    module.def("build", &logk_build,
               "The build of the library's batch loop in use: 'avx512', 'avx2' or 'baseline' (the environment "
               "variable LOGK_CPU, read at the first call, forces one the processor can run). Every build gives "
               "the same bits.");
    module.def("build_note", &logk_build_note);
    const double *pressures = nullptr, *temperatures = nullptr;
    std::size_t n_pressures = 0, n_temperatures = 0;
    logk_grid_nodes(&pressures, &n_pressures, &temperatures, &n_temperatures);
    module.attr("PGRID") = doubles(pressures, n_pressures);
    module.attr("TGRID") = doubles(temperatures, n_temperatures);
    module.attr("MOST_TABLES") = logk_table_set_most();
    module.attr("NOT_FOUND") = LOGK_NOT_FOUND;
    module.attr("PERMISSION") = LOGK_PERMISSION;
    module.attr("NOTATION") = LOGK_NOTATION;
    module.attr("UNIT_TABLE") = LOGK_UNIT_TABLE;
    module.attr("UNIT_POINTS") = LOGK_UNIT_POINTS;
}
