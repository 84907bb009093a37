// Raw ID-list operations on hand-built lists and on real shell lists, their
// serialised form in streams, and the bounds check for stored data.

#include "app/Global.h"
#include "app/uPIDL.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

// A list whose items carry the given payloads, allocated like every other list.
UniquePidl MakeList(std::initializer_list<Bytes> payloads) {
    Bytes raw;
    for (const Bytes& payload : payloads) {
        auto count = static_cast<USHORT>(payload.size() + 2);
        raw.push_back(static_cast<BYTE>(count & 0xFF));
        raw.push_back(static_cast<BYTE>(count >> 8));
        raw.insert(raw.end(), payload.begin(), payload.end());
    }
    raw.push_back(0);
    raw.push_back(0);
    UniquePidl list(PIDLAlloc(static_cast<UINT>(raw.size())));
    std::memcpy(list.get(), raw.data(), raw.size());
    return list;
}

Bytes BytesOf(LPCITEMIDLIST list) {
    auto begin = reinterpret_cast<const BYTE*>(list);
    return Bytes(begin, begin + PIDLSize(list));
}

const BYTE* At(LPCITEMIDLIST list) { return reinterpret_cast<const BYTE*>(list); }

UniqueAbsolutePidl ParsePath(const wchar_t* path) {
    std::wstring name = path;
    UniqueAbsolutePidl pidl;
    App().desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, DesktopParseResult(pidl.put()), nullptr);
    return pidl;
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

ComPtr<IStream> NewMemoryStream() {
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    return stream;
}

ComPtr<IStream> StreamHolding(const Bytes& content) {
    ComPtr<IStream> stream = NewMemoryStream();
    ULONG written = 0;
    stream->Write(content.data(), static_cast<ULONG>(content.size()), &written);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    return stream;
}

Bytes ContentOf(IStream* stream) {
    HGLOBAL memory = nullptr;
    GetHGlobalFromStream(stream, &memory);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    auto bytes = static_cast<const BYTE*>(GlobalLock(memory));
    Bytes content(bytes, bytes + stat.cbSize.QuadPart);
    GlobalUnlock(memory);
    return content;
}

// The kinds do not convert into one another; each converts to the untyped
// list the byte-level operations take.
static_assert(!std::is_convertible_v<PCUITEMID_CHILD, PCIDLIST_ABSOLUTE>);
static_assert(!std::is_convertible_v<PCUIDLIST_RELATIVE, PCIDLIST_ABSOLUTE>);
static_assert(!std::is_convertible_v<PCIDLIST_ABSOLUTE, PCUITEMID_CHILD>);
static_assert(!std::is_convertible_v<LPCITEMIDLIST, PCIDLIST_ABSOLUTE>);
static_assert(std::is_convertible_v<PCIDLIST_ABSOLUTE, LPCITEMIDLIST>);
static_assert(std::is_convertible_v<PCUITEMID_CHILD, LPCITEMIDLIST>);
// Joining a folder and what lies below it gives a folder; the parent of a
// folder is a folder; its last item is a child.
static_assert(std::is_same_v<decltype(PIDLAppend(PCIDLIST_ABSOLUTE{}, PCUITEMID_CHILD{})), PIDLIST_ABSOLUTE>);
static_assert(std::is_same_v<decltype(PIDLAppend(PCIDLIST_ABSOLUTE{}, PCUIDLIST_RELATIVE{})), PIDLIST_ABSOLUTE>);
static_assert(std::is_same_v<decltype(PIDLParent(PCIDLIST_ABSOLUTE{})), PIDLIST_ABSOLUTE>);
static_assert(std::is_same_v<decltype(PIDLLastChild(PCIDLIST_ABSOLUTE{})), PCUITEMID_CHILD>);
static_assert(std::is_same_v<decltype(PIDLClone(PCUITEMID_CHILD{})), PITEMID_CHILD>);
static_assert(!std::is_constructible_v<UniqueAbsolutePidl, PITEMID_CHILD>);
static_assert(!std::is_constructible_v<UniqueChildPidl, PIDLIST_ABSOLUTE>);

}  // namespace

// --- Walking a list ---------------------------------------------------------

