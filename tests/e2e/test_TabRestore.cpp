// End to end: the real ZEKO.exe keeps its tabs across a restart (SaveTab on)
// or leaves them in the closed-folder history (SaveTab off), and a saved
// folder that went away meanwhile does not stop the start.

#include "app/Handles.h"
#include "app/UtilClass.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "tests/support/ZekoProcess.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kRoot[] = L"Software\\ZEKO2";

void WriteDword(const wchar_t* name, DWORD value) {
    UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kRoot, key.put()), ERROR_SUCCESS);
    RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

std::optional<DWORD> ReadDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kRoot, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::vector<BYTE> ReadBinary(const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRoot, name, RRF_RT_REG_BINARY, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::vector<BYTE> data(size);
    RegGetValueW(HKEY_CURRENT_USER, kRoot, name, RRF_RT_REG_BINARY, nullptr, data.data(), &size);
    data.resize(size);
    return data;
}

// The folder names of a stored ID-list list, in stored order.
std::vector<std::wstring> StoredFolderNames(const wchar_t* subkey) {
    UniqueRegKey root;
    std::vector<std::wstring> names;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, root.put()) != ERROR_SUCCESS) return names;
    TPIDLList stored(true);
    stored.LoadList(root.get(), subkey);
    for (int i = 0; i < stored.Count(); ++i) {
        wchar_t path[MAX_PATH] = L"";
        SHGetPathFromIDListW(StoredFolder(stored.Get(i)), path);
        names.push_back(std::filesystem::path(path).filename().wstring());
    }
    return names;
}

bool SubkeyExists(const wchar_t* subkey) {
    UniqueRegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kRoot) + L"\\" + subkey).c_str(), 0, KEY_READ,
                         key.put()) == ERROR_SUCCESS;
}

HWND MdiClientOf(HWND frame) { return FindWindowExW(frame, nullptr, L"MDIClient", nullptr); }

HWND ActiveChildOf(HWND frame) {
    return reinterpret_cast<HWND>(SendMessageW(MdiClientOf(frame), WM_MDIGETACTIVE, 0, 0));
}

// The child windows in tab order: each tab keeps its child in its item data,
// which must be read through a structure in the frame's process.
std::vector<HWND> TabChildren(HWND frame) {
    std::vector<HWND> children;
    HWND container = FindWindowExW(frame, nullptr, kTabBaseClassName, nullptr);
    HWND tabs = container ? FindWindowExW(container, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
    if (!tabs) return children;
    DWORD processId = 0;
    GetWindowThreadProcessId(tabs, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process) return children;
    void* remote = VirtualAllocEx(process.get(), nullptr, sizeof(TCITEMW), MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return children;
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        WriteProcessMemory(process.get(), remote, &item, sizeof(item), nullptr);
        SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process.get(), remote, &item, sizeof(item), nullptr);
        children.push_back(reinterpret_cast<HWND>(item.lParam));
    }
    VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE);
    return children;
}

std::vector<std::wstring> TabCaptions(HWND frame) {
    std::vector<std::wstring> captions;
    for (HWND child : TabChildren(frame)) captions.push_back(WindowText(child));
    return captions;
}

// Waits until the tabs show exactly `names`, in this order.
bool WaitForTabs(HWND frame, const std::vector<std::wstring>& names) {
    return WaitUntil([&] { return TabCaptions(frame) == names; }, 60000);
}

void CloseAndWait(ZekoProcess& process, HWND frame) {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(process.waitForExit(60000));
    EXPECT_EQ(process.exitCode(), 0u);
}

class TabRestore : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::filesystem::path(temp) / (L"zeko-restore-" + std::to_wstring(GetCurrentProcessId()));
        for (const wchar_t* name : {L"restoreA", L"restoreB", L"restoreC", L"restoreD", L"restoreE"}) {
            names_.push_back(name);
            std::filesystem::create_directories(root_ / name);
        }
    }
    void TearDown() override {
        RemoveTree(root_.wstring());
    }

    std::wstring QuotedFolders() const {
        std::wstring arguments;
        for (const std::wstring& name : names_) arguments += L"\"" + (root_ / name).wstring() + L"\" ";
        return arguments;
    }

    // Opens the five folders as tabs, locks the second and leaves the third
    // active, then exits.
    void OpenFiveLockOneAndExit() {
        ZekoProcess zeko(QuotedFolders());
        HWND frame = WaitForVisibleFrame(zeko);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitForTabs(frame, names_)) << "the arguments open as five tabs in order";
        const std::vector<HWND> tabs = TabChildren(frame);
        SendMessageW(MdiClientOf(frame), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(tabs[1]), 0);
        SendMessageW(frame, WM_COMMAND, IDM_NAVIGATE_LOCK, 0);
        SendMessageW(MdiClientOf(frame), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(tabs[2]), 0);
        ASSERT_EQ(ActiveChildOf(frame), tabs[2]);
        CloseAndWait(zeko, frame);
    }

    std::filesystem::path root_;
    std::vector<std::wstring> names_;
};

