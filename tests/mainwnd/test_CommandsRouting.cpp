// Where the routing sends a command: the aimed pane, the focused tree, the
// active child; history, lock, refresh, view modes, tabs and the closed folders.

#include "tests/mainwnd/CommandFixture.h"

#include "app/uMessageLoop.h"
#include "app/uReg.h"
#include "folderview/uFolderViewSettings.h"
#include "mdi/uClosedFolders.h"

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
    Send(5200);
    EXPECT_EQ(ShownFolder(second_), root_ + L"\\b");
    EXPECT_EQ(ShownFolder(first_), aInner_);
}

TEST_F(CommandRouting, AnAimedItemCommandGoesToItsListWhateverHasTheFocus) {
    OpenTwo();
    SetFocus(ListOf(second_));
    Send(Aimed(5200), reinterpret_cast<LPARAM>(ListOf(first_)));
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
    Send(5205);
    Send(5200);
    EXPECT_EQ(g_treeCommands, (std::vector<WORD>{5205, 5200}));
    EXPECT_EQ(ShownFolder(second_), bInner_) << "the list kept its folder";

    g_treeAnswer = false;
    Send(5200);
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
    Send(Aimed(5200), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_TRUE(g_treeCommands.empty());
    EXPECT_EQ(ShownFolder(first_), root_ + L"\\a");
    Send(Aimed(5205), reinterpret_cast<LPARAM>(tree));
    EXPECT_EQ(g_treeCommands, (std::vector<WORD>{5205}));
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

    Send(5205);
    EXPECT_EQ(g_treeCommands, (std::vector<WORD>{5205}));
    EXPECT_TRUE(g_listCommands.empty()) << "the tree took it; the active list never sees it";

    g_treeCommands.clear();
    Send(Aimed(5205), reinterpret_cast<LPARAM>(results));
    EXPECT_TRUE(g_treeCommands.empty()) << "aimed at a list, the focused tree is passed over";
    EXPECT_EQ(g_listCommands, (std::vector<std::pair<HWND, WORD>>{{results, 5205}}));
    EXPECT_EQ(GetFocus(), tree);

    SetSearchListMaker(nullptr);
}

TEST_F(CommandRouting, BackAndForwardStepThroughTheActiveChildsHistory) {
    const std::wstring inner = MakeFolder(L"x\\inner");
    HWND child = OpenTab(inner);
    ASSERT_NE(child, nullptr);
    Send(5200);
    ASSERT_EQ(ShownFolder(child), root_ + L"\\x");
    ASSERT_EQ(ActiveChildView()->BackList.Count(), 1);

    Send(5150);
    EXPECT_EQ(ShownFolder(child), inner);
    EXPECT_EQ(ActiveChildView()->ForwardList.Count(), 1);
    Send(5150);
    EXPECT_EQ(ShownFolder(child), inner) << "nothing further back";

    Send(5151);
    EXPECT_EQ(ShownFolder(child), root_ + L"\\x");
    EXPECT_EQ(ActiveChildView()->ForwardList.Count(), 0);
}

TEST_F(CommandRouting, AnAimedBackMovesTheListsOwnChild) {
    OpenTwo();
    Send(Aimed(5200), reinterpret_cast<LPARAM>(ListOf(first_)));
    ASSERT_EQ(ShownFolder(first_), root_ + L"\\a");
    Send(Aimed(5150), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_EQ(ShownFolder(first_), aInner_);
    EXPECT_EQ(ShownFolder(second_), bInner_);
}

TEST_F(CommandRouting, TheLockCommandTogglesTheAimedChildsLock) {
    OpenTwo();
    Send(Aimed(5152), reinterpret_cast<LPARAM>(ListOf(first_)));
    EXPECT_TRUE(ChildViewOf(first_)->NavigateLock);
    EXPECT_FALSE(ChildViewOf(second_)->NavigateLock);
    EXPECT_EQ(TabImage(TabIndexOf(first_)), kLockImage);
    Send(5152);
    EXPECT_TRUE(ChildViewOf(second_)->NavigateLock);
    Send(Aimed(5152), reinterpret_cast<LPARAM>(ListOf(first_)));
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
    Send(5207);
    EXPECT_EQ(view->ItemCount(), before + 1);
}

TEST_F(CommandRouting, TheViewModeCommandsChangeTheListStyle) {
    HWND child = OpenTab(MakeFolder(L"modes"));
    ASSERT_NE(child, nullptr);
    HWND list = ListOf(child);
    const struct {
        WORD command;
        DWORD style;
    } cases[] = {{5058, LVS_ICON}, {5059, LVS_SMALLICON}, {5060, LVS_LIST}, {5061, LVS_REPORT}, {5058, LVS_ICON}};
    for (const auto& c : cases) {
        Send(c.command);
        EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, static_cast<LONG_PTR>(c.style)) << c.command;
        EXPECT_EQ(ChildFolderView(child)->ViewMode, c.command - 5058) << c.command;
    }
}

TEST_F(CommandRouting, TheClosedFolderMenuListsTwelveEntriesAndReopensTheChosenOne) {
    Frame().settings.closeHistoryCount = 20;
    std::vector<std::wstring> folders;
    for (int i = 0; i < 12; ++i) {
        folders.push_back(MakeFolder(L"closed" + std::to_wstring(i)));
        RecordClosed(PidlOfPath(folders.back()).get());
    }
    HMENU menu = Submenu(5121);
    ASSERT_NE(menu, nullptr);
    Prepare(menu);
    ASSERT_EQ(GetMenuItemCount(menu), 14);
    EXPECT_EQ(GetMenuItemID(menu, 0), 5074u);
    for (int i = 0; i < 12; ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, 2 + i, text, 128, MF_BYPOSITION);
        EXPECT_EQ(GetMenuItemID(menu, 2 + i), 10400u + i);
        EXPECT_EQ(std::wstring(text), L"&" + std::to_wstring(i) + L" closed" + std::to_wstring(11 - i));
    }
    Prepare(menu);
    EXPECT_EQ(GetMenuItemCount(menu), 14) << "opening again does not pile up items";

    Send(10400 + 5);
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(ShownFolder(TabChild(0)), folders[6]);
    EXPECT_EQ(App().closedFolders->Count(), 12) << "the entry stays";
}

