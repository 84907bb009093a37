// Sizes written for 96 DPI at other scales, and the pictures made for a DPI.

#include "app/Handles.h"
#include "shell/uDpi.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(Dpi, ScalingRoundsToTheNearestPixel) {
    EXPECT_EQ(ScaleForDpi(16, 96), 16);
    EXPECT_EQ(ScaleForDpi(16, 120), 20);
    EXPECT_EQ(ScaleForDpi(16, 144), 24);
    EXPECT_EQ(ScaleForDpi(16, 192), 32);
    // 10.5 and 3.75.
    EXPECT_EQ(ScaleForDpi(7, 144), 11);
    EXPECT_EQ(ScaleForDpi(3, 120), 4);
    EXPECT_EQ(ScaleForDpi(-3, 144), -5);
    EXPECT_EQ(ScaleForDpi(0, 192), 0);
    // CharWidth x cxChar of the widest columns stays far from overflowing.
    EXPECT_EQ(ScaleForDpi(255 * 1000, 480), 1275000);
}

TEST(Dpi, AWindowlessSizeFollowsTheSystemDpi) {
    HDC screen = GetDC(nullptr);
    const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(SystemDpi(), static_cast<UINT>(logPixels));
    EXPECT_EQ(DpiOf(nullptr), SystemDpi());
}

TEST(Dpi, TheSystemImageListOfASideHasThatSideOrTheNearestAbove) {
    const int small = SmallIconSide(SystemDpi());
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(SystemImageListOfSide(small), &cx, &cy));
    EXPECT_EQ(cx, small);
    const int large = LargeIconSide(SystemDpi());
    ASSERT_TRUE(ImageList_GetIconSize(SystemImageListOfSide(large), &cx, &cy));
    EXPECT_EQ(cx, large);
    ASSERT_TRUE(ImageList_GetIconSize(SystemImageListOfSide(small + 1), &cx, &cy));
    EXPECT_GT(cx, small);
}

TEST(Dpi, AStripOfBitmapsScalesImageByImage) {
    // "SORTBMP" holds two 7 x 7 arrows; at 175 % the 150 % drawing is
    // stretched so that each is 12 wide, not 24.5 / 2.
    UniqueBitmap strip(LoadBitmapForDpi(GetModuleHandleW(nullptr), L"SORTBMP", 168, 2));
    ASSERT_TRUE(strip);
    BITMAP info{};
    ASSERT_TRUE(GetObjectW(strip.get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 24);
    EXPECT_EQ(info.bmHeight, 12);
    UniqueBitmap square(LoadBitmapForDpi(GetModuleHandleW(nullptr), L"SIKAKUBMP", 192));
    ASSERT_TRUE(GetObjectW(square.get(), sizeof(info), &info));
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 16);
}
