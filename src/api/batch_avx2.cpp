// The batch loop built for AVX2: four points' stencils at a time, and four
// tables to a vector.
#include "api/batch_prelude.h"

#if defined(__x86_64__) && defined(__GNUC__)
#pragma GCC push_options
#pragma GCC target("avx2")
#include "api/batch_loop.h"

void logk::batch::points_avx2(const Work& w) { all_points<4, 4>(w); }

#pragma GCC pop_options
#endif
