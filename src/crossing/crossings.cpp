// The search for many points: in slices on the workers' threads, and in
// blocks between a caller's stop checks.
#include <algorithm>
#include <chrono>

#include "crossing/crossing.h"
#include "workers/workers.h"

namespace logk {
namespace {

// A point's search costs about what this many interpolated values do: the
// threshold at which the workers' threads pay for themselves.
constexpr std::size_t kValuesPerPoint = 256;

// Blocks between stop checks: from this many points a thread, doubled
// while a block takes less than the shortest time and halved while it
// takes more than the longest, so that a stop is answered within some
// milliseconds whatever a point costs.
constexpr std::size_t kFirstBlock = 16, kMostBlock = std::size_t{1} << 16;
constexpr auto kShortest = std::chrono::milliseconds(2), kLongest = std::chrono::milliseconds(8);

struct Search {
    const SearchedTable& table;
    Along along;
    const double* fixed;
    const double* LK;
    double low, high;
    double* at;
    char* how;

    void points(std::size_t first, std::size_t last) const {
        for (std::size_t i = first; i < last; ++i) {
            const FirstCrossing found = first_crossing(table, along, fixed[i], LK[i], low, high);
            at[i] = found.at;
            if (how != nullptr) how[i] = found.how;
        }
    }
    // Points first to first + n on `threads` threads, in contiguous slices.
    void block(std::size_t first, std::size_t n, int threads) const {
        if (threads <= 1 || n < 2) return points(first, first + n);
        const std::size_t parts = std::min<std::size_t>(n, 4 * static_cast<std::size_t>(threads));
        run_parts(parts, threads, [&](std::size_t k) { points(first + n * k / parts, first + n * (k + 1) / parts); });
    }
};

}  // namespace

std::size_t crossings(const SearchedTable& table, Along along, std::size_t n, const double* fixed, const double* LK,
                      double low, double high, double* at, char* how, int workers,
                      const std::function<bool()>& stop) {
    const Search search{table, along, fixed, LK, low, high, at, how};
    const int threads = threads_for(workers, n * kValuesPerPoint);
    if (!stop) {
        search.block(0, n, threads);
        return n;
    }
    std::size_t block = kFirstBlock * static_cast<std::size_t>(threads);
    for (std::size_t first = 0; first < n;) {
        const std::size_t points = std::min(block, n - first);
        const auto start = std::chrono::steady_clock::now();
        search.block(first, points, threads);
        first += points;
        if (first < n && stop()) return first;
        const auto took = std::chrono::steady_clock::now() - start;
        if (took < kShortest) block = std::min(2 * block, kMostBlock * static_cast<std::size_t>(threads));
        if (took > kLongest) block = std::max<std::size_t>(block / 2, 1);
    }
    return n;
}

}  // namespace logk
