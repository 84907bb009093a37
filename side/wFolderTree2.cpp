#include "side/wFolderTree2.h"

#include "app/Global.h"
#include "app/uCommandRegistry.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "folderview/dRename.h"
#include "input/uKeyAssign.h"
#include "mdi/uBarsRoute.h"
#include "mdi/wMDIChild.h"
#include "res/resource.h"
#include "shell/uContextMenuHost.h"
#include "shell/uDpi.h"
#include "side/uFolderTreeNodes.h"
#include "side/wSideBase.h"

#include <windowsx.h>

#include <utility>

namespace {

constexpr int kTreeIdentifier = 1;
constexpr DWORD kStyleBits = 0x1FFF;
// The expand or collapse half of a notification's action.
constexpr UINT kExpandActionMask = 0x0003;

void LoadSettings(FolderTreeSettings& settings) {
    UniqueRegKey key;
    SettingsOpen(SettingsArea::FolderTree, key);
    HKEY k = key.get();
    settings.style = static_cast<DWORD>(SettingsReadInt(k, L"Style", 11)) & kStyleBits;
    settings.focusList = SettingsReadBool(k, L"FocusList", false);
    settings.expandDrag = SettingsReadBool(k, L"ExpandDrag", true);
    settings.syncEnter = SettingsReadBool(k, L"SyncEnter", false);
    settings.openShift = static_cast<BYTE>(SettingsReadInt(k, L"OpenShift", 0));
    settings.newWindowShift = static_cast<BYTE>(SettingsReadInt(k, L"NewWindowShift", 1));
    settings.backGroundShift = static_cast<BYTE>(SettingsReadInt(k, L"BackGroundShift", 3));
    settings.showHidden = SettingsReadBool(k, L"ShowHidden", false);
    settings.middleClickOpenMethod = SettingsReadInt(k, L"MClickOpenMethod", 1);
    UniqueRegKey tree;
    SettingsOpen(SettingsArea::Tree, tree);
    settings.dragTime = static_cast<DWORD>(SettingsReadInt(tree.get(), L"DragTime", 2000));
}

// Style belongs to the options dialog, which writes it itself.
void SaveSettings(const FolderTreeSettings& settings) {
    UniqueRegKey key;
    if (!SettingsCreate(SettingsArea::FolderTree, key)) return;
    HKEY k = key.get();
    SettingsWriteBool(k, L"FocusList", settings.focusList);
    SettingsWriteBool(k, L"ExpandDrag", settings.expandDrag);
    SettingsWriteBool(k, L"SyncEnter", settings.syncEnter);
    SettingsWriteInt(k, L"OpenShift", settings.openShift);
    SettingsWriteInt(k, L"NewWindowShift", settings.newWindowShift);
    SettingsWriteInt(k, L"BackGroundShift", settings.backGroundShift);
    SettingsWriteBool(k, L"ShowHidden", settings.showHidden);
    SettingsWriteInt(k, L"MClickOpenMethod", settings.middleClickOpenMethod);
}

// The modifier set (1 Shift, 2 Ctrl, 4 Alt) is the packed key code's modifier byte.
BYTE HeldModifierSet() { return static_cast<BYTE>(HeldKeyModifiers() >> 8); }

// The open mode the modifiers held now choose, or -1 for none.
int HeldOpenMode() {
    const FolderTreeSettings& settings = TreeState().settings;
    const BYTE held = HeldModifierSet();
    if (held == settings.openShift) return TargetActive;
    if (held == settings.newWindowShift) return TargetNew;
    if (held == settings.backGroundShift) return TargetBackground;
    return -1;
}

TTreeNode* SelectedNode() { return NodeOf(TreeView_GetSelection(TreeState().tree)); }

bool OpenNode(TTreeNode* node, int mode) {
    if (!node || mode < 0) return false;
    UniqueAbsolutePidl folder = NodeAbsolute(*node);
    if (!folder) return false;
    RequestNavigate(folder.get(), OriginFolderTree, mode, nullptr);
    return true;
}

void OpenSelectedByModifiers() { OpenNode(SelectedNode(), HeldOpenMode()); }

void OnSelectionChanged(const NMTREEVIEWW& change) {
    FolderTreeState& state = TreeState();
    if (change.action == TVC_BYMOUSE) {
        if (IsWindowVisible(state.tree)) OpenNode(NodeOf(change.itemNew.hItem), HeldOpenMode());
    } else if (change.action == TVC_BYKEYBOARD && !state.settings.syncEnter) {
        // Keys held down move the selection quickly: only where it rests opens.
        state.selectionPending =
            SetTimer(state.pane, kTreeSelectTimerId, static_cast<UINT>(FrameConfig().delayTime), nullptr) != 0;
    }
}

bool OnKeyDown(const NMTVKEYDOWN& key) {
    FolderTreeState& state = TreeState();
    if (key.wVKey == VK_RETURN && state.settings.syncEnter) {
        if (OpenNode(SelectedNode(), HeldOpenMode()) && state.settings.focusList)
            if (HWND list = ChildListView()) SetFocus(list);
        return true;
    }
    const WORD command = ListKeyCommand(PackedKeyFromKeyDown(key.wVKey));
    return command && FolderTreeCommand(command);
}

bool OnBeginLabelEdit(const NMTVDISPINFOW& info) {
    TTreeNode* node = reinterpret_cast<TTreeNode*>(info.item.lParam);
    if (!node || !node->parent || !node->parent->folder) return true;
    SFGAOF attributes = SFGAO_CANRENAME;
    PCUITEMID_CHILD item = node->item.get();
    return FAILED(node->parent->folder->GetAttributesOf(1, &item, &attributes)) || !(attributes & SFGAO_CANRENAME);
}

void OnEndLabelEdit(const NMTVDISPINFOW& info) {
    TTreeNode* node = reinterpret_cast<TTreeNode*>(info.item.lParam);
    if (!node || !node->parent || !node->parent->folder || !info.item.pszText) return;
    UniqueChildPidl renamed;
    if (FAILED(node->parent->folder->SetNameOf(FrameLink().window, node->item.get(), info.item.pszText,
                                               static_cast<SHGDNF>(0xE0), renamed.put())) ||
        !renamed)
        return;
    node->item = std::move(renamed);
    ResetNodeDisplay(*node, true);
    // Its levels below were bound through the old name.
    if (node->filled) CollapseReset(*node);
}

// The shell's menu of `node` with our own "open in a new tab" on top.
void ShowContextMenu(TTreeNode* node, POINT screen) {
    if (!node) return;
    UniqueAbsolutePidl absolute = NodeAbsolute(*node);
    ComPtr<IContextMenu> shellMenu = ItemContextMenu(absolute.get());
    UniqueMenu popup(CreatePopupMenu());
    if (!popup || !shellMenu) return;
    AppendMenuW(popup.get(), MF_STRING, IDM_TREE_OPEN_NEW_TAB, L"新しいタブで開く");
    AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
    TContextMenu menu;
    if (!menu.Build(shellMenu.get(), popup.get(), 2)) return;
    const UINT chosen = menu.Track(screen.x, screen.y);
    if (chosen == 0) return;
    if (chosen == IDM_TREE_OPEN_NEW_TAB) {
        OpenChildWindow(PIDLClone(absolute.get()), true, nullptr, ContentFolder);
    } else if (menu.GetVerb(chosen) == "rename") {
        TreeView_EditLabel(TreeState().tree, node->handle);
    } else if (node->parent) {
        UniqueAbsolutePidl parent = NodeAbsolute(*node->parent);
        menu.Invoke(chosen, parent.get());
    }
}

void OnRightClick() {
    POINT screen{};
    GetCursorPos(&screen);
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(TreeState().tree, &hit.pt);
    if (HTREEITEM item = TreeView_HitTest(TreeState().tree, &hit); item && (hit.flags & TVHT_ONITEM))
        ShowContextMenu(NodeOf(item), screen);
}

void ContextMenuAtSelection() {
    TTreeNode* node = SelectedNode();
    if (!node) return;
    RECT rect{};
    TreeView_GetItemRect(TreeState().tree, node->handle, &rect, TRUE);
    POINT point{rect.left, rect.bottom};
    ClientToScreen(TreeState().tree, &point);
    ShowContextMenu(node, point);
}

void InvokeVerbOnSelection(int verb) {
    TTreeNode* node = SelectedNode();
    if (!node) return;
    UniqueAbsolutePidl absolute = NodeAbsolute(*node);
    if (ComPtr<IContextMenu> menu = ItemContextMenu(absolute.get())) TContextMenu::InvokeVerb(menu.get(), verb);
}

// The node's folder under a name from the extended rename dialog; its
// parent's level is listed again so that the node follows at once.
void ExtendedRenameSelection() {
    TTreeNode* node = SelectedNode();
    if (!node || !node->parent) return;
    UniqueAbsolutePidl absolute = NodeAbsolute(*node);
    if (!absolute) return;
    ExtendedRenamePath(TreeState().tree, PIDLPathOrName(absolute.get()));
    RefreshNode(*node->parent);
}

void PressKey(UINT key) {
    HWND tree = TreeState().tree;
    SendMessageW(tree, WM_KEYDOWN, key, 0);
    SendMessageW(tree, WM_KEYUP, key, 0xC0000001);
}

// Hidden, read-only, system and compressed folders in their colours; a later
// attribute's colour wins.
LRESULT OnCustomDraw(NMTVCUSTOMDRAW& draw) {
    const FrameColors& colors = ColorConfig();
    if (!colors.tvColorGroup) return CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const auto* node = reinterpret_cast<const TTreeNode*>(draw.nmcd.lItemlParam);
    if (!node || !node->parent || !node->parent->folder) return CDRF_DODEFAULT;
    WIN32_FIND_DATAW data{};
    if (FAILED(SHGetDataFromIDListW(node->parent->folder.get(), node->item.get(), SHGDFIL_FINDDATA, &data,
                                    sizeof(data))))
        return CDRF_DODEFAULT;
    const DWORD attributes = data.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_HIDDEN) draw.clrText = colors.hidden;
    if (attributes & FILE_ATTRIBUTE_READONLY) draw.clrText = colors.readOnly;
    if (attributes & FILE_ATTRIBUTE_SYSTEM) draw.clrText = colors.system;
    if (attributes & FILE_ATTRIBUTE_COMPRESSED) draw.clrText = colors.compressed;
    return CDRF_NEWFONT;
}

