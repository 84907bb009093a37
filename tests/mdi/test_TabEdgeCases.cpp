// The tab bar's edge cases, on the program's own frame driven by its messages:
// where a tab opened by a command lands, what folder names look like on a
// tab, the closing family run from tab clicks and commands, and the layout of
// multi-line and bottom tab rows.

#include "MdiTestFrame.h"

#include "app/uReg.h"
#include "folderview/uFolderViewSettings.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TabEdgeCases : public MdiTest {
protected:
    LRESULT Command(WORD id) { return SendMessageW(frame_, WM_COMMAND, id, 0); }

    // Folder tabs one, two, ... in that order; the last is active.
    std::vector<HWND> OpenTabs(int count) {
        std::vector<HWND> children;
        for (const std::wstring& folder : MakeFolders(L"tab", count)) children.push_back(OpenFolderChild(folder));
        return children;
    }

    void Activate(HWND child) {
        SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
        PumpMessages();
    }

    static std::vector<HWND> TabOrder() {
        std::vector<HWND> order;
        for (int i = 0; i < TabCount(); ++i) order.push_back(TabChild(i));
        return order;
    }

    static LPARAM CenterOf(int index) {
        RECT item{};
        EXPECT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, index, &item));
        return MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    }

    // A right click on tab `index` with the right-click command set to `command`.
    static void RightClickRunning(WORD command, int index) {
        TabBar().settings.rClick = command;
        SendMessageW(TabBar().tabs, WM_RBUTTONDOWN, MK_RBUTTON, CenterOf(index));
        SendMessageW(TabBar().tabs, WM_RBUTTONUP, 0, CenterOf(index));
        PumpMessages();
    }

    // Replaces the tab bar by one made from the stored Tab settings, as at start-up.
    void RecreateTabBar(DWORD style, bool bottom) {
        DestroyWindow(TabBar().container);
        {
            UniqueRegKey key;
            ASSERT_TRUE(SettingsCreate(L"Tab", key));
            SettingsWriteInt(key.get(), L"Style", static_cast<int>(style));
            SettingsWriteBool(key.get(), L"Bottom", bottom);
        }
        ASSERT_NE(CreateTabBar(frame_), nullptr);
        Relayout();
    }
};

