// The frame on a screen at another scale than 100 %. CTest runs these once
// more as a process of their own started at 144 DPI (ZEKO_TEST_DPI tells them
// so); in the ordinary run they check the same at 96 DPI.

#include "MdiTestFrame.h"

#include "app/Handles.h"
#include "bars/uToolBarParts.h"
#include "bars/uToolButtons.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mainwnd/wStatusBar.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "side/wFolderTree2.h"
#include "side/wSideBase.h"
#include "shell/uDpi.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

UINT ExpectedDpi() {
    const char* value = std::getenv("ZEKO_TEST_DPI");
    return value ? static_cast<UINT>(std::atoi(value)) : kBaseDpi;
}

// Names that a new name column holds uncut at 96 DPI.
const wchar_t* const kNames[] = {L"a.txt", L"notes.txt", L"report.txt"};

class HighDpi : public MdiTest {
protected:
    void SetUp() override {
        MdiTest::SetUp();
        ASSERT_EQ(SystemDpi(), ExpectedDpi()) << "the process did not start at the DPI it was given";
    }

    TFolderView* OpenSmallFolder() {
        const std::wstring folder = MakeFolder(L"small");
        for (const wchar_t* name : kNames) std::ofstream(std::filesystem::path(folder) / name) << "x";
        HWND child = OpenFolderChild(folder);
        TFolderView* view = child ? ChildFolderView(child) : nullptr;
        if (!view) return nullptr;
        WaitUntil([&] { return ListView_GetItemCount(view->ListView) == static_cast<int>(std::size(kNames)); },
                  20000);
        return view;
    }
};

// The height of the tab rows of a tab control with one tab, made with the
// system's label font and mark at their 96 DPI sizes.
int TabRowsAt96Dpi(HWND parent) {
    HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD, 0, 0, 400, 300, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    LOGFONTW logFont{};
    IconTitleFontForDpi(logFont, kBaseDpi);
    HFONT font = CreateFontIndirectW(&logFont);
    SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    HIMAGELIST images = ImageList_Create(8, 8, ILC_COLOR24 | ILC_MASK, 1, 1);
    TabCtrl_SetImageList(tabs, images);
    wchar_t text[] = L"small";
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.iImage = 0;
    TabCtrl_InsertItem(tabs, 0, &item);
    RECT display{0, 0, 400, 300};
    TabCtrl_AdjustRect(tabs, FALSE, &display);
    DestroyWindow(tabs);
    ImageList_Destroy(images);
    DeleteObject(font);
    return display.top;
}

int WindowHeight(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

int IconSideOf(HIMAGELIST images) {
    int cx = 0, cy = 0;
    return ImageList_GetIconSize(images, &cx, &cy) ? cx : 0;
}

// Image `index` of `images` drawn on white, rows of 0x00RRGGBB pixels.
std::vector<std::vector<DWORD>> DrawnImage(HIMAGELIST images, int index) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueBitmap canvas(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
    std::vector<std::vector<DWORD>> rows;
    if (!canvas || !dc) return rows;
    HGDIOBJ old = SelectObject(dc.get(), canvas.get());
    RECT all{0, 0, cx, cy};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, index, dc.get(), 0, 0, ILD_TRANSPARENT);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int y = 0; y < cy; ++y) rows.emplace_back(pixels + y * cx, pixels + (y + 1) * cx);
    SelectObject(dc.get(), old);
    return rows;
}

bool IsArrow(DWORD pixel) { return ((pixel >> 16) & 0xFF) < 128; }
// The lock mark's dark red frame, not its light red inside nor the white around it.
bool IsLockFrame(DWORD pixel) { return ((pixel >> 16) & 0xFF) < 160 && ((pixel >> 8) & 0xFF) < 64; }

// The frame pixels in one run from the first one along `line`.
int FrameRun(const std::vector<DWORD>& line) {
    const auto first = std::find_if(line.begin(), line.end(), IsLockFrame);
    return static_cast<int>(std::find_if_not(first, line.end(), IsLockFrame) - first);
}

}  // namespace

