#pragma once
// Which platform services the program can trust, decided once at start, and
// the stand-ins of our own used where a service is missing or unreliable.
// This is the only place that knows which platform the program runs on; the
// rest of the program asks for a capability, never for a platform.

#include "app/ComPtr.h"
#include "shell/ShellGuids.h"
#include "shell/uColumnCompare.h"

#include <shobjidl.h>

#include <memory>
#include <string>

struct Capabilities {
    // Classes that can be created (probed with CoCreateInstance).
    bool shellTaskScheduler = false;   // IShellTaskScheduler; otherwise CreateTaskScheduler gives ours
    bool thumbnailDiskCache = false;   // IShellImageStore, the per-folder thumbnail cache
    bool trackShellMenu = false;       // ITrackShellMenu, folder-backed popup menus

    // Behaviour that no cheap probe can reveal.
    // The verbs "cut", "paste", "pastelink", "link", "rename" and "properties",
    // and a folder's IDropTarget::Drop, do what they report; when false they may
    // report success and do nothing, and file-system items need our own
    // implementation of them.
    bool shellEditVerbs = false;
    // The undo command of a shell view's background menu undoes the last shell
    // operation; when false it does nothing and the program keeps its own record.
    bool shellUndo = false;
    // DDE XTYP_EXECUTE carries UTF-16 text intact between two processes; when
    // false only the first character arrives (XTYP_POKE still carries it intact).
    bool ddeUnicodeExecute = false;
    // Shell change notifications also report changes made outside this
    // process's own shell calls (other processes, plain file functions); when
    // false only SHFileOperationW and explicit SHChangeNotify in this process
    // are reported.
    bool changeNotifyFromOutside = false;
    // File-system folders offer IShellIcon, IShellIconOverlay, IShellDetails and
    // IQueryInfo, and their items IExtractImage; when false there are no shell
    // thumbnails at all and icons and overlays come from the fallbacks.
    bool fileSystemFolderExtras = false;
    // A file-system folder's CompareIDs orders by the column it is asked for;
    // when false it orders every column by name (folders first), so sorting by
    // size, type or date needs our own comparison.
    bool fileSystemColumnCompare = false;
    // A file-system folder answers a file's in-folder name (SHGDN_INFOLDER) as
    // cheaply as its parsing name; when false it looks up the same registry
    // values for every file (whether its extension is hidden), which makes a
    // list of a hundred thousand names take seconds.
    bool fastInFolderNames = false;
    // A file-system folder's enumerator hands out the first items while it
    // still reads the folder; when false it reads every entry before
    // EnumObjects returns, so the first items of a folder of a hundred
    // thousand files wait a second or more for the last one.
    bool fileSystemEnumerationStreams = false;
    // The shell's completion of file-system paths in an edit field
    // (SHAutoComplete) suggests anything; when false it suggests nothing and
    // ours is attached instead.
    bool shellAutoComplete = false;
    // An extended combo box asks for an entry's text (LPSTR_TEXTCALLBACKW) in
    // UTF-16 and keeps all of it; when false it reads the answer as ANSI, so
    // only the first character shows, and entries are given their text at once.
    bool comboExTextCallback = false;
    // A list view entering the small-icon or list mode measures the labels it
    // shows when it needs them; when false it measures every item's label at
    // once (a device context and a text extent each), which holds the window
    // for seconds on a list of a hundred thousand items.
    bool listLabelsMeasuredLazily = false;
    // A toolbar keeps the padding it is given around its buttons' images and
    // names (TB_SETPADDING); when false it cuts it down to an edge's width,
    // which leaves a name under an image less room than the control measured
    // it to need, so the name loses its end.
    bool toolBarPadding = false;
    // A file-system folder's desktop.ini (which may name its class and icon)
    // is read only where the folder is marked read-only or system; when false
    // it is looked for whenever a folder is bound or asked for its icon, and
    // in a folder of a hundred thousand names each look for the missing file
    // reads all of them.
    bool desktopIniOnlyWhereMarked = false;
};

// Decided on the first call (COM need not be initialised yet), the same object after.
const Capabilities& PlatformCapabilities();

// The platform's shell task scheduler, or our own when its class cannot be created.
ComPtr<IShellTaskScheduler> CreateTaskScheduler();

// A per-folder thumbnail cache, not yet bound to a folder (IPersistFolder does
// that): the platform's, or our own when its class is missing.
ComPtr<IShellImageStore> CreateThumbnailStore();

