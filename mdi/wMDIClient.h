#pragma once
// The MDI client that holds the child windows, subclassed for the window modes.

#include <windows.h>

inline constexpr UINT kFirstChildId = 3000;

// Creates the client inside `frame` for window mode `windowMode` (0 normal,
// 1 tab, 2 and 3 split) and subclasses it. Its place comes from the frame's layout.
HWND CreateMDIClient(HWND frame, HINSTANCE instance, int windowMode);
