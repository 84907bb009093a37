// Where the routing sends a command: the aimed pane, the focused tree, the
// active child; history, lock, refresh, view modes, tabs and the closed folders.

#include "tests/mainwnd/CommandFixture.h"

#include "app/uMessageLoop.h"
#include "app/uReg.h"
#include "folderview/uFolderViewSettings.h"
#include "mdi/uClosedFolders.h"
#include "res/resource.h"

namespace {

class CommandRouting : public CommandTest {
protected:
    // Two tabs on sub-folders: a/inner (first) and b/inner (second, active).
    void OpenTwo() {
        aInner_ = MakeFolder(L"a\\inner");
        bInner_ = MakeFolder(L"b\\inner");
        first_ = OpenTab(aInner_);
        second_ = OpenTab(bInner_);
        ASSERT_TRUE(first_ && second_);
        ASSERT_EQ(ActiveChild(), second_);
    }
    HWND ListOf(HWND child) { return ChildListView(child); }

    std::wstring aInner_, bInner_;
    HWND first_ = nullptr, second_ = nullptr;
};

std::vector<WORD> g_treeCommands;
bool g_treeAnswer = true;

bool RecordTreeCommand(WORD command) {
    g_treeCommands.push_back(command);
    return g_treeAnswer;
}

TEST_F(CommandRouting, AnItemCommandGoesToTheListWithTheFocus) {
    OpenTwo();
    SetFocus(ListOf(second_));
    Send(IDM_GO_UP);
    EXPECT_EQ(ShownFolder(second_), root_ + L"\\b");
    EXPECT_EQ(ShownFolder(first_), aInner_);
}

TEST_F(CommandRouting, AnAimedItemCommandGoesToItsListWhateverHasTheFocus) {
    OpenTwo();
    SetFocus(ListOf(second_));
    Send(Aimed(IDM_GO_UP), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_EQ(ShownFolder(first_), root_ + L"\\a");
    EXPECT_EQ(ShownFolder(second_), bInner_);
}

TEST_F(CommandRouting, AFocusedTreeThatTakesTheCommandKeepsItFromTheList) {
    OpenTwo();
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    Routing().folderTreeCommand = RecordTreeCommand;
    g_treeCommands.clear();
    g_treeAnswer = true;
    SetFocus(tree);
    Send(IDM_DELETE);
    Send(IDM_GO_UP);
    EXPECT_EQ(g_treeCommands, (std::vector<WORD>{IDM_DELETE, IDM_GO_UP}));
    EXPECT_EQ(ShownFolder(second_), bInner_) << "the list kept its folder";

    g_treeAnswer = false;
    Send(IDM_GO_UP);
    EXPECT_EQ(ShownFolder(second_), root_ + L"\\b") << "a command the tree declines goes on to the active view";
}

TEST_F(CommandRouting, AnAimedCommandWithAListIgnoresTheFocusedTree) {
    OpenTwo();
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    Routing().folderTreeCommand = RecordTreeCommand;
    g_treeCommands.clear();
    g_treeAnswer = true;
    SetFocus(tree);
    Send(Aimed(IDM_GO_UP), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_TRUE(g_treeCommands.empty());
    EXPECT_EQ(ShownFolder(first_), root_ + L"\\a");
    Send(Aimed(IDM_DELETE), reinterpret_cast<LPARAM>(tree));
    EXPECT_EQ(g_treeCommands, (std::vector<WORD>{IDM_DELETE}));
}

// A search result list as the search unit will make one: a list box standing
// in for its list view.
class StandInResults : public TMDIChildContent {
public:
    explicit StandInResults(HWND parent) {
        ListView = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kSearchListId)),
                                   GetModuleHandleW(nullptr), nullptr);
    }
    void Show(bool visible) override { ShowWindow(ListView, visible ? SW_SHOW : SW_HIDE); }
    void Resize(int width, int height) override { MoveWindow(ListView, 0, 0, width, height, TRUE); }
};

