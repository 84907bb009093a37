// Sizes cut to three significant digits, never rounded, and tips on one line.

#include "app/uFormatSize.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct SizeCase {
    std::uint64_t bytes;
    const wchar_t* text;
};

TEST(FormatSize, EachRangeKeepsThreeDigitsCutNotRounded) {
    constexpr std::uint64_t kKilo = 1024, kMega = kKilo * 1024, kGiga = kMega * 1024;
    const SizeCase cases[] = {
        {0, L"0Byte"},
        {1, L"1Byte"},
        {1023, L"1023Byte"},
        {1024, L"1.00KB"},
        {1536, L"1.50KB"},
        {10 * kKilo - 1, L"9.99KB"},           // 9.999.. cut, not rounded to 10.0
        {10 * kKilo, L"10.0KB"},
        {12 * kKilo + 400, L"12.3KB"},
        {100 * kKilo - 1, L"99.9KB"},
        {1000 * kKilo, L"1000KB"},
        {kMega - 1, L"1023KB"},
        {kMega, L"1.00MB"},
        {kMega + kMega / 20, L"1.04MB"},       // 1.0499..: cut, and the zero after the point stays
        {kGiga - 1, L"1023MB"},
        {5 * kGiga, L"5.00GB"},
        {2048 * kGiga, L"2048GB"},             // no unit above GB
        {UINT64_MAX, L"17179869183GB"},
    };
    for (const SizeCase& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(FlattenTipText, ControlCharactersBecomeBlanksExceptAfterABlank) {
    EXPECT_EQ(FlattenTipText(L"種類: テキスト\nサイズ: 1.50KB"), L"種類: テキスト サイズ: 1.50KB");
    EXPECT_EQ(FlattenTipText(L"a\r\nb"), L"a  b") << "the line feed follows a return, not a blank";
    EXPECT_EQ(FlattenTipText(L"a \rb"), L"a b");
    EXPECT_EQ(FlattenTipText(L""), L"");
}

}  // namespace
