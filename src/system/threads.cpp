#include "system/threads.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <utility>

// Present where the process links an OpenMP runtime, null where it does not.
extern "C" int omp_in_parallel() __attribute__((weak));

namespace logk::platform {

int cores_available() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (::sched_getaffinity(0, sizeof cores, &cores) != 0) return 1;
    const int count = CPU_COUNT(&cores);
    return count > 0 ? count : 1;
}

bool inside_parallel_region() { return omp_in_parallel != nullptr && omp_in_parallel() != 0; }

std::thread start_thread_without_signals(std::function<void()> body) {
    sigset_t all, before;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);  // the new thread starts with this mask
    struct Restore {
        sigset_t mask;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
    } restore{before};
    return std::thread(std::move(body));
}

void after_fork_in_child(void (*handler)()) { ::pthread_atfork(nullptr, nullptr, handler); }

}  // namespace logk::platform
