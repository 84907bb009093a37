// Start-up with restored tabs: how long the real ZEKO.exe takes from its
// process start until its frame shows every saved tab with its folder's
// name and items, with one saved tab and with twenty. The runs alternate, so that the
// shared machine's noise falls on both counts alike.

#include "app/Handles.h"
#include "app/UtilClass.h"
#include "app/uReg.h"
#include "mdi/wMDIChild.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kBenchKey[] = L"Software\\ZEKO2 bench startup";
constexpr int kFilesPerFolder = 50;
constexpr int kRounds = 5;

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, length);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + L"ZEKO.exe";
}

std::vector<std::wstring> MakeFolders(const std::wstring& base, int count) {
    std::vector<std::wstring> folders;
    for (int i = 0; i < count; ++i) {
        std::wstring folder = base + L"\\startup-" + std::to_wstring(i);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const std::wstring file = folder + L"\\file" + std::to_wstring(f) + L".txt";
            HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
            if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        }
        folders.push_back(folder);
    }
    return folders;
}

void SeedSettings(const std::vector<std::wstring>& folders, int count) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    UniqueRegKey root;
    if (RegCreateKeyW(HKEY_CURRENT_USER, kBenchKey, root.put()) != ERROR_SUCCESS) return;
    SettingsWriteBool(root.get(), L"SaveTab", true);
    TPIDLList list(true);
    for (int i = 0; i < count; ++i) list.Add(ILCreateFromPathW(folders[i].c_str()));
    list.SaveList(root.get(), L"PIDLs");
}

// There are `count` child windows, each with its caption and every item of
// its folder in its list.
bool AllTabsShown(HWND frame, int count) {
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    int shown = 0;
    for (HWND child = FindWindowExW(client, nullptr, kChildClassName, nullptr); child;
         child = FindWindowExW(client, child, kChildClassName, nullptr)) {
        HWND list = FindWindowExW(child, nullptr, WC_LISTVIEWW, nullptr);
        if (GetWindowTextLengthW(child) == 0 || !list ||
            SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != kFilesPerFolder)
            return false;
        ++shown;
    }
    return shown == count;
}

struct FrameSearch {
    DWORD processId;
    HWND frame;
};

BOOL CALLBACK FindFrame(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<FrameSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[32] = L"";
    GetClassNameW(window, className, 32);
    if (owner == search->processId && wcscmp(className, L"ZEKOClass") == 0 && IsWindowVisible(window)) {
        search->frame = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from the process start to every tab shown; negative when it
// did not come within a minute.
double TimeOneStart(int count) {
    const std::wstring exe = ProgramPath();
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    UniqueHandle process(pi.hProcess);
    CloseHandle(pi.hThread);
    double elapsed = -1;
    FrameSearch search{pi.dwProcessId, nullptr};
    const ULONGLONG end = GetTickCount64() + 60000;
    while (GetTickCount64() < end) {
        if (!search.frame) EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&search));
        if (search.frame && AllTabsShown(search.frame, count)) {
            QueryPerformanceCounter(&now);
            elapsed = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
            break;
        }
        Sleep(1);
    }
    if (search.frame) PostMessageW(search.frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

// The program started by this benchmark keeps its settings in a key of its
// own, so the benchmark's prefix keeps its settings as they are.
void StartupBenchmark(const std::wstring& base) {
    SetEnvironmentVariableW(kSettingsKeyVariable, kBenchKey);
    const std::vector<std::wstring> folders = MakeFolders(base, 20);
    std::vector<double> one, twenty;
    for (int round = 0; round < kRounds; ++round) {
        SeedSettings(folders, 1);
        one.push_back(TimeOneStart(1));
        SeedSettings(folders, 20);
        twenty.push_back(TimeOneStart(20));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    std::printf("start-up until every restored tab lists its folder (%d files each), ms\n", kFilesPerFolder);
    std::printf("%-10s", "tabs");
    for (int round = 0; round < kRounds; ++round) std::printf(" %8s%d", "run ", round + 1);
    std::printf(" %9s\n", "median");
    for (const auto& [label, values] : {std::pair{"1", one}, std::pair{"20", twenty}}) {
        std::printf("%-10s", label);
        for (double value : values) std::printf(" %9.1f", value);
        std::printf(" %9.1f\n", Median(values));
    }
    std::printf("20 tabs / 1 tab: %.2f\n", Median(twenty) / Median(one));
}
