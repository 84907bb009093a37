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
    REBARBANDINFOW width{sizeof(width), RBBIM_SIZE};
    width.cx = 234;
    SendMessageW(rebar_, RB_SETBANDINFOW, 2, reinterpret_cast<LPARAM>(&width));
    SaveCoolBar(rebar_);
    EXPECT_EQ(ReadReBar(L"cx2"), static_cast<std::uint32_t>(Band(2, RBBIM_SIZE).cx)) << "the width it has now";
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

// Whether a chevron lies anywhere in the band's row at `position`.
bool HasChevron(HWND rebar, int position) {
    RECT band{};
    SendMessageW(rebar, RB_GETRECT, position, reinterpret_cast<LPARAM>(&band));
    for (int x = band.left; x < band.right; ++x) {
        RBHITTESTINFO hit{{x, (band.top + band.bottom) / 2}};
        if (SendMessageW(rebar, RB_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == position && hit.flags == RBHT_CHEVRON)
            return true;
    }
    return false;
}

UINT g_chevronBand = ~0u;
WNDPROC g_parentProc = nullptr;

LRESULT CALLBACK FrameLikeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) OnCoolBarNotify(*reinterpret_cast<const NMHDR*>(lParam));
    return CallWindowProcW(g_parentProc, window, message, wParam, lParam);
}

TEST_F(CoolBar, AChevronShowsWhenItsBandIsCutAndItsPushReachesTheBarOfTheBand) {
    g_parentProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parent_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FrameLikeProc)));
    Create();
    SendMessageW(rebar_, WM_SIZE, 0, 0);
    AttachBar(rebar_, MakeChild(), BandToolBar, 20);
    BandHandlers handlers;
    handlers.chevronPushed = [](const NMREBARCHEVRON& chevron) { g_chevronBand = chevron.wID; };
    SetBandHandlers(BandToolBar, handlers);
    const int position = static_cast<int>(SendMessageW(rebar_, RB_IDTOINDEX, BandToolBar, 0));

    SetBandIdealWidth(rebar_, BandToolBar, 50);
    EXPECT_FALSE(HasChevron(rebar_, position)) << "the buttons fit";
    SetBandIdealWidth(rebar_, BandToolBar, 5000);
    EXPECT_TRUE(HasChevron(rebar_, position)) << "the band is narrower than its buttons";

    SendMessageW(rebar_, RB_PUSHCHEVRON, position, 0);
    EXPECT_EQ(g_chevronBand, static_cast<UINT>(BandToolBar));
    SetBandHandlers(BandToolBar, {});
}

}  // namespace
