#pragma once
// Our own IExtractImage for picture files, the stand-in where a folder offers
// no extractor of its own: any format an installed imaging decoder reads
// (PNG, JPEG, BMP and GIF at least), scaled to fit the size asked for with
// its proportions kept, never enlarged, as a 32-bit DIB section. Callers
// normally get it through CreateImageExtractor of the capability layer.

#include "app/ComPtr.h"

#include <shobjidl.h>

#include <string>

// An extractor for the file `path`, or empty when no decoder claims its extension.
ComPtr<IExtractImage> CreateOwnImageExtractor(const std::wstring& path);
