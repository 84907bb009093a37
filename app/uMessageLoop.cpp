#include "app/uMessageLoop.h"

MessageLoopTables& LoopTables() {
    static MessageLoopTables tables;
    return tables;
}

bool PreTranslateLoopMessage(HWND frame, MSG& msg) {
    const MessageLoopTables& tables = LoopTables();
    if (tables.searchRunning && tables.searchStop && TranslateAcceleratorW(frame, tables.searchStop, &msg))
        return true;
    if (tables.wholeProgram && TranslateAcceleratorW(frame, tables.wholeProgram, &msg)) return true;
    // Tab must reach the search pane's controls before it can switch panes.
    if (tables.searchDialog && IsWindow(tables.searchDialog) && IsDialogMessageW(tables.searchDialog, &msg))
        return true;
    return tables.focus && TranslateAcceleratorW(frame, tables.focus, &msg);
}

int RunMessageLoop(HWND frame) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslateLoopMessage(frame, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
