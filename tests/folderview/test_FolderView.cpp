// The folder view in a real child window: what it lists, how it looks, how it
// navigates and opens items.

#include "FolderViewFixture.h"

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "folderview/uFillJob.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uListDisposal.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "shell/uCapabilities.h"
#include "tests/support/MessageBoxAnswerer.h"

#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

bool HasRunningChildProcess() {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{sizeof(entry)};
    if (!snapshot || !Process32FirstW(snapshot.get(), &entry)) return false;
    do {
        if (entry.th32ParentProcessID == GetCurrentProcessId()) return true;
    } while (Process32NextW(snapshot.get(), &entry));
    return false;
}

using FolderView = FolderViewTest;

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FolderView, ListsEveryItemOfTheFolder) {
    ASSERT_TRUE(MakeFile(root_ / L"b.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    ASSERT_TRUE(MakeDirectory(root_ / L"sub"));
    HWND child = Open(root_.path());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Sorted(Names(child)), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"sub"}));
}

TEST_F(FolderView, ItemsStandInTheFoldersOwnOrder) {
    for (const wchar_t* name : {L"delta.txt", L"alpha.txt", L"charlie.txt", L"bravo.txt"})
        ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_NE(view, nullptr);
    const int count = view->ItemCount();
    ASSERT_EQ(count, 4);
    for (int i = 1; i < count; ++i) {
        const HRESULT hr = view->Folder->CompareIDs(0, view->ItemIDList(i - 1), view->ItemIDList(i));
        EXPECT_LE(static_cast<short>(HRESULT_CODE(hr)), 0) << i;
    }
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"alpha.txt", L"bravo.txt", L"charlie.txt", L"delta.txt"}));
}

TEST_F(FolderView, ListViewHasItsFixedStylesAndIdentifier) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetDlgCtrlID(view->ListView), 1505);
    EXPECT_EQ(GetParent(view->ListView), child);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(view->ListView, GWL_STYLE));
    EXPECT_EQ(style & 0x56000048, 0x56000048u);
    EXPECT_TRUE(style & LVS_EDITLABELS);
    const DWORD exStyle = ListView_GetExtendedListViewStyle(view->ListView);
    EXPECT_EQ(exStyle & 0x410, 0x410u);
    HWND header = ListView_GetHeader(view->ListView);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(GetDlgCtrlID(header), 1505);
    HIMAGELIST arrows = reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
    ASSERT_NE(arrows, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(arrows), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(arrows, &cx, &cy);
    EXPECT_EQ(cx, 7);
}

TEST_F(FolderView, CaptionAndTabNameTheFolder) {
    const std::wstring folder = root_ / L"表示名";
    ASSERT_TRUE(MakeDirectory(folder));
    HWND child = Open(folder);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Caption(child), L"表示名");
    EXPECT_EQ(TabText(TabIndexOf(child)), L"表示名");
}

TEST_F(FolderView, FullPathSettingPutsThePathInTheCaption) {
    FolderViewConfig().FullPath = true;
    HWND child = Open(root_.path());
    EXPECT_EQ(_wcsicmp(Caption(child).c_str(), root_.path().c_str()), 0);
}

TEST_F(FolderView, AnEmptyFolderLeavesNoItemFocused) {
    HWND child = Open(root_.path());
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(Names(child).empty());
    EXPECT_EQ(FocusedName(child), L"");
}