TEST(PIDLWalk, SizeSumsTheItemCountsAndTheTerminator) {
    UniquePidl list = MakeList({{1, 2, 3}, {4, 5, 6, 7, 8}});
    EXPECT_EQ(PIDLSize(list.get()), 5u + 7u + 2u);
    EXPECT_EQ(PIDLCount(list.get()), 2);
}

TEST(PIDLWalk, EmptyListIsTwoBytesWithNoItemsAndIsItsOwnLast) {
    UniquePidl empty = MakeList({});
    EXPECT_EQ(PIDLSize(empty.get()), 2u);
    EXPECT_EQ(PIDLCount(empty.get()), 0);
    EXPECT_EQ(PIDLLast(empty.get()), empty.get());
}

TEST(PIDLWalk, NullGivesNullOrZeroEverywhere) {
    EXPECT_EQ(PIDLNext(nullptr), nullptr);
    EXPECT_EQ(PIDLSize(nullptr), 0u);
    EXPECT_EQ(PIDLCount(nullptr), 0);
    EXPECT_EQ(PIDLLast(nullptr), nullptr);
    EXPECT_EQ(PIDLClone(LPCITEMIDLIST{}), nullptr);
    EXPECT_EQ(PIDLParent(LPCITEMIDLIST{}), nullptr);
    PIDLRemoveLast(nullptr);
}

TEST(PIDLWalk, NextStepsOverTheItemAndStopsAtTheTerminator) {
    UniquePidl list = MakeList({{1, 2, 3}, {4}});
    LPITEMIDLIST second = PIDLNext(list.get());
    EXPECT_EQ(At(second) - At(list.get()), 5);
    LPITEMIDLIST terminator = PIDLNext(second);
    EXPECT_EQ(At(terminator) - At(list.get()), 8);
    EXPECT_EQ(PIDLNext(terminator), nullptr);
}

TEST(PIDLWalk, LastPointsAtTheFinalItemInsideTheList) {
    UniquePidl list = MakeList({{1}, {2, 2}, {3, 3, 3}});
    EXPECT_EQ(At(PIDLLast(list.get())) - At(list.get()), 3 + 4);
}

TEST(PIDLWalk, RemoveLastOnOneItemListGivesTheDesktop) {
    UniquePidl list = MakeList({{9, 9, 9}});
    PIDLRemoveLast(list.get());
    EXPECT_EQ(PIDLCount(list.get()), 0);
    EXPECT_EQ(PIDLSize(list.get()), 2u);
}

TEST(PIDLWalk, RemoveLastOnTheEmptyListChangesNothing) {
    UniquePidl list = MakeList({});
    PIDLRemoveLast(list.get());
    EXPECT_EQ(BytesOf(list.get()), (Bytes{0, 0}));
}

TEST(PIDLWalk, RemoveLastKeepsTheLeadingItems) {
    UniquePidl list = MakeList({{1}, {2, 2}, {3, 3, 3}});
    PIDLRemoveLast(list.get());
    EXPECT_EQ(BytesOf(list.get()), (Bytes{3, 0, 1, 4, 0, 2, 2, 0, 0}));
}

// --- Copies -----------------------------------------------------------------

TEST(PIDLCopy, AllocZeroFillsReusedMemory) {
    LPITEMIDLIST dirty = PIDLAlloc(48);
    ASSERT_NE(dirty, nullptr);
    std::memset(dirty, 0xCC, 48);
    PIDLFree(dirty);
    UniquePidl fresh(PIDLAlloc(48));
    ASSERT_TRUE(fresh);
    EXPECT_EQ(Bytes(At(fresh.get()), At(fresh.get()) + 48), Bytes(48, 0));
}

TEST(PIDLCopy, ListsComeFromTheShellAllocator) {
    UniquePidl list = MakeList({{1, 2}});
    UniquePidl copy(PIDLClone(list.get()));
    EXPECT_EQ(App().malloc->DidAlloc(list.get()), 1);
    EXPECT_EQ(App().malloc->DidAlloc(copy.get()), 1);
}

TEST(PIDLCopy, FreeReleasesAndClearsTheVariable) {
    LPITEMIDLIST list = PIDLAlloc(8);
    PIDLFree(list);
    EXPECT_EQ(list, nullptr);
    PIDLFree(list);
    EXPECT_EQ(list, nullptr);
}

