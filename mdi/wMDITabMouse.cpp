// The tab control's mouse: dragging a tab to a new place, the configured click
// commands, wheel switching, and activating the tab a drag hovers over.

#include "mdi/wMDITab.h"

#include "mainwnd/uCommand.h"
#include "mainwnd/uCommandShared.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"

#include <ole2.h>
#include <windowsx.h>

namespace {

constexpr UINT_PTR kSubclassId = 1504;
// A drag starts once half the squared distance from the down point exceeds
// this: about 8 pixels.
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
    return (dx * dx + dy * dy) / 2 > kDragThreshold;
}

void ActivateTab(int index) {
    HWND child = TabChild(index);
    if (child && Frame().mdiClient)
        SendMessageW(Frame().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

// The pane a command for this tab is aimed at: its folder view list or its
// search result list.
HWND ContentListOf(HWND child) {
    TMDIChildView* view = ChildViewOf(child);
    if (!view) return nullptr;
    if (view->ContentKind == ContentSearch) return view->SearchList ? view->SearchList->ListView : nullptr;
    return ChildListView(child);
}

void ShowTabMenu(int index) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(TabBar().tabs, GWLP_HINSTANCE));
    UniqueMenu menu(LoadMenuW(instance, L"TABMENU"));
    HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y,
                                                          0, TabBar().container, nullptr));
    if (chosen != 0) RunTabCommand(static_cast<WORD>(chosen), index);
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

// Activates the tab a drag hovers over once it has stayed there longer than
// DragTime. Dropping does nothing yet: every effect is none.
class TabDropTarget final : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL point, DWORD* effect) override {
        hoverTab_ = -1;
        Hover(point);
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override {
        Hover(point);
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        hoverTab_ = -1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        hoverTab_ = -1;
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }

private:
    void Hover(POINTL screen) {
        HWND tabs = TabBar().tabs;
        if (!tabs) return;
        POINT point{screen.x, screen.y};
        ScreenToClient(tabs, &point);
        const int tab = TabAt(tabs, point);
        const DWORD now = GetTickCount();
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

    LONG references_ = 1;
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
        const LRESULT result = DefSubclassProc(tabs, message, wParam, lParam);
        OnLeftButtonDown(tabs, wParam, lParam);
        return result;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONUP:
        OnLeftButtonUp(tabs, lParam);
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse: the press is no drag any more.
        if (Drag().pending && reinterpret_cast<HWND>(lParam) != tabs) Drag() = {};
        break;
    case WM_LBUTTONDBLCLK:
        OnClick(tabs, TabBar().settings.ldClick, lParam);
        break;
    case WM_RBUTTONUP:
        OnClick(tabs, RightClickCommand(wParam), lParam);
        break;
    case WM_MBUTTONUP:
        OnClick(tabs, TabBar().settings.mClick, lParam);
        break;
    case WM_MOUSEWHEEL:
        if (OnWheel(wParam)) return 0;
        break;
    case WM_DESTROY:
        RevokeDragDrop(tabs);
        TabBar().dropTarget = nullptr;
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

void RunTabCommand(WORD command, int index) {
    HWND child = TabChild(index);
    if (!child) return;
    switch (command) {
    case IDM_TAB_NOTHING: return;
    case IDM_TAB_POPUP: ShowTabMenu(index); return;
    case IDM_CLOSE: CloseTab(index); return;
    case IDM_CLOSE_LEFT: CloseLeft(index); return;
    case IDM_CLOSE_RIGHT: CloseRight(index); return;
    case IDM_CLOSE_ALL: CloseAll(); return;
    case IDM_CLOSE_OTHERS: CloseOthers(index); return;
    case IDM_ADD_FAVORITE:
    case IDM_ADD_LINK:
        if (!ChildFolder(child)) return;
        break;
    }
    // Without its list the command would land on the active tab instead.
    HWND list = ContentListOf(child);
    if (list && Frame().frame)
        SendMessageW(Frame().frame, WM_COMMAND, MAKEWPARAM(command, CommandFromControl), reinterpret_cast<LPARAM>(list));
}
