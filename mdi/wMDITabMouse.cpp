// The tab control's mouse: dragging a tab to a new place, the configured click
// commands, wheel switching, handing back the focus a click takes, and
// activating the tab a drag hovers over.

#include "mdi/wMDITab.h"

#include "app/ComObject.h"
#include "app/uFrameLink.h"
#include "folderview/wFolderView.h"
#include "mdi/wMDIChild.h"
#include "shell/hOledd.h"
#include "shell/uCapabilities.h"
#include "shell/uDpi.h"

#include <ole2.h>
#include <windowsx.h>

namespace {

constexpr UINT_PTR kSubclassId = 1504;
// A drag starts once half the squared distance from the down point exceeds
// this: about 8 pixels at 96 DPI.
constexpr int kDragThreshold = 30;

// Idle, or a left press on a tab that may become a drag.
struct TabDragState {
    bool pending = false;
    bool captured = false;
    POINT down{};
    int tab = -1;
};

TabDragState& Drag() {
    static TabDragState state;
    return state;
}

// Above zero while the control's own handling of a mouse button runs. The
// focus the control takes then comes from the press itself; focus that a
// command run by the click gives it (5114, focus the tab bar) is meant.
int g_pressDepth = 0;

LRESULT DefaultPress(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam) {
    ++g_pressDepth;
    const LRESULT result = DefSubclassProc(tabs, message, wParam, lParam);
    --g_pressDepth;
    return result;
}

// The control takes the focus on every press; unless its style asks for that
// (TCS_FOCUSONBUTTONDOWN), a click switches tabs and leaves the keyboard
// where it was.
void HandFocusBack(HWND tabs, HWND previous) {
    // The window given the focus back may pass it on to a window it
    // remembers (the frame does), which can be this bar again: one try only.
    static bool handing = false;
    if (handing || g_pressDepth == 0 || (GetWindowLongPtrW(tabs, GWL_STYLE) & TCS_FOCUSONBUTTONDOWN)) return;
    if (!previous || previous == tabs || !IsWindow(previous)) return;
    handing = true;
    SetFocus(previous);
    handing = false;
}

int TabAt(HWND tabs, POINT point) {
    TCHITTESTINFO hit{};
    hit.pt = point;
    return TabCtrl_HitTest(tabs, &hit);
}

int TabAt(HWND tabs, LPARAM lParam) {
    return TabAt(tabs, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

bool FarEnough(POINT from, POINT to) {
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    // A squared distance grows with the square of the scale.
    const UINT dpi = DpiOf(TabBar().tabs);
    return (dx * dx + dy * dy) / 2 > ScaleForDpi(ScaleForDpi(kDragThreshold, dpi), dpi);
}

void ActivateTab(int index) {
    HWND child = TabChild(index);
    if (child && FrameLink().mdiClient)
        SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

void OnLeftButtonDown(HWND tabs, WPARAM wParam, LPARAM lParam) {
    TabDragState& drag = Drag();
    drag = {};
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int tab = TabAt(tabs, point);
    if (tab < 0) return;
    drag.pending = true;
    drag.down = point;
    drag.tab = tab;
    if (GetCapture() != tabs) {
        SetCapture(tabs);
        drag.captured = true;
    }
}

void OnMouseMove(LPARAM lParam) {
    const TabDragState& drag = Drag();
    if (!drag.pending || !FarEnough(drag.down, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) return;
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(TabBar().tabs, GWLP_HINSTANCE));
    if (HCURSOR cursor = LoadCursorW(instance, L"DRAGCUR2")) SetCursor(cursor);
}

void OnLeftButtonUp(HWND tabs, LPARAM lParam) {
    TabDragState drag = Drag();
    if (!drag.pending) return;
    Drag() = {};
    // Releasing sends WM_CAPTURECHANGED, which must find the drag already over.
    if (drag.captured && GetCapture() == tabs) ReleaseCapture();
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!FarEnough(drag.down, point)) return;
    const int target = TabAt(tabs, point);
    if (target >= 0) MoveTab(drag.tab, target);
}

void OnClick(HWND tabs, WORD command, LPARAM lParam) {
    const int tab = TabAt(tabs, lParam);
    if (tab >= 0) RunTabCommand(command, tab);
}

WORD RightClickCommand(WPARAM keys) {
    const TabBarSettings& s = TabBar().settings;
    if (keys & MK_SHIFT) return s.rsClick;
    if (keys & MK_CONTROL) return s.rcClick;
    return s.rClick;
}

bool OnWheel(WPARAM wParam) {
    if (!TabBar().settings.wheelTab) return false;
    const int count = TabCount();
    if (count < 2) return true;
    const int selected = SelectedTab();
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta < 0) ActivateTab((selected + 1) % count);
    else if (delta > 0) ActivateTab((selected + count - 1) % count);
    return true;
}

// The drop mark: a dotted frame just inside the item rectangle.
constexpr int kDropMarkInset = 3;

bool DropMarkRect(HWND tabs, int tab, RECT& rect) {
    if (tab < 0 || !TabCtrl_GetItemRect(tabs, tab, &rect)) return false;
    const int inset = ScaleForDpi(kDropMarkInset, DpiOf(tabs));
    InflateRect(&rect, -inset, -inset);
    return true;
}

// Drawn over the control's own painting, with a pen rather than by inverting,
// so that a partial repaint never leaves half a mark inverted.
void PaintDropMark(HWND tabs) {
    RECT rect{};
    if (!DropMarkRect(tabs, TabBar().dropMark, rect)) return;
    HDC dc = GetDC(tabs);
    UniqueGdi<HPEN> pen(CreatePen(PS_DOT, 1, GetSysColor(COLOR_WINDOWTEXT)));
    const HGDIOBJ oldPen = SelectObject(dc, pen.get());
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    ReleaseDC(tabs, dc);
}

void SetDropMark(int tab) {
    HWND tabs = TabBar().tabs;
    int& mark = TabBar().dropMark;
    if (!tabs || tab == mark) return;
    RECT rect{};
    if (DropMarkRect(tabs, mark, rect)) InvalidateRect(tabs, &rect, TRUE);
    mark = tab;
    if (DropMarkRect(tabs, mark, rect)) InvalidateRect(tabs, &rect, TRUE);
}

// Hands a drag over a tab to the drop target of the tab's folder, which
// decides the effect and does the drop; marks the tab while it accepts, and
// activates it once the drag has stayed there longer than DragTime.
class TabDropTarget final : public TForwardingDropTarget {
protected:
    ComPtr<IDropTarget> Resolve(POINT screen) override {
        HWND tabs = TabBar().tabs;
        target_ = -1;
        if (!tabs) return ComPtr<IDropTarget>();
        POINT point = screen;
        ScreenToClient(tabs, &point);
        target_ = TabAt(tabs, point);
        // A search-results tab shows no folder and takes nothing.
        TFolderView* view = target_ >= 0 ? ChildFolderView(TabChild(target_)) : nullptr;
        if (!view || !view->Folder || !view->AbsoluteIDList) return ComPtr<IDropTarget>();
        return CreateBackgroundDropTarget(view->Folder.get(), view->AbsoluteIDList);
    }
    // The tab under the pointer is marked whether or not its folder takes the
    // drag: the mark also shows which tab a longer hover will bring forward.
    void Mark(bool) override {}
    void Moving(POINT screen) override {
        HWND tabs = TabBar().tabs;
        if (!tabs) return;
        POINT point = screen;
        ScreenToClient(tabs, &point);
        const int tab = TabAt(tabs, point);
        SetDropMark(tab);
        const DWORD now = TabBar().hoverClock();
        if (tab != hoverTab_) {
            hoverTab_ = tab;
            since_ = now;
            activated_ = false;
            return;
        }
        if (tab < 0 || activated_) return;
        if (now - since_ > static_cast<DWORD>(TabBar().settings.dragTime)) {
            activated_ = true;
            if (tab != SelectedTab()) ActivateTab(tab);
        }
    }

public:
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        hoverTab_ = -1;
        return TForwardingDropTarget::DragEnter(data, keys, point, effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        hoverTab_ = -1;
        SetDropMark(-1);
        return TForwardingDropTarget::DragLeave();
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        hoverTab_ = -1;
        SetDropMark(-1);
        return TForwardingDropTarget::Drop(data, keys, point, effect);
    }

private:
    int target_ = -1;
    int hoverTab_ = -1;
    DWORD since_ = 0;
    bool activated_ = false;
};

LRESULT CALLBACK TabMouseProc(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN: {
        if (wParam & MK_RBUTTON) {
            // The click belongs to the rocker command alone.
            OnClick(tabs, TabBar().settings.rlClick, lParam);
            return 0;
        }
        const LRESULT result = DefaultPress(tabs, message, wParam, lParam);
        OnLeftButtonDown(tabs, wParam, lParam);
        return result;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONUP:
        OnLeftButtonUp(tabs, lParam);
        return DefaultPress(tabs, message, wParam, lParam);
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the press is no drag any more.
        if (Drag().pending && reinterpret_cast<HWND>(lParam) != tabs) Drag() = {};
        break;
    case WM_LBUTTONDBLCLK:
        OnClick(tabs, TabBar().settings.ldClick, lParam);
        return DefaultPress(tabs, message, wParam, lParam);
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return DefaultPress(tabs, message, wParam, lParam);
    case WM_RBUTTONUP:
        OnClick(tabs, RightClickCommand(wParam), lParam);
        return DefaultPress(tabs, message, wParam, lParam);
    case WM_MBUTTONUP:
        OnClick(tabs, TabBar().settings.mClick, lParam);
        return DefaultPress(tabs, message, wParam, lParam);
    case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(tabs, message, wParam, lParam);
        HandFocusBack(tabs, reinterpret_cast<HWND>(wParam));
        return result;
    }
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(tabs, message, wParam, lParam);
        PaintDropMark(tabs);
        return result;
    }
    case WM_MOUSEWHEEL:
        if (OnWheel(wParam)) return 0;
        break;
    case WM_DESTROY:
        RevokeDragDrop(tabs);
        TabBar().dropTarget = nullptr;
        TabBar().dropMark = -1;
        Drag() = {};
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(tabs, TabMouseProc, kSubclassId);
        break;
    }
    return DefSubclassProc(tabs, message, wParam, lParam);
}

}  // namespace

void AttachTabMouse(HWND tabs) {
    SetWindowSubclass(tabs, TabMouseProc, kSubclassId, 0);
    auto target = ComPtr<IDropTarget>::attach(new TabDropTarget);
    if (SUCCEEDED(RegisterDragDrop(tabs, target.get()))) TabBar().dropTarget = target;
}
