#pragma once
// Favorite groups: named, ordered sets of folders opened together as tabs.
// They live only in the registry (key FavoriteGroup): every operation reads
// and writes it directly.

#include "app/uPIDL.h"

#include <windows.h>

#include <string>
#include <vector>

// Commands 10600-10799 reach the groups 0-199.
inline constexpr int kMaxGroupNumber = 199;

// The group numbers in display order (the value Order), as stored: a number
// without its subkey is in it too.
std::vector<int> GroupOrder();
// Stores the order, or deletes it when empty.
void WriteGroupOrder(const std::vector<int>& order);
// The smallest number whose subkey does not exist, or -1 when every number
// a command can reach is taken.
int NewGroupNumber();
bool GroupExists(int number);
std::wstring GroupName(int number);
// The group's sound folders in order; none when the group is missing.
std::vector<UniqueAbsolutePidl> GroupFolders(int number);
// Creates or replaces the group's name and folders (folders only when there
// is at least one).
bool WriteGroup(int number, const std::wstring& name, const std::vector<PCIDLIST_ABSOLUTE>& folders);
void DeleteGroup(int number);
// Takes a new number, stores the group and appends it to the order; -1 when
// no number is free or the registry refuses.
int CreateGroup(const std::wstring& name, const std::vector<PCIDLIST_ABSOLUTE>& folders);

// Opens the group's folders as tabs in group order, whatever AddPos places them.
void OpenGroup(int number);
// Stores the folders of every folder tab as a new group named `name`,
// appended to the order; nothing without a tab. Answers the number or -1.
int AddTabsAsGroup(const std::wstring& name);
// Fills the submenu under 5124 after its first three items.
void FillGroupMenu(HMENU menu);

// Hands the frame's router the group commands and the group submenu.
void RegisterFavoriteGroups();
