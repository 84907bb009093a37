#include "shell/uDpi.h"

#include <shellapi.h>
#include <shlobj.h>
#include <commoncontrols.h>

#include <string>

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// Both arrived with later systems than the program supports, so they are
// looked up rather than imported.
struct DpiServices {
    GetDpiForWindowFunction dpiForWindow = nullptr;
    GetSystemMetricsForDpiFunction metricsForDpi = nullptr;
    SystemParametersInfoForDpiFunction parametersForDpi = nullptr;
};

const DpiServices& Services() {
    static const DpiServices services = [] {
        DpiServices found;
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
            found.dpiForWindow =
                reinterpret_cast<GetDpiForWindowFunction>(GetProcAddress(user32, "GetDpiForWindow"));
            found.metricsForDpi = reinterpret_cast<GetSystemMetricsForDpiFunction>(
                GetProcAddress(user32, "GetSystemMetricsForDpi"));
            found.parametersForDpi = reinterpret_cast<SystemParametersInfoForDpiFunction>(
                GetProcAddress(user32, "SystemParametersInfoForDpi"));
        }
        return found;
    }();
    return services;
}

int MetricForDpi(int index, int px96, UINT dpi) {
    if (Services().metricsForDpi) {
        const int value = Services().metricsForDpi(index, dpi);
        if (value > 0) return value;
    }
    return ScaleForDpi(px96, dpi);
}

int IconSide(HIMAGELIST list) {
    int cx = 0, cy = 0;
    return list && ImageList_GetIconSize(list, &cx, &cy) ? cx : 0;
}

// The scales our bitmaps are drawn at besides 100 %, largest first, and the
// suffix of the resource name that holds each drawing.
struct DrawnScale {
    UINT dpi;
    const wchar_t* suffix;
};
constexpr DrawnScale kDrawnScales[] = {{192, L"_200"}, {144, L"_150"}};

UniqueBitmap LoadDrawing(HINSTANCE instance, const std::wstring& name) {
    return UniqueBitmap(static_cast<HBITMAP>(LoadImageW(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
}

// The system parameter `action` at `dpi` into `data`, `font` being the font
// within it.
bool SystemParametersForDpi(UINT action, UINT size, void* data, LOGFONTW& font, UINT dpi) {
    if (Services().parametersForDpi && Services().parametersForDpi(action, size, data, 0, dpi)) return true;
    // The system's font is made for the system's DPI.
    if (!SystemParametersInfoW(action, size, data, 0)) return false;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return true;
}

}  // namespace

UINT SystemDpi() {
    static const UINT dpi = [] {
        HDC screen = GetDC(nullptr);
        const int logPixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return logPixels > 0 ? static_cast<UINT>(logPixels) : kBaseDpi;
    }();
    return dpi;
}

UINT DpiOf(HWND window) {
    if (window && Services().dpiForWindow) {
        const UINT dpi = Services().dpiForWindow(window);
        if (dpi != 0) return dpi;
    }
    return SystemDpi();
}

int SmallIconSide(UINT dpi) { return MetricForDpi(SM_CXSMICON, 16, dpi); }

int LargeIconSide(UINT dpi) { return MetricForDpi(SM_CXICON, 32, dpi); }

HIMAGELIST SystemImageListOfSide(int side) {
    // Smallest first, so the first list at least `side` is the nearest above.
    static constexpr int kLists[] = {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE};
    HIMAGELIST nearestAbove = nullptr;
    HIMAGELIST largest = nullptr;
    for (int which : kLists) {
        IImageList* list = nullptr;
        if (FAILED(SHGetImageList(which, __uuidof(IImageList), reinterpret_cast<void**>(&list))) || !list) continue;
        // The system keeps the lists for the life of the process; the reference is not ours to hold.
        auto handle = reinterpret_cast<HIMAGELIST>(list);
        list->Release();
        const int listSide = IconSide(handle);
        if (listSide == side) return handle;
        if (listSide > side && (!nearestAbove || listSide < IconSide(nearestAbove))) nearestAbove = handle;
        if (!largest || listSide > IconSide(largest)) largest = handle;
    }
    return nearestAbove ? nearestAbove : largest;
}

HBITMAP LoadBitmapForDpi(HINSTANCE instance, const wchar_t* name, UINT dpi, int images) {
    UniqueBitmap drawing = LoadDrawing(instance, name);
    if (!drawing) return nullptr;
    const SIZE original = BitmapSize(drawing.get());
    // Image by image, so that a strip still divides into whole images.
    const SIZE wanted{images * ScaleForDpi(original.cx / images, dpi), ScaleForDpi(original.cy, dpi)};
    for (const DrawnScale& scale : kDrawnScales) {
        if (dpi < scale.dpi || IS_INTRESOURCE(name)) continue;
        if (UniqueBitmap larger = LoadDrawing(instance, std::wstring(name) + scale.suffix)) {
            drawing = std::move(larger);
            break;
        }
    }
    const SIZE drawn = BitmapSize(drawing.get());
    if (drawn.cx == wanted.cx && drawn.cy == wanted.cy) return drawing.release();
    return StretchedWithoutBlending(drawing.get(), wanted);
}

HBITMAP StretchedWithoutBlending(HBITMAP drawing, SIZE to) {
    const SIZE from = BitmapSize(drawing);
    HDC screen = GetDC(nullptr);
    UniqueMemoryDC source(CreateCompatibleDC(screen));
    UniqueMemoryDC target(CreateCompatibleDC(screen));
    UniqueBitmap scaled(CreateCompatibleBitmap(screen, to.cx, to.cy));
    ReleaseDC(nullptr, screen);
    if (!source || !target || !scaled) return nullptr;
    HGDIOBJ oldSource = SelectObject(source.get(), drawing);
    HGDIOBJ oldTarget = SelectObject(target.get(), scaled.get());
    SetStretchBltMode(target.get(), COLORONCOLOR);
    StretchBlt(target.get(), 0, 0, to.cx, to.cy, source.get(), 0, 0, from.cx, from.cy, SRCCOPY);
    SelectObject(source.get(), oldSource);
    SelectObject(target.get(), oldTarget);
    return scaled.release();
}

bool IconTitleFontForDpi(LOGFONTW& font, UINT dpi) {
    return SystemParametersForDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, font, dpi);
}

bool StatusFontForDpi(LOGFONTW& font, UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, metrics.lfStatusFont, dpi))
        return false;
    font = metrics.lfStatusFont;
    return true;
}

bool SetFontForDpi(HWND window, bool (*fontForDpi)(LOGFONTW&, UINT), UniqueFont& held, bool redraw) {
    LOGFONTW font{};
    if (!window || !fontForDpi(font, DpiOf(window))) return false;
    UniqueFont made(CreateFontIndirectW(&font));
    if (!made) return false;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), redraw);
    held = std::move(made);
    return true;
}
