#include "MdiTestFrame.h"

#include "app/Global.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/uBarsRoute.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"

#include <shlobj.h>

#include <filesystem>

namespace {

constexpr wchar_t kTestFrameClass[] = L"ZekoMdiTestFrame";

LRESULT CALLBACK TestFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        RECT area{0, 0, LOWORD(lParam), HIWORD(lParam)};
        TabBarLayout(area);
        return 0;
    }
    return DefFrameProcW(hwnd, Frame().mdiClient, message, wParam, lParam);
}

int g_folderSerial = 0;

}  // namespace

void MdiTest::SetUp() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterChildClass(instance);
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = TestFrameProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTestFrameClass;
    RegisterClassExW(&wc);

    frame_ = CreateWindowExW(0, kTestFrameClass, L"ZEKO", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 700,
                             nullptr, nullptr, instance, nullptr);
    ASSERT_NE(frame_, nullptr);
    Frame().frame = frame_;
    CLIENTCREATESTRUCT clientCreate{nullptr, 3000};
    Frame().mdiClient = CreateWindowExW(0, L"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | MDIS_ALLCHILDSTYLES,
                                        0, 0, 0, 0, frame_, nullptr, instance, &clientCreate);
    ASSERT_NE(Frame().mdiClient, nullptr);
    ASSERT_NE(CreateTabBar(frame_), nullptr);
    ShowWindow(frame_, SW_SHOW);
    Relayout();
    PumpMessages();

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"zeko-mdi-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++g_folderSerial);
    std::filesystem::create_directories(root_);
}

void MdiTest::TearDown() {
    if (frame_) DestroyWindow(frame_);
    PumpMessages();
    Frame() = FrameState{};
    Routes() = {};
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::wstring MdiTest::MakeFolder(const std::wstring& name) {
    std::wstring path = root_ + L"\\" + name;
    std::filesystem::create_directories(path);
    return path;
}

std::vector<std::wstring> MdiTest::MakeFolders(const std::wstring& prefix, int count) {
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) paths.push_back(MakeFolder(prefix + std::to_wstring(i)));
    return paths;
}

UniquePidl PidlOf(const std::wstring& path) {
    UniquePidl pidl;
    SHParseDisplayName(path.c_str(), nullptr, pidl.put(), 0, nullptr);
    return pidl;
}

std::wstring PathOf(LPCITEMIDLIST folder) {
    wchar_t path[MAX_PATH] = {};
    if (!folder || !SHGetPathFromIDListW(folder, path)) return {};
    return path;
}

bool IsFolder(LPCITEMIDLIST folder, const std::wstring& path) {
    return folder && _wcsicmp(PathOf(folder).c_str(), path.c_str()) == 0;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND OpenFolderChild(const std::wstring& path, bool activate) {
    HWND child = OpenChildWindow(PidlOf(path).release(), activate, nullptr, ContentFolder);
    PumpMessages();
    return child;
}

HWND OpenSearchChild(bool activate) {
    HWND child = OpenChildWindow(nullptr, activate, nullptr, ContentSearch);
    PumpMessages();
    return child;
}

std::wstring ShownPath(HWND child) {
    TMDIChildView* view = ChildViewOf(child);
    if (!view || !view->FolderView) return {};
    return PathOf(view->FolderView->AbsoluteIDList);
}
