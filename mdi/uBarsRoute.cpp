#include "mdi/uBarsRoute.h"
#include "res/resource.h"

#include <commctrl.h>

#include <initializer_list>

namespace {

HWND Bar(RouteBar bar) { return Routes().window ? Routes().window(bar) : nullptr; }

bool Holds(HWND bar, HWND window) {
    return bar && window && (bar == window || IsChild(bar, window));
}

}  // namespace

BarRoutes& Routes() {
    static BarRoutes routes;
    return routes;
}

void RouteSyncFolderTree(PCIDLIST_ABSOLUTE folder) {
    HWND tree = Bar(RouteBar::FolderTree);
    if (folder && tree && IsWindowVisible(tree) && Routes().syncFolderTree) Routes().syncFolderTree(folder);
}

void RouteShowInAddressBar(PCIDLIST_ABSOLUTE folder) {
    HWND address = Bar(RouteBar::AddressBar);
    if (folder && address && IsWindowVisible(address) && Routes().showInAddressBar) Routes().showInAddressBar(folder);
}

void RouteShowFolderIconInAddressBar(PCIDLIST_ABSOLUTE folder, int iconIndex) {
    if (folder && Bar(RouteBar::AddressBar) && Routes().showFolderIconInAddressBar)
        Routes().showFolderIconInAddressBar(folder, iconIndex);
}

void RouteShowTextInAddressBar(int iconIndex, const wchar_t* text) {
    HWND address = Bar(RouteBar::AddressBar);
    if (!address) return;
    SendMessageW(address, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = -1;
    item.pszText = const_cast<wchar_t*>(text);
    item.iImage = iconIndex;
    item.iSelectedImage = iconIndex;
    SendMessageW(address, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void RouteUpdateHistoryButtons(bool canGoBack, bool canGoForward) {
    for (HWND bar : {Bar(RouteBar::ToolBar), Bar(RouteBar::SideToolBar)}) {
        if (!bar) continue;
        SendMessageW(bar, TB_ENABLEBUTTON, IDM_BACK, MAKELPARAM(canGoBack ? TRUE : FALSE, 0));
        SendMessageW(bar, TB_ENABLEBUTTON, IDM_FORWARD, MAKELPARAM(canGoForward ? TRUE : FALSE, 0));
    }
}

void RouteCheckLockButton(bool locked) {
    for (HWND bar : {Bar(RouteBar::ToolBar), Bar(RouteBar::SideToolBar)})
        if (bar) SendMessageW(bar, TB_CHECKBUTTON, IDM_NAVIGATE_LOCK, MAKELPARAM(locked ? TRUE : FALSE, 0));
}

HWND RouteFocusedBar() {
    HWND focus = GetFocus();
    for (HWND bar : {Bar(RouteBar::FolderTree), Bar(RouteBar::AddressBar), Bar(RouteBar::FavoriteTree)})
        if (Holds(bar, focus)) return focus;
    return nullptr;
}
