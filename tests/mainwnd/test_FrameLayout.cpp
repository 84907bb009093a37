// The frame's layout: rebar on top, status bar at the bottom, side toolbar
// and side bar in a column, the tab bar and MDI client in the rest. Bars that
// later parts of the program build are stood in for by plain common controls.

#include "tests/mainwnd/FrameFixture.h"

#include "bars/wToolBar.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

RECT RectInFrame(HWND frame, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

HWND MakeToolbar(HWND parent, int buttonWidth) {
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN | TBSTYLE_WRAPABLE, 0,
                                   0, 10, 10, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth, 24));
    TBBUTTON buttons[2] = {{I_IMAGENONE, 1, TBSTATE_ENABLED | TBSTATE_WRAP, BTNS_BUTTON},
                           {I_IMAGENONE, 2, TBSTATE_ENABLED, BTNS_BUTTON}};
    SendMessageW(toolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
    return toolbar;
}

class FrameLayout : public FrameTest {
protected:
    // Every bar starts hidden; a test shows the ones it lays out.
    void SetUp() override {
        WriteRoot(BarVisibilitySaved.name, 1);
        WriteRoot(L"StatusBarVisible", 0);
        WriteRoot(L"ToolBarVisible", 0);
        ASSERT_NE(CreateFrame(), nullptr);
        SetWindowPos(frame_, nullptr, 0, 0, 800, 600, SWP_NOZORDER | SWP_NOMOVE);
        ASSERT_NE(FrameLink().mdiClient, nullptr);
    }
    // The MDI client's top once the tab strip above it is taken away.
    int ClientTopBelowTabs(int areaTop) const {
        if (!TabBar().container) return areaTop;
        return RectInFrame(frame_, TabBar().container).bottom;
    }
};

TEST_F(FrameLayout, WithEveryBarMissingTheTabsAndMdiClientFillTheClientArea) {
    Relayout();
    const RECT client = ClientOf(frame_);
    const RECT mdi = RectInFrame(frame_, FrameLink().mdiClient);
    EXPECT_EQ(mdi.left, 0);
    EXPECT_EQ(mdi.right, client.right);
    EXPECT_EQ(mdi.bottom, client.bottom);
    EXPECT_EQ(mdi.top, ClientTopBelowTabs(0));
    EXPECT_LT(mdi.top, 60) << "only the tab strip may stand above the client";
}

TEST_F(FrameLayout, ResizingTheFrameLaysTheClientOutAgain) {
    SetWindowPos(frame_, nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
    const RECT client = ClientOf(frame_);
    const RECT mdi = RectInFrame(frame_, FrameLink().mdiClient);
    EXPECT_EQ(mdi.right, client.right);
    EXPECT_EQ(mdi.bottom, client.bottom);
}

TEST_F(FrameLayout, TheStatusBarTakesTheBottomOfTheFrame) {
    SendMessageW(frame_, WM_COMMAND, IDM_STATUS_BAR, 0);
    HWND status = Frame().statusBar;
    ASSERT_NE(status, nullptr);
    const RECT client = ClientOf(frame_);
    const RECT statusRect = RectInFrame(frame_, status);
    const RECT mdi = RectInFrame(frame_, FrameLink().mdiClient);
    ASSERT_GT(statusRect.bottom - statusRect.top, 0);
    EXPECT_EQ(statusRect.bottom, client.bottom);
    EXPECT_EQ(mdi.bottom, statusRect.top);

    SendMessageW(frame_, WM_COMMAND, IDM_STATUS_BAR, 0);
    EXPECT_FALSE(IsWindowVisible(status));
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).bottom, client.bottom) << "a hidden status bar takes no room";
}

TEST_F(FrameLayout, TheRebarPushesEverythingBelowIt) {
    HWND rebar = CreateWindowExW(0, REBARCLASSNAMEW, nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | RBS_VARHEIGHT | CCS_NODIVIDER, 0, 0, 0, 0,
                                 frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 30, rebar, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    REBARBANDINFOW band{sizeof(band)};
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.hwndChild = inner;
    band.cxMinChild = 50;
    band.cyMinChild = 30;
    band.cx = 200;
    SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    Frame().rebar = rebar;
    Relayout();
    const RECT rebarRect = RectInFrame(frame_, rebar);
    ASSERT_GE(rebarRect.bottom, 30);
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).top, ClientTopBelowTabs(rebarRect.bottom));
    if (TabBar().container) {
        EXPECT_EQ(RectInFrame(frame_, TabBar().container).top, rebarRect.bottom + 3);
    }
    Frame().rebar = nullptr;
}

