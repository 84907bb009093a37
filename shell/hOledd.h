#pragma once
// The one drop-target pattern of the program's windows: on every move the
// window hit-tests the object under the cursor and hands the drag to that
// object's own drop target, so that copying, moving, linking and the
// right-button drop menu are the target's business.

#include "app/ComObject.h"
#include "app/ComPtr.h"

#include <windows.h>
#include <ole2.h>

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
