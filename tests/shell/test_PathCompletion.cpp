// Our completion source offers the children of the folder typed so far.

#include "shell/uPathCompletion.h"
#include "shell/ShellGuids.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Offered(IEnumString* names) {
    std::vector<std::wstring> offered;
    LPOLESTR text[8] = {};
    ULONG fetched = 0;
    while (SUCCEEDED(names->Next(8, text, &fetched)) && fetched > 0) {
        for (ULONG i = 0; i < fetched; ++i) {
            offered.emplace_back(text[i]);
            CoTaskMemFree(text[i]);
        }
    }
    return offered;
}

TEST(PathCompletion, OffersTheChildrenOfTheTypedFolderAfterItsBackslash) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring root = std::wstring(windows) + L"\\";
    ComPtr<IEnumString> names = CreateChildNameList();
    ComPtr<IACList> expand;
    ASSERT_TRUE(SUCCEEDED(names->QueryInterface(__uuidof(IACList), expand.putVoid())));

    EXPECT_TRUE(Offered(names.get()).empty()) << "nothing before a folder is typed";
    ASSERT_EQ(expand->Expand(root.c_str()), S_OK);
    const std::vector<std::wstring> offered = Offered(names.get());
    bool system32 = false;
    for (const std::wstring& name : offered) {
        EXPECT_EQ(name.compare(0, root.size(), root), 0);
        system32 |= lstrcmpiW(name.c_str(), (root + L"system32").c_str()) == 0;
        EXPECT_NE(name, root + L".");
    }
    EXPECT_TRUE(system32);

    names->Reset();
    EXPECT_EQ(Offered(names.get()).size(), offered.size()) << "Reset offers the same again";
    ASSERT_EQ(expand->Expand(L"Q:\\no such folder\\"), S_OK);
    EXPECT_TRUE(Offered(names.get()).empty());
}

}  // namespace
