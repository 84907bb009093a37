#pragma once
// The status bar at the foot of the frame: three parts whose right edges come
// from the StatusBar area (the status line, the size, the display filter).

#include "app/uSettings.h"

#include <windows.h>

inline constexpr UINT kStatusBarId = 1506;

// Values of SettingsArea::StatusBar: right edges in pixels, used as stored.
// Missing, they leave room for a status line of Japanese text and a size at
// 96 DPI, scaled to the frame's DPI; the options dialog writes them.
namespace StatusBarSettings {
inline constexpr IntSetting First{L"First", 300};
inline constexpr IntSetting Second{L"Second", 400};
}  // namespace StatusBarSettings

// Creates the status bar of `frame`, reads its part edges and shows it;
// the frame's state and link hold its handle.
HWND CreateStatusBar(HWND frame);
// Sets the three parts: the edges stored when it was made, the missing ones
// for the bar's DPI now.
void SetStatusBarParts(HWND statusBar);
// The status bar's font (and so its height) for the DPI it is at now; the
// frame's layout that follows sets the parts.
void StatusBarFollowDpi();
// Command 5013: the first use creates the status bar, later ones hide or show it.
void ToggleStatusBar(HWND frame);
