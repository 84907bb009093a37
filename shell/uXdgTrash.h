#pragma once
// The freedesktop trash that a platform without a recycle bin of its own
// deletes into: a "files" folder holding what was deleted and an "info"
// folder with one record per item of where it came from. Only the
// capability layer uses this.

#include <string>

// Moves the item last deleted from `path` back there; false when the trash
// holds no such item, or something else now has that path.
bool RestoreFromXdgTrash(const std::wstring& path);
