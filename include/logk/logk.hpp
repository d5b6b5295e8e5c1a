// logk in-process: log K interpolated on a fixed pressure-temperature grid,
// with exactly the results of the program, for C++ models.
//
//   logk::Read<logk::Table> loaded = logk::Table::load("quartz.dat");
//   if (!loaded) { /* loaded.error: the message number, the program's text, where reading stopped */ }
//   const logk::Table& table = *loaded.value;
//   logk::Interpolation at = table.interpolate(500.0, 300.0);  // at.LK, at.PIDX 19, at.TIDX 13
//
// A Table never changes once made: share it between threads freely, and
// call it from several at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "logk/grid.hpp"

#if defined(_WIN32) || defined(__CYGWIN__)
#define LOGK_API
#else
#define LOGK_API __attribute__((visibility("default")))
#endif

namespace logk {

// The values of a table: 37 pressure nodes by 36 temperature nodes.
inline constexpr int kTableValues = kPressureNodes * kTemperatureNodes;

// Why a file could not be read.
struct Error {
    // The program's message number for the failure: 29 file not found, 9
    // permission denied, 24 the file ends inside the table, 59 a character
    // that is no part of a number, 64 a value that cannot be converted, ...
    // 0 for a failure the program has no message for (such as memory).
    int number = 0;
    // What the program prints for it: the system's own line where the system
    // refused, then the message line naming the unit (11 for a table, 12 for
    // a point list) and the absolute path. Lines are separated by '\n'.
    std::string text;
    // Where the reader stopped: the line, from 1 (0 if it read none), and
    // the column in it, from 1 (0 at the end of the file or when the system
    // refused to read).
    std::int64_t line = 0;
    std::int64_t column = 0;
    // The path of the file, as it was given.
    std::string path;
};

// Values a table file holds past the 36th of a pressure node on the line
// where its row ends: the program ignores them (the next row starts on the
// next line), and so does the library. A file written with its pressure
// first on each line (37 values a line) then loads without a failure, but
// is not the table it was meant to be. The first such line, if any.
struct IgnoredValues {
    std::int64_t line = 0;    // from 1; 0 where no line holds such values
    std::int64_t values = 0;  // how many values that line holds
    std::string path;         // the file's path, as it was given
};

// One line of a file that a read passed over, or none (line 0).
struct NotedLine {
    std::int64_t line = 0;  // from 1
    std::string path;       // the file's path, as it was given
};

// What a table file holds that its reading passes over without a failure,
// as the program reads it too: each may mean the file is not the table
// that was meant. A file with a header line of 36 temperatures on top
// loads with the header as its first pressure row and its last row unread
// (after_table); "-8.48,,-9.39" leaves a cell at 0.0 (null_value).
struct ReadNotes {
    IgnoredValues past_row;  // the first line holding values past the 36th of its row
    NotedLine null_value;    // the first line holding a null value (",," or a "/"): a cell left at 0.0
    NotedLine after_table;   // the first line after the table's 37 rows that holds values
};

// A value read from a file, or the reason it could not be.
template <typename Value>
struct Read {
    std::optional<Value> value;
    Error error;
    explicit operator bool() const { return value.has_value(); }
};

// What the program writes for one point: log K and the stencil with its two
// flags. ISOERR and PTERR are 'N', 'W' or 'E'. Where log K (or a slope) is
// not a number, as at a point of NaN or next to a table's NaN or infinite
// values, it is the quiet NaN 0x7FF8000000000000 on every path and machine.
struct Interpolation {
    double LK = 0.0;
    int PIDX = 0;  // the stencil's lowest pressure node, 1 to 35
    int TIDX = 0;  // its highest temperature node, 3 to 36
    char ISOERR = 'N';
    char PTERR = 'N';
};

// The partial derivatives of the interpolant at a point, on the point's own
// stencil: the slopes of the biquadratic polynomial that gives LK, not of
// whatever the table was sampled from. Like LK they jump where the stencil
// changes. d log K / dT gives the reaction enthalpy by van 't Hoff.
struct Slopes {
    double dLK_dT = 0.0;  // per degree Celsius
    double dLK_dP = 0.0;  // per bar
};

// Where log K takes a value, as Table::temperature_at and pressure_at find
// it: `at` the temperature (or pressure), `how` 'C' where the interpolant
// crosses the value inside one stencil (or takes it exactly), 'J' where it
// jumps over it at a change of stencil (`at` the first double past the
// jump), 'R' where rounding decides (log K lies within rounding of the
// value over more doubles than the search looks at one by one, 2,097,152
// in all, as logk.h says; `at` the first not looked at: none before it is
// an answer; whether and where log K first takes the value after it is not
// settled), 'N' where it does not reach it in the
// range (`at` NaN). As for logk_temperature_at (logk.h), an answer where
// log K is not finite, or a table's values pass some 10^302, may not be the
// first.
struct Crossing {
    double at = 0.0;
    char how = 'N';
};

// Where the batch form writes: each span either empty (that output is not
// wanted) or exactly as long as the points; for a TableSet of `count`
// tables, LK and the slopes hold count values a point, point after point
// (LK[i * count + r] for point i and table r).
//   table.interpolate(P, T, {.LK = lk, .PTERR = pterr});
struct Outputs {
    std::span<double> LK = {};
    std::span<int> PIDX = {};
    std::span<int> TIDX = {};
    std::span<char> ISOERR = {};
    std::span<char> PTERR = {};
    std::span<double> dLK_dT = {};
    std::span<double> dLK_dP = {};
};

// The library's version ("2.2.0", as LOGK_VERSION in logk.h), and the
// build of its batch loop in use ("avx512", "avx2" or "baseline"; the
// environment variable LOGK_CPU forces one, as logk.h says).
LOGK_API std::string_view version() noexcept;
LOGK_API std::string_view build() noexcept;
// How that build divides: "divider" or "reciprocal" (LOGK_DIVISION forces
// one, as logk.h says); the same bits either way.
LOGK_API std::string_view division() noexcept;

// A caller's stop check: asked between the chunks of a long call (about a
// millisecond each, or some milliseconds of the interpolation backwards)
// and, while a file is read, between its blocks and every 50 ms that a read
// waits (a named pipe whose writer has not come, or is slow). Returning
// true stops the call: a stopped read fails with number 0, a stopped batch
// call says how far it got (Progress). Asked on the calling thread. For a
// caller that must answer control-C, or a model's own flag.
using StopCheck = std::function<bool()>;
using StopReading = StopCheck;  // its name in earlier versions

// How a batch call runs: on how many threads (`workers`, read as logk.h
// states it once for every face: 1 the calling thread alone, k up to k,
// 0 and -1 every core, -k every core but k - 1), and the caller's stop
// check. Every result has the same bits whatever the workers.
struct CallOptions {
    int workers = 1;
    StopCheck stop = {};
};

// How far a batch call got: every output of the points before `done`
// written, none of the later ones; `stopped` where the stop check ended it.
struct Progress {
    std::size_t done = 0;
    bool stopped = false;
};

// The threads a large call gets for `workers` (at least 1); throws
// std::invalid_argument, saying why, for a value that leaves no thread.
LOGK_API int workers_threads(int workers);

// Calls of the batch form that compute fewer values than this (points times
// tables) run on the calling thread whatever their `workers`: waking other
// threads would cost more than they save.
inline constexpr std::size_t kLeastValuesForWorkers = 16384;

// A file of the library's may hold lines of at most this many bytes: far
// beyond any table or point list, and a bound on the memory a file without
// line ends (such as /dev/zero) can take. A longer line fails with message
// 22, "input record too long".
inline constexpr std::size_t kLongestLine = std::size_t{64} << 20;

struct TableData;
struct TableSetData;
class TableSet;

class LOGK_API Table {
public:
    // Reads a table file with the program's own reader: 37 records of 36
    // values, pressure node by pressure node, in every notation the program
    // reads; or a file that names its own nodes (logk.h says its form):
    //   P\T, 25, 100, 200, 300, 400, 500
    //   100, -8.48, -9.39, -10.99, -12.87, ,
    //   500, -8.50, -9.40, -10.95, -12.70, -14.9, -17.3
    // A failure comes back in the Read's error (for a file of its own nodes,
    // a first line of its text says what is wrong where).
    static Read<Table> load(const std::string& path, const StopReading& stop = {});
    // The same, and what the file holds past the 36th value of a row, in
    // `ignored` (its line 0 where nothing).
    static Read<Table> load(const std::string& path, IgnoredValues& ignored, const StopReading& stop = {});
    // The same, and all the reading passed over, in `notes`.
    static Read<Table> load(const std::string& path, ReadNotes& notes, const StopReading& stop = {});