TEST_F(HighDpi, EveryColumnShowsItsLongestTextUncut) {
    TFolderView* view = OpenSmallFolder();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(ListView_GetItemCount(view->ListView), static_cast<int>(std::size(kNames)));
    const int margins = ScaleForDpi(12, ExpectedDpi());
    for (int column = 0; column < static_cast<int>(view->Columns.size()); ++column) {
        int longest = 0;
        for (int item = 0; item < ListView_GetItemCount(view->ListView); ++item) {
            wchar_t text[MAX_PATH] = {};
            ListView_GetItemText(view->ListView, item, column, text, MAX_PATH);
            longest = std::max(longest, ListView_GetStringWidth(view->ListView, text));
        }
        // The name follows the small icon, with a margin on each side of it.
        const int icon = column == 0 ? SmallIconSide(ExpectedDpi()) : 0;
        EXPECT_GE(ListView_GetColumnWidth(view->ListView, column), longest + icon + margins) << "column " << column;
    }
}

TEST_F(HighDpi, SmallIconsFollowTheDpi) {
    TFolderView* view = OpenSmallFolder();
    ASSERT_NE(view, nullptr);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(ListView_GetImageList(view->ListView, LVSIL_SMALL), &cx, &cy));
    EXPECT_EQ(cx, ScaleForDpi(16, ExpectedDpi()));
    EXPECT_EQ(cy, ScaleForDpi(16, ExpectedDpi()));
    HIMAGELIST arrows = reinterpret_cast<HIMAGELIST>(
        SendMessageW(ListView_GetHeader(view->ListView), HDM_GETIMAGELIST, 0, 0));
    ASSERT_TRUE(ImageList_GetIconSize(arrows, &cx, &cy));
    EXPECT_EQ(cx, ScaleForDpi(7, ExpectedDpi()));
    EXPECT_EQ(ImageList_GetImageCount(arrows), 2);
}

TEST_F(HighDpi, TheTabBarGrowsWithTheDpi) {
    for (const std::wstring& folder : MakeFolders(L"tab", 3)) ASSERT_NE(OpenFolderChild(folder), nullptr);
    const int rows = TabBar().display.top;
    const int rowsAt96 = TabRowsAt96Dpi(frame_);
    if (ExpectedDpi() > kBaseDpi)
        EXPECT_GT(rows, rowsAt96);
    else
        EXPECT_EQ(rows, rowsAt96);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(TabBar().images, &cx, &cy));
    EXPECT_EQ(cx, ScaleForDpi(8, ExpectedDpi()));
}

