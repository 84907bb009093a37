// The settings store against the real registry, including values that other
// software (or a damaged profile) may have left with the wrong type or size.

#include "app/uReg.h"

#include "app/UtilClass.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes TextBytes(const std::wstring& text, bool withTerminator) {
    Bytes bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (withTerminator) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

Bytes DwordBytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

struct RawValue {
    DWORD type = REG_NONE;
    Bytes data;
};

// Stores exactly these bytes. The data is copied into a buffer whose next
// character is not NUL: for REG_SZ the system would otherwise count a
// terminator that the caller did not ask for.
void WriteRaw(HKEY key, const wchar_t* name, DWORD type, const Bytes& data) {
    Bytes buffer = data;
    buffer.insert(buffer.end(), {'X', 'X', 'X', 'X'});
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, buffer.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    ASSERT_EQ(size, data.size()) << "the registry changed the stored size";
}

bool ReadRaw(HKEY key, const wchar_t* name, RawValue& value) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) return false;
    value.data.assign(size, 0);
    if (size == 0) return true;
    return RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS;
}

bool KeyExists(HKEY parent, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Every test works in the settings root, which the test entry wiped.
class SettingsStore : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SettingsCreate(L"", key_)); }
    HKEY key() const { return key_.get(); }

    UniqueRegKey key_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Decoding of raw bytes, independent of the registry.

TEST(SettingsDecode, ShortIntegerDataIsZeroExtendedLittleEndian) {
    EXPECT_EQ(DecodeRegInt(Bytes{0x34, 0x12}), 0x1234u);
    EXPECT_EQ(DecodeRegInt(Bytes{0xFF}), 0xFFu);
    EXPECT_EQ(DecodeRegInt(Bytes{0x56, 0x34, 0x12}), 0x123456u);
    EXPECT_EQ(DecodeRegInt(Bytes{}), 0u);
    EXPECT_EQ(DecodeRegInt(Bytes{0x78, 0x56, 0x34, 0x12}), 0x12345678u);
    EXPECT_EQ(DecodeRegInt(Bytes{0xFF, 0xFF, 0xFF, 0xFF}), 0xFFFFFFFFu);
}

