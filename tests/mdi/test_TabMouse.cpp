// The tab bar's mouse: dragging tabs, configured click commands, the wheel,
// tooltips and the drop hover that activates a tab.

#include "MdiTestFrame.h"

#include "app/Handles.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <vector>


namespace {

class TabMouseTest : public MdiTest {};

POINT Center(int index) {
    RECT item{};
    EXPECT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, index, &item));
    return {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
}

int HitTest(POINT point) {
    TCHITTESTINFO hit{};
    hit.pt = point;
    return TabCtrl_HitTest(TabBar().tabs, &hit);
}

LPARAM At(POINT point) { return MAKELPARAM(point.x, point.y); }

void DragTab(POINT from, POINT to) {
    HWND tabs = TabBar().tabs;
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, At(from));
    SendMessageW(tabs, WM_MOUSEMOVE, MK_LBUTTON, At(to));
    SendMessageW(tabs, WM_LBUTTONUP, 0, At(to));
    PumpMessages();
}

void Wheel(int delta) {
    SendMessageW(TabBar().tabs, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
    PumpMessages();
}

void TouchFile(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
}

int ItemCount(HWND child) { return ListView_GetItemCount(ChildListView(child)); }

TEST_F(TabMouseTest, ADragOfSevenPixelsAcrossATabBorderMovesNothing) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    RECT second{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 1, &second));
    const int y = (second.top + second.bottom) / 2;
    const POINT from{second.left - 3, y};
    const POINT to{second.left + 4, y};
    ASSERT_EQ(HitTest(from), 0);
    ASSERT_EQ(HitTest(to), 1);
    DragTab(from, to);
    EXPECT_EQ(TabChild(0), a);
    EXPECT_EQ(TabChild(1), b);
}

TEST_F(TabMouseTest, ADragOntoAnotherTabMovesTheDraggedTabThere) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    HWND c = OpenSearchChild();
    SetTabText(a, L"first");
    DragTab(Center(0), Center(2));
    EXPECT_EQ(TabChild(0), b);
    EXPECT_EQ(TabChild(1), c);
    EXPECT_EQ(TabChild(2), a);
    EXPECT_EQ(TabText(2), L"first");
    // The press selected the dragged tab, which stays selected where it lands.
    EXPECT_EQ(SelectedTab(), 2);
    EXPECT_EQ(ActiveChild(), a);
    EXPECT_NE(GetCapture(), TabBar().tabs);
}

TEST_F(TabMouseTest, AMovedTabKeepsItsLockMark) {
    HWND a = OpenSearchChild();
    OpenSearchChild();
    SetTabLock(a, true);
    MoveTab(0, 1);
    EXPECT_EQ(TabChild(1), a);
    EXPECT_EQ(TabImage(1), kLockImage);
    EXPECT_EQ(TabImage(0), -1);
}

TEST_F(TabMouseTest, AClickBoundToRefreshRefreshesTheClickedTabNotTheActiveOne) {
    const std::wstring first = MakeFolder(L"first");
    const std::wstring second = MakeFolder(L"second");
    HWND a = OpenFolderChild(first);
    HWND b = OpenFolderChild(second);
    ASSERT_EQ(ActiveChild(), b);
    ASSERT_EQ(ItemCount(a), 0);
    ASSERT_EQ(ItemCount(b), 0);
    TouchFile(first + L"\\new.txt");
    TouchFile(second + L"\\new.txt");
    TabBar().settings.mClick = IDM_REFRESH;
    SendMessageW(TabBar().tabs, WM_MBUTTONUP, 0, At(Center(0)));
    EXPECT_EQ(ItemCount(a), 1);
    EXPECT_EQ(ItemCount(b), 0);
    EXPECT_EQ(ActiveChild(), b);
}

TEST_F(TabMouseTest, AClickOutsideEveryTabRunsNothing) {
    const std::wstring first = MakeFolder(L"first");
    HWND a = OpenFolderChild(first);
    TouchFile(first + L"\\new.txt");
    TabBar().settings.mClick = IDM_REFRESH;
    RECT last{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 0, &last));
    const POINT outside{last.right + 40, (last.top + last.bottom) / 2};
    ASSERT_EQ(HitTest(outside), -1);
    SendMessageW(TabBar().tabs, WM_MBUTTONUP, 0, At(outside));
    EXPECT_EQ(ItemCount(a), 0);
}

