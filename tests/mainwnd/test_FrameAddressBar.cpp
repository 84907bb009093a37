// The address bar in the real frame: it follows the active tab, Enter and the
// go button open the typed folder there, the drop-down list opens an
// ancestor, and the rebar's right click offers the bands.

#include "tests/mainwnd/FrameFixture.h"

#include "bars/wAddressBar.h"
#include "bars/wAddressGoButton.h"
#include "bars/wCoolBar.h"
#include "folderview/uFillJob.h"
#include "folderview/wFolderView.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <shlobj.h>

#include <string>

namespace {

// Holds the listing of the drive's root until the test lets it go.
HANDLE g_rootReleased = nullptr;

HRESULT BindHoldingTheRoot(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(absolute, path) && lstrcmpiW(path, L"C:\\") == 0)
        WaitForSingleObject(g_rootReleased, 60000);
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) return E_FAIL;
    return desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
}

struct RootListingHeld {
    RootListingHeld() {
        g_rootReleased = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetFillFolderBinder(BindHoldingTheRoot);
        TFolderView::SetSynchronousFillLimit(0);
    }
    ~RootListingHeld() {
        SetEvent(g_rootReleased);
        WaitUntil([] { return TFillJob::Running() == 0; }, 60000);
        SetFillFolderBinder(nullptr);
        TFolderView::SetSynchronousFillLimit(INFINITE);
        CloseHandle(g_rootReleased);
    }
};

class FrameAddressBar : public FrameTest {
protected:
    static std::wstring ActiveFolderPath() {
        TMDIChildView* view = ActiveChildView();
        wchar_t path[MAX_PATH] = {};
        if (!view || !view->FolderView || !view->FolderView->AbsoluteIDList) return {};
        return SHGetPathFromIDListW(view->FolderView->AbsoluteIDList, path) ? path : L"";
    }
    static std::wstring EditText() {
        wchar_t text[1040] = {};
        HWND edit = reinterpret_cast<HWND>(SendMessageW(Frame().addressBar, CBEM_GETEDITCONTROL, 0, 0));
        GetWindowTextW(edit, text, ARRAYSIZE(text));
        return text;
    }
    static int EditIcon() {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_IMAGE;
        item.iItem = -1;
        return SendMessageW(Frame().addressBar, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -2;
    }
    static std::wstring WindowsFolder() {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        return windows;
    }
    static bool IsActiveFolder(const std::wstring& path) {
        return lstrcmpiW(ActiveFolderPath().c_str(), path.c_str()) == 0;
    }
    // The check mark of `command` in the toolbar submenu, prepared as the frame prepares it when it opens.
    bool ToolbarItemChecked(UINT command) const {
        HMENU menu = GetMenu(frame_);
        HMENU toolbars = nullptr;
        for (int i = 0; i < GetMenuItemCount(menu) && !toolbars; ++i)
            if (HMENU top = GetSubMenu(menu, i))
                for (int j = 0; j < GetMenuItemCount(top) && !toolbars; ++j)
                    if (GetMenuItemID(top, j) == static_cast<UINT>(-1) && GetSubMenu(top, j) &&
                        GetMenuState(GetSubMenu(top, j), IDM_GO_BUTTON, MF_BYCOMMAND) != static_cast<UINT>(-1))
                        toolbars = GetSubMenu(top, j);
        if (!toolbars) return false;
        SendMessageW(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(toolbars), 0);
        return GetMenuState(toolbars, command, MF_BYCOMMAND) & MF_CHECKED;
    }
    // Types `text` into the edit field and clicks the go button, as a user would.
    static void TypeAndGo(const std::wstring& text) {
        HWND edit = reinterpret_cast<HWND>(SendMessageW(Frame().addressBar, CBEM_GETEDITCONTROL, 0, 0));
        SetWindowTextW(edit, text.c_str());
        const AddressBarWindows bar = AddressBarParts();
        SendMessageW(bar.host, WM_COMMAND, kGoButtonCommand, reinterpret_cast<LPARAM>(bar.goButton));
    }
};

TEST_F(FrameAddressBar, EnterOpensTheTypedFolderAndTheBarShowsIt) {
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_NE(Frame().addressBar, nullptr) << "a new profile shows the address bar";
    EXPECT_TRUE(IsWindowVisible(Frame().addressBar));
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);

