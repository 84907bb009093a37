// The pointer list, the integer list and the ID-list list, including the
// ID-list list's registry form and what it makes of damaged stored values.

#include "app/Global.h"
#include "app/UtilClass.h"
#include "app/uPIDL.h"
#include "app/uReg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

void* P(intptr_t n) { return reinterpret_cast<void*>(n); }
intptr_t N(void* p) { return reinterpret_cast<intptr_t>(p); }

std::vector<intptr_t> Entries(const TList& list) {
    std::vector<intptr_t> entries;
    for (int i = 0; i < list.Count(); ++i) entries.push_back(N(list.Get(i)));
    return entries;
}

TList& Fill(TList& list, std::initializer_list<intptr_t> values) {
    for (intptr_t value : values) list.Add(P(value));
    return list;
}

// Records every notification in order: 0 for an added entry, 2 for a removed one.
class RecordingList : public TList {
public:
    std::vector<std::pair<intptr_t, int>> events;

protected:
    void Notify(void* item, Action action) override { events.emplace_back(N(item), static_cast<int>(action)); }
};

using Events = std::vector<std::pair<intptr_t, int>>;

int CompareValues(void* a, void* b) { return N(a) < N(b) ? -1 : N(a) > N(b) ? 1 : 0; }

// Entries for the stable sort: the key in the high bits, the original position in the low.
int CompareKeys(void* a, void* b, LPARAM context) {
    intptr_t keyA = N(a) >> 16;
    intptr_t keyB = N(b) >> 16;
    int order = keyA < keyB ? -1 : keyA > keyB ? 1 : 0;
    return context == 1 ? -order : order;
}

// Watches the task allocator's frees, the allocator every ID list uses.
class FreeSpy : public IMallocSpy {
public:
    void Forget() {
        std::lock_guard<std::mutex> lock(mutex_);
        freed_.clear();
    }
    bool Freed(void* p) {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::find(freed_.begin(), freed_.end(), p) != freed_.end();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IMallocSpy) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T bytes) override { return bytes; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override {
        std::lock_guard<std::mutex> lock(mutex_);
        freed_.push_back(request);
        return request;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T bytes, void** newRequest, BOOL) override {
        *newRequest = request;
        return bytes;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    std::mutex mutex_;
    std::vector<void*> freed_;
};

UniquePidl MakeList(std::initializer_list<Bytes> payloads) {
    Bytes raw;
    for (const Bytes& payload : payloads) {
        auto count = static_cast<USHORT>(payload.size() + 2);
        raw.push_back(static_cast<BYTE>(count & 0xFF));
        raw.push_back(static_cast<BYTE>(count >> 8));
        raw.insert(raw.end(), payload.begin(), payload.end());
    }
    raw.insert(raw.end(), {0, 0});
    UniquePidl list(PIDLAlloc(static_cast<UINT>(raw.size())));
    std::memcpy(list.get(), raw.data(), raw.size());
    return list;
}

UniqueAbsolutePidl ParsePath(const wchar_t* path) {
    std::wstring name = path;
    UniqueAbsolutePidl pidl;
    App().desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, DesktopParseResult(pidl.put()), nullptr);
    return pidl;
}

// The stored form of one entry: a 16-bit size and the list's bytes.
Bytes StoredForm(LPCITEMIDLIST list) {
    UINT size = PIDLSize(list);
    Bytes stored{static_cast<BYTE>(size & 0xFF), static_cast<BYTE>(size >> 8)};
    auto begin = reinterpret_cast<const BYTE*>(list);
    stored.insert(stored.end(), begin, begin + size);
    return stored;
}

