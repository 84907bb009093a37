// The exit sequence: what it writes, what it leaves alone when the question
// is answered Cancel, and the session end that asks nothing.

#include "tests/mainwnd/FrameFixture.h"

#include "app/Global.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "res/resource.h"

#include <vector>

namespace {

class FrameExit : public FrameTest {};

TEST_F(FrameExit, ClosingWritesTheFrameValuesToTheRoot) {
    WriteRoot(L"DelayTime", 345);
    WriteRoot(L"NavigateLockClose", 1);
    WriteRoot(L"TreeSync", 0);
    WriteRoot(L"DDEActive", 0);
    WriteRoot(L"WindowMode", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    FrameConfig().minimizeTaskTray = true;

    SendMessageW(frame_, WM_CLOSE, 0, 0);

    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_EQ(ReadRoot(L"DelayTime"), 345u);
    EXPECT_EQ(ReadRoot(L"NavigateLockClose"), 1u);
    EXPECT_EQ(ReadRoot(L"TreeSync"), 0u);
    EXPECT_EQ(ReadRoot(L"DDEActive"), 0u);
    EXPECT_EQ(ReadRoot(L"WindowMode"), 1u);
    EXPECT_EQ(ReadRoot(L"MinimizeTaskTray"), 1u);
    EXPECT_EQ(ReadRoot(L"CloseTaskTray"), 0u);
    EXPECT_EQ(ReadRoot(L"CloseHistoryCount"), 10u);
}

TEST_F(FrameExit, BarsThatDoNotExistKeepTheirStoredValues) {
    const wchar_t* names[] = {L"ToolBarVisible", L"SideToolBarVisible", L"LinkBarVisible", L"AddressBarVisible",
                              L"SearchBarVisible", L"StatusBarVisible", L"ThumbnailVisible", L"SideBaseVisible"};
    for (const wchar_t* name : names) WriteRoot(name, 1);
    ASSERT_NE(CreateFrame(), nullptr);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    for (const wchar_t* name : names) EXPECT_EQ(ReadRoot(name), 1u) << name;
    EXPECT_EQ(ReadRoot(L"SideBaseWidth"), 180u) << "the side bar always exists, at its default width";
}

TEST_F(FrameExit, AHiddenBarIsWrittenAsHidden) {
    WriteRoot(L"LinkBarVisible", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    HWND link = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    Frame().linkBar = link;
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"LinkBarVisible"), 0u);
}

TEST_F(FrameExit, VisibleBarsAreWrittenAsShown) {
    ASSERT_NE(CreateFrame(), nullptr);
    HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame_, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND favorites = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    HWND side = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 177, 10, frame_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    Frame().statusBar = status;
    Frame().favoritePane = favorites;
    Frame().sideBar = side;
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"StatusBarVisible"), 1u);
    EXPECT_EQ(ReadRoot(L"SideBaseVisible"), 2u) << "the favorites page";
    EXPECT_EQ(ReadRoot(L"SideBaseWidth"), 177u);
    EXPECT_EQ(ReadRoot(L"ToolBarVisible"), 1u);
    EXPECT_FALSE(ReadRoot(L"LinkBarVisible").has_value()) << "no link bar, nothing written";
}

TEST_F(FrameExit, TheCloseHistoryCountKeepsOnlyItsLow16Bits) {
    WriteRoot(L"CloseHistoryCount", 0x10005);
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_EQ(FrameConfig().closeHistoryCount, 5);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"CloseHistoryCount"), 5u);
}

