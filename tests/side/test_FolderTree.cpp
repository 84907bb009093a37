// The folder tree: following the active tab, opening what is selected,
// lazy levels, renaming, refreshing and folders changed behind its back.

#include "tests/side/SideFixture.h"

#include "app/uFrameLink.h"
#include "shell/uContextMenuHost.h"

#include <filesystem>

namespace {

UINT g_chosenItem = 0;
UINT ChooseItem(HMENU, int, int, HWND) { return g_chosenItem; }

class FolderTree : public SideTest {
protected:
    void SetUp() override {
        SideTest::SetUp();
        if (HasFatalFailure()) return;
        FrameConfig().delayTime = 600000;  // the selection timer is fired by hand
        tracker_ = ContextMenuTrackerHook();
    }
    void TearDown() override {
        SetTreeFillStep(250);
        ContextMenuTrackerHook() = tracker_;
        SideTest::TearDown();
    }
    // Opens a node and waits until its level is listed and in the tree.
    void Expand(HTREEITEM item) {
        TreeView_Expand(tree_, item, TVE_EXPAND);
        EXPECT_TRUE(WaitUntil([] { return !FolderTreeFilling(); }, 20000));
    }
    // The node of the test's own root, expanded.
    HTREEITEM ExpandedRoot() {
        HTREEITEM root = SyncTo(root_);
        Expand(root);
        return root;
    }
    void PressKey(UINT key) {
        SendMessageW(tree_, WM_KEYDOWN, key, 0);
        SendMessageW(tree_, WM_KEYUP, key, 0xC0000001);
    }

