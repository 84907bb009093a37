#include "mainwnd/wMainWnd.h"

#include "app/uCmdLineText.h"
#include "app/uMessageLoop.h"
#include "app/uReg.h"
#include "bars/wCoolBar.h"
#include "bars/wToolBar.h"
#include "favgroup/uFavoriteGroup.h"
#include "mainwnd/uCommand.h"
#include "mainwnd/uSidePanes.h"
#include "mainwnd/wStatusBar.h"
#include "mdi/uBarsRoute.h"
#include "mdi/uStartupTabs.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDIClient.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "shell/uContextMenuSlot.h"
#include "shell/uDdeServer.h"

#include <shellapi.h>
#include <windowsx.h>

#include <utility>

namespace {

// The common-control classes the frame's bars and panes use: list view, tree
// view, bar, tab, up-down, hot-key, extended combo box and rebar.
constexpr DWORD kFrameControlClasses = 0x65F;

// Message the notification area sends to every top-level window when it was
// (re)created, so icons can be added again.
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

bool HasVisibleStyle(HWND window) {
    return window && IsWindow(window) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
}

RECT WindowRectInFrame(HWND frame, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void SendClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const WPARAM kind = IsZoomed(window) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessageW(window, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
}

// The rebar takes the top, the status bar the bottom, the side toolbar and
// side bar a column on the left; the tab bar and the MDI client share the rest.
void LayoutFrame(HWND frame, WPARAM sizeKind, int width, int height) {
    FrameState& state = Frame();
    if (state.rebar) SendMessageW(state.rebar, WM_SIZE, sizeKind, MAKELPARAM(width, height));
    if (state.addressContainer) SendClientSize(state.addressContainer);

    int statusHeight = 0;
    if (HasVisibleStyle(state.statusBar)) {
        SetStatusBarParts(state.statusBar);
        SendMessageW(state.statusBar, WM_SIZE, sizeKind, MAKELPARAM(width, height));
        RECT status{};
        GetWindowRect(state.statusBar, &status);
        statusHeight = status.bottom - status.top;
    }

    const int top = HasVisibleStyle(state.rebar) ? WindowRectInFrame(frame, state.rebar).bottom : 0;
    const int columnHeight = height - statusHeight - top;
    const bool sideBarVisible = HasVisibleStyle(state.sideBar);
    const bool sideToolBarVisible = HasVisibleStyle(state.sideToolBar);
    const int gap = sideBarVisible ? 1 : 0;
    const int toolWidth = sideToolBarVisible ? FitSideToolBar(state.sideToolBar, columnHeight) : 0;
    int x = 0;

    if (sideToolBarVisible && SideToolBarOnLeft()) {
        MoveWindow(state.sideToolBar, 0, top, toolWidth, columnHeight, TRUE);
        x = toolWidth + gap;
    }
    if (sideBarVisible) {
        RECT side{};
        GetWindowRect(state.sideBar, &side);
        const int sideWidth = side.right - side.left;
        MoveWindow(state.sideBar, x, top, sideWidth, columnHeight, TRUE);
        x += sideWidth;
    }
    if (sideToolBarVisible && !SideToolBarOnLeft()) {
        MoveWindow(state.sideToolBar, x + gap, top, toolWidth, columnHeight, TRUE);
        x += toolWidth + gap;
    }

    TabBarLayout(RECT{x, top, width, height - statusHeight});
}

// The line that separates the side toolbar from the side bar.
void PaintSeparator(HWND frame) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(frame, &paint);
    const FrameState& state = Frame();
    if (HasVisibleStyle(state.sideToolBar) && HasVisibleStyle(state.sideBar)) {
        const RECT tool = WindowRectInFrame(frame, state.sideToolBar);
        const int x = SideToolBarOnLeft() ? tool.right : tool.left - 1;
        RECT line{x, tool.top, x + 1, tool.bottom};
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    }
    EndPaint(frame, &paint);
}

// The shell image lists are created by the shell on demand; initialising its
// icon cache first makes them hold the system icons.
void TakeSystemImageLists() {
    HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
    if (!shell32) return;
    using FileIconInitFn = BOOL(WINAPI*)(BOOL);
    using GetImageListsFn = BOOL(WINAPI*)(HIMAGELIST*, HIMAGELIST*);
    if (auto fileIconInit = reinterpret_cast<FileIconInitFn>(GetProcAddress(shell32, MAKEINTRESOURCEA(660))))
        fileIconInit(TRUE);
    if (auto getImageLists = reinterpret_cast<GetImageListsFn>(GetProcAddress(shell32, MAKEINTRESOURCEA(71))))
        getImageLists(&Frame().largeImages, &Frame().smallImages);
}

// The bars and panes are created here from the visibility settings as they
// come into the program; a missing one leaves its handle null.
void CreateBarsAndPanes(HWND frame, HINSTANCE instance) {
    FrameLink().mdiClient = CreateMDIClient(frame, instance, FrameConfig().windowMode);
    Routing().firstPane = FirstPane;
    Routing().secondPane = SecondPane;
    RegisterFavoriteGroups();
    Frame().rebar = CreateCoolBar(frame, kRebarId);
    CreateTabBar(frame);
    CreateSidePanes(frame, instance);
    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    RegisterToolBarCommands();
    if (ReadBarVisible(root.get(), RootSettings::ToolBarVisible)) CreateFrameToolBar();
    if (ReadBarVisible(root.get(), RootSettings::SideToolBarVisible)) CreateFrameSideToolBar();
    if (ReadBarVisible(root.get(), RootSettings::AddressBarVisible)) CreateFrameAddressBar();
    if (ReadBarVisible(root.get(), RootSettings::StatusBarVisible)) CreateStatusBar(frame);
}

HWND FrameBarWindow(RouteBar bar) {
    const FrameState& state = Frame();
    switch (bar) {
    case RouteBar::FolderTree: return state.folderTree;
    case RouteBar::AddressBar: return state.addressBar;
    case RouteBar::FavoriteTree: return state.favoriteTree;
    case RouteBar::ToolBar: return state.toolBar;
    case RouteBar::SideToolBar: return state.sideToolBar;
    }
    return nullptr;
}

LRESULT OnCreate(HWND frame, const CREATESTRUCTW& create) {
    FrameLink().window = frame;
    FrameLink().title = create.lpszName ? create.lpszName : L"";
    FrameLink().relayout = Relayout;
    Routes().window = FrameBarWindow;
    StartDdeServer();
    TakeSystemImageLists();
    CreateBarsAndPanes(frame, create.hInstance);

    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    FrameConfig().minimizeTaskTray = SettingsRead(root.get(), RootSettings::MinimizeTaskTray);
    StartupFolders startup = LoadStartupFolders(HasArguments(GetCommandLineW()));

    // Absent resources leave the tables empty; the loop then skips them.
    LoopTables().focus = LoadAcceleratorsW(create.hInstance, L"FOCUSACCEL");
    LoopTables().searchStop = LoadAcceleratorsW(create.hInstance, L"ESCACCEL");
    UseDefaultAccelerators(create.hInstance);
    // The tabs open into the laid-out client, each at its final size.
    Relayout();
    OpenStartupFolders(std::move(startup));
    return 0;
}

void OnSysCommand(HWND frame, WPARAM command, LPARAM lParam) {
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        if (HWND focus = GetFocus(); focus && IsChild(frame, focus)) Frame().rememberedFocus = focus;
        if (FrameConfig().minimizeTaskTray) {
            ToTray();
            return;
        }
        break;
    case SC_CLOSE:
        if (FrameConfig().closeTaskTray) {
            ToTray();
            return;
        }
        break;
    }
    DefFrameProcW(frame, FrameLink().mdiClient, WM_SYSCOMMAND, command, lParam);
}

