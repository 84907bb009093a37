#pragma once
// Our own edit verbs for file-system items, for platforms whose shell verbs
// "cut", "copy", "paste", "pastelink", "link" and "properties" report success
// and do nothing. They take the shape of the shell's own: an IContextMenu that
// answers these verbs itself and hands every other command to the shell's menu
// it wraps. Only the capability layer creates them.

#include "app/ComPtr.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// The menu of `count` items of `folder` (`folderList` absolute), answering the
// item verbs over `shellMenu` (which may be empty); `shellMenu` itself when an
// item is not in the file system.
ComPtr<IContextMenu> WrapItemVerbs(ComPtr<IContextMenu> shellMenu, IShellFolder* folder, PCIDLIST_ABSOLUTE folderList,
                                   UINT count, PCUITEMID_CHILD* items);
// The menu of the background of `folderList`, answering "paste" and "pastelink"
// over `shellMenu` (which may be empty); `shellMenu` itself outside the file system.
ComPtr<IContextMenu> WrapBackgroundVerbs(ComPtr<IContextMenu> shellMenu, PCIDLIST_ABSOLUTE folderList);

// A drop target that copies, moves or links dropped files into the
// file-system folder `folderList`; empty for any other folder.
ComPtr<IDropTarget> FileDropTarget(PCIDLIST_ABSOLUTE folderList);

// Copies (DROPEFFECT_COPY), moves (DROPEFFECT_MOVE) or links (DROPEFFECT_LINK)
// `paths` into the file-system folder `folder`, undoably. False when the
// platform refused (a folder that cannot be written, a file held open).
bool TransferFiles(HWND owner, const std::vector<std::wstring>& paths, DWORD effect, const std::wstring& folder);

// Exposed for the tests: the name the `attempt`-th (1-based) copy of `name`
// made in the same folder gets, "a - コピー.txt", "a - コピー (2).txt", ...;
// a shortcut's name, "a.txt - ショートカット.lnk", "... (2).lnk", ...
std::wstring CopyName(const std::wstring& name, bool directory, int attempt);
std::wstring ShortcutName(const std::wstring& name, int attempt);
