// The button table both toolbars are built from: its names agree with the
// string resource the bars show, and image codes land in the right set.

#include "bars/uToolButtons.h"

#include "res/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The names as the bar reads them from the resource: "|" before each.
std::vector<std::wstring> ResourceNames() {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_TOOLBUTTON_NAMES, reinterpret_cast<LPWSTR>(&text), 0);
    std::vector<std::wstring> names;
    std::wstring all(text ? text : L"", length);
    if (all.empty()) return names;
    const wchar_t separator = all[0];
    size_t start = 1;
    for (size_t end; (end = all.find(separator, start)) != std::wstring::npos; start = end + 1)
        names.push_back(all.substr(start, end - start));
    return names;
}

TEST(ToolButtons, EveryButtonsNameIsTheResourceNameAtItsIndex) {
    const std::vector<std::wstring> names = ResourceNames();
    ASSERT_GE(names.size(), static_cast<size_t>(kToolButtonNameCount));
    int separators = 0;
    for (const ToolButton& button : ToolButtonTable()) {
        if (button.kind == ButtonKind::Separator) {
            ++separators;
            continue;
        }
        ASSERT_LT(button.nameIndex, kToolButtonNameCount);
        EXPECT_EQ(names[button.nameIndex], ToolButtonName(button.nameIndex)) << button.command;
    }
    EXPECT_EQ(separators, 6);
    EXPECT_EQ(ToolButtonName(ToolButtonTable()[12].nameIndex), std::wstring(L"ランチャ"));
}

TEST(ToolButtons, ImageCodesPickTheirSetAndOffset) {
    const ImageBases bases{60, 0, 20, 40};
    struct Case {
        int code;
        int index;
    };
    for (const Case& c : {Case{0, 60}, Case{14, 74}, Case{100, 0}, Case{103, 3}, Case{208, 28}, Case{211, 31},
                          Case{300, 40}, Case{312, 52}})
        EXPECT_EQ(ImageIndexOf(c.code, bases), c.index) << c.code;
}

}  // namespace
