#include "mainwnd/uCommand.h"

#include "app/Global.h"
#include "app/Handles.h"
#include "app/uCommandRegistry.h"
#include "app/uMessageLoop.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "bars/wCoolBar.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/uCommandShared.h"
#include "mainwnd/wMainWnd.h"
#include "mainwnd/wStatusBar.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "shell/uUndo.h"

#include <shlobj.h>

namespace {

bool RunHandler(UINT command, HWND control) {
    CommandHandler handler = CommandHandlerOf(command);
    if (handler) handler(command, control);
    return handler != nullptr;
}

bool Holds(HWND pane, HWND window) {
    return pane && window && (pane == window || IsChild(pane, window));
}

// The child whose search result list `window` is, or null.
TMDIChildView* SearchListOwner(HWND window) {
    if (!window || GetDlgCtrlID(window) != static_cast<int>(kSearchListId)) return nullptr;
    TMDIChildView* view = ChildViewOf(GetParent(window));
    return view && view->SearchList && view->SearchList->ListView == window ? view : nullptr;
}

// The child a command aimed at `control` belongs to: the parent of a folder
// view list or of a search result list.
TMDIChildView* ChildOfControl(HWND control) {
    if (IsFolderViewList(control)) return ChildViewOf(GetParent(control));
    return SearchListOwner(control);
}

void RunOnContent(TMDIChildView& view, WORD command) {
    if (view.ContentKind == ContentFolder) {
        if (view.FolderView) view.FolderView->ExecuteCommand(command);
    } else if (view.SearchList && Routing().searchListCommand) {
        Routing().searchListCommand(*view.SearchList, command);
    }
}

// Item commands: an aimed command goes to its pane; otherwise a focused tree
// has the first say and the active child's content gets what it leaves.
void DispatchItemCommand(WORD command, HWND control) {
    const FrameState& frame = Frame();
    if (control) {
        if (Holds(frame.folderTree, control)) {
            if (Routing().folderTreeCommand) Routing().folderTreeCommand(command);
        } else if (Holds(frame.favoriteTree, control)) {
            if (Routing().favoriteTreeCommand) Routing().favoriteTreeCommand(command);
        } else if (TMDIChildView* view = ChildOfControl(control)) {
            if (IsFolderViewList(control)) {
                if (view->FolderView) view->FolderView->ExecuteCommand(command);
            } else if (Routing().searchListCommand) {
                Routing().searchListCommand(*view->SearchList, command);
            }
        }
        return;
    }
    HWND focus = GetFocus();
    if (Holds(frame.folderTree, focus) && Routing().folderTreeCommand && Routing().folderTreeCommand(command)) return;
    if (Holds(frame.favoriteTree, focus) && Routing().favoriteTreeCommand && Routing().favoriteTreeCommand(command))
        return;
    if (TMDIChildView* active = ActiveChildView()) RunOnContent(*active, command);
}

void DispatchNavigation(WORD command, HWND control) {
    TMDIChildView* view = ChildOfControl(control);
    if (!view) view = ActiveChildView();
    if (!view) return;
    switch (command) {
    case IDM_BACK:
        if (view->BackList.Count() > 0) GoHistory(*view, 0, true);
        break;
    case IDM_FORWARD:
        if (view->ForwardList.Count() > 0) GoHistory(*view, 0, false);
        break;
    case IDM_NAVIGATE_LOCK:
        SetNavigateLock(*view, !view->NavigateLock);
        break;
    }
}

// Opens closed-folder history entry `index`; the entry stays in the history.
void OpenClosedFolder(int index) {
    TPIDLList* history = App().closedFolders.get();
    if (!history || index < 0 || index >= history->Count()) return;
    // The history may change while the folder opens (a tab that closes
    // instead records itself), so the folder is copied first.
    UniqueAbsolutePidl folder(PIDLClone(StoredFolder(history->Get(index))));
    if (folder) OpenFolder(folder.get(), ReopenClosedInNewWindow());
}

void ReopenLastClosed() {
    TPIDLList* history = App().closedFolders.get();
    if (!history || history->Count() == 0) return;
    UniqueAbsolutePidl folder(PIDLClone(StoredFolder(history->Get(0))));
    history->Delete(0);
    if (folder) OpenFolder(folder.get(), ReopenClosedInNewWindow());
}

// Opens `folder` (taken over) in a new activated window.
void OpenInNewWindow(PIDLIST_ABSOLUTE folder) {
    UniqueAbsolutePidl owned(folder);
    if (owned) OpenFolder(owned.get(), true);
}

void OpenClipboardText(HWND frame) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(frame)) return;
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (text.empty() || !App().desktop) return;
    PIDLIST_ABSOLUTE parsed = nullptr;
    if (SUCCEEDED(
            App().desktop->ParseDisplayName(frame, nullptr, text.data(), nullptr, DesktopParseResult(&parsed), nullptr)))
        OpenInNewWindow(parsed);
}

