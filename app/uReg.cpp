#include "app/uReg.h"

#include <iterator>
#include <limits>

namespace {

std::wstring SettingsPath(std::wstring_view subkey) {
    std::wstring path = SettingsRootPath();
    if (!subkey.empty()) {
        path += L'\\';
        path += subkey;
    }
    return path;
}

// The size is asked first and the data read after; a value that grew in
// between (another instance writing) is asked for again a few times.
std::optional<std::vector<std::uint8_t>> QueryValueBytes(HKEY key, const wchar_t* name) {
    if (!key) return std::nullopt;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (size > kMaxSettingsValueBytes) return std::nullopt;
        std::vector<std::uint8_t> data(size);
        if (size == 0) return data;
        const LSTATUS status = RegQueryValueExW(key, name, nullptr, nullptr, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return data;
        }
        if (status != ERROR_MORE_DATA) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

const std::wstring& SettingsRootPath() {
    static const std::wstring path = [] {
        wchar_t buffer[512];
        const DWORD length = GetEnvironmentVariableW(kSettingsKeyVariable, buffer, 512);
        // Empty, unset or too long for a key name: the settings stay where they always are.
        if (length == 0 || length >= 512) return std::wstring(kSettingsRootPath);
        return std::wstring(buffer, length);
    }();
    return path;
}

bool SettingsOpen(std::wstring_view subkey, UniqueRegKey& key) {
    key.reset();
    return RegOpenKeyW(HKEY_CURRENT_USER, SettingsPath(subkey).c_str(), key.put()) == ERROR_SUCCESS;
}

bool SettingsCreate(std::wstring_view subkey, UniqueRegKey& key) {
    key.reset();
    return RegCreateKeyW(HKEY_CURRENT_USER, SettingsPath(subkey).c_str(), key.put()) == ERROR_SUCCESS;
}

std::wstring SettingsReadText(HKEY key, const wchar_t* name) {
    const std::optional<std::vector<std::uint8_t>> data = QueryValueBytes(key, name);
    return data ? DecodeRegText(*data) : std::wstring();
}

std::optional<std::uint32_t> SettingsTryReadInt(HKEY key, const wchar_t* name) {
    if (!key) return std::nullopt;
    // A longer value does not fit and the query fails with ERROR_MORE_DATA,
    // which is exactly the "more than four bytes is missing" rule.
    std::uint8_t buffer[4] = {};
    DWORD size = sizeof(buffer);
    if (RegQueryValueExW(key, name, nullptr, nullptr, buffer, &size) != ERROR_SUCCESS) return std::nullopt;
    return DecodeRegInt(RegBytes(buffer, size < sizeof(buffer) ? size : sizeof(buffer)));
}

int SettingsReadInt(HKEY key, const wchar_t* name, int def) {
    const std::optional<std::uint32_t> value = SettingsTryReadInt(key, name);
    return value ? static_cast<int>(*value) : def;
}

bool SettingsReadBool(HKEY key, const wchar_t* name, bool def) {
    const std::optional<std::uint32_t> value = SettingsTryReadInt(key, name);
    return value ? (*value & 0xFF) != 0 : def;
}

std::vector<std::uint8_t> SettingsReadBinary(HKEY key, const wchar_t* name) {
    return QueryValueBytes(key, name).value_or(std::vector<std::uint8_t>());
}

void SettingsWriteInt(HKEY key, const wchar_t* name, int value) {
    if (!key) return;
    const auto data = static_cast<DWORD>(value);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

void SettingsWriteBool(HKEY key, const wchar_t* name, bool value) {
    SettingsWriteInt(key, name, value ? 1 : 0);
}

void SettingsWriteText(HKEY key, const wchar_t* name, const std::wstring& text) {
    if (!key || text.size() > std::numeric_limits<DWORD>::max() / sizeof(wchar_t)) return;
    // The system peeks at the character after the counted data of a REG_SZ and
    // stores it too when it is a NUL; c_str() guarantees that peek stays inside
    // our buffer.
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

void SettingsWriteBinary(HKEY key, const wchar_t* name, const void* data, std::size_t bytes) {
    if (!key || bytes > std::numeric_limits<DWORD>::max()) return;
    // An empty array may come with a null pointer, which the system refuses.
    static const BYTE none = 0;
    const BYTE* from = bytes ? static_cast<const BYTE*>(data) : &none;
    RegSetValueExW(key, name, 0, REG_BINARY, from, static_cast<DWORD>(bytes));
}

LONG SettingsDeleteTree(HKEY parent, const wchar_t* subkey) {
    if (!parent) return ERROR_INVALID_HANDLE;
    if (!subkey || !*subkey) return ERROR_INVALID_PARAMETER;
    {
        UniqueRegKey key;
        LONG status = RegOpenKeyExW(parent, subkey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, key.put());
        if (status != ERROR_SUCCESS) return status;
        // Always index 0: each deletion moves the next subkey to the front.
        for (;;) {
            wchar_t name[260];
            DWORD length = static_cast<DWORD>(std::size(name));
            status = RegEnumKeyExW(key.get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            if (status != ERROR_SUCCESS) return status;
            status = SettingsDeleteTree(key.get(), name);
            if (status != ERROR_SUCCESS) return status;
        }
    }
    return RegDeleteKeyW(parent, subkey);
}

std::vector<std::wstring> SettingsReadStringList(HKEY parent, const wchar_t* subkey) {
    std::vector<std::wstring> items;
    UniqueRegKey key;
    if (!parent || RegOpenKeyExW(parent, subkey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return items;
    for (unsigned index = 0;; ++index) {
        std::wstring text = SettingsReadText(key.get(), std::to_wstring(index).c_str());
        if (text.empty()) break;
        items.push_back(std::move(text));
    }
    return items;
}

void SettingsWriteStringList(HKEY parent, const wchar_t* subkey, const std::vector<std::wstring>& items) {
    if (!parent || !subkey || !*subkey) return;
    // A tree delete, not a plain one: a plain delete fails on a key that has a
    // subkey of its own, and the old entries would then outlive the new list.
    SettingsDeleteTree(parent, subkey);
    UniqueRegKey key;
    if (RegCreateKeyW(parent, subkey, key.put()) != ERROR_SUCCESS) return;
    for (std::size_t index = 0; index < items.size(); ++index)
        SettingsWriteText(key.get(), std::to_wstring(index).c_str(), items[index]);
}
