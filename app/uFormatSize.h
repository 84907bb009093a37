#pragma once
// Sizes as the status bar and the item tips show them: three significant
// digits, cut and never rounded, and a unit with no blank before it
// ("0Byte", "1023Byte", "1.50KB", "12.3MB", "1000KB", "5.00GB").

#include <cstdint>
#include <string>

std::wstring FormatSize(std::uint64_t bytes);

// A tip made of several lines shown on one: every control character or blank
// becomes a blank, unless the character before it in the tip was a blank
// (so "a\r\nb" keeps two blanks, "a \r\nb" one).
std::wstring FlattenTipText(const std::wstring& tip);
