// Navigation through the child layer: history, the navigate lock, search
// results with history, and the surroundings kept in step.

#include "MdiTestFrame.h"

#include "app/Global.h"
#include "folderview/uFillJob.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "tests/support/MessageBoxAnswerer.h"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>
#include <utility>

namespace {

// The entry points say in their types which kind of list they take: a folder
// from the desktop and a child inside it. Any other kind does not compile.
template <class Folder, class Select>
concept BrowsesTo = requires(TFolderView& view, Folder folder, Select select) {
    view.BrowseTo(folder, true, select);
};
static_assert(BrowsesTo<PIDLIST_ABSOLUTE, PCUITEMID_CHILD>);
static_assert(!BrowsesTo<PIDLIST_RELATIVE, PCUITEMID_CHILD>);
static_assert(!BrowsesTo<PITEMID_CHILD, PCUITEMID_CHILD>);
static_assert(!BrowsesTo<LPITEMIDLIST, PCUITEMID_CHILD>);
static_assert(!BrowsesTo<PIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE>);
static_assert(!BrowsesTo<PIDLIST_ABSOLUTE, PCUIDLIST_RELATIVE>);

template <class Folder, class Select>
concept OpensChildWindow = requires(Folder folder, Select select) {
    OpenChildWindow(folder, true, select, ContentFolder);
};
static_assert(OpensChildWindow<PIDLIST_ABSOLUTE, PCUITEMID_CHILD>);
static_assert(!OpensChildWindow<PIDLIST_RELATIVE, PCUITEMID_CHILD>);
static_assert(!OpensChildWindow<PITEMID_CHILD, PCUITEMID_CHILD>);
static_assert(!OpensChildWindow<LPITEMIDLIST, PCUITEMID_CHILD>);
static_assert(!OpensChildWindow<PIDLIST_ABSOLUTE, PCIDLIST_ABSOLUTE>);

template <class Folder>
concept NavigatesTo = requires(Folder folder) { RequestNavigate(folder, OriginOther, TargetActive, nullptr); };
static_assert(NavigatesTo<PCIDLIST_ABSOLUTE>);
static_assert(!NavigatesTo<PCUITEMID_CHILD>);
static_assert(!NavigatesTo<PCUIDLIST_RELATIVE>);

// What the view hands out is a child, not a folder, and the child's folder is absolute.
static_assert(std::is_same_v<decltype(std::declval<TFolderView&>().FocusedItem()), PCUITEMID_CHILD>);
static_assert(!std::is_convertible_v<PCUITEMID_CHILD, PCIDLIST_ABSOLUTE>);
static_assert(std::is_same_v<decltype(ChildFolder()), PCIDLIST_ABSOLUTE>);
static_assert(!std::is_convertible_v<PCIDLIST_ABSOLUTE, PCUITEMID_CHILD>);

class MDIHistory : public MdiTest {
protected:
    // Opens folders[0] and navigates in the same child to folders[1..].
    HWND Walk(const std::vector<std::wstring>& folders) {
        HWND child = OpenFolderChild(folders[0]);
        EXPECT_NE(child, nullptr);
        for (size_t i = 1; i < folders.size(); ++i) Navigate(folders[i]);
        return child;
    }

    static void Navigate(const std::wstring& path, int target = TargetActive) {
        RequestNavigate(PidlOf(path).get(), OriginOther, target, nullptr);
        PumpMessages();
    }

    static std::vector<std::wstring> PathsOf(const THistoryList& list) {
        std::vector<std::wstring> paths;
        for (int i = 0; i < list.Count(); ++i) paths.push_back(PathOf(list.Entry(i)->folder.get()));
        return paths;
    }

