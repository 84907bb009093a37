#include "bars/uToolButtons.h"

#include "res/resource.h"

namespace {

using K = ButtonKind;

constexpr ToolButton Separator{0, 0, K::Separator, -1};

// Image codes: below 100 the program's strip, 100 + n the system's history
// image n, 200 + n its view image n, 300 + n its standard image n.
constexpr std::array<ToolButton, kToolButtonCount> kTable{{
    {IDM_BACK, 100, K::SplitDropDown, 0},
    {IDM_FORWARD, 101, K::SplitDropDown, 1},
    {IDM_GO_UP, 208, K::Plain, 2},
    {IDM_REFRESH, 1, K::Plain, 3},
    Separator,
    {IDM_VIEW_MENU_BUTTON, 202, K::WholeDropDown, 4},
    {IDM_SORT_MENU_BUTTON, 205, K::WholeDropDown, 5},
    Separator,
    {IDM_SIDE_FOLDERS, 0, K::ShowsText, 6},
    {IDM_SIDE_FAVORITES, 102, K::ShowsText, 7},
    {IDM_SIDE_SEARCH, 312, K::ShowsText, 8},
    {IDM_THUMBNAIL_PANE, 11, K::Plain, 9},
    {IDM_LAUNCH_SELECT, 12, K::Plain, 29},
    {IDM_REOPEN_LAST, 14, K::SplitDropDown, 28},
    Separator,
    {IDM_CUT, 300, K::Plain, 10},
    {IDM_COPY, 301, K::Plain, 11},
    {IDM_PASTE, 302, K::Plain, 12},
    {IDM_DELETE, 305, K::Plain, 13},
    {IDM_PROPERTIES, 310, K::Plain, 14},
    {IDM_NEW_FOLDER, 211, K::Plain, 15},
    {IDM_ADD_FAVORITE, 103, K::Plain, 16},
    Separator,
    {IDM_NAVIGATE_LOCK, 3, K::Plain, 17},
    {IDM_CLOSE, 13, K::Plain, 27},
    {IDM_CLOSE_ALL, 4, K::Plain, 18},
    {IDM_CLOSE_OTHERS, 5, K::Plain, 19},
    {IDM_CLOSE_LEFT, 6, K::Plain, 20},
    {IDM_CLOSE_RIGHT, 7, K::Plain, 21},
    Separator,
    {IDM_CASCADE, 8, K::Plain, 22},
    {IDM_TILE_HORIZONTAL, 9, K::Plain, 23},
    {IDM_TILE_VERTICAL, 10, K::Plain, 24},
    Separator,
    {IDM_OPTIONS, 2, K::Plain, 25},
    {IDM_HELP, 311, K::Plain, 26},
}};

constexpr const wchar_t* kNames[kToolButtonNameCount] = {
    L"戻る", L"進む", L"上へ", L"更新", L"表示", L"ソート", L"フォルダ", L"お気に入り",
    L"検索", L"サムネイル", L"切り取り", L"コピー", L"貼り付け", L"削除", L"プロパティ",
    L"新規フォルダ", L"お気に入りに追加", L"ナビゲートロック", L"全て閉じる",
    L"アクティブ以外を閉じる", L"左を閉じる", L"右を閉じる", L"重ねて表示", L"上下に並べて表示",
    L"左右に並べて表示", L"オプション", L"ヘルプ", L"閉じる", L"最後に閉じたフォルダ", L"ランチャ",
};

}  // namespace

const std::array<ToolButton, kToolButtonCount>& ToolButtonTable() { return kTable; }

const wchar_t* ToolButtonName(int nameIndex) {
    return nameIndex >= 0 && nameIndex < kToolButtonNameCount ? kNames[nameIndex] : L"";
}

int ImageIndexOf(int imageCode, const ImageBases& bases) {
    if (imageCode >= 300) return bases.standard + imageCode - 300;
    if (imageCode >= 200) return bases.view + imageCode - 200;
    if (imageCode >= 100) return bases.history + imageCode - 100;
    return bases.program + imageCode;
}
