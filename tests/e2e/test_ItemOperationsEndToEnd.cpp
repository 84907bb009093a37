// End to end: the real ZEKO.exe copies and pastes a real file through its
// frame's item commands, and the undo command takes the copy away again.

#include "app/uCommandRegistry.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "res/resource.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <string>

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
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(root_).parent_path(), ignored);
    }
    // Posted, not sent: a dialog the command might open must not hold the test.
    void Command(WORD command, HWND list) {
        PostMessageW(frame_, WM_COMMAND, MAKEWPARAM(command, CommandFromControl), reinterpret_cast<LPARAM>(list));
    }
    static int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

    std::wstring root_;
    std::unique_ptr<ZekoProcess> process_;
    HWND frame_ = nullptr;
};

}  // namespace

TEST_F(ItemOperationsEndToEnd, CopyAndPasteInTheSameFolderMakeACopyThatUndoTakesAway) {
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND child : ChildWindows(frame_))
                if (WindowText(child) == L"資料 & メモ") list = GetDlgItem(child, kFolderViewListId);
            return list && ItemCount(list) == 1;
        },
        30000));
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
