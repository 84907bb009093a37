#pragma once
// A test process never sees the real HKEY_CURRENT_USER: a scratch key of its
// own stands in for it, for the program's code, the tests' own registry calls
// and the system libraries loaded into the process alike. ZEKO.exe started by
// a test is pointed at the same scratch settings (ZekoProcess does that).

#include <windows.h>

#include <string>

class PrivateUserRoot {
public:
    // Makes the scratch key (emptied first, should an earlier process with
    // this id have left one) and takes it as HKEY_CURRENT_USER.
    PrivateUserRoot();
    PrivateUserRoot(const PrivateUserRoot&) = delete;
    PrivateUserRoot& operator=(const PrivateUserRoot&) = delete;
    // Gives HKEY_CURRENT_USER back and deletes the scratch key.
    ~PrivateUserRoot();

    explicit operator bool() const { return active_; }

private:
    bool active_ = false;
};

// The scratch key's path below the real HKEY_CURRENT_USER.
std::wstring PrivateUserRootPath();
// Where the program's settings live for a ZEKO.exe a test starts: the path
// below the real HKEY_CURRENT_USER that the test process itself sees as
// HKEY_CURRENT_USER\Software\ZEKO2.
std::wstring PrivateSettingsKeyPath();
