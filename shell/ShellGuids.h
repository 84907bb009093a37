#pragma once
// Shell class identifiers and constants that MinGW-w64's headers do not provide.
// Each is defined here once; include this header instead of repeating a GUID.

#include <windows.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

// {603D3800-BD81-11D0-A3A5-00C04FD706EC}: the shell's background task scheduler.
inline constexpr CLSID CLSID_ShellTaskScheduler = {
    0x603D3800, 0xBD81, 0x11D0, {0xA3, 0xA5, 0x00, 0xC0, 0x4F, 0xD7, 0x06, 0xEC}};

// {8278F931-2A3E-11D2-838F-00C04FD918D0}: the shell's folder-backed popup menu.
inline constexpr CLSID CLSID_TrackShellMenu = {
    0x8278F931, 0x2A3E, 0x11D2, {0x83, 0x8F, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0xD0}};

// shlguid.h and shlobj.h declare the thumbnail disk cache only for targets
// older than Vista, although later systems still register the class.
#if NTDDI_VERSION >= 0x06000000
inline constexpr CLSID CLSID_ShellThumbnailDiskCache = {
    0x1EBDCF80, 0xA200, 0x11D0, {0xA3, 0xA4, 0x00, 0xC0, 0x4F, 0xD7, 0x06, 0xEC}};

#include <pshpack8.h>
struct ENUMSHELLIMAGESTOREDATA {
    WCHAR szPath[MAX_PATH];
    FILETIME ftTimeStamp;
};
#include <poppack.h>
using PENUMSHELLIMAGESTOREDATA = ENUMSHELLIMAGESTOREDATA*;

#define SHIMSTCAPFLAG_LOCKABLE 0x0001
#define SHIMSTCAPFLAG_PURGEABLE 0x0002

struct IEnumShellImageStore : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, PENUMSHELLIMAGESTOREDATA* prgElt, ULONG* pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumShellImageStore** ppEnum) = 0;
};
__CRT_UUID_DECL(IEnumShellImageStore, 0x6DFD582B, 0x92E3, 0x11D1, 0x98, 0xA3, 0x00, 0xC0, 0x4F, 0xB6, 0x87, 0xDA)

struct IShellImageStore : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Open(DWORD dwMode, DWORD* pdwLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE Create(DWORD dwMode, DWORD* pdwLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseLock(const DWORD* pdwLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(const DWORD* pdwLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit(const DWORD* pdwLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsLocked() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMode(DWORD* pdwMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* pdwCapMask) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddEntry(PCWSTR pszName, const FILETIME* pftTimeStamp, DWORD dwMode,
                                               HBITMAP hImage) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEntry(PCWSTR pszName, DWORD dwMode, HBITMAP* phImage) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteEntry(PCWSTR pszName) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEntryInStore(PCWSTR pszName, FILETIME* pftTimeStamp) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enum(IEnumShellImageStore** ppEnum) = 0;
};
__CRT_UUID_DECL(IShellImageStore, 0x48C8118C, 0xB924, 0x11D1, 0x98, 0xD5, 0x00, 0xC0, 0x4F, 0xB6, 0x87, 0xDA)
#endif

// The list half of a completion source, which MinGW declares without its identifier for __uuidof.
__CRT_UUID_DECL(IACList, 0x77A130B0, 0x94FD, 0x11D0, 0xA5, 0x44, 0x00, 0xC0, 0x4F, 0xD7, 0xD0, 0x62)

// {B725F130-47EF-101A-A5F1-02608C9EEBAC}: the property set of an item's
// storage (name, type, size, times, attributes), and the IDs of the
// properties in it that are compared as numbers.
inline constexpr GUID FMTID_StorageProperties = {
    0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
inline constexpr DWORD kStorageType = 4;
inline constexpr DWORD kStorageSize = 12;
inline constexpr DWORD kStorageAttributes = 13;
inline constexpr DWORD kStorageDateModified = 14;
inline constexpr DWORD kStorageDateCreated = 15;
inline constexpr DWORD kStorageDateAccessed = 16;

// The toolbar's TBN_INITCUSTOMIZE carries the customise dialog; MinGW-w64's
// commctrl.h lacks the structure.
struct NMTBCUSTOMIZEDLG {
    NMHDR hdr;
    HWND hDlg;
};
