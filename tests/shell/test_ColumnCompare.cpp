// Our ordering of a file-system folder's items by a shell column, and the
// capability layer's choice between it and the folder's own: on a real folder
// whose files stand in a different order by name, size, date and type, with
// folders among them.

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "shell/ShellGuids.h"
#include "shell/uCapabilities.h"
#include "shell/uColumnCompare.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The storage property of an item's type, shown as text ("txt file").
constexpr DWORD kTypeTextProperty = 4;

// A file of `bytes` bytes last written on day `day` of January 2020.
bool MakeFile(const std::wstring& path, DWORD bytes, WORD day) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    const std::string content(bytes, 'x');
    DWORD written = 0;
    SYSTEMTIME time{2020, 1, 0, day, 12, 0, 0, 0};
    FILETIME stamp{};
    return WriteFile(file.get(), content.data(), bytes, &written, nullptr) && written == bytes &&
           SystemTimeToFileTime(&time, &stamp) && SetFileTime(file.get(), nullptr, nullptr, &stamp);
}

class ColumnCompare : public testing::Test {
protected:
    // By name a, b, c; by size b, c, a; by date c, a, b; by type (bmp, dat,
    // txt) c, b, a. The two folders sort before the files by every column.
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"zeko-columns-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
        ASSERT_TRUE(MakeFile(path_ + L"\\a.txt", 30, 5));
        ASSERT_TRUE(MakeFile(path_ + L"\\b.dat", 10, 9));
        ASSERT_TRUE(MakeFile(path_ + L"\\c.bmp", 20, 1));
        ASSERT_TRUE(CreateDirectoryW((path_ + L"\\n").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((path_ + L"\\k").c_str(), nullptr));

        ComPtr<IShellFolder> desktop;
        ASSERT_EQ(S_OK, SHGetDesktopFolder(desktop.put()));
        UniqueAbsolutePidl pidl;
        ASSERT_EQ(S_OK, desktop->ParseDisplayName(nullptr, nullptr, path_.data(), nullptr,
                                                  DesktopParseResult(pidl.put()), nullptr));
        ASSERT_EQ(S_OK, desktop->BindToObject(pidl.get(), nullptr, __uuidof(IShellFolder2), folder_.putVoid()));
        ListItems();
    }
    void TearDown() override {
        items_.clear();
        SetFileAttributesW((path_ + L"\\b.dat").c_str(), FILE_ATTRIBUTE_ARCHIVE);
        folder_.reset();
        RemoveTree(path_);
    }

    void ListItems() {
        items_.clear();
        ComPtr<IEnumIDList> items;
        ASSERT_EQ(S_OK, folder_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()));
        UniqueChildPidl item;
        while (items->Next(1, item.put(), nullptr) == S_OK) items_.push_back(std::move(item));
        ASSERT_EQ(items_.size(), 5u);
    }

    std::wstring Name(PCUITEMID_CHILD item) const {
        STRRET name{};
        if (FAILED(folder_->GetDisplayNameOf(item, SHGDN_INFOLDER | SHGDN_FORPARSING, &name))) return {};
        return StrRetToText(&name, item);
    }

    // The shell column the folder maps to storage property `id`, or -1.
    int ColumnOf(DWORD id) const {
        SHCOLUMNID mapped{};
        for (UINT column = 0; SUCCEEDED(folder_->MapColumnToSCID(column, &mapped)); ++column) {
            if (IsEqualGUID(mapped.fmtid, FMTID_StorageProperties) && mapped.pid == id) return column;
        }
        return -1;
    }

    // The names in the order `compare` gives, ties broken by name as the view does.
    template <typename Compare>
    std::vector<std::wstring> SortedNames(Compare compare) const {
        std::vector<PCUITEMID_CHILD> sorted;
        for (const UniqueChildPidl& item : items_) sorted.push_back(item.get());
        std::sort(sorted.begin(), sorted.end(), [&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
            const HRESULT hr = compare(a, b);
            EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
            const auto order = static_cast<short>(HRESULT_CODE(hr));
            return order != 0 ? order < 0 : Name(a) < Name(b);
        });
        std::vector<std::wstring> names;
        for (PCUITEMID_CHILD item : sorted) names.push_back(Name(item));
        return names;
    }

    std::vector<std::wstring> ByMeaning(int column) const {
        return SortedNames([&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
            return CompareByColumnMeaning(folder_.get(), column, a, b);
        });
    }

    std::wstring path_;
    ComPtr<IShellFolder2> folder_;
    std::vector<UniqueChildPidl> items_;
};

