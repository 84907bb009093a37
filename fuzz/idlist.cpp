// ID lists and ID-list lists as they are stored: each value a 16-bit size and
// then one list, several of them back to back in one stream. Every list the
// checks let through is walked, cut and compared with the view states' own
// reading of the same bytes.

#include "FuzzCheck.h"

#include "app/uPIDLWalk.h"
#include "folderview/uViewStates.h"

#include <cstring>
#include <vector>

namespace {

// A list the stored check accepted: the walks stay inside it and agree.
void WalkStoredList(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly its size, so AddressSanitizer sees any step past it.
    std::vector<std::uint8_t> copy(data, data + size);
    auto list = reinterpret_cast<LPITEMIDLIST>(copy.data());
    FUZZ_CHECK(PIDLSize(list) == size);
    const int count = PIDLCount(list);
    const std::optional<int> viewStateCount = IDListItemCount(std::span<const std::uint8_t>(data, size));
    FUZZ_CHECK(viewStateCount && *viewStateCount == count);

    int walked = 0;
    for (LPCITEMIDLIST item = list; item; item = PIDLNext(item)) {
        if (item->mkid.cb) ++walked;
    }
    FUZZ_CHECK(walked == count);

    LPITEMIDLIST last = PIDLLast(list);
    FUZZ_CHECK(last != nullptr);
    const std::size_t parentBytes = reinterpret_cast<std::uint8_t*>(last) - copy.data();
    PIDLRemoveLast(list);
    FUZZ_CHECK(PIDLCount(list) == (count > 0 ? count - 1 : 0));
    FUZZ_CHECK(PIDLSize(list) == (count > 0 ? parentBytes + sizeof(USHORT) : size));
    FUZZ_CHECK(PIDLIsValid(copy.data(), copy.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The whole input as one block, as a shared block or a buffer arrives.
    {
        std::vector<std::uint8_t> copy(data, data + size);
        const bool valid = PIDLIsValid(copy.data(), copy.size());
        const bool stored = PIDLIsStoredList(copy.data(), copy.size());
        FUZZ_CHECK(!stored || valid);
        FUZZ_CHECK(stored == IDListItemCount(std::span<const std::uint8_t>(data, size)).has_value());
        if (valid) {
            const UINT listSize = PIDLSize(reinterpret_cast<LPCITEMIDLIST>(copy.data()));
            FUZZ_CHECK(listSize <= size);
            FUZZ_CHECK(PIDLIsStoredList(copy.data(), listSize));
            WalkStoredList(data, listSize);
        }
    }

    // The same bytes as a stream of stored lists, read in step as a value of an
    // ID-list list is: a rejected list still consumes its stored size.
    std::size_t at = 0;
    while (size - at >= sizeof(USHORT)) {
        USHORT stored;
        std::memcpy(&stored, data + at, sizeof(stored));
        at += sizeof(stored);
        if (stored == 0) continue;
        if (stored > size - at) break;
        const std::vector<std::uint8_t> value(data + at, data + at + stored);
        if (PIDLIsStoredList(value.data(), value.size())) WalkStoredList(value.data(), value.size());
        at += stored;
    }
    return 0;
}
