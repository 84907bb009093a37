#include "ItemTaskDoubles.h"

#include "FolderTestSupport.h"

#include "app/uPIDL.h"
#include "folderview/uFillJob.h"

#include <shlwapi.h>

#include <map>
#include <mutex>

namespace {

constexpr int kGateCount = static_cast<int>(HeldCall::Count);

HRESULT CompareResult(int order) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order)));
}

HRESULT TextToStrRet(const std::wstring& text, STRRET* out) {
    out->uType = STRRET_WSTR;
    return SHStrDupW(text.c_str(), &out->pOleStr);
}

class TParentBinding : public IShellFolder {
public:
    explicit TParentBinding(IShellFolder* child) : child_(child) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) {
            *object = static_cast<IShellFolder*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID iid, void** object) override {
        return child_->QueryInterface(iid, object);
    }
    STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
    STDMETHODIMP CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    STDMETHODIMP SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override { return E_NOTIMPL; }

private:
    virtual ~TParentBinding() = default;
    ComPtr<IShellFolder> child_;
    LONG refs_ = 1;
};

}  // namespace

ComPtr<TWrappedFolder> TWrappedFolder::Create(const std::wstring& path, WrappedFolderOptions options) {
    UniqueAbsolutePidl pidl = PidlOfPath(path);
    ComPtr<IShellFolder> folder;
    if (!pidl || !PIDLBindFolder(pidl.get(), folder.put())) return {};
    ComPtr<IShellFolder2> inner = folder.as<IShellFolder2>();
    if (!inner) return {};
    ComPtr<TWrappedFolder> wrapped = ComPtr<TWrappedFolder>::attach(new TWrappedFolder(std::move(inner), std::move(options)));
    wrapped->path_ = path;
    return wrapped;
}

TWrappedFolder::TWrappedFolder(ComPtr<IShellFolder2> inner, WrappedFolderOptions options)
    : inner_(std::move(inner)), options_(std::move(options)), creatorThread_(GetCurrentThreadId()) {
    for (HANDLE& gate : gates_) gate = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    SHELLDETAILS details{};
    while (innerColumns_ < 100 && SUCCEEDED(inner_->GetDetailsOf(nullptr, innerColumns_, &details))) {
        StrRetToText(&details.str, nullptr);
        details = {};
        ++innerColumns_;
    }
}

TWrappedFolder::~TWrappedFolder() {
    for (HANDLE gate : gates_) CloseHandle(gate);
}

STDMETHODIMP_(ULONG) TWrappedFolder::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP TWrappedFolder::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder) || IsEqualIID(iid, IID_IShellFolder2))
        *object = static_cast<IShellFolder2*>(this);
    else if (IsEqualIID(iid, IID_IShellIcon) && options_.shellIcon)
        *object = static_cast<IShellIcon*>(this);
    else if (IsEqualIID(iid, IID_IShellIconOverlay) && options_.iconOverlay)
        *object = static_cast<IShellIconOverlay*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

void TWrappedFolder::Hold(HeldCall call) { ResetEvent(gates_[static_cast<int>(call)]); }
void TWrappedFolder::Open(HeldCall call) { SetEvent(gates_[static_cast<int>(call)]); }

LONG TWrappedFolder::Waiting(HeldCall call) const {
    return InterlockedCompareExchange(&waiting_[static_cast<int>(call)], 0, 0);
}

void TWrappedFolder::Counted() const {
    if (GetCurrentThreadId() != creatorThread_) InterlockedIncrement(&backgroundCalls_);
}

void TWrappedFolder::Background(HeldCall call) const {
    if (GetCurrentThreadId() == creatorThread_) return;
    const int gate = static_cast<int>(call);
    InterlockedIncrement(&waiting_[gate]);
    // Bounded, so that a test that forgets a gate fails instead of hanging.
    WaitForSingleObject(gates_[gate], 60000);
    InterlockedDecrement(&waiting_[gate]);
    if (options_.delay) Sleep(options_.delay);
}

std::wstring TWrappedFolder::NameOf(PCUITEMID_CHILD item) const {
    STRRET name{};
    if (!item || FAILED(inner_->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name))) return {};
    wchar_t buffer[MAX_PATH] = {};
    StrRetToBufW(&name, item, buffer, MAX_PATH);
    return buffer;
}

std::wstring TWrappedFolder::SlowText(PCUITEMID_CHILD item) const {
    return HasSlowColumn() ? options_.slowValue(NameOf(item)) : std::wstring();
}

STDMETHODIMP TWrappedFolder::ParseDisplayName(HWND owner, IBindCtx* context, LPWSTR name, ULONG* eaten,
                                              PIDLIST_RELATIVE* item, ULONG* attributes) {
    Counted();
    return inner_->ParseDisplayName(owner, context, name, eaten, item, attributes);
}

STDMETHODIMP TWrappedFolder::EnumObjects(HWND owner, SHCONTF flags, IEnumIDList** list) {
    Counted();
    return inner_->EnumObjects(owner, flags, list);
}

STDMETHODIMP TWrappedFolder::BindToObject(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid, void** object) {
    Counted();
    return inner_->BindToObject(item, context, iid, object);
}

STDMETHODIMP TWrappedFolder::BindToStorage(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid, void** object) {
    Counted();
    return inner_->BindToStorage(item, context, iid, object);
}

STDMETHODIMP TWrappedFolder::CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
    Counted();
    if (HasSlowColumn() && static_cast<UINT>(column & SHCIDS_COLUMNMASK) == innerColumns_)
        return CompareResult(SlowText(PIDLLastChild(a)).compare(SlowText(PIDLLastChild(b))));
    return inner_->CompareIDs(column, a, b);
}