TEST_F(CommandRouting, ReopenLastOpensTheNewestAndDropsIt) {
    const std::wstring older = MakeFolder(L"older");
    const std::wstring newer = MakeFolder(L"newer");
    RecordClosed(PidlOfPath(older).get());
    RecordClosed(PidlOfPath(newer).get());
    Send(5074);
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(ShownFolder(TabChild(0)), newer);
    ASSERT_EQ(App().closedFolders->Count(), 1);
    EXPECT_EQ(PathOfPidl(App().closedFolders->Get(0)), older);
}

TEST_F(CommandRouting, LockedTabsSurviveCloseAllUnlessLockedTabsMayClose) {
    for (const wchar_t* name : {L"one", L"two", L"three"}) ASSERT_NE(OpenTab(MakeFolder(name)), nullptr);
    HWND locked = TabChild(1);
    Send(Aimed(5152), reinterpret_cast<LPARAM>(ListOf(locked)));
    Frame().settings.navigateLockClose = false;
    Send(5031);
    PumpPending();
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(TabChild(0), locked);

    Frame().settings.navigateLockClose = true;
    Send(5031);
    PumpPending();
    EXPECT_EQ(TabCount(), 0);
}

TEST_F(CommandRouting, CloseRightAndLeftKeepTheFocusedTab) {
    for (const wchar_t* name : {L"one", L"two", L"three", L"four"}) ASSERT_NE(OpenTab(MakeFolder(name)), nullptr);
    HWND keep = TabChild(1);
    SendMessageW(Frame().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(keep), 0);
    Send(5029);
    PumpPending();
    ASSERT_EQ(TabCount(), 2);
    Send(5030);
    PumpPending();
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(TabChild(0), keep);
}

