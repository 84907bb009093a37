#include "mdi/wMDITab.h"

#include "app/ComPtr.h"
#include "app/Global.h"
#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "mdi/wMDIChild.h"
#include "shell/uDpi.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace {

// Values of the Tab area; the defaults live in TabBarSettings.
namespace TabValue {
inline constexpr wchar_t AddPos[] = L"AddPos";
inline constexpr wchar_t ClosePos[] = L"ClosePos";
inline constexpr wchar_t DragTime[] = L"DragTime";
inline constexpr wchar_t Bottom[] = L"Bottom";
inline constexpr wchar_t Style[] = L"Style";
inline constexpr wchar_t MaxString[] = L"MaxString";
inline constexpr wchar_t RClick[] = L"RClick";
inline constexpr wchar_t RSClick[] = L"RSClick";
inline constexpr wchar_t RCClick[] = L"RCClick";
inline constexpr wchar_t MClick[] = L"MClick";
inline constexpr wchar_t LDClick[] = L"LDClick";
inline constexpr wchar_t RLClick[] = L"RLClick";
inline constexpr wchar_t WheelTab[] = L"WheelTab";
inline constexpr wchar_t FullPath[] = L"FullPath";
inline constexpr wchar_t MinWidth[] = L"MinWidth";
inline constexpr wchar_t Font[] = L"Font";
}  // namespace TabValue

// The tab control is made this tall (at 96 DPI) inside its container; the
// container shows only its tab rows, so the control can grow rows without
// being resized.
constexpr int kTabControlHeight = 300;
// Gap between the top of the layout area and the tab bar, at 96 DPI.
constexpr int kTabBarInset = 3;
// The side of the navigate-lock mark, at 96 DPI.
constexpr int kLockMarkSide = 8;
constexpr COLORREF kTransparentColor = RGB(255, 0, 255);
// A tooltip shows at most 78 characters.
constexpr int kTooltipBufferSize = 79;
// A dragged tab keeps at most this much of its text.
constexpr int kMovedTextSize = 512;

// The tab control styles the options offer. Others are dropped at load: the
// window bits would make the bar a captioned pop-up, owner drawing leaves the
// tabs blank, and vertical, right-hand or bottom tabs fight the bar's layout
// (the bar's own Bottom value places it).
constexpr int kUsableTabStyles = TCS_FLATBUTTONS | TCS_HOTTRACK | TCS_BUTTONS | TCS_MULTILINE | TCS_RAGGEDRIGHT |
                                 TCS_FOCUSONBUTTONDOWN | TCS_TOOLTIPS;
constexpr int kLastAddPos = 2;
constexpr int kLastClosePos = 4;
constexpr int kMaxDragTime = 60000;
// A tab shows at most this many characters; more would be no tab text but a
// line, and the path compaction allocates this much.
constexpr int kMaxTabString = 1024;
constexpr int kMaxTabMinWidth = 1000;
// The font's cell, in either sign of logical units, that still gives a tab bar.
constexpr LONG kMaxFontSize = 96;

// Every value as far as it can mean something; defaults where nothing does.
void KeepUsable(TabBarSettings& s) {
    const TabBarSettings defaults;
    if (s.addPos < 0 || s.addPos > kLastAddPos) s.addPos = defaults.addPos;
    if (s.closePos < 0 || s.closePos > kLastClosePos) s.closePos = defaults.closePos;
    if (s.dragTime < 0 || s.dragTime > kMaxDragTime) s.dragTime = defaults.dragTime;
    s.style &= kUsableTabStyles;
    if (s.maxString < 0) s.maxString = defaults.maxString;
    s.maxString = std::min(s.maxString, kMaxTabString);
    if (s.minWidth < 0 || s.minWidth > kMaxTabMinWidth) s.minWidth = defaults.minWidth;
}