TEST(PIDLCopy, CloneIsAnExactCopyInNewMemory) {
    UniquePidl list = MakeList({{1, 2, 3}, {4, 5}});
    UniquePidl copy(PIDLClone(list.get()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), list.get());
    EXPECT_EQ(BytesOf(copy.get()), BytesOf(list.get()));
}

TEST(PIDLCopy, ParentDropsOnlyTheLastItem) {
    UniquePidl list = MakeList({{1}, {2, 2}, {3, 3, 3}});
    UniquePidl parent(PIDLParent(list.get()));
    EXPECT_EQ(BytesOf(parent.get()), (Bytes{3, 0, 1, 4, 0, 2, 2, 0, 0}));
    EXPECT_EQ(PIDLCount(list.get()), 3) << "the source list is left alone";
}

TEST(PIDLCopy, ParentOfOneItemAndOfTheEmptyListIsTheEmptyList) {
    UniquePidl one = MakeList({{7, 7}});
    UniquePidl empty = MakeList({});
    UniquePidl parentOfOne(PIDLParent(one.get()));
    UniquePidl parentOfEmpty(PIDLParent(empty.get()));
    EXPECT_EQ(BytesOf(parentOfOne.get()), (Bytes{0, 0}));
    EXPECT_EQ(BytesOf(parentOfEmpty.get()), (Bytes{0, 0}));
}

TEST(PIDLCopy, AppendJoinsFirstWithoutTerminatorAndSecondWithIt) {
    UniquePidl first = MakeList({{1}, {2, 2}});
    UniquePidl second = MakeList({{3, 3, 3}});
    UniquePidl joined(PIDLAppend(first.get(), second.get()));
    EXPECT_EQ(BytesOf(joined.get()), (Bytes{3, 0, 1, 4, 0, 2, 2, 5, 0, 3, 3, 3, 0, 0}));
}

TEST(PIDLCopy, AppendOfTheEmptyListAndAChildGivesACopyOfTheChild) {
    UniquePidl empty = MakeList({});
    UniquePidl child = MakeList({{5, 6, 7}});
    UniquePidl joined(PIDLAppend(empty.get(), child.get()));
    ASSERT_TRUE(joined);
    EXPECT_NE(joined.get(), child.get());
    EXPECT_EQ(BytesOf(joined.get()), BytesOf(child.get()));
}

TEST(PIDLCopy, AppendOfAnAbsoluteListAndTheEmptyListGivesACopyOfTheAbsolute) {
    UniquePidl absolute = MakeList({{1}, {2, 2}});
    UniquePidl empty = MakeList({});
    UniquePidl joined(PIDLAppend(absolute.get(), empty.get()));
    EXPECT_NE(joined.get(), absolute.get());
    EXPECT_EQ(BytesOf(joined.get()), BytesOf(absolute.get()));
}

TEST(PIDLCopy, AppendTreatsANullSecondAsTheEmptyList) {
    UniquePidl absolute = MakeList({{1}, {2, 2}});
    UniquePidl joined(PIDLAppend(absolute.get(), nullptr));
    EXPECT_EQ(BytesOf(joined.get()), BytesOf(absolute.get()));
}

TEST(PIDLCopy, AppendWithANullFirstCopiesTheSecond) {
    UniquePidl second = MakeList({{4, 4}});
    UniquePidl joined(PIDLAppend(nullptr, second.get()));
    ASSERT_TRUE(joined);
    EXPECT_NE(joined.get(), second.get());
    EXPECT_EQ(BytesOf(joined.get()), BytesOf(second.get()));
    EXPECT_EQ(PIDLAppend(LPCITEMIDLIST{}, LPCITEMIDLIST{}), nullptr);
}

TEST(PIDLCopy, CompareMemComparesExactlyNBytes) {
    const BYTE a[] = {1, 2, 3, 4};
    const BYTE b[] = {1, 2, 3, 5};
    EXPECT_TRUE(CompareMem(a, b, 3));
    EXPECT_FALSE(CompareMem(a, b, 4));
    EXPECT_TRUE(CompareMem(a, b, 0));
    EXPECT_FALSE(CompareMem(a, nullptr, 1));
}

// --- Bounds check for stored data --------------------------------------------

