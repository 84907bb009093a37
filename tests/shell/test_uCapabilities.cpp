// The capability flags agree with what the platform actually does, the
// program gets a working task scheduler whether the platform has one or not,
// and the stand-ins give what the platform's own services give.

#include "app/ComPtr.h"
#include "app/Global.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "shell/ShellGuids.h"
#include "shell/uCapabilities.h"
#include "shell/uFileSystemEnum.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace {

bool Creatable(REFCLSID clsid) {
    ComPtr<IUnknown> object;
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      __uuidof(IUnknown), object.putVoid()));
}

// Sets its event when run; enough to see that a scheduler runs tasks.
class SignalTask final : public IRunnableTask {
public:
    explicit SignalTask(HANDLE event) : event_(event) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IRunnableTask))) {
            *object = static_cast<IRunnableTask*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack; the scheduler only borrows it.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Run() override {
        SetEvent(event_);
        return S_OK;
    }
    STDMETHODIMP Kill(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP_(ULONG) IsRunning() override { return IRTIR_TASK_NOT_RUNNING; }

private:
    HANDLE event_;
};

void ExpectRunsATask(IShellTaskScheduler* scheduler) {
    ASSERT_NE(nullptr, scheduler);
    UniqueHandle ran(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SignalTask task(ran.get());
    ASSERT_EQ(S_OK, scheduler->AddTask(&task, GUID_NULL, 0, ITSAT_DEFAULT_PRIORITY));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ran.get(), 30000));
    scheduler->RemoveTasks(TOID_NULL, ITSAT_DEFAULT_LPARAM, TRUE);
}

TEST(Capabilities, ProbedClassesAreThoseThePlatformCanCreate) {
    const Capabilities& caps = PlatformCapabilities();
    EXPECT_EQ(Creatable(CLSID_ShellTaskScheduler), caps.shellTaskScheduler);
    EXPECT_EQ(Creatable(CLSID_ShellThumbnailDiskCache), caps.thumbnailDiskCache);
    EXPECT_EQ(Creatable(CLSID_TrackShellMenu), caps.trackShellMenu);
}

TEST(Capabilities, FileSystemFolderExtrasMatchWhatAFileSystemFolderOffers) {
    wchar_t windowsDir[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryW(windowsDir, MAX_PATH));
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(S_OK, SHGetDesktopFolder(desktop.put()));
    PIDLIST_RELATIVE pidl = nullptr;
    ASSERT_EQ(S_OK, desktop->ParseDisplayName(nullptr, nullptr, windowsDir, nullptr, &pidl, nullptr));
    ComPtr<IShellFolder> folder;
    HRESULT bound = desktop->BindToObject(pidl, nullptr, __uuidof(IShellFolder), folder.putVoid());
    CoTaskMemFree(pidl);
    ASSERT_EQ(S_OK, bound);

    // MinGW declares these two without __uuidof.
    ComPtr<IUnknown> icon;
    ComPtr<IUnknown> overlay;
    folder->QueryInterface(IID_IShellIcon, icon.putVoid());
    folder->QueryInterface(IID_IShellIconOverlay, overlay.putVoid());
    const bool offered = icon && overlay;
    EXPECT_EQ(offered, PlatformCapabilities().fileSystemFolderExtras);
}

TEST(Capabilities, CreateTaskSchedulerAlwaysGivesAWorkingScheduler) {
    ComPtr<IShellTaskScheduler> scheduler = CreateTaskScheduler();
    ExpectRunsATask(scheduler.get());
}

TEST(Capabilities, TheProcessWideSchedulersWork) {
    for (const ComPtr<IShellTaskScheduler>& scheduler : App().schedulers) ExpectRunsATask(scheduler.get());
}

}  // namespace

