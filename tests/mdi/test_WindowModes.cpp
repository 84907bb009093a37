// The MDI client's window modes: where the children stand in each mode, how
// the two panes follow activations and closings, and the children's styles.

#include "MdiTestFrame.h"

#include "app/uFrameLink.h"
#include "mdi/wMDIClient.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr LONG_PTR kPaneStyleBits = WS_CAPTION | WS_SYSMENU;

class WindowModes : public MdiTest {
protected:
    void Mode(UINT command) {
        SendMessageW(frame_, WM_COMMAND, command, 0);
        PumpMessages();
    }

    // `count` folder children, the last one active.
    std::vector<HWND> Open(int count, const std::wstring& prefix = L"f") {
        std::vector<HWND> children;
        for (const std::wstring& path : MakeFolders(prefix, count)) children.push_back(OpenFolderChild(path));
        return children;
    }

    static RECT InClient(HWND child) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, FrameLink().mdiClient, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    static RECT Half(int slot, bool columns) {
        RECT client{};
        GetClientRect(FrameLink().mdiClient, &client);
        const int w = client.right;
        const int h = client.bottom;
        if (columns) return slot == 0 ? RECT{0, 0, w / 2, h} : RECT{w / 2, 0, w / 2 + w / 2, h};
        return slot == 0 ? RECT{0, 0, w, h / 2} : RECT{0, h / 2, w, h / 2 + h / 2};
    }

    static void ExpectIn(HWND child, int slot, bool columns) {
        const RECT want = Half(slot, columns);
        const RECT got = InClient(child);
        EXPECT_TRUE(EqualRect(&want, &got)) << "slot " << slot << ": " << got.left << "," << got.top << " "
                                            << got.right << "," << got.bottom;
    }

    static void Activate(HWND child, LPARAM how = 0) {
        SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), how);
        PumpMessages();
    }
};