    static std::vector<std::wstring> Pick(const std::vector<std::wstring>& folders, std::initializer_list<int> order) {
        std::vector<std::wstring> picked;
        for (int i : order) picked.push_back(folders[i]);
        return picked;
    }
};

// A stand-in for the address bar: the routes only need its window.
HWND MakeAddressBar(HWND frame) {
    return CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 200, 200, frame,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST_F(MDIHistory, TwentyFiveNavigationsKeepTwentyBackEntries) {
    std::vector<std::wstring> folders = MakeFolders(L"step", 26);
    HWND child = Walk(folders);
    TMDIChildView* view = ChildViewOf(child);
    EXPECT_EQ(ShownPath(child), folders[25]);
    ASSERT_EQ(view->BackList.Count(), 20);
    EXPECT_EQ(PathOf(view->BackList.Entry(0)->folder.get()), folders[24]);
    // The first five folders (0 to 4) have fallen off the end.
    EXPECT_EQ(PathOf(view->BackList.Entry(19)->folder.get()), folders[5]);
    EXPECT_EQ(view->ForwardList.Count(), 0);
}

TEST_F(MDIHistory, GoingBackThreeStepsMovesTheSkippedOnesForwardInOrder) {
    std::vector<std::wstring> f = MakeFolders(L"f", 5);
    HWND child = Walk(f);
    TMDIChildView* view = ChildViewOf(child);
    ASSERT_EQ(PathsOf(view->BackList), Pick(f, {3, 2, 1, 0}));

    GoHistory(*view, 2, true);
    PumpMessages();
    EXPECT_EQ(ShownPath(child), f[1]);
    EXPECT_EQ(PathsOf(view->BackList), Pick(f, {0}));
    EXPECT_EQ(PathsOf(view->ForwardList), Pick(f, {2, 3, 4}));

    GoHistory(*view, 0, false);
    PumpMessages();
    EXPECT_EQ(ShownPath(child), f[2]);
    EXPECT_EQ(PathsOf(view->BackList), Pick(f, {1, 0}));
    EXPECT_EQ(PathsOf(view->ForwardList), Pick(f, {3, 4}));
}

TEST_F(MDIHistory, GoingForwardTwoStepsMovesTheSkippedOneBack) {
    std::vector<std::wstring> f = MakeFolders(L"f", 4);
    HWND child = Walk(f);
    TMDIChildView* view = ChildViewOf(child);
    GoHistory(*view, 2, true);
    PumpMessages();
    ASSERT_EQ(ShownPath(child), f[0]);
    GoHistory(*view, 1, false);
    PumpMessages();
    EXPECT_EQ(ShownPath(child), f[2]);
    EXPECT_EQ(PathsOf(view->BackList), Pick(f, {1, 0}));
    EXPECT_EQ(PathsOf(view->ForwardList), Pick(f, {3}));
}

TEST_F(MDIHistory, AStepOutsideTheListDoesNothing) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND child = Walk(f);
    TMDIChildView* view = ChildViewOf(child);
    GoHistory(*view, 1, true);
    GoHistory(*view, 0, false);
    GoHistory(*view, -1, true);
    EXPECT_EQ(ShownPath(child), f[1]);
    EXPECT_EQ(view->BackList.Count(), 1);
    EXPECT_EQ(view->ForwardList.Count(), 0);
}

TEST_F(MDIHistory, NavigatingAfterGoingBackClearsTheForwardList) {
    std::vector<std::wstring> f = MakeFolders(L"f", 4);
    HWND child = Walk({f[0], f[1], f[2]});
    TMDIChildView* view = ChildViewOf(child);
    GoHistory(*view, 0, true);
    PumpMessages();
    ASSERT_EQ(view->ForwardList.Count(), 1);
    Navigate(f[3]);
    EXPECT_EQ(ShownPath(child), f[3]);
    EXPECT_EQ(view->ForwardList.Count(), 0);
    EXPECT_EQ(PathsOf(view->BackList), Pick(f, {1, 0}));
}

TEST_F(MDIHistory, TheBackEntryRemembersTheFocusedItem) {
    const std::wstring parent = MakeFolder(L"parent");
    MakeFolder(L"parent\\a");
    const std::wstring b = MakeFolder(L"parent\\b");
    const std::wstring other = MakeFolder(L"other");
    HWND child = OpenFolderChild(parent);
    TFolderView* folderView = ChildFolderView(child);
    UniqueChildPidl bItem(PIDLClone(PIDLLastChild(PidlOf(b).get())));
    folderView->SelectChild(bItem.get());
    Navigate(other);
    TMDIChildView* view = ChildViewOf(child);
    ASSERT_EQ(view->BackList.Count(), 1);
    const THistoryEntry* entry = view->BackList.Entry(0);
    ASSERT_TRUE(entry->focusedItem);
    UniqueAbsolutePidl remembered(PIDLAppend(entry->folder.get(), entry->focusedItem.get()));
    EXPECT_TRUE(IsFolder(remembered.get(), b));

    GoHistory(*view, 0, true);
    PumpMessages();
    ASSERT_EQ(ShownPath(child), parent);
    PCUITEMID_CHILD focused = folderView->FocusedItem();
    ASSERT_NE(focused, nullptr);
    UniqueAbsolutePidl focusedPath(PIDLAppend(folderView->AbsoluteIDList, focused));
    EXPECT_TRUE(IsFolder(focusedPath.get(), b));
}

TEST_F(MDIHistory, ALockedTabOpensANavigationInANewWindow) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND locked = OpenFolderChild(f[0]);
    SetNavigateLock(*ChildViewOf(locked), true);
    Navigate(f[1]);
    EXPECT_EQ(ShownPath(locked), f[0]);
    EXPECT_EQ(ChildViewOf(locked)->BackList.Count(), 0);
    ASSERT_EQ(TabCount(), 2);
    HWND opened = TabChild(1);
    EXPECT_EQ(ActiveChild(), opened);
    EXPECT_EQ(ShownPath(opened), f[1]);
}