class PIDLListRegistry : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SettingsCreate(L"", root_));
        SettingsDeleteTree(root_.get(), L"PIDLs");
        windows_ = ParsePath(L"C:\\windows");
        system32_ = ParsePath(L"C:\\windows\\system32");
        ASSERT_TRUE(windows_ && system32_);
    }

    UniqueRegKey ListKey() {
        UniqueRegKey key;
        RegOpenKeyExW(root_.get(), L"PIDLs", 0, KEY_ALL_ACCESS, key.put());
        return key;
    }
    UniqueRegKey CreateListKey() {
        UniqueRegKey key;
        RegCreateKeyW(root_.get(), L"PIDLs", key.put());
        return key;
    }

    static void WriteValue(HKEY key, const wchar_t* name, DWORD type, const Bytes& data) {
        RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    }
    static void WriteCount(HKEY key, DWORD count) { SettingsWriteInt(key, L"Count", static_cast<int>(count)); }
    static bool ValueExists(HKEY key, const wchar_t* name) {
        return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    static Bytes ValueData(HKEY key, const wchar_t* name, DWORD* type = nullptr) {
        DWORD size = 0;
        RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
        Bytes data(size);
        RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
        return data;
    }
    static DWORD ValueCount(HKEY key) {
        DWORD values = 0;
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        return values;
    }

    void Save(std::initializer_list<LPCITEMIDLIST> entries) {
        TPIDLList list(false);
        for (LPCITEMIDLIST entry : entries) list.Add(const_cast<LPITEMIDLIST>(entry));
        list.SaveList(root_.get(), L"PIDLs");
    }

    UniqueRegKey root_;
    UniqueAbsolutePidl windows_;
    UniqueAbsolutePidl system32_;
};

}  // namespace

// --- TList -------------------------------------------------------------------

TEST(PointerList, AddAppendsAndReturnsTheNewIndex) {
    TList list;
    EXPECT_EQ(list.Add(P(10)), 0);
    EXPECT_EQ(list.Add(P(20)), 1);
    EXPECT_EQ(list.Add(nullptr), 2);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{10, 20, 0}));
}

TEST(PointerList, GrowthAddsFourThenSixteenThenAQuarter) {
    TList list;
    std::vector<int> capacities;
    for (int i = 0; i < 200; ++i) {
        list.Add(P(i));
        if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228}));
}

TEST(PointerList, InsertMovesLaterEntriesUp) {
    TList list;
    Fill(list, {1, 2, 3});
    list.Insert(0, P(10));
    list.Insert(2, P(20));
    list.Insert(list.Count(), P(30));
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{10, 1, 20, 2, 3, 30}));
}

TEST(PointerList, InsertOutsideTheRangeIsIgnored) {
    TList list;
    Fill(list, {1, 2});
    list.Insert(-1, P(9));
    list.Insert(3, P(9));
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{1, 2}));
}

TEST(PointerList, DeleteMovesLaterEntriesDown) {
    TList list;
    Fill(list, {1, 2, 3, 4});
    list.Delete(1);
    list.Delete(2);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{1, 3}));
}

TEST(PointerList, DeleteOutsideTheRangeIsIgnored) {
    TList list;
    Fill(list, {1, 2});
    list.Delete(-1);
    list.Delete(2);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{1, 2}));
}

TEST(PointerList, ExchangeSwapsTwoEntriesAndIgnoresIndexesOutside) {
    TList list;
    Fill(list, {1, 2, 3});
    list.Exchange(0, 2);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{3, 2, 1}));
    list.Exchange(1, 3);
    list.Exchange(-1, 0);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{3, 2, 1}));
}

TEST(PointerList, GetOutsideTheRangeIsNull) {
    TList list;
    Fill(list, {1, 2});
    list.SetCapacity(10);
    EXPECT_EQ(list.Get(-1), nullptr);
    EXPECT_EQ(list.Get(2), nullptr);
    EXPECT_EQ(list.Get(9), nullptr);
}

TEST(PointerList, SetCountGrowsWithNullEntries) {
    TList list;
    Fill(list, {1});
    list.SetCount(4);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{1, 0, 0, 0}));
    EXPECT_GE(list.Capacity(), 4);
}

TEST(PointerList, SetCountShrinksFromTheEndOneByOne) {
    RecordingList list;
    Fill(list, {1, 2, 3, 4, 5});
    list.events.clear();
    list.SetCount(2);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{1, 2}));
    EXPECT_EQ(list.events, (Events{{5, 2}, {4, 2}, {3, 2}}));
}

