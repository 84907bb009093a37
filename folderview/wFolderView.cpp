// The folder view's life: creation and destruction, navigation, the fill, view
// modes and what the view reports to its child window after a fill.

#include "folderview/wFolderView.h"

#include "app/Global.h"
#include "app/uFrameLink.h"
#include "folderview/uFillJob.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemTasks.h"
#include "folderview/uListDisposal.h"
#include "folderview/uStatusInfo.h"
#include "folderview/wThumbnail.h"
#include "shell/uCapabilities.h"
#include "shell/uDirWatcher.h"
#include "shell/uDpi.h"

#include <shlwapi.h>

namespace {

// The list view style bits of view modes 0-4.
constexpr DWORD kModeStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT, LVS_ICON};
// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | LVS_REPORT
constexpr DWORD kListStyle = 0x56000049;
constexpr DWORD kFixedExStyle = LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP;
// What an item takes with it into a new list of another mode.
constexpr UINT kRelistedStates = LVIS_SELECTED | LVIS_FOCUSED | LVIS_CUT | LVIS_OVERLAYMASK;
constexpr COLORREF kSortBitmapMask = RGB(0xC0, 0xC0, 0xC0);
constexpr SFGAOF kFileSystemFolderBits = SFGAO_FILESYSANCESTOR | SFGAO_FOLDER | SFGAO_FILESYSTEM;

ActiveViewFinder g_activeViewFinder = nullptr;

// Every view alive, to tell a list that a command names apart from other windows.
std::vector<TFolderView*>& LiveViews() {
    static std::vector<TFolderView*> views;
    return views;
}

// The side of one header arrow at 96 DPI; "SORTBMP" holds two.
constexpr int kSortArrowSide = 7;
constexpr int kSortArrowCount = 2;

void SystemImageLists(HWND list, HIMAGELIST& large, HIMAGELIST& small) {
    const UINT dpi = DpiOf(list);
    large = SystemImageListOfSide(LargeIconSide(dpi));
    small = SystemImageListOfSide(SmallIconSide(dpi));
}

HIMAGELIST MakeSortImages(HWND list) {
    const UINT dpi = DpiOf(list);
    const int side = ScaleForDpi(kSortArrowSide, dpi);
    UniqueBitmap strip(LoadBitmapForDpi(GetModuleHandleW(nullptr), L"SORTBMP", dpi, kSortArrowCount));
    HIMAGELIST images = ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, kSortArrowCount, 0);
    if (images && strip) ImageList_AddMasked(images, strip.get(), kSortBitmapMask);
    return images;
}

}  // namespace

TFolderView::TFolderView(TFolderViewHost& host) {
    ChildWindow = host.HostWindow();
    Host = &host;
    LiveViews().push_back(this);
    Scheduler = CreateTaskScheduler();
    Generation = 0;

    const FolderViewSettings& settings = FolderViewConfig();
    CheckBoxes = (settings.LVS_EX_FLAGS & LVS_EX_CHECKBOXES) != 0;
    ViewMode = 3;
    CreateList(settings.LVS_FLAGS | kListStyle, RECT{});
    RegisterColumnCommands();

    StatusEnabled = true;
    NotifyEnabled = true;
    SelfDrag = false;
    Sorting = false;
    NextViewer = nullptr;
    InClipboardChain = false;
}

void TFolderView::CreateList(DWORD style, const RECT& place) {
    ListView = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"FolderView", style, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, ChildWindow,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFolderViewListId)),
                               GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(ListView, FolderViewConfig().LVS_EX_FLAGS | kFixedExStyle);
    HookListView();
    RegisterDropTarget();

    // The header answers with the list's identifier, so the child window
    // passes its notifications on as well.
    if (HWND header = ListView_GetHeader(ListView)) SetWindowLongPtrW(header, GWLP_ID, kFolderViewListId);
    ApplyDpi();

    const FrameColors& colors = ColorConfig();
    if (colors.lvSetBKColor) {
        ListView_SetBkColor(ListView, colors.listViewBK);
        ListView_SetTextBkColor(ListView, colors.listViewBK);
    }
    if (!colors.bkImagePath.empty()) {
        LVBKIMAGEW image{};
        image.ulFlags = LVBKIF_SOURCE_URL | LVBKIF_STYLE_TILE;
        image.pszImage = const_cast<wchar_t*>(colors.bkImagePath.c_str());
        ListView_SetBkImage(ListView, &image);
    }
}

