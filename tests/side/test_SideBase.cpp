// The side bar container: its place in the frame, its splitters, closing it
// and what it keeps for the next start.

#include "tests/side/SideFixture.h"

#include "folderview/wThumbnail.h"
#include "tests/mainwnd/FrameFixture.h"

namespace {

RECT RectIn(HWND parent, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int WidthOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

int HeightOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

void Drag(HWND window, POINT from, POINT to) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

class SideBase : public SideTest {
protected:
    RECT SideClient() const {
        RECT rect{};
        GetClientRect(Frame().sideBar, &rect);
        return rect;
    }
};

TEST_F(SideBase, TheFolderPageTakesTheLeftOfTheClientAreaBesideTheTabs) {
    OpenTab(MakeFolder(L"a"));
    ASSERT_FALSE(IsWindowVisible(Frame().sideBar)) << "hidden until a page is chosen";
    const int clientLeftBefore = RectIn(frame_, FrameLink().mdiClient).left;
    ShowFolderPane();

    HWND side = Frame().sideBar;
    ASSERT_TRUE(IsWindowVisible(side));
    const RECT place = RectIn(frame_, side);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(WidthOf(side), 180) << "SideBaseWidth's default";
    EXPECT_EQ(RectIn(frame_, FrameLink().mdiClient).left, clientLeftBefore + 180);
    EXPECT_EQ(GetFocus(), tree_);
    EXPECT_EQ(WindowText(Frame().sideCaption), L"フォルダ");
    // Without the thumbnail pane the page fills the height below the caption row less one pixel.
    const RECT pane = RectIn(side, Frame().folderTreePane);
    EXPECT_EQ(pane.top, 22);
    EXPECT_EQ(pane.bottom, SideClient().bottom - 1);
    EXPECT_EQ(pane.right, SideClient().right - 5);
}

TEST_F(SideBase, TheWidthSplitterFollowsTheMouseButStopsAtEightyPixels) {
    ShowFolderPane();
    HWND side = Frame().sideBar;
    const int grip = SideClient().right - 2;
    Drag(side, {grip, 100}, {250, 100});
    EXPECT_EQ(WidthOf(side), 250);
    EXPECT_EQ(RectIn(frame_, FrameLink().mdiClient).left, 250) << "the frame laid out again";
    Drag(side, {248, 100}, {10, 100});
    EXPECT_EQ(WidthOf(side), 80);
    Drag(side, {40, 100}, {200, 100});
    EXPECT_EQ(WidthOf(side), 80) << "a press away from the edge drags nothing";
}

TEST_F(SideBase, TheThumbnailSplitterLeavesThePaneAtLeastTwentyPixelsHigh) {
    ShowFolderPane();
    Send(IDM_THUMBNAIL_PANE);
    HWND thumbnail = Frame().thumbnailPane;
    ASSERT_NE(thumbnail, nullptr);
    ASSERT_TRUE(IsWindowVisible(thumbnail));
    HWND side = Frame().sideBar;
    EXPECT_EQ(HeightOf(thumbnail), 100) << "Thumbnail\\Height's default";
    const int bandY = RectIn(side, thumbnail).top - 3;
    Drag(side, {30, bandY}, {30, 200});
    EXPECT_EQ(RectIn(side, thumbnail).top, 200);
    Drag(side, {30, 197}, {30, SideClient().bottom + 50});
    EXPECT_EQ(HeightOf(thumbnail), 20);
    // The page above makes room for the pane and the two lines between.
    EXPECT_EQ(RectIn(side, Frame().folderTreePane).bottom, SideClient().bottom - 20 - 7);
}

TEST_F(SideBase, ClosingPutsTheFocusInTheViewAndUnchecksTheSideButtonsOnBothToolbars) {
    HWND list = ChildListView(OpenTab(MakeFolder(L"a")));
    ASSERT_NE(list, nullptr);
    TBBUTTON buttons[3] = {{I_IMAGENONE, IDM_SIDE_FOLDERS, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK},
                           {I_IMAGENONE, IDM_SIDE_FAVORITES, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK},
                           {I_IMAGENONE, IDM_SIDE_SEARCH, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK}};
    for (HWND* bar : {&Frame().toolBar, &Frame().sideToolBar}) {
        *bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | CCS_NORESIZE, 0, 0, 10, 10, frame_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        SendMessageW(*bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageW(*bar, TB_ADDBUTTONSW, 3, reinterpret_cast<LPARAM>(buttons));
    }
    ShowFolderPane();
    ASSERT_EQ(GetFocus(), tree_);

    SendMessageW(Frame().sideBar, WM_COMMAND, IDM_SIDE_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(Frame().sideBar));
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(RectIn(frame_, FrameLink().mdiClient).left, 0);
    for (HWND bar : {Frame().toolBar, Frame().sideToolBar})
        for (UINT command : {IDM_SIDE_FOLDERS, IDM_SIDE_FAVORITES, IDM_SIDE_SEARCH})
            EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONCHECKED, command, 0)) << command;

    Send(IDM_SIDE_FOLDERS);
    EXPECT_TRUE(IsWindowVisible(tree_)) << "the folder command shows it again";
    Send(IDM_SIDE_FOLDERS);
    EXPECT_FALSE(IsWindowVisible(Frame().sideBar)) << "and closes it when it is shown";
}

TEST_F(SideBase, ExitKeepsWidthPageAndThumbnailHeight) {
    ShowFolderPane();
    Send(IDM_THUMBNAIL_PANE);
    SetWindowPos(Frame().sideBar, nullptr, 0, 0, 230, HeightOf(Frame().sideBar), SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(Frame().thumbnailPane, nullptr, 0, 0, 150, 64, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(RunExitSequence(true));
    EXPECT_EQ(ReadRoot(L"SideBaseWidth"), 230u);
    EXPECT_EQ(ReadRoot(L"SideBaseVisible"), 1u);
    EXPECT_EQ(ReadRoot(L"ThumbnailVisible"), 1u);
    EXPECT_EQ(ReadSetting(L"Thumbnail", L"Height"), 64u);
}

class SideBaseStart : public FrameTest {};

TEST_F(SideBaseStart, TheStoredPageWidthAndThumbnailPaneComeBack) {
    WriteRoot(L"SideBaseVisible", 1);
    WriteRoot(L"SideBaseWidth", 230);
    WriteRoot(L"ThumbnailVisible", 1);
    WriteSetting(L"Thumbnail", L"Height", 64);
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_TRUE(IsWindowVisible(Frame().sideBar));
    EXPECT_TRUE(IsWindowVisible(Frame().folderTreePane));
    EXPECT_EQ(WidthOf(Frame().sideBar), 230);
    ASSERT_NE(Frame().thumbnailPane, nullptr);
    EXPECT_EQ(HeightOf(Frame().thumbnailPane), 64);
}

TEST_F(SideBase, AClosedSideBarIsStoredAsNoPage) {
    ShowFolderPane();
    SendMessageW(Frame().sideBar, WM_COMMAND, IDM_SIDE_CLOSE, 0);
    ASSERT_TRUE(RunExitSequence(true));
    EXPECT_EQ(ReadRoot(L"SideBaseVisible"), 0u);
}

}  // namespace
