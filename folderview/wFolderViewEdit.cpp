// What the folder view does to its items: the shell's verbs on the selection
// and on the background, the cut marks, renaming in place, a new folder, and
// selecting all or the others.

#include "folderview/wFolderView.h"

#include "app/Global.h"
#include "app/Handles.h"
#include "folderview/uItemNames.h"
#include "res/resource.h"
#include "shell/uCapabilities.h"
#include "shell/uContextMenuHost.h"
#include "shell/uUndo.h"

#include <algorithm>
#include <set>

namespace {

constexpr wchar_t kErrorCaption[] = L"エラー";
constexpr wchar_t kNameTaken[] = L"同じ名前のファイルまたはフォルダが既にあります。\n別の名前を指定してください。";
// The folder's flags for a name typed by the user; a hidden extension is added back by the folder.
constexpr SHGDNF kRenameFlags = 0xE0;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

// The names directly inside a file-system folder.
std::set<std::wstring> NamesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data{};
    UniqueFindHandle find(FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find) return names;
    do {
        if (lstrcmpW(data.cFileName, L".") != 0 && lstrcmpW(data.cFileName, L"..") != 0) names.insert(data.cFileName);
    } while (FindNextFileW(find.get(), &data));
    return names;
}

}  // namespace

// The item set of verbs: the selection in selection order, and checked items
// after it when the list has check boxes.
std::vector<int> TFolderView::VerbItemIndexes() const {
    std::vector<int> items = SelectedIndexes();
    if (!CheckBoxes) return items;
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        if (ListView_GetCheckState(ListView, i) && std::find(items.begin(), items.end(), i) == items.end())
            items.push_back(i);
    }
    return items;
}

ComPtr<IContextMenu> TFolderView::VerbItemsMenu() const {
    std::vector<PCUITEMID_CHILD> items;
    for (int index : VerbItemIndexes())
        if (PCUITEMID_CHILD item = ItemIDList(index)) items.push_back(item);
    if (items.empty() || !Folder) return ComPtr<IContextMenu>();
    return CreateItemsMenu(Host->DialogOwner(), Folder.get(), AbsoluteIDList, static_cast<UINT>(items.size()),
                           items.data());
}

void TFolderView::InvokeItemVerb(int verb) {
    ComPtr<IContextMenu> menu = VerbItemsMenu();
    if (!menu) return;
    // The items that go are those of the verb; the marks belong to them.
    std::vector<PCUITEMID_CHILD> cut;
    if (verb == VerbCut)
        for (int index : VerbItemIndexes()) cut.push_back(ItemIDList(index));
    if (FAILED(TContextMenu::InvokeVerb(menu.get(), verb))) return;
    if (verb == VerbCut) MarkCutItems(cut);
}

void TFolderView::InvokeBackgroundVerb(int verb) {
    ComPtr<IContextMenu> menu = CreateBackgroundMenu(Folder.get(), AbsoluteIDList);
    if (menu) TContextMenu::InvokeVerb(menu.get(), verb);
}

void TFolderView::MarkCutItems(const std::vector<PCUITEMID_CHILD>& items) {
    LeaveClipboardChain();
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) ListView_SetItemState(ListView, i, 0, LVIS_CUT);
    CutItems = items;
    for (PCUITEMID_CHILD item : CutItems) {
        for (int i = 0; i < count; ++i)
            if (ItemIDList(i) == item) ListView_SetItemState(ListView, i, LVIS_CUT, LVIS_CUT);
    }
    NextViewer = SetClipboardViewer(ChildWindow);
    // Joining the chain announces the clipboard as it is; only a later change ends the marks.
    CutClipboardSequence = GetClipboardSequenceNumber();
    InClipboardChain = true;
}

