#include "bars/wAddressGoButton.h"

#include "shell/uDpi.h"

#include <commctrl.h>

#include <utility>

namespace {

constexpr DWORD kGoStyle = WS_CHILD | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
constexpr int kImageSide = 16;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

}  // namespace

void MakeGoButtonImages(HWND button, UniqueImageList& images) {
    const UINT dpi = DpiOf(button);
    const int side = ScaleForDpi(kImageSide, dpi);
    UniqueImageList made(ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (UniqueBitmap bitmap(LoadBitmapForDpi(GetModuleHandleW(nullptr), L"GOBMP", dpi)); bitmap && made)
        ImageList_AddMasked(made.get(), bitmap.get(), kTransparent);
    SendMessageW(button, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(made.get()));
    SendMessageW(button, TB_AUTOSIZE, 0, 0);
    images = std::move(made);
}

HWND CreateGoButton(HWND host, UniqueImageList& images) {
    HWND button = CreateWindowExW(WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEW, nullptr, kGoStyle, 0, 0, 0, 0, host, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!button) return nullptr;
    SendMessageW(button, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    MakeGoButtonImages(button, images);
    TBBUTTON go{};
    go.iBitmap = 0;
    go.idCommand = kGoButtonCommand;
    go.fsState = TBSTATE_ENABLED;
    go.fsStyle = BTNS_BUTTON;
    SendMessageW(button, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&go));
    return button;
}

void LayoutAddressBand(HWND combo, HWND goButton, int width, int height, int dropDownHeight) {
    int comboWidth = width;
    // The band may not be on screen yet: the button's own style says whether it is shown.
    if (goButton && (GetWindowLongW(goButton, GWL_STYLE) & WS_VISIBLE)) {
        RECT item{};
        SendMessageW(goButton, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        const int buttonWidth = item.right;
        const int buttonHeight = item.bottom;
        comboWidth = width > buttonWidth ? width - buttonWidth : 0;
        SetWindowPos(goButton, nullptr, comboWidth, (height - buttonHeight) / 2, buttonWidth, buttonHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (combo) SetWindowPos(combo, nullptr, 0, 0, comboWidth, dropDownHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}
