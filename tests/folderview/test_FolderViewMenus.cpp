// The folder view's context menus, tracked by a hand that reads the popup and
// chooses instead of the modal menu loop: the item menu with its own entry on
// top, the background menu with the program's items before the shell's, and
// what the choices do.

#include "FolderViewFixture.h"

#include "res/resource.h"
#include "shell/uContextMenuHost.h"
#include "shell/uContextMenuSlot.h"
#include "tests/support/ZekoProcess.h"

#include <functional>

namespace {

struct MenuHand {
    std::vector<std::wstring> texts;  // the popup's top-level texts, in order
    std::vector<UINT> ids;
    std::function<UINT(HMENU)> choose = [](HMENU) { return 0u; };
};
MenuHand* g_hand = nullptr;

UINT TrackByHand(HMENU popup, int, int, HWND) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(popup, i, text, 256, MF_BYPOSITION);
        g_hand->texts.push_back(text);
        g_hand->ids.push_back(GetMenuItemID(popup, i));
    }
    return g_hand->choose(popup);
}

// The identifier of the shell's entry with verb `verb` in the tracked menu, or 0.
UINT ShellVerbId(HMENU popup, const char* verb) {
    const ComPtr<IContextMenu>& menu = TrackedContextMenuSlot();
    for (int i = 0; menu && i < GetMenuItemCount(popup); ++i) {
        const UINT id = GetMenuItemID(popup, i);
        char name[1040] = {};
        if (id != 0 && id != UINT(-1) && id >= kContextMenuFirstId && id <= kContextMenuLastId &&
            SUCCEEDED(menu->GetCommandString(id - kContextMenuFirstId, GCS_VERBA, nullptr, name, sizeof(name))) &&
            lstrcmpiA(name, verb) == 0)
            return id;
    }
    return 0;
}

class FolderViewMenus : public FolderViewTest {
protected:
    void SetUp() override {
        FolderViewTest::SetUp();
        g_hand = &hand_;
        saved_ = ContextMenuTrackerHook();
        ContextMenuTrackerHook() = TrackByHand;
    }
    void TearDown() override {
        ContextMenuTrackerHook() = saved_;
        g_hand = nullptr;
        FolderViewTest::TearDown();
    }
    MenuHand hand_;
    ContextMenuTracker saved_ = nullptr;
};

TEST_F(FolderViewMenus, OneFolderGetsOpenInNewTabOnTopAFileDoesNot) {
    ASSERT_TRUE(MakeDirectory(root_ / L"sub"));
    ASSERT_TRUE(MakeFile(root_ / L"file.txt"));
    HWND child = Open(root_.path());
    Select(child, L"sub");
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ASSERT_GE(hand_.ids.size(), 3u);
    EXPECT_EQ(hand_.ids[0], static_cast<UINT>(IDM_CONTEXT_OPEN_NEW_TAB));
    EXPECT_EQ(hand_.texts[0], L"新しいタブで開く");

    hand_ = MenuHand{};
    Select(child, L"file.txt");
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ASSERT_FALSE(hand_.ids.empty());
    EXPECT_NE(hand_.ids[0], static_cast<UINT>(IDM_CONTEXT_OPEN_NEW_TAB));
}

TEST_F(FolderViewMenus, ChoosingOpenInNewTabOpensTheFolderInANewTab) {
    ASSERT_TRUE(MakeDirectory(root_ / L"sub"));
    HWND child = Open(root_.path());
    Select(child, L"sub");
    hand_.choose = [](HMENU) { return static_cast<UINT>(IDM_CONTEXT_OPEN_NEW_TAB); };
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ASSERT_TRUE(WaitUntil([&] { return Children().size() == 2; }, 30000));
}

TEST_F(FolderViewMenus, TheShellsRenameBecomesTheListsRenameAndItsCutMarksTheItem) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    HWND child = Open(root_.path());
    Select(child, L"a.txt");
    UINT renameId = 0;
    hand_.choose = [&](HMENU popup) { return renameId = ShellVerbId(popup, "rename"); };
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ASSERT_NE(renameId, 0u) << "the shell offers no rename";
    HWND edit = ListView_GetEditControl(View(child)->ListView);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);

    UINT cutId = 0;
    hand_.choose = [&](HMENU popup) { return cutId = ShellVerbId(popup, "cut"); };
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ASSERT_NE(cutId, 0u) << "the shell offers no cut";
    Pump();
    const int index = IndexOf(child, L"a.txt");
    EXPECT_TRUE(ListView_GetItemState(View(child)->ListView, index, LVIS_CUT) & LVIS_CUT);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
}

TEST_F(FolderViewMenus, BackgroundMenuPutsTheProgramsItemsBeforeTheShellsAndActsOnThem) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    HWND child = Open(root_.path());
    ListView_SetItemState(View(child)->ListView, -1, 0, LVIS_SELECTED);
    hand_.choose = [](HMENU popup) {
        // The view submenu is the first entry; its radio mark shows the mode.
        HMENU modes = GetSubMenu(popup, 0);
        EXPECT_TRUE(GetMenuState(modes, IDM_VIEW_DETAILS, MF_BYCOMMAND) & MF_CHECKED);
        return static_cast<UINT>(IDM_VIEW_LIST);
    };
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ASSERT_GE(hand_.texts.size(), 8u);
    EXPECT_EQ(hand_.texts[0], L"表示(&V)");
    EXPECT_EQ(hand_.ids[3], static_cast<UINT>(IDM_REFRESH));
    EXPECT_EQ(hand_.ids[5], static_cast<UINT>(IDM_PASTE));
    EXPECT_EQ(hand_.ids[6], static_cast<UINT>(IDM_PASTE_SHORTCUT));
    EXPECT_EQ(View(child)->ViewMode, 2);
}

}  // namespace
