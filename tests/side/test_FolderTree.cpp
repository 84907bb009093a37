// The folder tree: following the active tab, opening what is selected,
// lazy levels, renaming, refreshing and folders changed behind its back.

#include "tests/side/SideFixture.h"

#include "app/uFrameLink.h"
#include "shell/hDataObject.h"
#include "shell/hOledd.h"
#include "shell/uContextMenuHost.h"
#include "tests/support/RemoveTree.h"

#include <atomic>
#include <filesystem>
#include <thread>

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

POINT CenterOf(HWND tree, HTREEITEM item) {
    RECT rect{};
    TreeView_GetItemRect(tree, item, &rect, TRUE);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINTL ScreenCenterOf(HWND tree, HTREEITEM item) {
    POINT point = CenterOf(tree, item);
    ClientToScreen(tree, &point);
    return POINTL{point.x, point.y};
}

bool Expanded(HWND tree, HTREEITEM item) {
    return (TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// The child `name` of `parent`, on screen to be pointed at.
HTREEITEM ShownChild(HWND tree, HTREEITEM parent, const std::wstring& name) {
    HTREEITEM child = ChildNamed(tree, parent, name);
    if (child) TreeView_EnsureVisible(tree, child);
    return child;
}

UINT g_dropMenuItems = 0;
UINT CancelDropMenu(HMENU menu, int, int, HWND) {
    g_dropMenuItems = static_cast<UINT>(GetMenuItemCount(menu));
    return 0;
}

// Runs a Linux program, outside Wine's file functions and its notifications.
// Its process handle is not Wine's to give, so the caller waits for its effect.
bool RunLinux(const std::wstring& program, const std::vector<std::wstring>& windowsPaths) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    auto unixName =
        reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (!unixName) return false;
    std::wstring command = L"Z:\\bin\\" + program;
    for (const std::wstring& path : windowsPaths) {
        char* name = unixName(path.c_str());
        if (!name) return false;
        wchar_t wide[MAX_PATH * 2] = {};
        MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, MAX_PATH * 2);
        HeapFree(GetProcessHeap(), 0, name);
        command += L" \"" + std::wstring(wide) + L"\"";
    }
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    return true;
}

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
    EXPECT_TRUE(Expanded(tree_, cc)) << "open once its children came";
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
    RemoveTree(root_ + L"\\right");
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(tree_, root) == std::vector<std::wstring>{L"left", L"named"}; }, 10000));
}

TEST_F(FolderTree, FoldersMadeMovedAndRemovedByALinuxProcessFollow) {
    MakeFolder(L"keep");
    ShowFolderPane();
    HTREEITEM root = ExpandedRoot();
    ASSERT_TRUE(RunLinux(L"mkdir", {root_ + L"\\linux 日本"}));
    EXPECT_TRUE(WaitUntil([&] { return ChildNamed(tree_, root, L"linux 日本") != nullptr; }, 10000));
    ASSERT_TRUE(RunLinux(L"mv", {root_ + L"\\linux 日本", root_ + L"\\moved"}));
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(tree_, root) == std::vector<std::wstring>{L"keep", L"moved"}; }, 10000));
    ASSERT_TRUE(RunLinux(L"rmdir", {root_ + L"\\moved"}));
    EXPECT_TRUE(WaitUntil([&] { return ChildTexts(tree_, root) == std::vector<std::wstring>{L"keep"}; }, 10000));
}

// The hover rules: the node under a drag is marked, asked again only when
// the keys change, opened after the delay, and takes the drop into its folder.
TEST_F(FolderTree, ANodeHoveredByADragOpensAfterTheDelayAndTakesTheDrop) {
    MakeFolder(L"target\\inner");
    ASSERT_TRUE(CreateDirectoryW((root_ + L"\\from").c_str(), nullptr));
    const std::wstring file = root_ + L"\\from\\a & 日本.txt";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ShowFolderPane();
    HTREEITEM node = ShownChild(tree_, ExpandedRoot(), L"target");
    ASSERT_NE(node, nullptr);
    IDropTarget* drop = FolderTreeDropTarget();
    ASSERT_NE(drop, nullptr);
    FolderTreeConfig().dragTime = 600000;
    auto data = ComPtr<IDataObject>::attach(new TFileDataObject({file}));
    const POINTL point = ScreenCenterOf(tree_, node);
    constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

    DWORD effect = kAll;
    ASSERT_EQ(drop->DragEnter(data.get(), MK_LBUTTON | MK_CONTROL, point, &effect), S_OK);
    effect = kAll;
    drop->DragOver(MK_LBUTTON | MK_CONTROL, point, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(TreeView_GetDropHilight(tree_), node);
    effect = kAll;
    drop->DragOver(MK_LBUTTON, point, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "Ctrl let go: asked again";
    EXPECT_FALSE(Expanded(tree_, node)) << "before the delay";

    FolderTreeConfig().dragTime = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            DWORD over = kAll;
            drop->DragOver(MK_LBUTTON | MK_CONTROL, point, &over);
            return Expanded(tree_, node);
        },
        10000));
    EXPECT_TRUE(WaitUntil([] { return !FolderTreeFilling(); }, 20000));
    EXPECT_EQ(ChildTexts(tree_, node), std::vector<std::wstring>{L"inner"});

    effect = kAll;
    drop->DragOver(MK_LBUTTON | MK_CONTROL, ScreenCenterOf(tree_, node), &effect);
    effect = kAll;
    ASSERT_EQ(drop->Drop(data.get(), MK_CONTROL, ScreenCenterOf(tree_, node), &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(std::filesystem::exists(root_ + L"\\target\\a & 日本.txt"));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(TreeView_GetDropHilight(tree_), nullptr);
}

// The button is up when the drop comes; the target still learns that the
// right one carried the drag, and asks what to do.
TEST_F(FolderTree, ARightButtonDropOnANodeAsksWhatToDo) {
    MakeFolder(L"target");
    const std::wstring file = root_ + L"\\a.txt";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ShowFolderPane();
    HTREEITEM node = ShownChild(tree_, ExpandedRoot(), L"target");
    auto data = ComPtr<IDataObject>::attach(new TFileDataObject({file}));
    IDropTarget* drop = FolderTreeDropTarget();
    const POINTL point = ScreenCenterOf(tree_, node);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    drop->DragEnter(data.get(), MK_RBUTTON, point, &effect);
    drop->DragOver(MK_RBUTTON, point, &effect);
    ContextMenuTrackerHook() = CancelDropMenu;
    g_dropMenuItems = 0;
    drop->Drop(data.get(), 0, point, &effect);
    EXPECT_GT(g_dropMenuItems, 0u);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << "cancelled";
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(root_ + L"\\target\\a.txt"));
}

