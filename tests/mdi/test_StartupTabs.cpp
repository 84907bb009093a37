// The folders a start opens (the tabs of the last exit or the start-up
// folders) and the exit's saving of the tabs.

#include "MdiTestFrame.h"

#include "app/Global.h"
#include "app/UtilClass.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "folderview/uFillJob.h"
#include "folderview/wFolderView.h"
#include "mdi/uStartupTabs.h"
#include "mdi/wMDITab.h"
#include "tests/support/ZekoProcess.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// A folder whose listing does not answer until released, as a share that
// cannot be reached; the binder runs on the fill's worker.
std::wstring g_heldPath;
HANDLE g_release = nullptr;

HRESULT BindHoldingOneFolder(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    *folder = nullptr;
    if (IsFolder(absolute, g_heldPath)) WaitForSingleObject(g_release, INFINITE);
    return PIDLBindFolder(absolute, folder) ? S_OK : E_FAIL;
}

void WriteRoot(const BoolSetting& setting, bool value) {
    UniqueRegKey root;
    ASSERT_TRUE(SettingsCreate(SettingsArea::Root, root));
    SettingsWrite(root.get(), setting, value);
}

void WriteFolders(const wchar_t* subkey, const std::vector<std::wstring>& paths) {
    UniqueRegKey root;
    ASSERT_TRUE(SettingsCreate(SettingsArea::Root, root));
    TPIDLList list(true);
    for (const std::wstring& path : paths) list.Add(PidlOf(path).release());
    list.SaveList(root.get(), subkey);
}

std::vector<std::wstring> TabPaths() {
    std::vector<std::wstring> paths;
    for (int i = 0; i < TabCount(); ++i) paths.push_back(ShownPath(TabChild(i)));
    return paths;
}

std::vector<bool> TabLocks() {
    std::vector<bool> locks;
    for (int i = 0; i < TabCount(); ++i) locks.push_back(ChildViewOf(TabChild(i))->NavigateLock);
    return locks;
}

// The fills and the replay's folders come through messages: this pumps them.
bool WaitFor(const std::function<bool()>& condition) { return WaitUntil(condition, 30000); }

// The frame is made by each test once it has written the settings that the
// start reads.
class StartupTabs : public MdiTest {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folders_ = std::filesystem::path(temp) / (L"zeko-startup-" + std::to_wstring(GetCurrentProcessId()));
        for (int i = 0; i < 3; ++i) {
            const std::filesystem::path folder = folders_ / (L"s" + std::to_wstring(i));
            std::filesystem::create_directories(folder);
            std::ofstream(folder / L"item.txt") << "x";
            paths_.push_back(folder.wstring());
        }
        // The test's own command line has arguments.
        WriteRoot(RootSettings::StopCmd, false);
    }
    void TearDown() override {
        MdiTest::TearDown();
        RemoveTree(folders_.wstring());
    }
    void Start() {
        MdiTest::SetUp();
        // The tabs behind the active one open once the frame has shown.
        ASSERT_TRUE(WaitFor([] { return !StartupReplayPending(); }));
    }

    std::filesystem::path folders_;
    std::vector<std::wstring> paths_;
};

