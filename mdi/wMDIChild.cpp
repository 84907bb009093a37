#include "mdi/wMDIChild.h"

#include "app/Global.h"
#include "app/uFrameLink.h"
#include "folderview/uListDisposal.h"
#include "folderview/wFolderView.h"
#include "mdi/uBarsRoute.h"
#include "mdi/uChildShared.h"
#include "mdi/uClosedFolders.h"
#include "mdi/wMDITab.h"

#include <shellapi.h>

#include <string>

namespace {

SearchListMaker g_searchListMaker = nullptr;

enum WindowMode { ModeNormal = 0, ModeTab = 1, ModeSplitRows = 2, ModeSplitColumns = 3 };

int WindowModeNow() { return FrameConfig().windowMode; }

void FitToClient(HWND window, TMDIChildContent& content) {
    RECT client{};
    GetClientRect(window, &client);
    content.Resize(client.right, client.bottom);
}

std::wstring SearchIconPath() { return App().programDir + L"icon\\search.ico"; }

void ShowSearchInAddressBar() {
    RouteShowTextInAddressBar(PathIconIndex(SearchIconPath(), false), kSearchResultsText);
}

// A content created for a kind that is not current stays hidden until it is switched to.
void Settle(TMDIChildView& view, TMDIChildContent& content, BYTE kind) {
    if (view.ContentKind == kind)
        FitToClient(view.Window, content);
    else
        content.Show(false);
}

bool HasFocus(const TMDIChildContent* content) {
    if (!content || !content->ListView) return false;
    HWND focus = GetFocus();
    // The list's in-place edit box counts as the list.
    return focus && (focus == content->ListView || IsChild(content->ListView, focus));
}

// ClosePos: which tab becomes active when the active one closes, by tab order;
// -1 leaves the choice to the MDI client.
int SuccessorTab(int closing, int count, int closePos) {
    if (closing < 0 || count < 2) return -1;
    const int last = count - 1;
    switch (closePos) {
    case 1:
        return closing == 0 ? 1 : 0;
    case 2:
        return closing == last ? last - 1 : last;
    case 3:
        return closing == 0 ? 1 : closing - 1;
    case 4:
        return closing == last ? closing - 1 : closing + 1;
    }
    return -1;
}

// A maximised child's caption shows in the frame's, after the frame's own.
// The system's way lays the whole frame out again for every new caption (its
// menu bar, its bars: 10-16 ms of every navigation under Wine), though only
// the caption changes; so only the captions are set. False where the system
// is left to do it: a child that is not the maximised one, or a frame whose
// own caption is not known.
bool SetMaximisedCaption(HWND child, LPARAM text) {
    const FrameWindows& link = FrameLink();
    if (!text || !link.window || link.title.empty() || !IsMaximisedChild(child)) return false;
    DefWindowProcW(child, WM_SETTEXT, 0, text);
    const std::wstring caption = link.title + L" - [" + reinterpret_cast<const wchar_t*>(text) + L"]";
    DefWindowProcW(link.window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    // The Window menu lists the children by their captions.
    SendMessageW(link.mdiClient, WM_MDIREFRESHMENU, 0, 0);
    return true;
}

// ---------------------------------------------------------------------------
// Message handlers

LRESULT OnCreate(HWND hwnd, LPARAM lParam) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* mdiCreate = static_cast<MDICREATESTRUCTW*>(create->lpCreateParams);
    const BYTE kind = mdiCreate && mdiCreate->lParam == ContentSearch ? ContentSearch : ContentFolder;

    auto view = std::make_unique<TMDIChildView>(hwnd);
    view->ContentKind = kind;
    TMDIChildView* raw = view.release();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(raw));
    if (kind == ContentFolder)
        raw->EnsureFolderView();
    else
        raw->EnsureSearchList();
    return 0;
}

void OnDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    RemoveTab(hwnd);
    DefMDIChildProcW(hwnd, WM_DESTROY, wParam, lParam);
    std::unique_ptr<TMDIChildView> view(ChildViewOf(hwnd));
    // The search results icon is the child's own; a folder view takes back its own icon itself.
    if (view && view->ContentKind == ContentSearch)
        if (auto icon = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_SETICON, ICON_SMALL, 0))) DestroyIcon(icon);
    // The list views still send LVN_DELETEITEM while they go; those need no view.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

