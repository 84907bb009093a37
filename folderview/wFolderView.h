#pragma once
// The folder view: a list view of the program's own filling that shows the
// items of one shell folder inside a child window.

#include "app/ComPtr.h"
#include "mdi/wMDIChild.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

inline constexpr UINT WM_CHANGENOTIFY_CHILD = 0x8001;  // shell change notification to a child window
inline constexpr UINT kFolderViewListId = 1505;

struct TThumbSlot {
    HANDLE Handle = nullptr;
    BYTE IsIcon = 0;
    BYTE Dirty = 0;
    BYTE Requested = 0;
};

class TFolderView : public TMDIChildContent {
public:
    explicit TFolderView(TMDIChildView& childView);
    ~TFolderView() override;
    TFolderView(const TFolderView&) = delete;
    TFolderView& operator=(const TFolderView&) = delete;

    void Show(bool visible) override;
    void Resize(int width, int height) override;

    // Takes ownership of `pidl`; false only when nothing was done because the
    // tab is locked or the folder is already shown elsewhere.
    bool BrowseTo(LPITEMIDLIST pidl, bool report, LPCITEMIDLIST selectChild);
    bool BrowseChild(IShellFolder* parent, LPITEMIDLIST pidl, LPCITEMIDLIST relative);
    void Relocate(LPITEMIDLIST pidl, LPCITEMIDLIST selectChild);
    void FillView(bool report, LPCITEMIDLIST selectChild);
    void RefreshView(int mode);
    void SetViewMode(int mode);
    void GoUp(bool inNewTab, bool activate);
    void SelectChild(LPCITEMIDLIST relative);
    void OnChangeNotify(HANDLE notification, DWORD processId);
    LRESULT OnNotify(NMHDR* header);
    void OnTimer(UINT_PTR id);

    // The relative ID list of the focused item, or null; not copied.
    LPCITEMIDLIST FocusedItem() const;

    LPITEMIDLIST AbsoluteIDList = nullptr;
    std::vector<TThumbSlot> Thumbs;
    BYTE ViewMode = 3;
    ComPtr<IShellFolder> Folder;
    ComPtr<IShellFolder2> Folder2;
    ComPtr<IShellDetails> Details;
    HWND ChildWindow = nullptr;
    TMDIChildView* ChildView = nullptr;
    ComPtr<IDropTarget> DropTarget;
    std::vector<int> Columns;
    std::vector<ULONG> NotifyIDs;
    WORD SortColumn = 0;
    bool SortAscending = true;
    bool StatusEnabled = true;
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
    std::vector<LPCITEMIDLIST> CutItems;
    HWND NextViewer = nullptr;
    bool InClipboardChain = false;
};
