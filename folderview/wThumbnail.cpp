#include "folderview/wThumbnail.h"

#include "app/ComObject.h"
#include "app/Global.h"
#include "app/Handles.h"
#include "app/uReg.h"
#include "folderview/wFolderView.h"
#include "shell/uCapabilities.h"
#include "shell/uDpi.h"
#include "shell/uOneShotTask.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kThumbnailArea[] = L"Thumbnail";
constexpr int kDefaultHeight = 100;
constexpr DWORD kExtractPriority = 0x10000000;
constexpr DWORD kExtractFlags = IEIFLAG_ORIGSIZE | IEIFLAG_OFFLINE;
// A picture made for refresh `wParam`, the bitmap in lParam.
constexpr UINT WM_THUMBNAIL_PICTURE = WM_APP + 0x73;

struct ThumbnailPaneState {
    HWND pane = nullptr;
    UniqueBitmap picture;
    // Raised by every refresh: a picture made for an earlier one is dropped.
    LONG generation = 0;
};

ThumbnailPaneState& State() {
    static ThumbnailPaneState state;
    return state;
}

// Extracts one picture on the scheduler's thread and hands it to the pane.
class TPaneTask : public TOneShotTask {
public:
    TPaneTask(HWND pane, LONG generation, ComPtr<IExtractImage> extractor)
        : pane_(pane), generation_(generation), extractor_(std::move(extractor)) {}

private:
    void Execute() override {
        HBITMAP bitmap = nullptr;
        if (extractor_->Extract(&bitmap) == S_OK && bitmap &&
            !SendMessageW(pane_, WM_THUMBNAIL_PICTURE, static_cast<WPARAM>(generation_),
                          reinterpret_cast<LPARAM>(bitmap)))
            DeleteObject(bitmap);
    }

    HWND pane_;
    LONG generation_;
    ComPtr<IExtractImage> extractor_;
};

IShellTaskScheduler* Scheduler() { return App().schedulers[1].get(); }

int FirstSelected(const TFolderView& view) {
    return static_cast<int>(SendMessageW(view.ListView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool IsFolder(IShellFolder* folder, PCUITEMID_CHILD item) {
    SFGAOF attributes = SFGAO_FOLDER;
    return SUCCEEDED(folder->GetAttributesOf(1, &item, &attributes)) && (attributes & SFGAO_FOLDER);
}

void Refresh(HWND pane) {
    ThumbnailPaneState& state = State();
    TFolderView* view = ThumbnailPaneLink().activeView ? ThumbnailPaneLink().activeView() : nullptr;
    if (!view) return;
    ++state.generation;
    state.picture.reset();
    if (IShellTaskScheduler* scheduler = Scheduler())
        scheduler->RemoveTasks(kThumbnailPaneTaskOwner, ITSAT_DEFAULT_LPARAM, FALSE);
    InvalidateRect(pane, nullptr, TRUE);
    const int index = FirstSelected(*view);
    PCUITEMID_CHILD item = index >= 0 ? view->ItemIDList(index) : nullptr;
    if (!item || !view->Folder || IsFolder(view->Folder.get(), item)) return;
    ComPtr<IExtractImage> extractor = CreateImageExtractor(view->Folder.get(), item, pane);
    if (!extractor) return;
    RECT client{};
    GetClientRect(pane, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    wchar_t location[MAX_PATH] = {};
    DWORD priority = kExtractPriority;
    const SIZE size{client.right, client.bottom};
    DWORD flags = kExtractFlags;
    if (extractor->GetLocation(location, MAX_PATH, &priority, &size, 24, &flags) != S_OK) return;
    IShellTaskScheduler* scheduler = Scheduler();
    if (!scheduler) return;
    auto task = ComPtr<IRunnableTask>::attach(new TPaneTask(pane, state.generation, std::move(extractor)));
    scheduler->AddTask(task.get(), kThumbnailPaneTaskOwner, 0, ITSAT_DEFAULT_PRIORITY);
}

// True when the pane took the bitmap.
bool TakePicture(HWND pane, LONG generation, HBITMAP bitmap) {
    ThumbnailPaneState& state = State();
    if (generation != state.generation) return false;
    state.picture.reset(bitmap);
    InvalidateRect(pane, nullptr, TRUE);
    return true;
}

// The picture at its own size, centred; a larger one is cut equally on both sides.
void OnPaint(HWND pane) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(pane, &paint);
    if (HBITMAP picture = State().picture.get()) {
        BITMAP info{};
        GetObjectW(picture, sizeof(info), &info);
        RECT client{};
        GetClientRect(pane, &client);
        UniqueMemoryDC memory(CreateCompatibleDC(dc));
        HGDIOBJ old = SelectObject(memory.get(), picture);
        BitBlt(dc, (client.right - info.bmWidth) / 2, (client.bottom - info.bmHeight) / 2, info.bmWidth,
               info.bmHeight, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), old);
    }
    EndPaint(pane, &paint);
}

void OnDestroy() {
    ThumbnailPaneState& state = State();
    ++state.generation;
    if (IShellTaskScheduler* scheduler = Scheduler())
        scheduler->RemoveTasks(kThumbnailPaneTaskOwner, ITSAT_DEFAULT_LPARAM, TRUE);
    state.picture.reset();
    state.pane = nullptr;
}

LRESULT CALLBACK ThumbnailProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_THUMBNAIL_REFRESH: Refresh(pane); return 0;
    case WM_THUMBNAIL_PICTURE:
        return TakePicture(pane, static_cast<LONG>(wParam), reinterpret_cast<HBITMAP>(lParam)) ? TRUE : FALSE;
    case WM_PAINT: OnPaint(pane); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcW(pane, message, wParam, lParam);
}

}  // namespace

ThumbnailPaneLinks& ThumbnailPaneLink() {
    static ThumbnailPaneLinks links;
    return links;
}

HWND CreateThumbnailPane(HWND sideBase, HINSTANCE instance) {
    ThumbnailPaneState& state = State();
    if (state.pane || !sideBase) return state.pane;
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    if (!GetClassInfoExW(instance, kThumbnailClassName, &windowClass)) {
        windowClass = {sizeof(windowClass)};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = ThumbnailProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kThumbnailClassName;
        RegisterClassExW(&windowClass);
    }
    UniqueRegKey key;
    SettingsOpen(kThumbnailArea, key);
    // A stored height is pixels, used as stored; only the default follows the DPI.
    const int height = SettingsReadInt(key.get(), L"Height", ScaleForDpi(kDefaultHeight, DpiOf(sideBase)));
    state.pane = CreateWindowExW(0, kThumbnailClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                 0, 0, 0, height, sideBase, nullptr, instance, nullptr);
    return state.pane;
}

HWND ThumbnailPane() { return State().pane; }

HBITMAP ThumbnailPanePicture() { return State().picture.get(); }

void SaveThumbnailPane() {
    HWND pane = State().pane;
    if (!pane) return;
    RECT rect{};
    GetWindowRect(pane, &rect);
    UniqueRegKey key;
    if (SettingsCreate(kThumbnailArea, key)) SettingsWriteInt(key.get(), L"Height", rect.bottom - rect.top);
}

void RefreshThumbnailPaneFor(const TFolderView* view) {
    HWND pane = State().pane;
    if (!pane || !IsWindowVisible(pane)) return;
    if (ThumbnailPaneLink().activeView && ThumbnailPaneLink().activeView() == view)
        SendMessageW(pane, WM_THUMBNAIL_REFRESH, 0, 0);
}
