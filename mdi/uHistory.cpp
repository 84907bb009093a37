// The back and forward history of a child window.

#include "app/Global.h"
#include "app/Handles.h"
#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "folderview/wFolderView.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"

#include <string>

namespace {

// Restores HistoryPaused when a history step has navigated.
class HistoryPause {
public:
    explicit HistoryPause(TMDIChildView& view) : view_(view), was_(view.HistoryPaused) { view_.HistoryPaused = true; }
    ~HistoryPause() { view_.HistoryPaused = was_; }
    HistoryPause(const HistoryPause&) = delete;
    HistoryPause& operator=(const HistoryPause&) = delete;

private:
    TMDIChildView& view_;
    bool was_;
};

// The entry for where the child stands now; null for a folder view that shows
// no folder yet.
std::unique_ptr<THistoryEntry> CurrentLocation(const TMDIChildView& view) {
    auto entry = std::make_unique<THistoryEntry>();
    entry->kind = view.ContentKind;
    if (view.ContentKind == ContentSearch) return entry;
    const TFolderView* folderView = view.FolderView.get();
    if (!folderView || !folderView->AbsoluteIDList) return nullptr;
    entry->folder.reset(PIDLClone(folderView->AbsoluteIDList));
    if (!entry->folder) return nullptr;
    if (PCUITEMID_CHILD focused = folderView->FocusedItem()) entry->focusedItem.reset(PIDLClone(focused));
    return entry;
}

}  // namespace

// ---------------------------------------------------------------------------
// THistoryList

THistoryList::~THistoryList() { THistoryList::Clear(); }

void THistoryList::InsertFront(std::unique_ptr<THistoryEntry> entry) {
    if (!entry) return;
    const int before = Count();
    Insert(0, entry.get());
    if (Count() == before) return;
    entry.release();
    if (Count() > MaxEntries) DeleteEntry(MaxEntries);
}

std::unique_ptr<THistoryEntry> THistoryList::TakeFront() {
    if (Count() == 0) return nullptr;
    std::unique_ptr<THistoryEntry> entry(Entry(0));
    Delete(0);
    return entry;
}

void THistoryList::DeleteEntry(int index) {
    if (index < 0 || index >= Count()) return;
    std::unique_ptr<THistoryEntry> entry(Entry(index));
    Delete(index);
}

void THistoryList::Clear() {
    for (int i = 0; i < Count(); ++i) std::unique_ptr<THistoryEntry> entry(Entry(i));
    TList::Clear();
}

// ---------------------------------------------------------------------------
// Recording and stepping

void PushHistory(TMDIChildView& view) {
    if (view.HistoryPaused) return;
    std::unique_ptr<THistoryEntry> here = CurrentLocation(view);
    if (!here) return;
    view.ForwardList.Clear();
    view.BackList.InsertFront(std::move(here));
}

void GoHistory(TMDIChildView& view, int n, bool back) {
    THistoryList& source = back ? view.BackList : view.ForwardList;
    THistoryList& destination = back ? view.ForwardList : view.BackList;
    const THistoryEntry* target = source.Entry(n);
    if (n < 0 || !target) return;
    if (view.NavigateLock) {
        if (target->kind == ContentFolder)
            OpenChildWindow(PIDLClone(target->folder.get()), true, target->focusedItem.get(), ContentFolder);
        return;
    }
    if (target->kind == ContentFolder && FindOpenFolder(target->folder.get(), true, target->focusedItem.get()))
        return;

    destination.InsertFront(CurrentLocation(view));
    // The skipped entries go over one by one, so the one nearest the target
    // ends up at the front of the destination.
    for (int i = 0; i < n; ++i) destination.InsertFront(source.TakeFront());
    std::unique_ptr<THistoryEntry> entry = source.TakeFront();

    RefreshHistoryButtons();
    SetContentKind(view, entry->kind, false);
    if (entry->kind == ContentFolder) {
        HistoryPause pause(view);
        view.EnsureFolderView().BrowseTo(entry->folder.release(), true, entry->focusedItem.get());
    }
}

HMENU BuildHistoryMenu(const THistoryList& list) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (int i = 0; i < list.Count(); ++i) {
        const THistoryEntry* entry = list.Entry(i);
        std::wstring text = entry->kind == ContentSearch ? std::wstring(kSearchResultsText)
                                                         : PIDLDisplayName(entry->folder.get());
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i) + 1, EscapeAmpersands(text).c_str());
    }
    return menu;
}

void HistoryMenu(TMDIChildView& view, bool back, POINT screenPoint) {
    const THistoryList& list = back ? view.BackList : view.ForwardList;
    if (list.Count() == 0) return;
    UniqueMenu menu(BuildHistoryMenu(list));
    if (!menu) return;
    HWND owner = FrameLink().window ? FrameLink().window : view.Window;
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                                         screenPoint.y, owner, nullptr));
    if (chosen > 0) GoHistory(view, chosen - 1, back);
}
