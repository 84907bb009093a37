// Drops onto the folder view and onto a tab, through their registered drop
// targets with the shell's own data object of real files: the effect follows
// the keys, the view's own drag is refused on its own background, and the
// files land on disk.

#include "FolderViewFixture.h"

#include "folderview/uFolderViewSettings.h"
#include "mdi/wMDITab.h"
#include "shell/hOledd.h"
#include "shell/uContextMenuHost.h"
#include "tests/support/MouseDrag.h"

#include <algorithm>

namespace {

using FolderViewDrop = FolderViewTest;

ComPtr<IDataObject> DataOf(const std::wstring& path) {
    ComPtr<IDataObject> data;
    UniqueAbsolutePidl absolute = PidlOfPath(path);
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (absolute && SUCCEEDED(SHBindToParent(absolute.get(), IID_IShellFolder, parent.putVoid(), &last)))
        parent->GetUIObjectOf(nullptr, 1, &last, IID_IDataObject, nullptr, data.putVoid());
    return data;
}

POINTL Screen(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return POINTL{client.x, client.y};
}

// A point of the list's background, away from its items and its edges.
POINTL Background(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    return Screen(list, POINT{client.right / 2, client.bottom - 60});
}

POINTL OverItem(HWND list, int index) {
    RECT item{};
    ListView_GetItemRect(list, index, &item, LVIR_LABEL);
    return Screen(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
}

// Enters, moves and drops; the effect the target reported on the last move.
DWORD DragAndDrop(IDropTarget* target, IDataObject* data, DWORD keys, POINTL point, bool drop = true) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragEnter(data, keys, point, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragOver(keys, point, &effect);
    const DWORD shown = effect;
    if (!drop) {
        target->DragLeave();
        return shown;
    }
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->Drop(data, keys & ~(MK_LBUTTON | MK_RBUTTON), point, &effect);
    return shown;
}

TEST_F(FolderViewDrop, KeysChooseCopyOrMoveOntoAnotherViewsBackground) {
    ASSERT_TRUE(MakeDirectory(root_ / L"from"));
    ASSERT_TRUE(MakeDirectory(root_ / L"to"));
    ASSERT_TRUE(MakeFile(root_ / L"from\\copied & 日本.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"from\\moved.txt"));
    HWND target = Open(root_ / L"to");
    ASSERT_TRUE(View(target)->DropTarget);
    IDropTarget* drop = View(target)->DropTarget.get();

    EXPECT_EQ(DragAndDrop(drop, DataOf(root_ / L"from\\copied & 日本.txt").get(), MK_LBUTTON | MK_CONTROL,
                          Background(View(target)->ListView)),
              static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(Exists(root_ / L"to\\copied & 日本.txt"));
    EXPECT_TRUE(Exists(root_ / L"from\\copied & 日本.txt"));

    EXPECT_EQ(DragAndDrop(drop, DataOf(root_ / L"from\\moved.txt").get(), MK_LBUTTON, Background(View(target)->ListView)),
              static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_TRUE(Exists(root_ / L"to\\moved.txt"));
    EXPECT_FALSE(Exists(root_ / L"from\\moved.txt"));
    EXPECT_TRUE(WaitForName(target, L"moved.txt"));
}

TEST_F(FolderViewDrop, AFolderItemTakesTheDropIntoItself) {
    ASSERT_TRUE(MakeDirectory(root_ / L"inner"));
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    ASSERT_TRUE(MakeFile(root_ / L"elsewhere\\a.txt"));
    HWND child = Open(root_.path());
    DragAndDrop(View(child)->DropTarget.get(), DataOf(root_ / L"elsewhere\\a.txt").get(), MK_LBUTTON | MK_CONTROL,
                OverItem(View(child)->ListView, IndexOf(child, L"inner")));
    EXPECT_TRUE(Exists(root_ / L"inner\\a.txt"));
}

UINT g_menuItems = 0;
UINT CancelDropMenu(HMENU menu, int, int, HWND) {
    g_menuItems = static_cast<UINT>(GetMenuItemCount(menu));
    return 0;
}

TEST_F(FolderViewDrop, OwnDragIsRefusedOnOwnBackgroundUnlessTheRightButtonAsks) {
    ASSERT_TRUE(MakeFile(root_ / L"self.txt"));
    HWND child = Open(root_.path());
    TFolderView* view = View(child);
    Select(child, L"self.txt");
    ComPtr<IDataObject> data = DataOf(root_ / L"self.txt");
    view->SelfDrag = true;
    EXPECT_EQ(DragAndDrop(view->DropTarget.get(), data.get(), MK_LBUTTON, Background(view->ListView)),
              static_cast<DWORD>(DROPEFFECT_NONE));
    // Its own selected item is no target either.
    EXPECT_EQ(DragAndDrop(view->DropTarget.get(), data.get(), MK_LBUTTON, OverItem(view->ListView, IndexOf(child, L"self.txt")), false),
              static_cast<DWORD>(DROPEFFECT_NONE));

    const ContextMenuTracker saved = ContextMenuTrackerHook();
    ContextMenuTrackerHook() = CancelDropMenu;
    g_menuItems = 0;
    DragAndDrop(view->DropTarget.get(), data.get(), MK_RBUTTON, Background(view->ListView));
    ContextMenuTrackerHook() = saved;
    view->SelfDrag = false;
    EXPECT_GT(g_menuItems, 0u) << "the right-button drop asks";
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"self.txt"}));
}

TEST_F(FolderViewDrop, ADropOnATabGoesIntoThatTabsFolder) {
    ASSERT_TRUE(MakeDirectory(root_ / L"tab"));
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    Open(root_ / L"tab");
    Open(root_.path());
    HWND tabs = TabBar().tabs;
    ASSERT_TRUE(TabBar().dropTarget);
    RECT item{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tabs, 0, &item));
    const POINTL point = Screen(tabs, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    EXPECT_EQ(DragAndDrop(TabBar().dropTarget.get(), DataOf(root_ / L"a.txt").get(), MK_LBUTTON | MK_CONTROL, point),
              static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(Exists(root_ / L"tab\\a.txt"));
    EXPECT_EQ(TabBar().dropMark, -1);
}

// What a drag started from a view hands to the drag loop, seen from inside
// the loop: the loop itself needs a real mouse.
struct DragSeen {
    TFolderView* view = nullptr;
    int loops = 0;
    DWORD allowed = 0;
    std::vector<std::wstring> files;
    bool offersShellList = false;
    bool selfDrag = false;
    DWORD ownBackground = DROPEFFECT_COPY;
} g_drag;

HRESULT RecordDrag(HWND, IDataObject* data, DWORD allowed, DWORD* effect) {
    ++g_drag.loops;
    g_drag.allowed = allowed;
    g_drag.selfDrag = g_drag.view->SelfDrag;
    FORMATETC drop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&drop, &medium))) {
        auto files = static_cast<HDROP>(medium.hGlobal);
        for (UINT i = 0, count = DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0); i < count; ++i) {
            wchar_t path[MAX_PATH] = {};
            DragQueryFileW(files, i, path, MAX_PATH);
            g_drag.files.push_back(path);
        }
        ReleaseStgMedium(&medium);
    }
    FORMATETC list = {static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Shell IDList Array")), nullptr,
                      DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    g_drag.offersShellList = data->QueryGetData(&list) == S_OK;
    // While the loop runs, the view is the drag's source.
    g_drag.ownBackground = DragAndDrop(g_drag.view->DropTarget.get(), data, MK_LBUTTON, Background(g_drag.view->ListView));
    *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
}

TEST_F(FolderViewDrop, ADragOfTheSelectionHandsItsFilesToTheLoopAsTheViewsOwnDrag) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"b 日本.txt"));
    ASSERT_TRUE(MakeFile(root_ / L"left.txt"));
    HWND child = Open(root_.path());
    g_drag = DragSeen{View(child)};
    Select(child, L"a.txt");
    ListView_SetItemState(View(child)->ListView, IndexOf(child, L"b 日本.txt"), LVIS_SELECTED, LVIS_SELECTED);
    const DragLoop saved = DragLoopHook();
    DragLoopHook() = RecordDrag;
    NMLISTVIEW begin{};
    begin.hdr = {View(child)->ListView, kFolderViewListId, LVN_BEGINDRAG};
    begin.iItem = IndexOf(child, L"a.txt");
    SendMessageW(child, WM_NOTIFY, kFolderViewListId, reinterpret_cast<LPARAM>(&begin));
    FolderViewConfig().AllowRDrag = false;
    begin.hdr.code = LVN_BEGINRDRAG;
    SendMessageW(child, WM_NOTIFY, kFolderViewListId, reinterpret_cast<LPARAM>(&begin));
    DragLoopHook() = saved;

    EXPECT_EQ(g_drag.loops, 1) << "a right-button drag waits for AllowRDrag";
    EXPECT_EQ(g_drag.allowed, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
    std::sort(g_drag.files.begin(), g_drag.files.end());
    EXPECT_EQ(g_drag.files, (std::vector<std::wstring>{root_ / L"a.txt", root_ / L"b 日本.txt"}));
    EXPECT_TRUE(g_drag.offersShellList);
    EXPECT_TRUE(g_drag.selfDrag);
    EXPECT_EQ(g_drag.ownBackground, static_cast<DWORD>(DROPEFFECT_NONE)) << "moved onto its own folder";
    EXPECT_FALSE(View(child)->SelfDrag);
    EXPECT_TRUE(Exists(root_ / L"a.txt"));
}