    // A table from 1332 values in file order: the 36 temperatures of the
    // first pressure node, then those of the second, and so on. Throws
    // std::invalid_argument for any other number of values.
    static Table from_values(std::span<const double> values);

    // A table on nodes of its own (logk.h states its rules, once for every
    // face): pressures p(1) < ... < p(m) in bar, m >= 3 or m = 1 (a table
    // along one line, where the pressure takes no part), temperatures t(1)
    // < ... < t(n) in degrees Celsius, n >= 3, all finite; values m x n, a
    // row per pressure node, NaN where the table has none. Throws
    // std::invalid_argument, saying what is wrong, for anything else.
    //   Table::from_grid(std::vector{100.0, 500.0, 1000.0}, std::vector{25.0, 100.0, 200.0}, values /* 9 */)
    static Table from_grid(std::span<const double> pressures, std::span<const double> temperatures,
                           std::span<const double> values);

    // The table's nodes: PGRID and TGRID on the fixed grid, else its own.
    std::span<const double> pressures() const noexcept;
    std::span<const double> temperatures() const noexcept;
    // Whether the table lies on nodes of its own.
    bool on_own_nodes() const noexcept;

    // One point: the program's stencil selection, then its interpolation.
    Interpolation interpolate(double P, double T) const noexcept;

