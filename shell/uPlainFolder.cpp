#include "shell/uPlainFolder.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

bool IsPlatformFileSystemFolder(IShellFolder* folder) {
    ComPtr<IPersist> persist;
    CLSID clsid{};
    return folder && SUCCEEDED(folder->QueryInterface(IID_IPersist, persist.putVoid())) && persist &&
           SUCCEEDED(persist->GetClassID(&clsid)) && IsEqualCLSID(clsid, CLSID_ShellFSFolder);
}

// The path of `absolute` when it is a folder of the file system that no
// attribute marks for a desktop.ini, or false.
bool UnmarkedFolderPath(PCIDLIST_ABSOLUTE absolute, wchar_t (&path)[MAX_PATH]) {
    if (!absolute || absolute->mkid.cb == 0 || !SHGetPathFromIDListW(absolute, path) || PathIsRelativeW(path))
        return false;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
}

}  // namespace

ComPtr<IShellFolder> BindPlainFileSystemFolder(IShellFolder* parent, PCIDLIST_ABSOLUTE absolute) {
    wchar_t path[MAX_PATH] = {};
    if (!IsPlatformFileSystemFolder(parent) || !UnmarkedFolderPath(absolute, path)) return {};
    ComPtr<IPersistFolder3> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellFSFolder, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFolder3,
                                persist.putVoid())) ||
        !persist)
        return {};
    PERSIST_FOLDER_TARGET_INFO target{};
    lstrcpynW(target.szTargetParsingName, path, MAX_PATH);
    target.dwAttributes = static_cast<DWORD>(-1);
    target.csidl = -1;
    ComPtr<IShellFolder> folder;
    if (FAILED(persist->InitializeEx(nullptr, absolute, &target)) ||
        FAILED(persist->QueryInterface(IID_IShellFolder, folder.putVoid())))
        return {};
    return folder;
}

bool PlainFileSystemFolderIcon(IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, UINT flags, SHFILEINFOW& info) {
    wchar_t path[MAX_PATH] = {};
    if (!IsPlatformFileSystemFolder(folder) || !UnmarkedFolderPath(absolute, path) || PathIsRootW(path)) return false;
    return SHGetFileInfoW(path, FILE_ATTRIBUTE_DIRECTORY, &info, sizeof(info), flags | SHGFI_USEFILEATTRIBUTES) != 0;
}
