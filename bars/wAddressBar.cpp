#include "bars/wAddressBar.h"

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "bars/uAddressInput.h"
#include "bars/wCoolBar.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
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

namespace AddressBarSettings {
inline constexpr IntSetting OpenShift{L"OpenShift", 0};
inline constexpr IntSetting NewWindowShift{L"NewWindowShift", 1};
inline constexpr IntSetting BackGroundShift{L"BackGroundShift", 3};
inline constexpr BoolSetting AutoComplete{L"AutoComplete", true};
}  // namespace AddressBarSettings

struct AddressBarState {
    HWND host = nullptr;
    HWND combo = nullptr;
    // The folder to show once the host gets to it, and the edit field's text
    // when it was asked for: a text shown meanwhile by another route wins.
    UniqueAbsolutePidl pending;
    std::wstring textWhenAsked;
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
    RouteShowTextInAddressBar(PIDLIconIndex(folder, false, false), text.c_str());
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

LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (State().combo)
            SetWindowPos(State().combo, nullptr, 0, 0, LOWORD(lParam),
                         ScaleForDpi(kDropDownHeight, DpiOf(host)), SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    case kShowPendingMessage:
        ShowPendingFolder();
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == State().combo && header->code == CBEN_ENDEDITW)
            OnEndEdit(*reinterpret_cast<const NMCBEENDEDITW*>(lParam));
        break;
    }
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
    RECT combo{};
    GetWindowRect(windows.combo, &combo);
    Routes().showInAddressBar = ShowFolder;
    AttachBar(rebar, windows.host, BandAddressBar, combo.bottom - combo.top);
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
}

bool OpenTypedAddress(const wchar_t* text, BYTE held) {
    const int mode = ChooseOpenMode(held, State().modifiers);
    if (mode < 0 || !text) return false;
    const AddressTarget target = ResolveTypedAddress(text);
    if (!target.folder) return false;
    RequestNavigate(target.folder.get(), OriginAddressBar, mode, target.select.get());
    return true;
}
