#include "bars/wAddressBar.h"

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uCommandRegistry.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "bars/uAddressInput.h"
#include "bars/uAddressList.h"
#include "bars/wAddressGoButton.h"
#include "bars/wCoolBar.h"
#include "folderview/wFolderView.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/hOledd.h"
#include "shell/uCapabilities.h"
#include "shell/uDpi.h"

#include <commctrl.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr wchar_t kHostClass[] = L"ABBaseClass";
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr int kDropDownHeight = 200;
// Posted to the host: show the folder that waits in the state.
constexpr UINT kShowPendingMessage = WM_APP + 1;
// Posted to the host: open the list entry chosen, once the list has closed.
constexpr UINT kOpenChosenMessage = WM_APP + 2;

namespace AddressBarSettings {
inline constexpr IntSetting OpenShift{L"OpenShift", 0};
inline constexpr IntSetting NewWindowShift{L"NewWindowShift", 1};
inline constexpr IntSetting BackGroundShift{L"BackGroundShift", 3};
inline constexpr BoolSetting AutoComplete{L"AutoComplete", true};
inline constexpr BoolSetting ShowGoButton{L"ShowGoButton", true};
}  // namespace AddressBarSettings

struct AddressBarState {
    HWND host = nullptr;
    HWND combo = nullptr;
    HWND goButton = nullptr;
    UniqueImageList goImages;
    bool showGoButton = AddressBarSettings::ShowGoButton.def;
    // The list entry chosen and the modifiers held then, until it is opened.
    UniqueAbsolutePidl chosen;
    BYTE chosenModifiers = 0;
    // The folder to show once the host gets to it, and the edit field's text
    // when it was asked for: a text shown meanwhile by another route wins.
    UniqueAbsolutePidl pending;
    std::wstring textWhenAsked;
    // The folder the edit field shows and the text it was shown with, for
    // its icon that may come later.
    UniqueAbsolutePidl shown;
    std::wstring shownText;
    AddressModifiers modifiers;
    bool modifiersRead = false;
};

AddressBarState& State() {
    static AddressBarState state;
    return state;
}

BYTE HeldModifiers() {
    BYTE held = 0;
    if (GetKeyState(VK_SHIFT) < 0) held |= 1;
    if (GetKeyState(VK_CONTROL) < 0) held |= 2;
    if (GetKeyState(VK_MENU) < 0) held |= 4;
    return held;
}

void ReadModifiers() {
    if (State().modifiersRead) return;
    State().modifiersRead = true;
    UniqueRegKey key;
    SettingsOpen(SettingsArea::AddressBar, key);
    AddressModifiers& modifiers = State().modifiers;
    modifiers.open = static_cast<BYTE>(SettingsRead(key.get(), AddressBarSettings::OpenShift));
    modifiers.newWindow = static_cast<BYTE>(SettingsRead(key.get(), AddressBarSettings::NewWindowShift));
    modifiers.background = static_cast<BYTE>(SettingsRead(key.get(), AddressBarSettings::BackGroundShift));
}

std::wstring EditText() {
    wchar_t text[kAddressTextLength] = {};
    if (HWND field = reinterpret_cast<HWND>(SendMessageW(State().combo, CBEM_GETEDITCONTROL, 0, 0)))
        GetWindowTextW(field, text, ARRAYSIZE(text));
    return text;
}

// The shell learns a folder's own icon from settings it looks for inside the
// folder; where a name is looked up by walking the whole folder, that takes as
// long as listing it. The view that lists the folder learns the icon on its
// worker and passes it on (ShowFolderIcon); until then a plain folder shows.
int ShownFolderIcon(PCIDLIST_ABSOLUTE folder) {
    const TFolderView* view = ActiveFolderView();
    if (!view || !view->AbsoluteIDList || !PIDLEqual(view->AbsoluteIDList, folder))
        return PIDLIconIndex(folder, false, false);
    return view->FolderIconIndex >= 0 ? view->FolderIconIndex : PlainFolderIconIndex();
}

// The edit field shows the folder as the address bar's parsing name, with its icon.
void ShowFolderNow(PCIDLIST_ABSOLUTE folder) {
    std::wstring text;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (SUCCEEDED(SHBindToParent(folder, IID_IShellFolder, parent.putVoid(), &last))) {
        STRRET name{};
        if (SUCCEEDED(parent->GetDisplayNameOf(last, SHGDN_FORPARSING | SHGDN_FORADDRESSBAR, &name)))
            text = StrRetToText(&name, last);
    }
    State().shown.reset(PIDLClone(folder));
    State().shownText = text;
    RouteShowTextInAddressBar(ShownFolderIcon(folder), text.c_str());
}

