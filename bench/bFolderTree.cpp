// Folder tree benchmark: the folder pane expands the level of 10,000
// sub-folders. Prints the time until the level is complete and the largest
// message-loop stall meanwhile; asserts nothing.

#include "app/uPIDL.h"
#include "mainwnd/wMainWnd.h"
#include "res/resource.h"
#include "side/wFolderTree2.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double Milliseconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A thread posts time-stamped messages to a window of the GUI thread; the
// longest wait of one of them is the longest time the loop was not running.
constexpr UINT WM_TREE_TICK = WM_APP + 30;
constexpr UINT WM_TREE_EXPAND = WM_APP + 31;

struct Probe {
    HWND window = nullptr;
    HWND tree = nullptr;
    HTREEITEM level = nullptr;
    double largest = 0;
    double started = 0;
    volatile bool running = true;
};
Probe* g_probe = nullptr;

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TREE_TICK) {
        g_probe->largest = std::max(g_probe->largest, Milliseconds() - static_cast<double>(lParam) / 1000.0);
        return 0;
    }
    if (message == WM_TREE_EXPAND) {
        g_probe->started = Milliseconds();
        TreeView_Expand(g_probe->tree, g_probe->level, TVE_EXPAND);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI Ticker(void* parameter) {
    auto* probe = static_cast<Probe*>(parameter);
    while (probe->running) {
        PostMessageW(probe->window, WM_TREE_TICK, 0, static_cast<LPARAM>(Milliseconds() * 1000));
        Sleep(5);
    }
    return 0;
}

int ChildCount(HWND tree, HTREEITEM parent) {
    int count = 0;
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) ++count;
    return count;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

void FolderTreeBenchmark(const std::wstring& base) {
    const std::wstring path = base + L"\\folders-10000";
    UniqueAbsolutePidl folder(ILCreateFromPathW(path.c_str()));
    if (!folder) {
        std::printf("folders-10000: missing (scripts/bench.sh creates it)\n");
        return;
    }
    SendMessageW(FrameLink().window, WM_COMMAND, IDM_SIDE_FOLDERS, 0);
    Probe probe;
    g_probe = &probe;
    probe.tree = FolderTreeControl();
    SyncFolderTree(folder.get());
    probe.level = TreeView_GetSelection(probe.tree);
    TreeView_Expand(probe.tree, probe.level, TVE_COLLAPSE | TVE_COLLAPSERESET);
    Pump();

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZekoTreeBenchProbe";
    RegisterClassW(&windowClass);
    probe.window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
    HANDLE ticker = CreateThread(nullptr, 0, Ticker, &probe, 0, nullptr);
    PostMessageW(probe.window, WM_TREE_EXPAND, 0, 0);
    double complete = -1;
    const double limit = Milliseconds() + 120000;
    while (Milliseconds() < limit) {
        Pump();
        if (probe.started > 0 && ChildCount(probe.tree, probe.level) >= 10000) {
            complete = Milliseconds() - probe.started;
            break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    probe.running = false;
    WaitForSingleObject(ticker, INFINITE);
    CloseHandle(ticker);
    std::printf("folder tree, folders-10000 expanded: complete after %.1f ms, largest stall %.1f ms\n", complete,
                probe.largest);
    DestroyWindow(probe.window);
    g_probe = nullptr;
}
