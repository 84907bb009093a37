// Details-mode columns, sorting by a column, the column menu, the arrange-by
// menu and the remembered view states, in real child windows on real folders.

#include "FolderViewFixture.h"

#include "app/Handles.h"
#include "app/uCommandRegistry.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewStateStore.h"
#include "mainwnd/uCommand.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/uCapabilities.h"
#include "tests/support/MessageBoxAnswerer.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

class Columns : public FolderViewTest {
protected:
    static void CloseTab(HWND child) {
        SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        Pump();
    }
};

HWND HeaderOf(HWND child) { return ListView_GetHeader(ChildFolderView(child)->ListView); }

// The header image a list column shows, or -1 for none.
int ArrowOf(HWND child, int position) {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_IMAGE;
    if (!Header_GetItem(HeaderOf(child), position, &item) || !(item.fmt & HDF_IMAGE)) return -1;
    return item.iImage;
}

std::vector<int> ShownArrows(HWND child) {
    std::vector<int> arrows;
    for (int i = 0; i < Header_GetItemCount(HeaderOf(child)); ++i) arrows.push_back(ArrowOf(child, i));
    return arrows;
}

std::vector<int> HeaderOrder(HWND child) {
    TFolderView* view = ChildFolderView(child);
    std::vector<int> order(view->Columns.size());
    if (!order.empty()) ListView_GetColumnOrderArray(view->ListView, static_cast<int>(order.size()), order.data());
    return order;
}

std::wstring HeaderTitle(HWND child, int position) {
    wchar_t text[260] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 260;
    Header_GetItem(HeaderOf(child), position, &item);
    return text;
}

std::wstring ShellTitle(TFolderView* view, int column) {
    SHELLDETAILS details{};
    if (FAILED(view->Folder2->GetDetailsOf(nullptr, column, &details))) return {};
    return StrRetToText(&details.str, nullptr);
}

bool OnByDefault(TFolderView* view, int column) {
    SHCOLSTATEF state = 0;
    return FAILED(view->Folder2->GetDefaultColumnState(column, &state)) || (state & SHCOLSTATE_ONBYDEFAULT);
}

int ShellColumnCount(TFolderView* view) {
    int count = 0;
    SHELLDETAILS details{};
    while (count < 1000 && SUCCEEDED(view->Folder2->GetDetailsOf(nullptr, count, &details))) {
        StrRetToText(&details.str, nullptr);
        ++count;
    }
    return count;
}

struct MenuEntry {
    UINT id;
    std::wstring text;
    UINT state;
};

std::vector<MenuEntry> MenuEntries(HMENU menu) {
    std::vector<MenuEntry> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[260] = {};
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 260;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        entries.push_back({info.wID, text, info.fState});
    }
    return entries;
}

// A header notification as the header sends it to its parent, the list view,
// which passes it on to the child window and so to the view.
LRESULT SendHeaderNotify(HWND child, NMHEADERW& notify, UINT code, int item) {
    HWND header = HeaderOf(child);
    notify.hdr.hwndFrom = header;
    notify.hdr.idFrom = GetDlgCtrlID(header);
    notify.hdr.code = code;
    notify.iItem = item;
    return SendMessageW(ChildFolderView(child)->ListView, WM_NOTIFY, notify.hdr.idFrom,
                        reinterpret_cast<LPARAM>(&notify));
}

// Whether the list stands in the file-system folder's order for `column` (the
// capability layer's, which is the folder's own where it can be trusted), each
// item not after its successor (or, descending, not before it).
bool InFolderOrder(HWND child, int column, bool ascending) {
    TFolderView* view = ChildFolderView(child);
    for (int i = 0; i + 1 < view->ItemCount(); ++i) {
        const HRESULT hr =
            CompareFileSystemItems(view->Folder2.get(), column, view->ItemIDList(i), view->ItemIDList(i + 1));
        const auto order = static_cast<signed char>(HRESULT_CODE(hr) & 0xFF);
        if (ascending ? order > 0 : order < 0) return false;
    }
    return true;
}

