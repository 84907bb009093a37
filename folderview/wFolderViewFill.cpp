// The folder view's fill: the folder is listed by a worker of its own (see
// uFillJob), and its items go into the list on the GUI thread in slices short
// enough that the window keeps answering. Items show as they come; once all
// are there, the rows are rewritten in the sorted order, again in slices. A
// folder listed within a short wait is put in, sorted, in one step.

#include "folderview/wFolderView.h"

#include "folderview/uFillJob.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uListDisposal.h"
#include "shell/uDirWatcher.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <utility>

namespace {

constexpr DWORD kDefaultSynchronousFill = 60;
// A listing that has not given its first entries by then is slow to start (a
// large folder that the platform reads whole first, a share that answers
// slowly): the rest of the short wait would be a stall for nothing. A worker
// is usually waiting already, and a small folder gives its first entries
// within a few milliseconds of the start.
constexpr DWORD kFirstEntriesWait = 10;
// Checking the clock costs more than inserting an item.
constexpr int kItemsBetweenClockChecks = 64;
constexpr UINT kKeptStates = LVIS_SELECTED | LVIS_FOCUSED;
// Between slices that follow at once the list is drawn only this often: each
// drawing repaints all of it.
constexpr ULONGLONG kDrawingInterval = 200;
// In the icon modes a drawing lays out every item the list holds, so it costs
// more as the list grows (a third of a second at sixty thousand items on some
// platforms); the next one waits this many times as long as the last took, so
// that drawing stays a small part of the work.
constexpr ULONGLONG kDrawingCostFactor = 10;

DWORD g_synchronousFill = kDefaultSynchronousFill;

}  // namespace

void TFolderView::SetSynchronousFillLimit(DWORD milliseconds) { g_synchronousFill = milliseconds; }

TFillBatch::~TFillBatch() {
    if (folderIcon) DestroyIcon(folderIcon);
}

LRESULT TFillBatch::Apply(TFolderView& view) {
    view.TakeFillBatch(*this);
    return 1;
}

void TFolderView::FillView(bool report, PCUITEMID_CHILD selectChild, ULONGLONG heldSince) {
    const bool interactive = Host->Interactive() && !fallingBack_;
    StartFill(report, selectChild, true, interactive ? Host->DialogOwner() : nullptr, interactive, nullptr, heldSince);
}