TEST_F(WindowModes, ColumnsWithOneChildShowItLeftAndABackgroundFolderFillsTheRight) {
    HWND first = Open(1)[0];
    Mode(IDM_MODE_COLUMNS);
    EXPECT_EQ(FrameConfig().windowMode, 3);
    EXPECT_EQ(FirstPane(), first);
    EXPECT_EQ(SecondPane(), nullptr);
    ExpectIn(first, 0, true);
    EXPECT_EQ(GetWindowLongPtrW(first, GWL_STYLE) & (WS_THICKFRAME | kPaneStyleBits), kPaneStyleBits);
    EXPECT_TRUE(GetWindowLongPtrW(first, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

    HWND background = OpenFolderChild(MakeFolder(L"bg"), false);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(SecondPane(), background);
    ExpectIn(background, 1, true);
    ExpectIn(first, 0, true);
    EXPECT_EQ(ActiveChild(), first);
}

TEST_F(WindowModes, ActivatingTheOtherPanesChildSwapsThePanesButAPaneSwitchDoesNot) {
    std::vector<HWND> children = Open(2);
    Mode(IDM_MODE_ROWS);
    ASSERT_EQ(FirstPane(), children[1]) << "the active child goes first";
    ASSERT_EQ(SecondPane(), children[0]);
    ExpectIn(children[1], 0, false);
    ExpectIn(children[0], 1, false);

    Activate(children[0]);  // as a click on its tab does
    EXPECT_EQ(ActiveChild(), children[0]);
    ExpectIn(children[0], 0, false);
    ExpectIn(children[1], 1, false);

    Activate(children[1], kPaneSwitchActivation);
    EXPECT_EQ(ActiveChild(), children[1]);
    ExpectIn(children[0], 0, false);
    ExpectIn(children[1], 1, false);
    EXPECT_EQ(GetFocus(), ChildListView(children[1]));

    SendMessageW(frame_, WM_COMMAND, IDM_FOCUS_NEXT, 0);
    SendMessageW(frame_, WM_COMMAND, IDM_FOCUS_PREVIOUS, 0);
    // The focus commands keep the panes in place.
    ExpectIn(children[0], 0, false);
    ExpectIn(children[1], 1, false);
}

TEST_F(WindowModes, AChildNotInAPaneTakesTheActivePaneWhenActivated) {
    std::vector<HWND> children = Open(3);
    Mode(IDM_MODE_COLUMNS);
    ASSERT_EQ(FirstPane(), children[2]);
    ASSERT_EQ(SecondPane(), children[1]);
    Activate(children[0]);
    EXPECT_EQ(FirstPane(), children[0]);
    EXPECT_EQ(SecondPane(), children[1]);
    ExpectIn(children[0], 0, true);
}

TEST_F(WindowModes, ClosingAPanesChildShowsAnotherChildInThatPane) {
    std::vector<HWND> children = Open(3);
    Mode(IDM_MODE_COLUMNS);
    HWND second = SecondPane();
    ASSERT_EQ(second, children[1]);
    SendMessageW(second, WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_FALSE(IsWindow(second));
    EXPECT_EQ(FirstPane(), children[2]);
    EXPECT_EQ(SecondPane(), children[0]);
    ExpectIn(children[0], 1, true);

    SendMessageW(children[2], WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_FALSE(IsWindow(children[2]));
    EXPECT_EQ(TabCount(), 1);
    EXPECT_TRUE(FirstPane() == children[0] || SecondPane() == children[0]);
    EXPECT_FALSE(FirstPane() == children[0] && SecondPane() == children[0]);
}

TEST_F(WindowModes, ANewActivatedChildTakesTheActivePane) {
    std::vector<HWND> children = Open(2);
    Mode(IDM_MODE_ROWS);
    Activate(children[0], kPaneSwitchActivation);
    ASSERT_EQ(SecondPane(), children[0]);
    HWND added = OpenFolderChild(MakeFolder(L"new"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(SecondPane(), added);
    EXPECT_EQ(FirstPane(), children[1]);
    ExpectIn(added, 1, false);
}

TEST_F(WindowModes, AnOpenFolderFoundWithoutActivationShowsInTheInactivePane) {
    std::vector<std::wstring> paths = MakeFolders(L"g", 3);
    std::vector<HWND> children;
    for (const std::wstring& path : paths) children.push_back(OpenFolderChild(path));
    Mode(IDM_MODE_COLUMNS);
    ASSERT_EQ(FirstPane(), children[2]);
    EXPECT_EQ(OpenFolderChild(paths[0], false), nullptr) << "found open, no new tab";
    EXPECT_EQ(SecondPane(), children[0]);
    EXPECT_EQ(FirstPane(), children[2]);
    ExpectIn(children[0], 1, true);
}

TEST_F(WindowModes, ModeChangesRestyleEveryOneOfTenChildren) {
    std::vector<HWND> children = Open(10);
    Mode(IDM_MODE_ROWS);
    for (HWND child : children) {
        EXPECT_EQ(GetWindowLongPtrW(child, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX | kPaneStyleBits),
                  kPaneStyleBits);
        EXPECT_TRUE(GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
        EXPECT_FALSE(IsZoomed(child));
    }
    EXPECT_FALSE(GetWindowLongPtrW(FrameLink().mdiClient, GWL_STYLE) & WS_CLIPCHILDREN);

    Mode(IDM_MODE_NORMAL);
    EXPECT_EQ(FrameConfig().windowMode, 0);
    EXPECT_EQ(FirstPane(), nullptr);
    EXPECT_TRUE(GetWindowLongPtrW(FrameLink().mdiClient, GWL_STYLE) & WS_CLIPCHILDREN);
    for (HWND child : children) {
        EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_THICKFRAME);
        EXPECT_FALSE(GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    }
    std::set<LONG> tops;
    for (HWND child : children) tops.insert(InClient(child).top);
    EXPECT_GT(tops.size(), 2u) << "cascaded, not left in the panes";

    Mode(IDM_MODE_TAB);
    EXPECT_TRUE(IsZoomed(ActiveChild()));
    EXPECT_FALSE(GetWindowLongPtrW(FrameLink().mdiClient, GWL_STYLE) & WS_CLIPCHILDREN);
    SendMessageW(ActiveChild(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(IsZoomed(ActiveChild())) << "tab mode keeps the child maximised";
    Mode(IDM_MODE_COLUMNS);
    EXPECT_FALSE(IsZoomed(FirstPane()));
    ExpectIn(FirstPane(), 0, true);
    ExpectIn(SecondPane(), 1, true);
}

}  // namespace
