// The directory watcher: what it reports for changes made by this process,
// by other processes and outside Wine, and how it reaches its window.

#include "FolderTestSupport.h"

#include "shell/uDirWatcher.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

constexpr UINT kSignal = WM_APP + 77;
// Generous: only a broken watcher takes this long, a loaded machine does not.
constexpr DWORD kWait = 30000;

// A message-only window that counts the watcher's signals.
class SignalWindow {
public:
    SignalWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZekoDirWatcherTest";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~SignalWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }
    int signals = 0;
    LPARAM lastLParam = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kSignal) {
            auto* self = reinterpret_cast<SignalWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (self) {
                ++self->signals;
                self->lastLParam = lParam;
            }
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};

class DirWatcherTest : public testing::Test {
protected:
    void SetUp() override {
        watched_ = folder_ / L"watched";
        ASSERT_TRUE(MakeDirectory(watched_));
        watcher_ = TDirWatcher::Start(watched_, window_.hwnd(), kSignal, 0, 1234);
        ASSERT_NE(watcher_, nullptr);
    }

    // Waits until the changes waiting untaken satisfy `wanted`, taking none.
    bool WaitForPending(const std::function<bool(const std::vector<DirChange>&)>& wanted) {
        return WaitUntil([&] { return wanted(watcher_->PendingChanges()); }, kWait);
    }

    // Collects changes (while pumping messages) until one satisfies `wanted`.
    bool WaitFor(const std::function<bool(const DirChange&)>& wanted) {
        return WaitUntil(
            [&] {
                for (DirChange& change : watcher_->TakeChanges()) seen_.push_back(std::move(change));
                return std::any_of(seen_.begin(), seen_.end(), wanted);
            },
            kWait);
    }
    bool WaitFor(DirChange::Kind kind, const std::wstring& name, const std::wstring& newName = {}) {
        return WaitFor([&](const DirChange& c) {
            return c.kind == kind && c.name == name && (newName.empty() || c.newName == newName);
        });
    }

    TempFolder folder_;
    std::wstring watched_;
    SignalWindow window_;
    std::unique_ptr<TDirWatcher> watcher_;
    std::vector<DirChange> seen_;
};

TEST_F(DirWatcherTest, ReportsAFileCreatedWithCreateFile) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\new.txt"));
    EXPECT_TRUE(WaitFor(DirChange::Added, L"new.txt"));
}

TEST_F(DirWatcherTest, PostsItsSignalToTheWindowWithTheGivenParameter) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\a.txt"));
    EXPECT_TRUE(WaitUntil([&] { return window_.signals > 0; }, kWait));
    EXPECT_EQ(window_.lastLParam, 1234);
}

TEST_F(DirWatcherTest, SignalsOnceWhileChangesWaitUntaken) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\a.txt"));
    ASSERT_TRUE(WaitUntil([&] { return window_.signals > 0; }, kWait));
    ASSERT_TRUE(MakeFile(watched_ + L"\\b.txt"));
    ASSERT_TRUE(MakeFile(watched_ + L"\\c.txt"));
    ASSERT_TRUE(WaitForPending([](const std::vector<DirChange>& pending) {
        return std::any_of(pending.begin(), pending.end(),
                           [](const DirChange& c) { return c.kind == DirChange::Added && c.name == L"c.txt"; });
    }));
    // A signal for b would have been posted before c was queued: delivering
    // what the window's queue holds now brings it in if there is one.
    WaitUntil([] { return HIWORD(GetQueueStatus(QS_POSTMESSAGE)) == 0; }, kWait);
    EXPECT_EQ(window_.signals, 1);
    watcher_->TakeChanges();
    ASSERT_TRUE(MakeFile(watched_ + L"\\d.txt"));
    EXPECT_TRUE(WaitUntil([&] { return window_.signals == 2; }, kWait));
}

