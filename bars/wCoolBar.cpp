#include "bars/wCoolBar.h"

#include "app/Handles.h"
#include "app/uCommandRegistry.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "shell/uDpi.h"
#include "res/resource.h"

#include <commctrl.h>

#include <string>

namespace {

constexpr DWORD kRebarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                              RBS_VARHEIGHT | RBS_BANDBORDERS | RBS_AUTOSIZE | RBS_DBLCLKTOGGLE;
constexpr UINT kLayoutMask = RBBIM_STYLE | RBBIM_SIZE | RBBIM_ID;
constexpr int kMinChildWidth = 50;

const wchar_t* const kCaptions[kRebarBandCount] = {nullptr, L"リンク", L"アドレス", L"検索"};

BandHandlers g_handlers[kRebarBandCount];

const BandHandlers* HandlersOfBand(UINT id) { return id < kRebarBandCount ? &g_handlers[id] : nullptr; }

bool AnyMultiLine() {
    for (const BandHandlers& handlers : g_handlers)
        if (handlers.multiLine && handlers.multiLine()) return true;
    return false;
}

std::wstring PositionName(const wchar_t* stem, int position) { return stem + std::to_wstring(position); }

bool ShowText() {
    UniqueRegKey key;
    if (!SettingsOpen(SettingsArea::ReBar, key)) return ReBarSettings::ShowText.def;
    return SettingsRead(key.get(), ReBarSettings::ShowText);
}

int BandIndex(HWND rebar, RebarBand band) {
    return static_cast<int>(SendMessageW(rebar, RB_IDTOINDEX, band, 0));
}

REBARBANDINFOW BandInfo(HWND rebar, int index, UINT mask) {
    REBARBANDINFOW info{sizeof(info)};
    info.fMask = mask;
    SendMessageW(rebar, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
    return info;
}

}  // namespace

RebarLayout ReadRebarLayout(HKEY key) {
    RebarLayout layout;
    for (int n = 0; n < kRebarBandCount; ++n) layout[n].id = static_cast<UINT>(n);
    if (!key) return layout;
    unsigned seen = 0;
    for (int n = 0; n < kRebarBandCount; ++n) {
        BandLayout& band = layout[n];
        const UINT style = SettingsTryReadInt(key, PositionName(L"Styel", n).c_str()).value_or(0);
        band.style = style ? style | RBBS_USECHEVRON | RBBS_FIXEDBMP : ReBarSettings::kDefaultStyle;
        band.width = static_cast<int>(SettingsTryReadInt(key, PositionName(L"cx", n).c_str()).value_or(0));
        if (band.width < 0) band.width = 0;
        band.id = SettingsTryReadInt(key, PositionName(L"wID", n).c_str()).value_or(0);
        if (band.id < kRebarBandCount) seen |= 1u << band.id;
    }
    if (seen != (1u << kRebarBandCount) - 1)
        for (int n = 0; n < kRebarBandCount; ++n) layout[n].id = static_cast<UINT>(n);
    return layout;
}

HWND CreateCoolBar(HWND frame, UINT controlId) {
    HWND rebar = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr, kRebarStyle, 0, 0, 0, 0, frame,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (!rebar) return nullptr;
    UniqueRegKey key;
    SettingsOpen(SettingsArea::ReBar, key);
    const RebarLayout layout = ReadRebarLayout(key.get());
    const int defaultWidth = ScaleForDpi(ReBarSettings::kDefaultWidth, DpiOf(frame));
    for (const BandLayout& band : layout) {
        REBARBANDINFOW info{sizeof(info)};
        info.fMask = kLayoutMask;
        // Until its bar attaches, a band would be an empty row.
        info.fStyle = band.style | RBBS_HIDDEN;
        info.cx = band.width ? band.width : defaultWidth;
        info.wID = band.id;
        SendMessageW(rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&info));
    }
    return rebar;
}

