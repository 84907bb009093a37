// The folder view's item commands on real files: the clipboard verbs, the cut
// marks, renaming in place and through the extended dialog, new folders,
// shortcuts, deleting and the selection commands; each checked on disk and in
// the list.

#include "FolderViewFixture.h"

#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemNames.h"
#include "res/resource.h"
#include "shell/uUndo.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ZekoProcess.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

namespace {

using ItemOperations = FolderViewTest;

constexpr DWORD kWait = 30000;

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

void SelectNames(HWND list, const std::vector<std::wstring>& names) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (const std::wstring& name : names) {
        const int index = [&] {
            for (int i = 0; i < ListView_GetItemCount(list); ++i) {
                wchar_t text[MAX_PATH] = {};
                ListView_GetItemText(list, i, 0, text, MAX_PATH);
                if (name == text) return i;
            }
            return -1;
        }();
        ASSERT_GE(index, 0) << Joined({name});
        ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

bool IsCut(HWND list, int index) { return index >= 0 && (ListView_GetItemState(list, index, LVIS_CUT) & LVIS_CUT); }

bool ClipboardHoldsFiles() { return IsClipboardFormatAvailable(CF_HDROP) != FALSE; }

// Types `name` into the list's label edit and ends it as Return does.
void TypeLabel(HWND list, const std::wstring& name) {
    HWND edit = ListView_GetEditControl(list);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, name.c_str());
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
}

// Deletes the selection, agreeing to whatever the shell asks first: its
// dialog's default button agrees, whatever the dialog is called.
void DeleteAgreeing(TFolderView* view, const wchar_t* except = nullptr) {
    std::atomic<bool> done{false};
    std::thread confirm([&] {
        WaitUntil(
            [&] {
                HWND box = FindWindowW(L"#32770", nullptr);
                DWORD process = 0;
                if (box && GetWindowThreadProcessId(box, &process) && process == GetCurrentProcessId() &&
                    (!except || WindowText(box) != except)) {
                    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
                    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                }
                return done.load();
            },
            kWait);
    });
    view->ExecuteCommand(IDM_DELETE);
    done = true;
    confirm.join();
}

TEST_F(ItemOperations, CopyThenPasteInAnotherFolderCopiesTheFile) {
    ASSERT_TRUE(MakeDirectory(root_ / L"to"));
    ASSERT_TRUE(MakeFile(root_ / L"資料 & メモ.txt", 10));
    HWND source = Open(root_.path());
    HWND target = Open(root_ / L"to");
    SelectNames(View(source)->ListView, {L"資料 & メモ.txt"});
    View(source)->ExecuteCommand(IDM_COPY);
    View(target)->ExecuteCommand(IDM_PASTE);
    EXPECT_TRUE(Exists(root_ / L"to\\資料 & メモ.txt"));
    EXPECT_TRUE(Exists(root_ / L"資料 & メモ.txt"));
    EXPECT_TRUE(WaitForName(target, L"資料 & メモ.txt"));
}

TEST_F(ItemOperations, PasteIntoTheSameFolderMakesNamedCopiesAndOverwritesNothing) {
    ASSERT_TRUE(MakeFile(root_ / L"a b.txt", 3));
    HWND child = Open(root_.path());
    SelectNames(View(child)->ListView, {L"a b.txt"});
    View(child)->ExecuteCommand(IDM_COPY);
    View(child)->ExecuteCommand(IDM_PASTE);
    View(child)->ExecuteCommand(IDM_PASTE);
    EXPECT_TRUE(Exists(root_ / L"a b - コピー.txt"));
    EXPECT_TRUE(Exists(root_ / L"a b - コピー (2).txt"));
    EXPECT_TRUE(WaitForName(child, L"a b - コピー (2).txt")) << Joined(Names(child));
}

TEST_F(ItemOperations, CutMarksTheItemsUntilThePasteMovesThem) {
    ASSERT_TRUE(MakeDirectory(root_ / L"to"));
    ASSERT_TRUE(MakeFile(root_ / L"moved.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"stays.txt"));
    HWND source = Open(root_.path());
    HWND target = Open(root_ / L"to");
    SelectNames(View(source)->ListView, {L"moved.txt"});
    View(source)->ExecuteCommand(IDM_CUT);
    Pump();
    EXPECT_TRUE(IsCut(View(source)->ListView, IndexOf(source, L"moved.txt")));
    EXPECT_FALSE(IsCut(View(source)->ListView, IndexOf(source, L"stays.txt")));

    View(target)->ExecuteCommand(IDM_PASTE);
    EXPECT_TRUE(Exists(root_ / L"to\\moved.txt"));
    EXPECT_FALSE(Exists(root_ / L"moved.txt"));
    EXPECT_TRUE(WaitForNoName(source, L"moved.txt"));
    EXPECT_TRUE(WaitForName(target, L"moved.txt"));
    // A move empties the clipboard: the files it named are gone.
    EXPECT_FALSE(ClipboardHoldsFiles());
    EXPECT_FALSE(View(source)->InClipboardChain);
}

TEST_F(ItemOperations, EscapeAfterACutEndsTheMarksAndEmptiesTheClipboard) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    HWND child = Open(root_.path());
    SelectNames(View(child)->ListView, {L"a.txt"});
    View(child)->ExecuteCommand(IDM_CUT);
    Pump();
    ASSERT_TRUE(IsCut(View(child)->ListView, IndexOf(child, L"a.txt")));
    ASSERT_TRUE(ClipboardHoldsFiles());
    SendMessageW(View(child)->ListView, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsCut(View(child)->ListView, IndexOf(child, L"a.txt")); }, kWait));
    EXPECT_FALSE(ClipboardHoldsFiles());
    EXPECT_TRUE(Exists(root_ / L"a.txt"));
}