std::vector<std::pair<HWND, WORD>> g_listCommands;

TEST_F(CommandRouting, DeleteGoesToTheFocusedTreeUnlessAimedAtAList) {
    SetSearchListMaker([](TMDIChildView& view) -> std::unique_ptr<TMDIChildContent> {
        return std::make_unique<StandInResults>(view.Window);
    });
    ASSERT_NE(OpenTab(MakeFolder(L"folder")), nullptr);
    HWND search = OpenSearchTab();
    ASSERT_NE(search, nullptr);
    HWND results = ChildViewOf(search)->SearchList->ListView;
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    Routing().folderTreeCommand = RecordTreeCommand;
    Routing().searchListCommand = [](TMDIChildContent& list, WORD command) {
        g_listCommands.emplace_back(list.ListView, command);
    };
    g_treeCommands.clear();
    g_listCommands.clear();
    g_treeAnswer = true;
    SetFocus(tree);

    Send(IDM_DELETE);
    EXPECT_EQ(g_treeCommands, (std::vector<WORD>{IDM_DELETE}));
    EXPECT_TRUE(g_listCommands.empty()) << "the tree took it; the active list never sees it";

    g_treeCommands.clear();
    Send(Aimed(IDM_DELETE), reinterpret_cast<LPARAM>(results));
    EXPECT_TRUE(g_treeCommands.empty()) << "aimed at a list, the focused tree is passed over";
    EXPECT_EQ(g_listCommands, (std::vector<std::pair<HWND, WORD>>{{results, IDM_DELETE}}));
    EXPECT_EQ(GetFocus(), tree);

    SetSearchListMaker(nullptr);
}

TEST_F(CommandRouting, BackAndForwardStepThroughTheActiveChildsHistory) {
    const std::wstring inner = MakeFolder(L"x\\inner");
    HWND child = OpenTab(inner);
    ASSERT_NE(child, nullptr);
    Send(IDM_GO_UP);
    ASSERT_EQ(ShownFolder(child), root_ + L"\\x");
    ASSERT_EQ(ActiveChildView()->BackList.Count(), 1);

    Send(IDM_BACK);
    EXPECT_EQ(ShownFolder(child), inner);
    EXPECT_EQ(ActiveChildView()->ForwardList.Count(), 1);
    Send(IDM_BACK);
    EXPECT_EQ(ShownFolder(child), inner) << "nothing further back";

    Send(IDM_FORWARD);
    EXPECT_EQ(ShownFolder(child), root_ + L"\\x");
    EXPECT_EQ(ActiveChildView()->ForwardList.Count(), 0);
}

