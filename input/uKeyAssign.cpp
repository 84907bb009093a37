#include "input/uKeyAssign.h"

#include "app/uFrameLink.h"
#include "app/uMessageLoop.h"
#include "app/uReg.h"
#include "input/uDialog.h"
#include "app/uCommandRegistry.h"
#include "res/resource.h"

#include <utility>

namespace {

std::vector<TKeyCommand> DefaultListKeyVector() {
    const std::span<const TKeyCommand> defaults = DefaultListKeys();
    return {defaults.begin(), defaults.end()};
}

// Bytes present but not readable (too large, vanished between the queries)
// count as missing; only a value that exists with no data at all is empty.
bool ValueIsEmpty(HKEY key, const wchar_t* name) {
    DWORD size = 1;
    return key && RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size == 0;
}

std::vector<ACCEL> ToAccels(const std::vector<TStoredAccel>& stored) {
    std::vector<ACCEL> entries;
    entries.reserve(stored.size());
    for (const TStoredAccel& entry : stored) entries.push_back(ACCEL{entry.fVirt, entry.key, entry.cmd});
    return entries;
}

std::vector<ACCEL> CopyEntries(HACCEL table) {
    if (!table) return {};
    std::vector<ACCEL> entries(static_cast<std::size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
    if (!entries.empty()) CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
    return entries;
}

// Copied into a table of our own, so that the loop's table is always one that
// replacing it may destroy.
std::vector<ACCEL> ResourceAccels() {
    HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), L"MYACCEL");
    std::vector<ACCEL> entries = CopyEntries(table);
    if (table) DestroyAcceleratorTable(table);
    return entries;
}

std::vector<ACCEL> LoadAccels(HKEY root) {
    const std::vector<std::uint8_t> data = SettingsReadBinary(root, kAccelsValue);
    if (data.empty() && !ValueIsEmpty(root, kAccelsValue)) return ResourceAccels();
    const std::optional<std::vector<TStoredAccel>> stored = DecodeAccels(data);
    return stored ? ToAccels(*stored) : ResourceAccels();
}

std::vector<TKeyCommand> LoadListKeys(HKEY root) {
    std::vector<TKeyCommand> keys = DecodeListKeys(SettingsReadBinary(root, kCommandsValue));
    return keys.empty() ? DefaultListKeyVector() : keys;
}

}  // namespace

std::vector<TKeyCommand>& ListKeys() {
    static std::vector<TKeyCommand> keys = DefaultListKeyVector();
    return keys;
}

WORD HeldKeyModifiers() {
    WORD modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= kPackedShift;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= kPackedCtrl;
    if (GetKeyState(VK_MENU) < 0) modifiers |= kPackedAlt;
    return modifiers;
}

WORD PackedKeyFromKeyDown(WORD virtualKey) {
    return static_cast<WORD>((virtualKey & 0xFF) | HeldKeyModifiers());
}

WORD ListKeyCommand(WORD packedKey) {
    return FindListCommand(ListKeys(), packedKey).value_or(0);
}

WORD ItemActivationCommand() {
    return ListKeyCommand(PackedKeyFromKeyDown(kVirtualKeyReturn));
}

std::wstring ListKeyTextOf(WORD command) {
    for (const TKeyCommand& entry : ListKeys())
        if (entry.Command == command) return KeyText(entry.Key);
    return {};
}

std::vector<ACCEL> WholeProgramEntries() {
    return CopyEntries(LoopTables().wholeProgram);
}

void SetWholeProgramEntries(const std::vector<ACCEL>& entries) {
    std::vector<ACCEL> copy(entries);
    HACCEL table = copy.empty() ? nullptr : CreateAcceleratorTableW(copy.data(), static_cast<int>(copy.size()));
    HACCEL old = std::exchange(LoopTables().wholeProgram, table);
    if (old) DestroyAcceleratorTable(old);
}

void LoadKeyAssignments(HKEY root) {
    SetWholeProgramEntries(LoadAccels(root));
    ListKeys() = LoadListKeys(root);
    // The tables' editor is reachable once there are tables to edit.
    for (const WORD mode : {IDM_KEYS_PROGRAM, IDM_KEYS_LIST})
        SetCommandHandler(mode, mode, [](UINT command, HWND) {
            RunKeyAssignDialog(FrameLink().window, static_cast<WORD>(command));
        });
    // The frame came up with its class menu before the tables were read.
    if (HWND frame = FrameLink().window; frame && IsWindow(frame))
        InstallMainMenu(frame, FrameLink().mdiClient);
}

void SaveKeyAssignments(HKEY root) {
    std::vector<TStoredAccel> stored;
    for (const ACCEL& entry : WholeProgramEntries())
        stored.push_back(TStoredAccel{entry.fVirt, 0, entry.key, entry.cmd});
    SettingsWriteRecords<TStoredAccel>(root, kAccelsValue, stored);
    SettingsWriteRecords<TKeyCommand>(root, kCommandsValue, ListKeys());
}

void AnnotateMenu(HMENU menu, WORD packedKey, WORD command) {
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoW(menu, command, FALSE, &info) || info.cch == 0) return;
    std::wstring caption(info.cch + 1, L'\0');
    info.dwTypeData = caption.data();
    info.cch = static_cast<UINT>(caption.size());
    if (!GetMenuItemInfoW(menu, command, FALSE, &info)) return;
    caption.resize(info.cch);
    caption += caption.find(L'\t') != std::wstring::npos ? L", " : L"\t";
    caption += KeyText(packedKey);
    MENUITEMINFOW update{sizeof(update)};
    update.fMask = MIIM_STRING;
    update.dwTypeData = caption.data();
    SetMenuItemInfoW(menu, command, FALSE, &update);
}

HMENU BuildMainMenu() {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU");
    if (!menu) return nullptr;
    for (const ACCEL& entry : WholeProgramEntries())
        AnnotateMenu(menu, PackedKeyFromAccel(entry.fVirt, entry.key), entry.cmd);
    for (const TKeyCommand& entry : ListKeys()) AnnotateMenu(menu, entry.Key, entry.Command);
    return menu;
}

void InstallMainMenu(HWND frame, HWND mdiClient) {
    HMENU menu = BuildMainMenu();
    if (!menu || !frame) {
        if (menu) DestroyMenu(menu);
        return;
    }
    HMENU old = GetMenu(frame);
    // The old menu goes only after the MDI client has moved its window list
    // off the old window menu.
    if (mdiClient) {
        SendMessageW(mdiClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                     reinterpret_cast<LPARAM>(GetSubMenu(menu, kWindowMenuPosition)));
        SendMessageW(mdiClient, WM_MDIREFRESHMENU, 0, 0);
    } else {
        SetMenu(frame, menu);
    }
    DrawMenuBar(frame);
    if (old && old != menu) DestroyMenu(old);
}
