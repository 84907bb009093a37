#include "app/UtilClass.h"

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "app/uReg.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <utility>

namespace {

// The scans stop at the range's ends even when the comparison never answers
// "not less" or "not greater": a comparison that is not a strict order (a
// shell folder failing a compare, say) must cost order, never memory.
void QuickSort(void** items, int low, int high, TList::CompareFn compare) {
    while (low < high) {
        void* pivot = items[low + (high - low) / 2];
        int i = low;
        int j = high;
        while (i <= j) {
            while (i < high && compare(items[i], pivot) < 0) ++i;
            while (j > low && compare(items[j], pivot) > 0) --j;
            if (i <= j) {
                std::swap(items[i], items[j]);
                ++i;
                --j;
            }
        }
        // Recursing into the smaller part keeps the stack depth logarithmic.
        if (j - low < high - i) {
            QuickSort(items, low, j, compare);
            low = i;
        } else {
            QuickSort(items, i, high, compare);
            high = j;
        }
    }
}

void MergeSort(void** items, int count, void** buffer, TList::StableCompareFn compare, LPARAM context) {
    if (count < 2) return;
    int half = count / 2;
    MergeSort(items, half, buffer, compare, context);
    MergeSort(items + half, count - half, buffer, compare, context);
    std::copy(items, items + half, buffer);
    int left = 0;
    int right = half;
    int out = 0;
    while (left < half && right < count) {
        if (compare(buffer[left], items[right], context) > 0)
            items[out++] = items[right++];
        else
            items[out++] = buffer[left++];
    }
    std::copy(buffer + left, buffer + half, items + out);
}

int ToInt(void* item) { return static_cast<int>(reinterpret_cast<intptr_t>(item)); }

int CompareSigned(void* a, void* b) {
    int x = ToInt(a);
    int y = ToInt(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

int CompareUnsigned(void* a, void* b) {
    auto x = static_cast<unsigned>(ToInt(a));
    auto y = static_cast<unsigned>(ToInt(b));
    return x < y ? -1 : x > y ? 1 : 0;
}

// Registry streams through the documented wide function: shell32's ordinal 85 is ANSI-only on Wine and misnames the value.
ComPtr<IStream> OpenValueStream(HKEY parent, const wchar_t* subkey, const std::wstring& name, DWORD mode) {
    return ComPtr<IStream>::attach(SHOpenRegStream2W(parent, subkey, name.c_str(), mode));
}

}  // namespace

TList::~TList() { TList::Clear(); }

int TList::Add(void* item) {
    if (count_ == Capacity()) Grow();
    if (count_ == Capacity()) return -1;
    int index = count_++;
    items_[index] = item;
    if (item) Notify(item, Added);
    return index;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > count_) return;
    if (count_ == Capacity()) Grow();
    if (count_ == Capacity()) return;
    std::move_backward(items_.begin() + index, items_.begin() + count_, items_.begin() + count_ + 1);
    items_[index] = item;
    ++count_;
    if (item) Notify(item, Added);
}

void TList::Delete(int index) {
    if (index < 0 || index >= count_) return;
    void* item = items_[index];
    std::move(items_.begin() + index + 1, items_.begin() + count_, items_.begin() + index);
    items_[--count_] = nullptr;
    if (item) Notify(item, Removed);
}

void TList::Exchange(int a, int b) {
    if (a < 0 || a >= count_ || b < 0 || b >= count_) return;
    std::swap(items_[a], items_[b]);
}

void* TList::Get(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return items_[index];
}

void TList::SetCapacity(int capacity) {
    if (capacity < count_ || capacity > MaxCapacity || capacity == Capacity()) return;
    try {
        items_.resize(capacity);
        items_.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        // resize() left the entries as they were.
    }
}

void TList::SetCount(int count) {
    if (count < 0 || count > MaxCapacity) return;
    if (count > Capacity()) SetCapacity(count);
    if (count > Capacity()) return;
    while (count_ > count) Delete(count_ - 1);
    while (count_ < count) items_[count_++] = nullptr;
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TList::Sort(CompareFn compare) {
    if (compare && count_ > 1) QuickSort(items_.data(), 0, count_ - 1, compare);
}

void TList::StableSort(StableCompareFn compare, LPARAM context) {
    if (!compare || count_ < 2) return;
    std::vector<void*> buffer;
    try {
        buffer.resize(count_);
    } catch (const std::bad_alloc&) {
        return;
    }
    MergeSort(items_.data(), count_, buffer.data(), compare, context);
}

void TList::Grow() {
    int capacity = Capacity();
    int delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    SetCapacity(std::min(capacity + delta, MaxCapacity));
}

void TList::Notify(void*, Action) {}

int TIntegerList::Add(int value) { return TList::Add(reinterpret_cast<void*>(static_cast<intptr_t>(value))); }

int TIntegerList::Get(int index) const { return ToInt(TList::Get(index)); }

void TIntegerList::Sort() { TList::Sort(unsigned_ ? CompareUnsigned : CompareSigned); }

// The base destructor can no longer reach this class's Notify, so the owned
// entries are freed here.
TPIDLList::~TPIDLList() { Clear(); }

LPITEMIDLIST TPIDLList::Get(int index) const { return static_cast<LPITEMIDLIST>(TList::Get(index)); }

int TPIDLList::Add(LPITEMIDLIST pidl) { return TList::Add(pidl); }

void TPIDLList::InsertFirst(LPITEMIDLIST pidl) { Insert(0, pidl); }

void TPIDLList::Notify(void* item, Action action) {
    if (owns_ && action == Removed) {
        auto pidl = static_cast<LPITEMIDLIST>(item);
        PIDLFree(pidl);
    }
}

void TPIDLList::SaveList(HKEY parent, const wchar_t* subkey) const {
    SettingsDeleteTree(parent, subkey);
    UniqueRegKey key;
    if (RegCreateKeyW(parent, subkey, key.put()) != ERROR_SUCCESS) return;
    SettingsWriteInt(key.get(), L"Count", Count());
    for (int i = 0; i < Count(); ++i) {
        // The stream stores its bytes as REG_BINARY when it is released.
        if (ComPtr<IStream> stream = OpenValueStream(parent, subkey, std::to_wstring(i), STGM_WRITE))
            PIDLWriteStream(stream.get(), Get(i));
    }
}

void TPIDLList::LoadList(HKEY parent, const wchar_t* subkey) {
    UniqueRegKey key;
    if (RegOpenKeyExW(parent, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    int count = SettingsReadInt(key.get(), L"Count", 0);
    for (int i = 0; i < count; ++i) {
        std::wstring name = std::to_wstring(i);
        // Wine hands out an empty stream even for a missing value, so the
        // value is looked up first; stopping there also bounds a damaged Count.
        DWORD type = REG_NONE;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) break;
        // A value of another type was not written by us; it is passed over like an unreadable entry.
        if (type != REG_BINARY) continue;
        ComPtr<IStream> stream = OpenValueStream(key.get(), nullptr, name, STGM_READ);
        if (!stream) break;
        UniquePidl pidl;
        if (SUCCEEDED(PIDLReadStream(stream.get(), *pidl.put())) && pidl && Add(pidl.get()) >= 0) pidl.release();
    }
}
