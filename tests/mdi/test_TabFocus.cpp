// Where the keyboard focus goes when the tab bar is clicked: back to the
// window that had it, unless the bar's style lets it keep the focus or the
// click ran a command that puts the focus on the bar.

#include "MdiTestFrame.h"

#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

class TabFocus : public MdiTest {
protected:
    // Two folder tabs; the second is active and its list has the focus.
    void OpenTwo() {
        first_ = OpenFolderChild(MakeFolder(L"first"));
        second_ = OpenFolderChild(MakeFolder(L"second"));
        ASSERT_TRUE(first_ && second_);
        ASSERT_EQ(ActiveChild(), second_);
        SetFocus(ChildListView(second_));
        ASSERT_EQ(GetFocus(), ChildListView(second_));
    }

    HWND first_ = nullptr;
    HWND second_ = nullptr;
};

LPARAM CenterOf(int index) {
    RECT item{};
    EXPECT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, index, &item));
    return MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
}

void LeftClick(int index) {
    SendMessageW(TabBar().tabs, WM_LBUTTONDOWN, MK_LBUTTON, CenterOf(index));
    SendMessageW(TabBar().tabs, WM_LBUTTONUP, 0, CenterOf(index));
    PumpMessages();
}

void AddStyle(DWORD style) {
    HWND tabs = TabBar().tabs;
    SetWindowLongPtrW(tabs, GWL_STYLE, GetWindowLongPtrW(tabs, GWL_STYLE) | static_cast<LONG_PTR>(style));
    TabBar().settings.style |= static_cast<int>(style);
}

TEST_F(TabFocus, ClickingTheSelectedTabLeavesTheFocusInTheList) {
    OpenTwo();
    LeftClick(1);
    EXPECT_EQ(GetFocus(), ChildListView(second_));
}

TEST_F(TabFocus, ClickingAnotherTabPutsTheFocusInItsList) {
    OpenTwo();
    LeftClick(0);
    EXPECT_EQ(ActiveChild(), first_);
    EXPECT_EQ(GetFocus(), ChildListView(first_));
}

TEST_F(TabFocus, ARightClickLeavesTheFocusWhereItWas) {
    OpenTwo();
    TabBar().settings.rClick = IDM_TAB_NOTHING;
    SendMessageW(TabBar().tabs, WM_RBUTTONDOWN, MK_RBUTTON, CenterOf(0));
    SendMessageW(TabBar().tabs, WM_RBUTTONUP, 0, CenterOf(0));
    PumpMessages();
    EXPECT_EQ(GetFocus(), ChildListView(second_));
}

TEST_F(TabFocus, WithFocusOnButtonDownTheBarKeepsTheFocus) {
    OpenTwo();
    AddStyle(TCS_FOCUSONBUTTONDOWN);
    LeftClick(1);
    EXPECT_EQ(GetFocus(), TabBar().tabs);
}

TEST_F(TabFocus, ADoubleClickBoundToTheTabFocusCommandLeavesTheFocusOnTheBar) {
    OpenTwo();
    TabBar().settings.ldClick = IDM_FOCUS_TABS;
    HWND tabs = TabBar().tabs;
    // The messages of a real double click: press, release, double click, release.
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, CenterOf(1));
    SendMessageW(tabs, WM_LBUTTONUP, 0, CenterOf(1));
    EXPECT_EQ(GetFocus(), ChildListView(second_)) << "the first press hands the focus back";
    SendMessageW(tabs, WM_LBUTTONDBLCLK, MK_LBUTTON, CenterOf(1));
    SendMessageW(tabs, WM_LBUTTONUP, 0, CenterOf(1));
    PumpMessages();
    EXPECT_EQ(GetFocus(), tabs);
}

TEST_F(TabFocus, AMiddleClickBoundToTheFocusCommandsMovesTheFocus) {
    OpenTwo();
    TabBar().settings.mClick = IDM_FOCUS_TABS;
    SendMessageW(TabBar().tabs, WM_MBUTTONDOWN, MK_MBUTTON, CenterOf(0));
    SendMessageW(TabBar().tabs, WM_MBUTTONUP, 0, CenterOf(0));
    PumpMessages();
    EXPECT_EQ(GetFocus(), TabBar().tabs);
    // A click that then focuses the view (5083) leaves the bar.
    TabBar().settings.mClick = IDM_FOCUS_VIEW;
    SendMessageW(TabBar().tabs, WM_MBUTTONUP, 0, CenterOf(0));
    PumpMessages();
    EXPECT_EQ(GetFocus(), ChildListView(second_));
}

TEST_F(TabFocus, TheTabFocusCommandFromTheMenuKeepsTheFocusOnTheBar) {
    OpenTwo();
    SendMessageW(frame_, WM_COMMAND, IDM_FOCUS_TABS, 0);
    EXPECT_EQ(GetFocus(), TabBar().tabs);
    PumpMessages();
    EXPECT_EQ(GetFocus(), TabBar().tabs);
}

// A window that, once armed, passes the focus it gets on to the tab bar, as
// the frame does with a focus it remembers.
bool g_passFocusOn = false;
int g_passed = 0;

LRESULT CALLBACK PassingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS && g_passFocusOn) {
        ++g_passed;
        SetFocus(TabBar().tabs);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(TabFocus, AWindowThatPassesTheFocusBackToTheBarEndsNoLoop) {
    OpenTwo();
    WNDCLASSW wc{};
    wc.lpfnWndProc = PassingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZekoTestFocusPasser";
    RegisterClassW(&wc);
    HWND passer = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(passer, nullptr);
    g_passFocusOn = false;
    SetFocus(passer);
    ASSERT_EQ(GetFocus(), passer);
    g_passFocusOn = true;
    g_passed = 0;
    LeftClick(1);
    g_passFocusOn = false;
    EXPECT_EQ(GetFocus(), TabBar().tabs);
    EXPECT_EQ(g_passed, 1) << "the bar hands the focus back once per press";
    DestroyWindow(passer);
}

}  // namespace
