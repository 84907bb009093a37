// The program's entry: one instance per user, the process-wide objects, the
// frame, the start-up folders and the message loop.

#include "app/Global.h"
#include "app/uCmdLine.h"
#include "app/uMessageLoop.h"
#include "app/uReg.h"
#include "app/uSettings.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/wFolderView.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"
#include "shell/uCapabilities.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

namespace {

void RunStartupActions(HWND frame) {
    UniqueRegKey root;
    SettingsOpen(SettingsArea::Root, root);
    const bool desktopOpen = SettingsRead(root.get(), RootSettings::DeskTopOpen);
    const bool startInTray = SettingsRead(root.get(), RootSettings::StartTaskTray);

    if (HasArguments()) OpenArguments(AnchoredCommandLine(GetCommandLineW()), 1);
    if (TabCount() == 0 && desktopOpen) RequestNavigate(App().desktopPidl.get(), OriginOther, TargetActive, nullptr);

    if (TFolderView* view = ActiveFolderView()) {
        RouteSyncFolderTree(view->AbsoluteIDList);
        RouteShowInAddressBar(view->AbsoluteIDList);
        SetFocus(view->ListView);
    }
    if (startInTray) SendMessageW(frame, WM_COMMAND, IDM_TO_TRAY, 0);
}

bool InstanceRuns() {
    HANDLE running = OpenMutexW(SYNCHRONIZE, FALSE, InstanceMarkName(SettingsRootPath()).c_str());
    if (running) CloseHandle(running);
    return running != nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The mutex is never waited on: its existence alone says an instance runs.
    const std::wstring markName = InstanceMarkName(SettingsRootPath());
    if (HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, markName.c_str())) {
        CloseHandle(running);
        SendCommandLineToRunningInstance(InstanceRuns);
        return 0;
    }
    HANDLE instanceMarker = CreateMutexW(nullptr, FALSE, markName.c_str());
    // Starts at the same moment all pass the check above; only the one that
    // made the mutex goes on, the others hand over as a second start does
    // (waiting for the first one's DDE server to come up).
    if (instanceMarker && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(instanceMarker);
        SendCommandLineToRunningInstance(InstanceRuns);
        return 0;
    }

    OleInitialize(nullptr);
    CreateAppObjects(CreateTaskScheduler);
    LoadFolderViewSettings();
    SetDdeRequestHandler(OpenDdeRequest);

    HWND frame = CreateMainWindow(instance, showCommand);
    int exitCode = 1;
    if (frame) {
        LoadSecondSettings();
        RunStartupActions(frame);
        exitCode = RunMessageLoop(frame);
    }

    if (instanceMarker) CloseHandle(instanceMarker);
    ReleaseAppObjects();
    OleUninitialize();
    return exitCode;
}
