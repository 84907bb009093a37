// The program's entry: one instance per user, the process-wide objects, the
// frame and the message loop.

#include "app/Global.h"
#include "app/uCmdLine.h"
#include "app/uMessageLoop.h"
#include "mainwnd/wMainWnd.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The mutex is never waited on: its existence alone says an instance runs.
    if (HANDLE running = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"ZEKO2")) {
        CloseHandle(running);
        SendCommandLineToRunningInstance();
        return 0;
    }
    HANDLE instanceMarker = CreateMutexW(nullptr, FALSE, L"ZEKO2");

    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    CreateAppObjects();

    HWND frame = CreateMainWindow(instance, showCommand);
    if (frame) LoadSecondSettings();
    int exitCode = frame ? RunMessageLoop(frame) : 1;

    ReleaseAppObjects();
    OleUninitialize();
    if (instanceMarker) CloseHandle(instanceMarker);
    return exitCode;
}