// A rebar that grows or shrinks (a band wrapped to a new row) moves
// everything below it. The toolbars' notifications come here too, the
// standard one's through the rebar; true when `result` is the answer.
bool OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.idFrom == kRebarId) {
        if (OnCoolBarNotify(header)) Relayout();
        return false;
    }
    if (header.idFrom == kToolBarId || header.idFrom == kSideToolBarId) return ToolBarNotify(header, result);
    return false;
}

// A right click on the rebar or a band's own background (which passes it on)
// offers the bands to show or hide; false for any other window.
bool OnContextMenu(HWND clicked, LPARAM point) {
    HWND rebar = Frame().rebar;
    if (!rebar || !clicked || (clicked != rebar && !IsChild(rebar, clicked))) return false;
    ShowBandMenu(POINT{GET_X_LPARAM(point), GET_Y_LPARAM(point)});
    return true;
}

// Gives the focus back to the window that had it when the frame was left.
// False when there is none to give it to.
bool RestoreRememberedFocus(HWND frame) {
    HWND remembered = Frame().rememberedFocus;
    if (IsIconic(frame) || !remembered || remembered == frame || !IsWindow(remembered) ||
        !IsWindowVisible(remembered))
        return false;
    SetFocus(remembered);
    return true;
}

void OnActivate(HWND frame, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(frame, focus)) Frame().rememberedFocus = focus;
    } else if (!HIWORD(wParam) && RestoreRememberedFocus(frame)) {
        // A frame restored from the taskbar or the notification area may
        // still hold the focus itself, so no WM_SETFOCUS would follow.
        return;
    }
    DefFrameProcW(frame, FrameLink().mdiClient, WM_ACTIVATE, wParam, lParam);
}

