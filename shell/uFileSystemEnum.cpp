#include "shell/uFileSystemEnum.h"

#include "app/ComObject.h"
#include "app/Handles.h"
#include "app/uPIDL.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <unordered_set>
#include <utility>

namespace {

// The entry a folder's ParseDisplayName turns into an item instead of looking
// the name up in the file system.
class TFindDataBinding final : public ComObject<IFileSystemBindData> {
public:
    HRESULT STDMETHODCALLTYPE SetFindData(const WIN32_FIND_DATAW* entry) override {
        if (!entry) return E_POINTER;
        entry_ = *entry;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFindData(WIN32_FIND_DATAW* entry) override {
        if (!entry) return E_POINTER;
        *entry = entry_;
        return S_OK;
    }

private:
    ~TFindDataBinding() override = default;

    WIN32_FIND_DATAW entry_{};
};

// A large folder is read twice: the first items by us, the rest by the
// folder. Its whole listing from our own walk would make the list view's
// growing arrays move on almost every growth under that platform's heap (the
// folder's listing leaves the heap a pattern in which they grow in place), and
// a hundred thousand items would commit several hundred megabytes.
constexpr size_t kOwnItems = 1024;
// The folder lists in the same order as our walk, so our items are found
// among its first ones; past this many unmatched ones no name is looked up.
constexpr size_t kLookedUpItems = 2 * kOwnItems;

class TFileSystemEnumerator final : public ComObject<IEnumIDList> {
public:
    TFileSystemEnumerator(ComPtr<IShellFolder> folder, std::wstring pattern, SHCONTF flags,
                          ComPtr<IFileSystemBindData> binding, ComPtr<IBindCtx> context)
        : folder_(std::move(folder)),
          pattern_(std::move(pattern)),
          flags_(flags),
          binding_(std::move(binding)),
          context_(std::move(context)) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, PITEMID_CHILD* items, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!items || (wanted > 1 && !fetched)) return E_INVALIDARG;
        ULONG count = 0;
        while (count < wanted) {
            PITEMID_CHILD item = walkDone_ ? NextFolderItem() : NextOwnItem();
            if (item) {
                items[count++] = item;
            } else if (walkDone_ && !folderListing_) {
                break;
            }
        }
        if (fetched) *fetched = count;
        return count == wanted ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        for (ULONG i = 0; i < count; ++i) {
            PITEMID_CHILD item = nullptr;
            if (Next(1, &item, nullptr) != S_OK) return S_FALSE;
            CoTaskMemFree(item);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Reset() override {
        search_.reset();
        started_ = false;
        walkDone_ = false;
        leftToFolder_ = false;
        given_.clear();
        folderListing_.reset();
        lookedUp_ = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList** copy) override {
        if (copy) *copy = nullptr;
        return E_NOTIMPL;
    }

private:
    ~TFileSystemEnumerator() override = default;

    // The item of the next entry of our walk, or null for one that is left to
    // the folder's listing (one whose item the folder cannot make from the
    // entry), or at the walk's end.
    PITEMID_CHILD NextOwnItem() {
        if (given_.size() >= kOwnItems) {
            search_.reset();
            walkDone_ = true;
            StartFolderListing();
            return nullptr;
        }
        if (!NextListedEntry()) {
            // The walk saw the whole folder: nothing is left to the folder
            // but the entries it could not make from ours.
            walkDone_ = true;
            if (leftToFolder_) StartFolderListing();
            return nullptr;
        }
        // The folder's ParseDisplayName puts the whole path together in a
        // buffer of MAX_PATH and would cut such a name short.
        if (pattern_.size() - 1 + wcslen(entry_.cFileName) >= MAX_PATH) {
            leftToFolder_ = true;
            return nullptr;
        }
        binding_->SetFindData(&entry_);
        PIDLIST_RELATIVE item = nullptr;
        if (FAILED(folder_->ParseDisplayName(nullptr, context_.get(), entry_.cFileName, nullptr, &item, nullptr)) ||
            !item) {
            leftToFolder_ = true;
            return nullptr;
        }
        given_.insert(entry_.cFileName);
        return reinterpret_cast<PITEMID_CHILD>(item);
    }

    void StartFolderListing() {
        if (folder_->EnumObjects(nullptr, flags_, folderListing_.put()) != S_OK) folderListing_.reset();
    }

    // The folder's next item that our walk has not given already, or null
    // when the folder's listing is over.
    PITEMID_CHILD NextFolderItem() {
        if (!folderListing_) return nullptr;
        PITEMID_CHILD item = nullptr;
        while (folderListing_->Next(1, &item, nullptr) == S_OK) {
            if (!item) continue;
            if (given_.empty() || lookedUp_ >= kLookedUpItems || !AlreadyGiven(item)) return item;
            CoTaskMemFree(item);
        }
        folderListing_.reset();
        return nullptr;
    }

    bool AlreadyGiven(PCUITEMID_CHILD item) {
        ++lookedUp_;
        STRRET text{};
        if (FAILED(folder_->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &text))) return false;
        return given_.erase(StrRetToText(&text, item)) > 0;
    }

