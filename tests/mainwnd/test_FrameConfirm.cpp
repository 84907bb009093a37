// The shared confirmation prompt: switches in the Confirm area, their
// defaults, the box's title and texts, and what OK and Cancel answer.

#include "tests/mainwnd/FrameFixture.h"

namespace {

class FrameConfirm : public FrameTest {
protected:
    void SetUp() override { ASSERT_NE(CreateFrame(), nullptr); }
};

TEST_F(FrameConfirm, WithoutAConfirmKeyExitAsksNothing) {
    ASSERT_FALSE(SettingsKeyExists(L"Confirm"));
    MessageBoxAnswerer answerer(IDCANCEL);
    EXPECT_TRUE(ConfirmAction(ConfirmExit));
    EXPECT_FALSE(answerer.Answered());
}

TEST_F(FrameConfirm, WithoutAConfirmKeyAddingAFavoriteAsks) {
    MessageBoxAnswerer answerer(IDCANCEL);
    EXPECT_FALSE(ConfirmAction(ConfirmAddFavorite));
    ASSERT_TRUE(answerer.Answered());
    EXPECT_EQ(answerer.Text(), L"このフォルダをお気に入りに追加しますか？");
}

TEST_F(FrameConfirm, WithoutAConfirmKeyDeletingAFavoriteAsks) {
    MessageBoxAnswerer answerer(IDOK);
    EXPECT_TRUE(ConfirmAction(ConfirmDeleteFavorite));
    ASSERT_TRUE(answerer.Answered());
    EXPECT_EQ(answerer.Text(), L"このフォルダを削除しますか？");
}

TEST_F(FrameConfirm, ExitSwitchOnAsksAndOkMeansYes) {
    WriteSetting(L"Confirm", L"Exit", 1);
    MessageBoxAnswerer answerer(IDOK);
    EXPECT_TRUE(ConfirmAction(ConfirmExit));
    ASSERT_TRUE(answerer.Answered());
    EXPECT_EQ(answerer.Text(), L"ZEKOを終了しますか？");
}

TEST_F(FrameConfirm, ExitSwitchOnAsksAndCancelMeansNo) {
    WriteSetting(L"Confirm", L"Exit", 1);
    MessageBoxAnswerer answerer(IDCANCEL);
    EXPECT_FALSE(ConfirmAction(ConfirmExit));
    EXPECT_TRUE(answerer.Answered());
}

TEST_F(FrameConfirm, SwitchingOffDeleteLeavesAddAsking) {
    WriteSetting(L"Confirm", L"DelFavorite", 0);
    {
        MessageBoxAnswerer answerer(IDCANCEL);
        EXPECT_TRUE(ConfirmAction(ConfirmDeleteFavorite));
        EXPECT_FALSE(answerer.Answered());
    }
    MessageBoxAnswerer answerer(IDCANCEL);
    EXPECT_FALSE(ConfirmAction(ConfirmAddFavorite));
    EXPECT_TRUE(answerer.Answered());
}

TEST_F(FrameConfirm, SwitchingOffAddLeavesDeleteAsking) {
    WriteSetting(L"Confirm", L"Favorite", 0);
    {
        MessageBoxAnswerer answerer(IDCANCEL);
        EXPECT_TRUE(ConfirmAction(ConfirmAddFavorite));
        EXPECT_FALSE(answerer.Answered());
    }
    MessageBoxAnswerer answerer(IDCANCEL);
    EXPECT_FALSE(ConfirmAction(ConfirmDeleteFavorite));
    EXPECT_TRUE(answerer.Answered());
}

TEST_F(FrameConfirm, TheBoxIsTitledKakuninAndAsksWithOkAndCancel) {
    WriteSetting(L"Confirm", L"Exit", 1);
    std::atomic<bool> hasOk{false}, hasCancel{false}, hasQuestionIcon{false};
    std::thread inspector([&] {
        // A message box has its title before its icon and buttons; it shows
        // only once it has them all.
        HWND box = nullptr;
        if (WaitUntil(
                [&] {
                    box = FindWindowW(L"#32770", L"確認");
                    return box && IsWindowVisible(box);
                },
                60000)) {
            hasOk = GetDlgItem(box, IDOK) != nullptr;
            hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
            // The icon is a static control of its own beside the text, showing
            // the shared system icon.
            const HICON question = LoadIconW(nullptr, IDI_QUESTION);
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                    reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == question)
                    hasQuestionIcon = true;
            }
            PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        }
    });
    ConfirmAction(ConfirmExit);
    inspector.join();
    EXPECT_TRUE(hasOk);
    EXPECT_TRUE(hasCancel);
    EXPECT_TRUE(hasQuestionIcon);
}

}  // namespace