void TFolderView::StartFill(bool report, PCUITEMID_CHILD selectChild, bool applyState, HWND owner, bool interactive,
                            std::unique_ptr<RefreshRestore> restore, ULONGLONG heldSince) {
    UniqueChildPidl select(PIDLClone(selectChild));
    CancelFill();
    const bool hadFocus = GetFocus() == ListView;
    if (hadFocus) SetFocus(ChildWindow);
    EmptyList();
    SendMessageW(ListView, WM_SETREDRAW, FALSE, 0);
    Thumbs.clear();
    DeregisterChangeNotify();

    const int mode = applyState ? ChooseViewState() : ViewMode;
    TFillRequest request;
    request.folder.reset(PIDLClone(AbsoluteIDList));
    request.owner = owner;
    request.enumFlags = FolderViewConfig().EnumFlags();
    request.filter = DisplayFilter();
    request.fileSystemFolder = FileSystemFolder;
    request.sortColumn = SortColumn;
    request.sortAscending = SortAscending;
    request.wantIcon = applyState;
    request.list = ListView;
    request.generation = Generation;
    if (!Folder || !request.folder) {
        SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
        EntryFailed(E_FAIL, interactive, report, hadFocus);
        return;
    }
    // Watched before the listing starts, so that no change falls between the
    // two; what comes during the fill waits for its end. The worker, not this
    // thread, waits for the watch to begin.
    RegisterChangeNotify();
    if (DirWatcher) request.watchArmed = DirWatcher->ArmedEvent();
    std::shared_ptr<TFillJob> job = TFillJob::Start(std::move(request));
    if (!job) {
        DeregisterChangeNotify();
        SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
        EntryFailed(E_FAIL, interactive, report, hadFocus);
        return;
    }
    // The short wait counts from when the navigation began to hold the window:
    // a folder that took that long to bind is a slow one, listed in the background.
    const ULONGLONG holdStarted = heldSince ? heldSince : GetTickCount64();
    NotifyEnabled = true;

    fill_.job = job;
    fill_.interactive = interactive;
    fill_.report = report;
    fill_.locationShown = !applyState;
    fill_.hadFocus = hadFocus;
    fill_.select = std::move(select);
    fill_.restore = std::move(restore);
    fill_.waitingInline = true;
    // The view gets ready while the worker lists; a folder listed by the end
    // of the short wait goes in sorted in one step. A failed listing leads to another fill, which sets its own mode.
    if (applyState) ApplyModeForFill(mode);
    ShellIcon = Folder.as<IShellIcon>();
    // MinGW's headers give IShellIconOverlay no __uuidof, so it is asked by its IID.
    IconOverlay.reset();
    Folder->QueryInterface(IID_IShellIconOverlay, IconOverlay.putVoid());
    const auto waitLeft = [&] {
        const ULONGLONG spent = GetTickCount64() - holdStarted;
        return spent < g_synchronousFill ? static_cast<DWORD>(g_synchronousFill - spent) : DWORD{0};
    };
    const bool begun =
        g_synchronousFill == INFINITE || job->WaitFirstEntries(std::min(waitLeft(), kFirstEntriesWait));
    if (begun && fill_.job == job) job->WaitDone(waitLeft());
    if (fill_.job != job) return;
    fill_.waitingInline = false;
    if (fill_.finished && fill_.result != S_OK) {
        FailFill();
        return;
    }
    if (fill_.finished) {
        RunFillStep(ULLONG_MAX);
        return;
    }
    // The rest comes in the background: the list answers meanwhile.
    if (applyState) ShowLocation(report);
    fill_.locationShown = true;
    // The list is usable while the rest comes: it gets the focus back now.
    if (fill_.hadFocus && GetFocus() == ChildWindow) SetFocus(ListView);
    fill_.hadFocus = false;
    RunFillStep(GetTickCount64() + kFillSliceLength);
    // The step may have ended this fill, and a failure may have started the parent's.
    if (fill_.job != job) return;
    SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(ListView, nullptr, TRUE);
}

void TFolderView::StartRelist(std::vector<SourceRows> sources, UINT keptStates, bool hadFocus) {
    fill_.job = TFillJob::Finished();
    fill_.interactive = Host->Interactive();
    fill_.locationShown = true;
    fill_.finished = true;
    size_t count = 0;
    for (const SourceRows& rows : sources) count += static_cast<size_t>(std::max(0, rows.count));
    fill_.sources = std::move(sources);
    fill_.sourceStates = keptStates;
    fill_.order.resize(count);
    std::iota(fill_.order.begin(), fill_.order.end(), 0u);
    // The list works out its items' layout on its first drawing, over every
    // item it holds then: a first slice of a few items is drawn at once.
    RunFillStep(0);
    if (hadFocus && GetFocus() == ChildWindow) SetFocus(ListView);
}

void TFolderView::CancelFill() {
    if (!fill_.job) return;
    KillTimer(ListView, kFillStepTimerId);
    fill_.job->Cancel();
    LetSourcesGo(fill_.ordered);
    if (fill_.folderIcon) DestroyIcon(fill_.folderIcon);
    fill_ = FillState();
    SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
}

void TFolderView::TakeFillBatch(TFillBatch& batch) {
    if (!fill_.job) return;
    for (UniqueChildPidl& item : batch.items) fill_.arrived.push_back(std::move(item));
    if (batch.last) {
        fill_.finished = true;
        fill_.result = batch.result;
        fill_.order = std::move(batch.order);
        fill_.folderIcon = std::exchange(batch.folderIcon, nullptr);
        fill_.folderIconIndex = batch.folderIconIndex;
    }
    if (!fill_.waitingInline) PostFillStep();
}

