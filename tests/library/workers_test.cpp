// The workers' pool where a model uses it in ways of its own: from several
// threads at once, in the child of a fork made while the pool was running
// (whose threads the child does not have), and at exit; and the threads it
// gives a call, and their signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "workers/workers.h"
#include "logk/logk.hpp"
#include "support/example_table.h"
#include "system/threads.h"

namespace logk::testing {
namespace {

constexpr std::size_t kPoints = 4 * kLeastValuesForWorkers + 13;

// A fault of the pool (a part not counted, a wake-up lost) hangs a call for
// ever: each test here ends the process once it has run this long, so that
// a hang costs a minute rather than CTest's ten. The sanitizers' unoptimised
// build runs the slowest test in some 50 seconds on a loaded machine.
#ifdef LOGK_SANITIZED
constexpr unsigned kWatchdogSeconds = 240;
#else
constexpr unsigned kWatchdogSeconds = 60;
#endif
// A forked child that hangs ends itself sooner.
constexpr unsigned kChildSeconds = 30;

class Watchdog : public ::testing::EmptyTestEventListener {
    static void bark(int) {
        static const char message[] = "watchdog: the test ran too long; the pool hangs\n";
        (void)!::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(1);
    }
    void OnTestStart(const ::testing::TestInfo&) override {
        ::signal(SIGALRM, bark);
        ::alarm(kWatchdogSeconds);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { ::alarm(0); }
};
const bool kWatched = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return true;
}();

struct Call {
    std::vector<double> P, T, LK;
    explicit Call(std::size_t points = kPoints) : P(points), T(points), LK(points) {
        std::mt19937_64 random(3);
        std::uniform_real_distribution<double> pressure(0.5, 6000.0), temperature(-5.0, 700.0);
        for (std::size_t i = 0; i < points; ++i) {
            P[i] = pressure(random);
            T[i] = temperature(random);
        }
    }
    void on(const Table& table, int workers) { table.interpolate(P, T, Outputs{.LK = LK}, workers); }
    bool same(const Call& other) const { return LK == other.LK; }
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

// The threads a call gets for each `workers`: 0 and below every core,
// never more than the cores, one for a call too small to share.
TEST(Workers, ThreadsForACall) {
    const int cores = platform::cores_available();
    struct Row {
        int workers;
        std::size_t values;
        int threads;
    };
    const Row rows[] = {
        {1, kPoints, 1},          {2, kPoints, std::min(2, cores)},
        {0, kPoints, cores},      {-1, kPoints, cores},
        {1000, kPoints, cores},   {0, kLeastValuesForWorkers - 1, 1},
        {0, kLeastValuesForWorkers, cores},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "workers " << row.workers << ", values " << row.values);
        EXPECT_EQ(threads_for(row.workers, row.values), row.threads);
    }
}

// What the threads of one call of two parts on two threads saw: the
// calling thread takes one part and holds it until another thread has
// taken the other, which only a thread of the pool can do (or a minute
// has passed).
struct SeenWorking {
    std::set<std::thread::id> threads;
    bool helper_blocks_every_signal = true;
};
SeenWorking two_parts_on_two_threads() {
    SeenWorking seen;
    std::mutex mutex;
    std::condition_variable arrived;
    const std::thread::id caller = std::this_thread::get_id();
    run_parts(2, 2, [&](std::size_t) {
        sigset_t mask;
        ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        std::unique_lock<std::mutex> lock(mutex);
        seen.threads.insert(std::this_thread::get_id());
        if (std::this_thread::get_id() != caller) {
            for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGALRM}) {
                if (!::sigismember(&mask, signal_number)) seen.helper_blocks_every_signal = false;
            }
        }
        arrived.notify_all();
        arrived.wait_for(lock, std::chrono::seconds(20), [&] { return seen.threads.size() == 2; });
    });
    return seen;
}

// A call on two threads runs on a thread of the pool beside the caller;
// the pool's threads block every signal (so that control-C reaches the
// caller's threads), and the caller's own mask is as it was. In a fork's
// child, made after the parent's pool, the child's call gets a thread of
// its own: the parent's are not there.
TEST(Workers, ACallRunsOnAThreadOfThePoolThatTakesNoSignal) {
    if (platform::cores_available() < 2) GTEST_SKIP() << "one core: no call gets a second thread";
    auto check = [] {
        sigset_t before, after;
        ::pthread_sigmask(SIG_BLOCK, nullptr, &before);
        const SeenWorking seen = two_parts_on_two_threads();
        ::pthread_sigmask(SIG_BLOCK, nullptr, &after);
        bool same_mask = true;
        for (int signal_number = 1; signal_number < SIGRTMIN; ++signal_number) {
            same_mask = same_mask && ::sigismember(&before, signal_number) == ::sigismember(&after, signal_number);
        }
        return std::make_tuple(seen.threads.size(), seen.helper_blocks_every_signal, same_mask);
    };
    EXPECT_EQ(check(), std::make_tuple(std::size_t{2}, true, true)) << "in the process that made the pool";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(kChildSeconds);
        ::_exit(check() == std::make_tuple(std::size_t{2}, true, true) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "in a fork's child: status " << status;
}

// exit() ends the process at once whatever the pool is doing, with no use
// of a freed pool (which the sanitizer build reports): in the child of a
// parent that made the pool, at once, after a call on every core, and,
// many times over since the moment matters, while threads of its own are
// in such calls. A child that hangs is ended by its alarm.
TEST(Workers, ExitEndsTheProcessWhateverThePoolIsDoing) {
    const Table table = example_table();
    Call parent;
    parent.on(table, 2);  // the parent's pool, which each child leaves behind
    enum class Before { nothing, a_call, calls_in_flight };
    const struct Row {
        Before before;
        int children;
    } rows[] = {{Before::nothing, 5}, {Before::a_call, 5}, {Before::calls_in_flight, 300}};
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.before));
        int failed = 0;
        for (int k = 0; k < row.children; ++k) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::alarm(kChildSeconds);
                if (row.before == Before::a_call) parent.on(table, 0);
                if (row.before == Before::calls_in_flight) {
                    static std::atomic<int> calling = 0;
                    for (int t = 0; t < 6; ++t) {
                        std::thread([&table] {
                            Call call(kLeastValuesForWorkers);
                            call.on(table, 0);
                            ++calling;
                            for (;;) call.on(table, 0);
                        }).detach();
                    }
                    while (calling < 6) std::this_thread::yield();
                }
                std::exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            failed += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
            if (failed != 0) break;  // one child's hang is enough to tell
        }
        EXPECT_EQ(failed, 0) << "children that did not end cleanly, of " << row.children;
    }
}

}  // namespace
}  // namespace logk::testing