TEST(PIDLIsValid, AcceptsWellFormedListsAndTheEmptyList) {
    const BYTE list[] = {3, 0, 1, 4, 0, 2, 2, 0, 0};
    const BYTE empty[] = {0, 0};
    EXPECT_TRUE(PIDLIsValid(list, sizeof(list)));
    EXPECT_TRUE(PIDLIsValid(empty, sizeof(empty)));
}

TEST(PIDLIsValid, AcceptsARealFolderList) {
    UniqueAbsolutePidl windows = ParsePath(L"C:\\windows\\system32");
    ASSERT_TRUE(windows);
    EXPECT_TRUE(PIDLIsValid(windows.get(), PIDLSize(windows.get())));
    EXPECT_FALSE(PIDLIsValid(windows.get(), PIDLSize(windows.get()) - 1));
}

TEST(PIDLIsValid, RejectsNullAndDataShorterThanATerminator) {
    const BYTE one[] = {0};
    EXPECT_FALSE(PIDLIsValid(nullptr, 2));
    EXPECT_FALSE(PIDLIsValid(one, 1));
    EXPECT_FALSE(PIDLIsValid(one, 0));
}

TEST(PIDLIsValid, RejectsAnItemCountRunningPastTheData) {
    const BYTE overrun[] = {10, 0, 1, 2, 3, 4};
    const BYTE huge[] = {0xFF, 0xFF, 0, 0};
    EXPECT_FALSE(PIDLIsValid(overrun, sizeof(overrun)));
    EXPECT_FALSE(PIDLIsValid(huge, sizeof(huge)));
}

TEST(PIDLIsValid, RejectsAnItemThatLeavesNoRoomForTheTerminator) {
    const BYTE noTerminator[] = {4, 0, 7, 7};
    const BYTE halfTerminator[] = {4, 0, 7, 7, 0};
    EXPECT_FALSE(PIDLIsValid(noTerminator, sizeof(noTerminator)));
    EXPECT_FALSE(PIDLIsValid(halfTerminator, sizeof(halfTerminator)));
}

TEST(PIDLIsValid, RejectsAnItemShorterThanItsOwnCount) {
    const BYTE countOne[] = {1, 0, 0, 0, 0};
    EXPECT_FALSE(PIDLIsValid(countOne, sizeof(countOne)));
}

TEST(PIDLIsValid, AcceptsOddItemSizes) {
    const BYTE odd[] = {3, 0, 9, 5, 0, 1, 2, 3, 0, 0};
    EXPECT_TRUE(PIDLIsValid(odd, sizeof(odd)));
}

// --- Serialised form -----------------------------------------------------------

TEST(PIDLStream, WritesTheSizeThenTheListWithItsTerminator) {
    UniquePidl list = MakeList({{1, 2, 3}, {4}});
    ComPtr<IStream> stream = NewMemoryStream();
    ASSERT_EQ(PIDLWriteStream(stream.get(), list.get()), S_OK);
    EXPECT_EQ(ContentOf(stream.get()), (Bytes{10, 0, 5, 0, 1, 2, 3, 3, 0, 4, 0, 0}));
}

TEST(PIDLStream, NullListIsWrittenAsSizeZeroAlone) {
    ComPtr<IStream> stream = NewMemoryStream();
    ASSERT_EQ(PIDLWriteStream(stream.get(), nullptr), S_OK);
    EXPECT_EQ(ContentOf(stream.get()), (Bytes{0, 0}));
}

TEST(PIDLStream, SeveralListsRoundTripInOrder) {
    UniqueAbsolutePidl windows = ParsePath(L"C:\\windows");
    UniqueAbsolutePidl system32 = ParsePath(L"C:\\windows\\system32");
    UniquePidl desktop = MakeList({});
    ASSERT_TRUE(windows && system32);
    ComPtr<IStream> stream = NewMemoryStream();
    for (LPCITEMIDLIST list :
         std::initializer_list<LPCITEMIDLIST>{windows.get(), nullptr, desktop.get(), system32.get()})
        ASSERT_EQ(PIDLWriteStream(stream.get(), list), S_OK);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);

    UniquePidl read[4];
    for (UniquePidl& each : read) ASSERT_EQ(PIDLReadStream(stream.get(), *each.put()), S_OK);
    EXPECT_EQ(BytesOf(read[0].get()), BytesOf(windows.get()));
    EXPECT_FALSE(read[1]);
    EXPECT_EQ(BytesOf(read[2].get()), (Bytes{0, 0}));
    EXPECT_EQ(BytesOf(read[3].get()), BytesOf(system32.get()));
    EXPECT_TRUE(PIDLEqual(read[3].get(), system32.get()));
}

