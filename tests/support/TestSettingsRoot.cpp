#include "tests/support/TestSettingsRoot.h"

#include "app/uReg.h"

std::wstring PrivateUserRootPath() {
    return L"Software\\ZEKO2 tests\\" + std::to_wstring(GetCurrentProcessId());
}

std::wstring PrivateSettingsKeyPath() { return PrivateUserRootPath() + L"\\" + kSettingsRootPath; }

PrivateUserRoot::PrivateUserRoot() {
    const std::wstring path = PrivateUserRootPath();
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    HKEY scratch = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch,
                        nullptr) != ERROR_SUCCESS)
        return;
    // The override holds a duplicate of the handle.
    active_ = RegOverridePredefKey(HKEY_CURRENT_USER, scratch) == ERROR_SUCCESS;
    RegCloseKey(scratch);
}

PrivateUserRoot::~PrivateUserRoot() {
    if (!active_) return;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, PrivateUserRootPath().c_str());
    // The parent goes when the last test process is done with it.
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEKO2 tests");
}