RECT RectInFrame(HWND frame, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// ---- AddPos, with the new tab opened by a command (5135: the desktop in a new window)

struct AddPosCase {
    int addPos;
    int expectedIndex;
};

class TabAddPos : public TabEdgeCases, public testing::WithParamInterface<AddPosCase> {};

TEST_P(TabAddPos, ANewTabGoesWhereAddPosSays) {
    std::vector<HWND> tabs = OpenTabs(3);
    Activate(tabs[1]);
    TabBar().settings.addPos = GetParam().addPos;
    Command(IDM_NEW_DESKTOP);
    ASSERT_EQ(TabCount(), 4);
    HWND added = ActiveChild();
    EXPECT_EQ(TabIndexOf(added), GetParam().expectedIndex);
    EXPECT_EQ(SelectedTab(), GetParam().expectedIndex);
    std::vector<HWND> others = TabOrder();
    others.erase(others.begin() + GetParam().expectedIndex);
    EXPECT_EQ(others, tabs) << "the other tabs keep their order";
}

// 0: first; 1: last (not next to the focused tab); 2: right of the focused tab.
INSTANTIATE_TEST_SUITE_P(Positions, TabAddPos,
                         testing::Values(AddPosCase{0, 0}, AddPosCase{1, 3}, AddPosCase{2, 2}));

// ---- Tab text

TEST_F(TabEdgeCases, AFolderNameOfTwentyCharactersIsShownWhole) {
    const std::wstring name = L"abcdefghijklmnopqrst";
    ASSERT_EQ(name.size(), 20u);
    HWND child = OpenFolderChild(MakeFolder(name));
    EXPECT_EQ(TabText(TabIndexOf(child)), name);
}

TEST_F(TabEdgeCases, AFolderNameOfTwentyOneCharactersIsCutToTwentyAndDots) {
    const std::wstring name = L"abcdefghijklmnopqrstu";
    HWND child = OpenFolderChild(MakeFolder(name));
    EXPECT_EQ(TabText(TabIndexOf(child)), L"abcdefghijklmnopqrst...");
}

TEST_F(TabEdgeCases, AJapaneseFolderNameIsCutByCharacters) {
    const std::wstring name = L"日本語のとても長いフォルダの名前です二十一";
    ASSERT_EQ(name.size(), 21u);
    HWND child = OpenFolderChild(MakeFolder(name));
    EXPECT_EQ(TabText(TabIndexOf(child)), name.substr(0, 20) + L"...");
}

TEST_F(TabEdgeCases, AnAmpersandInAFolderNameIsDoubledSoItShowsAsItself) {
    HWND child = OpenFolderChild(MakeFolder(L"R&D"));
    EXPECT_EQ(TabText(TabIndexOf(child)), L"R&&D");
}

TEST_F(TabEdgeCases, ANavigationRenamesTheTab) {
    const std::wstring outer = MakeFolder(L"outer");
    const std::wstring inner = MakeFolder(L"outer\\in & out");
    HWND child = OpenFolderChild(inner);
    ASSERT_EQ(TabText(0), L"in && out");
    SendMessageW(frame_, WM_COMMAND, IDM_GO_UP, 0);  // up one level
    PumpMessages();
    EXPECT_EQ(ShownPath(child), outer);
    EXPECT_EQ(TabText(0), L"outer");
}

// ---- Dragging

TEST_F(TabEdgeCases, ADragOfEightPixelsAcrossATabBorderMovesTheTab) {
    std::vector<HWND> tabs = OpenTabs(2);
    RECT second{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 1, &second));
    const int y = (second.top + second.bottom) / 2;
    const LPARAM from = MAKELPARAM(second.left - 3, y);
    const LPARAM to = MAKELPARAM(second.left + 5, y);
    HWND bar = TabBar().tabs;
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, from);
    SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageW(bar, WM_LBUTTONUP, 0, to);
    PumpMessages();
    EXPECT_EQ(TabOrder(), (std::vector<HWND>{tabs[1], tabs[0]}));
}

// ---- The closing family

TEST_F(TabEdgeCases, CloseRightOnTheLastTabClosesNothing) {
    std::vector<HWND> tabs = OpenTabs(3);
    RightClickRunning(IDM_CLOSE_RIGHT, 2);
    EXPECT_EQ(TabOrder(), tabs);
    EXPECT_EQ(ActiveChild(), tabs[2]);
}

TEST_F(TabEdgeCases, CloseRightLeftOfTheSelectionActivatesThatTabAndKeepsIt) {
    std::vector<HWND> tabs = OpenTabs(4);
    ASSERT_EQ(SelectedTab(), 3);
    RightClickRunning(IDM_CLOSE_RIGHT, 1);
    EXPECT_EQ(TabOrder(), (std::vector<HWND>{tabs[0], tabs[1]}));
    EXPECT_EQ(ActiveChild(), tabs[1]);
    EXPECT_EQ(SelectedTab(), 1);
}

TEST_F(TabEdgeCases, CloseRightOfTheFocusedTabByCommandOnTheLastTabClosesNothing) {
    std::vector<HWND> tabs = OpenTabs(3);
    Command(IDM_CLOSE_RIGHT);
    PumpMessages();
    EXPECT_EQ(TabOrder(), tabs);
}

TEST_F(TabEdgeCases, CloseLeftRightOfTheSelectionActivatesThatTabAndKeepsIt) {
    std::vector<HWND> tabs = OpenTabs(4);
    Activate(tabs[0]);
    RightClickRunning(IDM_CLOSE_LEFT, 2);
    EXPECT_EQ(TabOrder(), (std::vector<HWND>{tabs[2], tabs[3]}));
    EXPECT_EQ(ActiveChild(), tabs[2]);
}