TEST_F(FolderView, TheFirstItemHasTheFocusWhenNothingIsToBeSelected) {
    ASSERT_TRUE(MakeFile(root_ / L"one.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"two.txt"));
    HWND child = Open(root_.path());
    EXPECT_EQ(FocusedName(child), L"one.txt");
    EXPECT_TRUE(SelectedNames(child).empty());
}

TEST_F(FolderView, AChildToSelectIsSelectedAndFocused) {
    ASSERT_TRUE(MakeFile(root_ / L"one.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"two.txt"));
    UniqueAbsolutePidl file = PidlOfPath(root_ / L"two.txt");
    HWND child = Open(root_.path(), PIDLLastChild(file.get()));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"two.txt"});
    EXPECT_EQ(FocusedName(child), L"two.txt");
}

TEST_F(FolderView, HiddenItemsAreListedOnlyWithShowHidden) {
    ASSERT_TRUE(MakeFile(root_ / L"shown.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"secret.txt"));
    ASSERT_TRUE(SetFileAttributesW((root_ / L"secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    HWND child = Open(root_.path());
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"shown.txt"});
    FolderViewConfig().ShowHidden = true;
    View(child)->RefreshView(RefreshFull);
    EXPECT_EQ(Sorted(Names(child)), (std::vector<std::wstring>{L"secret.txt", L"shown.txt"}));
}

TEST_F(FolderView, TheDisplayFilterListsOnlyMatchingNamesFoldersIncluded) {
    ASSERT_TRUE(MakeFile(root_ / L"notes.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"server.log"));
    ASSERT_TRUE(MakeFile(root_ / L"image.png"));
    ASSERT_TRUE(MakeDirectory(root_ / L"folder"));
    ASSERT_TRUE(MakeDirectory(root_ / L"folder.txt"));
    DisplayFilter() = {L"*.TXT", L"*.LOG"};
    HWND child = Open(root_.path());
    EXPECT_EQ(Sorted(Names(child)), (std::vector<std::wstring>{L"folder.txt", L"notes.txt", L"server.log"}));
}

TEST_F(FolderView, WildcardsMatchAsTheFilterNeeds) {
    EXPECT_TRUE(WildcardMatch(L"*.TXT", L"A.TXT"));
    EXPECT_FALSE(WildcardMatch(L"*.TXT", L"A.TXT.BAK"));
    EXPECT_TRUE(WildcardMatch(L"A?C", L"ABC"));
    EXPECT_FALSE(WildcardMatch(L"A?C", L"AC"));
    EXPECT_TRUE(WildcardMatch(L"*", L""));
    EXPECT_FALSE(WildcardMatch(L"", L"A"));
    // The character after a star is compared literally.
    EXPECT_FALSE(WildcardMatch(L"A*?B", L"AXB"));
    EXPECT_TRUE(WildcardMatch(L"A*?B", L"AX?B"));
    EXPECT_TRUE(DisplayFilterAccepts(L"anything"));
    DisplayFilter() = {L"*.TXT"};
    EXPECT_TRUE(DisplayFilterAccepts(L"lower.txt"));
    EXPECT_FALSE(DisplayFilterAccepts(L"lower.doc"));
}

TEST_F(FolderView, ViewModesSetTheListStyle) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    const DWORD expected[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    for (int mode = 0; mode < 4; ++mode) {
        view->SetViewMode(mode);
        EXPECT_EQ(view->ViewMode, mode);
        EXPECT_EQ(GetWindowLongW(view->ListView, GWL_STYLE) & LVS_TYPEMASK, static_cast<LONG>(expected[mode]))
            << mode;
    }
    view->SetViewMode(2);
    EXPECT_EQ(ListView_GetColumnWidth(view->ListView, 0), 150);
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"a.txt"});
}

// Emptied at once, a list of 100,000 items holds the window for seconds; a
// large list goes in slices, out of sight, and a fresh one takes its place.
TEST_F(FolderView, AListOfManyItemsIsLetGoInSlicesWhenTheTabLeavesChangesModeOrCloses) {
    const std::wstring many = root_ / L"many";
    const std::wstring more = root_ / L"more";
    // The second folder holds enough items to go into a new list over several slices.
    for (const auto& [folder, count] : {std::pair{many, 40}, std::pair{more, 3000}}) {
        ASSERT_TRUE(MakeDirectory(folder));
        for (int i = 0; i < count; ++i) ASSERT_TRUE(MakeFile(folder + L"\\item" + std::to_wstring(i) + L".txt"));
    }
    const int limit = SetListDisposalLimit(10);
    HWND child = Open(many);
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    HWND left = view->ListView;
    RECT leftPlace{};
    GetWindowRect(left, &leftPlace);
    const int columns = Header_GetItemCount(ListView_GetHeader(left));

    view->BrowseTo(PidlOfPath(more).release(), true, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !view->Filling(); }, 60000));
    HWND shown = view->ListView;
    RECT shownPlace{};
    GetWindowRect(shown, &shownPlace);
    const bool leftHeldBack = IsWindow(left) && !IsWindowVisible(left) && ListBeingDisposed(left);
    const bool sameLook = shown != left && IsWindowVisible(shown) && EqualRect(&leftPlace, &shownPlace) &&
                          (GetWindowLongW(shown, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT &&
                          Header_GetItemCount(ListView_GetHeader(shown)) == columns;
    const std::vector<std::wstring> shownNames = Names(child);

    // Where the list would measure every label on entering list mode, its
    // items move to a new list in that mode, keeping their order and states,
    // also when the mode changes again while they move; the old lists go
    // once they have all moved.
    ListView_SetItemState(shown, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(shown, 3, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(shown, 7, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(shown, 5, LVIS_CUT, LVIS_CUT);
    view->SetViewMode(1);
    HWND smallIcons = view->ListView;
    view->SetViewMode(2);
    HWND listed = view->ListView;
    const bool relisted = listed != shown && !IsWindowVisible(shown) && view->Filling();
    const bool complete = WaitUntil([&] { return !view->Filling(); }, 30000);
    const bool shownLetGo = (!IsWindow(shown) || ListBeingDisposed(shown)) &&
                            (!IsWindow(smallIcons) || ListBeingDisposed(smallIcons));
    const std::vector<std::wstring> listedNames = Names(child);
    const int firstSelected = ListView_GetNextItem(listed, -1, LVNI_SELECTED);
    const int nextSelected = ListView_GetNextItem(listed, firstSelected, LVNI_SELECTED);
    const int focused = ListView_GetNextItem(listed, -1, LVNI_FOCUSED);
    const UINT cut = ListView_GetItemState(listed, 5, LVIS_CUT);
    const LONG listedStyle = GetWindowLongW(listed, GWL_STYLE);

    // Closed while its items move to thumbnails, the tab lets both lists go,
    // each with the items that are its own.
    view->SetViewMode(4);
    HWND thumbnails = view->ListView;
    const bool moving = thumbnails != listed && view->Filling();
    SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    const bool closedHeldBack = !IsWindow(child) && IsWindow(thumbnails) && ListBeingDisposed(thumbnails) &&
                                (!moving || ListBeingDisposed(listed));
    const bool gone = WaitUntil(
        [&] {
            return !IsWindow(left) && !IsWindow(shown) && !IsWindow(smallIcons) && !IsWindow(listed) &&
                   !IsWindow(thumbnails);
        },
        30000);
    SetListDisposalLimit(limit);
    EXPECT_TRUE(leftHeldBack);
    EXPECT_TRUE(sameLook);
    EXPECT_EQ(shownNames.size(), 3000u);
    EXPECT_EQ(relisted, !PlatformCapabilities().listLabelsMeasuredLazily);
    EXPECT_EQ(moving, relisted);
    EXPECT_TRUE(complete);
    EXPECT_TRUE(shownLetGo);
    EXPECT_EQ(listedStyle & LVS_TYPEMASK, LVS_LIST);
    EXPECT_EQ(listedNames, shownNames);
    EXPECT_EQ(firstSelected, 3);
    EXPECT_EQ(nextSelected, 7);
    EXPECT_EQ(focused, 7);
    EXPECT_EQ(cut, static_cast<UINT>(LVIS_CUT));
    EXPECT_TRUE(closedHeldBack);
    EXPECT_TRUE(gone);
}

TEST_F(FolderView, TheInitialViewStyleChoosesTheModeOfAFill) {
    FolderViewConfig().IniViewStyle = 2;
    FolderViewConfig().ListWidth = 230;
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    EXPECT_EQ(view->ViewMode, 2);
    EXPECT_EQ(GetWindowLongW(view->ListView, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    EXPECT_EQ(ListView_GetColumnWidth(view->ListView, 0), 230);
}

TEST_F(FolderView, DetailsModeShowsTheFoldersColumns) {
    ASSERT_TRUE(MakeFile(root_ / L"sized.bin", 1536));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    ASSERT_EQ(view->ViewMode, 3);
    HWND header = ListView_GetHeader(view->ListView);
    const int columns = Header_GetItemCount(header);
    ASSERT_GE(columns, 4);
    ASSERT_EQ(view->Columns.size(), static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        SHELLDETAILS details{};
        ASSERT_TRUE(SUCCEEDED(view->Folder2->GetDetailsOf(nullptr, view->Columns[i], &details)));
        STRRET title = details.str;
        wchar_t expected[260] = {};
        StrRetToBufW(&title, nullptr, expected, 260);
        wchar_t shown[260] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = shown;
        item.cchTextMax = 260;
        Header_GetItem(header, i, &item);
        EXPECT_STREQ(shown, expected) << i;
    }
    // Every column of the file's row has the folder's text for it.
    for (int i = 1; i < columns; ++i) {
        SHELLDETAILS details{};
        if (FAILED(view->Folder2->GetDetailsOf(view->ItemIDList(0), view->Columns[i], &details))) continue;
        wchar_t expected[260] = {};
        StrRetToBufW(&details.str, view->ItemIDList(0), expected, 260);
        EXPECT_EQ(ItemText(child, 0, i), expected) << i;
    }
    EXPECT_NE(ItemText(child, 0, 1), L"");
}

TEST_F(FolderView, TheSortedColumnCarriesTheAscendingArrow) {
    HWND child = Open(root_.path());
    HWND header = ListView_GetHeader(View(child)->ListView);
    HDITEMW item{};
    item.mask = HDI_IMAGE | HDI_FORMAT;
    ASSERT_TRUE(Header_GetItem(header, 0, &item));
    EXPECT_EQ(item.iImage, 0);
    EXPECT_TRUE(item.fmt & HDF_IMAGE);
    for (int i = 1; i < Header_GetItemCount(header); ++i) {
        HDITEMW other{};
        other.mask = HDI_FORMAT;
        ASSERT_TRUE(Header_GetItem(header, i, &other));
        EXPECT_FALSE(other.fmt & HDF_IMAGE) << i;
    }
}

TEST_F(FolderView, JapaneseNamesAreShownExactly) {
    const std::vector<std::wstring> names = {L"日本語フォルダ", L"テスト文書.txt", L"ｶﾀｶﾅ半角.dat"};
    ASSERT_TRUE(MakeDirectory(root_ / names[0]));
    ASSERT_TRUE(MakeFile(root_ / names[1]));
    ASSERT_TRUE(MakeFile(root_ / names[2]));
    HWND child = Open(root_.path());
    EXPECT_EQ(Sorted(Names(child)), Sorted(names));
}

// The shell's own comparison may see Japanese names of one length as equal
// (it compares them through a narrow code page); the view must not.
TEST_F(FolderView, JapaneseNamesOfOneLengthAreToldApart) {
    for (const wchar_t* name : {L"日本.txt", L"中国.txt", L"韓国.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    UniqueAbsolutePidl wanted = PidlOfPath(root_ / L"中国.txt");
    HWND child = Open(root_.path(), PIDLLastChild(wanted.get()));
    EXPECT_EQ(Sorted(Names(child)), Sorted({L"日本.txt", L"中国.txt", L"韓国.txt"}));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"中国.txt"});
    TFolderView* view = View(child);
    EXPECT_EQ(view->FindItem(PIDLLastChild(wanted.get())), IndexOf(child, L"中国.txt"));

    view->NotifyEnabled = false;
    ASSERT_TRUE(DeleteFileW((root_ / L"日本.txt").c_str()));
    ASSERT_TRUE(MakeFile(root_ / L"台湾.txt"));
    view->RefreshView(RefreshMerge);
    EXPECT_EQ(Sorted(Names(child)), Sorted({L"中国.txt", L"韓国.txt", L"台湾.txt"}));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"中国.txt"});
    view->NotifyEnabled = true;
}

TEST_F(FolderView, AFilesPathOpensItsFolderWithTheFileSelected) {
    ASSERT_TRUE(MakeFile(root_ / L"first.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"wanted.txt"));
    UniqueAbsolutePidl file = PidlOfPath(root_ / L"wanted.txt");
    UniqueAbsolutePidl folder(PIDLParent(file.get()));
    HWND child = OpenChildWindow(folder.release(), true, PIDLLastChild(file.get()), ContentFolder);
    Pump();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"wanted.txt"});
    EXPECT_EQ(FocusedName(child), L"wanted.txt");
}

TEST_F(FolderView, GoingUpShowsTheParentWithTheFolderJustLeftSelected) {
    ASSERT_TRUE(MakeDirectory(root_ / L"inner"));
    ASSERT_TRUE(MakeFile(root_ / L"aaa.txt"));
    HWND child = Open(root_ / L"inner");
    View(child)->ExecuteCommand(IDM_GO_UP);
    Pump();
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"inner"});
    EXPECT_EQ(ChildViewOf(child)->BackList.Count(), 1);
}

TEST_F(FolderView, GoingUpIntoANewTabLeavesThisOneWhereItWas) {
    ASSERT_TRUE(MakeDirectory(root_ / L"inner"));
    HWND child = Open(root_ / L"inner");
    View(child)->ExecuteCommand(IDM_GO_UP_NEW_TAB);
    Pump();
    ASSERT_EQ(Children().size(), 2u);
    HWND active = ActiveChild();
    EXPECT_NE(active, child);
    EXPECT_EQ(_wcsicmp(ShownPath(active).c_str(), root_.path().c_str()), 0);
    EXPECT_EQ(SelectedNames(active), std::vector<std::wstring>{L"inner"});
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), (root_ / L"inner").c_str()), 0);
}

TEST_F(FolderView, OpeningAFolderItemShowsItInPlace) {
    ASSERT_TRUE(MakeDirectory(root_ / L"deeper"));
    ASSERT_TRUE(MakeFile(root_ / L"deeper" + L"\\inside.txt"));
    HWND child = Open(root_.path());
    Select(child, L"deeper");
    View(child)->ExecuteCommand(IDM_OPEN);
    Pump();
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), (root_ / L"deeper").c_str()), 0);
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"inside.txt"});
    EXPECT_EQ(Children().size(), 1u);
    ASSERT_EQ(ChildViewOf(child)->BackList.Count(), 1);
    EXPECT_EQ(_wcsicmp(PathOfPidl(ChildViewOf(child)->BackList.Entry(0)->folder.get()).c_str(),
                       root_.path().c_str()),
              0);
}

