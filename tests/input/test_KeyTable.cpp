// Key names, key texts, the list-scope defaults and the decoding of stored
// key tables, whatever bytes the registry hands over.

#include "input/uKeyTable.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Numbers no command has: a stored table keeps whatever command an entry names.
constexpr std::uint16_t kUnassignedCommand = 5020;
constexpr std::uint16_t kOtherUnassignedCommand = 5199;

template <typename Record>
std::vector<std::uint8_t> Bytes(const std::vector<Record>& records) {
    std::vector<std::uint8_t> data(records.size() * sizeof(Record));
    if (!data.empty()) std::memcpy(data.data(), records.data(), data.size());
    return data;
}

TEST(KeyTable, HasTheKeyNamesInTheDialogsOrder) {
    const auto keys = KeyItems();
    ASSERT_EQ(keys.size(), 127u);
    EXPECT_EQ(keys[0].Key, 0);
    EXPECT_STREQ(keys[0].Name, L"なし");
    EXPECT_STREQ(keys[1].Name, L"A");
    EXPECT_EQ(keys[26].Key, 0x5A);
    EXPECT_STREQ(keys[27].Name, L"0");
    EXPECT_STREQ(keys[37].Name, L"Backspace");
    EXPECT_STREQ(keys[40].Name, L"Return");
    EXPECT_EQ(keys[40].Key, 0x0D);
    EXPECT_STREQ(keys[126].Name, L"＼");
    EXPECT_EQ(keys[126].Key, 0xE2);
    EXPECT_STREQ(keys[125].Name, L"^");
    EXPECT_STREQ(keys[89].Name, L"F1");
    EXPECT_EQ(keys[112].Key, 0x87);
    EXPECT_STREQ(keys[112].Name, L"F24");
}

TEST(KeyTable, ShiftStatesComeInTheChoosersOrder) {
    const auto states = ShiftStateItems();
    ASSERT_EQ(states.size(), 8u);
    const std::uint8_t shifts[] = {0, 1, 2, 4, 3, 5, 6, 7};
    const wchar_t* names[] = {L"なし", L"Shift", L"Ctrl", L"Alt", L"Shift + Ctrl", L"Shift + Alt", L"Ctrl + Alt",
                              L"S + C + A"};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(states[i].Shift, shifts[i]) << i;
        EXPECT_STREQ(states[i].Name, names[i]) << i;
    }
}

TEST(KeyText, ShowsEveryModifierCombinationInItsOrder) {
    EXPECT_EQ(KeyText(0x046), L"F");
    EXPECT_EQ(KeyText(0x146), L"Shift + F");
    EXPECT_EQ(KeyText(0x246), L"Ctrl + F");
    EXPECT_EQ(KeyText(0x446), L"Alt + F");
    EXPECT_EQ(KeyText(0x346), L"Shift + Ctrl + F");
    EXPECT_EQ(KeyText(0x546), L"Shift + Alt + F");
    EXPECT_EQ(KeyText(0x646), L"Ctrl + Alt + F");
    EXPECT_EQ(KeyText(0x746), L"Shift + Ctrl + Alt + F");
}

TEST(KeyText, NamesSpecialKeys) {
    EXPECT_EQ(KeyText(0x008), L"Backspace");
    EXPECT_EQ(KeyText(0x40D), L"Alt + Return");
    EXPECT_EQ(KeyText(0x025), L"←");
    EXPECT_EQ(KeyText(0x427), L"Alt + →");
    EXPECT_EQ(KeyText(0x05D), L"APPS");
    EXPECT_EQ(KeyText(0x087), L"F24");
    EXPECT_EQ(KeyText(0x0DC), L"\\");
    EXPECT_EQ(KeyText(0x0E2), L"＼");
    EXPECT_EQ(KeyText(0x06D), L"-");
    EXPECT_EQ(KeyText(0x0BD), L"-");
}

TEST(KeyText, SharedCodesReadAsTheirFirstName) {
    EXPECT_EQ(KeyText(0x015), L"KANA");
    EXPECT_EQ(KeyText(0x019), L"HANJA");
}