// A posted message comes before the user's input and before any painting, so
// slices posted back to back would hold both off until the fill ends. While
// either waits, the next slice comes on a timer, which waits for them.
void TFolderView::PostFillStep() {
    if (fill_.stepPosted) return;
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) != 0)
        fill_.stepPosted = SetTimer(ListView, kFillStepTimerId, USER_TIMER_MINIMUM, nullptr) != 0;
    else
        fill_.stepPosted = PostMessageW(ListView, kFillStepMessage, static_cast<WPARAM>(Generation), 0) != FALSE;
}

void TFolderView::RunFillStep(ULONGLONG deadline) {
    fill_.stepPosted = false;
    if (!fill_.job) return;
    if (fill_.finished && fill_.result != S_OK) {
        FailFill();
        return;
    }
    // A list that is not on screen draws nothing; the next drawing comes as usual.
    if (std::exchange(fill_.drawingAsked, false)) fill_.nextDrawing = GetTickCount64() + kDrawingInterval;
    SendMessageW(ListView, WM_SETREDRAW, FALSE, 0);
    bool done = InsertArrived(deadline);
    if (done && fill_.finished) done = RewriteInOrder(deadline);
    if (done && fill_.finished) {
        FinishFill();
        return;
    }
    if (done) {
        // The rest is still being listed: the list draws itself meanwhile.
        SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
        return;
    }
    // Drawn between slices now and then: the user sees the items come. The
    // drawing is a message of its own, so that a slice and a drawing never
    // hold the window together; the next slice waits for it (see PostFillStep).
    if (const ULONGLONG now = GetTickCount64(); now >= fill_.nextDrawing) {
        SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(ListView, nullptr, TRUE);
        fill_.drawingCost = GetTickCount64() - now;
        fill_.drawingAsked = true;
    }
    PostFillStep();
}

void TFolderView::ListPainted(ULONGLONG cost) {
    if (!fill_.job || !std::exchange(fill_.drawingAsked, false)) return;
    const ULONGLONG spacing = std::max(kDrawingInterval, kDrawingCostFactor * (fill_.drawingCost + cost));
    fill_.nextDrawing = GetTickCount64() + spacing;
}

// Items that arrived go to the end of the list; while nothing is in the list
// and the order is known, they go straight to their sorted places, over as
// many slices as that takes.
bool TFolderView::InsertArrived(ULONGLONG deadline) {
    const size_t available = fill_.sources.empty() ? fill_.arrived.size() : fill_.order.size();
    const bool sortedAtOnce =
        fill_.finished && fill_.inserted.empty() && fill_.order.size() == available && fill_.nextArrived == 0;
    std::vector<UniqueChildPidl>& arrived = fill_.arrived;
    int sinceClock = 0;
    auto timeLeft = [&] {
        if (++sinceClock < kItemsBetweenClockChecks) return true;
        sinceClock = 0;
        return GetTickCount64() < deadline;
    };
    if (sortedAtOnce) {
        for (; fill_.ordered < fill_.order.size(); ++fill_.ordered) {
            if (!timeLeft()) return false;
            const std::uint32_t number = fill_.order[fill_.ordered];
            PITEMID_CHILD item = nullptr;
            UINT state = 0;
            if (!fill_.sources.empty())
                ReadSourceRow(static_cast<int>(number), item, state);
            else
                item = arrived[number].release();
            if (!item) continue;
            if (fill_.select && SameItem(item, fill_.select.get())) {
                state = LVIS_SELECTED | LVIS_FOCUSED;
                fill_.select.reset();
            }
            const int index = InsertItem(item, state & ~LVIS_STATEIMAGEMASK);
            // The list gives every new item the first check box state.
            if (index >= 0 && (state & LVIS_STATEIMAGEMASK))
                ListView_SetItemState(ListView, index, state, LVIS_STATEIMAGEMASK);
        }
        fill_.nextArrived = available;
        return true;
    }
    for (; fill_.nextArrived < arrived.size(); ++fill_.nextArrived) {
        if (!timeLeft()) return false;
        PITEMID_CHILD item = arrived[fill_.nextArrived].release();
        UINT state = 0;
        const bool wanted = fill_.select && SameItem(item, fill_.select.get());
        if (wanted) {
            state = LVIS_SELECTED | LVIS_FOCUSED;
            fill_.select.reset();
        }
        const int index = InsertItem(item, state);
        // A failed insert has freed the item; its number stays taken.
        fill_.inserted.push_back(index >= 0 ? item : nullptr);
        if (wanted && index >= 0) ListView_EnsureVisible(ListView, index, FALSE);
    }
    return true;
}

