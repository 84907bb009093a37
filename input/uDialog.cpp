// The key assignment dialog. Each row of its list keeps its binding in the
// item's parameter: the packed key code in the high word, the command in the low.

#include "input/uDialog.h"

#include "app/uFrameLink.h"
#include "input/uKeyAssign.h"
#include "res/resource.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kModeProperty[] = L"mode";
constexpr wchar_t kWholeProgramTitle[] = L"全体のキーボード設定";
constexpr wchar_t kListTitle[] = L"リストビューのキーボード設定";

WORD DialogMode(HWND dialog) {
    return static_cast<WORD>(reinterpret_cast<UINT_PTR>(GetPropW(dialog, kModeProperty)));
}

// The command picked last; 0 when none is.
WORD CurrentCommand(HWND dialog) {
    return static_cast<WORD>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void SetCurrentCommand(HWND dialog, WORD command) {
    SetWindowLongPtrW(dialog, DWLP_USER, command);
}

bool IsPickableCommand(UINT id) {
    return (id >= IDM_FIXED_FIRST && id <= IDM_FIXED_LAST) || (id >= IDM_DYNAMIC_FIRST && id <= IDM_SCRIPT_LAST);
}

HWND RowList(HWND dialog) {
    return GetDlgItem(dialog, IDC_SHORTCUT_LIST);
}

LPARAM RowBinding(WORD packedKey, WORD command) {
    return static_cast<LPARAM>((static_cast<DWORD>(packedKey) << 16) | command);
}

DWORD RowParam(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!ListView_GetItem(list, &item)) return 0;
    return static_cast<DWORD>(item.lParam);
}

int SelectedRow(HWND dialog) {
    return ListView_GetNextItem(RowList(dialog), -1, LVNI_SELECTED);
}

// The command of the selected row, or 0 without a selection.
WORD SelectedRowCommand(HWND dialog) {
    const int row = SelectedRow(dialog);
    return row >= 0 ? LOWORD(RowParam(RowList(dialog), row)) : 0;
}

void SetRowTexts(HWND dialog, int row, WORD packedKey, WORD command) {
    HWND list = RowList(dialog);
    std::wstring keyText = KeyText(packedKey);
    std::wstring name = KeyDialogCommandName(GetMenu(dialog), command);
    ListView_SetItemText(list, row, 0, keyText.data());
    ListView_SetItemText(list, row, 1, name.data());
}

void AppendRow(HWND dialog, WORD packedKey, WORD command) {
    HWND list = RowList(dialog);
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = const_cast<wchar_t*>(L"");
    item.lParam = RowBinding(packedKey, command);
    const int row = ListView_InsertItem(list, &item);
    if (row >= 0) SetRowTexts(dialog, row, packedKey, command);
}

// The key the list box and the check boxes describe; its key byte is 0 for "なし".
WORD ChosenKey(HWND dialog) {
    const LRESULT index = SendDlgItemMessageW(dialog, IDC_SHORTCUT_KEYS, LB_GETCURSEL, 0, 0);
    const std::span<const TKeyItem> keys = KeyItems();
    if (index < 0 || static_cast<std::size_t>(index) >= keys.size()) return 0;
    WORD packed = keys[static_cast<std::size_t>(index)].Key;
    if (IsDlgButtonChecked(dialog, IDC_SHORTCUT_SHIFT) == BST_CHECKED) packed |= kPackedShift;
    if (IsDlgButtonChecked(dialog, IDC_SHORTCUT_CTRL) == BST_CHECKED) packed |= kPackedCtrl;
    if (IsDlgButtonChecked(dialog, IDC_SHORTCUT_ALT) == BST_CHECKED) packed |= kPackedAlt;
    return packed;
}

void ShowKey(HWND dialog, WORD packedKey) {
    const std::size_t index = KeyItemIndex(static_cast<BYTE>(packedKey & 0xFF)).value_or(0);
    SendDlgItemMessageW(dialog, IDC_SHORTCUT_KEYS, LB_SETCURSEL, index, 0);
    CheckDlgButton(dialog, IDC_SHORTCUT_SHIFT, (packedKey & kPackedShift) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SHORTCUT_CTRL, (packedKey & kPackedCtrl) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SHORTCUT_ALT, (packedKey & kPackedAlt) ? BST_CHECKED : BST_UNCHECKED);
}

void EnableAddAndModify(HWND dialog, bool add, bool modify) {
    EnableWindow(GetDlgItem(dialog, IDC_SHORTCUT_ADD), add);
    EnableWindow(GetDlgItem(dialog, IDC_SHORTCUT_MODIFY), modify);
}

void PickCommand(HWND dialog, WORD command) {
    SetCurrentCommand(dialog, command);
    SetDlgItemTextW(dialog, IDC_SHORTCUT_NAME, KeyDialogCommandName(GetMenu(dialog), command).c_str());
    ShowKey(dialog, 0);
    EnableAddAndModify(dialog, false, false);
    const int row = SelectedRow(dialog);
    if (row < 0) return;
    const DWORD binding = RowParam(RowList(dialog), row);
    if (LOWORD(binding) != command) return;
    ShowKey(dialog, HIWORD(binding));
    EnableAddAndModify(dialog, true, true);
}

// True when a command is picked and a real key chosen.
bool CanBind(HWND dialog) {
    return CurrentCommand(dialog) != 0 && (ChosenKey(dialog) & 0xFF) != 0;
}

void OnKeySelectionChanged(HWND dialog) {
    const bool add = CanBind(dialog);
    EnableAddAndModify(dialog, add, add && SelectedRowCommand(dialog) == CurrentCommand(dialog));
}

void OnAdd(HWND dialog) {
    if (CanBind(dialog)) AppendRow(dialog, ChosenKey(dialog), CurrentCommand(dialog));
}