LRESULT OnNotify(const NMHDR& header) {
    FolderTreeState& state = TreeState();
    if (header.hwndFrom != state.tree) return 0;
    switch (header.code) {
    case TVN_GETDISPINFOW: OnGetDisplayInfo(*reinterpret_cast<NMTVDISPINFOW*>(const_cast<NMHDR*>(&header))); return 0;
    case TVN_ITEMEXPANDINGW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if ((change.action & kExpandActionMask) == TVE_EXPAND)
            if (TTreeNode* node = NodeOf(change.itemNew.hItem)) FillNode(*node);
        return 0;
    }
    case TVN_ITEMEXPANDEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        TTreeNode* node = NodeOf(change.itemNew.hItem);
        if (!node) return 0;
        if ((change.action & kExpandActionMask) == TVE_EXPAND)
            WatchNode(*node);
        else if ((change.action & kExpandActionMask) == TVE_COLLAPSE)
            UnwatchNode(node->serial);
        return 0;
    }
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGW: StartNodeDrag(NodeOf(reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem)); return 0;
    case TVN_SELCHANGEDW: OnSelectionChanged(reinterpret_cast<const NMTREEVIEWW&>(header)); return 0;
    case TVN_KEYDOWN: return OnKeyDown(reinterpret_cast<const NMTVKEYDOWN&>(header)) ? TRUE : FALSE;
    case NM_RETURN: return TRUE;
    case NM_CUSTOMDRAW: return OnCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    case NM_RCLICK: OnRightClick(); return TRUE;
    case TVN_BEGINLABELEDITW: return OnBeginLabelEdit(reinterpret_cast<const NMTVDISPINFOW&>(header)) ? TRUE : FALSE;
    case TVN_ENDLABELEDITW: OnEndLabelEdit(reinterpret_cast<const NMTVDISPINFOW&>(header)); return FALSE;
    case TVN_DELETEITEMW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        auto* node = reinterpret_cast<TTreeNode*>(change.itemOld.lParam);
        if (!node) return 0;
        UnwatchNode(node->serial);
        DropFill(node->serial);
        if (node == state.root) state.root = nullptr;
        state.nodes.erase(node->serial);
        return 0;
    }
    }
    return 0;
}

