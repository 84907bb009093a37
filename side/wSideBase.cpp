#include "side/wSideBase.h"

#include "app/Handles.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/uDpi.h"
#include "shell/wOneButtonBar.h"
#include "folderview/wThumbnail.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {

// Layout at 96 DPI.
constexpr int kCaptionRowHeight = 22;
constexpr int kSplitterWidth = 5;
constexpr int kThumbnailBand = 5;
constexpr int kCloseButtonWidth = 20;
constexpr int kCloseButtonHeight = 18;
constexpr int kCloseButtonRight = 25;
constexpr int kCloseImageSide = 10;
constexpr int kCaptionIdentifier = 1;
constexpr int kCloseBarIdentifier = 2;

enum class Drag { None, Width, Thumbnail };

// One side bar per process.
struct SideBaseState {
    HWND caption = nullptr;
    HWND closeBar = nullptr;
    UniqueFont font;
    UniqueImageList closeImages;
    Drag drag = Drag::None;
    RECT lastFeedback{};  // screen coordinates of the drawn drag feedback
};

SideBaseState& State() {
    static SideBaseState state;
    return state;
}

int Px(HWND window, int px96) { return ScaleForDpi(px96, DpiOf(window)); }

HWND Pane(SidePane pane) { return SideBaseLink().pane ? SideBaseLink().pane(pane) : nullptr; }

bool Shown(HWND window) { return window && IsWindow(window) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE); }

RECT Client(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

int ThumbnailHeight(HWND thumbnail) {
    RECT rect{};
    GetWindowRect(thumbnail, &rect);
    return rect.bottom - rect.top;
}

// The visible main pane: favorites first, then the folder tree, then search.
HWND VisibleMainPane() {
    for (SidePane pane : {SidePane::Favorites, SidePane::FolderTree, SidePane::Search})
        if (HWND window = Pane(pane); Shown(window)) return window;
    return nullptr;
}

void OnSize(HWND sideBase, int width, int height) {
    const SideBaseState& state = State();
    if (state.closeBar)
        MoveWindow(state.closeBar, width - Px(sideBase, kCloseButtonRight), Px(sideBase, 3),
                   Px(sideBase, kCloseButtonWidth), Px(sideBase, kCloseButtonHeight), TRUE);
    const int inner = width - Px(sideBase, kSplitterWidth);
    int paneHeight = height - Px(sideBase, kCaptionRowHeight + 1);
    if (HWND thumbnail = Pane(SidePane::Thumbnail); Shown(thumbnail)) {
        const int thumbHeight = ThumbnailHeight(thumbnail);
        MoveWindow(thumbnail, 0, height - thumbHeight - 1, inner, thumbHeight, TRUE);
        paneHeight = height - thumbHeight - Px(sideBase, kCaptionRowHeight + 7);
    }
    if (HWND pane = VisibleMainPane())
        MoveWindow(pane, 0, Px(sideBase, kCaptionRowHeight), inner, std::max(paneHeight, 0), TRUE);
}

void OnPaint(HWND sideBase) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(sideBase, &paint);
    const RECT client = Client(sideBase);
    const int right = client.right - Px(sideBase, kSplitterWidth);
    const int bottom = client.bottom - 1;
    const int top = Px(sideBase, kCaptionRowHeight) - 1;
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    HGDIOBJ old = SelectObject(dc, pen.get());
    const POINT frameLine[] = {{0, top}, {right, top}, {right, bottom}, {-1, bottom}};
    Polyline(dc, frameLine, 4);
    if (HWND thumbnail = Pane(SidePane::Thumbnail); Shown(thumbnail)) {
        // The two lines edge the band that resizes the pane.
        const int thumbTop = client.bottom - Client(thumbnail).bottom - 1;
        for (int y : {thumbTop - Px(sideBase, kThumbnailBand), thumbTop - 1}) {
            MoveToEx(dc, 0, y, nullptr);
            LineTo(dc, right, y);
        }
    }
    SelectObject(dc, old);
    EndPaint(sideBase, &paint);
}

bool InWidthSplitter(HWND sideBase, int x) { return x >= Client(sideBase).right - Px(sideBase, kSplitterWidth); }

// The band just above a visible thumbnail pane.
bool InThumbnailBand(HWND sideBase, int y) {
    HWND thumbnail = Pane(SidePane::Thumbnail);
    if (!Shown(thumbnail)) return false;
    RECT rect{};
    GetWindowRect(thumbnail, &rect);
    MapWindowPoints(HWND_DESKTOP, sideBase, reinterpret_cast<POINT*>(&rect), 2);
    return y >= rect.top - Px(sideBase, kThumbnailBand) && y < rect.top;
}

