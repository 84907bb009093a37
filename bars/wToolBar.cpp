#include "bars/wToolBar.h"

#include "app/Global.h"
#include "app/Handles.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "bars/uToolBarImages.h"
#include "bars/uToolBarParts.h"
#include "bars/uToolButtons.h"
#include "bars/wCoolBar.h"
#include "res/resource.h"
#include "shell/ShellGuids.h"
#include "shell/uCapabilities.h"
#include "shell/uDpi.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_TRANSPARENT |
                            TBSTYLE_FLAT | TBSTYLE_ALTDRAG | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_ADJUSTABLE |
                            CCS_NOPARENTALIGN | CCS_NORESIZE;
constexpr DWORD kSideBarStyle = TBSTYLE_WRAPABLE | CCS_VERT | CCS_TOP;
constexpr int kSmallImageSide = 16;
constexpr int kLargeImageSide = 24;
// The control's own room around an image at 100 %.
constexpr int kButtonPaddingX = 7;
constexpr int kButtonPaddingY = 6;

struct BarState {
    HWND window = nullptr;
    // The table as this bar adds it: image codes turned into its image indexes.
    std::array<TBBUTTON, kToolButtonCount> buttons{};
    UniqueImageList normal, disabled, hot;
    UniqueFont font;
    bool small = true;
    // The images come from the user's files, drawn at one size for every DPI.
    bool userImages = false;
};

BarState g_bars[2];
bool g_sideLeft = SideToolBarSettings::Left.def;
bool g_sideLeftRead = false;

BarState& StateOf(ToolBarKind kind) { return g_bars[kind == ToolBarKind::Side ? 1 : 0]; }

BarState* StateOfWindow(HWND window) {
    for (BarState& bar : g_bars)
        if (window && bar.window == window) return &bar;
    return nullptr;
}

bool IsSide(const BarState& bar) { return &bar == &g_bars[1]; }

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

