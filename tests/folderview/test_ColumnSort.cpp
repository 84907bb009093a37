// Sorting a real folder by size and by date through the view's sort commands:
// the list stands in the column's order, folders first, and sorting the same
// column again turns it round.

#include "FolderViewFixture.h"

#include "app/Handles.h"
#include "mainwnd/uCommand.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/ShellGuids.h"

#include <string>
#include <vector>

namespace {

using NameList = std::vector<std::wstring>;

// Sets a file's last write to noon on day `day` of January 2020.
bool SetDay(const std::wstring& path, WORD day) {
    UniqueHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    SYSTEMTIME time{2020, 1, 0, day, 12, 0, 0, 0};
    FILETIME stamp{};
    return file.get() != INVALID_HANDLE_VALUE && SystemTimeToFileTime(&time, &stamp) &&
           SetFileTime(file.get(), nullptr, nullptr, &stamp);
}

class ColumnSort : public FolderViewTest {
protected:
    // By name a, b, c; by size b, c, a; by date c, a, b; two folders besides.
    void SetUp() override {
        FolderViewTest::SetUp();
        ASSERT_TRUE(MakeFile(root_ / L"a.txt", 30));
        ASSERT_TRUE(MakeFile(root_ / L"b.dat", 10));
        ASSERT_TRUE(MakeFile(root_ / L"c.bmp", 20));
        ASSERT_TRUE(SetDay(root_ / L"a.txt", 5));
        ASSERT_TRUE(SetDay(root_ / L"b.dat", 9));
        ASSERT_TRUE(SetDay(root_ / L"c.bmp", 1));
        ASSERT_TRUE(MakeDirectory(root_ / L"n"));
        ASSERT_TRUE(MakeDirectory(root_ / L"k"));
    }

    // The shell column the view's folder maps to storage property `id`, or -1.
    static int ColumnOf(HWND child, DWORD id) {
        TFolderView* view = View(child);
        if (!view->Folder2) return -1;
        SHCOLUMNID mapped{};
        for (UINT column = 0; SUCCEEDED(view->Folder2->MapColumnToSCID(column, &mapped)); ++column) {
            if (IsEqualGUID(mapped.fmtid, FMTID_StorageProperties) && mapped.pid == id) return column;
        }
        return -1;
    }

    void SortCommand(int column) {
        OnFrameCommand(frame_, MAKEWPARAM(IDM_SORT_FIRST + column, 0), 0);
        Pump();
    }
};

TEST_F(ColumnSort, SortingBySizeListsTheFoldersThenTheFilesBySize) {
    HWND child = Open(root_.path());
    ASSERT_EQ(Names(child), (NameList{L"k", L"n", L"a.txt", L"b.dat", L"c.bmp"}));
    const int column = ColumnOf(child, kStorageSize);
    ASSERT_GT(column, 0);
    SortCommand(column);
    ASSERT_TRUE(View(child)->SortAscending);
    EXPECT_EQ(Names(child), (NameList{L"k", L"n", L"b.dat", L"c.bmp", L"a.txt"}));
    SortCommand(column);
    ASSERT_FALSE(View(child)->SortAscending);
    EXPECT_EQ(Names(child), (NameList{L"a.txt", L"c.bmp", L"b.dat", L"n", L"k"}));
}

TEST_F(ColumnSort, SortingByDateListsTheFoldersThenTheFilesByTheirLastWrite) {
    HWND child = Open(root_.path());
    const int column = ColumnOf(child, kStorageDateModified);
    ASSERT_GT(column, 0);
    SortCommand(column);
    ASSERT_TRUE(View(child)->SortAscending);
    EXPECT_EQ(Names(child), (NameList{L"k", L"n", L"c.bmp", L"a.txt", L"b.dat"}));
    SortCommand(column);
    ASSERT_FALSE(View(child)->SortAscending);
    EXPECT_EQ(Names(child), (NameList{L"b.dat", L"a.txt", L"c.bmp", L"n", L"k"}));
}

TEST_F(ColumnSort, AFullRefreshKeepsTheSizeOrderForANewFile) {
    HWND child = Open(root_.path());
    const int column = ColumnOf(child, kStorageSize);
    ASSERT_GT(column, 0);
    SortCommand(column);
    ASSERT_TRUE(MakeFile(root_ / L"d.txt", 15));
    View(child)->RefreshView(RefreshFull);
    WaitForName(child, L"d.txt");
    EXPECT_EQ(Names(child), (NameList{L"k", L"n", L"b.dat", L"d.txt", L"c.bmp", L"a.txt"}));
}

}  // namespace