int DraggedWidth(HWND sideBase, int x) { return std::max(x, Px(sideBase, kSideBaseMinWidth)); }

// The lowest top a thumbnail pane may have keeps it kThumbnailMinHeight high
// above the bottom line; the highest leaves the caption row and the lines
// above the pane.
int DraggedThumbnailTop(HWND sideBase, int y) {
    const int height = Client(sideBase).bottom;
    const int lowest = height - Px(sideBase, kThumbnailMinHeight) - 1;
    const int highest = Px(sideBase, kCaptionRowHeight + 7);
    return std::max(std::min(y, lowest), std::min(highest, lowest));
}

// The inverted rectangle that follows a drag, drawn on the screen so that it
// shows over the panes as well.
void DrawFeedback(const RECT& screenRect) {
    HDC dc = GetDC(nullptr);
    DrawFocusRect(dc, &screenRect);
    ReleaseDC(nullptr, dc);
}

RECT FeedbackRect(HWND sideBase, int x, int y) {
    const RECT client = Client(sideBase);
    RECT rect{};
    if (State().drag == Drag::Width)
        rect = {1, 1, DraggedWidth(sideBase, x), client.bottom - 1};
    else
        rect = {0, DraggedThumbnailTop(sideBase, y), client.right - Px(sideBase, kSplitterWidth),
                DraggedThumbnailTop(sideBase, y) + 2};
    MapWindowPoints(sideBase, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void MoveFeedback(HWND sideBase, int x, int y) {
    SideBaseState& state = State();
    DrawFeedback(state.lastFeedback);
    state.lastFeedback = FeedbackRect(sideBase, x, y);
    DrawFeedback(state.lastFeedback);
}

void OnLeftButtonDown(HWND sideBase, int x, int y) {
    SideBaseState& state = State();
    if (InWidthSplitter(sideBase, x))
        state.drag = Drag::Width;
    else if (InThumbnailBand(sideBase, y))
        state.drag = Drag::Thumbnail;
    else
        return;
    SetCapture(sideBase);
    state.lastFeedback = FeedbackRect(sideBase, x, y);
    DrawFeedback(state.lastFeedback);
}

void OnLeftButtonUp(HWND sideBase, int x, int y) {
    SideBaseState& state = State();
    if (state.drag == Drag::None) return;
    DrawFeedback(state.lastFeedback);
    const Drag drag = std::exchange(state.drag, Drag::None);
    if (GetCapture() == sideBase) ReleaseCapture();
    RECT rect{};
    GetWindowRect(sideBase, &rect);
    if (drag == Drag::Width) {
        SetWindowPos(sideBase, nullptr, 0, 0, DraggedWidth(sideBase, x), rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (HWND thumbnail = Pane(SidePane::Thumbnail)) {
        const RECT client = Client(sideBase);
        const int top = DraggedThumbnailTop(sideBase, y);
        // Its height leaves the bottom line, where the layout keeps it, so the pane stays where it was dropped.
        MoveWindow(thumbnail, 0, top, client.right - Px(sideBase, kSplitterWidth), client.bottom - top - 1, TRUE);
    }
    RelayoutFrame();
    InvalidateRect(sideBase, nullptr, TRUE);
}

bool OnSetCursor(HWND sideBase) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(sideBase, &point);
    const wchar_t* cursor = InWidthSplitter(sideBase, point.x)   ? IDC_SIZEWE
                            : InThumbnailBand(sideBase, point.y) ? IDC_SIZENS
                                                                 : nullptr;
    if (!cursor) return false;
    SetCursor(LoadCursorW(nullptr, cursor));
    return true;
}

constexpr OneButtonBar kCloseBar{WS_VISIBLE | TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER, kCloseBarIdentifier,
                                 IDM_SIDE_CLOSE, L"CLOSEBMP", kCloseImageSide};

LRESULT OnCreate(HWND sideBase, const CREATESTRUCTW& create) {
    SideBaseState& state = State();
    state.caption = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, Px(sideBase, 5),
                                    Px(sideBase, 4), Px(sideBase, 55), Px(sideBase, 17), sideBase,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCaptionIdentifier)),
                                    create.hInstance, nullptr);
    SetFontForDpi(state.caption, IconTitleFontForDpi, state.font, false);
    state.closeBar = CreateOneButtonBar(sideBase, kCloseBar, state.closeImages);
    return 0;
}

