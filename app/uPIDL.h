#pragma once
// Operations on raw item identifier lists. Every list is allocated and freed
// with the shell allocator; each function says whether it copies.

#include "app/uPIDLWalk.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>

// Lists come in three kinds, told apart by type: absolute from the desktop
// (PIDLIST_ABSOLUTE), relative as several items below a folder
// (PIDLIST_RELATIVE) and child as one item inside its folder (PITEMID_CHILD).
// Every kind converts to the untyped LPCITEMIDLIST the byte-level operations
// take; a kind never converts to another.
LPITEMIDLIST PIDLAlloc(UINT bytes);
LPITEMIDLIST PIDLCloneBytes(LPCITEMIDLIST list);
// A copy of the same kind.
template <class Item>
Item* PIDLClone(const Item* list) {
    return static_cast<Item*>(PIDLCloneBytes(list));
}
LPITEMIDLIST PIDLParent(LPCITEMIDLIST list);
PIDLIST_ABSOLUTE PIDLParent(PCIDLIST_ABSOLUTE list);
LPITEMIDLIST PIDLAppend(LPCITEMIDLIST first, LPCITEMIDLIST second);
PIDLIST_ABSOLUTE PIDLAppend(PCIDLIST_ABSOLUTE first, PCUIDLIST_RELATIVE second);
// The last item of a list, which is a child of the folder the rest names.
inline PCUITEMID_CHILD PIDLLastChild(PCUIDLIST_RELATIVE list) {
    return static_cast<PCUITEMID_CHILD>(PIDLLast(list));
}
void PIDLFreeBytes(LPITEMIDLIST list);
template <class Item>
void PIDLFree(Item*& list) {
    PIDLFreeBytes(list);
    list = nullptr;
}
bool PIDLEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);
std::wstring PIDLDisplayName(LPCITEMIDLIST list);
std::wstring PIDLPathOrName(PCIDLIST_ABSOLUTE list);
// The file-system path of `list`, however long; empty for an item that is not
// in the file system. Safe on any thread.
std::wstring PIDLFileSystemPath(PCIDLIST_ABSOLUTE list);
int PIDLIconIndex(LPCITEMIDLIST list, bool large, bool open);
// A plain closed folder's small icon, known without looking at any folder.
int PlainFolderIconIndex();
int PathIconIndex(const std::wstring& path, bool large);
std::wstring StrRetToText(STRRET* strRet, LPCITEMIDLIST list);
// New list in `result` (or none); false only when the name cannot be had or
// parsing answers E_INVALIDARG / E_NOTIMPL.
bool PIDLReparse(PCIDLIST_ABSOLUTE list, PIDLIST_ABSOLUTE& result);
// The folder for `list` in `folder` (the desktop itself for the empty list).
bool PIDLBindFolder(PCIDLIST_ABSOLUTE list, IShellFolder** folder);

// Where the platform's declarations name a list less exactly than it is, these
// say what it is; they are the only places a list changes its kind.
// The desktop folder takes and hands back whole absolute lists where its
// interface names a child or a relative list.
inline PCUITEMID_CHILD DesktopItem(LPCITEMIDLIST list) {
    return static_cast<PCUITEMID_CHILD>(list);
}
inline PCUIDLIST_RELATIVE AnyRelative(LPCITEMIDLIST list) {
    return static_cast<PCUIDLIST_RELATIVE>(list);
}
inline PIDLIST_RELATIVE* DesktopParseResult(PIDLIST_ABSOLUTE* list) {
    return reinterpret_cast<PIDLIST_RELATIVE*>(list);
}
// Lists kept as bytes (the registry, shared memory, a list of closed folders)
// carry no kind; what their store holds are folders from the desktop.
inline PCIDLIST_ABSOLUTE StoredFolder(LPCITEMIDLIST list) {
    return static_cast<PCIDLIST_ABSOLUTE>(list);
}
// A folder that parses one name of its own (no separators) answers one child.
inline PIDLIST_RELATIVE* ChildParseResult(PITEMID_CHILD* list) {
    return reinterpret_cast<PIDLIST_RELATIVE*>(list);
}
// A list longer than the 16-bit size field is written as size 0 and fails.
HRESULT PIDLWriteStream(IStream* stream, LPCITEMIDLIST list);
// Reads one serialised list; `list` stays null when the stored size is 0, and
// when the stored bytes are not exactly one well-formed list (that fails).
HRESULT PIDLReadStream(IStream* stream, LPITEMIDLIST& list);
bool CompareMem(const void* a, const void* b, size_t n);

// Owns one ID list of kind `Item`; frees it with the shell allocator.
template <class Item>
class TUniquePidl {
public:
    TUniquePidl() = default;
    explicit TUniquePidl(Item* p) : p_(p) {}
    TUniquePidl(const TUniquePidl&) = delete;
    TUniquePidl& operator=(const TUniquePidl&) = delete;
    TUniquePidl(TUniquePidl&& other) noexcept : p_(other.release()) {}
    TUniquePidl& operator=(TUniquePidl&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~TUniquePidl() { reset(); }

    Item* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    Item** put() {
        reset();
        return &p_;
    }
    Item* release() { return std::exchange(p_, nullptr); }
    void reset(Item* p = nullptr) {
        Item* old = std::exchange(p_, p);
        if (old) PIDLFree(old);
    }

private:
    Item* p_ = nullptr;
};

using UniqueAbsolutePidl = TUniquePidl<ITEMIDLIST_ABSOLUTE>;
using UniqueRelativePidl = TUniquePidl<ITEMIDLIST_RELATIVE>;
using UniqueChildPidl = TUniquePidl<ITEMID_CHILD>;
// For the byte-level work that serves every kind.
using UniquePidl = TUniquePidl<ITEMIDLIST>;