TEST_F(CommandRouting, NextAndPreviousTabWrapAround) {
    for (const wchar_t* name : {L"one", L"two", L"three"}) ASSERT_NE(OpenTab(MakeFolder(name)), nullptr);
    ASSERT_EQ(SelectedTab(), 2);
    Send(5027);
    EXPECT_EQ(SelectedTab(), 0);
    EXPECT_EQ(ActiveChild(), TabChild(0));
    Send(5028);
    EXPECT_EQ(SelectedTab(), 2);
    Send(5028);
    EXPECT_EQ(SelectedTab(), 1);
}

TEST_F(CommandRouting, QuickOptionsAreCheckedAsTheyStandAndToggle) {
    HMENU menu = Submenu(5129);
    ASSERT_NE(menu, nullptr);
    FolderViewSettings& views = FolderViewConfig();
    struct Switch {
        UINT id;
        bool* value;
    } switches[] = {{5134, &views.AllowSameFolder},
                    {5105, &views.ShowHidden},
                    {5106, &views.PopupInfo},
                    {5107, &views.StatusInfo},
                    {5133, &views.AllowRDrag},
                    {5131, &Frame().settings.treeSync}};
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
    HMENU menu = Submenu(5129);
    Prepare(menu);
    EXPECT_FALSE(IsChecked(menu, 5101));
    Send(5101);
    UniqueRegKey key;
    ASSERT_TRUE(SettingsOpen(SettingsArea::FolderTree, key));
    EXPECT_TRUE(SettingsReadBool(key.get(), L"ShowHidden", false));
    Prepare(menu);
    EXPECT_TRUE(IsChecked(menu, 5101));
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
    Send(5105);
    EXPECT_EQ(ChildFolderView(child)->ItemCount(), 1);
    Send(5105);
    EXPECT_EQ(ChildFolderView(child)->ItemCount(), 0);
}

TEST_F(CommandRouting, TheWindowModeMenuMarksTheCurrentMode) {
    HMENU menu = Submenu(5127);
    ASSERT_NE(menu, nullptr);
    const UINT byMode[] = {5110, 5111, 5113, 5112};
    for (int mode = 0; mode < 4; ++mode) {
        Frame().settings.windowMode = mode;
        Prepare(menu);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(IsChecked(menu, byMode[other]), other == mode) << "mode " << mode << " item " << byMode[other];
    }
    Frame().settings.windowMode = 0;
}

TEST_F(CommandRouting, TheViewMenuMarksTheModeAndTheLock) {
    HMENU menu = Submenu(5170);
    ASSERT_NE(menu, nullptr);
    Prepare(menu);
    for (UINT id = 5058; id <= 5062; ++id) EXPECT_FALSE(IsChecked(menu, id)) << "no view: " << id;
    EXPECT_FALSE(IsChecked(menu, 5152));

    ASSERT_NE(OpenTab(MakeFolder(L"view")), nullptr);
    Send(5060);
    Send(5152);
    Prepare(menu);
    for (UINT id = 5058; id <= 5062; ++id) EXPECT_EQ(IsChecked(menu, id), id == 5060) << id;
    EXPECT_TRUE(IsChecked(menu, 5152));
}

TEST_F(CommandRouting, NewWindowCommandsOpenTheDesktopAndACopyOfTheCurrentFolder) {
    const std::wstring folder = MakeFolder(L"copy");
    ASSERT_NE(OpenTab(folder), nullptr);
    Send(5135);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ChildFolder()->mkid.cb, 0) << "the desktop, active";
    SendMessageW(Frame().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(TabChild(0)), 0);
    FolderViewConfig().AllowSameFolder = true;
    Send(5136);
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
    Send(5200 + 0, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(seen, 5200u);
    EXPECT_EQ(ShownFolder(ActiveChild()), root_ + L"\\link") << "not an item command";
}

TEST_F(CommandRouting, DynamicRangesReachTheirRegisteredOwner) {
    static std::vector<UINT> seen;
    seen.clear();
    SetCommandHandler(15000, 19999, [](UINT id, HWND) { seen.push_back(id); });
    Send(15003);
    Send(10900);  // reserved: nothing
    SetCommandHandler(15000, 19999, nullptr);
    Send(15004);
    EXPECT_EQ(seen, (std::vector<UINT>{15003}));
    EXPECT_EQ(Send(10900), 0);
}