TEST(SettingsDecode, DataLongerThanFourBytesIsNoInteger) {
    EXPECT_FALSE(DecodeRegInt(Bytes{1, 0, 0, 0, 0}));
    EXPECT_FALSE(DecodeRegInt(Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(DecodeRegBool(Bytes{1, 0, 0, 0, 0}));
}

TEST(SettingsDecode, BooleanIsDecidedByTheLowByteAlone) {
    EXPECT_EQ(DecodeRegBool(DwordBytes(256)), false);
    EXPECT_EQ(DecodeRegBool(DwordBytes(0x12345600)), false);
    EXPECT_EQ(DecodeRegBool(DwordBytes(0x101)), true);
    EXPECT_EQ(DecodeRegBool(DwordBytes(2)), true);
    EXPECT_EQ(DecodeRegBool(DwordBytes(0)), false);
    EXPECT_EQ(DecodeRegBool(Bytes{0x80}), true);
}

TEST(SettingsDecode, TextEndsAtFirstNulOrEndOfData) {
    EXPECT_EQ(DecodeRegText(TextBytes(L"abc", false)), L"abc");
    EXPECT_EQ(DecodeRegText(TextBytes(L"abc", true)), L"abc");
    Bytes twoTexts = TextBytes(L"one", true);
    Bytes second = TextBytes(L"two", true);
    twoTexts.insert(twoTexts.end(), second.begin(), second.end());
    EXPECT_EQ(DecodeRegText(twoTexts), L"one");
    EXPECT_EQ(DecodeRegText(Bytes{}), L"");
    EXPECT_EQ(DecodeRegText(Bytes{0, 0, 'a', 0}), L"");
}

TEST(SettingsDecode, TextKeepsCharactersAboveLatin1) {
    EXPECT_EQ(DecodeRegText(TextBytes(L"確認\u00FF\uFFFF", false)), L"確認\u00FF\uFFFF");
}

TEST(SettingsDecode, TrailingOddByteOfTextIsDropped) {
    Bytes data = TextBytes(L"abc", false);
    data.push_back('X');
    EXPECT_EQ(DecodeRegText(data), L"abc");
    EXPECT_EQ(DecodeRegText(Bytes{'X'}), L"");
}

TEST(SettingsDecode, RecordsTakeOnlyWholeRecords) {
    const Bytes data{1, 0, 0, 0, 2, 0, 0, 0, 3, 0};
    const std::vector<std::uint32_t> records = DecodeRegRecords<std::uint32_t>(data);
    EXPECT_EQ(records, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_TRUE(DecodeRegRecords<std::uint32_t>(Bytes{1, 2, 3}).empty());
    EXPECT_TRUE(DecodeRegRecords<std::uint32_t>(Bytes{}).empty());
}

// ---------------------------------------------------------------------------
// Keys.

TEST(SettingsKeys, FreshUserHasNoSettingsKeyToOpen) {
    UniqueRegKey key;
    EXPECT_FALSE(SettingsOpen(L"", key));
    EXPECT_FALSE(key);
    EXPECT_FALSE(SettingsOpen(SettingsArea::Color, key));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\ZEKO2")) << "opening must not create";
}

TEST(SettingsKeys, CreateMakesTheRootAndOpenFindsIt) {
    UniqueRegKey created;
    ASSERT_TRUE(SettingsCreate(L"", created));
    SettingsWriteInt(created.get(), L"Probe", 7);
    created.reset();

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\ZEKO2"));
    UniqueRegKey opened;
    ASSERT_TRUE(SettingsOpen(L"", opened));
    EXPECT_EQ(SettingsReadInt(opened.get(), L"Probe", 0), 7);
}

TEST(SettingsKeys, AreaWithBackslashesLiesBelowTheRoot) {
    UniqueRegKey created;
    ASSERT_TRUE(SettingsCreate(L"FolderView\\WildCard", created));
    SettingsWriteInt(created.get(), L"Probe", 9);
    created.reset();

    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ZEKO2\\FolderView\\WildCard", 0, KEY_READ, &raw),
              ERROR_SUCCESS);
    UniqueRegKey direct(raw);
    EXPECT_EQ(SettingsReadInt(direct.get(), L"Probe", 0), 9);

    UniqueRegKey opened;
    EXPECT_TRUE(SettingsOpen(L"FolderView", opened));
    EXPECT_TRUE(SettingsOpen(L"FolderView\\WildCard", opened));
    EXPECT_FALSE(SettingsOpen(L"WildCard", opened));
    EXPECT_FALSE(opened) << "a failed open leaves no key behind";
}

TEST(SettingsKeys, ReadsFromNoKeyGiveDefaults) {
    int number = 5;
    bool flag = true;
    SettingsReadInto(nullptr, L"x", number);
    SettingsReadInto(nullptr, L"x", flag);
    EXPECT_EQ(number, 5);
    EXPECT_TRUE(flag);
    EXPECT_EQ(SettingsReadInt(nullptr, L"x", 31), 31);
    EXPECT_TRUE(SettingsReadBool(nullptr, L"x", true));
    EXPECT_EQ(SettingsReadText(nullptr, L"x"), L"");
    EXPECT_TRUE(SettingsReadRecords<std::uint32_t>(nullptr, L"x").empty());
    EXPECT_TRUE(SettingsReadStringList(nullptr, L"x").empty());
    EXPECT_NE(SettingsDeleteTree(nullptr, L"x"), 0);
}

// ---------------------------------------------------------------------------
// The frame's value tables: each name and default as the program documents
// them, and a fresh user (no key at all) gets exactly those.

namespace {

template <typename Setting, typename Value>
struct Expected {
    const Setting& setting;
    const wchar_t* name;
    Value def;
};

template <typename Setting, typename Value, std::size_t N>
void ExpectDefaultsFromNoKey(const std::array<Expected<Setting, Value>, N>& table) {
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(row.name, row.name + wcslen(row.name)));
        EXPECT_STREQ(row.setting.name, row.name);
        EXPECT_EQ(row.setting.def, row.def);
        EXPECT_EQ(SettingsRead(nullptr, row.setting), row.def);
    }
}

}  // namespace

TEST(SettingsDefaults, RootBooleansOfAFreshUser) {
    namespace R = RootSettings;
    using E = Expected<BoolSetting, bool>;
    ExpectDefaultsFromNoKey(std::array{
        E{R::ToolBarVisible, L"ToolBarVisible", true},
        E{R::SideToolBarVisible, L"SideToolBarVisible", false},
        E{R::LinkBarVisible, L"LinkBarVisible", true},
        E{R::AddressBarVisible, L"AddressBarVisible", true},
        E{R::SearchBarVisible, L"SearchBarVisible", true},
        E{R::StatusBarVisible, L"StatusBarVisible", true},
        E{R::ThumbnailVisible, L"ThumbnailVisible", false},
        E{R::SaveWindowSize, L"SaveWindowSize", false},
        E{R::CloseHistorySave, L"CloseHistorySave", true},
        E{R::DDEActive, L"DDEActive", true},
        E{R::NavigateLockClose, L"NavigateLockClose", false},
        E{R::MinimizeTaskTray, L"MinimizeTaskTray", false},
        E{R::CloseTaskTray, L"CloseTaskTray", false},
        E{R::TreeSync, L"TreeSync", true},
        E{R::DialogControl, L"DialogControl", true},
        E{R::StopCmd, L"StopCmd", true},
        E{R::StopCtrl, L"StopCtrl", true},
        E{R::DeskTopOpen, L"DeskTopOpen", true},
        E{R::StartTaskTray, L"StartTaskTray", false},
        E{R::SaveTab, L"SaveTab", false},
        E{R::Startup, L"Startup", false},
        E{R::StartupLock, L"StartupLock", false},
    });
}