bool UsableFont(const LOGFONTW& font) {
    return font.lfHeight >= -kMaxFontSize && font.lfHeight <= kMaxFontSize && font.lfWidth >= 0 &&
           font.lfWidth <= kMaxFontSize && font.lfWeight >= 0 && font.lfWeight <= FW_HEAVY &&
           wmemchr(font.lfFaceName, L'\0', LF_FACESIZE) != nullptr;
}

TabBarSettings ReadSettings(HKEY key) {
    TabBarSettings s;
    SettingsReadInto(key, TabValue::AddPos, s.addPos);
    SettingsReadInto(key, TabValue::ClosePos, s.closePos);
    SettingsReadInto(key, TabValue::DragTime, s.dragTime);
    SettingsReadInto(key, TabValue::Bottom, s.bottom);
    SettingsReadInto(key, TabValue::Style, s.style);
    SettingsReadInto(key, TabValue::MaxString, s.maxString);
    SettingsReadInto(key, TabValue::RClick, s.rClick);
    SettingsReadInto(key, TabValue::RSClick, s.rsClick);
    SettingsReadInto(key, TabValue::RCClick, s.rcClick);
    SettingsReadInto(key, TabValue::MClick, s.mClick);
    SettingsReadInto(key, TabValue::LDClick, s.ldClick);
    SettingsReadInto(key, TabValue::RLClick, s.rlClick);
    SettingsReadInto(key, TabValue::WheelTab, s.wheelTab);
    SettingsReadInto(key, TabValue::FullPath, s.fullPath);
    SettingsReadInto(key, TabValue::MinWidth, s.minWidth);
    KeepUsable(s);
    return s;
}

// Style, MinWidth and Font belong to the options dialog, which writes them itself.
void WriteSettings(const TabBarSettings& s) {
    UniqueRegKey key;
    if (!SettingsCreate(SettingsArea::Tab, key)) return;
    SettingsWriteInt(key.get(), TabValue::AddPos, s.addPos);
    SettingsWriteInt(key.get(), TabValue::ClosePos, s.closePos);
    SettingsWriteInt(key.get(), TabValue::DragTime, s.dragTime);
    SettingsWriteBool(key.get(), TabValue::Bottom, s.bottom);
    SettingsWriteInt(key.get(), TabValue::MaxString, s.maxString);
    SettingsWriteInt(key.get(), TabValue::RClick, s.rClick);
    SettingsWriteInt(key.get(), TabValue::RSClick, s.rsClick);
    SettingsWriteInt(key.get(), TabValue::RCClick, s.rcClick);
    SettingsWriteInt(key.get(), TabValue::MClick, s.mClick);
    SettingsWriteInt(key.get(), TabValue::LDClick, s.ldClick);
    SettingsWriteInt(key.get(), TabValue::RLClick, s.rlClick);
    SettingsWriteBool(key.get(), TabValue::WheelTab, s.wheelTab);
    SettingsWriteBool(key.get(), TabValue::FullPath, s.fullPath);
}

// The stored font when it can be made (a stored font is the user's choice and
// keeps its stored size at every DPI), else the system's icon title font at `dpi`.
UniqueFont MakeFont(HKEY key, UINT dpi) {
    std::vector<LOGFONTW> stored = SettingsReadRecords<LOGFONTW>(key, TabValue::Font);
    if (!stored.empty() && UsableFont(stored.front())) {
        UniqueFont font(CreateFontIndirectW(&stored.front()));
        if (font) return font;
    }
    LOGFONTW iconTitle{};
    if (!IconTitleFontForDpi(iconTitle, dpi)) return {};
    return UniqueFont(CreateFontIndirectW(&iconTitle));
}

HIMAGELIST MakeImages(HINSTANCE instance, UINT dpi) {
    const int side = ScaleForDpi(kLockMarkSide, dpi);
    HIMAGELIST images = ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, 1, 1);
    UniqueBitmap square(LoadBitmapForDpi(instance, L"SIKAKUBMP", dpi));
    if (images && square) ImageList_AddMasked(images, square.get(), kTransparentColor);
    return images;
}