void ShowFolderIcon(PCIDLIST_ABSOLUTE folder, int iconIndex) {
    AddressBarState& state = State();
    if (!state.shown || !PIDLEqual(state.shown.get(), folder) || EditText() != state.shownText) return;
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = -1;
    item.iImage = iconIndex;
    item.iSelectedImage = iconIndex;
    SendMessageW(state.combo, CBEM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    InvalidateRect(state.combo, nullptr, FALSE);
}

void ShowPendingFolder() {
    UniqueAbsolutePidl folder = std::move(State().pending);
    if (folder && EditText() == State().textWhenAsked) ShowFolderNow(folder.get());
}

// The parsing name and the icon take a walk through the shell along the
// folder's whole path; the navigation that reports the folder goes on without
// waiting for them. Of several folders reported meanwhile the last is shown.
void ShowFolder(PCIDLIST_ABSOLUTE folder) {
    AddressBarState& state = State();
    const bool posted = static_cast<bool>(state.pending);
    state.pending.reset(PIDLClone(folder));
    if (posted) return;
    state.textWhenAsked = EditText();
    if (!state.host || !PostMessageW(state.host, kShowPendingMessage, 0, 0)) ShowPendingFolder();
}

// Enter in the edit field, with no list entry chosen.
void OnEndEdit(const NMCBEENDEDITW& edit) {
    if (edit.iWhy != CBENF_RETURN || edit.iNewSelection != CB_ERR) return;
    OpenTypedAddress(EditText().c_str(), HeldModifiers());
}

PCIDLIST_ABSOLUTE EntryFolder(int index) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_LPARAM;
    item.iItem = index;
    if (!SendMessageW(State().combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<PCIDLIST_ABSOLUTE>(item.lParam);
}

bool FolderNameAndIcon(PCIDLIST_ABSOLUTE folder, SHFILEINFOW& file) {
    if (!SHGetFileInfoW(reinterpret_cast<const wchar_t*>(folder), 0, &file, sizeof(file), SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return false;
    file.iIcon = ShownFolderIcon(folder);
    return true;
}

// Each entry owns its folder (freed on CBEN_DELETEITEM); its text and icon
// are asked for only when the entry is drawn, where the control can ask.
void FillList() {
    HWND combo = State().combo;
    AddressEntries entries = TopAddressEntries();
    if (const TFolderView* view = ActiveFolderView(); view && view->AbsoluteIDList)
        MergeAncestors(entries, view->AbsoluteIDList);
    const bool onDemand = PlatformCapabilities().comboExTextCallback;
    for (AddressEntry& entry : entries) {
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT | CBEIF_LPARAM;
        SHFILEINFOW file{};
        if (onDemand) {
            item.pszText = LPSTR_TEXTCALLBACKW;
            item.iImage = I_IMAGECALLBACK;
            item.iSelectedImage = I_IMAGECALLBACK;
        } else {
            FolderNameAndIcon(entry.folder.get(), file);
            item.pszText = file.szDisplayName;
            item.iImage = file.iIcon;
            item.iSelectedImage = file.iIcon;
        }
        item.iIndent = entry.indent;
        item.lParam = reinterpret_cast<LPARAM>(entry.folder.get());
        item.iItem = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        if (SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0) entry.folder.release();
    }
}

void FreeEntry(const NMCOMBOBOXEXW& deleted) {
    UniqueAbsolutePidl owned(reinterpret_cast<PIDLIST_ABSOLUTE>(deleted.ceItem.lParam));
}

void EmptyList() {
    for (int index = static_cast<int>(SendMessageW(State().combo, CB_GETCOUNT, 0, 0)); index-- > 0;)
        SendMessageW(State().combo, CBEM_DELETEITEM, index, 0);
}

void OnGetDisplayInfo(NMCOMBOBOXEXW& info) {
    COMBOBOXEXITEMW& item = info.ceItem;
    PCIDLIST_ABSOLUTE folder = EntryFolder(static_cast<int>(item.iItem));
    SHFILEINFOW file{};
    if (!folder || !FolderNameAndIcon(folder, file)) return;
    if ((item.mask & CBEIF_TEXT) && item.pszText && item.cchTextMax > 0)
        lstrcpynW(item.pszText, file.szDisplayName, item.cchTextMax);
    item.iImage = file.iIcon;
    item.iSelectedImage = file.iIcon;
    item.mask |= CBEIF_DI_SETITEM;
}

// The choice is opened once the list has closed: the navigation sets the
// edit field, which the closing list would otherwise overwrite.
void OnSelectEnd() {
    const int index = static_cast<int>(SendMessageW(State().combo, CB_GETCURSEL, 0, 0));
    PCIDLIST_ABSOLUTE folder = index >= 0 ? EntryFolder(index) : nullptr;
    if (!folder) return;
    State().chosen.reset(PIDLClone(folder));
    State().chosenModifiers = HeldModifiers();
    PostMessageW(State().host, kOpenChosenMessage, 0, 0);
}

void OpenChosen() {
    UniqueAbsolutePidl folder = std::move(State().chosen);
    const int mode = ChooseOpenMode(State().chosenModifiers, State().modifiers);
    if (folder && mode >= 0) RequestNavigate(folder.get(), OriginAddressBar, mode, nullptr);
}

void OnDragBegin() {
    const TFolderView* view = ActiveFolderView();
    if (!view || !view->AbsoluteIDList) return;
    ComPtr<IDataObject> data = FolderDataObject(view->AbsoluteIDList, State().host);
    if (!data) return;
    StartDrag(State().host, data.get());
}

void Layout() {
    RECT client{};
    GetClientRect(State().host, &client);
    LayoutAddressBand(State().combo, State().goButton, client.right, client.bottom,
                      ScaleForDpi(kDropDownHeight, DpiOf(State().host)));
}

// Command 5132.
void ToggleGoButton(UINT, HWND) {
    AddressBarState& state = State();
    state.showGoButton = !state.showGoButton;
    if (!state.goButton) return;
    ShowWindow(state.goButton, state.showGoButton ? SW_SHOWNA : SW_HIDE);
    Layout();
}

void CheckGoButton(HMENU toolbarsMenu) {
    CheckMenuItem(toolbarsMenu, IDM_GO_BUTTON,
                  MF_BYCOMMAND | (State().goButton && State().showGoButton ? MF_CHECKED : MF_UNCHECKED));
}

// The go button stands for Enter in the edit field.
void OnGo() {
    HWND field = reinterpret_cast<HWND>(SendMessageW(State().combo, CBEM_GETEDITCONTROL, 0, 0));
    if (!field) return;
    SendMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(field, WM_KEYUP, VK_RETURN, 0);
}

void OnComboCommand(WORD code) {
    switch (code) {
    case CBN_DROPDOWN: FillList(); break;
    case CBN_CLOSEUP: EmptyList(); break;
    case CBN_SELENDOK: OnSelectEnd(); break;
    }
}

void OnHostNotify(NMHDR& header) {
    if (header.hwndFrom == State().goButton) {
        if (header.code == NM_RCLICK) ShowBandMenu(POINT{-1, -1});
        return;
    }
    if (header.hwndFrom != State().combo) return;
    switch (header.code) {
    case CBEN_ENDEDITW: OnEndEdit(reinterpret_cast<const NMCBEENDEDITW&>(header)); break;
    case CBEN_GETDISPINFOW: OnGetDisplayInfo(reinterpret_cast<NMCOMBOBOXEXW&>(header)); break;
    case CBEN_DELETEITEM: FreeEntry(reinterpret_cast<const NMCOMBOBOXEXW&>(header)); break;
    case CBEN_DRAGBEGINW: OnDragBegin(); break;
    }
}

LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (host == State().host) Layout();
        return 0;
    case kShowPendingMessage:
        ShowPendingFolder();
        return 0;
    case kOpenChosenMessage:
        OpenChosen();
        return 0;
    case WM_DPICHANGED_AFTERPARENT:
        if (host == State().host && State().goButton) {
            MakeGoButtonImages(State().goButton, State().goImages);
            Layout();
        }
        return 0;
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == State().combo) OnComboCommand(HIWORD(wParam));
        else if (reinterpret_cast<HWND>(lParam) == State().goButton && LOWORD(wParam) == kGoButtonCommand) OnGo();
        return 0;
    case WM_NOTIFY:
        OnHostNotify(*reinterpret_cast<NMHDR*>(lParam));
        break;
    }
    return DefWindowProcW(host, message, wParam, lParam);
}

void RegisterHostClass() {
    WNDCLASSEXW host{sizeof(host)};
    host.style = CS_HREDRAW | CS_VREDRAW;
    host.lpfnWndProc = HostProc;
    host.hInstance = GetModuleHandleW(nullptr);
    host.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    host.lpszClassName = kHostClass;
    RegisterClassExW(&host);
}

}  // namespace

