// The remembered view states: their stored form, hostile stored data, the
// most-recently-used list and its 100-entry save, the default state, and the
// rest of the folder view settings (histories, thumbnail size, pictures).

#include "app/uReg.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewStateStore.h"
#include "folderview/uViewStates.h"
#include "tests/support/MessageBoxAnswerer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A well-formed ID list of `items` items whose contents carry `tag`.
Bytes MakeIDList(int items, std::uint32_t tag) {
    Bytes list;
    for (int i = 0; i < items; ++i) {
        const std::uint8_t item[] = {6, 0, static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
                                     static_cast<std::uint8_t>(tag >> 16), static_cast<std::uint8_t>(i)};
        for (const std::uint8_t byte : item) list.push_back(byte);
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

TViewState MakeState(std::uint32_t tag, int items = 2) {
    TViewState state;
    state.IDList = MakeIDList(items, tag);
    state.IDCount = items;
    state.ViewMode = 1;
    state.SortColumn = 0x0203;
    state.SortAscending = 0;
    state.ColumnStates = {{0, 0, 180}, {3, 0, 0x1234}, {1, 0, 75}};
    state.ColumnOrder = {2, 0, 1};
    return state;
}

void ExpectSameState(const TViewState& a, const TViewState& b) {
    EXPECT_EQ(a.IDList, b.IDList);
    EXPECT_EQ(a.IDCount, b.IDCount);
    EXPECT_EQ(a.ViewMode, b.ViewMode);
    EXPECT_EQ(a.SortColumn, b.SortColumn);
    EXPECT_EQ(a.SortAscending, b.SortAscending);
    ASSERT_EQ(a.ColumnStates.size(), b.ColumnStates.size());
    for (size_t i = 0; i < a.ColumnStates.size(); ++i) {
        EXPECT_EQ(a.ColumnStates[i].Index, b.ColumnStates[i].Index) << i;
        EXPECT_EQ(a.ColumnStates[i].Width, b.ColumnStates[i].Width) << i;
    }
    EXPECT_EQ(a.ColumnOrder, b.ColumnOrder);
}

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b) {
    const auto size = [](const std::uint8_t* list) {
        size_t at = 0;
        while (list[at] | list[at + 1]) at += list[at] | (list[at + 1] << 8);
        return at + 2;
    };
    return size(a) == size(b) && std::memcmp(a, b, size(a)) == 0;
}

const std::wstring kViewStatesPath = L"Software\\ZEKO2\\FolderView\\ViewStates";
const std::wstring kDefaultPath = L"Software\\ZEKO2\\FolderView\\DefViewState";

void WriteBinary(const std::wstring& path, const wchar_t* name, const Bytes& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

void WriteDword(const std::wstring& path, const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

bool ValueExists(const std::wstring& path, const wchar_t* name) {
    return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::vector<const TViewState*> Listed() {
    std::vector<const TViewState*> states;
    for (const TViewState& state : ViewStates().Entries()) states.push_back(&state);
    return states;
}

std::vector<std::wstring> Numbered(const wchar_t* prefix, int count) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < count; ++i) entries.push_back(prefix + std::to_wstring(i));
    return entries;
}

// --- The stored form -------------------------------------------------------

TEST(ViewStateForm, HoldsEachFieldAtItsOffsetAndIsAsLongAsItsParts) {
    const TViewState state = MakeState(0x4455);
    const Bytes data = SerializeViewState(state);
    const size_t n = state.IDList.size();
    ASSERT_EQ(data.size(), n + 3 * 4 + 3 * 4 + 10);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[1], 0x03);
    EXPECT_EQ(data[2], 0x02);
    EXPECT_EQ(data[3], 0);
    EXPECT_EQ(data[4] | (data[5] << 8), static_cast<int>(n));
    EXPECT_EQ(Bytes(data.begin() + 6, data.begin() + 6 + n), state.IDList);
    EXPECT_EQ(data[6 + n] | (data[7 + n] << 8), 12);
    // Second column record: index 3, zero, width 0x1234.
    EXPECT_EQ(Bytes(data.begin() + 8 + n + 4, data.begin() + 8 + n + 8), (Bytes{3, 0, 0x34, 0x12}));
    EXPECT_EQ(data[20 + n] | (data[21 + n] << 8), 12);
    EXPECT_EQ(Bytes(data.begin() + 22 + n, data.begin() + 26 + n), (Bytes{2, 0, 0, 0}));
}

TEST(ViewStateForm, ReadsBackWhatItWrote) {
    const TViewState state = MakeState(0x0102, 3);
    const std::optional<TViewState> parsed = ParseViewState(SerializeViewState(state));
    ASSERT_TRUE(parsed);
    ExpectSameState(*parsed, state);
}

TEST(ViewStateForm, TheDesktopAndAStateWithoutColumnsReadBack) {
    TViewState desktop;
    desktop.IDList = {0, 0};
    desktop.ViewMode = 4;
    const Bytes data = SerializeViewState(desktop);
    EXPECT_EQ(data.size(), 12u);
    const std::optional<TViewState> parsed = ParseViewState(data);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->IDCount, 0);
    EXPECT_TRUE(parsed->ColumnStates.empty());
    EXPECT_TRUE(parsed->ColumnOrder.empty());
}

