#include "mdi/wMDIClient.h"

#include "app/uFrameLink.h"
#include "input/uKeyAssign.h"

namespace {

WNDPROC g_clientProc = nullptr;

// Only mode 0 lets the children overlap; in the others they stay maximised or
// in their panes, so arranging them would undo the mode.
bool ChildrenArrangeable() {
    return FrameConfig().windowMode == 0;
}

LRESULT CALLBACK MDIClientSubclassProc(HWND client, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MDITILE:
    case WM_MDICASCADE:
    case WM_MDIICONARRANGE:
        if (!ChildrenArrangeable()) return 0;
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
    if (windowMode != 1) style |= WS_CLIPCHILDREN;
    HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, style, 0, 0, 0, 0, frame, nullptr, instance, &create);
    if (!client) return nullptr;
    g_clientProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MDIClientSubclassProc)));
    return client;
}
