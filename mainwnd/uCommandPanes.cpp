// The focus commands: which pane a command moves to, from where the keyboard
// focus is.

#include "mainwnd/uCommand.h"
#include "mainwnd/uCommandShared.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

namespace {

// lParam of WM_MDIACTIVATE that switches panes without moving them.
constexpr LPARAM kPaneSwitchActivation = 1604;

bool Holds(HWND pane, HWND window) {
    return pane && window && (pane == window || IsChild(pane, window));
}

bool Visible(HWND window) { return window && IsWindowVisible(window); }

HWND FirstPane() { return Routing().firstPane ? Routing().firstPane() : nullptr; }
HWND SecondPane() { return Routing().secondPane ? Routing().secondPane() : nullptr; }

bool Split() {
    const int mode = FrameConfig().windowMode;
    return (mode == 2 || mode == 3) && FirstPane();
}

HWND ContentList(HWND child) {
    TMDIChildView* view = ChildViewOf(child);
    TMDIChildContent* content = view ? view->CurrentContent() : nullptr;
    return content ? content->ListView : nullptr;
}

void FocusActiveContent() {
    if (HWND list = ContentList(nullptr)) SetFocus(list);
}

void ActivatePane(HWND child) {
    if (!child || !FrameLink().mdiClient) return;
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), kPaneSwitchActivation);
    if (HWND list = ContentList(child)) SetFocus(list);
}

bool FocusInTree(HWND focus) { return Holds(Frame().folderTree, focus) || Holds(Frame().favoriteTree, focus); }

bool FocusInContentList(HWND focus, bool searchListToo) {
    if (!focus) return false;
    HWND list = IsFolderViewList(focus) ? focus : IsFolderViewList(GetParent(focus)) ? GetParent(focus) : nullptr;
    if (list) return true;
    if (!searchListToo) return false;
    TMDIChildView* view = ChildViewOf(GetParent(focus));
    return view && view->SearchList && view->SearchList->ListView == focus;
}

bool FocusInPane(HWND pane, HWND focus) { return pane && Holds(pane, focus); }

bool FocusWindow(HWND window) {
    if (!Visible(window)) return false;
    SetFocus(window);
    return true;
}

bool FocusSearchPane() {
    HWND pane = Frame().searchPane;
    if (!Visible(pane)) return false;
    HWND first = GetNextDlgTabItem(pane, nullptr, FALSE);
    SetFocus(first ? first : pane);
    return true;
}

}  // namespace

void FocusNextPane() {
    const FrameState& frame = Frame();
    HWND focus = GetFocus();
    if (FocusInTree(focus)) {
        if (Split())
            ActivatePane(FirstPane());
        else
            FocusActiveContent();
        return;
    }
    if (Visible(frame.searchPane)) return;
    if (!FocusInContentList(focus, true)) {
        FocusActiveContent();
        return;
    }
    if (Split() && FocusInPane(FirstPane(), focus)) {
        ActivatePane(SecondPane());
        return;
    }
    if (FocusWindow(frame.folderTree) || FocusWindow(frame.favoriteTree)) return;
    if (Split() && FocusInPane(SecondPane(), focus)) ActivatePane(FirstPane());
}

void FocusPreviousPane() {
    const FrameState& frame = Frame();
    HWND focus = GetFocus();
    if (FocusInTree(focus)) {
        if (Split() && SecondPane())
            ActivatePane(SecondPane());
        else
            FocusActiveContent();
        return;
    }
    if (!FocusInContentList(focus, false)) {
        FocusActiveContent();
        return;
    }
    if (Split() && FocusInPane(SecondPane(), focus)) {
        ActivatePane(FirstPane());
        return;
    }
    if (FocusWindow(frame.folderTree) || FocusWindow(frame.favoriteTree)) return;
    if (frame.searchPane && FocusWindow(GetDlgItem(frame.searchPane, kSearchPaneListId))) return;
    if (Split() && FocusInPane(FirstPane(), focus)) ActivatePane(SecondPane());
}

void FocusPane(WORD command) {
    const FrameState& frame = Frame();
    switch (command) {
    case IDM_FOCUS_VIEW: FocusActiveContent(); break;
    case IDM_FOCUS_SIDE:
        if (!FocusWindow(frame.folderTree) && !FocusWindow(frame.favoriteTree)) FocusSearchPane();
        break;
    case IDM_FOCUS_TOOLBAR: FocusWindow(frame.toolBar); break;
    case IDM_FOCUS_ADDRESS: FocusWindow(frame.addressBar); break;
    case IDM_FOCUS_LINKS: FocusWindow(frame.linkBar); break;
    case IDM_FOCUS_TABS: FocusWindow(TabBar().tabs); break;
    }
}
