#include "app/uFormatSize.h"

namespace {

// Three significant digits of bytes / unit (at least 1), cut: the integer
// part from 100 up, else one or two decimals. Whole numbers throughout, so no
// floating-point step can round a 9 up.
std::wstring ThreeDigits(std::uint64_t bytes, std::uint64_t unit) {
    const std::uint64_t whole = bytes / unit;
    if (whole >= 100) return std::to_wstring(whole);
    // bytes < 100 * unit here, and unit is at most 2^30: no overflow.
    if (whole >= 10) {
        const std::uint64_t tenths = bytes * 10 / unit;
        return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10);
    }
    const std::uint64_t hundredths = bytes * 100 / unit;
    const std::uint64_t fraction = hundredths % 100;
    return std::to_wstring(hundredths / 100) + (fraction < 10 ? L".0" : L".") + std::to_wstring(fraction);
}

}  // namespace

std::wstring FormatSize(std::uint64_t bytes) {
    constexpr std::uint64_t kKilo = 1024;
    constexpr std::uint64_t kMega = kKilo * 1024;
    constexpr std::uint64_t kGiga = kMega * 1024;
    if (bytes < kKilo) return std::to_wstring(bytes) + L"Byte";
    if (bytes < kMega) return ThreeDigits(bytes, kKilo) + L"KB";
    if (bytes < kGiga) return ThreeDigits(bytes, kMega) + L"MB";
    return ThreeDigits(bytes, kGiga) + L"GB";
}

std::wstring FlattenTipText(const std::wstring& tip) {
    std::wstring flat;
    flat.reserve(tip.size());
    wchar_t previous = 0;
    for (const wchar_t c : tip) {
        if (c <= L' ') {
            if (previous != L' ') flat += L' ';
        } else {
            flat += c;
        }
        previous = c;
    }
    return flat;
}
