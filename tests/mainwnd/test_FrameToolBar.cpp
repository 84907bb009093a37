// The standard toolbar in the real frame: its buttons carry out their
// commands, their states follow the active tab, the back button's drop-down
// steps to the chosen entry, and a restart keeps the customised buttons.

#include "tests/mainwnd/FrameFixture.h"

#include "app/Global.h"
#include "app/uPIDL.h"
#include "bars/uToolBarParts.h"
#include "bars/uToolButtons.h"
#include "bars/wToolBar.h"
#include "folderview/wFolderView.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "tests/support/TestImages.h"
#include "tests/support/RemoveTree.h"

#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr DWORD kNavigationBound = 60000;

class FrameToolBar : public FrameTest {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"zeko-toolbar-" + std::to_wstring(GetCurrentProcessId());
        std::filesystem::create_directories(root_ + L"\\b\\c");
    }
    void TearDown() override {
        FrameTest::TearDown();
        RemoveTree(root_);
    }

    // The program makes its frame once; a restart in the same process starts
    // from no windows, as a new process would.
    HWND Restart() {
        Frame() = FrameState{};
        FrameLink() = FrameWindows{};
        Routes() = {};
        return Create();
    }
    HWND Create() {
        HWND frame = CreateFrame();
        // Wide enough for every button of the band.
        if (frame) SetWindowPos(frame, nullptr, 0, 0, 1500, 600, SWP_NOZORDER | SWP_NOMOVE);
        return frame;
    }
    static std::wstring ActivePath() {
        wchar_t path[MAX_PATH] = {};
        PCIDLIST_ABSOLUTE folder = ChildFolder();
        return folder && SHGetPathFromIDListW(folder, path) ? path : L"";
    }
    // Opens `path` in the active tab (a new one with `newTab`) and waits until it shows.
    bool Open(const std::wstring& path, bool newTab = false) {
        UniqueAbsolutePidl folder;
        SHParseDisplayName(path.c_str(), nullptr, folder.put(), 0, nullptr);
        if (!folder) return false;
        OpenFolder(folder.get(), newTab);
        return WaitUntil([&] { return lstrcmpiW(ActivePath().c_str(), path.c_str()) == 0; }, kNavigationBound);
    }
    bool ShowsPath(const std::wstring& path) {
        return WaitUntil([&] { return lstrcmpiW(ActivePath().c_str(), path.c_str()) == 0; }, kNavigationBound);
    }
    // A click on the button's image, as the user gives it.
    static void Click(UINT command) {
        HWND bar = Frame().toolBar;
        RECT rect{};
        ASSERT_TRUE(SendMessageW(bar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect))) << command;
        const LPARAM at = MAKELPARAM(rect.left + 6, (rect.top + rect.bottom) / 2);
        SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(bar, WM_LBUTTONUP, 0, at);
    }
    static std::vector<int> Commands(HWND bar) {
        std::vector<int> commands;
        for (int i = 0, count = static_cast<int>(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0)); i < count; ++i) {
            TBBUTTON button{};
            SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            commands.push_back(button.idCommand);
        }
        return commands;
    }
    static bool Enabled(UINT command) { return SendMessageW(Frame().toolBar, TB_ISBUTTONENABLED, command, 0) != 0; }
    static bool Checked(UINT command) { return SendMessageW(Frame().toolBar, TB_ISBUTTONCHECKED, command, 0) != 0; }

    std::wstring root_;
};

TEST_F(FrameToolBar, ANewProfileShowsAllButtonsInTheFirstBand) {
    ASSERT_NE(Create(), nullptr);
    HWND bar = Frame().toolBar;
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(GetDlgCtrlID(bar), static_cast<int>(kToolBarId));
    ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), kToolButtonCount);
    TBBUTTON last{};
    SendMessageW(bar, TB_GETBUTTON, kToolButtonCount - 1, reinterpret_cast<LPARAM>(&last));
    EXPECT_EQ(last.idCommand, IDM_HELP);
    wchar_t name[64] = {};
    SendMessageW(bar, TB_GETBUTTONTEXTW, IDM_SIDE_FAVORITES, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, L"お気に入り");
    const int band = static_cast<int>(SendMessageW(Frame().rebar, RB_IDTOINDEX, 0, 0));
    REBARBANDINFOW info{sizeof(info)};
    info.fMask = RBBIM_CHILD | RBBIM_IDEALSIZE;
    SendMessageW(Frame().rebar, RB_GETBANDINFOW, band, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.hwndChild, bar);
    EXPECT_EQ(static_cast<int>(info.cxIdeal), ButtonsRightEdge(bar)) << "the chevron shows once the band is narrower";
}

