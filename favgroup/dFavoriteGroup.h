#pragma once
// The favorite group dialogs: adding the open tabs as a group, organising
// the groups, and the editor of one group.

#include <windows.h>

// Modal; both end with 1.
void ShowAddGroupDialog(HWND owner);
void ShowOrganizeGroupsDialog(HWND owner);
// `number` is -1 for a new group. Answers 1 when the group was stored, else 2.
INT_PTR ShowGroupEditor(HWND owner, int number);

// The procedures, for dialogs made modeless (tests drive them so).
INT_PTR CALLBACK AddGroupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OrganizeGroupsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// lParam at creation: the group number, or -1 for a new group.
INT_PTR CALLBACK GroupEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr wchar_t kAddGroupDialog[] = L"IDD_FAVORITEGROUP_ADD";
inline constexpr wchar_t kOrganizeGroupsDialog[] = L"IDD_FAVORITE_GROUP";
inline constexpr wchar_t kGroupEditorDialog[] = L"IDD_FAVORITE_GROUP_EDIT";