TEST_F(DirWatcherTest, ReportsARenameAsOneChangeWithBothNames) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\old.txt"));
    ASSERT_TRUE(WaitFor(DirChange::Added, L"old.txt"));
    ASSERT_TRUE(MoveFileW((watched_ + L"\\old.txt").c_str(), (watched_ + L"\\new.txt").c_str()));
    EXPECT_TRUE(WaitFor(DirChange::Renamed, L"old.txt", L"new.txt"));
}

TEST_F(DirWatcherTest, ReportsADeletedFile) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\gone.txt"));
    ASSERT_TRUE(WaitFor(DirChange::Added, L"gone.txt"));
    ASSERT_TRUE(DeleteFileW((watched_ + L"\\gone.txt").c_str()));
    EXPECT_TRUE(WaitFor(DirChange::Removed, L"gone.txt"));
}

TEST_F(DirWatcherTest, ReportsAFileWrittenToAsModified) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\data.bin"));
    ASSERT_TRUE(WaitFor(DirChange::Added, L"data.bin"));
    ASSERT_TRUE(MakeFile(watched_ + L"\\data.bin", 4096));
    EXPECT_TRUE(WaitFor(DirChange::Modified, L"data.bin"));
}

TEST_F(DirWatcherTest, ReportsFilesMadeByAnotherProcess) {
    ASSERT_TRUE(RunProcess(L"cmd.exe /c echo hello> \"" + watched_ + L"\\other.txt\""));
    ASSERT_TRUE(Exists(watched_ + L"\\other.txt"));
    EXPECT_TRUE(WaitFor(DirChange::Added, L"other.txt"));
}

TEST_F(DirWatcherTest, ReportsJapaneseNamesExactly) {
    const std::wstring name = L"日本語のファイル.txt";
    ASSERT_TRUE(MakeFile(watched_ + L"\\" + name));
    EXPECT_TRUE(WaitFor(DirChange::Added, name));
}

TEST_F(DirWatcherTest, ReportsTheWatchedFolderRenamedWithItsNewPath) {
    const std::wstring renamed = folder_ / L"renamed";
    ASSERT_TRUE(MoveFileW(watched_.c_str(), renamed.c_str()));
    EXPECT_TRUE(WaitFor([&](const DirChange& c) {
        return c.kind == DirChange::SelfRenamed && _wcsicmp(c.newName.c_str(), renamed.c_str()) == 0;
    }));
}

TEST_F(DirWatcherTest, ReportsTheWatchedFolderDeleted) {
    ASSERT_TRUE(RemoveDirectoryW(watched_.c_str()));
    EXPECT_TRUE(WaitFor([](const DirChange& c) { return c.kind == DirChange::SelfRemoved; }));
    // The watcher must not keep a deleted folder alive.
    EXPECT_FALSE(Exists(watched_));
}

TEST_F(DirWatcherTest, DoesNotTakeAFolderThatStillExistsForDeleted) {
    // A sibling with another name goes; the watched folder stays.
    ASSERT_TRUE(MakeDirectory(folder_ / L"sibling"));
    ASSERT_TRUE(RemoveDirectoryW((folder_ / L"sibling").c_str()));
    ASSERT_TRUE(MakeFile(watched_ + L"\\marker.txt"));
    ASSERT_TRUE(WaitFor(DirChange::Added, L"marker.txt"));
    EXPECT_TRUE(std::none_of(seen_.begin(), seen_.end(), [](const DirChange& c) {
        return c.kind == DirChange::SelfRemoved || c.kind == DirChange::SelfRenamed;
    }));
}

TEST_F(DirWatcherTest, ManyUntakenChangesCollapseIntoOneOverflow) {
    for (int i = 0; i < static_cast<int>(TDirWatcher::MaxQueued) + 100; ++i)
        ASSERT_TRUE(MakeFile(watched_ + L"\\f" + std::to_wstring(i) + L".txt"));
    // Nothing is taken meanwhile, so the queue must end in the overflow.
    EXPECT_TRUE(WaitForPending([](const std::vector<DirChange>& pending) {
        return !pending.empty() && pending.back().kind == DirChange::Overflow;
    }));
    const std::vector<DirChange> changes = watcher_->TakeChanges();
    ASSERT_FALSE(changes.empty());
    EXPECT_LE(changes.size(), TDirWatcher::MaxQueued);
    EXPECT_EQ(changes.back().kind, DirChange::Overflow);
}