    ContextMenuTracker tracker_ = nullptr;
};

TEST_F(FolderTree, FollowsTheActiveTabMakingTheLevelsOnTheWayAndOpensNothing) {
    const std::wstring deep = MakeFolder(L"a\\b\\c");
    OpenTab(deep);
    ShowFolderPane();
    HTREEITEM selected = TreeView_GetSelection(tree_);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(TreeText(tree_, selected), L"c");
    EXPECT_EQ(TreeText(tree_, TreeView_GetParent(tree_, selected)), L"b");
    EXPECT_EQ(TabCount(), 1) << "a sync opens nothing";

    // A navigation of the tab, and a switch to another tab, move the selection.
    const std::wstring other = MakeFolder(L"other");
    RequestNavigate(PidlOfPath(root_ + L"\\a").get(), OriginOther, TargetActive, nullptr);
    EXPECT_EQ(TreeText(tree_, TreeView_GetSelection(tree_)), L"a");
    OpenTab(other);
    EXPECT_EQ(TreeText(tree_, TreeView_GetSelection(tree_)), L"other");
    EXPECT_EQ(TabCount(), 2);
    NextTab(true);
    EXPECT_EQ(TreeText(tree_, TreeView_GetSelection(tree_)), L"a");
}

TEST_F(FolderTree, AFolderBehindAHiddenLevelStillGetsItsNode) {
    const std::wstring hidden = MakeFolder(L"secret\\inner");
    SetFileAttributesW((root_ + L"\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ShowFolderPane();
    ASSERT_FALSE(FolderTreeShowsHidden());
    HTREEITEM inner = SyncTo(hidden);
    EXPECT_EQ(TreeText(tree_, inner), L"inner");
    EXPECT_EQ(TreeText(tree_, TreeView_GetParent(tree_, inner)), L"secret");

    // The hidden switch lists it among its siblings from then on.
    MakeFolder(L"plain");
    Send(IDM_TREE_HIDDEN);
    EXPECT_TRUE(FolderTreeShowsHidden());
    EXPECT_EQ(ChildTexts(tree_, ExpandedRoot()), (std::vector<std::wstring>{L"plain", L"secret"}));
}

TEST_F(FolderTree, ALevelListsOnlyFoldersSortedAndItsChildrenWaitUntilOpened) {
    MakeFolder(L"cc\\deeper");
    MakeFolder(L"aa");
    MakeFolder(L"bb");
    std::filesystem::path file = root_ + L"\\zz.txt";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ShowFolderPane();
    HTREEITEM root = ExpandedRoot();
    EXPECT_EQ(ChildTexts(tree_, root), (std::vector<std::wstring>{L"aa", L"bb", L"cc"}));
    HTREEITEM cc = ChildNamed(tree_, root, L"cc");
    EXPECT_EQ(TreeView_GetChild(tree_, cc), nullptr) << "listed only when opened";
    Expand(cc);
    EXPECT_EQ(ChildTexts(tree_, cc), std::vector<std::wstring>{L"deeper"});
}

TEST_F(FolderTree, ALongLevelFillsInStepsWhileTheWindowAnswers) {
    for (int i = 0; i < 60; ++i) MakeFolder(L"f" + std::to_wstring(100 + 59 - i));
    ShowFolderPane();
    SetTreeFillStep(10);
    HTREEITEM root = SyncTo(root_);
    TreeView_Expand(tree_, root, TVE_EXPAND);
    EXPECT_EQ(TreeView_GetChild(tree_, root), nullptr) << "listed in the background, not while the window waits";
    EXPECT_TRUE(FolderTreeFilling());
    ASSERT_TRUE(WaitUntil([&] { return ChildTexts(tree_, root).size() == 60 && !FolderTreeFilling(); }, 20000));
    std::vector<std::wstring> texts = ChildTexts(tree_, root);
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end()));
    EXPECT_EQ(texts.front(), L"f100");
}

TEST_F(FolderTree, KeyboardSelectionOpensOnlyWhereItRestsWhenTheTimerFires) {
    MakeFolder(L"a");
    MakeFolder(L"b");
    MakeFolder(L"c");
    OpenTab(root_ + L"\\a");
    ShowFolderPane();
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PumpPending();
    EXPECT_EQ(TreeText(tree_, TreeView_GetSelection(tree_)), L"c");
    EXPECT_EQ(ActiveFolder(), root_ + L"\\a") << "nothing opens while the keys move";
    SendMessageW(Frame().folderTreePane, WM_TIMER, kTreeSelectTimerId, 0);
    EXPECT_EQ(ActiveFolder(), root_ + L"\\c");
    EXPECT_EQ(TabCount(), 1) << "no modifier: the active tab";
}

TEST_F(FolderTree, WithSyncEnterArrowsNeverOpenAndEnterOpensAndFocusesTheList) {
    MakeFolder(L"a");
    MakeFolder(L"b");
    HWND child = OpenTab(root_ + L"\\a");
    ShowFolderPane();
    FolderTreeConfig().syncEnter = true;
    FolderTreeConfig().focusList = true;
    PressKey(VK_DOWN);
    SendMessageW(Frame().folderTreePane, WM_TIMER, kTreeSelectTimerId, 0);
    EXPECT_EQ(ActiveFolder(), root_ + L"\\a");
    PressKey(VK_RETURN);
    EXPECT_EQ(ActiveFolder(), root_ + L"\\b");
    EXPECT_EQ(GetFocus(), ChildListView(child));
}

TEST_F(FolderTree, AMouseSelectionOpensInTheActiveTab) {
    MakeFolder(L"a");
    MakeFolder(L"b");
    OpenTab(root_ + L"\\a");
    ShowFolderPane();
    HTREEITEM b = ChildNamed(tree_, TreeView_GetParent(tree_, TreeView_GetSelection(tree_)), L"b");
    ASSERT_NE(b, nullptr);
    RECT rect{};
    TreeView_GetItemRect(tree_, b, &rect, TRUE);
    // The control follows the press until the button is up.
    PostMessageW(tree_, WM_LBUTTONUP, 0, MAKELPARAM(rect.left + 2, rect.top + 2));
    SendMessageW(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.left + 2, rect.top + 2));
    PumpPending();
    EXPECT_EQ(ActiveFolder(), root_ + L"\\b");
    EXPECT_EQ(TabCount(), 1);
}

TEST_F(FolderTree, RenamingInPlaceRenamesTheFolderAndARefusedNameKeepsTheLabel) {
    MakeFolder(L"old\\inside");
    MakeFolder(L"taken");
    ShowFolderPane();
    HTREEITEM node = SyncTo(root_ + L"\\old");
    Expand(node);
    HWND edit = TreeView_EditLabel(tree_, node);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"new");
    TreeView_EndEditLabelNow(tree_, FALSE);
    EXPECT_TRUE(std::filesystem::is_directory(root_ + L"\\new"));
    EXPECT_EQ(TreeText(tree_, node), L"new");
    Expand(node);
    EXPECT_EQ(ChildTexts(tree_, node), std::vector<std::wstring>{L"inside"}) << "listed again under its new name";

    DialogWatcher dialogs;
    edit = TreeView_EditLabel(tree_, node);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"taken");
    TreeView_EndEditLabelNow(tree_, FALSE);
    EXPECT_EQ(TreeText(tree_, node), L"new");
    EXPECT_TRUE(std::filesystem::is_directory(root_ + L"\\new"));
}

