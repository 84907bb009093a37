// The frame's settings: what it reads before and after it exists, and what it
// writes in the exit sequence.

#include "mainwnd/wMainWnd.h"

#include "app/Global.h"
#include "app/uReg.h"
#include "input/uKeyAssign.h"
#include "shell/uDpi.h"

#include <algorithm>

namespace {

bool Shown(HWND window) {
    return window && IsWindow(window) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
}

int SideBasePage() {
    const FrameState& state = Frame();
    // Closing the side bar hides only the bar; its page keeps its own style.
    if (!Shown(state.sideBar)) return 0;
    if (Shown(state.folderTreePane)) return 1;
    if (Shown(state.favoritePane)) return 2;
    if (Shown(state.searchPane)) return 3;
    return 0;
}

constexpr int kLastWindowMode = 3;
constexpr int kMaxDelayTime = 60000;
// A frame side smaller than this shows no folder; a larger one, or a
// coordinate beyond it, is no window anyone made.
constexpr int kMinFrameSide = 100;
constexpr int kMaxFrameSide = 32767;
// A colour is its low three bytes; the fourth means nothing here.
constexpr COLORREF kColorBits = 0x00FFFFFF;

// A side too small to show a folder, or a coordinate past those a window can
// have, is left to the system as a missing one is.
void KeepSideUsable(int& side) {
    if (side != CW_USEDEFAULT && (side < kMinFrameSide || side > kMaxFrameSide)) side = CW_USEDEFAULT;
}
void KeepCoordinateUsable(int& coordinate) {
    if (coordinate != CW_USEDEFAULT && (coordinate < -kMaxFrameSide || coordinate > kMaxFrameSide))
        coordinate = CW_USEDEFAULT;
}

// A rectangle that no monitor shows any more (a screen was removed or its
// resolution lowered) would put the frame where the user cannot reach it.
bool OnSomeMonitor(const FramePlacement& placement) {
    const RECT rect{placement.left, placement.top, placement.left + placement.width,
                    placement.top + placement.height};
    return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

// The frame's size at 100 % when nothing is stored: the whole menu bar on
// one row, and room for a details view beside the side bar.
constexpr int kDefaultFrameWidth = 960;
constexpr int kDefaultFrameHeight = 720;

RECT PrimaryWorkArea() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
        return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return info.rcWork;
}

// One axis of a rectangle the settings do not give: the default side scaled
// to the DPI and kept within the work area, placed in its middle.
void FillDefaultSpan(int& start, int& length, int defaultLength, int areaStart, int areaEnd, UINT dpi) {
    if (length == CW_USEDEFAULT) length = std::min(ScaleForDpi(defaultLength, dpi), areaEnd - areaStart);
    if (start == CW_USEDEFAULT) start = areaStart + std::max(0, (areaEnd - areaStart - length) / 2);
}

// The system's own default size does not grow with the DPI: at 200 % the
// menu bar of such a frame wraps to two rows. A stored value is kept as it is.
void FillDefaultPlacement(FramePlacement& placement, const RECT& workArea, UINT dpi) {
    FillDefaultSpan(placement.left, placement.width, kDefaultFrameWidth, workArea.left, workArea.right, dpi);
    FillDefaultSpan(placement.top, placement.height, kDefaultFrameHeight, workArea.top, workArea.bottom, dpi);
}

void LoadPlacement(HKEY root) {
    FramePlacement placement;
    if (SettingsRead(root, RootSettings::SaveWindowSize)) {
        UniqueRegKey size;
        if (SettingsOpen(SettingsArea::WindowSize, size)) {
            placement.maximize = SettingsRead(size.get(), WindowSizeSettings::MAXIMIZE);
            // Read even for a maximised frame: restoring it then returns to the
            // last normal rectangle instead of the system's default one.
            if (!SettingsRead(size.get(), WindowSizeSettings::MINIMIZE)) {
                SettingsReadInto(size.get(), WindowSizeSettings::Left.name, placement.left);
                SettingsReadInto(size.get(), WindowSizeSettings::Top.name, placement.top);
                SettingsReadInto(size.get(), WindowSizeSettings::Width.name, placement.width);
                SettingsReadInto(size.get(), WindowSizeSettings::Height.name, placement.height);
            }
        }
    }
    KeepCoordinateUsable(placement.left);
    KeepCoordinateUsable(placement.top);
    KeepSideUsable(placement.width);
    KeepSideUsable(placement.height);
    const bool complete = placement.left != CW_USEDEFAULT && placement.top != CW_USEDEFAULT &&
                          placement.width != CW_USEDEFAULT && placement.height != CW_USEDEFAULT;
    if (complete && !OnSomeMonitor(placement)) {
        const bool maximize = placement.maximize;
        placement = FramePlacement{};
        placement.maximize = maximize;
    }
    FillDefaultPlacement(placement, PrimaryWorkArea(), DpiOf(nullptr));
    Frame().placement = placement;
}

}  // namespace

