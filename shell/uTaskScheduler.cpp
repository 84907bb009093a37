#include "shell/uTaskScheduler.h"

#include "app/ComObject.h"
#include "app/Handles.h"

#include <windows.h>
#include <objbase.h>
#include <process.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// Long enough that a burst of browsing does not start a thread per folder,
// short enough that idle views do not keep threads around.
constexpr DWORD kDefaultIdleTimeout = 60 * 1000;

DWORD RemainingTime(ULONGLONG start, DWORD timeout) {
    if (timeout == INFINITE) return INFINITE;
    ULONGLONG elapsed = GetTickCount64() - start;
    return elapsed >= timeout ? 0 : static_cast<DWORD>(timeout - elapsed);
}

// Waits for handle while running the messages that other threads send to this
// thread. A task delivers its results to windows of the waiting thread with
// SendMessageW, which returns only once this thread has handled the message; a
// plain wait would deadlock on it. Posted messages (input, timers, paints)
// stay queued so that no user action is handled in the middle of the caller's
// operation.
DWORD WaitProcessingSentMessages(HANDLE handle, DWORD timeout) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD result = MsgWaitForMultipleObjectsEx(1, &handle, RemainingTime(start, timeout), QS_SENDMESSAGE,
                                                   MWMO_INPUTAVAILABLE);
        if (result != WAIT_OBJECT_0 + 1) return result;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// The idle worker is a single-threaded apartment and must keep its own queue
// moving: COM's apartment window and anything a task created on this thread
// may receive messages, and a broadcast sent to them would otherwise hang.
bool WaitForWork(HANDLE wake, DWORD timeout) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD result = MsgWaitForMultipleObjectsEx(1, &wake, RemainingTime(start, timeout), QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Which tasks a RemoveTasks or CountTasks call is about.
struct Selection {
    GUID owner;
    DWORD_PTR param;

    bool Selects(const GUID& taskOwner, DWORD_PTR taskParam) const {
        return (IsEqualGUID(owner, TOID_NULL) || IsEqualGUID(owner, taskOwner)) &&
               (param == ITSAT_DEFAULT_LPARAM || param == taskParam);
    }
};

struct QueuedTask {
    ComPtr<IRunnableTask> task;
    GUID owner;
    DWORD_PTR param;
    DWORD priority;
};

struct RunningTask {
    // Emptied by the worker once Run has returned, before the task counts as done.
    ComPtr<IRunnableTask> task;
    GUID owner;
    DWORD_PTR param;
    // Manual-reset event set when the task is done; made by its first waiter.
    std::shared_ptr<UniqueHandle> done;
};

// The state shared by the COM object and its worker thread. The worker owns a
// reference, so the object may go (even released by a task on the worker)
// while the worker still finishes the task in hand.
//
// Nothing that can call out of this unit (Run, Kill, a task's Release) happens
// while `lock` is held: a task may call back into the scheduler at any time.
struct SchedulerCore {
    std::mutex lock;
    // Highest priority first, in order of arrival within one. Scrolling through
    // a large folder queues a task per row faster than they run, so the queue
    // can hold a hundred thousand: taking the first and adding behind the
    // last of a priority must not move the others.
    std::deque<QueuedTask> queue;
    std::optional<RunningTask> running;
    // Selections of RemoveTasks calls waiting for a running task. Queued tasks
    // they select are not started: the waiting call removes them once the
    // running task has ended, however they got queued meanwhile.
    std::vector<const Selection*> withheld;
    UniqueHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};  // work queued, settings or shutdown
    UniqueHandle worker;                                               // the thread last started
    DWORD workerId = 0;
    bool workerAlive = false;
    bool shuttingDown = false;
    DWORD idleTimeout = kDefaultIdleTimeout;
    // The owner of a released scheduler is gone; the running task's result
    // would be thrown away, so by default it is asked to stop early.
    DWORD releaseStatus = ITSSFLAG_KILL_ON_DESTROY;
};

bool Withheld(const SchedulerCore& core, const QueuedTask& queued) {
    return std::any_of(core.withheld.begin(), core.withheld.end(),
                       [&queued](const Selection* selection) { return selection->Selects(queued.owner, queued.param); });
}