TEST_F(TabRestore, WithSaveTabTheTabsComeBackInOrderWithTheirLockAndActiveTab) {
    WriteDword(L"SaveTab", 1);
    OpenFiveLockOneAndExit();
    EXPECT_EQ(StoredFolderNames(L"PIDLs"), names_);
    EXPECT_EQ(ReadDword(L"ActiveTab"), 2u);
    EXPECT_EQ(ReadBinary(L"NavigateLocks"), (std::vector<BYTE>{0, 1, 0, 0, 0}));

    ZekoProcess again;
    HWND frame = WaitForVisibleFrame(again);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(WaitForTabs(frame, names_));
    const std::vector<HWND> tabs = TabChildren(frame);
    EXPECT_EQ(ActiveChildOf(frame), tabs[2]);
    // A locked tab refuses to close (NavigateLockClose is off); the others close.
    SendMessageW(tabs[1], WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(tabs[1])) << "the lock came back on the second tab";
    SendMessageW(tabs[4], WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(tabs[4]));
    CloseAndWait(again, frame);

    const std::vector<std::wstring> four(names_.begin(), names_.begin() + 4);
    EXPECT_EQ(StoredFolderNames(L"PIDLs"), four);
    EXPECT_EQ(ReadDword(L"ActiveTab"), 2u);
    EXPECT_EQ(ReadBinary(L"NavigateLocks"), (std::vector<BYTE>{0, 1, 0, 0}));
}

TEST_F(TabRestore, WithoutSaveTabTheTabsGoToTheClosedFolderHistoryNewestFirst) {
    OpenFiveLockOneAndExit();
    EXPECT_FALSE(SubkeyExists(L"PIDLs"));
    const std::vector<std::wstring> newestFirst(names_.rbegin(), names_.rend());
    EXPECT_EQ(StoredFolderNames(L"CloseHistoryPIDLs"), newestFirst);

    ZekoProcess again;
    HWND frame = WaitForVisibleFrame(again);
    ASSERT_NE(frame, nullptr);
    // The desktop alone, once it has its caption: the start has then opened
    // what it opens, and a command no longer arrives in the middle of it.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const std::vector<std::wstring> captions = TabCaptions(frame);
            return captions.size() == 1 && !captions[0].empty();
        },
        60000));
    // The first and the last entry of the closed-folder menu, shown in the
    // active tab or a new one as the user's option says.
    const auto activeShows = [&](const std::wstring& name) {
        return WaitUntil([&] { return WindowText(ActiveChildOf(frame)) == name; }, 60000);
    };
    SendMessageW(frame, WM_COMMAND, IDM_CLOSED_FIRST, 0);
    EXPECT_TRUE(activeShows(names_[4]));
    SendMessageW(frame, WM_COMMAND, IDM_CLOSED_FIRST + 4, 0);
    EXPECT_TRUE(activeShows(names_[0]));
    CloseAndWait(again, frame);
}

TEST_F(TabRestore, ASavedFolderDeletedBetweenRunsIsLeftOutAndTheOthersOpen) {
    WriteDword(L"SaveTab", 1);
    OpenFiveLockOneAndExit();
    std::filesystem::remove(root_ / names_[2]);

    ZekoProcess again;
    HWND frame = WaitForVisibleFrame(again);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(WaitForTabs(frame, {names_[0], names_[1], names_[3], names_[4]}));
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer));
    EXPECT_TRUE(FindTopLevelWindows(L"#32770", again.id()).empty()) << "no message box at start-up";
    CloseAndWait(again, frame);
    EXPECT_EQ(StoredFolderNames(L"PIDLs"), (std::vector<std::wstring>{names_[0], names_[1], names_[3], names_[4]}));
    EXPECT_EQ(ReadBinary(L"NavigateLocks"), (std::vector<BYTE>{0, 1, 0, 0}));
}

}  // namespace