void OnSetFocus(HWND frame, WPARAM wParam, LPARAM lParam) {
    if (!RestoreRememberedFocus(frame)) DefFrameProcW(frame, FrameLink().mdiClient, WM_SETFOCUS, wParam, lParam);
}

void OnDestroy() {
    FrameState& state = Frame();
    if (state.inTray) {
        NOTIFYICONDATAW data{sizeof(data)};
        data.hWnd = FrameLink().window;
        data.uID = kTrayIconId;
        Shell_NotifyIconW(NIM_DELETE, &data);
        state.inTray = false;
    }
    state.trayIcon.reset();
    PostQuitMessage(0);
}

BOOL CALLBACK TellDpiChanged(HWND window, LPARAM) {
    SendMessageW(window, WM_DPICHANGED_AFTERPARENT, 0, 0);
    return TRUE;
}

// The frame takes the size the system suggests for the new monitor. Every
// window inside is told itself: the older per-monitor mode (before
// per-monitor v2) tells only the top-level window.
void OnDpiChanged(HWND frame, const RECT& suggested) {
    EnumChildWindows(frame, TellDpiChanged, 0);
    ToolBarsFollowDpi();
    StatusBarFollowDpi();
    SetWindowPos(frame, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    // While a shell context menu is tracked, its owner-drawn items and
    // submenus are the menu's business, not the main menu's.
    switch (message) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
    case WM_NEXTMENU: {
        LRESULT result = 0;
        if (RelayToTrackedContextMenu(message, wParam, lParam, result)) return result;
        if (message == WM_INITMENUPOPUP && !HIWORD(lParam)) PrepareFrameMenu(frame, reinterpret_cast<HMENU>(wParam));
        break;
    }
    }

    switch (message) {
    case WM_CREATE:
        return OnCreate(frame, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_SIZE:
        // Not passed on: the default would stretch the MDI client over the bars.
        if (wParam != SIZE_MINIMIZED) LayoutFrame(frame, wParam, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_PAINT:
        PaintSeparator(frame);
        return 0;
    case WM_ACTIVATE:
        OnActivate(frame, wParam, lParam);
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(frame, wParam, lParam);
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(frame, wParam, lParam);
        return 0;
    case WM_COMMAND:
        if (OnFrameCommand(frame, wParam, lParam)) return 0;
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(*reinterpret_cast<NMHDR*>(lParam), result)) return result;
        break;
    }
    case WM_CONTEXTMENU:
        if (OnContextMenu(reinterpret_cast<HWND>(wParam), lParam)) return 0;
        break;
    case WM_TRAYNOTIFY:
        return OnTrayNotify(frame, wParam, lParam);
    case WM_CLOSE:
        RunExitSequence(false);
        return 0;
    case WM_QUERYENDSESSION:
        RunExitSequence(true);
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(frame, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        if (message == TaskbarCreatedMessage() && Frame().inTray) ReAddTrayIcon();
        break;
    }
    return DefFrameProcW(frame, FrameLink().mdiClient, message, wParam, lParam);
}

}  // namespace

FrameState& Frame() {
    static FrameState state;
    return state;
}

void RegisterFrameClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), kFrameControlClasses};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW frameClass{sizeof(frameClass)};
    frameClass.style = CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(AINICON));
    frameClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(AINICON), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    frameClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszMenuName = L"MAINMENU";
    frameClass.lpszClassName = kFrameClassName;
    RegisterClassExW(&frameClass);

    RegisterChildClass(instance);
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
    RegisterFrameClasses(instance);
    LoadFirstSettings();

    const FramePlacement& placement = Frame().placement;
    HWND frame = CreateWindowExW(0, kFrameClassName, L"ZEKO", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 placement.left, placement.top, placement.width, placement.height, nullptr,
                                 nullptr, instance, nullptr);
    if (!frame) return nullptr;

    if (showCommand == SW_SHOWMINNOACTIVE) {
        if (FrameConfig().minimizeTaskTray)
            ToTray();
        else
            ShowWindow(frame, showCommand);
    } else {
        ShowWindow(frame, placement.maximize ? SW_SHOWMAXIMIZED : showCommand);
    }
    UpdateWindow(frame);
    return frame;
}

void Relayout() {
    const FrameState& state = Frame();
    // A minimised frame has no client area to lay out; restoring it sends its own WM_SIZE.
    if (!FrameLink().window || IsIconic(FrameLink().window)) return;
    SendClientSize(FrameLink().window);
    if (HasVisibleStyle(state.sideBar)) SendClientSize(state.sideBar);
}