// On a monitor of another scale the caption, its font and the close button
// follow; the panes below follow on their own.
void OnDpiChanged(HWND sideBase) {
    SideBaseState& state = State();
    SetFontForDpi(state.caption, IconTitleFontForDpi, state.font, true);
    if (state.caption)
        MoveWindow(state.caption, Px(sideBase, 5), Px(sideBase, 4), Px(sideBase, 55), Px(sideBase, 17), TRUE);
    if (state.closeBar) MakeOneButtonImages(state.closeBar, kCloseBar, state.closeImages);
    const RECT client = Client(sideBase);
    OnSize(sideBase, client.right, client.bottom);
    InvalidateRect(sideBase, nullptr, TRUE);
}

void OnCommand(HWND sideBase, UINT command) {
    switch (command) {
    case IDM_SIDE_CLOSE: CloseSideBase(sideBase); break;
    case IDM_SIDE_FOLDERS:
    case IDM_SIDE_FAVORITES:
    case IDM_SIDE_SEARCH:
    case IDM_THUMBNAIL_PANE:
        if (FrameLink().window) SendMessageW(FrameLink().window, WM_COMMAND, command, 0);
        break;
    }
}

void OnDestroy() {
    SideBaseState& state = State();
    state.caption = nullptr;
    state.closeBar = nullptr;
    state.font.reset();
    state.closeImages.reset();
    state.drag = Drag::None;
}

LRESULT CALLBACK SideBaseProc(HWND sideBase, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(sideBase, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_SIZE: OnSize(sideBase, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_PAINT: OnPaint(sideBase); return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == sideBase && LOWORD(lParam) == HTCLIENT && OnSetCursor(sideBase)) return TRUE;
        break;
    case WM_LBUTTONDOWN: OnLeftButtonDown(sideBase, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSEMOVE:
        if (State().drag != Drag::None) MoveFeedback(sideBase, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(sideBase, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_CAPTURECHANGED:
        if (State().drag != Drag::None && reinterpret_cast<HWND>(lParam) != sideBase) {
            DrawFeedback(State().lastFeedback);
            State().drag = Drag::None;
        }
        return 0;
    case WM_SHOWWINDOW:
        if (wParam)
            if (HWND thumbnail = Pane(SidePane::Thumbnail)) SendMessageW(thumbnail, WM_THUMBNAIL_REFRESH, 0, 0);
        break;
    case WM_COMMAND: OnCommand(sideBase, LOWORD(wParam)); return 0;
    case WM_DPICHANGED_AFTERPARENT: OnDpiChanged(sideBase); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcW(sideBase, message, wParam, lParam);
}

}  // namespace

SideBaseLinks& SideBaseLink() {
    static SideBaseLinks links;
    return links;
}

HWND CreateSideBase(HWND frame, HINSTANCE instance) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    if (!GetClassInfoExW(instance, kSideBaseClassName, &windowClass)) {
        windowClass = {sizeof(windowClass)};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = SideBaseProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kSideBaseClassName;
        RegisterClassExW(&windowClass);
    }
    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    // A stored width is pixels, used as stored; only the default follows the DPI.
    const UINT dpi = DpiOf(frame);
    int width = SettingsReadInt(root.get(), RootSettings::SideBaseWidth.name,
                                ScaleForDpi(RootSettings::SideBaseWidth.def, dpi));
    // A stored width below the splitter's own minimum could only come from an
    // edited registry; the splitter would never have left it.
    width = std::max(width, ScaleForDpi(kSideBaseMinWidth, dpi));
    return CreateWindowExW(0, kSideBaseClassName, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width, 0,
                           frame, nullptr, instance, nullptr);
}

HWND SideBaseCaption(HWND sideBase) { return GetDlgItem(sideBase, kCaptionIdentifier); }

void SetSideBaseCaption(HWND sideBase, const wchar_t* text) {
    if (HWND caption = SideBaseCaption(sideBase)) SetWindowTextW(caption, text);
}

void CloseSideBase(HWND sideBase) {
    for (RouteBar bar : {RouteBar::ToolBar, RouteBar::SideToolBar}) {
        HWND toolbar = Routes().window ? Routes().window(bar) : nullptr;
        if (!toolbar) continue;
        for (UINT command : {IDM_SIDE_FAVORITES, IDM_SIDE_FOLDERS, IDM_SIDE_SEARCH})
            SendMessageW(toolbar, TB_CHECKBUTTON, command, MAKELPARAM(FALSE, 0));
    }
    HWND focus = GetFocus();
    const bool focusInside = focus && (focus == sideBase || IsChild(sideBase, focus));
    ShowWindow(sideBase, SW_HIDE);
    RelayoutFrame();
    if (focusInside)
        if (HWND list = ChildListView()) SetFocus(list);
}