namespace {

// Every name the stand-in gives is the one the folder itself gives, whether
// extensions are hidden or shown, for files sharing an extension (where the
// first one teaches the rest), folders with dots, dotted names and names
// without an extension.
TEST(InFolderNames, EveryNameIsTheOneTheFolderItselfGives) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"zeko-names-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    const wchar_t* files[] = {L"a.txt", L"b.txt", L"c.TXT", L"archive.tar.gz", L"noextension", L".hidden",
                              L"x.unknownext", L"y.unknownext", L"shortcut.lnk", L"z.bat"};
    for (const wchar_t* name : files) {
        HANDLE file = CreateFileW((root + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        CloseHandle(file);
    }
    ASSERT_TRUE(CreateDirectoryW((root + L"\\folder.txt").c_str(), nullptr));

    for (const DWORD hide : {0u, 1u}) {
        HKEY advanced = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                                  0, nullptr, 0, KEY_SET_VALUE, nullptr, &advanced, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(advanced, L"HideFileExt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&hide), sizeof(hide));
        RegCloseKey(advanced);

        PIDLIST_ABSOLUTE absolute = ILCreateFromPathW(root.c_str());
        ASSERT_NE(absolute, nullptr);
        ComPtr<IShellFolder> desktop, folder;
        ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(desktop.put()));
        ASSERT_HRESULT_SUCCEEDED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, folder.putVoid()));
        ILFree(absolute);
        TInFolderNames names(folder.get(), true);
        ComPtr<IEnumIDList> items;
        ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                      items.put()),
                  S_OK);
        int count = 0;
        PITEMID_CHILD item = nullptr;
        while (items->Next(1, &item, nullptr) == S_OK) {
            STRRET text{};
            wchar_t expected[MAX_PATH] = {};
            ASSERT_HRESULT_SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &text));
            StrRetToBufW(&text, item, expected, MAX_PATH);
            std::wstring name;
            EXPECT_TRUE(names.Name(item, name));
            EXPECT_EQ(name, expected) << "HideFileExt " << hide;
            CoTaskMemFree(item);
            ++count;
        }
        EXPECT_EQ(count, 11);
    }
    for (const wchar_t* name : files) DeleteFileW((root + L"\\" + name).c_str());
    RemoveDirectoryW((root + L"\\folder.txt").c_str());
    RemoveDirectoryW(root.c_str());
}

}  // namespace