void ClickColumn(HWND child, int position) {
    TFolderView* view = ChildFolderView(child);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = view->ListView;
    click.hdr.idFrom = kFolderViewListId;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = position;
    SendMessageW(child, WM_NOTIFY, kFolderViewListId, reinterpret_cast<LPARAM>(&click));
}

// Saved at exit and read at the next start.
void Restart() {
    SaveStates();
    LoadStates();
}

class ColumnsWithFiles : public Columns {
protected:
    void SetUp() override {
        Columns::SetUp();
        ASSERT_TRUE(MakeFile(root_ / L"b.txt", 10));
        ASSERT_TRUE(MakeFile(root_ / L"c.txt", 20));
        ASSERT_TRUE(MakeFile(root_ / L"a.txt", 30));
    }
};

// --- What the platform's folders offer ------------------------------------

TEST_F(Columns, DetailsModeShowsTheColumnsTheFolderShowsByDefault) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_TRUE(view->Folder2) << "file-system folders offer IShellFolder2";
    const int count = ShellColumnCount(view);
    std::vector<int> expected;
    for (int column = 0; column < count; ++column) {
        if (OnByDefault(view, column)) expected.push_back(column);
    }
    EXPECT_GE(count, 4);
    EXPECT_EQ(view->Columns, expected);
    for (size_t i = 0; i < view->Columns.size(); ++i) {
        EXPECT_EQ(HeaderTitle(child, static_cast<int>(i)), ShellTitle(view, view->Columns[i])) << i;
        SHELLDETAILS details{};
        view->Folder2->GetDetailsOf(nullptr, view->Columns[i], &details);
        StrRetToText(&details.str, nullptr);
        // The character count's width at least; wider where its title needs more.
        const int width = ListView_GetColumnWidth(view->ListView, static_cast<int>(i));
        EXPECT_GE(width, details.cxChar ? 60 * details.cxChar / 10 : 200) << i;
        const std::wstring title = HeaderTitle(child, static_cast<int>(i));
        EXPECT_GE(width, ListView_GetStringWidth(view->ListView, title.c_str()) + 12) << i;
    }
}

TEST_F(Columns, TheCharacterWidthSettingSizesNewColumns) {
    FolderViewConfig().CharWidth = 100;
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    SHELLDETAILS details{};
    ASSERT_TRUE(SUCCEEDED(view->Folder2->GetDetailsOf(nullptr, view->Columns[0], &details)));
    StrRetToText(&details.str, nullptr);
    ASSERT_NE(details.cxChar, 0);
    EXPECT_EQ(ListView_GetColumnWidth(view->ListView, 0), 100 * details.cxChar / 10);
}

// --- Sorting ---------------------------------------------------------------

TEST_F(ColumnsWithFiles, SortingTheSortedColumnTwiceFlipsAndFlipsBack) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
    ClickColumn(child, 0);
    EXPECT_FALSE(view->SortAscending);
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"c.txt", L"b.txt", L"a.txt"}));
    EXPECT_EQ(ArrowOf(child, 0), 1);
    const TViewState* state = FindState(view->AbsoluteIDList);
    ASSERT_NE(state, nullptr) << "each click updates the state";
    EXPECT_EQ(state->SortAscending, 0);

    ClickColumn(child, 0);
    EXPECT_TRUE(view->SortAscending);
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
    EXPECT_EQ(ArrowOf(child, 0), 0);
    EXPECT_EQ(FindState(view->AbsoluteIDList)->SortAscending, 1);
}

TEST_F(ColumnsWithFiles, AnotherColumnSortsAscendingAndTakesTheArrow) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_GE(view->Columns.size(), 2u);
    ClickColumn(child, 1);
    EXPECT_EQ(view->SortColumn, view->Columns[1]);
    EXPECT_TRUE(view->SortAscending);
    EXPECT_TRUE(InFolderOrder(child, view->Columns[1], true)) << Joined(Names(child));
    std::vector<int> arrows(view->Columns.size(), -1);
    arrows[1] = 0;
    EXPECT_EQ(ShownArrows(child), arrows);
    ClickColumn(child, 1);
    EXPECT_FALSE(view->SortAscending);
    EXPECT_TRUE(InFolderOrder(child, view->Columns[1], false)) << Joined(Names(child));
    arrows[1] = 1;
    EXPECT_EQ(ShownArrows(child), arrows);
}

