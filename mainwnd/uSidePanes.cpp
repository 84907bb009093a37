#include "mainwnd/uSidePanes.h"

#include "app/uCommandRegistry.h"
#include "app/uReg.h"
#include "folderview/wThumbnail.h"
#include "mainwnd/uCommand.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "side/wFolderTree2.h"
#include "side/wSideBase.h"

#include <commctrl.h>

namespace {

HWND PaneWindow(SidePane pane) {
    const FrameState& state = Frame();
    switch (pane) {
    case SidePane::Favorites: return state.favoritePane;
    case SidePane::FolderTree: return state.folderTreePane;
    case SidePane::Search: return state.searchPane;
    case SidePane::Thumbnail: return state.thumbnailPane;
    }
    return nullptr;
}

HINSTANCE InstanceOf(HWND window) { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)); }

void CheckOnToolbars(UINT command, bool checked) {
    for (HWND toolbar : {Frame().toolBar, Frame().sideToolBar})
        if (toolbar) SendMessageW(toolbar, TB_CHECKBUTTON, command, MAKELPARAM(checked ? TRUE : FALSE, 0));
}

void EnsureFolderTreePane() {
    FrameState& state = Frame();
    if (state.folderTreePane || !state.sideBar) return;
    state.folderTreePane = CreateFolderTreePane(state.sideBar, InstanceOf(state.sideBar));
    state.folderTree = FolderTreeControl();
}

// Every pane hears the page chosen: the one it names shows, the others hide.
void ShowSidePage(UINT command, HWND) {
    if (command == IDM_SIDE_FOLDERS) EnsureFolderTreePane();
    const FrameState& state = Frame();
    for (HWND pane : {state.folderTreePane, state.favoritePane, state.searchPane})
        if (pane) SendMessageW(pane, WM_SIDEPANE_SHOW, command, 0);
}

void ShowThumbnailPane(bool refresh) {
    FrameState& state = Frame();
    if (!state.thumbnailPane) {
        state.thumbnailPane = CreateThumbnailPane(state.sideBar, InstanceOf(state.sideBar));
    } else if (IsWindowVisible(state.thumbnailPane)) {
        ShowWindow(state.thumbnailPane, SW_HIDE);
        refresh = false;
    } else {
        ShowWindow(state.thumbnailPane, SW_SHOW);
    }
    if (refresh && state.thumbnailPane) SendMessageW(state.thumbnailPane, WM_THUMBNAIL_REFRESH, 0, 0);
    CheckOnToolbars(IDM_THUMBNAIL_PANE, state.thumbnailPane && IsWindowVisible(state.thumbnailPane));
    Relayout();
}

void ToggleThumbnailPane(UINT, HWND) { ShowThumbnailPane(true); }

bool TreeCommand(WORD command) { return FolderTreeCommand(command); }

}  // namespace

void CreateSidePanes(HWND frame, HINSTANCE instance) {
    FrameState& state = Frame();
    state.sideBar = CreateSideBase(frame, instance);
    if (!state.sideBar) return;
    state.sideCaption = SideBaseCaption(state.sideBar);
    SideBaseLink().pane = PaneWindow;
    ThumbnailPaneLink().activeView = [] { return ActiveFolderView(); };
    Routing().folderTreeCommand = TreeCommand;
    Routing().treeShowsHidden = FolderTreeShowsHidden;
    SetCommandHandler(IDM_SIDE_FOLDERS, IDM_SIDE_FOLDERS, ShowSidePage);
    SetCommandHandler(IDM_THUMBNAIL_PANE, IDM_THUMBNAIL_PANE, ToggleThumbnailPane);

    UniqueRegKey root;
    if (!SettingsOpen(SettingsArea::Root, root)) return;
    if (SettingsRead(root.get(), RootSettings::SideBaseVisible) == 1) SendMessageW(frame, WM_COMMAND, IDM_SIDE_FOLDERS, 0);
    // The pane comes with its side bar page; a page of another owner shows it when that owner is built.
    if (SettingsRead(root.get(), RootSettings::ThumbnailVisible)) ShowThumbnailPane(false);
}

void SaveSidePanes() { SaveThumbnailPane(); }
