// Asking before an action, and the exit sequence that saves every setting
// and ends the program.

#include "mainwnd/wMainWnd.h"

#include "app/uReg.h"
#include "bars/wAddressBar.h"
#include "bars/wCoolBar.h"
#include "bars/wToolBar.h"
#include "folderview/uFolderViewSettings.h"
#include "mainwnd/uSidePanes.h"
#include "mdi/uStartupTabs.h"
#include "shell/uDdeServer.h"
#include "shell/uUndo.h"

namespace {

struct ConfirmQuestion {
    const BoolSetting& setting;
    const wchar_t* text;
};

const ConfirmQuestion kQuestions[] = {
    {ConfirmSettings::Exit, L"ZEKOを終了しますか？"},
    {ConfirmSettings::Favorite, L"このフォルダをお気に入りに追加しますか？"},
    {ConfirmSettings::DelFavorite, L"このフォルダを削除しますか？"},
};

// Set while the exit question is open: a second close request (the close
// box, the tray menu) must not stack a second question on the first.
bool g_asking = false;

}  // namespace

bool ConfirmAction(int kind) {
    if (kind < 0 || kind >= static_cast<int>(std::size(kQuestions))) return true;
    const ConfirmQuestion& question = kQuestions[kind];
    UniqueRegKey confirm;
    SettingsOpen(SettingsArea::Confirm, confirm);
    if (!SettingsRead(confirm.get(), question.setting)) return true;
    return MessageBoxW(FrameLink().window, question.text, L"確認", MB_ICONQUESTION | MB_OKCANCEL) == IDOK;
}

bool RunExitSequence(bool forced) {
    HWND frame = FrameLink().window;
    if (!frame) return false;
    if (!forced) {
        if (g_asking) return false;
        g_asking = true;
        const bool yes = ConfirmAction(ConfirmExit);
        g_asking = false;
        // A forced exit (the session ending) may have run while the question was open.
        if (!yes || !IsWindow(frame)) return false;
    }

    if (Frame().inTray) FromTray();
    if (!IsWindowVisible(frame)) ShowWindow(frame, SW_SHOW);
    if (IsIconic(frame)) ShowWindow(frame, SW_SHOWNORMAL);

    UniqueRegKey root;
    SettingsCreate(SettingsArea::Root, root);
    SaveBarVisibility(root.get());
    SaveWindowPlacement(root.get());
    SettingsWrite(root.get(), RootSettings::WindowMode, FrameConfig().windowMode);
    if (Frame().sideBar) {
        RECT side{};
        GetWindowRect(Frame().sideBar, &side);
        SettingsWrite(root.get(), RootSettings::SideBaseWidth, static_cast<int>(side.right - side.left));
    }
    SaveSidePanes();
    SaveOpenTabs(root.get());
    SaveToolBars();
    SaveCoolBar(Frame().rebar);
    SaveAddressBar();
    StopDdeServer();
    SaveFrameSettings(root.get());
    SaveColors();
    SaveFolderViewSettings();
    ReleaseHostedView();

    DestroyWindow(frame);
    return true;
}