// Destruction ends the thread on its stop request alone: it waits neither
// for another change nor for a read that never completes.
TEST_F(DirWatcherTest, DestructionEndsWithoutAnotherChange) {
    ASSERT_TRUE(MakeFile(watched_ + L"\\x.txt"));
    ASSERT_TRUE(WaitFor(DirChange::Added, L"x.txt"));
    UniqueHandle destroyed(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread destroyer([&] {
        watcher_.reset();
        SetEvent(destroyed.get());
    });
    const bool ended = WaitForSingleObject(destroyed.get(), kWait) == WAIT_OBJECT_0;
    // A watcher that hangs is left to its thread rather than hanging the test.
    ended ? destroyer.join() : destroyer.detach();
    EXPECT_TRUE(ended);
}

TEST_F(DirWatcherTest, CannotWatchAFolderThatDoesNotExist) {
    EXPECT_EQ(TDirWatcher::Start(folder_ / L"missing", window_.hwnd(), kSignal, 0, 0), nullptr);
}

TEST_F(DirWatcherTest, ReportsChangesMadeOutsideWine) {
    if (!CanRunUnixCommands()) GTEST_SKIP() << "Unix commands run only under Wine";
    const std::string dir = UnixPath(watched_);
    ASSERT_FALSE(dir.empty());
    ASSERT_TRUE(RunUnixShell("touch '" + dir + "/linux.txt'"));
    EXPECT_TRUE(WaitFor(DirChange::Added, L"linux.txt"));
    ASSERT_TRUE(RunUnixShell("mv '" + dir + "/linux.txt' '" + dir + "/moved.txt'"));
    EXPECT_TRUE(WaitFor(DirChange::Renamed, L"linux.txt", L"moved.txt"));
    ASSERT_TRUE(RunUnixShell("rm '" + dir + "/moved.txt'"));
    EXPECT_TRUE(WaitFor(DirChange::Removed, L"moved.txt"));
}

TEST_F(DirWatcherTest, ReportsAChangeMadeWhileItsHandlesAreRenewed) {
    // Renewed on every turn of its loop, the handles are closed and opened
    // again around each change; a change that falls between two handles is
    // reported as an overflow, which makes the folder read again.
    watcher_ = TDirWatcher::Start(watched_, window_.hwnd(), kSignal, 0, 1234, 0);
    ASSERT_NE(watcher_, nullptr);
    for (int i = 0; i < 20; ++i) {
        const std::wstring name = L"round" + std::to_wstring(i) + L".txt";
        ASSERT_TRUE(MakeFile(watched_ + L"\\" + name));
        seen_.clear();
        EXPECT_TRUE(WaitFor([&](const DirChange& c) {
            return (c.kind == DirChange::Added && c.name == name) || c.kind == DirChange::Overflow;
        })) << i;
    }
}

TEST_F(DirWatcherTest, ReportsTheWatchedFolderRemovedByAnotherProcess) {
    ASSERT_TRUE(RunProcess(L"cmd.exe /c rd \"" + watched_ + L"\""));
    EXPECT_TRUE(WaitFor([](const DirChange& c) { return c.kind == DirChange::SelfRemoved; }));
    EXPECT_FALSE(Exists(watched_));
}

TEST_F(DirWatcherTest, ReportsTheWatchedFolderRemovedOutsideWine) {
    if (!CanRunUnixCommands()) GTEST_SKIP() << "Unix commands run only under Wine";
    ASSERT_TRUE(RunUnixShell("rmdir '" + UnixPath(watched_) + "'"));
    EXPECT_TRUE(WaitFor([](const DirChange& c) { return c.kind == DirChange::SelfRemoved; }));
}

}  // namespace
