// The toolbars' menus: the drop-downs of their buttons, the right-click menus
// and the standard toolbar's overflow below the rebar's chevron. A chosen
// command goes to the frame as a menu item's does, except the history
// entries, which step the active tab straight to the entry chosen.

#include "app/Handles.h"
#include "app/uCommandRegistry.h"
#include "app/uFrameLink.h"
#include "bars/uToolBarParts.h"
#include "folderview/wFolderView.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"

namespace {

constexpr int kButtonTextLength = 1040;

HWND Frame() { return FrameLink().window; }

HMENU MainSubmenu(UINT id) { return Frame() ? SubmenuById(GetMenu(Frame()), id) : nullptr; }

void Track(HMENU menu, POINT at) {
    if (menu && Frame()) TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, Frame(), nullptr);
}

// The folder view's view modes, from the first submenu of its background
// menu, with the active view's mode marked; the caller owns it.
HMENU ViewModeMenu() {
    UniqueMenu resource(LoadMenuW(GetModuleHandleW(nullptr), L"POPUPMENU"));
    HMENU background = resource ? GetSubMenu(resource.get(), 0) : nullptr;
    HMENU modes = background ? GetSubMenu(background, 0) : nullptr;
    if (!modes) return nullptr;
    RemoveMenu(background, 0, MF_BYPOSITION);
    if (const TFolderView* view = ActiveFolderView())
        CheckMenuRadioItem(modes, IDM_VIEW_LARGE, IDM_VIEW_THUMBNAILS, IDM_VIEW_LARGE + view->ViewMode, MF_BYCOMMAND);
    return modes;
}

POINT BelowLeft(HWND window, const RECT& rect) {
    POINT at{rect.left, rect.bottom};
    ClientToScreen(window, &at);
    return at;
}

void AddOverflowItem(HMENU menu, HWND toolbar, const TBBUTTON& button) {
    if (button.fsStyle & BTNS_SEP) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    wchar_t name[kButtonTextLength] = {};
    SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(name));
    HMENU submenu = nullptr;
    if (button.idCommand == IDM_SORT_MENU_BUTTON) {
        submenu = CreatePopupMenu();
        if (const TFolderView* view = ActiveFolderView(); view && submenu) view->FillArrangeMenu(submenu);
    } else if (button.idCommand == IDM_VIEW_MENU_BUTTON) {
        submenu = ViewModeMenu();
    }
    if (submenu) {
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), name);
    } else {
        const UINT enabled = (button.fsState & TBSTATE_ENABLED) ? MF_ENABLED : MF_GRAYED;
        AppendMenuW(menu, MF_STRING | enabled, button.idCommand, name);
    }
}

}  // namespace

void DropDownMenu(HWND toolbar, int command, const RECT& button) {
    const POINT at = BelowLeft(toolbar, button);
    switch (command) {
    case IDM_BACK:
    case IDM_FORWARD:
        if (TMDIChildView* view = ActiveChildView()) HistoryMenu(*view, command == IDM_BACK, at);
        break;
    case IDM_VIEW_MENU_BUTTON: {
        UniqueMenu modes(ViewModeMenu());
        Track(modes.get(), at);
        break;
    }
    case IDM_SORT_MENU_BUTTON:
        if (ActiveChild()) Track(MainSubmenu(IDM_ARRANGE_MENU), at);
        break;
    case IDM_REOPEN_LAST:
        Track(MainSubmenu(IDM_CLOSED_MENU), at);
        break;
    }
}

void ShowBarMenu(bool side, bool sideLeft) {
    POINT cursor{};
    GetCursorPos(&cursor);
    if (!side) {
        Track(MainSubmenu(IDM_TOOLBARS_MENU), cursor);
        return;
    }
    UniqueMenu resource(LoadMenuW(GetModuleHandleW(nullptr), L"SIDETOOLBARMENU"));
    HMENU menu = resource ? GetSubMenu(resource.get(), 0) : nullptr;
    if (!menu) return;
    CheckMenuItem(menu, IDM_SIDE_TOOLBAR_LEFT, MF_BYCOMMAND | (sideLeft ? MF_CHECKED : MF_UNCHECKED));
    Track(menu, cursor);
}

void ShowOverflowMenu(HWND toolbar, HWND rebar, const RECT& chevron) {
    RECT client{};
    GetClientRect(toolbar, &client);
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    int first = count;
    for (int i = 0; i < count; ++i) {
        RECT rect{};
        if (SendMessageW(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect)) && rect.right > client.right) {
            first = i;
            break;
        }
    }
    if (first >= count) return;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    for (int i = first; i < count; ++i) {
        TBBUTTON button{};
        if (SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)))
            AddOverflowItem(menu.get(), toolbar, button);
    }
    Track(menu.get(), BelowLeft(rebar, chevron));
}
