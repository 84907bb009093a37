#include "app/uPIDLWalk.h"

#include <cstring>

namespace {

USHORT ReadCount(const BYTE* at) {
    USHORT count;
    std::memcpy(&count, at, sizeof(count));
    return count;
}

const BYTE* Bytes(LPCITEMIDLIST list) { return reinterpret_cast<const BYTE*>(list); }

}  // namespace

// The terminator has no successor: answering null there keeps a careless
// walk from spinning on the same item forever.
LPITEMIDLIST PIDLNext(LPCITEMIDLIST item) {
    if (!item || item->mkid.cb == 0) return nullptr;
    return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(Bytes(item) + item->mkid.cb));
}

UINT PIDLSize(LPCITEMIDLIST list) {
    if (!list) return 0;
    UINT size = sizeof(USHORT);
    for (LPCITEMIDLIST item = list; item->mkid.cb; item = PIDLNext(item)) size += item->mkid.cb;
    return size;
}

int PIDLCount(LPCITEMIDLIST list) {
    if (!list) return 0;
    int count = 0;
    for (LPCITEMIDLIST item = list; item->mkid.cb; item = PIDLNext(item)) ++count;
    return count;
}

LPITEMIDLIST PIDLLast(LPCITEMIDLIST list) {
    if (!list) return nullptr;
    LPCITEMIDLIST last = list;
    for (LPCITEMIDLIST item = list; item->mkid.cb; item = PIDLNext(item)) last = item;
    return const_cast<LPITEMIDLIST>(last);
}

void PIDLRemoveLast(LPITEMIDLIST list) {
    if (LPITEMIDLIST last = PIDLLast(list)) last->mkid.cb = 0;
}

bool PIDLIsValid(const void* data, std::size_t bytes) {
    if (!data) return false;
    const BYTE* at = static_cast<const BYTE*>(data);
    std::size_t offset = 0;
    while (bytes - offset >= sizeof(USHORT)) {
        USHORT count = ReadCount(at + offset);
        if (count == 0) return true;
        // An item must hold its own count field and leave room for the terminator.
        if (count < sizeof(USHORT) || count > bytes - offset - sizeof(USHORT)) return false;
        offset += count;
    }
    return false;
}

// A list that overruns or ends before its stored size was not written by us,
// and cutting it short would name some other folder than the one saved.
bool PIDLIsStoredList(const void* data, std::size_t bytes) {
    return PIDLIsValid(data, bytes) && PIDLSize(static_cast<LPCITEMIDLIST>(data)) == bytes;
}
