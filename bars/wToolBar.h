#pragma once
// The standard toolbar (in the rebar's band 0) and the side toolbar (a
// column at the frame's edge): both built from the one button table, both
// customisable, both keeping their button layout in the settings. Their
// buttons send commands to the frame like menu items.

#include <windows.h>
#include <commctrl.h>

inline constexpr UINT kToolBarId = 1501;
inline constexpr UINT kSideToolBarId = 1512;

enum class ToolBarKind { Standard, Side };

// Creates the bar: the standard one inside `parent`, the rebar, attached to
// its band; the side one as a child of `parent`, the frame. Images come from
// the "icon" folder beside the program when it holds the bar's file.
HWND CreateToolBar(ToolBarKind kind, HWND parent);
// Draws the bars' images and sizes their buttons again for the DPI of the
// monitor they are on now (the frame moved to a monitor of another scale).
void ToolBarsFollowDpi();
// Sizes the side toolbar `bar` to `height` and wraps its buttons into as
// many columns as that height leaves them, each row from left to right;
// answers the width they take, the largest right edge of its buttons.
int FitSideToolBar(HWND bar, int height);
// The bar's WM_NOTIFY, which reaches the frame; false for a notification
// that is not a toolbar's. `result` is what the frame answers.
bool ToolBarNotify(const NMHDR& header, LRESULT& result);
// The standard toolbar's overflow: a menu of the buttons the band cuts off,
// dropped below the chevron at `chevron` (client coordinates of `rebar`).
void ShowToolBarOverflow(HWND rebar, const RECT& chevron);
// The control's customise dialog for `bar`.
void CustomizeToolBar(HWND bar);
// Whether the side toolbar stands at the left edge; flipped by the frame.
bool SideToolBarOnLeft();
void SetSideToolBarOnLeft(bool left);
// Writes each existing bar's buttons, the text mode and the side (frame exit).
void SaveToolBars();
