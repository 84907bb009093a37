// Favorite groups: stored as numbered subkeys with an order, listed in the
// group submenu, opened by their commands, edited in the dialogs.

#include "tests/mainwnd/CommandFixture.h"

#include "app/uReg.h"
#include "favgroup/dFavoriteGroup.h"
#include "favgroup/uFavoriteGroup.h"
#include "res/resource.h"
#include "tests/support/MessageBoxAnswerer.h"

namespace {

class FavoriteGroups : public CommandTest {
protected:
    // Groups named after their folders, each with those folders in order.
    int Group(const std::wstring& name, const std::vector<std::wstring>& paths) {
        std::vector<UniqueAbsolutePidl> owned;
        std::vector<PCIDLIST_ABSOLUTE> folders;
        for (const std::wstring& path : paths) {
            owned.push_back(PidlOfPath(path));
            folders.push_back(owned.back().get());
        }
        return CreateGroup(name, folders);
    }

    std::vector<std::wstring> TabPaths() {
        std::vector<std::wstring> paths;
        for (int i = 0; i < TabCount(); ++i) paths.push_back(ShownFolder(TabChild(i)));
        return paths;
    }

    static std::vector<std::wstring> MenuTexts(HMENU menu, std::vector<UINT>* ids = nullptr) {
        std::vector<std::wstring> texts;
        for (int i = 3, count = GetMenuItemCount(menu); i < count; ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, i, text, 128, MF_BYPOSITION);
            texts.push_back(text);
            if (ids) ids->push_back(GetMenuItemID(menu, i));
        }
        return texts;
    }

    HWND Modeless(const wchar_t* name, DLGPROC proc, LPARAM parameter = 0) {
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), name, frame_, proc, parameter);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    static void Click(HWND dialog, int id) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
};

TEST_F(FavoriteGroups, ADeletedNumberIsTakenAgainAndReachedByItsCommand) {
    const std::wstring a = MakeFolder(L"a");
    EXPECT_EQ(Group(L"zero", {a}), 0);
    EXPECT_EQ(Group(L"one", {a}), 1);
    EXPECT_EQ(Group(L"two", {a}), 2);
    DeleteGroup(1);
    const std::wstring b = MakeFolder(L"b");
    EXPECT_EQ(Group(L"again", {b}), 1);
    EXPECT_EQ(GroupOrder(), (std::vector<int>{0, 1, 2, 1})) << "the order is the organiser's to clean";
    Send(IDM_GROUP_FIRST + 1);
    PumpPending();
    EXPECT_EQ(TabPaths(), (std::vector<std::wstring>{b}));
}

TEST_F(FavoriteGroups, TheMenuListsTheGroupsInOrderAndSkipsHostileEntries) {
    const std::wstring a = MakeFolder(L"a");
    Group(L"first", {a});
    Group(L"second", {a});
    // A number without a subkey, one beyond the commands, and a repeat.
    WriteGroupOrder({1, 7, 250, 0});
    UniqueRegKey hostile;
    ASSERT_TRUE(SettingsCreate(std::wstring(SettingsArea::FavoriteGroup) + L"\\250", hostile));
    SettingsWriteText(hostile.get(), L"Name", L"unreachable");

    HMENU menu = Submenu(IDM_GROUPS_MENU);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(menu).size(), 10u) << "the resource's placeholders before the first fill";
    Prepare(menu);
    std::vector<UINT> ids;
    EXPECT_EQ(MenuTexts(menu, &ids), (std::vector<std::wstring>{L"&0 second", L"&3 first"}));
    EXPECT_EQ(ids, (std::vector<UINT>{IDM_GROUP_FIRST + 1, IDM_GROUP_FIRST + 0}));
}

TEST_F(FavoriteGroups, CorruptStoredFoldersOpenNothingAndDoNotStopTheRest) {
    const std::wstring a = MakeFolder(L"a");
    const int number = Group(L"g", {a});
    UniqueRegKey folders;
    ASSERT_TRUE(SettingsCreate(std::wstring(SettingsArea::FavoriteGroup) + L"\\0\\PIDLs", folders));
    const BYTE junk[] = {0xFF, 0xFF, 0x01};
    RegSetValueExW(folders.get(), L"0", 0, REG_BINARY, junk, sizeof(junk));
    Send(IDM_GROUP_FIRST + number);
    PumpPending();
    EXPECT_LE(TabCount(), 1);
    Send(IDM_GROUP_FIRST + 150);  // no such group
    PumpPending();
    EXPECT_LE(TabCount(), 1);
}