// The font and the images of the tab control at the DPI it is shown at now.
void ApplyDpi(HWND tabs) {
    TabBarState& bar = TabBar();
    const UINT dpi = DpiOf(tabs);
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(tabs, GWLP_HINSTANCE));
    HIMAGELIST previousImages = bar.images;
    bar.images = MakeImages(instance, dpi);
    TabCtrl_SetImageList(tabs, bar.images);
    if (previousImages) ImageList_Destroy(previousImages);
    UniqueRegKey key;
    SettingsOpen(SettingsArea::Tab, key);
    UniqueFont font = MakeFont(key.get(), dpi);
    if (font) SendMessageW(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    bar.font = std::move(font);
}

int TabControlHeight(HWND tabs) { return ScaleForDpi(kTabControlHeight, DpiOf(tabs)); }

// The display rectangle the tab control has at its current width.
RECT DisplayRect() {
    RECT client{};
    GetClientRect(TabBar().tabs, &client);
    RECT display{0, 0, client.right, TabControlHeight(TabBar().tabs)};
    TabCtrl_AdjustRect(TabBar().tabs, FALSE, &display);
    return display;
}

// A change in the number of tab rows changes the bar's height: the frame lays
// itself out again. A bar that is not on screen waits for the frame's next
// layout: while the frame is being destroyed it is hidden first, and moving
// the MDI client after the client has torn down its own state corrupts the
// heap.
void CheckLayout() {
    if (!TabBar().tabs || !IsWindowVisible(TabBar().container)) return;
    RECT display = DisplayRect();
    if (!EqualRect(&display, &TabBar().display)) RelayoutFrame();
}

void OnSelectionChanged() {
    HWND child = TabChild(SelectedTab());
    if (child && FrameLink().mdiClient) SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

// The tooltip's tool identifier is the tab index.
void OnTooltipText(NMTTDISPINFOW& info) {
    static wchar_t text[kTooltipBufferSize];
    const std::wstring tip = TabTooltip(static_cast<int>(info.hdr.idFrom));
    lstrcpynW(text, tip.c_str(), static_cast<int>(std::size(text)));
    info.lpszText = text;
    info.hinst = nullptr;
}

LRESULT CALLBACK TabBaseProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == TabBar().tabs && header->code == TCN_SELCHANGE) OnSelectionChanged();
        if (header->code == TTN_GETDISPINFOW && TabBar().tabs &&
            header->hwndFrom == TabCtrl_GetToolTips(TabBar().tabs))
            OnTooltipText(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
        return 0;
    }
    case WM_DPICHANGED_AFTERPARENT:
        if (TabBar().tabs) {
            ApplyDpi(TabBar().tabs);
            RelayoutFrame();
        }
        break;
    case WM_DESTROY:
        WriteSettings(TabBar().settings);
        break;
    case WM_NCDESTROY: {
        // The tab control is gone by now, so its font and images can go too.
        TabBarState& bar = TabBar();
        if (bar.images) ImageList_Destroy(bar.images);
        bar.images = nullptr;
        bar.font.reset();
        bar.tabs = nullptr;
        bar.container = nullptr;
        bar.display = {};
        break;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterTabBaseClass(HINSTANCE instance) {
    WNDCLASSEXW wc{sizeof(wc)};
    if (GetClassInfoExW(instance, kTabBaseClassName, &wc)) return;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TabBaseProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTabBaseClassName;
    RegisterClassExW(&wc);
}

TCITEMW ReadItem(int index, UINT mask) {
    TCITEMW item{};
    item.mask = mask;
    if (index >= 0) TabCtrl_GetItem(TabBar().tabs, index, &item);
    return item;
}

void SetItemText(HWND child, const std::wstring& shown) {
    int index = TabIndexOf(child);
    if (index < 0) return;
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(shown.c_str());
    TabCtrl_SetItem(TabBar().tabs, index, &item);
    CheckLayout();
}

}  // namespace