TEST_F(StartupTabs, StartupFoldersOpenInOrderLockedWithTheFirstActive) {
    WriteRoot(RootSettings::Startup, true);
    WriteRoot(RootSettings::StartupLock, true);
    WriteFolders(SettingsArea::StartupPIDLs, paths_);
    Start();
    EXPECT_EQ(TabPaths(), paths_);
    EXPECT_EQ(TabLocks(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(ActiveChild(), TabChild(0));
}

TEST_F(StartupTabs, SavedTabsComeBeforeTheStartupFolders) {
    WriteRoot(RootSettings::SaveTab, true);
    WriteRoot(RootSettings::Startup, true);
    WriteFolders(SettingsArea::PIDLs, {paths_[2]});
    WriteFolders(SettingsArea::StartupPIDLs, {paths_[0], paths_[1]});
    Start();
    EXPECT_EQ(TabPaths(), std::vector<std::wstring>{paths_[2]});
}

TEST_F(StartupTabs, ArgumentsWithStopCmdOpenNoSavedTab) {
    WriteRoot(RootSettings::SaveTab, true);
    WriteRoot(RootSettings::StopCmd, true);
    WriteFolders(SettingsArea::PIDLs, paths_);
    EXPECT_TRUE(LoadStartupFolders(true).folders.empty());
    EXPECT_EQ(LoadStartupFolders(false).folders.size(), 3u);
    WriteRoot(RootSettings::StopCmd, false);
    EXPECT_EQ(LoadStartupFolders(true).folders.size(), 3u);
}

TEST_F(StartupTabs, TheSavedRowComesBackInOrderWhateverAddPosSays) {
    UniqueRegKey tab;
    ASSERT_TRUE(SettingsCreate(SettingsArea::Tab, tab));
    SettingsWriteInt(tab.get(), L"AddPos", 0);
    WriteRoot(RootSettings::SaveTab, true);
    WriteFolders(SettingsArea::PIDLs, paths_);
    Start();
    EXPECT_EQ(TabPaths(), paths_);
    EXPECT_EQ(TabBar().settings.addPos, 0) << "the user's AddPos is back once the replay ends";
}

// The replay as the frame's creation starts it: the active folder (the
// second) opens at once, the others wait for the frame to show.
StartupFolders SecondActiveThirdLocked(const std::vector<std::wstring>& paths) {
    StartupFolders startup;
    for (const std::wstring& path : paths) {
        startup.folders.push_back(PidlOf(path));
        startup.locks.push_back(startup.locks.size() == 2);
    }
    startup.active = 1;
    return startup;
}

TEST_F(StartupTabs, TheActiveTabOpensFirstAndTheOthersTakeTheirSavedPlacesAroundALaterTab) {
    Start();
    const std::wstring argument = (folders_ / L"argument").wstring();
    std::filesystem::create_directories(argument);
    FrameLink().interactive = false;
    OpenStartupFolders(SecondActiveThirdLocked(paths_));
    EXPECT_EQ(TabPaths(), std::vector<std::wstring>{paths_[1]});
    EXPECT_FALSE(FrameLink().interactive);
    // A command-line argument opens before the frame's first messages.
    OpenChildWindow(PidlOf(argument).release(), true, nullptr, ContentFolder);
    ASSERT_TRUE(WaitFor([] { return !StartupReplayPending(); }));
    EXPECT_EQ(TabPaths(), (std::vector<std::wstring>{paths_[0], paths_[1], paths_[2], argument}));
    EXPECT_EQ(TabLocks(), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(ActiveChild(), TabChild(3));
    EXPECT_TRUE(FrameLink().interactive);
}

TEST_F(StartupTabs, AnExitBeforeTheTabsBehindTheActiveOneOpenSavesTheWholeRow) {
    WriteRoot(RootSettings::SaveTab, true);
    Start();
    OpenStartupFolders(SecondActiveThirdLocked(paths_));
    ASSERT_TRUE(StartupReplayPending());
    UniqueRegKey root;
    ASSERT_TRUE(SettingsCreate(SettingsArea::Root, root));
    SaveOpenTabs(root.get());
    TPIDLList saved(true);
    saved.LoadList(root.get(), SettingsArea::PIDLs);
    ASSERT_EQ(saved.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(IsFolder(StoredFolder(saved.Get(i)), paths_[i]));
    EXPECT_EQ(SettingsRead(root.get(), RootSettings::ActiveTab), 1);
    EXPECT_EQ(SettingsReadBinary(root.get(), RootSettings::NavigateLocks), (std::vector<std::uint8_t>{0, 0, 1}));
}

TEST_F(StartupTabs, ShellDialogsWaitForTheEndOfTheReplayUnlessDialogControlIsOff) {
    Start();
    FrameLink().interactive = false;
    StartupFolders startup = LoadStartupFolders(false);
    EXPECT_FALSE(FrameLink().interactive);
    OpenStartupFolders(std::move(startup));
    EXPECT_TRUE(FrameLink().interactive);

    FrameLink().interactive = false;
    WriteRoot(RootSettings::DialogControl, false);
    LoadStartupFolders(false);
    EXPECT_TRUE(FrameLink().interactive);
}

TEST_F(StartupTabs, AFolderThatDoesNotAnswerHoldsNeitherTheStartNorTheOtherTabs) {
    WriteRoot(RootSettings::SaveTab, true);
    WriteFolders(SettingsArea::PIDLs, paths_);
    g_heldPath = paths_[1];
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetFillFolderBinder(BindHoldingOneFolder);
    TFolderView::SetSynchronousFillLimit(60);
    Start();
    EXPECT_EQ(TabPaths(), paths_) << "every tab is there while one folder has not answered";
    EXPECT_TRUE(WaitFor([&] {
        return ListView_GetItemCount(ChildListView(TabChild(0))) == 1 &&
               ListView_GetItemCount(ChildListView(TabChild(2))) == 1;
    }));
    EXPECT_EQ(ListView_GetItemCount(ChildListView(TabChild(1))), 0);

    SetEvent(g_release);
    EXPECT_TRUE(WaitFor([&] { return ListView_GetItemCount(ChildListView(TabChild(1))) == 1; }));
    EXPECT_TRUE(WaitFor([] { return TFillJob::Running() == 0; }));
    SetFillFolderBinder(nullptr);
    TFolderView::SetSynchronousFillLimit(INFINITE);
    CloseHandle(g_release);
    g_release = nullptr;
}

TEST_F(StartupTabs, TheExitSavesFolderTabsOnlyWithTheFocusedOneAndItsLock) {
    WriteRoot(RootSettings::SaveTab, true);
    Start();
    OpenFolderChild(paths_[0]);
    OpenSearchChild();
    HWND last = OpenFolderChild(paths_[1]);
    SetNavigateLock(*ChildViewOf(last), true);
    ASSERT_EQ(ActiveChild(), last);

    UniqueRegKey root;
    ASSERT_TRUE(SettingsCreate(SettingsArea::Root, root));
    SaveOpenTabs(root.get());
    EXPECT_EQ(SettingsRead(root.get(), RootSettings::ActiveTab), 1);
    EXPECT_EQ(SettingsReadBinary(root.get(), RootSettings::NavigateLocks), (std::vector<std::uint8_t>{0, 1}));
    TPIDLList saved(true);
    saved.LoadList(root.get(), SettingsArea::PIDLs);
    ASSERT_EQ(saved.Count(), 2);
    EXPECT_TRUE(IsFolder(StoredFolder(saved.Get(0)), paths_[0]));
    EXPECT_TRUE(IsFolder(StoredFolder(saved.Get(1)), paths_[1]));
}

TEST_F(StartupTabs, WithoutSaveTabTheExitRecordsTheTabsAndStoresNoRow) {
    WriteFolders(SettingsArea::PIDLs, paths_);
    Start();
    App().closedFolders->Clear();
    OpenFolderChild(paths_[0]);
    OpenFolderChild(paths_[1]);
    UniqueRegKey root;
    ASSERT_TRUE(SettingsCreate(SettingsArea::Root, root));
    SaveOpenTabs(root.get());
    UniqueRegKey stale;
    EXPECT_FALSE(SettingsOpen(SettingsArea::PIDLs, stale)) << "an earlier run's row is deleted";
    ASSERT_EQ(App().closedFolders->Count(), 2);
    EXPECT_TRUE(IsFolder(StoredFolder(App().closedFolders->Get(0)), paths_[1]));
    EXPECT_TRUE(IsFolder(StoredFolder(App().closedFolders->Get(1)), paths_[0]));
}

}  // namespace