TEST_F(MDIHistory, ALockedTabOpensAHistoryStepInANewWindow) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND child = Walk(f);
    TMDIChildView* view = ChildViewOf(child);
    SetNavigateLock(*view, true);
    GoHistory(*view, 0, true);
    PumpMessages();
    EXPECT_EQ(ShownPath(child), f[1]);
    EXPECT_EQ(view->BackList.Count(), 1);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ShownPath(ActiveChild()), f[0]);
}

TEST_F(MDIHistory, ALockedTabOpensSearchResultsInANewWindow) {
    HWND locked = OpenFolderChild(L"C:\\windows");
    SetNavigateLock(*ChildViewOf(locked), true);
    HWND results = ShowSearchResults(false);
    EXPECT_NE(results, locked);
    EXPECT_EQ(ChildViewOf(locked)->ContentKind, ContentFolder);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ChildViewOf(results)->ContentKind, ContentSearch);
    EXPECT_EQ(ActiveChild(), results);
}

TEST_F(MDIHistory, ANewWindowTargetLeavesTheActiveChildAsItIs) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND first = OpenFolderChild(f[0]);
    Navigate(f[1], TargetNew);
    EXPECT_EQ(ShownPath(first), f[0]);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ShownPath(ActiveChild()), f[1]);
}

TEST_F(MDIHistory, ABackgroundTargetOpensBehindTheActiveChild) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND first = OpenFolderChild(f[0]);
    Navigate(f[1], TargetBackground);
    EXPECT_EQ(ActiveChild(), first);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ShownPath(TabChild(1)), f[1]);
}

TEST_F(MDIHistory, SearchResultsInTheActiveTabAreAHistoryStep) {
    HWND child = OpenFolderChild(L"C:\\windows");
    TMDIChildView* view = ChildViewOf(child);
    EXPECT_EQ(ShowSearchResults(false), child);
    EXPECT_EQ(view->ContentKind, ContentSearch);
    EXPECT_EQ(TabText(0), L"検索結果");
    EXPECT_FALSE(IsWindowVisible(view->FolderView->ListView));
    ASSERT_EQ(view->BackList.Count(), 1);
    EXPECT_EQ(view->BackList.Entry(0)->kind, ContentFolder);

    GoHistory(*view, 0, true);
    PumpMessages();
    EXPECT_EQ(view->ContentKind, ContentFolder);
    EXPECT_TRUE(IsWindowVisible(view->FolderView->ListView));
    EXPECT_EQ(ShownPath(child), L"C:\\windows");
    ASSERT_EQ(view->ForwardList.Count(), 1);
    EXPECT_EQ(view->ForwardList.Entry(0)->kind, ContentSearch);
    EXPECT_FALSE(view->ForwardList.Entry(0)->folder);

    GoHistory(*view, 0, false);
    EXPECT_EQ(view->ContentKind, ContentSearch);
    EXPECT_EQ(view->ForwardList.Count(), 0);
}

