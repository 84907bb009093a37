// The folder view's item model: enumeration, the display filter, sorting,
// inserting, and the full, re-sorting and merging refreshes.

#include "folderview/wFolderView.h"

#include "folderview/uFillJob.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemOrder.h"
#include "shell/uCapabilities.h"

#include <shlwapi.h>

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace {

constexpr ULONG kEnumBatch = 64;

}  // namespace

HRESULT TFolderView::Enumerate(HWND owner, std::vector<UniqueChildPidl>& items) const {
    ComPtr<IEnumIDList> enumerator;
    const HRESULT hr = Folder->EnumObjects(owner, FolderViewConfig().EnumFlags(), enumerator.put());
    if (hr != S_OK) return hr;
    if (!enumerator) return E_FAIL;
    PITEMID_CHILD batch[kEnumBatch];
    bool listedAny = false;  // before the filter
    for (;;) {
        ULONG fetched = 0;
        const HRESULT next = enumerator->Next(kEnumBatch, batch, &fetched);
        if (FAILED(next)) break;
        for (ULONG i = 0; i < fetched && i < kEnumBatch; ++i) {
            UniqueChildPidl item(batch[i]);
            listedAny = listedAny || item;
            if (item && PassesFilter(item.get())) items.push_back(std::move(item));
        }
        if (next != S_OK || fetched == 0) break;
    }
    return listedAny ? S_OK : EmptyListingResult(AbsoluteIDList);
}

bool TFolderView::PassesFilter(PCUITEMID_CHILD relative) const {
    if (DisplayFilter().empty()) return true;
    std::wstring name;
    if (!InFolderNames || !InFolderNames->Name(relative, name)) name.clear();
    return DisplayFilterAccepts(name);
}

void TFolderView::SortIDLists(std::vector<PITEMID_CHILD>& lists, int column, bool ascending) const {
    TItemOrder order(Folder2 ? static_cast<IShellFolder*>(Folder2.get()) : Folder.get(), FileSystemFolder, column,
                     ascending);
    MergeSort(lists, [&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) { return order.Compare(a, b); });
}

std::wstring TFolderView::ParsingName(PCUITEMID_CHILD relative) const {
    return ItemParsingName(Folder.get(), relative);
}

bool TFolderView::SameItem(PCUITEMID_CHILD a, PCUITEMID_CHILD b) const {
    const HRESULT hr = Folder->CompareIDs(0, a, b);
    if (FAILED(hr) || HRESULT_CODE(hr) != 0) return false;
    // The folder's word is checked against the names, which it may have
    // compared through a narrow code page.
    const std::wstring nameA = ParsingName(a);
    const std::wstring nameB = ParsingName(b);
    return nameA.empty() || nameB.empty() || SameParsingName(nameA, nameB);
}

bool SameParsingName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

int TFolderView::ItemCount() const { return ListView_GetItemCount(ListView); }

PCUITEMID_CHILD TFolderView::ItemIDList(int index) const {
    if (index < 0) return nullptr;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!ListView_GetItem(ListView, &item)) return nullptr;
    return ItemOfParam(item.lParam);
}

int TFolderView::FindItem(PCUITEMID_CHILD relative) const {
    if (!relative || !Folder) return -1;
    const std::wstring wanted = ParsingName(relative);
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        PCUITEMID_CHILD item = ItemIDList(i);
        if (!item) continue;
        const HRESULT hr = Folder->CompareIDs(0, item, relative);
        if (FAILED(hr) || HRESULT_CODE(hr) != 0) continue;
        if (wanted.empty() || SameParsingName(ParsingName(item), wanted)) return i;
    }
    // A list built from a path alone may not compare equal to the item's own
    // (a folder typed as a file); its parsing name still finds the item.
    return wanted.empty() ? -1 : FindItemByParsingName(wanted);
}

int TFolderView::FindItemByParsingName(const std::wstring& name) const {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        if (SameParsingName(ParsingName(ItemIDList(i)), name)) return i;
    }
    return -1;
}

