#include "folderview/uItemTasks.h"

#include "app/ComObject.h"
#include "app/ComPtr.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewResult.h"
#include "folderview/wFolderView.h"
#include "shell/uOneShotTask.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What a task hands to the GUI thread. `item` is the task's copy of the ID
// list it worked on; `change` is applied to the list item found for it.
struct TaskResult : TViewResult {
    int index = -1;
    PCUITEMID_CHILD item = nullptr;
    int column = -1;  // for a column text: the shell column it belongs to
    LVITEMW change{};

    LRESULT Apply(TFolderView& view) override;
};

bool SameBytes(PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    if (!a || !b) return false;
    const UINT size = PIDLSize(a);
    return size == PIDLSize(b) && CompareMem(a, b, size);
}

// The index of the list item whose ID list has the same bytes as `item`,
// looked for first at `hint` and then ever further from it: a re-sort or a
// merge may have moved the item, usually not far. -1 when it is gone.
int LocateItem(const TFolderView& view, int hint, PCUITEMID_CHILD item) {
    const int count = view.ItemCount();
    if (hint < 0) hint = 0;
    for (int distance = 0; hint - distance >= 0 || hint + distance < count; ++distance) {
        if (const int before = hint - distance; before >= 0 && before < count && SameBytes(view.ItemIDList(before), item))
            return before;
        if (const int after = hint + distance; distance > 0 && after < count && SameBytes(view.ItemIDList(after), item))
            return after;
    }
    return -1;
}

// The sub-item that shows the shell column `column` now: `hint`, where it was
// when the task was made, unless columns were taken away or added since.
// -1 when the column is no longer shown.
int CurrentSubItem(const TFolderView& view, int hint, int column) {
    const std::vector<int>& columns = view.Columns;
    if (hint > 0 && static_cast<size_t>(hint) < columns.size() && columns[hint] == column) return hint;
    const auto found = std::find(columns.begin() + (columns.empty() ? 0 : 1), columns.end(), column);
    return found == columns.end() ? -1 : static_cast<int>(found - columns.begin());
}

// GUI thread, while the view still shows the folder the result was computed for.
LRESULT TaskResult::Apply(TFolderView& view) {
    int subItem = change.iSubItem;
    if (subItem > 0 && (subItem = CurrentSubItem(view, subItem, column)) < 0) return 0;
    const int found = LocateItem(view, index, item);
    if (found < 0) return 0;
    LVITEMW applied = change;
    applied.iItem = found;
    if (subItem > 0) {
        ListView_SetItemText(view.ListView, found, subItem, applied.pszText);
    } else {
        ListView_SetItem(view.ListView, &applied);
    }
    return 1;
}

// What every item task shares: the view, the item, the generation it was made
// in, and the bookkeeping of IRunnableTask. Kill, Suspend and Resume are not
// supported: each task is a single short shell call.
class TItemRunnableTask : public TOneShotTask {
public:
    TItemRunnableTask(TFolderView& view, int index, PCUITEMID_CHILD item)
        : view_(view), list_(view.ListView), index_(index), item_(PIDLClone(item)), generation_(view.Generation) {}

protected:
    // The work for an item that could be copied, on the scheduler's thread.
    virtual void ExecuteForItem() = 0;

private:
    void Execute() final {
        if (item_) ExecuteForItem();
    }

protected:

    // Asked before every shell call: work for a folder the view has left is
    // wasted. The view removes its tasks before it goes, so it outlives this.
    bool Current() const { return InterlockedCompareExchange(&view_.Generation, 0, 0) == generation_; }

    // The GUI thread applies the result, checking the generation once more
    // there: only that check cannot race with a navigation.
    void Deliver(TaskResult& result) const {
        result.generation = generation_;
        result.index = index_;
        result.item = item_.get();
        DeliverToView(list_, result);
    }

    PCUITEMID_CHILD Item() const { return item_.get(); }

private:
    TFolderView& view_;
    HWND list_;
    int index_;
    UniqueChildPidl item_;
    LONG generation_;
};

class TImageRunnableTask final : public TItemRunnableTask {
public:
    TImageRunnableTask(TFolderView& view, int index, PCUITEMID_CHILD item, HRESULT fastResult)
        : TItemRunnableTask(view, index, item),
          fastResult_(fastResult),
          folder_(view.Folder),
          shellIcon_(view.ShellIcon),
          overlay_(view.IconOverlay),
          showHidden_(FolderViewConfig().ShowHidden) {}

private:
    void ExecuteForItem() override {
        if (!Current()) return;
        int image = -1;
        if (fastResult_ == E_PENDING && shellIcon_ && shellIcon_->GetIconOf(Item(), 0, &image) != S_OK) image = -1;
        if (image < 0) {
            if (!Current()) return;
            image = SHMapPIDLToSystemImageListIndex(folder_.get(), Item(), nullptr);
        }
        if (image < 0 || !Current()) return;
        const ItemMarks marks = ReadItemMarks(folder_.get(), overlay_.get(), Item(), showHidden_, 0);
        TaskResult result;
        result.change.mask = LVIF_IMAGE | LVIF_STATE;
        result.change.iImage = image;
        result.change.state = marks.state;
        result.change.stateMask = marks.mask;
        Deliver(result);
    }