// Rewrites row after row with the item the sorted order puts there, keeping
// each item's selection and focus with it.
bool TFolderView::RewriteInOrder(ULONGLONG deadline) {
    if (fill_.inserted.empty() || fill_.ordered >= fill_.order.size()) return true;
    if (fill_.ordered == 0) {
        // Results asked for rows that are about to change items are of no use.
        InterlockedIncrement(&Generation);
        RemoveAllTasks();
        for (int i = ListView_GetNextItem(ListView, -1, LVNI_SELECTED); i >= 0;
             i = ListView_GetNextItem(ListView, i, LVNI_SELECTED))
            fill_.selected.insert(ItemIDList(i));
        fill_.focused = ItemIDList(ListView_GetNextItem(ListView, -1, LVNI_FOCUSED));
        // Items that failed to go in leave no row behind.
        std::vector<std::uint32_t> order;
        order.reserve(fill_.order.size());
        for (std::uint32_t number : fill_.order)
            if (number < fill_.inserted.size() && fill_.inserted[number]) order.push_back(number);
        fill_.order.swap(order);
    }
    int sinceClock = 0;
    for (; fill_.ordered < fill_.order.size(); ++fill_.ordered) {
        if (++sinceClock >= kItemsBetweenClockChecks) {
            sinceClock = 0;
            if (GetTickCount64() >= deadline) return false;
        }
        const int row = static_cast<int>(fill_.ordered);
        PITEMID_CHILD item = fill_.inserted[fill_.order[fill_.ordered]];
        LVITEMW change{};
        change.mask = LVIF_PARAM | LVIF_STATE | LVIF_TEXT | LVIF_IMAGE;
        change.iItem = row;
        change.lParam = reinterpret_cast<LPARAM>(item);
        change.state = (fill_.selected.count(item) ? LVIS_SELECTED : 0) | (item == fill_.focused ? LVIS_FOCUSED : 0);
        change.stateMask = kKeptStates | LVIS_CUT | LVIS_OVERLAYMASK;
        change.pszText = LPSTR_TEXTCALLBACKW;
        change.iImage = I_IMAGECALLBACK;
        ListView_SetItem(ListView, &change);
        if (fill_.rowsWithTexts.count(row)) {
            for (size_t sub = 1; sub < Columns.size(); ++sub)
                ListView_SetItemText(ListView, row, static_cast<int>(sub), LPSTR_TEXTCALLBACKW);
        }
    }
    if (ViewMode == 4) RecreateThumbs();
    return true;
}

void TFolderView::FailFill() {
    const bool interactive = fill_.interactive;
    const bool report = fill_.report || fill_.restore != nullptr;
    const HRESULT result = fill_.result;
    const bool hadFocus = fill_.hadFocus;
    CancelFill();
    EntryFailed(result, interactive, report, hadFocus);
}

