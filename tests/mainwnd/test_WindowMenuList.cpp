// The window menu's list of open folder windows shows their names as they are.

#include "tests/mainwnd/CommandFixture.h"

#include "mdi/wMDIClient.h"

#include <algorithm>

namespace {

class WindowMenuList : public CommandTest {
protected:
    std::wstring ItemText(HMENU menu, UINT id) {
        wchar_t text[600] = {};
        GetMenuStringW(menu, id, text, 600, MF_BYCOMMAND);
        return text;
    }
};

TEST_F(WindowMenuList, AnAmpersandInAFolderNameIsShownNotTakenAsAMnemonic) {
    OpenTab(MakeFolder(L"R&D 資料"));
    OpenTab(MakeFolder(L"plain"));
    SendMessageW(FrameLink().mdiClient, WM_MDIREFRESHMENU, 0, 0);
    // A maximised child puts its own menu first on the bar, so the window menu
    // is found by what it holds, not by its place.
    HMENU window = nullptr;
    HMENU bar = GetMenu(frame_);
    for (int i = 0; i < GetMenuItemCount(bar) && !window; ++i)
        if (HMENU sub = GetSubMenu(bar, i); sub && GetMenuState(sub, kFirstChildId, MF_BYCOMMAND) != UINT(-1))
            window = sub;
    ASSERT_NE(window, nullptr);
    Prepare(window);

    std::vector<std::wstring> entries;
    for (UINT id = kFirstChildId; id < kFirstChildId + 2; ++id) entries.push_back(ItemText(window, id));
    EXPECT_NE(std::find(entries.begin(), entries.end(), L"&1 R&&D 資料"), entries.end())
        << entries[0] << " / " << entries[1];
    EXPECT_NE(std::find(entries.begin(), entries.end(), L"&2 plain"), entries.end())
        << entries[0] << " / " << entries[1];

    Prepare(window);
    EXPECT_EQ(ItemText(window, kFirstChildId), entries[0]) << "a second opening doubles nothing again";
}

}  // namespace
