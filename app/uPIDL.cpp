#include "app/uPIDL.h"

#include "app/ComPtr.h"
#include "app/Global.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstring>

namespace {

// Reads exactly `bytes` bytes; a short read counts as a failure because
// memory and registry streams answer S_OK with fewer bytes at their end.
HRESULT ReadExactly(IStream* stream, void* buffer, ULONG bytes) {
    ULONG read = 0;
    HRESULT hr = stream->Read(buffer, bytes, &read);
    if (FAILED(hr)) return hr;
    return read == bytes ? S_OK : STG_E_READFAULT;
}

HRESULT WriteExactly(IStream* stream, const void* buffer, ULONG bytes) {
    ULONG written = 0;
    HRESULT hr = stream->Write(buffer, bytes, &written);
    if (FAILED(hr)) return hr;
    return written == bytes ? S_OK : STG_E_WRITEFAULT;
}

const BYTE* Bytes(LPCITEMIDLIST list) { return reinterpret_cast<const BYTE*>(list); }

}  // namespace

LPITEMIDLIST PIDLAlloc(UINT bytes) {
    IMalloc* allocator = App().malloc.get();
    if (!allocator) return nullptr;
    void* memory = allocator->Alloc(bytes);
    if (memory) std::memset(memory, 0, bytes);
    return static_cast<LPITEMIDLIST>(memory);
}

LPITEMIDLIST PIDLCloneBytes(LPCITEMIDLIST list) {
    UINT size = PIDLSize(list);
    if (!size) return nullptr;
    LPITEMIDLIST copy = PIDLAlloc(size);
    if (copy) std::memcpy(copy, list, size);
    return copy;
}

LPITEMIDLIST PIDLParent(LPCITEMIDLIST list) {
    if (!list) return nullptr;
    UINT parentBytes = static_cast<UINT>(Bytes(PIDLLast(list)) - Bytes(list));
    LPITEMIDLIST parent = PIDLAlloc(parentBytes + sizeof(USHORT));
    if (parent) std::memcpy(parent, list, parentBytes);
    return parent;
}

PIDLIST_ABSOLUTE PIDLParent(PCIDLIST_ABSOLUTE list) {
    return static_cast<PIDLIST_ABSOLUTE>(PIDLParent(static_cast<LPCITEMIDLIST>(list)));
}

LPITEMIDLIST PIDLAppend(LPCITEMIDLIST first, LPCITEMIDLIST second) {
    if (!first) return PIDLCloneBytes(second);
    UINT firstBytes = PIDLSize(first) - sizeof(USHORT);
    UINT secondSize = second ? PIDLSize(second) : sizeof(USHORT);
    LPITEMIDLIST joined = PIDLAlloc(firstBytes + secondSize);
    if (!joined) return nullptr;
    std::memcpy(joined, first, firstBytes);
    if (second) std::memcpy(reinterpret_cast<BYTE*>(joined) + firstBytes, second, secondSize);
    return joined;
}

PIDLIST_ABSOLUTE PIDLAppend(PCIDLIST_ABSOLUTE first, PCUIDLIST_RELATIVE second) {
    return static_cast<PIDLIST_ABSOLUTE>(PIDLAppend(static_cast<LPCITEMIDLIST>(first), second));
}

void PIDLFreeBytes(LPITEMIDLIST list) {
    if (list) {
        if (IMalloc* allocator = App().malloc.get()) allocator->Free(list);
    }
}

namespace {

std::wstring ParsingName(IShellFolder* desktop, LPCITEMIDLIST list) {
    STRRET name{};
    if (FAILED(desktop->GetDisplayNameOf(DesktopItem(list), SHGDN_FORPARSING, &name))) return {};
    return StrRetToText(&name, list);
}

}  // namespace

bool PIDLEqual(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (!a || !b) return false;
    if (a == b) return true;
    IShellFolder* desktop = App().desktop.get();
    if (!desktop || desktop->CompareIDs(0, AnyRelative(a), AnyRelative(b)) != 0) return false;
    // A shell that compares names through a narrow code page calls different
    // non-Latin names of one length equal; the parsing names tell them apart.
    const std::wstring nameA = ParsingName(desktop, a);
    const std::wstring nameB = ParsingName(desktop, b);
    if (nameA.empty() || nameB.empty()) return true;
    return CompareStringOrdinal(nameA.c_str(), static_cast<int>(nameA.size()), nameB.c_str(),
                                static_cast<int>(nameB.size()), TRUE) == CSTR_EQUAL;
}

std::wstring PIDLDisplayName(LPCITEMIDLIST list) {
    if (!list) return {};
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return {};
    return info.szDisplayName;
}

std::wstring PIDLPathOrName(PCIDLIST_ABSOLUTE list) {
    if (!list) return {};
    std::wstring path = PIDLFileSystemPath(list);
    return path.empty() ? PIDLDisplayName(list) : path;
}