TEST_F(FolderTree, RefreshDropsVanishedChildrenAndAddsNewOnesInOrder) {
    MakeFolder(L"b");
    MakeFolder(L"gone");
    ShowFolderPane();
    HTREEITEM root = ExpandedRoot();
    ASSERT_EQ(ChildTexts(tree_, root), (std::vector<std::wstring>{L"b", L"gone"}));
    RemoveDirectoryW((root_ + L"\\gone").c_str());
    MakeFolder(L"a");
    SetFocus(tree_);
    Send(IDM_REFRESH);
    EXPECT_EQ(ChildTexts(tree_, root), (std::vector<std::wstring>{L"a", L"b"}));
}

// Plain file functions are seen by no shell notification under every
// platform: the watcher of an expanded folder must bring them.
TEST_F(FolderTree, FoldersMadeRenamedMovedAndRemovedBehindItsBackFollowWithinSeconds) {
    MakeFolder(L"left\\open\\leaf");
    MakeFolder(L"right");
    ShowFolderPane();
    HTREEITEM root = ExpandedRoot();
    HTREEITEM left = ChildNamed(tree_, root, L"left");
    HTREEITEM right = ChildNamed(tree_, root, L"right");
    Expand(left);
    Expand(right);
    Expand(ChildNamed(tree_, left, L"open"));

    ASSERT_TRUE(CreateDirectoryW((root_ + L"\\made").c_str(), nullptr));
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(tree_, root, L"made") != nullptr; }, 10000));
    ASSERT_TRUE(MoveFileW((root_ + L"\\made").c_str(), (root_ + L"\\named").c_str()));
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(tree_, root) == std::vector<std::wstring>{L"left", L"named", L"right"}; },
                          10000));
    // A rename into another folder moves the node; the open one goes with its level.
    ASSERT_TRUE(MoveFileW((root_ + L"\\left\\open").c_str(), (root_ + L"\\right\\open").c_str()));
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(tree_, left).empty(); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(tree_, right, L"open") != nullptr; }, 10000));
    std::filesystem::remove_all(root_ + L"\\right");
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(tree_, root) == std::vector<std::wstring>{L"left", L"named"}; }, 10000));
}

TEST_F(FolderTree, TheContextMenusOwnItemOpensTheNodeInANewTab) {
    MakeFolder(L"a");
    MakeFolder(L"b");
    OpenTab(root_ + L"\\a");
    ShowFolderPane();
    SyncTo(root_ + L"\\b");
    g_chosenItem = IDM_TREE_OPEN_NEW_TAB;
    ContextMenuTrackerHook() = ChooseItem;
    SetFocus(tree_);
    Send(IDM_CONTEXT_MENU);
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(ActiveFolder(), root_ + L"\\b");
}

TEST_F(FolderTree, WithTheColourGroupOnAHiddenSystemFolderTakesTheLaterColour) {
    MakeFolder(L"plain");
    const std::wstring marked = MakeFolder(L"marked");
    SetFileAttributesW(marked.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ColorConfig().tvColorGroup = true;
    ColorConfig().hidden = RGB(1, 2, 3);
    ColorConfig().system = RGB(4, 5, 6);
    ShowFolderPane();
    auto drawnColour = [&](HTREEITEM item) {
        TVITEMW query{};
        query.mask = TVIF_PARAM | TVIF_HANDLE;
        query.hItem = item;
        TreeView_GetItem(tree_, &query);
        NMTVCUSTOMDRAW draw{};
        draw.nmcd.hdr = {tree_, 1, static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.lItemlParam = query.lParam;
        draw.clrText = RGB(9, 9, 9);
        SendMessageW(Frame().folderTreePane, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&draw));
        return draw.clrText;
    };
    EXPECT_EQ(drawnColour(SyncTo(marked)), RGB(4, 5, 6));
    EXPECT_EQ(drawnColour(SyncTo(root_ + L"\\plain")), RGB(9, 9, 9));
}

TEST_F(FolderTree, TheHomeCommandSelectsTheFirstNode) {
    MakeFolder(L"a");
    ShowFolderPane();
    HTREEITEM a = SyncTo(root_ + L"\\a");
    ASSERT_NE(a, TreeView_GetRoot(tree_));
    SetFocus(tree_);
    Send(IDM_LIST_TOP);
    EXPECT_EQ(TreeView_GetSelection(tree_), TreeView_GetRoot(tree_));
}

}  // namespace