TEST_F(FrameExit, TheWholeColorAreaIsWritten) {
    WriteSetting(L"Color", L"clHidden", 0x123456);
    WriteSetting(L"Color", L"SetEvenBK", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_EQ(ColorConfig().hidden, 0x123456u);
    EXPECT_TRUE(ColorConfig().setEvenBK);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"Color", L"clHidden"), 0x123456u);
    EXPECT_EQ(ReadSetting(L"Color", L"SetEvenBK"), 1u);
    EXPECT_EQ(ReadSetting(L"Color", L"clListViewBK"), 0xFFFFFFu);
    EXPECT_EQ(ReadSetting(L"Color", L"clDirectory"), 0u);
    EXPECT_EQ(ReadSetting(L"Color", L"clReadOnly"), 0x00B000u);
    EXPECT_EQ(ReadSetting(L"Color", L"clSystem"), 0x0000B0u);
    EXPECT_EQ(ReadSetting(L"Color", L"clCompressed"), 0xB000B0u);
    EXPECT_EQ(ReadSetting(L"Color", L"clNormalString"), 0u);
    EXPECT_EQ(ReadSetting(L"Color", L"clEvenBK"), 0xEEEEEEu);
    EXPECT_EQ(ReadSetting(L"Color", L"TVColorGroup"), 0u);
    EXPECT_EQ(ReadSetting(L"Color", L"LVColorGroup"), 0u);
    EXPECT_EQ(ReadSetting(L"Color", L"LVSetBKColor"), 0u);
    DWORD type = REG_NONE;
    DWORD size = 99;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZEKO2\\Color", L"BKImagePath", RRF_RT_ANY, &type, nullptr,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 0u) << "an empty text, stored without a terminator";
}

TEST_F(FrameExit, TheFolderViewSettingsAreWritten) {
    ASSERT_NE(CreateFrame(), nullptr);
    FolderViewConfig().ShowHidden = true;
    FolderViewConfig().ListWidth = 222;
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"FolderView", L"ShowHidden"), 1u);
    EXPECT_EQ(ReadSetting(L"FolderView", L"ListWidth"), 222u);
    EXPECT_EQ(ReadSetting(L"FolderView", L"IniViewStyle"), 3u);
}

TEST_F(FrameExit, TheClosedFolderHistoryIsSavedWhenCloseHistorySaveIsOn) {
    ASSERT_NE(CreateFrame(), nullptr);
    App().closedFolders->Add(PIDLClone(App().myComputerPidl.get()));
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadSetting(L"CloseHistoryPIDLs", L"Count"), 1u);
}

TEST_F(FrameExit, TheClosedFolderHistoryIsNotSavedWhenCloseHistorySaveIsOff) {
    WriteRoot(L"CloseHistorySave", 0);
    ASSERT_NE(CreateFrame(), nullptr);
    App().closedFolders->Add(PIDLClone(App().myComputerPidl.get()));
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_FALSE(SettingsKeyExists(L"CloseHistoryPIDLs"));
}

TEST_F(FrameExit, TheClosedFolderHistoryIsLoadedAfterTheFrameExists) {
    {
        TPIDLList saved(true);
        saved.Add(PIDLClone(App().myComputerPidl.get()));
        saved.Add(PIDLClone(App().desktopPidl.get()));
        HKEY root = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\ZEKO2", &root), ERROR_SUCCESS);
        saved.SaveList(root, L"CloseHistoryPIDLs");
        RegCloseKey(root);
    }
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_EQ(App().closedFolders->Count(), 2);
    EXPECT_TRUE(PIDLEqual(App().closedFolders->Get(0), App().myComputerPidl.get()));
}

