#include "tests/support/ZekoProcess.h"

#include "app/uReg.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "tests/support/TestSettingsRoot.h"

#include <string_view>

namespace {

// This process's environment with the program's settings key pointed at the
// test's scratch settings, as a block for CreateProcessW.
std::wstring ChildEnvironment() {
    const std::wstring prefix = std::wstring(kSettingsKeyVariable) + L"=";
    std::wstring block;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
            const std::wstring_view text(entry);
            if (text.size() >= prefix.size() && _wcsnicmp(entry, prefix.c_str(), prefix.size()) == 0) continue;
            block.append(text);
            block.push_back(L'\0');
        }
        FreeEnvironmentStringsW(strings);
    }
    block += prefix + PrivateSettingsKeyPath();
    block.push_back(L'\0');
    return block;
}

}  // namespace

std::wstring TestBinaryDirectory() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

ZekoProcess::ZekoProcess(const std::wstring& arguments, const std::wstring& currentDirectory, bool suspended) {
    std::wstring exe = TestBinaryDirectory() + L"ZEKO.exe";
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring environment = ChildEnvironment();
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (suspended ? CREATE_SUSPENDED : 0);
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                       environment.data(), currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &si,
                       &pi)) {
        process_.reset(pi.hProcess);
        thread_.reset(pi.hThread);
        id_ = pi.dwProcessId;
    }
}

void ZekoProcess::resume() {
    if (thread_) ResumeThread(thread_.get());
}

ZekoProcess::~ZekoProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool ZekoProcess::waitForExit(DWORD milliseconds) {
    return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD ZekoProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_.get(), &code);
    return code;
}

std::vector<HWND> FindTopLevelWindows(const wchar_t* className, DWORD processId) {
    struct Search {
        const wchar_t* className;
        DWORD processId;
        std::vector<HWND> found;
    } search{className, processId, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            wchar_t name[256];
            if (!GetClassNameW(hwnd, name, 256) || wcscmp(name, s.className) != 0) return TRUE;
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (s.processId == 0 || owner == s.processId) s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

HWND WaitForVisibleFrame(const ZekoProcess& process) {
    HWND frame = nullptr;
    WaitUntil(
        [&] {
            auto frames = FindTopLevelWindows(kFrameClassName, process.id());
            frame = frames.empty() ? nullptr : frames.front();
            return frame && IsWindowVisible(frame);
        },
        20000);
    return frame;
}

std::vector<HWND> ChildWindows(HWND frame) {
    std::vector<HWND> children;
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    for (HWND child = FindWindowExW(client, nullptr, kChildClassName, nullptr); child;
         child = FindWindowExW(client, child, kChildClassName, nullptr))
        children.push_back(child);
    return children;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}