TEST_F(FolderView, ReturnOnAFolderItemOpensIt) {
    ASSERT_TRUE(MakeDirectory(root_ / L"keyed"));
    HWND child = Open(root_.path());
    Select(child, L"keyed");
    SendMessageW(View(child)->ListView, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), (root_ / L"keyed").c_str()), 0);
}

TEST_F(FolderView, BackspaceGoesUp) {
    ASSERT_TRUE(MakeDirectory(root_ / L"child"));
    HWND child = Open(root_ / L"child");
    SendMessageW(View(child)->ListView, WM_KEYDOWN, VK_BACK, 0);
    Pump();
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
}

TEST_F(FolderView, OpeningInANewTabActivatesIt) {
    ASSERT_TRUE(MakeDirectory(root_ / L"tabbed"));
    HWND child = Open(root_.path());
    Select(child, L"tabbed");
    View(child)->ExecuteCommand(IDM_OPEN_NEW_TAB);
    Pump();
    ASSERT_EQ(Children().size(), 2u);
    HWND active = ActiveChild();
    EXPECT_NE(active, child);
    EXPECT_EQ(_wcsicmp(ShownPath(active).c_str(), (root_ / L"tabbed").c_str()), 0);
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
}

TEST_F(FolderView, OpeningInTheBackgroundLeavesThisTabActive) {
    ASSERT_TRUE(MakeDirectory(root_ / L"behind"));
    HWND child = Open(root_.path());
    Select(child, L"behind");
    View(child)->ExecuteCommand(IDM_OPEN_BACKGROUND);
    Pump();
    const std::vector<HWND> children = Children();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(ActiveChild(), child);
    HWND other = children[0] == child ? children[1] : children[0];
    EXPECT_EQ(_wcsicmp(ShownPath(other).c_str(), (root_ / L"behind").c_str()), 0);
}