TEST_F(ItemOperations, ForeignClipboardDataPastesNothing) {
    HWND child = Open(root_.path());
    ASSERT_TRUE(OpenClipboard(frame_));
    EmptyClipboard();
    const wchar_t text[] = L"not a file";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
    memcpy(GlobalLock(block), text, sizeof(text));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    View(child)->ExecuteCommand(IDM_PASTE);
    View(child)->ExecuteCommand(IDM_PASTE_SHORTCUT);
    Pump();
    EXPECT_TRUE(Names(child).empty()) << Joined(Names(child));
}

TEST_F(ItemOperations, ShortcutsAreMadeBesideTheItemsAndByPaste) {
    ASSERT_TRUE(MakeDirectory(root_ / L"to"));
    ASSERT_TRUE(MakeFile(root_ / L"target.txt"));
    HWND source = Open(root_.path());
    HWND target = Open(root_ / L"to");
    SelectNames(View(source)->ListView, {L"target.txt"});
    View(source)->ExecuteCommand(IDM_CREATE_SHORTCUT);
    EXPECT_TRUE(Exists(root_ / L"target.txt - ショートカット.lnk"));
    View(source)->ExecuteCommand(IDM_COPY);
    View(target)->ExecuteCommand(IDM_PASTE_SHORTCUT);
    EXPECT_TRUE(Exists(root_ / L"to\\target.txt - ショートカット.lnk"));
    EXPECT_FALSE(Exists(root_ / L"to\\target.txt"));
}

TEST_F(ItemOperations, RenameInPlaceRenamesTheFile) {
    ASSERT_TRUE(MakeFile(root_ / L"old.txt"));
    HWND child = Open(root_.path());
    Select(child, L"old.txt");
    View(child)->ExecuteCommand(IDM_RENAME);
    TypeLabel(View(child)->ListView, L"新しい名前.txt");
    EXPECT_TRUE(Exists(root_ / L"新しい名前.txt"));
    EXPECT_FALSE(Exists(root_ / L"old.txt"));
    EXPECT_TRUE(WaitForName(child, L"新しい名前.txt"));
    EXPECT_EQ(CountOf(Names(child), L"新しい名前.txt"), 1);
}

