// Stored key tables: the list-scope table and the whole-program accelerator
// table, any bytes at all, and the texts shown for what they hold.

#include "FuzzCheck.h"

#include "input/uKeyTable.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    const std::vector<TKeyCommand> keys = DecodeListKeys(bytes);
    FUZZ_CHECK(keys.size() <= std::min(size / sizeof(TKeyCommand), kMaxKeyBindings));
    for (const TKeyCommand& entry : keys) {
        FUZZ_CHECK(entry.Command != 0);
        FUZZ_CHECK((entry.Key & 0xFF) != 0 && (entry.Key & ~(0xFF | kPackedModifiers)) == 0);
        const std::optional<std::uint16_t> command = FindListCommand(keys, entry.Key);
        FUZZ_CHECK(command.has_value());
        // First match wins: the command found is that of the first entry with the key.
        FUZZ_CHECK(*command == std::find_if(keys.begin(), keys.end(), [&](const TKeyCommand& k) {
                                   return k.Key == entry.Key;
                               })->Command);
        // A key without a name shows its modifiers only.
        const bool named = KeyItemIndex(entry.Key & 0xFF).has_value();
        FUZZ_CHECK(KeyText(entry.Key).empty() == (!named && (entry.Key & kPackedModifiers) == 0));
    }

    const std::optional<std::vector<TStoredAccel>> accels = DecodeAccels(bytes);
    // Empty data is an empty table; any other data without one sound entry,
    // a partial record included, is damaged.
    if (size == 0) FUZZ_CHECK(accels && accels->empty());
    if (accels) {
        FUZZ_CHECK(accels->size() <= std::min(size / sizeof(TStoredAccel), kMaxKeyBindings));
        FUZZ_CHECK(size == 0 || !accels->empty());
        for (const TStoredAccel& entry : *accels) {
            FUZZ_CHECK(entry.zero == 0 && entry.key != 0);
            const std::uint16_t packed = PackedKeyFromAccel(entry.fVirt, entry.key);
            FUZZ_CHECK((packed & ~(0xFF | kPackedModifiers)) == 0);
            FUZZ_CHECK(AccelKeyText(entry.fVirt, entry.key) == KeyText(packed));
            // The dialog's entry for the same key names the same key again.
            const TStoredAccel remade = AccelFromPacked(packed, entry.cmd);
            FUZZ_CHECK(PackedKeyFromAccel(remade.fVirt, remade.key) == packed && remade.cmd == entry.cmd);
        }
    }

    // Every packed code the data can name has a text, and only the key byte 0 reads "none".
    for (std::size_t i = 0; i + 1 < size && i < 64; i += 2) {
        const auto packed = static_cast<std::uint16_t>(data[i] | (data[i + 1] << 8));
        const std::wstring text = KeyText(packed);
        FUZZ_CHECK((packed & 0xFF) == 0 ? text == KeyText(0) : text != KeyText(0));
        if (const std::optional<std::size_t> index = KeyItemIndex(packed & 0xFF))
            FUZZ_CHECK(*index < KeyItems().size() && KeyItems()[*index].Key == (packed & 0xFF));
    }
    return 0;
}
