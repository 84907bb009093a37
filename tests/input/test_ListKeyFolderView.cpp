// The folder view asks the user's list-scope table what a key, a double-click
// and a one-click activation do; nothing is wired to fixed commands.

#include "input/uKeyAssign.h"

#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "tests/mainwnd/FrameFixture.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

namespace {

std::wstring PathOf(PCIDLIST_ABSOLUTE pidl) {
    wchar_t path[MAX_PATH] = {};
    if (!pidl || !SHGetPathFromIDListW(pidl, path)) return {};
    return path;
}

class ListKeyFolderView : public FrameTest {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        parent_ = temp;
        if (!parent_.empty() && parent_.back() == L'\\') parent_.pop_back();
        root_ = parent_ + L"\\zeko-keys-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((root_ + L"\\sub").c_str(), nullptr));
        ASSERT_NE(CreateFrame(), nullptr);
        PIDLIST_ABSOLUTE pidl = nullptr;
        ASSERT_TRUE(SUCCEEDED(SHParseDisplayName(root_.c_str(), nullptr, &pidl, 0, nullptr)));
        child_ = OpenChildWindow(pidl, true, nullptr, ContentFolder);
        ASSERT_NE(child_, nullptr);
        view_ = ChildFolderView(child_);
        ASSERT_NE(view_, nullptr);
        ASSERT_TRUE(WaitUntil([this] { return ListView_GetItemCount(view_->ListView) == 1; }, 30000));
        ListView_SetItemState(view_->ListView, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    void TearDown() override {
        FrameTest::TearDown();
        Pump();
        RemoveDirectoryW((root_ + L"\\sub").c_str());
        RemoveDirectoryW(root_.c_str());
        ListKeys() = {DefaultListKeys().begin(), DefaultListKeys().end()};
        FolderViewConfig() = FolderViewSettings{};
    }

    LRESULT Notify(UINT code) {
        NMHDR header{view_->ListView, kFolderViewListId, code};
        return view_->OnNotify(&header);
    }
    std::wstring Shown() const { return PathOf(view_->AbsoluteIDList); }
    int ChildCount() const {
        int count = 0;
        for (HWND window = GetWindow(FrameLink().mdiClient, GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT))
            if (GetParent(window) == FrameLink().mdiClient) ++count;
        return count;
    }

    std::wstring parent_;
    std::wstring root_;
    HWND child_ = nullptr;
    TFolderView* view_ = nullptr;
};

TEST_F(ListKeyFolderView, AKeyRunsTheUsersBinding) {
    ListKeys() = {{IDM_GO_UP, 0x00D}};
    NMLVKEYDOWN key{{view_->ListView, kFolderViewListId, LVN_KEYDOWN}, VK_RETURN, 0};
    EXPECT_EQ(view_->OnNotify(&key.hdr), 1);
    Pump();
    EXPECT_EQ(Shown(), parent_);
}

TEST_F(ListKeyFolderView, AnUnboundKeyIsLeftToTheList) {
    ListKeys() = {{IDM_GO_UP, 0x074}};
    NMLVKEYDOWN key{{view_->ListView, kFolderViewListId, LVN_KEYDOWN}, VK_RETURN, 0};
    EXPECT_EQ(view_->OnNotify(&key.hdr), 0);
    Pump();
    EXPECT_EQ(Shown(), root_);
}

TEST_F(ListKeyFolderView, DoubleClickOnAnItemRunsTheBindingOfReturn) {
    RECT item{};
    ASSERT_TRUE(ListView_GetItemRect(view_->ListView, 0, &item, LVIR_LABEL));
    POINT centre{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(view_->ListView, &centre);
    ASSERT_TRUE(SetCursorPos(centre.x, centre.y));

    // Going up in a new tab tells an item hit from the background's going up in place.
    ListKeys() = {{IDM_GO_UP_NEW_TAB, 0x00D}};
    Notify(NM_DBLCLK);
    Pump();
    EXPECT_EQ(ChildCount(), 2);
    EXPECT_EQ(Shown(), root_);

    ListKeys() = {};
    Notify(NM_DBLCLK);
    Pump();
    EXPECT_EQ(ChildCount(), 2);
    EXPECT_EQ(Shown(), root_);
}

TEST_F(ListKeyFolderView, OneClickActivationRunsTheBindingOfReturnOnlyWhenSwitchedOn) {
    ListKeys() = {{IDM_GO_UP, 0x00D}};
    Notify(LVN_ITEMACTIVATE);
    Pump();
    EXPECT_EQ(Shown(), root_);

    FolderViewConfig().LVS_EX_FLAGS |= LVS_EX_ONECLICKACTIVATE;
    Notify(LVN_ITEMACTIVATE);
    Pump();
    EXPECT_EQ(Shown(), parent_);
}

}  // namespace
