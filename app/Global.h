#pragma once
// Process-wide objects that live from start-up until the process ends. They are
// created before the frame and released after it, in reverse order of creation.

#include "app/ComPtr.h"
#include "app/uPIDL.h"
#include "app/UtilClass.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

using SHLockSharedFn = void*(WINAPI*)(HANDLE, DWORD);
using SHUnlockSharedFn = BOOL(WINAPI*)(void*);
using SHFreeSharedFn = BOOL(WINAPI*)(HANDLE, DWORD);

struct AppObjects {
    ComPtr<IMalloc> malloc;
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder2> desktop2;
    UniqueAbsolutePidl desktopPidl;
    UniqueAbsolutePidl printersPidl;
    UniqueAbsolutePidl recycleBinPidl;
    UniqueAbsolutePidl myComputerPidl;
    UniqueAbsolutePidl networkPidl;
    std::unique_ptr<TPIDLList> closedFolders;
    ComPtr<IShellTaskScheduler> schedulers[2];
    SHLockSharedFn lockShared = nullptr;
    SHUnlockSharedFn unlockShared = nullptr;
    SHFreeSharedFn freeShared = nullptr;
    std::wstring programDir;  // ends in a backslash
};

AppObjects& App();

// Creates every object of AppObjects; OLE must already be initialised. The
// shell's task schedulers come from `makeScheduler`, which the capability
// layer provides.
using TaskSchedulerMaker = ComPtr<IShellTaskScheduler> (*)();
void CreateAppObjects(TaskSchedulerMaker makeScheduler);
// Releases them in reverse order of creation.
void ReleaseAppObjects();

// Menus and tabs draw "&" as the underline of the next letter; doubled, it shows as itself.
std::wstring EscapeAmpersands(const std::wstring& text);
