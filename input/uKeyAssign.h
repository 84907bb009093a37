#pragma once
// The two key tables of the running program: the whole-program accelerator
// table that the message loop applies, and the list-scope table that the
// list-like panes consult; their settings, and the main menu that shows them.

#include "input/uKeyTable.h"

#include <windows.h>

#include <string>
#include <vector>

inline constexpr wchar_t kAccelsValue[] = L"Accels";
inline constexpr wchar_t kCommandsValue[] = L"Commands";

// The list-scope table in the user's order.
std::vector<TKeyCommand>& ListKeys();

// Modifier bits of the keys held now, in the packed key code's form.
WORD HeldKeyModifiers();
// A key press in a list-scope pane: the key with the modifiers held now.
WORD PackedKeyFromKeyDown(WORD virtualKey);
// The list-scope command of a packed key code, or 0 when the key has none.
WORD ListKeyCommand(WORD packedKey);
// What activating an item (double-click, one-click activation) runs: the
// binding of Return with the modifiers held now, or 0.
WORD ItemActivationCommand();
// The key text of the first list-scope binding of `command`, or empty; the
// launcher and script menus show it behind an item.
std::wstring ListKeyTextOf(WORD command);

// The entries of the whole-program table in effect (empty without one).
std::vector<ACCEL> WholeProgramEntries();
// Replaces the whole-program table; an empty list leaves the program without one.
void SetWholeProgramEntries(const std::vector<ACCEL>& entries);

// Reads both tables from the root settings key (null reads as missing), puts
// the whole-program table into the message loop, has the frame's commands
// 5073 and 5081 open the key assignment dialog and, when the frame exists,
// gives it a main menu annotated with the loaded keys.
void LoadKeyAssignments(HKEY root);
void SaveKeyAssignments(HKEY root);

// Appends the key text to the caption of the item `command`: after ", " when
// the caption already holds a tab, else after a tab. No item, no change.
void AnnotateMenu(HMENU menu, WORD packedKey, WORD command);
// Sixth top-level submenu of the main menu ("ウインドウ(&W)"): the MDI client
// lists the child windows there.
inline constexpr int kWindowMenuPosition = 5;
// MAINMENU annotated with every whole-program key, then every list-scope key.
HMENU BuildMainMenu();
// Gives the frame a freshly built main menu, keeps the MDI window list on its
// sixth menu, and destroys the menu it replaces.
void InstallMainMenu(HWND frame, HWND mdiClient);
