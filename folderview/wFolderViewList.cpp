// The list view's window procedure ahead of the control's own, and the one way
// background work hands its results to the GUI thread.

#include "folderview/wFolderView.h"

#include "app/Handles.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewResult.h"
#include "res/resource.h"

#include <windowsx.h>

#include <iterator>

namespace {

// Sent by background work to the list view; lParam points to a TViewResult
// that lives until SendMessageW returns.
constexpr UINT kViewResultMessage = WM_APP + 0x61;

// The list view class's own procedure, for a list whose view has gone while
// a window procedure of someone else's still stands above ours.
WNDPROC g_listViewClassProc = nullptr;

// The list draws what needs painting into a bitmap first, which is then copied
// to the screen in one go. Drawn item by item on the screen, a page of small
// icons or of the list mode costs three times as much (300-400 ms for a full
// window on a slow display), and the user sees the background before the items.
void PaintBuffered(HWND list, WNDPROC listProc) {
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(list, &paint);
    const RECT& area = paint.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (screen && width > 0 && height > 0) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(format.bmiHeader);
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        UniqueBitmap bitmap(CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
        UniqueMemoryDC memory(CreateCompatibleDC(screen));
        if (bitmap && memory) {
            const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
            // The list draws in its own coordinates; the bitmap holds only the part to paint.
            SetViewportOrgEx(memory.get(), -area.left, -area.top, nullptr);
            const auto dc = reinterpret_cast<WPARAM>(memory.get());
            CallWindowProcW(listProc, list, WM_ERASEBKGND, dc, 0);
            CallWindowProcW(listProc, list, WM_PAINT, dc, 0);
            BitBlt(screen, area.left, area.top, width, height, memory.get(), area.left, area.top, SRCCOPY);
            SelectObject(memory.get(), previous);
        } else {
            // Without a bitmap, the list draws on the screen as it would by itself.
            CallWindowProcW(listProc, list, WM_ERASEBKGND, reinterpret_cast<WPARAM>(screen), 0);
            CallWindowProcW(listProc, list, WM_PAINT, reinterpret_cast<WPARAM>(screen), 0);
        }
    }
    EndPaint(list, &paint);
}

}  // namespace

LRESULT DeliverToView(HWND list, TViewResult& result) {
    return SendMessageW(list, kViewResultMessage, 0, reinterpret_cast<LPARAM>(&result));
}

void TFolderView::HookListView() {
    g_listViewClassProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(ListView, GCLP_WNDPROC));
    SetWindowLongPtrW(ListView, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ListViewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(ListView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TFolderView::ListProc)));
}

void TFolderView::UnhookListView() {
    if (!ListViewProc || !IsWindow(ListView)) return;
    // Ours is taken out only where it is on top; below another, it stays and
    // passes everything on.
    if (GetWindowLongPtrW(ListView, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TFolderView::ListProc))
        SetWindowLongPtrW(ListView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListViewProc));
    SetWindowLongPtrW(ListView, GWLP_USERDATA, 0);
}

LRESULT CALLBACK TFolderView::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<TFolderView*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if (!view || !view->ListViewProc) return CallWindowProcW(g_listViewClassProc, list, message, wParam, lParam);
    switch (message) {
    case kViewResultMessage: {
        auto* result = reinterpret_cast<TViewResult*>(lParam);
        // A result for a folder the view has left is dropped; its sender frees it.
        return result && result->generation == view->Generation ? result->Apply(*view) : 0;
    }
    case kFillStepMessage:
        if (static_cast<LONG>(wParam) == view->Generation) view->RunFillStep(GetTickCount64() + kFillSliceLength);
        return 0;
    case WM_TIMER:
        if (wParam != kFillStepTimerId) break;
        KillTimer(list, kFillStepTimerId);
        view->RunFillStep(GetTickCount64() + kFillSliceLength);
        return 0;
    case WM_PAINT: {
        const bool outer = !view->ListPainting;
        view->ListPainting = true;
        const ULONGLONG started = GetTickCount64();
        LRESULT result = 0;
        if (wParam)
            result = CallWindowProcW(view->ListViewProc, list, message, wParam, lParam);
        else
            PaintBuffered(list, view->ListViewProc);
        if (outer) {
            view->ListPainting = false;
            view->ListPainted(GetTickCount64() - started);
            view->QueueThumbnailBatch();
        }
        return result;
    }
    case WM_ERASEBKGND:
        // The painting fills the background in its bitmap; erased on the screen first, it would flicker.
        if (view->ListPainting) return TRUE;
        break;
    case WM_SETCURSOR:
        // The folder is still loading, but the list can be used meanwhile.
        if (view->Filling() && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        if (view->OnMiddleButton(message == WM_MBUTTONDOWN, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            return 0;
        break;
    case WM_DPICHANGED_AFTERPARENT:
        view->ApplyDpi();
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (view->OnHeaderNotify(reinterpret_cast<const NMHDR*>(lParam), result, wParam, lParam)) return result;
        break;
    }
    case WM_NCDESTROY: {
        const WNDPROC original = view->ListViewProc;
        view->UnhookListView();
        view->ListViewProc = nullptr;
        return CallWindowProcW(original, list, message, wParam, lParam);
    }
    default:
        break;
    }
    return CallWindowProcW(view->ListViewProc, list, message, wParam, lParam);
}

// The header tells only its parent, the list view, of item changes and of a
// right-click, and not every list view passes these on to the child window.
bool TFolderView::OnHeaderNotify(const NMHDR* header, LRESULT& result, WPARAM wParam, LPARAM lParam) {
    if (!header || header->hwndFrom != ListView_GetHeader(ListView)) return false;
    if (header->code == NM_RCLICK) {
        // Taken here alone, so that a list view that does pass it on cannot open the menu twice.
        // Outside details mode the header is not shown, and its click is the list's.
        if (ViewMode == 3)
            ChooseColumns();
        else
            ShowContextMenu(true);
        result = TRUE;
        return true;
    }
    if (header->code != HDN_ITEMCHANGEDW && header->code != HDN_ITEMCHANGEDA) return false;
    // The list view takes a new width first; the state then reads it back.
    result = CallWindowProcW(ListViewProc, ListView, WM_NOTIFY, wParam, lParam);
    OnHeaderItemChanged();
    return true;
}

// The middle button opens what it is released over, by the MClick setting;
// pressed, it makes the item under it the one the opening acts on.
bool TFolderView::OnMiddleButton(bool down, POINT point) {
    static constexpr WORD kOpenCommands[] = {IDM_OPEN, IDM_OPEN_NEW_TAB, IDM_OPEN_BACKGROUND};
    const BYTE method = FolderViewConfig().MClick;
    if (method >= std::size(kOpenCommands)) return false;
    LVHITTESTINFO hit{point};
    const int index = ListView_HitTest(ListView, &hit);
    const bool onItem = index >= 0 && (hit.flags & LVHT_ONITEM);
    const bool selected = onItem && (ListView_GetItemState(ListView, index, LVIS_SELECTED) & LVIS_SELECTED);
    if (down) {
        if (!onItem) {
            ListView_SetItemState(ListView, -1, 0, LVIS_SELECTED);
        } else if (!selected) {
            FocusAndSelect(index);
        } else {
            ListView_SetItemState(ListView, index, LVIS_FOCUSED, LVIS_FOCUSED);
        }
        return true;
    }
    if (selected) ExecuteCommand(kOpenCommands[method]);
    return true;
}
