#include "mdi/wMDIClient.h"

#include "app/uCommandRegistry.h"
#include "app/uFrameLink.h"
#include "input/uKeyAssign.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

namespace {

enum Mode { ModeNormal = 0, ModeTab = 1, ModeSplitRows = 2, ModeSplitColumns = 3 };

constexpr DWORD kFramedStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_OVERLAPPEDWINDOW;
constexpr DWORD kFramedExStyle = WS_EX_MDICHILD | WS_EX_WINDOWEDGE;
constexpr DWORD kPaneStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kPaneExStyle = WS_EX_MDICHILD | WS_EX_TOOLWINDOW;

WNDPROC g_clientProc = nullptr;
HWND g_client = nullptr;
HWND g_panes[2] = {};

int ModeNow() { return FrameConfig().windowMode; }

bool Split() { return ModeNow() == ModeSplitRows || ModeNow() == ModeSplitColumns; }

bool IsOurChild(HWND window) { return window && GetParent(window) == g_client && ChildViewOf(window); }

HWND ClientActive() {
    return reinterpret_cast<HWND>(CallWindowProcW(g_clientProc, g_client, WM_MDIGETACTIVE, 0, 0));
}

// A pane whose child went without WM_MDIDESTROY (destroyed with the frame) is empty.
HWND Pane(int slot) {
    if (!IsOurChild(g_panes[slot])) g_panes[slot] = nullptr;
    return g_panes[slot];
}

RECT SlotRect(int slot) {
    RECT client{};
    GetClientRect(g_client, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (ModeNow() == ModeSplitRows)
        return slot == 0 ? RECT{0, 0, width, height / 2} : RECT{0, height / 2, width, height / 2};
    return slot == 0 ? RECT{0, 0, width / 2, height} : RECT{width / 2, 0, width / 2, height};
}

void LayOutPanes() {
    if (!Split()) return;
    HWND active = ClientActive();
    // The active pane is raised last, so that it stands above the other.
    const int order[2] = {Pane(0) == active ? 1 : 0, Pane(0) == active ? 0 : 1};
    for (int slot : order) {
        if (!Pane(slot)) continue;
        const RECT place = SlotRect(slot);
        SetWindowPos(g_panes[slot], HWND_TOP, place.left, place.top, place.right, place.bottom, SWP_NOACTIVATE);
    }
}

// The first child from the active one on along the z-order that shows in no
// pane; `leaving` (a child being destroyed) never counts.
HWND NextFreeChild(HWND leaving) {
    HWND active = ClientActive();
    HWND start = active ? active : GetWindow(g_client, GW_CHILD);
    for (HWND window = start; window; window = GetWindow(window, GW_HWNDNEXT))
        if (window != leaving && window != Pane(0) && window != Pane(1) && IsOurChild(window)) return window;
    return nullptr;
}

void FillEmptyPanes(HWND leaving = nullptr) {
    for (int slot = 0; slot < 2; ++slot)
        if (!Pane(slot)) g_panes[slot] = NextFreeChild(leaving);
}

// Activating the other pane's child through the tab bar swaps the panes: the
// child takes the active pane, and the pane it leaves takes the old child.
void PutIntoActivePane(HWND child) {
    HWND active = ClientActive();
    if (active && active == Pane(0)) {
        if (child == Pane(1)) g_panes[1] = g_panes[0];
        g_panes[0] = child;
    } else {
        if (child == Pane(0)) g_panes[0] = Pane(1);
        g_panes[1] = child;
    }
}

void SetClipChildren(bool on) {
    const LONG_PTR style = GetWindowLongPtrW(g_client, GWL_STYLE);
    SetWindowLongPtrW(g_client, GWL_STYLE, on ? style | WS_CLIPCHILDREN : style & ~WS_CLIPCHILDREN);
}

void Restyle(HWND child, bool split) {
    const LONG_PTR keep = GetWindowLongPtrW(child, GWL_STYLE) & WS_CLIPCHILDREN;
    SetWindowLongPtrW(child, GWL_STYLE, (split ? kPaneStyle : kFramedStyle) | keep | WS_VISIBLE);
    SetWindowLongPtrW(child, GWL_EXSTYLE, split ? kPaneExStyle : kFramedExStyle);
    SetWindowPos(child, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// From the active child along the z-order, then the ones above it.
void RestyleChildren(bool split) {
    HWND active = ClientActive();
    for (HWND window = active; window; window = GetWindow(window, GW_HWNDNEXT))
        if (IsOurChild(window)) Restyle(window, split);
    for (HWND window = GetWindow(g_client, GW_CHILD); window && window != active;
         window = GetWindow(window, GW_HWNDNEXT))
        if (IsOurChild(window)) Restyle(window, split);
}

// Leaves a split mode for mode 0, giving the children their frames back.
void LeaveSplit() {
    if (!Split()) return;
    FrameConfig().windowMode = ModeNormal;
    RestyleChildren(false);
    g_panes[0] = g_panes[1] = nullptr;
}

void EnterSplit(int mode) {
    SetClipChildren(false);
    LeaveSplit();
    FrameConfig().windowMode = ModeNormal;
    BOOL maximized = FALSE;
    HWND active = reinterpret_cast<HWND>(
        CallWindowProcW(g_clientProc, g_client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    // A maximised child would cover both panes.
    if (active && maximized) SendMessageW(g_client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(active), 0);
    g_panes[0] = active;
    g_panes[1] = nullptr;
    for (HWND window = active ? GetWindow(active, GW_HWNDNEXT) : nullptr; window && !g_panes[1];
         window = GetWindow(window, GW_HWNDNEXT))
        if (IsOurChild(window)) g_panes[1] = window;
    RestyleChildren(true);
    FrameConfig().windowMode = mode;
    LayOutPanes();
}

void OnModeCommand(UINT command, HWND) {
    switch (command) {
    case IDM_MODE_NORMAL: SetWindowMode(ModeNormal); break;
    case IDM_MODE_TAB: SetWindowMode(ModeTab); break;
    case IDM_MODE_ROWS: SetWindowMode(ModeSplitRows); break;
    case IDM_MODE_COLUMNS: SetWindowMode(ModeSplitColumns); break;
    }
}

bool SkipsErase() {
    if (ModeNow() == ModeTab) return ClientActive() != nullptr;
    return Split() && TabCount() > 2;
}

LRESULT CALLBACK MDIClientSubclassProc(HWND client, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: {
        const LRESULT result = CallWindowProcW(g_clientProc, client, message, wParam, lParam);
        LayOutPanes();
        return result;
    }
    case WM_ERASEBKGND:
        // The children cover the whole client; erasing under them only flickers.
        if (SkipsErase()) return 1;
        break;
    case WM_MDIDESTROY: {
        if (!Split()) break;
        auto child = reinterpret_cast<HWND>(wParam);
        for (int slot = 0; slot < 2; ++slot)
            if (child && Pane(slot) == child) g_panes[slot] = nullptr;
        FillEmptyPanes(child);
        const LRESULT result = CallWindowProcW(g_clientProc, client, message, wParam, lParam);
        LayOutPanes();
        return result;
    }
    case WM_MDIACTIVATE: {
        auto child = reinterpret_cast<HWND>(wParam);
        if (lParam == kPaneSwitchActivation) {
            const LRESULT result = CallWindowProcW(g_clientProc, client, message, wParam, lParam);
            if (HWND list = ChildListView(child)) SetFocus(list);
            return result;
        }
        if (Split() && IsOurChild(child)) {
            PutIntoActivePane(child);
            LayOutPanes();
        }
        break;
    }
    case WM_MDINEXT:
        if (Split()) return 0;
        break;
    // Only mode 0 lets the children overlap; arranging them would undo the mode.
    case WM_MDITILE:
    case WM_MDICASCADE:
    case WM_MDIICONARRANGE:
        if (ModeNow() != ModeNormal) return 0;
        break;
    }
    return CallWindowProcW(g_clientProc, client, message, wParam, lParam);
}

}  // namespace

HWND CreateMDIClient(HWND frame, HINSTANCE instance, int windowMode) {
    CLIENTCREATESTRUCT create{};
    create.hWindowMenu = GetSubMenu(GetMenu(frame), kWindowMenuPosition);
    create.idFirstChild = kFirstChildId;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | MDIS_ALLCHILDSTYLES;
    if (windowMode != ModeTab) style |= WS_CLIPCHILDREN;
    HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, style, 0, 0, 0, 0, frame, nullptr, instance, &create);
    if (!client) return nullptr;
    g_client = client;
    g_panes[0] = g_panes[1] = nullptr;
    g_clientProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MDIClientSubclassProc)));
    SetCommandHandler(IDM_MODE_NORMAL, IDM_MODE_ROWS, OnModeCommand);
    return client;
}