namespace {

std::vector<std::vector<BYTE>> ListedItems(IEnumIDList* items) {
    std::vector<std::vector<BYTE>> listed;
    PITEMID_CHILD step[3] = {};
    ULONG fetched = 0;
    for (;;) {
        const HRESULT next = items->Next(3, step, &fetched);
        for (ULONG i = 0; i < fetched; ++i) {
            const BYTE* bytes = reinterpret_cast<const BYTE*>(step[i]);
            listed.emplace_back(bytes, bytes + ILGetSize(step[i]));
            CoTaskMemFree(step[i]);
        }
        if (next != S_OK) return listed;
    }
}

// Our enumerator lists what the folder's own lists, byte for byte and each
// item once, for every choice of folders, files and hidden items, a name that
// takes the item's path past MAX_PATH included, in a folder large enough that
// the folder's own listing gives the rest after our first items; and it
// declines a folder that lists more than its directory (the desktop).
TEST(FileSystemEnumerator, ListsWhatTheFolderItselfLists) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // The long form, as one name below takes the path past MAX_PATH.
    const std::wstring root =
        L"\\\\?\\" + std::wstring(temp) + L"zeko-enum-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    const std::wstring longName(250, L'n');
    const wchar_t* files[] = {L"a.txt", L"A long name with spaces.text", L".dotted", L"hidden.txt", longName.c_str()};
    for (const wchar_t* name : files) {
        HANDLE file = CreateFileW((root + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        CloseHandle(file);
    }
    ASSERT_TRUE(SetFileAttributesW((root + L"\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    constexpr int kMany = 1500;
    for (int i = 0; i < kMany; ++i) {
        HANDLE file = CreateFileW((root + L"\\many" + std::to_wstring(i)).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << i;
        CloseHandle(file);
    }
    const wchar_t* folders[] = {L"sub", L"hidden folder"};
    for (const wchar_t* name : folders) ASSERT_TRUE(CreateDirectoryW((root + L"\\" + name).c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesW((root + L"\\hidden folder").c_str(), FILE_ATTRIBUTE_HIDDEN));

    ComPtr<IShellFolder> desktop, folder;
    ASSERT_HRESULT_SUCCEEDED(SHGetDesktopFolder(desktop.put()));
    PIDLIST_ABSOLUTE absolute = ILCreateFromPathW(root.substr(4).c_str());
    ASSERT_NE(absolute, nullptr);
    ASSERT_HRESULT_SUCCEEDED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, folder.putVoid()));
    ILFree(absolute);
    for (const int flags :
         {SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
          SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, static_cast<int>(SHCONTF_NONFOLDERS)}) {
        ComPtr<IEnumIDList> theirs;
        ASSERT_EQ(folder->EnumObjects(nullptr, flags, theirs.put()), S_OK);
        const ComPtr<IEnumIDList> ours = CreateOwnFileSystemEnumerator(folder.get(), static_cast<SHCONTF>(flags));
        ASSERT_TRUE(ours) << flags;
        auto expected = ListedItems(theirs.get());
        auto listed = ListedItems(ours.get());
        std::sort(expected.begin(), expected.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_FALSE(expected.empty()) << flags;
        EXPECT_EQ(listed, expected) << flags;
    }
    EXPECT_FALSE(CreateOwnFileSystemEnumerator(desktop.get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS));

    for (const wchar_t* name : files) DeleteFileW((root + L"\\" + name).c_str());
    for (int i = 0; i < kMany; ++i) DeleteFileW((root + L"\\many" + std::to_wstring(i)).c_str());
    for (const wchar_t* name : folders) RemoveDirectoryW((root + L"\\" + name).c_str());
    RemoveDirectoryW(root.c_str());
}

}  // namespace

namespace {

CLSID ClassOf(IShellFolder* folder) {
    CLSID clsid = CLSID_NULL;
    ComPtr<IPersist> persist;
    if (folder && SUCCEEDED(folder->QueryInterface(IID_IPersist, persist.putVoid())) && persist)
        persist->GetClassID(&clsid);
    return clsid;
}

int PlatformIconIndex(PCIDLIST_ABSOLUTE absolute) {
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof(info),
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return info.iIcon;
}

// A desktop.ini that names a folder class counts only in a marked folder
// (marked as a system folder: Wine keeps no read-only mark on folders),
// whether the folder is bound through the desktop or from its parent; an
// unmarked one is a plain file-system folder listing its files. Its icon is
// the one such a folder has, and a drive's root keeps its own.
TEST(FolderBinding, ADesktopIniCountsOnlyInAMarkedFolder) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"zeko-bind-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring plain = root + L"\\plain", marked = root + L"\\marked", bare = root + L"\\bare";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    for (const std::wstring& folder : {plain, marked, bare}) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        if (folder == bare) continue;
        ASSERT_TRUE(WritePrivateProfileStringW(L".ShellClassInfo", L"CLSID",
                                               L"{645FF040-5081-101B-9F08-00AA002F954E}",
                                               (folder + L"\\desktop.ini").c_str()));
        ASSERT_TRUE(
            SetFileAttributesW((folder + L"\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        UniqueHandle file(CreateFileW((folder + L"\\a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                      nullptr));
        ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
    }
    ASSERT_TRUE(SetFileAttributesW(marked.c_str(), FILE_ATTRIBUTE_SYSTEM));

    UniqueAbsolutePidl rootList(ILCreateFromPathW(root.c_str()));
    ComPtr<IShellFolder> parent;
    ASSERT_HRESULT_SUCCEEDED(BindAbsoluteFolder(rootList.get(), parent.put()));
    for (const std::wstring& path : {plain, marked}) {
        UniqueAbsolutePidl list(ILCreateFromPathW(path.c_str()));
        ASSERT_TRUE(list);
        ComPtr<IShellFolder> throughDesktop, fromParent;
        ASSERT_HRESULT_SUCCEEDED(BindAbsoluteFolder(list.get(), throughDesktop.put()));
        ASSERT_HRESULT_SUCCEEDED(BindChildFolder(parent.get(), list.get(), fromParent.put()));
        const CLSID expected = path == marked ? CLSID_RecycleBin : CLSID_ShellFSFolder;
        EXPECT_TRUE(IsEqualCLSID(ClassOf(throughDesktop.get()), expected));
        EXPECT_TRUE(IsEqualCLSID(ClassOf(fromParent.get()), expected));
        if (path != plain) continue;
        ComPtr<IEnumIDList> items;
        ASSERT_EQ(S_OK, throughDesktop->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.put()));
        EXPECT_EQ(1u, ListedItems(items.get()).size());

        UniqueAbsolutePidl bareList(ILCreateFromPathW(bare.c_str()));
        SHFILEINFOW info{};
        ASSERT_TRUE(FolderIconInfo(throughDesktop.get(), list.get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON, info));
        EXPECT_EQ(PlatformIconIndex(bareList.get()), info.iIcon);
    }
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    PathStripToRootW(windows);
    UniqueAbsolutePidl driveList(ILCreateFromPathW(windows));
    ComPtr<IShellFolder> drive;
    ASSERT_HRESULT_SUCCEEDED(BindAbsoluteFolder(driveList.get(), drive.put()));
    SHFILEINFOW info{};
    ASSERT_TRUE(FolderIconInfo(drive.get(), driveList.get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON, info));
    EXPECT_EQ(PlatformIconIndex(driveList.get()), info.iIcon);

    SetFileAttributesW(marked.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const std::wstring& folder : {plain, marked}) {
        SetFileAttributesW((folder + L"\\desktop.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((folder + L"\\desktop.ini").c_str());
        DeleteFileW((folder + L"\\a.txt").c_str());
    }
    for (const std::wstring& folder : {plain, marked, bare}) RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(root.c_str());
}

}  // namespace