void AttachBar(HWND rebar, HWND child, RebarBand band, int childHeight) {
    const int index = BandIndex(rebar, band);
    if (index < 0) return;
    REBARBANDINFOW info{sizeof(info)};
    info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE;
    info.hwndChild = child;
    info.cxMinChild = ScaleForDpi(kMinChildWidth, DpiOf(rebar));
    info.cyMinChild = childHeight;
    if (kCaptions[band] && ShowText()) {
        info.fMask |= RBBIM_TEXT;
        info.lpText = const_cast<wchar_t*>(kCaptions[band]);
    }
    SendMessageW(rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
    SendMessageW(rebar, RB_SHOWBAND, index, TRUE);
}

void SetBandIdealWidth(HWND rebar, RebarBand band, int width) {
    const int index = BandIndex(rebar, band);
    if (index < 0) return;
    REBARBANDINFOW info{sizeof(info)};
    info.fMask = RBBIM_IDEALSIZE;
    info.cxIdeal = width;
    SendMessageW(rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
    // The rebar lays a band out again on its next change of size only; shown
    // again, the band gains or loses its chevron at once.
    if (!(BandInfo(rebar, index, RBBIM_STYLE).fStyle & RBBS_HIDDEN)) SendMessageW(rebar, RB_SHOWBAND, index, TRUE);
}

void SetBandChildHeight(HWND rebar, RebarBand band, int height) {
    const int index = BandIndex(rebar, band);
    if (index < 0) return;
    REBARBANDINFOW info = BandInfo(rebar, index, RBBIM_CHILDSIZE);
    info.fMask = RBBIM_CHILDSIZE;
    info.cyMinChild = height;
    SendMessageW(rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
}

void ShowBand(HWND rebar, RebarBand band, bool show) {
    const int index = BandIndex(rebar, band);
    if (index >= 0) SendMessageW(rebar, RB_SHOWBAND, index, show ? TRUE : FALSE);
}

void ToggleBandLock(HWND rebar) {
    if (!rebar) return;
    const int count = static_cast<int>(SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int index = 0; index < count && index < kRebarBandCount; ++index) {
        REBARBANDINFOW info = BandInfo(rebar, index, RBBIM_STYLE);
        if (info.fStyle & RBBS_NOGRIPPER) {
            info.fStyle = (info.fStyle & ~RBBS_NOGRIPPER) | RBBS_GRIPPERALWAYS;
        } else {
            info.fStyle = (info.fStyle & ~RBBS_GRIPPERALWAYS) | RBBS_NOGRIPPER;
        }
        SendMessageW(rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
        // Shown again so that the change of gripper is drawn.
        if (!(info.fStyle & RBBS_HIDDEN)) SendMessageW(rebar, RB_SHOWBAND, index, TRUE);
    }
}

bool BandsLocked(HWND rebar) {
    if (!rebar || SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0) == 0) return false;
    return (BandInfo(rebar, 0, RBBIM_STYLE).fStyle & RBBS_NOGRIPPER) != 0;
}

void SaveCoolBar(HWND rebar) {
    if (!rebar || !IsWindow(rebar)) return;
    UniqueRegKey key;
    if (!SettingsCreate(SettingsArea::ReBar, key)) return;
    for (int n = 0; n < kRebarBandCount; ++n) {
        REBARBANDINFOW info = BandInfo(rebar, n, kLayoutMask);
        SettingsWriteInt(key.get(), PositionName(L"Styel", n).c_str(), static_cast<int>(info.fStyle));
        SettingsWriteInt(key.get(), PositionName(L"cx", n).c_str(), static_cast<int>(info.cx));
        SettingsWriteInt(key.get(), PositionName(L"wID", n).c_str(), static_cast<int>(info.wID));
    }
}

void SetBandHandlers(RebarBand band, const BandHandlers& handlers) {
    if (band < kRebarBandCount) g_handlers[band] = handlers;
}

bool OnCoolBarNotify(const NMHDR& header) {
    switch (header.code) {
    case RBN_HEIGHTCHANGE:
        return true;
    case RBN_LAYOUTCHANGED:
        return AnyMultiLine();
    case RBN_CHILDSIZE: {
        const auto& size = reinterpret_cast<const NMREBARCHILDSIZE&>(header);
        const BandHandlers* handlers = HandlersOfBand(size.wID);
        if (handlers && handlers->childResized && handlers->multiLine && handlers->multiLine())
            handlers->childResized();
        return false;
    }
    case RBN_CHEVRONPUSHED: {
        const auto& chevron = reinterpret_cast<const NMREBARCHEVRON&>(header);
        if (const BandHandlers* handlers = HandlersOfBand(chevron.wID); handlers && handlers->chevronPushed)
            handlers->chevronPushed(chevron);
        return false;
    }
    }
    return false;
}

void ShowBandMenu(POINT screen) {
    HWND frame = FrameLink().window;
    HMENU submenu = frame ? SubmenuById(GetMenu(frame), IDM_TOOLBARS_MENU) : nullptr;
    if (!submenu) return;
    if (screen.x == -1 && screen.y == -1) GetCursorPos(&screen);
    // Tracked for the frame, which prepares the check marks as it does for
    // the main menu and carries out the chosen command.
    TrackPopupMenu(submenu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, frame, nullptr);
}
