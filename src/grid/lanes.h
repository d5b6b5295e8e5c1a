// Several points side by side: W doubles, or W 64-bit integers, in one
// vector. Each lane is rounded exactly as a lone double would be, so work
// done across points gives every point the bits it would get alone.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Vectors are only ever passed between functions inlined into one another
// within one file, never across a call that another compiler or build could
// see, so GCC's note that such calls changed their ABI long ago is noise.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace logk {

// Conversions between lanes, one set per width: GCC 12 cannot convert
// vectors whose types depend on a template's parameter. Whole parts go
// through 32-bit integers, which AVX2 converts in one instruction (it has
// none for 64-bit ones), but straight to 64 bits with eight lanes, which
// need AVX-512. The whole number at or below x stays a double, in one
// instruction (vroundpd, vrndscalepd). The intrinsics are used where the
// lanes are built for their instruction set (api/batch_loop.h).
template <int W>
struct LaneConversions;
#define LOGK_LANE_CONVERSIONS(W, WHOLE, FLOOR, EVERY)                                               \
    template <>                                                                                    \
    struct LaneConversions<W> {                                                                    \
        typedef double Double __attribute__((vector_size(8 * W)));                                 \
        typedef std::int64_t Int __attribute__((vector_size(8 * W)));                             \
        typedef std::int32_t Narrow __attribute__((vector_size(4 * W)));                          \
        typedef char Char __attribute__((vector_size(W)));                                         \
        [[gnu::always_inline]] static Narrow narrow(const Int& x) { return __builtin_convertvector(x, Narrow); }    \
        [[gnu::always_inline]] static Int whole(const Double& x) { return WHOLE; }                                  \
        [[gnu::always_inline]] static Double floor(const Double& x) {                                               \
            return FLOOR;                                                                                          \
        }                                                                                                          \
        [[gnu::always_inline]] static Char to_char(const Int& x) { return __builtin_convertvector(x, Char); }       \
        /* whether every lane of a comparison's mask holds: the lanes' sign bits at once */                       \
        [[gnu::always_inline]] static bool every(const Int& mask) { return EVERY; }                                 \
        [[gnu::always_inline]] static Int shift_right(const Int& x, int bits) {                                     \
            typedef std::uint64_t Unsigned __attribute__((vector_size(8 * W)));                                    \
            return __builtin_bit_cast(Int, __builtin_bit_cast(Unsigned, x) >> bits);                               \
        }                                                                                                          \
        [[gnu::always_inline]] static Double to_double(const Int& x) { return __builtin_convertvector(x, Double); } \
    };
LOGK_LANE_CONVERSIONS(4, __builtin_convertvector(__builtin_convertvector(x, Narrow), Int),
                      _mm256_round_pd(x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC),
                      _mm256_movemask_pd(__builtin_bit_cast(__m256d, mask)) == 0xF)
LOGK_LANE_CONVERSIONS(8, __builtin_convertvector(x, Int),
                      _mm512_mask_roundscale_pd(x, 0xFF, x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC),  // no undefined source
                      _mm512_movepi64_mask(__builtin_bit_cast(__m512i, mask)) == 0xFF)
#undef LOGK_LANE_CONVERSIONS

// Four doubles that lie side by side in memory, such as three pressure
// nodes of a table's column and the value after them, and one load of
// them from wherever they lie (through a type that may alias doubles: a
// memcpy of 32 bytes is copied in halves where AVX2's tuning prefers it).
typedef double Quad __attribute__((vector_size(32)));
typedef double UnalignedQuad __attribute__((vector_size(32), aligned(8), may_alias));
[[gnu::always_inline]] inline Quad load_quad(const double* from) { return *reinterpret_cast<const UnalignedQuad*>(from); }

