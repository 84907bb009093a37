// The frame in the notification area: hidden, with an icon that brings it back.

#include "mainwnd/wMainWnd.h"

#include "res/resource.h"
#include "shell/uDpi.h"

#include <shellapi.h>

namespace {

bool AddTrayIcon() {
    FrameState& state = Frame();
    if (!state.trayIcon) {
        // The notification area shows small icons at the scale of the screen it is on.
        const int side = SmallIconSide(DpiOf(FrameLink().window));
        state.trayIcon.reset(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(AINICON), IMAGE_ICON, side, side, 0)));
    }
    NOTIFYICONDATAW data{sizeof(data)};
    data.hWnd = FrameLink().window;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = state.trayIcon.get();
    lstrcpynW(data.szTip, L"ZEKO", ARRAYSIZE(data.szTip));
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void ShowTrayMenu(HWND frame) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"TRAYMENU");
    if (!menu) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(frame);
    const UINT command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_BOTTOMALIGN, cursor.x, cursor.y,
                                        0, frame, nullptr);
    PostMessageW(frame, WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (command) {
    case IDM_TRAY_RESTORE:
        FromTray();
        break;
    case IDM_TRAY_EXIT:
        FromTray();
        SendMessageW(frame, WM_CLOSE, 0, 0);
        break;
    }
}

}  // namespace

void ToTray() {
    FrameState& state = Frame();
    HWND frame = FrameLink().window;
    if (!frame || state.inTray) return;
    if (HWND focus = GetFocus(); focus && IsChild(frame, focus)) state.rememberedFocus = focus;
    ShowWindow(frame, SW_MINIMIZE);
    ShowWindow(frame, SW_HIDE);
    // Without an icon a hidden frame could never be brought back: it then
    // stays minimised where the user can still reach it.
    if (!AddTrayIcon()) {
        ShowWindow(frame, SW_SHOWMINNOACTIVE);
        return;
    }
    state.inTray = true;
}

void FromTray() {
    FrameState& state = Frame();
    HWND frame = FrameLink().window;
    if (!frame) return;
    ShowWindow(frame, SW_SHOW);
    ShowWindow(frame, SW_RESTORE);
    // Coming back from the icon is a request to work in the frame: it takes
    // the foreground, and with it the focus it remembered.
    SetForegroundWindow(frame);
    NOTIFYICONDATAW data{sizeof(data)};
    data.hWnd = frame;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
    state.inTray = false;
}

void ReAddTrayIcon() {
    AddTrayIcon();
}

LRESULT OnTrayNotify(HWND frame, WPARAM id, LPARAM event) {
    if (id != kTrayIconId) return 0;
    switch (event) {
    case WM_LBUTTONUP:
        FromTray();
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu(frame);
        break;
    }
    return 0;
}
