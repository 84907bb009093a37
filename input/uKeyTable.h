#pragma once
// Keys as the user sees and stores them: the packed key code, the key-name and
// shift-state tables, key texts, the list-scope defaults and the decoding of the
// stored key tables. Free of the platform headers: every rule here is plain data.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Packed key code: low byte the virtual-key code, then the hot-key control's
// modifier bits moved into the high byte.
inline constexpr std::uint16_t kPackedShift = 0x100;
inline constexpr std::uint16_t kPackedCtrl = 0x200;
inline constexpr std::uint16_t kPackedAlt = 0x400;
inline constexpr std::uint16_t kPackedModifiers = kPackedShift | kPackedCtrl | kPackedAlt;

// Accelerator flag bits (the ACCEL fVirt byte), spelt out so this unit needs no
// platform header.
inline constexpr std::uint8_t kAccelVirtKey = 0x01;
inline constexpr std::uint8_t kAccelNoInvert = 0x02;
inline constexpr std::uint8_t kAccelShift = 0x04;
inline constexpr std::uint8_t kAccelControl = 0x08;
inline constexpr std::uint8_t kAccelAlt = 0x10;

inline constexpr std::uint8_t kVirtualKeyReturn = 0x0D;

struct TKeyItem {
    std::uint8_t Key;
    const wchar_t* Name;
};

struct TShiftStateItem {
    std::uint8_t Shift;  // 1 Shift, 2 Ctrl, 4 Alt
    const wchar_t* Name;
};

// One list-scope binding, stored as it lies in memory: command, then key.
struct TKeyCommand {
    std::uint16_t Command;
    std::uint16_t Key;
    friend bool operator==(const TKeyCommand&, const TKeyCommand&) = default;
};
static_assert(sizeof(TKeyCommand) == 4);

// One whole-program entry in its stored form: the ACCEL layout with its
// padding byte made explicit, so a saved value never carries stray memory.
struct TStoredAccel {
    std::uint8_t fVirt;
    std::uint8_t zero;
    std::uint16_t key;
    std::uint16_t cmd;
    friend bool operator==(const TStoredAccel&, const TStoredAccel&) = default;
};
static_assert(sizeof(TStoredAccel) == 6);

// More bindings than any keyboard offers; a longer stored table is damaged and
// its tail is dropped instead of building a table the dialog cannot show.
inline constexpr std::size_t kMaxKeyBindings = 4096;

// The 127 key names in the order of the dialog's key list.
std::span<const TKeyItem> KeyItems();
// The eight modifier combinations in the order choosers list them.
std::span<const TShiftStateItem> ShiftStateItems();

// Index of the first key-table entry with this virtual-key code, or nothing.
std::optional<std::size_t> KeyItemIndex(std::uint8_t virtualKey);

// "Shift + Ctrl + Alt + name"; "なし" when the key byte is 0; only the prefix
// when the key has no name.
std::wstring KeyText(std::uint16_t packedKey);
std::uint16_t PackedKeyFromAccel(std::uint8_t fVirt, std::uint16_t key);
std::wstring AccelKeyText(std::uint8_t fVirt, std::uint16_t key);
// The entry the dialog makes for a packed key code.
TStoredAccel AccelFromPacked(std::uint16_t packedKey, std::uint16_t command);

// The list-scope table of a fresh profile, first match wins.
std::span<const TKeyCommand> DefaultListKeys();

// The command of the first binding of `packedKey`, or nothing.
std::optional<std::uint16_t> FindListCommand(std::span<const TKeyCommand> table, std::uint16_t packedKey);

// Stored list-scope table: whole records only, bindings that can never match a
// key press dropped. Empty when nothing usable remains.
std::vector<TKeyCommand> DecodeListKeys(std::span<const std::uint8_t> data);
// Stored whole-program table likewise; nothing when the data holds bytes but
// not one sound entry (damaged), an empty table only for empty data.
std::optional<std::vector<TStoredAccel>> DecodeAccels(std::span<const std::uint8_t> data);
