#pragma once
// Who carries out the commands and fills the menus that the frame's router
// has no code of its own for. Their owners live in every layer, many below
// the frame: they register here, and the router looks them up when a command
// arrives or a submenu opens, so no owner needs to know the frame.

#include <windows.h>

// The notification code of a command a pane forwards for itself; lParam is
// the pane's window (folder view list, search list, folder tree, favorites tree).
inline constexpr WORD CommandFromControl = 1700;

// An owner's handler of a command or a range of them; `control` is the pane a
// command is aimed at, else null.
using CommandHandler = void (*)(UINT command, HWND control);
// Registers (or with null removes) the handler of [first, last]; a later
// registration for an overlapping range wins where the ranges overlap.
void SetCommandHandler(UINT first, UINT last, CommandHandler handler);
// The handler registered last for a range holding `command`, or null.
CommandHandler CommandHandlerOf(UINT command);

// Fills the items of a main-menu submenu that its owner keeps; called after
// the fixed items were kept and the rest removed.
using MenuPreparer = void (*)(HMENU submenu);
// Registers (or with null removes) the preparer of the submenu carried by the
// main-menu item `submenuId`; a later registration replaces an earlier one.
void SetMenuPreparer(UINT submenuId, MenuPreparer preparer);
// The preparer of that submenu, or null.
MenuPreparer MenuPreparerOf(UINT submenuId);

// The submenu of `menu` (or of its submenus) carried by the item `submenuId`, or null.
HMENU SubmenuById(HMENU menu, UINT submenuId);
