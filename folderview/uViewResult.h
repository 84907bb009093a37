#pragma once
// The one way background work of a folder view reaches the GUI thread: the
// worker fills in a result and sends it to the view's list view, whose window
// procedure applies it there while the view still shows the generation (the
// navigation) the work was made for, and drops it otherwise. Sending, not
// posting: the worker owns the result and frees whatever was not taken, so a
// result dropped, or sent to a window already gone, leaks nothing.

#include <windows.h>

class TFolderView;

struct TViewResult {
    LONG generation = 0;

    TViewResult() = default;
    TViewResult(const TViewResult&) = delete;
    TViewResult& operator=(const TViewResult&) = delete;
    virtual ~TViewResult() = default;
    // GUI thread, only while the generation is current.
    virtual LRESULT Apply(TFolderView& view) = 0;
};

// Any thread. Returns what Apply answered, or 0 when it did not run.
LRESULT DeliverToView(HWND list, TViewResult& result);
