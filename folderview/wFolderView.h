#pragma once
// The folder view: a list view of the program's own filling that shows the
// items of one shell folder inside a child window.

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewHost.h"
#include "folderview/uViewStates.h"
#include "shell/ShellGuids.h"
#include "shell/uCapabilities.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

class TDirWatcher;
class TFillJob;
enum class ListItemIds;
struct TFillBatch;

inline constexpr UINT WM_CHANGENOTIFY_CHILD = 0x8001;  // shell change notification to a child window
inline constexpr UINT kFolderViewListId = 1505;
// Timers of the folder view that run on its host window.
inline constexpr UINT_PTR kStatusTimerId = 4003;
inline constexpr UINT_PTR kThumbnailCacheTimerId = 4004;
// The lParam of a WM_CHANGENOTIFY_CHILD that carries no shell notification
// (wParam 0) but says the directory watcher has changes waiting.
inline constexpr LPARAM kDirWatcherSignal = 0x5A454B4F;
// Posted by the view to its own list view: the next slice of a fill (wParam: the generation).
inline constexpr UINT kFillStepMessage = WM_APP + 0x62;
// The same on a timer of the list view, when input or painting waits.
inline constexpr UINT_PTR kFillStepTimerId = 0x5A4B;
// The longest a slice of a fill holds the window, in milliseconds: well under
// what a user notices as a stall.
inline constexpr ULONGLONG kFillSliceLength = 30;

enum RefreshMode { RefreshFull = 0, RefreshResort = 1, RefreshMerge = 2 };

// One item's picture in thumbnail mode: an icon (IsIcon 1) or a bitmap
// (IsIcon 0). The slot owns its handle unless it is Shared.
struct TThumbSlot {
    HANDLE Handle = nullptr;
    BYTE IsIcon = 0;
    BYTE Dirty = 0;      // a bitmap extracted and not yet written to the cache
    BYTE Requested = 0;  // extraction started
    BYTE Shared = 0;     // a placeholder icon that many slots show and none destroys
    // Unique in the process: a late extraction result finds its slot by it,
    // wherever the item has moved since, and never a slot made afterwards.
    ULONG Serial;

    TThumbSlot();
    ~TThumbSlot();
    TThumbSlot(TThumbSlot&& other) noexcept;
    TThumbSlot& operator=(TThumbSlot&& other) noexcept;
    // Takes ownership of `handle` (unless `shared`), destroying the picture held before.
    void Set(HANDLE handle, bool isIcon, bool dirty, bool shared = false);
};

class TFolderView : public TMDIChildContent {
public:
    explicit TFolderView(TFolderViewHost& host);
    ~TFolderView() override;
    TFolderView(const TFolderView&) = delete;
    TFolderView& operator=(const TFolderView&) = delete;

    void Show(bool visible) override;
    void Resize(int width, int height) override;

    // Takes ownership of `pidl`; false only when nothing was done because the
    // tab is locked or the folder is already shown elsewhere.
    bool BrowseTo(PIDLIST_ABSOLUTE pidl, bool report, PCUITEMID_CHILD selectChild);
    // Takes ownership of `pidl`; `relative` names it inside `parent`.
    bool BrowseChild(IShellFolder* parent, PIDLIST_ABSOLUTE pidl, PCUIDLIST_RELATIVE relative);
    // Takes ownership of `pidl`, the renamed version of the folder shown.
    void Relocate(PIDLIST_ABSOLUTE pidl, PCUITEMID_CHILD selectChild);
    // `heldSince`: when the navigation that fills began holding the window; 0 for now.
    void FillView(bool report, PCUITEMID_CHILD selectChild, ULONGLONG heldSince = 0);
    void RefreshView(int mode);
    void SetViewMode(int mode);
    void GoUp(bool inNewTab, bool activate);
    void SelectChild(PCUITEMID_CHILD relative);
    void ExecuteCommand(WORD command);
    // The context menu of the selected items, or of the background without
    // one: at the cursor, or by keyboard at the first selected item.
    void ShowContextMenu(bool byMouse);
    // Open mode: 0 in this view, 1 new active tab, 2 new background tab.
    void OpenSelection(int mode);
    void OnChangeNotify(HANDLE notification, DWORD processId);
    LRESULT OnNotify(NMHDR* header) override;
    LRESULT OnClipboardChain(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id);
    // A picture made in the background, on the GUI thread: it goes to the
    // slot `serial` when the view still shows the generation it was made for.
    // True when the slot took it; otherwise the caller still owns it. A
    // placeholder is an icon, a shared one owned by nobody; the other kinds
    // are bitmaps.
    enum class PictureKind { Placeholder, SharedPlaceholder, Cached, Extracted };
    bool TakeThumbnail(LONG generation, int index, ULONG serial, HANDLE picture,
                       PictureKind kind = PictureKind::Extracted);
    // True while pictures handed to the thumbnail cache are still being written.
    bool WritingThumbnailCache() const;
    // The thumbnail cache is flushed (and closed when idle) a while after it was last used.
    void RestartThumbnailTimer();

