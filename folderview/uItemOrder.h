#pragma once
// The order a folder view lists its items in, usable on any thread: the
// folder's comparison of one column, and among items the folder calls equal,
// their parsing names. A shell that compares names through a narrow code page
// calls many different names equal, which would leave their order to chance.

#include "shell/uCapabilities.h"

#include <windows.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// The item's name for parsing inside `folder` (a file's name), or empty.
std::wstring ItemParsingName(IShellFolder* folder, PCUITEMID_CHILD relative);

// One sort's comparison. A file-system folder's order comes through the
// capability layer, as some platforms' folders order every column by name.
// The items compared must stay alive while the object does.
class TItemOrder {
public:
    TItemOrder(IShellFolder* folder, bool fileSystemFolder, int column, bool ascending);
    // Negative when `a` goes before `b`, positive after, 0 when the folder and the names call them equal.
    int Compare(PCUITEMID_CHILD a, PCUITEMID_CHILD b);

private:
    IShellFolder* folder_;
    int column_;
    bool ascending_;
    std::unique_ptr<TFileSystemOrder> fileSystemOrder_;
};

// A stable bottom-up merge sort that only ever asks whether the right element
// sorts strictly before the left one. Unlike the standard sorts it stays in
// bounds when a shell folder's comparison is not a consistent order. Between
// merges it asks `stopped`; when that says so, it gives up and returns false,
// leaving every element in `items` in some order.
template <typename T, typename Compare, typename Stop>
bool MergeSort(std::vector<T>& items, Compare compare, Stop stopped) {
    const size_t n = items.size();
    std::vector<T> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t left = 0; left < n; left += 2 * width) {
            if (stopped()) {
                std::copy(items.begin() + static_cast<std::ptrdiff_t>(left), items.end(),
                          buffer.begin() + static_cast<std::ptrdiff_t>(left));
                items.swap(buffer);
                return false;
            }
            const size_t middle = std::min(left + width, n);
            const size_t right = std::min(left + 2 * width, n);
            size_t i = left, j = middle, k = left;
            while (i < middle && j < right) buffer[k++] = compare(items[j], items[i]) < 0 ? items[j++] : items[i++];
            while (i < middle) buffer[k++] = items[i++];
            while (j < right) buffer[k++] = items[j++];
        }
        items.swap(buffer);
    }
    return true;
}

template <typename T, typename Compare>
void MergeSort(std::vector<T>& items, Compare compare) {
    MergeSort(items, compare, [] { return false; });
}
