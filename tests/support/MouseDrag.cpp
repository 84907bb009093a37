#include "tests/support/MouseDrag.h"

namespace {

constexpr DWORD kStepBound = 30000;

void Send(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates are normalised to 0..65535 over the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

// Nudges the mouse around `point` until `condition` holds: each move is a
// fresh message for whoever tracks the mouse. The pause only paces the moves.
bool NudgeUntil(POINT point, int reach, const std::function<bool()>& condition) {
    const DWORD start = GetTickCount();
    for (int step = 0; GetTickCount() - start < kStepBound; ++step) {
        const int offset = step % 2 ? reach : reach - 1;
        Send(0, POINT{point.x + offset, point.y + offset / 2});
        if (condition()) return true;
        Sleep(30);
    }
    return false;
}

}  // namespace

MouseDrag::MouseDrag(POINT from, POINT to, std::function<bool()> started, std::function<bool()> arrived)
    : startedCondition_(std::move(started)), arrivedCondition_(std::move(arrived)),
      thread_([this, from, to] { Run(from, to); }) {}

MouseDrag::~MouseDrag() { thread_.join(); }

void MouseDrag::Run(POINT from, POINT to) {
    Send(0, from);
    Send(MOUSEEVENTF_LEFTDOWN, from);
    // Further than the drag threshold, so that the press turns into a drag.
    const int reach = 3 * GetSystemMetrics(SM_CXDRAG) + 6;
    started_ = NudgeUntil(from, reach, startedCondition_);
    if (started_) {
        Send(0, POINT{(from.x + to.x) / 2, (from.y + to.y) / 2});
        arrived_ = NudgeUntil(to, 1, arrivedCondition_);
    }
    Send(MOUSEEVENTF_LEFTUP, started_ ? to : from);
    done_ = true;
}

bool DragLoopRunning(DWORD threadId, HWND own) {
    GUITHREADINFO info{sizeof(info)};
    return GetGUIThreadInfo(threadId, &info) && info.hwndCapture && info.hwndCapture != own;
}
