// Drags into and out of the folder tree, and its middle button: a drag hovers
// a node, which hands it to the drop target of the node's folder and opens
// after a while; a node is dragged out as its parent folder's data object.

#include "side/uFolderTreeNodes.h"

#include "app/uFrameLink.h"
#include "mdi/wMDIChild.h"
#include "shell/hOledd.h"
#include "shell/uCapabilities.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

class TFolderTreeDropTarget final : public THoverDropTarget {
public:
    // The pane is going; a drag still holding this object finds no tree.
    void Detach() { attached_ = false; }

protected:
    UINT_PTR HitTest(POINT screen) override {
        HWND tree = TreeState().tree;
        if (!attached_ || !tree) return 0;
        TVHITTESTINFO hit{screen};
        ScreenToClient(tree, &hit.pt);
        HTREEITEM item = TreeView_HitTest(tree, &hit);
        return item && (hit.flags & TVHT_ONITEM) ? reinterpret_cast<UINT_PTR>(item) : 0;
    }
    ComPtr<IDropTarget> Resolve(UINT_PTR object) override {
        const TTreeNode* node = attached_ ? NodeOf(reinterpret_cast<HTREEITEM>(object)) : nullptr;
        if (!node) return {};
        UniqueAbsolutePidl folder = NodeAbsolute(*node);
        return folder ? CreateItemDropTarget(folder.get()) : ComPtr<IDropTarget>();
    }
    void Highlight(UINT_PTR object) override {
        if (attached_ && TreeState().tree) TreeView_SelectDropTarget(TreeState().tree, reinterpret_cast<HTREEITEM>(object));
    }
    void Expand(UINT_PTR object) override {
        if (attached_ && TreeState().tree) TreeView_Expand(TreeState().tree, reinterpret_cast<HTREEITEM>(object), TVE_EXPAND);
    }
    bool HoverDelay(DWORD& milliseconds) override {
        const FolderTreeSettings& settings = TreeState().settings;
        milliseconds = settings.dragTime;
        return attached_ && settings.expandDrag;
    }

private:
    bool attached_ = true;
};

// The middle button opens the node it is released over by the open method;
// pressed, it selects the node under it, which opens nothing by itself.
LRESULT CALLBACK TreeMouseProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) {
        const int method = TreeState().settings.middleClickOpenMethod;
        if (method >= TargetActive && method <= TargetBackground) {
            TVHITTESTINFO hit{POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}};
            HTREEITEM item = TreeView_HitTest(tree, &hit);
            if (!(hit.flags & TVHT_ONITEM)) item = nullptr;
            if (message == WM_MBUTTONDOWN) {
                if (item) TreeView_SelectItem(tree, item);
            } else if (item) {
                if (TTreeNode* node = NodeOf(TreeView_GetSelection(tree))) {
                    UniqueAbsolutePidl folder = NodeAbsolute(*node);
                    if (folder) RequestNavigate(folder.get(), OriginFolderTree, method, nullptr);
                }
            }
            return 0;
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(tree, TreeMouseProc, 0);
    return DefSubclassProc(tree, message, wParam, lParam);
}

}  // namespace

void AttachTreeDragDrop() {
    FolderTreeState& state = TreeState();
    SetWindowSubclass(state.tree, TreeMouseProc, 0, 0);
    auto target = ComPtr<TFolderTreeDropTarget>::attach(new TFolderTreeDropTarget());
    if (SUCCEEDED(RegisterDragDrop(state.tree, target.get()))) state.dropTarget = ComPtr<IDropTarget>(target.get());
}

void DetachTreeDragDrop() {
    FolderTreeState& state = TreeState();
    if (!state.dropTarget) return;
    RevokeDragDrop(state.tree);
    static_cast<TFolderTreeDropTarget*>(state.dropTarget.get())->Detach();
    state.dropTarget.reset();
}

void StartNodeDrag(TTreeNode* node) {
    if (!node) return;
    ComPtr<IDataObject> data;
    if (node->parent && node->parent->folder) {
        PCUITEMID_CHILD item = node->item.get();
        node->parent->folder->GetUIObjectOf(TreeState().tree, 1, &item, IID_IDataObject, nullptr, data.putVoid());
    } else if (node->folder) {
        // The root is the desktop itself, which has no parent to ask.
        node->folder->CreateViewObject(TreeState().tree, IID_IDataObject, data.putVoid());
    }
    if (data) StartDrag(TreeState().tree, data.get());
}
