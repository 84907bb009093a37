#pragma once
// The closed-folder history: recently closed folder windows, newest first,
// process-wide (App().closedFolders), at most CloseHistoryCount entries.

#include <windows.h>
#include <shlobj.h>

// A folder already in the history trades places with the newest entry;
// another is copied in at the front and the oldest beyond the bound go.
void RecordClosed(LPCITEMIDLIST folder);
