// Opening what the folder view shows: its command table, folders in place or
// in new tabs, files by their default verb, and going up.

#include "folderview/wFolderView.h"

#include "app/Global.h"
#include "folderview/uFolderViewSettings.h"
#include "res/resource.h"
#include "shell/uContextMenuHost.h"

#include <shellapi.h>

#include <algorithm>

namespace {

constexpr wchar_t kTooManyFiles[] = L"実行するファイルが多すぎます。実行しますか？";
constexpr wchar_t kWarningCaption[] = L"警告";

}  // namespace

void TFolderView::ExecuteCommand(WORD command) {
    switch (command) {
    case IDM_GO_UP: GoUp(false, true); break;
    case IDM_GO_UP_NEW_TAB: GoUp(true, true); break;
    case IDM_OPEN: OpenSelection(0); break;
    case IDM_OPEN_NEW_TAB: OpenSelection(1); break;
    case IDM_OPEN_BACKGROUND: OpenSelection(2); break;
    case IDM_REFRESH: RefreshView(RefreshFull); break;
    case IDM_OPEN_ASSOCIATION: InvokeDefaultVerb(); break;
    case IDM_PROPERTIES: InvokeItemVerb(VerbProperties); break;
    case IDM_DELETE: InvokeItemVerb(VerbDelete); break;
    case IDM_RENAME: StartRename(); break;
    case IDM_SELECT_ALL: SelectAllItems(false); break;
    case IDM_INVERT_SELECTION: SelectAllItems(true); break;
    case IDM_COPY: InvokeItemVerb(VerbCopy); break;
    case IDM_NEW_FOLDER: NewFolder(); break;
    case IDM_EXTENDED_RENAME: ExtendedRename(); break;
    case IDM_PASTE: InvokeBackgroundVerb(VerbPaste); break;
    case IDM_CUT: InvokeItemVerb(VerbCut); break;
    case IDM_CONTEXT_MENU: ShowContextMenu(false); break;
    case IDM_CREATE_SHORTCUT: InvokeItemVerb(VerbLink); break;
    case IDM_PASTE_SHORTCUT: InvokeBackgroundVerb(VerbPasteLink); break;
    default:
        // Main-window commands go to the frame, which routes them back to
        // the pane they are aimed at.
        if ((command >= IDM_FIXED_FIRST && command < IDM_ITEM_FIRST) ||
            (command >= IDM_DYNAMIC_FIRST && command < IDM_LAUNCH_FIRST) ||
            (command >= IDM_SCRIPT_FIRST && command <= IDM_SCRIPT_LAST)) {
            Host->RunFrameCommand(command, ListView);
        }
        break;
    }
}

