#pragma once
// The one drop-target pattern of the program's windows: on every move the
// window hit-tests the object under the cursor and hands the drag to that
// object's own drop target, so that copying, moving, linking and the
// right-button drop menu are the target's business.

#include "app/ComObject.h"
#include "app/ComPtr.h"

#include <windows.h>
#include <ole2.h>

// The drag loop: the platform's (SHDoDragDrop) unless a test puts its own in.
using DragLoop = HRESULT (*)(HWND source, IDataObject* data, DWORD allowed, DWORD* effect);
DragLoop& DragLoopHook();
// Drags `data` out of `source` with copying, moving and linking allowed; the
// effect of the drop, none when it was cancelled.
DWORD StartDrag(HWND source, IDataObject* data);

class TForwardingDropTarget : public ComObject<IDropTarget> {
public:
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

protected:
    // The drop target of the object under the screen point, or empty; the
    // window remembers the object so that Mark can show it.
    virtual ComPtr<IDropTarget> Resolve(POINT screen) = 0;
    // Shows (or with false, removes) the mark on the object Resolve found last.
    virtual void Mark(bool on) = 0;
    // The window's own rule over the target's effect; the target's by default.
    virtual DWORD Restrict(DWORD effect, bool rightButton) { return effect; }
    // Called on every move, before the hit test (a window may scroll here).
    virtual void Moving(POINT screen) {}

private:
    ComPtr<IDataObject> data_;
    bool rightButton_ = false;
};

// The pattern for trees: the object under the cursor keeps its drop target
// while the cursor stays on it, and a node hovered long enough opens.
class THoverDropTarget : public ComObject<IDropTarget> {
public:
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

protected:
    // The object under the screen point; 0 for none.
    virtual UINT_PTR HitTest(POINT screen) = 0;
    // The drop target of `object`, or empty when nothing can be dropped there.
    virtual ComPtr<IDropTarget> Resolve(UINT_PTR object) = 0;
    // Marks `object` as where the drop would go; 0 removes the mark.
    virtual void Highlight(UINT_PTR object) = 0;
    // Opens `object`, hovered for longer than HoverDelay.
    virtual void Expand(UINT_PTR object) = 0;
    // Milliseconds of hover before Expand; false when hovering opens nothing.
    virtual bool HoverDelay(DWORD& milliseconds) = 0;

private:
    ComPtr<IDataObject> data_;
    ComPtr<IDropTarget> target_;
    UINT_PTR hovered_ = 0;
    DWORD hoverStart_ = 0;  // 0 while nothing is timed
    DWORD keys_ = 0;
    DWORD effect_ = DROPEFFECT_NONE;
    DWORD button_ = 0;      // the button that carries the drag
};
