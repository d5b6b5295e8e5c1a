// What the library's benchmarks share: the best of several rounds, and
// their points, so that every benchmark times the same ones.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace bench {

// The shortest of `rounds` runs of `work`, in seconds.
template <typename Work>
double best_seconds(int rounds, Work work) {
    double best = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// n points drawn from `random` (seeded 1994 by every benchmark): P
// log-uniform from 0.5 to 6500 bar on half of them and uniform on the rest,
// T uniform from -5 to 720 degC, in random order.
struct Points {
    std::vector<double> P;
    std::vector<double> T;
};
inline Points library_points(std::size_t n, std::mt19937_64& random) {
    std::uniform_real_distribution<double> log_pressure(std::log(0.5), std::log(6500.0));
    std::uniform_real_distribution<double> pressure(0.5, 6500.0);
    std::uniform_real_distribution<double> temperature(-5.0, 720.0);
    Points points{std::vector<double>(n), std::vector<double>(n)};
    for (std::size_t i = 0; i < n; ++i) {
        points.P[i] = random() % 2 ? std::exp(log_pressure(random)) : pressure(random);
        points.T[i] = temperature(random);
    }
    return points;
}

}  // namespace bench