TEST_F(FrameExit, CancelAtTheQuestionWritesNothingAndKeepsRunning) {
    WriteSetting(L"Confirm", L"Exit", 1);
    WriteRoot(L"SaveWindowSize", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    MessageBoxAnswerer answerer(IDCANCEL);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(answerer.Answered());
    EXPECT_EQ(answerer.Text(), L"ZEKOを終了しますか？");
    EXPECT_TRUE(IsWindow(frame_));
    EXPECT_TRUE(IsWindowVisible(frame_));
    for (const wchar_t* name : {L"WindowMode", L"ToolBarVisible", L"DelayTime", L"CloseHistoryCount"})
        EXPECT_FALSE(ReadRoot(name).has_value()) << name;
    EXPECT_FALSE(SettingsKeyExists(L"WindowSize"));
    EXPECT_FALSE(SettingsKeyExists(L"Color"));
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(FrameExit, OkAtTheQuestionExits) {
    WriteSetting(L"Confirm", L"Exit", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    MessageBoxAnswerer answerer(IDOK);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(answerer.Answered());
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_TRUE(ReadRoot(L"WindowMode").has_value());
}

TEST_F(FrameExit, TheExitCommandRunsTheExitSequence) {
    ASSERT_NE(CreateFrame(), nullptr);
    SendMessageW(frame_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_TRUE(ReadRoot(L"WindowMode").has_value());
}

TEST_F(FrameExit, DestroyingTheFramePostsQuitWithZero) {
    ASSERT_NE(CreateFrame(), nullptr);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(FrameExit, SessionEndExitsWithoutAskingAndAllowsTheEnd) {
    WriteSetting(L"Confirm", L"Exit", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    MessageBoxAnswerer answerer(IDCANCEL);
    const LRESULT mayEnd = SendMessageW(frame_, WM_QUERYENDSESSION, 0, 0);
    EXPECT_FALSE(answerer.Answered());
    EXPECT_TRUE(mayEnd);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_TRUE(ReadRoot(L"WindowMode").has_value());
}

int CountOpenQuestions(DWORD thread, std::vector<HWND>* boxes = nullptr) {
    struct Found {
        int count = 0;
        std::vector<HWND>* boxes;
    } found{0, boxes};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& f = *reinterpret_cast<Found*>(lParam);
            wchar_t title[16] = {};
            InternalGetWindowText(window, title, 16);
            if (wcscmp(title, L"確認") == 0 && IsWindowVisible(window)) {
                ++f.count;
                if (f.boxes) f.boxes->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.count;
}

// Set on the GUI thread when a marker posted behind the second close comes
// out of its queue: by then that close has been handled, or has opened its
// own question (which gets its title before its message loop runs).
std::atomic<bool> g_markerSeen{false};

LRESULT CALLBACK MarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) g_markerSeen = true;
    return DefWindowProcW(window, message, wParam, lParam);
}

int CountQuestionsWithTitle(DWORD thread) {
    int count = 0;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM lParam) -> BOOL {
            wchar_t title[16] = {};
            InternalGetWindowText(window, title, 16);
            if (wcscmp(title, L"確認") == 0) ++*reinterpret_cast<int*>(lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(FrameExit, ASecondCloseWhileTheQuestionIsOpenAsksNoSecondQuestion) {
    WriteSetting(L"Confirm", L"Exit", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    const DWORD guiThread = GetCurrentThreadId();
    WNDCLASSW markerClass{};
    markerClass.lpfnWndProc = MarkerProc;
    markerClass.hInstance = GetModuleHandleW(nullptr);
    markerClass.lpszClassName = L"ZekoFrameExitMarker";
    RegisterClassW(&markerClass);
    HWND marker = CreateWindowW(markerClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                markerClass.hInstance, nullptr);
    ASSERT_NE(marker, nullptr);
    std::atomic<int> mostOpen{0};
    std::thread closer([&] {
        if (!WaitUntil([&] { return CountOpenQuestions(guiThread) > 0; }, 60000)) return;
        // The user clicks the close box again while the question is open.
        PostMessageW(frame_, WM_CLOSE, 0, 0);
        PostMessageW(marker, WM_APP, 0, 0);
        WaitUntil([] { return g_markerSeen.load(); }, 60000);
        mostOpen = CountQuestionsWithTitle(guiThread);
        // Cancel whatever is open, a stacked second question included.
        WaitUntil(
            [&] {
                std::vector<HWND> boxes;
                CountOpenQuestions(guiThread, &boxes);
                for (HWND box : boxes) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
                return boxes.empty();
            },
            60000);
    });
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    closer.join();
    Pump();
    DestroyWindow(marker);
    EXPECT_TRUE(g_markerSeen);
    EXPECT_EQ(mostOpen, 1);
    EXPECT_TRUE(IsWindow(frame_));
}

TEST_F(FrameExit, SessionEndWhileTheQuestionIsOpenStillSavesAndEnds) {
    WriteSetting(L"Confirm", L"Exit", 1);
    ASSERT_NE(CreateFrame(), nullptr);
    const DWORD guiThread = GetCurrentThreadId();
    std::thread sessionEnd([&] {
        WaitUntil([&] { return CountOpenQuestions(guiThread) > 0; }, 60000);
        SendMessageW(frame_, WM_QUERYENDSESSION, 0, 0);
    });
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    sessionEnd.join();
    // The question's box went with its owner; the program must not touch the
    // destroyed frame afterwards.
    WaitUntil([&] { return !IsWindow(frame_); }, 30000);
    EXPECT_FALSE(IsWindow(frame_));
    EXPECT_TRUE(ReadRoot(L"WindowMode").has_value());
}

}  // namespace