TEST(PIDLStream, ReadingAnEmptyStreamFailsWithNoList) {
    ComPtr<IStream> stream = NewMemoryStream();
    LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(1);
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), list)));
    EXPECT_EQ(list, nullptr);
}

TEST(PIDLStream, ReadingHalfASizeFails) {
    ComPtr<IStream> stream = StreamHolding({4});
    UniquePidl list;
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), *list.put())));
    EXPECT_FALSE(list);
}

TEST(PIDLStream, SizeZeroGivesNoListAndSuccess) {
    ComPtr<IStream> stream = StreamHolding({0, 0, 2, 0, 0, 0});
    UniquePidl list;
    EXPECT_TRUE(SUCCEEDED(PIDLReadStream(stream.get(), *list.put())));
    EXPECT_FALSE(list);
    ASSERT_EQ(PIDLReadStream(stream.get(), *list.put()), S_OK) << "the next list follows the size field";
    EXPECT_EQ(BytesOf(list.get()), (Bytes{0, 0}));
}

TEST(PIDLStream, TruncatedBodyFailsWithNoList) {
    ComPtr<IStream> stream = StreamHolding({20, 0, 5, 0, 1, 2, 3});
    UniquePidl list;
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), *list.put())));
    EXPECT_FALSE(list);
}

TEST(PIDLStream, RejectsItemCountsRunningPastTheStoredSize) {
    ComPtr<IStream> stream = StreamHolding({6, 0, 0x40, 0, 1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE});
    UniquePidl list;
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), *list.put())));
    EXPECT_FALSE(list);
}

TEST(PIDLStream, RejectsAZeroCountBeforeTheEndOfTheStoredSize) {
    ComPtr<IStream> stream = StreamHolding({8, 0, 3, 0, 1, 0, 0, 3, 0, 0});
    UniquePidl list;
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), *list.put())));
    EXPECT_FALSE(list);
}

TEST(PIDLStream, RejectsAnItemCountOfOne) {
    ComPtr<IStream> stream = StreamHolding({6, 0, 1, 0, 1, 0, 0, 0});
    UniquePidl list;
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), *list.put())));
    EXPECT_FALSE(list);
}

TEST(PIDLStream, ARejectedListLeavesTheStreamInStepForTheNext) {
    ComPtr<IStream> stream = StreamHolding({4, 0, 9, 0, 0, 0, 5, 0, 3, 0, 7, 0, 0});
    UniquePidl list;
    EXPECT_TRUE(FAILED(PIDLReadStream(stream.get(), *list.put())));
    ASSERT_EQ(PIDLReadStream(stream.get(), *list.put()), S_OK);
    EXPECT_EQ(BytesOf(list.get()), (Bytes{3, 0, 7, 0, 0}));
}

TEST(PIDLStream, AListTooLongForTheSizeFieldIsWrittenAsNoList) {
    UniquePidl list = MakeList({Bytes(40000, 1), Bytes(40000, 2)});
    ComPtr<IStream> stream = NewMemoryStream();
    EXPECT_TRUE(FAILED(PIDLWriteStream(stream.get(), list.get())));
    EXPECT_EQ(ContentOf(stream.get()), (Bytes{0, 0}));
}

// --- Real shell lists ------------------------------------------------------------

TEST(PIDLShell, ASubFolderIsItsParentFolderPlusOneItem) {
    UniqueAbsolutePidl windows = ParsePath(L"C:\\windows");
    UniqueAbsolutePidl system32 = ParsePath(L"C:\\windows\\system32");
    ASSERT_TRUE(windows && system32);
    EXPECT_EQ(PIDLCount(system32.get()), PIDLCount(windows.get()) + 1);

    UniquePidl parent(PIDLParent(system32.get()));
    EXPECT_TRUE(PIDLEqual(parent.get(), windows.get()));

    UniquePidl child(PIDLClone(PIDLLast(system32.get())));
    EXPECT_EQ(PIDLCount(child.get()), 1);
    UniquePidl joined(PIDLAppend(windows.get(), child.get()));
    EXPECT_TRUE(PIDLEqual(joined.get(), system32.get()));
}