// W quads, one a lane, turned into their first three values across the
// lanes: columns[i][lane] = rows[lane][i]. Four lanes are the classic
// transpose; eight put two lanes in each vector first.
template <int W>
struct LaneTransposes;
template <>
struct LaneTransposes<2> {
    typedef double Double __attribute__((vector_size(16)));
    [[gnu::always_inline]] static void first_three(const Quad (&rows)[2], Double (&columns)[3]) {
        columns[0] = __builtin_shufflevector(rows[0], rows[1], 0, 4);
        columns[1] = __builtin_shufflevector(rows[0], rows[1], 1, 5);
        columns[2] = __builtin_shufflevector(rows[0], rows[1], 2, 6);
    }
};
template <>
struct LaneTransposes<4> {
    typedef double Double __attribute__((vector_size(32)));
    [[gnu::always_inline]] static void first_three(const Quad (&rows)[4], Double (&columns)[3]) {
        const Quad even01 = __builtin_shufflevector(rows[0], rows[1], 0, 4, 2, 6);  // r0[0] r1[0] r0[2] r1[2]
        const Quad odd01 = __builtin_shufflevector(rows[0], rows[1], 1, 5, 3, 7);
        const Quad even23 = __builtin_shufflevector(rows[2], rows[3], 0, 4, 2, 6);
        const Quad odd23 = __builtin_shufflevector(rows[2], rows[3], 1, 5, 3, 7);
        columns[0] = __builtin_shufflevector(even01, even23, 0, 1, 4, 5);
        columns[1] = __builtin_shufflevector(odd01, odd23, 0, 1, 4, 5);
        columns[2] = __builtin_shufflevector(even01, even23, 2, 3, 6, 7);
    }
};
template <>
struct LaneTransposes<8> {
    typedef double Double __attribute__((vector_size(64)));
    [[gnu::always_inline]] static void first_three(const Quad (&rows)[8], Double (&columns)[3]) {
        Double pairs[4];  // rows m and m + 4 in one vector
        for (int m = 0; m < 4; ++m) pairs[m] = __builtin_shufflevector(rows[m], rows[m + 4], 0, 1, 2, 3, 4, 5, 6, 7);
        const Double even01 = __builtin_shufflevector(pairs[0], pairs[1], 0, 8, 2, 10, 4, 12, 6, 14);
        const Double odd01 = __builtin_shufflevector(pairs[0], pairs[1], 1, 9, 3, 11, 5, 13, 7, 15);
        const Double even23 = __builtin_shufflevector(pairs[2], pairs[3], 0, 8, 2, 10, 4, 12, 6, 14);
        const Double odd23 = __builtin_shufflevector(pairs[2], pairs[3], 1, 9, 3, 11, 5, 13, 7, 15);
        columns[0] = __builtin_shufflevector(even01, even23, 0, 1, 8, 9, 4, 5, 12, 13);
        columns[1] = __builtin_shufflevector(odd01, odd23, 0, 1, 8, 9, 4, 5, 12, 13);
        columns[2] = __builtin_shufflevector(even01, even23, 2, 3, 10, 11, 6, 7, 14, 15);
    }
};

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
    [[gnu::always_inline]] static Int truncate(const Double& x) { return LaneConversions<W>::whole(x); }
    // The whole number at or below x, as a double.
    [[gnu::always_inline]] static Double floor(const Double& x) { return LaneConversions<W>::floor(x); }
    [[gnu::always_inline]] static Double to_double(const Int& x) { return LaneConversions<W>::to_double(x); }
    [[gnu::always_inline]] static void store(const Double& lanes, double* to) { std::memcpy(to, &lanes, sizeof lanes); }
    [[gnu::always_inline]] static void store(const Int& lanes, std::int64_t* to) { std::memcpy(to, &lanes, sizeof lanes); }
    [[gnu::always_inline]] static void store(const Int& lanes, int* to) {
        const auto narrow = LaneConversions<W>::narrow(lanes);
        std::memcpy(to, &narrow, sizeof narrow);
    }
    [[gnu::always_inline]] static void store(const Int& lanes, char* to) {
        const auto narrow = LaneConversions<W>::to_char(lanes);
        std::memcpy(to, &narrow, sizeof narrow);
    }
    [[gnu::always_inline]] static bool every(const Int& mask) { return LaneConversions<W>::every(mask); }
    // x shifted right by `bits`, as an unsigned number: AVX2 has no
    // arithmetic shift of 64-bit lanes.
    [[gnu::always_inline]] static Int shift_right(const Int& x, int bits) {
        return LaneConversions<W>::shift_right(x, bits);
    }
    [[gnu::always_inline]] static Double all(double x) { return Double{} + x; }
    [[gnu::always_inline]] static Int all(std::int64_t x) { return Int{} + x; }

    // table[index] in each lane, for a table of doubles or 64-bit integers
    // whose size is a multiple of eight, and indices within it. Eight lanes
    // look up within registers (a permutation across two vectors is one
    // instruction with AVX-512), sixteen entries after sixteen; fewer lanes
    // one at a time.
    template <typename Value, std::size_t N>
    [[gnu::always_inline]] static auto lookup(const std::array<Value, N>& table, const Int& index) {
        static_assert(N % 8 == 0, "a table looked up in lanes comes in blocks of eight");
        decltype(load(table.data())) found{};
        if constexpr (W == 8) {
            for (std::size_t block = 0; block < N; block += 16) {
                const auto first = load(table.data() + block);
                decltype(found) pair;
                if (block + 8 < N) {
                    pair = __builtin_shuffle(first, load(table.data() + block + 8), index & 15);
                } else {
                    pair = __builtin_shuffle(first, index & 7);
                }
                found = block == 0 ? pair : (index >= static_cast<std::int64_t>(block) ? pair : found);
            }
        } else {
            for (int lane = 0; lane < W; ++lane) set_lane(found, lane, table[static_cast<std::size_t>(lane_of(index, lane))]);
        }
        return found;
    }

private:
    // Lane by lane, through templates of their own: GCC 12 takes a vector
    // whose width is a template's parameter for a scalar where it is named.
    template <typename Vector>
    [[gnu::always_inline]] static auto lane_of(const Vector& v, int lane) { return v[lane]; }
    template <typename Vector, typename Value>
    [[gnu::always_inline]] static void set_lane(Vector& v, int lane, Value x) { v[lane] = x; }
};

}  // namespace logk
