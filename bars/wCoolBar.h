#pragma once
// The rebar at the top of the frame: four bands kept by position, each
// carrying the identifier of the bar that lives in it, so that a bar finds
// its band wherever the user has dragged it. The layout (styles, widths and
// identifiers by position) is read at creation and written at exit.

#include "app/uSettings.h"

#include <windows.h>
#include <commctrl.h>

#include <array>

inline constexpr int kRebarBandCount = 4;

// Band identifiers: the bar that lives in each band.
enum RebarBand : UINT { BandToolBar = 0, BandLinkBar = 1, BandAddressBar = 2, BandSearchBar = 3 };

// Values of SettingsArea::ReBar besides the per-position Styel n, cx n and wID n.
namespace ReBarSettings {
inline constexpr BoolSetting ShowText{L"ShowText", true};
// Each band on its own row, with a gripper and a chevron:
// RBBS_BREAK | RBBS_CHILDEDGE | RBBS_FIXEDBMP | RBBS_GRIPPERALWAYS | RBBS_USECHEVRON.
inline constexpr UINT kDefaultStyle = 677;
inline constexpr int kDefaultWidth = 100;
}  // namespace ReBarSettings

// One band's stored layout; `width` 0 stands for the default width.
struct BandLayout {
    UINT style = ReBarSettings::kDefaultStyle;
    int width = 0;
    UINT id = 0;
};
using RebarLayout = std::array<BandLayout, kRebarBandCount>;

// The layout in `key` (null: no ReBar key, the default order). Identifiers
// that do not name each band exactly once (a damaged or partial key) give
// way to the default order, so that every bar still finds a band of its own.
RebarLayout ReadRebarLayout(HKEY key);

// Creates the rebar as a child of `frame` with four empty bands laid out as
// stored. A band stays hidden until its bar attaches itself.
HWND CreateCoolBar(HWND frame, UINT controlId);
// Puts `child` into the band `band`, at least `childHeight` high, with its
// caption when ShowText is on, and shows the band.
void AttachBar(HWND rebar, HWND child, RebarBand band, int childHeight);
// The width at which the band's chevron appears.
void SetBandIdealWidth(HWND rebar, RebarBand band, int width);
void SetBandChildHeight(HWND rebar, RebarBand band, int height);
void ShowBand(HWND rebar, RebarBand band, bool show);
// Command 5012: removes the grippers of all four bands, or brings them back.
void ToggleBandLock(HWND rebar);
// Whether the band at position 0 has no gripper (the lock's check mark).
bool BandsLocked(HWND rebar);
// Writes Styel n, cx n and wID n for the four positions.
void SaveCoolBar(HWND rebar);

// What a bar does with the rebar's notifications about its band; a bar
// registers them when it is created. Any of them may be null.
struct BandHandlers {
    // The band's chevron was pressed: the bar shows what does not fit.
    void (*chevronPushed)(const NMREBARCHEVRON& chevron) = nullptr;
    // The bar wraps its buttons into several rows, so the rebar's layout
    // changes move the frame below it too.
    bool (*multiLine)() = nullptr;
    // The band's child was resized by the rebar.
    void (*childResized)() = nullptr;
};
void SetBandHandlers(RebarBand band, const BandHandlers& handlers);
// Hands a notification of the rebar to the bar of its band; true when the
// frame must be laid out again.
bool OnCoolBarNotify(const NMHDR& header);

// The main menu's toolbar submenu (show and hide the bands, lock them, the go
// button) at `screen`, or at the cursor for a point of (-1, -1) as a
// context-menu key reports it. Its commands go to the frame.
void ShowBandMenu(POINT screen);