STDMETHODIMP TWrappedFolder::CreateViewObject(HWND owner, REFIID iid, void** object) {
    Counted();
    return inner_->CreateViewObject(owner, iid, object);
}

STDMETHODIMP TWrappedFolder::GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* attributes) {
    Counted();
    const SFGAOF asked = *attributes;
    const HRESULT hr = inner_->GetAttributesOf(count, items, attributes);
    if (FAILED(hr) || count != 1) return hr;
    auto extra = options_.extraAttributes.find(NameOf(items[0]));
    if (extra != options_.extraAttributes.end()) *attributes |= extra->second & asked;
    return hr;
}

STDMETHODIMP TWrappedFolder::GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid,
                                           UINT* reserved, void** object) {
    Counted();
    return inner_->GetUIObjectOf(owner, count, items, iid, reserved, object);
}

STDMETHODIMP TWrappedFolder::GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET* name) {
    Counted();
    return inner_->GetDisplayNameOf(item, flags, name);
}

STDMETHODIMP TWrappedFolder::SetNameOf(HWND owner, PCUITEMID_CHILD item, LPCWSTR name, SHGDNF flags,
                                       PITEMID_CHILD* out) {
    Counted();
    return inner_->SetNameOf(owner, item, name, flags, out);
}

STDMETHODIMP TWrappedFolder::GetDefaultSearchGUID(GUID* guid) { return inner_->GetDefaultSearchGUID(guid); }
STDMETHODIMP TWrappedFolder::EnumSearches(IEnumExtraSearch** searches) { return inner_->EnumSearches(searches); }
STDMETHODIMP TWrappedFolder::GetDefaultColumn(DWORD reserved, ULONG* sort, ULONG* display) {
    return inner_->GetDefaultColumn(reserved, sort, display);
}

STDMETHODIMP TWrappedFolder::GetDefaultColumnState(UINT column, SHCOLSTATEF* state) {
    if (HasSlowColumn() && column == innerColumns_) {
        *state = SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_SLOW;
        return S_OK;
    }
    return inner_->GetDefaultColumnState(column, state);
}

STDMETHODIMP TWrappedFolder::GetDetailsEx(PCUITEMID_CHILD item, const SHCOLUMNID* id, VARIANT* value) {
    return inner_->GetDetailsEx(item, id, value);
}

STDMETHODIMP TWrappedFolder::GetDetailsOf(PCUITEMID_CHILD item, UINT column, SHELLDETAILS* details) {
    if (!HasSlowColumn() || column < innerColumns_) {
        Counted();
        return inner_->GetDetailsOf(item, column, details);
    }
    if (column > innerColumns_) return E_INVALIDARG;
    if (!item) {
        details->fmt = LVCFMT_LEFT;
        details->cxChar = 20;
        return TextToStrRet(L"Slow", &details->str);
    }
    Counted();
    Background(HeldCall::Column);
    details->fmt = LVCFMT_LEFT;
    details->cxChar = 20;
    return TextToStrRet(SlowText(item), &details->str);
}

STDMETHODIMP TWrappedFolder::MapColumnToSCID(UINT column, SHCOLUMNID* id) { return inner_->MapColumnToSCID(column, id); }

STDMETHODIMP TWrappedFolder::GetIconOf(PCUITEMID_CHILD, UINT flags, int* index) {
    Counted();
    if ((flags & GIL_ASYNC) && !options_.fastIcon) return E_PENDING;
    Background(HeldCall::Icon);
    *index = options_.iconIndex;
    return S_OK;
}

STDMETHODIMP TWrappedFolder::GetOverlayIndex(PCUITEMID_CHILD, int* index) {
    Counted();
    if (*index == static_cast<int>(OI_ASYNC)) return E_PENDING;
    Background(HeldCall::Overlay);
    *index = options_.overlayIndex;
    return S_OK;
}

STDMETHODIMP TWrappedFolder::GetOverlayIconIndex(PCUITEMID_CHILD, int*) { return E_NOTIMPL; }

ComPtr<IShellFolder> ParentBinding(IShellFolder* child) {
    return ComPtr<IShellFolder>::attach(new TParentBinding(child));
}

STDMETHODIMP TLingeringScheduler::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellTaskScheduler)) {
        *object = static_cast<IShellTaskScheduler*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TLingeringScheduler::Release() {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

namespace {

std::mutex g_inPlaceLock;
std::map<std::wstring, std::wstring> g_listedInPlace;

HRESULT BindListedInPlace(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    *folder = nullptr;
    std::wstring path = PathOfPidl(absolute);
    {
        std::lock_guard<std::mutex> lock(g_inPlaceLock);
        auto found = g_listedInPlace.find(path);
        if (found != g_listedInPlace.end()) path = found->second;
    }
    UniqueAbsolutePidl listed = PidlOfPath(path);
    ComPtr<IShellFolder> bound;
    if (!listed || !PIDLBindFolder(listed.get(), bound.put())) return E_FAIL;
    *folder = bound.detach();
    return S_OK;
}

}  // namespace

void ListInPlaceOf(const std::wstring& shownAs, const std::wstring& listed) {
    std::lock_guard<std::mutex> lock(g_inPlaceLock);
    g_listedInPlace[shownAs] = listed;
    SetFillFolderBinder(BindListedInPlace);
}

void ListWhatIsShown() {
    std::lock_guard<std::mutex> lock(g_inPlaceLock);
    g_listedInPlace.clear();
    SetFillFolderBinder(nullptr);
}