TEST(SettingsDefaults, RootIntegersOfAFreshUser) {
    namespace R = RootSettings;
    using E = Expected<IntSetting, int>;
    ExpectDefaultsFromNoKey(std::array{
        E{R::SideBaseVisible, L"SideBaseVisible", 0},
        E{R::SideBaseWidth, L"SideBaseWidth", 180},
        E{R::WindowMode, L"WindowMode", 0},
        E{R::CloseHistoryCount, L"CloseHistoryCount", 10},
        E{R::DelayTime, L"DelayTime", 200},
        E{R::ActiveTab, L"ActiveTab", 0},
    });
    EXPECT_STREQ(R::NavigateLocks, L"NavigateLocks");
    EXPECT_STREQ(R::Accels, L"Accels");
    EXPECT_STREQ(R::Commands, L"Commands");
    EXPECT_STREQ(R::MouseGestures, L"MouseGestures");
}

TEST(SettingsDefaults, WindowSizeOfAFreshUser) {
    namespace W = WindowSizeSettings;
    ExpectDefaultsFromNoKey(std::array{
        Expected<BoolSetting, bool>{W::MAXIMIZE, L"MAXIMIZE", false},
        Expected<BoolSetting, bool>{W::MINIMIZE, L"MINIMIZE", false},
    });
    using E = Expected<IntSetting, int>;
    ExpectDefaultsFromNoKey(std::array{
        E{W::Left, L"Left", CW_USEDEFAULT},
        E{W::Top, L"Top", CW_USEDEFAULT},
        E{W::Width, L"Width", CW_USEDEFAULT},
        E{W::Height, L"Height", CW_USEDEFAULT},
    });
}

TEST(SettingsDefaults, ColorsOfAFreshUser) {
    namespace C = ColorSettings;
    using E = Expected<ColorSetting, COLORREF>;
    ExpectDefaultsFromNoKey(std::array{
        E{C::clListViewBK, L"clListViewBK", RGB(0xFF, 0xFF, 0xFF)},
        E{C::clDirectory, L"clDirectory", RGB(0, 0, 0)},
        E{C::clHidden, L"clHidden", RGB(0, 0, 0xB0)},
        E{C::clReadOnly, L"clReadOnly", RGB(0, 0xB0, 0)},
        E{C::clSystem, L"clSystem", RGB(0xB0, 0, 0)},
        E{C::clCompressed, L"clCompressed", RGB(0xB0, 0, 0xB0)},
        E{C::clNormalString, L"clNormalString", RGB(0, 0, 0)},
        E{C::clEvenBK, L"clEvenBK", RGB(0xEE, 0xEE, 0xEE)},
    });
    using B = Expected<BoolSetting, bool>;
    ExpectDefaultsFromNoKey(std::array{
        B{C::TVColorGroup, L"TVColorGroup", false},
        B{C::LVColorGroup, L"LVColorGroup", false},
        B{C::SetEvenBK, L"SetEvenBK", false},
        B{C::LVSetBKColor, L"LVSetBKColor", false},
    });
    EXPECT_STREQ(C::BKImagePath.name, L"BKImagePath");
    EXPECT_EQ(SettingsRead(nullptr, C::BKImagePath), L"");
}

TEST(SettingsDefaults, AreaNames) {
    EXPECT_STREQ(SettingsArea::WindowSize, L"WindowSize");
    EXPECT_STREQ(SettingsArea::Color, L"Color");
    EXPECT_STREQ(SettingsArea::PIDLs, L"PIDLs");
    EXPECT_STREQ(SettingsArea::StartupPIDLs, L"StartupPIDLs");
    EXPECT_STREQ(SettingsArea::CloseHistoryPIDLs, L"CloseHistoryPIDLs");
}