int TFolderView::InsertItem(PITEMID_CHILD relative, UINT state) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    if (state) item.mask |= LVIF_STATE;
    item.iItem = INT_MAX;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    item.lParam = reinterpret_cast<LPARAM>(relative);
    item.state = state;
    item.stateMask = state;
    // The slot must exist before the list can ask for the item's picture.
    if (ViewMode == 4) Thumbs.emplace_back();
    const int index = ListView_InsertItem(ListView, &item);
    if (index < 0) {
        PIDLFree(relative);
        if (ViewMode == 4) Thumbs.pop_back();
    }
    return index;
}

// Re-sorting rewrites the items in place (ID list and state) instead of
// moving them with the list view's own sort.
void TFolderView::SortItems() {
    // The fill puts its items in the order asked for when it ends.
    if (Filling()) {
        fill_.resortAfter = true;
        return;
    }
    struct Entry {
        PITEMID_CHILD list;
        UINT state;
    };
    constexpr UINT kKeptStates = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT;
    const int count = ItemCount();
    std::vector<Entry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        entries.push_back({const_cast<PITEMID_CHILD>(ItemIDList(i)),
                           ListView_GetItemState(ListView, i, kKeptStates)});
    }
    Sorting = true;
    TItemOrder order(Folder2 ? static_cast<IShellFolder*>(Folder2.get()) : Folder.get(), FileSystemFolder,
                     SortColumn, SortAscending);
    MergeSort(entries, [&](const Entry& a, const Entry& b) { return order.Compare(a.list, b.list); });
    Sorting = false;
    SendMessageW(ListView, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < count; ++i) {
        LVITEMW item{};
        item.mask = LVIF_PARAM | LVIF_STATE | LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.lParam = reinterpret_cast<LPARAM>(entries[i].list);
        item.state = entries[i].state;
        item.stateMask = kKeptStates | LVIS_OVERLAYMASK;
        item.pszText = LPSTR_TEXTCALLBACKW;
        item.iImage = I_IMAGECALLBACK;
        ListView_SetItem(ListView, &item);
        for (size_t sub = 1; sub < Columns.size(); ++sub)
            ListView_SetItemText(ListView, i, static_cast<int>(sub), LPSTR_TEXTCALLBACKW);
    }
    SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(ListView, nullptr, TRUE);
}

void TFolderView::ResetItem(int index) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = index;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = I_IMAGECALLBACK;
    item.state = 0;
    item.stateMask = LVIS_OVERLAYMASK | LVIS_CUT;
    ListView_SetItem(ListView, &item);
    // A changed item's picture is extracted again.
    if (ViewMode == 4 && index >= 0 && static_cast<size_t>(index) < Thumbs.size()) Thumbs[index] = TThumbSlot();
    if (ViewMode == 3) {
        for (size_t sub = 1; sub < Columns.size(); ++sub)
            ListView_SetItemText(ListView, index, static_cast<int>(sub), LPSTR_TEXTCALLBACKW);
    }
}

void TFolderView::SetItemIDList(int index, PITEMID_CHILD relative) {
    PITEMID_CHILD old = const_cast<PITEMID_CHILD>(ItemIDList(index));
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = reinterpret_cast<LPARAM>(relative);
    if (!ListView_SetItem(ListView, &item)) {
        PIDLFree(relative);
        return;
    }
    PIDLFree(old);
}

void TFolderView::DeleteItemAt(int index) {
    ListView_DeleteItem(ListView, index);
    if (index >= 0 && static_cast<size_t>(index) < Thumbs.size()) Thumbs.erase(Thumbs.begin() + index);
}

void TFolderView::RefreshView(int mode) {
    switch (mode) {
    case RefreshFull:
        RemoveAllTasks();
        FullRefresh();
        break;
    case RefreshResort:
        if (ViewMode == 4) RecreateThumbs();
        SortItems();
        break;
    case RefreshMerge:
        MergeRefresh();
        break;
    default:
        return;
    }
    RestartStatusTimer();
}

