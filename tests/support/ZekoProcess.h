#pragma once
// Starts the real ZEKO.exe from the test executable's folder and finds its windows.

#include "app/Handles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ZekoProcess {
public:
    // Starts ZEKO.exe with `arguments` (already quoted as needed), in
    // `currentDirectory` when one is given, else in this process's. A
    // suspended process runs from resume() on, so several can be let go at once.
    explicit ZekoProcess(const std::wstring& arguments = L"", const std::wstring& currentDirectory = L"",
                         bool suspended = false);
    ZekoProcess(const ZekoProcess&) = delete;
    ZekoProcess& operator=(const ZekoProcess&) = delete;
    // Kills the process if it still runs, so a failing test leaves nothing behind.
    ~ZekoProcess();

    bool started() const { return static_cast<bool>(process_); }
    void resume();
    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }
    // True when the process ended within `milliseconds`.
    bool waitForExit(DWORD milliseconds);
    DWORD exitCode() const;

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

std::wstring TestBinaryDirectory();

// Top-level windows of class `className`, optionally only those of one process.
std::vector<HWND> FindTopLevelWindows(const wchar_t* className, DWORD processId = 0);

// The folder windows in a frame's MDI client, in z-order.
std::vector<HWND> ChildWindows(HWND frame);
std::wstring WindowText(HWND window);

// The process's frame window once it is visible, or null after 20 seconds.
HWND WaitForVisibleFrame(const ZekoProcess& process);

// Polls `condition` while pumping this thread's messages; true once it holds.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);
