#pragma once
// The frame window of the program.

#include <windows.h>

inline constexpr wchar_t kFrameClassName[] = L"ZEKOClass";

// Registers the frame's class, creates the frame and shows it.
HWND CreateMainWindow(HINSTANCE instance, int showCommand);
