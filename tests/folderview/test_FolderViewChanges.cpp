// Changes to a shown folder, made in every way a user's system makes them,
// reach the list: by plain file functions, through the shell, by another
// process and from outside Wine; and the folder itself deleted or renamed.

#include "FolderViewFixture.h"

#include "folderview/uFolderViewSettings.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

namespace {

// A double-NUL-terminated path list for SHFileOperationW.
std::wstring PathList(const std::wstring& path) { return path + std::wstring(1, L'\0'); }

int ShellOperation(UINT function, const std::wstring& from, const std::wstring& to = {}) {
    const std::wstring source = PathList(from);
    const std::wstring target = to.empty() ? std::wstring() : PathList(to);
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = function;
    operation.pFrom = source.c_str();
    operation.pTo = to.empty() ? nullptr : target.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_NOCONFIRMMKDIR;
    return SHFileOperationW(&operation);
}

class FolderViewChanges : public FolderViewTest {
protected:
    // Returns once the view `child` of `folder` has applied every change made
    // there before the call, so that what must not have happened can be
    // checked. The watcher reports one folder's changes in order: a marker
    // file made now is listed only after all of them. Shell notifications
    // come in order as well, and a flushed one is delivered before the call
    // that sent it returns: the marker's removal, announced so, follows every
    // earlier one.
    void Fence(HWND child, const std::wstring& folder) {
        const std::wstring marker = folder + L"\\~fence.txt";
        ASSERT_TRUE(MakeFile(marker));
        ASSERT_TRUE(WaitForName(child, L"~fence.txt"));
        ASSERT_TRUE(DeleteFileW(marker.c_str()));
        SHChangeNotify(SHCNE_DELETE, SHCNF_PATHW | SHCNF_FLUSH, marker.c_str(), nullptr);
        ASSERT_TRUE(WaitForNoName(child, L"~fence.txt"));
    }
};

TEST_F(FolderViewChanges, AFileCreatedWithCreateFileIsAddedAtTheEnd) {
    ASSERT_TRUE(MakeFile(root_ / L"m.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"z.txt"));
    HWND child = Open(root_.path());
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    ASSERT_TRUE(WaitForName(child, L"a.txt"));
    // Not sorted in: new items stay at the end until the next sort.
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"m.txt", L"z.txt", L"a.txt"}));
}

TEST_F(FolderViewChanges, AFileRenamedWithMoveFileChangesInPlace) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    ASSERT_TRUE(MoveFileW((root_ / L"b.txt").c_str(), (root_ / L"renamed.txt").c_str()));
    ASSERT_TRUE(WaitForName(child, L"renamed.txt"));
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"renamed.txt", L"c.txt"}));
}

TEST_F(FolderViewChanges, AFileDeletedWithDeleteFileDisappears) {
    for (const wchar_t* name : {L"a.txt", L"b.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    ASSERT_TRUE(DeleteFileW((root_ / L"a.txt").c_str()));
    ASSERT_TRUE(WaitForNoName(child, L"a.txt"));
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"b.txt"});
}

TEST_F(FolderViewChanges, AFolderMadeWithCreateDirectoryAppears) {
    HWND child = Open(root_.path());
    ASSERT_TRUE(MakeDirectory(root_ / L"新しいフォルダ"));
    ASSERT_TRUE(WaitForName(child, L"新しいフォルダ"));
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"新しいフォルダ"});
}

TEST_F(FolderViewChanges, AWrittenFileShowsItsNewSize) {
    ASSERT_TRUE(MakeFile(root_ / L"grow.bin"));
    HWND child = Open(root_.path());
    const std::wstring before = ItemText(child, 0, 1);
    ASSERT_TRUE(MakeFile(root_ / L"grow.bin", 5 * 1024 * 1024));
    EXPECT_TRUE(WaitUntil([&] { return ItemText(child, 0, 1) != before; }, 30000)) << "size stayed";
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"grow.bin"});
}

TEST_F(FolderViewChanges, ShellOperationsAppearOnceEach) {
    const std::wstring source = root_ / L"source";
    ASSERT_TRUE(MakeDirectory(source));
    ASSERT_TRUE(MakeFile(source + L"\\copied.txt", 10));
    const std::wstring shown = root_ / L"shown";
    ASSERT_TRUE(MakeDirectory(shown));
    HWND child = Open(shown);

    ASSERT_EQ(ShellOperation(FO_COPY, source + L"\\copied.txt", shown + L"\\copied.txt"), 0);
    ASSERT_TRUE(WaitForName(child, L"copied.txt"));
    ASSERT_EQ(ShellOperation(FO_RENAME, shown + L"\\copied.txt", shown + L"\\renamed.txt"), 0);
    ASSERT_TRUE(WaitForName(child, L"renamed.txt"));
    Fence(child, shown);
    // Seen through the shell and through the watcher, and still listed once.
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"renamed.txt"});
    ASSERT_EQ(ShellOperation(FO_DELETE, shown + L"\\renamed.txt"), 0);
    ASSERT_TRUE(WaitForNoName(child, L"renamed.txt"));
    Fence(child, shown);
    EXPECT_TRUE(Names(child).empty());
}

