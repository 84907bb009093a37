#pragma once
// The settings store. Every persistent value lives under
// HKEY_CURRENT_USER\Software\ZEKO2 (see SettingsRootPath); each area opens
// its own key, reads into its own variables and writes back, and nothing is
// cached in between. A failing read gives the default (or leaves the variable
// alone); a failing write is ignored. Any HKEY argument may be null, which
// reads as "missing".

#include "app/Handles.h"
#include "app/uRegDecode.h"
#include "app/uSettings.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

inline constexpr wchar_t kSettingsRootPath[] = L"Software\\ZEKO2";
// The environment value that names another key below HKEY_CURRENT_USER to hold
// the settings. Only the test suite sets it, so that ZEKO.exe started by a test
// never reads or writes the settings of the user running the tests (nor,
// as the instance's names follow the key, meets that user's instance).
inline constexpr wchar_t kSettingsKeyVariable[] = L"ZEKO_SETTINGS_KEY";

// The key below HKEY_CURRENT_USER that holds the settings: kSettingsRootPath,
// or the key kSettingsKeyVariable names. Decided once per process.
const std::wstring& SettingsRootPath();

// A stored value larger than this counts as missing rather than being loaded.
inline constexpr std::size_t kMaxSettingsValueBytes = 16u << 20;

// Open (or create) the settings root, or the area `subkey` below it (which may
// itself contain backslashes). On failure `key` is left empty.
bool SettingsOpen(std::wstring_view subkey, UniqueRegKey& key);
bool SettingsCreate(std::wstring_view subkey, UniqueRegKey& key);

// The text up to the first NUL or the end of the data; empty when missing.
std::wstring SettingsReadText(HKEY key, const wchar_t* name);
// The stored 32 bits of a value of at most four bytes, or nothing.
std::optional<std::uint32_t> SettingsTryReadInt(HKEY key, const wchar_t* name);
int SettingsReadInt(HKEY key, const wchar_t* name, int def);
bool SettingsReadBool(HKEY key, const wchar_t* name, bool def);
// The value's bytes; empty when missing or larger than kMaxSettingsValueBytes.
std::vector<std::uint8_t> SettingsReadBinary(HKEY key, const wchar_t* name);

// Stores into a 32-, 16- or 8-bit integer (its low bits) or a bool (the low
// byte, non-zero is true); leaves the variable unchanged when the value cannot
// be read, so its initial value serves as the default.
template <typename T>
    requires std::is_integral_v<T>
void SettingsReadInto(HKEY key, const wchar_t* name, T& variable) {
    static_assert(sizeof(T) <= 4, "settings integers are 32 bits");
    const std::optional<std::uint32_t> value = SettingsTryReadInt(key, name);
    if (!value) return;
    if constexpr (std::is_same_v<T, bool>)
        variable = (*value & 0xFF) != 0;
    else
        variable = static_cast<T>(*value);
}

void SettingsWriteInt(HKEY key, const wchar_t* name, int value);
void SettingsWriteBool(HKEY key, const wchar_t* name, bool value);
// REG_SZ holding 2 x length bytes, no terminator counted.
void SettingsWriteText(HKEY key, const wchar_t* name, const std::wstring& text);
// REG_BINARY; ignored when larger than a registry value can hold.
void SettingsWriteBinary(HKEY key, const wchar_t* name, const void* data, std::size_t bytes);

// Deletes `subkey` of `parent` with everything below it. Returns 0 on success,
// else a registry error code. An empty name fails: it would name the parent.
LONG SettingsDeleteTree(HKEY parent, const wchar_t* subkey);

// Record array: n fixed-size records back to back in one REG_BINARY value.
// Reading takes the whole records the data holds.
template <typename Record>
std::vector<Record> SettingsReadRecords(HKEY key, const wchar_t* name) {
    const std::vector<std::uint8_t> data = SettingsReadBinary(key, name);
    return DecodeRegRecords<Record>(data);
}

template <typename Record>
void SettingsWriteRecords(HKEY key, const wchar_t* name, std::span<const Record> records) {
    static_assert(std::is_trivially_copyable_v<Record>, "records are stored byte for byte");
    SettingsWriteBinary(key, name, records.data(), records.size_bytes());
}

// String list: subkey `subkey` of `parent` with one text per entry, named "0",
// "1", ... Reading stops at the first missing or empty entry, so an empty text
// in the middle of a written list ends the list there. Writing replaces the
// whole subkey, so no entry of a longer earlier list survives.
std::vector<std::wstring> SettingsReadStringList(HKEY parent, const wchar_t* subkey);
void SettingsWriteStringList(HKEY parent, const wchar_t* subkey, const std::vector<std::wstring>& items);

// The typed settings of app/uSettings.h, each with its own default.
inline bool SettingsRead(HKEY key, const BoolSetting& setting) {
    return SettingsReadBool(key, setting.name, setting.def);
}
inline int SettingsRead(HKEY key, const IntSetting& setting) {
    return SettingsReadInt(key, setting.name, setting.def);
}
inline COLORREF SettingsRead(HKEY key, const ColorSetting& setting) {
    return SettingsTryReadInt(key, setting.name).value_or(setting.def);
}
inline std::wstring SettingsRead(HKEY key, const TextSetting& setting) {
    return SettingsReadText(key, setting.name);
}
inline void SettingsWrite(HKEY key, const BoolSetting& setting, bool value) {
    SettingsWriteBool(key, setting.name, value);
}
inline void SettingsWrite(HKEY key, const IntSetting& setting, int value) {
    SettingsWriteInt(key, setting.name, value);
}
inline void SettingsWrite(HKEY key, const ColorSetting& setting, COLORREF value) {
    SettingsWriteInt(key, setting.name, static_cast<int>(value));
}
inline void SettingsWrite(HKEY key, const TextSetting& setting, const std::wstring& text) {
    SettingsWriteText(key, setting.name, text);
}
