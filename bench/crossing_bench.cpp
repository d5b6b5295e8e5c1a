// Times the interpolation backwards where it looks at the doubles one by
// one, and counts the answers it leaves to rounding ('R').
//   crossing_bench <examples directory> [questions] [rounds]
// First the cost of a double looked at: a table of one value asked for the
// fourth double above it, which log K there never reaches but every double
// of the line lies within rounding of, so that the search looks at all the
// doubles it may (kMostScanned, half as many where the values are out of
// the ordinary) and answers 'R': along temperature and along pressure, on
// a value of ordinary size, on 1e-300 and on a subnormal one (whose
// arithmetic the processor takes slowly), the best of `rounds`. Then, on
// quartz.dat and kw.dat, `questions` plain questions of each kind (y = log
// K at a random point of the line itself, so that an answer lies at or
// before it), and as many on a table of subnormal values: how many answers
// are 'R', and the mean and the slowest question, once each. Times are
// wall clock and, beside them, the processor time of the thread.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <time.h>

#include "bench_support.h"
#include "crossing/crossing.h"
#include "logk/logk.hpp"

namespace {

// The processor time of this thread, in seconds: on a machine shared with
// other work, what a question costs the core it runs on.
double thread_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

logk::Crossing ask(const logk::Table& table, bool along_T, double fixed, double y) {
    return along_T ? table.temperature_at(fixed, y) : table.pressure_at(fixed, y);
}

logk::Table one_value(double v) { return logk::Table::from_values(std::vector<double>(logk::kTableValues, v)); }

void cost_of_a_double(const char* name, double v, int rounds) {
    const logk::Table table = one_value(v);
    for (const bool along_T : {true, false}) {
        const double fixed = along_T ? 100.0 : 300.0;
        double y = v;  // four doubles above: more than the rounding of log K reaches on such a table
        for (int k = 0; k < 4; ++k) y = std::nextafter(y, 1.0);
        logk::Crossing got{};
        double processor = 1e30;
        const double seconds = bench::best_seconds(rounds, [&] {
            const double start = thread_seconds();
            got = ask(table, along_T, fixed, y);
            processor = std::min(processor, thread_seconds() - start);
        });
        // The search looks from the lowest double on, so 'R' stands as many
        // doubles above it as were looked at (positive doubles are in the
        // order of their bits).
        const double low = along_T ? logk::TGRID(1) : logk::PGRID(1);
        const auto looked_at = std::bit_cast<std::uint64_t>(got.at) - std::bit_cast<std::uint64_t>(low);
        const double per_double = 1e9 / static_cast<double>(looked_at);
        std::printf("%-22s along %s: '%c' after %llu doubles, %7.2f ms, %6.2f ns a double (processor %7.2f ms, "
                    "%6.2f ns)\n",
                    name, along_T ? "T" : "P", got.how, static_cast<unsigned long long>(looked_at), seconds * 1e3,
                    seconds * per_double, processor * 1e3, processor * per_double);
    }
}

void plain_questions(const char* name, const logk::Table& table, int questions) {
    for (const bool along_T : {true, false}) {
        std::mt19937_64 random(1160);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        int rounding = 0;
        double total = 0.0, slowest = 0.0, slowest_processor = 0.0;
        for (int k = 0; k < questions; ++k) {
            const double P = std::exp(std::log(5000.0) * unit(random)), T = 0.01 + 599.99 * unit(random);
            const double other = along_T ? 0.01 + 599.99 * unit(random) : std::exp(std::log(5000.0) * unit(random));
            const double y = along_T ? table.interpolate(P, other).LK : table.interpolate(other, T).LK;
            const auto start = std::chrono::steady_clock::now();
            const double processor_start = thread_seconds();
            const logk::Crossing got = ask(table, along_T, along_T ? P : T, y);
            const double processor = thread_seconds() - processor_start;
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            total += seconds;
            slowest = std::max(slowest, seconds);
            slowest_processor = std::max(slowest_processor, processor);
            rounding += got.how == 'R';
        }
        std::printf("%-22s along %s: 'R' %4d of %d, mean %8.2f us, slowest %7.2f ms (processor %7.2f ms)\n", name,
                    along_T ? "T" : "P", rounding, questions, total / questions * 1e6, slowest * 1e3,
                    slowest_processor * 1e3);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: crossing_bench <examples directory> [questions] [rounds]\n");
        return 2;
    }
    const int questions = argc > 2 ? std::atoi(argv[2]) : 1160;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    std::printf("at most %llu doubles looked at one by one a question\n",
                static_cast<unsigned long long>(logk::kMostScanned));
    constexpr double kSubnormal = std::numeric_limits<double>::denorm_min();
    cost_of_a_double("one value, 3", 3.0, rounds);
    cost_of_a_double("one value, 1e-300", 1e-300, rounds);
    cost_of_a_double("one value, 4 x 2^-1074", 4.0 * kSubnormal, rounds);
    for (const char* file : {"quartz.dat", "kw.dat"}) {
        const logk::Read<logk::Table> read = logk::Table::load(std::string(argv[1]) + "/" + file);
        if (!read) {
            std::fprintf(stderr, "%s\n", read.error.text.c_str());
            return 1;
        }
        plain_questions(file, *read.value, questions);
    }
    std::mt19937_64 random(7);
    std::vector<double> subnormal(logk::kTableValues);
    for (double& v : subnormal) v = kSubnormal * static_cast<double>(random() % 5);
    plain_questions("subnormal, 0 to 4 x", logk::Table::from_values(subnormal), questions);
    return 0;
}
