#pragma once
// A frame with its MDI client and tab bar, as the program lays them out, in
// which tests open real child windows showing real folders.

#include "FolderTestSupport.h"

#include "folderview/wFolderView.h"
#include "tests/support/ZekoProcess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class FolderViewTest : public testing::Test {
public:
    // The texts of the list's items (column 0), in list order, as the list shows them.
    static std::vector<std::wstring> Names(HWND child);
    // Every child window, in tab order.
    static std::vector<HWND> Children();
    static std::wstring ShownPath(HWND child);
    static std::wstring Caption(HWND child);

protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a child window on `path`, activated; null when none was made.
    HWND Open(const std::wstring& path, PCUITEMID_CHILD select = nullptr, bool activate = true);
    static TFolderView* View(HWND child);
    static std::wstring ItemText(HWND child, int index, int subItem = 0);
    static int IndexOf(HWND child, const std::wstring& name);
    static std::vector<std::wstring> SelectedNames(HWND child);
    static std::wstring FocusedName(HWND child);
    // Selects exactly the item `name` and gives it the focus.
    static void Select(HWND child, const std::wstring& name);
    // Waits (pumping messages) until the child's names satisfy `condition`.
    static bool WaitForNames(HWND child, const std::function<bool(const std::vector<std::wstring>&)>& condition,
                             DWORD milliseconds = 30000);
    static bool WaitForName(HWND child, const std::wstring& name, DWORD milliseconds = 30000);
    static bool WaitForNoName(HWND child, const std::wstring& name, DWORD milliseconds = 30000);
    static void Pump();

    HWND frame_ = nullptr;
    TempFolder root_;
};

// How many times `name` occurs in `names`.
int CountOf(const std::vector<std::wstring>& names, const std::wstring& name);
// The names in UTF-8, separated by " | ", for failure messages.
std::string Joined(const std::vector<std::wstring>& names);