    HRESULT fastResult_;
    ComPtr<IShellFolder> folder_;
    ComPtr<IShellIcon> shellIcon_;
    ComPtr<IShellIconOverlay> overlay_;
    bool showHidden_;
};

class TOverlayRunnableTask final : public TItemRunnableTask {
public:
    TOverlayRunnableTask(TFolderView& view, int index, PCUITEMID_CHILD item)
        : TItemRunnableTask(view, index, item), overlay_(view.IconOverlay) {}

private:
    void ExecuteForItem() override {
        if (!overlay_ || !Current()) return;
        int overlay = 0;
        if (FAILED(overlay_->GetOverlayIndex(Item(), &overlay))) return;
        TaskResult result;
        result.change.mask = LVIF_STATE;
        result.change.stateMask = LVIS_OVERLAYMASK;
        result.change.state = INDEXTOOVERLAYMASK(overlay & 0xF);
        Deliver(result);
    }

    ComPtr<IShellIconOverlay> overlay_;
};

class TSubItemRunnableTask final : public TItemRunnableTask {
public:
    TSubItemRunnableTask(TFolderView& view, int column, int subItem, int index, PCUITEMID_CHILD item)
        : TItemRunnableTask(view, index, item), folder_(view.Folder2), column_(column), subItem_(subItem) {}

private:
    void ExecuteForItem() override {
        if (!folder_ || !Current()) return;
        SHELLDETAILS details{};
        if (FAILED(folder_->GetDetailsOf(Item(), static_cast<UINT>(column_), &details))) return;
        std::wstring text = StrRetToText(&details.str, Item());
        if (text.empty()) return;
        TaskResult result;
        result.column = column_;
        result.change.mask = LVIF_TEXT;
        result.change.iSubItem = subItem_;
        result.change.pszText = text.data();
        Deliver(result);
    }

    ComPtr<IShellFolder2> folder_;
    int column_;
    int subItem_;
};

void Queue(TFolderView& view, IRunnableTask* task, const GUID& owner, DWORD priority) {
    ComPtr<IRunnableTask> held = ComPtr<IRunnableTask>::attach(task);
    if (view.Scheduler) view.Scheduler->AddTask(held.get(), owner, 0, priority);
}

}  // namespace

ItemMarks ReadItemMarks(IShellFolder* folder, IShellIconOverlay* overlay, PCUITEMID_CHILD item, bool showHidden,
                        int overlayQuery) {
    ItemMarks marks;
    SFGAOF attributes = (showHidden ? SFGAO_HIDDEN : 0) | (overlay ? 0 : SFGAO_LINK | SFGAO_SHARE);
    if (attributes && FAILED(folder->GetAttributesOf(1, &item, &attributes))) attributes = 0;
    int index = 0;
    if (overlay) {
        index = overlayQuery;
        const HRESULT hr = overlay->GetOverlayIndex(item, &index);
        marks.overlayPending = hr == E_PENDING;
        if (FAILED(hr)) index = 0;
    } else if (attributes & SFGAO_SHARE) {
        index = 1;
    } else if (attributes & SFGAO_LINK) {
        index = 2;
    }
    marks.state = INDEXTOOVERLAYMASK(index & 0xF);
    if (showHidden && (attributes & SFGAO_HIDDEN)) {
        marks.state |= LVIS_CUT;
        marks.mask |= LVIS_CUT;
    }
    return marks;
}

void QueueIconTask(TFolderView& view, int index, PCUITEMID_CHILD item, HRESULT fastResult) {
    Queue(view, new TImageRunnableTask(view, index, item, fastResult), kIconTaskOwner, ITSAT_DEFAULT_PRIORITY);
}

void QueueOverlayTask(TFolderView& view, int index, PCUITEMID_CHILD item) {
    Queue(view, new TOverlayRunnableTask(view, index, item), kIconTaskOwner, ITSAT_MAX_PRIORITY);
}

void QueueSlowColumnTask(TFolderView& view, int column, int subItem, int index, PCUITEMID_CHILD item) {
    Queue(view, new TSubItemRunnableTask(view, column, subItem, index, item), kSlowColumnTaskOwner,
          ITSAT_MIN_PRIORITY);
}