TEST(PointerList, SetCountToANegativeNumberIsIgnored) {
    TList list;
    Fill(list, {1, 2});
    list.SetCount(-1);
    EXPECT_EQ(list.Count(), 2);
}

TEST(PointerList, NotifyReportsNonNullEntriesAddedAndRemoved) {
    RecordingList list;
    list.Add(P(1));
    list.Insert(0, P(2));
    list.Add(nullptr);
    list.Exchange(0, 1);
    list.Delete(0);
    list.Delete(1);
    EXPECT_EQ(list.events, (Events{{1, 0}, {2, 0}, {1, 2}}));
}

TEST(PointerList, SetCapacityBelowTheCountOrAboveTheLimitIsIgnored) {
    TList list;
    Fill(list, {1, 2, 3});
    int before = list.Capacity();
    list.SetCapacity(2);
    list.SetCapacity(TList::MaxCapacity + 1);
    EXPECT_EQ(list.Capacity(), before);
    list.SetCapacity(50);
    EXPECT_EQ(list.Capacity(), 50);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{1, 2, 3}));
}

TEST(PointerList, ClearRemovesEveryEntryAndTheCapacity) {
    RecordingList list;
    Fill(list, {1, 2});
    list.events.clear();
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.events, (Events{{2, 2}, {1, 2}}));
}

TEST(PointerList, SortOrdersLikeTheStandardSort) {
    std::mt19937 random(7);
    for (int size : {0, 1, 2, 3, 7, 64, 1000}) {
        TList list;
        std::vector<intptr_t> expected;
        for (int i = 0; i < size; ++i) {
            intptr_t value = static_cast<intptr_t>(random() % 50);
            list.Add(P(value));
            expected.push_back(value);
        }
        std::sort(expected.begin(), expected.end());
        list.Sort(CompareValues);
        EXPECT_EQ(Entries(list), expected) << "size " << size;
    }
}

TEST(PointerList, SortOfAlreadySortedAndReversedEntries) {
    TList ascending;
    TList descending;
    std::vector<intptr_t> expected;
    for (int i = 0; i < 5000; ++i) {
        ascending.Add(P(i));
        descending.Add(P(4999 - i));
        expected.push_back(i);
    }
    ascending.Sort(CompareValues);
    descending.Sort(CompareValues);
    EXPECT_EQ(Entries(ascending), expected);
    EXPECT_EQ(Entries(descending), expected);
}

TEST(PointerList, SortWithAComparisonThatIsNoOrderKeepsEveryEntry) {
    static std::mt19937 random(11);
    const TList::CompareFn broken[] = {
        [](void*, void*) { return -1; },
        [](void*, void*) { return 1; },
        [](void*, void*) { return static_cast<int>(random() % 3) - 1; },
    };
    for (TList::CompareFn compare : broken) {
        TList list;
        std::vector<intptr_t> original;
        for (int i = 0; i < 300; ++i) {
            list.Add(P(i + 1));
            original.push_back(i + 1);
        }
        list.Sort(compare);
        std::vector<intptr_t> after = Entries(list);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(after, original);
    }
}

TEST(PointerList, StableSortKeepsTheOrderOfEqualEntries) {
    std::mt19937 random(3);
    for (int size : {0, 1, 2, 3, 5, 16, 17, 100, 1001}) {
        TList list;
        std::vector<intptr_t> expected;
        for (int position = 0; position < size; ++position) {
            intptr_t entry = (static_cast<intptr_t>(random() % 4) << 16) | position;
            list.Add(P(entry));
            expected.push_back(entry);
        }
        std::stable_sort(expected.begin(), expected.end(), [](intptr_t a, intptr_t b) { return (a >> 16) < (b >> 16); });
        list.StableSort(CompareKeys, 0);
        EXPECT_EQ(Entries(list), expected) << "size " << size;
    }
}

TEST(PointerList, StableSortHandsTheContextToTheComparison) {
    TList list;
    Fill(list, {1 << 16 | 0, 3 << 16 | 1, 2 << 16 | 2, 3 << 16 | 3});
    list.StableSort(CompareKeys, 1);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{3 << 16 | 1, 3 << 16 | 3, 2 << 16 | 2, 1 << 16 | 0}));
}

