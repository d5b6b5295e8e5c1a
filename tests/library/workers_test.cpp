// The workers' pool where a model uses it in ways of its own: from several
// threads at once, and in the child of a fork made while the pool was
// running (whose threads the child does not have).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "logk/logk.hpp"
#include "support/example_table.h"

namespace logk::testing {
namespace {

constexpr std::size_t kPoints = 4 * kLeastValuesForWorkers + 13;

struct Call {
    std::vector<double> P, T, LK;
    Call() : P(kPoints), T(kPoints), LK(kPoints) {
        std::mt19937_64 random(3);
        std::uniform_real_distribution<double> pressure(0.5, 6000.0), temperature(-5.0, 700.0);
        for (std::size_t i = 0; i < kPoints; ++i) {
            P[i] = pressure(random);
            T[i] = temperature(random);
        }
    }
    void on(const Table& table, int workers) { table.interpolate(P, T, Outputs{.LK = LK}, workers); }
    bool same(const Call& other) const { return std::memcmp(LK.data(), other.LK.data(), kPoints * 8) == 0; }
};

// Four threads calling on every core at once share the pool and each gets
// the bits of one thread.
TEST(Workers, CallersOnSeveralThreadsAtOnceGetTheBitsOfOne) {
    const Table table = example_table();
    Call one;
    one.on(table, 1);
    std::vector<Call> calls(4);
    std::vector<std::thread> callers;
    for (Call& call : calls) {
        callers.emplace_back([&table, &call] {
            for (int round = 0; round < 5; ++round) call.on(table, 0);
        });
    }
    for (std::thread& caller : callers) caller.join();
    for (const Call& call : calls) EXPECT_TRUE(call.same(one));
}

// The child of a fork made while another thread is calling on every core
// (the pool's lock perhaps held, its threads busy) calls on every core too
// and gets the bits of one thread, rather than wait on a lock or on threads
// it has not got. An alarm ends a child that hangs.
TEST(Workers, AForkedChildCallsOnWorkersOfItsOwn) {
    constexpr int kForks = 100;  // a fork finds the lock held now and then, not every time
    const Table table = example_table();
    Call one;
    one.on(table, 1);
    std::atomic<bool> stop = false;
    std::thread busy([&table, &stop] {
        Call call;
        while (!stop) call.on(table, 2);
    });
    int hung = 0, wrong = 0;
    for (int k = 0; k < kForks; ++k) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(10);
            Call in_child;
            in_child.on(table, 2);
            ::_exit(in_child.same(one) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        hung += WIFSIGNALED(status) ? 1 : 0;
        wrong += WIFEXITED(status) && WEXITSTATUS(status) != 0 ? 1 : 0;
    }
    stop = true;
    busy.join();
    EXPECT_EQ(hung, 0) << "children that hung or crashed, of " << kForks;
    EXPECT_EQ(wrong, 0) << "children whose bits differ, of " << kForks;
}

}  // namespace
}  // namespace logk::testing