TEST_F(MDIHistory, NavigatingFromSearchResultsShowsTheFolderAgain) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND child = OpenFolderChild(f[0]);
    TMDIChildView* view = ChildViewOf(child);
    ShowSearchResults(false);
    Navigate(f[1]);
    EXPECT_EQ(view->ContentKind, ContentFolder);
    EXPECT_EQ(ShownPath(child), f[1]);
    ASSERT_EQ(view->BackList.Count(), 2);
    EXPECT_EQ(view->BackList.Entry(0)->kind, ContentSearch);
    EXPECT_EQ(view->BackList.Entry(1)->kind, ContentFolder);
}

// A toolbar with the back and forward buttons, as the standard toolbar has them.
HWND MakeHistoryToolbar(HWND frame) {
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | CCS_NOPARENTALIGN | CCS_NORESIZE, 0, 0, 100, 30,
                               frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[2] = {};
    buttons[0].idCommand = IDM_BACK;
    buttons[1].idCommand = IDM_FORWARD;
    buttons[0].fsState = buttons[1].fsState = TBSTATE_ENABLED;
    buttons[0].iBitmap = buttons[1].iBitmap = I_IMAGENONE;
    SendMessageW(bar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
    return bar;
}

bool Enabled(HWND bar, int command) {
    return SendMessageW(bar, TB_ISBUTTONENABLED, command, 0) != 0;
}

TEST_F(MDIHistory, BackAndForwardButtonsFollowTheActiveChild) {
    Frame().toolBar = MakeHistoryToolbar(frame_);
    Frame().sideToolBar = MakeHistoryToolbar(frame_);
    std::vector<std::wstring> f = MakeFolders(L"f", 3);
    HWND first = OpenFolderChild(f[0]);
    EXPECT_FALSE(Enabled(Frame().toolBar, IDM_BACK));
    EXPECT_FALSE(Enabled(Frame().toolBar, IDM_FORWARD));
    Navigate(f[1]);
    EXPECT_TRUE(Enabled(Frame().toolBar, IDM_BACK));
    EXPECT_TRUE(Enabled(Frame().sideToolBar, IDM_BACK));
    EXPECT_FALSE(Enabled(Frame().toolBar, IDM_FORWARD));
    GoHistory(*ChildViewOf(first), 0, true);
    PumpMessages();
    EXPECT_FALSE(Enabled(Frame().toolBar, IDM_BACK));
    EXPECT_TRUE(Enabled(Frame().toolBar, IDM_FORWARD));
    EXPECT_TRUE(Enabled(Frame().sideToolBar, IDM_FORWARD));

    // A tab without history disables both.
    OpenFolderChild(f[2]);
    EXPECT_FALSE(Enabled(Frame().toolBar, IDM_BACK));
    EXPECT_FALSE(Enabled(Frame().toolBar, IDM_FORWARD));
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_TRUE(Enabled(Frame().toolBar, IDM_FORWARD));
}

// Chooses item `item` (1-based) of the next popup menu by keyboard, from a
// timer that fires inside the menu's own loop.
int g_menuItem = 0;
void CALLBACK ChooseMenuItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu) return;
    for (int i = 0; i < g_menuItem; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(MDIHistory, ChoosingTheThirdMenuEntryGoesBackThreeSteps) {
    std::vector<std::wstring> f = MakeFolders(L"f", 5);
    HWND child = Walk(f);
    TMDIChildView* view = ChildViewOf(child);
    SetForegroundWindow(frame_);
    g_menuItem = 3;
    SetTimer(nullptr, 0, 200, ChooseMenuItem);
    HistoryMenu(*view, true, POINT{100, 100});
    PumpMessages();
    EXPECT_EQ(ShownPath(child), f[1]);
    EXPECT_EQ(PathsOf(view->ForwardList), Pick(f, {2, 3, 4}));
}

TEST_F(MDIHistory, TheFolderTreeFollowsUnlessItStartedTheNavigation) {
    static std::vector<std::wstring> synced;
    synced.clear();
    Frame().folderTree = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
    Routes().syncFolderTree = [](PCIDLIST_ABSOLUTE folder) { synced.push_back(PathOf(folder)); };
    std::vector<std::wstring> f = MakeFolders(L"f", 3);
    OpenFolderChild(f[0]);
    synced.clear();
    Navigate(f[1]);
    EXPECT_EQ(synced, Pick(f, {1}));
    RequestNavigate(PidlOf(f[2]).get(), OriginFolderTree, TargetActive, nullptr);
    EXPECT_EQ(synced, Pick(f, {1}));
    FrameConfig().treeSync = false;
    Navigate(f[0]);
    EXPECT_EQ(synced, Pick(f, {1}));
}

TEST_F(MDIHistory, ARequestDuringARequestIsIgnored) {
    static std::vector<std::wstring> f;
    f = MakeFolders(L"f", 3);
    Frame().addressBar = MakeAddressBar(frame_);
    static int shown = 0;
    shown = 0;
    // The address bar navigating again from inside its own update.
    Routes().showInAddressBar = [](PCIDLIST_ABSOLUTE) {
        ++shown;
        EXPECT_TRUE(InNavigate());
        RequestNavigate(PidlOf(f[2]).get(), OriginOther, TargetActive, nullptr);
    };
    HWND child = OpenFolderChild(f[0]);
    shown = 0;
    Navigate(f[1]);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ShownPath(child), f[1]);
    EXPECT_FALSE(InNavigate());
}

