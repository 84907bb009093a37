// End to end: the real ZEKO.exe copies and pastes a real file through its
// frame's item commands, and the undo command takes the copy away again; a
// file dragged with the mouse out of another process lands in its list.

#include "app/uCommandRegistry.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "res/resource.h"
#include "shell/hOledd.h"
#include "tests/support/MouseDrag.h"
#include "tests/support/ZekoProcess.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>

namespace {

class ItemOperationsEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"zeko-items-" + std::to_wstring(GetCurrentProcessId()) + L"\\資料 & メモ";
        std::filesystem::create_directories(root_);
        UniqueHandle file(CreateFileW((root_ + L"\\a b 日本.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                      nullptr));
        ASSERT_TRUE(file);
        process_ = std::make_unique<ZekoProcess>(L"\"" + root_ + L"\"");
        ASSERT_TRUE(process_->started());
        frame_ = WaitForVisibleFrame(*process_);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        if (frame_ && IsWindow(frame_)) {
            PostMessageW(frame_, WM_CLOSE, 0, 0);
            process_->waitForExit(60000);
        }
        process_.reset();
        RemoveTree(std::filesystem::path(root_).parent_path().wstring());
    }
    // Posted, not sent: a dialog the command might open must not hold the test.
    void Command(WORD command, HWND list) {
        PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(command, CommandFromControl), reinterpret_cast<LPARAM>(list));
    }
    static int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
    // The list of the folder window showing the test's folder, once it holds `count` items.
    HWND ListWith(int count) {
        HWND list = nullptr;
        const bool found = WaitUntil(
            [&] {
                for (HWND child : ChildWindows(frame_))
                    if (WindowText(child) == L"資料 & メモ") list = GetDlgItem(child, kFolderViewListId);
                return list && ItemCount(list) == count;
            },
            30000);
        return found ? list : nullptr;
    }

    std::wstring root_;
    std::unique_ptr<ZekoProcess> process_;
    HWND frame_ = nullptr;
};

}  // namespace

TEST_F(ItemOperationsEndToEnd, CopyAndPasteInTheSameFolderMakeACopyThatUndoTakesAway) {
    HWND list = ListWith(1);
    ASSERT_NE(list, nullptr);
    const std::wstring copy = root_ + L"\\a b 日本 - コピー.txt";
    Command(IDM_SELECT_ALL, list);
    Command(IDM_COPY, list);
    Command(IDM_PASTE, list);
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(copy); }, 30000));
    EXPECT_TRUE(WaitUntil([&] { return ItemCount(list) == 2; }, 30000)) << "the list shows the copy";
    EXPECT_TRUE(std::filesystem::exists(root_ + L"\\a b 日本.txt"));

    PostMessageW(frame_, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_TRUE(WaitUntil([&] { return !std::filesystem::exists(copy); }, 30000));
    EXPECT_TRUE(std::filesystem::exists(root_ + L"\\a b 日本.txt"));
}

namespace {

// A window of the test process that starts a drag of one file as soon as the
// button goes down on it, as any program's drag source does.
IDataObject* g_dragged = nullptr;
DWORD g_dragEffect = DROPEFFECT_NONE;

LRESULT CALLBACK DragSourceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN && g_dragged) {
        g_dragEffect = StartDrag(window, g_dragged);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static bool valid(HWND window) { return window != nullptr; }
    static void close(HWND window) { DestroyWindow(window); }
};
using OwnedWindow = UniqueResource<HWND, WindowTraits>;

ComPtr<IDataObject> FileData(const std::wstring& path) {
    ComPtr<IDataObject> data;
    PIDLIST_ABSOLUTE absolute = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &absolute, 0, nullptr))) return data;
    UniqueAbsolutePidl owned(absolute);
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (SUCCEEDED(SHBindToParent(owned.get(), IID_IShellFolder, parent.putVoid(), &last)))
        parent->GetUIObjectOf(nullptr, 1, &last, IID_IDataObject, nullptr, data.putVoid());
    return data;
}