TEST_F(HighDpi, TheFrameTakesTheRectangleSuggestedForANewDpi) {
    TFolderView* view = OpenSmallFolder();
    ASSERT_NE(view, nullptr);
    HWND header = ListView_GetHeader(view->ListView);
    const LRESULT arrowsBefore = SendMessageW(header, HDM_GETIMAGELIST, 0, 0);
    const HIMAGELIST tabImagesBefore = TabBar().images;
    const LRESULT toolBarImagesBefore = SendMessageW(Frame().toolBar, TB_GETIMAGELIST, 0, 0);
    const LRESULT toolBarFontBefore = SendMessageW(Frame().toolBar, WM_GETFONT, 0, 0);
    HWND side = FindWindowExW(frame_, nullptr, kSideBaseClassName, nullptr);
    ASSERT_NE(side, nullptr);
    HWND closeBar = FindWindowExW(side, nullptr, TOOLBARCLASSNAMEW, nullptr);
    const LRESULT closeImagesBefore = SendMessageW(closeBar, TB_GETIMAGELIST, 0, 0);
    const LRESULT captionFontBefore = SendMessageW(SideBaseCaption(side), WM_GETFONT, 0, 0);
    // The folder tree and the status bar left as a monitor at twice the scale made them.
    SendMessageW(frame_, WM_COMMAND, IDM_SIDE_FOLDERS, 0);
    HWND tree = FolderTreeControl();
    ASSERT_NE(tree, nullptr);
    const int treeItemHeight = TreeView_GetItemHeight(tree);
    TreeView_SetImageList(tree, SystemImageListOfSide(SmallIconSide(2 * ExpectedDpi())), TVSIL_NORMAL);
    ASSERT_GT(TreeView_GetItemHeight(tree), treeItemHeight);
    HWND status = Frame().statusBar;
    ASSERT_NE(status, nullptr);
    const int statusHeight = WindowHeight(status);
    LOGFONTW twiceLogFont{};
    ASSERT_TRUE(StatusFontForDpi(twiceLogFont, 2 * ExpectedDpi()));
    UniqueFont twiceFont(CreateFontIndirectW(&twiceLogFont));
    SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(twiceFont.get()), FALSE);
    ASSERT_GT(WindowHeight(status), statusHeight);
    RECT suggested{40, 30, 40 + 700, 30 + 500};
    SendMessageW(frame_, WM_DPICHANGED, MAKEWPARAM(ExpectedDpi(), ExpectedDpi()), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(frame_, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    // The lists and the tab bar made their pictures again for the DPI they are at now.
    EXPECT_NE(SendMessageW(header, HDM_GETIMAGELIST, 0, 0), arrowsBefore);
    EXPECT_NE(TabBar().images, tabImagesBefore);
    EXPECT_NE(SendMessageW(Frame().toolBar, TB_GETIMAGELIST, 0, 0), toolBarImagesBefore);
    EXPECT_NE(SendMessageW(Frame().toolBar, WM_GETFONT, 0, 0), toolBarFontBefore);
    EXPECT_NE(SendMessageW(closeBar, TB_GETIMAGELIST, 0, 0), closeImagesBefore);
    EXPECT_NE(SendMessageW(SideBaseCaption(side), WM_GETFONT, 0, 0), captionFontBefore);
    EXPECT_EQ(IconSideOf(TreeView_GetImageList(tree, TVSIL_NORMAL)), SmallIconSide(ExpectedDpi()));
    EXPECT_EQ(TreeView_GetItemHeight(tree), treeItemHeight);
    EXPECT_EQ(WindowHeight(status), statusHeight);
    int edges[3] = {};
    ASSERT_EQ(SendMessageW(status, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges)), 3);
    EXPECT_EQ(edges[0], ScaleForDpi(StatusBarSettings::First.def, ExpectedDpi()));
    EXPECT_EQ(edges[1], ScaleForDpi(StatusBarSettings::Second.def, ExpectedDpi()));
}

// A drawing stretched from 100 % to 150 % doubles every other pixel line;
// the pictures drawn for the DPI keep their lines as even as at 100 %.
TEST_F(HighDpi, OurBitmapsAreDrawnForTheDpiNotStretched) {
    TFolderView* view = OpenSmallFolder();
    ASSERT_NE(view, nullptr);
    auto arrows = reinterpret_cast<HIMAGELIST>(SendMessageW(ListView_GetHeader(view->ListView), HDM_GETIMAGELIST, 0, 0));
    std::vector<int> widths;
    for (const std::vector<DWORD>& row : DrawnImage(arrows, 0)) {
        const int dark = static_cast<int>(std::count_if(row.begin(), row.end(), IsArrow));
        if (dark > 0) widths.push_back(dark);
    }
    // The ascending arrow: one pixel at its tip, two more on every row, the whole image wide at its base.
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(widths.front(), 1);
    for (size_t row = 1; row < widths.size(); ++row) EXPECT_EQ(widths[row], widths[row - 1] + 2) << "row " << row;
    EXPECT_EQ(widths.back(), ScaleForDpi(7, ExpectedDpi()));

    // The lock mark's frame is as thick on every side.
    const std::vector<std::vector<DWORD>> mark = DrawnImage(TabBar().images, 0);
    ASSERT_FALSE(mark.empty());
    const size_t middle = mark.size() / 2;
    const std::vector<DWORD>& across = mark[middle];
    std::vector<DWORD> down;
    for (const std::vector<DWORD>& row : mark) down.push_back(row[middle]);
    const int left = FrameRun(across);
    ASSERT_GT(left, 0);
    EXPECT_EQ(FrameRun({across.rbegin(), across.rend()}), left);
    EXPECT_EQ(FrameRun(down), left);
    EXPECT_EQ(FrameRun({down.rbegin(), down.rend()}), left);
}