TEST_F(TabEdgeCases, CloseOthersKeepsTheClickedTabAndEveryLockedOne) {
    std::vector<HWND> tabs = OpenTabs(5);
    SetNavigateLock(*ChildViewOf(tabs[0]), true);
    SetNavigateLock(*ChildViewOf(tabs[4]), true);
    FrameConfig().navigateLockClose = false;
    RightClickRunning(IDM_CLOSE_OTHERS, 2);
    EXPECT_EQ(TabOrder(), (std::vector<HWND>{tabs[0], tabs[2], tabs[4]}));
    EXPECT_EQ(ActiveChild(), tabs[2]);
    EXPECT_EQ(TabImage(0), kLockImage);
    EXPECT_EQ(TabImage(1), -1);
    EXPECT_EQ(TabImage(2), kLockImage);
}

TEST_F(TabEdgeCases, LockedTabsSurviveCloseAllFromATabClick) {
    std::vector<HWND> tabs = OpenTabs(4);
    SetNavigateLock(*ChildViewOf(tabs[1]), true);
    SetNavigateLock(*ChildViewOf(tabs[3]), true);
    FrameConfig().navigateLockClose = false;
    RightClickRunning(IDM_CLOSE_ALL, 0);
    EXPECT_EQ(TabOrder(), (std::vector<HWND>{tabs[1], tabs[3]}));
    ASSERT_NE(ActiveChild(), nullptr);
    EXPECT_EQ(TabChild(SelectedTab()), ActiveChild()) << "the selection follows the surviving active child";
}

// ---- ClosePos when the active tab closes by command 5079

struct ClosePosCase {
    int closePos;
    int closed;         // index of the tab activated and closed
    int expectedActive; // index, among the original four, of the tab active afterwards
};

class TabClosePos : public TabEdgeCases, public testing::WithParamInterface<ClosePosCase> {};

TEST_P(TabClosePos, TheRightTabBecomesActive) {
    TabBar().settings.closePos = GetParam().closePos;
    std::vector<HWND> tabs = OpenTabs(4);
    // A different tab active first, so "last active" is not the answer by chance.
    Activate(tabs[GetParam().closed == 3 ? 0 : 3]);
    Activate(tabs[GetParam().closed]);
    Command(IDM_CLOSE);
    PumpMessages();
    ASSERT_FALSE(IsWindow(tabs[GetParam().closed]));
    EXPECT_EQ(ActiveChild(), tabs[GetParam().expectedActive]);
    EXPECT_EQ(TabChild(SelectedTab()), tabs[GetParam().expectedActive]);
}

INSTANTIATE_TEST_SUITE_P(Rules, TabClosePos,
                         testing::Values(ClosePosCase{1, 2, 0},   // first
                                         ClosePosCase{1, 0, 1},   // first, when the first closes
                                         ClosePosCase{2, 1, 3},   // last
                                         ClosePosCase{2, 3, 2},   // last, when the last closes
                                         ClosePosCase{3, 2, 1},   // left neighbour
                                         ClosePosCase{3, 0, 1},   // left, from the first: the new first
                                         ClosePosCase{4, 1, 2},   // right neighbour
                                         ClosePosCase{4, 3, 2})); // right, from the last: its left one

// ---- Layout: multi-line rows and the bar below the client

// Opens tabs with long names until the rows grow; answers the row count before.
int OpenUntilANewRow(std::vector<HWND>& children, const std::wstring& prefix) {
    const int rowsBefore = TabCtrl_GetRowCount(TabBar().tabs);
    for (int i = 0; i < 40 && TabCtrl_GetRowCount(TabBar().tabs) == rowsBefore; ++i) {
        HWND child = OpenSearchChild();
        SetTabText(child, prefix + std::to_wstring(i) + L" with a long name");
        children.push_back(child);
    }
    return rowsBefore;
}

