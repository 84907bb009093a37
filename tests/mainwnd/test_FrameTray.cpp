// The frame in the notification area, and the focus memory that brings the
// keyboard focus back with it.

#include "tests/mainwnd/FrameFixture.h"

#include "res/resource.h"

namespace {

class FrameTray : public FrameTest {
protected:
    void SetUp() override {
        ASSERT_NE(CreateFrame(), nullptr);
        SetForegroundWindow(frame_);
        edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, frame_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SetFocus(edit_);
        ASSERT_TRUE(WaitUntil([&] { return GetFocus() == edit_; }, 30000));
    }
    HWND edit_ = nullptr;
};

TEST_F(FrameTray, ToTrayHidesTheFrameAndAddsTheIcon) {
    ToTray();
    EXPECT_FALSE(IsWindowVisible(frame_));
    EXPECT_TRUE(Frame().inTray);
    EXPECT_TRUE(TrayIconExists(frame_));
}

TEST_F(FrameTray, FromTrayShowsTheFrameRemovesTheIconAndGivesTheFocusBack) {
    ToTray();
    SetFocus(nullptr);
    FromTray();
    // Checked at once: on a bare X server the focus change of the earlier
    // hide can arrive later and deactivate the frame again.
    EXPECT_EQ(GetFocus(), edit_);
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_FALSE(IsIconic(frame_));
    EXPECT_FALSE(Frame().inTray);
    EXPECT_FALSE(TrayIconExists(frame_));
}

TEST_F(FrameTray, ClickingTheIconRestoresTheFrame) {
    ToTray();
    SendMessageW(frame_, WM_TRAYNOTIFY, kTrayIconId, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_FALSE(TrayIconExists(frame_));
}

TEST_F(FrameTray, EventsOfAnotherIconAreIgnored) {
    ToTray();
    SendMessageW(frame_, WM_TRAYNOTIFY, kTrayIconId + 1, WM_LBUTTONUP);
    EXPECT_FALSE(IsWindowVisible(frame_));
}

TEST_F(FrameTray, CommandToTrayAlwaysHidesTheFrame) {
    SendMessageW(frame_, WM_COMMAND, IDM_TO_TRAY, 0);
    EXPECT_FALSE(IsWindowVisible(frame_));
    EXPECT_TRUE(TrayIconExists(frame_));
}

TEST_F(FrameTray, FocusIsRememberedOnDeactivationAndGivenBackOnActivation) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetFocus() != edit_; }, 30000));
    SetActiveWindow(frame_);
    EXPECT_TRUE(WaitUntil([&] { return GetFocus() == edit_; }, 30000));
    DestroyWindow(other);
}

TEST_F(FrameTray, TheTrayMenuHoldsRestoreAndExit) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"TRAYMENU");
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    wchar_t text[64] = {};
    EXPECT_EQ(GetMenuItemID(popup, 0), UINT{IDM_TRAY_RESTORE});
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"元のサイズに戻す(&R)");
    EXPECT_EQ(GetMenuItemID(popup, 1), UINT{IDM_TRAY_EXIT});
    GetMenuStringW(popup, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"アプリケーションの終了(&X)");
    DestroyMenu(menu);
}

// Drives the tray menu with the keyboard from another thread while the frame
// tracks it: Down `downs` times, then Return.
void ChooseFromTrackedMenu(int downs) {
    std::thread([downs] {
        HWND menu = nullptr;
        // The menu takes keys once it shows.
        if (!WaitUntil(
                [&] {
                    menu = FindWindowW(L"#32768", nullptr);
                    return menu && IsWindowVisible(menu);
                },
                60000))
            return;
        for (int i = 0; i < downs; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }).detach();
}

TEST_F(FrameTray, TrayMenuRestoreBringsTheFrameBack) {
    ToTray();
    ChooseFromTrackedMenu(1);
    SendMessageW(frame_, WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_FALSE(TrayIconExists(frame_));
}

TEST_F(FrameTray, TrayMenuExitEndsTheProgramEvenWhenTheCloseBoxGoesToTheTray) {
    WriteRoot(L"CloseTaskTray", 1);
    LoadSecondSettings();
    ToTray();
    ChooseFromTrackedMenu(2);
    SendMessageW(frame_, WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_TRUE(ReadRoot(L"WindowMode").has_value()) << "the exit sequence ran";
}

TEST_F(FrameTray, MinimisingGoesToTheTrayWhenMinimizeTaskTrayIsOn) {
    FrameConfig().minimizeTaskTray = true;
    SendMessageW(frame_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_FALSE(IsWindowVisible(frame_));
    EXPECT_TRUE(TrayIconExists(frame_));
    FromTray();
    EXPECT_EQ(GetFocus(), edit_);
}

TEST_F(FrameTray, MinimisingStaysOnTheTaskbarWhenMinimizeTaskTrayIsOff) {
    SendMessageW(frame_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(frame_));
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_FALSE(Frame().inTray);
}

TEST_F(FrameTray, TheCloseBoxGoesToTheTrayWhenCloseTaskTrayIsOn) {
    WriteRoot(L"CloseTaskTray", 1);
    LoadSecondSettings();
    SendMessageW(frame_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(frame_));
    EXPECT_FALSE(IsWindowVisible(frame_));
    EXPECT_TRUE(TrayIconExists(frame_));
    EXPECT_FALSE(ReadRoot(L"WindowMode").has_value()) << "nothing was saved";
}

TEST_F(FrameTray, ExitCommandStillExitsWhenCloseTaskTrayIsOn) {
    WriteRoot(L"CloseTaskTray", 1);
    LoadSecondSettings();
    SendMessageW(frame_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_FALSE(IsWindow(frame_));
}

TEST_F(FrameTray, TheIconComesBackWhenTheNotificationAreaIsRecreated) {
    ToTray();
    NOTIFYICONDATAW data{sizeof(data)};
    data.hWnd = frame_;
    data.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    SendMessageW(frame_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TrayIconExists(frame_));
}

}  // namespace
