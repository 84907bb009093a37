// The address bar in the real frame: it follows the active tab, and Enter
// opens the typed folder there.

#include "tests/mainwnd/FrameFixture.h"

#include "bars/wAddressBar.h"
#include "folderview/wFolderView.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"

#include <shlobj.h>

#include <string>

namespace {

class FrameAddressBar : public FrameTest {
protected:
    static std::wstring ActiveFolderPath() {
        TMDIChildView* view = ActiveChildView();
        wchar_t path[MAX_PATH] = {};
        if (!view || !view->FolderView || !view->FolderView->AbsoluteIDList) return {};
        return SHGetPathFromIDListW(view->FolderView->AbsoluteIDList, path) ? path : L"";
    }
    static std::wstring EditText() {
        wchar_t text[1040] = {};
        HWND edit = reinterpret_cast<HWND>(SendMessageW(Frame().addressBar, CBEM_GETEDITCONTROL, 0, 0));
        GetWindowTextW(edit, text, ARRAYSIZE(text));
        return text;
    }
};

TEST_F(FrameAddressBar, EnterOpensTheTypedFolderAndTheBarShowsIt) {
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_NE(Frame().addressBar, nullptr) << "a new profile shows the address bar";
    EXPECT_TRUE(IsWindowVisible(Frame().addressBar));
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);

    ASSERT_TRUE(OpenTypedAddress(L"%SystemRoot%", 0));
    EXPECT_TRUE(WaitUntil([&] { return lstrcmpiW(ActiveFolderPath().c_str(), windows) == 0; }, 60000))
        << std::string(ActiveFolderPath().begin(), ActiveFolderPath().end());
    EXPECT_TRUE(WaitUntil([&] { return lstrcmpiW(EditText().c_str(), windows) == 0; }, 60000));
    EXPECT_FALSE(OpenTypedAddress(L"%SystemRoot%", 2)) << "Ctrl alone matches no modifier set";
}

TEST_F(FrameAddressBar, TheCommandHidesAndShowsItsBandAndTheExitKeepsThat) {
    ASSERT_NE(CreateFrame(), nullptr);
    HWND host = Frame().addressContainer;
    ASSERT_NE(host, nullptr);
    SendMessageW(frame_, WM_COMMAND, IDM_ADDRESS_BAR, 0);
    EXPECT_FALSE(IsWindowVisible(host));
    SendMessageW(frame_, WM_COMMAND, IDM_ADDRESS_BAR, 0);
    EXPECT_TRUE(IsWindowVisible(host));
    SendMessageW(frame_, WM_COMMAND, IDM_ADDRESS_BAR, 0);
    SendMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ReadRoot(L"AddressBarVisible"), 0u);
    EXPECT_EQ(ReadSetting(L"AddressBar", L"NewWindowShift"), 1u);
}

}  // namespace