// Takes the next task, or waits for one; false when the worker is to end.
bool NextTask(SchedulerCore& core, IRunnableTask*& task) {
    for (;;) {
        DWORD idleTimeout;
        {
            std::lock_guard guard(core.lock);
            if (core.shuttingDown) {
                core.workerAlive = false;
                return false;
            }
            auto eligible = std::find_if(core.queue.begin(), core.queue.end(),
                                         [&core](const QueuedTask& queued) { return !Withheld(core, queued); });
            if (eligible != core.queue.end()) {
                QueuedTask next = std::move(*eligible);
                core.queue.erase(eligible);
                task = next.task.get();
                core.running = RunningTask{std::move(next.task), next.owner, next.param, nullptr};
                return true;
            }
            idleTimeout = core.idleTimeout;
        }
        if (!WaitForWork(core.wake.get(), idleTimeout)) {
            std::lock_guard guard(core.lock);
            if (core.queue.empty() || core.shuttingDown) {
                core.workerAlive = false;
                return false;
            }
        }
    }
}

void FinishRunningTask(SchedulerCore& core) {
    ComPtr<IRunnableTask> task;
    {
        std::lock_guard guard(core.lock);
        task = std::move(core.running->task);
    }
    // The scheduler's reference goes before waiters are told, so that after a
    // waiting RemoveTasks the task is no longer held here.
    task.reset();
    std::shared_ptr<UniqueHandle> done;
    {
        std::lock_guard guard(core.lock);
        done = std::move(core.running->done);
        core.running.reset();
    }
    if (done) SetEvent(done->get());
}

unsigned __stdcall WorkerMain(void* param) {
    std::shared_ptr<SchedulerCore> core = std::move(*std::unique_ptr<std::shared_ptr<SchedulerCore>>(
        static_cast<std::shared_ptr<SchedulerCore>*>(param)));
    // Tasks create shell objects (folders, extractors), most of them apartment-threaded.
    HRESULT comInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    IRunnableTask* task = nullptr;
    while (NextTask(*core, task)) {
        task->Run();
        FinishRunningTask(*core);
    }
    if (SUCCEEDED(comInit)) CoUninitialize();
    return 0;
}

class TTaskScheduler final : public ComObject<IShellTaskScheduler> {
public:
    STDMETHODIMP AddTask(IRunnableTask* task, REFTASKOWNERID owner, DWORD_PTR param, DWORD priority) override;
    STDMETHODIMP RemoveTasks(REFTASKOWNERID owner, DWORD_PTR param, BOOL waitIfRunning) override;
    STDMETHODIMP_(UINT) CountTasks(REFTASKOWNERID owner) override;
    STDMETHODIMP Status(DWORD releaseStatus, DWORD threadTimeout) override;

private:
    ~TTaskScheduler() override;
    bool StartWorker();  // with core_->lock held

    std::shared_ptr<SchedulerCore> core_ = std::make_shared<SchedulerCore>();
};

TTaskScheduler::~TTaskScheduler() {
    std::deque<QueuedTask> dropped;
    ComPtr<IRunnableTask> running;
    bool kill;
    bool onWorker;
    {
        std::lock_guard guard(core_->lock);
        core_->shuttingDown = true;
        dropped.swap(core_->queue);
        if (core_->running) running = core_->running->task;
        kill = (core_->releaseStatus & ITSSFLAG_KILL_ON_DESTROY) != 0;
        onWorker = GetCurrentThreadId() == core_->workerId;
    }
    SetEvent(core_->wake.get());
    dropped.clear();
    if (running && kill) running->Kill(FALSE);
    running.reset();
    // Without a reference to this object no one can start another worker, so
    // the handle stays the same while we wait. A worker that outlives the wait
    // keeps the shared state alive and ends after its task.
    if (!onWorker && core_->worker) {
        WaitProcessingSentMessages(core_->worker.get(), ITSS_THREAD_DESTROY_DEFAULT_TIMEOUT);
    }
}

bool TTaskScheduler::StartWorker() {
    auto param = std::make_unique<std::shared_ptr<SchedulerCore>>(core_);
    unsigned threadId = 0;
    auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerMain, param.get(), 0, &threadId));
    if (!thread) return false;
    param.release();  // WorkerMain owns it now
    core_->worker.reset(thread);
    core_->workerId = threadId;
    core_->workerAlive = true;
    return true;
}

