// The key assignment dialog, created in this process and driven with the
// messages a user's clicks and menu choices produce.

#include "input/uDialog.h"

#include "app/uMessageLoop.h"
#include "input/uKeyAssign.h"
#include "res/resource.h"
#include "tests/mainwnd/FrameFixture.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr BYTE kVirtNoInvert = FVIRTKEY | FNOINVERT;

std::vector<TKeyCommand> Defaults() {
    return {DefaultListKeys().begin(), DefaultListKeys().end()};
}

std::wstring Caption(HMENU menu, UINT command) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, command, text, 256, MF_BYCOMMAND);
    return text;
}

class ShortcutDialog : public testing::Test {
protected:
    void TearDown() override {
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        SetWholeProgramEntries({});
        ListKeys() = Defaults();
    }

    void Open(WORD mode) {
        dialog_ = CreateKeyAssignDialog(nullptr, mode);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOWNORMAL);
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    HWND Rows() const { return Item(IDC_SHORTCUT_LIST); }

    // A command chosen from the dialog's own menu bar.
    void ChooseMenu(WORD command) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(command, 0), 0); }
    void ChooseKey(int index) {
        SendMessageW(Item(IDC_SHORTCUT_KEYS), LB_SETCURSEL, index, 0);
        SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SHORTCUT_KEYS, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(IDC_SHORTCUT_KEYS)));
    }
    void Check(int id, bool on) { SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
    // A click reaches only an enabled button, as with the mouse.
    void Click(int id) {
        if (IsWindowEnabled(Item(id)))
            SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    void SelectRow(int row) {
        ListView_SetItemState(Rows(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    int RowCount() const { return ListView_GetItemCount(Rows()); }
    std::wstring RowText(int row, int column) const {
        wchar_t text[128] = {};
        ListView_GetItemText(Rows(), row, column, text, 128);
        return text;
    }
    std::wstring Text(int id) const {
        wchar_t text[128] = {};
        GetWindowTextW(Item(id), text, 128);
        return text;
    }
    int KeyIndex() const { return static_cast<int>(SendMessageW(Item(IDC_SHORTCUT_KEYS), LB_GETCURSEL, 0, 0)); }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    HWND dialog_ = nullptr;
};

constexpr int kKeyIndexF = 6;
constexpr int kKeyIndexQ = 17;
constexpr int kKeyIndexF9 = 97;

TEST_F(ShortcutDialog, ListModeShowsTheListScopeRows) {
    Open(IDM_KEYS_LIST);
    wchar_t title[64] = {};
    GetWindowTextW(dialog_, title, 64);
    EXPECT_STREQ(title, L"リストビューのキーボード設定");
    ASSERT_EQ(RowCount(), 22);
    EXPECT_EQ(RowText(0, 0), L"Backspace");
    EXPECT_EQ(RowText(19, 0), L"Shift + Ctrl + Return");
    EXPECT_EQ(RowText(18, 1), L"");  // 5229 has no menu caption
    EXPECT_EQ(SendMessageW(Item(IDC_SHORTCUT_KEYS), LB_GETCOUNT, 0, 0), 127);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SHORTCUT_ADD)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SHORTCUT_MODIFY)));
}

TEST_F(ShortcutDialog, WholeProgramModeShowsTheAcceleratorRows) {
    SetWholeProgramEntries(
        {{kVirtNoInvert | FCONTROL | FSHIFT, VK_TAB, IDM_PREVIOUS_TAB}, {kVirtNoInvert, VK_F9, IDM_TO_TRAY}});
    Open(IDM_KEYS_PROGRAM);
    wchar_t title[64] = {};
    GetWindowTextW(dialog_, title, 64);
    EXPECT_STREQ(title, L"全体のキーボード設定");
    ASSERT_EQ(RowCount(), 2);
    EXPECT_EQ(RowText(0, 0), L"Shift + Ctrl + Tab");
    EXPECT_EQ(RowText(1, 0), L"F9");
    EXPECT_EQ(RowText(1, 1), L"タスクトレイに入れる");
    EXPECT_NE(GetMenu(dialog_), nullptr);
}

TEST_F(ShortcutDialog, ChoosingAMenuItemPicksItsCommand) {
    Open(IDM_KEYS_LIST);
    ChooseMenu(IDM_TO_TRAY);
    EXPECT_EQ(Text(IDC_SHORTCUT_NAME), L"タスクトレイに入れる");
    EXPECT_EQ(KeyIndex(), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SHORTCUT_ADD)));
    ChooseKey(kKeyIndexF9);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SHORTCUT_ADD)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SHORTCUT_MODIFY)));
    ChooseKey(0);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SHORTCUT_ADD)));
}

