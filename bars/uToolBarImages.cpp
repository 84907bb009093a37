#include "bars/uToolBarImages.h"

#include "shell/uDpi.h"

#include <utility>

namespace {

constexpr int kSmallSide = 16;
constexpr int kLargeSide = 24;
constexpr int kProgramImages = 15;
// The strip's background: light grey, which its images never use.
constexpr COLORREF kStripBackground = RGB(192, 192, 192);

// The system draws its images at 16 and at 24 pixels only. Whole steps keep
// their pixels even (24 from the 24 drawing, 32 from the 16 one doubled);
// between them the larger drawing loses the least.
bool UseLargeSystemImages(int side) {
    if (side % kLargeSide == 0) return true;
    if (side % kSmallSide == 0) return false;
    return side > kLargeSide;
}

HWND CreateScratchBar() {
    return CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

int AddSystemImages(HWND bar, UINT_PTR id) {
    TBADDBITMAP add{HINST_COMMCTRL, id};
    return static_cast<int>(SendMessageW(bar, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&add)));
}

// Every image of `images` side by side on the transparent colour, each
// stretched to `side` pixels square.
UniqueBitmap StripOf(HIMAGELIST images, int side) {
    int native = 0, height = 0;
    const int count = ImageList_GetImageCount(images);
    if (!ImageList_GetIconSize(images, &native, &height) || count <= 0) return {};
    HDC screen = GetDC(nullptr);
    UniqueMemoryDC dc(CreateCompatibleDC(screen));
    UniqueBitmap strip(CreateCompatibleBitmap(screen, count * native, native));
    ReleaseDC(nullptr, screen);
    if (!dc || !strip) return {};
    HGDIOBJ old = SelectObject(dc.get(), strip.get());
    UniqueBrush transparent(CreateSolidBrush(kToolBarTransparent));
    const RECT all{0, 0, count * native, native};
    FillRect(dc.get(), &all, transparent.get());
    for (int i = 0; i < count; ++i) ImageList_Draw(images, i, dc.get(), i * native, 0, ILD_TRANSPARENT);
    SelectObject(dc.get(), old);
    if (native == side) return strip;
    return UniqueBitmap(StretchedWithoutBlending(strip.get(), {count * side, side}));
}

// The system's images come at 16 and 24 pixels only, whatever the DPI, and
// only the control knows where they are: they are taken from a bar of their
// own and drawn again at `side`.
void AddSystemSets(HIMAGELIST list, bool large, int side, ImageBases& bases) {
    HWND scratch = CreateScratchBar();
    if (!scratch) return;
    SendMessageW(scratch, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int native = large ? kLargeSide : kSmallSide;
    SendMessageW(scratch, TB_SETBITMAPSIZE, 0, MAKELPARAM(native, native));
    bases.history = AddSystemImages(scratch, large ? IDB_HIST_LARGE_COLOR : IDB_HIST_SMALL_COLOR);
    bases.view = AddSystemImages(scratch, large ? IDB_VIEW_LARGE_COLOR : IDB_VIEW_SMALL_COLOR);
    bases.standard = AddSystemImages(scratch, large ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR);
    const auto system = reinterpret_cast<HIMAGELIST>(SendMessageW(scratch, TB_GETIMAGELIST, 0, 0));
    UniqueBitmap strip = system ? StripOf(system, side) : UniqueBitmap{};
    DestroyWindow(scratch);
    if (strip) ImageList_AddMasked(list, strip.get(), kToolBarTransparent);
}

}  // namespace

UniqueImageList MakeToolBarImages(bool small, UINT dpi, ImageBases& bases) {
    const int side = ScaleForDpi(small ? kSmallSide : kLargeSide, dpi);
    UniqueImageList list(ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, 0, 16));
    if (!list) return {};
    bases = ImageBases{};
    AddSystemSets(list.get(), UseLargeSystemImages(side), side, bases);
    UniqueBitmap strip(LoadBitmapForDpi(GetModuleHandleW(nullptr), small ? L"TOOLBARBITMAP" : L"BIGTOOLBARBITMAP",
                                        dpi, kProgramImages));
    bases.program = ImageList_GetImageCount(list.get());
    if (strip) ImageList_AddMasked(list.get(), strip.get(), kStripBackground);
    return list;
}