TEST_F(FrameToolBar, ButtonsCarryOutTheirCommands) {
    ASSERT_NE(Create(), nullptr);
    ASSERT_TRUE(Open(root_ + L"\\b"));
    ASSERT_TRUE(Open(root_ + L"\\b\\c"));
    Click(IDM_GO_UP);
    EXPECT_TRUE(ShowsPath(root_ + L"\\b")) << "up";
    Click(IDM_BACK);
    EXPECT_TRUE(ShowsPath(root_ + L"\\b\\c")) << "back returns to where up started";
    Click(IDM_SIDE_FOLDERS);
    EXPECT_TRUE(Frame().folderTreePane && IsWindowVisible(Frame().folderTreePane));
    EXPECT_TRUE(Checked(IDM_SIDE_FOLDERS));
    Click(IDM_NAVIGATE_LOCK);
    ASSERT_NE(ActiveChildView(), nullptr);
    EXPECT_TRUE(ActiveChildView()->NavigateLock);
    Click(IDM_NAVIGATE_LOCK);
    EXPECT_FALSE(ActiveChildView()->NavigateLock);
    Click(IDM_CLOSE);
    EXPECT_TRUE(WaitUntil([] { return TabCount() == 0; }, kNavigationBound));
}

TEST_F(FrameToolBar, StatesFollowNavigationTabSwitchesAndTheLock) {
    ASSERT_NE(Create(), nullptr);
    EXPECT_FALSE(Enabled(IDM_BACK)) << "no tab";
    ASSERT_TRUE(Open(root_ + L"\\b"));
    HWND first = ActiveChild();
    EXPECT_FALSE(Enabled(IDM_BACK));
    ASSERT_TRUE(Open(root_ + L"\\b\\c"));
    EXPECT_TRUE(Enabled(IDM_BACK));
    EXPECT_FALSE(Enabled(IDM_FORWARD));
    SendMessageW(frame_, WM_COMMAND, IDM_NAVIGATE_LOCK, 0);
    EXPECT_TRUE(Checked(IDM_NAVIGATE_LOCK));

    ASSERT_TRUE(Open(root_, true));
    EXPECT_FALSE(Enabled(IDM_BACK)) << "a new tab has no history";
    EXPECT_FALSE(Checked(IDM_NAVIGATE_LOCK)) << "nor a lock";
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_TRUE(Enabled(IDM_BACK));
    EXPECT_TRUE(Checked(IDM_NAVIGATE_LOCK));
    SendMessageW(frame_, WM_COMMAND, IDM_NAVIGATE_LOCK, 0);
    EXPECT_FALSE(Checked(IDM_NAVIGATE_LOCK));

    SendMessageW(frame_, WM_COMMAND, IDM_CLOSE_ALL, 0);
    EXPECT_TRUE(WaitUntil([] { return TabCount() == 0; }, kNavigationBound));
    EXPECT_FALSE(Enabled(IDM_BACK)) << "the last tab closed";
}

// Chooses entry `g_entry` (1-based) of the popup menu once it is open; the
// timer fires inside the menu's own loop and again until the menu is there.
int g_entry = 0;
void CALLBACK ChooseEntry(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    KillTimer(nullptr, id);
    for (int i = 0; i < g_entry; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(FrameToolBar, TheBackDropDownStepsToTheChosenEntry) {
    ASSERT_NE(Create(), nullptr);
    ASSERT_TRUE(Open(root_));
    ASSERT_TRUE(Open(root_ + L"\\b"));
    ASSERT_TRUE(Open(root_ + L"\\b\\c"));
    SetForegroundWindow(frame_);
    NMTOOLBARW drop{};
    drop.hdr = {Frame().toolBar, kToolBarId, static_cast<UINT>(TBN_DROPDOWN)};
    drop.iItem = IDM_BACK;
    SendMessageW(Frame().toolBar, TB_GETRECT, IDM_BACK, reinterpret_cast<LPARAM>(&drop.rcButton));
    g_entry = 2;
    SetTimer(nullptr, 0, 50, ChooseEntry);
    EXPECT_EQ(SendMessageW(frame_, WM_NOTIFY, kToolBarId, reinterpret_cast<LPARAM>(&drop)), TBDDRET_DEFAULT);
    EXPECT_TRUE(ShowsPath(root_)) << "the second entry back";
    EXPECT_EQ(ActiveChildView()->ForwardList.Count(), 2);
    EXPECT_FALSE(Enabled(IDM_BACK));
    EXPECT_TRUE(Enabled(IDM_FORWARD));
}

TEST_F(FrameToolBar, ARestartKeepsTheCustomisedButtonsTextModeAndVisibility) {
    ASSERT_NE(Create(), nullptr);
    HWND bar = Frame().toolBar;
    // What the customise dialog does when the user removes the first two buttons.
    SendMessageW(bar, TB_DELETEBUTTON, 0, 0);
    SendMessageW(bar, TB_DELETEBUTTON, 0, 0);
    ApplyTextMode(bar, 1);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(frame_));
    EXPECT_EQ(ReadSetting(L"ToolBar", L"mode"), 1u);

    ASSERT_NE(Restart(), nullptr);
    bar = Frame().toolBar;
    std::vector<int> expected;
    for (int i = 2; i < kToolButtonCount; ++i) expected.push_back(ToolButtonTable()[i].command);
    EXPECT_EQ(Commands(bar), expected);
    wchar_t name[64] = {};
    SendMessageW(bar, TB_GETBUTTONTEXTW, IDM_SIDE_SEARCH, reinterpret_cast<LPARAM>(name));
    EXPECT_STREQ(name, L"検索") << "a restored button keeps its name";
    EXPECT_EQ(TextModeOf(bar), 1);
    SendMessageW(frame_, WM_COMMAND, IDM_STANDARD_BUTTONS, 0);
    EXPECT_FALSE(IsWindowVisible(bar));
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"ToolBarVisible"), 0u);

    ASSERT_NE(Restart(), nullptr);
    EXPECT_EQ(Frame().toolBar, nullptr) << "a hidden bar is not made at start";
    SendMessageW(frame_, WM_COMMAND, IDM_STANDARD_BUTTONS, 0);
    ASSERT_NE(Frame().toolBar, nullptr);
    EXPECT_TRUE(IsWindowVisible(Frame().toolBar));
}

