// Drags into and out of the folder view: its drop target hands each drag to
// the drop target of the item under the cursor or of the folder's background,
// and the selection is dragged out as the shell's own data object.

#include "folderview/wFolderView.h"

#include "shell/hOledd.h"
#include "shell/uCapabilities.h"
#include "shell/uDpi.h"

namespace {

// How near an edge the cursor scrolls the list while a drag moves over it, and by how much.
constexpr int kScrollZone = 30;
constexpr int kScrollStep = 10;

}  // namespace

class TFolderViewDropTarget final : public TForwardingDropTarget {
public:
    explicit TFolderViewDropTarget(TFolderView& view) : view_(&view) {}
    // The view is going; a drag still holding this object finds no list.
    void Detach() { view_ = nullptr; }

protected:
    ComPtr<IDropTarget> Resolve(POINT screen) override {
        Mark(false);
        target_ = -1;
        background_ = false;
        if (!view_ || !view_->Folder) return ComPtr<IDropTarget>();
        HWND list = view_->ListView;
        LVHITTESTINFO hit{screen};
        ScreenToClient(list, &hit.pt);
        const int index = ListView_HitTest(list, &hit);
        // While the view is the drag's source, its own selected items are what is dragged.
        const bool selfItem = index >= 0 && view_->SelfDrag &&
                              (ListView_GetItemState(list, index, LVIS_SELECTED) & LVIS_SELECTED);
        if (index >= 0 && (hit.flags & LVHT_ONITEM) && !selfItem) {
            target_ = index;
            UniqueAbsolutePidl item(PIDLAppend(view_->AbsoluteIDList, view_->ItemIDList(index)));
            return CreateItemDropTarget(item.get());
        }
        background_ = true;
        return CreateBackgroundDropTarget(view_->Folder.get(), view_->AbsoluteIDList);
    }
    void Mark(bool on) override {
        if (!view_ || marked_ == (on ? target_ : -1)) return;
        if (marked_ >= 0) ListView_SetItemState(view_->ListView, marked_, 0, LVIS_DROPHILITED);
        marked_ = on ? target_ : -1;
        if (marked_ >= 0) ListView_SetItemState(view_->ListView, marked_, LVIS_DROPHILITED, LVIS_DROPHILITED);
    }
    // Moving items onto the folder they are in does nothing; with the right
    // button the target's menu still offers a copy or a shortcut.
    DWORD Restrict(DWORD effect, bool rightButton) override {
        if (view_ && view_->SelfDrag && background_ && !rightButton && effect == DROPEFFECT_MOVE) return DROPEFFECT_NONE;
        return effect;
    }
    void Moving(POINT screen) override {
        if (!view_) return;
        HWND list = view_->ListView;
        POINT point = screen;
        ScreenToClient(list, &point);
        RECT client{};
        GetClientRect(list, &client);
        const UINT dpi = DpiOf(list);
        const int zone = ScaleForDpi(kScrollZone, dpi);
        const int step = ScaleForDpi(kScrollStep, dpi);
        if (view_->ViewMode == 2) {
            if (point.x < client.left + zone) ListView_Scroll(list, -step, 0);
            else if (point.x > client.right - zone) ListView_Scroll(list, step, 0);
        } else {
            if (point.y < client.top + zone) ListView_Scroll(list, 0, -step);
            else if (point.y > client.bottom - zone) ListView_Scroll(list, 0, step);
        }
    }

private:
    TFolderView* view_;
    int target_ = -1;
    int marked_ = -1;
    bool background_ = false;
};

void TFolderView::RegisterDropTarget() {
    auto target = ComPtr<TFolderViewDropTarget>::attach(new TFolderViewDropTarget(*this));
    if (SUCCEEDED(RegisterDragDrop(ListView, target.get()))) DropTarget = ComPtr<IDropTarget>(target.get());
}

void TFolderView::RevokeDropTarget() {
    if (!DropTarget) return;
    RevokeDragDrop(ListView);
    static_cast<TFolderViewDropTarget*>(DropTarget.get())->Detach();
    DropTarget.reset();
}

void TFolderView::StartDrag() {
    std::vector<PCUITEMID_CHILD> items;
    for (int index : VerbItemIndexes())
        if (PCUITEMID_CHILD item = ItemIDList(index)) items.push_back(item);
    if (items.empty() || !Folder) return;
    ComPtr<IDataObject> data;
    if (FAILED(Folder->GetUIObjectOf(ListView, static_cast<UINT>(items.size()), items.data(), IID_IDataObject, nullptr,
                                     data.putVoid())) ||
        !data)
        return;
    SelfDrag = true;
    ::StartDrag(ListView, data.get());
    SelfDrag = false;
}
