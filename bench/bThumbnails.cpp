// Thumbnail benchmark: a 10,000-file folder with pictures among the files,
// scrolled through page by page in thumbnail mode, once extracting every
// picture and once served from the folder's cache. Prints pictures per second
// and the largest message-loop stall while they load; asserts nothing.

#include "app/Global.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "shell/uThumbCache.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
constexpr UINT WM_STALL_TICK = WM_APP + 20;

struct StallMeter {
    HWND window = nullptr;
    HANDLE thread = nullptr;
    volatile bool running = true;
    double largest = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_STALL_TICK) {
            auto* meter = reinterpret_cast<StallMeter*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            const double latency = Milliseconds() - static_cast<double>(lParam) / 1000.0;
            if (meter) meter->largest = std::max(meter->largest, latency);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    static DWORD WINAPI Ticker(void* parameter) {
        auto* meter = static_cast<StallMeter*>(parameter);
        while (meter->running) {
            PostMessageW(meter->window, WM_STALL_TICK, 0, static_cast<LPARAM>(Milliseconds() * 1000));
            Sleep(5);
        }
        return 0;
    }

    void Start() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZekoThumbnailBenchStall";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                 nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        thread = CreateThread(nullptr, 0, Ticker, this, 0, nullptr);
    }
    void Stop() {
        running = false;
        WaitForSingleObject(thread, 2000);
        CloseHandle(thread);
        DestroyWindow(window);
    }
};

void PumpFor(double milliseconds) {
    const double until = Milliseconds() + milliseconds;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    } while (Milliseconds() < until);
}

bool IsPictureName(const std::wstring& name) { return name.size() > 4 && name.compare(name.size() - 4, 4, L".txt"); }

struct Pass {
    int pictures = 0;      // pictures shown by the end
    double loading = 0;    // first page shown until the last picture arrived
    double stall = 0;      // longest message-loop stall while loading
    double flush = 0;      // writing the new pictures to the cache
    double flushStall = 0;
};

// The items inside the list's client area, looked for from `first` on.
std::vector<int> VisibleItems(const TFolderView& view, int first) {
    RECT client{};
    GetClientRect(view.ListView, &client);
    std::vector<int> visible;
    const int count = view.ItemCount();
    for (int i = std::max(0, first); i < std::min(count, first + 400); ++i) {
        RECT item{};
        item.left = LVIR_ICON;
        RECT overlap{};
        if (ListView_GetItemRect(view.ListView, i, &item, LVIR_ICON) && IntersectRect(&overlap, &item, &client))
            visible.push_back(i);
        else if (!visible.empty())
            break;
    }
    return visible;
}

// Scrolls through the whole list a page at a time, waiting on each page until
// its pictures have arrived (or until a page makes no progress for 5 s).
Pass ScrollThrough(TFolderView& view, const std::vector<bool>& isPicture, bool flush) {
    Pass pass;
    StallMeter meter;
    meter.Start();
    const double start = Milliseconds();
    const int count = view.ItemCount();
    RECT client{};
    GetClientRect(view.ListView, &client);
    int first = 0;
    for (;;) {
        RedrawWindow(view.ListView, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const std::vector<int> visible = VisibleItems(view, std::max(0, first - 100));
        if (visible.empty()) break;
        double lastProgress = Milliseconds();
        int missing = -1;
        for (;;) {
            int now = 0;
            for (int i : visible) {
                const TThumbSlot& slot = view.Thumbs[static_cast<size_t>(i)];
                if (isPicture[static_cast<size_t>(i)] && !(slot.Handle && !slot.IsIcon)) ++now;
            }
            if (now == 0) break;
            if (now != missing) {
                missing = now;
                lastProgress = Milliseconds();
            }
            if (Milliseconds() - lastProgress > 5000) break;
            PumpFor(2);
        }
        // As a user scrolling would: the window handles what waits before the next page.
        PumpFor(1);
        if (visible.back() >= count - 1) break;
        first = visible.front();
        ListView_Scroll(view.ListView, 0, client.bottom);
    }
    pass.loading = Milliseconds() - start;
    for (size_t i = 0; i < view.Thumbs.size(); ++i)
        if (isPicture[i] && view.Thumbs[i].Handle && !view.Thumbs[i].IsIcon) ++pass.pictures;
    PumpFor(50);
    meter.Stop();
    pass.stall = meter.largest;

    if (!flush) return pass;
    StallMeter flushMeter;
    flushMeter.Start();
    PumpFor(20);
    const double flushStart = Milliseconds();
    view.OnTimer(kThumbnailCacheTimerId);
    // The flush hands the pictures over in slices from the timer; they are
    // written in the background until nothing is left.
    auto pending = [&] {
        return view.WritingThumbnailCache() ||
               std::any_of(view.Thumbs.begin(), view.Thumbs.end(), [](const TThumbSlot& slot) { return slot.Dirty; });
    };
    while (pending() && Milliseconds() - flushStart < 120000) PumpFor(5);
    pass.flush = Milliseconds() - flushStart;
    PumpFor(50);
    flushMeter.Stop();
    pass.flushStall = flushMeter.largest;
    return pass;
}

void PrintPass(const char* what, const Pass& pass) {
    std::printf("%-22s %8d %10.0f %10.1f %10.1f %10.1f %10.1f\n", what, pass.pictures, pass.loading,
                pass.loading > 0 ? pass.pictures * 1000.0 / pass.loading : 0.0, pass.stall, pass.flush,
                pass.flushStall);
    std::fflush(stdout);
}

}  // namespace

void ThumbnailBenchmark(const std::wstring& base) {
    const std::wstring path = base + L"\\thumbs-10000";
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("thumbs-10000: missing (scripts/bench.sh creates it)\n");
        return;
    }
    DeleteFileW((path + L"\\" + kThumbnailStoreFileName).c_str());
    FolderViewConfig().IniViewStyle = 4;

    std::printf("thumbnail mode on %ls, %d-pixel thumbnails\n", path.c_str(), FolderViewConfig().ThumbnailSize);
    std::printf("%-22s %8s %10s %10s %10s %10s %10s\n", "pass", "pictures", "ms", "pics/s", "stall ms",
                "flush ms", "flush stall");
    for (const bool cached : {false, true}) {
        for (int round = 0; round < (cached ? 2 : 1); ++round) {
            FolderViewConfig().UseCache = cached;
            HWND child = OpenChildWindow(ILCreateFromPathW(path.c_str()), true, nullptr, ContentFolder);
            TFolderView* view = ChildFolderView(child);
            if (!view || view->ViewMode != 4) {
                std::printf("the folder did not open in thumbnail mode\n");
                return;
            }
            while (view->Filling()) PumpFor(5);
            std::vector<bool> isPicture(static_cast<size_t>(view->ItemCount()));
            for (int i = 0; i < view->ItemCount(); ++i) {
                wchar_t name[MAX_PATH] = {};
                ListView_GetItemText(view->ListView, i, 0, name, MAX_PATH);
                isPicture[static_cast<size_t>(i)] = IsPictureName(name);
            }
            const Pass pass = ScrollThrough(*view, isPicture, cached);
            PrintPass(!cached ? "extract, no cache" : round == 0 ? "extract, fill cache" : "from the cache", pass);
            SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
            PumpFor(100);
        }
    }
}