    bool NextEntry() {
        if (!started_) {
            started_ = true;
            // The basic level leaves out the short name, which the platform
            // would otherwise work out for every long one.
            search_.reset(FindFirstFileExW(pattern_.c_str(), FindExInfoBasic, &entry_, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
            return static_cast<bool>(search_);
        }
        if (search_ && FindNextFileW(search_.get(), &entry_)) return true;
        search_.reset();
        return false;
    }

    bool Listed() const {
        if (wcscmp(entry_.cFileName, L".") == 0 || wcscmp(entry_.cFileName, L"..") == 0) return false;
        if ((entry_.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) && !(flags_ & SHCONTF_INCLUDEHIDDEN)) return false;
        const bool isFolder = (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return (flags_ & (isFolder ? SHCONTF_FOLDERS : SHCONTF_NONFOLDERS)) != 0;
    }

    bool NextListedEntry() {
        while (NextEntry()) {
            if (Listed()) return true;
        }
        return false;
    }

    ComPtr<IShellFolder> folder_;
    std::wstring pattern_;
    SHCONTF flags_;
    ComPtr<IFileSystemBindData> binding_;
    ComPtr<IBindCtx> context_;
    UniqueFindHandle search_;
    bool started_ = false;
    bool walkDone_ = false;
    bool leftToFolder_ = false;
    WIN32_FIND_DATAW entry_{};
    std::unordered_set<std::wstring> given_;  // names our walk gave that the folder's listing has not shown yet
    ComPtr<IEnumIDList> folderListing_;
    size_t lookedUp_ = 0;
};

}  // namespace

ComPtr<IEnumIDList> CreateOwnFileSystemEnumerator(IShellFolder* folder, SHCONTF flags) {
    if (!folder) return {};
    // Only the platform's own file-system folder makes its items from bind
    // data; a folder of another class (a junction, a special folder) may list
    // more than its directory holds.
    const ComPtr<IPersistFolder2> persist = ComPtr<IShellFolder>(folder).as<IPersistFolder2>();
    CLSID kind{};
    if (!persist || FAILED(persist->GetClassID(&kind)) || !IsEqualCLSID(kind, CLSID_ShellFSFolder)) return {};
    UniqueAbsolutePidl location;
    if (FAILED(persist->GetCurFolder(location.put())) || !location) return {};
    std::wstring pattern = PIDLFileSystemPath(location.get());
    if (pattern.empty()) return {};
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    // Past this the platform's folder cannot follow the path (its listing
    // comes out empty and the caller reports why); ours must not list what
    // the folder could not then show.
    if (pattern.size() >= MAX_PATH) return {};

    ComPtr<IFileSystemBindData> binding = ComPtr<IFileSystemBindData>::attach(new TFindDataBinding);
    ComPtr<IBindCtx> context;
    if (FAILED(CreateBindCtx(0, context.put())) ||
        FAILED(context->RegisterObjectParam(const_cast<LPOLESTR>(STR_FILE_SYS_BIND_DATA), binding.get()))) {
        return {};
    }
    return ComPtr<IEnumIDList>::attach(new TFileSystemEnumerator(ComPtr<IShellFolder>(folder), std::move(pattern),
                                                                  flags, std::move(binding), std::move(context)));
}
