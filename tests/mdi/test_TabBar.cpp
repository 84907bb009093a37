// The tab bar's core: one tab per child, names, selection both ways, the lock
// mark and the layout of tab rows above the MDI client.

#include "MdiTestFrame.h"

#include "app/uReg.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kTwenty = L"abcdefghijklmnopqrst";

TEST(TabText, TwentyCharactersShowWhole) {
    EXPECT_EQ(FormatTabText(kTwenty, 20), kTwenty);
}

TEST(TabText, TwentyOneCharactersBecomeTwentyAndDots) {
    EXPECT_EQ(FormatTabText(kTwenty + L"u", 20), kTwenty + L"...");
}

TEST(TabText, AmpersandsAreDoubled) {
    EXPECT_EQ(FormatTabText(L"R&D & more", 20), L"R&&D && more");
}

TEST(TabText, CutHappensBeforeAmpersandsAreDoubled) {
    // Twenty characters of text, whatever their ampersands become.
    const std::wstring text = L"&&&&&&&&&&&&&&&&&&&&&";
    EXPECT_EQ(FormatTabText(text, 20), std::wstring(40, L'&') + L"...");
}

TEST(TabText, ASurrogatePairIsNeverSplit) {
    std::wstring text(19, L'x');
    text += L"\U0001F4C1z";  // a folder emoji at positions 19 and 20
    EXPECT_EQ(FormatTabText(text, 20), std::wstring(19, L'x') + L"...");
}

class TabBarTest : public MdiTest {};

TEST_F(TabBarTest, EachChildGetsATabInOrderAndTheActiveOneIsSelected) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    HWND c = OpenSearchChild();
    ASSERT_EQ(TabCount(), 3);
    EXPECT_EQ(TabChild(0), a);
    EXPECT_EQ(TabChild(1), b);
    EXPECT_EQ(TabChild(2), c);
    EXPECT_EQ(SelectedTab(), 2);
    EXPECT_EQ(TabIndexOf(b), 1);
}

TEST_F(TabBarTest, AddPosFirstPutsTheNewTabInFront) {
    HWND a = OpenSearchChild();
    TabBar().settings.addPos = 0;
    HWND b = OpenSearchChild();
    EXPECT_EQ(TabChild(0), b);
    EXPECT_EQ(TabChild(1), a);
}

TEST_F(TabBarTest, AddPosRightOfTheFocusedTab) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    TabBar().settings.addPos = 2;
    HWND c = OpenSearchChild();
    EXPECT_EQ(TabChild(0), a);
    EXPECT_EQ(TabChild(1), c);
    EXPECT_EQ(TabChild(2), b);
}

TEST_F(TabBarTest, TabTextIsCutAndEscaped) {
    HWND child = OpenSearchChild();
    SetTabText(child, kTwenty);
    EXPECT_EQ(TabText(0), kTwenty);
    SetTabText(child, kTwenty + L"u");
    EXPECT_EQ(TabText(0), kTwenty + L"...");
    SetTabText(child, L"A&B");
    EXPECT_EQ(TabText(0), L"A&&B");
}

TEST_F(TabBarTest, MaxStringDecidesWhereTextIsCut) {
    HWND child = OpenSearchChild();
    TabBar().settings.maxString = 5;
    SetTabText(child, L"abcdef");
    EXPECT_EQ(TabText(0), L"abcde...");
}

TEST_F(TabBarTest, AFullPathIsCompactedToMaxStringWithItsAmpersandsDoubled) {
    const std::wstring folder = MakeFolder(L"R&D");
    HWND child = OpenFolderChild(folder);
    ASSERT_GT(folder.size(), 20u);
    SetTabPath(child);
    const std::wstring text = TabText(TabIndexOf(child));
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        shown += text[i];
        if (text[i] == L'&' && i + 1 < text.size() && text[i + 1] == L'&') ++i;
    }
    EXPECT_LE(shown.size(), 20u);
    EXPECT_NE(shown.find(L"..."), std::wstring::npos);
    EXPECT_NE(text.find(L"\\R&&D"), std::wstring::npos) << text;
}

TEST_F(TabBarTest, ClickingATabActivatesItsChild) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    ASSERT_EQ(ActiveChild(), b);
    RECT item{};
    ASSERT_TRUE(TabCtrl_GetItemRect(TabBar().tabs, 0, &item));
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(TabBar().tabs, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(TabBar().tabs, WM_LBUTTONUP, 0, point);
    PumpMessages();
    EXPECT_EQ(ActiveChild(), a);
    EXPECT_EQ(SelectedTab(), 0);
}

