// Worker threads: a finished worker takes the next work, and work never waits
// behind other work that is still running.

#include "app/uWorkers.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

namespace {

constexpr DWORD kBound = 20000;

template <typename Condition>
bool WaitFor(Condition condition) {
    const ULONGLONG until = GetTickCount64() + kBound;
    while (!condition()) {
        if (GetTickCount64() > until) return false;
        Sleep(1);
    }
    return true;
}

TEST(Workers, AFinishedWorkerTakesTheNextWorkAndBusyOnesLeaveItToANewOne) {
    std::atomic<DWORD> first{0}, second{0};
    ASSERT_TRUE(RunOnWorker([&] { first = GetCurrentThreadId(); }));
    ASSERT_TRUE(WaitFor([&] { return first != 0 && IdleWorkers() == 1; }));
    ASSERT_TRUE(RunOnWorker([&] { second = GetCurrentThreadId(); }));
    ASSERT_TRUE(WaitFor([&] { return second != 0; }));
    EXPECT_EQ(second.load(), first.load());

    // The first work waits for the second: run one after the other on one thread, it would time out.
    HANDLE secondRan = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> waited{-1};
    ASSERT_TRUE(RunOnWorker([&] { waited = WaitForSingleObject(secondRan, kBound) == WAIT_OBJECT_0; }));
    ASSERT_TRUE(RunOnWorker([&] { SetEvent(secondRan); }));
    ASSERT_TRUE(WaitFor([&] { return waited >= 0; }));
    EXPECT_EQ(waited.load(), 1);
    EXPECT_TRUE(WaitFor([] { return IdleWorkers() == 2; }));
    CloseHandle(secondRan);
}

}  // namespace
