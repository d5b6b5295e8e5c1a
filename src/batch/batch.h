// The batch loop: the program's stencil selection and interpolation,
// exactly, for each point of an array, on one table or on a set of tables,
// in vector lanes built for each instruction set (batch_avx2.cpp,
// batch_avx512.cpp) and on the worker threads when asked. It needs the
// computation (grid, stencil, interp) and the workers' pool below it, and
// nothing of the library's faces, which call it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "grid/logk_table.h"
#include "interp/intrpk.h"
#include "grid/grid_table.h"
#include "stencil/grid_rules.h"

namespace logk {

// The builds of the loop, by the instructions they need, each needing all
// that the ones before it need.
enum class InstructionSet { baseline, avx2, avx512 };

// The best build this processor can run, and all it can run, the best last.
InstructionSet best_instruction_set() noexcept;
std::vector<InstructionSet> available_instruction_sets();

// The build the library uses: the best, unless the environment variable
// LOGK_CPU names another this processor can run ("baseline", "avx2",
// "avx512"), so that tests and benchmarks can force each; read once, at
// the first call. Its name, and why it is not the one LOGK_CPU asked for
// ("" where it is, or none was asked for).
InstructionSet chosen_instruction_set() noexcept;
const char* instruction_set_name(InstructionSet set) noexcept;
const std::string& chosen_instruction_set_note() noexcept;

// How the loop divides: by the divider, or from the reciprocals of the
// stencils' divisors, made once per grid, wherever a block's points and
// values lie within the guards (interp/reciprocal_division.h says why that
// gives the divider's bits, and where). Only the builds with fused
// multiply-adds can do the latter (avx2, avx512). Every build and either
// division give the same bits.
enum class Division { divider, reciprocal };
const char* division_name(Division division) noexcept;
// The divisions a build can make, the divider first.
std::vector<Division> available_divisions(InstructionSet set);

// The division the library uses with its build: the one the environment
// variable LOGK_DIVISION names ("divider", "reciprocal") where the build
// can make it, else the faster of the two on this processor, timed on a
// few thousand points at the first call (on some processors the divider is
// the bound of the loop, on others it is not): for the batch loop, and
// apart for the loops over one stencil that the inverse calls, which are
// nearly all divisions. Why it is not the one asked for ("" where it is,
// or none was asked for).
Division chosen_division() noexcept;
Division chosen_one_stencil_division() noexcept;
const std::string& chosen_division_note() noexcept;

// `count` tables on the grid, stored value by value: the value of table r
// at cell c (a LogKTable's order) is values[c * count + r], and followed by
// at least one more value. The cells of a LogKTable are a set of one. A set
// of fewer tables than a vector holds may give each table apart as well,
// in a LogKTable's order (apart[r], each followed by one more value): the
// loop then takes each table as it takes a single one.
struct TableValues {
    const double* values;
    std::size_t count;
    const double* const* apart = nullptr;
    // Tables of their own nodes: the nodes and the cells' order of `grid`,
    // whose values are table 0's or those of any of the set (all share its
    // nodes and missing values), and the stencil selection of its rules.
    // Null for the fixed grid.
    const GridTable* grid = nullptr;
    const GridRules* rules = nullptr;
};

// Where the results go; any may be null. LK and the slopes hold `count`
// values per point, point after point (LK[i * count + r]); the stencil and
// the flags one per point.
struct BatchOutputs {
    double* LK = nullptr;
    int* PIDX = nullptr;
    int* TIDX = nullptr;
    char* ISOERR = nullptr;
    char* PTERR = nullptr;
    double* dLK_dT = nullptr;
    double* dLK_dP = nullptr;
};

// Asked between the chunks of a long call: true stops it.
using StopCheck = std::function<bool()>;

// For i < n: FINDPT once, then INTRPK for each table, for P[i], T[i], as the
// program does for one point; and the slopes of each table's interpolant
// where asked. P and T are not null. Outputs may lie over the inputs: the
// results are those of separate arrays. Nothing is allocated, except when
// an output lies over an input in a way that would overwrite values not yet
// read (an output starting inside an input past its start, or log K of
// several tables over P or T; on several threads, any output over an input
// but at its very place, 8 bytes a point): then the inputs are copied
// first, and std::bad_alloc is thrown if memory runs out.
//
// `workers` as workers/workers.h reads it (it must not be refused); the
// results are the same bits whatever it is. With a stop check, the points
// go in chunks of about a millisecond, the check asked after each: the
// points done come back, every output of those written and none of the
// later ones (n where the check never stopped it).
std::size_t interpolate_points(const TableValues& tables, std::size_t n, const double* P, const double* T,
                               const BatchOutputs& out, int workers = 1, const StopCheck& stop = {});

// With the build given, which must be one of available_instruction_sets(),
// and the division the library chooses where the build can make it (else
// the divider), or the division given, one of available_divisions(set).
std::size_t interpolate_points_with(InstructionSet set, const TableValues& tables, std::size_t n, const double* P,
                                    const double* T, const BatchOutputs& out, int workers = 1,
                                    const StopCheck& stop = {});
std::size_t interpolate_points_with(InstructionSet set, Division division, const TableValues& tables, std::size_t n,
                                    const double* P, const double* T, const BatchOutputs& out, int workers = 1,
                                    const StopCheck& stop = {});

// The same for a LogKTable, and for a table of its own nodes.
inline TableValues values_of(const LogKTable& LOGK) { return {LOGK.cells(), 1}; }
inline TableValues values_of(const GridTable& grid, const GridRules& rules) {
    return {grid.cells(), 1, nullptr, &grid, &rules};
}

// INTRPK, in the widest lanes, for n points all on the given stencil of a
// LogKTable's cells, chosen by no FINDPT: each point's bits are those of
// intrpk_cells on that stencil.
void interpolate_on_stencil(const double* cells, int PIDX, int TIDX, std::size_t n, const double* P,
                            const double* T, double* LK);
void interpolate_on_stencil_with(InstructionSet set, Division division, const double* cells, int PIDX, int TIDX,
                                 std::size_t n, const double* P, const double* T, double* LK);

// INTRPK's temperature pass alone, in the widest lanes, at n temperatures
// over columns intrpk_columns gave: the bits of intrpk_along_temperature.
void interpolate_along_temperature(int TIDX, const PressureColumns& columns, std::size_t n, const double* T,
                                   double* LK);
void interpolate_along_temperature_with(InstructionSet set, Division division, int TIDX,
                                        const PressureColumns& columns, std::size_t n, const double* T, double* LK);

// Both for a table of its own nodes: the bits of intrpk_grid on the stencil
// (not along one line, where P takes no part) and of
// intrpk_grid_along_temperature.
void interpolate_on_grid_stencil(const GridTable& grid, int PIDX, int TIDX, std::size_t n, const double* P,
                                 const double* T, double* LK);
void interpolate_along_grid_temperature(const GridTable& grid, int TIDX, const PressureColumns& columns,
                                        std::size_t n, const double* T, double* LK);

}  // namespace logk