// The folder is listed again in the background, and what was selected and
// focused, and the scroll position, are put back once it is complete.
void TFolderView::FullRefresh() {
    if (!Folder) return;
    auto restore = std::make_unique<RefreshRestore>();
    for (int i = ListView_GetNextItem(ListView, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(ListView, i, LVNI_SELECTED)) {
        restore->selected.emplace_back(PIDLClone(ItemIDList(i)));
    }
    restore->focusedIndex = ListView_GetNextItem(ListView, -1, LVNI_FOCUSED);
    restore->focused.reset(PIDLClone(ItemIDList(restore->focusedIndex)));
    const int top = ListView_GetTopIndex(ListView);
    restore->position = top + (top != 0 ? ListView_GetCountPerPage(ListView) - 1 : 0);
    StartFill(false, nullptr, false, nullptr, true, std::move(restore));
}

void TFolderView::RestoreAfterRefresh(const RefreshRestore& restore) {
    const int count = ItemCount();
    ListView_SetItemState(ListView, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (restore.focusedIndex >= 0 && count > 0) {
        int index = FindItem(restore.focused.get());
        if (index < 0) index = std::min(restore.focusedIndex, count - 1);
        ListView_SetItemState(ListView, index, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    for (const UniqueChildPidl& list : restore.selected) {
        const int index = FindItem(list.get());
        if (index >= 0) ListView_SetItemState(ListView, index, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (restore.position != 0 && count > 0)
        ListView_EnsureVisible(ListView, std::min(restore.position, count - 1), FALSE);
}

void TFolderView::MergeRefresh() {
    if (!Folder) return;
    // The fill lists the folder as it is now; the changes that come meanwhile
    // are applied when it ends.
    if (Filling()) return;
    SendMessageW(ListView, WM_SETREDRAW, FALSE, 0);
    std::vector<UniqueChildPidl> items;
    if (Enumerate(nullptr, items) != S_OK) {
        SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
        FallBackToParent(true, true);
        return;
    }
    // Items are paired by their parsing names, which name an item inside its
    // folder uniquely; an item without one pairs only with identical bytes.
    auto key = [&](std::wstring name, PCUITEMID_CHILD list) {
        if (name.empty()) {
            const auto* bytes = reinterpret_cast<const wchar_t*>(list);
            return std::wstring(L"\1") + std::wstring(bytes, bytes + PIDLSize(list) / sizeof(wchar_t));
        }
        CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
        return name;
    };
    struct Current {
        int index;
        std::wstring name;
        bool matched;
    };
    const int count = ItemCount();
    std::unordered_map<std::wstring, Current> current;
    current.reserve(count);
    for (int i = 0; i < count; ++i) {
        PCUITEMID_CHILD list = ItemIDList(i);
        std::wstring name = ParsingName(list);
        std::wstring itemKey = key(name, list);
        current.emplace(std::move(itemKey), Current{i, std::move(name), false});
    }
    std::vector<PITEMID_CHILD> added;
    for (UniqueChildPidl& item : items) {
        const std::wstring name = ParsingName(item.get());
        auto found = current.find(key(name, item.get()));
        if (found == current.end() || found->second.matched) {
            added.push_back(item.release());
            continue;
        }
        Current& entry = found->second;
        entry.matched = true;
        const bool renamed = entry.name != name;
        SetItemIDList(entry.index, item.release());
        // Only the letter case changed: the list still shows the old name.
        if (renamed) ResetItem(entry.index);
    }
    items.clear();
    SortIDLists(added, 0, true);
    for (PITEMID_CHILD list : added) InsertItem(list, 0);

    std::vector<int> gone;
    for (const auto& [name, entry] : current)
        if (!entry.matched) gone.push_back(entry.index);
    std::sort(gone.begin(), gone.end(), std::greater<int>());
    for (int index : gone) DeleteItemAt(index);
    ListView_Arrange(ListView, LVA_DEFAULT);
    SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(ListView, nullptr, TRUE);
}