TEST_F(ColumnsWithFiles, SortCommandsSortTheActiveViewOrTheAimedOne) {
    HWND first = Open(root_.path());
    TempFolder other;
    ASSERT_TRUE(MakeFile(other / L"x.txt"));
    HWND second = Open(other.path());
    ASSERT_EQ(ActiveChild(), second);
    OnFrameCommand(frame_, MAKEWPARAM(IDM_SORT_FIRST + 1, 0), 0);
    EXPECT_EQ(View(second)->SortColumn, 1);
    EXPECT_EQ(View(first)->SortColumn, 0);
    OnFrameCommand(frame_, MAKEWPARAM(IDM_SORT_FIRST + 1, CommandFromControl),
                   reinterpret_cast<LPARAM>(View(first)->ListView));
    EXPECT_EQ(View(first)->SortColumn, 1);
    EXPECT_EQ(ArrowOf(first, 1), 0);
}

// --- The header's column menu ----------------------------------------------

TEST_F(Columns, TheColumnMenuListsTheTitledColumnsAndChecksTheShownOnes) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    UniqueMenu menu(view->BuildColumnMenu());
    const std::vector<MenuEntry> entries = MenuEntries(menu.get());
    std::vector<MenuEntry> expected;
    for (int column = 0; column < ShellColumnCount(view); ++column) {
        SHCOLSTATEF state = 0;
        if (SUCCEEDED(view->Folder2->GetDefaultColumnState(column, &state)) && (state & SHCOLSTATE_HIDDEN)) continue;
        const std::wstring title = ShellTitle(view, column);
        if (title.empty()) continue;
        const bool shown = std::find(view->Columns.begin(), view->Columns.end(), column) != view->Columns.end();
        expected.push_back({static_cast<UINT>(column), title, UINT(column == 0 || shown ? MFS_CHECKED : 0)});
    }
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].id, expected[i].id) << i;
        EXPECT_EQ(entries[i].text, expected[i].text) << i;
        EXPECT_EQ((entries[i].state & MFS_CHECKED) != 0, (expected[i].state & MFS_CHECKED) != 0) << i;
        EXPECT_EQ((entries[i].state & MF_GRAYED) != 0, i == 0) << i;
    }
}

TEST_F(Columns, AChosenColumnIsHiddenOrAddedAtTheEndAndRemembered) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    const std::vector<int> before = view->Columns;
    ASSERT_GE(before.size(), 3u);
    const int hidden = before[1];
    view->ToggleColumn(hidden);
    std::vector<int> without = before;
    without.erase(without.begin() + 1);
    EXPECT_EQ(view->Columns, without);
    EXPECT_EQ(Header_GetItemCount(HeaderOf(child)), static_cast<int>(without.size()));
    ASSERT_NE(FindState(view->AbsoluteIDList), nullptr);
    EXPECT_EQ(FindState(view->AbsoluteIDList)->ColumnStates.size(), without.size());

    view->ToggleColumn(hidden);
    std::vector<int> again = without;
    again.push_back(hidden);
    EXPECT_EQ(view->Columns, again);
    EXPECT_EQ(HeaderTitle(child, static_cast<int>(again.size()) - 1), ShellTitle(view, hidden));
    view->ToggleColumn(0);
    EXPECT_EQ(view->Columns, again) << "the first column always stays";
}