// False when the size change is swallowed.
bool OnSize(HWND hwnd, WPARAM type, LPARAM lParam) {
    // Tab mode keeps every child maximised.
    if (WindowModeNow() == ModeTab && (type == SIZE_RESTORED || type == SIZE_MINIMIZED)) return false;
    if (TMDIChildView* view = ChildViewOf(hwnd))
        if (TMDIChildContent* content = view->CurrentContent()) content->Resize(LOWORD(lParam), HIWORD(lParam));
    return true;
}

// False when the child refuses to close.
bool OnClose(HWND hwnd) {
    TMDIChildView* view = ChildViewOf(hwnd);
    if (view && view->NavigateLock && !FrameConfig().navigateLockClose) return false;
    if (hwnd == ActiveChild()) {
        const int successor = SuccessorTab(TabIndexOf(hwnd), TabCount(), TabBar().settings.closePos);
        if (HWND next = TabChild(successor)) ActivateChild(next);
    }
    if (view && view->ContentKind == ContentFolder)
        if (PCIDLIST_ABSOLUTE folder = ChildFolder(hwnd)) RecordClosed(folder);
    return true;
}

// A click on an item of an inactive pane's list must not activate the pane, so
// that a drag can start from it.
LRESULT OnMouseActivate(HWND hwnd) {
    HWND list = ChildListView(hwnd);
    if (!list) return MA_ACTIVATE;
    LVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(list, &hit.pt);
    if (ListView_HitTest(list, &hit) >= 0 && (hit.flags & LVHT_ONITEM)) return MA_NOACTIVATE;
    return MA_ACTIVATE;
}

bool IsFolderListCode(UINT code) {
    switch (code) {
    case NM_DBLCLK:
    case NM_RCLICK:
    case NM_CUSTOMDRAW:
    case LVN_ITEMCHANGED:
    case LVN_COLUMNCLICK:
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:
    case LVN_ITEMACTIVATE:
    case LVN_KEYDOWN:
    case LVN_GETINFOTIPW:
    case LVN_BEGINLABELEDITW:
    case LVN_ENDLABELEDITW:
    case LVN_GETDISPINFOW:
    case HDN_ENDDRAG:
    case HDN_ITEMCHANGEDW:
        return true;
    }
    return false;
}

bool IsSearchListCode(UINT code) {
    switch (code) {
    case LVN_KEYDOWN:
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:
    case NM_RCLICK:
    case NM_DBLCLK:
        return true;
    }
    return false;
}

// Only these codes have an answer that the list acts on.
bool AnswerMatters(UINT code) {
    return code == NM_CUSTOMDRAW || code == LVN_KEYDOWN || code == LVN_BEGINLABELEDITW;
}

// True when handled; `result` is then the answer.
bool OnNotify(HWND hwnd, NMHDR* header, LRESULT& result) {
    result = 0;
    if (header->idFrom != kFolderViewListId && header->idFrom != kSearchListId) return false;
    // A list being let go in slices frees its own items, and is no view's any more.
    if (ListBeingDisposed(header->hwndFrom)) return true;
    if (header->code == LVN_DELETEITEM) {
        // Each list item owns the ID list in its lParam.
        UniquePidl item(reinterpret_cast<LPITEMIDLIST>(reinterpret_cast<NMLISTVIEW*>(header)->lParam));
        return true;
    }
    TMDIChildView* view = ChildViewOf(hwnd);
    if (!view) return false;
    TMDIChildContent* target = nullptr;
    if (header->idFrom == kFolderViewListId && IsFolderListCode(header->code))
        target = view->FolderView.get();
    else if (header->idFrom == kSearchListId && IsSearchListCode(header->code))
        target = view->SearchList.get();
    if (!target) return false;
    LRESULT answer = target->OnNotify(header);
    if (AnswerMatters(header->code)) result = answer;
    return true;
}