TEST_F(FolderViewChanges, AnItemAlreadyListedIsNotAddedAgainByALateNotification) {
    HWND child = Open(root_.path());
    ASSERT_TRUE(MakeFile(root_ / L"once.txt"));
    ASSERT_TRUE(WaitForName(child, L"once.txt"));
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, (root_ / L"once.txt").c_str(), nullptr);
    SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSH, (root_ / L"once.txt").c_str(), nullptr);
    Fence(child, root_.path());
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"once.txt"});
}

TEST_F(FolderViewChanges, ARenameSeenTwiceLeavesOneItem) {
    ASSERT_TRUE(MakeFile(root_ / L"before.txt"));
    HWND child = Open(root_.path());
    ASSERT_TRUE(MoveFileW((root_ / L"before.txt").c_str(), (root_ / L"after.txt").c_str()));
    ASSERT_TRUE(WaitForName(child, L"after.txt"));
    // The same rename once more, as the shell would report it late.
    SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATHW | SHCNF_FLUSH, (root_ / L"before.txt").c_str(),
                   (root_ / L"after.txt").c_str());
    Fence(child, root_.path());
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"after.txt"});
}

TEST_F(FolderViewChanges, DeletingOneOfTwoJapaneseNamesOfOneLengthRemovesThatOne) {
    ASSERT_TRUE(MakeFile(root_ / L"日本.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"中国.txt"));
    HWND child = Open(root_.path());
    ASSERT_EQ(ShellOperation(FO_DELETE, root_ / L"中国.txt"), 0);
    ASSERT_TRUE(WaitForNoName(child, L"中国.txt"));
    Fence(child, root_.path());
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"日本.txt"});
}

TEST_F(FolderViewChanges, ChangesByAnotherProcessAppear) {
    ASSERT_TRUE(MakeFile(root_ / L"keep.txt"));
    HWND child = Open(root_.path());
    const std::wstring file = root_ / L"made by cmd.txt";
    ASSERT_TRUE(RunProcess(L"cmd.exe /c echo text> \"" + file + L"\""));
    ASSERT_TRUE(WaitForName(child, L"made by cmd.txt"));
    ASSERT_TRUE(RunProcess(L"cmd.exe /c ren \"" + file + L"\" \"renamed by cmd.txt\""));
    ASSERT_TRUE(WaitForName(child, L"renamed by cmd.txt"));
    EXPECT_EQ(CountOf(Names(child), L"made by cmd.txt"), 0);
    ASSERT_TRUE(RunProcess(L"cmd.exe /c del \"" + (root_ / L"renamed by cmd.txt") + L"\""));
    ASSERT_TRUE(WaitForNoName(child, L"renamed by cmd.txt"));
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"keep.txt"});
}

TEST_F(FolderViewChanges, ChangesMadeOutsideWineAppear) {
    if (!CanRunUnixCommands()) GTEST_SKIP() << "Unix commands run only under Wine";
    ASSERT_TRUE(MakeFile(root_ / L"keep.txt"));
    HWND child = Open(root_.path());
    const std::string dir = UnixPath(root_.path());
    ASSERT_TRUE(RunUnixShell("echo x > '" + dir + "/linux.txt'"));
    ASSERT_TRUE(WaitForName(child, L"linux.txt"));
    ASSERT_TRUE(RunUnixShell("mv '" + dir + "/linux.txt' '" + dir + "/リナックス.txt'"));
    ASSERT_TRUE(WaitForName(child, L"リナックス.txt"));
    EXPECT_EQ(CountOf(Names(child), L"linux.txt"), 0);
    ASSERT_TRUE(RunUnixShell("mkdir '" + dir + "/linux-dir' && rm '" + dir + "/リナックス.txt'"));
    ASSERT_TRUE(WaitForNames(child, [](const auto& names) {
        return CountOf(names, L"linux-dir") == 1 && CountOf(names, L"リナックス.txt") == 0;
    }));
    EXPECT_EQ(Names(child).size(), 2u) << Joined(Names(child));
}

