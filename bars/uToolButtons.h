#pragma once
// The one table of 36 buttons that both toolbars are built from, and how a
// button's image code becomes an index into the bar's image list.

#include <array>
#include <cstdint>

inline constexpr int kToolButtonCount = 36;

// How a button behaves besides sending its command.
enum class ButtonKind : std::uint8_t {
    Plain,
    Separator,
    SplitDropDown,  // an arrow beside the button drops a menu
    WholeDropDown,  // the whole button drops a menu
    ShowsText,      // keeps its name beside the image in text mode 1
};

struct ToolButton {
    std::uint16_t command;  // 0 for a separator
    int imageCode;          // see ImageIndexOf
    ButtonKind kind;
    int nameIndex;  // index into the name list, -1 for a separator
};

const std::array<ToolButton, kToolButtonCount>& ToolButtonTable();

// The names in the order the string resource lists them.
inline constexpr int kToolButtonNameCount = 30;
const wchar_t* ToolButtonName(int nameIndex);

// The first index each set of images got when it was added to the bar.
struct ImageBases {
    int program = 0;   // the program's own strip, codes 0 to 99
    int history = 0;   // the system's history images, codes 100 to 199
    int view = 0;      // the system's view images, codes 200 to 299
    int standard = 0;  // the system's standard images, codes 300 and above
};

// The image list index of `imageCode` among the images added at `bases`.
int ImageIndexOf(int imageCode, const ImageBases& bases);
