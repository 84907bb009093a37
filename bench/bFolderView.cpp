// Folder view benchmark: how long ZEKO takes to show large folders, against the
// raw file-system and shell enumerations of the same folders. Prints figures;
// asserts nothing.

#include "app/Global.h"
#include "app/uPIDL.h"
#include "folderview/uFillJob.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "shell/uCapabilities.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// Committed private memory; Wine leaves PrivateUsage at 0 but fills the
// page-file figure, which counts the same pages.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

// Bytes in live heap blocks over all of the process's heaps. Committed memory
// moves with the heap's reuse of freed space (the same fill measured 900 to
// 3,900 bytes per item that way); the blocks in use say what a fill keeps.
SIZE_T LiveHeapBytes() {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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

double ShellEnumeration(PCIDLIST_ABSOLUTE pidl, int& count) {
    double start = Now();
    count = 0;
    ComPtr<IShellFolder> folder;
    if (!PIDLBindFolder(pidl, folder.put())) return 0;
    ComPtr<IEnumIDList> items;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()) != S_OK) return 0;
    PITEMID_CHILD item;
    while (items->Next(1, &item, nullptr) == S_OK) {
        ++count;
        PIDLFree(item);
    }
    return Now() - start;
}

// The steps a fill consists of, timed one by one on the same folder: the
// shell's enumeration, ordering by the folder's CompareIDs, and inserting
// callback items into a list view with redrawing off.
struct Steps {
    double enumerate = 0, sort = 0, insert = 0;
};

Steps ProfileSteps(PCIDLIST_ABSOLUTE pidl, HWND parent) {
    Steps steps;
    ComPtr<IShellFolder> folder;
    if (!PIDLBindFolder(pidl, folder.put())) return steps;
    double start = Now();
    std::vector<PITEMID_CHILD> items;
    ComPtr<IEnumIDList> enumerator;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.put()) == S_OK) {
        PITEMID_CHILD item;
        while (enumerator->Next(1, &item, nullptr) == S_OK) items.push_back(item);
    }
    steps.enumerate = Now() - start;

    start = Now();
    std::stable_sort(items.begin(), items.end(), [&](PITEMID_CHILD a, PITEMID_CHILD b) {
        return static_cast<short>(HRESULT_CODE(folder->CompareIDs(0, a, b))) < 0;
    });
    steps.sort = Now() - start;

    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 800, 600,
                                parent, nullptr, nullptr, nullptr);
    start = Now();
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (PITEMID_CHILD item : items) {
        LVITEMW entry{};
        entry.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        entry.iItem = INT_MAX;
        entry.pszText = LPSTR_TEXTCALLBACKW;
        entry.iImage = I_IMAGECALLBACK;
        entry.lParam = reinterpret_cast<LPARAM>(item);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    }
    steps.insert = Now() - start;
    DestroyWindow(list);
    for (PITEMID_CHILD item : items) PIDLFree(item);
    return steps;
}

// The largest gap between two messages handled by the loop while `work` runs
// from a posted message, measured by a thread that posts stamped ticks.
// A stall is how long a message posted to the thread, or a painting asked of
// it, waits: posted messages come before input and painting, so a thread that
// only answers posted messages may still look frozen to the user.
struct StallProbe {
    HWND window = nullptr;
    double largest = 0;
    std::atomic<double> invalidated{0};  // when a painting was asked and not yet done
    volatile bool running = true;
};

constexpr UINT WM_TICK = WM_APP + 10;
constexpr UINT WM_RUN = WM_APP + 11;

DWORD WINAPI Ticker(void* parameter) {
    auto* probe = static_cast<StallProbe*>(parameter);
    while (probe->running) {
        double stamp = Now();
        PostMessageW(probe->window, WM_TICK, 0, static_cast<LPARAM>(stamp * 1000));
        double none = 0;
        if (probe->invalidated.compare_exchange_strong(none, stamp)) InvalidateRect(probe->window, nullptr, FALSE);
        Sleep(5);
    }
    return 0;
}

