// The batch loop built for AVX-512: eight points' stencils at a time, and
// eight tables to a vector.
#include "batch/batch_prelude.h"

#if defined(__x86_64__) && defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl,fma")
#include "batch/batch_loop.h"

void logk::batch::points_avx512(const Work& w) { all_points<8, 8>(w); }
void logk::batch::on_one_stencil_avx512(const OneStencil& s) { on_one_stencil<8>(s.cells, s.PIDX, s.TIDX, s.n, s.P, s.T, s.reciprocal, s.LK, s.grid); }
void logk::batch::along_temperature_avx512(const OneStencil& s) { along_temperature<8>(s.TIDX, s.columns, s.n, s.T, s.reciprocal, s.LK, s.grid); }

#pragma GCC pop_options
#endif
