// Many points at once: the program's stencil selection and interpolation,
// exactly, for each point of an array.
#pragma once

#include <cstddef>
#include <vector>

#include "grid/logk_table.h"

namespace logk {

// The builds of the loop, by the instructions they need, each needing all
// that the ones before it need.
enum class InstructionSet { baseline, avx2, avx512 };

// The best build this processor can run, and all it can run, the best last.
InstructionSet best_instruction_set() noexcept;
std::vector<InstructionSet> available_instruction_sets();

// For i < n: FINDPT then INTRPK for P[i], T[i], as the program does for one
// point, into whichever outputs are not null. P and T are not null. With
// the best build this processor can run; nothing is allocated or thrown.
void interpolate_points(const LogKTable& LOGK, std::size_t n, const double* P, const double* T, double* LK,
                        int* PIDX, int* TIDX, char* ISOERR, char* PTERR);

// With the build given, which must be one of available_instruction_sets().
void interpolate_points_with(InstructionSet set, const LogKTable& LOGK, std::size_t n, const double* P,
                             const double* T, double* LK, int* PIDX, int* TIDX, char* ISOERR, char* PTERR);

}  // namespace logk