// Emptied in place, a list of many items holds the window while it lets go of
// them; it goes in slices instead, and a new list of the same look takes its place.
void TFolderView::EmptyList() {
    if (!LetGoInSlices(ListView)) {
        ListView_DeleteAllItems(ListView);
        return;
    }
    ReplaceList(static_cast<DWORD>(GetWindowLongPtrW(ListView, GWL_STYLE)), ListItemIds::Freed);
}

// A new, empty list with `style` takes the list's place, with the look of the view's mode.
void TFolderView::ReplaceList(DWORD style, ListItemIds ids) { DisposeListView(SwapInNewList(style), ids); }

HWND TFolderView::SwapInNewList(DWORD style) {
    RECT place{};
    GetWindowRect(ListView, &place);
    MapWindowPoints(nullptr, ChildWindow, reinterpret_cast<POINT*>(&place), 2);
    HWND old = DetachList();
    CreateList(style, place);
    if (ViewMode == 2) ListView_SetColumnWidth(ListView, 0, FolderViewConfig().ListWidth);
    if (ViewMode == 3) BuildColumns();
    return old;
}

TFolderView::~TFolderView() {
    std::erase(LiveViews(), this);
    CancelFill();
    RemoveAllTasks();
    LetListGo(ListItemIds::Freed);
    LeaveClipboardChain();
    DeregisterChangeNotify();
    PIDLFree(AbsoluteIDList);
    DropThumbnails();
    // Only an icon the child window still shows is ours to destroy; a later
    // content may have replaced (and destroyed) it.
    if (OwnIcon && IsWindow(ChildWindow) &&
        reinterpret_cast<HICON>(SendMessageW(ChildWindow, WM_GETICON, ICON_SMALL, 0)) == OwnIcon) {
        SendMessageW(ChildWindow, WM_SETICON, ICON_SMALL, 0);
        DestroyIcon(OwnIcon);
    }
    if (SortImages) ImageList_Destroy(SortImages);
}

// The list may outlive this view while it lets go of many items, so it is
// handed back everything the view lent it first: the drop target, the
// subclass, the sort arrows and the font.
void TFolderView::LetListGo(ListItemIds ids) { DisposeListView(DetachList(), ids); }

HWND TFolderView::DetachList() {
    RevokeDropTarget();
    UnhookListView();
    if (!IsWindow(ListView)) return nullptr;
    if (HWND header = ListView_GetHeader(ListView)) Header_SetImageList(header, nullptr);
    if (ListFont) SendMessageW(ListView, WM_SETFONT, 0, FALSE);
    ShowWindow(ListView, SW_HIDE);
    SendMessageW(ListView, WM_SETREDRAW, FALSE, 0);
    return ListView;
}

TFolderView* TFolderView::OfList(HWND window) {
    if (!window) return nullptr;
    for (TFolderView* view : LiveViews())
        if (view->ListView == window) return view;
    return nullptr;
}

void SetActiveViewFinder(ActiveViewFinder finder) { g_activeViewFinder = finder; }

TFolderView* FindActiveView() { return g_activeViewFinder ? g_activeViewFinder() : nullptr; }

void TFolderView::Show(bool visible) { ShowWindow(ListView, visible ? SW_SHOW : SW_HIDE); }

void TFolderView::Resize(int width, int height) {
    MoveWindow(ListView, 0, 0, width, height, TRUE);
    ListView_Arrange(ListView, LVA_DEFAULT);
}

bool TFolderView::BrowseTo(PIDLIST_ABSOLUTE pidl, bool report, PCUITEMID_CHILD selectChild) {
    return Navigate(pidl, report, selectChild, nullptr, nullptr);
}

bool TFolderView::BrowseChild(IShellFolder* parent, PIDLIST_ABSOLUTE pidl, PCUIDLIST_RELATIVE relative) {
    return Navigate(pidl, true, nullptr, parent, relative);
}

