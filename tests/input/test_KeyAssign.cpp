// The running key tables: loading and saving them in the settings, the
// whole-program table in the message loop, list-scope lookups with the keys
// held, and the main menu that shows the bound keys.

#include "input/uKeyAssign.h"

#include "app/uMessageLoop.h"
#include "app/uReg.h"
#include "res/resource.h"
#include "tests/mainwnd/FrameFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr BYTE kVirtNoInvert = FVIRTKEY | FNOINVERT;

void WriteBinary(const wchar_t* name, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\ZEKO2", &key), ERROR_SUCCESS);
    static const BYTE none = 0;
    RegSetValueExW(key, name, 0, REG_BINARY, bytes ? static_cast<const BYTE*>(data) : &none, bytes);
    RegCloseKey(key);
}

std::vector<BYTE> ReadBinary(const wchar_t* name) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZEKO2", name, RRF_RT_ANY, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return {};
    std::vector<BYTE> data(size);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\ZEKO2", name, RRF_RT_ANY, nullptr, data.data(), &size);
    return data;
}

void LoadFromSettings() {
    UniqueRegKey root;
    SettingsCreate(SettingsArea::Root, root);
    LoadKeyAssignments(root.get());
}

void SaveToSettings() {
    UniqueRegKey root;
    SettingsCreate(SettingsArea::Root, root);
    SaveKeyAssignments(root.get());
}

std::vector<TKeyCommand> Defaults() {
    return {DefaultListKeys().begin(), DefaultListKeys().end()};
}

bool SameEntry(const ACCEL& a, const ACCEL& b) {
    return a.fVirt == b.fVirt && a.key == b.key && a.cmd == b.cmd;
}

// The command a whole-program table gives for a key with the given flags.
WORD CommandOf(const std::vector<ACCEL>& table, BYTE flags, WORD key) {
    for (const ACCEL& entry : table)
        if ((entry.fVirt & ~FNOINVERT) == flags && entry.key == key) return entry.cmd;
    return 0;
}

void HoldKeys(std::initializer_list<int> keys) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) state[key] = 0;
    for (int key : keys) state[key] = 0x80;
    SetKeyboardState(state);
}

class KeySettings : public testing::Test {
protected:
    void TearDown() override {
        HoldKeys({});
        SetWholeProgramEntries({});
        ListKeys() = Defaults();
    }
};

TEST_F(KeySettings, NoStoredListKeysGiveTheDefaults) {
    ListKeys() = {{IDM_REFRESH, 0x041}};
    LoadFromSettings();
    EXPECT_EQ(ListKeys(), Defaults());
    EXPECT_EQ(ListKeyCommand(0x00D), IDM_OPEN);
    EXPECT_EQ(ListKeyCommand(0x008), IDM_GO_UP);
}

TEST_F(KeySettings, AnEmptiedListScopeComesBackWithItsDefaults) {
    WriteBinary(kCommandsValue, nullptr, 0);
    LoadFromSettings();
    EXPECT_EQ(ListKeys(), Defaults());
}

TEST_F(KeySettings, StoredListKeysReplaceTheDefaults) {
    const TKeyCommand stored[] = {{IDM_REFRESH, 0x00D}, {IDM_GO_UP, 0x074}};
    WriteBinary(kCommandsValue, stored, sizeof(stored));
    LoadFromSettings();
    EXPECT_EQ(ListKeyCommand(0x00D), IDM_REFRESH);
    EXPECT_EQ(ListKeyCommand(0x074), IDM_GO_UP);
    EXPECT_EQ(ListKeyCommand(0x008), 0);
}

TEST_F(KeySettings, ListKeysOfAnOddSizeKeepTheirWholeRecords) {
    const BYTE stored[] = {0x57, 0x14, 0x0D, 0x00, 0x50, 0x14, 0x74};
    WriteBinary(kCommandsValue, stored, sizeof(stored));
    LoadFromSettings();
    EXPECT_EQ(ListKeys(), (std::vector<TKeyCommand>{{IDM_REFRESH, 0x00D}}));
}

TEST_F(KeySettings, ListKeysWithNothingUsableGiveTheDefaults) {
    const BYTE stored[] = {0x57, 0x14, 0x00, 0x00, 0x50, 0x14, 0x41, 0xF8, 0x01};
    WriteBinary(kCommandsValue, stored, sizeof(stored));
    LoadFromSettings();
    EXPECT_EQ(ListKeys(), Defaults());
}