TEST(PointerList, SortsWithoutAComparisonLeaveTheListAlone) {
    TList list;
    Fill(list, {3, 1, 2});
    list.Sort(nullptr);
    list.StableSort(nullptr, 0);
    EXPECT_EQ(Entries(list), (std::vector<intptr_t>{3, 1, 2}));
}

// --- TIntegerList -------------------------------------------------------------

TEST(IntegerList, KeepsEvery32BitValue) {
    TIntegerList list;
    for (int value : {0, -1, INT_MIN, INT_MAX, 12345}) list.Add(value);
    EXPECT_EQ(list.Get(1), -1);
    EXPECT_EQ(list.Get(2), INT_MIN);
    EXPECT_EQ(list.Get(3), INT_MAX);
    EXPECT_EQ(list.Get(5), 0);
}

TEST(IntegerList, SignedSortPutsNegativeValuesFirst) {
    TIntegerList list(false);
    for (int value : {5, -1, INT_MAX, INT_MIN, 3}) list.Add(value);
    list.Sort();
    std::vector<int> sorted;
    for (int i = 0; i < list.Count(); ++i) sorted.push_back(list.Get(i));
    EXPECT_EQ(sorted, (std::vector<int>{INT_MIN, -1, 3, 5, INT_MAX}));
}

TEST(IntegerList, UnsignedSortPutsNegativeValuesLast) {
    TIntegerList list(true);
    for (int value : {5, -1, INT_MAX, INT_MIN, 3}) list.Add(value);
    list.Sort();
    std::vector<int> sorted;
    for (int i = 0; i < list.Count(); ++i) sorted.push_back(list.Get(i));
    EXPECT_EQ(sorted, (std::vector<int>{3, 5, INT_MAX, INT_MIN, -1}));
}

// --- TPIDLList ownership ----------------------------------------------------------

class PIDLList : public testing::Test {
protected:
    void SetUp() override {
        spy_.Forget();
        ASSERT_EQ(CoRegisterMallocSpy(&spy_), S_OK);
    }
    void TearDown() override { CoRevokeMallocSpy(); }

    static FreeSpy spy_;
};
FreeSpy PIDLList::spy_;

TEST_F(PIDLList, AddAndInsertFirstTakeTheListWithoutCopying) {
    TPIDLList list(true);
    LPITEMIDLIST first = MakeList({{1}}).release();
    LPITEMIDLIST second = MakeList({{2}}).release();
    list.Add(first);
    list.InsertFirst(second);
    EXPECT_EQ(list.Get(0), second);
    EXPECT_EQ(list.Get(1), first);
    EXPECT_EQ(list.Get(2), nullptr);
}

TEST_F(PIDLList, AnOwningListFreesWhatItDeletes) {
    TPIDLList list(true);
    LPITEMIDLIST first = MakeList({{1}}).release();
    LPITEMIDLIST second = MakeList({{2}}).release();
    list.Add(first);
    list.Add(second);
    list.Delete(0);
    EXPECT_TRUE(spy_.Freed(first));
    EXPECT_FALSE(spy_.Freed(second));
    EXPECT_EQ(list.Get(0), second);
}

TEST_F(PIDLList, AnOwningListFreesEntriesCutBySetCount) {
    TPIDLList list(true);
    LPITEMIDLIST kept = MakeList({{1}}).release();
    LPITEMIDLIST cut = MakeList({{2}}).release();
    list.Add(kept);
    list.Add(cut);
    list.SetCount(1);
    EXPECT_TRUE(spy_.Freed(cut));
    EXPECT_FALSE(spy_.Freed(kept));
}

TEST_F(PIDLList, AnOwningListFreesEverythingOnClearAndWhenDestroyed) {
    LPITEMIDLIST cleared = MakeList({{1}}).release();
    LPITEMIDLIST destroyed = MakeList({{2}}).release();
    {
        TPIDLList list(true);
        list.Add(cleared);
        list.Clear();
        EXPECT_TRUE(spy_.Freed(cleared));
        EXPECT_EQ(list.Count(), 0);
        list.Add(destroyed);
    }
    EXPECT_TRUE(spy_.Freed(destroyed));
}