TEST_F(FrameLayout, ARebarThatGrowsMovesTheClientDown) {
    HWND rebar = CreateWindowExW(0, REBARCLASSNAMEW, nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | RBS_VARHEIGHT | CCS_NODIVIDER, 0, 0, 0, 0,
                                 frame_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kRebarId)),
                                 GetModuleHandleW(nullptr), nullptr);
    Frame().rebar = rebar;
    Relayout();
    const int gapBefore = RectInFrame(frame_, FrameLink().mdiClient).top - RectInFrame(frame_, rebar).bottom;
    HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 40, rebar, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    REBARBANDINFOW band{sizeof(band)};
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.hwndChild = inner;
    band.cxMinChild = 50;
    band.cyMinChild = 40;
    band.cx = 200;
    // No Relayout here: the rebar's height notification must bring it about.
    SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    const RECT rebarRect = RectInFrame(frame_, rebar);
    ASSERT_GE(rebarRect.bottom, 40);
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).top - rebarRect.bottom, gapBefore);
    Frame().rebar = nullptr;
}

TEST_F(FrameLayout, SideToolbarOnTheLeftThenTheSideBarThenTheClient) {
    HWND side = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 10, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HWND toolbar = MakeToolbar(frame_, 40);
    Frame().sideBar = side;
    Frame().sideToolBar = toolbar;
    SetSideToolBarOnLeft(true);
    Relayout();

    RECT button{};
    SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    const int toolWidth = button.right - button.left;
    ASSERT_GT(toolWidth, 0);
    const RECT client = ClientOf(frame_);
    const RECT toolRect = RectInFrame(frame_, toolbar);
    const RECT sideRect = RectInFrame(frame_, side);
    EXPECT_EQ(toolRect.left, 0);
    EXPECT_EQ(toolRect.right, toolWidth);
    EXPECT_EQ(toolRect.bottom, client.bottom);
    EXPECT_EQ(sideRect.left, toolWidth + 1) << "one pixel for the separating line";
    EXPECT_EQ(sideRect.right - sideRect.left, 150) << "the side bar keeps its width";
    EXPECT_EQ(sideRect.bottom, client.bottom);
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).left, toolWidth + 1 + 150);
    Frame().sideBar = nullptr;
    Frame().sideToolBar = nullptr;
}

TEST_F(FrameLayout, SideToolbarOnTheRightStandsBetweenSideBarAndClient) {
    HWND side = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 10, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HWND toolbar = MakeToolbar(frame_, 40);
    Frame().sideBar = side;
    Frame().sideToolBar = toolbar;
    SetSideToolBarOnLeft(false);
    Relayout();

    RECT button{};
    SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    const int toolWidth = button.right - button.left;
    EXPECT_EQ(RectInFrame(frame_, side).left, 0);
    EXPECT_EQ(RectInFrame(frame_, toolbar).left, 151);
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).left, 150 + 1 + toolWidth);
    Frame().sideBar = nullptr;
    Frame().sideToolBar = nullptr;
}

TEST_F(FrameLayout, SideToolbarAloneNeedsNoSeparatingPixel) {
    HWND toolbar = MakeToolbar(frame_, 40);
    Frame().sideToolBar = toolbar;
    SetSideToolBarOnLeft(true);
    Relayout();
    RECT button{};
    SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(RectInFrame(frame_, FrameLink().mdiClient).left, button.right - button.left);
    Frame().sideToolBar = nullptr;
}

int g_sideBarSizes = 0;

LRESULT CALLBACK CountingSizeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) ++g_sideBarSizes;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(FrameLayout, RelayoutResizesAVisibleSideBarToItsOwnClientSize) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingSizeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"FrameLayoutSideBar";
    RegisterClassW(&wc);
    HWND side = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 150, 10, frame_, nullptr,
                                wc.hInstance, nullptr);
    Frame().sideBar = side;
    Relayout();
    // The side bar stands where it belongs now, so moving it again changes
    // nothing: the one WM_SIZE left is Relayout's own.
    g_sideBarSizes = 0;
    Relayout();
    EXPECT_EQ(g_sideBarSizes, 1);
    Frame().sideBar = nullptr;
}

}  // namespace
