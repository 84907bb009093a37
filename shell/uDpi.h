#pragma once
// The scale of the window a size belongs to. Every pixel size the program
// computes is written for 96 DPI (100 %) and goes through ScaleForDpi with the
// DPI of its window; sizes a user stored are pixels and are used as stored.

#include "app/Handles.h"

#include <windows.h>
#include <commctrl.h>

inline constexpr UINT kBaseDpi = 96;

// `px96` pixels at 96 DPI as pixels at `dpi`, rounded to the nearest.
constexpr int ScaleForDpi(int px96, UINT dpi) {
    const long long scaled = static_cast<long long>(px96) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + kBaseDpi / 2) / kBaseDpi : (scaled - kBaseDpi / 2) / kBaseDpi);
}

// The DPI of the monitor `window` is on as the platform reports it to a
// per-monitor aware program (GetDpiForWindow); where the platform has no
// per-window DPI, or for no window, the system's DPI.
UINT DpiOf(HWND window);
// The DPI the whole process started with (the screen's LOGPIXELSY).
UINT SystemDpi();

// The sides of the system's small and large icons at `dpi`.
int SmallIconSide(UINT dpi);
int LargeIconSide(UINT dpi);

// The system image list whose icons are `side` pixels square, or the small or
// large one nearest above it; the indexes of every system image list agree.
// Shared: never destroyed by the caller.
HIMAGELIST SystemImageListOfSide(int side);

// A bitmap resource of `images` images side by side at `dpi`, each image
// ScaleForDpi of its 96-DPI side. `name` holds the drawing for 100 %; where
// the resources `name`_150 and `name`_200 hold drawings for 150 % and 200 %,
// the one of the largest scale not above `dpi` is taken. Only a DPI between
// the drawn scales stretches that drawing, without blending (its edges stay
// hard, with no blur). The caller owns it.
HBITMAP LoadBitmapForDpi(HINSTANCE instance, const wchar_t* name, UINT dpi, int images = 1);
// `bitmap` stretched to `to` without blending (each pixel repeated or left
// out), so that its edges stay hard. The caller owns it.
HBITMAP StretchedWithoutBlending(HBITMAP bitmap, SIZE to);

// The icon title font (the system's font for item labels) at `dpi`.
bool IconTitleFontForDpi(LOGFONTW& font, UINT dpi);
// The status bar's font (the system's status font) at `dpi`.
bool StatusFontForDpi(LOGFONTW& font, UINT dpi);
// Gives `window` the font `fontForDpi` describes at the window's DPI and keeps
// it in `held`, in place of the font before, which the window has let go then.
bool SetFontForDpi(HWND window, bool (*fontForDpi)(LOGFONTW&, UINT), UniqueFont& held, bool redraw);