TEST_F(Columns, ARightClickOnTheHeaderOpensTheColumnMenu) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    const std::vector<int> before = view->Columns;
    UniqueMenu menu(view->BuildColumnMenu());
    const std::vector<MenuEntry> entries = MenuEntries(menu.get());
    ASSERT_FALSE(entries.empty());
    const MenuEntry last = entries.back();
    RECT area{};
    GetWindowRect(HeaderOf(child), &area);
    SetCursorPos(area.left + 5, (area.top + area.bottom) / 2);
    // The menu's own loop runs on this thread; another thread picks its last item.
    std::atomic<bool> done{false};
    std::atomic<bool> seen{false};
    std::thread picker([&] {
        for (int i = 0; i < 3000 && !done; ++i) {
            HWND popup = FindWindowW(L"#32768", nullptr);
            if (popup && IsWindowVisible(popup)) {
                seen = true;
                PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
                PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
                return;
            }
            Sleep(20);
        }
    });
    POINT at{area.left + 5, (area.top + area.bottom) / 2};
    ScreenToClient(HeaderOf(child), &at);
    SendMessageW(HeaderOf(child), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(HeaderOf(child), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    done = true;
    picker.join();
    ASSERT_TRUE(seen) << "the column menu opened";
    const bool wasShown = std::find(before.begin(), before.end(), static_cast<int>(last.id)) != before.end();
    const bool isShown =
        std::find(view->Columns.begin(), view->Columns.end(), static_cast<int>(last.id)) != view->Columns.end();
    EXPECT_NE(wasShown, isShown) << "the last column was toggled";
}

// --- The arrange-by menu ---------------------------------------------------

TEST_F(Columns, TheArrangeMenuListsTheShownColumnsAndChecksTheSortedOne) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    UniqueMenu mainMenu(LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU"));
    ASSERT_NE(mainMenu.get(), nullptr);
    SetMenu(frame_, mainMenu.get());
    // The resource's own items stand until a view fills the menu.
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoW(mainMenu.get(), IDM_ARRANGE_MENU, FALSE, &info));
    HMENU arrange = info.hSubMenu;
    const std::vector<MenuEntry> fixed = MenuEntries(arrange);
    ASSERT_EQ(fixed.size(), 6u);
    EXPECT_EQ(fixed[0].id, UINT{IDM_SORT_FIRST});
    EXPECT_EQ(fixed[0].text, L"名前");
    EXPECT_EQ(fixed[5].text, L"アクセス日時");

    view->SortBy(view->Columns[1]);
    PrepareFrameMenu(frame_, arrange);
    const std::vector<MenuEntry> entries = MenuEntries(arrange);
    ASSERT_EQ(entries.size(), view->Columns.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].id, UINT{IDM_SORT_FIRST} + view->Columns[i]) << i;
        EXPECT_EQ(entries[i].text, ShellTitle(view, view->Columns[i])) << i;
        EXPECT_EQ((entries[i].state & MFS_CHECKED) != 0, i == 1) << i;
    }
    SetMenu(frame_, nullptr);
}

TEST_F(Columns, TheArrangeMenuFollowsTheFoldersRememberedColumns) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_GE(view->Columns.size(), 3u);
    const int dropped = view->Columns[1];
    view->ToggleColumn(dropped);
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING, 1, L"stale");
    view->FillArrangeMenu(menu.get());
    std::vector<UINT> ids;
    for (const MenuEntry& entry : MenuEntries(menu.get())) ids.push_back(entry.id);
    std::vector<UINT> expected;
    for (const int column : view->Columns) expected.push_back(UINT{IDM_SORT_FIRST} + column);
    EXPECT_EQ(ids, expected);
}

// --- Remembered states -----------------------------------------------------

TEST_F(ColumnsWithFiles, AFoldersModeAndSortSurviveARestart) {
    HWND child = Open(root_.path());
    View(child)->SortBy(View(child)->Columns[1]);
    View(child)->SortBy(View(child)->Columns[1]);
    View(child)->SetViewMode(1);
    CloseTab(child);
    Restart();
    child = Open(root_.path());
    TFolderView* view = View(child);
    EXPECT_EQ(view->ViewMode, 1);
    EXPECT_EQ(view->SortColumn, 1);
    EXPECT_FALSE(view->SortAscending);
}

TEST_F(Columns, AFolderWithTheSameItemCountButAnotherPathDoesNotTakeTheState) {
    ASSERT_TRUE(MakeDirectory(root_ / L"one"));
    ASSERT_TRUE(MakeDirectory(root_ / L"two"));
    HWND child = Open(root_ / L"one");
    View(child)->SetViewMode(1);
    CloseTab(child);
    Restart();
    child = Open(root_ / L"two");
    EXPECT_EQ(View(child)->ViewMode, 3);
    EXPECT_EQ(FindState(View(child)->AbsoluteIDList), nullptr);
    CloseTab(child);
    child = Open(root_ / L"one");
    EXPECT_EQ(View(child)->ViewMode, 1);
}

