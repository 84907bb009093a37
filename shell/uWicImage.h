#pragma once
// Pictures through the Windows Imaging Component: decoding a file or a block
// of memory into a bitmap scaled to fit a square, and encoding a bitmap as PNG.
// Used by our thumbnail extractor and our thumbnail cache. COM must be
// initialised on the calling thread.

#include "app/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

// Decodes the first frame of the picture file `path` and scales it to fit
// `side` × `side`, keeping its proportions and never enlarging it.
// Transparent parts are laid over `background`. The result is a 32-bit
// top-down DIB section; empty when the file cannot be decoded.
UniqueBitmap DecodeFileFitted(const std::wstring& path, int side, COLORREF background);

// The same for a picture held in memory. Pictures with a side longer than
// `largestSide` are refused rather than decoded.
UniqueBitmap DecodeMemoryFitted(const BYTE* data, size_t size, int side, int largestSide, COLORREF background);

// `bitmap` (any kind the screen can read) as a 24-bit PNG; false when it cannot be encoded.
bool EncodePng(HBITMAP bitmap, std::vector<BYTE>& png);

// Lower-case file name extensions (".png") that an installed decoder claims.
const std::vector<std::wstring>& DecodableExtensions();