TEST_F(SettingsStore, TypedSettingsReadWhatIsStoredNotTheDefault) {
    SettingsWrite(key(), RootSettings::ToolBarVisible, false);
    SettingsWrite(key(), RootSettings::DelayTime, 750);
    SettingsWrite(key(), ColorSettings::clHidden, RGB(1, 2, 3));
    SettingsWrite(key(), ColorSettings::BKImagePath, std::wstring(L"C:\\画像\\bk.bmp"));

    EXPECT_FALSE(SettingsRead(key(), RootSettings::ToolBarVisible));
    EXPECT_EQ(SettingsRead(key(), RootSettings::DelayTime), 750);
    EXPECT_EQ(SettingsRead(key(), ColorSettings::clHidden), RGB(1, 2, 3));
    EXPECT_EQ(SettingsRead(key(), ColorSettings::BKImagePath), L"C:\\画像\\bk.bmp");
    // An existing key without the value still gives the default.
    EXPECT_TRUE(SettingsRead(key(), RootSettings::TreeSync));
    EXPECT_EQ(SettingsRead(key(), RootSettings::CloseHistoryCount), 10);
    EXPECT_EQ(SettingsRead(key(), ColorSettings::clEvenBK), RGB(0xEE, 0xEE, 0xEE));
}

// ---------------------------------------------------------------------------
// Integers and Booleans.

