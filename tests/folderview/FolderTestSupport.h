#pragma once
// Real folders, files and outside processes for the folder view's tests.

#include "app/uPIDL.h"
#include "tests/support/RemoveTree.h"

#include <windows.h>

#include <string>

// A folder under the temporary directory (on drive C:), removed with all its
// contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Creates (or truncates) a file holding `bytes` bytes.
bool MakeFile(const std::wstring& path, DWORD bytes = 0);
bool MakeDirectory(const std::wstring& path);
bool Exists(const std::wstring& path);

// Runs `commandLine` in a new process and waits for it; false when it could
// not start or did not end within the timeout.
bool RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 30000);
// Runs a POSIX shell script outside Wine (the system's /bin/sh); `script`
// uses Unix paths (see UnixPath). False where that is not possible.
bool RunUnixShell(const std::string& script);
// The Unix path of a Windows path under Wine, or empty elsewhere.
std::string UnixPath(const std::wstring& windowsPath);
// Whether Unix commands can be run from here (only under Wine).
bool CanRunUnixCommands();

UniqueAbsolutePidl PidlOfPath(const std::wstring& path);
std::wstring PathOfPidl(PCIDLIST_ABSOLUTE pidl);

// The process's open kernel handles. Where the system does not count them
// (Wine answers 0), every handle value up to a bound is asked about.
DWORD CountKernelHandles();