TEST_F(FavoriteGroups, RightOfTheCurrentTabTheGroupStandsInOrderAndTheCurrentTabStaysActive) {
    const std::wstring x = MakeFolder(L"x"), y = MakeFolder(L"y");
    const std::wstring a = MakeFolder(L"a"), b = MakeFolder(L"b"), c = MakeFolder(L"c");
    OpenTab(x);
    HWND current = OpenTab(y);
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(TabChild(0)), 0);
    current = TabChild(0);
    TabBar().settings.addPos = 2;
    Send(IDM_GROUP_FIRST + Group(L"abc", {a, b, c}));
    PumpPending();
    EXPECT_EQ(TabPaths(), (std::vector<std::wstring>{x, a, b, c, y}));
    EXPECT_EQ(ActiveChild(), current);

    TabBar().settings.addPos = 0;
    CloseAll();
    PumpPending();
    ASSERT_EQ(TabCount(), 0);
    Send(IDM_GROUP_FIRST + 0);
    PumpPending();
    EXPECT_EQ(TabPaths(), (std::vector<std::wstring>{a, b, c})) << "without a tab, appended in order";
    EXPECT_EQ(ActiveChild(), TabChild(0));
    EXPECT_EQ(TabBar().settings.addPos, 0);
}

TEST_F(FavoriteGroups, AppendedGroupsActivateNothingWhileATabIsActive) {
    const std::wstring x = MakeFolder(L"x"), a = MakeFolder(L"a"), b = MakeFolder(L"b");
    HWND current = OpenTab(x);
    TabBar().settings.addPos = 1;
    Send(IDM_GROUP_FIRST + Group(L"ab", {a, b}));
    PumpPending();
    EXPECT_EQ(TabPaths(), (std::vector<std::wstring>{x, a, b}));
    EXPECT_EQ(ActiveChild(), current);
}

TEST_F(FavoriteGroups, AddingTheTabsSkipsSearchTabsAndNeedsATab) {
    HWND dialog = Modeless(kAddGroupDialog, AddGroupDialogProc);
    wchar_t name[64] = {};
    GetDlgItemTextW(dialog, IDC_GROUP_NEW_NAME, name, 64);
    EXPECT_STREQ(name, L"新しいグループ");
    Click(dialog, IDOK);
    DestroyWindow(dialog);
    EXPECT_FALSE(GroupExists(0)) << "no tab, nothing stored";

    const std::wstring a = MakeFolder(L"a"), b = MakeFolder(L"b");
    OpenTab(a);
    OpenSearchTab();
    OpenTab(b);
    dialog = Modeless(kAddGroupDialog, AddGroupDialogProc);
    SetDlgItemTextW(dialog, IDC_GROUP_NEW_NAME, L"mine");
    Click(dialog, IDOK);
    DestroyWindow(dialog);
    EXPECT_EQ(GroupName(0), L"mine");
    std::vector<UniqueAbsolutePidl> folders = GroupFolders(0);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(PathOfPidl(folders[0].get()), a);
    EXPECT_EQ(PathOfPidl(folders[1].get()), b);
    EXPECT_EQ(GroupOrder(), std::vector<int>{0});
}

TEST_F(FavoriteGroups, EscapeInTheOrganiserKeepsTheNewOrderAndDeletingLeavesIt) {
    const std::wstring a = MakeFolder(L"a");
    Group(L"g0", {a});
    Group(L"g1", {a});
    Group(L"g2", {a});
    HWND dialog = Modeless(kOrganizeGroupsDialog, OrganizeGroupsDialogProc);
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    Click(dialog, IDC_GROUP_UP);
    Click(dialog, IDC_GROUP_UP);
    Click(dialog, IDC_GROUP_UP);  // at the top: nothing
    {
        MessageBoxAnswerer answer(IDOK);
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        Click(dialog, IDC_GROUP_DELETE);
        EXPECT_TRUE(answer.Answered());
        EXPECT_EQ(answer.Text(), L"削除しますか?");
    }
    EXPECT_FALSE(GroupExists(0)) << "deleted at once";
    Click(dialog, IDCANCEL);
    DestroyWindow(dialog);
    EXPECT_EQ(GroupOrder(), (std::vector<int>{2, 1}));
}

TEST_F(FavoriteGroups, TheEditorStoresANamedGroupWithFoldersOnly) {
    const std::wstring a = MakeFolder(L"a"), b = MakeFolder(L"b");
    Group(L"old", {a, b});
    HWND dialog = Modeless(kGroupEditorDialog, GroupEditorDialogProc, 0);
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    Click(dialog, IDC_GROUP_DOWN);
    SetDlgItemTextW(dialog, IDC_GROUP_NAME, L"");
    Click(dialog, IDOK);
    EXPECT_EQ(GroupName(0), L"old") << "an empty name stores nothing";
    SetDlgItemTextW(dialog, IDC_GROUP_NAME, L"new");
    Click(dialog, IDOK);
    DestroyWindow(dialog);
    EXPECT_EQ(GroupName(0), L"new");
    std::vector<UniqueAbsolutePidl> folders = GroupFolders(0);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(PathOfPidl(folders[0].get()), b);
    EXPECT_EQ(PathOfPidl(folders[1].get()), a);

    dialog = Modeless(kGroupEditorDialog, GroupEditorDialogProc, -1);
    SetDlgItemTextW(dialog, IDC_GROUP_NAME, L"empty");
    Click(dialog, IDOK);
    DestroyWindow(dialog);
    EXPECT_FALSE(GroupExists(1)) << "a new group needs a folder";
}

}  // namespace
