// The message loop's accelerator order, driven with real key messages.

#include "app/uMessageLoop.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<WORD> g_commands;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) g_commands.push_back(LOWORD(wParam));
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HACCEL MakeTable(std::initializer_list<ACCEL> entries) {
    std::vector<ACCEL> table(entries);
    return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

class MessageLoopOrder : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LoopTestFrame";
        RegisterClassW(&wc);
        frame_ = CreateWindowExW(0, L"LoopTestFrame", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(frame_, nullptr);
        g_commands.clear();
        LoopTables() = {};
        LoopTables().searchStop = MakeTable({{FVIRTKEY, VK_ESCAPE, IDM_STOP_SEARCH}});
        LoopTables().wholeProgram = MakeTable({{FVIRTKEY, VK_F5, 100}, {FVIRTKEY | FCONTROL, VK_TAB, 101}});
        LoopTables().focus =
            MakeTable({{FVIRTKEY, VK_TAB, IDM_FOCUS_NEXT}, {FVIRTKEY | FCONTROL, VK_TAB, IDM_KEYS_LIST}});
    }
    void TearDown() override {
        DestroyAcceleratorTable(LoopTables().searchStop);
        DestroyAcceleratorTable(LoopTables().wholeProgram);
        DestroyAcceleratorTable(LoopTables().focus);
        if (LoopTables().searchDialog) DestroyWindow(LoopTables().searchDialog);
        LoopTables() = {};
        DestroyWindow(frame_);
    }

    bool Press(UINT key, HWND target = nullptr) {
        MSG msg{target ? target : frame_, WM_KEYDOWN, key, 1};
        return PreTranslateLoopMessage(frame_, msg);
    }

    HWND frame_ = nullptr;
};

TEST_F(MessageLoopOrder, EscapeStopsTheSearchOnlyWhileOneRuns) {
    EXPECT_FALSE(Press(VK_ESCAPE));
    EXPECT_TRUE(g_commands.empty());

    LoopTables().searchRunning = true;
    EXPECT_TRUE(Press(VK_ESCAPE));
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0], IDM_STOP_SEARCH);
}

TEST_F(MessageLoopOrder, UserKeysWinOverTheFocusTable) {
    // Ctrl+Tab is in both tables; the user's whole-program table must answer.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(Press(VK_TAB));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0], 101);
}

TEST_F(MessageLoopOrder, TabReachesTheSearchPaneBeforeItSwitchesPanes) {
    EXPECT_TRUE(Press(VK_TAB));
    ASSERT_EQ(g_commands.size(), 1u);
    EXPECT_EQ(g_commands[0], IDM_FOCUS_NEXT);

    g_commands.clear();
    HWND dialog = CreateWindowExW(WS_EX_CONTROLPARENT, L"#32770", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, frame_,
                                  nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20, dialog, nullptr,
                                nullptr, nullptr);
    LoopTables().searchDialog = dialog;
    EXPECT_TRUE(Press(VK_TAB, edit));
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(MessageLoopOrder, UnassignedKeysAreLeftForDispatch) {
    EXPECT_FALSE(Press('A'));
    EXPECT_TRUE(g_commands.empty());
}

TEST(MessageLoop, ReturnsTheExitCodeOfWmQuit) {
    PostQuitMessage(7);
    EXPECT_EQ(RunMessageLoop(nullptr), 7);
}

}  // namespace
