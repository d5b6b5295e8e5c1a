// The batch loop built for AVX-512: eight points' stencils at a time, and
// eight tables to a vector.
#include "api/batch_prelude.h"

#if defined(__x86_64__) && defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl")
#include "api/batch_loop.h"

void logk::batch::points_avx512(const Work& w) { all_points<8, 8>(w); }

#pragma GCC pop_options
#endif
