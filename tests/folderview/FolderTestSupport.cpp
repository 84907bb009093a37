#include "FolderTestSupport.h"

#include <shlobj.h>

#include <filesystem>
#include <fstream>

namespace {

int g_serial = 0;

using UnixFileNameFn = char*(CDECL*)(LPCWSTR);

UnixFileNameFn UnixFileNameFunction() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<UnixFileNameFn>(GetProcAddress(kernel, "wine_get_unix_file_name")) : nullptr;
}

}  // namespace

// Process ids come round again quickly under Wine, so a name made of the id
// alone could meet a folder an earlier test left behind: each name is new.
TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (;;) {
        path_ = std::wstring(temp) + L"zeko-fv-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++g_serial);
        if (CreateDirectoryW(path_.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

bool MakeFile(const std::wstring& path, DWORD bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string data(bytes, 'x');
    DWORD written = 0;
    const bool ok = !bytes || (WriteFile(file, data.data(), bytes, &written, nullptr) && written == bytes);
    CloseHandle(file);
    return ok;
}

bool MakeDirectory(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) != FALSE; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
    STARTUPINFOW startup{sizeof(startup)};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    std::wstring buffer = commandLine;
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

bool CanRunUnixCommands() { return UnixFileNameFunction() != nullptr; }

std::string UnixPath(const std::wstring& windowsPath) {
    UnixFileNameFn convert = UnixFileNameFunction();
    if (!convert) return {};
    char* unixPath = convert(windowsPath.c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Wine's start.exe runs a Unix program given by its Unix path (/unix); the
// script goes in a file because start passes arguments on without shell
// quoting. start does not reliably wait for the program, so the script marks
// its own end.
bool RunUnixShell(const std::string& script) {
    if (!CanRunUnixCommands()) return false;
    TempFolder scripts;
    const std::wstring scriptPath = scripts / L"script.sh";
    const std::wstring donePath = scripts / L"done";
    const std::string unixScript = UnixPath(scriptPath);
    const std::string unixDone = UnixPath(donePath);
    if (unixScript.empty() || unixDone.empty()) return false;
    {
        std::ofstream out(std::filesystem::path(scriptPath), std::ios::binary);
        out << script << "\ntouch '" << unixDone << "'\n";
        if (!out) return false;
    }
    const std::wstring command =
        L"start.exe /wait /unix /bin/sh " + std::wstring(unixScript.begin(), unixScript.end());
    if (!RunProcess(command)) return false;
    for (int waited = 0; waited < 60000; waited += 20) {
        if (Exists(donePath)) return true;
        Sleep(20);
    }
    return false;
}

UniqueAbsolutePidl PidlOfPath(const std::wstring& path) {
    UniqueAbsolutePidl pidl;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, pidl.put(), 0, nullptr))) pidl.reset();
    return pidl;
}

std::wstring PathOfPidl(PCIDLIST_ABSOLUTE pidl) {
    wchar_t path[MAX_PATH] = {};
    if (!pidl || !SHGetPathFromIDListW(pidl, path)) return {};
    return path;
}

DWORD CountKernelHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    constexpr ULONG_PTR kHighestProbed = 0x40000;
    for (ULONG_PTR value = 4; value < kHighestProbed; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}