TEST_F(CommandRouting, AnAimedBackMovesTheListsOwnChild) {
    OpenTwo();
    Send(Aimed(IDM_GO_UP), reinterpret_cast<LPARAM>(ListOf(first_)));
    ASSERT_EQ(ShownFolder(first_), root_ + L"\\a");
    Send(Aimed(IDM_BACK), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_EQ(ShownFolder(first_), aInner_);
    EXPECT_EQ(ShownFolder(second_), bInner_);
}

TEST_F(CommandRouting, TheLockCommandTogglesTheAimedChildsLock) {
    OpenTwo();
    Send(Aimed(IDM_NAVIGATE_LOCK), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_TRUE(ChildViewOf(first_)->NavigateLock);
    EXPECT_FALSE(ChildViewOf(second_)->NavigateLock);
    EXPECT_EQ(TabImage(TabIndexOf(first_)), kLockImage);
    Send(IDM_NAVIGATE_LOCK);
    EXPECT_TRUE(ChildViewOf(second_)->NavigateLock);
    Send(Aimed(IDM_NAVIGATE_LOCK), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_FALSE(ChildViewOf(first_)->NavigateLock);
}

TEST_F(CommandRouting, RefreshReadsTheFolderAgain) {
    const std::wstring folder = MakeFolder(L"refresh");
    HWND child = OpenTab(folder);
    ASSERT_NE(child, nullptr);
    TFolderView* view = ChildFolderView(child);
    const int before = view->ItemCount();
    // Written past the shell, so only a new enumeration shows it.
    HANDLE file = CreateFileW((folder + L"\\new.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    Send(IDM_REFRESH);
    EXPECT_EQ(view->ItemCount(), before + 1);
}

TEST_F(CommandRouting, TheViewModeCommandsChangeTheListStyle) {
    HWND child = OpenTab(MakeFolder(L"modes"));
    ASSERT_NE(child, nullptr);
    HWND list = ListOf(child);
    const struct {
        WORD command;
        DWORD style;
    } cases[] = {{IDM_VIEW_LARGE, LVS_ICON},
                 {IDM_VIEW_SMALL, LVS_SMALLICON},
                 {IDM_VIEW_LIST, LVS_LIST},
                 {IDM_VIEW_DETAILS, LVS_REPORT},
                 {IDM_VIEW_LARGE, LVS_ICON}};
    for (const auto& c : cases) {
        Send(c.command);
        EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, static_cast<LONG_PTR>(c.style)) << c.command;
        EXPECT_EQ(ChildFolderView(child)->ViewMode, c.command - IDM_VIEW_LARGE) << c.command;
    }
}

TEST_F(CommandRouting, TheClosedFolderMenuListsTwelveEntriesAndReopensTheChosenOne) {
    FrameConfig().closeHistoryCount = 20;
    std::vector<std::wstring> folders;
    for (int i = 0; i < 12; ++i) {
        folders.push_back(MakeFolder(L"closed" + std::to_wstring(i)));
        RecordClosed(PidlOfPath(folders.back()).get());
    }
    HMENU menu = Submenu(IDM_CLOSED_MENU);
    ASSERT_NE(menu, nullptr);
    Prepare(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 14);
    EXPECT_EQ(GetMenuItemID(menu, 0), UINT{IDM_REOPEN_LAST});
    for (int i = 0; i < 12; ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, 2 + i, text, 128, MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(menu, 2 + i), UINT{IDM_CLOSED_FIRST} + i);
        EXPECT_EQ(std::wstring(text), L"&" + std::to_wstring(i) + L" closed" + std::to_wstring(11 - i));
    }
    Prepare(menu);
    EXPECT_EQ(GetMenuItemCount(menu), 14) << "opening again does not pile up items";

    Send(IDM_CLOSED_FIRST + 5);
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(ShownFolder(TabChild(0)), folders[6]);
    EXPECT_EQ(App().closedFolders->Count(), 12) << "the entry stays";
}

TEST_F(CommandRouting, ReopenLastOpensTheNewestAndDropsIt) {
    const std::wstring older = MakeFolder(L"older");
    const std::wstring newer = MakeFolder(L"newer");
    RecordClosed(PidlOfPath(older).get());
    RecordClosed(PidlOfPath(newer).get());
    Send(IDM_REOPEN_LAST);
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(ShownFolder(TabChild(0)), newer);
    ASSERT_EQ(App().closedFolders->Count(), 1);
    EXPECT_EQ(PathOfPidl(StoredFolder(App().closedFolders->Get(0))), older);
}

TEST_F(CommandRouting, LockedTabsSurviveCloseAllUnlessLockedTabsMayClose) {
    for (const wchar_t* name : {L"one", L"two", L"three"}) ASSERT_NE(OpenTab(MakeFolder(name)), nullptr);
    HWND locked = TabChild(1);
    Send(Aimed(IDM_NAVIGATE_LOCK), reinterpret_cast<LPARAM>(ListOf(locked)));
    FrameConfig().navigateLockClose = false;
    Send(IDM_CLOSE_ALL);
    PumpPending();
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(TabChild(0), locked);

    FrameConfig().navigateLockClose = true;
    Send(IDM_CLOSE_ALL);
    PumpPending();
    EXPECT_EQ(TabCount(), 0);
}

TEST_F(CommandRouting, CloseRightAndLeftKeepTheFocusedTab) {
    for (const wchar_t* name : {L"one", L"two", L"three", L"four"}) ASSERT_NE(OpenTab(MakeFolder(name)), nullptr);
    HWND keep = TabChild(1);
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(keep), 0);
    Send(IDM_CLOSE_RIGHT);
    PumpPending();
    ASSERT_EQ(TabCount(), 2);
    Send(IDM_CLOSE_LEFT);
    PumpPending();
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(TabChild(0), keep);
}

TEST_F(CommandRouting, NextAndPreviousTabWrapAround) {
    for (const wchar_t* name : {L"one", L"two", L"three"}) ASSERT_NE(OpenTab(MakeFolder(name)), nullptr);
    ASSERT_EQ(SelectedTab(), 2);
    Send(IDM_NEXT_TAB);
    EXPECT_EQ(SelectedTab(), 0);
    EXPECT_EQ(ActiveChild(), TabChild(0));
    Send(IDM_PREVIOUS_TAB);
    EXPECT_EQ(SelectedTab(), 2);
    Send(IDM_PREVIOUS_TAB);
    EXPECT_EQ(SelectedTab(), 1);
}

TEST_F(CommandRouting, QuickOptionsAreCheckedAsTheyStandAndToggle) {
    HMENU menu = Submenu(IDM_QUICK_OPTIONS_MENU);
    ASSERT_NE(menu, nullptr);
    FolderViewSettings& views = FolderViewConfig();
    struct Switch {
        UINT id;
        bool* value;
    } switches[] = {{IDM_ALLOW_SAME_FOLDER, &views.AllowSameFolder},
                    {IDM_LIST_HIDDEN, &views.ShowHidden},
                    {IDM_LIST_TOOLTIPS, &views.PopupInfo},
                    {IDM_STATUS_INFO, &views.StatusInfo},
                    {IDM_ALLOW_RDRAG, &views.AllowRDrag},
                    {IDM_TREE_SYNC, &FrameConfig().treeSync}};
    for (const Switch& s : switches) {
        const bool before = *s.value;
        Prepare(menu);
        EXPECT_EQ(IsChecked(menu, s.id), before) << s.id;
        Send(s.id);
        EXPECT_EQ(*s.value, !before) << s.id;
        Prepare(menu);
        EXPECT_EQ(IsChecked(menu, s.id), !before) << s.id;
        Send(s.id);
    }
}

TEST_F(CommandRouting, TreeHiddenWithoutATreeFlipsTheStoredSwitch) {
    HMENU menu = Submenu(IDM_QUICK_OPTIONS_MENU);
    Prepare(menu);
    EXPECT_FALSE(IsChecked(menu, IDM_TREE_HIDDEN));
    Send(IDM_TREE_HIDDEN);
    UniqueRegKey key;
    ASSERT_TRUE(SettingsOpen(SettingsArea::FolderTree, key));
    EXPECT_TRUE(SettingsReadBool(key.get(), L"ShowHidden", false));
    Prepare(menu);
    EXPECT_TRUE(IsChecked(menu, IDM_TREE_HIDDEN));
}

TEST_F(CommandRouting, ShowingHiddenItemsRefreshesEveryView) {
    const std::wstring folder = MakeFolder(L"hidden");
    const std::wstring file = folder + L"\\secret.txt";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    FolderViewConfig().ShowHidden = false;
    HWND child = OpenTab(folder);
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(ChildFolderView(child)->ItemCount(), 0);
    Send(IDM_LIST_HIDDEN);
    EXPECT_EQ(ChildFolderView(child)->ItemCount(), 1);
    Send(IDM_LIST_HIDDEN);
    EXPECT_EQ(ChildFolderView(child)->ItemCount(), 0);
}

TEST_F(CommandRouting, TheWindowModeMenuMarksTheCurrentMode) {
    HMENU menu = Submenu(IDM_WINDOW_MODE_MENU);
    ASSERT_NE(menu, nullptr);
    const UINT byMode[] = {IDM_MODE_NORMAL, IDM_MODE_TAB, IDM_MODE_ROWS, IDM_MODE_COLUMNS};
    for (int mode = 0; mode < 4; ++mode) {
        FrameConfig().windowMode = mode;
        Prepare(menu);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(IsChecked(menu, byMode[other]), other == mode) << "mode " << mode << " item " << byMode[other];
    }
    FrameConfig().windowMode = 0;
}

TEST_F(CommandRouting, TheViewMenuMarksTheModeAndTheLock) {
    HMENU menu = Submenu(IDM_VIEW_MENU);
    ASSERT_NE(menu, nullptr);
    Prepare(menu);
    for (UINT id = IDM_VIEW_LARGE; id <= IDM_VIEW_THUMBNAILS; ++id)
        EXPECT_FALSE(IsChecked(menu, id)) << "no view: " << id;
    EXPECT_FALSE(IsChecked(menu, IDM_NAVIGATE_LOCK));

    ASSERT_NE(OpenTab(MakeFolder(L"view")), nullptr);
    Send(IDM_VIEW_LIST);
    Send(IDM_NAVIGATE_LOCK);
    Prepare(menu);
    for (UINT id = IDM_VIEW_LARGE; id <= IDM_VIEW_THUMBNAILS; ++id)
        EXPECT_EQ(IsChecked(menu, id), id == IDM_VIEW_LIST) << id;
    EXPECT_TRUE(IsChecked(menu, IDM_NAVIGATE_LOCK));
}

TEST_F(CommandRouting, NewWindowCommandsOpenTheDesktopAndACopyOfTheCurrentFolder) {
    const std::wstring folder = MakeFolder(L"copy");
    ASSERT_NE(OpenTab(folder), nullptr);
    Send(IDM_NEW_DESKTOP);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ChildFolder()->mkid.cb, 0) << "the desktop, active";
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(TabChild(0)), 0);
    FolderViewConfig().AllowSameFolder = true;
    Send(IDM_NEW_CURRENT);
    FolderViewConfig().AllowSameFolder = false;
    ASSERT_EQ(TabCount(), 3);
    EXPECT_EQ(ShownFolder(ActiveChild()), folder);
}

