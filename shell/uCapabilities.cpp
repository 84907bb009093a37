#include "shell/uCapabilities.h"

#include "app/Handles.h"
#include "app/uPIDL.h"

#include "shell/ShellGuids.h"
#include "shell/uColumnCompare.h"
#include "shell/uFileSystemEnum.h"
#include "shell/uFileVerbs.h"
#include "shell/uImageExtractor.h"
#include "shell/uInfoTip.h"
#include "shell/uPathCompletion.h"
#include "shell/uPlainFolder.h"
#include "shell/uTaskScheduler.h"
#include "shell/uThumbCache.h"
#include "shell/uXdgTrash.h"

#include <windows.h>
#include <objbase.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <unordered_map>

namespace {

bool ClassCanBeCreated(REFCLSID clsid, REFIID iid) {
    ComPtr<IUnknown> object;
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, iid,
                                      object.putVoid()));
}

// Wine is recognised by the export its ntdll adds; nothing else in the program
// asks, so every Wine-specific decision is visible in DecideCapabilities.
bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

Capabilities DecideCapabilities() {
    // The probes must not depend on who initialised COM on which thread first;
    // an apartment of our own for their duration is harmless when one exists.
    HRESULT comInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    Capabilities caps;
    caps.shellTaskScheduler = ClassCanBeCreated(CLSID_ShellTaskScheduler, __uuidof(IShellTaskScheduler));
    caps.thumbnailDiskCache = ClassCanBeCreated(CLSID_ShellThumbnailDiskCache, __uuidof(IShellImageStore));
    caps.trackShellMenu = ClassCanBeCreated(CLSID_TrackShellMenu, __uuidof(IUnknown));

    const bool wine = RunningOnWine();
    caps.shellEditVerbs = !wine;
    caps.shellUndo = !wine;
    caps.ddeUnicodeExecute = !wine;
    caps.changeNotifyFromOutside = !wine;
    caps.fileSystemFolderExtras = !wine;
    caps.fileSystemColumnCompare = !wine;
    caps.fastInFolderNames = !wine;
    caps.fileSystemEnumerationStreams = !wine;
    caps.shellAutoComplete = !wine;
    caps.comboExTextCallback = !wine;
    caps.listLabelsMeasuredLazily = !wine;
    caps.toolBarPadding = !wine;
    caps.desktopIniOnlyWhereMarked = !wine;

    if (SUCCEEDED(comInit)) CoUninitialize();
    return caps;
}

}  // namespace

const Capabilities& PlatformCapabilities() {
    static const Capabilities caps = DecideCapabilities();
    return caps;
}

ComPtr<IShellTaskScheduler> CreateTaskScheduler() {
    ComPtr<IShellTaskScheduler> scheduler;
    if (PlatformCapabilities().shellTaskScheduler) {
        CoCreateInstance(CLSID_ShellTaskScheduler, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         __uuidof(IShellTaskScheduler), scheduler.putVoid());
    }
    if (!scheduler) scheduler = CreateOwnTaskScheduler();
    return scheduler;
}

ComPtr<IShellImageStore> CreateThumbnailStore() {
    ComPtr<IShellImageStore> store;
    if (PlatformCapabilities().thumbnailDiskCache) {
        CoCreateInstance(CLSID_ShellThumbnailDiskCache, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellImageStore),
                         store.putVoid());
    }
    if (!store) store = CreateOwnThumbnailStore();
    return store;
}

TFileSystemOrder::TFileSystemOrder(IShellFolder* folder, UINT column) : folder_(folder), column_(column) {
    if (column > 0 && !PlatformCapabilities().fileSystemColumnCompare &&
        SUCCEEDED(folder->QueryInterface(__uuidof(IShellFolder2), folder2_.putVoid())) && folder2_)
        meaning_ = std::make_unique<TColumnMeaningOrder>(folder2_.get(), column);
}

TFileSystemOrder::~TFileSystemOrder() = default;

HRESULT TFileSystemOrder::Compare(PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    if (meaning_) {
        const HRESULT hr = meaning_->Compare(a, b);
        if (SUCCEEDED(hr)) return hr;
    }
    return folder_->CompareIDs(column_, a, b);
}

HRESULT CompareFileSystemItems(IShellFolder* folder, UINT column, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    return TFileSystemOrder(folder, column).Compare(a, b);
}

HRESULT EnumerateFolderItems(IShellFolder* folder, HWND owner, SHCONTF flags, IEnumIDList** items) {
    if (!items) return E_POINTER;
    *items = nullptr;
    if (!folder) return E_INVALIDARG;
    if (!PlatformCapabilities().fileSystemEnumerationStreams) {
        if (ComPtr<IEnumIDList> ours = CreateOwnFileSystemEnumerator(folder, flags)) {
            *items = ours.detach();
            return S_OK;
        }
    }
    return folder->EnumObjects(owner, flags, items);
}

