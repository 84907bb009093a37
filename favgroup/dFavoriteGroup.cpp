#include "favgroup/dFavoriteGroup.h"

#include "app/Global.h"
#include "app/uPIDL.h"
#include "favgroup/uFavoriteGroup.h"
#include "res/resource.h"
#include "shell/uDpi.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kIndexProperty[] = L"Index";
constexpr int kFocusInset = 3;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

std::wstring ItemText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool AskDelete(HWND dialog) {
    return MessageBoxW(dialog, L"削除しますか?", L"確認", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

int Selected(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }

LPARAM RowData(HWND list, int row) { return SendMessageW(list, LB_GETITEMDATA, row, 0); }

std::wstring RowText(HWND list, int row) {
    std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

int AddRow(HWND list, const std::wstring& text, LPARAM data, int at = -1) {
    const int row = static_cast<int>(SendMessageW(list, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(text.c_str())));
    if (row >= 0) SendMessageW(list, LB_SETITEMDATA, row, data);
    return row;
}

// Moves the selected row one step up (-1) or down (+1); nothing at the ends.
void MoveSelectedRow(HWND list, int step) {
    const int row = Selected(list);
    const int target = row + step;
    if (row < 0 || target < 0 || target >= RowCount(list)) return;
    const std::wstring text = RowText(list, row);
    const LPARAM data = RowData(list, row);
    SendMessageW(list, LB_DELETESTRING, row, 0);
    AddRow(list, text, data, target);
    SendMessageW(list, LB_SETCURSEL, target, 0);
}

// ---------------------------------------------------------------------------
// Adding the open tabs as a group

INT_PTR AddGroupCommand(HWND dialog, WORD id) {
    if (id == IDOK) {
        AddTabsAsGroup(ItemText(dialog, IDC_GROUP_NEW_NAME));
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// Organising the groups

void ReadGroupRows(HWND list) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (int number : GroupOrder())
        if (GroupExists(number)) AddRow(list, GroupName(number), number);
}

// Every close stores the rows' order, so a reordering survives Escape.
void CloseOrganizer(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    std::vector<int> order;
    for (int row = 0, count = RowCount(list); row < count; ++row) order.push_back(static_cast<int>(RowData(list, row)));
    WriteGroupOrder(order);
    EndDialog(dialog, 1);
}

void EditGroupRow(HWND dialog, bool newGroup) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    const int row = Selected(list);
    if (!newGroup && row < 0) return;
    // The order is stored first: the editor appends a new group to it.
    std::vector<int> order;
    for (int i = 0, count = RowCount(list); i < count; ++i) order.push_back(static_cast<int>(RowData(list, i)));
    WriteGroupOrder(order);
    ShowGroupEditor(dialog, newGroup ? -1 : static_cast<int>(RowData(list, row)));
    ReadGroupRows(list);
    SendMessageW(list, LB_SETCURSEL, row, 0);
}

void DeleteGroupRow(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    const int row = Selected(list);
    if (row < 0 || !AskDelete(dialog)) return;
    DeleteGroup(static_cast<int>(RowData(list, row)));
    SendMessageW(list, LB_DELETESTRING, row, 0);
}

INT_PTR OrganizerCommand(HWND dialog, WORD id, WORD code) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    switch (id) {
    case IDC_GROUP_UP: MoveSelectedRow(list, -1); return TRUE;
    case IDC_GROUP_DOWN: MoveSelectedRow(list, 1); return TRUE;
    case IDC_GROUP_ADD: EditGroupRow(dialog, true); return TRUE;
    case IDC_GROUP_EDIT: EditGroupRow(dialog, false); return TRUE;
    case IDC_GROUP_DELETE: DeleteGroupRow(dialog); return TRUE;
    case IDC_GROUP_LIST:
        if (code == LBN_DBLCLK) EditGroupRow(dialog, false);
        return TRUE;
    case IDOK:
    case IDCANCEL: CloseOrganizer(dialog); return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// The editor of one group

std::wstring FolderText(PCIDLIST_ABSOLUTE folder) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(folder, path) && path[0]) return path;
    return PIDLDisplayName(folder);
}

// Rows own their ID lists; a row that goes frees its own.
void AddFolderRow(HWND list, PIDLIST_ABSOLUTE folder) {
    UniqueAbsolutePidl owned(folder);
    if (!owned) return;
    if (AddRow(list, FolderText(owned.get()), reinterpret_cast<LPARAM>(owned.get())) >= 0) owned.release();
}

void FreeFolderRow(HWND list, int row) {
    UniqueAbsolutePidl owned(reinterpret_cast<PIDLIST_ABSOLUTE>(RowData(list, row)));
}

int EditedNumber(HWND dialog) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(dialog, kIndexProperty)));
}