TEST_F(TabMouseTest, ADoubleClickBoundToCloseClosesTheClickedTab) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    ASSERT_EQ(TabBar().settings.ldClick, IDM_CLOSE);
    SendMessageW(TabBar().tabs, WM_LBUTTONDBLCLK, MK_LBUTTON, At(Center(0)));
    PumpMessages();
    EXPECT_FALSE(IsWindow(a));
    EXPECT_TRUE(IsWindow(b));
    EXPECT_EQ(TabCount(), 1);
}

TEST_F(TabMouseTest, TheWheelWrapsBothWays) {
    HWND a = OpenSearchChild();
    OpenSearchChild();
    HWND c = OpenSearchChild();
    ASSERT_EQ(SelectedTab(), 2);
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(SelectedTab(), 0);
    EXPECT_EQ(ActiveChild(), a);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(SelectedTab(), 2);
    EXPECT_EQ(ActiveChild(), c);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(SelectedTab(), 1);
}

TEST_F(TabMouseTest, WithoutWheelTabTheWheelLeavesTheTabs) {
    OpenSearchChild();
    OpenSearchChild();
    TabBar().settings.wheelTab = false;
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(SelectedTab(), 1);
}

TEST_F(TabMouseTest, TheTooltipIsTheFolderPath) {
    const std::wstring folder = MakeFolder(L"a folder with a long enough name to be cut");
    OpenFolderChild(folder);
    ASSERT_LE(folder.size(), 78u);
    EXPECT_EQ(TabTooltip(0), folder);
    HWND tooltips = TabCtrl_GetToolTips(TabBar().tabs);
    ASSERT_NE(tooltips, nullptr);
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = tooltips;
    info.hdr.idFrom = 0;
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(TabBar().container, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_EQ(std::wstring(info.lpszText), folder);
}

TEST_F(TabMouseTest, ATooltipIsCutTo78Characters) {
    std::wstring name(60, L'n');
    const std::wstring folder = MakeFolder(name);
    ASSERT_GT(folder.size(), 78u);
    OpenFolderChild(folder);
    EXPECT_EQ(TabTooltip(0), folder.substr(0, 78));
}

TEST_F(TabMouseTest, SearchResultsHaveNoTooltip) {
    OpenFolderChild(MakeFolder(L"f"));
    OpenSearchChild();
    EXPECT_FALSE(TabTooltip(0).empty());
    EXPECT_TRUE(TabTooltip(1).empty());
}

POINTL ScreenCenter(int index) {
    POINT point = Center(index);
    ClientToScreen(TabBar().tabs, &point);
    return {point.x, point.y};
}

// The hover is timed with a clock the test moves by hand.
DWORD g_hoverNow = 0;
DWORD WINAPI HoverClock() { return g_hoverNow; }

class TabHoverTest : public TabMouseTest {
protected:
    void SetUp() override {
        TabMouseTest::SetUp();
        TabBar().hoverClock = HoverClock;
        g_hoverNow = 100000;
    }
    void TearDown() override {
        TabBar().hoverClock = GetTickCount;
        TabMouseTest::TearDown();
    }
    // A drag that enters over tab `index` and moves on it again `stay` ms later.
    void HoverFor(int index, DWORD stay) {
        ASSERT_TRUE(TabBar().dropTarget);
        DWORD effect = DROPEFFECT_COPY;
        TabBar().dropTarget->DragEnter(nullptr, MK_LBUTTON, ScreenCenter(index), &effect);
        EXPECT_EQ(effect, DROPEFFECT_NONE);
        g_hoverNow += stay;
        TabBar().dropTarget->DragOver(MK_LBUTTON, ScreenCenter(index), &effect);
        PumpMessages();
    }
};

TEST_F(TabHoverTest, ADragHoveringLongerThanDragTimeActivatesTheTab) {
    HWND a = OpenSearchChild();
    OpenSearchChild();
    TabBar().settings.dragTime = 50;
    HoverFor(0, 51);
    EXPECT_EQ(ActiveChild(), a);
    TabBar().dropTarget->DragLeave();
}

TEST_F(TabHoverTest, AHoverOfExactlyDragTimeActivatesNothing) {
    OpenSearchChild();
    HWND b = OpenSearchChild();
    TabBar().settings.dragTime = 50;
    HoverFor(0, 50);
    EXPECT_EQ(ActiveChild(), b);
    TabBar().dropTarget->DragLeave();
}

TEST_F(TabHoverTest, AShortHoverActivatesNothing) {
    OpenSearchChild();
    HWND b = OpenSearchChild();
    ASSERT_EQ(TabBar().settings.dragTime, 2000);
    HoverFor(0, 100);
    EXPECT_EQ(ActiveChild(), b);
    TabBar().dropTarget->DragLeave();
}

TEST_F(TabHoverTest, MovingToAnotherTabStartsTheTimeAgain) {
    OpenSearchChild();
    OpenSearchChild();
    HWND c = OpenSearchChild();
    TabBar().settings.dragTime = 50;
    DWORD effect = DROPEFFECT_COPY;
    TabBar().dropTarget->DragEnter(nullptr, MK_LBUTTON, ScreenCenter(0), &effect);
    g_hoverNow += 40;
    TabBar().dropTarget->DragOver(MK_LBUTTON, ScreenCenter(1), &effect);
    g_hoverNow += 40;
    TabBar().dropTarget->DragOver(MK_LBUTTON, ScreenCenter(1), &effect);
    PumpMessages();
    EXPECT_EQ(ActiveChild(), c) << "80 ms in all, but only 40 over the second tab";
    TabBar().dropTarget->DragLeave();
}

// The pixels of tab `index` where its drop mark goes: the top row and the
// left column just inside the item rectangle.
std::vector<COLORREF> MarkPlace(int index) {
    HWND tabs = TabBar().tabs;
    UpdateWindow(tabs);
    RECT item{};
    EXPECT_TRUE(TabCtrl_GetItemRect(tabs, index, &item));
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(tabs);
    for (int x = item.left + 3; x < item.right - 3; ++x) pixels.push_back(GetPixel(dc, x, item.top + 3));
    for (int y = item.top + 3; y < item.bottom - 3; ++y) pixels.push_back(GetPixel(dc, item.left + 3, y));
    ReleaseDC(tabs, dc);
    return pixels;
}

TEST_F(TabMouseTest, ADragMarksTheTabUnderThePointerUntilItLeaves) {
    OpenSearchChild();
    OpenSearchChild();
    ASSERT_TRUE(TabBar().dropTarget);
    const std::vector<COLORREF> first = MarkPlace(0);
    const std::vector<COLORREF> second = MarkPlace(1);
    DWORD effect = DROPEFFECT_COPY;
    TabBar().dropTarget->DragEnter(nullptr, MK_LBUTTON, ScreenCenter(0), &effect);
    EXPECT_EQ(TabBar().dropMark, 0);
    EXPECT_NE(MarkPlace(0), first);
    TabBar().dropTarget->DragOver(MK_LBUTTON, ScreenCenter(1), &effect);
    EXPECT_EQ(TabBar().dropMark, 1);
    EXPECT_EQ(MarkPlace(0), first) << "the old mark is gone";
    EXPECT_NE(MarkPlace(1), second);
    TabBar().dropTarget->DragLeave();
    EXPECT_EQ(TabBar().dropMark, -1);
    EXPECT_EQ(MarkPlace(1), second);
}

TEST_F(TabMouseTest, ADropRemovesTheMarkAndOutsideTheTabsThereIsNone) {
    OpenSearchChild();
    ASSERT_TRUE(TabBar().dropTarget);
    DWORD effect = DROPEFFECT_COPY;
    TabBar().dropTarget->DragEnter(nullptr, MK_LBUTTON, ScreenCenter(0), &effect);
    ASSERT_EQ(TabBar().dropMark, 0);
    RECT item{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 0, &item));
    POINT outside{item.right + 40, (item.top + item.bottom) / 2};
    ClientToScreen(TabBar().tabs, &outside);
    TabBar().dropTarget->DragOver(MK_LBUTTON, POINTL{outside.x, outside.y}, &effect);
    EXPECT_EQ(TabBar().dropMark, -1);
    TabBar().dropTarget->DragOver(MK_LBUTTON, ScreenCenter(0), &effect);
    ASSERT_EQ(TabBar().dropMark, 0);
    TabBar().dropTarget->Drop(nullptr, MK_LBUTTON, ScreenCenter(0), &effect);
    EXPECT_EQ(TabBar().dropMark, -1);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

}  // namespace