void LoadFirstSettings() {
    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    FrameSettings& settings = FrameConfig();
    settings.closeHistoryCount = static_cast<WORD>(SettingsRead(root.get(), RootSettings::CloseHistoryCount));
    settings.windowMode = SettingsRead(root.get(), RootSettings::WindowMode);
    if (settings.windowMode < 0 || settings.windowMode > kLastWindowMode)
        settings.windowMode = RootSettings::WindowMode.def;
    LoadPlacement(root.get());
    Frame().barVisibilityTrusted = SettingsRead(root.get(), BarVisibilitySaved);
    LoadColors();
}

void LoadSecondSettings() {
    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    FrameSettings& settings = FrameConfig();
    settings.ddeActive = SettingsRead(root.get(), RootSettings::DDEActive);
    settings.delayTime = SettingsRead(root.get(), RootSettings::DelayTime);
    if (settings.delayTime < 0 || settings.delayTime > kMaxDelayTime) settings.delayTime = RootSettings::DelayTime.def;
    settings.navigateLockClose = SettingsRead(root.get(), RootSettings::NavigateLockClose);
    settings.closeTaskTray = SettingsRead(root.get(), RootSettings::CloseTaskTray);
    settings.treeSync = SettingsRead(root.get(), RootSettings::TreeSync);
    if (SettingsRead(root.get(), RootSettings::CloseHistorySave) && App().closedFolders)
        App().closedFolders->LoadList(root.get(), SettingsArea::CloseHistoryPIDLs);
    LoadKeyAssignments(root.get());
}

void LoadColors() {
    UniqueRegKey key;
    SettingsOpen(SettingsArea::Color, key);
    HKEY color = key.get();
    FrameColors& colors = ColorConfig();
    colors.listViewBK = SettingsRead(color, ColorSettings::clListViewBK) & kColorBits;
    colors.directory = SettingsRead(color, ColorSettings::clDirectory) & kColorBits;
    colors.hidden = SettingsRead(color, ColorSettings::clHidden) & kColorBits;
    colors.readOnly = SettingsRead(color, ColorSettings::clReadOnly) & kColorBits;
    colors.system = SettingsRead(color, ColorSettings::clSystem) & kColorBits;
    colors.compressed = SettingsRead(color, ColorSettings::clCompressed) & kColorBits;
    colors.normalString = SettingsRead(color, ColorSettings::clNormalString) & kColorBits;
    colors.evenBK = SettingsRead(color, ColorSettings::clEvenBK) & kColorBits;
    colors.tvColorGroup = SettingsRead(color, ColorSettings::TVColorGroup);
    colors.lvColorGroup = SettingsRead(color, ColorSettings::LVColorGroup);
    colors.setEvenBK = SettingsRead(color, ColorSettings::SetEvenBK);
    colors.lvSetBKColor = SettingsRead(color, ColorSettings::LVSetBKColor);
    colors.bkImagePath = SettingsRead(color, ColorSettings::BKImagePath);
}

void SaveColors() {
    UniqueRegKey key;
    SettingsCreate(SettingsArea::Color, key);
    HKEY color = key.get();
    const FrameColors& colors = ColorConfig();
    SettingsWrite(color, ColorSettings::clListViewBK, colors.listViewBK);
    SettingsWrite(color, ColorSettings::clDirectory, colors.directory);
    SettingsWrite(color, ColorSettings::clHidden, colors.hidden);
    SettingsWrite(color, ColorSettings::clReadOnly, colors.readOnly);
    SettingsWrite(color, ColorSettings::clSystem, colors.system);
    SettingsWrite(color, ColorSettings::clCompressed, colors.compressed);
    SettingsWrite(color, ColorSettings::clNormalString, colors.normalString);
    SettingsWrite(color, ColorSettings::clEvenBK, colors.evenBK);
    SettingsWrite(color, ColorSettings::TVColorGroup, colors.tvColorGroup);
    SettingsWrite(color, ColorSettings::LVColorGroup, colors.lvColorGroup);
    SettingsWrite(color, ColorSettings::SetEvenBK, colors.setEvenBK);
    SettingsWrite(color, ColorSettings::LVSetBKColor, colors.lvSetBKColor);
    SettingsWrite(color, ColorSettings::BKImagePath, colors.bkImagePath);
}