TEST_F(CommandRouting, FavoriteMenuItemsComeWithTheirFullIdentifierAndModifiers) {
    static UINT seen = 0;
    seen = 0;
    Routing().favoriteMenuItem = [](UINT id, BYTE) { seen = id; };
    Send(0x00A51234);
    EXPECT_EQ(seen, 0x00A51234u);
    seen = 0;
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, frame_, nullptr, nullptr, nullptr);
    Send(MAKEWPARAM(77, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(seen, 0u) << "a control's notification is no favorite";
}

TEST_F(CommandRouting, TheLinkBarGetsItsOwnButtonsCommands) {
    static WPARAM seen = 0;
    Routing().linkBarCommand = [](WPARAM wParam) { seen = wParam; };
    HWND bar = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame_, nullptr, nullptr, nullptr);
    Frame().linkBar = bar;
    ASSERT_NE(OpenTab(MakeFolder(L"link")), nullptr);
    // An identifier of the item range, which from anywhere else is an item command.
    Send(IDM_ITEM_FIRST, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(seen, UINT{IDM_ITEM_FIRST});
    EXPECT_EQ(ShownFolder(ActiveChild()), root_ + L"\\link") << "not an item command";
}

TEST_F(CommandRouting, DynamicRangesReachTheirRegisteredOwner) {
    static std::vector<UINT> seen;
    seen.clear();
    SetCommandHandler(IDM_LAUNCH_FIRST, IDM_LAUNCH_LAST, [](UINT id, HWND) { seen.push_back(id); });
    Send(IDM_LAUNCH_FIRST + 3);
    Send(IDM_RESERVED_FIRST + 100);  // reserved: nothing
    SetCommandHandler(IDM_LAUNCH_FIRST, IDM_LAUNCH_LAST, nullptr);
    Send(IDM_LAUNCH_FIRST + 4);
    EXPECT_EQ(seen, (std::vector<UINT>{IDM_LAUNCH_FIRST + 3}));
    EXPECT_EQ(Send(IDM_RESERVED_FIRST + 100), 0);
}

TEST_F(CommandRouting, TheThumbnailCommandWaitsForAVisibleSideBar) {
    static int calls = 0;
    calls = 0;
    SetCommandHandler(IDM_THUMBNAIL_PANE, IDM_THUMBNAIL_PANE, [](UINT, HWND) { ++calls; });
    Send(IDM_THUMBNAIL_PANE);
    EXPECT_EQ(calls, 0) << "no side bar";
    HWND side = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr, nullptr,
                                nullptr);
    Frame().sideBar = side;
    Send(IDM_THUMBNAIL_PANE);
    EXPECT_EQ(calls, 1);
    SetCommandHandler(IDM_THUMBNAIL_PANE, IDM_THUMBNAIL_PANE, nullptr);
    Frame().sideBar = nullptr;
    DestroyWindow(side);
}

