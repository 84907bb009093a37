#include "app/uFrameLink.h"

#include <commctrl.h>

FrameSettings& FrameConfig() {
    static FrameSettings settings;
    return settings;
}

FrameColors& ColorConfig() {
    static FrameColors colors;
    return colors;
}

FrameWindows& FrameLink() {
    static FrameWindows windows;
    return windows;
}

void RelayoutFrame() {
    if (FrameLink().relayout) FrameLink().relayout();
}

bool StatusBarShown() {
    const HWND status = FrameLink().statusBar;
    return status && IsWindow(status) && IsWindowVisible(status);
}

void SetStatusText(StatusPart part, const wchar_t* text) {
    if (!StatusBarShown()) return;
    SendMessageW(FrameLink().statusBar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text ? text : L""));
}