UniqueImageList LoadImageFile(const std::wstring& path, int side) {
    if (!FileExists(path)) return {};
    return UniqueImageList(ImageList_LoadImageW(nullptr, path.c_str(), side, 0, kToolBarTransparent, IMAGE_BITMAP,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// A user's own strip replaces every image: the buttons take its images in
// table order, whatever their codes say.
bool UseImageFiles(BarState& bar, int side) {
    const std::wstring stem = App().programDir + L"icon\\" + (IsSide(bar) ? L"stb" : L"tb");
    bar.normal = LoadImageFile(stem + L".bmp", side);
    if (!bar.normal) return false;
    bar.disabled = LoadImageFile(stem + L"_d.bmp", side);
    bar.hot = LoadImageFile(stem + L"_h.bmp", side);
    SendMessageW(bar.window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(bar.normal.get()));
    if (bar.disabled) SendMessageW(bar.window, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(bar.disabled.get()));
    if (bar.hot) SendMessageW(bar.window, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(bar.hot.get()));
    int next = 0;
    for (TBBUTTON& button : bar.buttons)
        if (!(button.fsStyle & BTNS_SEP)) button.iBitmap = next++;
    return true;
}

void UseBuiltInImages(BarState& bar, bool small) {
    ImageBases bases;
    UniqueImageList images = MakeToolBarImages(small, DpiOf(bar.window), bases);
    // The bar lets go of the list it drew with before that list is destroyed.
    SendMessageW(bar.window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    bar.normal = std::move(images);
    const auto& table = ToolButtonTable();
    for (int i = 0; i < kToolButtonCount; ++i)
        if (table[i].kind != ButtonKind::Separator) bar.buttons[i].iBitmap = ImageIndexOf(table[i].imageCode, bases);
}

// The control keeps the room around an image at its 100 % size. Where it
// would cut the room down to an edge, its own padding of 100 % stays: the
// names under the images then keep their ends at every scale.
void SetPaddingForDpi(HWND window) {
    if (!PlatformCapabilities().toolBarPadding) return;
    const UINT dpi = DpiOf(window);
    SendMessageW(window, TB_SETPADDING, 0, MAKELPARAM(ScaleForDpi(kButtonPaddingX, dpi), ScaleForDpi(kButtonPaddingY, dpi)));
}

// The control's own font is the label font of the DPI the process started
// with; a bar draws its names in that font at the DPI of its own monitor.
void UseFontForDpi(BarState& bar) { SetFontForDpi(bar.window, IconTitleFontForDpi, bar.font, false); }

BYTE StyleOf(ButtonKind kind) {
    switch (kind) {
    case ButtonKind::Separator: return BTNS_SEP;
    case ButtonKind::SplitDropDown: return BTNS_DROPDOWN | BTNS_AUTOSIZE;
    case ButtonKind::WholeDropDown: return BTNS_WHOLEDROPDOWN | BTNS_AUTOSIZE;
    case ButtonKind::ShowsText: return BTNS_SHOWTEXT | BTNS_AUTOSIZE;
    case ButtonKind::Plain: break;
    }
    return BTNS_AUTOSIZE;
}

void FillButtons(BarState& bar, int firstName) {
    const auto& table = ToolButtonTable();
    for (int i = 0; i < kToolButtonCount; ++i) {
        TBBUTTON& button = bar.buttons[i];
        button = TBBUTTON{};
        button.idCommand = table[i].command;
        button.fsState = TBSTATE_ENABLED;
        // The side bar wraps its buttons by its width (FitSideToolBar). Given
        // a separator, Wine's control lays the buttons of a vertical bar over
        // each other: the side bar keeps its separators hidden.
        if (IsSide(bar) && table[i].kind == ButtonKind::Separator) button.fsState |= TBSTATE_HIDDEN;
        button.fsStyle = StyleOf(table[i].kind);
        button.iString = table[i].nameIndex < 0 ? -1 : firstName + table[i].nameIndex;
    }
}

void AddTableButtons(const BarState& bar) {
    SendMessageW(bar.window, TB_ADDBUTTONSW, bar.buttons.size(), reinterpret_cast<LPARAM>(bar.buttons.data()));
}

TBSAVEPARAMSW SaveParams(const BarState& bar) {
    return TBSAVEPARAMSW{HKEY_CURRENT_USER, SettingsRootPath().c_str(), IsSide(bar) ? L"SideToolBar" : L"ToolBar"};
}

// The band follows the buttons: its chevron shows once it is narrower.
void AfterButtonsChanged(const BarState& bar) {
    if (IsSide(bar)) {
        RelayoutFrame();
    } else {
        SetBandIdealWidth(GetParent(bar.window), BandToolBar, ButtonsRightEdge(bar.window));
    }
}

void ResetButtons(const BarState& bar) {
    while (SendMessageW(bar.window, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(bar.window, TB_DELETEBUTTON, 0, 0);
    AddTableButtons(bar);
    AfterButtonsChanged(bar);
}

// The customise dialog's list of buttons the bar can hold: the table, each
// entry in the state its button has on the bar now.
LRESULT GiveButtonInfo(const BarState& bar, NMTOOLBARW& info) {
    if (info.iItem < 0 || info.iItem >= kToolButtonCount) return FALSE;
    info.tbButton = bar.buttons[info.iItem];
    const int command = info.tbButton.idCommand;
    if (command) {
        const LRESULT state = SendMessageW(bar.window, TB_GETSTATE, command, 0);
        if (state != -1) info.tbButton.fsState = static_cast<BYTE>(state);
    }
    if (info.pszText && info.cchText > 0)
        lstrcpynW(info.pszText, ToolButtonName(ToolButtonTable()[info.iItem].nameIndex), info.cchText);
    return TRUE;
}

// A restored button is the table's button of the stored command: the stored
// layout keeps only the commands, and the control leaves the rest to us. A
// separator is stored as command 0 (Wine's control drops a separator that
// is not filled in here), the table's first entry of that command.
void RestoreButton(const BarState& bar, NMTBRESTORE& restore) {
    if (restore.iItem < 0) return;
    for (const TBBUTTON& button : bar.buttons) {
        if (button.idCommand == restore.tbButton.idCommand) {
            restore.tbButton = button;
            return;
        }
    }
}

// The rectangles of the buttons the bar shows; the control gives none for a hidden one.
std::vector<RECT> ShownButtonRects(HWND toolbar) {
    std::vector<RECT> rects;
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT rect{};
        if (SendMessageW(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect))) rects.push_back(rect);
    }
    return rects;
}

// Lays the bar out at `width` and answers the bounds of its buttons.
RECT LayOutAtWidth(HWND bar, int width, int height) {
    SetWindowPos(bar, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(bar, TB_AUTOSIZE, 0, 0);
    RECT bounds{};
    for (const RECT& rect : ShownButtonRects(bar)) UnionRect(&bounds, &bounds, &rect);
    return bounds;
}

// The control lets the last button of a row reach a little beyond the width
// it wraps at; the bar takes the width its rows really end at, which wraps
// them the same way.
int SettleWidth(HWND bar, int width, int height) {
    for (int tries = 0; tries < 3; ++tries) {
        const int right = LayOutAtWidth(bar, width, height).right;
        if (right == width) break;
        width = right;
    }
    return width;
}

}  // namespace

HWND CreateToolBar(ToolBarKind kind, HWND parent) {
    BarState& bar = StateOf(kind);
    const bool side = kind == ToolBarKind::Side;
    UniqueRegKey key;
    SettingsOpen(side ? SettingsArea::SideToolBar : SettingsArea::ToolBar, key);
    const int mode = side ? 0 : ReadTextMode(key.get());
    const bool small = side || SettingsRead(key.get(), ToolBarSettings::SmallIcon);
    if (side && !g_sideLeftRead) {
        g_sideLeftRead = true;
        g_sideLeft = SettingsRead(key.get(), SideToolBarSettings::Left);
    }

    const DWORD style = kBarStyle | (side ? kSideBarStyle : 0) | (mode == 1 ? TBSTYLE_LIST : 0);
    bar.window = CreateWindowExW(WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(side ? kSideToolBarId : kToolBarId)),
                                 Instance(), nullptr);
    if (!bar.window) return nullptr;
    HWND window = bar.window;
    SendMessageW(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The resource's first character separates the names.
    const int firstName = static_cast<int>(
        SendMessageW(window, TB_ADDSTRINGW, reinterpret_cast<WPARAM>(Instance()), IDS_TOOLBUTTON_NAMES));
    SendMessageW(window, TB_SETEXTENDEDSTYLE, 0, ExtendedStyleFor(mode));
    SendMessageW(window, TB_SETMAXTEXTROWS, mode == 0 ? 0 : 1, 0);
    FillButtons(bar, firstName < 0 ? 0 : firstName);
    bar.small = small;
    bar.userImages = UseImageFiles(bar, small ? kSmallImageSide : kLargeImageSide);
    if (!bar.userImages) UseBuiltInImages(bar, small);
    SetPaddingForDpi(window);
    UseFontForDpi(bar);
    AddTableButtons(bar);
    TBSAVEPARAMSW params = SaveParams(bar);
    SendMessageW(window, TB_SAVERESTOREW, FALSE, reinterpret_cast<LPARAM>(&params));
    for (const TBBUTTON& button : bar.buttons)
        if (button.idCommand) SendMessageW(window, TB_ENABLEBUTTON, button.idCommand, MAKELPARAM(TRUE, 0));
    if (!side) {
        AttachBar(parent, window, BandToolBar, ButtonHeight(window));
        SetBandIdealWidth(parent, BandToolBar, ButtonsRightEdge(window));
        BandHandlers handlers;
        handlers.chevronPushed = [](const NMREBARCHEVRON& chevron) {
            ShowToolBarOverflow(chevron.hdr.hwndFrom, chevron.rc);
        };
        SetBandHandlers(BandToolBar, handlers);
    }
    return window;
}

int FitSideToolBar(HWND bar, int height) {
    const std::vector<RECT> shown = ShownButtonRects(bar);
    if (shown.empty()) return 0;
    // The control wraps a row where the next button no longer fits the bar's
    // width. The narrowest width whose last row ends within the height leaves
    // the most room to the tabs: one column when it fits, the buttons in a
    // single row when nothing does.
    int widest = 0, oneRow = 0;
    for (const RECT& rect : shown) {
        widest = std::max(widest, static_cast<int>(rect.right - rect.left));
        oneRow += rect.right - rect.left;
    }
    if (LayOutAtWidth(bar, widest, height).bottom <= height) return SettleWidth(bar, widest, height);
    int tooNarrow = widest, wideEnough = oneRow;
    while (wideEnough - tooNarrow > 1) {
        const int middle = (tooNarrow + wideEnough) / 2;
        if (LayOutAtWidth(bar, middle, height).bottom <= height)
            wideEnough = middle;
        else
            tooNarrow = middle;
    }
    return SettleWidth(bar, wideEnough, height);
}

void ToolBarsFollowDpi() {
    for (BarState& bar : g_bars) {
        if (!bar.window || !IsWindow(bar.window)) continue;
        // Every set has as many images at every size: the buttons' indexes stay.
        if (!bar.userImages) UseBuiltInImages(bar, bar.small);
        SetPaddingForDpi(bar.window);
        UseFontForDpi(bar);
        SendMessageW(bar.window, TB_AUTOSIZE, 0, 0);
        if (!IsSide(bar)) SetBandChildHeight(GetParent(bar.window), BandToolBar, ButtonHeight(bar.window));
        AfterButtonsChanged(bar);
    }
}

bool ToolBarNotify(const NMHDR& header, LRESULT& result) {
    BarState* bar = StateOfWindow(header.hwndFrom);
    if (!bar) return false;
    result = 0;
    switch (header.code) {
    case TBN_INITCUSTOMIZE:
        if (!IsSide(*bar)) AddTextIconPage(reinterpret_cast<const NMTBCUSTOMIZEDLG&>(header).hDlg, bar->window);
        result = TBNRF_HIDEHELP;
        return true;
    case TBN_GETBUTTONINFOW:
        result = GiveButtonInfo(*bar, *reinterpret_cast<NMTOOLBARW*>(const_cast<NMHDR*>(&header)));
        return true;
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
        result = TRUE;
        return true;
    case TBN_RESTORE:
        RestoreButton(*bar, *reinterpret_cast<NMTBRESTORE*>(const_cast<NMHDR*>(&header)));
        return true;
    case TBN_RESET:
        ResetButtons(*bar);
        return true;
    case TBN_TOOLBARCHANGE:
        AfterButtonsChanged(*bar);
        return true;
    case TBN_DROPDOWN: {
        const auto& drop = reinterpret_cast<const NMTOOLBARW&>(header);
        DropDownMenu(bar->window, drop.iItem, drop.rcButton);
        result = TBDDRET_DEFAULT;
        return true;
    }
    case NM_RCLICK:
        ShowBarMenu(IsSide(*bar), g_sideLeft);
        result = TRUE;
        return true;
    }
    return false;
}

void ShowToolBarOverflow(HWND rebar, const RECT& chevron) {
    if (HWND window = StateOf(ToolBarKind::Standard).window) ShowOverflowMenu(window, rebar, chevron);
}

void CustomizeToolBar(HWND bar) {
    if (bar && IsWindow(bar)) SendMessageW(bar, TB_CUSTOMIZE, 0, 0);
}

bool SideToolBarOnLeft() { return g_sideLeft; }

void SetSideToolBarOnLeft(bool left) {
    g_sideLeftRead = true;
    g_sideLeft = left;
}

void SaveToolBars() {
    for (BarState& bar : g_bars) {
        if (!bar.window || !IsWindow(bar.window)) continue;
        TBSAVEPARAMSW params = SaveParams(bar);
        SendMessageW(bar.window, TB_SAVERESTOREW, TRUE, reinterpret_cast<LPARAM>(&params));
    }
    if (HWND standard = StateOf(ToolBarKind::Standard).window; standard && IsWindow(standard)) {
        UniqueRegKey key;
        if (SettingsCreate(SettingsArea::ToolBar, key))
            SettingsWrite(key.get(), ToolBarSettings::Mode, TextModeOf(standard));
    }
    if (g_sideLeftRead) {
        UniqueRegKey key;
        if (SettingsCreate(SettingsArea::SideToolBar, key)) SettingsWrite(key.get(), SideToolBarSettings::Left, g_sideLeft);
    }
}
