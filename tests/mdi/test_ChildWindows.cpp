// Child windows: how they open, find an open folder, close and lock.

#include "MdiTestFrame.h"

#include "app/Global.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kWindows = L"C:\\windows";
const std::wstring kSystem32 = L"C:\\windows\\system32";

class ChildWindow : public MdiTest {
protected:
    // Four search-result children (tabs 0 to 3); the last is active.
    std::vector<HWND> OpenFour() {
        std::vector<HWND> children;
        for (int i = 0; i < 4; ++i) children.push_back(OpenSearchChild());
        return children;
    }

    // Activates child `index` of `children` and closes it; answers the new active child.
    HWND CloseActive(const std::vector<HWND>& children, int index) {
        SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(children[index]), 0);
        EXPECT_EQ(ActiveChild(), children[index]);
        SendMessageW(children[index], WM_CLOSE, 0, 0);
        PumpMessages();
        EXPECT_FALSE(IsWindow(children[index]));
        return ActiveChild();
    }
};

TEST_F(ChildWindow, TheFirstFolderWindowOpensMaximised) {
    HWND child = OpenFolderChild(kWindows);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(IsZoomed(child));
    EXPECT_EQ(ActiveChild(), child);
    // A maximised child's caption shows in the frame's.
    wchar_t caption[256] = {};
    GetWindowTextW(frame_, caption, ARRAYSIZE(caption));
    EXPECT_NE(std::wstring(caption).find(L"[windows]"), std::wstring::npos) << caption;
    // It follows a navigation, and no child behind it changes it.
    ChildFolderView(child)->BrowseTo(PidlOf(kSystem32).release(), true, nullptr);
    GetWindowTextW(frame_, caption, ARRAYSIZE(caption));
    EXPECT_STREQ(caption, L"ZEKO - [system32]");
    HWND behind = OpenFolderChild(kWindows, false);
    ASSERT_NE(behind, nullptr);
    ChildFolderView(behind)->BrowseTo(PidlOf(L"C:\\windows\\fonts").release(), true, nullptr);
    GetWindowTextW(frame_, caption, ARRAYSIZE(caption));
    EXPECT_STREQ(caption, L"ZEKO - [system32]");
    // Restored, the frame shows its own caption alone.
    SendMessageW(FrameLink().mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
    GetWindowTextW(frame_, caption, ARRAYSIZE(caption));
    EXPECT_STREQ(caption, L"ZEKO");
}

TEST_F(ChildWindow, ASecondWindowOpensMaximisedOverAMaximisedOne) {
    OpenFolderChild(kWindows);
    HWND second = OpenFolderChild(kSystem32);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(IsZoomed(second));
    EXPECT_EQ(ActiveChild(), second);
}

TEST_F(ChildWindow, AWindowOpensRestoredOverARestoredOne) {
    HWND first = OpenFolderChild(kWindows);
    SendMessageW(FrameLink().mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(first), 0);
    ASSERT_FALSE(IsZoomed(first));
    HWND second = OpenFolderChild(kSystem32);
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(IsZoomed(second));
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_EQ(ActiveChild(), second);
}

TEST_F(ChildWindow, ChildStylesOfTheNormalMode) {
    HWND child = OpenSearchChild();
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(child, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_TRUE(exStyle & WS_EX_MDICHILD);
    EXPECT_FALSE(exStyle & WS_EX_TOOLWINDOW);
}

class ChildWindowInSplitMode : public MdiTest {
protected:
    ChildWindowInSplitMode() : MdiTest(3) {}
};

class ChildWindowInTabMode : public MdiTest {
protected:
    ChildWindowInTabMode() : MdiTest(1) {}
};

TEST_F(ChildWindowInSplitMode, ChildrenHaveACaptionWithoutSizingFrame) {
    HWND child = OpenSearchChild();
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(IsZoomed(child));
    EXPECT_TRUE(GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST_F(ChildWindow, ABackgroundWindowLeavesTheActiveOneActive) {
    HWND first = OpenFolderChild(kWindows);
    HWND second = OpenFolderChild(kSystem32, false);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ActiveChild(), first);
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_TRUE(IsZoomed(first));
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(SelectedTab(), 0);
    EXPECT_TRUE(IsFolder(ChildFolder(second), kSystem32));
    // Behind the active child, not over it.
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
}

TEST_F(ChildWindow, TheFirstWindowIsActivatedEvenInTheBackground) {
    HWND child = OpenFolderChild(kWindows, false);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(ActiveChild(), child);
    EXPECT_TRUE(IsZoomed(child));
}

TEST_F(ChildWindow, AFolderWindowWithoutAFolderIsNotOpened) {
    EXPECT_EQ(OpenChildWindow(nullptr, true, nullptr, ContentFolder), nullptr);
    EXPECT_EQ(TabCount(), 0);
}

TEST_F(ChildWindow, OpeningAnOpenFolderActivatesItsTab) {
    HWND windows = OpenFolderChild(kWindows);
    OpenFolderChild(kSystem32);
    EXPECT_EQ(OpenFolderChild(kWindows), nullptr);
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(ActiveChild(), windows);
    EXPECT_EQ(SelectedTab(), 0);
}

TEST_F(ChildWindow, FindOpenFolderWithoutActivatingLeavesTheActiveChild) {
    OpenFolderChild(kWindows);
    HWND system32 = OpenFolderChild(kSystem32);
    EXPECT_TRUE(FindOpenFolder(PidlOf(kWindows).get(), false, nullptr));
    EXPECT_EQ(ActiveChild(), system32);
    EXPECT_FALSE(FindOpenFolder(PidlOf(L"C:\\windows\\fonts").get(), true, nullptr));
}

TEST_F(ChildWindow, DuplicatesAllowedOpenASecondTab) {
    FolderViewConfig().AllowSameFolder = true;
    OpenFolderChild(kWindows);
    HWND second = OpenFolderChild(kWindows);
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(TabCount(), 2);
}

TEST_F(ChildWindow, ClosePosFirstActivatesTheFirstTab) {
    TabBar().settings.closePos = 1;
    std::vector<HWND> c = OpenFour();
    EXPECT_EQ(CloseActive(c, 2), c[0]);
}

TEST_F(ChildWindow, ClosePosFirstActivatesTheSecondWhenTheFirstCloses) {
    TabBar().settings.closePos = 1;
    std::vector<HWND> c = OpenFour();
    EXPECT_EQ(CloseActive(c, 0), c[1]);
}

TEST_F(ChildWindow, ClosePosLastActivatesTheLastTab) {
    TabBar().settings.closePos = 2;
    std::vector<HWND> c = OpenFour();
    EXPECT_EQ(CloseActive(c, 1), c[3]);
}

TEST_F(ChildWindow, ClosePosLastActivatesTheOneBeforeWhenTheLastCloses) {
    TabBar().settings.closePos = 2;
    std::vector<HWND> c = OpenFour();
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(c[0]), 0);
    EXPECT_EQ(CloseActive(c, 3), c[2]);
}

TEST_F(ChildWindow, ClosePosLeftActivatesTheLeftNeighbour) {
    TabBar().settings.closePos = 3;
    std::vector<HWND> c = OpenFour();
    EXPECT_EQ(CloseActive(c, 2), c[1]);
}

TEST_F(ChildWindow, ClosePosLeftActivatesTheSecondWhenTheFirstCloses) {
    TabBar().settings.closePos = 3;
    std::vector<HWND> c = OpenFour();
    EXPECT_EQ(CloseActive(c, 0), c[1]);
}

TEST_F(ChildWindow, ClosePosRightActivatesTheRightNeighbour) {
    TabBar().settings.closePos = 4;
    std::vector<HWND> c = OpenFour();
    EXPECT_EQ(CloseActive(c, 1), c[2]);
}

TEST_F(ChildWindow, ClosingTheLastTabWithClosePosRightActivatesItsLeftNeighbour) {
    TabBar().settings.closePos = 4;
    std::vector<HWND> c = OpenFour();
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(c[0]), 0);
    EXPECT_EQ(CloseActive(c, 3), c[2]);
}

TEST_F(ChildWindow, ClosingAnInactiveChildKeepsTheActiveOne) {
    TabBar().settings.closePos = 1;
    std::vector<HWND> c = OpenFour();
    SendMessageW(c[1], WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(c[1]));
    EXPECT_EQ(ActiveChild(), c[3]);
}

TEST_F(ChildWindow, ALockedChildRefusesToClose) {
    HWND child = OpenSearchChild();
    SetNavigateLock(*ChildViewOf(child), true);
    SendMessageW(child, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(TabCount(), 1);
}

TEST_F(ChildWindow, NavigateLockCloseLetsALockedChildClose) {
    FrameConfig().navigateLockClose = true;
    HWND child = OpenSearchChild();
    SetNavigateLock(*ChildViewOf(child), true);
    SendMessageW(child, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(TabCount(), 0);
}

TEST_F(ChildWindow, ClosingRecordsTheFolderButNotSearchResults) {
    App().closedFolders->Clear();
    HWND folder = OpenFolderChild(kSystem32);
    HWND search = OpenSearchChild();
    SendMessageW(search, WM_CLOSE, 0, 0);
    EXPECT_EQ(App().closedFolders->Count(), 0);
    SendMessageW(folder, WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_EQ(App().closedFolders->Count(), 1);
    EXPECT_TRUE(IsFolder(StoredFolder(App().closedFolders->Get(0)), kSystem32));
}

TEST_F(ChildWindow, ARefusedCloseRecordsNothing) {
    App().closedFolders->Clear();
    HWND folder = OpenFolderChild(kSystem32);
    SetNavigateLock(*ChildViewOf(folder), true);
    SendMessageW(folder, WM_CLOSE, 0, 0);
    EXPECT_EQ(App().closedFolders->Count(), 0);
}

TEST_F(ChildWindowInTabMode, MinimiseAndRestoreAreSwallowed) {
    HWND child = OpenSearchChild();
    ASSERT_TRUE(IsZoomed(child));
    SendMessageW(child, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageW(child, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(child));
    EXPECT_TRUE(IsZoomed(child));
}

TEST_F(ChildWindow, NormalModeLetsTheSystemMenuMinimise) {
    HWND child = OpenSearchChild();
    SendMessageW(child, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(child));
}

TEST_F(ChildWindow, ASearchResultsChildIsNamedSearchResults) {
    HWND child = OpenSearchChild();
    wchar_t text[64] = {};
    GetWindowTextW(child, text, 64);
    EXPECT_STREQ(text, L"検索結果");
    EXPECT_EQ(TabText(0), L"検索結果");
    EXPECT_EQ(ChildViewOf(child)->ContentKind, ContentSearch);
    EXPECT_EQ(ChildFolderView(child), nullptr);
    EXPECT_EQ(ChildFolder(child), nullptr);
    EXPECT_EQ(ActiveChildView(), ChildViewOf(child));
}

TEST_F(ChildWindow, AFolderChildAnswersItsFolderViewAndList) {
    HWND child = OpenFolderChild(kWindows);
    TFolderView* folderView = ChildFolderView(child);
    ASSERT_NE(folderView, nullptr);
    EXPECT_EQ(ActiveFolderView(), folderView);
    EXPECT_EQ(ChildListView(child), folderView->ListView);
    EXPECT_TRUE(IsFolderViewList(folderView->ListView));
    EXPECT_FALSE(IsFolderViewList(child));
    EXPECT_TRUE(IsFolder(ChildFolder(), kWindows));
}

TEST_F(ChildWindow, TheFolderListFillsTheChild) {
    HWND child = OpenFolderChild(kWindows);
    RECT client{};
    GetClientRect(child, &client);
    RECT list{};
    GetWindowRect(ChildListView(child), &list);
    EXPECT_EQ(list.right - list.left, client.right);
    EXPECT_EQ(list.bottom - list.top, client.bottom);
}

}  // namespace
