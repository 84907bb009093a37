// Folder view benchmark: how long ZEKO takes to show large folders, against the
// raw file-system and shell enumerations of the same folders. Prints figures;
// asserts nothing.

#include "app/Global.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PrivateUsage;
}

// Creates `count` empty files (or sub-folders) once; a later run reuses them.
bool MakeFolder(const std::wstring& path, int count, bool folders) {
    std::wstring marker = path + L"\\~complete";
    if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    CreateDirectoryW(path.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\%s%06d%s", folders ? L"dir" : L"file", i, folders ? L"" : L".txt");
        std::wstring item = path + name;
        if (folders) {
            CreateDirectoryW(item.c_str(), nullptr);
        } else {
            HANDLE file = CreateFileW(item.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            CloseHandle(file);
        }
    }
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return true;
}

double RawEnumeration(const std::wstring& path, int& count) {
    double start = Now();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    count = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do ++count;
        while (FindNextFileW(find, &data));
        FindClose(find);
    }
    return Now() - start;
}

double ShellEnumeration(LPCITEMIDLIST pidl, int& count) {
    double start = Now();
    count = 0;
    ComPtr<IShellFolder> folder;
    if (!PIDLBindFolder(pidl, folder.put())) return 0;
    ComPtr<IEnumIDList> items;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()) != S_OK) return 0;
    LPITEMIDLIST item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        ++count;
        PIDLFree(item);
    }
    return Now() - start;
}

// The largest gap between two messages handled by the loop while `work` runs
// from a posted message, measured by a thread that posts stamped ticks.
struct StallProbe {
    HWND window = nullptr;
    double largest = 0;
    volatile bool running = true;
};

constexpr UINT WM_TICK = WM_APP + 10;
constexpr UINT WM_RUN = WM_APP + 11;

DWORD WINAPI Ticker(void* parameter) {
    auto* probe = static_cast<StallProbe*>(parameter);
    while (probe->running) {
        double stamp = Now();
        PostMessageW(probe->window, WM_TICK, 0, static_cast<LPARAM>(stamp * 1000));
        Sleep(5);
    }
    return 0;
}

struct Figures {
    double open = 0;        // OpenChildWindow until the sorted list is complete
    double firstPaint = 0;  // until the list has painted once
    double stall = 0;
    double bytesPerItem = 0;
    int items = 0;
};

StallProbe* g_probe = nullptr;
Figures* g_figures = nullptr;
LPITEMIDLIST g_target = nullptr;
HWND g_child = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TICK) {
        double latency = Now() - static_cast<double>(lParam) / 1000.0;
        g_probe->largest = std::max(g_probe->largest, latency);
        return 0;
    }
    if (message == WM_RUN) {
        SIZE_T before = PrivateBytes();
        double start = Now();
        g_child = OpenChildWindow(PIDLClone(g_target), true, nullptr, ContentFolder);
        g_figures->open = Now() - start;
        if (TFolderView* view = ChildFolderView(g_child)) {
            RedrawWindow(view->ListView, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            g_figures->firstPaint = Now() - start;
            g_figures->items = view->ItemCount();
        }
        SIZE_T after = PrivateBytes();
        if (g_figures->items > 0)
            g_figures->bytesPerItem = static_cast<double>(after > before ? after - before : 0) / g_figures->items;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

Figures MeasureZeko(LPITEMIDLIST pidl) {
    Figures figures;
    StallProbe probe;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZekoBenchProbe";
    RegisterClassW(&wc);
    probe.window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    g_probe = &probe;
    g_figures = &figures;
    g_target = pidl;

    HANDLE ticker = CreateThread(nullptr, 0, Ticker, &probe, 0, nullptr);
    Sleep(20);
    PostMessageW(probe.window, WM_RUN, 0, 0);
    // Keep pumping a while after the fill so that the paint and the first
    // background work count towards the stall too.
    double until = Now() + 1500;
    MSG msg;
    while (Now() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    probe.running = false;
    WaitForSingleObject(ticker, 2000);
    CloseHandle(ticker);
    figures.stall = probe.largest;
    if (g_child) SendMessageW(Frame().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_child), 0);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    DestroyWindow(probe.window);
    return figures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    CreateAppObjects();
    LoadFolderViewSettings();
    HWND frame = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWMAXIMIZED);
    if (!frame) {
        std::printf("no frame window\n");
        return 1;
    }

    std::wstring base = argc > 1 ? argv[1] : L"C:\\zeko-bench";
    CreateDirectoryW(base.c_str(), nullptr);
    struct Case {
        const wchar_t* name;
        int count;
        bool folders;
    } cases[] = {{L"files-1000", 1000, false},
                 {L"files-10000", 10000, false},
                 {L"folders-10000", 10000, true},
                 {L"files-100000", 100000, false}};

    std::printf("%-14s %7s %9s %9s %9s %6s %9s %6s %9s %8s\n", "folder", "items", "raw ms", "shell ms", "zeko ms",
                "x raw", "paint ms", "x raw", "stall ms", "B/item");
    for (const Case& c : cases) {
        std::wstring path = base + L"\\" + c.name;
        if (!MakeFolder(path, c.count, c.folders)) {
            std::printf("%ls: could not create the folder\n", c.name);
            continue;
        }
        UniquePidl pidl(ILCreateFromPathW(path.c_str()));
        int rawCount = 0, shellCount = 0;
        double raw = RawEnumeration(path, rawCount);
        double shell = ShellEnumeration(pidl.get(), shellCount);
        Figures zeko = MeasureZeko(pidl.get());
        std::printf("%-14ls %7d %9.1f %9.1f %9.1f %6.1f %9.1f %6.1f %9.1f %8.0f\n", c.name, zeko.items, raw, shell,
                    zeko.open, zeko.open / raw, zeko.firstPaint, zeko.firstPaint / raw, zeko.stall,
                    zeko.bytesPerItem);
        std::fflush(stdout);
    }

    RunExitSequence(true);
    ReleaseAppObjects();
    OleUninitialize();
    return 0;
}
