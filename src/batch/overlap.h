// Whether an output the batch calls write can overwrite an input they have
// still to read, when the output lies over it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace logk {

// Whether writing an output of `size` bytes a point, point after point,
// each point's inputs read before its outputs are written, could overwrite
// a value of the input `in` (8 bytes a point) that is still to be read. It
// cannot when the two are apart, or when the output starts no later than
// the input does, less the bytes by which it is narrower. Points in slices
// on several threads are read in no order across the slices: there only
// an output of 8 bytes a point at the input's very place is safe, as each
// point's output then lies over that point's input alone.
inline bool overwrites_unread(const void* out, std::size_t size, const double* in, std::size_t n, bool sliced) {
    if (out == nullptr || n == 0) return false;
    const auto o = reinterpret_cast<std::uintptr_t>(out);
    const auto i = reinterpret_cast<std::uintptr_t>(in);
    if (o + size * n <= i || i + sizeof(double) * n <= o) return false;
    if (sliced) return size != sizeof(double) || o != i;
    return size > sizeof(double) || o > i + (sizeof(double) - size);
}

}  // namespace logk