TEST_F(CommandRouting, TheThumbnailCommandWaitsForAVisibleSideBar) {
    static int calls = 0;
    calls = 0;
    SetCommandHandler(5066, 5066, [](UINT, HWND) { ++calls; });
    Send(5066);
    EXPECT_EQ(calls, 0) << "no side bar";
    HWND side = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr, nullptr,
                                nullptr);
    Frame().sideBar = side;
    Send(5066);
    EXPECT_EQ(calls, 1);
    SetCommandHandler(5066, 5066, nullptr);
    Frame().sideBar = nullptr;
    DestroyWindow(side);
}

TEST_F(CommandRouting, AddingToTheFavoritesNeedsTheFavoritesPane) {
    static int calls = 0;
    calls = 0;
    SetCommandHandler(5049, 5050, [](UINT, HWND) { ++calls; });
    ASSERT_NE(OpenTab(MakeFolder(L"fav")), nullptr);
    Send(5049);
    EXPECT_EQ(calls, 0);
    HWND pane = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame_, nullptr, nullptr, nullptr);
    Frame().favoritePane = pane;
    Send(5050);
    EXPECT_EQ(calls, 1);
    SetCommandHandler(5049, 5050, nullptr);
}

TEST_F(CommandRouting, TabFocusesTheActiveListAndTheFocusCommandsTheirPanes) {
    HWND child = OpenTab(MakeFolder(L"focus"));
    ASSERT_NE(child, nullptr);
    Send(5114);
    EXPECT_EQ(GetFocus(), TabBar().tabs);
    Send(5080);
    EXPECT_EQ(GetFocus(), ListOf(child));
    Send(5114);
    Send(5082);
    EXPECT_EQ(GetFocus(), ListOf(child));
}

TEST_F(CommandRouting, TabFromTheListGoesToAVisibleTreeAndBack) {
    HWND child = OpenTab(MakeFolder(L"focus"));
    ASSERT_NE(child, nullptr);
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    SetFocus(ListOf(child));
    Send(5080);
    EXPECT_EQ(GetFocus(), tree);
    Send(5080);
    EXPECT_EQ(GetFocus(), ListOf(child));
    Send(5082);
    EXPECT_EQ(GetFocus(), tree);
    Send(5084);
    EXPECT_EQ(GetFocus(), tree);
}

HWND g_firstPane = nullptr;
HWND g_secondPane = nullptr;

TEST_F(CommandRouting, InSplitModeTabGoesFromTheFirstPaneToTheSecondThenToTheTree) {
    OpenTwo();
    Frame().settings.windowMode = 2;
    g_firstPane = first_;
    g_secondPane = second_;
    Routing().firstPane = [] { return g_firstPane; };
    Routing().secondPane = [] { return g_secondPane; };
    HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, frame_, nullptr,
                                nullptr, nullptr);
    Frame().folderTree = tree;
    SendMessageW(Frame().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first_), 0);
    SetFocus(ListOf(first_));

    Send(5080);
    EXPECT_EQ(ActiveChild(), second_);
    EXPECT_EQ(GetFocus(), ListOf(second_));
    Send(5080);
    EXPECT_EQ(GetFocus(), tree);
    Send(5080);
    EXPECT_EQ(ActiveChild(), first_) << "from a tree, the first pane";
    EXPECT_EQ(GetFocus(), ListOf(first_));
    Send(5082);
    EXPECT_EQ(GetFocus(), tree) << "backwards from the first pane: the tree";
    Send(5082);
    EXPECT_EQ(GetFocus(), ListOf(second_)) << "backwards from a tree: the second pane";
    Frame().settings.windowMode = 0;
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

    HMENU view = Submenu(5170);
    Prepare(view);
    EXPECT_TRUE(IsChecked(view, 5013));
    Send(5013);
    EXPECT_FALSE(IsWindowVisible(status)) << "the status bar is hidden";
    Prepare(view);
    EXPECT_FALSE(IsChecked(view, 5013));

    HMENU toolbars = Submenu(5128);
    Prepare(toolbars);
    EXPECT_FALSE(IsChecked(toolbars, 5009));
    ShowWindow(toolbar, SW_SHOW);
    Prepare(toolbars);
    EXPECT_TRUE(IsChecked(toolbars, 5009));

    HMENU side = Submenu(5171);
    Prepare(side);
    EXPECT_TRUE(IsChecked(side, 5014));
    EXPECT_FALSE(IsChecked(side, 5015));
}