struct Figures {
    double open = 0;        // OpenChildWindow until the sorted list is complete
    double firstItems = 0;  // until the first items have been painted
    double stall = 0;       // largest message-loop stall from the start until a while after the end
    double bytesPerItem = 0;
    double heapBytesPerItem = 0;
    int items = 0;
};

StallProbe* g_probe = nullptr;
PIDLIST_ABSOLUTE g_target = nullptr;
HWND g_child = nullptr;
double g_started = 0;
SIZE_T g_bytesBefore = 0;
SIZE_T g_heapBefore = 0;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TICK) {
        double latency = Now() - static_cast<double>(lParam) / 1000.0;
        g_probe->largest = std::max(g_probe->largest, latency);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        if (const double asked = g_probe ? g_probe->invalidated.exchange(0) : 0; asked > 0)
            g_probe->largest = std::max(g_probe->largest, Now() - asked);
        return 0;
    }
    if (message == WM_RUN) {
        g_bytesBefore = PrivateBytes();
        g_heapBefore = LiveHeapBytes();
        g_started = Now();
        g_child = OpenChildWindow(PIDLClone(g_target), true, nullptr, ContentFolder);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateProbeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZekoBenchProbe";
    RegisterClassW(&wc);
    // Visible, so that it is asked to paint; one pixel in a corner.
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, wc.lpszClassName, L"",
                           WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
}