TEST_F(FolderView, OpeningAFileRunsItByItsDefaultVerb) {
    const std::wstring marker = root_ / L"ran.txt";
    {
        const std::wstring script = root_ / L"run.bat";
        HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::string text = "@echo ran> \"" + std::string(marker.begin(), marker.end()) + "\"\r\n";
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    ASSERT_TRUE(MakeDirectory(root_ / L"zfolder"));
    HWND child = Open(root_.path());
    Select(child, L"run.bat");
    View(child)->ExecuteCommand(IDM_OPEN);
    EXPECT_TRUE(WaitUntil([&] { return Exists(marker); }, 15000));
    // Running a file does not navigate.
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
}

TEST_F(FolderView, AFolderInTheSelectionIsOpenedAndTheFilesAreNotRun) {
    const std::wstring marker = root_ / L"ran.txt";
    {
        const std::wstring script = root_ / L"run.bat";
        HANDLE file = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const std::string text = "@echo ran> \"" + std::string(marker.begin(), marker.end()) + "\"\r\n";
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    ASSERT_TRUE(MakeDirectory(root_ / L"target"));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    Select(child, L"run.bat");
    ListView_SetItemState(view->ListView, IndexOf(child, L"target"), LVIS_SELECTED, LVIS_SELECTED);
    view->ExecuteCommand(IDM_OPEN);
    Pump();
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), (root_ / L"target").c_str()), 0);
    // A file run is a process started before the command returns: once no
    // process of ours runs any more, a run script would have left its marker.
    EXPECT_TRUE(WaitUntil([] { return !HasRunningChildProcess(); }, 60000));
    EXPECT_FALSE(Exists(marker));
}

TEST_F(FolderView, NavigatingToAFolderShownInAnotherTabActivatesThatTab) {
    ASSERT_TRUE(MakeDirectory(root_ / L"one"));
    ASSERT_TRUE(MakeDirectory(root_ / L"two"));
    HWND first = Open(root_ / L"one");
    HWND second = Open(root_ / L"two");
    ASSERT_EQ(ActiveChild(), second);
    EXPECT_FALSE(View(second)->BrowseTo(PidlOfPath(root_ / L"one").release(), true, nullptr));
    Pump();
    EXPECT_EQ(ActiveChild(), first);
    EXPECT_EQ(_wcsicmp(ShownPath(second).c_str(), (root_ / L"two").c_str()), 0);
    EXPECT_EQ(ChildViewOf(second)->BackList.Count(), 0);
}

TEST_F(FolderView, NavigatingALockedTabOpensANewActiveTab) {
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    HWND child = Open(root_.path());
    SetNavigateLock(*ChildViewOf(child), true);
    EXPECT_FALSE(View(child)->BrowseTo(PidlOfPath(root_ / L"elsewhere").release(), true, nullptr));
    Pump();
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
    HWND active = ActiveChild();
    ASSERT_NE(active, child);
    EXPECT_EQ(_wcsicmp(ShownPath(active).c_str(), (root_ / L"elsewhere").c_str()), 0);
}

TEST_F(FolderView, AFolderThatCannotBeListedIsReplacedByItsParent) {
    ASSERT_TRUE(MakeDirectory(root_ / L"vanishing"));
    ASSERT_TRUE(MakeFile(root_ / L"other.txt"));
    UniqueAbsolutePidl gone = PidlOfPath(root_ / L"vanishing");
    ASSERT_TRUE(RemoveDirectoryW((root_ / L"vanishing").c_str()));
    FrameLink().interactive = true;
    HWND child = OpenChildWindow(gone.release(), true, nullptr, ContentFolder);
    Pump();
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), root_.path().c_str()), 0);
    EXPECT_TRUE(FrameLink().interactive);
}

TEST_F(FolderView, AFolderThatCannotBeListedClosesItsTabWhenAnotherTabShowsTheParent) {
    ASSERT_TRUE(MakeDirectory(root_ / L"vanishing"));
    UniqueAbsolutePidl gone = PidlOfPath(root_ / L"vanishing");
    ASSERT_TRUE(RemoveDirectoryW((root_ / L"vanishing").c_str()));
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    HWND parentTab = Open(root_.path());
    HWND child = Open(root_ / L"elsewhere");
    FrameLink().interactive = true;
    View(child)->BrowseTo(gone.release(), true, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(child); }, 30000));
    EXPECT_EQ(Children(), std::vector<HWND>{parentTab});
    EXPECT_EQ(ActiveChild(), parentTab);
}

TEST_F(FolderView, AFolderThatCannotBeListedAtStartUpClosesItsTab) {
    ASSERT_TRUE(MakeDirectory(root_ / L"vanishing"));
    UniqueAbsolutePidl gone = PidlOfPath(root_ / L"vanishing");
    ASSERT_TRUE(RemoveDirectoryW((root_ / L"vanishing").c_str()));
    FrameLink().interactive = false;
    OpenChildWindow(gone.release(), true, nullptr, ContentFolder);
    WaitUntil([] { return Children().empty(); }, 30000);
    EXPECT_TRUE(Children().empty());
}

// ---------------------------------------------------------------------------
// Folders that are hard to enter. Each is entered the ways a user does: its
// item opened in the list, and a navigation request with its ID list. The
// shell opens what it can; otherwise the user is told why, the folder left
// stays shown with its tab text and history, and the list keeps the focus.

enum class HardFolder { TrailingSpace, LongName, LongPath, Unreadable };

struct HardFolderCase {
    const char* label;
    HardFolder kind;
    // The words of the message that says why; null when the folder is entered.
    const wchar_t* reason;
};

void PrintTo(const HardFolderCase& row, std::ostream* out) { *out << row.label; }

const HardFolderCase kHardFolders[] = {
    {"NameWithTrailingSpaces", HardFolder::TrailingSpace, nullptr},
    {"NameOf255Characters", HardFolder::LongName, L"パスが長すぎます"},
    {"PathPast260Characters", HardFolder::LongPath, L"パスが長すぎます"},
    {"NoReadPermission", HardFolder::Unreadable, L"アクセスが拒否されました"},
};

// Where the process may read a folder whatever its permissions (an
// administrator on Unix), the listing of the unreadable folder is refused as
// the shell would refuse it.
std::wstring g_refusedFolder;

