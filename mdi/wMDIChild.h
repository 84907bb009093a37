#pragma once
// Child windows (one per tab), their back and forward history and navigate
// lock, and the entry points through which the program opens folders.

#include "app/UtilClass.h"
#include "app/uPIDL.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>

class TFolderView;

inline constexpr UINT kSearchListId = 1508;
// Timers of the folder view that run on the child window.
inline constexpr UINT_PTR kStatusTimerId = 4003;
inline constexpr UINT_PTR kThumbnailCacheTimerId = 4004;
// Text of a history entry, tab and caption that show search results.
inline constexpr wchar_t kSearchResultsText[] = L"検索結果";

// What a child window can show: the folder view or the search result list.
class TMDIChildContent {
public:
    virtual ~TMDIChildContent() = default;
    virtual void Show(bool visible) = 0;
    virtual void Resize(int width, int height) = 0;
    // The list's notifications that the child passes on; the answer is the
    // child's answer to WM_NOTIFY where the code has one.
    virtual LRESULT OnNotify(NMHDR* header) { return 0; }
    // WM_DRAWCLIPBOARD and WM_CHANGECBCHAIN, which reach the child window once
    // the content has put it into the clipboard viewer chain.
    virtual LRESULT OnClipboardChain(UINT message, WPARAM wParam, LPARAM lParam) { return 0; }
    HWND ListView = nullptr;
};

enum ContentKind : BYTE { ContentFolder = 0, ContentSearch = 1 };

struct THistoryEntry {
    BYTE kind = ContentFolder;
    UniquePidl folder;       // none for search results
    UniquePidl focusedItem;  // child ID relative to folder, or none
};

// Newest first, at most 20 entries; owns its entries.
class THistoryList : public TList {
public:
    static constexpr int MaxEntries = 20;
    THistoryList() = default;
    ~THistoryList() override;
    // The entry beyond the cap (the oldest) is freed.
    void InsertFront(std::unique_ptr<THistoryEntry> entry);
    THistoryEntry* Entry(int index) const { return static_cast<THistoryEntry*>(Get(index)); }
    // Removes the front entry and hands it to the caller; null when empty.
    std::unique_ptr<THistoryEntry> TakeFront();
    void DeleteEntry(int index);
    void Clear() override;
};

class TMDIChildView {
public:
    explicit TMDIChildView(HWND window);
    ~TMDIChildView();
    TMDIChildView(const TMDIChildView&) = delete;
    TMDIChildView& operator=(const TMDIChildView&) = delete;

    bool NavigateLock = false;
    HWND Window = nullptr;
    BYTE ContentKind = ContentFolder;
    std::unique_ptr<TFolderView> FolderView;
    // The search result list, made by the search unit (SetSearchListMaker).
    std::unique_ptr<TMDIChildContent> SearchList;
    THistoryList BackList;
    THistoryList ForwardList;
    // While set, PushHistory records nothing: a step through the history moves
    // the entries itself and must not add the location it leaves.
    bool HistoryPaused = false;

    // The folder view, created when first needed.
    TFolderView& EnsureFolderView();
    // The search result list when the search unit can make one, else null.
    TMDIChildContent* EnsureSearchList();
    TMDIChildContent* CurrentContent() const;
};

// The search unit registers how a child makes its result list; until one is
// registered a search-results child has no list of its own.
using SearchListMaker = std::unique_ptr<TMDIChildContent> (*)(TMDIChildView& view);
void SetSearchListMaker(SearchListMaker maker);

enum NavigateOrigin { OriginReport = 0, OriginFolderTree = 1, OriginAddressBar = 2, OriginReportToo = 3,
                      OriginFavorites = 4, OriginOther = 5 };
enum NavigateTarget { TargetActive = 0, TargetNew = 1, TargetBackground = 2 };

// Creates a child; takes ownership of `pidl` (for a folder kind). Answers the
// new child, or null when none was made (no folder, or the folder was already
// open and that tab was used instead).
HWND OpenChildWindow(LPITEMIDLIST pidl, bool activate, LPCITEMIDLIST selectItem, BYTE kind);
bool FindOpenFolder(LPCITEMIDLIST pidl, bool activate, LPCITEMIDLIST selectItem);
// Copies `pidl`; never takes it over.
void RequestNavigate(LPCITEMIDLIST pidl, int origin, int target, LPCITEMIDLIST selectItem);
void OpenFolder(LPCITEMIDLIST pidl, bool newWindow);
void PushHistory(TMDIChildView& view);
void GoHistory(TMDIChildView& view, int n, bool back);
void HistoryMenu(TMDIChildView& view, bool back, POINT screenPoint);
// The popup HistoryMenu tracks: item k + 1 is entry k of the list.
HMENU BuildHistoryMenu(const THistoryList& list);
void SetContentKind(TMDIChildView& view, BYTE kind, bool push);
void SetNavigateLock(TMDIChildView& view, bool locked);
// Makes a child ready for search results and answers it: a new one when asked
// or when there is no child, else the active one switched with history (a
// navigate-locked child gets a new one instead).
HWND ShowSearchResults(bool newWindow);
bool InNavigate();
// Enables back and forward on the toolbars from the active child's history.
void RefreshHistoryButtons();

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