void ShowPane(WPARAM command) {
    FolderTreeState& state = TreeState();
    HWND sideBase = GetParent(state.pane);
    if (command == IDM_SIDE_FOLDERS) {
        if (IsWindowVisible(state.pane)) {
            SendMessageW(sideBase, WM_COMMAND, IDM_SIDE_CLOSE, 0);
        } else {
            ShowWindow(sideBase, SW_SHOW);
            ShowWindow(state.pane, SW_SHOW);
            if (PCIDLIST_ABSOLUTE folder = ChildFolder()) SyncFolderTree(folder);
            RelayoutFrame();
            SetFocus(state.tree);
            SetSideBaseCaption(sideBase, L"フォルダ");
        }
    } else {
        ShowWindow(state.pane, SW_HIDE);
    }
    const BOOL checked = IsWindowVisible(state.pane) ? TRUE : FALSE;
    for (RouteBar bar : {RouteBar::ToolBar, RouteBar::SideToolBar})
        if (HWND toolbar = Routes().window ? Routes().window(bar) : nullptr)
            SendMessageW(toolbar, TB_CHECKBUTTON, IDM_SIDE_FOLDERS, MAKELPARAM(checked, 0));
}

void ToggleHidden(UINT, HWND) {
    FolderTreeState& state = TreeState();
    state.settings.showHidden = !state.settings.showHidden;
    if (state.root) {
        CollapseReset(*state.root);
        if (PCIDLIST_ABSOLUTE folder = ChildFolder()) SyncFolderTree(folder);
    }
}