void PumpFor(double milliseconds) {
    const double until = Now() + milliseconds;
    MSG msg;
    while (Now() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Pumps until `done` says so or `limit` ms have passed; false on the limit.
template <typename Done>
bool PumpUntil(Done done, double limit) {
    const double until = Now() + limit;
    MSG msg;
    while (!done()) {
        if (Now() > until) return false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (done()) return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
    return true;
}

Figures MeasureZeko(PIDLIST_ABSOLUTE pidl) {
    Figures figures;
    StallProbe probe;
    probe.window = CreateProbeWindow();
    g_probe = &probe;
    g_target = pidl;
    g_child = nullptr;

    HANDLE ticker = CreateThread(nullptr, 0, Ticker, &probe, 0, nullptr);
    // Pumped, not slept: a painting asked meanwhile would wait and count as a stall of the open.
    PumpFor(20);
    PostMessageW(probe.window, WM_RUN, 0, 0);
    auto view = [] { return g_child ? ChildFolderView(g_child) : nullptr; };
    PumpUntil([&] { return view() && view()->ItemCount() > 0; }, 120000);
    if (TFolderView* shown = view()) {
        RedrawWindow(shown->ListView, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        figures.firstItems = Now() - g_started;
    }
    PumpUntil([&] { return view() && !view()->Filling(); }, 120000);
    figures.open = Now() - g_started;
    if (TFolderView* shown = view()) figures.items = shown->ItemCount();
    // The worker frees its own copies of the items after its last batch.
    PumpUntil([] { return TFillJob::Running() == 0; }, 10000);
    const SIZE_T after = PrivateBytes();
    const SIZE_T heapAfter = LiveHeapBytes();
    if (figures.items > 0) {
        figures.bytesPerItem =
            static_cast<double>(after > g_bytesBefore ? after - g_bytesBefore : 0) / figures.items;
        figures.heapBytesPerItem =
            static_cast<double>(heapAfter > g_heapBefore ? heapAfter - g_heapBefore : 0) / figures.items;
    }
    // The paint and the first background work count towards the stall too.
    PumpFor(1500);
    probe.running = false;
    WaitForSingleObject(ticker, 2000);
    CloseHandle(ticker);
    figures.stall = probe.largest;
    if (g_child) SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_child), 0);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    DestroyWindow(probe.window);
    return figures;
}

// One open is one sample of a loaded machine: each figure is the median of a few.
constexpr int kOpenSamples = 5;

Figures MedianOfOpens(PIDLIST_ABSOLUTE pidl) {
    std::vector<Figures> samples;
    for (int i = 0; i < kOpenSamples; ++i) samples.push_back(MeasureZeko(pidl));
    auto median = [&](double Figures::*field) {
        std::vector<double> values;
        for (const Figures& sample : samples) values.push_back(sample.*field);
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    Figures figures;
    figures.open = median(&Figures::open);
    figures.firstItems = median(&Figures::firstItems);
    figures.stall = median(&Figures::stall);
    figures.bytesPerItem = median(&Figures::bytesPerItem);
    figures.heapBytesPerItem = median(&Figures::heapBytesPerItem);
    figures.items = samples.back().items;
    return figures;
}

// Leaving a large folder while it still loads, or once it is listed: the time
// until the other folder shows complete, and the largest stall meanwhile.
struct LeaveFigures {
    double shown = -1, stall = 0;
};

LeaveFigures MeasureLeaving(PIDLIST_ABSOLUTE large, PIDLIST_ABSOLUTE small, bool onceListed) {
    LeaveFigures figures;
    StallProbe probe;
    probe.window = CreateProbeWindow();
    g_probe = &probe;
    HWND child = OpenChildWindow(PIDLClone(large), true, nullptr, ContentFolder);
    TFolderView* view = ChildFolderView(child);
    if (!view) return figures;
    HANDLE ticker = CreateThread(nullptr, 0, Ticker, &probe, 0, nullptr);
    PumpUntil([&] { return onceListed ? !view->Filling() : view->ItemCount() > 0; }, 120000);
    const double start = Now();
    view->BrowseTo(PIDLClone(small), true, nullptr);
    if (PumpUntil([&] { return !view->Filling(); }, 120000)) figures.shown = Now() - start;
    PumpFor(500);
    probe.running = false;
    WaitForSingleObject(ticker, 2000);
    CloseHandle(ticker);
    figures.stall = probe.largest;
    SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    PumpFor(50);
    DestroyWindow(probe.window);
    return figures;
}

// Switching the view mode of a complete large list: how long each switch holds
// the window, the call and the slices it leaves to the next messages together,
// until the items are all in the new mode; last, how long closing its tab holds it.
struct ModeSwitch {
    double stall = 0;
    double done = 0;  // until the view has all its items in the new mode
};

std::vector<ModeSwitch> MeasureModeSwitches(PIDLIST_ABSOLUTE large) {
    std::vector<ModeSwitch> switches;
    HWND child = OpenChildWindow(PIDLClone(large), true, nullptr, ContentFolder);
    TFolderView* view = ChildFolderView(child);
    if (!view) return switches;
    PumpUntil([&] { return !view->Filling(); }, 120000);
    PumpFor(300);
    auto measure = [](const std::function<void()>& action, const std::function<void()>& settle) {
        StallProbe probe;
        probe.window = CreateProbeWindow();
        g_probe = &probe;
        HANDLE ticker = CreateThread(nullptr, 0, Ticker, &probe, 0, nullptr);
        PumpFor(20);
        const double started = Now();
        action();
        ModeSwitch result;
        result.done = Now() - started;
        settle();
        probe.running = false;
        WaitForSingleObject(ticker, 2000);
        CloseHandle(ticker);
        DestroyWindow(probe.window);
        result.stall = probe.largest;
        return result;
    };
    for (int mode : {0, 1, 2, 4, 3}) {
        switches.push_back(measure(
            [&] {
                view->SetViewMode(mode);
                PumpUntil([&] { return !view->Filling(); }, 120000);
            },
            [] { PumpFor(300); }));
    }
    // Closing the tab, until the list has let go of every item.
    PumpFor(300);
    HWND list = view->ListView;
    switches.push_back(measure(
        [&] {
            SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
            PumpUntil([&] { return !IsWindow(list); }, 120000);
        },
        [] { PumpFor(500); }));
    PumpFor(50);
    return switches;
}

// Details mode on a large folder: how long the icons that background tasks
// fetch take to show once the list is filled, first for the page on screen and
// then for every item, and the largest stall of the message loop meanwhile.
struct IconFigures {
    double page = -1;  // from the end of the fill until every item on screen shows its icon
    double all = -1;   // from asking every item until all show their icons
    double pageStall = 0, allStall = 0;
    int items = 0;
};

int ImageOf(HWND list, int index) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    return ListView_GetItem(list, &item) ? item.iImage : I_IMAGECALLBACK;
}

void PumpOnce() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
}

IconFigures MeasureIcons(PIDLIST_ABSOLUTE pidl) {
    constexpr double kGiveUp = 120000;
    // Per turn of the loop, about what painting a page or two asks, and a
    // bounded look at the answers, so that the loop's own work stays small.
    constexpr int kAskedPerTurn = 50;
    constexpr int kCheckedPerTurn = 200;
    IconFigures figures;
    StallProbe probe;
    probe.window = CreateProbeWindow();
    g_probe = &probe;
    HWND child = OpenChildWindow(PIDLClone(pidl), true, nullptr, ContentFolder);
    TFolderView* view = ChildFolderView(child);
    if (!view) return figures;
    PumpUntil([&] { return !view->Filling(); }, 120000);
    // A folder last seen in another mode is listed again in details, in the background.
    if (view->ViewMode != 3) {
        view->SetViewMode(3);
        PumpUntil([&] { return !view->Filling(); }, 120000);
    }
    HWND list = view->ListView;
    figures.items = view->ItemCount();

    HANDLE ticker = CreateThread(nullptr, 0, Ticker, &probe, 0, nullptr);
    const double filled = Now();
    const int page = std::min(figures.items, ListView_GetCountPerPage(list));
    int shown = 0;
    while (Now() - filled < kGiveUp) {
        PumpOnce();
        while (shown < page && ImageOf(list, shown) >= 0) ++shown;
        if (shown == page) {
            figures.page = Now() - filled;
            break;
        }
    }

    figures.pageStall = probe.largest;
    probe.largest = 0;
    const double asked = Now();
    int next = 0;
    shown = 0;
    while (Now() - asked < kGiveUp) {
        // Asking for an image is what painting the item does.
        for (const int end = std::min(figures.items, next + kAskedPerTurn); next < end; ++next) ImageOf(list, next);
        PumpOnce();
        for (int checked = 0; checked < kCheckedPerTurn && shown < figures.items && ImageOf(list, shown) >= 0;
             ++checked)
            ++shown;
        if (shown == figures.items) {
            figures.all = Now() - asked;
            break;
        }
    }
    probe.running = false;
    WaitForSingleObject(ticker, 2000);
    CloseHandle(ticker);
    figures.allStall = probe.largest;
    SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    PumpOnce();
    DestroyWindow(probe.window);
    return figures;
}
}  // namespace

