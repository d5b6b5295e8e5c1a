// The batch loop built for AVX2: four points' stencils at a time, and four
// tables to a vector.
#include "batch/batch_prelude.h"

#if defined(__x86_64__) && defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#include "batch/batch_loop.h"

void logk::batch::points_avx2(const Work& w) { all_points<4, 4>(w); }
void logk::batch::on_one_stencil_avx2(const OneStencil& s) { on_one_stencil<4>(s.cells, s.PIDX, s.TIDX, s.n, s.P, s.T, s.reciprocal, s.LK, s.grid); }
void logk::batch::along_temperature_avx2(const OneStencil& s) { along_temperature<4>(s.TIDX, s.columns, s.n, s.T, s.reciprocal, s.LK, s.grid); }

#pragma GCC pop_options
#endif