TEST(ViewStateForm, ValuesWhoseSizesContradictTheirContentsAreRefused) {
    const Bytes good = SerializeViewState(MakeState(7));
    const size_t n = MakeIDList(2, 7).size();
    auto with = [&](size_t at, std::uint8_t value) {
        Bytes bad = good;
        bad[at] = value;
        return bad;
    };
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ParseViewState(longer)) << "a byte after the order entries";
    EXPECT_FALSE(ParseViewState(with(4, 0xFF))) << "ID list size past the value";
    EXPECT_FALSE(ParseViewState(with(4, static_cast<std::uint8_t>(n - 2)))) << "ID list size shorter than the list";
    EXPECT_FALSE(ParseViewState(with(6 + n, 13))) << "column bytes not whole records";
    EXPECT_FALSE(ParseViewState(with(6 + n, 200))) << "column count running past the value";
    EXPECT_FALSE(ParseViewState(with(6 + n + 1, 1))) << "column count of 256 and more";
    EXPECT_FALSE(ParseViewState(with(20 + n, 16))) << "order count running past the value";
    EXPECT_FALSE(ParseViewState(with(20 + n, 2))) << "order bytes not whole entries";
    EXPECT_FALSE(ParseViewState(with(0, 5))) << "no such view mode";
    // Sizes that add up to the value but do not divide into records.
    const Bytes uneven = {3, 0, 0, 1, 2, 0, 0, 0, 5, 0, 1, 0, 50, 0, 7, 0, 0};
    EXPECT_FALSE(ParseViewState(uneven)) << "five bytes of column records";
    // Every shorter prefix of a good value is refused, none read past its end.
    for (size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(ParseViewState(std::span<const std::uint8_t>(good.data(), size))) << size;
}

TEST(ViewStateForm, MalformedIDListsAreRefused) {
    auto stateWithList = [](Bytes list) {
        Bytes data = {3, 0, 0, 1, static_cast<std::uint8_t>(list.size()), 0};
        for (const std::uint8_t byte : list) data.push_back(byte);
        for (int i = 0; i < 4; ++i) data.push_back(0);
        return data;
    };
    EXPECT_TRUE(ParseViewState(stateWithList({4, 0, 9, 9, 0, 0})));
    EXPECT_FALSE(ParseViewState(stateWithList({1, 0, 9, 0, 0}))) << "an item shorter than its size field";
    EXPECT_FALSE(ParseViewState(stateWithList({9, 0, 9, 9, 0, 0}))) << "an item running past the list";
    EXPECT_FALSE(ParseViewState(stateWithList({4, 0, 9, 9}))) << "no terminator";
    EXPECT_FALSE(ParseViewState(stateWithList({0, 0, 4, 0, 9, 9}))) << "bytes after the terminator";
    EXPECT_FALSE(ParseViewState(stateWithList({}))) << "an empty list";
}