TEST_F(FolderViewChanges, ManyFilesAtOnceEndInTheCompleteList) {
    HWND child = Open(root_.path());
    for (int i = 0; i < 400; ++i) ASSERT_TRUE(MakeFile(root_ / (L"bulk" + std::to_wstring(i) + L".txt")));
    EXPECT_TRUE(WaitForNames(child, [](const auto& names) { return names.size() == 400; }, 15000))
        << Names(child).size();
    Fence(child, root_.path());
    std::vector<std::wstring> names = Names(child);
    std::sort(names.begin(), names.end());
    std::vector<std::wstring> twice;
    for (size_t i = 1; i < names.size(); ++i)
        if (names[i] == names[i - 1]) twice.push_back(names[i]);
    EXPECT_EQ(names.size(), 400u) << "listed twice: " << Joined(twice);
}

TEST_F(FolderViewChanges, AHiddenFileIsNotAddedWhileHiddenItemsAreNotListed) {
    HWND child = Open(root_.path());
    ASSERT_TRUE(MakeFile(root_ / L"visible.txt"));
    const std::wstring hidden = root_ / L"hidden.txt";
    HANDLE file = CreateFileW(hidden.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ASSERT_TRUE(WaitForName(child, L"visible.txt"));
    Fence(child, root_.path());
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"visible.txt"});
}

TEST_F(FolderViewChanges, ANewFileTheDisplayFilterHidesIsNotAdded) {
    DisplayFilter() = {L"*.TXT"};
    HWND child = Open(root_.path());
    ASSERT_TRUE(MakeFile(root_ / L"skipped.log"));
    ASSERT_TRUE(MakeFile(root_ / L"taken.txt"));
    // Made first, the skipped file's change has been applied once the taken one shows.
    ASSERT_TRUE(WaitForName(child, L"taken.txt"));
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"taken.txt"});
}

TEST_F(FolderViewChanges, ChangesKeepTheSelection) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    Select(child, L"b.txt");
    ASSERT_TRUE(DeleteFileW((root_ / L"a.txt").c_str()));
    ASSERT_TRUE(MakeFile(root_ / L"d.txt"));
    ASSERT_TRUE(WaitForNames(child, [](const auto& names) {
        return CountOf(names, L"a.txt") == 0 && CountOf(names, L"d.txt") == 1;
    }));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"b.txt"});
    EXPECT_EQ(FocusedName(child), L"b.txt");
}

// The shown folder itself.

void ExpectParentShownInsteadOf(HWND child, const std::wstring& parent, const std::wstring& name) {
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(child); }, 30000)) << "the tab stayed";
    const std::vector<HWND> children = FolderViewTest::Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(ActiveChild(), children[0]);
    EXPECT_EQ(_wcsicmp(FolderViewTest::ShownPath(children[0]).c_str(), parent.c_str()), 0);
    EXPECT_EQ(CountOf(FolderViewTest::Names(children[0]), name), 0);
}

TEST_F(FolderViewChanges, DeletingTheShownFolderOpensItsParentAndClosesTheTab) {
    const std::wstring shown = root_ / L"doomed";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeFile(root_ / L"sibling.txt"));
    HWND child = Open(shown);
    ASSERT_TRUE(RemoveDirectoryW(shown.c_str()));
    ExpectParentShownInsteadOf(child, root_.path(), L"doomed");
    EXPECT_FALSE(Exists(shown));
}

TEST_F(FolderViewChanges, DeletingTheShownFolderThroughTheShellOpensOneParentTab) {
    const std::wstring shown = root_ / L"doomed";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeFile(shown + L"\\content.txt"));
    HWND child = Open(shown);
    ASSERT_EQ(ShellOperation(FO_DELETE, shown), 0);
    ExpectParentShownInsteadOf(child, root_.path(), L"doomed");
    ASSERT_FALSE(Children().empty());
    Fence(Children().front(), root_.path());
    EXPECT_EQ(Children().size(), 1u);
}

TEST_F(FolderViewChanges, DeletingTheShownFolderByAnotherProcessOpensItsParent) {
    const std::wstring shown = root_ / L"doomed";
    ASSERT_TRUE(MakeDirectory(shown));
    HWND child = Open(shown);
    ASSERT_TRUE(RunProcess(L"cmd.exe /c rd \"" + shown + L"\""));
    ExpectParentShownInsteadOf(child, root_.path(), L"doomed");
}

TEST_F(FolderViewChanges, DeletingTheShownFolderOutsideWineOpensItsParent) {
    if (!CanRunUnixCommands()) GTEST_SKIP() << "Unix commands run only under Wine";
    const std::wstring shown = root_ / L"削除される";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeFile(shown + L"\\inside.txt"));
    HWND child = Open(shown);
    ASSERT_TRUE(RunUnixShell("rm -r '" + UnixPath(shown) + "'"));
    ExpectParentShownInsteadOf(child, root_.path(), L"削除される");
}

