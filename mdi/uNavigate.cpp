// The entry points through which every part of the program opens folders: new
// child windows, the duplicate check, and navigation with its surroundings.

#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mdi/uBarsRoute.h"
#include "mdi/uChildShared.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDIClient.h"
#include "mdi/wMDITab.h"

namespace {

bool g_inNavigate = false;

// Holds InNavigate for the length of one request.
class NavigateGuard {
public:
    NavigateGuard() { g_inNavigate = true; }
    ~NavigateGuard() { g_inNavigate = false; }
    NavigateGuard(const NavigateGuard&) = delete;
    NavigateGuard& operator=(const NavigateGuard&) = delete;
};

struct ChildStyles {
    DWORD exStyle;
    DWORD style;
};

ChildStyles StylesForMode(bool split) {
    if (split) return {WS_EX_MDICHILD | WS_EX_TOOLWINDOW, WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU};
    return {WS_EX_MDICHILD | WS_EX_WINDOWEDGE, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW};
}

// A folder that could not be entered leaves the view on the folder it left (or
// on the parent), and the view's own report is held back while a request
// runs: the bars, shown the request's folder beforehand, follow the view.
void FollowTheFolderShown(PCIDLIST_ABSOLUTE requested, int origin) {
    PCIDLIST_ABSOLUTE shown = ChildFolder();
    if (!shown || PIDLEqual(shown, requested)) return;
    if (FrameConfig().treeSync && origin != OriginFolderTree) RouteSyncFolderTree(shown);
    RouteShowInAddressBar(shown);
}

}  // namespace

bool InNavigate() { return g_inNavigate; }

HWND OpenChildWindow(PIDLIST_ABSOLUTE pidl, bool activate, PCUITEMID_CHILD selectItem, BYTE kind) {
    UniqueAbsolutePidl folder(pidl);
    HWND client = FrameLink().mdiClient;
    if (!client) return nullptr;
    BOOL activeMaximized = FALSE;
    HWND active = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&activeMaximized)));
    if (!active) activate = true;
    if (kind == ContentFolder) {
        if (!folder) return nullptr;
        if (FindOpenFolder(folder.get(), activate, selectItem)) return nullptr;
    } else {
        kind = ContentSearch;
    }

    const bool split = InSplitMode();
    ChildStyles styles = StylesForMode(split);
    // The first window of the normal and tab modes opens maximised, and so does
    // one opened over a maximised child.
    const bool maximize = activate && !split && (activeMaximized || !active);
    if (activate) styles.style |= WS_VISIBLE;
    if (maximize) styles.style |= WS_MAXIMIZE;
    const NewChildPlace pane = PlaceForNewChild(activate);
    const RECT& place = pane.rect;
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(client, GWLP_HINSTANCE));
    // With WS_EX_MDICHILD the creation parameter arrives as the lParam of the
    // MDICREATESTRUCT that WM_CREATE sees.
    HWND child = CreateWindowExW(styles.exStyle, kChildClassName, L"", styles.style, place.left, place.top,
                                 place.right, place.bottom, client, nullptr, instance,
                                 reinterpret_cast<LPVOID>(static_cast<LPARAM>(kind)));
    if (!child) return nullptr;

    AddTab(child, activate);
    TMDIChildView* view = ChildViewOf(child);
    if (kind == ContentSearch) {
        ApplySearchAppearance(*view);
    } else {
        view->EnsureFolderView().BrowseTo(folder.release(), activate, selectItem);
        // A folder that cannot be enumerated may have closed the new tab already.
        if (!IsWindow(child)) return nullptr;
    }

    if (activate) {
        ShowWindow(child, maximize ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    } else {
        // Behind the active child, so that it does not cover it.
        if (active) SetWindowPos(child, active, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ShowWindow(child, SW_SHOWNOACTIVATE);
        SendMessageW(client, WM_MDIREFRESHMENU, 0, 0);
        if (FrameLink().window) DrawMenuBar(FrameLink().window);
    }
    SettleNewChild(child, pane);
    return child;
}

bool FindOpenFolder(PCIDLIST_ABSOLUTE pidl, bool activate, PCUITEMID_CHILD selectItem) {
    if (!pidl || FolderViewConfig().AllowSameFolder) return false;
    for (int i = 0, count = TabCount(); i < count; ++i) {
        HWND child = TabChild(i);
        PCIDLIST_ABSOLUTE folder = ChildFolder(child);
        if (!folder || !PIDLEqual(folder, pidl)) continue;
        if (activate) {
            ActivateChild(child);
            if (selectItem)
                if (TFolderView* folderView = ChildFolderView(child)) folderView->SelectChild(selectItem);
        } else {
            ShowInInactivePane(child);
        }
        return true;
    }
    return false;
}

void RequestNavigate(PCIDLIST_ABSOLUTE pidl, int origin, int target, PCUITEMID_CHILD selectItem) {
    if (target == TargetBackground) {
        if (pidl) OpenChildWindow(PIDLClone(pidl), false, selectItem, ContentFolder);
        return;
    }
    // A tree synchronisation that navigates again must not start over.
    if (g_inNavigate) return;
    NavigateGuard guard;

    HWND focusedBar = RouteFocusedBar();
    if (FrameConfig().treeSync && origin != OriginFolderTree) RouteSyncFolderTree(pidl);
    RouteShowInAddressBar(pidl);

    if (pidl && origin != OriginReport && origin != OriginReportToo) {
        TMDIChildView* active = ActiveChildView();
        if (target == TargetNew || !active || active->NavigateLock) {
            OpenChildWindow(PIDLClone(pidl), true, selectItem, ContentFolder);
        } else if (active->EnsureFolderView().BrowseTo(PIDLClone(pidl), true, selectItem)) {
            SetContentKind(*active, ContentFolder, false);
            FollowTheFolderShown(pidl, origin);
        }
    }

    RefreshHistoryButtons();
    if (focusedBar && IsWindow(focusedBar)) SetFocus(focusedBar);
}

void OpenFolder(PCIDLIST_ABSOLUTE pidl, bool newWindow) {
    RequestNavigate(pidl, OriginOther, newWindow ? TargetNew : TargetActive, nullptr);
}

HWND ShowSearchResults(bool newWindow) {
    TMDIChildView* active = ActiveChildView();
    if (newWindow || !active) return OpenChildWindow(nullptr, true, nullptr, ContentSearch);
    SetContentKind(*active, ContentSearch, true);
    return ActiveChild();
}

void RefreshHistoryButtons() {
    const TMDIChildView* active = ActiveChildView();
    RouteUpdateHistoryButtons(active && active->BackList.Count() > 0, active && active->ForwardList.Count() > 0);
    RouteCheckLockButton(active && active->NavigateLock);
}