// Outside the normal mode the children stay maximised or in their panes.
bool SwallowsSystemCommand(WPARAM command) {
    if (WindowModeNow() == ModeNormal) return false;
    const WPARAM sc = command & 0xFFF0;
    return (sc >= SC_SIZE && sc < SC_NEXTWINDOW) || sc == SC_ARRANGE || sc == SC_RESTORE;
}

void OnActivated(HWND hwnd) {
    SelectTab(hwnd);
    TMDIChildView* view = ChildViewOf(hwnd);
    if (!view) return;
    if (view->FolderView) SetTimer(hwnd, kStatusTimerId, static_cast<UINT>(FrameConfig().delayTime), nullptr);
    if (view->ContentKind == ContentFolder) {
        TFolderView& folderView = *view->FolderView;
        if (folderView.AbsoluteIDList) RequestNavigate(folderView.AbsoluteIDList, OriginReport, TargetActive, nullptr);
        if (folderView.ListView) SetFocus(folderView.ListView);
    } else {
        ShowSearchInAddressBar();
        if (view->SearchList && view->SearchList->ListView) SetFocus(view->SearchList->ListView);
        RefreshHistoryButtons();
    }
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(hwnd, lParam);
    case WM_SETTEXT:
        if (SetMaximisedCaption(hwnd, lParam)) return TRUE;
        break;
    case WM_DESTROY:
        OnDestroy(hwnd, wParam, lParam);
        return 0;
    case WM_SIZE:
        if (!OnSize(hwnd, wParam, lParam)) return 0;
        break;
    case WM_CLOSE:
        if (!OnClose(hwnd)) return 0;
        break;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(hwnd);
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(hwnd, reinterpret_cast<NMHDR*>(lParam), result)) return result;
        break;
    }
    case WM_SYSCOMMAND:
        if (SwallowsSystemCommand(wParam)) return 0;
        break;
    case WM_TIMER:
        if (wParam == kStatusTimerId || wParam == kThumbnailCacheTimerId) {
            if (TMDIChildView* view = ChildViewOf(hwnd); view && view->FolderView) view->FolderView->OnTimer(wParam);
            return 0;
        }
        break;
    case WM_MDIACTIVATE:
        if (reinterpret_cast<HWND>(lParam) == hwnd) {
            OnActivated(hwnd);
        } else if (!lParam) {
            // The last child goes: nothing is left to step back in or to lock.
            RouteUpdateHistoryButtons(false, false);
            RouteCheckLockButton(false);
        }
        break;
    case WM_DRAWCLIPBOARD:
    case WM_CHANGECBCHAIN:
        if (TMDIChildView* view = ChildViewOf(hwnd); view && view->FolderView)
            return view->FolderView->OnClipboardChain(message, wParam, lParam);
        return 0;
    case WM_CHANGENOTIFY_CHILD:
        if (TMDIChildView* view = ChildViewOf(hwnd); view && view->FolderView)
            view->FolderView->OnChangeNotify(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam));
        return 0;
    }
    return DefMDIChildProcW(hwnd, message, wParam, lParam);
}

}  // namespace

// ---------------------------------------------------------------------------
// The child's record

TMDIChildView::TMDIChildView(HWND window) : Window(window) {}

TMDIChildView::~TMDIChildView() = default;

TFolderView& TMDIChildView::EnsureFolderView() {
    if (!FolderView) {
        FolderView = std::make_unique<TFolderView>(*this);
        Settle(*this, *FolderView, ContentFolder);
    }
    return *FolderView;
}

TMDIChildContent* TMDIChildView::EnsureSearchList() {
    if (!SearchList && g_searchListMaker) {
        SearchList = g_searchListMaker(*this);
        if (SearchList) Settle(*this, *SearchList, ContentSearch);
    }
    return SearchList.get();
}

TMDIChildContent* TMDIChildView::CurrentContent() const {
    if (ContentKind == ContentFolder) return FolderView.get();
    return SearchList.get();
}

void SetSearchListMaker(SearchListMaker maker) { g_searchListMaker = maker; }

// ---------------------------------------------------------------------------
// Content kind and lock

