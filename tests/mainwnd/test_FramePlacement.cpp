// The frame's placement: where it opens, how it is shown, and what the exit
// sequence keeps of it in WindowSize.

#include "tests/mainwnd/FrameFixture.h"

#include "res/resource.h"

namespace {

class FramePlacement : public FrameTest {};

RECT FrameRect(HWND frame) {
    RECT rect{};
    GetWindowRect(frame, &rect);
    return rect;
}

TEST_F(FramePlacement, NormalFrameWritesItsRectangleAndClearsTheFlags) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"MAXIMIZE", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    ShowWindow(frame_, SW_RESTORE);
    SetWindowPos(frame_, nullptr, 30, 40, 640, 480, SWP_NOZORDER);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"MAXIMIZE"), 0u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"MINIMIZE"), 0u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Left"), 30u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Top"), 40u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Width"), 640u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Height"), 480u);
}

TEST_F(FramePlacement, MaximisedFrameWritesOnlyMaximize) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"Left", 11);
    WriteSetting(L"WindowSize", L"Width", 555);
    ASSERT_NE(CreateFrame(), nullptr);
    ShowWindow(frame_, SW_MAXIMIZE);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"MAXIMIZE"), 1u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Left"), 11u) << "the other values stay as they were";
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Width"), 555u);
    EXPECT_FALSE(ReadSetting(L"WindowSize", L"MINIMIZE").has_value());
}

TEST_F(FramePlacement, MinimisedFrameIsRestoredAndItsRestoredRectangleWritten) {
    WriteRoot(L"SaveWindowSize", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    SetWindowPos(frame_, nullptr, 50, 60, 700, 500, SWP_NOZORDER);
    ShowWindow(frame_, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(frame_));
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"MINIMIZE"), 0u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"MAXIMIZE"), 0u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Left"), 50u);
    EXPECT_EQ(ReadSetting(L"WindowSize", L"Width"), 700u);
}

TEST_F(FramePlacement, NothingIsWrittenWhenSaveWindowSizeIsOff) {
    ASSERT_NE(CreateFrame(), nullptr);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_FALSE(SettingsKeyExists(L"WindowSize"));
}

TEST_F(FramePlacement, TheSavedRectangleIsWhereTheFrameOpens) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"Left", 70);
    WriteSetting(L"WindowSize", L"Top", 80);
    WriteSetting(L"WindowSize", L"Width", 600);
    WriteSetting(L"WindowSize", L"Height", 450);
    ASSERT_NE(CreateFrame(), nullptr);
    const RECT rect = FrameRect(frame_);
    EXPECT_EQ(rect.left, 70);
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.right - rect.left, 600);
    EXPECT_EQ(rect.bottom - rect.top, 450);
    EXPECT_FALSE(IsZoomed(frame_));
}

TEST_F(FramePlacement, TheSavedRectangleIsIgnoredWhenSaveWindowSizeIsOff) {
    WriteSetting(L"WindowSize", L"Left", 70);
    WriteSetting(L"WindowSize", L"Top", 80);
    WriteSetting(L"WindowSize", L"Width", 333);
    WriteSetting(L"WindowSize", L"Height", 222);
    ASSERT_NE(CreateFrame(), nullptr);
    const RECT rect = FrameRect(frame_);
    EXPECT_NE(rect.right - rect.left, 333);
}

TEST_F(FramePlacement, ASavedMinimizeLeavesThePlaceToTheSystem) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"MINIMIZE", 1);
    WriteSetting(L"WindowSize", L"Left", 70);
    WriteSetting(L"WindowSize", L"Top", 80);
    WriteSetting(L"WindowSize", L"Width", 333);
    WriteSetting(L"WindowSize", L"Height", 222);
    ASSERT_NE(CreateFrame(), nullptr);
    const RECT rect = FrameRect(frame_);
    EXPECT_NE(rect.right - rect.left, 333);
    EXPECT_FALSE(IsIconic(frame_)) << "a saved minimised state is not restored as such";
}

TEST_F(FramePlacement, ARectangleOutsideEveryMonitorLeavesThePlaceToTheSystem) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"Left", 20000);
    WriteSetting(L"WindowSize", L"Top", 20000);
    WriteSetting(L"WindowSize", L"Width", 333);
    WriteSetting(L"WindowSize", L"Height", 222);
    ASSERT_NE(CreateFrame(), nullptr);
    const RECT rect = FrameRect(frame_);
    EXPECT_LT(rect.left, 20000);
    EXPECT_NE(rect.right - rect.left, 333);
}

TEST_F(FramePlacement, ASavedMaximizeOpensMaximised) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"MAXIMIZE", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_TRUE(IsZoomed(frame_));
}

TEST_F(FramePlacement, RestoringAMaximisedStartReturnsToTheLastSavedNormalRectangle) {
    WriteRoot(L"SaveWindowSize", 1);
    WriteSetting(L"WindowSize", L"MAXIMIZE", 1);
    WriteSetting(L"WindowSize", L"Left", 70);
    WriteSetting(L"WindowSize", L"Top", 80);
    WriteSetting(L"WindowSize", L"Width", 600);
    WriteSetting(L"WindowSize", L"Height", 450);
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_TRUE(IsZoomed(frame_));
    ShowWindow(frame_, SW_RESTORE);
    const RECT rect = FrameRect(frame_);
    EXPECT_EQ(rect.left, 70);
    EXPECT_EQ(rect.right - rect.left, 600);
}

TEST_F(FramePlacement, StartedMinimisedWithMinimizeTaskTrayGoesToTheTray) {
    WriteRoot(L"MinimizeTaskTray", 1);
    ASSERT_NE(CreateFrame(SW_SHOWMINNOACTIVE), nullptr);
    EXPECT_FALSE(IsWindowVisible(frame_));
    EXPECT_TRUE(TrayIconExists(frame_));
}

TEST_F(FramePlacement, StartedMinimisedWithoutMinimizeTaskTrayIsMinimised) {
    ASSERT_NE(CreateFrame(SW_SHOWMINNOACTIVE), nullptr);
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_TRUE(IsIconic(frame_));
    EXPECT_FALSE(TrayIconExists(frame_));
}

TEST_F(FramePlacement, TheStartShowCommandIsUsedWithoutASavedMaximize) {
    ASSERT_NE(CreateFrame(SW_SHOWMAXIMIZED), nullptr);
    EXPECT_TRUE(IsZoomed(frame_));
}

TEST_F(FramePlacement, MaximiseCommandTogglesTheFrame) {
    ASSERT_NE(CreateFrame(), nullptr);
    SendMessageW(frame_, WM_COMMAND, IDM_FRAME_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(frame_));
    SendMessageW(frame_, WM_COMMAND, IDM_FRAME_MAXIMIZE, 0);
    EXPECT_FALSE(IsZoomed(frame_));
    SendMessageW(frame_, WM_COMMAND, IDM_FRAME_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(frame_));
}

}  // namespace