// The whole way with the real mouse: the press and the moves start the
// list's drag, the platform's drag loop carries it to the folder item, and
// the release drops the file into that folder.
TEST_F(FolderViewDrop, TheMouseDragsAFileOntoAFolderItem) {
    ASSERT_TRUE(MakeDirectory(root_ / L"inner 日本"));
    ASSERT_TRUE(MakeFile(root_ / L"dragged & 日本.txt"));
    HWND child = Open(root_.path());
    HWND list = View(child)->ListView;
    SetForegroundWindow(frame_);
    const int folder = IndexOf(child, L"inner 日本");
    const POINTL from = OverItem(list, IndexOf(child, L"dragged & 日本.txt"));
    const POINTL to = OverItem(list, folder);
    ASSERT_EQ(WindowFromPoint(POINT{from.x, from.y}), list);

    const DWORD thread = GetCurrentThreadId();
    MouseDrag drag(POINT{from.x, from.y}, POINT{to.x, to.y}, [&] { return DragLoopRunning(thread, list); },
                   [&] { return (ListView_GetItemState(list, folder, LVIS_DROPHILITED) & LVIS_DROPHILITED) != 0; });
    ASSERT_TRUE(WaitUntil([&] { return drag.done(); }, 120000));
    EXPECT_TRUE(drag.started()) << "the press and the moves start a drag loop";
    EXPECT_TRUE(drag.arrived()) << "the folder item shows the drop";
    EXPECT_TRUE(WaitUntil([&] { return Exists(root_ / L"inner 日本\\dragged & 日本.txt"); }, 30000));
    EXPECT_FALSE(Exists(root_ / L"dragged & 日本.txt")) << "a drag on one drive moves";
}

}  // namespace
