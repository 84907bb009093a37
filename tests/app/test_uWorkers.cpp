// Worker threads: a finished worker takes the next work, and work never waits
// behind other work that is still running.

#include "app/uWorkers.h"

#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

namespace {

constexpr DWORD kBound = 20000;

TEST(Workers, AFinishedWorkerTakesTheNextWorkAndBusyOnesLeaveItToANewOne) {
    std::atomic<DWORD> first{0}, second{0};
    ASSERT_TRUE(RunOnWorker([&] { first = GetCurrentThreadId(); }));
    ASSERT_TRUE(WaitUntil([&] { return first != 0 && IdleWorkers() == 1; }, kBound));
    ASSERT_TRUE(RunOnWorker([&] { second = GetCurrentThreadId(); }));
    ASSERT_TRUE(WaitUntil([&] { return second != 0; }, kBound));
    EXPECT_EQ(second.load(), first.load());

    // The first work waits for the second: run one after the other on one thread, it would time out.
    HANDLE secondRan = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> waited{-1};
    ASSERT_TRUE(RunOnWorker([&] { waited = WaitForSingleObject(secondRan, kBound) == WAIT_OBJECT_0; }));
    ASSERT_TRUE(RunOnWorker([&] { SetEvent(secondRan); }));
    ASSERT_TRUE(WaitUntil([&] { return waited >= 0; }, kBound));
    EXPECT_EQ(waited.load(), 1);
    EXPECT_TRUE(WaitUntil([] { return IdleWorkers() == 2; }, kBound));
    CloseHandle(secondRan);
}

}  // namespace