TEST(ViewStateForm, ArbitraryBytesNeverReadOutside) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        Bytes data(round % 64);
        for (std::uint8_t& byte : data) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<std::uint8_t>(seed >> 16);
        }
        if (data.size() > 5) data[4] = static_cast<std::uint8_t>(data.size() % 16);
        // Heap copies of exactly the value's size: a read past them is a fault the runtime may catch.
        const auto copy = std::make_unique<std::uint8_t[]>(data.size());
        std::copy(data.begin(), data.end(), copy.get());
        if (const std::optional<TViewState> parsed = ParseViewState({copy.get(), data.size()})) {
            EXPECT_EQ(SerializeViewState(*parsed), data);
        }
    }
}

TEST(ViewStateForm, AnIDListTooLongForItsSizeFieldIsNotWritten) {
    TViewState state;
    state.IDList.assign(0x10000, 1);
    EXPECT_TRUE(SerializeViewState(state).empty());
}

// --- Column order ----------------------------------------------------------

TEST(ColumnOrder, OnlyAnArrangementOfTheColumnsIsAnOrder) {
    EXPECT_TRUE(IsColumnOrder(std::vector<std::int32_t>{2, 0, 1}, 3));
    EXPECT_FALSE(IsColumnOrder(std::vector<std::int32_t>{2, 0, 0}, 3));
    EXPECT_FALSE(IsColumnOrder(std::vector<std::int32_t>{3, 0, 1}, 3));
    EXPECT_FALSE(IsColumnOrder(std::vector<std::int32_t>{-1, 0, 1}, 3));
    EXPECT_FALSE(IsColumnOrder(std::vector<std::int32_t>{0, 1}, 3));
    EXPECT_TRUE(IsColumnOrder(std::vector<std::int32_t>{}, 0));
}

TEST(ColumnOrder, DraggingTheLastOfFourToTheFrontShiftsTheOthers) {
    EXPECT_EQ(OrderAfterDrag({0, 1, 2, 3}, 3, 0), (std::vector<std::int32_t>{3, 0, 1, 2}));
    EXPECT_EQ(OrderAfterDrag({0, 1, 2, 3}, 0, 3), (std::vector<std::int32_t>{1, 2, 3, 0}));
    EXPECT_EQ(OrderAfterDrag({3, 0, 1, 2}, 1, 1), (std::vector<std::int32_t>{3, 1, 0, 2}));
}

