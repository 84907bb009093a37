// The frame's own windows of the command set: the about box, the help file
// and the shell's folder options.

#include "app/Global.h"
#include "app/Handles.h"
#include "mainwnd/uCommandShared.h"
#include "res/resource.h"

#include <shellapi.h>

#include <string>

namespace {

constexpr wchar_t kHomePage[] = L"https://zeko.example.org/";
// The shell window's request for its global folder options sheet.
constexpr UINT kShellFolderOptionsMessage = WM_USER + 22;
constexpr UINT kHtmlHelpDisplayToc = 1;  // HH_DISPLAY_TOC

bool OverLink(HWND dialog) {
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT link{};
    GetWindowRect(GetDlgItem(dialog, IDC_VERSION_LINK), &link);
    return PtInRect(&link, cursor) != FALSE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_VERSION_LINK)) {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 255));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        return FALSE;
    case WM_SETCURSOR:
        if (OverLink(dialog)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_VERSION_LINK:
            if (HIWORD(wParam) == STN_CLICKED)
                ShellExecuteW(dialog, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

BOOL CALLBACK FindFolderOptionsStub(HWND window, LPARAM found) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (wcscmp(className, L"MSGlobalFolderOptionsStub") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

void ShowAboutBox(HWND frame) {
    DialogBoxParamW(GetModuleHandleW(nullptr), L"DLG_VERSION", frame, AboutProc, 0);
}

// The help viewer's library is loaded on first use and kept: its windows
// live on after the call returns.
void ShowHelp(HWND frame) {
    const std::wstring file = App().programDir + L"ZEKO.chm";
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    static HMODULE library = LoadLibraryW(L"hhctrl.ocx");
    if (!library) return;
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(GetProcAddress(library, "HtmlHelpW"));
    if (htmlHelp) htmlHelp(frame, file.c_str(), kHtmlHelpDisplayToc, 0);
}

// The shell window owns the folder options sheet; where no shell window
// answers (a system without one), nothing appears and nothing is done.
void ShowFolderOptions() {
    HWND shell = GetShellWindow();
    if (!shell) return;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(shell, kShellFolderOptionsMessage, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) return;
    Sleep(200);
    HWND sheet = nullptr;
    EnumWindows(FindFolderOptionsStub, reinterpret_cast<LPARAM>(&sheet));
    if (!sheet) return;
    SetWindowPos(sheet, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(sheet);
}