TEST_F(CommandRouting, AddingToTheFavoritesNeedsTheFavoritesPane) {
    static int calls = 0;
    calls = 0;
    SetCommandHandler(IDM_ADD_FAVORITE, IDM_ADD_LINK, [](UINT, HWND) { ++calls; });
    ASSERT_NE(OpenTab(MakeFolder(L"fav")), nullptr);
    Send(IDM_ADD_FAVORITE);
    EXPECT_EQ(calls, 0);
    HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame_, nullptr, nullptr, nullptr);
    Frame().favoritePane = pane;
    Send(IDM_ADD_LINK);
    EXPECT_EQ(calls, 1);
    SetCommandHandler(IDM_ADD_FAVORITE, IDM_ADD_LINK, nullptr);
}

TEST_F(CommandRouting, TabFocusesTheActiveListAndTheFocusCommandsTheirPanes) {
    HWND child = OpenTab(MakeFolder(L"focus"));
    ASSERT_NE(child, nullptr);
    Send(IDM_FOCUS_TABS);
    EXPECT_EQ(GetFocus(), TabBar().tabs);
    Send(IDM_FOCUS_NEXT);
    EXPECT_EQ(GetFocus(), ListOf(child));
    Send(IDM_FOCUS_TABS);
    Send(IDM_FOCUS_PREVIOUS);
    EXPECT_EQ(GetFocus(), ListOf(child));
}

