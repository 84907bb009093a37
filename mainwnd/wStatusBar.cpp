#include "mainwnd/wStatusBar.h"

#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "mainwnd/wMainWnd.h"
#include "shell/uDpi.h"

#include <commctrl.h>

#include <optional>

namespace {

// The right edges of parts 0 and 1 as stored when the bar was made (missing
// ones follow the bar's DPI at every layout; the last part always reaches
// the right border), and the font the bar draws with at its DPI.
struct StatusBarState {
    std::optional<int> first;
    std::optional<int> second;
    UniqueFont font;
};

StatusBarState& State() {
    static StatusBarState state;
    return state;
}

std::optional<int> ReadEdge(HKEY key, const IntSetting& setting) {
    const auto stored = key ? SettingsTryReadInt(key, setting.name) : std::nullopt;
    return stored ? std::optional<int>(static_cast<int>(*stored)) : std::nullopt;
}

int Edge(const std::optional<int>& stored, const IntSetting& setting, UINT dpi) {
    return stored ? *stored : ScaleForDpi(setting.def, dpi);
}

}  // namespace

HWND CreateStatusBar(HWND frame) {
    UniqueRegKey key;
    SettingsOpen(SettingsArea::StatusBar, key);
    State().first = ReadEdge(key.get(), StatusBarSettings::First);
    State().second = ReadEdge(key.get(), StatusBarSettings::Second);

    HWND status = CreateStatusWindowW(WS_CHILD, nullptr, frame, kStatusBarId);
    if (!status) return nullptr;
    Frame().statusBar = status;
    FrameLink().statusBar = status;
    // The bar measures its height by its font.
    SetFontForDpi(status, StatusFontForDpi, State().font, false);
    SetStatusBarParts(status);
    ShowWindow(status, SW_SHOW);
    return status;
}

void SetStatusBarParts(HWND statusBar) {
    const UINT dpi = DpiOf(statusBar);
    int edges[3] = {Edge(State().first, StatusBarSettings::First, dpi),
                    Edge(State().second, StatusBarSettings::Second, dpi), -1};
    SendMessageW(statusBar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void StatusBarFollowDpi() {
    if (HWND status = Frame().statusBar; status && IsWindow(status))
        SetFontForDpi(status, StatusFontForDpi, State().font, true);
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
