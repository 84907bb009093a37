#include "FolderViewFixture.h"

#include "app/Global.h"
#include "folderview/uFolderViewSettings.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDIClient.h"
#include "mdi/wMDITab.h"

#include <algorithm>

namespace {

constexpr wchar_t kTestFrameClass[] = L"ZekoFolderViewTestFrame";

LRESULT CALLBACK TestFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        RECT area{0, 0, LOWORD(lParam), HIWORD(lParam)};
        TabBarLayout(area);
        return 0;
    }
    return DefFrameProcW(hwnd, FrameLink().mdiClient, message, wParam, lParam);
}

}  // namespace

void FolderViewTest::SetUp() {
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
    FrameLink().window = frame_;
    CLIENTCREATESTRUCT clientCreate{nullptr, kFirstChildId};
    FrameLink().mdiClient = CreateWindowExW(0, L"MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | MDIS_ALLCHILDSTYLES,
                                        0, 0, 0, 0, frame_, nullptr, instance, &clientCreate);
    ASSERT_NE(FrameLink().mdiClient, nullptr);
    ASSERT_NE(CreateTabBar(frame_), nullptr);
    ShowWindow(frame_, SW_SHOW);
    Relayout();
    Pump();
}

void FolderViewTest::TearDown() {
    if (frame_) DestroyWindow(frame_);
    Pump();
    Frame() = FrameState{};
    FrameLink() = FrameWindows{};
    FrameConfig() = FrameSettings{};
    ColorConfig() = FrameColors{};
    Routes() = {};
    FolderViewConfig() = FolderViewSettings{};
    DisplayFilter().clear();
}

HWND FolderViewTest::Open(const std::wstring& path, PCUITEMID_CHILD select, bool activate) {
    HWND child = OpenChildWindow(PidlOfPath(path).release(), activate, select, ContentFolder);
    Pump();
    return child;
}

TFolderView* FolderViewTest::View(HWND child) { return ChildFolderView(child); }

std::wstring FolderViewTest::ItemText(HWND child, int index, int subItem) {
    TFolderView* view = View(child);
    if (!view) return {};
    wchar_t buffer[1040] = {};
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = buffer;
    item.cchTextMax = 1040;
    SendMessageW(view->ListView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

std::vector<std::wstring> FolderViewTest::Names(HWND child) {
    std::vector<std::wstring> names;
    TFolderView* view = View(child);
    if (!view) return names;
    const int count = static_cast<int>(SendMessageW(view->ListView, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) names.push_back(ItemText(child, i));
    return names;
}

int FolderViewTest::IndexOf(HWND child, const std::wstring& name) {
    const std::vector<std::wstring> names = Names(child);
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::vector<std::wstring> FolderViewTest::SelectedNames(HWND child) {
    std::vector<std::wstring> names;
    TFolderView* view = View(child);
    if (!view) return names;
    for (int i = ListView_GetNextItem(view->ListView, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(view->ListView, i, LVNI_SELECTED))
        names.push_back(ItemText(child, i));
    return names;
}

std::wstring FolderViewTest::FocusedName(HWND child) {
    TFolderView* view = View(child);
    if (!view) return {};
    const int focused = ListView_GetNextItem(view->ListView, -1, LVNI_FOCUSED);
    return focused < 0 ? std::wstring() : ItemText(child, focused);
}

void FolderViewTest::Select(HWND child, const std::wstring& name) {
    TFolderView* view = View(child);
    const int index = IndexOf(child, name);
    ASSERT_GE(index, 0) << "no item " << std::string(name.begin(), name.end());
    ListView_SetItemState(view->ListView, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(view->ListView, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool FolderViewTest::WaitForNames(HWND child,
                                  const std::function<bool(const std::vector<std::wstring>&)>& condition,
                                  DWORD milliseconds) {
    return WaitUntil([&] { return condition(Names(child)); }, milliseconds);
}

bool FolderViewTest::WaitForName(HWND child, const std::wstring& name, DWORD milliseconds) {
    return WaitForNames(child, [&](const auto& names) { return CountOf(names, name) > 0; }, milliseconds);
}

bool FolderViewTest::WaitForNoName(HWND child, const std::wstring& name, DWORD milliseconds) {
    return WaitForNames(child, [&](const auto& names) { return CountOf(names, name) == 0; }, milliseconds);
}

std::vector<HWND> FolderViewTest::Children() {
    std::vector<HWND> children;
    for (int i = 0, count = TabCount(); i < count; ++i)
        if (HWND child = TabChild(i); child && IsWindow(child)) children.push_back(child);
    return children;
}

std::wstring FolderViewTest::ShownPath(HWND child) {
    TFolderView* view = View(child);
    return view ? PathOfPidl(view->AbsoluteIDList) : std::wstring();
}

std::wstring FolderViewTest::Caption(HWND child) {
    wchar_t text[1040] = {};
    GetWindowTextW(child, text, 1040);
    return text;
}

void FolderViewTest::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int CountOf(const std::vector<std::wstring>& names, const std::wstring& name) {
    return static_cast<int>(std::count(names.begin(), names.end(), name));
}

std::string Joined(const std::vector<std::wstring>& names) {
    std::string text;
    for (const std::wstring& name : names) {
        if (!text.empty()) text += " | ";
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0,
                                              nullptr, nullptr);
        std::string utf8(bytes, '\0');
        WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()), utf8.data(), bytes, nullptr,
                            nullptr);
        text += utf8;
    }
    return text;
}
