#pragma once
// The thumbnail pane at the bottom of the side bar: the picture of the first
// selected item of the active folder view, as large as the pane. The picture
// is made on the shared scheduler's thread, so a large one never holds the
// window; folders get none.

#include <windows.h>

class TFolderView;

inline constexpr wchar_t kThumbnailClassName[] = L"ThumbnailClass";
// The owner of the pane's tasks on the shared scheduler.
inline constexpr GUID kThumbnailPaneTaskOwner = {
    0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0xB9, 0xE7, 0x2E, 0x70, 0xAB, 0xF3}};
// Refresh the picture from the active folder view's selection.
inline constexpr UINT WM_THUMBNAIL_REFRESH = WM_APP + 4;

// The view the pane follows; set by the frame, which knows the active tab.
struct ThumbnailPaneLinks {
    TFolderView* (*activeView)() = nullptr;
};
ThumbnailPaneLinks& ThumbnailPaneLink();

// Made once, visible, inside the side bar, as high as Thumbnail\Height says.
HWND CreateThumbnailPane(HWND sideBase, HINSTANCE instance);
// The pane, or null while it does not exist.
HWND ThumbnailPane();
// The picture shown now, or null; owned by the pane.
HBITMAP ThumbnailPanePicture();
// Thumbnail\Height from the pane's height, when the pane exists.
void SaveThumbnailPane();
// The folder view's delayed status update: the pane follows the view when it is the active one.
void RefreshThumbnailPaneFor(const TFolderView* view);