HRESULT BindRefusingOneFolder(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    *folder = nullptr;
    if (_wcsicmp(PathOfPidl(absolute).c_str(), g_refusedFolder.c_str()) == 0) return E_ACCESSDENIED;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) return E_FAIL;
    return desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
}

class FolderViewHardFolder : public FolderViewTest {
protected:
    void TearDown() override {
        SetFillFolderBinder(nullptr);
        g_refusedFolder.clear();
        FolderViewTest::TearDown();
        // Win32 cannot remove these folders by their plain paths (and the
        // standard library's walk over them never ends): the Unix side can.
        const std::string root = UnixPath(root_.path());
        if (!root.empty()) RunUnixShell("chmod -R u+rwx '" + root + "'; rm -rf '" + root + "'");
    }

    // Takes read permission from `folder`, leaving the bits of `mode`.
    static void MakeUnreadable(const std::wstring& folder, const char* mode) {
        ASSERT_TRUE(RunUnixShell(std::string("chmod ") + mode + " '" + UnixPath(folder) + "'"));
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return;
        FindClose(find);
        g_refusedFolder = folder;
        SetFillFolderBinder(BindRefusingOneFolder);
    }
};

class FolderViewHardFolders : public FolderViewHardFolder, public testing::WithParamInterface<HardFolderCase> {
protected:

    // Makes the folder `name` of this row's kind, with one file in it, below
    // `parent`, a folder short enough to be opened by its path.
    void MakeHardFolder(std::wstring& parent, std::wstring& name) {
        const std::wstring longForm = L"\\\\?\\";
        parent = root_.path();
        switch (GetParam().kind) {
        case HardFolder::TrailingSpace: name = L"spaced  "; break;
        case HardFolder::LongName: name = std::wstring(255, L'n'); break;
        case HardFolder::LongPath:
            name = std::wstring(50, L'd');
            while (parent.size() + 1 + name.size() < MAX_PATH) {
                parent += L"\\" + name;
                ASSERT_TRUE(MakeDirectory(parent));
            }
            break;
        case HardFolder::Unreadable: name = L"unreadable"; break;
        }
        const std::wstring folder = parent + L"\\" + name;
        ASSERT_TRUE(CreateDirectoryW((longForm + folder).c_str(), nullptr));
        ASSERT_TRUE(MakeFile(longForm + folder + L"\\inside.txt"));
        if (GetParam().kind == HardFolder::Unreadable) MakeUnreadable(folder, "000");
    }
};

TEST_P(FolderViewHardFolders, AreEnteredOrRefusedWithTheViewLeftUsable) {
    std::wstring parent, name;
    ASSERT_NO_FATAL_FAILURE(MakeHardFolder(parent, name));
    const std::wstring aside = root_ / L"aside";
    ASSERT_TRUE(MakeDirectory(aside));
    const HardFolderCase& row = GetParam();
    FrameLink().interactive = true;
    SetForegroundWindow(frame_);

    for (const bool fromTheList : {true, false}) {
        SCOPED_TRACE(fromTheList ? "item opened in the list" : "navigation request");
        HWND child = Open(parent);
        ASSERT_NE(child, nullptr);
        TFolderView* view = View(child);
        // A step forward to keep: aside and back again.
        view->BrowseTo(PidlOfPath(aside).release(), true, nullptr);
        GoHistory(*ChildViewOf(child), 0, true);
        ASSERT_EQ(ChildViewOf(child)->ForwardList.Count(), 1);
        ASSERT_GE(IndexOf(child, name), 0) << Joined(Names(child));
        Select(child, name);
        SetFocus(view->ListView);
        const std::wstring tabText = TabText(TabIndexOf(child));
        const int backEntries = ChildViewOf(child)->BackList.Count();
        UniqueAbsolutePidl folder(PIDLAppend(view->AbsoluteIDList, view->ItemIDList(IndexOf(child, name))));

        MessageBoxAnswerer answerer(IDOK, L"エラー");
        if (fromTheList)
            view->ExecuteCommand(IDM_OPEN);
        else
            RequestNavigate(folder.get(), OriginOther, TargetActive, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return IsWindow(child) && !view->Filling(); }, 30000));

        EXPECT_EQ(Children(), std::vector<HWND>{child});
        EXPECT_EQ(GetFocus(), view->ListView);
        if (!row.reason) {
            EXPECT_FALSE(answerer.Answered()) << Joined({answerer.Text()});
            EXPECT_TRUE(PIDLEqual(view->AbsoluteIDList, folder.get()));
            EXPECT_EQ(Names(child), std::vector<std::wstring>{L"inside.txt"});
            EXPECT_EQ(TabText(TabIndexOf(child)), name);
            EXPECT_EQ(ChildViewOf(child)->BackList.Count(), backEntries + 1);
            EXPECT_EQ(ChildViewOf(child)->ForwardList.Count(), 0);
        } else {
            ASSERT_TRUE(answerer.Answered());
            EXPECT_NE(answerer.Text().find(row.reason), std::wstring::npos) << Joined({answerer.Text()});
            EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), parent.c_str()), 0);
            EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{name});
            EXPECT_EQ(TabText(TabIndexOf(child)), tabText);
            EXPECT_EQ(ChildViewOf(child)->BackList.Count(), backEntries);
            ASSERT_EQ(ChildViewOf(child)->ForwardList.Count(), 1);
            EXPECT_EQ(_wcsicmp(PathOfPidl(ChildViewOf(child)->ForwardList.Entry(0)->folder.get()).c_str(),
                               aside.c_str()),
                      0);
        }
        SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        Pump();
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FolderViewHardFolders, testing::ValuesIn(kHardFolders),
                         [](const testing::TestParamInfo<HardFolderCase>& info) { return info.param.label; });

// A folder that may be passed through but not read: its sub-folder can be
// shown, and going up from there is refused.
TEST_F(FolderViewHardFolder, GoingUpIntoAParentThatCannotBeReadStaysBelow) {
    const std::wstring parent = root_ / L"pass-through";
    const std::wstring inner = parent + L"\\inner";
    ASSERT_TRUE(MakeDirectory(parent));
    ASSERT_TRUE(MakeDirectory(inner));
    ASSERT_TRUE(MakeFile(inner + L"\\inside.txt"));
    ASSERT_NO_FATAL_FAILURE(MakeUnreadable(parent, "300"));
    FrameLink().interactive = true;
    SetForegroundWindow(frame_);
    HWND child = Open(inner);
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    SetFocus(view->ListView);

    MessageBoxAnswerer answerer(IDOK, L"エラー");
    SendMessageW(view->ListView, WM_KEYDOWN, VK_BACK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !view->Filling(); }, 30000));

    ASSERT_TRUE(answerer.Answered());
    EXPECT_NE(answerer.Text().find(L"アクセスが拒否されました"), std::wstring::npos) << Joined({answerer.Text()});
    EXPECT_EQ(_wcsicmp(ShownPath(child).c_str(), inner.c_str()), 0);
    EXPECT_EQ(Names(child), std::vector<std::wstring>{L"inside.txt"});
    EXPECT_EQ(TabText(TabIndexOf(child)), L"inner");
    EXPECT_EQ(ChildViewOf(child)->BackList.Count(), 0);
    EXPECT_EQ(GetFocus(), view->ListView);
}

