#pragma once
// The address bar's go button: a one-button toolbar at the right end of the
// band, beside the combo box, that opens what is typed.

#include "app/Handles.h"

#include <windows.h>

// The command the button sends to the band host.
inline constexpr UINT kGoButtonCommand = 1;

// Creates the button, hidden, as a child of `host`; `images` receives the
// image list it draws with, which the caller keeps until the button is gone.
HWND CreateGoButton(HWND host, UniqueImageList& images);
// Draws the button's image for the DPI of the monitor it is on now.
void MakeGoButtonImages(HWND button, UniqueImageList& images);
// Places the combo box and, when it is visible, the go button at the band's
// right end, centred in the band's height.
void LayoutAddressBand(HWND combo, HWND goButton, int width, int height, int dropDownHeight);