void OpenFromFolderBrowser(HWND frame) {
    BROWSEINFOW browse{};
    browse.hwndOwner = frame;
    browse.lpszTitle = L"新しいウインドウで開くフォルダを選択してください";
    OpenInNewWindow(SHBrowseForFolderW(&browse));
}

// The shell's own window on the active view's folder (the desktop without one).
void ShellExecuteFolder(HWND frame, const wchar_t* verb) {
    PCIDLIST_ABSOLUTE folder = ChildFolder();
    if (!folder) folder = App().desktopPidl.get();
    SHELLEXECUTEINFOW info{sizeof(info)};
    info.fMask = SEE_MASK_IDLIST;
    info.hwnd = frame;
    info.lpVerb = verb;
    info.lpIDList = const_cast<PIDLIST_ABSOLUTE>(folder);
    info.nShow = SW_SHOWNORMAL;
    Routing().shellExecute(&info);
}

void SetActiveViewMode(int mode) {
    if (TFolderView* view = ActiveFolderView()) view->SetViewMode(mode);
}

void RefreshEveryFolderView() {
    for (int i = 0, count = TabCount(); i < count; ++i)
        if (TMDIChildView* view = ChildViewOf(TabChild(i)); view && view->FolderView)
            view->FolderView->RefreshView(RefreshFull);
}

// Without the tree pane the stored switch is the tree's state.
void ToggleTreeHidden() {
    UniqueRegKey key;
    if (!SettingsCreate(SettingsArea::FolderTree, key)) return;
    SettingsWriteBool(key.get(), L"ShowHidden", !SettingsReadBool(key.get(), L"ShowHidden", false));
}

void ToggleChildMaximized() {
    HWND client = FrameLink().mdiClient;
    BOOL maximized = FALSE;
    HWND active = client ? reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0,
                                                               reinterpret_cast<LPARAM>(&maximized)))
                         : nullptr;
    if (!active) return;
    SendMessageW(client, maximized ? WM_MDIRESTORE : WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(active), 0);
}