HRESULT BindAbsoluteFolder(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    if (!folder) return E_POINTER;
    *folder = nullptr;
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.put());
    if (FAILED(hr) || !desktop) return FAILED(hr) ? hr : E_FAIL;
    if (!absolute || absolute->mkid.cb == 0) {
        *folder = desktop.detach();
        return S_OK;
    }
    if (PlatformCapabilities().desktopIniOnlyWhereMarked)
        return desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
    UniqueAbsolutePidl parentList(PIDLParent(absolute));
    if (!parentList) return E_OUTOFMEMORY;
    ComPtr<IShellFolder> parent;
    if (parentList.get()->mkid.cb == 0)
        parent = std::move(desktop);
    else if (FAILED(hr = desktop->BindToObject(parentList.get(), nullptr, IID_IShellFolder, parent.putVoid())))
        return hr;
    return BindChildFolder(parent.get(), absolute, folder);
}

HRESULT BindChildFolder(IShellFolder* parent, PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    if (!folder) return E_POINTER;
    *folder = nullptr;
    if (!parent || !absolute || absolute->mkid.cb == 0) return E_INVALIDARG;
    if (!PlatformCapabilities().desktopIniOnlyWhereMarked)
        if (ComPtr<IShellFolder> plain = BindPlainFileSystemFolder(parent, absolute)) {
            *folder = plain.detach();
            return S_OK;
        }
    return parent->BindToObject(PIDLLastChild(absolute), nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
}

bool FolderIconInfo(IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, UINT flags, SHFILEINFOW& info) {
    if (!PlatformCapabilities().desktopIniOnlyWhereMarked && PlainFileSystemFolderIcon(folder, absolute, flags, info))
        return true;
    return SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof(info), flags | SHGFI_PIDL) != 0;
}

namespace {

bool FolderName(IShellFolder* folder, PCUITEMID_CHILD relative, SHGDNF flags, std::wstring& name) {
    STRRET text{};
    if (FAILED(folder->GetDisplayNameOf(relative, flags, &text))) return false;
    name = StrRetToText(&text, relative);
    return true;
}

}  // namespace

// What the folder did with each extension: shown as it is, or hidden.
struct TInFolderNames::Learnt {
    enum class Extension { Shown, Hidden, Ask };
    std::unordered_map<std::wstring, Extension> extensions;
};

TInFolderNames::TInFolderNames(IShellFolder* folder, bool fileSystemFolder) : folder_(folder) {
    if (fileSystemFolder && !PlatformCapabilities().fastInFolderNames) learnt_ = std::make_unique<Learnt>();
}

TInFolderNames::~TInFolderNames() = default;

bool TInFolderNames::Name(PCUITEMID_CHILD relative, std::wstring& name) {
    if (!folder_) return false;
    WIN32_FIND_DATAW data{};
    std::wstring parsing;
    // Folders, names that start with a dot and items that are no files get the folder's own answer.
    if (!learnt_ || FAILED(SHGetDataFromIDListW(folder_, relative, SHGDFIL_FINDDATA, &data, sizeof(data))) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !FolderName(folder_, relative, SHGDN_INFOLDER | SHGDN_FORPARSING, parsing) || parsing.empty() ||
        parsing[0] == L'.' || parsing.find_first_of(L"\\/:") != std::wstring::npos)
        return FolderName(folder_, relative, SHGDN_INFOLDER, name);

    const size_t dot = parsing.rfind(L'.');
    std::wstring extension = dot == std::wstring::npos ? std::wstring() : parsing.substr(dot);
    CharUpperBuffW(extension.data(), static_cast<DWORD>(extension.size()));
    auto [entry, added] = learnt_->extensions.try_emplace(extension, Learnt::Extension::Ask);
    if (added) {
        if (!FolderName(folder_, relative, SHGDN_INFOLDER, name)) {
            learnt_->extensions.erase(entry);
            return false;
        }
        if (name == parsing)
            entry->second = Learnt::Extension::Shown;
        else if (dot != std::wstring::npos && name == parsing.substr(0, dot))
            entry->second = Learnt::Extension::Hidden;
        return true;
    }
    switch (entry->second) {
    case Learnt::Extension::Shown:
        name = std::move(parsing);
        return true;
    case Learnt::Extension::Hidden:
        name = parsing.substr(0, dot);
        return true;
    case Learnt::Extension::Ask:
        break;
    }
    return FolderName(folder_, relative, SHGDN_INFOLDER, name);
}

namespace {

// The full path of a file (not a folder) of the file system, or empty.
std::wstring FileSystemFilePath(IShellFolder* folder, PCUITEMID_CHILD relative) {
    SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER;
    STRRET name{};
    wchar_t path[MAX_PATH] = {};
    if (FAILED(folder->GetAttributesOf(1, &relative, &attributes)) ||
        (attributes & (SFGAO_FILESYSTEM | SFGAO_FOLDER)) != SFGAO_FILESYSTEM ||
        FAILED(folder->GetDisplayNameOf(relative, SHGDN_FORPARSING, &name)) ||
        FAILED(StrRetToBufW(&name, relative, path, MAX_PATH)) || PathIsRelativeW(path))
        return {};
    return path;
}

}  // namespace

