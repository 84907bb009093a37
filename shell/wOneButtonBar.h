#pragma once
// A toolbar of one image button, as the address bar's go button and the side
// bar's close button are: its image is our bitmap drawn for the DPI of the
// monitor the bar is on.

#include "app/Handles.h"

#include <windows.h>

struct OneButtonBar {
    DWORD style;             // window styles besides WS_CHILD and the toolbar's
    UINT id;                 // the bar's control identifier, 0 for none
    UINT command;            // the command its button sends to the parent
    const wchar_t* bitmap;   // the resource drawn for 100 % (see LoadBitmapForDpi)
    int imageSide;           // the image's side at 100 %
};

// Creates the bar as a child of `parent`; `images` receives the image list
// it draws with, which the caller keeps until the bar is gone.
HWND CreateOneButtonBar(HWND parent, const OneButtonBar& bar, UniqueImageList& images);
// Draws the button's image again for the DPI of the monitor the bar is on now.
void MakeOneButtonImages(HWND window, const OneButtonBar& bar, UniqueImageList& images);
