#pragma once
// The side bar: a strip at the left of the frame that shows one navigation
// pane at a time under a caption row with a close button, and optionally the
// thumbnail pane below it. Its right edge and the band above the thumbnail
// pane are splitters.

#include <windows.h>

inline constexpr wchar_t kSideBaseClassName[] = L"SideBaseClass";

// Sent to every pane with the side bar command (5014, 5015, 5042) in wParam:
// the pane named by it shows itself, the others hide.
inline constexpr UINT WM_SIDEPANE_SHOW = WM_APP + 3;

// The narrowest side bar and the lowest thumbnail pane a splitter leaves, at 96 DPI.
inline constexpr int kSideBaseMinWidth = 80;
inline constexpr int kThumbnailMinHeight = 20;

enum class SidePane { Favorites, FolderTree, Search, Thumbnail };

// The panes the side bar lays out; the frame, which keeps them, answers.
struct SideBaseLinks {
    HWND (*pane)(SidePane pane) = nullptr;
};
SideBaseLinks& SideBaseLink();

// Created hidden, as wide as SideBaseWidth says.
HWND CreateSideBase(HWND frame, HINSTANCE instance);
HWND SideBaseCaption(HWND sideBase);
void SetSideBaseCaption(HWND sideBase, const wchar_t* text);
// Unchecks the side bar buttons, hides the side bar, lays the frame out
// again and, when the focus was inside, gives it to the active folder view.
void CloseSideBase(HWND sideBase);