TEST_F(ShortcutDialog, AddAppendsARowAndOkReplacesTheListScope) {
    Open(IDM_KEYS_LIST);
    ChooseMenu(IDM_TO_TRAY);
    ChooseKey(kKeyIndexF9);
    Check(IDC_SHORTCUT_CTRL, true);
    Click(IDC_SHORTCUT_ADD);
    ASSERT_EQ(RowCount(), 23);
    EXPECT_EQ(RowText(22, 0), L"Ctrl + F9");
    EXPECT_EQ(RowText(22, 1), L"タスクトレイに入れる");
    EXPECT_EQ(ListKeys(), Defaults());

    Click(IDOK);
    ASSERT_EQ(ListKeys().size(), 23u);
    EXPECT_EQ(ListKeys().back(), (TKeyCommand{IDM_TO_TRAY, 0x278}));
    EXPECT_EQ(ListKeyCommand(0x278), IDM_TO_TRAY);
    EXPECT_FALSE(IsWindowVisible(dialog_));
}

TEST_F(ShortcutDialog, SelectingARowLoadsItsKeyAndModifyChangesIt) {
    Open(IDM_KEYS_LIST);
    SelectRow(1);  // 5201, Shift + Backspace
    EXPECT_EQ(KeyIndex(), 37);
    EXPECT_TRUE(Checked(IDC_SHORTCUT_SHIFT));
    EXPECT_FALSE(Checked(IDC_SHORTCUT_CTRL));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SHORTCUT_MODIFY)));

    ChooseKey(kKeyIndexQ);
    Check(IDC_SHORTCUT_SHIFT, false);
    Check(IDC_SHORTCUT_ALT, true);
    Click(IDC_SHORTCUT_MODIFY);
    EXPECT_EQ(RowText(1, 0), L"Alt + Q");
    EXPECT_EQ(RowCount(), 22);

    Click(IDOK);
    EXPECT_EQ(ListKeys()[1], (TKeyCommand{IDM_GO_UP_NEW_TAB, 0x451}));
    EXPECT_EQ(ListKeyCommand(0x108), 0);
}

TEST_F(ShortcutDialog, ModifyKeepsARowOfAnotherCommand) {
    Open(IDM_KEYS_LIST);
    SelectRow(0);
    ChooseMenu(IDM_TO_TRAY);  // the picked command is no longer the row's
    ChooseKey(kKeyIndexF);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SHORTCUT_ADD)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SHORTCUT_MODIFY)));
    Click(IDC_SHORTCUT_MODIFY);
    EXPECT_EQ(RowText(0, 0), L"Backspace");
    Click(IDOK);
    EXPECT_EQ(ListKeys(), Defaults());
}

TEST_F(ShortcutDialog, DeleteRemovesTheSelectedRow) {
    Open(IDM_KEYS_LIST);
    SelectRow(2);  // Return opens
    Click(IDC_SHORTCUT_DELETE);
    EXPECT_EQ(RowCount(), 21);
    Click(IDOK);
    EXPECT_EQ(ListKeys().size(), 21u);
    EXPECT_EQ(ListKeyCommand(0x00D), 0);
    EXPECT_EQ(ListKeyCommand(0x008), IDM_GO_UP);
}

TEST_F(ShortcutDialog, CancelChangesNothing) {
    SetWholeProgramEntries({{kVirtNoInvert, VK_F9, IDM_TO_TRAY}});
    Open(IDM_KEYS_PROGRAM);
    SelectRow(0);
    Click(IDC_SHORTCUT_DELETE);
    ChooseMenu(IDM_FRAME_MINIMIZE);
    ChooseKey(kKeyIndexQ);
    Click(IDC_SHORTCUT_ADD);
    ASSERT_EQ(RowCount(), 1);
    Click(IDCANCEL);
    const std::vector<ACCEL> entries = WholeProgramEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].key, VK_F9);
    EXPECT_EQ(entries[0].cmd, IDM_TO_TRAY);
}

TEST_F(ShortcutDialog, OkBuildsTheWholeProgramTable) {
    Open(IDM_KEYS_PROGRAM);
    ChooseMenu(IDM_FRAME_MINIMIZE);
    ChooseKey(kKeyIndexQ);
    Check(IDC_SHORTCUT_SHIFT, true);
    Check(IDC_SHORTCUT_ALT, true);
    Click(IDC_SHORTCUT_ADD);
    Click(IDOK);
    const std::vector<ACCEL> entries = WholeProgramEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].fVirt, FVIRTKEY | FNOINVERT | FSHIFT | FALT);
    EXPECT_EQ(entries[0].key, 'Q');
    EXPECT_EQ(entries[0].cmd, IDM_FRAME_MINIMIZE);
}

