#pragma once
// What a child window and the content it shows know of each other. The child
// asks its content (the folder view, later the search result list) to show
// and size itself; the folder view reaches everything above it through the
// host its child hands it at creation, never through the child layer itself.

#include <windows.h>
#include <shlobj.h>

#include <string>

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

// The folder view's container. Folder ID lists here are absolute; a folder to
// select inside one is a child ID relative to it.
class TFolderViewHost {
public:
    virtual ~TFolderViewHost() = default;
    // The window the view lives in: the parent of its list, the owner of its
    // timers and of the small icon it shows.
    virtual HWND HostWindow() const = 0;
    // The owner of the program's and the shell's dialogs; null when there is none.
    virtual HWND DialogOwner() const = 0;
    // Whether the folder's own dialogs may show while it is enumerated (not
    // while start-up restores its tabs).
    virtual bool Interactive() const = 0;
    // No tab is active, or this view's tab is.
    virtual bool IsActive() const = 0;
    // A locked tab keeps its folder: every navigation opens a new tab instead.
    virtual bool NavigateLocked() const = 0;
    // When another tab shows `folder`, activates it with `select` selected
    // and answers true.
    virtual bool ShowIfOpenElsewhere(PCIDLIST_ABSOLUTE folder, PCUITEMID_CHILD select) = 0;
    // Takes ownership of `folder` and shows it in a new tab.
    virtual void OpenInNewTab(PIDLIST_ABSOLUTE folder, bool activate, PCUITEMID_CHILD select) = 0;
    // The view is about to leave the folder it shows: the history records it.
    virtual void RecordHistory() = 0;
    // The navigation the last RecordHistory was for did not happen: the
    // history goes back to what it was before.
    virtual void ForgetLastRecord() = 0;
    // The view shows `folder` now: the bars and panes that follow the active tab follow it.
    virtual void ReportLocation(PCIDLIST_ABSOLUTE folder) = 0;
    // The folder's display name and the full caption the window shows.
    virtual void ShowTitle(const std::wstring& name, const std::wstring& caption) = 0;
    // The window's small icon changed; the frame shows it for a maximised child.
    virtual void IconChanged() = 0;
    // A command of the main window, aimed at the view's list `list`.
    virtual void RunFrameCommand(WORD command, HWND list) = 0;
    // Closes the view's tab once the calls on the stack have returned.
    virtual void CloseLater() = 0;
};
