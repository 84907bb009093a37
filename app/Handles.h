#pragma once
// Small owners for kernel handles, file searches, registry keys, GDI objects,
// icons, menus, image lists and global-memory locks. Each closes what it holds
// exactly once.

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename H, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(H h) : h_(h) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : h_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return Traits::valid(h_); }
    H* put() {
        reset();
        return &h_;
    }
    H release() { return std::exchange(h_, Traits::invalid()); }
    void reset(H h = Traits::invalid()) {
        H old = std::exchange(h_, h);
        if (Traits::valid(old)) Traits::close(old);
    }

private:
    H h_ = Traits::invalid();
};

struct HandleTraits {
    static HANDLE invalid() { return nullptr; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;

struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { FindClose(h); }
};
using UniqueFindHandle = UniqueResource<HANDLE, FindHandleTraits>;

struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool valid(HKEY k) { return k != nullptr; }
    static void close(HKEY k) { RegCloseKey(k); }
};
using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;

template <typename G>
struct GdiTraits {
    static G invalid() { return nullptr; }
    static bool valid(G g) { return g != nullptr; }
    static void close(G g) { DeleteObject(g); }
};
template <typename G>
using UniqueGdi = UniqueResource<G, GdiTraits<G>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;

struct IconTraits {
    static HICON invalid() { return nullptr; }
    static bool valid(HICON h) { return h != nullptr; }
    static void close(HICON h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueResource<HICON, IconTraits>;

struct MenuTraits {
    static HMENU invalid() { return nullptr; }
    static bool valid(HMENU menu) { return menu != nullptr; }
    static void close(HMENU menu) { DestroyMenu(menu); }
};
using UniqueMenu = UniqueResource<HMENU, MenuTraits>;

struct ImageListTraits {
    static HIMAGELIST invalid() { return nullptr; }
    static bool valid(HIMAGELIST list) { return list != nullptr; }
    static void close(HIMAGELIST list) { ImageList_Destroy(list); }
};
using UniqueImageList = UniqueResource<HIMAGELIST, ImageListTraits>;

// A device context made with CreateCompatibleDC (not one from GetDC).
struct MemoryDCTraits {
    static HDC invalid() { return nullptr; }
    static bool valid(HDC dc) { return dc != nullptr; }
    static void close(HDC dc) { DeleteDC(dc); }
};
using UniqueMemoryDC = UniqueResource<HDC, MemoryDCTraits>;

struct GlobalTraits {
    static HGLOBAL invalid() { return nullptr; }
    static bool valid(HGLOBAL h) { return h != nullptr; }
    static void close(HGLOBAL h) { GlobalFree(h); }
};
using UniqueGlobal = UniqueResource<HGLOBAL, GlobalTraits>;

// A text the shell allocated with the COM task allocator for us to free.
struct CoTaskTextTraits {
    static wchar_t* invalid() { return nullptr; }
    static bool valid(wchar_t* h) { return h != nullptr; }
    static void close(wchar_t* h) { CoTaskMemFree(h); }
};
using UniqueCoTaskText = UniqueResource<wchar_t*, CoTaskTextTraits>;

// Keeps a global memory block locked for the lifetime of the object.
template <typename T>
class GlobalMemoryLock {
public:
    explicit GlobalMemoryLock(HGLOBAL h) : h_(h), p_(h ? static_cast<T*>(::GlobalLock(h)) : nullptr) {}
    GlobalMemoryLock(const GlobalMemoryLock&) = delete;
    GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;
    ~GlobalMemoryLock() { if (p_) ::GlobalUnlock(h_); }
    T* get() const { return p_; }
    SIZE_T size() const { return p_ ? GlobalSize(h_) : 0; }

private:
    HGLOBAL h_;
    T* p_;
};