int CALLBACK BrowseStartsAtSelection(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageW(browser, BFFM_SETSELECTIONW, FALSE, data);
    return 0;
}

void BrowseForFolderRow(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    const int row = Selected(list);
    BROWSEINFOW browse{};
    browse.hwndOwner = dialog;
    browse.lpszTitle = L"追加するフォルダを選択してください";
    browse.lpfn = BrowseStartsAtSelection;
    browse.lParam = row >= 0 ? RowData(list, row) : 0;
    AddFolderRow(list, SHBrowseForFolderW(&browse));
}

void DeleteFolderRow(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    const int row = Selected(list);
    if (row < 0 || !AskDelete(dialog)) return;
    FreeFolderRow(list, row);
    SendMessageW(list, LB_DELETESTRING, row, 0);
}

void StoreEditedGroup(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    const std::wstring name = ItemText(dialog, IDC_GROUP_NAME);
    if (name.empty() || RowCount(list) == 0) return;
    std::vector<PCIDLIST_ABSOLUTE> folders;
    for (int row = 0, count = RowCount(list); row < count; ++row)
        folders.push_back(reinterpret_cast<PCIDLIST_ABSOLUTE>(RowData(list, row)));
    const int number = EditedNumber(dialog);
    const bool stored = number < 0 ? CreateGroup(name, folders) >= 0 : WriteGroup(number, name, folders);
    if (stored) EndDialog(dialog, 1);
}

void LoadEditedGroup(HWND dialog, int number) {
    SetPropW(dialog, kIndexProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number)));
    if (number < 0) return;
    SetDlgItemTextW(dialog, IDC_GROUP_NAME, GroupName(number).c_str());
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    for (UniqueAbsolutePidl& folder : GroupFolders(number)) AddFolderRow(list, folder.release());
}

void DrawArrowButton(const DRAWITEMSTRUCT& item) {
    UINT state = item.CtlID == IDC_GROUP_UP ? DFCS_SCROLLUP : DFCS_SCROLLDOWN;
    if (item.itemState & ODS_SELECTED) state |= DFCS_PUSHED;
    if (item.itemState & ODS_DISABLED) state |= DFCS_INACTIVE;
    RECT rect = item.rcItem;
    DrawFrameControl(item.hDC, &rect, DFC_SCROLL, state);
    if (item.itemState & ODS_FOCUS) {
        const int inset = ScaleForDpi(kFocusInset, DpiOf(item.hwndItem));
        InflateRect(&rect, -inset, -inset);
        DrawFocusRect(item.hDC, &rect);
    }
}

INT_PTR EditorCommand(HWND dialog, WORD id) {
    HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
    switch (id) {
    case IDC_GROUP_UP: MoveSelectedRow(list, -1); return TRUE;
    case IDC_GROUP_DOWN: MoveSelectedRow(list, 1); return TRUE;
    case IDC_GROUP_ADD: BrowseForFolderRow(dialog); return TRUE;
    case IDC_GROUP_DELETE: DeleteFolderRow(dialog); return TRUE;
    case IDOK: StoreEditedGroup(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 2); return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK AddGroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: SetDlgItemTextW(dialog, IDC_GROUP_NEW_NAME, L"新しいグループ"); return TRUE;
    case WM_COMMAND: return AddGroupCommand(dialog, LOWORD(wParam));
    }
    return FALSE;
}

INT_PTR CALLBACK OrganizeGroupsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: ReadGroupRows(GetDlgItem(dialog, IDC_GROUP_LIST)); return TRUE;
    case WM_COMMAND: return OrganizerCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

INT_PTR CALLBACK GroupEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: LoadEditedGroup(dialog, static_cast<int>(lParam)); return TRUE;
    case WM_COMMAND: return EditorCommand(dialog, LOWORD(wParam));
    case WM_DRAWITEM: DrawArrowButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DESTROY: {
        HWND list = GetDlgItem(dialog, IDC_GROUP_LIST);
        for (int row = RowCount(list) - 1; row >= 0; --row) FreeFolderRow(list, row);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        RemovePropW(dialog, kIndexProperty);
        return FALSE;
    }
    }
    return FALSE;
}

void ShowAddGroupDialog(HWND owner) { DialogBoxParamW(Instance(), kAddGroupDialog, owner, AddGroupDialogProc, 0); }

void ShowOrganizeGroupsDialog(HWND owner) {
    DialogBoxParamW(Instance(), kOrganizeGroupsDialog, owner, OrganizeGroupsDialogProc, 0);
}

INT_PTR ShowGroupEditor(HWND owner, int number) {
    return DialogBoxParamW(Instance(), kGroupEditorDialog, owner, GroupEditorDialogProc, number);
}
