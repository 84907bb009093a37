#pragma once
// Child windows (one per tab), their back and forward history and navigate
// lock, and the entry points through which the program opens folders.

#include "app/UtilClass.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

class TFolderView;
class TSearchList;

// What a child window can show: the folder view or the search result list.
class TMDIChildContent {
public:
    virtual ~TMDIChildContent() = default;
    virtual void Show(bool visible) = 0;
    virtual void Resize(int width, int height) = 0;
    HWND ListView = nullptr;
};

enum ContentKind : BYTE { ContentFolder = 0, ContentSearch = 1 };

struct THistoryEntry {
    BYTE kind = ContentFolder;
    LPITEMIDLIST folder = nullptr;       // owned; none for search results
    LPITEMIDLIST focusedItem = nullptr;  // owned child ID, relative to folder
};

// Newest first, at most 20 entries; owns its entries.
class THistoryList : public TList {
public:
    static constexpr int MaxEntries = 20;
    ~THistoryList() override;
    // Takes the entry's lists; the oldest entry beyond the cap is freed.
    void InsertFront(THistoryEntry* entry);
    THistoryEntry* Entry(int index) const { return static_cast<THistoryEntry*>(Get(index)); }
    // Removes the front entry without freeing it (the caller takes it).
    THistoryEntry* TakeFront();
    void DeleteEntry(int index);
    void Clear() override;
};

class TMDIChildView {
public:
    explicit TMDIChildView(HWND window);
    ~TMDIChildView();

    bool NavigateLock = false;
    HWND Window = nullptr;
    BYTE ContentKind = ContentFolder;
    std::unique_ptr<TFolderView> FolderView;
    std::unique_ptr<TSearchList> SearchList;
    THistoryList BackList;
    THistoryList ForwardList;

    // The folder view, created when first needed.
    TFolderView& EnsureFolderView();
    TMDIChildContent* CurrentContent() const;
};

enum NavigateOrigin { OriginReport = 0, OriginFolderTree = 1, OriginAddressBar = 2, OriginReportToo = 3,
                      OriginFavorites = 4, OriginOther = 5 };
enum NavigateTarget { TargetActive = 0, TargetNew = 1, TargetBackground = 2 };

// Creates a child; takes ownership of `pidl` (for a folder kind).
HWND OpenChildWindow(LPITEMIDLIST pidl, bool activate, LPCITEMIDLIST selectItem, BYTE kind);
bool FindOpenFolder(LPCITEMIDLIST pidl, bool activate, LPCITEMIDLIST selectItem);
// Copies `pidl`; never takes it over.
void RequestNavigate(LPCITEMIDLIST pidl, int origin, int target, LPCITEMIDLIST selectItem);
void OpenFolder(LPCITEMIDLIST pidl, bool newWindow);
void PushHistory(TMDIChildView& view);
void GoHistory(TMDIChildView& view, int n, bool back);
void HistoryMenu(TMDIChildView& view, bool back, POINT screenPoint);
void SetContentKind(TMDIChildView& view, BYTE kind, bool push);
void SetNavigateLock(TMDIChildView& view, bool locked);
bool InNavigate();

// Accessors: each takes a child window, or the MDI client's active child when
// null; all but ActiveChildView answer none for a search-results child.
TMDIChildView* ChildViewOf(HWND child);
TFolderView* ChildFolderView(HWND child = nullptr);
LPCITEMIDLIST ChildFolder(HWND child = nullptr);
HWND ChildListView(HWND child = nullptr);
TFolderView* ActiveFolderView();
TMDIChildView* ActiveChildView();
HWND ActiveChild();
bool IsFolderViewList(HWND window);

void RegisterChildClass(HINSTANCE instance);