bool TFolderView::ReadSourceRow(int row, PITEMID_CHILD& item, UINT& state) const {
    const SourceRows* rows = nullptr;
    for (const SourceRows& candidate : fill_.sources) {
        if (row < candidate.count) {
            rows = &candidate;
            break;
        }
        row -= candidate.count;
    }
    if (!rows) return false;
    LVITEMW entry{};
    entry.mask = LVIF_PARAM | LVIF_STATE;
    entry.iItem = rows->first + row;
    entry.stateMask = fill_.sourceStates;
    if (!ListView_GetItem(rows->list, &entry)) return false;
    item = reinterpret_cast<PITEMID_CHILD>(entry.lParam);
    state = entry.state & fill_.sourceStates;
    return item != nullptr;
}

// The rows a relist has not taken yet; a list it has taken every row of goes.
// The relist in progress has no sources left after this.
std::vector<TFolderView::SourceRows> TFolderView::RowsLeftToRelist() {
    std::vector<SourceRows> left;
    size_t start = 0;
    for (const SourceRows& rows : fill_.sources) {
        const auto taken = static_cast<int>(std::min<size_t>(fill_.ordered - std::min(fill_.ordered, start), rows.count));
        start += static_cast<size_t>(rows.count);
        if (taken < rows.count)
            left.push_back({rows.list, rows.first + taken, rows.count - taken});
        else
            DisposePartlyAdoptedList(rows.list, INT_MAX);
    }
    fill_.sources.clear();
    return left;
}

// Each source list goes with the rows that are still its own: those the
// relist has not reached when `ordered` rows have been taken.
void TFolderView::LetSourcesGo(size_t ordered) {
    size_t start = 0;
    for (const SourceRows& rows : fill_.sources) {
        const size_t taken = std::min<size_t>(ordered - std::min(ordered, start), static_cast<size_t>(rows.count));
        start += static_cast<size_t>(rows.count);
        DisposePartlyAdoptedList(rows.list, taken == static_cast<size_t>(rows.count) ? INT_MAX
                                                                                       : rows.first + static_cast<int>(taken));
    }
    fill_.sources.clear();
}

void TFolderView::FinishFill() {
    LetSourcesGo(SIZE_MAX);
    FillState fill = std::move(fill_);
    fill_ = FillState();
    left_ = LeftFolder();
    if (fill.restore) RestoreAfterRefresh(*fill.restore);
    if (ListView_GetNextItem(ListView, -1, LVNI_FOCUSED) < 0 && ItemCount() > 0)
        ListView_SetItemState(ListView, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    if (fill.resortAfter) SortItems();
    if (!fill.locationShown) ShowLocation(fill.report);
    if (fill.folderIconIndex >= 0) FolderIconIndex = fill.folderIconIndex;
    ShowFolderIcon(std::exchange(fill.folderIcon, nullptr));
    SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(ListView, nullptr, TRUE);
    if (!fill.restore) {
        const int focused = ListView_GetNextItem(ListView, -1, LVNI_FOCUSED);
        if (focused >= 0) ListView_EnsureVisible(ListView, focused, FALSE);
    }
    if (fill.hadFocus && GetFocus() == ChildWindow) SetFocus(ListView);
    // The cursor stops saying that the folder is loading.
    POINT cursor{};
    if (GetCursorPos(&cursor) && WindowFromPoint(cursor) == ListView)
        SendMessageW(ListView, WM_SETCURSOR, reinterpret_cast<WPARAM>(ListView), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const LONG generation = Generation;
    ReplayDeferredChanges(fill.changes);
    if (generation == Generation && !Filling() && fill.watcherPending && DirWatcher) DrainDirWatcher();
    if (generation == Generation) RestartStatusTimer();
}

void TFolderView::ReplayDeferredChanges(std::vector<DeferredChange>& changes) {
    const LONG generation = Generation;
    for (DeferredChange& change : changes) {
        // A change may have taken the view elsewhere, or started a new fill.
        if (generation != Generation || Filling() || !NotifyEnabled || !Folder) return;
        FolderAction action = ApplyChangeEvent(change.event, change.first.get(), change.second.get());
        FinishFolderAction(action);
    }
}
