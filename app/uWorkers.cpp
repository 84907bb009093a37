#include "app/uWorkers.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Enough for a navigation: its listing and its folder's watch. A worker that
// finds this many idle ones when it is done ends.
constexpr size_t kMostIdle = 2;

struct Pool {
    struct Work {
        std::uint64_t ticket;
        std::function<void()> run;
    };
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Work> queue;
    std::uint64_t nextTicket = 0;
    size_t idle = 0;
    size_t threads = 0;
};

// Never destroyed: idle workers still wait on it while the process ends.
Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

void WorkerLoop() {
    Pool& pool = ThePool();
    std::unique_lock guard(pool.lock);
    for (;;) {
        if (pool.queue.empty()) {
            if (pool.idle >= kMostIdle) break;
            ++pool.idle;
            pool.wake.wait(guard, [&] { return !pool.queue.empty(); });
            --pool.idle;
        }
        std::function<void()> run = std::move(pool.queue.front().run);
        pool.queue.pop_front();
        guard.unlock();
        run();
        run = nullptr;
        guard.lock();
    }
    --pool.threads;
}

}  // namespace

bool RunOnWorker(std::function<void()> work) {
    Pool& pool = ThePool();
    std::uint64_t ticket = 0;
    {
        std::lock_guard guard(pool.lock);
        ticket = pool.nextTicket++;
        pool.queue.push_back({ticket, std::move(work)});
        // Every idle worker takes one piece of work; woken ones count as idle until they take it.
        if (pool.idle >= pool.queue.size()) {
            pool.wake.notify_one();
            return true;
        }
        ++pool.threads;
    }
    try {
        std::thread(WorkerLoop).detach();
        return true;
    } catch (const std::system_error&) {
    }
    std::lock_guard guard(pool.lock);
    --pool.threads;
    // A worker still running takes the work when it is done.
    if (pool.threads > 0) return true;
    for (auto it = pool.queue.begin(); it != pool.queue.end(); ++it) {
        if (it->ticket == ticket) {
            pool.queue.erase(it);
            break;
        }
    }
    return false;
}

size_t IdleWorkers() {
    Pool& pool = ThePool();
    std::lock_guard guard(pool.lock);
    return pool.idle;
}