TEST_F(FolderView, CustomDrawColoursItemsByTheirAttributes) {
    ASSERT_TRUE(MakeDirectory(root_ / L"dir"));
    ASSERT_TRUE(MakeFile(root_ / L"plain.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"readonly.txt"));
    ASSERT_TRUE(SetFileAttributesW((root_ / L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    FrameColors& colors = ColorConfig();
    colors.lvColorGroup = true;
    colors.setEvenBK = true;
    colors.directory = RGB(1, 2, 3);
    colors.readOnly = RGB(4, 5, 6);
    colors.normalString = RGB(7, 8, 9);
    colors.evenBK = RGB(10, 11, 12);
    HWND child = Open(root_.path());
    TFolderView* view = View(child);

    auto draw = [&](DWORD stage, const std::wstring& name, COLORREF& text, COLORREF& back) {
        NMLVCUSTOMDRAW cd{};
        cd.nmcd.hdr.hwndFrom = view->ListView;
        cd.nmcd.hdr.idFrom = 1505;
        cd.nmcd.hdr.code = NM_CUSTOMDRAW;
        cd.nmcd.dwDrawStage = stage;
        const int index = name.empty() ? 0 : IndexOf(child, name);
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(index);
        cd.nmcd.lItemlParam = reinterpret_cast<LPARAM>(view->ItemIDList(index));
        cd.clrText = CLR_DEFAULT;
        cd.clrTextBk = CLR_DEFAULT;
        const LRESULT result = SendMessageW(child, WM_NOTIFY, 1505, reinterpret_cast<LPARAM>(&cd));
        text = cd.clrText;
        back = cd.clrTextBk;
        return result;
    };
    COLORREF text, back;
    EXPECT_EQ(draw(CDDS_PREPAINT, L"", text, back), CDRF_NOTIFYITEMDRAW);
    draw(CDDS_ITEMPREPAINT, L"dir", text, back);
    EXPECT_EQ(text, RGB(1, 2, 3));
    draw(CDDS_ITEMPREPAINT, L"readonly.txt", text, back);
    EXPECT_EQ(text, RGB(4, 5, 6));
    const int plain = IndexOf(child, L"plain.txt");
    draw(CDDS_ITEMPREPAINT, L"plain.txt", text, back);
    EXPECT_EQ(text, RGB(7, 8, 9));
    // Details mode shades every second row.
    EXPECT_EQ(back, (plain & 1) ? RGB(10, 11, 12) : CLR_DEFAULT);
    SetFileAttributesW((root_ / L"readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FolderView, CustomDrawLeavesColoursAloneWhenColouringIsOff) {
    ASSERT_TRUE(MakeDirectory(root_ / L"dir"));
    HWND child = Open(root_.path());
    NMLVCUSTOMDRAW cd{};
    cd.nmcd.hdr.hwndFrom = View(child)->ListView;
    cd.nmcd.hdr.idFrom = 1505;
    cd.nmcd.hdr.code = NM_CUSTOMDRAW;
    cd.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(SendMessageW(child, WM_NOTIFY, 1505, reinterpret_cast<LPARAM>(&cd)), CDRF_DODEFAULT);
}

// The list paints into a bitmap of only the part to paint, then copies it to
// the screen: that part must come out as it does in a painting of the whole list.
TEST_F(FolderView, APartOfTheListPaintedAloneLooksAsInAPaintingOfTheWhole) {
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(MakeFile(root_ / (L"item" + std::to_wstring(i) + L".txt")));
    HWND child = Open(root_.path());
    HWND list = View(child)->ListView;
    ASSERT_EQ(ListView_GetItemCount(list), 12);
    RECT part{};
    ASSERT_TRUE(ListView_GetItemRect(list, 7, &part, LVIR_BOUNDS));
    auto pixels = [&] {
        std::vector<COLORREF> shown;
        HDC dc = GetDC(list);
        for (int y = part.top; y < part.bottom; ++y)
            for (int x = part.left; x < part.right; ++x) shown.push_back(GetPixel(dc, x, y));
        ReleaseDC(list, dc);
        return shown;
    };
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const std::vector<COLORREF> whole = pixels();
    // The item is drawn at all: its label is not all background.
    EXPECT_GT(std::set<COLORREF>(whole.begin(), whole.end()).size(), 1u);
    // Covered over on the screen, the part is then painted alone.
    HDC dc = GetDC(list);
    FillRect(dc, &part, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(list, dc);
    RedrawWindow(list, &part, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(pixels(), whole);
}

TEST_F(FolderView, MergeRefreshKeepsOrderAndSelectionAndAppendsNewItems) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    Select(child, L"c.txt");
    // Only the refresh may bring the changes in.
    view->NotifyEnabled = false;
    ASSERT_TRUE(MakeFile(root_ / L"0-new.txt"));
    ASSERT_TRUE(DeleteFileW((root_ / L"b.txt").c_str()));
    view->RefreshView(RefreshMerge);
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"c.txt", L"d.txt", L"0-new.txt"}));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"c.txt"});
    EXPECT_EQ(FocusedName(child), L"c.txt");
    view->NotifyEnabled = true;
}

TEST_F(FolderView, FullRefreshSortsAgainAndKeepsSelectionAndFocus) {
    for (const wchar_t* name : {L"b.txt", L"d.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    Select(child, L"d.txt");
    view->NotifyEnabled = false;
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"c.txt"));
    view->ExecuteCommand(IDM_REFRESH);
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt", L"d.txt"}));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"d.txt"});
    EXPECT_EQ(FocusedName(child), L"d.txt");
    view->NotifyEnabled = true;
}

TEST_F(FolderView, ResortingKeepsTheSelectionOnItsItems) {
    for (const wchar_t* name : {L"c.txt", L"a.txt"}) ASSERT_TRUE(MakeFile(root_ / name));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    view->NotifyEnabled = false;
    ASSERT_TRUE(MakeFile(root_ / L"b.txt"));
    view->RefreshView(RefreshMerge);
    ASSERT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"c.txt", L"b.txt"}));
    Select(child, L"c.txt");
    view->RefreshView(RefreshResort);
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.txt"}));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"c.txt"});
    view->SortAscending = false;
    view->RefreshView(RefreshResort);
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"c.txt", L"b.txt", L"a.txt"}));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"c.txt"});
    view->NotifyEnabled = true;
}