TEST_F(TabEdgeCases, WithMultiLineTabsANewRowMovesTheClientDownByOneRow) {
    RecreateTabBar(TCS_TOOLTIPS | TCS_MULTILINE, false);
    std::vector<HWND> children{OpenSearchChild()};
    const RECT clientBefore = RectInFrame(frame_, FrameLink().mdiClient);
    const RECT barBefore = RectInFrame(frame_, TabBar().container);
    RECT item{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 0, &item));
    const int rowHeight = item.bottom - item.top;

    const int rowsBefore = OpenUntilANewRow(children, L"tab ");
    ASSERT_EQ(TabCtrl_GetRowCount(TabBar().tabs), rowsBefore + 1);

    const RECT clientAfter = RectInFrame(frame_, FrameLink().mdiClient);
    const RECT barAfter = RectInFrame(frame_, TabBar().container);
    EXPECT_EQ(clientAfter.top - clientBefore.top, rowHeight);
    EXPECT_EQ(clientAfter.bottom, clientBefore.bottom);
    EXPECT_EQ(barAfter.top, barBefore.top);
    EXPECT_EQ(barAfter.bottom, clientAfter.top);

    // Closing a tab of the new row takes the row away again.
    SendMessageW(children.back(), WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_EQ(TabCtrl_GetRowCount(TabBar().tabs), rowsBefore);
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).top, clientBefore.top);
}

TEST_F(TabEdgeCases, ALongerTabNameThatAddsARowMovesTheClientToo) {
    RecreateTabBar(TCS_TOOLTIPS | TCS_MULTILINE, false);
    std::vector<HWND> children;
    for (int i = 0; i < 3; ++i) children.push_back(OpenSearchChild());
    const int rows = TabCtrl_GetRowCount(TabBar().tabs);
    const int clientTop = RectInFrame(frame_, FrameLink().mdiClient).top;
    TabBar().settings.maxString = 400;
    SetTabText(children[0], std::wstring(300, L'w'));
    ASSERT_GT(TabCtrl_GetRowCount(TabBar().tabs), rows);
    EXPECT_GT(RectInFrame(frame_, FrameLink().mdiClient).top, clientTop);
}

TEST_F(TabEdgeCases, StoredBottomPutsTheTabRowsBelowTheClient) {
    RecreateTabBar(TCS_TOOLTIPS, true);
    ASSERT_TRUE(TabBar().settings.bottom);
    OpenSearchChild();
    const RECT bar = RectInFrame(frame_, TabBar().container);
    const RECT client = RectInFrame(frame_, FrameLink().mdiClient);
    EXPECT_GT(bar.bottom - bar.top, 10);
    EXPECT_EQ(client.bottom + 3, bar.top);
    RECT frameClient{};
    GetClientRect(frame_, &frameClient);
    const int areaBottom = Frame().statusBar && IsWindowVisible(Frame().statusBar)
                               ? RectInFrame(frame_, Frame().statusBar).top
                               : frameClient.bottom;
    EXPECT_EQ(bar.bottom, areaBottom);
}

TEST_F(TabEdgeCases, AtTheBottomANewRowRaisesTheBarAndShortensTheClient) {
    RecreateTabBar(TCS_TOOLTIPS | TCS_MULTILINE, true);
    std::vector<HWND> children{OpenSearchChild()};
    const RECT clientBefore = RectInFrame(frame_, FrameLink().mdiClient);
    const RECT barBefore = RectInFrame(frame_, TabBar().container);
    const int rowsBefore = OpenUntilANewRow(children, L"bottom ");
    ASSERT_EQ(TabCtrl_GetRowCount(TabBar().tabs), rowsBefore + 1);
    const RECT clientAfter = RectInFrame(frame_, FrameLink().mdiClient);
    const RECT barAfter = RectInFrame(frame_, TabBar().container);
    EXPECT_EQ(clientAfter.top, clientBefore.top);
    EXPECT_LT(clientAfter.bottom, clientBefore.bottom);
    EXPECT_LT(barAfter.top, barBefore.top);
    EXPECT_EQ(barAfter.bottom, barBefore.bottom);
    EXPECT_EQ(clientAfter.bottom + 3, barAfter.top);
}

TEST_F(TabEdgeCases, ClickingATabAtTheBottomActivatesIt) {
    RecreateTabBar(TCS_TOOLTIPS, true);
    std::vector<HWND> tabs = OpenTabs(2);
    SendMessageW(TabBar().tabs, WM_LBUTTONDOWN, MK_LBUTTON, CenterOf(0));
    SendMessageW(TabBar().tabs, WM_LBUTTONUP, 0, CenterOf(0));
    PumpMessages();
    EXPECT_EQ(ActiveChild(), tabs[0]);
}

}  // namespace