TEST(PIDLShell, TwoAllocationsOfTheSameFolderAreEqual) {
    UniqueAbsolutePidl first = ParsePath(L"C:\\windows");
    UniqueAbsolutePidl second = ParsePath(L"C:\\windows");
    ASSERT_TRUE(first && second);
    ASSERT_NE(first.get(), second.get());
    EXPECT_TRUE(PIDLEqual(first.get(), second.get()));
    EXPECT_TRUE(PIDLEqual(first.get(), first.get()));
}

TEST(PIDLShell, DifferentFoldersAndNullAreNotEqual) {
    UniqueAbsolutePidl windows = ParsePath(L"C:\\windows");
    UniqueAbsolutePidl system32 = ParsePath(L"C:\\windows\\system32");
    EXPECT_FALSE(PIDLEqual(windows.get(), system32.get()));
    EXPECT_FALSE(PIDLEqual(windows.get(), nullptr));
    EXPECT_FALSE(PIDLEqual(nullptr, windows.get()));
    EXPECT_FALSE(PIDLEqual(nullptr, nullptr));
}

TEST(PIDLShell, JapaneseFolderNamesOfOneLengthAreNotEqual) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring base = std::wstring(temp) + L"pidl-equal-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring japan = base + L"\\日本";
    const std::wstring china = base + L"\\中国";
    CreateDirectoryW(base.c_str(), nullptr);
    CreateDirectoryW(japan.c_str(), nullptr);
    CreateDirectoryW(china.c_str(), nullptr);
    UniqueAbsolutePidl first = ParsePath(japan.c_str());
    UniqueAbsolutePidl second = ParsePath(china.c_str());
    UniqueAbsolutePidl again = ParsePath(japan.c_str());
    RemoveDirectoryW(japan.c_str());
    RemoveDirectoryW(china.c_str());
    RemoveDirectoryW(base.c_str());
    ASSERT_TRUE(first && second && again);
    EXPECT_FALSE(PIDLEqual(first.get(), second.get()));
    EXPECT_TRUE(PIDLEqual(first.get(), again.get()));
}

TEST(PIDLShell, DisplayNameIsTheShellsNameForTheItem) {
    UniqueAbsolutePidl system32 = ParsePath(L"C:\\windows\\system32");
    EXPECT_TRUE(SameTextIgnoringCase(PIDLDisplayName(system32.get()), L"system32"));
    EXPECT_FALSE(PIDLDisplayName(App().desktopPidl.get()).empty());
    EXPECT_TRUE(PIDLDisplayName(nullptr).empty());
}

TEST(PIDLShell, PathOrNameGivesThePathOfAFileSystemFolder) {
    UniqueAbsolutePidl system32 = ParsePath(L"C:\\windows\\system32");
    EXPECT_TRUE(SameTextIgnoringCase(PIDLPathOrName(system32.get()), L"C:\\windows\\system32"));
    EXPECT_TRUE(PIDLPathOrName(nullptr).empty());
}

TEST(PIDLShell, PathOrNameFallsBackToTheDisplayNameOfAVirtualFolder) {
    PCIDLIST_ABSOLUTE myComputer = App().myComputerPidl.get();
    ASSERT_NE(myComputer, nullptr);
    std::wstring name = PIDLPathOrName(myComputer);
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name, PIDLDisplayName(myComputer));
}

TEST(PIDLShell, IconIndexOfAFolderMatchesItsPathAndDiffersFromAFile) {
    UniqueAbsolutePidl windows = ParsePath(L"C:\\windows");
    UniqueAbsolutePidl notepad = ParsePath(L"C:\\windows\\notepad.exe");
    ASSERT_TRUE(windows && notepad);
    int folder = PIDLIconIndex(windows.get(), false, false);
    EXPECT_EQ(folder, PathIconIndex(L"C:\\windows", false));
    EXPECT_NE(folder, PIDLIconIndex(notepad.get(), false, false));
    EXPECT_EQ(PIDLIconIndex(nullptr, true, false), 0);
}

