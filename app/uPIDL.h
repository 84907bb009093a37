#pragma once
// Operations on raw item identifier lists. Every list is allocated and freed
// with the shell allocator; each function says whether it copies.

#include "app/uPIDLWalk.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>

LPITEMIDLIST PIDLAlloc(UINT bytes);
LPITEMIDLIST PIDLClone(LPCITEMIDLIST list);
LPITEMIDLIST PIDLParent(LPCITEMIDLIST list);
LPITEMIDLIST PIDLAppend(LPCITEMIDLIST first, LPCITEMIDLIST second);
void PIDLFree(LPITEMIDLIST& list);
bool PIDLEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);
std::wstring PIDLDisplayName(LPCITEMIDLIST list);
std::wstring PIDLPathOrName(LPCITEMIDLIST list);
// The file-system path of `list`, however long; empty for an item that is not
// in the file system. Safe on any thread.
std::wstring PIDLFileSystemPath(LPCITEMIDLIST list);
int PIDLIconIndex(LPCITEMIDLIST list, bool large, bool open);
int PathIconIndex(const std::wstring& path, bool large);
std::wstring StrRetToText(STRRET* strRet, LPCITEMIDLIST list);
// New list in `result` (or none); false only when the name cannot be had or
// parsing answers E_INVALIDARG / E_NOTIMPL.
bool PIDLReparse(LPCITEMIDLIST list, LPITEMIDLIST& result);
// The folder for `list` in `folder` (the desktop itself for the empty list).
bool PIDLBindFolder(LPCITEMIDLIST list, IShellFolder** folder);
// A list longer than the 16-bit size field is written as size 0 and fails.
HRESULT PIDLWriteStream(IStream* stream, LPCITEMIDLIST list);
// Reads one serialised list; `list` stays null when the stored size is 0, and
// when the stored bytes are not exactly one well-formed list (that fails).
HRESULT PIDLReadStream(IStream* stream, LPITEMIDLIST& list);
bool CompareMem(const void* a, const void* b, size_t n);

// Owns one ID list; frees it with the shell allocator.
class UniquePidl {
public:
    UniquePidl() = default;
    explicit UniquePidl(LPITEMIDLIST p) : p_(p) {}
    UniquePidl(const UniquePidl&) = delete;
    UniquePidl& operator=(const UniquePidl&) = delete;
    UniquePidl(UniquePidl&& other) noexcept : p_(other.release()) {}
    UniquePidl& operator=(UniquePidl&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniquePidl() { reset(); }

    LPITEMIDLIST get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    LPITEMIDLIST* put() {
        reset();
        return &p_;
    }
    LPITEMIDLIST release() { return std::exchange(p_, nullptr); }
    void reset(LPITEMIDLIST p = nullptr) {
        LPITEMIDLIST old = std::exchange(p_, p);
        if (old) PIDLFree(old);
    }

private:
    LPITEMIDLIST p_ = nullptr;
};