STDMETHODIMP TTaskScheduler::AddTask(IRunnableTask* task, REFTASKOWNERID owner, DWORD_PTR param, DWORD priority) {
    if (!task) return E_INVALIDARG;
    {
        std::lock_guard guard(core_->lock);
        if (!core_->workerAlive && !StartWorker()) return E_OUTOFMEMORY;
        auto position = std::partition_point(core_->queue.begin(), core_->queue.end(),
                                             [priority](const QueuedTask& queued) { return queued.priority >= priority; });
        core_->queue.insert(position, QueuedTask{ComPtr<IRunnableTask>(task), owner, param, priority});
    }
    SetEvent(core_->wake.get());
    return S_OK;
}

STDMETHODIMP TTaskScheduler::RemoveTasks(REFTASKOWNERID owner, DWORD_PTR param, BOOL waitIfRunning) {
    const Selection selection{owner, param};
    bool withholding = false;
    HRESULT result = S_OK;
    // Tasks queued while we wait for the running one (by that task, or by
    // whatever handles the messages it sends) are removed too, so the loop ends
    // only when nothing selected is left.
    for (;;) {
        std::deque<QueuedTask> removed;
        ComPtr<IRunnableTask> running;
        std::shared_ptr<UniqueHandle> done;
        bool wakeWorker = false;
        {
            std::lock_guard guard(core_->lock);
            std::deque<QueuedTask> kept;
            for (QueuedTask& queued : core_->queue) {
                (selection.Selects(queued.owner, queued.param) ? removed : kept).push_back(std::move(queued));
            }
            core_->queue.swap(kept);

            std::optional<RunningTask>& current = core_->running;
            if (current && selection.Selects(current->owner, current->param)) {
                running = current->task;
                // A task removing its own kind cannot wait for itself.
                if (waitIfRunning && GetCurrentThreadId() != core_->workerId) {
                    if (!current->done) {
                        UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
                        if (event) {
                            current->done = std::make_shared<UniqueHandle>(std::move(event));
                        } else {
                            result = HRESULT_FROM_WIN32(GetLastError());
                        }
                    }
                    done = current->done;
                }
            }
            if (done && !withholding) {
                core_->withheld.push_back(&selection);
                withholding = true;
            } else if (!done && withholding) {
                std::erase(core_->withheld, &selection);
                withholding = false;
                wakeWorker = true;
            }
        }
        removed.clear();
        // Kill must not wait: a task that stops only after its SendMessageW to
        // this thread has been handled would deadlock; the wait below handles it.
        if (running) running->Kill(FALSE);
        running.reset();
        if (!done) {
            if (wakeWorker) SetEvent(core_->wake.get());
            return result;
        }
        WaitProcessingSentMessages(done->get(), INFINITE);
    }
}

STDMETHODIMP_(UINT) TTaskScheduler::CountTasks(REFTASKOWNERID owner) {
    std::lock_guard guard(core_->lock);
    const Selection selection{owner, ITSAT_DEFAULT_LPARAM};
    auto count = std::count_if(core_->queue.begin(), core_->queue.end(), [&selection](const QueuedTask& queued) {
        return selection.Selects(queued.owner, queued.param);
    });
    const std::optional<RunningTask>& current = core_->running;
    if (current && selection.Selects(current->owner, current->param)) ++count;
    return static_cast<UINT>(count);
}

STDMETHODIMP TTaskScheduler::Status(DWORD releaseStatus, DWORD threadTimeout) {
    {
        std::lock_guard guard(core_->lock);
        core_->releaseStatus = releaseStatus;
        if (threadTimeout != ITSS_THREAD_TIMEOUT_NO_CHANGE) core_->idleTimeout = threadTimeout;
    }
    // An idle worker picks up a new timeout at once rather than after the old one.
    SetEvent(core_->wake.get());
    return S_OK;
}

}  // namespace

ComPtr<IShellTaskScheduler> CreateOwnTaskScheduler() {
    return ComPtr<IShellTaskScheduler>::attach(new TTaskScheduler());
}
