// What the folder tree shows of a node: the name at once, the images, marks
// and children flag from a task on the shared scheduler when the folder
// cannot answer them cheaply.

#include "side/uFolderTreeNodes.h"

#include "app/ComObject.h"
#include "app/Global.h"
#include "shell/uOneShotTask.h"

#include <shlwapi.h>

namespace {

// Looks up one node's images, marks and children flag on the scheduler's
// thread and hands them to the pane, which applies them while the node lives.
class TTreeTask : public TOneShotTask {
public:
    TTreeTask(HWND pane, ULONG serial, IShellFolder* parent, PCUITEMID_CHILD item)
        : pane_(pane), serial_(serial), parent_(parent), item_(PIDLClone(item)) {}

private:
    void Execute() override {
        TreeTaskResult result;
        result.serial = serial_;
        PCUITEMID_CHILD item = item_.get();
        result.image = SHMapPIDLToSystemImageListIndex(parent_.get(), item, &result.selectedImage);
        if (result.selectedImage < 0) result.selectedImage = result.image;
        SFGAOF attributes = SFGAO_HASSUBFOLDER | SFGAO_SHARE | SFGAO_HIDDEN;
        if (SUCCEEDED(parent_->GetAttributesOf(1, &item, &attributes))) {
            result.children = (attributes & SFGAO_HASSUBFOLDER) ? 1 : 0;
            result.stateMask = TVIS_OVERLAYMASK | TVIS_CUT;
            ComPtr<IShellIconOverlay> overlay;
            parent_->QueryInterface(IID_IShellIconOverlay, overlay.putVoid());
            if (overlay) {
                int index = 0;
                if (overlay->GetOverlayIndex(item, &index) == S_OK) result.state |= INDEXTOOVERLAYMASK(index);
            } else if (attributes & SFGAO_SHARE) {
                result.state |= INDEXTOOVERLAYMASK(1);
            }
            if (attributes & SFGAO_HIDDEN) result.state |= TVIS_CUT;
        }
        SendMessageW(pane_, WM_TREE_TASKDONE, 0, reinterpret_cast<LPARAM>(&result));
    }

    HWND pane_;
    ULONG serial_;
    ComPtr<IShellFolder> parent_;
    UniqueChildPidl item_;
};

// Lists one level on the scheduler's thread and hands the items to the pane.
class TListTask : public TOneShotTask {
public:
    TListTask(HWND pane, ULONG request, IShellFolder* folder, SHCONTF flags)
        : pane_(pane), request_(request), folder_(folder), flags_(flags) {}

private:
    void Execute() override {
        std::vector<UniqueChildPidl> items = EnumerateSorted(folder_.get(), flags_, nullptr);
        SendMessageW(pane_, WM_TREE_LISTED, request_, reinterpret_cast<LPARAM>(&items));
    }

    HWND pane_;
    ULONG request_;
    ComPtr<IShellFolder> folder_;
    SHCONTF flags_;
};

void QueueTask(TTreeNode& node) {
    if (node.taskQueued || !node.parent || !node.parent->folder) return;
    IShellTaskScheduler* scheduler = App().schedulers[0].get();
    if (!scheduler) return;
    ComPtr<IRunnableTask> task = ComPtr<IRunnableTask>::attach(
        new TTreeTask(TreeState().pane, node.serial, node.parent->folder.get(), node.item.get()));
    if (SUCCEEDED(scheduler->AddTask(task.get(), kTreeTaskOwner, 0, ITSAT_DEFAULT_PRIORITY))) node.taskQueued = true;
}

void FillText(const TTreeNode& node, NMTVDISPINFOW& info) {
    if (!info.item.pszText || info.item.cchTextMax <= 0) return;
    info.item.pszText[0] = L'\0';
    if (!node.parent || !node.parent->folder) return;
    STRRET name{};
    if (SUCCEEDED(node.parent->folder->GetDisplayNameOf(node.item.get(), SHGDN_INFOLDER, &name)))
        StrRetToBufW(&name, node.item.get(), info.item.pszText, static_cast<UINT>(info.item.cchTextMax));
}

// The parent folder's quick icon answer, when it has one.
bool FillQuickImages(const TTreeNode& node, NMTVDISPINFOW& info) {
    IShellIcon* icon = node.parent ? node.parent->icon.get() : nullptr;
    int image = 0;
    if (!icon || icon->GetIconOf(node.item.get(), GIL_ASYNC, &image) != S_OK) return false;
    int openImage = image;
    if (icon->GetIconOf(node.item.get(), GIL_OPENICON, &openImage) != S_OK) openImage = image;
    info.item.iImage = image;
    info.item.iSelectedImage = openImage;
    return true;
}

}  // namespace

bool QueueListTask(const TTreeNode& node, ULONG request) {
    IShellTaskScheduler* scheduler = App().schedulers[0].get();
    if (!scheduler || !node.folder) return false;
    auto task = ComPtr<IRunnableTask>::attach(
        new TListTask(TreeState().pane, request, node.folder.get(), TreeEnumFlags()));
    return SUCCEEDED(scheduler->AddTask(task.get(), kTreeTaskOwner, 0, ITSAT_DEFAULT_PRIORITY));
}

void OnGetDisplayInfo(NMTVDISPINFOW& info) {
    TTreeNode* node = reinterpret_cast<TTreeNode*>(info.item.lParam);
    if (!node) return;
    if (info.item.mask & TVIF_TEXT) {
        FillText(*node, info);
        info.item.mask |= TVIF_DI_SETITEM;
    }
    bool needTask = false;
    if (info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
        if (FillQuickImages(*node, info)) {
            info.item.mask |= TVIF_DI_SETITEM;
        } else {
            info.item.iImage = I_IMAGENONE;
            info.item.iSelectedImage = I_IMAGENONE;
            needTask = true;
        }
    }
    if (info.item.mask & TVIF_CHILDREN) {
        // A level already listed knows whether it has children.
        if (node->filled) {
            info.item.cChildren = TreeView_GetChild(TreeState().tree, node->handle) ? 1 : 0;
            info.item.mask |= TVIF_DI_SETITEM;
        } else {
            info.item.cChildren = 1;
            needTask = true;
        }
    }
    if (needTask) QueueTask(*node);
}

void ApplyTaskResult(const TreeTaskResult& result) {
    TTreeNode* node = NodeBySerial(result.serial);
    if (!node) return;
    node->taskQueued = false;
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    item.hItem = node->handle;
    item.iImage = result.image < 0 ? I_IMAGENONE : result.image;
    item.iSelectedImage = result.selectedImage < 0 ? item.iImage : result.selectedImage;
    item.state = result.state;
    item.stateMask = result.stateMask;
    item.mask |= TVIF_CHILDREN;
    // A level already listed knows better whether the node has children.
    item.cChildren = node->filled ? (TreeView_GetChild(TreeState().tree, node->handle) ? 1 : 0) : result.children;
    TreeView_SetItem(TreeState().tree, &item);
}