TEST_F(FrameToolBar, TheOptionsPageJoinsTheCustomiseDialogOnceAndAppliesWhenItCloses) {
    ASSERT_NE(Create(), nullptr);
    HWND bar = Frame().toolBar;
    HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, frame_, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(dialog, nullptr);
    AddTextIconPage(dialog, bar);
    AddTextIconPage(dialog, bar);
    RECT outer{};
    GetWindowRect(dialog, &outer);
    EXPECT_GT(outer.bottom - outer.top, 300) << "the dialog grows to hold the page";
    HWND page = FindWindowExW(dialog, nullptr, L"#32770", nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(FindWindowExW(dialog, page, L"#32770", nullptr), nullptr) << "one page only";
    HWND text = GetDlgItem(page, IDC_TEXT_OPTIONS);
    EXPECT_EQ(SendMessageW(text, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(text, CB_GETCURSEL, 0, 0), 0) << "the bar's mode: no names";
    SendMessageW(text, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(page, IDC_ICON_OPTIONS, CB_SETCURSEL, 1, 0);
    const int height = ButtonHeight(bar);
    DestroyWindow(dialog);
    EXPECT_EQ(TextModeOf(bar), 2);
    EXPECT_GT(ButtonHeight(bar), height) << "names under the images";
    EXPECT_EQ(ReadSetting(L"ToolBar", L"SmallIcon"), 0u) << "large icons at the next start";
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"ToolBar", L"mode"), 2u);
}

TEST_F(FrameToolBar, TheSideToolBarStandsAtTheChosenSideOfTheSideBarAndKeepsIt) {
    ASSERT_NE(Create(), nullptr);
    SendMessageW(frame_, WM_COMMAND, IDM_SIDE_TOOLBAR, 0);
    HWND side = Frame().sideToolBar;
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(GetDlgCtrlID(side), static_cast<int>(kSideToolBarId));
    EXPECT_EQ(SendMessageW(side, TB_BUTTONCOUNT, 0, 0), kToolButtonCount);
    SendMessageW(frame_, WM_COMMAND, IDM_SIDE_FOLDERS, 0);
    ASSERT_TRUE(IsWindowVisible(Frame().sideBar));
    auto leftOf = [&](HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        MapWindowPoints(HWND_DESKTOP, frame_, reinterpret_cast<POINT*>(&rect), 2);
        return rect.left;
    };
    EXPECT_EQ(leftOf(side), 0);
    EXPECT_GT(leftOf(Frame().sideBar), 0);
    SendMessageW(frame_, WM_COMMAND, IDM_SIDE_TOOLBAR_LEFT, 0);
    EXPECT_EQ(leftOf(Frame().sideBar), 0);
    EXPECT_GT(leftOf(side), 0) << "right of the side bar";
    SendMessageW(frame_, WM_COMMAND, IDM_HIDE_SIDE_TOOLBAR, 0);
    EXPECT_FALSE(IsWindowVisible(side));
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"SideToolBarVisible"), 0u);
    EXPECT_EQ(ReadSetting(L"SideToolBar", L"Left"), 0u);
}

TEST_F(FrameToolBar, AnImageFileInTheIconFolderReplacesEveryImage) {
    const std::wstring programDir = App().programDir;
    App().programDir = root_ + L"\\";
    std::filesystem::create_directories(root_ + L"\\icon");
    ASSERT_TRUE(WriteBmp(root_ + L"\\icon\\tb.bmp", 29 * 16, 16, RGB(0, 128, 0)));
    HWND frame = Create();
    App().programDir = programDir;
    ASSERT_NE(frame, nullptr);
    HWND bar = Frame().toolBar;
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 29);
    EXPECT_EQ(SendMessageW(bar, TB_GETDISABLEDIMAGELIST, 0, 0), 0) << "without tb_d.bmp the control draws them";
    TBBUTTONINFOW info{sizeof(info), TBIF_IMAGE};
    SendMessageW(bar, TB_GETBUTTONINFOW, IDM_GO_UP, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 2) << "the third button takes the third image, whatever its code";
    SendMessageW(bar, TB_GETBUTTONINFOW, IDM_HELP, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 29);
}

}  // namespace