TEST_F(ItemOperations, RenameInPlaceRefusesBadAndTakenNamesWithAMessage) {
    ASSERT_TRUE(MakeFile(root_ / L"keep.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"taken.txt"));
    HWND child = Open(root_.path());
    for (const wchar_t* name : {L"a:b.txt", L"a\\b.txt", L"  ", L"taken.txt"}) {
        Select(child, L"keep.txt");
        View(child)->ExecuteCommand(IDM_RENAME);
        MessageBoxAnswerer answer(IDOK, L"エラー");
        TypeLabel(View(child)->ListView, name);
        EXPECT_TRUE(answer.Answered()) << Joined({name});
        EXPECT_TRUE(Exists(root_ / L"keep.txt")) << Joined({name});
        EXPECT_TRUE(Exists(root_ / L"taken.txt"));
    }
    EXPECT_EQ(Sorted(Names(child)), (std::vector<std::wstring>{L"keep.txt", L"taken.txt"}));
}

TEST_F(ItemOperations, NewFolderIsMadeSelectedAndPutIntoRename) {
    ASSERT_TRUE(MakeFile(root_ / L"z.txt"));
    HWND child = Open(root_.path());
    View(child)->ExecuteCommand(IDM_NEW_FOLDER);
    HWND list = View(child)->ListView;
    ASSERT_EQ(Names(child).size(), 2u) << Joined(Names(child));
    HWND edit = ListView_GetEditControl(list);
    ASSERT_NE(edit, nullptr);
    const std::wstring made = SelectedNames(child).at(0);
    EXPECT_NE(GetFileAttributesW((root_ / made).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    TypeLabel(View(child)->ListView, L"作った");
    EXPECT_TRUE(Exists(root_ / L"作った"));
}

TEST_F(ItemOperations, DeleteSendsTheSelectionToTheRecycleBinAndUndoBringsItBack) {
    ASSERT_TRUE(MakeFile(root_ / L"gone 日本%.txt", 10));
    ASSERT_TRUE(MakeFile(root_ / L"kept.txt"));
    HWND child = Open(root_.path());
    SelectNames(View(child)->ListView, {L"gone 日本%.txt"});
    DeleteAgreeing(View(child));
    EXPECT_FALSE(Exists(root_ / L"gone 日本%.txt"));
    EXPECT_TRUE(Exists(root_ / L"kept.txt"));
    EXPECT_TRUE(WaitForNoName(child, L"gone 日本%.txt"));
    UndoLastOperation(frame_);
    EXPECT_TRUE(Exists(root_ / L"gone 日本%.txt"));
    EXPECT_EQ(std::filesystem::file_size(root_ / L"gone 日本%.txt"), 10u);
    EXPECT_TRUE(WaitForName(child, L"gone 日本%.txt"));
}

// Another process would see the same refusal: the sharing mode is the
// system's, whoever holds the file.
TEST_F(ItemOperations, DeletingAFileHeldOpenWithoutSharingIsRefusedWithAMessage) {
    ASSERT_TRUE(MakeFile(root_ / L"held 日本.txt", 10));
    HWND child = Open(root_.path());
    UniqueHandle held(CreateFileW((root_ / L"held 日本.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    Select(child, L"held 日本.txt");
    MessageBoxAnswerer answer(IDOK, L"エラー");
    DeleteAgreeing(View(child), L"エラー");
    ASSERT_TRUE(answer.Answered()) << "the refusal is told";
    EXPECT_NE(answer.Text().find(L"held 日本.txt"), std::wstring::npos);
    held.reset();
    EXPECT_TRUE(Exists(root_ / L"held 日本.txt"));
    EXPECT_EQ(std::filesystem::file_size(root_ / L"held 日本.txt"), 10u);
}

TEST_F(ItemOperations, PastingAFileThatWentAwaySinceTheCopySaysSoAndMakesNothing) {
    ASSERT_TRUE(MakeDirectory(root_ / L"to"));
    ASSERT_TRUE(MakeFile(root_ / L"gone.txt"));
    HWND source = Open(root_.path());
    HWND target = Open(root_ / L"to");
    SelectNames(View(source)->ListView, {L"gone.txt"});
    View(source)->ExecuteCommand(IDM_COPY);
    ASSERT_TRUE(DeleteFileW((root_ / L"gone.txt").c_str()));
    MessageBoxAnswerer answer(IDOK, L"エラー");
    View(target)->ExecuteCommand(IDM_PASTE);
    EXPECT_TRUE(answer.Answered());
    EXPECT_TRUE(std::filesystem::is_empty(root_ / L"to"));
}

TEST_F(ItemOperations, PropertiesOfAFileNameItAndItsSize) {
    ASSERT_TRUE(MakeFile(root_ / L"info.txt", 1234));
    HWND child = Open(root_.path());
    Select(child, L"info.txt");
    MessageBoxAnswerer answer(IDOK, L"プロパティ");
    View(child)->ExecuteCommand(IDM_PROPERTIES);
    ASSERT_TRUE(answer.Answered());
    EXPECT_NE(answer.Text().find(L"info.txt"), std::wstring::npos);
    EXPECT_NE(answer.Text().find(L"1234"), std::wstring::npos);
}

TEST_F(ItemOperations, TheMiddleButtonOpensTheItemUnderItByMClick) {
    ASSERT_TRUE(MakeDirectory(root_ / L"sub"));
    ASSERT_TRUE(MakeFile(root_ / L"other.txt"));
    HWND child = Open(root_.path());
    HWND list = View(child)->ListView;
    SelectNames(list, {L"other.txt"});
    RECT item{};
    ASSERT_TRUE(ListView_GetItemRect(list, IndexOf(child, L"sub"), &item, LVIR_LABEL));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ASSERT_EQ(FolderViewConfig().MClick, 1);
    SendMessageW(list, WM_MBUTTONDOWN, MK_MBUTTON, at);
    EXPECT_EQ(SelectedNames(child), (std::vector<std::wstring>{L"sub"}));
    SendMessageW(list, WM_MBUTTONUP, 0, at);
    EXPECT_TRUE(WaitUntil([&] { return Children().size() == 2; }, kWait));
    EXPECT_EQ(ShownPath(child), root_.path()) << "MClick 1 opens a new tab, not in place";
}

TEST_F(ItemOperations, SelectAllAndInvertSelection) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    SelectNames(View(child)->ListView, {L"b.txt"});
    View(child)->ExecuteCommand(IDM_INVERT_SELECTION);
    EXPECT_EQ(Sorted(SelectedNames(child)), (std::vector<std::wstring>{L"a.txt", L"c.txt"}));
    View(child)->ExecuteCommand(IDM_SELECT_ALL);
    EXPECT_EQ(SelectedNames(child).size(), 3u);
    View(child)->ExecuteCommand(IDM_INVERT_SELECTION);
    EXPECT_TRUE(SelectedNames(child).empty());
}

TEST_F(ItemOperations, ExtendedRenameWithAnEmptyExtensionKeepsTheDot) {
    ASSERT_TRUE(MakeFile(root_ / L"report.txt"));
    HWND child = Open(root_.path());
    Select(child, L"report.txt");
    std::atomic<bool> typed{false};
    std::thread hand([&] {
        WaitUntil(
            [&] {
                HWND dialog = FindWindowW(L"#32770", L"リネーム");
                if (!dialog || !IsWindowVisible(GetDlgItem(dialog, IDC_RENAME_BASE))) return false;
                SetDlgItemTextW(dialog, IDC_RENAME_BASE, L"b");
                SetDlgItemTextW(dialog, IDC_RENAME_EXTENSION, L"");
                typed = true;
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return true;
            },
            kWait);
    });
    View(child)->ExecuteCommand(IDM_EXTENDED_RENAME);
    hand.join();
    ASSERT_TRUE(typed);
    EXPECT_TRUE(Exists(root_ / L"b."));
    EXPECT_FALSE(Exists(root_ / L"report.txt"));
}

TEST_F(ItemOperations, UndoReversesTheLastPasteRenameAndNewFolder) {
    ASSERT_TRUE(MakeDirectory(root_ / L"to"));
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    HWND source = Open(root_.path());
    HWND target = Open(root_ / L"to");
    SelectNames(View(source)->ListView, {L"a.txt"});
    View(source)->ExecuteCommand(IDM_CUT);
    View(target)->ExecuteCommand(IDM_PASTE);
    ASSERT_TRUE(Exists(root_ / L"to\\a.txt"));
    UndoLastOperation(frame_);
    EXPECT_TRUE(Exists(root_ / L"a.txt"));
    EXPECT_FALSE(Exists(root_ / L"to\\a.txt"));
    EXPECT_TRUE(WaitForName(source, L"a.txt"));

    Select(source, L"a.txt");
    View(source)->ExecuteCommand(IDM_RENAME);
    TypeLabel(View(source)->ListView, L"b.txt");
    ASSERT_TRUE(Exists(root_ / L"b.txt"));
    UndoLastOperation(frame_);
    EXPECT_TRUE(Exists(root_ / L"a.txt"));
    EXPECT_FALSE(Exists(root_ / L"b.txt"));

    View(target)->ExecuteCommand(IDM_NEW_FOLDER);
    ASSERT_EQ(Names(target).size(), 1u);
    SendMessageW(ListView_GetEditControl(View(target)->ListView), WM_KEYDOWN, VK_ESCAPE, 0);
    UndoLastOperation(frame_);
    EXPECT_TRUE(WaitForNames(target, [](const std::vector<std::wstring>& names) { return names.empty(); }));
    // Once is all: a second undo has nothing left to reverse.
    UndoLastOperation(frame_);
    EXPECT_TRUE(Exists(root_ / L"a.txt"));
}

TEST(ItemNames, SplitFileNameAtTheLastDot) {
    struct Case {
        const wchar_t* name;
        const wchar_t* base;
        const wchar_t* extension;
    } cases[] = {{L"a.tar.gz", L"a.tar", L"gz"}, {L"readme", L"readme", L""}, {L".profile", L"", L"profile"},
                 {L"b.", L"b", L""}, {L"日本語.テキスト", L"日本語", L"テキスト"}};
    for (const Case& c : cases) {
        const SplitName split = SplitFileName(c.name);
        EXPECT_EQ(split.base, c.base);
        EXPECT_EQ(split.extension, c.extension);
    }
    EXPECT_EQ(JoinFileName(L"b", L""), L"b.");
    EXPECT_EQ(JoinFileName(L"a", L"txt"), L"a.txt");
}

TEST(ItemNames, NamesAFileCannotHoldAreRefused) {
    for (const wchar_t* bad : {L"", L"   ", L"a\\b", L"a/b", L"a:b", L"a*", L"a?", L"a\"b", L"a<b", L"a>b", L"a|b",
                               L".", L"..", L"a\tb"})
        EXPECT_FALSE(NameProblem(bad).empty()) << Joined({bad});
    for (const wchar_t* good : {L"a.txt", L"資料 & メモ", L"a b", L".profile", L"b."})
        EXPECT_TRUE(NameProblem(good).empty()) << Joined({good});
}

}  // namespace