void TFolderView::SelectAllItems(bool invert) {
    StatusEnabled = false;
    if (invert) {
        const int count = ItemCount();
        for (int i = 0; i < count; ++i) {
            const UINT state = ListView_GetItemState(ListView, i, LVIS_SELECTED);
            ListView_SetItemState(ListView, i, (state & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        }
    } else {
        ListView_SetItemState(ListView, -1, LVIS_SELECTED, LVIS_SELECTED);
    }
    StatusEnabled = true;
    RestartStatusTimer();
}

void TFolderView::StartRename() {
    const int focused = ListView_GetNextItem(ListView, -1, LVNI_FOCUSED);
    if (focused < 0) return;
    SetFocus(ListView);
    ListView_EditLabel(ListView, focused);
}

bool TFolderView::RefuseLabelEdit(const NMLVDISPINFOW& info) const {
    PCUITEMID_CHILD item = ItemIDList(info.item.iItem);
    if (!item || !Folder) return true;
    SFGAOF attributes = SFGAO_CANRENAME;
    return FAILED(Folder->GetAttributesOf(1, &item, &attributes)) || !(attributes & SFGAO_CANRENAME);
}

// The list never keeps the typed text: the new name comes from the folder.
void TFolderView::FinishLabelEdit(const NMLVDISPINFOW& info) {
    if (!info.item.pszText || !Folder) return;
    const int index = info.item.iItem;
    PCUITEMID_CHILD item = ItemIDList(index);
    if (!item) return;
    const std::wstring typed = info.item.pszText;
    const std::wstring folderPath = FileSystemFolder ? PIDLFileSystemPath(AbsoluteIDList) : std::wstring();
    const std::wstring oldName = ParsingName(item);
    if (!folderPath.empty() && !oldName.empty()) {
        if (const std::wstring problem = NameProblem(typed); !problem.empty()) {
            MessageBoxW(Host->DialogOwner(), problem.c_str(), kErrorCaption, MB_ICONERROR | MB_OK);
            return;
        }
        // The folder adds back an extension the list hides.
        std::wstring finalName = typed;
        wchar_t shown[MAX_PATH] = {};
        ListView_GetItemText(ListView, index, 0, shown, MAX_PATH);
        const std::wstring shownName = shown;
        if (oldName.size() > shownName.size() && oldName.compare(0, shownName.size(), shownName) == 0 &&
            oldName[shownName.size()] == L'.')
            finalName += oldName.substr(shownName.size());
        // Only the letter case may change without a free name.
        if (!SameParsingName(finalName, oldName) && Exists(JoinPath(folderPath, finalName))) {
            MessageBoxW(Host->DialogOwner(), kNameTaken, kErrorCaption, MB_ICONERROR | MB_OK);
            return;
        }
        if (finalName == oldName) return;
    }
    UniqueChildPidl renamed;
    if (FAILED(Folder->SetNameOf(ListView, item, typed.c_str(), kRenameFlags, renamed.put())) || !renamed) return;
    if (const std::wstring newName = ParsingName(renamed.get()); !folderPath.empty() && !newName.empty())
        RecordUndo({UndoKind::Rename, {{JoinPath(folderPath, oldName), JoinPath(folderPath, newName)}}});
    // A change notification may have been quicker: the item is listed under its new name already.
    if (FindItem(renamed.get()) >= 0) return;
    const int now = ItemIDList(index) == item ? index : FindItem(item);
    if (now < 0) return;
    SetItemIDList(now, renamed.release());
    ResetItem(now);
}

// Runs `invoke`, which may make one new item in the folder (a new folder, an
// item of the shell's New menu), and puts that item into rename at once. The
// item is found by what appeared, not by waiting for the folder's change
// notification, which may come later or not at all.
void TFolderView::RenameWhatAppears(const std::function<void()>& invoke) {
    const std::wstring folderPath = FileSystemFolder ? PIDLFileSystemPath(AbsoluteIDList) : std::wstring();
    const std::set<std::wstring> before = folderPath.empty() ? std::set<std::wstring>() : NamesIn(folderPath);
    const LONG generation = Generation;
    RenameNew = true;
    invoke();
    RenameNew = false;
    if (Generation != generation || folderPath.empty()) return;
    std::vector<std::wstring> appeared;
    for (const std::wstring& name : NamesIn(folderPath))
        if (!before.count(name)) appeared.push_back(name);
    if (appeared.size() != 1) return;
    UniqueChildPidl child = ParseChild(appeared.front());
    if (!child) return;
    const std::wstring made = JoinPath(folderPath, appeared.front());
    const DWORD attributes = GetFileAttributesW(made.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        RecordUndo({UndoKind::NewFolder, {{std::wstring(), made}}});
    UniqueAbsolutePidl absolute(PIDLAppend(AbsoluteIDList, child.get()));
    AddOrUpdate(absolute.get());
    const int index = FindItem(child.get());
    if (index < 0) return;
    FocusAndSelect(index);
    StartRename();
}

void TFolderView::NewFolder() {
    ComPtr<IContextMenu> menu = CreateBackgroundMenu(Folder.get(), AbsoluteIDList);
    if (!menu) return;
    RenameWhatAppears([&] {
        UniqueMenu popup(CreatePopupMenu());
        if (!popup || FAILED(menu->QueryContextMenu(popup.get(), 0, kContextMenuFirstId, kContextMenuLastId, 0)))
            return;
        CMINVOKECOMMANDINFO info{};
        info.cbSize = sizeof(info);
        info.hwnd = Host->DialogOwner();
        info.lpVerb = "NewFolder";
        info.nShow = SW_SHOWNORMAL;
        menu->InvokeCommand(&info);
    });
}
