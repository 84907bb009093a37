#pragma once
// Listing a folder off the GUI thread: a worker thread of its own binds the
// folder from its absolute ID list in its own apartment, enumerates it,
// applies the display filter, and hands the items to the view in batches as
// they come; at the end it works out their sorted order and hands that over
// too. A folder on a slow disk or an unreachable share then holds only this
// thread, never the window. The view cancels a fill by dropping it: the
// worker notices at its next step and ends on its own.

#include "app/Handles.h"
#include "app/uPIDL.h"
#include "folderview/uViewResult.h"

#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Some of a folder's items, in the order the folder listed them.
struct TFillBatch : TViewResult {
    std::vector<UniqueChildPidl> items;  // the view takes what it keeps
    bool last = false;
    HRESULT result = S_OK;  // of the whole listing; meaningful in the last batch
    // In the last batch of a successful listing: for each place in the sorted
    // list, the number of the item (counted over all batches) that goes there.
    std::vector<std::uint32_t> order;
    HICON folderIcon = nullptr;  // the folder's small icon, in the last batch when asked for; owned until taken
    int folderIconIndex = -1;    // the same icon in the system image list

    ~TFillBatch() override;
    LRESULT Apply(TFolderView& view) override;
};

struct TFillRequest {
    UniqueAbsolutePidl folder;
    HWND owner = nullptr;  // for the folder's own dialogs; none outside interactive mode
    DWORD enumFlags = 0;
    std::vector<std::wstring> filter;  // upper-cased wildcard patterns; empty lets everything through
    bool fileSystemFolder = false;
    int sortColumn = 0;
    bool sortAscending = true;
    bool wantIcon = false;  // the folder's small icon comes with the last batch
    HWND list = nullptr;  // the view's list view, where batches are sent
    LONG generation = 0;
    // Set once the view's watch on the folder sees changes; the listing waits
    // for it, so that no change falls between the two.
    UniqueHandle watchArmed;
};

class TInFolderNames;
class TItemCopies;

class TFillJob {
public:
    // Starts the worker; null when no thread could be started.
    static std::shared_ptr<TFillJob> Start(TFillRequest request);
    // A job with nothing to list, already done: the view puts items it has
    // already through a fill's slices.
    static std::shared_ptr<TFillJob> Finished();
    // The worker stops at its next step; nothing more is sent.
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }
    // Waits up to `milliseconds` for the worker to send its last batch, running
    // meanwhile the messages sent to this thread (the batches among them).
    bool WaitDone(DWORD milliseconds) const;
    // The same, until the listing has given its first entries or failed.
    bool WaitFirstEntries(DWORD milliseconds) const;

    TFillJob(const TFillJob&) = delete;
    TFillJob& operator=(const TFillJob&) = delete;
    ~TFillJob();

    // Workers still running in the process, cancelled ones included.
    static LONG Running();

private:
    explicit TFillJob(TFillRequest request);
    void Run();
    HRESULT Enumerate(IShellFolder* folder, TItemCopies& copies, TFillBatch& last);
    bool Send(TFillBatch& batch);
    bool Passes(TInFolderNames& names, PCUITEMID_CHILD item) const;

    TFillRequest request_;
    std::atomic<bool> cancelled_{false};
    HANDLE done_ = nullptr;
    HANDLE firstEntries_ = nullptr;
};

// Some shells list a file-system folder they cannot read as empty instead of
// failing: one that no longer exists, one the user may not read, one whose
// path is longer than the shell can follow. What `absolute`, listed empty,
// really is: S_OK for a folder that is empty (or not in the file system), else
// the failure its listing should have answered.
HRESULT EmptyListingResult(PCIDLIST_ABSOLUTE absolute);

// How a fill's worker binds the folder of an absolute ID list. The capability
// layer's BindAbsoluteFolder does it; tests put a slow or failing folder in its place.
using FillFolderBinder = HRESULT (*)(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder);
void SetFillFolderBinder(FillFolderBinder binder);