    // The slopes of the interpolant at a point.
    Slopes slopes(double P, double T) const noexcept;

    // Many points, into the caller's outputs, without allocating; P and T
    // must be as long as each other and as each output that is not empty.
    // Throws std::invalid_argument otherwise. An output may lie over P or T
    // (LK over P, say): the results are those of separate arrays. Only an
    // output that starts inside P or T past its start makes the call copy
    // the inputs first (std::bad_alloc should memory run out).
    void interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs) const;

    // The same on `workers` threads (logk.h states how they are counted,
    // for every face; std::invalid_argument for a value that leaves no
    // thread). Every result has the same bits whatever the number. The
    // threads come from one pool that every call shares, made at the first
    // call that wants them; a call of fewer than kLeastValuesForWorkers
    // values, or one made inside an OpenMP parallel region, runs on the
    // calling thread alone. With workers other than 1, an output over P or
    // T anywhere but at its very place (LK over P) makes the call copy the
    // inputs first.
    void interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                     int workers) const;
    // And with the options' stop check, asked between chunks: how far it got.
    Progress interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                         const CallOptions& options) const;

    // The interpolation backwards: the first temperature, going up from
    // T_low to T_high, at which log K at pressure P (as interpolate gives
    // it, to the bit) crosses LK: the double T such that log K at the double
    // just below T lies on the other side of LK than at T, or equals LK at
    // T. Found on the doubles, so every machine gives the same bits; the
    // stencil and flags there are interpolate(P, T)'s. NaN inputs, and
    // T_low > T_high, give NaN and 'N'.
    // Without a range, between the table's first and last nodes: 0.01 to
    // 600 degC (1 to 5000 bar) on the fixed grid, its own on a table of its
    // own nodes (along one line, any pressure: it takes no part).
    //   quartz.temperature_at(100.0, -2.78)  -> {about 135 degC, 'C'}
    Crossing temperature_at(double P, double LK, double T_low, double T_high) const noexcept;
    Crossing temperature_at(double P, double LK) const noexcept;
    // The same going up in pressure at temperature T.
    Crossing pressure_at(double T, double LK, double P_low, double P_high) const noexcept;
    Crossing pressure_at(double T, double LK) const noexcept;

    // Both for many points: P (or T) and LK as long as each other and as the
    // outputs (how may be empty). Outputs may lie over the inputs. Throws
    // std::invalid_argument for other lengths.
    void temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                        std::span<char> how, double T_low, double T_high) const;
    void temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                        std::span<char> how) const;
    void pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                     std::span<char> how, double P_low, double P_high) const;
    void pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                     std::span<char> how) const;
    // Both on the options' workers, with their stop check asked between
    // blocks of some milliseconds: how far they got.
    Progress temperature_at(std::span<const double> P, std::span<const double> LK, std::span<double> T,
                            std::span<char> how, double T_low, double T_high, const CallOptions& options) const;
    Progress pressure_at(std::span<const double> T, std::span<const double> LK, std::span<double> P,
                         std::span<char> how, double P_low, double P_high, const CallOptions& options) const;

    // log K at the table's pressure node I and temperature node J, from 1
    // (PGRID(I), TGRID(J) on the fixed grid); 0 for an I or J beyond them.
    double value(int I, int J) const noexcept;

    // The values in file order, a row per pressure node (1332 on the fixed grid).
    std::vector<double> values() const;

    // Tables are equal when their nodes and every value have the same bits.
    bool operator==(const Table& other) const noexcept;

