#pragma once
// The program's remembered view states: the list of per-folder states and
// the default state, loaded at start-up, saved at exit, and the three
// operations of the options page that act on them.

#include "folderview/uViewStates.h"

#include <windows.h>
#include <shlobj.h>

// Values and subkeys of SettingsArea::FolderView that hold the states.
namespace ViewStateNames {
inline constexpr wchar_t ViewStates[] = L"ViewStates";
inline constexpr wchar_t DefViewState[] = L"DefViewState";
inline constexpr wchar_t Load[] = L"Load";
inline constexpr wchar_t SortIndex[] = L"SortIndex";
inline constexpr wchar_t SortOrder[] = L"SortOrder";
inline constexpr wchar_t ColumnStates[] = L"ColumnStates";
inline constexpr wchar_t ColumnOrderArray[] = L"ColumnOrderArray";
}  // namespace ViewStateNames

// How many states survive a restart: the ones used last.
inline constexpr std::size_t kSavedViewStates = 100;

TViewStateList& ViewStates();
TDefViewState& DefViewState();

// The state of the folder `folder` (absolute), moved to the head; null when
// the folder has none.
TViewState* FindState(PCIDLIST_ABSOLUTE folder);
// A new state for `folder` at the head, holding only its ID list; null when
// the list cannot be kept.
TViewState* AddState(PCIDLIST_ABSOLUTE folder);
// A folder renamed while shown keeps its state under its new ID list.
void MoveState(PCIDLIST_ABSOLUTE oldFolder, PCIDLIST_ABSOLUTE newFolder);

// Start-up: the saved states in their saved order and the default state.
void LoadStates();
// Exit: the 100 states used last and the default state; the list is emptied.
void SaveStates();

// The options page's buttons. Each asks first and answers whether it acted.
// The active folder view's sort and columns become the default state of
// every file-system folder without a state of its own.
bool ApplyToAllFolders(HWND owner);
// The default state is no longer used.
bool ClearDefault(HWND owner);
// Every remembered per-folder state is forgotten.
bool ClearAllStates(HWND owner);