// The order of a file-system folder's items by shell column `column`, in
// CompareIDs' form: the folder's own comparison, or ours for the columns after
// the name where the folder's cannot be trusted with them. One object serves
// one sort (ours keeps what it learnt of each item meanwhile).
class TFileSystemOrder {
public:
    TFileSystemOrder(IShellFolder* folder, UINT column);
    ~TFileSystemOrder();
    TFileSystemOrder(const TFileSystemOrder&) = delete;
    TFileSystemOrder& operator=(const TFileSystemOrder&) = delete;
    HRESULT Compare(PCUITEMID_CHILD a, PCUITEMID_CHILD b);

private:
    IShellFolder* folder_;
    UINT column_;
    ComPtr<IShellFolder2> folder2_;
    std::unique_ptr<TColumnMeaningOrder> meaning_;
};

// The names a list shows for the items of one folder (SHGDN_INFOLDER). Where
// the platform's file-system folders are slow to give them, a file's name is
// its parsing name with the extension hidden or shown as the folder did for
// the first file of the same extension; anything else, and anything that
// first file does not explain, is asked of the folder. One object per bound
// folder and thread.
class TInFolderNames {
public:
    TInFolderNames(IShellFolder* folder, bool fileSystemFolder);
    ~TInFolderNames();
    TInFolderNames(const TInFolderNames&) = delete;
    TInFolderNames& operator=(const TInFolderNames&) = delete;
    // False when the folder gives no name.
    bool Name(PCUITEMID_CHILD relative, std::wstring& name);

private:
    struct Learnt;
    IShellFolder* folder_;
    std::unique_ptr<Learnt> learnt_;  // none where the folder's own answers are cheap
};

// The items of `folder` (EnumObjects with `owner` and `flags`): the folder's
// own enumerator, or where the platform's file-system folders read the whole
// folder before they hand out the first item, ours for those folders.
HRESULT EnumerateFolderItems(IShellFolder* folder, HWND owner, SHCONTF flags, IEnumIDList** items);

// Binds `absolute` as a folder: through the desktop, or from its parent
// folder `parent` (the folder of its last item). Where the platform reads
// every folder's desktop.ini, an unmarked file-system folder is made without it.
HRESULT BindAbsoluteFolder(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder);
HRESULT BindChildFolder(IShellFolder* parent, PCIDLIST_ABSOLUTE absolute, IShellFolder** folder);

// SHGetFileInfoW of the folder `folder` bound from `absolute`, for the icon
// flags `flags` (SHGFI_PIDL is added): where the platform reads every
// folder's desktop.ini, an unmarked file-system folder's icon is found
// without it.
bool FolderIconInfo(IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, UINT flags, SHFILEINFOW& info);

// One comparison of the same kind, with nothing kept.
HRESULT CompareFileSystemItems(IShellFolder* folder, UINT column, PCUITEMID_CHILD a, PCUITEMID_CHILD b);

// The thumbnail extractor of item `relative` of `folder`, or empty. Picture
// files of the file system get ours where the platform's folders offer no
// extractor; other items only what their folder offers.
ComPtr<IExtractImage> CreateImageExtractor(IShellFolder* folder, PCUITEMID_CHILD relative, HWND owner);

// The context menu of `count` items of `folder` (whose absolute list is
// `folderList`): the folder's own, or where the shell's edit verbs are inert,
// ours over it for file-system items. Empty when there is none.
ComPtr<IContextMenu> CreateItemsMenu(HWND owner, IShellFolder* folder, PCIDLIST_ABSOLUTE folderList, UINT count,
                                     PCUITEMID_CHILD* items);
// The same for the folder's background (no window is passed to the folder).
ComPtr<IContextMenu> CreateBackgroundMenu(IShellFolder* folder, PCIDLIST_ABSOLUTE folderList);

// The drop target of the item `item` (absolute; the desktop for the empty
// list), or of the background of `folder`: the shell's, or where a folder's
// drop is inert, ours for file-system folders. Empty where nothing can be dropped.
ComPtr<IDropTarget> CreateItemDropTarget(PCIDLIST_ABSOLUTE item);
ComPtr<IDropTarget> CreateBackgroundDropTarget(IShellFolder* folder, PCIDLIST_ABSOLUTE folderList);

// Brings back `path`, deleted into the recycle bin, where the program keeps
// its own undo (the platform's undo serves elsewhere): ours reads the
// freedesktop trash that such a platform deletes into. False when the item is
// not there or its place is taken.
bool RestoreDeletedItem(const std::wstring& path);

// The description of item `relative` of `folder` for a tip or the status
// line (IQueryInfo::GetInfoTip with `flags`), or empty. Where the platform's
// file-system folders describe nothing, a file-system item gets ours (its
// type, size and date on lines of their own). Any thread.
std::wstring ItemInfoTip(IShellFolder* folder, PCUITEMID_CHILD relative, DWORD flags);

// Completes the file-system path typed into `edit`: the shell's completion,
// or ours (the typed folder's children) where the shell's suggests nothing.
void AttachPathCompletion(HWND edit);
