#include "input/uKeyTable.h"

#include "res/resource.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr wchar_t kNone[] = L"なし";

constexpr TKeyItem kKeyItems[] = {
    {0x00, kNone},
    {0x41, L"A"}, {0x42, L"B"}, {0x43, L"C"}, {0x44, L"D"}, {0x45, L"E"}, {0x46, L"F"}, {0x47, L"G"},
    {0x48, L"H"}, {0x49, L"I"}, {0x4A, L"J"}, {0x4B, L"K"}, {0x4C, L"L"}, {0x4D, L"M"}, {0x4E, L"N"},
    {0x4F, L"O"}, {0x50, L"P"}, {0x51, L"Q"}, {0x52, L"R"}, {0x53, L"S"}, {0x54, L"T"}, {0x55, L"U"},
    {0x56, L"V"}, {0x57, L"W"}, {0x58, L"X"}, {0x59, L"Y"}, {0x5A, L"Z"},
    {0x30, L"0"}, {0x31, L"1"}, {0x32, L"2"}, {0x33, L"3"}, {0x34, L"4"}, {0x35, L"5"}, {0x36, L"6"},
    {0x37, L"7"}, {0x38, L"8"}, {0x39, L"9"},
    {0x08, L"Backspace"}, {0x09, L"Tab"}, {0x0C, L"CLEAR"}, {0x0D, L"Return"}, {0x13, L"PAUSE"},
    {0x14, L"CAPITAL"}, {0x15, L"KANA"}, {0x15, L"HANGUL"}, {0x17, L"JUNJA"}, {0x18, L"FINAL"},
    {0x19, L"HANJA"}, {0x19, L"KANJI"}, {0x1C, L"CONVERT"}, {0x1D, L"NONCONVERT"}, {0x1E, L"ACCEPT"},
    {0x1F, L"MODECHANGE"}, {0x1B, L"Esc"}, {0x20, L"SPACE"}, {0x21, L"Page Up"}, {0x22, L"Page Down"},
    {0x23, L"END"}, {0x24, L"HOME"}, {0x25, L"←"}, {0x26, L"↑"}, {0x27, L"→"}, {0x28, L"↓"},
    {0x29, L"SELECT"}, {0x2A, L"PRINT"}, {0x2B, L"EXECUTE"}, {0x2C, L"PrintScreen"}, {0x2D, L"Insert"},
    {0x2E, L"Delete"}, {0x2F, L"HELP"}, {0x5B, L"LWIN"}, {0x5C, L"RWIN"}, {0x5D, L"APPS"},
    {0x60, L"NUMPAD0"}, {0x61, L"NUMPAD1"}, {0x62, L"NUMPAD2"}, {0x63, L"NUMPAD3"}, {0x64, L"NUMPAD4"},
    {0x65, L"NUMPAD5"}, {0x66, L"NUMPAD6"}, {0x67, L"NUMPAD7"}, {0x68, L"NUMPAD8"}, {0x69, L"NUMPAD9"},
    {0x6A, L"*"}, {0x6B, L"+"}, {0x6C, L"SEPARATOR"}, {0x6D, L"-"}, {0x6E, L"."}, {0x6F, L"/"},
    {0x70, L"F1"}, {0x71, L"F2"}, {0x72, L"F3"}, {0x73, L"F4"}, {0x74, L"F5"}, {0x75, L"F6"},
    {0x76, L"F7"}, {0x77, L"F8"}, {0x78, L"F9"}, {0x79, L"F10"}, {0x7A, L"F11"}, {0x7B, L"F12"},
    {0x7C, L"F13"}, {0x7D, L"F14"}, {0x7E, L"F15"}, {0x7F, L"F16"}, {0x80, L"F17"}, {0x81, L"F18"},
    {0x82, L"F19"}, {0x83, L"F20"}, {0x84, L"F21"}, {0x85, L"F22"}, {0x86, L"F23"}, {0x87, L"F24"},
    {0x90, L"NUMLOCK"}, {0x91, L"SCROLL"},
    {0xBA, L":"}, {0xBB, L";"}, {0xBC, L","}, {0xBD, L"-"}, {0xBE, L"."}, {0xBF, L"/"}, {0xC0, L"@"},
    {0xDB, L"["}, {0xDC, L"\\"}, {0xDD, L"]"}, {0xDE, L"^"}, {0xE2, L"＼"},
};

constexpr TShiftStateItem kShiftStates[] = {
    {0, kNone},
    {1, L"Shift"},
    {2, L"Ctrl"},
    {4, L"Alt"},
    {3, L"Shift + Ctrl"},
    {5, L"Shift + Alt"},
    {6, L"Ctrl + Alt"},
    {7, L"S + C + A"},
};