    // The child ID of the focused item, or null; not copied.
    PCUITEMID_CHILD FocusedItem() const;
    // The child ID list item `index` owns, or null; not copied.
    PCUITEMID_CHILD ItemIDList(int index) const;
    int ItemCount() const;
    // The list view keeps each item's child ID in its untyped parameter.
    static PITEMID_CHILD ItemOfParam(LPARAM param) { return reinterpret_cast<PITEMID_CHILD>(param); }
    // The index of the item whose ID list the folder calls equal to `relative`, or -1.
    int FindItem(PCUITEMID_CHILD relative) const;

    // Columns, sorting and the folder's remembered state.
    // Sorts by shell column `column`; the sorted column again turns the direction.
    void SortBy(int column);
    // The header's column menu: shows or hides the chosen column.
    void ChooseColumns();
    // The column menu's items: command = shell column index.
    HMENU BuildColumnMenu() const;
    // Shows shell column `column` at the end, or hides it when shown; column 0 always stays.
    void ToggleColumn(int column);
    // One item per column the folder shows by default or remembers, command 11000 + index.
    void FillArrangeMenu(HMENU menu) const;
    // Records mode, sort and (in details mode) columns into the folder's state,
    // made when missing; null when the folder cannot have one.
    TViewState* UpdateState();
    // The shown columns with their widths, and the header's order.
    void RecordColumnsInto(std::vector<TColumnState>& records, std::vector<std::int32_t>& order) const;
    // The header changed an item (a width, an image, the order): in details
    // mode the state follows. The header tells the list view, which does not
    // pass this on everywhere, so the view listens at the list view itself.
    void OnHeaderItemChanged();

    // True from the start of a fill until its last item is in place, sorted.
    bool Filling() const { return static_cast<bool>(fill_.job); }
    // A batch of the running fill, on the GUI thread.
    void TakeFillBatch(TFillBatch& batch);
    // The view whose list is `window`, or null.
    static TFolderView* OfList(HWND window);

    // How long a fill may hold the window before it goes on in the background:
    // a folder listed by then is shown complete in one step. Tests that are
    // not about the background fill make it unlimited (INFINITE).
    static void SetSynchronousFillLimit(DWORD milliseconds);

