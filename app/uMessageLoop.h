#pragma once
// The one message loop of the process and the accelerator tables it consults.

#include <windows.h>

struct MessageLoopTables {
    HACCEL searchStop = nullptr;    // consulted only while a file search runs
    HACCEL wholeProgram = nullptr;  // the user's key table, else the default one
    HACCEL focus = nullptr;         // pane switching with Tab / Shift+Tab
    HWND searchDialog = nullptr;    // the search pane's dialog, when it exists
    bool searchRunning = false;
};

MessageLoopTables& LoopTables();

// Gives one message to the accelerator tables and the search pane's dialog in
// the order that lets user keys win over dialog navigation; true when taken.
bool PreTranslateLoopMessage(HWND frame, MSG& msg);

// Runs until WM_QUIT and returns its wParam.
int RunMessageLoop(HWND frame);
