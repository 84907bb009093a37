#pragma once
// The images of a bar built from the button table, at the size its DPI asks
// for: the system's history, view and standard images and the program's own
// strip, in one image list.

#include "app/Handles.h"
#include "bars/uToolButtons.h"

#include <windows.h>
#include <commctrl.h>

// The colour that stands for "no pixel" in the bars' bitmaps, the program's
// and the user's own files alike.
inline constexpr COLORREF kToolBarTransparent = RGB(255, 0, 255);

// The list a bar draws its buttons with, its images 16 (`small`) or 24
// pixels square at 100 %, scaled to `dpi`; `bases` receives where each set
// of images starts in it.
UniqueImageList MakeToolBarImages(bool small, UINT dpi, ImageBases& bases);
