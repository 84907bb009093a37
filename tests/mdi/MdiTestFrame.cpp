#include "MdiTestFrame.h"

#include "app/Global.h"
#include "app/uReg.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDITab.h"
#include "tests/support/RemoveTree.h"

#include <shlobj.h>

#include <filesystem>

namespace {

int g_folderSerial = 0;

}  // namespace

void MdiTest::SetUp() {
    if (windowMode_ >= 0) {
        UniqueRegKey root;
        ASSERT_TRUE(SettingsCreate(SettingsArea::Root, root));
        SettingsWrite(root.get(), RootSettings::WindowMode, windowMode_);
    }
    frame_ = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(frame_, nullptr);
    LoadSecondSettings();
    ASSERT_NE(FrameLink().mdiClient, nullptr);
    ASSERT_NE(TabBar().tabs, nullptr);
    SetForegroundWindow(frame_);
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
    FrameLink() = FrameWindows{};
    FrameConfig() = FrameSettings{};
    ColorConfig() = FrameColors{};
    Routes() = {};
    RemoveTree(root_);
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

UniqueAbsolutePidl PidlOf(const std::wstring& path) {
    UniqueAbsolutePidl pidl;
    SHParseDisplayName(path.c_str(), nullptr, pidl.put(), 0, nullptr);
    return pidl;
}

std::wstring PathOf(PCIDLIST_ABSOLUTE folder) {
    wchar_t path[MAX_PATH] = {};
    if (!folder || !SHGetPathFromIDListW(folder, path)) return {};
    return path;
}

bool IsFolder(PCIDLIST_ABSOLUTE folder, const std::wstring& path) {
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