bool TFolderView::Navigate(PIDLIST_ABSOLUTE pidl, bool report, PCUITEMID_CHILD selectChild, IShellFolder* parent,
                           PCUIDLIST_RELATIVE relative) {
    const ULONGLONG started = GetTickCount64();
    UniqueAbsolutePidl target(pidl);
    if (!target) return true;
    // The arguments may point into lists this navigation frees (the old
    // folder, the old items), and the parent may be the old Folder itself.
    UniqueChildPidl select(PIDLClone(selectChild));
    UniqueRelativePidl relativeCopy(PIDLClone(relative));
    ComPtr<IShellFolder> parentRef(parent);

    if (Host->NavigateLocked()) {
        Host->OpenInNewTab(target.release(), true, select.get());
        return false;
    }
    if (Host->ShowIfOpenElsewhere(target.get(), select.get())) return false;

    // Tasks on the scheduler's thread read the generation while it changes.
    InterlockedIncrement(&Generation);
    CancelFill();
    RemoveAllTasks();
    LeaveClipboardChain();
    RecordHistoryNotingLeftFolder();
    PIDLFree(AbsoluteIDList);
    AbsoluteIDList = target.release();

    if (!BindFolder(parentRef.get(), relativeCopy.get())) {
        DeregisterChangeNotify();
        EmptyList();
        EntryFailed(HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE), Host->Interactive() && !fallingBack_, report, false);
        return true;
    }
    FillView(report, select.get(), started);
    return true;
}

void TFolderView::Relocate(PIDLIST_ABSOLUTE pidl, PCUITEMID_CHILD selectChild) {
    UniqueAbsolutePidl target(pidl);
    if (!target) return;
    UniqueChildPidl select(PIDLClone(selectChild));
    InterlockedIncrement(&Generation);
    CancelFill();
    RemoveAllTasks();
    DeregisterChangeNotify();
    PIDLFree(AbsoluteIDList);
    AbsoluteIDList = target.release();
    if (!BindFolder(nullptr, nullptr)) {
        EmptyList();
        return;
    }
    FillView(true, select.get());
}

bool TFolderView::BindFolder(IShellFolder* parent, PCUIDLIST_RELATIVE relative) {
    FolderIconIndex = -1;
    InFolderNames.reset();
    Folder.reset();
    Folder2.reset();
    Details.reset();
    ShellIcon.reset();
    IconOverlay.reset();
    if (AbsoluteIDList->mkid.cb == 0) {
        Folder = App().desktop;
        Folder2 = App().desktop2;
        FileSystemFolder = true;
        InFolderNames = std::make_unique<TInFolderNames>(Folder.get(), FileSystemFolder);
        return static_cast<bool>(Folder);
    }
    // One walk from the desktop to the parent serves both: the parent tells
    // whether the folder lies in the file system and binds it by its last
    // name. Every walk asks the platform about each level on the way.
    ComPtr<IShellFolder> container;
    if (parent && relative && PIDLCount(relative) == 1) {
        container = ComPtr<IShellFolder>(parent);
    } else {
        UniqueAbsolutePidl parentList(PIDLParent(AbsoluteIDList));
        if (!parentList || !PIDLBindFolder(parentList.get(), container.put())) return false;
    }
    PCUITEMID_CHILD last = PIDLLastChild(AbsoluteIDList);
    if (FAILED(BindChildFolder(container.get(), AbsoluteIDList, Folder.put())) || !Folder) {
        Folder.reset();
        return false;
    }
    Folder2 = Folder.as<IShellFolder2>();
    if (!Folder2) Folder->CreateViewObject(Host->DialogOwner(), IID_IShellDetails, Details.putVoid());
    if (!Folder2 && !Details) {
        Folder.reset();
        return false;
    }
    SFGAOF attributes = kFileSystemFolderBits;
    FileSystemFolder = SUCCEEDED(container->GetAttributesOf(1, &last, &attributes)) &&
                       (attributes & kFileSystemFolderBits) == kFileSystemFolderBits;
    InFolderNames = std::make_unique<TInFolderNames>(Folder.get(), FileSystemFolder);
    return true;
}

void TFolderView::FallBackToParent(bool viaParent, bool report) {
    if (!viaParent) {
        CloseOwnTab();
        return;
    }
    if (!AbsoluteIDList || AbsoluteIDList->mkid.cb == 0) return;
    UniqueAbsolutePidl parent(PIDLParent(AbsoluteIDList));
    UniqueChildPidl item(PIDLClone(PIDLLastChild(AbsoluteIDList)));
    if (Host->ShowIfOpenElsewhere(parent.get(), item.get())) {
        CloseOwnTab();
        return;
    }
    // The nested attempt runs outside interactive mode: a parent that cannot
    // be enumerated either closes the tab instead of falling back again.
    const bool wasFallingBack = fallingBack_;
    fallingBack_ = true;
    BrowseTo(parent.release(), report, item.get());
    fallingBack_ = wasFallingBack;
}

