// Settings values as they come back from the registry: any bytes under any
// type, decoded as integers, flags, texts and record arrays.

#include "FuzzCheck.h"

#include "app/uRegDecode.h"
#include "folderview/uViewStates.h"
#include "input/uKeyTable.h"

#include <cstring>

namespace {

template <typename Record>
void CheckRecords(RegBytes bytes) {
    const std::vector<Record> records = DecodeRegRecords<Record>(bytes);
    FUZZ_CHECK(records.size() == bytes.size() / sizeof(Record));
    if (!records.empty()) FUZZ_CHECK(std::memcmp(records.data(), bytes.data(), records.size() * sizeof(Record)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RegBytes bytes(data, size);

    const std::optional<std::uint32_t> value = DecodeRegInt(bytes);
    FUZZ_CHECK(value.has_value() == (size <= 4));
    if (value && size < 4) FUZZ_CHECK(*value >> (8 * size) == 0);

    const std::optional<bool> flag = DecodeRegBool(bytes);
    FUZZ_CHECK(flag.has_value() == value.has_value());
    if (flag) FUZZ_CHECK(*flag == (size > 0 && data[0] != 0));

    const std::wstring text = DecodeRegText(bytes);
    FUZZ_CHECK(text.size() <= size / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(text[i] != 0);
        FUZZ_CHECK(static_cast<std::uint32_t>(text[i]) == static_cast<std::uint32_t>(data[2 * i] | (data[2 * i + 1] << 8)));
    }
    // The text ends at a NUL unit or at the last whole unit.
    if (text.size() < size / 2) FUZZ_CHECK(data[2 * text.size()] == 0 && data[2 * text.size() + 1] == 0);

    CheckRecords<std::uint8_t>(bytes);
    CheckRecords<std::int32_t>(bytes);
    CheckRecords<TColumnState>(bytes);
    CheckRecords<TKeyCommand>(bytes);
    CheckRecords<TStoredAccel>(bytes);
    return 0;
}
