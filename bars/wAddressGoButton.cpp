#include "bars/wAddressGoButton.h"

#include "shell/wOneButtonBar.h"

#include <commctrl.h>

namespace {

constexpr OneButtonBar kGoButton{CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, kGoButtonCommand, L"GOBMP", 16};

}  // namespace

void MakeGoButtonImages(HWND button, UniqueImageList& images) { MakeOneButtonImages(button, kGoButton, images); }

HWND CreateGoButton(HWND host, UniqueImageList& images) { return CreateOneButtonBar(host, kGoButton, images); }

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
