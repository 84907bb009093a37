// End to end: the real ZEKO.exe runs once per user.

#include "mainwnd/wMainWnd.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>

namespace {

bool MutexExists() {
    HANDLE mutex = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"ZEKO2");
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

TEST(SingleInstance, FirstStartShowsTheFrameTitledZEKOAndHoldsTheMutex) {
    ASSERT_FALSE(MutexExists());
    ZekoProcess first;
    ASSERT_TRUE(first.started());
    HWND frame = WaitForVisibleFrame(first);
    ASSERT_NE(frame, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(frame, title, 64);
    EXPECT_STREQ(title, L"ZEKO");
    EXPECT_TRUE(MutexExists());

    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.waitForExit(20000));
    EXPECT_EQ(first.exitCode(), 0u);
}

TEST(SingleInstance, SecondStartEndsAtOnceAndCreatesNoSecondFrame) {
    ZekoProcess first;
    HWND frame = WaitForVisibleFrame(first);
    ASSERT_NE(frame, nullptr);

    ZekoProcess second;
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(second.waitForExit(15000));
    EXPECT_EQ(FindTopLevelWindows(kFrameClassName, second.id()).size(), 0u);
    EXPECT_EQ(FindTopLevelWindows(kFrameClassName).size(), 1u);
    EXPECT_TRUE(IsWindow(frame));

    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.waitForExit(20000));
}

TEST(SingleInstance, ClosingTheFrameReleasesTheMutexSoTheNextStartRuns) {
    {
        ZekoProcess first;
        HWND frame = WaitForVisibleFrame(first);
        ASSERT_NE(frame, nullptr);
        PostMessageW(frame, WM_CLOSE, 0, 0);
        ASSERT_TRUE(first.waitForExit(20000));
    }
    EXPECT_FALSE(MutexExists());

    ZekoProcess next;
    HWND frame = WaitForVisibleFrame(next);
    ASSERT_NE(frame, nullptr);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(next.waitForExit(20000));
}

}  // namespace
