// The child window's message table: content switching, notifications routed
// to the content, item ID lists freed with their list items, and the mouse
// activation rule.

#include "MdiTestFrame.h"

#include "app/Global.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// A result list as the search unit will make one: a plain list box standing in
// for the list view, recording the notifications it is given.
class RecordingContent : public TMDIChildContent {
public:
    explicit RecordingContent(HWND parent) {
        ListView = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, 0,
                                   0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kSearchListId)),
                                   GetModuleHandleW(nullptr), nullptr);
    }
    void Show(bool visible) override { ShowWindow(ListView, visible ? SW_SHOW : SW_HIDE); }
    void Resize(int width, int height) override { MoveWindow(ListView, 0, 0, width, height, TRUE); }
    LRESULT OnNotify(NMHDR* header) override {
        codes.push_back(header->code);
        return 77;
    }
    std::vector<UINT> codes;
};

std::unique_ptr<TMDIChildContent> MakeRecordingContent(TMDIChildView& view) {
    return std::make_unique<RecordingContent>(view.Window);
}

class ChildMessages : public MdiTest {
protected:
    void SetUp() override {
        MdiTest::SetUp();
        SetSearchListMaker(MakeRecordingContent);
    }
    void TearDown() override {
        MdiTest::TearDown();
        SetSearchListMaker(nullptr);
    }
    static RecordingContent* ResultsOf(HWND child) {
        return static_cast<RecordingContent*>(ChildViewOf(child)->SearchList.get());
    }
    static LRESULT Notify(HWND child, UINT_PTR id, UINT code, LPARAM itemData = 0) {
        NMLISTVIEW notification{};
        notification.hdr.hwndFrom = GetDlgItem(child, static_cast<int>(id));
        notification.hdr.idFrom = id;
        notification.hdr.code = code;
        notification.iItem = 0;
        notification.lParam = itemData;
        return SendMessageW(child, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&notification));
    }
};

TEST_F(ChildMessages, ASearchChildShowsItsResultListOverTheWholeChild) {
    HWND child = OpenSearchChild();
    RecordingContent* results = ResultsOf(child);
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(ChildViewOf(child)->FolderView, nullptr);
    RECT client{};
    GetClientRect(child, &client);
    RECT list{};
    GetWindowRect(results->ListView, &list);
    EXPECT_EQ(list.right - list.left, client.right);
    EXPECT_EQ(list.bottom - list.top, client.bottom);
    EXPECT_EQ(GetFocus(), results->ListView);
}

TEST_F(ChildMessages, SwitchingKindsShowsOneContentAndMovesTheFocus) {
    HWND child = OpenFolderChild(L"C:\\windows");
    TMDIChildView* view = ChildViewOf(child);
    HWND folderList = view->FolderView->ListView;
    SetFocus(folderList);
    SetContentKind(*view, ContentSearch, true);
    RecordingContent* results = ResultsOf(child);
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(IsWindowVisible(results->ListView));
    EXPECT_FALSE(IsWindowVisible(folderList));
    EXPECT_EQ(GetFocus(), results->ListView);
    EXPECT_EQ(view->BackList.Count(), 1);

    SetContentKind(*view, ContentFolder, false);
    EXPECT_FALSE(IsWindowVisible(results->ListView));
    EXPECT_TRUE(IsWindowVisible(folderList));
    EXPECT_EQ(GetFocus(), folderList);
    EXPECT_EQ(view->BackList.Count(), 1);
}

TEST_F(ChildMessages, SwitchingToTheCurrentKindChangesNothing) {
    HWND child = OpenFolderChild(L"C:\\windows");
    TMDIChildView* view = ChildViewOf(child);
    SetContentKind(*view, ContentFolder, true);
    EXPECT_EQ(view->BackList.Count(), 0);
    EXPECT_EQ(view->SearchList, nullptr);
}

