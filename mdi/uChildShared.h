#pragma once
// What the child-window units share among themselves and nobody else needs.

#include "mdi/wMDIChild.h"

#include <windows.h>

// Window modes 2 (panes top and bottom) and 3 (left and right).
bool InSplitMode();
// Makes `child` the MDI client's active child.
void ActivateChild(HWND child);
// The child whose caption and icon the frame shows: the active one, maximised.
bool IsMaximisedChild(HWND child);
// Tab text, caption, address bar and small icon of a child that shows search results.
void ApplySearchAppearance(TMDIChildView& view);