TEST_F(Columns, JapaneseFolderNamesOfOneLengthKeepTheirOwnStates) {
    ASSERT_TRUE(MakeDirectory(root_ / L"写真"));
    ASSERT_TRUE(MakeDirectory(root_ / L"資料"));
    HWND child = Open(root_ / L"写真");
    View(child)->SetViewMode(2);
    CloseTab(child);
    child = Open(root_ / L"資料");
    EXPECT_EQ(View(child)->ViewMode, 3);
}

TEST_F(Columns, OpeningAFolderDoesNotItselfMakeAState) {
    HWND child = Open(root_.path());
    EXPECT_EQ(FindState(View(child)->AbsoluteIDList), nullptr);
    EXPECT_EQ(ViewStates().Count(), 0u);
}

TEST_F(Columns, TheLastOfFourColumnsDraggedToTheFrontSurvivesARestart) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    while (view->Columns.size() > 4) view->ToggleColumn(view->Columns.back());
    if (view->Columns.size() < 4) {
        for (int column = 1; column < ShellColumnCount(view) && view->Columns.size() < 4; ++column)
            if (std::find(view->Columns.begin(), view->Columns.end(), column) == view->Columns.end())
                view->ToggleColumn(column);
    }
    ASSERT_EQ(view->Columns.size(), 4u);
    const std::vector<int> columns = view->Columns;

    // The header reports the drag before it moves the column.
    HDITEMW target{};
    target.mask = HDI_ORDER;
    target.iOrder = 0;
    NMHEADERW drag{};
    drag.pitem = &target;
    SendHeaderNotify(child, drag, HDN_ENDDRAG, 3);
    std::vector<int> moved = {3, 0, 1, 2};
    ListView_SetColumnOrderArray(view->ListView, 4, moved.data());
    const TViewState* state = FindState(view->AbsoluteIDList);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->ColumnOrder, (std::vector<std::int32_t>{3, 0, 1, 2}));

    CloseTab(child);
    Restart();
    child = Open(root_.path());
    view = View(child);
    EXPECT_EQ(view->Columns, columns);
    EXPECT_EQ(HeaderOrder(child), moved);
}

TEST_F(Columns, AColumnWidthChangedInTheHeaderSurvivesARestart) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ListView_SetColumnWidth(view->ListView, 1, 177);
    // The header tells of the change as when the user drags a divider.
    HDITEMW changed{};
    changed.mask = HDI_WIDTH;
    changed.cxy = 177;
    NMHEADERW notify{};
    notify.pitem = &changed;
    SendHeaderNotify(child, notify, HDN_ITEMCHANGEDW, 1);
    ASSERT_NE(FindState(view->AbsoluteIDList), nullptr);
    CloseTab(child);
    Restart();
    child = Open(root_.path());
    EXPECT_EQ(ListView_GetColumnWidth(View(child)->ListView, 1), 177);
}

TEST_F(Columns, StoredColumnsWithAnUnusableOrderOpenInTheirOwnOrder) {
    HWND probe = Open(root_.path());
    UniqueAbsolutePidl folder(PIDLClone(View(probe)->AbsoluteIDList));
    CloseTab(probe);
    TViewState* state = AddState(folder.get());
    ASSERT_NE(state, nullptr);
    state->ViewMode = 3;
    state->ColumnStates = {{0, 0, 90}, {2, 0, 80}, {77, 0, 60}};
    state->ColumnOrder = {2, 9, -1};
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    EXPECT_EQ(view->Columns, (std::vector<int>{0, 2, 77}));
    EXPECT_EQ(HeaderOrder(child), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(HeaderTitle(child, 2), L"") << "a column the folder does not know stays untitled";
    EXPECT_EQ(ListView_GetColumnWidth(view->ListView, 1), 80);
}

TEST_F(Columns, SwitchingBackToDetailsRestoresTheRememberedColumns) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    const int dropped = view->Columns[1];
    view->ToggleColumn(dropped);
    const std::vector<int> shown = view->Columns;
    view->SetViewMode(0);
    view->SetViewMode(3);
    EXPECT_EQ(view->Columns, shown);
}