TEST_F(FolderView, TheFirstClipboardChangeAfterACutEndsTheCutMarks) {
    ASSERT_TRUE(MakeFile(root_ / L"cut.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"kept.txt"));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    const int cut = IndexOf(child, L"cut.txt");
    const int kept = IndexOf(child, L"kept.txt");
    // What the cut command leaves behind: marked items and a place in the chain.
    ListView_SetItemState(view->ListView, cut, LVIS_CUT, LVIS_CUT);
    ListView_SetItemState(view->ListView, kept, LVIS_CUT, LVIS_CUT);
    view->CutItems = {view->ItemIDList(cut)};
    view->NextViewer = SetClipboardViewer(child);
    view->InClipboardChain = true;

    SendMessageW(child, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(ListView_GetItemState(view->ListView, cut, LVIS_CUT), 0u);
    // Only the cut items lose the mark.
    EXPECT_EQ(ListView_GetItemState(view->ListView, kept, LVIS_CUT), static_cast<UINT>(LVIS_CUT));
    EXPECT_FALSE(view->InClipboardChain);
    EXPECT_TRUE(view->CutItems.empty());
}

TEST_F(FolderView, ALeavingViewerAfterThisOneIsSkippedInTheChain) {
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    HWND first = reinterpret_cast<HWND>(0x1234);
    HWND second = reinterpret_cast<HWND>(0x5678);
    view->NextViewer = first;
    SendMessageW(child, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(first), reinterpret_cast<LPARAM>(second));
    EXPECT_EQ(view->NextViewer, second);
    view->NextViewer = nullptr;
}

TEST_F(FolderView, TheDesktopListsAFileMadeInItsFolderAndDropsItWhenDeleted) {
    wchar_t desktopPath[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktopPath)));
    const std::wstring file =
        std::wstring(desktopPath) + L"\\zeko-desktop-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    const std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
    UniqueAbsolutePidl desktop;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktop.put())));
    HWND child = OpenChildWindow(desktop.release(), true, nullptr, ContentFolder);
    Pump();
    ASSERT_NE(child, nullptr);
    const size_t before = Names(child).size();
    ASSERT_TRUE(MakeFile(file));
    const bool appeared = WaitForName(child, name);
    const bool once = CountOf(Names(child), name) == 1;
    DeleteFileW(file.c_str());
    ASSERT_TRUE(appeared) << Joined(Names(child));
    EXPECT_TRUE(once);
    EXPECT_TRUE(WaitForNoName(child, name));
    EXPECT_EQ(Names(child).size(), before);
}

TEST_F(FolderView, SettingsRoundTripThroughTheRegistry) {
    FolderViewSettings& settings = FolderViewConfig();
    settings.ShowHidden = true;
    settings.IniViewStyle = 1;
    settings.LVS_EX_FLAGS = 0x44;
    settings.ListWidth = 321;
    settings.MClick = 3;
    settings.AllowSameFolder = true;
    settings.FullPath = true;
    SaveFolderViewSettings();
    settings = FolderViewSettings{};
    LoadFolderViewSettings();
    EXPECT_TRUE(settings.ShowHidden);
    EXPECT_EQ(settings.IniViewStyle, 1);
    EXPECT_EQ(settings.LVS_EX_FLAGS, 0x44u);
    EXPECT_EQ(settings.ListWidth, 321);
    EXPECT_EQ(settings.MClick, 3);
    EXPECT_TRUE(settings.AllowSameFolder);
    EXPECT_TRUE(settings.FullPath);
    EXPECT_EQ(settings.EnumFlags(), static_cast<DWORD>(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN));
}

TEST_F(FolderView, AFreshProfileHasTheDocumentedDefaults) {
    LoadFolderViewSettings();
    const FolderViewSettings& settings = FolderViewConfig();
    EXPECT_EQ(settings.IniViewStyle, 3);
    EXPECT_EQ(settings.LVS_FLAGS, static_cast<DWORD>(LVS_EDITLABELS));
    EXPECT_EQ(settings.MClick, 1);
    EXPECT_EQ(settings.AlertCount, 10);
    EXPECT_FALSE(settings.ShowHidden);
    EXPECT_EQ(settings.ListWidth, 150);
    EXPECT_EQ(settings.CharWidth, 60);
    EXPECT_EQ(settings.EnumFlags(), static_cast<DWORD>(SHCONTF_FOLDERS | SHCONTF_NONFOLDERS));
}

TEST_F(FolderView, SavingLeavesTheHistoryLimitsToTheOptionsDialog) {
    SaveFolderViewSettings();
    UniqueRegKey key;
    ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, L"Software\\ZEKO2\\FolderView", key.put()), ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExW(key.get(), L"WildCardCount", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key.get(), L"ShowHidden", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}



// ---------------------------------------------------------------------------
// Stored values outside their meaning: whatever the FolderView area holds, a
// folder view still comes up as a visible list of the folder's items.

struct StoredExtreme {
    const char* label;
    // Under the settings root, or the shell's Explorer key for ThumbnailSize.
    const wchar_t* name;
    DWORD value;
};

void PrintTo(const StoredExtreme& extreme, std::ostream* out) { *out << extreme.label; }

constexpr wchar_t kFolderViewKey[] = L"Software\\ZEKO2\\FolderView";
constexpr wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

void StoreExtreme(const wchar_t* name, DWORD value) {
    const wchar_t* path = wcscmp(name, L"ThumbnailSize") == 0 ? kExplorerKey : kFolderViewKey;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, path, name, REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS);
}

class FolderViewStoredExtremes : public FolderViewTest, public testing::WithParamInterface<StoredExtreme> {
protected:
    void TearDown() override {
        FolderViewTest::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, kFolderViewKey);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kExplorerKey, L"ThumbnailSize");
        LoadFolderViewSettings();
    }
};

const wchar_t* const kFolderViewValueNames[] = {L"LVS_FLAGS", L"LVS_EX_FLAGS", L"IniViewStyle", L"MClick",
                                                L"CharWidth", L"ListWidth",    L"AlertCount",   L"ThumbnailSize"};

