#pragma once
// The MDI client that holds the child windows, subclassed for the window
// modes: 0 overlapping windows, 1 tabs (the active child fills the client),
// 2 two panes top and bottom, 3 two panes left and right.

#include <windows.h>

inline constexpr UINT kFirstChildId = 3000;
// lParam of WM_MDIACTIVATE that moves to the other pane without moving the panes.
inline constexpr LPARAM kPaneSwitchActivation = 1604;

// Creates the client inside `frame` for window mode `windowMode` and
// subclasses it. Its place comes from the frame's layout.
HWND CreateMDIClient(HWND frame, HINSTANCE instance, int windowMode);

// Switches the window mode (commands 5110-5113), restyling and placing every child.
void SetWindowMode(int mode);

// The children shown in the split modes' panes (top or left, bottom or right);
// null outside them or while a pane is empty.
HWND FirstPane();
HWND SecondPane();

// Where a new child stands: in the split modes the rectangle of the pane it
// will fill (x, y, width, height in left, top, right, bottom), else
// CW_USEDEFAULT throughout. Asked before the child is made, because making an
// activated child changes which pane is active.
struct NewChildPlace {
    int slot = -1;  // 0 first pane, 1 second, -1 none
    RECT rect{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
};
NewChildPlace PlaceForNewChild(bool activate);
// Puts the new child into the pane chosen for it and fills an empty pane.
void SettleNewChild(HWND child, const NewChildPlace& place);
// A child found already open and not activated goes into the pane that is not active.
void ShowInInactivePane(HWND child);