TabBarState& TabBar() {
    static TabBarState state;
    return state;
}

HWND CreateTabBar(HWND frame) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(frame, GWLP_HINSTANCE));
    RegisterTabBaseClass(instance);
    TabBarState& bar = TabBar();

    UniqueRegKey key;
    SettingsOpen(SettingsArea::Tab, key);
    bar.settings = ReadSettings(key.get());

    bar.container = CreateWindowExW(0, kTabBaseClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                    0, 0, 0, 0, frame, nullptr, instance, nullptr);
    if (!bar.container) return nullptr;
    bar.tabs = CreateWindowExW(0, WC_TABCONTROLW, L"",
                               static_cast<DWORD>(bar.settings.style) | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS |
                                   WS_CLIPCHILDREN,
                               0, 0, 0, ScaleForDpi(kTabControlHeight, DpiOf(frame)), bar.container,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kTabControlId)), instance, nullptr);
    ApplyDpi(bar.tabs);
    if (bar.settings.minWidth != 0) TabCtrl_SetMinTabWidth(bar.tabs, bar.settings.minWidth);
    AttachTabMouse(bar.tabs);
    return bar.container;
}

void TabBarLayout(const RECT& area) {
    TabBarState& bar = TabBar();
    HWND client = FrameLink().mdiClient;
    const int x = area.left;
    const int y = area.top;
    const int width = std::max<int>(0, area.right - area.left);
    if (!bar.tabs) {
        if (client) MoveWindow(client, x, y, width, std::max<int>(0, area.bottom - y), TRUE);
        return;
    }
    SetWindowPos(bar.tabs, nullptr, 0, 0, width, TabControlHeight(bar.tabs), SWP_NOZORDER | SWP_NOACTIVATE);
    bar.display = DisplayRect();
    const int rows = bar.display.top;
    const int inset = ScaleForDpi(kTabBarInset, DpiOf(bar.tabs));
    const int clientHeight = std::max<int>(0, area.bottom - y - rows - inset);
    if (bar.settings.bottom) {
        if (client) MoveWindow(client, x, y, width, clientHeight, TRUE);
        MoveWindow(bar.container, x, area.bottom - rows, width, rows, TRUE);
    } else {
        MoveWindow(bar.container, x, y + inset, width, rows, TRUE);
        if (client) MoveWindow(client, x, y + rows + inset, width, clientHeight, TRUE);
    }
}

void AddTab(HWND child, bool select) {
    HWND tabs = TabBar().tabs;
    if (!tabs || !child) return;
    const int count = TabCount();
    int index = count;
    switch (TabBar().settings.addPos) {
    case 0:
        index = 0;
        break;
    case 2:
        if (int selected = SelectedTab(); selected >= 0) index = selected + 1;
        break;
    }
    wchar_t empty[] = L"";
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = empty;
    item.iImage = -1;
    item.lParam = reinterpret_cast<LPARAM>(child);
    index = TabCtrl_InsertItem(tabs, index, &item);
    if (select && index >= 0) TabCtrl_SetCurSel(tabs, index);
    CheckLayout();
}

void RemoveTab(HWND child) {
    int index = TabIndexOf(child);
    if (index < 0) return;
    TabCtrl_DeleteItem(TabBar().tabs, index);
    CheckLayout();
}

void SelectTab(HWND child) {
    int index = TabIndexOf(child);
    if (index >= 0 && index != SelectedTab()) TabCtrl_SetCurSel(TabBar().tabs, index);
}

