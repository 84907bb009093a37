#pragma once
// What the command units share among themselves and nobody else needs.

#include <windows.h>

// Pane focus: Tab, Shift+Tab and the direct focus commands 5083-5087, 5114.
void FocusNextPane();
void FocusPreviousPane();
void FocusPane(WORD command);

void ShowAboutBox(HWND frame);
void ShowHelp(HWND frame);
void ShowFolderOptions();
