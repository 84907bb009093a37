#include "shell/hOledd.h"

#include <shlobj.h>

DragLoop& DragLoopHook() {
    static DragLoop loop = nullptr;
    return loop;
}

namespace {

// The rules of a drag: Escape or both buttons cancel, releasing the button
// that carries the drag drops. The shell would make such a source when given
// none, but not every platform does (Wine refuses the drag outright), so the
// drag always brings its own.
class TDropSource final : public ComObject<IDropSource> {
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        constexpr DWORD buttons = MK_LBUTTON | MK_RBUTTON;
        if (escape || (keys & buttons) == buttons) return DRAGDROP_S_CANCEL;
        // A drag begins with its button down; the first one seen is the one that carries it.
        if (!button_) button_ = keys & buttons;
        return (keys & button_) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    DWORD button_ = 0;
};

}  // namespace

DWORD StartDrag(HWND source, IDataObject* data) {
    if (!data) return DROPEFFECT_NONE;
    constexpr DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    DWORD effect = DROPEFFECT_NONE;
    const DragLoop loop = DragLoopHook();
    HRESULT hr = E_FAIL;
    if (loop) {
        hr = loop(source, data, allowed, &effect);
    } else {
        auto dropSource = ComPtr<TDropSource>::attach(new TDropSource);
        hr = SHDoDragDrop(source, data, dropSource.get(), allowed, &effect);
    }
    return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

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

HRESULT THoverDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD*) {
    data_ = ComPtr<IDataObject>(data);
    keys_ = keys;
    button_ = keys & (MK_LBUTTON | MK_RBUTTON);
    target_.reset();
    hovered_ = 0;
    hoverStart_ = 0;
    effect_ = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT THoverDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    const UINT_PTR object = HitTest(POINT{point.x, point.y});
    const DWORD allowed = effect ? *effect : DROPEFFECT_NONE;
    if (object == hovered_) {
        DWORD delay = 0;
        if (object && hoverStart_ && HoverDelay(delay) && GetTickCount() - hoverStart_ > delay) {
            hoverStart_ = GetTickCount();
            Expand(object);
        }
        // The target has its answer for these keys; only a change asks again.
        if (target_ && keys != keys_) {
            DWORD asked = allowed;
            target_->DragOver(keys, point, &asked);
            effect_ = asked;
        }
    } else {
        hovered_ = object;
        if (target_) target_->DragLeave();
        hoverStart_ = object ? GetTickCount() : 0;
        // A tick count of 0 means no timer; the next tick serves as well.
        if (object && hoverStart_ == 0) hoverStart_ = 1;
        target_.reset();
        effect_ = DROPEFFECT_NONE;
        Highlight(object);
        if (object && data_ && (target_ = Resolve(object))) {
            DWORD entered = allowed;
            if (FAILED(target_->DragEnter(data_.get(), keys, point, &entered))) entered = DROPEFFECT_NONE;
            effect_ = entered;
        }
    }
    keys_ = keys;
    if (effect) *effect = effect_;
    return S_OK;
}

HRESULT THoverDropTarget::DragLeave() {
    Highlight(0);
    data_.reset();
    if (target_) target_->DragLeave();
    target_.reset();
    hovered_ = 0;
    return S_OK;
}

// The button is up when the drop comes, but a target asks what to do after
// a right-button drag only when it sees that button in the key state.
HRESULT THoverDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    Highlight(0);
    ComPtr<IDropTarget> target = std::move(target_);
    ComPtr<IDataObject> dropped(data ? data : data_.get());
    data_.reset();
    hovered_ = 0;
    if (!target) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    return target->Drop(dropped.get(), keys | button_, point, effect);
}