TEST_F(MDIHistory, TheFocusGoesBackToTheAddressBar) {
    Frame().addressBar = MakeAddressBar(frame_);
    HWND edit = reinterpret_cast<HWND>(SendMessageW(Frame().addressBar, CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    OpenFolderChild(f[0]);
    SetForegroundWindow(frame_);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);
    RequestNavigate(PidlOf(f[1]).get(), OriginAddressBar, TargetNew, nullptr);
    PumpMessages();
    EXPECT_EQ(TabCount(), 2);
    EXPECT_EQ(GetFocus(), edit);
}

TEST_F(MDIHistory, TheAddressBarShowsSearchResults) {
    Frame().addressBar = MakeAddressBar(frame_);
    OpenFolderChild(L"C:\\windows");
    ShowSearchResults(false);
    wchar_t text[64] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = -1;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(Frame().addressBar, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"検索結果");
}

TEST_F(MDIHistory, ActivatingAFolderChildShowsItsFolderInTheAddressBar) {
    static std::vector<std::wstring> shown;
    shown.clear();
    Frame().addressBar = MakeAddressBar(frame_);
    Routes().showInAddressBar = [](PCIDLIST_ABSOLUTE folder) { shown.push_back(PathOf(folder)); };
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND first = OpenFolderChild(f[0]);
    OpenFolderChild(f[1]);
    shown.clear();
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    // The client may announce one activation more than once; each shows the same folder.
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(std::set<std::wstring>(shown.begin(), shown.end()), std::set<std::wstring>{f[0]});
    shown.clear();
    ShowWindow(Frame().addressBar, SW_HIDE);
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(TabChild(1)), 0);
    EXPECT_TRUE(shown.empty());
}

TEST_F(MDIHistory, ActivatingAFolderChildFocusesItsList) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    SetForegroundWindow(frame_);
    HWND first = OpenFolderChild(f[0]);
    HWND second = OpenFolderChild(f[1]);
    EXPECT_EQ(GetFocus(), ChildListView(second));
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_EQ(GetFocus(), ChildListView(first));
}

}  // namespace