TEST_F(CommandRouting, TabFromTheListGoesToAVisibleTreeAndBack) {
    HWND child = OpenTab(MakeFolder(L"focus"));
    ASSERT_NE(child, nullptr);
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    SetFocus(ListOf(child));
    Send(IDM_FOCUS_NEXT);
    EXPECT_EQ(GetFocus(), tree);
    Send(IDM_FOCUS_NEXT);
    EXPECT_EQ(GetFocus(), ListOf(child));
    Send(IDM_FOCUS_PREVIOUS);
    EXPECT_EQ(GetFocus(), tree);
    Send(IDM_FOCUS_SIDE);
    EXPECT_EQ(GetFocus(), tree);
}

HWND g_firstPane = nullptr;
HWND g_secondPane = nullptr;

TEST_F(CommandRouting, InSplitModeTabGoesFromTheFirstPaneToTheSecondThenToTheTree) {
    OpenTwo();
    FrameConfig().windowMode = 2;
    g_firstPane = first_;
    g_secondPane = second_;
    Routing().firstPane = [] { return g_firstPane; };
    Routing().secondPane = [] { return g_secondPane; };
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first_), 0);
    SetFocus(ListOf(first_));

    Send(IDM_FOCUS_NEXT);
    EXPECT_EQ(ActiveChild(), second_);
    EXPECT_EQ(GetFocus(), ListOf(second_));
    Send(IDM_FOCUS_NEXT);
    EXPECT_EQ(GetFocus(), tree);
    Send(IDM_FOCUS_NEXT);
    EXPECT_EQ(ActiveChild(), first_) << "from a tree, the first pane";
    EXPECT_EQ(GetFocus(), ListOf(first_));
    Send(IDM_FOCUS_PREVIOUS);
    EXPECT_EQ(GetFocus(), tree) << "backwards from the first pane: the tree";
    Send(IDM_FOCUS_PREVIOUS);
    EXPECT_EQ(GetFocus(), ListOf(second_)) << "backwards from a tree: the second pane";
    FrameConfig().windowMode = 0;
}

