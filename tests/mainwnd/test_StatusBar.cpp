// The frame's status bar: its parts, the command that makes, hides and shows
// it, the visibility kept across a restart, and texts sent while it is hidden.

#include "tests/mainwnd/FrameFixture.h"

#include "mainwnd/wStatusBar.h"
#include "res/resource.h"

#include <commctrl.h>

#include <array>
#include <string>

namespace {

class StatusBar : public FrameTest {
protected:
    static std::array<int, 3> Edges(HWND status) {
        std::array<int, 3> edges{};
        EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(edges.data())), 3);
        return edges;
    }
    static std::wstring PartText(HWND status, int part) {
        wchar_t text[256] = {};
        SendMessageW(status, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void ToggleCommand() { SendMessageW(frame_, WM_COMMAND, IDM_STATUS_BAR, 0); }
};

TEST_F(StatusBar, ANewProfileShowsItWithThreePartsTheLastReachingTheBorder) {
    WriteSetting(L"StatusBar", L"First", 300);
    WriteSetting(L"StatusBar", L"Second", 400);
    ASSERT_NE(CreateFrame(), nullptr);
    HWND status = Frame().statusBar;
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(IsWindowVisible(status));
    EXPECT_EQ(GetDlgCtrlID(status), static_cast<int>(kStatusBarId));
    EXPECT_EQ(Edges(status), (std::array<int, 3>{300, 400, -1}));
}

TEST_F(StatusBar, StoredEdgesAreUsedAsStoredEvenWhenPartOneHasNoWidth) {
    WriteSetting(L"StatusBar", L"First", 100);
    WriteSetting(L"StatusBar", L"Second", 100);
    ASSERT_NE(CreateFrame(), nullptr);
    SetWindowPos(frame_, nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(Edges(Frame().statusBar), (std::array<int, 3>{100, 100, -1}));
}

TEST_F(StatusBar, HiddenAtTheLastExitItStaysHiddenUntilTheCommandMakesIt) {
    WriteRoot(BarVisibilitySaved.name, 1);
    WriteRoot(L"StatusBarVisible", 0);
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_EQ(Frame().statusBar, nullptr);

    ToggleCommand();
    HWND status = Frame().statusBar;
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(IsWindowVisible(status));
    EXPECT_EQ(FrameLink().statusBar, status) << "the folder views write through the link";

    ToggleCommand();
    EXPECT_EQ(Frame().statusBar, status) << "hidden, not destroyed";
    EXPECT_FALSE(IsWindowVisible(status));
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"StatusBarVisible"), 0u);
}

TEST_F(StatusBar, AProfileFromBeforeTheBarsDoesNotHideThemForEver) {
    WriteRoot(L"StatusBarVisible", 0);
    WriteRoot(L"ToolBarVisible", 0);
    WriteRoot(L"LinkBarVisible", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_NE(Frame().statusBar, nullptr);
    EXPECT_TRUE(IsWindowVisible(Frame().statusBar));
    EXPECT_TRUE(Frame().toolBar && IsWindowVisible(Frame().toolBar)) << "the toolbar's default holds";

    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(BarVisibilitySaved.name), 1u);
    EXPECT_EQ(ReadRoot(L"StatusBarVisible"), 1u);
    EXPECT_EQ(ReadRoot(L"ToolBarVisible"), 1u);
    EXPECT_EQ(ReadRoot(L"LinkBarVisible"), 1u);
}

TEST_F(StatusBar, ATextSentWhileHiddenIsLost) {
    ASSERT_NE(CreateFrame(), nullptr);
    HWND status = Frame().statusBar;
    ASSERT_NE(status, nullptr);
    SetStatusText(StatusPartFilter, L"*.txt");
    EXPECT_EQ(PartText(status, StatusPartFilter), L"*.txt");

    ToggleCommand();
    SetStatusText(StatusPartFilter, nullptr);
    SetStatusText(StatusPartText, L"lost");
    ToggleCommand();
    EXPECT_EQ(PartText(status, StatusPartFilter), L"*.txt") << "the clearing was sent while hidden";
    EXPECT_EQ(PartText(status, StatusPartText), L"");
}

}  // namespace
