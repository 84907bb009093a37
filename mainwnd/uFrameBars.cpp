// The bars of the rebar as the frame makes, shows and hides them.

#include "mainwnd/wMainWnd.h"

#include "bars/wAddressBar.h"
#include "bars/wCoolBar.h"

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