TEST_F(CommandRouting, BarAndPaneMarksFollowTheirWindows) {
    HWND status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr,
                                  nullptr, nullptr);
    HWND toolbar = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame_, nullptr, nullptr, nullptr);
    HWND treePane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr,
                                    nullptr, nullptr);
    Frame().statusBar = status;
    Frame().toolBar = toolbar;
    Frame().folderTreePane = treePane;

    HMENU view = Submenu(IDM_VIEW_MENU);
    Prepare(view);
    EXPECT_TRUE(IsChecked(view, IDM_STATUS_BAR));
    Send(IDM_STATUS_BAR);
    EXPECT_FALSE(IsWindowVisible(status)) << "the status bar is hidden";
    Prepare(view);
    EXPECT_FALSE(IsChecked(view, IDM_STATUS_BAR));

    HMENU toolbars = Submenu(IDM_TOOLBARS_MENU);
    Prepare(toolbars);
    EXPECT_FALSE(IsChecked(toolbars, IDM_STANDARD_BUTTONS));
    ShowWindow(toolbar, SW_SHOW);
    Prepare(toolbars);
    EXPECT_TRUE(IsChecked(toolbars, IDM_STANDARD_BUTTONS));

    HMENU side = Submenu(IDM_SIDE_MENU);
    Prepare(side);
    EXPECT_TRUE(IsChecked(side, IDM_SIDE_FOLDERS));
    EXPECT_FALSE(IsChecked(side, IDM_SIDE_FAVORITES));
}

void FirstOwner(UINT, HWND) {}
void SecondOwner(UINT, HWND) {}
void FirstMenu(HMENU) {}
void SecondMenu(HMENU) {}

// Launch item identifiers stand for any range an owner registers.
constexpr UINT kItem = IDM_LAUNCH_FIRST;

TEST(CommandRegistry, ALaterRangeWinsOnlyWhereItOverlaps) {
    SetCommandHandler(kItem, kItem + 99, FirstOwner);
    SetCommandHandler(kItem + 50, kItem + 199, SecondOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 49), FirstOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 50), SecondOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 99), SecondOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 199), SecondOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 200), nullptr);

    SetCommandHandler(kItem, kItem + 99, FirstOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 50), FirstOwner) << "registered again, the first owner is the newer one";
    EXPECT_EQ(CommandHandlerOf(kItem + 100), SecondOwner);
}

TEST(CommandRegistry, RemovingWithNullClearsJustThatRange) {
    SetCommandHandler(kItem, kItem + 199, FirstOwner);
    SetCommandHandler(kItem + 50, kItem + 99, SecondOwner);
    SetCommandHandler(kItem + 50, kItem + 99, nullptr);
    EXPECT_EQ(CommandHandlerOf(kItem + 60), nullptr) << "removed, not handed back to the older owner";
    EXPECT_EQ(CommandHandlerOf(kItem + 49), FirstOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 100), FirstOwner);

    SetCommandHandler(kItem, kItem + 199, nullptr);
    EXPECT_EQ(CommandHandlerOf(kItem + 49), nullptr);
    SetCommandHandler(kItem + 50, kItem + 99, SecondOwner);
    EXPECT_EQ(CommandHandlerOf(kItem + 60), SecondOwner) << "a range removed can be taken again";
}