namespace {

class MDINavigation : public MdiTest {
protected:
    static void Navigate(const std::wstring& path, int target = TargetActive) {
        RequestNavigate(PidlOf(path).get(), OriginOther, target, nullptr);
        PumpMessages();
    }
};

// The folder whose listing is refused as one the user may not read.
std::wstring g_unreadable;

HRESULT BindRefusingTheUnreadable(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    *folder = nullptr;
    if (IsFolder(absolute, g_unreadable)) return E_ACCESSDENIED;
    return PIDLBindFolder(absolute, folder) ? S_OK : E_FAIL;
}

TEST_F(MDINavigation, AFolderThatCannotBeEnteredLeavesTheAddressBarOnTheFolderShown) {
    static std::vector<std::wstring> shown;
    shown.clear();
    Frame().addressBar = MakeAddressBar(frame_);
    Routes().showInAddressBar = [](PCIDLIST_ABSOLUTE folder) { shown.push_back(PathOf(folder)); };
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND child = OpenFolderChild(f[0]);
    g_unreadable = f[1];
    SetFillFolderBinder(BindRefusingTheUnreadable);
    FrameLink().interactive = true;
    shown.clear();
    MessageBoxAnswerer answerer(IDOK, L"エラー");
    Navigate(f[1]);
    EXPECT_TRUE(answerer.Answered());
    SetFillFolderBinder(nullptr);
    EXPECT_EQ(ShownPath(child), f[0]);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), f[0]);
}

TEST_F(MDINavigation, AHistoryStepToAFolderOpenElsewhereActivatesThatTab) {
    std::vector<std::wstring> f = MakeFolders(L"f", 2);
    HWND walker = OpenFolderChild(f[0]);
    Navigate(f[1]);
    HWND other = OpenFolderChild(f[0]);
    ASSERT_NE(other, nullptr);
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(walker), 0);
    TMDIChildView* view = ChildViewOf(walker);
    GoHistory(*view, 0, true);
    PumpMessages();
    EXPECT_EQ(ActiveChild(), other);
    EXPECT_EQ(ShownPath(walker), f[1]);
    EXPECT_EQ(view->BackList.Count(), 1);
    EXPECT_EQ(view->ForwardList.Count(), 0);
}

TEST_F(MDINavigation, OpenFolderInANewWindowOrInPlace) {
    std::vector<std::wstring> f = MakeFolders(L"f", 3);
    HWND first = OpenFolderChild(f[0]);
    OpenFolder(PidlOf(f[1]).get(), false);
    EXPECT_EQ(TabCount(), 1);
    EXPECT_EQ(ShownPath(first), f[1]);
    OpenFolder(PidlOf(f[2]).get(), true);
    ASSERT_EQ(TabCount(), 2);
    EXPECT_EQ(ShownPath(first), f[1]);
    EXPECT_EQ(ShownPath(ActiveChild()), f[2]);
}

TEST_F(MDINavigation, AnOpenFolderFoundAgainSelectsTheItemAskedFor) {
    const std::wstring parent = MakeFolder(L"parent");
    MakeFolder(L"parent\\a");
    const std::wstring b = MakeFolder(L"parent\\b");
    HWND shown = OpenFolderChild(parent);
    OpenFolderChild(MakeFolder(L"other"));
    UniqueChildPidl bItem(PIDLClone(PIDLLastChild(PidlOf(b).get())));
    EXPECT_EQ(OpenChildWindow(PidlOf(parent).release(), true, bItem.get(), ContentFolder), nullptr);
    EXPECT_EQ(ActiveChild(), shown);
    TFolderView* folderView = ChildFolderView(shown);
    ASSERT_NE(folderView->FocusedItem(), nullptr);
    UniqueAbsolutePidl focused(PIDLAppend(folderView->AbsoluteIDList, folderView->FocusedItem()));
    EXPECT_TRUE(IsFolder(focused.get(), b));
}

TEST_F(MDINavigation, ANewWindowFromTheAddressBarSelectsTheItemAskedFor) {
    const std::wstring parent = MakeFolder(L"parent");
    MakeFolder(L"parent\\a");
    const std::wstring b = MakeFolder(L"parent\\b");
    OpenFolderChild(MakeFolder(L"other"));
    UniqueChildPidl bItem(PIDLClone(PIDLLastChild(PidlOf(b).get())));
    RequestNavigate(PidlOf(parent).get(), OriginAddressBar, TargetNew, bItem.get());
    PumpMessages();
    ASSERT_EQ(TabCount(), 2);
    TFolderView* folderView = ChildFolderView(ActiveChild());
    ASSERT_NE(folderView->FocusedItem(), nullptr);
    UniqueAbsolutePidl focused(PIDLAppend(folderView->AbsoluteIDList, folderView->FocusedItem()));
    EXPECT_TRUE(IsFolder(focused.get(), b));
}