// The label font and the small icons for the DPI the pane is at; the tree
// measures its item height from both.
void ApplyDpi(bool redraw) {
    FolderTreeState& state = TreeState();
    const UINT dpi = DpiOf(state.tree);
    TreeView_SetImageList(state.tree, SystemImageListOfSide(SmallIconSide(dpi)), TVSIL_NORMAL);
    SetFontForDpi(state.tree, IconTitleFontForDpi, state.font, redraw);
}

LRESULT OnCreate(HWND pane, const CREATESTRUCTW& create) {
    FolderTreeState& state = TreeState();
    state.pane = pane;
    LoadSettings(state.settings);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | TVS_SHOWSELALWAYS |
                        state.settings.style;
    state.tree = CreateWindowExW(0, WC_TREEVIEWW, L"", style, 0, 0, 0, 0, pane,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeIdentifier)), create.hInstance,
                                 nullptr);
    if (!state.tree) return -1;
    ApplyDpi(false);
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, state.drivesPidl.put());
    InsertRoot();
    AttachTreeDragDrop();
    RegisterTreeNotify();
    Routes().syncFolderTree = SyncFolderTree;
    SetCommandHandler(IDM_TREE_HIDDEN, IDM_TREE_HIDDEN, ToggleHidden);
    return 0;
}

void OnDestroy() {
    FolderTreeState& state = TreeState();
    KillTimer(state.pane, kTreeSelectTimerId);
    state.selectionPending = false;
    if (IShellTaskScheduler* scheduler = App().schedulers[0].get())
        scheduler->RemoveTasks(kTreeTaskOwner, ITSAT_DEFAULT_LPARAM, TRUE);
    DeregisterTreeNotify();
    DetachTreeDragDrop();
    SaveSettings(state.settings);
    Routes().syncFolderTree = nullptr;
    SetCommandHandler(IDM_TREE_HIDDEN, IDM_TREE_HIDDEN, nullptr);
    // The tree's items go before the records they point at.
    if (state.tree) DestroyWindow(state.tree);
    state.font.reset();
    state.fills.clear();
    state.nodes.clear();
    state.root = nullptr;
    state.tree = nullptr;
    state.pane = nullptr;
    state.drivesPidl.reset();
}

