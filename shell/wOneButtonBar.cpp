#include "shell/wOneButtonBar.h"

#include "shell/uDpi.h"

#include <commctrl.h>

#include <utility>

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

}  // namespace

void MakeOneButtonImages(HWND window, const OneButtonBar& bar, UniqueImageList& images) {
    const UINT dpi = DpiOf(window);
    const int side = ScaleForDpi(bar.imageSide, dpi);
    UniqueImageList made(ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (UniqueBitmap bitmap(LoadBitmapForDpi(GetModuleHandleW(nullptr), bar.bitmap, dpi)); bitmap && made)
        ImageList_AddMasked(made.get(), bitmap.get(), kTransparent);
    SendMessageW(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(made.get()));
    SendMessageW(window, TB_SETBITMAPSIZE, 0, MAKELPARAM(side, side));
    SendMessageW(window, TB_AUTOSIZE, 0, 0);
    images = std::move(made);
}

HWND CreateOneButtonBar(HWND parent, const OneButtonBar& bar, UniqueImageList& images) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEW, L"", WS_CHILD | bar.style, 0, 0, 0, 0, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(bar.id)), GetModuleHandleW(nullptr),
                                  nullptr);
    if (!window) return nullptr;
    SendMessageW(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    MakeOneButtonImages(window, bar, images);
    TBBUTTON button{};
    button.iBitmap = 0;
    button.idCommand = static_cast<int>(bar.command);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    SendMessageW(window, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    return window;
}