TEST(PIDLShell, StrRetToTextReadsEveryForm) {
    STRRET wide{};
    wide.uType = STRRET_WSTR;
    SHStrDupW(L"wide text", &wide.pOleStr);
    EXPECT_EQ(StrRetToText(&wide, nullptr), L"wide text");

    STRRET narrow{};
    narrow.uType = STRRET_CSTR;
    std::strcpy(narrow.cStr, "narrow");
    EXPECT_EQ(StrRetToText(&narrow, nullptr), L"narrow");

    UniquePidl item = MakeList({{'a', 'b', 0}});
    STRRET offset{};
    offset.uType = STRRET_OFFSET;
    offset.uOffset = 2;
    EXPECT_EQ(StrRetToText(&offset, item.get()), L"ab");

    EXPECT_EQ(StrRetToText(nullptr, nullptr), L"");
}

// The buffer holds 1040 characters with the terminator; the shell refuses
// to cut a longer text, which then reads as a failure.
TEST(PIDLShell, StrRetToTextTakesUpTo1039Characters) {
    for (size_t length : {1039u, 1040u}) {
        STRRET wide{};
        wide.uType = STRRET_WSTR;
        std::wstring longText(length, L'x');
        SHStrDupW(longText.c_str(), &wide.pOleStr);
        std::wstring text = StrRetToText(&wide, nullptr);
        if (length < 1040)
            EXPECT_EQ(text, longText);
        else
            EXPECT_TRUE(text.empty());
    }
}

TEST(PIDLShell, ReparseGivesANewEqualListForAFolder) {
    UniqueAbsolutePidl system32 = ParsePath(L"C:\\windows\\system32");
    UniqueAbsolutePidl fresh;
    ASSERT_TRUE(PIDLReparse(system32.get(), *fresh.put()));
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh.get(), system32.get());
    EXPECT_TRUE(PIDLEqual(fresh.get(), system32.get()));
}

TEST(PIDLShell, ReparseOfAVirtualFolderGoesThroughItsParsingName) {
    UniqueAbsolutePidl fresh;
    ASSERT_TRUE(PIDLReparse(App().myComputerPidl.get(), *fresh.put()));
    EXPECT_TRUE(PIDLEqual(fresh.get(), App().myComputerPidl.get()));
}

TEST(PIDLShell, ReparseOfAVanishedFolderSucceedsWithoutAList) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"zeko-reparse-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    UniqueAbsolutePidl folder = ParsePath(path.c_str());
    RemoveDirectoryW(path.c_str());
    ASSERT_TRUE(folder);

    PIDLIST_ABSOLUTE fresh = reinterpret_cast<PIDLIST_ABSOLUTE>(1);
    EXPECT_TRUE(PIDLReparse(folder.get(), fresh));
    EXPECT_EQ(fresh, nullptr);
}

TEST(PIDLShell, ReparseOfNullFails) {
    PIDLIST_ABSOLUTE fresh = reinterpret_cast<PIDLIST_ABSOLUTE>(1);
    EXPECT_FALSE(PIDLReparse(nullptr, fresh));
    EXPECT_EQ(fresh, nullptr);
}

TEST(PIDLShell, BindingTheEmptyListGivesTheDesktopItself) {
    UniquePidl desktop = MakeList({});
    ComPtr<IShellFolder> folder;
    ASSERT_TRUE(PIDLBindFolder(StoredFolder(desktop.get()), folder.put()));
    EXPECT_EQ(folder.get(), App().desktop.get());
}

TEST(PIDLShell, BindingAFolderListGivesThatFolder) {
    UniqueAbsolutePidl windows = ParsePath(L"C:\\windows");
    ComPtr<IShellFolder> folder;
    ASSERT_TRUE(PIDLBindFolder(windows.get(), folder.put()));
    ASSERT_TRUE(folder);
    std::wstring child = L"system32";
    UniqueChildPidl relative;
    EXPECT_EQ(folder->ParseDisplayName(nullptr, nullptr, child.data(), nullptr, ChildParseResult(relative.put()),
                                       nullptr),
              S_OK);
    EXPECT_EQ(PIDLCount(relative.get()), 1);
}

TEST(PIDLShell, BindingNullFailsWithNoFolder) {
    ComPtr<IShellFolder> folder;
    EXPECT_FALSE(PIDLBindFolder(nullptr, folder.put()));
    EXPECT_FALSE(folder);
}