POINT Centre(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A list-view message whose argument is a pointer, sent to a list of another
// process through a copy of the argument (and of a text after it) in that process.
template <typename Argument>
LRESULT SendToOtherProcess(HANDLE process, HWND list, UINT message, WPARAM wParam, Argument& argument,
                           const std::wstring& text = {}, std::wstring* textBack = nullptr) {
    const SIZE_T size = sizeof(Argument) + (text.size() + 1) * sizeof(wchar_t);
    auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return -1;
    if constexpr (std::is_same_v<Argument, LVITEMW>) {
        argument.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(Argument));
        argument.cchTextMax = static_cast<int>(text.size() + 1);
    }
    WriteProcessMemory(process, remote, &argument, sizeof(Argument), nullptr);
    WriteProcessMemory(process, remote + sizeof(Argument), text.c_str(), (text.size() + 1) * sizeof(wchar_t), nullptr);
    const LRESULT result = SendMessageW(list, message, wParam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &argument, sizeof(Argument), nullptr);
    if (textBack) {
        textBack->assign(text.size() + 1, L'\0');
        ReadProcessMemory(process, remote + sizeof(Argument), textBack->data(), textBack->size() * sizeof(wchar_t), nullptr);
        textBack->resize(wcslen(textBack->c_str()));
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return result;
}

}  // namespace

// The drag loop runs in the test process and the drop target in ZEKO's: the
// platform carries the drag and its data object across, and the folder item
// under the cursor takes the file.
TEST_F(ItemOperationsEndToEnd, AFileDraggedFromAnotherProcessLandsInTheFolderUnderTheCursor) {
    const std::filesystem::path outside = std::filesystem::path(root_).parent_path() / L"外 & out";
    std::filesystem::create_directories(outside);
    std::filesystem::create_directories(root_ + L"\\受け皿");
    UniqueHandle file(CreateFileW((outside / L"dragged 日本.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  0, nullptr));
    ASSERT_TRUE(file);
    file.reset();
    HWND list = ListWith(2);
    ASSERT_NE(list, nullptr);
    int folder = -1;
    for (int index = 0; index < ItemCount(list) && folder < 0; ++index) {
        LVITEMW item{};
        std::wstring name;
        SendToOtherProcess(process_->handle(), list, LVM_GETITEMTEXTW, index, item, std::wstring(MAX_PATH, L' '), &name);
        if (name == L"受け皿") folder = index;
    }
    ASSERT_GE(folder, 0);
    RECT item{LVIR_LABEL};
    ASSERT_TRUE(SendToOtherProcess(process_->handle(), list, LVM_GETITEMRECT, folder, item));
    POINT to{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &to);

    WNDCLASSW wc{};
    wc.lpfnWndProc = DragSourceProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZekoTestDragSource";
    RegisterClassW(&wc);
    // Away from the folder item, above everything, so that the press is ours.
    const int size = 80;
    const int x = to.x > GetSystemMetrics(SM_CXSCREEN) / 2 ? 0 : GetSystemMetrics(SM_CXSCREEN) - size;
    OwnedWindow source(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                                        x, 0, size, size, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_TRUE(source);
    const ComPtr<IDataObject> data = FileData((outside / L"dragged 日本.txt").wstring());
    ASSERT_TRUE(data);
    g_dragged = data.get();
    const POINT from = Centre(source.get());
    ASSERT_TRUE(WaitUntil([&] { return WindowFromPoint(from) == source.get(); }, 30000));

    const DWORD thread = GetCurrentThreadId();
    {
        MouseDrag drag(from, to, [&] { return DragLoopRunning(thread, source.get()); },
                       [&] { return (ListView_GetItemState(list, folder, LVIS_DROPHILITED) & LVIS_DROPHILITED) != 0; });
        ASSERT_TRUE(WaitUntil([&] { return drag.done(); }, 120000));
        EXPECT_TRUE(drag.started());
        EXPECT_TRUE(drag.arrived()) << "ZEKO's drop target follows a drag of another process";
    }
    g_dragged = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(root_ + L"\\受け皿\\dragged 日本.txt"); }, 30000));
    EXPECT_FALSE(std::filesystem::exists(outside / L"dragged 日本.txt")) << "a drag on one drive moves";
    EXPECT_EQ(g_dragEffect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "the source hears of the move";
}