    PIDLIST_ABSOLUTE AbsoluteIDList = nullptr;
    // The folder's own small icon in the system image list, learnt while it is
    // listed; -1 until then.
    int FolderIconIndex = -1;
    std::vector<TThumbSlot> Thumbs;
    BYTE ViewMode = 3;
    ComPtr<IShellFolder> Folder;
    ComPtr<IShellFolder2> Folder2;
    ComPtr<IShellDetails> Details;
    HWND ChildWindow = nullptr;
    TFolderViewHost* Host = nullptr;
    ComPtr<IDropTarget> DropTarget;
    std::vector<int> Columns;
    std::vector<ULONG> NotifyIDs;
    WORD SortColumn = 0;
    bool SortAscending = true;
    bool StatusEnabled = true;
    // Raised by every status request; a status task still computing for an
    // older one gives up.
    LONG StatusRequest = 0;
    bool NotifyEnabled = true;
    bool SelfDrag = false;
    bool FileSystemFolder = false;
    ComPtr<IShellImageStore> ImageStore;
    bool RenameNew = false;
    ComPtr<IShellIcon> ShellIcon;
    ComPtr<IShellIconOverlay> IconOverlay;
    bool CheckBoxes = false;
    ComPtr<IShellTaskScheduler> Scheduler;
    bool Sorting = false;
    LONG Generation = 0;
    std::vector<PCUITEMID_CHILD> CutItems;
    HWND NextViewer = nullptr;
    bool InClipboardChain = false;
    // The clipboard's sequence number when the view joined the chain.
    DWORD CutClipboardSequence = 0;

private:
    // A change notification that came while a fill ran, kept for its end.
    struct DeferredChange {
        LONG event = 0;
        UniqueAbsolutePidl first, second;
    };
    // What a full refresh puts back once the folder is listed again.
    struct RefreshRestore {
        std::vector<UniqueChildPidl> selected;
        UniqueChildPidl focused;
        int focusedIndex = -1;
        int position = 0;
    };
    // Rows a relist takes in order: `count` rows of `list` from `first` on.
    struct SourceRows {
        HWND list;
        int first;
        int count;
    };
    // The fill in progress; empty (no job) otherwise.
    struct FillState {
        std::shared_ptr<TFillJob> job;
        bool interactive = false;    // a failure falls back to the parent (else the tab closes)
        bool report = false;
        bool hadFocus = false;
        bool waitingInline = false;  // batches are only kept while the fill holds the window
        bool stepPosted = false;
        ULONGLONG nextDrawing = 0;   // the list is drawn between slices from then on
        bool drawingAsked = false;   // the list may draw itself before the next slice
        ULONGLONG drawingCost = 0;   // of the asked drawing so far: the list's layout when it was let draw
        bool finished = false;       // the last batch came
        bool locationShown = false;  // caption and report done
        HICON folderIcon = nullptr;  // from the worker, not yet shown; owned
        int folderIconIndex = -1;
        HRESULT result = S_OK;
        UniqueChildPidl select;       // the child to select when it arrives
        std::vector<UniqueChildPidl> arrived;       // not yet in the list
        // A relist's old lists, whose rows come in order instead of arriving:
        // those that come before `ordered` belong to the new list, the rest to them still.
        std::vector<SourceRows> sources;
        UINT sourceStates = 0;                      // the states their rows keep
        size_t nextArrived = 0;
        std::vector<PITEMID_CHILD> inserted;    // in the list, by arrival; the list owns them
        std::vector<std::uint32_t> order;       // sorted place -> arrival number
        size_t ordered = 0;                     // places rewritten in sorted order so far
        std::unordered_set<int> rowsWithTexts;  // rows whose column texts the list was given
        std::unordered_set<PCUITEMID_CHILD> selected;  // taken before the rows are rewritten
        PCUITEMID_CHILD focused = nullptr;
        bool resortAfter = false;    // the order asked for changed meanwhile
        bool watcherPending = false;
        std::vector<DeferredChange> changes;
        // A full refresh puts back what was selected and focused, and the scroll position.
        std::unique_ptr<RefreshRestore> restore;
    };

    // What a change event leaves to do once the notification is unlocked.
    struct FolderAction {
        enum Kind { None, Gone, Renamed } kind = None;
        UniqueAbsolutePidl newList;
    };

    // Navigation.
    bool Navigate(PIDLIST_ABSOLUTE pidl, bool report, PCUITEMID_CHILD selectChild, IShellFolder* parent,
                  PCUIDLIST_RELATIVE relative);
    bool BindFolder(IShellFolder* parent, PCUIDLIST_RELATIVE relative);
    void ApplyModeForFill(int mode);
    // The list window, as the view makes it at first and anew for a large list.
    void CreateList(DWORD style, const RECT& place);
    void EmptyList();
    void ReplaceList(DWORD style, ListItemIds ids);
    // A new, empty list with `style` takes the list's place; answers the old
    // one, hidden and handed back what the view lent it, for the caller to let go.
    HWND SwapInNewList(DWORD style);
    void LetListGo(ListItemIds ids);
    HWND DetachList();
    bool RelistInMode(int mode);
    void SetListStyle(int mode);
    // Image lists and the header's arrows at the DPI the list is shown at now.
    void ApplyDpi();
    // A folder that cannot be enumerated: its parent takes its place (or the
    // tab closes when a tab shows the parent already); without `viaParent` the tab closes.
    void FallBackToParent(bool viaParent, bool report);
    void CloseOwnTab();
    void ShowLocation(bool report);
    // Takes ownership of `icon`, the folder's small icon.
    void ShowFolderIcon(HICON icon);
    void RestartStatusTimer();
    void RemoveAllTasks();

