#include "app/Global.h"

AppObjects& App() {
    static AppObjects objects;
    return objects;
}

void CreateAppObjects(TaskSchedulerMaker makeScheduler) {
    AppObjects& app = App();
    CoGetMalloc(1, app.malloc.put());
    SHGetDesktopFolder(app.desktop.put());
    app.desktop2 = app.desktop.as<IShellFolder2>();
    SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, app.desktopPidl.put());
    SHGetSpecialFolderLocation(nullptr, CSIDL_PRINTERS, app.printersPidl.put());
    SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, app.recycleBinPidl.put());
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, app.myComputerPidl.put());
    SHGetSpecialFolderLocation(nullptr, CSIDL_NETWORK, app.networkPidl.put());
    app.closedFolders = std::make_unique<TPIDLList>(true);
    for (auto& scheduler : app.schedulers) scheduler = makeScheduler();

    if (HMODULE shell32 = GetModuleHandleW(L"shell32.dll")) {
        app.lockShared = reinterpret_cast<SHLockSharedFn>(GetProcAddress(shell32, MAKEINTRESOURCEA(521)));
        app.unlockShared = reinterpret_cast<SHUnlockSharedFn>(GetProcAddress(shell32, MAKEINTRESOURCEA(522)));
        app.freeShared = reinterpret_cast<SHFreeSharedFn>(GetProcAddress(shell32, MAKEINTRESOURCEA(523)));
    }

    wchar_t path[1040];
    DWORD length = GetModuleFileNameW(nullptr, path, 1040);
    std::wstring dir(path, length < 1040 ? length : 0);
    app.programDir = dir.substr(0, dir.find_last_of(L'\\') + 1);
}

void ReleaseAppObjects() {
    AppObjects& app = App();
    for (int i = 1; i >= 0; --i) app.schedulers[i].reset();
    app.closedFolders.reset();
    app.networkPidl.reset();
    app.myComputerPidl.reset();
    app.recycleBinPidl.reset();
    app.printersPidl.reset();
    app.desktopPidl.reset();
    app.desktop2.reset();
    app.desktop.reset();
    // The allocator goes last: every list above was freed through it.
    app.malloc.reset();
}

std::wstring EscapeAmpersands(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        escaped += c;
        if (c == L'&') escaped += L'&';
    }
    return escaped;
}
