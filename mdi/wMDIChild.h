#pragma once
// Child windows (one per tab), their back and forward history and navigate
// lock, and the entry points through which the program opens folders.

#include "app/uPIDL.h"
#include "app/UtilClass.h"
#include "folderview/uFolderViewHost.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <vector>

class TFolderView;

inline constexpr wchar_t kChildClassName[] = L"ZEKOChildClass";
inline constexpr UINT kSearchListId = 1508;
// Text of a history entry, tab and caption that show search results.
inline constexpr wchar_t kSearchResultsText[] = L"検索結果";

enum ContentKind : BYTE { ContentFolder = 0, ContentSearch = 1 };

struct THistoryEntry {
    BYTE kind = ContentFolder;
    UniqueAbsolutePidl folder;    // none for search results
    UniqueChildPidl focusedItem;  // inside folder, or none
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

// One per child window; it is the host of the child's folder view.
class TMDIChildView : public TFolderViewHost {
public:
    explicit TMDIChildView(HWND window);
    ~TMDIChildView() override;
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

    HWND HostWindow() const override { return Window; }
    HWND DialogOwner() const override;
    bool Interactive() const override;
    bool IsActive() const override;
    bool NavigateLocked() const override { return NavigateLock; }
    bool ShowIfOpenElsewhere(PCIDLIST_ABSOLUTE folder, PCUITEMID_CHILD select) override;
    void OpenInNewTab(PIDLIST_ABSOLUTE folder, bool activate, PCUITEMID_CHILD select) override;
    void RecordHistory() override;
    void ForgetLastRecord() override;
    void ReportLocation(PCIDLIST_ABSOLUTE folder) override;
    void ShowTitle(const std::wstring& name, const std::wstring& caption) override;
    void IconChanged() override;
    void RunFrameCommand(WORD command, HWND list) override;
    void CloseLater() override;

private:
    // What the last RecordHistory changed, for ForgetLastRecord.
    struct HistoryRecord {
        bool added = false;  // an entry went to the front of the back list
        // The forward list it cleared, front first.
        std::vector<std::unique_ptr<THistoryEntry>> forward;
    };
    void PutForwardBack();
    void ShowFolderIconInAddressBar();
    HistoryRecord lastRecord_;
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
HWND OpenChildWindow(PIDLIST_ABSOLUTE pidl, bool activate, PCUITEMID_CHILD selectItem, BYTE kind);
bool FindOpenFolder(PCIDLIST_ABSOLUTE pidl, bool activate, PCUITEMID_CHILD selectItem);
// Copies `pidl`; never takes it over.
void RequestNavigate(PCIDLIST_ABSOLUTE pidl, int origin, int target, PCUITEMID_CHILD selectItem);
void OpenFolder(PCIDLIST_ABSOLUTE pidl, bool newWindow);
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
// Enables back and forward on the toolbars from the active child's history,
// and shows its navigate lock; without an active child both are disabled.
void RefreshHistoryButtons();

// Accessors: each takes a child window, or the MDI client's active child when
// null; all but ActiveChildView answer none for a search-results child.
TMDIChildView* ChildViewOf(HWND child);
TFolderView* ChildFolderView(HWND child = nullptr);
PCIDLIST_ABSOLUTE ChildFolder(HWND child = nullptr);
HWND ChildListView(HWND child = nullptr);
TFolderView* ActiveFolderView();
TMDIChildView* ActiveChildView();
HWND ActiveChild();
bool IsFolderViewList(HWND window);

void RegisterChildClass(HINSTANCE instance);