using Names = std::vector<std::wstring>;

TEST_F(ColumnCompare, TheSizeColumnOrdersFilesBySizeAfterTheFolders) {
    const int column = ColumnOf(kStorageSize);
    ASSERT_GT(column, 0);
    EXPECT_EQ(ByMeaning(column), (Names{L"k", L"n", L"b.dat", L"c.bmp", L"a.txt"}));
}

TEST_F(ColumnCompare, TheModifiedColumnOrdersFilesByTheirLastWriteAfterTheFolders) {
    const int column = ColumnOf(kStorageDateModified);
    ASSERT_GT(column, 0);
    EXPECT_EQ(ByMeaning(column), (Names{L"k", L"n", L"c.bmp", L"a.txt", L"b.dat"}));
}

TEST_F(ColumnCompare, TheTypeColumnOrdersFilesByTheirTypeText) {
    const int column = ColumnOf(kTypeTextProperty);
    ASSERT_GT(column, 0);
    EXPECT_EQ(ByMeaning(column), (Names{L"k", L"n", L"c.bmp", L"b.dat", L"a.txt"}));
}

TEST_F(ColumnCompare, TheAttributesColumnOrdersFilesByTheirAttributeBits) {
    const int column = ColumnOf(kStorageAttributes);
    ASSERT_GT(column, 0);
    const std::wstring readOnly = path_ + L"\\b.dat";
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
    // The attributes an item had when listed are the ones compared.
    ListItems();
    EXPECT_EQ(ByMeaning(column), (Names{L"k", L"n", L"a.txt", L"c.bmp", L"b.dat"}));
}

TEST_F(ColumnCompare, TheOrderIsTheSameBothWaysRound) {
    const int column = ColumnOf(kStorageSize);
    ASSERT_GT(column, 0);
    for (const UniqueChildPidl& a : items_) {
        for (const UniqueChildPidl& b : items_) {
            const HRESULT forward = CompareByColumnMeaning(folder_.get(), column, a.get(), b.get());
            const HRESULT backward = CompareByColumnMeaning(folder_.get(), column, b.get(), a.get());
            EXPECT_EQ(static_cast<short>(HRESULT_CODE(forward)), -static_cast<short>(HRESULT_CODE(backward)))
                << Name(a.get()) << L" " << Name(b.get());
        }
    }
}

// Whatever the platform's folders do, the layer's comparison orders by size.
TEST_F(ColumnCompare, TheLayersComparisonOrdersBySizeOnEveryPlatform) {
    const int column = ColumnOf(kStorageSize);
    ASSERT_GT(column, 0);
    const Names sorted = SortedNames([&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
        return CompareFileSystemItems(folder_.get(), column, a, b);
    });
    const Names files(sorted.begin() + 2, sorted.end());
    EXPECT_EQ(files, (Names{L"b.dat", L"c.bmp", L"a.txt"}));
}

// The flag says whether the folder's own comparison may be used for size.
TEST_F(ColumnCompare, TheCapabilityFlagMatchesWhetherTheFolderOrdersBySize) {
    const int column = ColumnOf(kStorageSize);
    ASSERT_GT(column, 0);
    const Names sorted = SortedNames([&](PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
        return folder_->CompareIDs(column, a, b);
    });
    const bool bySize = Names(sorted.begin() + 2, sorted.end()) == Names{L"b.dat", L"c.bmp", L"a.txt"};
    EXPECT_EQ(bySize, PlatformCapabilities().fileSystemColumnCompare);
}

}  // namespace
