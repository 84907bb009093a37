// The tab's shell context menu (tab click command 5116): the folder's own
// menu from its parent, shown at the tab with the frame as owner, and the
// chosen command run on the folder.

#include "MdiTestFrame.h"

#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "shell/uContextMenuHost.h"
#include "shell/uContextMenuSlot.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the tracker saw of the one menu it was given.
struct TrackedMenu {
    int calls = 0;
    int items = 0;
    HWND owner = nullptr;
    POINT at{};
    bool slotSet = false;
    std::vector<std::string> verbs;
    UINT copyId = 0;
    // The tracker answers this verb's identifier, or 0 (nothing chosen).
    std::string choose;
};

TrackedMenu g_tracked;

std::string VerbOf(IContextMenu* menu, UINT id) {
    char verb[1040] = {};
    if (!menu || FAILED(menu->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, sizeof(verb)))) return {};
    return verb;
}

UINT RecordingTracker(HMENU popup, int x, int y, HWND owner) {
    TrackedMenu& t = g_tracked;
    ++t.calls;
    t.items = GetMenuItemCount(popup);
    t.owner = owner;
    t.at = {x, y};
    IContextMenu* menu = TrackedContextMenuSlot().get();
    t.slotSet = menu != nullptr;
    UINT chosen = 0;
    for (int i = 0; i < t.items; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        const std::string verb = VerbOf(menu, id);
        t.verbs.push_back(verb);
        if (!t.choose.empty() && verb == t.choose) chosen = id;
    }
    return chosen;
}

class TabContextMenu : public MdiTest {
protected:
    void SetUp() override {
        MdiTest::SetUp();
        g_tracked = {};
        ContextMenuTrackerHook() = RecordingTracker;
        EmptyTheClipboard();
    }
    void TearDown() override {
        ContextMenuTrackerHook() = saved_;
        MdiTest::TearDown();
    }
    void EmptyTheClipboard() {
        ASSERT_TRUE(OpenClipboard(frame_));
        EmptyClipboard();
        CloseClipboard();
    }
    // Ctrl + right click, bound to 5116 by default.
    void ControlRightClick(int index) {
        ASSERT_EQ(TabBar().settings.rcClick, IDM_TAB_CONTEXT);
        RECT item{};
        ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, index, &item));
        const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        SendMessageW(TabBar().tabs, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, point);
        SendMessageW(TabBar().tabs, WM_RBUTTONUP, MK_CONTROL, point);
        PumpMessages();
    }

    ContextMenuTracker saved_ = ContextMenuTrackerHook();
};

// The files the clipboard holds as a drop list.
std::vector<std::wstring> ClipboardFiles() {
    std::vector<std::wstring> files;
    if (!OpenClipboard(nullptr)) return files;
    if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t path[MAX_PATH] = {};
            DragQueryFileW(drop, i, path, MAX_PATH);
            files.push_back(path);
        }
    }
    CloseClipboard();
    return files;
}

TEST_F(TabContextMenu, AFolderTabShowsTheFoldersShellMenuWithTheFrameAsOwner) {
    OpenFolderChild(MakeFolder(L"menu"));
    ControlRightClick(0);
    ASSERT_EQ(g_tracked.calls, 1);
    EXPECT_GT(g_tracked.items, 0);
    EXPECT_EQ(g_tracked.owner, frame_);
    EXPECT_TRUE(g_tracked.slotSet) << "the frame relays the menu messages while it is open";
    EXPECT_NE(std::find(g_tracked.verbs.begin(), g_tracked.verbs.end(), "copy"), g_tracked.verbs.end());
    EXPECT_FALSE(TrackedContextMenuSlot()) << "the slot is empty once the menu closed";
}

TEST_F(TabContextMenu, ChoosingNothingRunsNothing) {
    const std::wstring folder = MakeFolder(L"nothing");
    HWND child = OpenFolderChild(folder);
    ControlRightClick(0);
    ASSERT_EQ(g_tracked.calls, 1);
    EXPECT_TRUE(ClipboardFiles().empty());
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(TabCount(), 1);
}

TEST_F(TabContextMenu, TheChosenCommandRunsOnTheClickedTabsFolder) {
    const std::wstring first = MakeFolder(L"first");
    OpenFolderChild(first);
    OpenFolderChild(MakeFolder(L"second"));
    g_tracked.choose = "copy";
    ControlRightClick(0);
    ASSERT_EQ(g_tracked.calls, 1);
    EXPECT_EQ(ClipboardFiles(), std::vector<std::wstring>{first});
}

TEST_F(TabContextMenu, ASearchResultsTabHasNoContextMenu) {
    OpenSearchChild();
    ControlRightClick(0);
    EXPECT_EQ(g_tracked.calls, 0);
}

TEST_F(TabContextMenu, TheMenuOpensAtTheCursorOverTheTabElseBelowIt) {
    OpenFolderChild(MakeFolder(L"place"));
    RECT item{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 0, &item));
    MapWindowPoints(TabBar().tabs, nullptr, reinterpret_cast<POINT*>(&item), 2);
    const POINT over{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ASSERT_TRUE(SetCursorPos(over.x, over.y));
    RunTabCommand(IDM_TAB_CONTEXT, 0);
    EXPECT_EQ(g_tracked.at.x, over.x);
    EXPECT_EQ(g_tracked.at.y, over.y);

    ASSERT_TRUE(SetCursorPos(item.right + 200, item.bottom + 300));
    RunTabCommand(IDM_TAB_CONTEXT, 0);
    EXPECT_EQ(g_tracked.at.x, item.left);
    EXPECT_EQ(g_tracked.at.y, item.bottom);
}

// The real menu loop: a thread timer looks for the open menu window and
// closes the menu without a choice.
struct OpenMenuSeen {
    bool menuWindow = false;
    bool slotSet = false;
    int ticks = 0;
};
OpenMenuSeen g_seen;

void CALLBACK CloseTheMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    ++g_seen.ticks;
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (popup && IsWindowVisible(popup)) g_seen.menuWindow = true;
    if (TrackedContextMenuSlot()) g_seen.slotSet = true;
    if (g_seen.menuWindow || g_seen.ticks > 40) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}

TEST_F(TabContextMenu, TheRealMenuOpensAndClosesWithNothingChosen) {
    ContextMenuTrackerHook() = saved_;
    const std::wstring folder = MakeFolder(L"real");
    HWND child = OpenFolderChild(folder);
    g_seen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseTheMenu);
    ASSERT_NE(timer, 0u);
    RunTabCommand(IDM_TAB_CONTEXT, 0);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_seen.menuWindow);
    EXPECT_TRUE(g_seen.slotSet);
    EXPECT_FALSE(TrackedContextMenuSlot());
    EXPECT_TRUE(ClipboardFiles().empty());
    EXPECT_TRUE(IsWindow(child));
    EXPECT_EQ(ShownPath(child), folder);
}

}  // namespace