    // Items.
    HRESULT Enumerate(HWND owner, std::vector<UniqueChildPidl>& items) const;
    bool PassesFilter(PCUITEMID_CHILD relative) const;
    void SortIDLists(std::vector<PITEMID_CHILD>& lists, int column, bool ascending) const;
    // The item's name for parsing inside the folder (a file's name), or empty.
    std::wstring ParsingName(PCUITEMID_CHILD relative) const;
    bool SameItem(PCUITEMID_CHILD a, PCUITEMID_CHILD b) const;
    int InsertItem(PITEMID_CHILD relative, UINT state);
    void SortItems();
    void ResetItem(int index);
    void SetItemIDList(int index, PITEMID_CHILD relative);
    void DeleteItemAt(int index);
    void FullRefresh();
    void MergeRefresh();
    void FocusAndSelect(int index);

    // The fill.
    // `applyState`: the folder's remembered mode, sort and columns are applied (not on a refresh).
    void StartFill(bool report, PCUITEMID_CHILD selectChild, bool applyState, HWND owner, bool interactive,
                   std::unique_ptr<RefreshRestore> restore = nullptr, ULONGLONG heldSince = 0);
    void CancelFill();
    void PostFillStep();
    void RunFillStep(ULONGLONG deadline);
    bool InsertArrived(ULONGLONG deadline);
    void StartRelist(std::vector<SourceRows> sources, UINT keptStates, bool hadFocus);
    std::vector<SourceRows> RowsLeftToRelist();
    void LetSourcesGo(size_t ordered);
    bool ReadSourceRow(int row, PITEMID_CHILD& item, UINT& state) const;
    bool RewriteInOrder(ULONGLONG deadline);
    void FailFill();
    void FinishFill();
    void RestoreAfterRefresh(const RefreshRestore& restore);
    void ReplayDeferredChanges(std::vector<DeferredChange>& changes);

    // The list view's window procedure, ahead of the control's own: results
    // of background work, the fill's steps, the header's notifications and
    // the cursor while loading. A plain window procedure, not the common
    // controls' subclass chain, which looks up its data on every message and
    // would slow every insert of a fill.
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    void HookListView();
    void UnhookListView();
    bool OnHeaderNotify(const NMHDR* header, LRESULT& result, WPARAM wParam, LPARAM lParam);

    // Change notifications.
    void RegisterChangeNotify();
    void DeregisterChangeNotify();
    FolderAction ApplyChangeEvent(LONG event, PCIDLIST_ABSOLUTE first, PCIDLIST_ABSOLUTE second);
    void FinishFolderAction(FolderAction& action);
    void AddOrUpdate(PCIDLIST_ABSOLUTE absolute);
    bool RemoveItem(PCIDLIST_ABSOLUTE absolute);
    void RenameItem(PCIDLIST_ABSOLUTE oldList, PCIDLIST_ABSOLUTE newList);
    bool IsThisFolder(PCIDLIST_ABSOLUTE absolute) const;
    bool IsInThisFolder(PCIDLIST_ABSOLUTE absolute) const;
    void DrainDirWatcher();
    int FindItemByParsingName(const std::wstring& name) const;
    UniqueChildPidl ParseChild(const std::wstring& name) const;
    UniqueChildPidl RealChildID(PCUITEMID_CHILD relative) const;
    void StartRenameLastItem();

    // Folders that cannot be entered (see wFolderViewEnter.cpp).
    // The folder a navigation in place leaves, to go back to.
    struct LeftFolder {
        UniqueAbsolutePidl folder;
        UniqueChildPidl focused;
    };
    // The host records the history step, and the view notes the folder it leaves.
    void RecordHistoryNotingLeftFolder();
    // A fill (or binding) of the folder shown failed with `result`. A folder
    // the user cannot enter is named in a message and the view goes back to
    // the folder it left; any other failure falls back to the parent.
    void EntryFailed(HRESULT result, bool interactive, bool report, bool hadFocus);
    LeftFolder left_;