constexpr TKeyCommand kDefaultListKeys[] = {
    {IDM_GO_UP, 0x008},
    {IDM_GO_UP_NEW_TAB, 0x108},
    {IDM_OPEN, 0x00D},
    {IDM_OPEN_NEW_TAB, 0x10D},
    {IDM_PROPERTIES, 0x40D},
    {IDM_DELETE, 0x02E},
    {IDM_DELETE, 0x12E},
    {IDM_DELETE, 0x244},
    {IDM_RENAME, 0x071},
    {IDM_REFRESH, 0x074},
    {IDM_SELECT_ALL, 0x241},
    {IDM_INVERT_SELECTION, 0x141},
    {IDM_COPY, 0x243},
    {IDM_NEW_FOLDER, 0x24B},
    {IDM_EXTENDED_RENAME, 0x252},
    {IDM_PASTE, 0x256},
    {IDM_CUT, 0x258},
    {IDM_CONTEXT_MENU, 0x05D},
    {IDM_INCREMENTAL_SEARCH, 0x146},
    {IDM_OPEN_BACKGROUND, 0x30D},
    {IDM_OPEN_ASSOCIATION, 0x20D},
    {IDM_UNDO, 0x25A},
};

static_assert(std::size(kKeyItems) == 127);
static_assert(std::size(kShiftStates) == 8);
static_assert(std::size(kDefaultListKeys) == 22);

constexpr std::uint8_t kKnownAccelFlags = kAccelVirtKey | kAccelNoInvert | kAccelShift | kAccelControl | kAccelAlt;

template <typename Record>
std::vector<Record> WholeRecords(std::span<const std::uint8_t> data) {
    std::vector<Record> records(std::min(data.size() / sizeof(Record), kMaxKeyBindings));
    if (!records.empty()) std::memcpy(records.data(), data.data(), records.size() * sizeof(Record));
    return records;
}

}  // namespace

std::span<const TKeyItem> KeyItems() {
    return kKeyItems;
}

std::span<const TShiftStateItem> ShiftStateItems() {
    return kShiftStates;
}

std::optional<std::size_t> KeyItemIndex(std::uint8_t virtualKey) {
    for (std::size_t i = 0; i < std::size(kKeyItems); ++i)
        if (kKeyItems[i].Key == virtualKey) return i;
    return std::nullopt;
}

std::wstring KeyText(std::uint16_t packedKey) {
    const auto virtualKey = static_cast<std::uint8_t>(packedKey & 0xFF);
    if (virtualKey == 0) return kNone;
    std::wstring text;
    if (packedKey & kPackedShift) text += L"Shift + ";
    if (packedKey & kPackedCtrl) text += L"Ctrl + ";
    if (packedKey & kPackedAlt) text += L"Alt + ";
    if (const std::optional<std::size_t> index = KeyItemIndex(virtualKey)) text += kKeyItems[*index].Name;
    return text;
}

std::uint16_t PackedKeyFromAccel(std::uint8_t fVirt, std::uint16_t key) {
    std::uint16_t packed = key & 0xFF;
    if (fVirt & kAccelShift) packed |= kPackedShift;
    if (fVirt & kAccelControl) packed |= kPackedCtrl;
    if (fVirt & kAccelAlt) packed |= kPackedAlt;
    return packed;
}

std::wstring AccelKeyText(std::uint8_t fVirt, std::uint16_t key) {
    return KeyText(PackedKeyFromAccel(fVirt, key));
}

TStoredAccel AccelFromPacked(std::uint16_t packedKey, std::uint16_t command) {
    std::uint8_t flags = kAccelVirtKey | kAccelNoInvert;
    if (packedKey & kPackedShift) flags |= kAccelShift;
    if (packedKey & kPackedCtrl) flags |= kAccelControl;
    if (packedKey & kPackedAlt) flags |= kAccelAlt;
    return {flags, 0, static_cast<std::uint16_t>(packedKey & 0xFF), command};
}

std::span<const TKeyCommand> DefaultListKeys() {
    return kDefaultListKeys;
}

std::optional<std::uint16_t> FindListCommand(std::span<const TKeyCommand> table, std::uint16_t packedKey) {
    for (const TKeyCommand& entry : table)
        if (entry.Key == packedKey) return entry.Command;
    return std::nullopt;
}

std::vector<TKeyCommand> DecodeListKeys(std::span<const std::uint8_t> data) {
    std::vector<TKeyCommand> keys = WholeRecords<TKeyCommand>(data);
    // A key press always has a key byte and never sets bits above Alt.
    std::erase_if(keys, [](const TKeyCommand& entry) {
        return entry.Command == 0 || (entry.Key & 0xFF) == 0 || (entry.Key & ~(0xFF | kPackedModifiers)) != 0;
    });
    return keys;
}

std::optional<std::vector<TStoredAccel>> DecodeAccels(std::span<const std::uint8_t> data) {
    if (data.empty()) return std::vector<TStoredAccel>();
    std::vector<TStoredAccel> entries = WholeRecords<TStoredAccel>(data);
    std::erase_if(entries, [](const TStoredAccel& entry) {
        return entry.key == 0 || (entry.fVirt & ~kKnownAccelFlags) != 0 ||
               ((entry.fVirt & kAccelVirtKey) && entry.key > 0xFF);
    });
    if (entries.empty()) return std::nullopt;
    for (TStoredAccel& entry : entries) entry.zero = 0;
    return entries;
}