TEST_F(FolderViewChanges, TheShellSayingTheShownFolderIsGoneOpensItsParent) {
    // Only the shell's notification reports this: the folder is still there,
    // so no watcher can have seen anything.
    const std::wstring shown = root_ / L"reported";
    ASSERT_TRUE(MakeDirectory(shown));
    HWND child = Open(shown);
    SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW | SHCNF_FLUSH, shown.c_str(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(child); }, 30000));
    ASSERT_EQ(Children().size(), 1u);
    EXPECT_EQ(_wcsicmp(ShownPath(Children()[0]).c_str(), root_.path().c_str()), 0);
    EXPECT_EQ(SelectedNames(Children()[0]), std::vector<std::wstring>{L"reported"});
}

TEST_F(FolderViewChanges, ABackgroundTabWhoseFolderGoesOpensItsParentInTheBackground) {
    const std::wstring shown = root_ / L"background";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeDirectory(root_ / L"front"));
    HWND front = Open(root_ / L"front");
    HWND back = Open(shown, nullptr, false);
    ASSERT_EQ(ActiveChild(), front);
    ASSERT_TRUE(RemoveDirectoryW(shown.c_str()));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(back); }, 30000));
    EXPECT_EQ(ActiveChild(), front);
    ASSERT_EQ(Children().size(), 2u);
}

void ExpectRenamedTab(HWND child, const std::wstring& newPath, const std::wstring& newName,
                      const std::wstring& content) {
    ASSERT_TRUE(WaitUntil([&] { return _wcsicmp(FolderViewTest::ShownPath(child).c_str(), newPath.c_str()) == 0; },
                          6000))
        << "shows " << std::string(FolderViewTest::ShownPath(child).begin(), FolderViewTest::ShownPath(child).end());
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(FolderViewTest::Children().size(), 1u);
    EXPECT_EQ(FolderViewTest::Caption(child), newName);
    EXPECT_EQ(TabText(TabIndexOf(child)), newName);
    EXPECT_EQ(FolderViewTest::Names(child), std::vector<std::wstring>{content});
}

TEST_F(FolderViewChanges, RenamingTheShownFolderKeepsTheTabOnTheNewName) {
    const std::wstring shown = root_ / L"before";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeFile(shown + L"\\content.txt"));
    HWND child = Open(shown);
    ASSERT_TRUE(MoveFileW(shown.c_str(), (root_ / L"after").c_str()));
    ExpectRenamedTab(child, root_ / L"after", L"after", L"content.txt");
    // The renamed folder is watched in turn.
    ASSERT_TRUE(MakeFile(root_ / L"after" + L"\\later.txt"));
    EXPECT_TRUE(WaitForName(child, L"later.txt"));
}

TEST_F(FolderViewChanges, RenamingTheShownFolderThroughTheShellKeepsTheTab) {
    const std::wstring shown = root_ / L"before";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeFile(shown + L"\\content.txt"));
    HWND child = Open(shown);
    ASSERT_EQ(ShellOperation(FO_RENAME, shown, root_ / L"名前変更後"), 0);
    ExpectRenamedTab(child, root_ / L"名前変更後", L"名前変更後", L"content.txt");
    Fence(child, root_ / L"名前変更後");
    EXPECT_EQ(Children().size(), 1u);
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"content.txt"});
}

TEST_F(FolderViewChanges, RenamingTheShownFolderOutsideWineKeepsTheTab) {
    if (!CanRunUnixCommands()) GTEST_SKIP() << "Unix commands run only under Wine";
    const std::wstring shown = root_ / L"before";
    ASSERT_TRUE(MakeDirectory(shown));
    ASSERT_TRUE(MakeFile(shown + L"\\content.txt"));
    HWND child = Open(shown);
    ASSERT_TRUE(RunUnixShell("mv '" + UnixPath(shown) + "' '" + UnixPath(root_.path()) + "/after'"));
    ExpectRenamedTab(child, root_ / L"after", L"after", L"content.txt");
}

TEST_F(FolderViewChanges, NavigatingAwayStopsTheOldFoldersUpdates) {
    const std::wstring first = root_ / L"first";
    const std::wstring second = root_ / L"second";
    ASSERT_TRUE(MakeDirectory(first));
    ASSERT_TRUE(MakeDirectory(second));
    HWND child = Open(first);
    ASSERT_TRUE(View(child)->BrowseTo(PidlOfPath(second).release(), true, nullptr));
    ASSERT_TRUE(MakeFile(first + L"\\stray.txt"));
    ASSERT_TRUE(MakeFile(second + L"\\mine.txt"));
    ASSERT_TRUE(WaitForName(child, L"mine.txt"));
    Fence(child, second);
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"mine.txt"});
}

}  // namespace
