#include "shell/uCapabilities.h"

#include "shell/ShellGuids.h"
#include "shell/uTaskScheduler.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

bool ClassCanBeCreated(REFCLSID clsid, REFIID iid) {
    ComPtr<IUnknown> object;
    return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, iid,
                                      object.putVoid()));
}

// Wine is recognised by the export its ntdll adds; nothing else in the program
// asks, so every Wine-specific decision is visible in DecideCapabilities.
bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

Capabilities DecideCapabilities() {
    // The probes must not depend on who initialised COM on which thread first;
    // an apartment of our own for their duration is harmless when one exists.
    HRESULT comInit = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    Capabilities caps;
    caps.shellTaskScheduler = ClassCanBeCreated(CLSID_ShellTaskScheduler, __uuidof(IShellTaskScheduler));
    caps.thumbnailDiskCache = ClassCanBeCreated(CLSID_ShellThumbnailDiskCache, __uuidof(IShellImageStore));
    caps.trackShellMenu = ClassCanBeCreated(CLSID_TrackShellMenu, __uuidof(IUnknown));

    const bool wine = RunningOnWine();
    caps.shellEditVerbs = !wine;
    caps.ddeUnicodeExecute = !wine;
    caps.changeNotifyFromOutside = !wine;
    caps.fileSystemFolderExtras = !wine;

    if (SUCCEEDED(comInit)) CoUninitialize();
    return caps;
}

}  // namespace

const Capabilities& PlatformCapabilities() {
    static const Capabilities caps = DecideCapabilities();
    return caps;
}

ComPtr<IShellTaskScheduler> CreateTaskScheduler() {
    ComPtr<IShellTaskScheduler> scheduler;
    if (PlatformCapabilities().shellTaskScheduler) {
        CoCreateInstance(CLSID_ShellTaskScheduler, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         __uuidof(IShellTaskScheduler), scheduler.putVoid());
    }
    if (!scheduler) scheduler = CreateOwnTaskScheduler();
    return scheduler;
}