void SetContentKind(TMDIChildView& view, BYTE kind, bool push) {
    // A locked child keeps its folder: search results go to a new child.
    if (view.NavigateLock && kind == ContentSearch) {
        OpenChildWindow(nullptr, true, nullptr, ContentSearch);
        return;
    }
    TMDIChildContent* next = kind == ContentFolder ? &view.EnsureFolderView() : view.EnsureSearchList();
    if (kind == view.ContentKind) return;
    if (push) PushHistory(view);
    TMDIChildContent* previous = view.CurrentContent();
    const bool hadFocus = HasFocus(previous);
    view.ContentKind = kind;
    if (next) {
        FitToClient(view.Window, *next);
        next->Show(true);
    }
    if (previous) previous->Show(false);
    if (hadFocus && next && next->ListView) SetFocus(next->ListView);
    if (kind == ContentSearch) {
        ApplySearchAppearance(view);
        RefreshHistoryButtons();
    }
}

void SetNavigateLock(TMDIChildView& view, bool locked) {
    view.NavigateLock = locked;
    SetTabLock(view.Window, locked);
    if (view.Window == ActiveChild()) RefreshHistoryButtons();
}

void ApplySearchAppearance(TMDIChildView& view) {
    SetTabText(view.Window, kSearchResultsText);
    SetWindowTextW(view.Window, kSearchResultsText);
    ShowSearchInAddressBar();
    SHFILEINFOW info{};
    if (SHGetFileInfoW(SearchIconPath().c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon) {
        auto old = reinterpret_cast<HICON>(
            SendMessageW(view.Window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(info.hIcon)));
        if (old) DestroyIcon(old);
    }
    // A maximised child shows its icon in the frame's menu bar.
    if (FrameLink().window) DrawMenuBar(FrameLink().window);
}

// ---------------------------------------------------------------------------
// Accessors

bool InSplitMode() {
    const int mode = WindowModeNow();
    return mode == ModeSplitRows || mode == ModeSplitColumns;
}

bool IsMaximisedChild(HWND child) {
    HWND client = FrameLink().mdiClient;
    BOOL maximised = FALSE;
    return client && child &&
           reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised))) ==
               child &&
           maximised;
}

void ActivateChild(HWND child) {
    if (child && FrameLink().mdiClient)
        SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
}

HWND ActiveChild() {
    HWND client = FrameLink().mdiClient;
    return client ? reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

TMDIChildView* ChildViewOf(HWND child) {
    if (!child) child = ActiveChild();
    if (!child) return nullptr;
    wchar_t className[64] = {};
    GetClassNameW(child, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) != kChildClassName) return nullptr;
    return reinterpret_cast<TMDIChildView*>(GetWindowLongPtrW(child, GWLP_USERDATA));
}

TFolderView* ChildFolderView(HWND child) {
    TMDIChildView* view = ChildViewOf(child);
    return view && view->ContentKind == ContentFolder ? view->FolderView.get() : nullptr;
}

PCIDLIST_ABSOLUTE ChildFolder(HWND child) {
    TFolderView* folderView = ChildFolderView(child);
    return folderView ? folderView->AbsoluteIDList : nullptr;
}

HWND ChildListView(HWND child) {
    TFolderView* folderView = ChildFolderView(child);
    return folderView ? folderView->ListView : nullptr;
}

TFolderView* ActiveFolderView() { return ChildFolderView(nullptr); }

TMDIChildView* ActiveChildView() { return ChildViewOf(nullptr); }

bool IsFolderViewList(HWND window) {
    if (!window || GetDlgCtrlID(window) != static_cast<int>(kFolderViewListId)) return false;
    TFolderView* folderView = ChildFolderView(GetParent(window));
    return folderView && folderView->ListView == window;
}

void RegisterChildClass(HINSTANCE instance) {
    SetActiveViewFinder(ActiveFolderView);
    WNDCLASSEXW wc{sizeof(wc)};
    if (GetClassInfoExW(instance, kChildClassName, &wc)) return;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kChildClassName;
    RegisterClassExW(&wc);
}
