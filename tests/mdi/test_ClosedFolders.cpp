// The closed-folder history's insertion rules.

#include "MdiTestFrame.h"

#include "app/Global.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/uClosedFolders.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* const kA = L"C:\\windows";
const wchar_t* const kB = L"C:\\windows\\system32";
const wchar_t* const kC = L"C:\\windows\\fonts";
const wchar_t* const kD = L"C:\\users";

void Close(const wchar_t* path) {
    UniqueAbsolutePidl folder = PidlOf(path);
    ASSERT_TRUE(folder) << path;
    RecordClosed(folder.get());
}

std::vector<std::wstring> History() {
    std::vector<std::wstring> paths;
    for (int i = 0; i < App().closedFolders->Count(); ++i)
        paths.push_back(PathOf(StoredFolder(App().closedFolders->Get(i))));
    return paths;
}

std::vector<std::wstring> Paths(std::initializer_list<const wchar_t*> list) {
    std::vector<std::wstring> paths;
    for (const wchar_t* p : list) paths.push_back(PathOf(PidlOf(p).get()));
    return paths;
}

class ClosedFolderHistory : public testing::Test {
protected:
    void SetUp() override { App().closedFolders->Clear(); }
};

TEST_F(ClosedFolderHistory, NewestClosedComesFirst) {
    for (const wchar_t* path : {kA, kB, kC, kD}) Close(path);
    EXPECT_EQ(History(), Paths({kD, kC, kB, kA}));
}

TEST_F(ClosedFolderHistory, ClosingAKnownFolderTradesPlacesWithTheNewest) {
    for (const wchar_t* path : {kA, kB, kC, kD}) Close(path);
    Close(kB);
    EXPECT_EQ(History(), Paths({kB, kC, kD, kA}));
}

TEST_F(ClosedFolderHistory, TheBoundDropsTheOldest) {
    FrameConfig().closeHistoryCount = 3;
    for (const wchar_t* path : {kA, kB, kC, kD}) Close(path);
    EXPECT_EQ(History(), Paths({kD, kC, kB}));
}

TEST_F(ClosedFolderHistory, TheHistoryKeepsItsOwnCopy) {
    UniqueAbsolutePidl folder = PidlOf(kA);
    RecordClosed(folder.get());
    ASSERT_EQ(App().closedFolders->Count(), 1);
    EXPECT_NE(App().closedFolders->Get(0), folder.get());
    folder.reset();
    EXPECT_EQ(History(), Paths({kA}));
}

}  // namespace
