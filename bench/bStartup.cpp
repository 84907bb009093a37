// Start-up with restored tabs: how long the real ZEKO.exe takes from its
// process start until its frame shows the active tab with its folder's items,
// and until every saved tab shows its folder's name and items, with one saved
// tab and with twenty. The runs alternate, so that the
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
constexpr int kRounds = 7;

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

bool Lists(HWND child) {
    HWND list = FindWindowExW(child, nullptr, WC_LISTVIEWW, nullptr);
    return list && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == kFilesPerFolder;
}

// How far the frame is: 0 not yet, 1 the active tab shows its folder's name
// and items, 2 every one of the `count` tabs shows its folder's name, 3 every
// tab's list also holds all its folder's items.
int TabsProgress(HWND frame, int count) {
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    int named = 0, listed = 0;
    for (HWND child = FindWindowExW(client, nullptr, kChildClassName, nullptr); child;
         child = FindWindowExW(client, child, kChildClassName, nullptr)) {
        if (GetWindowTextLengthW(child) == 0) continue;
        ++named;
        if (Lists(child)) ++listed;
    }
    if (listed == count) return 3;
    if (named == count) return 2;
    auto active = reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
    return active && GetWindowTextLengthW(active) > 0 && Lists(active) ? 1 : 0;
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

struct StartTimes {
    double shown = -1;   // the active tab shows its folder's name and items
    double named = -1;   // every tab shows its folder's name
    double listed = -1;  // every tab lists all its items
};

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from the process start; negative for what did not come
// within a minute.
StartTimes TimeOneStart(int count) {
    StartTimes times;
    const std::wstring exe = ProgramPath();
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return times;
    UniqueHandle process(pi.hProcess);
    CloseHandle(pi.hThread);
    FrameSearch search{pi.dwProcessId, nullptr};
    const ULONGLONG end = GetTickCount64() + 60000;
    while (GetTickCount64() < end) {
        if (!search.frame) EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&search));
        const int progress = search.frame ? TabsProgress(search.frame, count) : 0;
        if (progress >= 1 && times.shown < 0) times.shown = MillisecondsSince(start);
        if (progress >= 2 && times.named < 0) times.named = MillisecondsSince(start);
        if (progress == 3) {
            times.listed = MillisecondsSince(start);
            break;
        }
        Sleep(1);
    }
    if (search.frame) PostMessageW(search.frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    return times;
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
    std::vector<StartTimes> one, twenty;
    for (int round = 0; round < kRounds; ++round) {
        SeedSettings(folders, 1);
        one.push_back(TimeOneStart(1));
        SeedSettings(folders, 20);
        twenty.push_back(TimeOneStart(20));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    std::printf("start-up with restored tabs (%d files each), ms from the process start\n", kFilesPerFolder);
    std::printf("%-22s", "tabs: every tab");
    for (int round = 0; round < kRounds; ++round) std::printf("   run %d", round + 1);
    std::printf("   median\n");
    double medians[2][3] = {};
    const char* stages[3] = {"active shown", "named", "listed"};
    const std::vector<StartTimes>* runs[2] = {&one, &twenty};
    const char* counts[2] = {"1", "20"};
    for (int which = 0; which < 2; ++which) {
        for (int stage = 0; stage < 3; ++stage) {
            std::vector<double> values;
            for (const StartTimes& times : *runs[which])
                values.push_back(stage == 0 ? times.shown : stage == 1 ? times.named : times.listed);
            std::printf("%-3s %-18s", counts[which], stages[stage]);
            for (double value : values) std::printf(" %8.1f", value);
            medians[which][stage] = Median(values);
            std::printf(" %8.1f\n", medians[which][stage]);
        }
    }
    std::printf("20 tabs / 1 tab: active shown %.2f, named %.2f, listed %.2f\n", medians[1][0] / medians[0][0],
                medians[1][1] / medians[0][1], medians[1][2] / medians[0][2]);
}