TEST(KeyText, NoKeyIsNoneWithoutModifiers) {
    EXPECT_EQ(KeyText(0), L"なし");
    EXPECT_EQ(KeyText(0x700), L"なし");
}

TEST(KeyText, UnnamedKeyGivesOnlyThePrefix) {
    EXPECT_EQ(KeyText(0x2FF), L"Ctrl + ");
    EXPECT_EQ(KeyText(0x0FF), L"");
}

TEST(AccelKeyText, TakesTheModifiersFromTheAcceleratorFlags) {
    EXPECT_EQ(AccelKeyText(kAccelVirtKey | kAccelControl, 'F'), L"Ctrl + F");
    EXPECT_EQ(AccelKeyText(kAccelVirtKey | kAccelShift | kAccelControl, 0x09), L"Shift + Ctrl + Tab");
    EXPECT_EQ(AccelKeyText(kAccelVirtKey | kAccelAlt, 0x25), L"Alt + ←");
    EXPECT_EQ(AccelKeyText(kAccelVirtKey | kAccelAlt, 0), L"なし");
    EXPECT_EQ(PackedKeyFromAccel(kAccelVirtKey | kAccelShift | kAccelAlt, 0x170), 0x570);
}

TEST(AccelKeyText, DialogEntriesCarryVirtualKeyAndNoInvert) {
    const TStoredAccel entry = AccelFromPacked(0x346, IDM_SIDE_SEARCH);
    EXPECT_EQ(entry.fVirt, kAccelVirtKey | kAccelNoInvert | kAccelShift | kAccelControl);
    EXPECT_EQ(entry.key, 0x46);
    EXPECT_EQ(entry.cmd, IDM_SIDE_SEARCH);
    EXPECT_EQ(AccelFromPacked(0x070, IDM_HELP).fVirt, 3);
    EXPECT_EQ(AccelFromPacked(0x470, IDM_HELP).fVirt, 3 | kAccelAlt);
}

TEST(ListKeyDefaults, AreTheTwentyTwoBindingsInOrder) {
    const auto defaults = DefaultListKeys();
    ASSERT_EQ(defaults.size(), 22u);
    EXPECT_EQ(defaults[0], (TKeyCommand{IDM_GO_UP, 0x008}));
    EXPECT_EQ(defaults[6], (TKeyCommand{IDM_DELETE, 0x12E}));
    EXPECT_EQ(defaults[18], (TKeyCommand{IDM_INCREMENTAL_SEARCH, 0x146}));
    EXPECT_EQ(defaults[21], (TKeyCommand{IDM_UNDO, 0x25A}));
}

TEST(ListKeyDefaults, AnswerTheDefaultCommands) {
    const auto table = DefaultListKeys();
    EXPECT_EQ(FindListCommand(table, 0x00D), IDM_OPEN);
    EXPECT_EQ(FindListCommand(table, 0x008), IDM_GO_UP);
    EXPECT_EQ(FindListCommand(table, 0x108), IDM_GO_UP_NEW_TAB);
    EXPECT_EQ(FindListCommand(table, 0x10D), IDM_OPEN_NEW_TAB);
    EXPECT_EQ(FindListCommand(table, 0x30D), IDM_OPEN_BACKGROUND);
    EXPECT_EQ(FindListCommand(table, 0x20D), IDM_OPEN_ASSOCIATION);
    EXPECT_EQ(FindListCommand(table, 0x40D), IDM_PROPERTIES);
    EXPECT_EQ(FindListCommand(table, 0x244), IDM_DELETE);
    EXPECT_EQ(FindListCommand(table, 0x05D), IDM_CONTEXT_MENU);
    EXPECT_EQ(FindListCommand(table, 0x25A), IDM_UNDO);
    EXPECT_FALSE(FindListCommand(table, 0x70D));
    EXPECT_FALSE(FindListCommand(table, 0x041));
}