    // Thumbnail mode.
    void EnterThumbnailMode();
    void ApplyThumbnailLook();
    void LeaveThumbnailMode();
    void DropThumbnails();
    void RecreateThumbs();
    void ResetItemImages();
    void OpenImageStore();
    void CloseImageStore();
    void StartThumbnail(int index);
    void QueueThumbnailBatch();
    void ListPainted(ULONGLONG cost);
    void FlushThumbnailCache();
    void DrawThumbnail(const NMLVCUSTOMDRAW& draw);

    // Display.
    void OnGetDispInfo(NMLVDISPINFOW* info);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    void BuildColumns();
    // Sort and mode of a fill: the folder's state, else the default state, else the initial mode.
    int ChooseViewState();
    void AppendColumn(int column, int width);
    void SetColumnArrow(int column, int image);
    void OnColumnClick(const NMLISTVIEW* click);
    void OnHeaderEndDrag(const NMHEADERW* drag);
    void OnItemActivatedAsReturn();

    // Opening items.
    bool TryOpenAsFolder(PCUITEMID_CHILD relative, int mode);
    bool OpenFolderTarget(IShellFolder* parent, PCIDLIST_ABSOLUTE parentList, PCUITEMID_CHILD relative, int mode);
    void InvokeDefaultVerb();
    std::vector<int> SelectedIndexes() const;
    void LeaveClipboardChain();

    // Item operations (see wFolderViewEdit.cpp) and context menus (wFolderViewMenu.cpp).
    std::vector<int> VerbItemIndexes() const;
    ComPtr<IContextMenu> VerbItemsMenu() const;
    void InvokeItemVerb(int verb);
    void InvokeBackgroundVerb(int verb);
    // `items` are the items' own lists, not copied.
    void MarkCutItems(const std::vector<PCUITEMID_CHILD>& items);
    void SelectAllItems(bool invert);
    void StartRename();
    bool RefuseLabelEdit(const NMLVDISPINFOW& info) const;
    void FinishLabelEdit(const NMLVDISPINFOW& info);
    void RenameWhatAppears(const std::function<void()>& invoke);
    void NewFolder();
    void ExtendedRename();
    POINT ContextMenuPoint(bool byMouse) const;
    // False when the middle button is left to the list (MClick 3).
    bool OnMiddleButton(bool down, POINT point);
    // Drags (see wFolderViewDrop.cpp).
    void RegisterDropTarget();
    void RevokeDropTarget();
    void StartDrag();
    void ShowItemMenu(POINT point);
    void ShowBackgroundMenu(POINT point);

    HIMAGELIST SortImages = nullptr;  // the header's arrows, owned
    // The label font once the list has been on a screen of another DPI than
    // the system's; until then the control's own.
    UniqueFont ListFont;
    UINT ShownDpi = 0;  // the DPI the list's sizes were last made for
    bool BuildingColumns = false;     // header changes while columns are made are not the user's
    HICON OwnIcon = nullptr;          // the small icon last given to the child window
    std::unique_ptr<TDirWatcher> DirWatcher;
    WNDPROC ListViewProc = nullptr;   // the control's own window procedure
    // The thumbnail batch still waiting on the scheduler, which takes the items asked for meanwhile.
    ComPtr<IRunnableTask> ThumbnailBatch;
    // While the list paints, the batch is held back until the paint ends.
    bool ThumbnailBatchHeld = false;
    bool ListPainting = false;
    std::unique_ptr<TInFolderNames> InFolderNames;  // of Folder
    // While the view falls back to the parent of a folder it could not list,
    // the parent's own failure closes the tab instead of falling back again.
    bool fallingBack_ = false;
    FillState fill_;
};

// The folder view of the active tab, as the child layer finds it; commands
// and menus that act on the active view ask here. Null until the child layer
// registers its finder, and while the active tab shows no folder.
using ActiveViewFinder = TFolderView* (*)();
void SetActiveViewFinder(ActiveViewFinder finder);
TFolderView* FindActiveView();

// Routes the sort commands 11000-11199 and the main menu's arrange submenu
// to the folder views; the first view does it.
void RegisterColumnCommands();

// Parsing names compared as the file system does: ordinal, ignoring case.
bool SameParsingName(const std::wstring& a, const std::wstring& b);
