#include "shell/hOledd.h"

HRESULT TForwardingDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    data_ = ComPtr<IDataObject>(data);
    rightButton_ = (keys & MK_RBUTTON) != 0;
    return DragOver(keys, point, effect);
}

// The target is asked afresh on every move: a new object under the cursor
// has never seen this drag, so each one is entered before it is asked.
HRESULT TForwardingDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    const POINT screen{point.x, point.y};
    Moving(screen);
    ComPtr<IDropTarget> target = data_ ? Resolve(screen) : ComPtr<IDropTarget>();
    if (!target) {
        Mark(false);
        if (effect) *effect = DROPEFFECT_NONE;
        return E_INVALIDARG;
    }
    const DWORD allowed = effect ? *effect : DROPEFFECT_NONE;
    DWORD entered = allowed;
    target->DragEnter(data_.get(), keys, point, &entered);
    DWORD result = allowed;
    const HRESULT hr = target->DragOver(keys, point, &result);
    result = Restrict(result, rightButton_);
    if (effect) *effect = result;
    // Our own hit test changes the target under the cursor; the shell's is left as it was.
    target->DragLeave();
    Mark(result != DROPEFFECT_NONE);
    return hr;
}

HRESULT TForwardingDropTarget::DragLeave() {
    Mark(false);
    data_.reset();
    return S_OK;
}

// The button is up by now, but the target tells a right-button drop (which
// asks what to do) from a left-button one by the key state.
HRESULT TForwardingDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    Mark(false);
    ComPtr<IDataObject> dropped(data ? data : data_.get());
    data_.reset();
    const POINT screen{point.x, point.y};
    ComPtr<IDropTarget> target = dropped ? Resolve(screen) : ComPtr<IDropTarget>();
    Mark(false);
    if (!target) {
        if (effect) *effect = DROPEFFECT_NONE;
        return E_INVALIDARG;
    }
    const DWORD buttonKeys = keys | (rightButton_ ? MK_RBUTTON : MK_LBUTTON);
    const DWORD allowed = effect ? *effect : DROPEFFECT_NONE;
    DWORD probe = allowed;
    target->DragEnter(dropped.get(), buttonKeys, point, &probe);
    probe = allowed;
    target->DragOver(buttonKeys, point, &probe);
    if (Restrict(probe, rightButton_) == DROPEFFECT_NONE) {
        target->DragLeave();
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    DWORD result = allowed;
    const HRESULT hr = target->Drop(dropped.get(), buttonKeys, point, &result);
    if (effect) *effect = result;
    return hr;
}