TEST_F(TabBarTest, ActivatingAChildSelectsItsTab) {
    HWND a = OpenSearchChild();
    OpenSearchChild();
    ASSERT_EQ(SelectedTab(), 1);
    SendMessageW(FrameLink().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_EQ(SelectedTab(), 0);
}

TEST_F(TabBarTest, ClosingAChildRemovesItsTab) {
    HWND a = OpenSearchChild();
    HWND b = OpenSearchChild();
    SendMessageW(b, WM_CLOSE, 0, 0);
    PumpMessages();
    ASSERT_EQ(TabCount(), 1);
    EXPECT_EQ(TabChild(0), a);
    EXPECT_EQ(TabIndexOf(b), -1);
}

TEST_F(TabBarTest, LockMarkFollowsTheNavigateLock) {
    HWND child = OpenSearchChild();
    ASSERT_EQ(TabImage(0), -1);
    SetNavigateLock(*ChildViewOf(child), true);
    EXPECT_EQ(TabImage(0), kLockImage);
    EXPECT_TRUE(ChildViewOf(child)->NavigateLock);
    SetNavigateLock(*ChildViewOf(child), false);
    EXPECT_EQ(TabImage(0), -1);
}

TEST_F(TabBarTest, TheLockImageIsLoaded) {
    EXPECT_EQ(ImageList_GetImageCount(TabBar().images), 1);
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(TabBar().images, &width, &height);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 8);
}

RECT RectInFrame(HWND frame, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The area the frame hands to the tab bar: below the rebar, above the status bar.
RECT LayoutArea(HWND frame) {
    RECT area{};
    GetClientRect(frame, &area);
    if (Frame().rebar && IsWindowVisible(Frame().rebar)) area.top = RectInFrame(frame, Frame().rebar).bottom;
    if (Frame().statusBar && IsWindowVisible(Frame().statusBar))
        area.bottom = RectInFrame(frame, Frame().statusBar).top;
    return area;
}

TEST_F(TabBarTest, TheMdiClientStandsRightBelowTheTabRows) {
    OpenSearchChild();
    const RECT area = LayoutArea(frame_);
    const RECT bar = RectInFrame(frame_, TabBar().container);
    const RECT client = RectInFrame(frame_, FrameLink().mdiClient);
    EXPECT_EQ(bar.top, area.top + 3);
    EXPECT_GT(bar.bottom - bar.top, 10);
    EXPECT_EQ(bar.bottom - bar.top, TabBar().display.top);
    EXPECT_EQ(client.top, bar.bottom);
    EXPECT_EQ(client.bottom, area.bottom);
    EXPECT_EQ(client.left, bar.left);
    EXPECT_EQ(client.right, bar.right);
}

TEST_F(TabBarTest, AtTheBottomTheTabRowsStandBelowTheClient) {
    OpenSearchChild();
    TabBar().settings.bottom = true;
    Relayout();
    const RECT area = LayoutArea(frame_);
    const RECT bar = RectInFrame(frame_, TabBar().container);
    const RECT client = RectInFrame(frame_, FrameLink().mdiClient);
    EXPECT_EQ(client.top, area.top);
    EXPECT_EQ(bar.bottom, area.bottom);
    EXPECT_EQ(client.bottom + 3, bar.top);
}

TEST_F(TabBarTest, WithoutATabBarTheClientTakesTheWholeArea) {
    DestroyWindow(TabBar().container);
    ASSERT_EQ(TabBar().tabs, nullptr);
    TabBarLayout(RECT{10, 20, 300, 400});
    const RECT client = RectInFrame(frame_, FrameLink().mdiClient);
    EXPECT_EQ(client.left, 10);
    EXPECT_EQ(client.top, 20);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 400);
}

TEST_F(TabBarTest, TheBarWritesItsSettingsWhenDestroyed) {
    TabBar().settings.closePos = 4;
    TabBar().settings.maxString = 33;
    DestroyWindow(TabBar().container);
    UniqueRegKey key;
    ASSERT_TRUE(SettingsOpen(L"Tab", key));
    EXPECT_EQ(SettingsReadInt(key.get(), L"ClosePos", -1), 4);
    EXPECT_EQ(SettingsReadInt(key.get(), L"MaxString", -1), 33);
    EXPECT_EQ(SettingsReadInt(key.get(), L"RClick", -1), IDM_TAB_POPUP);
}

TEST_F(TabBarTest, StoredSettingsAreReadAtCreation) {
    DestroyWindow(TabBar().container);
    {
        UniqueRegKey key;
        ASSERT_TRUE(SettingsCreate(L"Tab", key));
        SettingsWriteInt(key.get(), L"AddPos", 0);
        SettingsWriteInt(key.get(), L"MaxString", 7);
    }
    ASSERT_NE(CreateTabBar(frame_), nullptr);
    EXPECT_EQ(TabBar().settings.addPos, 0);
    EXPECT_EQ(TabBar().settings.maxString, 7);
    EXPECT_EQ(TabBar().container, TabBar().container);
}

}  // namespace
