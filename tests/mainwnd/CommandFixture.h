#pragma once
// Shared by the command tests: the real frame with folder tabs on folders of
// the test's own, and a watcher that closes any dialog the program shows and
// remembers its title.

#include "app/Global.h"
#include "app/uCommandRegistry.h"
#include "app/uPIDL.h"
#include "folderview/wFolderView.h"
#include "mainwnd/uCommand.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "tests/support/ZekoProcess.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

inline UniqueAbsolutePidl PidlOfPath(const std::wstring& path) {
    UniqueAbsolutePidl pidl;
    SHParseDisplayName(path.c_str(), nullptr, pidl.put(), 0, nullptr);
    return pidl;
}

inline std::wstring PathOfPidl(PCIDLIST_ABSOLUTE folder) {
    wchar_t path[MAX_PATH] = {};
    if (!folder || !SHGetPathFromIDListW(folder, path)) return {};
    return path;
}

inline std::wstring ShownFolder(HWND child) {
    TMDIChildView* view = ChildViewOf(child);
    if (!view || !view->FolderView) return {};
    return PathOfPidl(view->FolderView->AbsoluteIDList);
}

inline HWND OpenTab(const std::wstring& path, bool activate = true) {
    HWND child = OpenChildWindow(PidlOfPath(path).release(), activate, nullptr, ContentFolder);
    PumpPending();
    return child;
}

inline HWND OpenSearchTab() {
    HWND child = OpenChildWindow(nullptr, true, nullptr, ContentSearch);
    PumpPending();
    return child;
}

inline WPARAM Aimed(WORD command) { return MAKEWPARAM(command, CommandFromControl); }

// Closes every dialog box (class #32770) of this process that appears while
// it lives, and remembers the titles.
class DialogWatcher {
public:
    DialogWatcher() {
        for (HWND window : Dialogs()) known_.insert(window);
        thread_ = std::thread([this] { Run(); });
    }
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }
    // The titles seen since the last call.
    std::vector<std::wstring> Take() {
        std::lock_guard lock(mutex_);
        std::vector<std::wstring> titles;
        titles.swap(titles_);
        return titles;
    }

private:
    static std::vector<HWND> Dialogs() {
        std::vector<HWND> found;
        EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                wchar_t className[16] = {};
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                GetClassNameW(window, className, 16);
                if (process == GetCurrentProcessId() && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window))
                    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }
    void Run() {
        while (!stop_) {
            for (HWND window : Dialogs()) {
                if (known_.count(window)) continue;
                known_.insert(window);
                wchar_t title[128] = {};
                // Not GetWindowTextW: the dialog's thread is blocked in the
                // test's SendMessage and would never answer.
                InternalGetWindowText(window, title, 128);
                {
                    std::lock_guard lock(mutex_);
                    titles_.push_back(title);
                }
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            Sleep(20);
        }
    }

    std::set<HWND> known_;
    std::mutex mutex_;
    std::vector<std::wstring> titles_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class CommandTest : public testing::Test {
protected:
    void SetUp() override {
        frame_ = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(frame_, nullptr);
        LoadSecondSettings();
        SetForegroundWindow(frame_);
        PumpPending();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"zeko-cmd-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount());
        std::filesystem::create_directories(root_);
        App().closedFolders->Clear();
    }
    void TearDown() override {
        if (IsWindow(frame_)) DestroyWindow(frame_);
        PumpPending();
        Frame() = FrameState{};
        FrameLink() = FrameWindows{};
        FrameConfig() = FrameSettings{};
        ColorConfig() = FrameColors{};
        Routes() = {};
        Routing() = {};
        RemoveTree(root_);
    }
    std::wstring MakeFolder(const std::wstring& name) {
        std::wstring path = root_ + L"\\" + name;
        std::filesystem::create_directories(path);
        return path;
    }
    LRESULT Send(WPARAM wParam, LPARAM lParam = 0) { return SendMessageW(frame_, WM_COMMAND, wParam, lParam); }
    // The main-menu submenu carried by the item `id`, or null.
    HMENU Submenu(UINT id) const { return SubmenuById(GetMenu(frame_), id); }
    void Prepare(HMENU submenu) {
        SendMessageW(frame_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), MAKELPARAM(0, FALSE));
    }

    HWND frame_ = nullptr;
    std::wstring root_;
};

inline bool IsChecked(HMENU menu, UINT id) {
    return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}
