// The address bar's drop-down entries, and the data object its icon drags.

#include "bars/uAddressList.h"
#include "bars/wAddressBar.h"

#include "app/Global.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

std::wstring PathOf(PCIDLIST_ABSOLUTE list) {
    wchar_t path[MAX_PATH] = {};
    return list && SHGetPathFromIDListW(list, path) ? path : L"";
}

UniqueAbsolutePidl FolderOf(const std::wstring& path) { return UniqueAbsolutePidl(ILCreateFromPathW(path.c_str())); }

int IndexOf(const AddressEntries& entries, PCIDLIST_ABSOLUTE folder) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (PIDLEqual(entries[i].folder.get(), folder)) return static_cast<int>(i);
    return -1;
}

TEST(AddressList, ADeepFolderFollowsItsDriveOneIndentDeeperAtEachStep) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring system = std::wstring(windows) + L"\\system32";
    const std::wstring drive = std::wstring(windows).substr(0, 3);

    AddressEntries entries = TopAddressEntries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_TRUE(ILIsEmpty(entries[0].folder.get())) << "the desktop comes first";
    EXPECT_EQ(entries[0].indent, 0);
    const int myComputer = IndexOf(entries, App().myComputerPidl.get());
    ASSERT_GT(myComputer, 0);
    EXPECT_EQ(entries[myComputer].indent, 1);
    const int driveIndex = IndexOf(entries, FolderOf(drive).get());
    ASSERT_GT(driveIndex, myComputer);
    for (int i = myComputer + 1; i <= driveIndex; ++i) EXPECT_EQ(entries[i].indent, 2) << "the drives, under My Computer";
    const size_t topCount = entries.size();

    MergeAncestors(entries, FolderOf(system).get());
    ASSERT_EQ(entries.size(), topCount + 2) << "only the two folders below the drive are new";
    EXPECT_EQ(_wcsicmp(PathOf(entries[driveIndex + 1].folder.get()).c_str(), windows), 0);
    EXPECT_EQ(entries[driveIndex + 1].indent, 3);
    EXPECT_EQ(_wcsicmp(PathOf(entries[driveIndex + 2].folder.get()).c_str(), system.c_str()), 0);
    EXPECT_EQ(entries[driveIndex + 2].indent, 4);

    MergeAncestors(entries, FolderOf(windows).get());
    EXPECT_EQ(entries.size(), topCount + 2) << "folders already listed are not listed twice";
}

// The folder dragged is one item of its parent, as the shell's ID-list format carries it.
TEST(AddressList, TheDraggedIconCarriesTheShownFolderEvenTheDesktop) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const UINT format = RegisterClipboardFormatW(CFSTR_SHELLIDLIST);
    for (PCIDLIST_ABSOLUTE folder : {static_cast<PCIDLIST_ABSOLUTE>(FolderOf(windows).release()),
                                     static_cast<PCIDLIST_ABSOLUTE>(PIDLClone(App().desktopPidl.get()))}) {
        UniqueAbsolutePidl owned(const_cast<PIDLIST_ABSOLUTE>(folder));
        ComPtr<IDataObject> data = FolderDataObject(folder, nullptr);
        ASSERT_TRUE(data);
        FORMATETC wanted{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium{};
        ASSERT_EQ(data->GetData(&wanted, &medium), S_OK);
        const auto* ids = static_cast<const CIDA*>(GlobalLock(medium.hGlobal));
        ASSERT_NE(ids, nullptr);
        EXPECT_EQ(ids->cidl, 1u);
        const auto* base = reinterpret_cast<const BYTE*>(ids);
        UniqueAbsolutePidl carried(ILCombine(reinterpret_cast<PCIDLIST_ABSOLUTE>(base + ids->aoffset[0]),
                                             reinterpret_cast<PCUIDLIST_RELATIVE>(base + ids->aoffset[1])));
        EXPECT_TRUE(PIDLEqual(carried.get(), folder));
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
}

}  // namespace
