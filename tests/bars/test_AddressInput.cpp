// What a typed address opens, and the open mode the modifiers choose.

#include "bars/uAddressInput.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

namespace {

std::wstring PathOf(PCIDLIST_ABSOLUTE list) {
    wchar_t path[MAX_PATH] = {};
    return list && SHGetPathFromIDListW(list, path) ? path : L"";
}

std::wstring WindowsFolder() {
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

TEST(AddressInput, AFolderThroughItsVariableOpensAsItself) {
    const AddressTarget target = ResolveTypedAddress(L"%SystemRoot%");
    ASSERT_TRUE(target.folder);
    EXPECT_TRUE(SamePath(PathOf(target.folder.get()), WindowsFolder()));
    EXPECT_FALSE(target.select);
}

TEST(AddressInput, AFileOpensItsFolderWithTheFileSelected) {
    const std::wstring file = WindowsFolder() + L"\\win.ini";
    ASSERT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    const AddressTarget target = ResolveTypedAddress(file);
    ASSERT_TRUE(target.folder);
    EXPECT_TRUE(SamePath(PathOf(target.folder.get()), WindowsFolder()));
    ASSERT_TRUE(target.select);
    UniqueAbsolutePidl full(ILCombine(target.folder.get(), target.select.get()));
    EXPECT_TRUE(SamePath(PathOf(full.get()), file));
}

// A path that steps out of a folder and back, which the shell makes no list
// of as typed, is resolved to the folder it names.
TEST(AddressInput, APathThatStepsBackOpensTheFolderItNames) {
    const std::wstring windows = WindowsFolder();
    const AddressTarget target = ResolveTypedAddress(windows + L"\\..\\" + PathFindFileNameW(windows.c_str()));
    ASSERT_TRUE(target.folder);
    EXPECT_TRUE(SamePath(PathOf(target.folder.get()), windows));
    EXPECT_FALSE(target.select);
}

TEST(AddressInput, WhatNamesNothingOpensNothing) {
    const std::wstring cases[] = {
        L"",
        L"     ",
        L"http://example.com/",
        L"Q:\\",
        WindowsFolder() + L"\\no such file.txt",
        L"C:\\" + std::wstring(40000, L'a'),
    };
    for (const std::wstring& text : cases)
        EXPECT_FALSE(ResolveTypedAddress(text).folder) << std::string(text.begin(), text.begin() + std::min<size_t>(text.size(), 40));
}

TEST(AddressInput, TheModifiersChooseTheModeInTheirOrder) {
    const AddressModifiers defaults;
    EXPECT_EQ(ChooseOpenMode(0, defaults), 0);
    EXPECT_EQ(ChooseOpenMode(1, defaults), 1);
    EXPECT_EQ(ChooseOpenMode(3, defaults), 2);
    EXPECT_EQ(ChooseOpenMode(2, defaults), -1) << "Ctrl alone matches none";
    const AddressModifiers same{1, 1, 1};
    EXPECT_EQ(ChooseOpenMode(1, same), 0) << "the first match wins";
}

}  // namespace