TEST_F(SettingsStore, IntegerIsStoredAsLittleEndianDword) {
    SettingsWriteInt(key(), L"Number", 0x12345678);
    RawValue raw;
    ASSERT_TRUE(ReadRaw(key(), L"Number", raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.data, DwordBytes(0x12345678));
    EXPECT_EQ(SettingsReadInt(key(), L"Number", 0), 0x12345678);
}

TEST_F(SettingsStore, NegativeIntegerRoundTrips) {
    SettingsWriteInt(key(), L"Number", -5);
    EXPECT_EQ(SettingsReadInt(key(), L"Number", 0), -5);
    EXPECT_EQ(SettingsTryReadInt(key(), L"Number"), 0xFFFFFFFBu);
}

TEST_F(SettingsStore, BooleanIsStoredAsDwordZeroOrOne) {
    SettingsWriteBool(key(), L"On", true);
    SettingsWriteBool(key(), L"Off", false);
    RawValue on, off;
    ASSERT_TRUE(ReadRaw(key(), L"On", on));
    ASSERT_TRUE(ReadRaw(key(), L"Off", off));
    EXPECT_EQ(on.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(on.data, DwordBytes(1));
    EXPECT_EQ(off.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(off.data, DwordBytes(0));
    EXPECT_TRUE(SettingsReadBool(key(), L"On", false));
    EXPECT_FALSE(SettingsReadBool(key(), L"Off", true));
}

TEST_F(SettingsStore, Boolean256ReadsFalse) {
    WriteRaw(key(), L"Flag", REG_DWORD, DwordBytes(256));
    EXPECT_FALSE(SettingsReadBool(key(), L"Flag", true));
    bool flag = true;
    SettingsReadInto(key(), L"Flag", flag);
    EXPECT_FALSE(flag);

    WriteRaw(key(), L"Flag", REG_DWORD, DwordBytes(0x1FF));
    EXPECT_TRUE(SettingsReadBool(key(), L"Flag", false));
}

TEST_F(SettingsStore, MissingValuesGiveTheDefaultGiven) {
    EXPECT_EQ(SettingsReadInt(key(), L"Missing", 42), 42);
    EXPECT_EQ(SettingsReadInt(key(), L"Missing", -1), -1);
    EXPECT_TRUE(SettingsReadBool(key(), L"Missing", true));
    EXPECT_FALSE(SettingsReadBool(key(), L"Missing", false));
    EXPECT_EQ(SettingsReadText(key(), L"Missing"), L"");
    EXPECT_FALSE(SettingsTryReadInt(key(), L"Missing"));
}

TEST_F(SettingsStore, ReadIntoLeavesEveryKindOfVariableUnchangedWhenMissing) {
    std::int32_t wide = -7;
    std::uint16_t half = 0xBEEF;
    std::uint8_t small = 0x5A;
    bool flag = true;
    SettingsReadInto(key(), L"Missing", wide);
    SettingsReadInto(key(), L"Missing", half);
    SettingsReadInto(key(), L"Missing", small);
    SettingsReadInto(key(), L"Missing", flag);
    EXPECT_EQ(wide, -7);
    EXPECT_EQ(half, 0xBEEF);
    EXPECT_EQ(small, 0x5A);
    EXPECT_TRUE(flag);
}

TEST_F(SettingsStore, ReadIntoNarrowVariablesTakesTheLowBits) {
    SettingsWriteInt(key(), L"Number", 0x12345678);
    std::int32_t wide = 0;
    std::uint16_t half = 0;
    std::uint8_t small = 0;
    DWORD dword = 0;
    SettingsReadInto(key(), L"Number", wide);
    SettingsReadInto(key(), L"Number", half);
    SettingsReadInto(key(), L"Number", small);
    SettingsReadInto(key(), L"Number", dword);
    EXPECT_EQ(wide, 0x12345678);
    EXPECT_EQ(half, 0x5678);
    EXPECT_EQ(small, 0x78);
    EXPECT_EQ(dword, 0x12345678u);

    SettingsWriteInt(key(), L"Number", 0x0001FFFF);
    std::int16_t signedHalf = 0;
    SettingsReadInto(key(), L"Number", signedHalf);
    EXPECT_EQ(signedHalf, -1);
}

TEST_F(SettingsStore, TextWhereAnIntegerIsExpectedReadsItsBytes) {
    // Types are not checked: "1" with its terminator is the four bytes 31 00 00 00.
    WriteRaw(key(), L"Number", REG_SZ, TextBytes(L"1", true));
    EXPECT_EQ(SettingsReadInt(key(), L"Number", -1), 0x31);
    // "12" with its terminator is six bytes: no integer.
    WriteRaw(key(), L"Number", REG_SZ, TextBytes(L"12", true));
    EXPECT_EQ(SettingsReadInt(key(), L"Number", -1), -1);
    std::uint16_t half = 0x1111;
    SettingsReadInto(key(), L"Number", half);
    EXPECT_EQ(half, 0x1111);
}

TEST_F(SettingsStore, ShortBinaryIsZeroExtendedNotMixedWithTheDefault) {
    WriteRaw(key(), L"Number", REG_BINARY, Bytes{0x34, 0x12});
    EXPECT_EQ(SettingsReadInt(key(), L"Number", 0x7F7F7F7F), 0x1234);
    std::int32_t variable = 0x7F7F7F7F;
    SettingsReadInto(key(), L"Number", variable);
    EXPECT_EQ(variable, 0x1234);

    WriteRaw(key(), L"Number", REG_BINARY, Bytes{0x01});
    EXPECT_TRUE(SettingsReadBool(key(), L"Number", false));
}

TEST_F(SettingsStore, EightByteValueCountsAsMissing) {
    WriteRaw(key(), L"Number", REG_BINARY, Bytes{1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(SettingsReadInt(key(), L"Number", 99), 99);
    EXPECT_TRUE(SettingsReadBool(key(), L"Number", true));
    EXPECT_FALSE(SettingsReadBool(key(), L"Number", false));
    std::uint8_t small = 3;
    SettingsReadInto(key(), L"Number", small);
    EXPECT_EQ(small, 3);

    WriteRaw(key(), L"Number", REG_QWORD, Bytes{0, 0, 0, 0, 1, 0, 0, 0});
    EXPECT_EQ(SettingsReadInt(key(), L"Number", 99), 99);
}

TEST_F(SettingsStore, EmptyValueOfAnyTypeReadsAsZero) {
    WriteRaw(key(), L"Number", REG_BINARY, Bytes{});
    EXPECT_EQ(SettingsReadInt(key(), L"Number", 99), 0);
    EXPECT_FALSE(SettingsReadBool(key(), L"Number", true));
}

// ---------------------------------------------------------------------------
// Texts.

TEST_F(SettingsStore, TextIsStoredAsRegSzWithoutCountedTerminator) {
    const std::wstring text = L"C:\\フォルダ\\file.txt";
    SettingsWriteText(key(), L"Text", text);
    RawValue raw;
    ASSERT_TRUE(ReadRaw(key(), L"Text", raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    ASSERT_GE(raw.data.size(), 2 * text.size());
    EXPECT_EQ(Bytes(raw.data.begin(), raw.data.begin() + 2 * text.size()), TextBytes(text, false));
    // The system itself may add the terminator; nothing else may follow.
    EXPECT_TRUE(raw.data.size() == 2 * text.size() || raw.data == TextBytes(text, true));
    EXPECT_EQ(SettingsReadText(key(), L"Text"), text);
}

TEST_F(SettingsStore, TextWithoutTerminatorReadsBack) {
    WriteRaw(key(), L"Text", REG_SZ, TextBytes(L"abc", false));
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"abc");
}

TEST_F(SettingsStore, TextWithTerminatorFromOtherSoftwareReadsTheSame) {
    WriteRaw(key(), L"Text", REG_SZ, TextBytes(L"abc", true));
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"abc");
    WriteRaw(key(), L"Text", REG_EXPAND_SZ, TextBytes(L"%TEMP%", true));
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"%TEMP%");
}

TEST_F(SettingsStore, TextWithNoNulAnywhereIsTakenWhole) {
    WriteRaw(key(), L"Text", REG_BINARY, TextBytes(L"xyz", false));
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"xyz");
}

TEST_F(SettingsStore, OddLengthTextDropsTheHalfCharacter) {
    Bytes data = TextBytes(L"abc", false);
    data.push_back('X');
    WriteRaw(key(), L"Text", REG_SZ, data);
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"abc");
    WriteRaw(key(), L"Text", REG_BINARY, data);
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"abc");
    WriteRaw(key(), L"Text", REG_SZ, Bytes{'X'});
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"");
}

