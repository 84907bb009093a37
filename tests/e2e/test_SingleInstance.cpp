// End to end: the real ZEKO.exe runs once per user.

#include "app/uCmdLine.h"
#include "app/uReg.h"
#include "mainwnd/wMainWnd.h"
#include "tests/support/TestSettingsRoot.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The mark of the instance that ZekoProcess starts, kept apart from a user's.
bool MutexExists() {
    HANDLE mutex = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, InstanceMarkName(PrivateSettingsKeyPath()).c_str());
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

// A ZEKO the user has running holds the usual mark; the instance a test
// starts keeps to its own and comes up beside it instead of handing over.
TEST(SingleInstance, AnInstanceOfTheUsersOwnIsNeitherJoinedNorServed) {
    UniqueHandle users(CreateMutexW(nullptr, FALSE, InstanceMarkName(kSettingsRootPath).c_str()));
    ASSERT_TRUE(users);
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ZekoProcess first;
    HWND frame = WaitForVisibleFrame(first);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(MutexExists());
    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.waitForExit(20000));
}

// Folders made under the temporary folder for one test and removed after it.
class TemporaryFolders {
public:
    explicit TemporaryFolders(int count) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"zeko-instance-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(root_.c_str(), nullptr);
        for (int i = 1; i <= count; ++i) {
            names_.push_back(L"フォルダ" + std::to_wstring(i));
            CreateDirectoryW(path(i - 1).c_str(), nullptr);
        }
    }
    ~TemporaryFolders() {
        for (size_t i = 0; i < names_.size(); ++i) RemoveDirectoryW(path(i).c_str());
        RemoveDirectoryW(root_.c_str());
    }
    std::wstring path(size_t index) const { return root_ + L"\\" + names_[index]; }
    const std::vector<std::wstring>& names() const { return names_; }

private:
    std::wstring root_;
    std::vector<std::wstring> names_;
};

std::vector<std::wstring> ChildCaptions(HWND frame) {
    std::vector<std::wstring> captions;
    for (HWND child : ChildWindows(frame)) captions.push_back(WindowText(child));
    std::sort(captions.begin(), captions.end());
    return captions;
}

// Several starts let go at the same moment, as when the shell opens a
// selection of folders: each may find no instance yet, but only one may
// become it, and every folder must arrive there.
TEST(SingleInstance, FiveStartsAtTheSameMomentMakeOneFrameWithEveryFolder) {
    ASSERT_FALSE(MutexExists());
    TemporaryFolders folders(5);
    std::vector<std::unique_ptr<ZekoProcess>> starts;
    for (int i = 0; i < 5; ++i) {
        starts.push_back(std::make_unique<ZekoProcess>(L"\"" + folders.path(i) + L"\"", L"", true));
        ASSERT_TRUE(starts.back()->started());
    }
    for (auto& start : starts) start->resume();

    // The one that is left running is the instance; all others hand over and end.
    ZekoProcess* instance = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            size_t running = 0;
            for (auto& start : starts) {
                if (start->waitForExit(0)) continue;
                ++running;
                instance = start.get();
            }
            return running == 1;
        },
        60000));
    for (auto& start : starts)
        if (start.get() != instance) EXPECT_EQ(start->exitCode(), 0u);
    HWND frame = WaitForVisibleFrame(*instance);
    ASSERT_NE(frame, nullptr);

    std::vector<std::wstring> expected = folders.names();
    std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(WaitUntil([&] { return ChildCaptions(frame) == expected; }, 30000))
        << "folder windows: " << ChildCaptions(frame).size();
    EXPECT_EQ(FindTopLevelWindows(kFrameClassName).size(), 1u);

    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(instance->waitForExit(20000));
}

// The platform's shell parser faults on a name that starts with '/': a first
// start with such an argument must still come up, and go on serving.
TEST(SingleInstance, FirstStartWithASwitchLikeArgumentComesUpAndServes) {
    TemporaryFolders folders(1);
    ZekoProcess first(L"/? -h");
    HWND frame = WaitForVisibleFrame(first);
    ASSERT_NE(frame, nullptr);

    ZekoProcess second(L"\"" + folders.path(0) + L"\"");
    ASSERT_TRUE(second.waitForExit(15000));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::wstring> captions = ChildCaptions(frame);
            return std::count(captions.begin(), captions.end(), folders.names()[0]) == 1;
        },
        15000));
    EXPECT_FALSE(first.waitForExit(0));

    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.waitForExit(20000));
    EXPECT_EQ(first.exitCode(), 0u);
}

}  // namespace