TEST_F(ChildMessages, ResizingTheChildResizesTheCurrentContentOnly) {
    HWND child = OpenSearchChild();
    SendMessageW(FrameLink().mdiClient, WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
    MoveWindow(child, 0, 0, 300, 200, TRUE);
    RECT client{};
    GetClientRect(child, &client);
    RECT list{};
    GetWindowRect(ResultsOf(child)->ListView, &list);
    EXPECT_EQ(list.right - list.left, client.right);
    EXPECT_EQ(list.bottom - list.top, client.bottom);
}

TEST_F(ChildMessages, ResultListNotificationsReachTheResultList) {
    HWND child = OpenSearchChild();
    RecordingContent* results = ResultsOf(child);
    EXPECT_EQ(Notify(child, kSearchListId, LVN_KEYDOWN), 77);
    EXPECT_EQ(Notify(child, kSearchListId, NM_DBLCLK), 0);
    EXPECT_EQ(Notify(child, kSearchListId, NM_RCLICK), 0);
    EXPECT_EQ(Notify(child, kSearchListId, LVN_BEGINDRAG), 0);
    EXPECT_EQ(Notify(child, kSearchListId, LVN_BEGINRDRAG), 0);
    // Codes the result list does not handle stay with the child.
    Notify(child, kSearchListId, LVN_GETDISPINFOW);
    Notify(child, kSearchListId, NM_CUSTOMDRAW);
    EXPECT_EQ(results->codes, (std::vector<UINT>{LVN_KEYDOWN, NM_DBLCLK, NM_RCLICK, LVN_BEGINDRAG, LVN_BEGINRDRAG}));
}

// Forwards to the process allocator and remembers what was freed.
class SpyMalloc : public IMalloc {
public:
    explicit SpyMalloc(ComPtr<IMalloc> real) : real_(std::move(real)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IMalloc) {
            *out = static_cast<IMalloc*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return real_->Alloc(size); }
    void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override { return real_->Realloc(p, size); }
    void STDMETHODCALLTYPE Free(void* p) override {
        freed.push_back(p);
        real_->Free(p);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void* p) override { return real_->GetSize(p); }
    int STDMETHODCALLTYPE DidAlloc(void* p) override { return real_->DidAlloc(p); }
    void STDMETHODCALLTYPE HeapMinimize() override { real_->HeapMinimize(); }

    std::vector<void*> freed;

private:
    ComPtr<IMalloc> real_;
    ULONG refs_ = 1;
};

TEST_F(ChildMessages, ADeletedListItemFreesItsIDListOnce) {
    HWND child = OpenFolderChild(L"C:\\windows");
    ComPtr<IMalloc> real = App().malloc;
    SpyMalloc spy(real);
    App().malloc = ComPtr<IMalloc>(&spy);
    LPITEMIDLIST item = PIDLClone(PIDLLastChild(ChildFolder(child)));
    LPITEMIDLIST notAnItem = PIDLClone(PIDLLastChild(ChildFolder(child)));
    Notify(child, kFolderViewListId, LVN_DELETEITEM, reinterpret_cast<LPARAM>(item));
    // Another control's notification with the same code is none of the child's business.
    Notify(child, 1504, LVN_DELETEITEM, reinterpret_cast<LPARAM>(notAnItem));
    App().malloc = real;
    EXPECT_EQ(spy.freed, std::vector<void*>{item});
    PIDLFree(notAnItem);
}

TEST_F(ChildMessages, ADeletedResultItemFreesItsIDList) {
    HWND child = OpenSearchChild();
    ComPtr<IMalloc> real = App().malloc;
    SpyMalloc spy(real);
    App().malloc = ComPtr<IMalloc>(&spy);
    LPITEMIDLIST item = PIDLClone(App().myComputerPidl.get());
    Notify(child, kSearchListId, LVN_DELETEITEM, reinterpret_cast<LPARAM>(item));
    App().malloc = real;
    EXPECT_EQ(spy.freed, std::vector<void*>{item});
    EXPECT_TRUE(ResultsOf(child)->codes.empty());
}

TEST_F(ChildMessages, AClickOnAListItemDoesNotActivateTheChild) {
    const std::wstring folder = MakeFolder(L"items");
    std::ofstream(std::filesystem::path(folder + L"\\one.txt")) << "1";
    HWND child = OpenFolderChild(folder);
    HWND list = ChildListView(child);
    ASSERT_GT(ListView_GetItemCount(list), 0);
    RECT item{};
    ASSERT_TRUE(ListView_GetItemRect(list, 0, &item, LVIR_LABEL));
    POINT onItem{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &onItem);
    SetCursorPos(onItem.x, onItem.y);
    const LPARAM click = MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN);
    EXPECT_EQ(SendMessageW(child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame_), click), MA_NOACTIVATE);

    RECT listRect{};
    GetClientRect(list, &listRect);
    POINT empty{listRect.right - 5, listRect.bottom - 5};
    ClientToScreen(list, &empty);
    SetCursorPos(empty.x, empty.y);
    EXPECT_EQ(SendMessageW(child, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame_), click), MA_ACTIVATE);
}

}  // namespace
