// The rebar's bands: their stored layout by position, bars finding their band
// by identifier wherever it stands, the lock, and the layout written back.

#include "bars/wCoolBar.h"

#include "app/Handles.h"
#include "app/uReg.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

void WriteReBar(const wchar_t* name, DWORD value) {
    UniqueRegKey key;
    ASSERT_TRUE(SettingsCreate(SettingsArea::ReBar, key));
    SettingsWriteInt(key.get(), name, static_cast<int>(value));
}

std::optional<std::uint32_t> ReadReBar(const std::wstring& name) {
    UniqueRegKey key;
    if (!SettingsOpen(SettingsArea::ReBar, key)) return std::nullopt;
    return SettingsTryReadInt(key.get(), name.c_str());
}

class CoolBar : public testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    HWND Create() {
        rebar_ = CreateCoolBar(parent_, 1500);
        EXPECT_NE(rebar_, nullptr);
        return rebar_;
    }
    REBARBANDINFOW Band(int position, UINT mask) const {
        REBARBANDINFOW info{sizeof(info)};
        info.fMask = mask;
        SendMessageW(rebar_, RB_GETBANDINFOW, position, reinterpret_cast<LPARAM>(&info));
        return info;
    }
    HWND MakeChild() const {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, rebar_, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    }
    std::wstring Caption(int position) const {
        wchar_t text[64] = {};
        REBARBANDINFOW info{sizeof(info)};
        info.fMask = RBBIM_TEXT;
        info.lpText = text;
        info.cch = ARRAYSIZE(text);
        SendMessageW(rebar_, RB_GETBANDINFOW, position, reinterpret_cast<LPARAM>(&info));
        return text;
    }

    HWND parent_ = nullptr;
    HWND rebar_ = nullptr;
};

TEST(RebarLayout, WithoutAKeyEachBandInItsOwnRowInTheDefaultOrder) {
    const RebarLayout layout = ReadRebarLayout(nullptr);
    for (int n = 0; n < kRebarBandCount; ++n) {
        EXPECT_EQ(layout[n].id, static_cast<UINT>(n));
        EXPECT_EQ(layout[n].style, 677u);
        EXPECT_EQ(layout[n].width, 0) << "the default width";
    }
}

TEST(RebarLayout, StoredStylesGainTheChevronAndIdentifiersThatRepeatGiveWay) {
    WriteReBar(L"Styel0", RBBS_BREAK);
    WriteReBar(L"cx0", 321);
    WriteReBar(L"wID0", 2);
    WriteReBar(L"wID1", 2);
    UniqueRegKey key;
    ASSERT_TRUE(SettingsOpen(SettingsArea::ReBar, key));
    const RebarLayout layout = ReadRebarLayout(key.get());
    EXPECT_EQ(layout[0].style, static_cast<UINT>(RBBS_BREAK | RBBS_USECHEVRON | RBBS_FIXEDBMP));
    EXPECT_EQ(layout[0].width, 321);
    EXPECT_EQ(layout[1].style, 677u) << "a missing style is the default";
    for (int n = 0; n < kRebarBandCount; ++n) EXPECT_EQ(layout[n].id, static_cast<UINT>(n)) << n;
}

TEST_F(CoolBar, ABarLandsInItsOwnBandWhereverTheUserMovedIt) {
    const UINT order[kRebarBandCount] = {BandAddressBar, BandToolBar, BandSearchBar, BandLinkBar};
    for (int n = 0; n < kRebarBandCount; ++n)
        WriteReBar((L"wID" + std::to_wstring(n)).c_str(), order[n]);
    Create();
    ASSERT_EQ(SendMessageW(rebar_, RB_GETBANDCOUNT, 0, 0), kRebarBandCount);
    for (int n = 0; n < kRebarBandCount; ++n) EXPECT_EQ(Band(n, RBBIM_ID).wID, order[n]) << n;
    EXPECT_TRUE(Band(0, RBBIM_STYLE).fStyle & RBBS_HIDDEN) << "no bar attached yet";

    HWND address = MakeChild();
    AttachBar(rebar_, address, BandAddressBar, 22);
    const REBARBANDINFOW band = Band(0, RBBIM_CHILD | RBBIM_STYLE | RBBIM_CHILDSIZE);
    EXPECT_EQ(band.hwndChild, address);
    EXPECT_FALSE(band.fStyle & RBBS_HIDDEN);
    EXPECT_EQ(band.cyMinChild, 22u);
    EXPECT_EQ(Caption(0), L"アドレス");

    SendMessageW(rebar_, RB_MOVEBAND, 0, 2);
    SaveCoolBar(rebar_);
    EXPECT_EQ(ReadReBar(L"wID0"), static_cast<std::uint32_t>(BandToolBar));
    EXPECT_EQ(ReadReBar(L"wID2"), static_cast<std::uint32_t>(BandAddressBar));
    EXPECT_EQ(ReadReBar(L"Styel2").value_or(0) & RBBS_HIDDEN, 0u) << "shown at exit, shown at the next start";
}

TEST_F(CoolBar, WithShowTextOffBandsCarryNoCaption) {
    WriteReBar(L"ShowText", 0);
    Create();
    AttachBar(rebar_, MakeChild(), BandLinkBar, 20);
    EXPECT_EQ(Caption(static_cast<int>(SendMessageW(rebar_, RB_IDTOINDEX, BandLinkBar, 0))), L"");
}

TEST_F(CoolBar, LockingRemovesEveryGripperAndUnlockingBringsThemBack) {
    Create();
    AttachBar(rebar_, MakeChild(), BandToolBar, 20);
    ToggleBandLock(rebar_);
    EXPECT_TRUE(BandsLocked(rebar_));
    for (int n = 0; n < kRebarBandCount; ++n) EXPECT_TRUE(Band(n, RBBIM_STYLE).fStyle & RBBS_NOGRIPPER) << n;
    ToggleBandLock(rebar_);
    EXPECT_FALSE(BandsLocked(rebar_));
    for (int n = 0; n < kRebarBandCount; ++n) {
        const UINT style = Band(n, RBBIM_STYLE).fStyle;
        EXPECT_FALSE(style & RBBS_NOGRIPPER) << n;
        EXPECT_TRUE(style & RBBS_GRIPPERALWAYS) << n;
    }
}

}  // namespace
