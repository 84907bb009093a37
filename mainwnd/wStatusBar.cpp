#include "mainwnd/wStatusBar.h"

#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "mainwnd/wMainWnd.h"
#include "shell/uDpi.h"

#include <commctrl.h>

namespace {

// The right edges of parts 0 and 1 as read when the bar was made; the last
// part always reaches the right border.
struct StatusEdges {
    int first = 0;
    int second = 0;
};

StatusEdges& Edges() {
    static StatusEdges edges;
    return edges;
}

int ReadEdge(HKEY key, const IntSetting& setting, UINT dpi) {
    const auto stored = key ? SettingsTryReadInt(key, setting.name) : std::nullopt;
    return stored ? static_cast<int>(*stored) : ScaleForDpi(setting.def, dpi);
}

}  // namespace

HWND CreateStatusBar(HWND frame) {
    UniqueRegKey key;
    SettingsOpen(SettingsArea::StatusBar, key);
    const UINT dpi = DpiOf(frame);
    Edges().first = ReadEdge(key.get(), StatusBarSettings::First, dpi);
    Edges().second = ReadEdge(key.get(), StatusBarSettings::Second, dpi);

    HWND status = CreateStatusWindowW(WS_CHILD, nullptr, frame, kStatusBarId);
    if (!status) return nullptr;
    Frame().statusBar = status;
    FrameLink().statusBar = status;
    SetStatusBarParts(status);
    ShowWindow(status, SW_SHOW);
    return status;
}

void SetStatusBarParts(HWND statusBar) {
    int edges[3] = {Edges().first, Edges().second, -1};
    SendMessageW(statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void ToggleStatusBar(HWND frame) {
    HWND status = Frame().statusBar;
    if (!status || !IsWindow(status)) {
        CreateStatusBar(frame);
    } else {
        ShowWindow(status, IsWindowVisible(status) ? SW_HIDE : SW_SHOW);
    }
    Relayout();
}