namespace {

std::wstring NameText(IShellFolder* folder, PCUITEMID_CHILD item, SHGDNF flags) {
    STRRET name{};
    if (FAILED(folder->GetDisplayNameOf(item, flags, &name))) return {};
    LPWSTR text = nullptr;
    if (FAILED(StrRetToStrW(&name, item, &text)) || !text) return {};
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

bool IsDrivePathOrShare(const std::wstring& name) {
    return (name.size() >= 3 && name[1] == L':' && name[2] == L'\\') ||
           (name.size() > 2 && name[0] == L'\\' && name[1] == L'\\');
}

std::wstring FileSystemPathBelow(IShellFolder* desktop, PCIDLIST_ABSOLUTE list) {
    std::wstring path = NameText(desktop, DesktopItem(list), SHGDN_FORPARSING);
    if (!IsDrivePathOrShare(path)) return {};
    // The platform's shell cuts a parsing name at MAX_PATH - 1 characters: a
    // name that long may be cut, and is built again from the parent's path
    // and the item's own name.
    if (path.size() < MAX_PATH - 1 || PIDLCount(list) < 2) return path;
    UniqueAbsolutePidl parentList(PIDLParent(list));
    std::wstring parentPath = FileSystemPathBelow(desktop, parentList.get());
    ComPtr<IShellFolder> parent;
    if (parentPath.empty() ||
        FAILED(desktop->BindToObject(parentList.get(), nullptr, IID_IShellFolder, parent.putVoid())) || !parent)
        return path;
    const std::wstring name = NameText(parent.get(), PIDLLastChild(list), SHGDN_INFOLDER | SHGDN_FORPARSING);
    if (name.empty()) return path;
    if (parentPath.back() != L'\\') parentPath += L'\\';
    return parentPath + name;
}

}  // namespace

std::wstring PIDLFileSystemPath(PCIDLIST_ABSOLUTE list) {
    if (!list) return {};
    // The desktop of the calling thread: fills ask from threads of their own.
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put())) || !desktop) return {};
    if (list->mkid.cb != 0) {
        UniqueAbsolutePidl parentList(PIDLParent(list));
        ComPtr<IShellFolder> parent;
        if (!parentList) return {};
        if (parentList.get()->mkid.cb == 0)
            parent = desktop;
        else if (FAILED(desktop->BindToObject(parentList.get(), nullptr, IID_IShellFolder, parent.putVoid())))
            parent.reset();
        PCUITEMID_CHILD last = PIDLLastChild(list);
        SFGAOF attributes = SFGAO_FILESYSTEM;
        if (!parent || FAILED(parent->GetAttributesOf(1, &last, &attributes)) || !(attributes & SFGAO_FILESYSTEM))
            return {};
    }
    return FileSystemPathBelow(desktop.get(), list);
}

int PIDLIconIndex(LPCITEMIDLIST list, bool large, bool open) {
    if (!list) return 0;
    UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX;
    if (!large) flags |= SHGFI_SMALLICON;
    if (open) flags |= SHGFI_OPENICON;
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info), flags);
    return info.iIcon;
}

int PlainFolderIconIndex() {
    SHFILEINFOW info{};
    SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info),
                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return info.iIcon;
}

int PathIconIndex(const std::wstring& path, bool large) {
    if (path.empty()) return 0;
    UINT flags = SHGFI_SYSICONINDEX;
    if (!large) flags |= SHGFI_SMALLICON;
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), flags);
    return info.iIcon;
}

std::wstring StrRetToText(STRRET* strRet, LPCITEMIDLIST list) {
    if (!strRet) return {};
    wchar_t buffer[1040];
    if (FAILED(StrRetToBufW(strRet, DesktopItem(list), buffer, 1040))) return {};
    return buffer;
}

bool PIDLReparse(PCIDLIST_ABSOLUTE list, PIDLIST_ABSOLUTE& result) {
    result = nullptr;
    IShellFolder* desktop = App().desktop.get();
    if (!list || !desktop) return false;
    STRRET name{};
    if (FAILED(desktop->GetDisplayNameOf(DesktopItem(list), SHGDN_FORPARSING, &name))) return false;
    std::wstring parsingName = StrRetToText(&name, list);
    if (parsingName.empty()) return false;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, parsingName.data(), nullptr, DesktopParseResult(&result),
                                           nullptr);
    if (FAILED(hr)) result = nullptr;
    return hr != E_INVALIDARG && hr != E_NOTIMPL;
}

bool PIDLBindFolder(PCIDLIST_ABSOLUTE list, IShellFolder** folder) {
    if (!folder) return false;
    *folder = nullptr;
    IShellFolder* desktop = App().desktop.get();
    if (!list || !desktop) return false;
    if (list->mkid.cb == 0) {
        desktop->AddRef();
        *folder = desktop;
        return true;
    }
    return SUCCEEDED(desktop->BindToObject(list, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder))) &&
           *folder;
}

HRESULT PIDLWriteStream(IStream* stream, LPCITEMIDLIST list) {
    if (!stream) return E_INVALIDARG;
    UINT size = PIDLSize(list);
    // The size field has 16 bits; a longer list is written as "no list" so
    // that whatever follows in the stream still reads in step.
    bool fits = size <= 0xFFFF;
    USHORT stored = fits ? static_cast<USHORT>(size) : 0;
    HRESULT hr = WriteExactly(stream, &stored, sizeof(stored));
    if (FAILED(hr)) return hr;
    if (!fits) return E_INVALIDARG;
    return stored ? WriteExactly(stream, list, stored) : S_OK;
}

HRESULT PIDLReadStream(IStream* stream, LPITEMIDLIST& list) {
    list = nullptr;
    if (!stream) return E_INVALIDARG;
    USHORT size = 0;
    HRESULT hr = ReadExactly(stream, &size, sizeof(size));
    if (FAILED(hr) || size == 0) return hr;
    UniquePidl stored(PIDLAlloc(size));
    if (!stored) return E_OUTOFMEMORY;
    hr = ReadExactly(stream, stored.get(), size);
    if (FAILED(hr)) return hr;
    // The whole size has been consumed, so a following list in the same
    // stream still reads in step after a rejected one.
    if (!PIDLIsStoredList(stored.get(), size)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    list = stored.release();
    return S_OK;
}

bool CompareMem(const void* a, const void* b, size_t n) {
    if (n == 0 || a == b) return true;
    if (!a || !b) return false;
    return std::memcmp(a, b, n) == 0;
}
