// Every item of the main menu sent as a command with no tab, one tab and a
// search-results tab: nothing crashes, hangs or shows a dialog it should not.

#include "tests/mainwnd/CommandFixture.h"

#include "res/resource.h"
#include "shell/uContextMenuHost.h"

#include <map>

namespace {

// Every leaf command of the resource menu, in menu order.
void CollectCommands(HMENU menu, std::vector<UINT>& ids) {
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
        if (info.hSubMenu)
            CollectCommands(info.hSubMenu, ids);
        else if (!(info.fType & MFT_SEPARATOR) && info.wID != 0)
            ids.push_back(info.wID);
    }
}

void PrepareAll(HWND frame, HMENU menu) {
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(i, FALSE));
            PrepareAll(frame, sub);
        }
    }
}

std::vector<std::wstring> g_shellVerbs;

BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOW* info) {
    g_shellVerbs.push_back(info->lpVerb ? info->lpVerb : L"");
    return TRUE;
}

// The context menu command shows a menu and waits in its loop; the walk closes it at once.
UINT CloseMenuAtOnce(HMENU, int, int, HWND) { return 0; }

enum class Tabs { None, OneFolder, Search };

class MenuWalk : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder_ = MakeFolder(L"walk");
        Routing().shellExecute = RecordShellExecute;
        g_shellVerbs.clear();
        savedTracker_ = ContextMenuTrackerHook();
        ContextMenuTrackerHook() = CloseMenuAtOnce;
        // Files another test left on the clipboard would be pasted into the walk's folder.
        if (OpenClipboard(frame_)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    void TearDown() override {
        ContextMenuTrackerHook() = savedTracker_;
        CommandTest::TearDown();
    }
    ContextMenuTracker savedTracker_ = nullptr;

    // Back to the state under test: the frame shown and only the wanted tab.
    void Reset(Tabs tabs) {
        if (Frame().inTray) FromTray();
        if (IsIconic(frame_)) ShowWindow(frame_, SW_RESTORE);
        while (TabCount() > 0) {
            HWND child = TabChild(0);
            SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
            if (IsWindow(child)) break;
        }
        PumpPending();
        if (tabs == Tabs::OneFolder) ASSERT_NE(OpenTab(folder_), nullptr);
        if (tabs == Tabs::Search) ASSERT_NE(OpenSearchTab(), nullptr);
    }

    void Walk(Tabs tabs) {
        UniqueResource<HMENU, MenuTraitsForTest> resource(LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU"));
        ASSERT_TRUE(resource);
        std::vector<UINT> ids;
        CollectCommands(resource.get(), ids);
        ASSERT_GT(ids.size(), 90u);

        // A dialog the command is there to show.
        const std::map<UINT, std::wstring> expected = {{IDM_ABOUT, L"バージョン情報"},
                                                       {IDM_KEYS_PROGRAM, L"全体のキーボード設定"},
                                                       {IDM_KEYS_LIST, L"リストビューのキーボード設定"},
                                                       {IDM_GROUP_ADD, L"お気に入りグループの追加"},
                                                       {IDM_GROUP_ORGANIZE, L"お気に入りグループ"}};
        DialogWatcher watcher;
        int sent = 0;
        for (UINT id : ids) {
            if (id == IDM_EXIT) continue;  // ends the frame; tested on its own
            Reset(tabs);
            if (HasFatalFailure()) return;
            PrepareAll(frame_, GetMenu(frame_));
            SendMessageW(frame_, WM_COMMAND, id, 0);
            PumpPending();
            ++sent;
            ASSERT_TRUE(IsWindow(frame_)) << "command " << id;
            // The folder browser of 5118 and the toolbar's customise dialog of
            // 5041 are those commands' own dialogs, captioned by the platform.
            for (const std::wstring& title : watcher.Take()) {
                if (id == IDM_NEW_FROM_TREE || id == IDM_CUSTOMIZE_TOOLBAR) continue;
                auto it = expected.find(id);
                EXPECT_EQ(it == expected.end() ? std::wstring(L"(no dialog)") : it->second, title)
                    << "command " << id;
            }
        }
        EXPECT_EQ(sent + 1, static_cast<int>(ids.size()));
        // The dynamic closed-folder items as the prepared menu shows them.
        Reset(tabs);
        PrepareAll(frame_, GetMenu(frame_));
        HMENU closed = Submenu(IDM_CLOSED_MENU);
        ASSERT_NE(closed, nullptr);
        for (int i = 2, count = GetMenuItemCount(closed); i < count; ++i) {
            SendMessageW(frame_, WM_COMMAND, GetMenuItemID(closed, i), 0);
            PumpPending();
            ASSERT_TRUE(IsWindow(frame_));
        }
        EXPECT_TRUE(watcher.Take().empty());
    }

    struct MenuTraitsForTest {
        static HMENU invalid() { return nullptr; }
        static bool valid(HMENU menu) { return menu != nullptr; }
        static void close(HMENU menu) { DestroyMenu(menu); }
    };

    std::wstring folder_;
};

TEST_F(MenuWalk, EveryItemWithNoTab) {
    Walk(Tabs::None);
    // The shell gets the desktop when no view exists.
    EXPECT_EQ(g_shellVerbs, (std::vector<std::wstring>{L"find", L"open"}));
}

TEST_F(MenuWalk, EveryItemWithOneFolderTab) {
    Walk(Tabs::OneFolder);
    EXPECT_EQ(g_shellVerbs, (std::vector<std::wstring>{L"find", L"open"}));
}

TEST_F(MenuWalk, EveryItemWithASearchResultsTab) { Walk(Tabs::Search); }

HWND FindOwnDialog() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            // Visible only once its controls exist.
            if (process != GetCurrentProcessId() || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND*>(lParam) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(MenuWalk, TheAboutBoxIsTheVersionDialogWithTheProgramIcon) {
    std::wstring title;
    HICON icon = nullptr;
    std::thread closer([&] {
        HWND box = nullptr;
        for (int i = 0; i < 3000 && !box; ++i) {
            box = FindOwnDialog();
            if (!box) Sleep(20);
        }
        if (!box) return;
        wchar_t text[64] = {};
        InternalGetWindowText(box, text, 64);
        title = text;
        // A static icon control answers STM_GETICON without its thread.
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(GetDlgItem(box, 7248), STM_GETICON, 0, 0, SMTO_NORMAL, 30000, &answer);
        icon = reinterpret_cast<HICON>(answer);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Send(IDM_ABOUT);
    closer.join();
    EXPECT_EQ(title, L"バージョン情報");
    EXPECT_NE(icon, nullptr) << "the program icon";
}

TEST_F(MenuWalk, ExitClosesTheFrame) {
    ASSERT_NE(OpenTab(folder_), nullptr);
    Send(IDM_EXIT);
    PumpPending();
    EXPECT_FALSE(IsWindow(frame_));
}

TEST_F(MenuWalk, TheShellIsAskedForTheActiveViewsFolder) {
    static std::wstring shown;
    Routing().shellExecute = [](SHELLEXECUTEINFOW* info) -> BOOL {
        shown = PathOfPidl(static_cast<PCIDLIST_ABSOLUTE>(info->lpIDList));
        return TRUE;
    };
    ASSERT_NE(OpenTab(folder_), nullptr);
    Send(IDM_SHELL_OPEN);
    EXPECT_EQ(_wcsicmp(shown.c_str(), folder_.c_str()), 0);
}

}  // namespace
