#pragma once
// A frame with an MDI client and the tab bar, as the program's frame lays them
// out, for tests of child windows; and real folders to navigate.

#include "app/uPIDL.h"
#include "mdi/wMDIChild.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// Creates the program's frame (with its MDI client and tab bar) in SetUp and
// destroys it in TearDown.
class MdiTest : public testing::Test {
protected:
    MdiTest() = default;
    // A fixture for another window mode stores it before the frame reads it.
    explicit MdiTest(int windowMode) : windowMode_(windowMode) {}

    void SetUp() override;
    void TearDown() override;

    // Folders created under the temporary directory for this test, removed after it.
    std::wstring MakeFolder(const std::wstring& name);
    // `count` folders named prefix0, prefix1, ...
    std::vector<std::wstring> MakeFolders(const std::wstring& prefix, int count);

    HWND frame_ = nullptr;
    std::wstring root_;

private:
    int windowMode_ = -1;
};

// The ID list of a path (null when it cannot be parsed).
UniqueAbsolutePidl PidlOf(const std::wstring& path);
// Whether `folder` is the path `path`.
bool IsFolder(PCIDLIST_ABSOLUTE folder, const std::wstring& path);
// The file-system path of an ID list, or empty.
std::wstring PathOf(PCIDLIST_ABSOLUTE folder);
// Dispatches whatever is queued for this thread.
void PumpMessages();
// Opens a child for `path`, activated or not; answers the new child.
HWND OpenFolderChild(const std::wstring& path, bool activate = true);
HWND OpenSearchChild(bool activate = true);
// The folder the child's folder view shows (also behind search results).
std::wstring ShownPath(HWND child);
