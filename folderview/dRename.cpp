// The extended rename: one dialog per selected item, the name whole or split
// into base and extension, the rename itself left to SHFileOperationW so that
// it can be undone.

#include "folderview/dRename.h"
#include "folderview/wFolderView.h"

#include "app/Handles.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemNames.h"
#include "res/resource.h"
#include "shell/uUndo.h"

#include <shellapi.h>

namespace {

constexpr wchar_t kErrorCaption[] = L"エラー";

struct RenameDialogState {
    std::wstring folder;  // up to and including the last "\"
    std::wstring name;
    bool directory = false;
    UniqueIcon icon;
};

std::wstring ItemText(HWND dialog, int id) {
    HWND edit = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    text.resize(wcslen(text.c_str()));
    return text;
}

void ShowSplit(HWND dialog, bool split) {
    ShowWindow(GetDlgItem(dialog, IDC_RENAME_WHOLE), split ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_RENAME_BASE), split ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(dialog, IDC_RENAME_EXTENSION), split ? SW_SHOW : SW_HIDE);
    HWND edit = GetDlgItem(dialog, split ? IDC_RENAME_BASE : IDC_RENAME_WHOLE);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void SetSplitText(HWND dialog, const std::wstring& name) {
    const SplitName split = SplitFileName(name);
    SetDlgItemTextW(dialog, IDC_RENAME_BASE, split.base.c_str());
    SetDlgItemTextW(dialog, IDC_RENAME_EXTENSION, split.extension.c_str());
}

void OnInit(HWND dialog, RenameDialogState& state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    const std::wstring path = state.folder + state.name;
    SHFILEINFOW info{};
    if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON)) state.icon.reset(info.hIcon);
    SendDlgItemMessageW(dialog, IDC_RENAME_ICON, STM_SETICON, reinterpret_cast<WPARAM>(state.icon.get()), 0);
    SetDlgItemTextW(dialog, IDC_RENAME_FOLDER, state.folder.c_str());
    SetDlgItemTextW(dialog, IDC_RENAME_OLD, state.name.c_str());
    const bool split = !state.directory && FolderViewConfig().SplitFileName;
    if (state.directory) ShowWindow(GetDlgItem(dialog, IDC_RENAME_SPLIT), SW_HIDE);
    CheckDlgButton(dialog, IDC_RENAME_SPLIT, split ? BST_CHECKED : BST_UNCHECKED);
    if (split)
        SetSplitText(dialog, state.name);
    else
        SetDlgItemTextW(dialog, IDC_RENAME_WHOLE, state.name.c_str());
    ShowSplit(dialog, split);
}

void OnToggleSplit(HWND dialog) {
    const bool split = IsDlgButtonChecked(dialog, IDC_RENAME_SPLIT) == BST_CHECKED;
    if (split) {
        SetSplitText(dialog, ItemText(dialog, IDC_RENAME_WHOLE));
    } else {
        const std::wstring whole = JoinFileName(ItemText(dialog, IDC_RENAME_BASE), ItemText(dialog, IDC_RENAME_EXTENSION));
        SetDlgItemTextW(dialog, IDC_RENAME_WHOLE, whole.c_str());
    }
    FolderViewConfig().SplitFileName = split;
    ShowSplit(dialog, split);
}

// False when the name is refused and the dialog stays open.
bool OnOk(HWND dialog, const RenameDialogState& state) {
    const bool split = IsDlgButtonChecked(dialog, IDC_RENAME_SPLIT) == BST_CHECKED;
    const std::wstring name = split ? JoinFileName(ItemText(dialog, IDC_RENAME_BASE), ItemText(dialog, IDC_RENAME_EXTENSION))
                                    : ItemText(dialog, IDC_RENAME_WHOLE);
    if (name == state.name) return true;
    // A "\" or "/" would move the item elsewhere, and the platform does not
    // refuse every other character a name cannot hold.
    if (const std::wstring problem = NameProblem(name); !problem.empty()) {
        MessageBoxW(dialog, problem.c_str(), kErrorCaption, MB_ICONERROR | MB_OK);
        return false;
    }
    const std::wstring from = state.folder + state.name + L'\0';
    const std::wstring to = state.folder + name + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = dialog;
    operation.wFunc = FO_RENAME;
    operation.pFrom = from.c_str();
    operation.pTo = to.c_str();
    operation.fFlags = FOF_ALLOWUNDO;
    if (SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted)
        RecordUndo({UndoKind::Rename, {{state.folder + state.name, state.folder + name}}});
    return true;
}

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<RenameDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, *reinterpret_cast<RenameDialogState*>(lParam));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_RENAME_SPLIT:
            if (HIWORD(wParam) == BN_CLICKED) OnToggleSplit(dialog);
            return TRUE;
        case IDOK:
            if (state && OnOk(dialog, *state)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
        case IDC_RENAME_ABORT_ALL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool ExtendedRenamePath(HWND owner, const std::wstring& path) {
    RenameDialogState state;
    const size_t slash = path.find_last_of(L'\\');
    state.folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    state.name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    state.directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), L"IDD_RENAME", owner, RenameDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    return result != IDC_RENAME_ABORT_ALL && result != -1;
}

void TFolderView::ExtendedRename() {
    // The dialogs rename items under the list, so every path is taken first.
    std::vector<std::wstring> paths;
    for (int index : VerbItemIndexes()) {
        UniqueAbsolutePidl absolute(PIDLAppend(AbsoluteIDList, ItemIDList(index)));
        if (absolute) paths.push_back(PIDLPathOrName(absolute.get()));
    }
    for (const std::wstring& path : paths)
        if (!ExtendedRenamePath(ListView, path)) return;
}
