#pragma once
// The frame's side of the side bar: making it and its panes, switching the
// pages and the thumbnail pane, and what they keep at exit.

#include <windows.h>

// Makes the side bar (hidden) and, as the settings say, shows its page and
// the thumbnail pane; hooks the panes into the command routing.
void CreateSidePanes(HWND frame, HINSTANCE instance);
// The thumbnail pane's height; the tree writes its own settings as it goes.
void SaveSidePanes();