TEST_F(ShortcutDialog, DeletingEveryWholeProgramRowLeavesNoTable) {
    SetWholeProgramEntries({{kVirtNoInvert, VK_F9, IDM_TO_TRAY}});
    Open(IDM_KEYS_PROGRAM);
    SelectRow(0);
    Click(IDC_SHORTCUT_DELETE);
    Click(IDOK);
    EXPECT_EQ(LoopTables().wholeProgram, nullptr);
}

TEST(ShortcutDialogNames, CutTheMenuCaptionBeforeItsParenthesis) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(KeyDialogCommandName(menu, IDM_FRAME_MINIMIZE), L"メインウインドウの最小化");
    EXPECT_EQ(KeyDialogCommandName(menu, IDM_TILE_HORIZONTAL), L"上下に並べて表示");
    EXPECT_EQ(KeyDialogCommandName(menu, IDM_INCREMENTAL_SEARCH), L"");
    EXPECT_EQ(KeyDialogCommandName(menu, IDM_LAUNCH_FIRST + 3), L"15003");
    EXPECT_EQ(KeyDialogCommandName(menu, IDM_SCRIPT_FIRST + 11), L"20011");
    DestroyMenu(menu);
}

// Presses `button` on the dialog titled `title` once it shows, from another
// thread, as the modal form runs its own loop meanwhile.
std::thread PressWhenShown(const wchar_t* title, WORD button, std::atomic<bool>* pressed = nullptr) {
    return std::thread([title, button, pressed] {
        for (int attempt = 0; attempt < 3000; ++attempt) {
            HWND dialog = FindWindowW(L"#32770", title);
            if (dialog && IsWindowVisible(dialog)) {
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                if (pressed) *pressed = true;
                return;
            }
            Sleep(20);
        }
    });
}

TEST(ShortcutDialogModal, EndsWithOneOnOkAndTwoOnCancel) {
    std::thread ok = PressWhenShown(L"リストビューのキーボード設定", IDOK);
    EXPECT_EQ(RunKeyAssignDialog(nullptr, IDM_KEYS_LIST), 1);
    ok.join();
    std::thread cancel = PressWhenShown(L"全体のキーボード設定", IDCANCEL);
    EXPECT_EQ(RunKeyAssignDialog(nullptr, IDM_KEYS_PROGRAM), 2);
    cancel.join();
}

class ShortcutDialogFrame : public FrameTest {
protected:
    void TearDown() override {
        FrameTest::TearDown();
        SetWholeProgramEntries({});
        ListKeys() = Defaults();
    }
};

TEST_F(ShortcutDialogFrame, TheFramesCommandsOpenTheDialogInTheirScope) {
    ASSERT_NE(CreateFrame(), nullptr);
    ListKeys() = {{IDM_REFRESH, 0x074}};
    std::atomic<bool> listShown{false};
    std::thread ok = PressWhenShown(L"リストビューのキーボード設定", IDOK, &listShown);
    SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(IDM_KEYS_LIST, 0), 0);
    ok.join();
    EXPECT_TRUE(listShown);
    EXPECT_EQ(ListKeys(), (std::vector<TKeyCommand>{{IDM_REFRESH, 0x074}}));
    EXPECT_EQ(FindWindowW(L"#32770", L"リストビューのキーボード設定"), nullptr);

    SetWholeProgramEntries({{kVirtNoInvert, VK_F9, IDM_TO_TRAY}});
    std::atomic<bool> wholeShown{false};
    std::thread cancel = PressWhenShown(L"全体のキーボード設定", IDCANCEL, &wholeShown);
    SendMessageW(frame_, WM_COMMAND, MAKEWPARAM(IDM_KEYS_PROGRAM, 0), 0);
    cancel.join();
    EXPECT_TRUE(wholeShown);
    EXPECT_EQ(FindWindowW(L"#32770", L"全体のキーボード設定"), nullptr);
    EXPECT_EQ(WholeProgramEntries().size(), 1u);
}

TEST_F(ShortcutDialogFrame, OkRebuildsTheFramesMenuWithTheNewKeys) {
    ASSERT_NE(CreateFrame(), nullptr);
    HMENU before = GetMenu(frame_);
    HWND dialog = CreateKeyAssignDialog(frame_, IDM_KEYS_LIST);
    ASSERT_NE(dialog, nullptr);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDM_FRAME_MINIMIZE, 0), 0);
    SendDlgItemMessageW(dialog, IDC_SHORTCUT_KEYS, LB_SETCURSEL, kKeyIndexQ, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SHORTCUT_KEYS, LBN_SELCHANGE), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SHORTCUT_ADD, BN_CLICKED), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    DestroyWindow(dialog);

    HMENU after = GetMenu(frame_);
    EXPECT_NE(after, before);
    EXPECT_FALSE(IsMenu(before));
    EXPECT_EQ(Caption(after, IDM_FRAME_MINIMIZE), L"メインウインドウの最小化(&N)\tQ");
}

}  // namespace
