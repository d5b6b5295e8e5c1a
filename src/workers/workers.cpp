#include "workers/workers.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "system/threads.h"

namespace logk {
namespace {

// One call's parts, shared by the threads that help with it.
struct Job {
    Job(const std::function<void(std::size_t)>& each, std::size_t count, int helpers)
        : part(&each), parts(count), helpers_wanted(helpers) {}
    const std::function<void(std::size_t)>* part;
    std::size_t parts;
    std::atomic<std::size_t> next{0};  // the next part nobody has taken
    // Under the pool's lock:
    int helpers_wanted;     // threads of the pool still to join
    int helping = 0;        // threads of the pool working on it now
    std::size_t done = 0;   // parts finished
    std::exception_ptr failure;
    std::condition_variable finished;

    // Takes parts until none is left; returns how many it finished.
    std::size_t work(std::exception_ptr& failed) {
        std::size_t finished_here = 0;
        for (std::size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < parts; ++finished_here) {
            try {
                (*part)(k);
            } catch (...) {
                if (!failed) failed = std::current_exception();
            }
        }
        return finished_here;
    }
};

class Pool {
public:
    explicit Pool(int helpers) {
        for (int k = 0; k < helpers; ++k) {
            try {
                threads_.push_back(platform::start_thread_without_signals([this] { serve(); }));
            } catch (const std::system_error&) {
                break;  // as many as the system gives
            }
        }
    }
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }
    int helpers() const { return static_cast<int>(threads_.size()); }

    void run(Job& job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.push_back(&job);
        }
        wake_.notify_all();
        std::exception_ptr failed;
        const std::size_t mine = job.work(failed);
        std::unique_lock<std::mutex> lock(mutex_);
        std::erase(jobs_, &job);  // no thread joins it from now on
        job.done += mine;
        if (failed && !job.failure) job.failure = failed;
        job.finished.wait(lock, [&job] { return job.done == job.parts && job.helping == 0; });
    }

private:
    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            Job& job = *jobs_.front();
            if (--job.helpers_wanted == 0) jobs_.pop_front();
            ++job.helping;
            lock.unlock();
            std::exception_ptr failed;
            const std::size_t finished_here = job.work(failed);
            lock.lock();
            job.done += finished_here;
            if (failed && !job.failure) job.failure = failed;
            --job.helping;
            if (job.done == job.parts && job.helping == 0) job.finished.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job*> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// The pool, made on first use and kept for the life of the process, as
// OpenMP runtimes keep theirs: a pool ended by exit() would be freed under
// the threads of calls still running in other threads (a model shutting
// down while its threads still call). Its threads wait on it while no call
// wants them, and end with the process.
//
// A fork's child has none of the parent's threads, and perhaps a lock
// another thread held: it leaves that pool behind, untouched (still
// reachable, so that no leak checker counts it), and makes its own when it
// needs one.
std::atomic<Pool*> shared_pool{nullptr};
std::atomic<Pool*> left_behind_in_child{nullptr};

void forget_pool_in_child() { left_behind_in_child.store(shared_pool.exchange(nullptr)); }

Pool* pool() {
    Pool* existing = shared_pool.load();
    if (existing != nullptr) return existing;
    static std::once_flag registered;
    std::call_once(registered, [] { platform::after_fork_in_child(forget_pool_in_child); });
    auto made = std::make_unique<Pool>(platform::cores_available() - 1);
    if (shared_pool.compare_exchange_strong(existing, made.get())) return made.release();
    return existing;  // another thread made one first; ours ends here
}

}  // namespace

std::optional<int> threads_wanted(int workers) {
    if (workers == 1) return 1;
    const int cores = platform::cores_available();
    if (workers > 1) return std::min(workers, cores);
    if (workers == 0) return cores;
    // -k: every core but k - 1, as SciPy counts; the sum cannot wrap, as
    // cores is positive and workers negative.
    const int threads = cores + 1 + workers;
    if (threads < 1) return std::nullopt;
    return threads;
}

std::string refused_workers(int workers) {
    const int cores = platform::cores_available();
    return "workers=" + std::to_string(workers) + " leaves no thread: this process may run on " +
           std::to_string(cores) + (cores == 1 ? " core" : " cores") +
           " (1 is the calling thread alone, -1 or 0 every core, -k every core but k - 1)";
}

int threads_for(int workers, std::size_t values) {
    if (workers == 1 || values < kLeastValuesForWorkers || platform::inside_parallel_region()) return 1;
    return threads_wanted(workers).value_or(1);
}

void run_parts(std::size_t parts, int threads, const std::function<void(std::size_t)>& part) {
    Pool* helpers = threads > 1 && parts > 1 ? pool() : nullptr;
    const int wanted = helpers == nullptr ? 0 : std::min({threads - 1, helpers->helpers(), static_cast<int>(parts) - 1});
    Job job(part, parts, wanted);
    if (wanted <= 0) {
        std::exception_ptr failed;
        job.work(failed);
        if (failed) std::rethrow_exception(failed);
        return;
    }
    helpers->run(job);
    if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace logk