TEST(CommandRegistry, AMenuPreparerIsReplacedAndRemovedPerSubmenu) {
    EXPECT_EQ(MenuPreparerOf(IDM_GROUPS_MENU), nullptr);
    SetMenuPreparer(IDM_GROUPS_MENU, FirstMenu);
    SetMenuPreparer(IDM_LAUNCHER_MENU, SecondMenu);
    SetMenuPreparer(IDM_GROUPS_MENU, SecondMenu);
    EXPECT_EQ(MenuPreparerOf(IDM_GROUPS_MENU), SecondMenu);
    SetMenuPreparer(IDM_GROUPS_MENU, nullptr);
    EXPECT_EQ(MenuPreparerOf(IDM_GROUPS_MENU), nullptr);
    EXPECT_EQ(MenuPreparerOf(IDM_LAUNCHER_MENU), SecondMenu);
}

TEST(CommandResources, TheDefaultWholeProgramKeysAreInEffect) {
    HWND frame = CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    ASSERT_NE(frame, nullptr);
    HACCEL table = LoopTables().wholeProgram;
    ASSERT_NE(table, nullptr);
    std::vector<ACCEL> entries(CopyAcceleratorTableW(table, nullptr, 0));
    CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
    ASSERT_EQ(entries.size(), 15u);
    auto has = [&](BYTE modifiers, WORD key, WORD command) {
        for (const ACCEL& a : entries)
            if ((a.fVirt & (FSHIFT | FCONTROL | FALT)) == modifiers && a.key == key && a.cmd == command) return true;
        return false;
    };
    EXPECT_TRUE(has(FCONTROL, 'W', IDM_CLOSE));
    EXPECT_TRUE(has(FALT, VK_LEFT, IDM_BACK));
    EXPECT_TRUE(has(FCONTROL | FSHIFT, VK_TAB, IDM_PREVIOUS_TAB));
    EXPECT_TRUE(has(0, VK_F9, IDM_TO_TRAY));
    EXPECT_TRUE(has(FALT, 'D', IDM_FOCUS_ADDRESS));
    DestroyWindow(frame);
    Frame() = FrameState{};
    FrameLink() = FrameWindows{};
    FrameConfig() = FrameSettings{};
    ColorConfig() = FrameColors{};
}

TEST(CommandResources, FocusAndEscapeTablesBindTabAndEsc) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ACCEL focus[4] = {};
    ASSERT_EQ(CopyAcceleratorTableW(LoadAcceleratorsW(instance, L"FOCUSACCEL"), focus, 4), 2);
    EXPECT_EQ(focus[0].key, VK_TAB);
    EXPECT_EQ(focus[0].cmd, IDM_FOCUS_NEXT);
    EXPECT_EQ(focus[1].fVirt & FSHIFT, FSHIFT);
    EXPECT_EQ(focus[1].cmd, IDM_FOCUS_PREVIOUS);
    ACCEL escape[2] = {};
    ASSERT_EQ(CopyAcceleratorTableW(LoadAcceleratorsW(instance, L"ESCACCEL"), escape, 2), 1);
    EXPECT_EQ(escape[0].key, VK_ESCAPE);
    EXPECT_EQ(escape[0].cmd, IDM_STOP_SEARCH);
}

TEST(CommandResources, ItemCommandsHaveTheirNames) {
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDM_DELETE, text, 64), 0);
    EXPECT_STREQ(text, L"ファイル削除");
    LoadStringW(GetModuleHandleW(nullptr), IDM_FILE_SELECT, text, 64);
    EXPECT_STREQ(text, L"拡張ファイル選択");
}

}  // namespace
