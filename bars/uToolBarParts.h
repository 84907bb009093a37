#pragma once
// What the toolbar's units share among themselves: its settings, its text
// modes, its menus and the options page of its customise dialog.

#include "app/uSettings.h"

#include <windows.h>
#include <commctrl.h>

namespace ToolBarSettings {
inline constexpr BoolSetting SmallIcon{L"SmallIcon", true};
// 0 no names, 1 the names of the show-text buttons at their right, 2 names under all buttons.
inline constexpr IntSetting Mode{L"mode", 0};
}  // namespace ToolBarSettings

namespace SideToolBarSettings {
inline constexpr BoolSetting Left{L"Left", true};
}  // namespace SideToolBarSettings

// The stored text mode, a value out of range read as none.
int ReadTextMode(HKEY toolBarKey);
// The text mode the bar shows now, from its rows of text and its list style.
int TextModeOf(HWND toolbar);
// The bar's extended style in `mode`. Mixed buttons mean something only with
// the list style of mode 1; Wine's control would keep them in mode 2 too and
// show no names but the show-text buttons'.
DWORD ExtendedStyleFor(int mode);
// Shows the bar in `mode` and fits its band to the new button height.
void ApplyTextMode(HWND toolbar, int mode);

// Adds the text-and-icon options page to the customise dialog `dialog`, once.
void AddTextIconPage(HWND dialog, HWND toolbar);

// The menu of a drop-down button, below `button` (toolbar coordinates).
void DropDownMenu(HWND toolbar, int command, const RECT& button);
// The right-click menu: the main menu's toolbar submenu, or for the side bar
// its own menu with its side checked.
void ShowBarMenu(bool side, bool sideLeft);
// The buttons the band cuts off, as a menu below the rebar's chevron.
void ShowOverflowMenu(HWND toolbar, HWND rebar, const RECT& chevron);

inline int ButtonHeight(HWND toolbar) {
    return HIWORD(static_cast<DWORD>(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0)));
}

// The right edge of the last button: the width the band needs for them all.
inline int ButtonsRightEdge(HWND toolbar) {
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    RECT rect{};
    if (count <= 0 || !SendMessageW(toolbar, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&rect))) return 0;
    return rect.right;
}