TEST_F(SettingsStore, TextEndsAtAnEmbeddedNul) {
    Bytes data = TextBytes(L"one", true);
    Bytes second = TextBytes(L"two", true);
    data.insert(data.end(), second.begin(), second.end());
    data.insert(data.end(), {0, 0});
    WriteRaw(key(), L"Text", REG_MULTI_SZ, data);
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"one");
}

TEST_F(SettingsStore, DwordReadAsTextGivesItsCharacters) {
    SettingsWriteInt(key(), L"Number", 0x00420041);
    EXPECT_EQ(SettingsReadText(key(), L"Number"), L"AB");
}

TEST_F(SettingsStore, EmptyTextIsAnEmptyValue) {
    SettingsWriteText(key(), L"Text", L"");
    RawValue raw;
    ASSERT_TRUE(ReadRaw(key(), L"Text", raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(raw.data.empty());
    EXPECT_EQ(SettingsReadText(key(), L"Text"), L"");
}

TEST_F(SettingsStore, LongTextRoundTrips) {
    std::wstring text;
    for (int i = 0; i < 100000; ++i) text.push_back(static_cast<wchar_t>(L'A' + i % 26));
    SettingsWriteText(key(), L"Text", text);
    EXPECT_EQ(SettingsReadText(key(), L"Text"), text);
}

// ---------------------------------------------------------------------------
// Record arrays.

namespace {

struct Record {
    std::uint16_t key;
    std::uint8_t flags;
    std::uint8_t spare;
    std::uint32_t command;
    bool operator==(const Record&) const = default;
};
static_assert(sizeof(Record) == 8);

}  // namespace

TEST_F(SettingsStore, RecordsAreStoredBackToBackAsBinary) {
    const std::vector<Record> records{
        {0x0141, 1, 0, IDM_OPEN}, {0x0270, 2, 0, IDM_EXIT}, {0xFFFF, 0xFF, 0xFF, 0xFFFFFFFF}};
    SettingsWriteRecords<Record>(key(), L"Table", records);
    RawValue raw;
    ASSERT_TRUE(ReadRaw(key(), L"Table", raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(raw.data.size(), 24u);
    EXPECT_EQ(0, std::memcmp(raw.data.data(), records.data(), 24));
    EXPECT_EQ(SettingsReadRecords<Record>(key(), L"Table"), records);
}

TEST_F(SettingsStore, OneByteRecordsKeepEveryByte) {
    const std::vector<std::uint8_t> locks{1, 0, 0xFF, 0};
    SettingsWriteRecords<std::uint8_t>(key(), RootSettings::NavigateLocks, locks);
    EXPECT_EQ(SettingsReadRecords<std::uint8_t>(key(), RootSettings::NavigateLocks), locks);
}

TEST_F(SettingsStore, NoRecordsIsAnEmptyValueNotAMissingOne) {
    SettingsWriteRecords<Record>(key(), L"Table", std::vector<Record>{});
    RawValue raw;
    ASSERT_TRUE(ReadRaw(key(), L"Table", raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_TRUE(raw.data.empty());
    EXPECT_TRUE(SettingsReadRecords<Record>(key(), L"Table").empty());
}

TEST_F(SettingsStore, SizeNotAMultipleOfTheRecordTakesTheWholeRecords) {
    const std::vector<Record> records{{1, 2, 3, 4}, {5, 6, 7, 8}};
    Bytes data(reinterpret_cast<const std::uint8_t*>(records.data()),
               reinterpret_cast<const std::uint8_t*>(records.data()) + 16);
    data.insert(data.end(), {0xAA, 0xBB, 0xCC});
    WriteRaw(key(), L"Table", REG_BINARY, data);
    EXPECT_EQ(SettingsReadRecords<Record>(key(), L"Table"), records);

    WriteRaw(key(), L"Table", REG_BINARY, Bytes{1, 2, 3, 4, 5, 6, 7});
    EXPECT_TRUE(SettingsReadRecords<Record>(key(), L"Table").empty());
}

TEST_F(SettingsStore, RecordsOfAnyStoredTypeAreRead) {
    SettingsWriteInt(key(), L"Table", 0x04030201);
    EXPECT_EQ(SettingsReadRecords<std::uint8_t>(key(), L"Table"), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_TRUE(SettingsReadRecords<Record>(key(), L"Table").empty());
    EXPECT_TRUE(SettingsReadRecords<Record>(key(), L"Missing").empty());
}

TEST_F(SettingsStore, LargeRecordArrayWithPartialTailIsRead) {
    const std::size_t count = (1u << 20) / sizeof(std::uint32_t);
    std::vector<std::uint32_t> values(count);
    for (std::size_t i = 0; i < count; ++i) values[i] = static_cast<std::uint32_t>(i * 2654435761u);
    Bytes data(reinterpret_cast<const std::uint8_t*>(values.data()),
               reinterpret_cast<const std::uint8_t*>(values.data()) + count * 4);
    data.insert(data.end(), {9, 9, 9});
    WriteRaw(key(), L"Big", REG_BINARY, data);
    EXPECT_EQ(SettingsReadRecords<std::uint32_t>(key(), L"Big"), values);
}

TEST_F(SettingsStore, ValueAboveTheSizeLimitCountsAsMissing) {
    Bytes data(kMaxSettingsValueBytes + 1, 'a');
    WriteRaw(key(), L"Huge", REG_BINARY, data);
    EXPECT_TRUE(SettingsReadBinary(key(), L"Huge").empty());
    EXPECT_TRUE(SettingsReadRecords<std::uint8_t>(key(), L"Huge").empty());
    EXPECT_EQ(SettingsReadText(key(), L"Huge"), L"");
    EXPECT_EQ(SettingsReadInt(key(), L"Huge", 5), 5);
}

// ---------------------------------------------------------------------------
// Tree delete.

namespace {

void MakeKey(HKEY parent, const wchar_t* path) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(parent, path, &key), ERROR_SUCCESS);
    SettingsWriteInt(key, L"v", 1);
    RegCloseKey(key);
}

}  // namespace

TEST_F(SettingsStore, DeleteTreeRemovesEveryLevel) {
    MakeKey(key(), L"List\\a\\b\\c");
    MakeKey(key(), L"List\\a\\d");
    MakeKey(key(), L"List\\e");
    MakeKey(key(), L"Keep");
    EXPECT_EQ(SettingsDeleteTree(key(), L"List"), 0);
    EXPECT_FALSE(KeyExists(key(), L"List"));
    EXPECT_TRUE(KeyExists(key(), L"Keep"));
    EXPECT_EQ(SettingsReadInt(key(), L"Missing", 3), 3);
}

TEST_F(SettingsStore, DeleteTreeRemovesManySiblings) {
    for (int i = 0; i < 40; ++i) MakeKey(key(), (L"List\\" + std::to_wstring(i)).c_str());
    EXPECT_EQ(SettingsDeleteTree(key(), L"List"), 0);
    EXPECT_FALSE(KeyExists(key(), L"List"));
}

TEST_F(SettingsStore, DeleteTreeOfAPathRemovesOnlyItsLastKey) {
    MakeKey(key(), L"Outer\\Inner\\Deep");
    EXPECT_EQ(SettingsDeleteTree(key(), L"Outer\\Inner"), 0);
    EXPECT_FALSE(KeyExists(key(), L"Outer\\Inner"));
    EXPECT_TRUE(KeyExists(key(), L"Outer"));
}

TEST_F(SettingsStore, DeleteTreeOfAMissingKeyFails) {
    EXPECT_NE(SettingsDeleteTree(key(), L"Missing"), 0);
}

TEST_F(SettingsStore, DeleteTreeRefusesAnEmptyNameAndKeepsTheParent) {
    MakeKey(key(), L"Child");
    SettingsWriteInt(key(), L"Own", 4);
    EXPECT_NE(SettingsDeleteTree(key(), L""), 0);
    EXPECT_NE(SettingsDeleteTree(key(), nullptr), 0);
    EXPECT_TRUE(KeyExists(key(), L"Child"));
    UniqueRegKey root;
    ASSERT_TRUE(SettingsOpen(L"", root));
    EXPECT_EQ(SettingsReadInt(root.get(), L"Own", 0), 4);
}

// ---------------------------------------------------------------------------
// String lists.

TEST_F(SettingsStore, StringListRoundTripsAsNumberedTexts) {
    const std::vector<std::wstring> items{L"*.txt", L"画像", L"a b c"};
    SettingsWriteStringList(key(), L"Strings", items);
    EXPECT_EQ(SettingsReadStringList(key(), L"Strings"), items);

    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key(), L"Strings", 0, KEY_READ, &raw), ERROR_SUCCESS);
    UniqueRegKey list(raw);
    RawValue first;
    ASSERT_TRUE(ReadRaw(list.get(), L"0", first));
    EXPECT_EQ(first.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(SettingsReadText(list.get(), L"2"), L"a b c");
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyW(list.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 3u) << "no count value or other extras";
}

TEST_F(SettingsStore, ShorterStringListLeavesNoStaleEntries) {
    SettingsWriteStringList(key(), L"Strings", {L"1", L"2", L"3", L"4", L"5"});
    SettingsWriteStringList(key(), L"Strings", {L"x", L"y"});
    EXPECT_EQ(SettingsReadStringList(key(), L"Strings"), (std::vector<std::wstring>{L"x", L"y"}));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key(), L"Strings", 0, KEY_READ, &raw), ERROR_SUCCESS);
    UniqueRegKey list(raw);
    EXPECT_FALSE(SettingsTryReadInt(list.get(), L"2"));
    RawValue stale;
    EXPECT_FALSE(ReadRaw(list.get(), L"2", stale));
}

TEST_F(SettingsStore, StringListOverAKeyWithSubkeysIsStillReplaced) {
    MakeKey(key(), L"Strings\\Junk");
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key(), L"Strings", 0, KEY_SET_VALUE, &raw), ERROR_SUCCESS);
    UniqueRegKey list(raw);
    for (const wchar_t* name : {L"0", L"1", L"2"}) SettingsWriteText(list.get(), name, L"old");
    list.reset();

    SettingsWriteStringList(key(), L"Strings", {L"new"});
    EXPECT_EQ(SettingsReadStringList(key(), L"Strings"), (std::vector<std::wstring>{L"new"}));
}

