#pragma once
// Shared by the frame's tests: the real frame created in this process, the
// settings key read and written directly, and a hand that answers the
// program's message boxes from another thread.

#include "mainwnd/wMainWnd.h"
#include "tests/support/MessageBoxAnswerer.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

inline void WriteSetting(const wchar_t* subkey, const wchar_t* name, DWORD value) {
    std::wstring path = L"Software\\ZEKO2";
    if (*subkey) path += std::wstring(L"\\") + subkey;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

inline void WriteRoot(const wchar_t* name, DWORD value) {
    WriteSetting(L"", name, value);
}

inline std::optional<DWORD> ReadSetting(const wchar_t* subkey, const wchar_t* name) {
    std::wstring path = L"Software\\ZEKO2";
    if (*subkey) path += std::wstring(L"\\") + subkey;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline std::optional<DWORD> ReadRoot(const wchar_t* name) {
    return ReadSetting(L"", name);
}

inline bool SettingsKeyExists(const wchar_t* subkey) {
    std::wstring path = L"Software\\ZEKO2";
    if (*subkey) path += std::wstring(L"\\") + subkey;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Whether the notification area holds the frame's icon: only an existing icon
// can be modified.
inline bool TrayIconExists(HWND frame) {
    NOTIFYICONDATAW data{sizeof(data)};
    data.hWnd = frame;
    data.uID = kTrayIconId;
    data.uFlags = NIF_TIP;
    lstrcpynW(data.szTip, L"ZEKO", ARRAYSIZE(data.szTip));
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

class FrameTest : public testing::Test {
protected:
    HWND CreateFrame(int showCommand = SW_SHOWNORMAL) {
        frame_ = CreateMainWindow(GetModuleHandleW(nullptr), showCommand);
        if (frame_) LoadSecondSettings();
        return frame_;
    }
    void TearDown() override {
        if (IsWindow(frame_)) DestroyWindow(frame_);
    }
    // Delivers the messages waiting now; what arrives later is waited for
    // with WaitUntil and the condition it brings about.
    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    HWND frame_ = nullptr;
};