TEST(ListKeyScope, FirstOfSeveralBindingsOfOneKeyWins) {
    const std::vector<TKeyCommand> table{{IDM_REFRESH, 0x074}, {IDM_GO_UP, 0x074}};
    EXPECT_EQ(FindListCommand(table, 0x074), IDM_REFRESH);
}

TEST(ListKeyDecoding, TakesWholeRecordsOnly) {
    std::vector<std::uint8_t> data = Bytes(std::vector<TKeyCommand>{{IDM_REFRESH, 0x074}, {IDM_GO_UP, 0x008}});
    data.push_back(0x55);
    data.push_back(0x14);
    data.push_back(0x0D);
    const std::vector<TKeyCommand> keys = DecodeListKeys(data);
    EXPECT_EQ(keys, (std::vector<TKeyCommand>{{IDM_REFRESH, 0x074}, {IDM_GO_UP, 0x008}}));
}

TEST(ListKeyDecoding, DropsBindingsNoKeyPressCanMatch) {
    const std::vector<std::uint8_t> data =
        Bytes(std::vector<TKeyCommand>{{IDM_REFRESH, 0x000},
                                       {IDM_SELECT_ALL, 0x800},
                                       {0, 0x041},
                                       {IDM_INVERT_SELECTION, 0xF041},
                                       {IDM_COPY, 0x741}});
    EXPECT_EQ(DecodeListKeys(data), (std::vector<TKeyCommand>{{IDM_COPY, 0x741}}));
}

TEST(ListKeyDecoding, CapsAnOverlongTable) {
    const std::vector<std::uint8_t> data = Bytes(std::vector<TKeyCommand>(100000, TKeyCommand{IDM_REFRESH, 0x074}));
    EXPECT_EQ(DecodeListKeys(data).size(), kMaxKeyBindings);
}

TEST(ListKeyDecoding, ShortDataGivesNothing) {
    const std::uint8_t three[] = {0x51, 0x14, 0x74};
    EXPECT_TRUE(DecodeListKeys(three).empty());
    EXPECT_TRUE(DecodeListKeys({}).empty());
}

TEST(AccelDecoding, EmptyDataIsAnEmptyTable) {
    const auto table = DecodeAccels({});
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->empty());
}

TEST(AccelDecoding, ReadsSixByteEntriesAndDropsAPartialTail) {
    const std::uint8_t data[] = {0x0B, 0x00, 0x46, 0x00, 0xB2, 0x13, 0x03, 0x00, 0x78, 0x00, 0x9C, 0x13, 0x01, 0x02};
    const auto table = DecodeAccels(data);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 2u);
    EXPECT_EQ((*table)[0], (TStoredAccel{0x0B, 0, 0x46, IDM_SIDE_SEARCH}));
    EXPECT_EQ((*table)[1], (TStoredAccel{0x03, 0, 0x78, kUnassignedCommand}));
}

TEST(AccelDecoding, DropsUnsoundEntriesAndClearsThePaddingByte) {
    const std::uint8_t data[] = {
        0x83, 0x00, 0x46, 0x00, 0xB2, 0x13,  // unknown flag bit
        0x03, 0x00, 0x00, 0x00, 0xB2, 0x13,  // no key
        0x03, 0x00, 0x46, 0x01, 0xB2, 0x13,  // virtual key beyond a byte
        0x03, 0x7F, 0x74, 0x00, 0x4F, 0x14,  // sound, stray padding
    };
    const auto table = DecodeAccels(data);
    ASSERT_TRUE(table);
    EXPECT_EQ(*table, (std::vector<TStoredAccel>{{0x03, 0, 0x74, kOtherUnassignedCommand}}));
}

TEST(AccelDecoding, BytesWithoutOneSoundEntryAreDamaged) {
    const std::uint8_t partial[] = {0x03, 0x00, 0x46, 0x00, 0xB2};
    EXPECT_FALSE(DecodeAccels(partial));
    const std::uint8_t unsound[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(DecodeAccels(unsound));
}

}  // namespace