void FirstOwner(UINT, HWND) {}
void SecondOwner(UINT, HWND) {}
void FirstMenu(HMENU) {}
void SecondMenu(HMENU) {}

TEST(CommandRegistry, ALaterRangeWinsOnlyWhereItOverlaps) {
    SetCommandHandler(15000, 15099, FirstOwner);
    SetCommandHandler(15050, 15199, SecondOwner);
    EXPECT_EQ(CommandHandlerOf(15049), FirstOwner);
    EXPECT_EQ(CommandHandlerOf(15050), SecondOwner);
    EXPECT_EQ(CommandHandlerOf(15099), SecondOwner);
    EXPECT_EQ(CommandHandlerOf(15199), SecondOwner);
    EXPECT_EQ(CommandHandlerOf(15200), nullptr);

    SetCommandHandler(15000, 15099, FirstOwner);
    EXPECT_EQ(CommandHandlerOf(15050), FirstOwner) << "registered again, the first owner is the newer one";
    EXPECT_EQ(CommandHandlerOf(15100), SecondOwner);
}

TEST(CommandRegistry, RemovingWithNullClearsJustThatRange) {
    SetCommandHandler(15000, 15199, FirstOwner);
    SetCommandHandler(15050, 15099, SecondOwner);
    SetCommandHandler(15050, 15099, nullptr);
    EXPECT_EQ(CommandHandlerOf(15060), nullptr) << "removed, not handed back to the older owner";
    EXPECT_EQ(CommandHandlerOf(15049), FirstOwner);
    EXPECT_EQ(CommandHandlerOf(15100), FirstOwner);

    SetCommandHandler(15000, 15199, nullptr);
    EXPECT_EQ(CommandHandlerOf(15049), nullptr);
    SetCommandHandler(15050, 15099, SecondOwner);
    EXPECT_EQ(CommandHandlerOf(15060), SecondOwner) << "a range removed can be taken again";
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
    EXPECT_TRUE(has(FCONTROL, 'W', 5079));
    EXPECT_TRUE(has(FALT, VK_LEFT, 5150));
    EXPECT_TRUE(has(FCONTROL | FSHIFT, VK_TAB, 5028));
    EXPECT_TRUE(has(0, VK_F9, 5092));
    EXPECT_TRUE(has(FALT, 'D', 5086));
    DestroyWindow(frame);
    Frame() = FrameState{};
}

TEST(CommandResources, FocusAndEscapeTablesBindTabAndEsc) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ACCEL focus[4] = {};
    ASSERT_EQ(CopyAcceleratorTableW(LoadAcceleratorsW(instance, L"FOCUSACCEL"), focus, 4), 2);
    EXPECT_EQ(focus[0].key, VK_TAB);
    EXPECT_EQ(focus[0].cmd, 5080);
    EXPECT_EQ(focus[1].fVirt & FSHIFT, FSHIFT);
    EXPECT_EQ(focus[1].cmd, 5082);
    ACCEL escape[2] = {};
    ASSERT_EQ(CopyAcceleratorTableW(LoadAcceleratorsW(instance, L"ESCACCEL"), escape, 2), 1);
    EXPECT_EQ(escape[0].key, VK_ESCAPE);
    EXPECT_EQ(escape[0].cmd, 5179);
}

TEST(CommandResources, ItemCommandsHaveTheirNames) {
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), 5205, text, 64), 0);
    EXPECT_STREQ(text, L"ファイル削除");
    LoadStringW(GetModuleHandleW(nullptr), 5230, text, 64);
    EXPECT_STREQ(text, L"拡張ファイル選択");
}

}  // namespace