AddressBarWindows CreateAddressBar(HWND rebar) {
    ReadModifiers();
    RegisterHostClass();
    AddressBarWindows windows;
    windows.host = CreateWindowExW(0, kHostClass, nullptr, kChildStyle, 0, 0, 100, 20, rebar, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!windows.host) return {};
    const UINT dpi = DpiOf(rebar);
    windows.combo = CreateWindowExW(0, WC_COMBOBOXEXW, nullptr, kChildStyle | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 0,
                                    100, ScaleForDpi(kDropDownHeight, dpi), windows.host,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kAddressComboId)),
                                    GetModuleHandleW(nullptr), nullptr);
    if (!windows.combo) {
        DestroyWindow(windows.host);
        return {};
    }
    State().host = windows.host;
    State().combo = windows.combo;
    // A folder left waiting by a bar destroyed before its message came.
    State().pending.reset();
    SendMessageW(windows.combo, CBEM_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(SystemImageListOfSide(SmallIconSide(dpi))));
    UniqueRegKey key;
    SettingsOpen(SettingsArea::AddressBar, key);
    if (SettingsRead(key.get(), AddressBarSettings::AutoComplete))
        AttachPathCompletion(reinterpret_cast<HWND>(SendMessageW(windows.combo, CBEM_GETEDITCONTROL, 0, 0)));
    State().showGoButton = SettingsRead(key.get(), AddressBarSettings::ShowGoButton);
    State().goButton = CreateGoButton(windows.host, State().goImages);
    if (State().goButton && State().showGoButton) ShowWindow(State().goButton, SW_SHOWNA);
    windows.goButton = State().goButton;
    SetCommandHandler(IDM_GO_BUTTON, IDM_GO_BUTTON, ToggleGoButton);
    SetMenuPreparer(IDM_TOOLBARS_MENU, CheckGoButton);
    RECT combo{};
    GetWindowRect(windows.combo, &combo);
    Routes().showInAddressBar = ShowFolder;
    Routes().showFolderIconInAddressBar = ShowFolderIcon;
    AttachBar(rebar, windows.host, BandAddressBar, combo.bottom - combo.top);
    Layout();
    return windows;
}