// bThumbnails.cpp, run instead of the folder figures with the argument --thumbnails.
void ThumbnailBenchmark(const std::wstring& base);
// bFolderTree.cpp, run with the argument --tree.
void FolderTreeBenchmark(const std::wstring& base);
// bStartup.cpp, run instead with the argument --startup.
void StartupBenchmark(const std::wstring& base);

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--startup") {
        CreateDirectoryW(L"C:\\zeko-bench", nullptr);
        OleInitialize(nullptr);
        StartupBenchmark(L"C:\\zeko-bench");
        OleUninitialize();
        return 0;
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    CreateAppObjects(CreateTaskScheduler);
    LoadFolderViewSettings();
    HWND frame = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWMAXIMIZED);
    if (!frame) {
        std::printf("no frame window\n");
        return 1;
    }

    std::wstring base = L"C:\\zeko-bench";
    // An argument limits the run to the folders whose names contain it.
    std::wstring only = argc > 1 ? argv[1] : L"";
    CreateDirectoryW(base.c_str(), nullptr);
    if (only == L"--thumbnails" || only == L"--tree") {
        if (only == L"--tree")
            FolderTreeBenchmark(base);
        else
            ThumbnailBenchmark(base);
        RunExitSequence(true);
        ReleaseAppObjects();
        OleUninitialize();
        return 0;
    }
    const wchar_t* cases[] = {L"files-1000", L"files-10000", L"folders-10000", L"files-100000"};

    std::printf("zeko's figures are the median of %d opens\n", kOpenSamples);
    std::printf("%-14s %7s %9s %9s %9s %6s %9s %9s %8s %8s\n", "folder", "items", "raw ms", "shell ms", "zeko ms",
                "x raw", "first ms", "stall ms", "B/item", "heap B");
    std::vector<std::pair<std::wstring, Steps>> profiles;
    for (const wchar_t* name : cases) {
        if (!only.empty() && std::wstring(name).find(only) == std::wstring::npos) continue;
        std::wstring path = base + L"\\" + name;
        if (!FolderExists(path)) {
            std::printf("%ls: missing (scripts/bench.sh creates it)\n", name);
            continue;
        }
        UniqueAbsolutePidl pidl(ILCreateFromPathW(path.c_str()));
        int rawCount = 0, shellCount = 0;
        double raw = RawEnumeration(path, rawCount);
        double shell = ShellEnumeration(pidl.get(), shellCount);
        Figures zeko = MedianOfOpens(pidl.get());
        std::printf("%-14ls %7d %9.1f %9.1f %9.1f %6.1f %9.1f %9.1f %8.0f %8.0f\n", name, zeko.items, raw, shell,
                    zeko.open, zeko.open / raw, zeko.firstItems, zeko.stall, zeko.bytesPerItem,
                    zeko.heapBytesPerItem);
        std::fflush(stdout);
        profiles.emplace_back(name, ProfileSteps(pidl.get(), frame));
    }

    const std::wstring largePath = base + L"\\files-100000";
    const std::wstring smallPath = base + L"\\files-1000";
    if ((only.empty() || only == L"files-100000") && FolderExists(largePath) && FolderExists(smallPath)) {
        UniqueAbsolutePidl large(ILCreateFromPathW(largePath.c_str()));
        UniqueAbsolutePidl small(ILCreateFromPathW(smallPath.c_str()));
        for (const bool onceListed : {false, true}) {
            const LeaveFigures leave = MeasureLeaving(large.get(), small.get(), onceListed);
            std::printf("%sleaving files-100000 %s for files-1000: shown after %.1f ms, largest stall %.1f ms\n",
                        onceListed ? "" : "\n", onceListed ? "once listed" : "while it loads", leave.shown,
                        leave.stall);
        }
        const std::vector<ModeSwitch> modes = MeasureModeSwitches(large.get());
        const char* names[] = {"large icons", "small icons", "list", "thumbnails", "details", "closing the tab"};
        std::printf("view mode switches on files-100000, then closing its tab, largest stall / until done (ms):");
        for (size_t i = 0; i < modes.size(); ++i) std::printf(" %s %.1f / %.0f;", names[i], modes[i].stall, modes[i].done);
        std::printf("\n");
        std::fflush(stdout);
    }

    std::printf("\ndetails mode: icons from background tasks (ms)\n%-14s %7s %10s %10s %10s %10s\n", "folder",
                "items", "page", "stall", "all", "stall");
    for (const wchar_t* name : cases) {
        if (!only.empty() && std::wstring(name).find(only) == std::wstring::npos) continue;
        const std::wstring path = base + L"\\" + name;
        if (!FolderExists(path)) continue;
        UniqueAbsolutePidl pidl(ILCreateFromPathW(path.c_str()));
        const IconFigures icons = MeasureIcons(pidl.get());
        std::printf("%-14ls %7d %10.1f %10.1f %10.1f %10.1f\n", name, icons.items, icons.page, icons.pageStall,
                    icons.all, icons.allStall);
        std::fflush(stdout);
    }

    std::printf("\nsteps of a fill, timed alone (ms)\n%-14s %10s %10s %10s\n", "folder", "enumerate", "sort",
                "insert");
    for (const auto& [name, steps] : profiles)
        std::printf("%-14ls %10.1f %10.1f %10.1f\n", name.c_str(), steps.enumerate, steps.sort, steps.insert);

    RunExitSequence(true);
    ReleaseAppObjects();
    OleUninitialize();
    return 0;
}