void MoveTab(int from, int to) {
    HWND tabs = TabBar().tabs;
    const int count = TabCount();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    wchar_t text[kMovedTextSize] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = text;
    item.cchTextMax = kMovedTextSize;
    if (!TabCtrl_GetItem(tabs, from, &item)) return;
    // The control may answer with a pointer of its own, gone once the item is.
    if (item.pszText != text) lstrcpynW(text, item.pszText ? item.pszText : L"", kMovedTextSize);
    item.pszText = text;
    const bool selected = SelectedTab() == from;
    TabCtrl_DeleteItem(tabs, from);
    const int index = TabCtrl_InsertItem(tabs, to, &item);
    if (selected && index >= 0) TabCtrl_SetCurSel(tabs, index);
    CheckLayout();
}

std::wstring TabTooltip(int index) {
    // Without a child ChildFolder would answer the active child's folder.
    HWND child = TabChild(index);
    PCIDLIST_ABSOLUTE folder = child ? ChildFolder(child) : nullptr;
    if (!folder) return {};
    std::wstring tip = PIDLPathOrName(folder);
    if (tip.size() > static_cast<size_t>(kTooltipBufferSize - 1)) tip.resize(kTooltipBufferSize - 1);
    return tip;
}

void SetTabText(HWND child, const std::wstring& text) {
    SetItemText(child, FormatTabText(text, TabBar().settings.maxString));
}

void SetTabPath(HWND child) {
    PCIDLIST_ABSOLUTE folder = ChildFolder(child);
    if (!folder) return;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (FAILED(SHBindToParent(folder, IID_IShellFolder, parent.putVoid(), &last))) return;
    STRRET name{};
    if (FAILED(parent->GetDisplayNameOf(last, SHGDN_FORPARSING | SHGDN_FORADDRESSBAR, &name))) return;
    std::wstring path = StrRetToText(&name, last);
    const int maxString = std::max(1, TabBar().settings.maxString);
    std::vector<wchar_t> compact(static_cast<size_t>(maxString) + 1);
    if (!PathCompactPathExW(compact.data(), path.c_str(), static_cast<UINT>(compact.size()), 0)) return;
    SetItemText(child, EscapeAmpersands(compact.data()));
}

void SetTabLock(HWND child, bool locked) {
    int index = TabIndexOf(child);
    if (index < 0) return;
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    item.iImage = locked ? kLockImage : -1;
    TabCtrl_SetItem(TabBar().tabs, index, &item);
}

int TabCount() {
    return TabBar().tabs ? TabCtrl_GetItemCount(TabBar().tabs) : 0;
}

HWND TabChild(int index) {
    if (!TabBar().tabs || index < 0 || index >= TabCount()) return nullptr;
    return reinterpret_cast<HWND>(ReadItem(index, TCIF_PARAM).lParam);
}

int TabIndexOf(HWND child) {
    if (!child) return -1;
    for (int i = 0, count = TabCount(); i < count; ++i)
        if (TabChild(i) == child) return i;
    return -1;
}

int SelectedTab() {
    return TabBar().tabs ? TabCtrl_GetCurSel(TabBar().tabs) : -1;
}

std::wstring TabText(int index) {
    if (!TabBar().tabs || index < 0 || index >= TabCount()) return {};
    wchar_t buffer[512] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    TabCtrl_GetItem(TabBar().tabs, index, &item);
    return item.pszText ? item.pszText : L"";
}

int TabImage(int index) {
    if (!TabBar().tabs || index < 0 || index >= TabCount()) return -1;
    return ReadItem(index, TCIF_IMAGE).iImage;
}

std::wstring FormatTabText(const std::wstring& text, int maxString) {
    std::wstring shown = text;
    if (maxString > 0 && shown.size() > static_cast<size_t>(maxString)) {
        size_t cut = static_cast<size_t>(maxString);
        // Never leave half of a surrogate pair at the end.
        if (IS_HIGH_SURROGATE(shown[cut - 1])) --cut;
        shown.resize(cut);
        shown += L"...";
    }
    return EscapeAmpersands(shown);
}