// --- The default state -----------------------------------------------------

TEST_F(ColumnsWithFiles, TheDefaultStateServesNewFileSystemFoldersOnlyOnceApplied) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    view->SortBy(view->Columns[1]);
    view->SortBy(view->Columns[1]);
    view->ToggleColumn(view->Columns.back());
    const std::vector<int> shown = view->Columns;
    {
        MessageBoxAnswerer cancel(IDCANCEL, L"情報");
        EXPECT_FALSE(ApplyToAllFolders(frame_));
        ASSERT_TRUE(cancel.Answered());
        EXPECT_EQ(cancel.Text(), L"キャンセルではもとに戻りません。よろしいですか？");
    }
    EXPECT_FALSE(DefViewState().Load);
    {
        MessageBoxAnswerer ok(IDOK, L"情報");
        EXPECT_TRUE(ApplyToAllFolders(frame_));
        ASSERT_TRUE(ok.Answered());
    }
    EXPECT_TRUE(DefViewState().Load);
    EXPECT_EQ(DefViewState().SortIndex, view->Columns[1]);
    EXPECT_EQ(DefViewState().SortOrder, 0);
    EXPECT_EQ(DefViewState().ColumnStates.size(), shown.size());

    TempFolder other;
    ASSERT_TRUE(MakeFile(other / L"a.txt", 40));
    ASSERT_TRUE(MakeFile(other / L"b.txt", 50));
    HWND second = Open(other.path());
    TFolderView* fresh = View(second);
    EXPECT_EQ(fresh->SortColumn, view->Columns[1]);
    EXPECT_FALSE(fresh->SortAscending);
    EXPECT_EQ(fresh->Columns, shown);
    EXPECT_TRUE(InFolderOrder(second, view->Columns[1], false));
    EXPECT_EQ(fresh->ViewMode, 3) << "the default carries no mode";
}

TEST_F(Columns, AFolderOutsideTheFileSystemIgnoresTheDefaultState) {
    DefViewState().Load = true;
    DefViewState().SortIndex = 2;
    DefViewState().ColumnStates = {{0, 0, 50}};
    UniqueAbsolutePidl computer;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put())));
    HWND child = OpenChildWindow(computer.release(), true, nullptr, ContentFolder);
    Pump();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    EXPECT_FALSE(view->FileSystemFolder);
    EXPECT_EQ(view->SortColumn, 0);
    EXPECT_NE(view->Columns.size(), 1u);
}

TEST_F(Columns, ApplyingToAllFoldersOutsideTheFileSystemOnlyTellsSo) {
    UniqueAbsolutePidl computer;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put())));
    HWND child = OpenChildWindow(computer.release(), true, nullptr, ContentFolder);
    Pump();
    ASSERT_NE(child, nullptr);
    MessageBoxAnswerer ok(IDOK, L"情報");
    EXPECT_FALSE(ApplyToAllFolders(frame_));
    ASSERT_TRUE(ok.Answered());
    EXPECT_EQ(ok.Text(), L"このフォルダでは操作を行えません。");
    EXPECT_FALSE(DefViewState().Load);
}

TEST_F(Columns, ARenamedFolderKeepsItsState) {
    ASSERT_TRUE(MakeDirectory(root_ / L"old"));
    HWND child = Open(root_ / L"old");
    View(child)->SetViewMode(2);
    UniqueAbsolutePidl oldList(PIDLClone(View(child)->AbsoluteIDList));
    CloseTab(child);
    ASSERT_TRUE(MoveFileW((root_ / L"old").c_str(), (root_ / L"new").c_str()));
    UniqueAbsolutePidl newList = PidlOfPath(root_ / L"new");
    MoveState(oldList.get(), newList.get());
    child = Open(root_ / L"new");
    EXPECT_EQ(View(child)->ViewMode, 2);
}

}  // namespace