struct TreeDragSeen {
    DWORD allowed = 0;
    std::vector<std::wstring> files;
} g_treeDrag;

HRESULT RecordTreeDrag(HWND, IDataObject* data, DWORD allowed, DWORD* effect) {
    g_treeDrag.allowed = allowed;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        wchar_t path[MAX_PATH] = {};
        for (UINT i = 0, n = DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0xFFFFFFFF, nullptr, 0); i < n; ++i)
            if (DragQueryFileW(static_cast<HDROP>(medium.hGlobal), i, path, MAX_PATH)) g_treeDrag.files.push_back(path);
        ReleaseStgMedium(&medium);
    }
    *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
}

TEST_F(FolderTree, DraggingANodeHandsItsFolderToTheDragLoop) {
    MakeFolder(L"dragged");
    ShowFolderPane();
    HTREEITEM node = ChildNamed(tree_, ExpandedRoot(), L"dragged");
    g_treeDrag = {};
    const DragLoop saved = DragLoopHook();
    DragLoopHook() = RecordTreeDrag;
    NMTREEVIEWW begin{};
    begin.hdr = {tree_, static_cast<UINT_PTR>(GetDlgCtrlID(tree_)), TVN_BEGINRDRAGW};
    begin.itemNew.hItem = node;
    SendMessageW(GetParent(tree_), WM_NOTIFY, begin.hdr.idFrom, reinterpret_cast<LPARAM>(&begin));
    DragLoopHook() = saved;
    EXPECT_EQ(g_treeDrag.allowed, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
    EXPECT_EQ(g_treeDrag.files, std::vector<std::wstring>{root_ + L"\\dragged"});
}

TEST_F(FolderTree, TheMiddleButtonSelectsAndOpensTheNodeByItsOpenMethod) {
    MakeFolder(L"a");
    MakeFolder(L"b");
    OpenTab(root_ + L"\\a");
    ShowFolderPane();
    HTREEITEM root = ExpandedRoot();
    HTREEITEM b = ChildNamed(tree_, root, L"b");
    const POINT at = CenterOf(tree_, b);
    SendMessageW(tree_, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(at.x, at.y));
    EXPECT_EQ(TreeView_GetSelection(tree_), b);
    EXPECT_EQ(TabCount(), 1) << "pressing opens nothing";
    SendMessageW(tree_, WM_MBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    PumpPending();
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(ActiveFolder(), root_ + L"\\b");

    FolderTreeConfig().middleClickOpenMethod = 3;
    const POINT other = CenterOf(tree_, ChildNamed(tree_, root, L"a"));
    SendMessageW(tree_, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(other.x, other.y));
    SendMessageW(tree_, WM_MBUTTONUP, 0, MAKELPARAM(other.x, other.y));
    PumpPending();
    EXPECT_EQ(TabCount(), 2);
}

TEST_F(FolderTree, TheExtendedRenameRenamesTheNodesFolderAndTheNodeFollows) {
    MakeFolder(L"old");
    ShowFolderPane();
    HTREEITEM root = ExpandedRoot();
    TreeView_SelectItem(tree_, ChildNamed(tree_, root, L"old"));
    std::atomic<bool> typed{false};
    std::thread hand([&] {
        WaitUntil(
            [&] {
                HWND dialog = FindWindowW(L"#32770", L"リネーム");
                if (!dialog || !IsWindowVisible(GetDlgItem(dialog, IDC_RENAME_WHOLE))) return false;
                SetDlgItemTextW(dialog, IDC_RENAME_WHOLE, L"new");
                typed = true;
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return true;
            },
            20000);
    });
    SetFocus(tree_);
    Send(IDM_EXTENDED_RENAME);
    hand.join();
    ASSERT_TRUE(typed);
    EXPECT_TRUE(std::filesystem::is_directory(root_ + L"\\new"));
    EXPECT_EQ(ChildTexts(tree_, root), std::vector<std::wstring>{L"new"});
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