ComPtr<IExtractImage> CreateImageExtractor(IShellFolder* folder, PCUITEMID_CHILD relative, HWND owner) {
    if (!folder || !relative) return {};
    const std::wstring path = FileSystemFilePath(folder, relative);
    // Where file-system folders are known to offer no extractor, asking is skipped.
    if (!path.empty() && !PlatformCapabilities().fileSystemFolderExtras) return CreateOwnImageExtractor(path);
    ComPtr<IExtractImage> extractor;
    if (SUCCEEDED(folder->GetUIObjectOf(owner, 1, &relative, IID_IExtractImage, nullptr, extractor.putVoid())) &&
        extractor)
        return extractor;
    if (!path.empty()) return CreateOwnImageExtractor(path);
    return {};
}

ComPtr<IContextMenu> CreateItemsMenu(HWND owner, IShellFolder* folder, PCIDLIST_ABSOLUTE folderList, UINT count,
                                     PCUITEMID_CHILD* items) {
    ComPtr<IContextMenu> menu;
    if (!folder || count == 0) return menu;
    if (FAILED(folder->GetUIObjectOf(owner, count, items, IID_IContextMenu, nullptr, menu.putVoid()))) menu.reset();
    if (PlatformCapabilities().shellEditVerbs || !menu) return menu;
    return WrapItemVerbs(menu, folder, folderList, count, items);
}

ComPtr<IContextMenu> CreateBackgroundMenu(IShellFolder* folder, PCIDLIST_ABSOLUTE folderList) {
    ComPtr<IContextMenu> menu;
    if (!folder) return menu;
    if (FAILED(folder->CreateViewObject(nullptr, IID_IContextMenu, menu.putVoid()))) menu.reset();
    if (PlatformCapabilities().shellEditVerbs) return menu;
    // Our paste serves even where the folder offers no background menu at all.
    return WrapBackgroundVerbs(menu, folderList);
}

ComPtr<IDropTarget> CreateItemDropTarget(PCIDLIST_ABSOLUTE item) {
    ComPtr<IDropTarget> target;
    if (!item) return target;
    if (!PlatformCapabilities().shellEditVerbs)
        if ((target = FileDropTarget(item))) return target;
    if (item->mkid.cb == 0) {
        ComPtr<IShellFolder> desktop;
        if (SUCCEEDED(SHGetDesktopFolder(desktop.put())))
            desktop->CreateViewObject(nullptr, IID_IDropTarget, target.putVoid());
        return target;
    }
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (FAILED(SHBindToParent(item, IID_IShellFolder, parent.putVoid(), &last)) || !parent) return target;
    if (FAILED(parent->GetUIObjectOf(nullptr, 1, &last, IID_IDropTarget, nullptr, target.putVoid()))) target.reset();
    return target;
}

ComPtr<IDropTarget> CreateBackgroundDropTarget(IShellFolder* folder, PCIDLIST_ABSOLUTE folderList) {
    ComPtr<IDropTarget> target;
    if (!PlatformCapabilities().shellEditVerbs)
        if ((target = FileDropTarget(folderList))) return target;
    if (folder && FAILED(folder->CreateViewObject(nullptr, IID_IDropTarget, target.putVoid()))) target.reset();
    return target;
}

bool RestoreDeletedItem(const std::wstring& path) {
    if (PlatformCapabilities().shellUndo) return false;
    return RestoreFromXdgTrash(path);
}

std::wstring ItemInfoTip(IShellFolder* folder, PCUITEMID_CHILD relative, DWORD flags) {
    if (!folder || !relative) return {};
    ComPtr<IQueryInfo> query;
    if (SUCCEEDED(folder->GetUIObjectOf(nullptr, 1, &relative, IID_IQueryInfo, nullptr, query.putVoid())) && query) {
        UniqueCoTaskText tip;
        if (SUCCEEDED(query->GetInfoTip(flags, tip.put())) && tip && tip.get()[0]) return tip.get();
    }
    if (PlatformCapabilities().fileSystemFolderExtras) return {};
    return FileSystemInfoTip(folder, relative);
}

void AttachPathCompletion(HWND edit) {
    if (!edit) return;
    if (PlatformCapabilities().shellAutoComplete) {
        SHAutoComplete(edit, SHACF_FILESYSTEM);
        return;
    }
    ComPtr<IAutoComplete2> complete;
    if (FAILED(CoCreateInstance(CLSID_AutoComplete, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IAutoComplete2),
                                complete.putVoid())))
        return;
    // The autocomplete object keeps the edit field and the list for the field's lifetime.
    ComPtr<IEnumString> names = CreateChildNameList();
    if (SUCCEEDED(complete->Init(edit, names.get(), nullptr, nullptr)))
        complete->SetOptions(ACO_AUTOSUGGEST | ACO_AUTOAPPEND);
}