TEST_F(SettingsStore, StringListStopsAtAnEmptyEntry) {
    SettingsWriteStringList(key(), L"Strings", {L"a", L"", L"c"});
    EXPECT_EQ(SettingsReadStringList(key(), L"Strings"), (std::vector<std::wstring>{L"a"}));
}

TEST_F(SettingsStore, StringListStopsAtAMissingEntry) {
    MakeKey(key(), L"Strings");
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key(), L"Strings", 0, KEY_SET_VALUE, &raw), ERROR_SUCCESS);
    UniqueRegKey list(raw);
    SettingsWriteText(list.get(), L"0", L"a");
    SettingsWriteText(list.get(), L"1", L"b");
    SettingsWriteText(list.get(), L"3", L"d");
    EXPECT_EQ(SettingsReadStringList(key(), L"Strings"), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST_F(SettingsStore, StringListEntriesWithTerminatorsFromOtherSoftwareRead) {
    MakeKey(key(), L"Strings");
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key(), L"Strings", 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &raw), ERROR_SUCCESS);
    UniqueRegKey list(raw);
    WriteRaw(list.get(), L"0", REG_SZ, TextBytes(L"first", true));
    WriteRaw(list.get(), L"1", REG_SZ, TextBytes(L"second", false));
    WriteRaw(list.get(), L"2", REG_SZ, TextBytes(L"", true));
    WriteRaw(list.get(), L"3", REG_SZ, TextBytes(L"unreached", true));
    EXPECT_EQ(SettingsReadStringList(key(), L"Strings"), (std::vector<std::wstring>{L"first", L"second"}));
}