// The toolbar's images are the drawings for the DPI, every button's drawn.
TEST_F(HighDpi, TheToolBarImagesAreDrawnAtTheDpisSize) {
    HWND bar = Frame().toolBar;
    ASSERT_NE(bar, nullptr);
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0));
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, ScaleForDpi(16, ExpectedDpi()));
    EXPECT_EQ(cy, cx);
    const int buttons = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < buttons; ++i) {
        TBBUTTON button{};
        SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & BTNS_SEP) continue;
        bool drawn = false;
        for (const std::vector<DWORD>& row : DrawnImage(images, button.iBitmap))
            drawn = drawn || std::any_of(row.begin(), row.end(), [](DWORD pixel) { return pixel != 0xFFFFFF; });
        EXPECT_TRUE(drawn) << "button " << button.idCommand;
    }
}

// With names under the images, a button (but a split one, whose arrow shares
// it) holds its whole name in the bar's font within an edge on either side.
TEST_F(HighDpi, TheToolBarsButtonsHoldTheirWholeNames) {
    HWND bar = Frame().toolBar;
    ApplyTextMode(bar, 2);
    HDC dc = GetDC(bar);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    for (int i = 0; i < kToolButtonCount; ++i) {
        TBBUTTON button{};
        SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & (BTNS_SEP | BTNS_DROPDOWN)) continue;
        wchar_t name[64] = {};
        SendMessageW(bar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(name));
        SIZE text{};
        GetTextExtentPoint32W(dc, name, lstrlenW(name), &text);
        RECT rect{};
        SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
        EXPECT_GE(rect.right - rect.left - 2 * GetSystemMetrics(SM_CXEDGE), text.cx) << button.idCommand;
    }
    ReleaseDC(bar, dc);
}

// In a small frame the side toolbar wraps into further columns: each button
// stands whole in the part of the bar the frame shows, where a click reaches it.
TEST_F(HighDpi, TheSideToolBarKeepsEveryButtonInReachOfASmallFrame) {
    SendMessageW(frame_, WM_COMMAND, IDM_SIDE_TOOLBAR, 0);
    HWND bar = Frame().sideToolBar;
    SetWindowPos(frame_, nullptr, 0, 0, ScaleForDpi(360, ExpectedDpi()), ScaleForDpi(300, ExpectedDpi()),
                 SWP_NOZORDER | SWP_NOMOVE);
    RECT shown{}, barClient{}, inside{};
    GetClientRect(frame_, &shown);
    MapWindowPoints(frame_, bar, reinterpret_cast<POINT*>(&shown), 2);
    GetClientRect(bar, &barClient);
    IntersectRect(&shown, &shown, &barClient);
    for (int i = 0; i < kToolButtonCount; ++i) {
        TBBUTTON button{};
        RECT rect{};
        SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & BTNS_SEP) continue;
        ASSERT_TRUE(SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect))) << button.idCommand;
        POINT middle{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        IntersectRect(&inside, &rect, &shown);
        EXPECT_TRUE(EqualRect(&inside, &rect)) << button.idCommand;
        EXPECT_EQ(SendMessageW(bar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&middle)), i);
    }
}

// With no stored rectangle the frame opens within the work area, wide
// enough for its whole menu bar on one row, a maximised child's buttons too.
TEST_F(HighDpi, TheFirstFrameFitsTheWorkAreaWithItsMenuOnOneRow) {
    ASSERT_NE(OpenSmallFolder(), nullptr);
    RECT frame{}, work{};
    GetWindowRect(frame_, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT inside{};
    IntersectRect(&inside, &frame, &work);
    EXPECT_TRUE(EqualRect(&inside, &frame));
    MENUBARINFO menu{};
    menu.cbSize = sizeof(menu);
    ASSERT_TRUE(GetMenuBarInfo(frame_, OBJID_MENU, 0, &menu));
    MENUBARINFO last{};
    last.cbSize = sizeof(last);
    ASSERT_TRUE(GetMenuBarInfo(frame_, OBJID_MENU, GetMenuItemCount(GetMenu(frame_)), &last));
    EXPECT_EQ(last.rcBar.top, menu.rcBar.top) << "the last menu item stands on a second row";
}