// The selected items, the focused one first when it is selected, then the
// others in list order.
std::vector<int> TFolderView::SelectedIndexes() const {
    std::vector<int> indexes;
    const int focused = ListView_GetNextItem(ListView, -1, LVNI_FOCUSED);
    if (focused >= 0 && (ListView_GetItemState(ListView, focused, LVIS_SELECTED) & LVIS_SELECTED))
        indexes.push_back(focused);
    for (int i = ListView_GetNextItem(ListView, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(ListView, i, LVNI_SELECTED)) {
        if (i != focused) indexes.push_back(i);
    }
    return indexes;
}

void TFolderView::OpenSelection(int mode) {
    const std::vector<int> selected = SelectedIndexes();
    if (selected.empty()) {
        const int focused = ListView_GetNextItem(ListView, -1, LVNI_FOCUSED);
        if (!FolderViewConfig().FocuseExecute || focused < 0) return;
        if (!TryOpenAsFolder(ItemIDList(focused), mode)) InvokeDefaultVerb();
        return;
    }
    // Opening a folder in place replaces the items, so the candidates are
    // copied before the first attempt.
    std::vector<UniqueChildPidl> candidates;
    for (int index : selected) candidates.emplace_back(PIDLClone(ItemIDList(index)));
    for (const UniqueChildPidl& candidate : candidates) {
        if (candidate && TryOpenAsFolder(candidate.get(), mode)) return;
    }
    InvokeDefaultVerb();
}

bool TFolderView::TryOpenAsFolder(PCUITEMID_CHILD relative, int mode) {
    if (!relative || !Folder) return false;
    UniqueChildPidl item(PIDLClone(relative));
    PCUITEMID_CHILD itemList = item.get();
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_LINK;
    if (FAILED(Folder->GetAttributesOf(1, &itemList, &attributes))) return false;
    if (attributes & SFGAO_FOLDER) {
        ComPtr<IShellFolder> folder = Folder;
        UniqueAbsolutePidl folderList(PIDLClone(AbsoluteIDList));
        return OpenFolderTarget(folder.get(), folderList.get(), itemList, mode);
    }
    if (!(attributes & SFGAO_LINK)) return false;

    ComPtr<IShellLinkW> link;
    if (FAILED(Folder->GetUIObjectOf(Host->DialogOwner(), 1, &itemList, IID_IShellLinkW, nullptr, link.putVoid())) || !link)
        return false;
    // A link that cannot be resolved has been dealt with (the shell said why):
    // it must not be executed either.
    if (FAILED(link->Resolve(Host->DialogOwner(), SLR_UPDATE))) return true;
    UniqueAbsolutePidl target;
    if (FAILED(link->GetIDList(target.put())) || !target) return false;
    if (target.get()->mkid.cb == 0) {
        if (mode == 0)
            BrowseTo(target.release(), true, nullptr);
        else
            Host->OpenInNewTab(target.release(), mode == 1, nullptr);
        return true;
    }
    UniqueAbsolutePidl parentList(PIDLParent(target.get()));
    ComPtr<IShellFolder> parent;
    if (!parentList || !PIDLBindFolder(parentList.get(), parent.put())) return false;
    PCUITEMID_CHILD last = PIDLLastChild(target.get());
    SFGAOF targetAttributes = SFGAO_FOLDER;
    if (FAILED(parent->GetAttributesOf(1, &last, &targetAttributes)) || !(targetAttributes & SFGAO_FOLDER))
        return false;
    return OpenFolderTarget(parent.get(), parentList.get(), last, mode);
}

bool TFolderView::OpenFolderTarget(IShellFolder* parent, PCIDLIST_ABSOLUTE parentList, PCUITEMID_CHILD relative,
                                   int mode) {
    UniqueAbsolutePidl absolute(PIDLAppend(parentList, relative));
    if (!absolute) return false;
    if (mode == 0)
        BrowseChild(parent, absolute.release(), relative);
    else
        Host->OpenInNewTab(absolute.release(), mode == 1, nullptr);
    return true;
}

void TFolderView::InvokeDefaultVerb() {
    const FolderViewSettings& settings = FolderViewConfig();
    std::vector<int> items = SelectedIndexes();
    if (!items.empty()) {
        if (settings.AlertCount != 0 && items.size() >= settings.AlertCount &&
            MessageBoxW(Host->DialogOwner(), kTooManyFiles, kWarningCaption, MB_ICONWARNING | MB_OKCANCEL) != IDOK)
            return;
        items = VerbItemIndexes();
    } else {
        const int focused = ListView_GetNextItem(ListView, -1, LVNI_FOCUSED);
        if (!settings.FocuseExecute || focused < 0) return;
        items.push_back(focused);
    }

    // Running one item may pump messages that change the list, so every
    // target is taken before the first runs.
    std::vector<UniqueAbsolutePidl> targets;
    for (int index : items) targets.emplace_back(PIDLAppend(AbsoluteIDList, ItemIDList(index)));
    const std::wstring directory = PIDLPathOrName(AbsoluteIDList);
    for (const UniqueAbsolutePidl& target : targets) {
        if (!target) continue;
        SHELLEXECUTEINFOW execute{sizeof(execute)};
        execute.fMask = SEE_MASK_IDLIST;
        execute.hwnd = Host->DialogOwner();
        execute.lpIDList = target.get();
        execute.lpDirectory = directory.c_str();
        execute.nShow = SW_SHOWNORMAL;
        ShellExecuteExW(&execute);
    }
}

// The cut marks last until the clipboard next changes: the first change after
// the cut takes them away and the view leaves the viewer chain.
LRESULT TFolderView::OnClipboardChain(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHANGECBCHAIN) {
        if (reinterpret_cast<HWND>(wParam) == NextViewer)
            NextViewer = reinterpret_cast<HWND>(lParam);
        else if (NextViewer)
            SendMessageW(NextViewer, message, wParam, lParam);
        return 0;
    }
    if (message != WM_DRAWCLIPBOARD) return 0;
    if (NextViewer) SendMessageW(NextViewer, message, wParam, lParam);
    if (!InClipboardChain || GetClipboardSequenceNumber() == CutClipboardSequence) return 0;
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        if (std::find(CutItems.begin(), CutItems.end(), ItemIDList(i)) != CutItems.end())
            ListView_SetItemState(ListView, i, 0, LVIS_CUT);
    }
    LeaveClipboardChain();
    return 0;
}

void TFolderView::LeaveClipboardChain() {
    if (!InClipboardChain) return;
    ChangeClipboardChain(ChildWindow, NextViewer);
    NextViewer = nullptr;
    InClipboardChain = false;
    CutItems.clear();
}
