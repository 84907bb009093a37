// End to end: the real ZEKO.exe saves its frame settings when it is closed
// and comes back the way it was left.

#include "mainwnd/wMainWnd.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

void WriteDword(const wchar_t* subkey, const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, subkey, &key), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

std::optional<DWORD> ReadDword(const wchar_t* subkey, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The question box of `process` once it shows: a message box gets its title,
// text and buttons after the dialog window exists, and shows when it has them.
HWND WaitForQuestion(const ZekoProcess& process) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            for (HWND candidate : FindTopLevelWindows(L"#32770", process.id())) {
                wchar_t title[16] = {};
                GetWindowTextW(candidate, title, 16);
                if (wcscmp(title, L"確認") == 0 && IsWindowVisible(candidate)) box = candidate;
            }
            return box != nullptr;
        },
        60000);
    return box;
}

constexpr wchar_t kRoot[] = L"Software\\ZEKO2";
constexpr wchar_t kWindowSize[] = L"Software\\ZEKO2\\WindowSize";

void CloseAndWait(ZekoProcess& process, HWND frame) {
    PostMessageW(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(process.waitForExit(60000));
    EXPECT_EQ(process.exitCode(), 0u);
}

TEST(FrameEndToEnd, ClosingWritesTheFrameSettings) {
    ZekoProcess zeko;
    HWND frame = WaitForVisibleFrame(zeko);
    ASSERT_NE(frame, nullptr);
    CloseAndWait(zeko, frame);
    EXPECT_EQ(ReadDword(kRoot, L"WindowMode"), 0u);
    EXPECT_EQ(ReadDword(kRoot, L"DelayTime"), 200u);
    EXPECT_EQ(ReadDword(kRoot, L"CloseHistoryCount"), 10u);
    EXPECT_EQ(ReadDword(L"Software\\ZEKO2\\Color", L"clHidden"), 0xB00000u);
    EXPECT_FALSE(ReadDword(kWindowSize, L"MAXIMIZE").has_value()) << "SaveWindowSize is off by default";
}

TEST(FrameEndToEnd, WithSaveWindowSizeTheRectangleIsKeptAcrossARestart) {
    WriteDword(kRoot, L"SaveWindowSize", 1);
    {
        ZekoProcess zeko;
        HWND frame = WaitForVisibleFrame(zeko);
        ASSERT_NE(frame, nullptr);
        ShowWindow(frame, SW_RESTORE);
        SetWindowPos(frame, nullptr, 40, 30, 720, 520, SWP_NOZORDER);
        CloseAndWait(zeko, frame);
    }
    EXPECT_EQ(ReadDword(kWindowSize, L"Left"), 40u);
    EXPECT_EQ(ReadDword(kWindowSize, L"Width"), 720u);
    EXPECT_EQ(ReadDword(kWindowSize, L"MAXIMIZE"), 0u);

    ZekoProcess again;
    HWND frame = WaitForVisibleFrame(again);
    ASSERT_NE(frame, nullptr);
    RECT rect{};
    GetWindowRect(frame, &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 30);
    EXPECT_EQ(rect.right - rect.left, 720);
    EXPECT_EQ(rect.bottom - rect.top, 520);
    CloseAndWait(again, frame);
}

TEST(FrameEndToEnd, ARestartComesBackMaximised) {
    WriteDword(kRoot, L"SaveWindowSize", 1);
    {
        ZekoProcess zeko;
        HWND frame = WaitForVisibleFrame(zeko);
        ASSERT_NE(frame, nullptr);
        PostMessageW(frame, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsZoomed(frame) != FALSE; }, 30000));
        CloseAndWait(zeko, frame);
    }
    EXPECT_EQ(ReadDword(kWindowSize, L"MAXIMIZE"), 1u);

    ZekoProcess again;
    HWND frame = WaitForVisibleFrame(again);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsZoomed(frame));
    CloseAndWait(again, frame);
}

TEST(FrameEndToEnd, CancellingTheExitQuestionKeepsTheProgramRunningAndWritesNothing) {
    WriteDword(L"Software\\ZEKO2\\Confirm", L"Exit", 1);
    ZekoProcess zeko;
    HWND frame = WaitForVisibleFrame(zeko);
    ASSERT_NE(frame, nullptr);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    HWND box = WaitForQuestion(zeko);
    ASSERT_NE(box, nullptr) << "the exit question titled 確認";
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 60000));
    // Once the frame answers again, the cancelled close has run to its end.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer));
    EXPECT_FALSE(zeko.waitForExit(0));
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_FALSE(ReadDword(kRoot, L"WindowMode").has_value());

    // Answering OK the second time ends it.
    PostMessageW(frame, WM_CLOSE, 0, 0);
    box = WaitForQuestion(zeko);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(zeko.waitForExit(60000));
    EXPECT_TRUE(ReadDword(kRoot, L"WindowMode").has_value());
}

}  // namespace