// Commands of the table that act with what exists now; false for the ones
// whose owner registers later (or that the table does not know).
bool RunTableCommand(HWND frame, WORD command) {
    HWND client = FrameLink().mdiClient;
    FolderViewSettings& views = FolderViewConfig();
    switch (command) {
    case IDM_EXIT: SendMessageW(frame, WM_CLOSE, 0, 0); return true;
    case IDM_UNDO: UndoLastOperation(frame); return true;
    case IDM_STATUS_BAR: ToggleStatusBar(frame); return true;
    case IDM_LOCK_TOOLBARS: ToggleBandLock(Frame().rebar); return true;
    case IDM_ADDRESS_BAR: ToggleAddressBar(); return true;
    case IDM_NEXT_TAB: NextTab(true); return true;
    case IDM_PREVIOUS_TAB: NextTab(false); return true;
    case IDM_CLOSE: CloseTab(-1); return true;
    case IDM_CLOSE_RIGHT: CloseRight(-1); return true;
    case IDM_CLOSE_LEFT: CloseLeft(-1); return true;
    case IDM_CLOSE_ALL: CloseAll(); return true;
    case IDM_CLOSE_OTHERS: CloseOthers(-1); return true;
    case IDM_CASCADE: SendMessageW(client, WM_MDICASCADE, MDITILE_SKIPDISABLED, 0); return true;
    case IDM_TILE_HORIZONTAL: SendMessageW(client, WM_MDITILE, MDITILE_HORIZONTAL, 0); return true;
    case IDM_TILE_VERTICAL: SendMessageW(client, WM_MDITILE, MDITILE_VERTICAL, 0); return true;
    case IDM_ARRANGE_ICONS: SendMessageW(client, WM_MDIICONARRANGE, 0, 0); return true;
    case IDM_CHILD_MAXIMIZE: ToggleChildMaximized(); return true;
    case IDM_CHILD_MINIMIZE:
        if (HWND active = ActiveChild()) ShowWindow(active, SW_MINIMIZE);
        return true;
    case IDM_FRAME_MAXIMIZE: ShowWindow(frame, IsZoomed(frame) ? SW_RESTORE : SW_MAXIMIZE); return true;
    case IDM_FRAME_MINIMIZE:
        // Through the system command, so the tray switch and focus memory
        // treat it like the minimise box.
        SendMessageW(frame, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return true;
    case IDM_TO_TRAY: ToTray(); return true;
    case IDM_REOPEN_LAST: ReopenLastClosed(); return true;
    case IDM_NEW_DESKTOP: OpenInNewWindow(PIDLClone(App().desktopPidl.get())); return true;
    case IDM_NEW_CURRENT:
        if (PCIDLIST_ABSOLUTE folder = ChildFolder()) OpenInNewWindow(PIDLClone(folder));
        return true;
    case IDM_NEW_CLIPBOARD: OpenClipboardText(frame); return true;
    case IDM_NEW_FROM_TREE: OpenFromFolderBrowser(frame); return true;
    case IDM_SHELL_FIND: ShellExecuteFolder(frame, L"find"); return true;
    case IDM_SHELL_OPEN: ShellExecuteFolder(frame, L"open"); return true;
    case IDM_FOLDER_OPTIONS: ShowFolderOptions(); return true;
    case IDM_VIEW_LARGE:
    case IDM_VIEW_SMALL:
    case IDM_VIEW_LIST:
    case IDM_VIEW_DETAILS:
    case IDM_VIEW_THUMBNAILS: SetActiveViewMode(command - IDM_VIEW_LARGE); return true;
    case IDM_ALLOW_SAME_FOLDER: views.AllowSameFolder = !views.AllowSameFolder; return true;
    case IDM_LIST_HIDDEN:
        views.ShowHidden = !views.ShowHidden;
        RefreshEveryFolderView();
        return true;
    case IDM_TREE_HIDDEN:
        // With the tree pane its owner toggles the tree itself.
        if (!Frame().folderTreePane) ToggleTreeHidden();
        return true;
    case IDM_LIST_TOOLTIPS: views.PopupInfo = !views.PopupInfo; return true;
    case IDM_STATUS_INFO: views.StatusInfo = !views.StatusInfo; return true;
    case IDM_TREE_SYNC: FrameConfig().treeSync = !FrameConfig().treeSync; return true;
    case IDM_ALLOW_RDRAG: views.AllowRDrag = !views.AllowRDrag; return true;
    case IDM_HELP: ShowHelp(frame); return true;
    case IDM_ABOUT: ShowAboutBox(frame); return true;
    case IDM_FOCUS_NEXT: FocusNextPane(); return true;
    case IDM_FOCUS_PREVIOUS: FocusPreviousPane(); return true;
    case IDM_FOCUS_VIEW:
    case IDM_FOCUS_SIDE:
    case IDM_FOCUS_TOOLBAR:
    case IDM_FOCUS_ADDRESS:
    case IDM_FOCUS_LINKS:
    case IDM_FOCUS_TABS: FocusPane(command); return true;
    }
    return false;
}

// Identifiers the table names whose owners are built later: known, so handled
// (and passed to their owner once it registers), never left to the default.
bool IsKnownCommand(UINT command) {
    if (command >= IDM_FIXED_FIRST && command <= IDM_FIXED_LAST) return true;
    return command >= IDM_CLOSED_FIRST && command <= IDM_SCRIPT_LAST;
}

// Commands that only make sense while a pane stands: without it they do
// nothing, whoever has registered for them.
bool PaneAllows(UINT command) {
    const FrameState& frame = Frame();
    switch (command) {
    case IDM_THUMBNAIL_PANE: return frame.sideBar && IsWindowVisible(frame.sideBar);
    case IDM_ADD_FAVORITE:
    case IDM_ADD_LINK: return frame.favoritePane != nullptr;
    }
    return true;
}

// The modifier set held now: 1 Shift, 2 Ctrl, 4 Alt.
BYTE HeldModifierSet() {
    BYTE set = 0;
    if (GetKeyState(VK_SHIFT) < 0) set |= 1;
    if (GetKeyState(VK_CONTROL) < 0) set |= 2;
    if (GetKeyState(VK_MENU) < 0) set |= 4;
    return set;
}

}  // namespace

