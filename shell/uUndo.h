#pragma once
// Undo of the last file operation (command 5149). Where the platform's shell
// keeps an undo of its own, it is reached through the background menu of a
// shell view hosted by a minimal shell browser of ours, TShellBrowser; where
// its undo does nothing, the program's own operations are recorded here and
// reversed through the same shell calls.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

enum class UndoKind { Copy, Move, Rename, NewFolder, Delete };

// One operation: for Copy the paths made (`second` of each pair), for Move and
// Rename each path's old and new place, for NewFolder the folder made, for
// Delete the paths sent to the recycle bin (`first`).
struct UndoRecord {
    UndoKind kind = UndoKind::Copy;
    std::vector<std::pair<std::wstring, std::wstring>> paths;
};

// The operation the next undo reverses; replaces the one recorded before.
void RecordUndo(UndoRecord record);
// Reverses the last operation once; nothing when there is none.
void UndoLastOperation(HWND owner);
// At exit: the hosted view's window goes.
void ReleaseHostedView();
