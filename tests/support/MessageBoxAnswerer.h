#pragma once
// A hand that answers the program's message boxes from another thread, for
// tests that drive code which asks the user.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>

// Waits on its own thread for a message box titled `title` of this process to
// show, remembers its text and presses `button` (IDOK or IDCANCEL) on it. The
// wait is bounded generously: a box the code under test never shows only
// keeps the hand waiting until Answered() or destruction stops it.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button, std::wstring title = L"確認") : button_(button), title_(std::move(title)) {
        thread_ = std::thread([this] { Run(); });
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
    ~MessageBoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    // Waits for the thread to finish; true when it answered a box.
    bool Answered() {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
            thread_ = std::thread([] {});
        }
        return answered_;
    }
    const std::wstring& Text() const { return text_; }

private:
    void Run() {
        const DWORD start = GetTickCount();
        while (!stop_ && GetTickCount() - start < 60000) {
            HWND box = FindOwnBox(title_);
            if (box) {
                wchar_t text[256] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 256);
                text_ = text;
                answered_ = true;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
                return;
            }
            Sleep(20);
        }
    }
    static HWND FindOwnBox(const std::wstring& wanted) {
        struct Search {
            const std::wstring* title;
            HWND found;
        } search{&wanted, nullptr};
        EnumWindows(
            [](HWND window, LPARAM lParam) -> BOOL {
                wchar_t className[32] = {};
                wchar_t title[32] = {};
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                GetClassNameW(window, className, 32);
                // Not GetWindowTextW: for a window of another thread of this
                // process it sends a message, which a blocked test thread
                // would never answer.
                InternalGetWindowText(window, title, 32);
                // A message box gets its title, text and icon before it shows.
                if (process == GetCurrentProcessId() && wcscmp(className, L"#32770") == 0 &&
                    IsWindowVisible(window) && *reinterpret_cast<Search*>(lParam)->title == title) {
                    reinterpret_cast<Search*>(lParam)->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    const int button_;
    const std::wstring title_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> answered_{false};
    std::wstring text_;
    std::thread thread_;
};