CommandRoutes& Routing() {
    static CommandRoutes routes;
    return routes;
}

bool& ReopenClosedInNewWindow() {
    static bool newWindow = true;
    return newWindow;
}

bool OnFrameCommand(HWND frame, WPARAM wParam, LPARAM lParam) {
    const WORD code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    auto control = reinterpret_cast<HWND>(lParam);

    if (code != 0 && code != 1 && code != CommandFromControl) {
        // A control's own notification carries its window; only a menu item
        // with a 32-bit identifier (a favorite) comes without one.
        if (control || wParam == 0) return false;
        if (Routing().favoriteMenuItem) Routing().favoriteMenuItem(static_cast<UINT>(wParam), HeldModifierSet());
        return true;
    }

    // A toolbar button is aimed at nothing: it acts where a menu item would.
    if (control && (control == Frame().toolBar || control == Frame().sideToolBar)) control = nullptr;
    if (control && control == Frame().linkBar) {
        if (Routing().linkBarCommand) Routing().linkBarCommand(wParam);
        return true;
    }

    if (id >= IDM_CLOSED_FIRST && id <= IDM_CLOSED_LAST) {
        OpenClosedFolder(static_cast<int>(id - IDM_CLOSED_FIRST));
        return true;
    }
    if (id >= IDM_GROUP_FIRST && id <= IDM_SCRIPT_LAST) {
        // Groups, sorting, launch items and scripts belong to their owners;
        // the reserved range does nothing.
        if (id < IDM_RESERVED_FIRST || id > IDM_RESERVED_LAST) RunHandler(id, control);
        return true;
    }
    if (id >= IDM_ITEM_FIRST && id <= IDM_ITEM_LAST) {
        DispatchItemCommand(static_cast<WORD>(id), control);
        return true;
    }
    if (id >= IDM_BACK && id <= IDM_NAVIGATE_LOCK) {
        DispatchNavigation(static_cast<WORD>(id), control);
        return true;
    }
    // A registered owner takes over a command the frame knows a default for
    // (a bar that can be created, the tree's hidden switch).
    if (!PaneAllows(id)) return true;
    if (RunHandler(id, control)) return true;
    if (RunTableCommand(frame, static_cast<WORD>(id))) return true;
    return IsKnownCommand(id);
}

void UseDefaultAccelerators(HINSTANCE instance) {
    if (!LoopTables().wholeProgram) LoopTables().wholeProgram = LoadAcceleratorsW(instance, L"MYACCEL");
}
