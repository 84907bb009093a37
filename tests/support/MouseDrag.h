#pragma once
// A drag with the real mouse, made on a thread of its own while the thread
// that owns the windows goes on pumping messages: the drag loop of the
// platform sees the same input a person's hand would give it.

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

class MouseDrag {
public:
    // Presses the left button at `from` and moves away from it until
    // `started` holds (a drag loop runs), then moves to `to` until `arrived`
    // holds (the target shows the drop) and releases the button there. Each
    // wait is bounded; the button is released in any case, so that no drag
    // loop is left running.
    MouseDrag(POINT from, POINT to, std::function<bool()> started, std::function<bool()> arrived);
    MouseDrag(const MouseDrag&) = delete;
    MouseDrag& operator=(const MouseDrag&) = delete;
    ~MouseDrag();

    bool done() const { return done_; }
    bool started() const { return started_; }
    bool arrived() const { return arrived_; }

private:
    void Run(POINT from, POINT to);

    std::function<bool()> startedCondition_;
    std::function<bool()> arrivedCondition_;
    std::atomic<bool> done_ = false;
    std::atomic<bool> started_ = false;
    std::atomic<bool> arrived_ = false;
    std::thread thread_;
};

// True while the thread's mouse capture is held by a window other than
// `own`: a drag loop tracks the mouse through a capture window of its own.
bool DragLoopRunning(DWORD threadId, HWND own);