void OnModify(HWND dialog) {
    const int row = SelectedRow(dialog);
    if (!CanBind(dialog) || row < 0 || SelectedRowCommand(dialog) != CurrentCommand(dialog)) return;
    const WORD key = ChosenKey(dialog);
    const WORD command = CurrentCommand(dialog);
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = RowBinding(key, command);
    ListView_SetItem(RowList(dialog), &item);
    SetRowTexts(dialog, row, key, command);
}

void OnDelete(HWND dialog) {
    const int row = SelectedRow(dialog);
    if (row >= 0) ListView_DeleteItem(RowList(dialog), row);
}

void OnOk(HWND dialog) {
    HWND list = RowList(dialog);
    const int count = ListView_GetItemCount(list);
    if (DialogMode(dialog) == IDM_KEYS_PROGRAM) {
        std::vector<ACCEL> entries;
        for (int row = 0; row < count; ++row) {
            const DWORD binding = RowParam(list, row);
            const TStoredAccel entry = AccelFromPacked(HIWORD(binding), LOWORD(binding));
            entries.push_back(ACCEL{entry.fVirt, entry.key, entry.cmd});
        }
        SetWholeProgramEntries(entries);
    } else {
        std::vector<TKeyCommand> keys;
        for (int row = 0; row < count; ++row) {
            const DWORD binding = RowParam(list, row);
            keys.push_back(TKeyCommand{LOWORD(binding), HIWORD(binding)});
        }
        ListKeys() = std::move(keys);
    }
    if (HWND frame = FrameLink().window; frame && IsWindow(frame))
        InstallMainMenu(frame, FrameLink().mdiClient);
    EndDialog(dialog, 1);
}

// The menu bar takes its height from the client area the template laid out.
void AttachMenuCopy(HWND dialog) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), L"MAINMENU");
    if (!menu) return;
    RECT before{};
    GetClientRect(dialog, &before);
    SetMenu(dialog, menu);
    RECT after{};
    GetClientRect(dialog, &after);
    RECT window{};
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top + (before.bottom - after.bottom), SWP_NOMOVE | SWP_NOZORDER);
}

void InitRowList(HWND dialog, WORD mode) {
    HWND list = RowList(dialog);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(L"キー");
    column.cx = 85;
    ListView_InsertColumn(list, 0, &column);
    column.pszText = const_cast<wchar_t*>(L"名前");
    column.cx = 175;
    ListView_InsertColumn(list, 1, &column);
    if (mode == IDM_KEYS_PROGRAM) {
        for (const ACCEL& entry : WholeProgramEntries())
            AppendRow(dialog, PackedKeyFromAccel(entry.fVirt, entry.key), entry.cmd);
    } else {
        for (const TKeyCommand& entry : ListKeys()) AppendRow(dialog, entry.Key, entry.Command);
    }
}

void OnInitDialog(HWND dialog, WORD mode) {
    SetPropW(dialog, kModeProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(mode)));
    SetWindowTextW(dialog, mode == IDM_KEYS_PROGRAM ? kWholeProgramTitle : kListTitle);
    AttachMenuCopy(dialog);
    for (const TKeyItem& key : KeyItems())
        SendDlgItemMessageW(dialog, IDC_SHORTCUT_KEYS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key.Name));
    InitRowList(dialog, mode);
    PickCommand(dialog, 0);
}

bool OnCommand(HWND dialog, WORD id, WORD code, HWND control) {
    switch (id) {
    case IDOK: OnOk(dialog); return true;
    case IDCANCEL: EndDialog(dialog, 2); return true;
    case IDC_SHORTCUT_ADD: OnAdd(dialog); return true;
    case IDC_SHORTCUT_MODIFY: OnModify(dialog); return true;
    case IDC_SHORTCUT_DELETE: OnDelete(dialog); return true;
    case IDC_SHORTCUT_KEYS:
        if (code == LBN_SELCHANGE) OnKeySelectionChanged(dialog);
        return true;
    default:
        // Only the dialog's own menu sends commands without a control.
        if (!control && code == 0 && IsPickableCommand(id)) {
            PickCommand(dialog, id);
            return true;
        }
        return false;
    }
}

void OnRowChanged(HWND dialog, const NMLISTVIEW* change) {
    if (!(change->uChanged & LVIF_STATE) || change->iItem < 0) return;
    if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
        PickCommand(dialog, LOWORD(RowParam(RowList(dialog), change->iItem)));
}

INT_PTR CALLBACK KeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, static_cast<WORD>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_SHORTCUT_LIST && header->code == LVN_ITEMCHANGED)
            OnRowChanged(dialog, reinterpret_cast<const NMLISTVIEW*>(lParam));
        return FALSE;
    }
    case WM_DESTROY:
        RemovePropW(dialog, kModeProperty);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

std::wstring KeyDialogCommandName(HMENU menu, WORD command) {
    // Launch items and scripts are named by their lists once those exist;
    // until then their commands show as numbers.
    if (command >= IDM_LAUNCH_FIRST && command <= IDM_SCRIPT_LAST) return std::to_wstring(command);
    wchar_t caption[512] = {};
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = ARRAYSIZE(caption);
    if (!menu || !GetMenuItemInfoW(menu, command, FALSE, &info)) return {};
    std::wstring name(caption);
    return name.substr(0, name.find(L'('));
}

INT_PTR RunKeyAssignDialog(HWND owner, WORD mode) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MENU_SHORTCUT), owner, KeyDialogProc,
                           mode);
}

HWND CreateKeyAssignDialog(HWND owner, WORD mode) {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MENU_SHORTCUT), owner, KeyDialogProc,
                              mode);
}
