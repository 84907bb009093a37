#include "app/uWorkers.h"

#include <condition_variable>
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
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::function<void()>> queue;
    size_t idle = 0;  // woken workers count until they have taken their work
};

// Never destroyed: idle workers still wait on it while the process ends.
Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

void WorkerLoop(std::function<void()> work) {
    Pool& pool = ThePool();
    for (;;) {
        work();
        work = nullptr;
        std::unique_lock guard(pool.lock);
        if (pool.queue.empty()) {
            if (pool.idle >= kMostIdle) return;
            ++pool.idle;
            pool.wake.wait(guard, [&] { return !pool.queue.empty(); });
            --pool.idle;
        }
        work = std::move(pool.queue.front());
        pool.queue.pop_front();
    }
}

}  // namespace

bool RunOnWorker(std::function<void()> work) {
    Pool& pool = ThePool();
    {
        std::lock_guard guard(pool.lock);
        if (pool.idle > pool.queue.size()) {
            pool.queue.push_back(std::move(work));
            pool.wake.notify_one();
            return true;
        }
    }
    try {
        std::thread(WorkerLoop, std::move(work)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

size_t IdleWorkers() {
    Pool& pool = ThePool();
    std::lock_guard guard(pool.lock);
    return pool.idle;
}
