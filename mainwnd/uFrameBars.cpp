// The bars of the rebar and the side toolbar as the frame makes, shows and hides them.

#include "mainwnd/wMainWnd.h"

#include "app/uCommandRegistry.h"
#include "bars/wAddressBar.h"
#include "bars/wCoolBar.h"
#include "bars/wToolBar.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"

#include <utility>

void CreateFrameAddressBar() {
    FrameState& state = Frame();
    if (!state.rebar) return;
    const AddressBarWindows windows = CreateAddressBar(state.rebar);
    state.addressContainer = windows.host;
    state.addressBar = windows.combo;
}

void ToggleAddressBar() {
    FrameState& state = Frame();
    if (!state.addressContainer || !IsWindow(state.addressContainer)) {
        CreateFrameAddressBar();
    } else {
        ShowBand(state.rebar, BandAddressBar, !IsWindowVisible(state.addressContainer));
    }
    Relayout();
}

namespace {

void CheckPaneButtons(HWND toolbar) {
    const FrameState& state = Frame();
    const std::pair<UINT, HWND> panes[] = {{IDM_SIDE_FOLDERS, state.folderTreePane},
                                           {IDM_SIDE_FAVORITES, state.favoritePane},
                                           {IDM_SIDE_SEARCH, state.searchPane},
                                           {IDM_THUMBNAIL_PANE, state.thumbnailPane}};
    for (const auto& [command, pane] : panes) {
        const bool shown = pane && IsWindowVisible(pane) && IsWindowVisible(state.sideBar);
        SendMessageW(toolbar, TB_CHECKBUTTON, command, MAKELPARAM(shown ? TRUE : FALSE, 0));
    }
}

// A bar made after the tabs and panes shows their state at once.
void ShowCurrentStates(HWND toolbar) {
    if (!toolbar) return;
    CheckPaneButtons(toolbar);
    RefreshHistoryButtons();
}

void ToggleToolBarCommand(UINT, HWND) { ToggleToolBar(); }
void ToggleSideToolBarCommand(UINT, HWND) { ToggleSideToolBar(); }
void CustomizeCommand(UINT command, HWND) {
    CustomizeToolBar(command == IDM_CUSTOMIZE_TOOLBAR ? Frame().toolBar : Frame().sideToolBar);
}

void HideSideToolBar(UINT, HWND) {
    if (!Frame().sideToolBar) return;
    ShowWindow(Frame().sideToolBar, SW_HIDE);
    Relayout();
}

void FlipSideToolBarSide(UINT, HWND) {
    SetSideToolBarOnLeft(!SideToolBarOnLeft());
    Relayout();
    InvalidateRect(FrameLink().window, nullptr, TRUE);
}

}  // namespace

void RegisterToolBarCommands() {
    SetCommandHandler(IDM_STANDARD_BUTTONS, IDM_STANDARD_BUTTONS, ToggleToolBarCommand);
    SetCommandHandler(IDM_SIDE_TOOLBAR, IDM_SIDE_TOOLBAR, ToggleSideToolBarCommand);
    SetCommandHandler(IDM_CUSTOMIZE_TOOLBAR, IDM_CUSTOMIZE_TOOLBAR, CustomizeCommand);
    SetCommandHandler(IDM_CUSTOMIZE_SIDE_TOOLBAR, IDM_CUSTOMIZE_SIDE_TOOLBAR, CustomizeCommand);
    SetCommandHandler(IDM_HIDE_SIDE_TOOLBAR, IDM_HIDE_SIDE_TOOLBAR, HideSideToolBar);
    SetCommandHandler(IDM_SIDE_TOOLBAR_LEFT, IDM_SIDE_TOOLBAR_LEFT, FlipSideToolBarSide);
}

void CreateFrameToolBar() {
    FrameState& state = Frame();
    if (!state.rebar) return;
    state.toolBar = CreateToolBar(ToolBarKind::Standard, state.rebar);
    ShowCurrentStates(state.toolBar);
}

void ToggleToolBar() {
    FrameState& state = Frame();
    if (!state.toolBar || !IsWindow(state.toolBar)) {
        CreateFrameToolBar();
    } else {
        ShowBand(state.rebar, BandToolBar, !IsWindowVisible(state.toolBar));
    }
    Relayout();
}

void CreateFrameSideToolBar() {
    FrameState& state = Frame();
    state.sideToolBar = CreateToolBar(ToolBarKind::Side, FrameLink().window);
    ShowCurrentStates(state.sideToolBar);
}

void ToggleSideToolBar() {
    FrameState& state = Frame();
    if (!state.sideToolBar || !IsWindow(state.sideToolBar))
        CreateFrameSideToolBar();
    else
        ShowWindow(state.sideToolBar, IsWindowVisible(state.sideToolBar) ? SW_HIDE : SW_SHOW);
    Relayout();
    InvalidateRect(FrameLink().window, nullptr, TRUE);
}
