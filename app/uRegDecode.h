#pragma once
// Turns the raw bytes of a stored setting into the program's value kinds.
// Values are read without looking at their registry type, so any bytes at all
// may arrive here; every decoder stays inside the data it is given. Free of the
// platform headers so the rules can be built and checked on any host.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

using RegBytes = std::span<const std::uint8_t>;

// Data of up to four bytes is a little-endian integer, zero-extended; anything
// longer is not an integer setting at all, whatever its type.
inline std::optional<std::uint32_t> DecodeRegInt(RegBytes data) {
    if (data.size() > 4) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i) value |= std::uint32_t{data[i]} << (8 * i);
    return value;
}

// Only the low byte decides, so 256 is false.
inline std::optional<bool> DecodeRegBool(RegBytes data) {
    std::optional<std::uint32_t> value = DecodeRegInt(data);
    if (!value) return std::nullopt;
    return (*value & 0xFF) != 0;
}

// UTF-16LE up to the first NUL or the end of the data. Texts written by this
// program carry no terminator, other software's usually do; a trailing odd byte
// is half a character and is dropped.
inline std::wstring DecodeRegText(RegBytes data) {
    std::wstring text;
    const std::size_t units = data.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

// As many whole records as the data holds; a partial record at the end is
// ignored rather than read past the data.
template <typename Record>
std::vector<Record> DecodeRegRecords(RegBytes data) {
    static_assert(std::is_trivially_copyable_v<Record> && std::is_default_constructible_v<Record>,
                  "records are copied byte for byte");
    // Any byte value may be stored, and a bool holding other than 0 or 1 is undefined.
    static_assert(!std::is_same_v<Record, bool>, "use std::uint8_t for one-byte flags");
    std::vector<Record> records(data.size() / sizeof(Record));
    if (!records.empty()) std::memcpy(records.data(), data.data(), records.size() * sizeof(Record));
    return records;
}