TEST_F(KeySettings, AHugeListScopeLoadsOnlyItsFirstBindings) {
    std::vector<TKeyCommand> stored(50000, TKeyCommand{IDM_REFRESH, 0x074});
    stored[0] = {IDM_SELECT_ALL, 0x041};
    WriteBinary(kCommandsValue, stored.data(), static_cast<DWORD>(stored.size() * sizeof(TKeyCommand)));
    LoadFromSettings();
    EXPECT_EQ(ListKeys().size(), kMaxKeyBindings);
    EXPECT_EQ(ListKeyCommand(0x041), IDM_SELECT_ALL);
}

TEST_F(KeySettings, AnEmptyStoredWholeProgramTableMeansNoKeys) {
    WriteBinary(kAccelsValue, nullptr, 0);
    LoadFromSettings();
    EXPECT_EQ(LoopTables().wholeProgram, nullptr);
    EXPECT_TRUE(WholeProgramEntries().empty());
}

TEST_F(KeySettings, NoStoredWholeProgramTableGivesTheResourceDefaults) {
    LoadFromSettings();
    const std::vector<ACCEL> table = WholeProgramEntries();
    EXPECT_EQ(table.size(), 15u);
    EXPECT_EQ(CommandOf(table, FVIRTKEY | FCONTROL, 'F'), IDM_SIDE_SEARCH);
    EXPECT_EQ(CommandOf(table, FVIRTKEY | FCONTROL, 'W'), IDM_CLOSE);
    EXPECT_EQ(CommandOf(table, FVIRTKEY | FSHIFT | FCONTROL, VK_TAB), IDM_PREVIOUS_TAB);
    EXPECT_EQ(CommandOf(table, FVIRTKEY | FALT, VK_LEFT), IDM_BACK);
    EXPECT_EQ(CommandOf(table, FVIRTKEY, VK_F9), IDM_TO_TRAY);
}

TEST_F(KeySettings, ADamagedWholeProgramTableGivesTheResourceDefaults) {
    const BYTE stored[] = {0x03, 0x00, 0x46, 0x00, 0xB2};
    WriteBinary(kAccelsValue, stored, sizeof(stored));
    LoadFromSettings();
    EXPECT_EQ(CommandOf(WholeProgramEntries(), FVIRTKEY | FCONTROL, 'F'), IDM_SIDE_SEARCH);
}

TEST_F(KeySettings, AWholeProgramTableOfAnOddSizeKeepsItsSoundEntries) {
    const BYTE stored[] = {0x0B, 0x00, 0x51, 0x00, 0xB9, 0x13, 0xFF, 0x00, 0x52, 0x00, 0xBA, 0x13, 0x01, 0x00};
    WriteBinary(kAccelsValue, stored, sizeof(stored));
    LoadFromSettings();
    const std::vector<ACCEL> table = WholeProgramEntries();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_TRUE(SameEntry(table[0], ACCEL{0x0B, 'Q', IDM_ADD_FAVORITE}));
}

TEST_F(KeySettings, BothTablesSurviveASaveAndALoad) {
    SetWholeProgramEntries(
        {{kVirtNoInvert | FCONTROL, 'Q', IDM_EXIT}, {kVirtNoInvert | FALT | FSHIFT, VK_F7, IDM_STATUS_BAR}});
    ListKeys() = {{IDM_REFRESH, 0x10D}, {IDM_SELECT_ALL, 0x741}, {IDM_SELECT_ALL, 0x041}};
    SaveToSettings();

    SetWholeProgramEntries({});
    ListKeys() = Defaults();
    LoadFromSettings();

    const std::vector<ACCEL> table = WholeProgramEntries();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_TRUE(SameEntry(table[0], ACCEL{kVirtNoInvert | FCONTROL, 'Q', IDM_EXIT}));
    EXPECT_TRUE(SameEntry(table[1], ACCEL{kVirtNoInvert | FALT | FSHIFT, VK_F7, IDM_STATUS_BAR}));
    EXPECT_EQ(ListKeys(),
              (std::vector<TKeyCommand>{{IDM_REFRESH, 0x10D}, {IDM_SELECT_ALL, 0x741}, {IDM_SELECT_ALL, 0x041}}));
}

TEST_F(KeySettings, SavedValuesHaveTheStoredLayout) {
    SetWholeProgramEntries({{kVirtNoInvert | FCONTROL, 'Q', IDM_EXIT}});
    ListKeys() = {{IDM_REFRESH, 0x10D}};
    SaveToSettings();
    EXPECT_EQ(ReadBinary(kAccelsValue), (std::vector<BYTE>{0x0B, 0x00, 0x51, 0x00, 0x89, 0x13}));
    EXPECT_EQ(ReadBinary(kCommandsValue), (std::vector<BYTE>{0x57, 0x14, 0x0D, 0x01}));
}