void SaveAddressBar() {
    if (!State().modifiersRead) return;
    UniqueRegKey key;
    if (!SettingsCreate(SettingsArea::AddressBar, key)) return;
    const AddressModifiers& modifiers = State().modifiers;
    SettingsWrite(key.get(), AddressBarSettings::OpenShift, modifiers.open);
    SettingsWrite(key.get(), AddressBarSettings::NewWindowShift, modifiers.newWindow);
    SettingsWrite(key.get(), AddressBarSettings::BackGroundShift, modifiers.background);
    SettingsWrite(key.get(), AddressBarSettings::ShowGoButton, State().showGoButton);
    if (State().goButton && IsWindow(State().goButton)) {
        SendMessageW(State().goButton, TB_SETIMAGELIST, 0, 0);
        State().goImages.reset();
    }
}

AddressBarWindows AddressBarParts() {
    return {State().host, State().combo, State().goButton};
}

ComPtr<IDataObject> FolderDataObject(PCIDLIST_ABSOLUTE folder, HWND owner) {
    ComPtr<IDataObject> data;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    // The desktop itself is its own parent, and its empty list the item.
    if (!folder || FAILED(SHBindToParent(folder, IID_IShellFolder, parent.putVoid(), &last)) || !last) return data;
    parent->GetUIObjectOf(owner, 1, &last, IID_IDataObject, nullptr, data.putVoid());
    return data;
}

bool OpenTypedAddress(const wchar_t* text, BYTE held) {
    const int mode = ChooseOpenMode(held, State().modifiers);
    if (mode < 0 || !text) return false;
    const AddressTarget target = ResolveTypedAddress(text);
    if (!target.folder) return false;
    RequestNavigate(target.folder.get(), OriginAddressBar, mode, target.select.get());
    return true;
}