void TFolderView::CloseOwnTab() {
    NotifyEnabled = false;
    DeregisterChangeNotify();
    // Later, not now: closing the tab frees this view, and every caller up
    // the stack still uses it.
    Host->CloseLater();
}

// The folder's icon is left to the fill's worker: for a large folder the
// shell takes a while to find it.
void TFolderView::ShowLocation(bool report) {
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(AbsoluteIDList), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME);
    const std::wstring caption = FolderViewConfig().FullPath ? PIDLPathOrName(AbsoluteIDList)
                                                             : std::wstring(info.szDisplayName);
    Host->ShowTitle(info.szDisplayName, caption);
    if (report) Host->ReportLocation(AbsoluteIDList);
}

void TFolderView::ShowFolderIcon(HICON icon) {
    if (!icon) return;
    HICON previous = reinterpret_cast<HICON>(
        SendMessageW(ChildWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    if (previous && previous != icon) DestroyIcon(previous);
    OwnIcon = icon;
    Host->IconChanged();
}

void TFolderView::RestartStatusTimer() {
    SetTimer(ChildWindow, kStatusTimerId, static_cast<UINT>(FrameConfig().delayTime), nullptr);
}

void TFolderView::OnTimer(UINT_PTR id) {
    if (id == kThumbnailCacheTimerId) {
        FlushThumbnailCache();
        return;
    }
    if (id == kStatusTimerId) {
        UpdateStatus(*this);
        RefreshThumbnailPaneFor(this);
    }
}

void TFolderView::RemoveAllTasks() {
    if (Scheduler) Scheduler->RemoveTasks(TOID_NULL, ITSAT_DEFAULT_LPARAM, TRUE);
    ThumbnailBatch.reset();
}

void TFolderView::SetListStyle(int mode) {
    const LONG_PTR style = GetWindowLongPtrW(ListView, GWL_STYLE);
    SetWindowLongPtrW(ListView, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | kModeStyles[mode]);
    if (mode == 0) {
        HIMAGELIST large, small;
        SystemImageLists(ListView, large, small);
        ListView_SetImageList(ListView, large, LVSIL_NORMAL);
        ListView_SetIconSpacing(ListView, -1, -1);
    }
    if (mode == 4) ApplyThumbnailLook();
}

void TFolderView::ApplyDpi() {
    HIMAGELIST large, small;
    SystemImageLists(ListView, large, small);
    ListView_SetImageList(ListView, small, LVSIL_SMALL);
    if (ViewMode == 4)
        ApplyThumbnailLook();
    else
        ListView_SetImageList(ListView, large, LVSIL_NORMAL);
    const UINT dpi = DpiOf(ListView);
    // Columns keep their share of the text when the window moves to a monitor
    // of another scale; what they show then is remembered in pixels again.
    if (ShownDpi && dpi != ShownDpi && ViewMode == 3) {
        for (int i = 0, count = static_cast<int>(Columns.size()); i < count; ++i)
            ListView_SetColumnWidth(ListView, i, MulDiv(ListView_GetColumnWidth(ListView, i), dpi, ShownDpi));
    }
    ShownDpi = dpi;
    LOGFONTW logFont{};
    if ((ListFont || dpi != SystemDpi()) && IconTitleFontForDpi(logFont, dpi)) {
        UniqueFont font(CreateFontIndirectW(&logFont));
        if (font) {
            SendMessageW(ListView, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
            ListFont = std::move(font);
        }
    }
    if (HWND header = ListView_GetHeader(ListView)) {
        HIMAGELIST previous = SortImages;
        SortImages = MakeSortImages(ListView);
        Header_SetImageList(header, SortImages);
        if (previous) ImageList_Destroy(previous);
    }
}

void TFolderView::ApplyModeForFill(int mode) {
    if (mode < 0 || mode > 4) mode = 0;
    // Pictures of the folder left are not written to its cache.
    CloseImageStore();
    Thumbs.clear();
    if (mode == 4) OpenImageStore();
    if (mode != ViewMode) {
        SetListStyle(mode);
        ViewMode = static_cast<BYTE>(mode);
    }
    if (mode == 2) ListView_SetColumnWidth(ListView, 0, FolderViewConfig().ListWidth);
    if (mode == 3) BuildColumns();
}

void TFolderView::SetViewMode(int mode) {
    if (mode < 0 || mode > 4) return;
    if (RelistInMode(mode)) return;
    // While the list may paint, it repaints every item it moves or changes
    // one at a time, which on a large folder holds the window for seconds.
    SendMessageW(ListView, WM_SETREDRAW, FALSE, 0);
    RemoveAllTasks();
    if (ViewMode == 4 && mode != 4) {
        LeaveThumbnailMode();
        ResetItemImages();
    }
    if (mode == 4) EnterThumbnailMode();
    SetListStyle(mode);
    if (mode == 2) ListView_SetColumnWidth(ListView, 0, FolderViewConfig().ListWidth);
    if (mode == 3) BuildColumns();
    ViewMode = static_cast<BYTE>(mode);
    // Items already in the list keep the places they had under the old
    // spacing until they are arranged again; thumbnails would overlap.
    ListView_Arrange(ListView, LVA_DEFAULT);
    SendMessageW(ListView, WM_SETREDRAW, TRUE, 0);
    UpdateState();
    InvalidateRect(ListView, nullptr, TRUE);
}

// A list that measures every item's label on entering the small-icon or list
// mode holds the window for seconds on a large folder, and every mode switch
// that goes over all of its items holds it for a fraction of one. The items go
// instead into a new list already in that mode, read from the old one row by
// row in a fill's slices, with their states; the old list then lets go of its
// rows without freeing what the new one adopted. Answers false where the
// switch is left to the list.
bool TFolderView::RelistInMode(int mode) {
    const bool relisting = !fill_.sources.empty();
    if (mode == 0 || PlatformCapabilities().listLabelsMeasuredLazily || (Filling() && !relisting) ||
        (!relisting && !LetGoInSlices(ListView)))
        return false;
    // A switch while the items still move takes those moved so far first,
    // then the rest from where they wait; changes heard meanwhile still wait.
    std::vector<SourceRows> sources = RowsLeftToRelist();
    std::vector<DeferredChange> changes = std::move(fill_.changes);
    const bool watcherPending = fill_.watcherPending;
    const bool hadFocus = GetFocus() == ListView;
    if (relisting) {
        KillTimer(ListView, kFillStepTimerId);
        fill_ = FillState();
    }
    if (hadFocus) SetFocus(ChildWindow);
    // Results asked for rows of the old list are of no use to the new one.
    InterlockedIncrement(&Generation);
    RemoveAllTasks();
    if (ViewMode == 4) LeaveThumbnailMode();
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(ListView, GWL_STYLE));
    ViewMode = static_cast<BYTE>(mode);
    HWND previous = SwapInNewList((style & ~static_cast<DWORD>(LVS_TYPEMASK)) | kModeStyles[mode]);
    // It stays a hidden child while it is read: only the list shown answers
    // to the list's identifier. A list that goes with its parent keeps it, as
    // the parent frees its items by it.
    SetWindowLongPtrW(previous, GWLP_ID, 0);
    sources.insert(sources.begin(), SourceRows{previous, 0, ListView_GetItemCount(previous)});
    if (mode == 4) {
        RecreateThumbs();
        OpenImageStore();
    }
    StartRelist(std::move(sources), kRelistedStates | (CheckBoxes ? LVIS_STATEIMAGEMASK : 0), hadFocus);
    fill_.changes = std::move(changes);
    fill_.watcherPending = watcherPending;
    UpdateState();
    return true;
}

void TFolderView::GoUp(bool inNewTab, bool activate) {
    if (!AbsoluteIDList || AbsoluteIDList->mkid.cb == 0) return;
    UniqueAbsolutePidl parent(PIDLParent(AbsoluteIDList));
    UniqueChildPidl child(PIDLClone(PIDLLastChild(AbsoluteIDList)));
    if (inNewTab)
        Host->OpenInNewTab(parent.release(), activate, child.get());
    else
        BrowseTo(parent.release(), true, child.get());
}

void TFolderView::SelectChild(PCUITEMID_CHILD relative) {
    const int index = FindItem(relative);
    if (index < 0) return;
    FocusAndSelect(index);
}

void TFolderView::FocusAndSelect(int index) {
    ListView_SetItemState(ListView, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(ListView, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(ListView, index, FALSE);
}

PCUITEMID_CHILD TFolderView::FocusedItem() const {
    return ItemIDList(ListView_GetNextItem(ListView, -1, LVNI_FOCUSED));
}
