// Several points side by side: W doubles, or W 64-bit integers, in one
// vector. Each lane is rounded exactly as a lone double would be, so work
// done across points gives every point the bits it would get alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Vectors are only ever passed between functions inlined into one another
// within one file, never across a call that another compiler or build could
// see, so GCC's note that such calls changed their ABI long ago is noise.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace logk {

// Conversions between lanes, one set per width: GCC 12 cannot convert
// vectors whose types depend on a template's parameter.
template <int W>
struct LaneConversions;
#define LOGK_LANE_CONVERSIONS(W)                                                                    \
    template <>                                                                                    \
    struct LaneConversions<W> {                                                                    \
        typedef double Double __attribute__((vector_size(8 * W)));                                 \
        typedef std::int64_t Int __attribute__((vector_size(8 * W)));                             \
        typedef std::int32_t Narrow __attribute__((vector_size(4 * W)));                          \
        typedef char Char __attribute__((vector_size(W)));                                         \
        [[gnu::always_inline]] static Narrow narrow(const Double& x) { return __builtin_convertvector(x, Narrow); } \
        [[gnu::always_inline]] static Narrow narrow(const Int& x) { return __builtin_convertvector(x, Narrow); }    \
        [[gnu::always_inline]] static Int widen(const Narrow& x) { return __builtin_convertvector(x, Int); }        \
        [[gnu::always_inline]] static Char to_char(const Int& x) { return __builtin_convertvector(x, Char); }       \
        [[gnu::always_inline]] static Double to_double(const Int& x) { return __builtin_convertvector(x, Double); } \
    };
LOGK_LANE_CONVERSIONS(4)
LOGK_LANE_CONVERSIONS(8)
#undef LOGK_LANE_CONVERSIONS

template <int W>
struct Lanes {
    typedef double Double __attribute__((vector_size(8 * W)));
    typedef std::int64_t Int __attribute__((vector_size(8 * W)));  // also a comparison's mask: -1 or 0

    [[gnu::always_inline]] static Double load(const double* from) {
        Double lanes;
        std::memcpy(&lanes, from, sizeof lanes);
        return lanes;
    }
    [[gnu::always_inline]] static Int load(const std::int64_t* from) {
        Int lanes;
        std::memcpy(&lanes, from, sizeof lanes);
        return lanes;
    }
    // Whole parts, for values well inside the range of a 32-bit integer.
    [[gnu::always_inline]] static Int truncate(const Double& x) {
        return LaneConversions<W>::widen(LaneConversions<W>::narrow(x));
    }
    [[gnu::always_inline]] static Double to_double(const Int& x) { return LaneConversions<W>::to_double(x); }
    [[gnu::always_inline]] static void store(const Double& lanes, double* to) { std::memcpy(to, &lanes, sizeof lanes); }
    [[gnu::always_inline]] static void store(const Int& lanes, int* to) {
        const auto narrow = LaneConversions<W>::narrow(lanes);
        std::memcpy(to, &narrow, sizeof narrow);
    }
    [[gnu::always_inline]] static void store(const Int& lanes, char* to) {
        const auto narrow = LaneConversions<W>::to_char(lanes);
        std::memcpy(to, &narrow, sizeof narrow);
    }
    [[gnu::always_inline]] static Double all(double x) { return Double{} + x; }
    [[gnu::always_inline]] static Int all(std::int64_t x) { return Int{} + x; }
};

}  // namespace logk