TEST_F(MDINavigation, TheHistoryMenuShowsAmpersandsAsThemselves) {
    const std::wstring ampersand = MakeFolder(L"R&D");
    HWND child = OpenFolderChild(ampersand);
    Navigate(MakeFolder(L"next"));
    HMENU menu = BuildHistoryMenu(ChildViewOf(child)->BackList);
    ASSERT_NE(menu, nullptr);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 1, text, 64, MF_BYCOMMAND);
    DestroyMenu(menu);
    EXPECT_STREQ(text, L"R&&D");
}

TEST_F(MDINavigation, ALockedSearchChildMayStillShowItsFolderView) {
    HWND child = OpenSearchChild();
    TMDIChildView* view = ChildViewOf(child);
    SetNavigateLock(*view, true);
    SetContentKind(*view, ContentFolder, false);
    EXPECT_EQ(TabCount(), 1);
    EXPECT_EQ(view->ContentKind, ContentFolder);
}

TEST_F(MDINavigation, ShowSearchResultsInANewWindowKeepsTheActiveTab) {
    HWND folder = OpenFolderChild(L"C:\\windows");
    HWND results = ShowSearchResults(true);
    ASSERT_NE(results, folder);
    EXPECT_EQ(ChildViewOf(folder)->ContentKind, ContentFolder);
    EXPECT_EQ(ChildViewOf(results)->ContentKind, ContentSearch);
    EXPECT_EQ(ActiveChild(), results);
}

// A 16 x 16 icon file of one colour, as a user puts into the icon folder.
void WriteIconFile(const std::wstring& path) {
    const DWORD pixelBytes = 16 * 16 * 4;
    const DWORD maskBytes = 16 * 4;
    const DWORD imageBytes = sizeof(BITMAPINFOHEADER) + pixelBytes + maskBytes;
    std::vector<BYTE> file;
    auto put = [&file](const void* data, size_t size) {
        const BYTE* bytes = static_cast<const BYTE*>(data);
        file.insert(file.end(), bytes, bytes + size);
    };
    const WORD directory[3] = {0, 1, 1};
    put(directory, sizeof(directory));
    const BYTE size[4] = {16, 16, 0, 0};
    put(size, sizeof(size));
    const WORD planesAndBits[2] = {1, 32};
    put(planesAndBits, sizeof(planesAndBits));
    const DWORD placement[2] = {imageBytes, 22};
    put(placement, sizeof(placement));
    BITMAPINFOHEADER header{sizeof(header), 16, 32, 1, 32, BI_RGB};
    put(&header, sizeof(header));
    const DWORD pixel = 0xFF2060C0;
    for (int i = 0; i < 16 * 16; ++i) put(&pixel, sizeof(pixel));
    file.insert(file.end(), maskBytes, 0);
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(out);
}

TEST_F(MDINavigation, SearchResultsShowTheSearchIcon) {
    const std::wstring programDir = App().programDir;
    App().programDir = MakeFolder(L"program") + L"\\";
    MakeFolder(L"program\\icon");
    WriteIconFile(App().programDir + L"icon\\search.ico");
    Frame().addressBar = MakeAddressBar(frame_);
    HWND child = OpenFolderChild(L"C:\\windows");
    auto folderIcon = reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
    ShowSearchResults(false);
    auto searchIcon = reinterpret_cast<HICON>(SendMessageW(child, WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(searchIcon, nullptr);
    EXPECT_NE(searchIcon, folderIcon);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_IMAGE;
    item.iItem = -1;
    SendMessageW(Frame().addressBar, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, PathIconIndex(App().programDir + L"icon\\search.ico", false));
    App().programDir = programDir;
}

}  // namespace