TEST_F(PIDLList, ANonOwningListOnlyForgetsItsEntries) {
    UniquePidl deleted = MakeList({{1}});
    UniquePidl cleared = MakeList({{2}});
    UniquePidl destroyed = MakeList({{3}});
    {
        TPIDLList list(false);
        list.Add(deleted.get());
        list.Add(cleared.get());
        list.Delete(0);
        list.Clear();
        list.Add(destroyed.get());
    }
    EXPECT_FALSE(spy_.Freed(deleted.get()));
    EXPECT_FALSE(spy_.Freed(cleared.get()));
    EXPECT_FALSE(spy_.Freed(destroyed.get()));
}

// --- TPIDLList in the registry -------------------------------------------------------

TEST_F(PIDLListRegistry, SaveWritesTheCountAndOneBinaryValuePerEntry) {
    UniquePidl desktop = MakeList({});
    Save({windows_.get(), desktop.get(), system32_.get()});

    UniqueRegKey key = ListKey();
    ASSERT_TRUE(key);
    DWORD type = 0;
    Bytes count = ValueData(key.get(), L"Count", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(count, (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(ValueData(key.get(), L"0", &type), StoredForm(windows_.get()));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(ValueData(key.get(), L"1", &type), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(ValueData(key.get(), L"2"), StoredForm(system32_.get()));
    EXPECT_EQ(ValueCount(key.get()), 4u);
}

TEST_F(PIDLListRegistry, LoadGivesEqualListsInTheirOrder) {
    UniquePidl desktop = MakeList({});
    Save({system32_.get(), desktop.get(), App().myComputerPidl.get(), windows_.get()});

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    ASSERT_EQ(loaded.Count(), 4);
    EXPECT_TRUE(PIDLEqual(loaded.Get(0), system32_.get()));
    EXPECT_EQ(PIDLSize(loaded.Get(1)), 2u);
    EXPECT_TRUE(PIDLEqual(loaded.Get(2), App().myComputerPidl.get()));
    EXPECT_TRUE(PIDLEqual(loaded.Get(3), windows_.get()));
    EXPECT_NE(loaded.Get(0), system32_.get());
}

TEST_F(PIDLListRegistry, SavingThreeOverFiveLeavesExactlyThreeValuesAndCountThree) {
    Save({windows_.get(), system32_.get(), windows_.get(), system32_.get(), windows_.get()});
    RegCreateKeyW(ListKey().get(), L"Stale", UniqueRegKey().put());
    Save({system32_.get(), windows_.get(), system32_.get()});

    UniqueRegKey key = ListKey();
    EXPECT_EQ(ValueCount(key.get()), 4u) << "Count and three entries";
    EXPECT_EQ(SettingsReadInt(key.get(), L"Count", -1), 3);
    EXPECT_FALSE(ValueExists(key.get(), L"3"));
    EXPECT_FALSE(ValueExists(key.get(), L"4"));
    UniqueRegKey stale;
    EXPECT_NE(RegOpenKeyExW(key.get(), L"Stale", 0, KEY_READ, stale.put()), ERROR_SUCCESS);

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_TRUE(PIDLEqual(loaded.Get(1), windows_.get()));
}

TEST_F(PIDLListRegistry, SavingAnEmptyListLeavesOnlyCountZero) {
    Save({windows_.get(), system32_.get()});
    Save({});
    UniqueRegKey key = ListKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(ValueCount(key.get()), 1u);
    EXPECT_EQ(SettingsReadInt(key.get(), L"Count", -1), 0);
}

TEST_F(PIDLListRegistry, ANullEntryIsStoredAsSizeZeroAndSkippedOnLoad) {
    Save({windows_.get(), nullptr, system32_.get()});
    EXPECT_EQ(ValueData(ListKey().get(), L"1"), (Bytes{0, 0}));

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_TRUE(PIDLEqual(loaded.Get(0), windows_.get()));
    EXPECT_TRUE(PIDLEqual(loaded.Get(1), system32_.get()));
}

TEST_F(PIDLListRegistry, ACountLargerThanTheStoredValuesLoadsThoseThatExist) {
    UniqueRegKey key = CreateListKey();
    WriteCount(key.get(), 10);
    WriteValue(key.get(), L"0", REG_BINARY, StoredForm(windows_.get()));
    WriteValue(key.get(), L"1", REG_BINARY, StoredForm(system32_.get()));

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_TRUE(PIDLEqual(loaded.Get(1), system32_.get()));
}

TEST_F(PIDLListRegistry, LoadingStopsAtTheFirstMissingValue) {
    UniqueRegKey key = CreateListKey();
    WriteCount(key.get(), 3);
    WriteValue(key.get(), L"0", REG_BINARY, StoredForm(windows_.get()));
    WriteValue(key.get(), L"2", REG_BINARY, StoredForm(system32_.get()));

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_TRUE(PIDLEqual(loaded.Get(0), windows_.get()));
}

TEST_F(PIDLListRegistry, AHugeCountEndsWhereTheValuesEnd) {
    UniqueRegKey key = CreateListKey();
    WriteCount(key.get(), 0x7FFFFFFF);
    WriteValue(key.get(), L"0", REG_BINARY, StoredForm(windows_.get()));

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    EXPECT_EQ(loaded.Count(), 1);
}

TEST_F(PIDLListRegistry, ANegativeOrMissingCountLoadsNothing) {
    UniqueRegKey key = CreateListKey();
    WriteValue(key.get(), L"0", REG_BINARY, StoredForm(windows_.get()));
    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    EXPECT_EQ(loaded.Count(), 0);

    WriteCount(key.get(), 0xFFFFFFFF);
    loaded.LoadList(root_.get(), L"PIDLs");
    EXPECT_EQ(loaded.Count(), 0);
}

TEST_F(PIDLListRegistry, AMissingSubkeyLoadsNothingAndKeepsTheEntriesPresent) {
    TPIDLList loaded(true);
    loaded.Add(PIDLClone(windows_.get()));
    loaded.LoadList(root_.get(), L"NoSuchList");
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_TRUE(PIDLEqual(loaded.Get(0), windows_.get()));
}

TEST_F(PIDLListRegistry, DamagedValuesAreSkippedAndTheSoundOnesLoad) {
    UniqueRegKey key = CreateListKey();
    const std::vector<std::pair<DWORD, Bytes>> values = {
        {REG_BINARY, StoredForm(windows_.get())},
        {REG_BINARY, {0, 0}},                                // size 0
        {REG_BINARY, {}},                                    // no bytes at all
        {REG_BINARY, {5}},                                   // half a size field
        {REG_BINARY, {40, 0, 3, 0, 1, 0, 0}},                // truncated list
        {REG_BINARY, {6, 0, 0x40, 0, 1, 2, 3, 4}},           // item count past the size
        {REG_BINARY, {8, 0, 3, 0, 1, 0, 0, 3, 0, 0}},        // zero count before the end
        {REG_BINARY, {6, 0, 1, 0, 1, 0, 0, 0}},              // item count of one
        {REG_BINARY, Bytes(70000, 0xFF)},                    // largest size, counts past it
        {REG_DWORD, {2, 0, 0, 0}},                           // wrong type that would parse
        {REG_SZ, {'a', 0, 'b', 0, 0, 0}},                    // wrong type
        {REG_BINARY, StoredForm(system32_.get())},
    };
    for (size_t i = 0; i < values.size(); ++i)
        WriteValue(key.get(), std::to_wstring(i).c_str(), values[i].first, values[i].second);
    WriteCount(key.get(), static_cast<DWORD>(values.size()));

    TPIDLList loaded(true);
    loaded.LoadList(root_.get(), L"PIDLs");
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_TRUE(PIDLEqual(loaded.Get(0), windows_.get()));
    EXPECT_TRUE(PIDLEqual(loaded.Get(1), system32_.get()));
}