private:
    friend class TableSet;
    explicit Table(std::shared_ptr<const TableData> data);
    std::shared_ptr<const TableData> data_;
};

// Many tables on the grid, for the reactions of one system: each point's
// stencil and flags are chosen once, and the tables' log K follow, each
// with the bits its single Table gives. Never changes once made; share it
// between threads freely.
//   logk::TableSet set = logk::TableSet::from_tables(std::vector{quartz, water}, {"quartz", "water"});
//   set.interpolate(P, T, {.LK = lk /* P.size() * 2 values */, .PTERR = pterr /* P.size() */});
class LOGK_API TableSet {
public:
    // The most tables a set can hold: the bytes of more would be beyond what
    // an address can count. Every way of making a set throws
    // std::length_error for more ("a count of ... tables is too large").
    static constexpr std::size_t kMostTables = PTRDIFF_MAX / (kTableValues * sizeof(double));

    // A set of copies of the tables, in this order, each with its name
    // (names empty for none, else one per table, no two alike). Throws
    // std::invalid_argument for no tables or names that do not fit.
    static TableSet from_tables(std::span<const Table> tables, std::vector<std::string> names = {});

    // A set from count x 1332 values: table after table, each in file order.
    // Throws std::invalid_argument for no values, a count that is no whole
    // number of tables, or names that do not fit.
    static TableSet from_values(std::span<const double> values, std::vector<std::string> names = {});

    // Reads each file with the program's reader. The first that fails comes
    // back as that file's Error, its path in Error::path. Names default to
    // the files' stems ("quartz" for "data/quartz.dat"); they must differ.
    // Throws std::invalid_argument for no paths or names that do not fit.
    static Read<TableSet> load(std::span<const std::string> paths, std::vector<std::string> names = {},
                               const StopReading& stop = {});
    // The same, and the first line of the files, in their order, that
    // holds values past the 36th of a row (Table::load), in `ignored`.
    static Read<TableSet> load(std::span<const std::string> paths, std::vector<std::string> names,
                               IgnoredValues& ignored, const StopReading& stop = {});
    // The same, and the first line of each kind of ReadNotes, in the files' order.
    static Read<TableSet> load(std::span<const std::string> paths, std::vector<std::string> names,
                               ReadNotes& notes, const StopReading& stop = {});

    // The number of tables, their names (empty strings where none were
    // given), and one table as a Table of its own.
    std::size_t size() const noexcept;
    const std::vector<std::string>& names() const noexcept;
    Table table(std::size_t r) const;

    // Many points, into the caller's outputs, without allocating: log K and
    // the slopes of every table (size() values a point), the stencil and the
    // flags once a point. Each output empty or of its size; throws
    // std::invalid_argument otherwise. Outputs may lie over P or T; log K or
    // the slopes over P or T, or any output starting inside one past its
    // start, makes the call copy the inputs first.
    void interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs) const;

    // The same on `workers` threads, as Table's (any output over P or T
    // then makes the call copy the inputs first), and with a stop check.
    void interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                     int workers) const;
    Progress interpolate(std::span<const double> P, std::span<const double> T, const Outputs& outputs,
                         const CallOptions& options) const;

    // The values of every table, table after table, each in file order.
    std::vector<double> values() const;

    // Sets are equal when they hold as many tables, with the same names, and
    // every value has the same bits.
    bool operator==(const TableSet& other) const noexcept;

private:
    explicit TableSet(std::shared_ptr<const TableSetData> data);
    std::shared_ptr<const TableSetData> data_;
};

// The points of a point list, P in bar and T in degrees Celsius.
struct Points {
    std::vector<double> P;
    std::vector<double> T;
};

// Reads a point list as the program reads PT.dat: a point from the start of
// each line, a value left unset stays -9999.9, and a last pressure without
// its temperature gives no point.
LOGK_API Read<Points> read_points(const std::string& path, const StopReading& stop = {});

// The 68 characters of logk.out's header line.
LOGK_API std::string_view header_line();

// The 71 characters of a result line, exactly as the program writes it for
// the point. In logk.out, the header and every line end in "\r\n".
LOGK_API std::string format_line(double P, double T, const Interpolation& result);

}  // namespace logk
