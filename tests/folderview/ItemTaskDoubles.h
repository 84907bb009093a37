#pragma once
// Test doubles for the folder view's background item tasks. Wine's file-system
// folders answer icons, overlays and columns at once or not at all, so a real
// folder is wrapped in a double that adds what the tasks exist for: a slow
// column, an IShellIcon and an IShellIconOverlay that put their answers off,
// chosen attributes, and gates that hold background calls in the middle.

#include "app/ComPtr.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <functional>
#include <map>
#include <string>

struct WrappedFolderOptions {
    bool shellIcon = false;
    bool fastIcon = false;  // GIL_ASYNC answered at once; otherwise E_PENDING
    int iconIndex = 0;
    bool iconOverlay = false;
    int overlayIndex = 0;  // answered to a synchronous request; OI_ASYNC gets E_PENDING
    // Values of the added slow column, by parsing name; no column when empty.
    std::function<std::wstring(const std::wstring&)> slowValue;
    std::map<std::wstring, SFGAOF> extraAttributes;  // by parsing name
    DWORD delay = 0;  // milliseconds every background call takes
};

// The calls a test can hold at a gate.
enum class HeldCall { Icon, Overlay, Column, Count };

class TWrappedFolder : public IShellFolder2, public IShellIcon, public IShellIconOverlay {
public:
    // Null when the folder cannot be bound.
    static ComPtr<TWrappedFolder> Create(const std::wstring& path, WrappedFolderOptions options);

    // Calls of this kind made on other threads than the creating one wait
    // until the gate opens again. Gates start open.
    void Hold(HeldCall call);
    void Open(HeldCall call);
    // How many calls of this kind wait at their gate now.
    LONG Waiting(HeldCall call) const;
    // Every call of the folder's methods made on another thread than the creating one.
    LONG BackgroundCalls() const { return InterlockedCompareExchange(&backgroundCalls_, 0, 0); }
    UINT SlowColumn() const { return innerColumns_; }
    // The folder wrapped.
    const std::wstring& Path() const { return path_; }
    std::wstring NameOf(PCUITEMID_CHILD item) const;
    std::wstring SlowText(PCUITEMID_CHILD item) const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    // IShellFolder
    STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override;
    STDMETHODIMP EnumObjects(HWND owner, SHCONTF flags, IEnumIDList** list) override;
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid, void** object) override;
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid, void** object) override;
    STDMETHODIMP CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override;
    STDMETHODIMP CreateViewObject(HWND owner, REFIID iid, void** object) override;
    STDMETHODIMP GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* attributes) override;
    STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid, UINT* reserved,
                               void** object) override;
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET* name) override;
    STDMETHODIMP SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override;
    // IShellFolder2
    STDMETHODIMP GetDefaultSearchGUID(GUID* guid) override;
    STDMETHODIMP EnumSearches(IEnumExtraSearch** searches) override;
    STDMETHODIMP GetDefaultColumn(DWORD reserved, ULONG* sort, ULONG* display) override;
    STDMETHODIMP GetDefaultColumnState(UINT column, SHCOLSTATEF* state) override;
    STDMETHODIMP GetDetailsEx(PCUITEMID_CHILD item, const SHCOLUMNID* id, VARIANT* value) override;
    STDMETHODIMP GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS* details) override;
    STDMETHODIMP MapColumnToSCID(UINT column, SHCOLUMNID* id) override;
    // IShellIcon
    STDMETHODIMP GetIconOf(PCUITEMID_CHILD item, UINT flags, int* index) override;
    // IShellIconOverlay
    STDMETHODIMP GetOverlayIndex(PCUITEMID_CHILD item, int* index) override;
    STDMETHODIMP GetOverlayIconIndex(PCUITEMID_CHILD item, int* index) override;

private:
    TWrappedFolder(ComPtr<IShellFolder2> inner, WrappedFolderOptions options);
    virtual ~TWrappedFolder();
    // Counts a background call, waits at its gate and takes the set delay.
    void Background(HeldCall call) const;
    void Counted() const;
    bool HasSlowColumn() const { return static_cast<bool>(options_.slowValue); }

    ComPtr<IShellFolder2> inner_;
    std::wstring path_;
    WrappedFolderOptions options_;
    UINT innerColumns_ = 0;
    DWORD creatorThread_;
    HANDLE gates_[static_cast<int>(HeldCall::Count)];
    mutable LONG waiting_[static_cast<int>(HeldCall::Count)] = {};
    mutable LONG backgroundCalls_ = 0;
    LONG refs_ = 1;
};

// A parent whose BindToObject hands out one given folder, so that a view can
// be navigated to a double with TFolderView::BrowseChild.
ComPtr<IShellFolder> ParentBinding(IShellFolder* child);

// Passes tasks to a real scheduler. While lingering, RemoveTasks leaves every
// task where it is, so tasks outlive a navigation as they would under a
// scheduler that cannot stop them in time; only the generation keeps their
// results out then. Stop lingering before the view goes.
class TLingeringScheduler : public IShellTaskScheduler {
public:
    explicit TLingeringScheduler(ComPtr<IShellTaskScheduler> inner) : inner_(std::move(inner)) {}
    void StopLingering() { lingering_ = false; }
    UINT Pending() { return inner_->CountTasks(TOID_NULL); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP AddTask(IRunnableTask* task, REFTASKOWNERID owner, DWORD_PTR param, DWORD priority) override {
        return inner_->AddTask(task, owner, param, priority);
    }
    STDMETHODIMP RemoveTasks(REFTASKOWNERID owner, DWORD_PTR param, BOOL wait) override {
        return lingering_ ? S_OK : inner_->RemoveTasks(owner, param, wait);
    }
    STDMETHODIMP_(UINT) CountTasks(REFTASKOWNERID owner) override { return inner_->CountTasks(owner); }
    STDMETHODIMP Status(DWORD releaseStatus, DWORD timeout) override { return inner_->Status(releaseStatus, timeout); }

private:
    virtual ~TLingeringScheduler() = default;
    ComPtr<IShellTaskScheduler> inner_;
    bool lingering_ = true;
    LONG refs_ = 1;
};

// A fill's worker binds the folder it lists itself, from the ID list shown.
// From this call on, fills list the folder `listed` wherever `shownAs` is
// shown, as a view given a wrapped folder through its parent would.
void ListInPlaceOf(const std::wstring& shownAs, const std::wstring& listed);
// Fills list what is shown again.
void ListWhatIsShown();