void SetWindowMode(int mode) {
    if (!g_client || !IsWindow(g_client) || mode == ModeNow() || mode < ModeNormal || mode > ModeSplitColumns)
        return;
    switch (mode) {
    case ModeNormal:
        LeaveSplit();
        SetClipChildren(true);
        FrameConfig().windowMode = ModeNormal;
        SendMessageW(g_client, WM_MDICASCADE, MDITILE_SKIPDISABLED, 0);
        break;
    case ModeTab:
        LeaveSplit();
        SetClipChildren(false);
        if (HWND active = ClientActive()) SendMessageW(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
        FrameConfig().windowMode = ModeTab;
        break;
    default: EnterSplit(mode); break;
    }
}

HWND FirstPane() { return Split() && g_client ? Pane(0) : nullptr; }

HWND SecondPane() { return Split() && g_client ? Pane(1) : nullptr; }

NewChildPlace PlaceForNewChild(bool activate) {
    NewChildPlace place;
    if (!Split() || !g_client) return place;
    HWND active = ClientActive();
    const int activeSlot = !active || active == Pane(0) ? 0 : 1;
    place.slot = activate || !active ? activeSlot : 1 - activeSlot;
    place.rect = SlotRect(place.slot);
    return place;
}

void SettleNewChild(HWND child, const NewChildPlace& place) {
    if (!Split() || place.slot < 0 || !IsOurChild(child)) return;
    if (Pane(1 - place.slot) == child) g_panes[1 - place.slot] = nullptr;
    g_panes[place.slot] = child;
    FillEmptyPanes();
    LayOutPanes();
}

void ShowInInactivePane(HWND child) {
    if (!Split() || !IsOurChild(child)) return;
    HWND active = ClientActive();
    if (child == active) return;
    const int slot = active && active == Pane(0) ? 1 : 0;
    if (Pane(1 - slot) == child) g_panes[1 - slot] = nullptr;
    g_panes[slot] = child;
    FillEmptyPanes();
    LayOutPanes();
}
