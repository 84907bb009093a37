// Our per-folder thumbnail cache: locking, entries by name with time stamps
// that survive the store object, and files that were damaged or written by
// somebody else read without harm.

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "shell/uThumbCache.h"
#include "tests/support/TestImages.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

UniqueBitmap SolidBitmap(int width, int height, COLORREF colour) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < width * height; ++i)
        pixel[i] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    return bitmap;
}

// Random pixels: a PNG of them hardly shrinks.
UniqueBitmap NoiseBitmap(int side, unsigned seed) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), side, -side, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::mt19937 random(seed);
    auto* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < side * side; ++i) pixel[i] = random() & 0xFFFFFF;
    return bitmap;
}

FILETIME Stamp(UINT64 value) { return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)}; }

class ThumbCacheTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"zeko-cache-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void TearDown() override {
        RemoveTree(folder_);
    }

    ComPtr<IShellImageStore> Store() const {
        ComPtr<IShellImageStore> store = CreateOwnThumbnailStore();
        ComPtr<IPersistFolder> persist = store.as<IPersistFolder>();
        UniqueAbsolutePidl list(ILCreateFromPathW(folder_.c_str()));
        EXPECT_TRUE(persist && SUCCEEDED(persist->Initialize(list.get())));
        return store;
    }
    std::wstring CacheFile() const { return folder_ + L"\\" + kThumbnailStoreFileName; }

    std::vector<BYTE> ReadCacheFile() const {
        // A store may hold the file open for writing meanwhile.
        UniqueHandle file(CreateFileW(CacheFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        std::vector<BYTE> bytes(file ? GetFileSize(file.get(), nullptr) : 0);
        DWORD read = 0;
        if (!bytes.empty()) ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        return bytes;
    }
    void WriteCacheFile(const std::vector<BYTE>& bytes) const {
        UniqueHandle file(CreateFileW(CacheFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(file);
        ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }

    // Writes `entries` (name, stamp, colour) through a fresh store and closes it.
    void WriteEntries(std::initializer_list<std::tuple<const wchar_t*, UINT64, COLORREF>> entries) const {
        ComPtr<IShellImageStore> store = Store();
        DWORD lock = 0;
        HRESULT hr = store->Open(STGM_WRITE, &lock);
        if (hr == STG_E_FILENOTFOUND) hr = store->Create(STGM_WRITE, &lock);
        ASSERT_EQ(hr, S_OK);
        for (const auto& [name, stamp, colour] : entries) {
            const FILETIME time = Stamp(stamp);
            ASSERT_EQ(store->AddEntry(name, &time, STGM_WRITE, SolidBitmap(40, 20, colour).get()), S_OK);
        }
        store->ReleaseLock(&lock);
        store->Close(&lock);
    }

    // The entry's colour read through a fresh store, CLR_INVALID when there is no picture.
    COLORREF ReadColour(const wchar_t* name, UINT64* stamp = nullptr) const {
        ComPtr<IShellImageStore> store = Store();
        DWORD lock = 0;
        if (FAILED(store->Open(STGM_READ, &lock))) return CLR_INVALID;
        FILETIME time{};
        COLORREF colour = CLR_INVALID;
        HBITMAP bitmap = nullptr;
        if (store->IsEntryInStore(name, &time) == S_OK && store->GetEntry(name, STGM_READ, &bitmap) == S_OK) {
            UniqueBitmap owner(bitmap);
            colour = PixelOf(bitmap, 5, 5);
            if (stamp) *stamp = (static_cast<UINT64>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
        }
        store->ReleaseLock(&lock);
        return colour;
    }

    std::wstring folder_;
};

TEST_F(ThumbCacheTest, OpeningFailsUntilCreatedAndTheFileIsAHiddenOneInTheFolder) {
    ComPtr<IShellImageStore> store = Store();
    DWORD lock = 0;
    EXPECT_EQ(store->Open(STGM_READ, &lock), STG_E_FILENOTFOUND);
    EXPECT_EQ(store->IsLocked(), S_FALSE);
    ASSERT_EQ(store->Create(STGM_WRITE, &lock), S_OK);
    const DWORD attributes = GetFileAttributesW(CacheFile().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    store->ReleaseLock(&lock);
    store->Close(&lock);
    EXPECT_EQ(Store()->Open(STGM_READ, &lock), S_OK);
}

TEST_F(ThumbCacheTest, LockAndModeFollowOpenReleaseAndClose) {
    WriteEntries({});
    ComPtr<IShellImageStore> store = Store();
    DWORD mode = 0, first = 0, second = 0;
    EXPECT_TRUE(FAILED(store->GetMode(&mode)));
    ASSERT_EQ(store->Open(STGM_READ, &first), S_OK);
    ASSERT_EQ(store->Open(STGM_READ, &second), S_OK);
    EXPECT_EQ(store->IsLocked(), S_OK);
    EXPECT_EQ(store->GetMode(&mode), S_OK);
    store->ReleaseLock(&second);
    EXPECT_EQ(store->IsLocked(), S_OK) << "one lock is still held";
    store->ReleaseLock(&first);
    EXPECT_EQ(store->IsLocked(), S_FALSE);
    EXPECT_EQ(store->GetMode(&mode), S_OK) << "released, not closed";
    store->Close(&first);
    EXPECT_TRUE(FAILED(store->GetMode(&mode)));
}

TEST_F(ThumbCacheTest, EntriesKeepPictureAndTimeStampAcrossStoresAndIgnoreCase) {
    WriteEntries({{L"red.png", 111, RGB(255, 0, 0)}, {L"blue.png", 222, RGB(0, 0, 255)}});
    UINT64 stamp = 0;
    EXPECT_EQ(ReadColour(L"red.png", &stamp), RGB(255, 0, 0));
    EXPECT_EQ(stamp, 111u);
    EXPECT_EQ(ReadColour(L"BLUE.PNG", &stamp), RGB(0, 0, 255));
    EXPECT_EQ(stamp, 222u);
    EXPECT_EQ(ReadColour(L"green.png"), CLR_INVALID);

    ComPtr<IShellImageStore> store = Store();
    DWORD lock = 0;
    ASSERT_EQ(store->Open(STGM_READ, &lock), S_OK);
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(store->GetEntry(L"red.png", STGM_READ, &bitmap), S_OK);
    UniqueBitmap owner(bitmap);
    EXPECT_EQ(BitmapDimensions(bitmap).cx, 40);
    EXPECT_EQ(BitmapDimensions(bitmap).cy, 20);
    FILETIME time{};
    EXPECT_EQ(store->IsEntryInStore(L"green.png", &time), S_FALSE);
}

TEST_F(ThumbCacheTest, ALaterEntryReplacesTheEarlierAndDeletedOnesAreGone) {
    WriteEntries({{L"a.png", 1, RGB(255, 0, 0)}, {L"b.png", 1, RGB(0, 255, 0)}});
    WriteEntries({{L"A.PNG", 2, RGB(0, 0, 255)}});
    UINT64 stamp = 0;
    EXPECT_EQ(ReadColour(L"a.png", &stamp), RGB(0, 0, 255));
    EXPECT_EQ(stamp, 2u);

    ComPtr<IShellImageStore> store = Store();
    DWORD lock = 0;
    ASSERT_EQ(store->Open(STGM_WRITE, &lock), S_OK);
    EXPECT_EQ(store->DeleteEntry(L"b.png"), S_OK);
    store->ReleaseLock(&lock);
    EXPECT_EQ(ReadColour(L"b.png"), CLR_INVALID);
    EXPECT_EQ(ReadColour(L"a.png"), RGB(0, 0, 255));
}

TEST_F(ThumbCacheTest, EntriesAreWrittenOnlyUnderAWriteLockAndReadOnlyUnderALock) {
    WriteEntries({{L"a.png", 1, RGB(255, 0, 0)}});
    ComPtr<IShellImageStore> store = Store();
    const FILETIME time = Stamp(5);
    UniqueBitmap picture = SolidBitmap(8, 8, RGB(0, 255, 0));
    HBITMAP bitmap = nullptr;
    EXPECT_TRUE(FAILED(store->AddEntry(L"b.png", &time, STGM_WRITE, picture.get())));
    DWORD lock = 0;
    ASSERT_EQ(store->Open(STGM_READ, &lock), S_OK);
    EXPECT_EQ(store->AddEntry(L"b.png", &time, STGM_WRITE, picture.get()), STG_E_ACCESSDENIED);
    EXPECT_EQ(store->Open(STGM_WRITE, &lock), STG_E_LOCKVIOLATION) << "a reader's handle cannot write";
    store->ReleaseLock(&lock);
    EXPECT_TRUE(FAILED(store->GetEntry(L"a.png", STGM_READ, &bitmap)));
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(ReadColour(L"b.png"), CLR_INVALID);
}

TEST_F(ThumbCacheTest, AStoreSeesWhatAnotherStoreOfTheFolderWroteSince) {
    WriteEntries({{L"a.png", 1, RGB(255, 0, 0)}});
    ComPtr<IShellImageStore> reader = Store();
    DWORD lock = 0;
    ASSERT_EQ(reader->Open(STGM_READ, &lock), S_OK);
    FILETIME time{};
    EXPECT_EQ(reader->IsEntryInStore(L"b.png", &time), S_FALSE);
    reader->ReleaseLock(&lock);

    WriteEntries({{L"b.png", 7, RGB(0, 255, 0)}});
    ASSERT_EQ(reader->Open(STGM_READ, &lock), S_OK);
    EXPECT_EQ(reader->IsEntryInStore(L"b.png", &time), S_OK);
    EXPECT_EQ(time.dwLowDateTime, 7u);
    reader->ReleaseLock(&lock);
}

TEST_F(ThumbCacheTest, SupersededPicturesAreReclaimed) {
    ComPtr<IShellImageStore> store = Store();
    DWORD lock = 0;
    ASSERT_EQ(store->Create(STGM_WRITE, &lock), S_OK);
    const FILETIME time = Stamp(1);
    for (unsigned round = 0; round < 12; ++round)
        ASSERT_EQ(store->AddEntry(L"noise.png", &time, STGM_WRITE, NoiseBitmap(200, round).get()), S_OK);
    const size_t grown = ReadCacheFile().size();
    EXPECT_GT(grown, 1024u * 1024u);
    store->ReleaseLock(&lock);
    const size_t reclaimed = ReadCacheFile().size();
    EXPECT_LT(reclaimed, grown / 6) << "only the last picture is live";
    ASSERT_EQ(store->Open(STGM_READ, &lock), S_OK);
    HBITMAP bitmap = nullptr;
    ASSERT_EQ(store->GetEntry(L"noise.png", STGM_READ, &bitmap), S_OK);
    UniqueBitmap owner(bitmap);
    EXPECT_EQ(PixelOf(bitmap, 3, 3), PixelOf(NoiseBitmap(200, 11).get(), 3, 3));
}

// Damage of every kind: whatever the file holds, reading it stays inside it
// and answers "not there" for what cannot be trusted, and the next write
// leaves a sound file.
TEST_F(ThumbCacheTest, DamagedAndForeignFilesAreReadSafelyAndHealOnTheNextWrite) {
    WriteEntries({{L"good.png", 1, RGB(255, 0, 0)}, {L"last.png", 2, RGB(0, 255, 0)}});
    const std::vector<BYTE> sound = ReadCacheFile();
    ASSERT_GT(sound.size(), 100u);
    // The second record starts after the first; find it by its tag.
    const BYTE tag[] = {'T', 'R', 'E', 'C'};
    std::vector<size_t> records;
    for (size_t i = 0; i + 4 <= sound.size(); ++i)
        if (std::memcmp(&sound[i], tag, 4) == 0) records.push_back(i);
    ASSERT_EQ(records.size(), 2u);
    const size_t second = records[1];

    struct Damage {
        const char* what;
        std::vector<BYTE> bytes;
        bool goodSurvives;
    };
    auto patched = [&](size_t offset, std::vector<BYTE> value) {
        std::vector<BYTE> bytes = sound;
        std::copy(value.begin(), value.end(), bytes.begin() + offset);
        return bytes;
    };
    std::vector<BYTE> noise(5000);
    std::mt19937 random(7);
    for (BYTE& b : noise) b = static_cast<BYTE>(random());
    const std::vector<Damage> damages = {
        {"random bytes", noise, false},
        {"empty file", {}, false},
        {"header only, cut short", std::vector<BYTE>(sound.begin(), sound.begin() + 10), false},
        {"second record cut in its picture", std::vector<BYTE>(sound.begin(), sound.end() - 30), true},
        {"second record cut in its header", std::vector<BYTE>(sound.begin(), sound.begin() + second + 12), true},
        {"name length past the end", patched(second + 4, {0xF0, 0xFF, 0xFF, 0x7F}), true},
        {"odd name length", patched(second + 4, {0x03, 0, 0, 0}), true},
        {"picture length past the end", patched(second + 16, {0xFF, 0xFF, 0xFF, 0x00}), true},
        {"unknown flags", patched(second + 24, {0x10, 0, 0, 0}), true},
        {"picture bytes flipped", patched(sound.size() - 40, {0x00, 0x11, 0x22, 0x33}), true},
        {"wrong version", patched(8, {9, 0, 0, 0}), false},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        WriteCacheFile(damage.bytes);
        EXPECT_EQ(ReadColour(L"last.png"), CLR_INVALID);
        EXPECT_EQ(ReadColour(L"good.png"), damage.goodSurvives ? RGB(255, 0, 0) : CLR_INVALID);

        WriteEntries({{L"new.png", 3, RGB(0, 0, 255)}});
        EXPECT_EQ(ReadColour(L"new.png"), RGB(0, 0, 255));
        EXPECT_EQ(ReadColour(L"good.png"), damage.goodSurvives ? RGB(255, 0, 0) : CLR_INVALID);
    }
}

TEST_F(ThumbCacheTest, AFolderOutsideTheFileSystemHasNoStore) {
    ComPtr<IShellImageStore> store = CreateOwnThumbnailStore();
    ComPtr<IPersistFolder> persist = store.as<IPersistFolder>();
    ASSERT_TRUE(persist);
    PIDLIST_ABSOLUTE drives = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives), S_OK);
    UniqueAbsolutePidl owner(drives);
    EXPECT_TRUE(FAILED(persist->Initialize(drives)));
    DWORD lock = 0;
    EXPECT_TRUE(FAILED(store->Create(STGM_WRITE, &lock)));
}

}  // namespace