// A bar whose window does not exist (not created, or its creation failed)
// leaves its stored value alone: writing it as hidden would lose the user's
// choice for the next start. Only an untrusted "hidden" goes, so that the
// bar's default holds once it is built.
void SaveShown(HKEY root, const BoolSetting& setting, HWND bar) {
    if (bar && IsWindow(bar)) {
        SettingsWrite(root, setting, Shown(bar));
    } else if (!Frame().barVisibilityTrusted && SettingsTryReadInt(root, setting.name) == 0u) {
        RegDeleteValueW(root, setting.name);
    }
}

void SaveBarVisibility(HKEY root) {
    const FrameState& state = Frame();
    SaveShown(root, RootSettings::ToolBarVisible, state.toolBar);
    SaveShown(root, RootSettings::SideToolBarVisible, state.sideToolBar);
    SaveShown(root, RootSettings::LinkBarVisible, state.linkBar);
    SaveShown(root, RootSettings::AddressBarVisible, state.addressContainer ? state.addressContainer : state.addressBar);
    SaveShown(root, RootSettings::SearchBarVisible, state.searchBar);
    SaveShown(root, RootSettings::StatusBarVisible, state.statusBar);
    SaveShown(root, RootSettings::ThumbnailVisible, state.thumbnailPane);
    if (state.sideBar && IsWindow(state.sideBar))
        SettingsWrite(root, RootSettings::SideBaseVisible, SideBasePage());
    SettingsWrite(root, BarVisibilitySaved, true);
}

bool ReadBarVisible(HKEY root, const BoolSetting& setting) {
    const bool stored = SettingsRead(root, setting);
    return stored || Frame().barVisibilityTrusted ? stored : setting.def;
}

void SaveWindowPlacement(HKEY root) {
    if (!SettingsRead(root, RootSettings::SaveWindowSize)) return;
    UniqueRegKey size;
    if (!SettingsCreate(SettingsArea::WindowSize, size)) return;
    HWND frame = FrameLink().window;
    if (IsZoomed(frame)) {
        SettingsWrite(size.get(), WindowSizeSettings::MAXIMIZE, true);
    } else if (IsIconic(frame)) {
        SettingsWrite(size.get(), WindowSizeSettings::MINIMIZE, true);
    } else {
        RECT rect{};
        GetWindowRect(frame, &rect);
        SettingsWrite(size.get(), WindowSizeSettings::MAXIMIZE, false);
        SettingsWrite(size.get(), WindowSizeSettings::MINIMIZE, false);
        SettingsWrite(size.get(), WindowSizeSettings::Left, static_cast<int>(rect.left));
        SettingsWrite(size.get(), WindowSizeSettings::Top, static_cast<int>(rect.top));
        SettingsWrite(size.get(), WindowSizeSettings::Width, static_cast<int>(rect.right - rect.left));
        SettingsWrite(size.get(), WindowSizeSettings::Height, static_cast<int>(rect.bottom - rect.top));
    }
}

void SaveFrameSettings(HKEY root) {
    const FrameSettings& settings = FrameConfig();
    SettingsWrite(root, RootSettings::CloseHistoryCount, settings.closeHistoryCount);
    SettingsWrite(root, RootSettings::DDEActive, settings.ddeActive);
    SettingsWrite(root, RootSettings::DelayTime, settings.delayTime);
    SettingsWrite(root, RootSettings::NavigateLockClose, settings.navigateLockClose);
    SettingsWrite(root, RootSettings::MinimizeTaskTray, settings.minimizeTaskTray);
    SettingsWrite(root, RootSettings::CloseTaskTray, settings.closeTaskTray);
    SettingsWrite(root, RootSettings::TreeSync, settings.treeSync);
    if (SettingsRead(root, RootSettings::CloseHistorySave) && App().closedFolders)
        App().closedFolders->SaveList(root, SettingsArea::CloseHistoryPIDLs);
    SaveKeyAssignments(root);
}