LRESULT CALLBACK FolderTreeProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return OnCreate(pane, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_SIZE:
        if (TreeState().tree) MoveWindow(TreeState().tree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (TreeState().tree) SetFocus(TreeState().tree);
        return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
        // A timer message that no keyboard selection armed opens nothing.
        if (wParam == kTreeSelectTimerId && std::exchange(TreeState().selectionPending, false)) {
            KillTimer(pane, kTreeSelectTimerId);
            OpenSelectedByModifiers();
        }
        return 0;
    case WM_SIDEPANE_SHOW: ShowPane(wParam); return 0;
    case WM_DPICHANGED_AFTERPARENT:
        if (TreeState().tree) ApplyDpi(true);
        return 0;
    case WM_TREE_CHANGENOTIFY: OnTreeChangeNotify(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam)); return 0;
    case WM_TREE_FILLSTEP: OnFillStep(); return 0;
    case WM_TREE_LISTED:
        OnLevelListed(static_cast<ULONG>(wParam), *reinterpret_cast<std::vector<UniqueChildPidl>*>(lParam));
        return 0;
    case WM_TREE_TASKDONE: ApplyTaskResult(*reinterpret_cast<const TreeTaskResult*>(lParam)); return 0;
    case WM_TREE_WATCHER: OnWatcherSignal(static_cast<ULONG>(lParam)); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcW(pane, message, wParam, lParam);
}

}  // namespace

HWND CreateFolderTreePane(HWND sideBase, HINSTANCE instance) {
    if (TreeState().pane) return TreeState().pane;
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    if (!GetClassInfoExW(instance, kFolderTreeClassName, &windowClass)) {
        windowClass = {sizeof(windowClass)};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = FolderTreeProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kFolderTreeClassName;
        RegisterClassExW(&windowClass);
    }
    return CreateWindowExW(0, kFolderTreeClassName, L"フォルダ", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                           0, 0, sideBase, nullptr, instance, nullptr);
}

HWND FolderTreeControl() { return TreeState().tree; }

IDropTarget* FolderTreeDropTarget() { return TreeState().dropTarget.get(); }

FolderTreeSettings& FolderTreeConfig() { return TreeState().settings; }

bool FolderTreeShowsHidden() { return TreeState().settings.showHidden; }

bool FolderTreeFilling() { return TreeFilling(); }

bool FolderTreeCommand(WORD command) {
    FolderTreeState& state = TreeState();
    if (!state.tree) return false;
    if (command >= 5000 && command <= 5199) {
        if (FrameLink().window) SendMessageW(FrameLink().window, WM_COMMAND, command, 0);
        return true;
    }
    switch (command) {
    case IDM_PROPERTIES: InvokeVerbOnSelection(VerbProperties); return true;
    case IDM_DELETE: InvokeVerbOnSelection(VerbDelete); return true;
    case IDM_COPY: InvokeVerbOnSelection(VerbCopy); return true;
    case IDM_PASTE: InvokeVerbOnSelection(VerbPaste); return true;
    case IDM_CUT: InvokeVerbOnSelection(VerbCut); return true;
    case IDM_RENAME:
        if (TTreeNode* node = SelectedNode()) TreeView_EditLabel(state.tree, node->handle);
        return true;
    case IDM_REFRESH:
        if (TTreeNode* node = SelectedNode()) RefreshNode(*node);
        return true;
    case IDM_EXTENDED_RENAME: ExtendedRenameSelection(); return true;
    case IDM_CONTEXT_MENU: ContextMenuAtSelection(); return true;
    case IDM_LIST_TOP: PressKey(VK_HOME); return true;
    case IDM_LIST_BOTTOM: PressKey(VK_END); return true;
    case IDM_PAGE_TOP: PressKey(VK_PRIOR); return true;
    case IDM_PAGE_BOTTOM: PressKey(VK_NEXT); return true;
    }
    return false;
}
