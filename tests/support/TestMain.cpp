// Entry of every test executable: the process-wide objects exist as they do in
// the program, and each process starts without any stored settings.

#include "app/Global.h"
#include "app/uCmdLine.h"
#include "folderview/wFolderView.h"
#include "shell/uCapabilities.h"
#include "tests/support/TestSettingsRoot.h"

#include <gmock/gmock.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    // Before anything reads the registry: from here on HKEY_CURRENT_USER is
    // this process's scratch key, and the user's own settings are out of reach.
    PrivateUserRoot root;
    if (!root) return 2;
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    CreateAppObjects(CreateTaskScheduler);
    SetDdeRequestHandler(OpenDdeRequest);
    // A folder is shown complete before its navigation returns, however busy
    // the machine: tests of the background fill lift this themselves.
    TFolderView::SetSynchronousFillLimit(INFINITE);
    int result = RUN_ALL_TESTS();
    ReleaseAppObjects();
    OleUninitialize();
    return result;
}