TEST_F(KeySettings, AnEmptiedWholeProgramTableStaysEmptyAfterARestart) {
    SetWholeProgramEntries({});
    SaveToSettings();
    SetWholeProgramEntries({{kVirtNoInvert, VK_F2, IDM_EXIT}});
    LoadFromSettings();
    EXPECT_TRUE(WholeProgramEntries().empty());
}

TEST_F(KeySettings, ANullRootReadsAsMissing) {
    LoadKeyAssignments(nullptr);
    EXPECT_EQ(ListKeys(), Defaults());
    EXPECT_EQ(CommandOf(WholeProgramEntries(), FVIRTKEY, VK_F1), IDM_HELP);
}

TEST_F(KeySettings, ListKeysFollowTheModifiersHeld) {
    HoldKeys({VK_SHIFT});
    EXPECT_EQ(PackedKeyFromKeyDown(VK_BACK), 0x108);
    EXPECT_EQ(ListKeyCommand(PackedKeyFromKeyDown(VK_BACK)), IDM_GO_UP_NEW_TAB);
    HoldKeys({VK_CONTROL, VK_MENU});
    EXPECT_EQ(PackedKeyFromKeyDown('A'), 0x641);
}

TEST_F(KeySettings, ItemActivationIsReturnWithTheModifiersHeld) {
    EXPECT_EQ(ItemActivationCommand(), IDM_OPEN);
    HoldKeys({VK_SHIFT});
    EXPECT_EQ(ItemActivationCommand(), IDM_OPEN_NEW_TAB);
    HoldKeys({VK_SHIFT, VK_CONTROL});
    EXPECT_EQ(ItemActivationCommand(), IDM_OPEN_BACKGROUND);
    HoldKeys({VK_MENU});
    EXPECT_EQ(ItemActivationCommand(), IDM_PROPERTIES);
    HoldKeys({VK_SHIFT, VK_MENU});
    EXPECT_EQ(ItemActivationCommand(), 0);

    HoldKeys({});
    ListKeys() = {{IDM_REFRESH, 0x00D}};
    EXPECT_EQ(ItemActivationCommand(), IDM_REFRESH);
    ListKeys() = {{IDM_REFRESH, 0x10D}};
    EXPECT_EQ(ItemActivationCommand(), 0);
}

TEST_F(KeySettings, LaunchItemsFindTheirFirstListKey) {
    ListKeys() = {{IDM_LAUNCH_FIRST + 3, 0x241}, {IDM_LAUNCH_FIRST + 3, 0x242}};
    EXPECT_EQ(ListKeyTextOf(IDM_LAUNCH_FIRST + 3), L"Ctrl + A");
    EXPECT_EQ(ListKeyTextOf(IDM_LAUNCH_FIRST + 4), L"");
}

// The menu annotation.

std::wstring Caption(HMENU menu, UINT command) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, command, text, 256, MF_BYCOMMAND);
    return text;
}

class KeyMenuAnnotation : public KeySettings {};

TEST_F(KeyMenuAnnotation, PutsTheKeyBehindATab) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU");
    ASSERT_NE(menu, nullptr);
    AnnotateMenu(menu, 0x078, IDM_TO_TRAY);
    EXPECT_EQ(Caption(menu, IDM_TO_TRAY), L"タスクトレイに入れる(&Y)\tF9");
    AnnotateMenu(menu, 0x251, IDM_TO_TRAY);
    EXPECT_EQ(Caption(menu, IDM_TO_TRAY), L"タスクトレイに入れる(&Y)\tF9, Ctrl + Q");
    DestroyMenu(menu);
}

TEST_F(KeyMenuAnnotation, ACommandWithoutAnItemChangesNothing) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU");
    ASSERT_NE(menu, nullptr);
    const std::wstring before = Caption(menu, IDM_EXIT);
    AnnotateMenu(menu, 0x146, IDM_INCREMENTAL_SEARCH);
    EXPECT_EQ(Caption(menu, IDM_EXIT), before);
    EXPECT_EQ(GetMenuState(menu, IDM_INCREMENTAL_SEARCH, MF_BYCOMMAND), static_cast<UINT>(-1));
    DestroyMenu(menu);
}

TEST_F(KeyMenuAnnotation, TheMainMenuShowsWholeProgramKeysBeforeListKeys) {
    SetWholeProgramEntries({{kVirtNoInvert | FCONTROL, 'M', IDM_FRAME_MINIMIZE}});
    ListKeys() = {{IDM_FRAME_MINIMIZE, 0x14D}, {IDM_EXIT, 0x058}};
    HMENU menu = BuildMainMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Caption(menu, IDM_FRAME_MINIMIZE), L"メインウインドウの最小化(&N)\tCtrl + M, Shift + M");
    EXPECT_EQ(Caption(menu, IDM_EXIT), L"アプリケーションの終了(&X)\tX");
    DestroyMenu(menu);
}