TEST_P(FolderViewStoredExtremes, StillGiveAVisibleListOfTheFolder) {
    const StoredExtreme& extreme = GetParam();
    if (extreme.name) {
        StoreExtreme(extreme.name, extreme.value);
    } else {
        for (const wchar_t* name : kFolderViewValueNames) StoreExtreme(name, extreme.value);
    }
    ASSERT_TRUE(MakeFile(root_ / L"visible.txt"));
    LoadFolderViewSettings();
    HWND child = Open(root_.path());
    ASSERT_NE(child, nullptr);
    HWND list = View(child)->ListView;
    ASSERT_TRUE(IsWindow(list));
    EXPECT_EQ(GetParent(list), child);
    EXPECT_TRUE(IsWindowVisible(list));

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(list, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE),
              0u);
    EXPECT_EQ(style & (LVS_OWNERDATA | LVS_OWNERDRAWFIXED | LVS_NOSCROLL | LVS_NOCOLUMNHEADER | LVS_SORTASCENDING |
                       LVS_SORTDESCENDING),
              0u);
    const DWORD exStyle = ListView_GetExtendedListViewStyle(list);
    EXPECT_EQ(exStyle & (LVS_EX_HIDELABELS | LVS_EX_SINGLEROW | LVS_EX_REGIONAL), 0u);

    // The list fills the folder window and shows the folder's item by name.
    RECT childArea{}, listArea{};
    GetClientRect(child, &childArea);
    GetWindowRect(list, &listArea);
    EXPECT_GE(listArea.right - listArea.left, (childArea.right - childArea.left) / 2);
    EXPECT_GE(listArea.bottom - listArea.top, (childArea.bottom - childArea.top) / 2);
    EXPECT_TRUE(WaitForName(child, L"visible.txt")) << Joined(Names(child));
    const DWORD view = ListView_GetView(list);
    if (view == LV_VIEW_DETAILS || view == LV_VIEW_LIST) EXPECT_GE(ListView_GetColumnWidth(list, 0), 16);
    const FolderViewSettings& settings = FolderViewConfig();
    EXPECT_LE(settings.IniViewStyle, 4);
    EXPECT_LE(settings.MClick, 3);

    int side = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(FolderViewImages().Thumbnails.get(), &side, &height));
    EXPECT_GE(side, 32);
    EXPECT_LE(side, 256);
}

const StoredExtreme kFolderViewExtremes[] = {
    {"AllValuesAllBits", nullptr, 0xFFFFFFFF},
    {"AllValuesTopBit", nullptr, 0x80000000},
    {"AllValuesZero", nullptr, 0},
    {"ListStyleAllBits", L"LVS_FLAGS", 0xFFFFFFFF},
    {"ListStyleTopBit", L"LVS_FLAGS", 0x80000000},
    {"ListStyleWindowBits", L"LVS_FLAGS", 0xFFFF0000},
    {"ListStyleLowBits", L"LVS_FLAGS", 0x0000FFFF},
    {"ListStyleOwnerData", L"LVS_FLAGS", LVS_OWNERDATA},
    {"ListStyleIcons", L"LVS_FLAGS", LVS_ICON | LVS_SORTASCENDING},
    {"ExStyleAllBits", L"LVS_EX_FLAGS", 0xFFFFFFFF},
    {"ExStyleTopBit", L"LVS_EX_FLAGS", 0x80000000},
    {"ExStyleHiddenLabels", L"LVS_EX_FLAGS", LVS_EX_HIDELABELS},
    {"ViewStyleAllBits", L"IniViewStyle", 0xFFFFFFFF},
    {"ViewStylePastThumbnails", L"IniViewStyle", 5},
    {"ViewStyleList", L"IniViewStyle", 2},
    {"MiddleClickAllBits", L"MClick", 0xFFFFFFFF},
    {"CharWidthAllBits", L"CharWidth", 0xFFFFFFFF},
    {"CharWidthZero", L"CharWidth", 0},
    {"ListWidthAllBits", L"ListWidth", 0xFFFFFFFF},
    {"ListWidthZero", L"ListWidth", 0},
    {"ListWidthNegative", L"ListWidth", static_cast<DWORD>(-5)},
    {"AlertCountAllBits", L"AlertCount", 0xFFFFFFFF},
    {"ThumbnailSizeAllBits", L"ThumbnailSize", 0xFFFFFFFF},
    {"ThumbnailSizeZero", L"ThumbnailSize", 0},
    {"ThumbnailSizeNegative", L"ThumbnailSize", static_cast<DWORD>(-96)},
};

INSTANTIATE_TEST_SUITE_P(Values, FolderViewStoredExtremes, testing::ValuesIn(kFolderViewExtremes),
                         [](const testing::TestParamInfo<StoredExtreme>& info) { return info.param.label; });

}  // namespace

namespace {

struct ProcessResources {
    DWORD handles = 0, gdi = 0, user = 0;
};

ProcessResources CountResources() {
    ProcessResources counts;
    counts.handles = CountKernelHandles();
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return counts;
}

}  // namespace

// Opening and closing 300 tabs, navigating 300 times and going through the
// view modes leave the process's kernel handles, GDI and USER objects where
// they were (Wine counts no GDI or USER objects; there the handles decide).
TEST_F(FolderView, ManyTabsNavigationsAndModesLeaveNoHandlesOrObjectsBehind) {
    const std::wstring first = root_ / L"first";
    const std::wstring second = root_ / L"second";
    for (const std::wstring& folder : {first, second}) {
        ASSERT_TRUE(MakeDirectory(folder));
        for (int i = 0; i < 20; ++i) ASSERT_TRUE(MakeFile(folder + L"\\item" + std::to_wstring(i) + L".txt"));
    }
    auto closeAll = [] {
        for (HWND child : Children()) SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        Pump();
    };
    auto round = [&](int count) {
        for (int i = 0; i < count; ++i) {
            HWND child = Open(i % 2 ? first : second);
            ASSERT_NE(child, nullptr);
            if (i % 10 == 0) View(child)->SetViewMode((i / 10) % 5);
            SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        }
        HWND child = Open(first);
        ASSERT_NE(child, nullptr);
        for (int i = 0; i < count; ++i) {
            View(child)->BrowseTo(PidlOfPath(i % 2 ? first : second).release(), true, nullptr);
            if (i % 30 == 0) View(child)->SetViewMode((i / 30) % 5);
        }
        closeAll();
    };
    // The first rounds make what lives as long as the process: caches of the
    // shell and of the system image lists, the scheduler's threads.
    round(20);
    const ProcessResources before = CountResources();
    round(300);
    const ProcessResources after = CountResources();
    // Threads that come and go (the schedulers', the watchers') move the
    // figures a little; a leak per tab or per navigation would add hundreds.
    constexpr DWORD kMargin = 24;
    EXPECT_LE(after.handles, before.handles + kMargin) << before.handles << " handles before, " << after.handles
                                                       << " after";
    EXPECT_LE(after.gdi, before.gdi + kMargin) << before.gdi << " GDI objects before, " << after.gdi << " after";
    EXPECT_LE(after.user, before.user + kMargin) << before.user << " USER objects before, " << after.user << " after";
}