    ASSERT_TRUE(OpenTypedAddress(L"%SystemRoot%", 0));
    EXPECT_TRUE(WaitUntil([&] { return lstrcmpiW(ActiveFolderPath().c_str(), windows) == 0; }, 60000))
        << std::string(ActiveFolderPath().begin(), ActiveFolderPath().end());
    EXPECT_TRUE(WaitUntil([&] { return lstrcmpiW(EditText().c_str(), windows) == 0; }, 60000));
    EXPECT_FALSE(OpenTypedAddress(L"%SystemRoot%", 2)) << "Ctrl alone matches no modifier set";

    // A folder still being listed shows a plain folder; its own icon comes with the listing.
    UniqueAbsolutePidl root(ILCreateFromPathW(L"C:\\"));
    const int rootIcon = PIDLIconIndex(root.get(), false, false);
    ASSERT_NE(rootIcon, PlainFolderIconIndex());
    RootListingHeld held;
    ASSERT_TRUE(OpenTypedAddress(L"C:\\", 0));
    EXPECT_TRUE(WaitUntil([&] { return EditText() == L"C:\\"; }, 60000));
    EXPECT_EQ(EditIcon(), PlainFolderIconIndex());
    SetEvent(g_rootReleased);
    EXPECT_TRUE(WaitUntil([&] { return EditIcon() == rootIcon; }, 60000));
}

TEST_F(FrameAddressBar, TheCommandHidesAndShowsItsBandAndTheExitKeepsThat) {
    ASSERT_NE(CreateFrame(), nullptr);
    HWND host = Frame().addressContainer;
    ASSERT_NE(host, nullptr);
    SendMessageW(frame_, WM_COMMAND, IDM_ADDRESS_BAR, 0);
    EXPECT_FALSE(IsWindowVisible(host));
    SendMessageW(frame_, WM_COMMAND, IDM_ADDRESS_BAR, 0);
    EXPECT_TRUE(IsWindowVisible(host));
    SendMessageW(frame_, WM_COMMAND, IDM_ADDRESS_BAR, 0);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"AddressBarVisible"), 0u);
    EXPECT_EQ(ReadSetting(L"AddressBar", L"NewWindowShift"), 1u);
}

TEST_F(FrameAddressBar, ChoosingAnAncestorInTheListOpensItInTheActiveTab) {
    ASSERT_NE(CreateFrame(), nullptr);
    const std::wstring windows = WindowsFolder();
    ASSERT_TRUE(OpenTypedAddress((windows + L"\\system32").c_str(), 0));
    ASSERT_TRUE(WaitUntil([&] { return IsActiveFolder(windows + L"\\system32"); }, 60000));
    const int tabs = TabCount();
    HWND combo = Frame().addressBar;

    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    int chosen = -1;
    for (int i = 0, count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); i < count && chosen < 0; ++i) {
        wchar_t text[MAX_PATH] = {};
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_LPARAM | CBEIF_INDENT | CBEIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageW(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item.lParam), path) &&
            lstrcmpiW(path, windows.c_str()) == 0) {
            chosen = i;
            EXPECT_EQ(item.iIndent, 3) << "desktop 0, My Computer 1, the drive 2";
            SHFILEINFOW file{};
            SHGetFileInfoW(reinterpret_cast<const wchar_t*>(item.lParam), 0, &file, sizeof(file),
                           SHGFI_PIDL | SHGFI_DISPLAYNAME);
            // Where the control asks for the text as it draws, it keeps none to compare.
            if (item.pszText != LPSTR_TEXTCALLBACKW)
                EXPECT_STREQ(item.pszText, file.szDisplayName) << "the entry shows the folder's whole name";
        }
    }
    ASSERT_GE(chosen, 0) << "the active folder's parent is listed";
    SendMessageW(combo, CB_SETCURSEL, chosen, 0);
    HWND list = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETCOMBOCONTROL, 0, 0));
    SendMessageW(combo, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELENDOK), reinterpret_cast<LPARAM>(list));
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0) << "the list is emptied when it closes";

    EXPECT_TRUE(WaitUntil([&] { return IsActiveFolder(windows); }, 60000))
        << std::string(ActiveFolderPath().begin(), ActiveFolderPath().end());
    EXPECT_EQ(TabCount(), tabs) << "no modifier held: the active tab";
}

