// The standard toolbar's text modes, and the page with the text and icon
// choices that its customise dialog gains below the control's own lists.

#include "app/Handles.h"
#include "app/uReg.h"
#include "bars/uToolBarParts.h"
#include "bars/wCoolBar.h"
#include "res/resource.h"

namespace {

// Marks a customise dialog that already holds the page: the control may
// report the dialog's start more than once.
constexpr wchar_t kPageProperty[] = L"SZ_PROP_CUSTDLG";

const wchar_t* const kTextChoices[] = {L"ボタン名を表示しない", L"いくつかのボタン名を右側に表示する", L"ボタン名を表示する"};
const wchar_t* const kIconChoices[] = {L"小さいアイコン", L"大きいアイコン"};

void FillChoices(HWND combo, const wchar_t* const* choices, int count, int selected) {
    for (int i = 0; i < count; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices[i]));
    SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

bool SmallIconsStored() {
    UniqueRegKey key;
    SettingsOpen(SettingsArea::ToolBar, key);
    return SettingsRead(key.get(), ToolBarSettings::SmallIcon);
}

// The choices take effect when the customise dialog closes and takes the page with it.
void ApplyChoices(HWND page, HWND toolbar) {
    const auto text = static_cast<int>(SendDlgItemMessageW(page, IDC_TEXT_OPTIONS, CB_GETCURSEL, 0, 0));
    const auto icons = static_cast<int>(SendDlgItemMessageW(page, IDC_ICON_OPTIONS, CB_GETCURSEL, 0, 0));
    if (text >= 0) ApplyTextMode(toolbar, text);
    if (icons < 0) return;
    // The images are chosen when the bar is made: the size takes effect at the next start.
    UniqueRegKey key;
    if (SettingsCreate(SettingsArea::ToolBar, key)) SettingsWrite(key.get(), ToolBarSettings::SmallIcon, icons == 0);
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto toolbar = reinterpret_cast<HWND>(lParam);
        SetWindowLongPtrW(page, GWLP_USERDATA, lParam);
        FillChoices(GetDlgItem(page, IDC_TEXT_OPTIONS), kTextChoices, 3, TextModeOf(toolbar));
        FillChoices(GetDlgItem(page, IDC_ICON_OPTIONS), kIconChoices, 2, SmallIconsStored() ? 0 : 1);
        return FALSE;
    }
    case WM_DESTROY:
        RemovePropW(GetParent(page), kPageProperty);
        if (auto toolbar = reinterpret_cast<HWND>(GetWindowLongPtrW(page, GWLP_USERDATA)); toolbar && IsWindow(toolbar))
            ApplyChoices(page, toolbar);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int ReadTextMode(HKEY toolBarKey) {
    const int mode = SettingsRead(toolBarKey, ToolBarSettings::Mode);
    return mode >= 0 && mode <= 2 ? mode : ToolBarSettings::Mode.def;
}

int TextModeOf(HWND toolbar) {
    if (SendMessageW(toolbar, TB_GETTEXTROWS, 0, 0) == 0) return 0;
    return (SendMessageW(toolbar, TB_GETSTYLE, 0, 0) & TBSTYLE_LIST) ? 1 : 2;
}

DWORD ExtendedStyleFor(int mode) {
    return TBSTYLE_EX_DRAWDDARROWS | (mode == 2 ? 0 : TBSTYLE_EX_MIXEDBUTTONS);
}

void ApplyTextMode(HWND toolbar, int mode) {
    SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, ExtendedStyleFor(mode));
    DWORD style = static_cast<DWORD>(SendMessageW(toolbar, TB_GETSTYLE, 0, 0)) & ~TBSTYLE_LIST;
    if (mode == 1) style |= TBSTYLE_LIST;
    SendMessageW(toolbar, TB_SETSTYLE, 0, style);
    SendMessageW(toolbar, TB_SETMAXTEXTROWS, mode == 0 ? 0 : 1, 0);
    SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    HWND rebar = GetParent(toolbar);
    SetBandChildHeight(rebar, BandToolBar, ButtonHeight(toolbar));
    SetBandIdealWidth(rebar, BandToolBar, ButtonsRightEdge(toolbar));
}

void AddTextIconPage(HWND dialog, HWND toolbar) {
    if (!dialog || GetPropW(dialog, kPageProperty)) return;
    HWND page = CreateDialogParamW(GetModuleHandleW(nullptr), L"DLG_TEXTICONOPTIONS", dialog, PageProc,
                                   reinterpret_cast<LPARAM>(toolbar));
    if (!page) return;
    SetPropW(dialog, kPageProperty, page);
    RECT client{};
    GetClientRect(dialog, &client);
    RECT pageRect{};
    GetWindowRect(page, &pageRect);
    const int pageHeight = pageRect.bottom - pageRect.top;
    RECT outer{};
    GetWindowRect(dialog, &outer);
    SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + pageHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(page, HWND_BOTTOM, 0, client.bottom, client.right, pageHeight, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}
