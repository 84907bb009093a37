#include "tests/support/RemoveTree.h"

#include <windows.h>

namespace {

bool RemoveEntry(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    // A link to a folder goes as a link; what it points to is not the test's.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        bool complete = true;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                complete = RemoveEntry(path + L"\\" + name, found.dwFileAttributes) && complete;
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        return RemoveDirectoryW(path.c_str()) && complete;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path.c_str()) != FALSE;
    return DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

bool RemoveTree(const std::wstring& path) {
    if (path.empty()) return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    return RemoveEntry(path, attributes);
}