TEST(ColumnOrder, ADragOutsideTheColumnsChangesNothing) {
    EXPECT_EQ(OrderAfterDrag({0, 1, 2}, 1, 3), (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(OrderAfterDrag({0, 1, 2}, 5, 0), (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(OrderAfterDrag({0, 7, 2}, 2, 0), (std::vector<std::int32_t>{0, 7, 2}));
}

TEST(ColumnOrder, ColumnsBeyondOneByteAreLeftOutOfTheRecordsAndTheOrder) {
    std::vector<TColumnState> records;
    std::vector<std::int32_t> order;
    RecordColumns(std::vector<int>{0, 1, 300, 2}, std::vector<int>{100, 70000, 50, -4},
                  std::vector<int>{2, 3, 0, 1}, records, order);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Index, 0);
    EXPECT_EQ(records[1].Index, 1);
    EXPECT_EQ(records[2].Index, 2);
    EXPECT_EQ(records[1].Width, 0xFFFF);
    EXPECT_EQ(records[2].Width, 0);
    EXPECT_EQ(order, (std::vector<std::int32_t>{2, 0, 1}));
}

TEST(ColumnOrder, AnUnusableHeaderOrderIsRecordedAsCreationOrder) {
    std::vector<TColumnState> records;
    std::vector<std::int32_t> order;
    RecordColumns(std::vector<int>{0, 4}, std::vector<int>{10, 20}, std::vector<int>{9, 9}, records, order);
    EXPECT_EQ(order, (std::vector<std::int32_t>{0, 1}));
}

// --- The list --------------------------------------------------------------

TEST(ViewStateList, FindingAStateMovesItToTheHead) {
    TViewStateList list;
    list.AddBack(MakeState(1));
    list.AddBack(MakeState(2));
    list.AddBack(MakeState(3));
    const Bytes wanted = MakeIDList(2, 3);
    TViewState* found = list.Find(wanted.data(), 2, SameBytes);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &list.Entries().front());
    EXPECT_EQ(list.Entries().front().IDList, wanted);
    EXPECT_EQ(list.Count(), 3u);
    const Bytes missing = MakeIDList(2, 9);
    EXPECT_EQ(list.Find(missing.data(), 2, SameBytes), nullptr);
}

TEST(ViewStateList, AStateWithAnotherItemCountIsNeverCompared) {
    TViewStateList list;
    list.AddBack(MakeState(1, 3));
    const Bytes wanted = MakeIDList(2, 1);
    int compared = 0;
    EXPECT_EQ(list.Find(wanted.data(), 2, [&](const std::uint8_t*, const std::uint8_t*) { return ++compared > 0; }),
              nullptr);
    EXPECT_EQ(compared, 0);
}

// --- Saved and loaded ------------------------------------------------------

TEST(ViewStateStore, OfA150StatesTheHundredUsedLastSurviveARestart) {
    for (std::uint32_t tag = 0; tag < 150; ++tag) ViewStates().AddFront(MakeState(tag));
    // The oldest is used again: it counts as used last.
    const Bytes oldest = MakeIDList(2, 0);
    ASSERT_NE(ViewStates().Find(oldest.data(), 2, SameBytes), nullptr);
    SaveStates();
    EXPECT_EQ(ViewStates().Count(), 0u);
    EXPECT_TRUE(ValueExists(kViewStatesPath, L"99"));
    EXPECT_FALSE(ValueExists(kViewStatesPath, L"100"));
    LoadStates();
    const std::vector<const TViewState*> loaded = Listed();
    ASSERT_EQ(loaded.size(), 100u);
    EXPECT_EQ(loaded[0]->IDList, oldest);
    for (size_t i = 1; i < loaded.size(); ++i)
        EXPECT_EQ(loaded[i]->IDList, MakeIDList(2, static_cast<std::uint32_t>(150 - i))) << i;
    ExpectSameState(*loaded[5], MakeState(145));
}

TEST(ViewStateStore, ASaveReplacesEveryValueOfALongerEarlierSave) {
    for (std::uint32_t tag = 0; tag < 8; ++tag) ViewStates().AddFront(MakeState(tag));
    SaveStates();
    ViewStates().AddFront(MakeState(40));
    SaveStates();
    EXPECT_TRUE(ValueExists(kViewStatesPath, L"0"));
    EXPECT_FALSE(ValueExists(kViewStatesPath, L"1"));
}

TEST(ViewStateStore, HostileValuesAreSkippedAndTheRestLoadInOrder) {
    Bytes overlong = SerializeViewState(MakeState(2));
    overlong[6 + MakeIDList(2, 2).size()] = 0xF0;  // column count running past the value
    Bytes badOrder = SerializeViewState(MakeState(3));
    badOrder.resize(badOrder.size() - 3);  // an order entry cut short
    WriteBinary(kViewStatesPath, L"0", SerializeViewState(MakeState(1)));
    WriteBinary(kViewStatesPath, L"1", overlong);
    WriteBinary(kViewStatesPath, L"2", {});
    WriteBinary(kViewStatesPath, L"3", badOrder);
    WriteBinary(kViewStatesPath, L"4", {0xFF, 0xFF, 0xFF});
    WriteBinary(kViewStatesPath, L"5", SerializeViewState(MakeState(6)));
    // After a gap nothing more is read.
    WriteBinary(kViewStatesPath, L"7", SerializeViewState(MakeState(8)));
    LoadStates();
    const std::vector<const TViewState*> loaded = Listed();
    ASSERT_EQ(loaded.size(), 2u);
    ExpectSameState(*loaded[0], MakeState(1));
    ExpectSameState(*loaded[1], MakeState(6));
}

TEST(ViewStateStore, TheDefaultStateIsWrittenInFullOnlyWhileInUse) {
    TDefViewState& def = DefViewState();
    def.Load = true;
    def.SortIndex = 3;
    def.SortOrder = 0;
    def.ColumnStates = {{0, 0, 120}, {3, 0, 90}};
    def.ColumnOrderArray = {1, 0};
    SaveStates();
    def = TDefViewState{};
    LoadStates();
    EXPECT_TRUE(def.Load);
    EXPECT_EQ(def.SortIndex, 3);
    EXPECT_EQ(def.SortOrder, 0);
    ASSERT_EQ(def.ColumnStates.size(), 2u);
    EXPECT_EQ(def.ColumnStates[1].Index, 3);
    EXPECT_EQ(def.ColumnStates[1].Width, 90);
    EXPECT_EQ(def.ColumnOrderArray, (std::vector<std::int32_t>{1, 0}));

    RegDeleteTreeW(HKEY_CURRENT_USER, kDefaultPath.c_str());
    def.Load = false;
    SaveStates();
    EXPECT_TRUE(ValueExists(kDefaultPath, L"Load"));
    EXPECT_FALSE(ValueExists(kDefaultPath, L"SortIndex"));
    EXPECT_FALSE(ValueExists(kDefaultPath, L"ColumnStates"));
}

TEST(ViewStateStore, TheDefaultStateIsReadOnlyWhenInUseAndOnlyItsWholeRecords) {
    WriteDword(kDefaultPath, L"SortIndex", 4);
    WriteBinary(kDefaultPath, L"ColumnStates", {1, 0, 50, 0, 2, 0, 60, 0, 9, 9});
    WriteBinary(kDefaultPath, L"ColumnOrderArray", {1, 0, 0, 0, 0, 0, 0, 0, 7});
    WriteDword(kDefaultPath, L"Load", 0);
    LoadStates();
    EXPECT_FALSE(DefViewState().Load);
    EXPECT_EQ(DefViewState().SortIndex, 0);
    EXPECT_TRUE(DefViewState().ColumnStates.empty());

    WriteDword(kDefaultPath, L"Load", 1);
    LoadStates();
    EXPECT_TRUE(DefViewState().Load);
    EXPECT_EQ(DefViewState().SortIndex, 4);
    ASSERT_EQ(DefViewState().ColumnStates.size(), 2u);
    EXPECT_EQ(DefViewState().ColumnStates[1].Width, 60);
    EXPECT_EQ(DefViewState().ColumnOrderArray, (std::vector<std::int32_t>{1, 0}));
}

TEST(ViewStateStore, AFolderWithoutStoredStatesStartsWithNone) {
    LoadStates();
    EXPECT_EQ(ViewStates().Count(), 0u);
    EXPECT_FALSE(DefViewState().Load);
}

// --- The options page's buttons --------------------------------------------

TEST(ViewStateButtons, ClearingTheDefaultAsksAndStopsUsingIt) {
    DefViewState().Load = true;
    {
        MessageBoxAnswerer cancel(IDCANCEL, L"情報");
        EXPECT_FALSE(ClearDefault(nullptr));
        ASSERT_TRUE(cancel.Answered());
        EXPECT_EQ(cancel.Text(), L"キャンセルではもとに戻りません。よろしいですか？");
    }
    EXPECT_TRUE(DefViewState().Load);
    MessageBoxAnswerer ok(IDOK, L"情報");
    EXPECT_TRUE(ClearDefault(nullptr));
    EXPECT_TRUE(ok.Answered());
    EXPECT_FALSE(DefViewState().Load);
}

TEST(ViewStateButtons, ClearingAllStatesAsksAndForgetsEveryState) {
    ViewStates().AddFront(MakeState(1));
    ViewStates().AddFront(MakeState(2));
    {
        MessageBoxAnswerer cancel(IDCANCEL, L"情報");
        EXPECT_FALSE(ClearAllStates(nullptr));
        ASSERT_TRUE(cancel.Answered());
    }
    EXPECT_EQ(ViewStates().Count(), 2u);
    MessageBoxAnswerer ok(IDOK, L"情報");
    EXPECT_TRUE(ClearAllStates(nullptr));
    EXPECT_TRUE(ok.Answered());
    EXPECT_EQ(ok.Text(), L"キャンセルではもとに戻りません。よろしいですか？");
    EXPECT_EQ(ViewStates().Count(), 0u);
}

TEST(ViewStateButtons, ApplyingToAllFoldersWithoutAFolderViewOnlyTellsSo) {
    MessageBoxAnswerer ok(IDOK, L"情報");
    EXPECT_FALSE(ApplyToAllFolders(nullptr));
    ASSERT_TRUE(ok.Answered());
    EXPECT_EQ(ok.Text(), L"このフォルダでは操作を行えません。");
    EXPECT_FALSE(DefViewState().Load);
}

// --- The rest of the folder view settings ---------------------------------

TEST(FolderViewHistories, EachHistoryIsCutAtItsLimitWhenSaved) {
    const std::wstring folderView = L"Software\\ZEKO2\\FolderView";
    WriteDword(folderView, L"WildCardCount", 10);
    WriteDword(folderView, L"FileSelectCount", 4);
    FolderViewSettings& settings = FolderViewConfig();
    settings.WildCard = Numbered(L"*.W", 15);
    settings.FileSelect = Numbered(L"F", 15);
    settings.SearchQuery = Numbered(L"Q", 15);
    SaveFolderViewSettings();
    settings = FolderViewSettings{};
    LoadFolderViewSettings();
    EXPECT_EQ(settings.WildCard, Numbered(L"*.W", 10));
    EXPECT_EQ(settings.FileSelect, Numbered(L"F", 4));
    EXPECT_EQ(settings.SearchQuery, Numbered(L"Q", 4)) << "the query history follows FileSelectCount";
}

TEST(FolderViewHistories, WithoutStoredLimitsTenOfEachAreKept) {
    FolderViewSettings& settings = FolderViewConfig();
    settings.WildCard = Numbered(L"A", 12);
    settings.FileSelect = Numbered(L"B", 3);
    SaveFolderViewSettings();
    settings = FolderViewSettings{};
    LoadFolderViewSettings();
    EXPECT_EQ(settings.WildCard, Numbered(L"A", 10));
    EXPECT_EQ(settings.FileSelect, Numbered(L"B", 3));
    EXPECT_TRUE(settings.SearchQuery.empty());
}

TEST(FolderViewHistories, ALimitChangedSinceStartUpIsTheOneUsed) {
    FolderViewSettings& settings = FolderViewConfig();
    LoadFolderViewSettings();
    settings.WildCard = Numbered(L"W", 9);
    // The options dialog writes the limit while the program runs.
    WriteDword(L"Software\\ZEKO2\\FolderView", L"WildCardCount", 2);
    SaveFolderViewSettings();
    settings = FolderViewSettings{};
    LoadFolderViewSettings();
    EXPECT_EQ(settings.WildCard, Numbered(L"W", 2));
}

TEST(FolderViewPictures, TheSystemsThumbnailSizeSizesTheThumbnailImageList) {
    WriteDword(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", L"ThumbnailSize", 128);
    LoadFolderViewSettings();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
                       L"ThumbnailSize");
    EXPECT_EQ(FolderViewConfig().ThumbnailSize, 128);
    int cx = 0, cy = 0;
    ASSERT_NE(FolderViewImages().Thumbnails.get(), nullptr);
    ASSERT_TRUE(ImageList_GetIconSize(FolderViewImages().Thumbnails.get(), &cx, &cy));
    EXPECT_EQ(cx, 128);
    EXPECT_EQ(cy, 128);
}

TEST(FolderViewPictures, AFreshProfileHas96PixelThumbnailsAndEveryPicture) {
    LoadFolderViewSettings();
    const FolderViewImageSet& images = FolderViewImages();
    EXPECT_EQ(FolderViewConfig().ThumbnailSize, 96);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images.Thumbnails.get(), &cx, &cy));
    EXPECT_EQ(cx, 96);
    ASSERT_TRUE(ImageList_GetIconSize(images.Small.get(), &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    for (HBITMAP bitmap : {images.Shortcut.get(), images.Hand.get()}) {
        BITMAP info{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.bmWidth, 16);
        EXPECT_EQ(info.bmHeight, 16);
    }
}

TEST(FolderViewPictures, SavingFreesThePictures) {
    LoadFolderViewSettings();
    const HBITMAP hand = FolderViewImages().Hand.get();
    ASSERT_NE(hand, nullptr);
    SaveFolderViewSettings();
    EXPECT_EQ(FolderViewImages().Thumbnails.get(), nullptr);
    EXPECT_EQ(FolderViewImages().Hand.get(), nullptr);
    BITMAP info{};
    EXPECT_EQ(GetObjectW(hand, sizeof(info), &info), 0) << "the bitmap was deleted";
}

}  // namespace
