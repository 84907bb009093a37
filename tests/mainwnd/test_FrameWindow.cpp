// The frame window itself: its classes, menu, MDI client and the relay of
// menu messages to a tracked shell context menu.

#include "tests/mainwnd/FrameFixture.h"

#include "input/uKeyAssign.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDIClient.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "shell/uContextMenuSlot.h"

#include <cstdlib>
#include <vector>

namespace {

class FrameWindow : public FrameTest {
protected:
    void SetUp() override { ASSERT_NE(CreateFrame(), nullptr); }
};

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

TEST_F(FrameWindow, TheFrameIsTitledZEKOWithItsClassStyleAndBackground) {
    wchar_t title[16] = {};
    GetWindowTextW(frame_, title, 16);
    EXPECT_STREQ(title, L"ZEKO");
    const LONG_PTR style = GetWindowLongPtrW(frame_, GWL_STYLE);
    EXPECT_EQ(style & (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    EXPECT_EQ(GetClassLongPtrW(frame_, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
    EXPECT_EQ(GetClassLongPtrW(frame_, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
              static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
}

TEST_F(FrameWindow, TheChildClassIsRegistered) {
    WNDCLASSEXW child{sizeof(child)};
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), kChildClassName, &child));
}

TEST_F(FrameWindow, TheMainMenuHasSevenJapaneseMenusWithTheWindowMenuSixth) {
    HMENU menu = GetMenu(frame_);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 7);
    EXPECT_EQ(MenuText(menu, 0), L"ファイル(&F)");
    EXPECT_EQ(MenuText(menu, kWindowMenuPosition), L"ウインドウ(&W)");
    EXPECT_EQ(MenuText(menu, 6), L"ヘルプ(&H)");
    for (int i = 0; i < 7; ++i) EXPECT_NE(GetSubMenu(menu, i), nullptr) << i;
}

TEST_F(FrameWindow, TheFileMenuEndsWithExit) {
    HMENU file = GetSubMenu(GetMenu(frame_), 0);
    const int last = GetMenuItemCount(file) - 1;
    EXPECT_EQ(GetMenuItemID(file, last), UINT{IDM_EXIT});
    EXPECT_EQ(MenuText(file, last), L"アプリケーションの終了(&X)");
}

TEST_F(FrameWindow, SubmenusCarryTheIdentifiersMenuPreparationRecognises) {
    HMENU menu = GetMenu(frame_);
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoW(menu, 2, TRUE, &info));
    EXPECT_EQ(info.wID, UINT{IDM_VIEW_MENU}) << "表示";
    ASSERT_TRUE(GetMenuItemInfoW(menu, 3, TRUE, &info));
    EXPECT_EQ(info.wID, UINT{IDM_FAVORITES_MENU}) << "お気に入り";
}

TEST_F(FrameWindow, TheMdiClientIsAClippingChildOfTheFrameInMode0) {
    HWND client = FrameLink().mdiClient;
    ASSERT_NE(client, nullptr);
    wchar_t className[32] = {};
    GetClassNameW(client, className, 32);
    EXPECT_STREQ(className, L"MDIClient");
    EXPECT_EQ(GetParent(client), frame_);
    const LONG_PTR style = GetWindowLongPtrW(client, GWL_STYLE);
    const LONG_PTR expected = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | MDIS_ALLCHILDSTYLES | WS_CLIPCHILDREN;
    EXPECT_EQ(style & expected, expected);
}

TEST(FrameMDIClient, InTabModeTheClientDoesNotClipItsChildren) {
    HKEY root = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\ZEKO2", &root), ERROR_SUCCESS);
    const DWORD tabMode = 1;
    RegSetValueExW(root, L"WindowMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&tabMode), sizeof(tabMode));
    RegCloseKey(root);
    HWND frame = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(FrameConfig().windowMode, 1);
    const LONG_PTR style = GetWindowLongPtrW(FrameLink().mdiClient, GWL_STYLE);
    EXPECT_EQ(style & WS_CLIPCHILDREN, 0);
    EXPECT_NE(style & MDIS_ALLCHILDSTYLES, 0);
    DestroyWindow(frame);
}

LRESULT CALLBACK TestChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefMDIChildProcW(window, message, wParam, lParam);
}

HWND CreateTestChild(HWND client, const wchar_t* title) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestChildProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameWindowTestChild";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    MDICREATESTRUCTW create{};
    create.szClass = L"FrameWindowTestChild";
    create.szTitle = title;
    create.hOwner = GetModuleHandleW(nullptr);
    create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
    // The client takes every style as given, so the child asks to be visible.
    create.style = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

TEST_F(FrameWindow, TheWindowMenuListsTheChildrenFromIdentifier3000) {
    HMENU windowMenu = GetSubMenu(GetMenu(frame_), kWindowMenuPosition);
    const int before = GetMenuItemCount(windowMenu);
    HWND child = CreateTestChild(FrameLink().mdiClient, L"first");
    ASSERT_NE(child, nullptr);
    const int after = GetMenuItemCount(windowMenu);
    ASSERT_GT(after, before);
    EXPECT_EQ(GetMenuItemID(windowMenu, after - 1), kFirstChildId);
}

TEST_F(FrameWindow, CascadeIsSwallowedOutsideTheNormalMode) {
    HWND first = CreateTestChild(FrameLink().mdiClient, L"first");
    HWND second = CreateTestChild(FrameLink().mdiClient, L"second");
    ASSERT_TRUE(first && second);
    SetWindowPos(first, nullptr, 5, 5, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(second, nullptr, 5, 5, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    FrameConfig().windowMode = 1;
    SendMessageW(frame_, WM_COMMAND, IDM_CASCADE, 0);
    RECT rect{};
    GetWindowRect(first, &rect);
    MapWindowPoints(HWND_DESKTOP, FrameLink().mdiClient, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.right - rect.left, 200) << "mode 1: nothing arranged";

    FrameConfig().windowMode = 0;
    SendMessageW(frame_, WM_COMMAND, IDM_CASCADE, 0);
    GetWindowRect(first, &rect);
    EXPECT_NE(rect.right - rect.left, 200) << "mode 0: cascaded";
}

TEST_F(FrameWindow, OnceCreatedFoldersMayRaiseTheShellsDialogs) {
    EXPECT_TRUE(FrameLink().interactive);
}

TEST_F(FrameWindow, TheDesktopsSystemImageListsAreTaken) {
    EXPECT_NE(Frame().largeImages, nullptr);
    EXPECT_NE(Frame().smallImages, nullptr);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(Frame().smallImages, &cx, &cy);
    EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
}

// A shell context menu stand-in that records the menu messages handed to it.
class RecordingMenu : public IContextMenu3 {
public:
    explicit RecordingMenu(bool third) : third_(third) {}
    std::vector<UINT> seen;
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IContextMenu || riid == IID_IContextMenu2 ||
            (third_ && riid == IID_IContextMenu3)) {
            *out = static_cast<IContextMenu3*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP HandleMenuMsg(UINT message, WPARAM, LPARAM) override {
        seen.push_back(message);
        return S_OK;
    }
    STDMETHODIMP HandleMenuMsg2(UINT message, WPARAM, LPARAM, LRESULT* result) override {
        seen.push_back(message + 0x10000);
        if (result) *result = MAKELRESULT(3, MNC_EXECUTE);
        return S_OK;
    }

private:
    const bool third_;
    ULONG refs_ = 1;
};

TEST_F(FrameWindow, MenuMessagesGoToATrackedContextMenu3AndItsAnswerIsReturned) {
    RecordingMenu menu(true);
    LRESULT answer = 0;
    {
        TrackedContextMenuScope tracking(&menu);
        answer = SendMessageW(frame_, WM_MENUCHAR, MAKEWPARAM('a', MF_POPUP), 0);
        MEASUREITEMSTRUCT measure{ODT_MENU};
        SendMessageW(frame_, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    }
    EXPECT_EQ(answer, MAKELRESULT(3, MNC_EXECUTE));
    ASSERT_EQ(menu.seen.size(), 2u);
    EXPECT_EQ(menu.seen[0], WM_MENUCHAR + 0x10000u);
    EXPECT_EQ(menu.seen[1], WM_MEASUREITEM + 0x10000u);
}

TEST_F(FrameWindow, AContextMenu2GetsTheMessagesThroughHandleMenuMsg) {
    RecordingMenu menu(false);
    {
        TrackedContextMenuScope tracking(&menu);
        SendMessageW(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(GetMenu(frame_), 0)), 0);
        DRAWITEMSTRUCT draw{ODT_MENU};
        EXPECT_EQ(SendMessageW(frame_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), TRUE);
    }
    ASSERT_EQ(menu.seen.size(), 2u);
    EXPECT_EQ(menu.seen[0], static_cast<UINT>(WM_INITMENUPOPUP));
    EXPECT_EQ(menu.seen[1], static_cast<UINT>(WM_DRAWITEM));
}

TEST_F(FrameWindow, WithNoTrackedMenuTheMessagesStayWithTheFrame) {
    RecordingMenu menu(true);
    { TrackedContextMenuScope tracking(&menu); }
    SendMessageW(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(GetMenu(frame_), 0)), 0);
    EXPECT_TRUE(menu.seen.empty());
    EXPECT_FALSE(TrackedContextMenuSlot());
}



// ---------------------------------------------------------------------------
// Stored values outside their meaning, table by table: whatever the frame's
// values (root, WindowSize, Color) or the tab bar's (Tab) hold, the frame
// comes up as a usable window: on a screen, of a size that shows something,
// with its MDI client and a tab bar that leaves the client room.

struct StoredExtreme {
    const char* label;
    const wchar_t* subkey;
    // Null: every value of the table gets `value`.
    const wchar_t* name;
    DWORD value;
};

void PrintTo(const StoredExtreme& extreme, std::ostream* out) { *out << extreme.label; }

const wchar_t* const kRootValues[] = {L"WindowMode", L"DelayTime", L"CloseHistoryCount"};
const wchar_t* const kWindowSizeValues[] = {L"Left", L"Top", L"Width", L"Height"};
const wchar_t* const kColorValues[] = {L"clListViewBK", L"clDirectory",    L"clHidden", L"clReadOnly",
                                       L"clSystem",     L"clCompressed", L"clNormalString", L"clEvenBK"};
const wchar_t* const kTabValues[] = {L"AddPos",  L"ClosePos", L"DragTime", L"Style",  L"MaxString",
                                     L"RClick",  L"RSClick",  L"RCClick",  L"MClick", L"LDClick",
                                     L"RLClick", L"MinWidth"};

void StoreExtreme(const StoredExtreme& extreme) {
    // The rectangle is read only when the frame keeps its size.
    WriteRoot(L"SaveWindowSize", 1);
    if (extreme.name) {
        WriteSetting(extreme.subkey, extreme.name, extreme.value);
        return;
    }
    auto all = [&](const auto& names) {
        for (const wchar_t* name : names) WriteSetting(extreme.subkey, name, extreme.value);
    };
    if (wcscmp(extreme.subkey, L"") == 0) all(kRootValues);
    if (wcscmp(extreme.subkey, L"WindowSize") == 0) all(kWindowSizeValues);
    if (wcscmp(extreme.subkey, L"Color") == 0) all(kColorValues);
    if (wcscmp(extreme.subkey, L"Tab") == 0) all(kTabValues);
}

class StoredExtremes : public FrameTest, public testing::WithParamInterface<StoredExtreme> {};

TEST_P(StoredExtremes, StillGiveAUsableFrame) {
    StoreExtreme(GetParam());
    ASSERT_NE(CreateFrame(), nullptr);
    Relayout();
    Pump();

    EXPECT_TRUE(IsWindowVisible(frame_));
    RECT frameRect{};
    GetWindowRect(frame_, &frameRect);
    EXPECT_GE(frameRect.right - frameRect.left, 100);
    EXPECT_GE(frameRect.bottom - frameRect.top, 100);
    EXPECT_NE(MonitorFromRect(&frameRect, MONITOR_DEFAULTTONULL), nullptr);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(frame_, GWL_STYLE));
    EXPECT_EQ(style & (WS_MINIMIZE | WS_DISABLED), 0u);

    HWND client = FrameLink().mdiClient;
    ASSERT_TRUE(IsWindow(client));
    EXPECT_TRUE(IsWindowVisible(client));
    RECT clientRect{}, frameClient{};
    GetClientRect(client, &clientRect);
    GetClientRect(frame_, &frameClient);
    EXPECT_GE(clientRect.bottom, frameClient.bottom / 3) << "the MDI client keeps room for folders";
    EXPECT_GE(clientRect.right, frameClient.right / 2);

    HWND tabs = TabBar().tabs;
    ASSERT_TRUE(IsWindow(tabs));
    const auto tabStyle = static_cast<DWORD>(GetWindowLongPtrW(tabs, GWL_STYLE));
    EXPECT_EQ(tabStyle & (WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_DISABLED | TCS_OWNERDRAWFIXED | TCS_VERTICAL |
                          TCS_RIGHT | TCS_BOTTOM),
              0u);
    EXPECT_TRUE(IsWindowVisible(TabBar().container));

    // What the values mean afterwards, as far as they are kept.
    const FrameSettings& settings = FrameConfig();
    EXPECT_GE(settings.windowMode, 0);
    EXPECT_LE(settings.windowMode, 3);
    EXPECT_GE(settings.delayTime, 0);
    EXPECT_LE(settings.delayTime, 60000);
    for (COLORREF color : {ColorConfig().listViewBK, ColorConfig().directory, ColorConfig().evenBK})
        EXPECT_EQ(color & 0xFF000000u, 0u);
    const TabBarSettings& tab = TabBar().settings;
    EXPECT_GE(tab.addPos, 0);
    EXPECT_LE(tab.addPos, 2);
    EXPECT_GE(tab.closePos, 0);
    EXPECT_LE(tab.closePos, 4);
    EXPECT_GE(tab.maxString, 0);
    EXPECT_LE(tab.maxString, 1024);
    EXPECT_GE(tab.minWidth, 0);
    EXPECT_LE(tab.minWidth, 1000);
    EXPECT_GE(tab.dragTime, 0);
}

const StoredExtreme kStoredExtremes[] = {
    {"Root_AllBits", L"", nullptr, 0xFFFFFFFF},
    {"Root_TopBit", L"", nullptr, 0x80000000},
    {"Root_WindowModePastLast", L"", L"WindowMode", 4},
    {"Root_DelayTimeNegative", L"", L"DelayTime", static_cast<DWORD>(-200)},
    {"WindowSize_AllBits", L"WindowSize", nullptr, 0xFFFFFFFF},
    {"WindowSize_TopBit", L"WindowSize", nullptr, 0x80000000},
    {"WindowSize_Huge", L"WindowSize", nullptr, 0x7FFFFFFF},
    {"WindowSize_Zero", L"WindowSize", nullptr, 0},
    {"WindowSize_NegativeWidth", L"WindowSize", L"Width", static_cast<DWORD>(-640)},
    {"WindowSize_NegativeHeight", L"WindowSize", L"Height", static_cast<DWORD>(-480)},
    {"WindowSize_TinyWidth", L"WindowSize", L"Width", 1},
    {"WindowSize_FarLeft", L"WindowSize", L"Left", static_cast<DWORD>(-2000000000)},
    {"Color_AllBits", L"Color", nullptr, 0xFFFFFFFF},
    {"Color_TopBit", L"Color", nullptr, 0x80000000},
    {"Tab_AllBits", L"Tab", nullptr, 0xFFFFFFFF},
    {"Tab_TopBit", L"Tab", nullptr, 0x80000000},
    {"Tab_HugePositive", L"Tab", nullptr, 0x7FFFFFFF},
    {"Tab_StyleWindowBits", L"Tab", L"Style", 0xFFFF0000},
    {"Tab_StyleOwnerDrawnVertical", L"Tab", L"Style", TCS_OWNERDRAWFIXED | TCS_VERTICAL | TCS_RIGHT},
    {"Tab_MaxStringHuge", L"Tab", L"MaxString", 0x7FFFFFFF},
    {"Tab_MinWidthNegative", L"Tab", L"MinWidth", static_cast<DWORD>(-100)},
};

INSTANTIATE_TEST_SUITE_P(Values, StoredExtremes, testing::ValuesIn(kStoredExtremes),
                         [](const testing::TestParamInfo<StoredExtreme>& info) { return info.param.label; });

// The tab font is a stored LOGFONTW record: one of sizes past any use must
// give way to the system's font, not make a bar of giant rows.
class TabFontExtremes : public FrameTest, public testing::WithParamInterface<int> {};

TEST_P(TabFontExtremes, GiveWayToTheSystemFont) {
    std::vector<BYTE> record(sizeof(LOGFONTW), static_cast<BYTE>(GetParam()));
    HKEY tab = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\ZEKO2\\Tab", &tab), ERROR_SUCCESS);
    RegSetValueExW(tab, L"Font", 0, REG_BINARY, record.data(), static_cast<DWORD>(record.size()));
    RegCloseKey(tab);
    ASSERT_NE(CreateFrame(), nullptr);
    Relayout();
    LOGFONTW used{};
    ASSERT_TRUE(GetObjectW(TabBar().font.get(), sizeof(used), &used));
    EXPECT_LE(std::abs(used.lfHeight), 96);
    RECT clientRect{}, frameClient{};
    GetClientRect(FrameLink().mdiClient, &clientRect);
    GetClientRect(frame_, &frameClient);
    EXPECT_GE(clientRect.bottom, frameClient.bottom / 3);
}

INSTANTIATE_TEST_SUITE_P(Fills, TabFontExtremes, testing::Values(0xFF, 0x80, 0x7F));

}  // namespace