TEST_F(FrameAddressBar, TheGoButtonOpensWhatIsTypedAndHidingItWidensTheBox) {
    ASSERT_NE(CreateFrame(), nullptr);
    const AddressBarWindows bar = AddressBarParts();
    ASSERT_NE(bar.goButton, nullptr);
    ASSERT_TRUE(IsWindowVisible(bar.goButton)) << "shown by default";
    RECT host{}, combo{};
    GetClientRect(bar.host, &host);
    GetWindowRect(bar.combo, &combo);
    EXPECT_LT(combo.right - combo.left, host.right) << "the button takes the band's right end";

    TypeAndGo(WindowsFolder());
    EXPECT_TRUE(WaitUntil([&] { return IsActiveFolder(WindowsFolder()); }, 60000));

    EXPECT_TRUE(ToolbarItemChecked(IDM_GO_BUTTON));
    SendMessageW(frame_, WM_COMMAND, IDM_GO_BUTTON, 0);
    EXPECT_FALSE(IsWindowVisible(bar.goButton));
    EXPECT_FALSE(ToolbarItemChecked(IDM_GO_BUTTON));
    GetWindowRect(bar.combo, &combo);
    EXPECT_EQ(combo.right - combo.left, host.right) << "the box fills the band at once";
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"AddressBar", L"ShowGoButton"), 0u);
}

TEST_F(FrameAddressBar, WhatNamesNothingLeavesTheTabAsItWas) {
    ASSERT_NE(CreateFrame(), nullptr);
    const std::wstring windows = WindowsFolder();
    ASSERT_TRUE(OpenTypedAddress(windows.c_str(), 0));
    ASSERT_TRUE(WaitUntil([&] { return IsActiveFolder(windows); }, 60000));
    const int tabs = TabCount();
    const std::wstring cases[] = {
        L"C:\\" + std::wstring(40000, L'a'),
        windows + L"\\no such file.txt",
        L"Q:\\",
        L"      ",
    };
    for (const std::wstring& text : cases) {
        TypeAndGo(text);
        Pump();
        EXPECT_TRUE(IsActiveFolder(windows)) << text.size();
        EXPECT_EQ(TabCount(), tabs) << text.size();
    }
}

// The band menu is tracked in a loop of its own; a timer that runs inside it
// reads the menu once it is up and picks "アドレスバー(&A)" by its key.
struct BandMenuSeen {
    bool shown = false;
    UINT addressState = 0;
};
BandMenuSeen g_bandMenu;

void CALLBACK AnswerBandMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!menuWindow || !IsWindowVisible(menuWindow)) return;
    KillTimer(nullptr, timer);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    g_bandMenu.shown = true;
    g_bandMenu.addressState = GetMenuState(menu, IDM_ADDRESS_BAR, MF_BYCOMMAND);
    PostMessageW(menuWindow, WM_CHAR, L'a', 0);
}

TEST_F(FrameAddressBar, TheRebarsRightClickOffersTheBandsAndTheChoiceHidesOne) {
    ASSERT_NE(CreateFrame(), nullptr);
    HWND host = Frame().addressContainer;
    ASSERT_TRUE(IsWindowVisible(host));
    SetTimer(nullptr, 0, 50, AnswerBandMenu);
    RECT rebar{};
    GetWindowRect(Frame().rebar, &rebar);
    SendMessageW(frame_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Frame().rebar), MAKELPARAM(rebar.left + 5, rebar.top + 5));
    ASSERT_TRUE(g_bandMenu.shown);
    EXPECT_TRUE(g_bandMenu.addressState & MF_CHECKED) << "the address band is shown";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(host); }, 20000)) << "its item hides the band";
}

}  // namespace