TEST_F(SettingsStore, MissingStringListIsEmpty) {
    EXPECT_TRUE(SettingsReadStringList(key(), L"Strings").empty());
    SettingsWriteStringList(key(), L"Strings", {});
    EXPECT_TRUE(KeyExists(key(), L"Strings"));
    EXPECT_TRUE(SettingsReadStringList(key(), L"Strings").empty());
}

// ---------------------------------------------------------------------------
// ID-list lists, as other software or an interrupted save may leave them.

namespace {

// The serialised form: a 16-bit size, then the list with its terminator.
Bytes SerialisedList(const Bytes& list) {
    Bytes bytes(2 + list.size());
    bytes[0] = static_cast<std::uint8_t>(list.size());
    bytes[1] = static_cast<std::uint8_t>(list.size() >> 8);
    std::copy(list.begin(), list.end(), bytes.begin() + 2);
    return bytes;
}

}  // namespace

TEST_F(SettingsStore, IdListListWithCountAboveTheStoredValuesLoadsThoseThatExist) {
    const Bytes first{6, 0, 'a', 'b', 'c', 'd', 0, 0};
    const Bytes second{4, 0, 'x', 'y', 5, 0, 1, 2, 3, 0, 0};
    UniqueRegKey list;
    ASSERT_TRUE(SettingsCreate(SettingsArea::PIDLs, list));
    SettingsWriteInt(list.get(), L"Count", 5);
    WriteRaw(list.get(), L"0", REG_BINARY, SerialisedList(first));
    WriteRaw(list.get(), L"1", REG_BINARY, SerialisedList(second));
    list.reset();

    TPIDLList loaded(true);
    loaded.LoadList(key(), SettingsArea::PIDLs);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(Bytes(reinterpret_cast<const std::uint8_t*>(loaded.Get(0)),
                    reinterpret_cast<const std::uint8_t*>(loaded.Get(0)) + first.size()),
              first);
    EXPECT_EQ(Bytes(reinterpret_cast<const std::uint8_t*>(loaded.Get(1)),
                    reinterpret_cast<const std::uint8_t*>(loaded.Get(1)) + second.size()),
              second);
}