// The real frame: its menu and its whole-program keys.

class AccelFrame : public FrameTest {
protected:
    void TearDown() override {
        HoldKeys({});
        FrameTest::TearDown();
        SetWholeProgramEntries({});
        ListKeys() = Defaults();
    }
    bool Press(WORD key) {
        MSG msg{frame_, WM_KEYDOWN, key, 1};
        return PreTranslateLoopMessage(frame_, msg);
    }
};

TEST_F(AccelFrame, TheFrameMenuShowsTheLoadedKeys) {
    const BYTE stored[] = {0x0B, 0x00, 0x4D, 0x00, 0xE1, 0x13};  // Ctrl + M: minimise the frame
    WriteBinary(kAccelsValue, stored, sizeof(stored));
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_EQ(Caption(GetMenu(frame_), IDM_FRAME_MINIMIZE), L"メインウインドウの最小化(&N)\tCtrl + M");
    // The MDI client still lists its windows on the sixth menu of the new bar.
    HMENU windowMenu = GetSubMenu(GetMenu(frame_), 5);
    EXPECT_EQ(GetMenuState(windowMenu, IDM_CASCADE, MF_BYCOMMAND) & MF_DISABLED, 0u);
}

TEST_F(AccelFrame, AnAssignedKeyReachesTheFrameAsItsCommand) {
    const BYTE stored[] = {0x0B, 0x00, 0x4D, 0x00, 0xE1, 0x13};  // Ctrl + M: minimise the frame
    WriteBinary(kAccelsValue, stored, sizeof(stored));
    ASSERT_NE(CreateFrame(), nullptr);
    Pump();
    ASSERT_FALSE(IsIconic(frame_));

    EXPECT_FALSE(Press('M'));
    Pump();
    EXPECT_FALSE(IsIconic(frame_));

    HoldKeys({VK_CONTROL});
    EXPECT_TRUE(Press('M'));
    Pump();
    EXPECT_TRUE(IsIconic(frame_));
}

TEST_F(AccelFrame, TheDefaultTableIsInTheLoopWithoutStoredKeys) {
    ASSERT_NE(CreateFrame(), nullptr);
    ASSERT_NE(LoopTables().wholeProgram, nullptr);
    EXPECT_EQ(Caption(GetMenu(frame_), IDM_TO_TRAY), L"タスクトレイに入れる(&Y)\tF9");
}

// Both stored key tables filled with extreme bytes: the frame still comes up
// with its menu and a working key table, and no binding that a key press
// cannot make is kept.
struct KeyTableFill {
    const char* label;
    BYTE fill;
    DWORD bytes;
};

void PrintTo(const KeyTableFill& fill, std::ostream* out) { *out << fill.label; }

class KeyTableExtremes : public AccelFrame, public testing::WithParamInterface<KeyTableFill> {};

TEST_P(KeyTableExtremes, StillGiveAFrameWithSoundKeys) {
    const std::vector<BYTE> stored(GetParam().bytes, GetParam().fill);
    WriteBinary(kAccelsValue, stored.data(), static_cast<DWORD>(stored.size()));
    WriteBinary(kCommandsValue, stored.data(), static_cast<DWORD>(stored.size()));
    ASSERT_NE(CreateFrame(), nullptr);
    EXPECT_TRUE(IsWindowVisible(frame_));
    EXPECT_EQ(GetMenuItemCount(GetMenu(frame_)), 7);

    for (const ACCEL& entry : WholeProgramEntries()) {
        EXPECT_NE(entry.key, 0);
        EXPECT_EQ(entry.fVirt & ~(FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT), 0);
        if (entry.fVirt & FVIRTKEY) EXPECT_LE(entry.key, 0xFF);
    }
    ASSERT_FALSE(ListKeys().empty());
    for (const TKeyCommand& entry : ListKeys()) {
        EXPECT_NE(entry.Command, 0);
        EXPECT_NE(entry.Key & 0xFF, 0);
    }
    // The list scope's Return still opens what it opened.
    EXPECT_NE(ListKeyCommand(0x00D), 0);
}

const KeyTableFill kKeyTableFills[] = {
    {"AllBitsOneRecord", 0xFF, 6},     {"AllBitsMany", 0xFF, 6000},    {"TopBitsMany", 0x80, 6000},
    {"HalfBitsMany", 0x7F, 6000},      {"ZerosMany", 0x00, 6000},      {"AllBitsOddSize", 0xFF, 4999},
};

INSTANTIATE_TEST_SUITE_P(Fills, KeyTableExtremes, testing::ValuesIn(kKeyTableFills),
                         [](const testing::TestParamInfo<KeyTableFill>& info) { return info.param.label; });

}  // namespace
