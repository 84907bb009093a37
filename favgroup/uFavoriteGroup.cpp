#include "favgroup/uFavoriteGroup.h"

#include "app/UtilClass.h"
#include "app/uCommandRegistry.h"
#include "app/uFrameLink.h"
#include "app/uReg.h"
#include "favgroup/dFavoriteGroup.h"
#include "mdi/wMDIChild.h"
#include "mdi/wMDITab.h"
#include "res/resource.h"

#include <cstdint>
#include <utility>

namespace {

constexpr wchar_t kOrder[] = L"Order";
constexpr wchar_t kCloseAll[] = L"CloseAll";
constexpr wchar_t kName[] = L"Name";
constexpr wchar_t kFolders[] = L"PIDLs";
constexpr int kAppendTab = 1;

UniqueRegKey OpenGroups(bool create) {
    UniqueRegKey key;
    if (create)
        SettingsCreate(SettingsArea::FavoriteGroup, key);
    else
        SettingsOpen(SettingsArea::FavoriteGroup, key);
    return key;
}

std::wstring SubkeyOf(int number) { return std::to_wstring(number); }

UniqueRegKey GroupKey(int number) {
    UniqueRegKey key;
    if (number >= 0 && number <= kMaxGroupNumber)
        SettingsOpen(std::wstring(SettingsArea::FavoriteGroup) + L"\\" + SubkeyOf(number), key);
    return key;
}

void AppendToOrder(int number) {
    std::vector<int> order = GroupOrder();
    order.push_back(number);
    WriteGroupOrder(order);
}

void OnGroupCommand(UINT command, HWND) {
    if (command >= IDM_GROUP_FIRST && command <= IDM_GROUP_LAST) OpenGroup(static_cast<int>(command - IDM_GROUP_FIRST));
}

void OnDialogCommand(UINT command, HWND) {
    HWND owner = FrameLink().window;
    if (command == IDM_GROUP_ADD) ShowAddGroupDialog(owner);
    if (command == IDM_GROUP_ORGANIZE) ShowOrganizeGroupsDialog(owner);
}

}  // namespace

std::vector<int> GroupOrder() {
    UniqueRegKey groups = OpenGroups(false);
    std::vector<int> order;
    for (std::uint8_t number : SettingsReadBinary(groups.get(), kOrder)) order.push_back(number);
    return order;
}

void WriteGroupOrder(const std::vector<int>& order) {
    UniqueRegKey groups = OpenGroups(true);
    if (!groups) return;
    if (order.empty()) {
        RegDeleteValueW(groups.get(), kOrder);
        return;
    }
    std::vector<std::uint8_t> bytes;
    for (int number : order) bytes.push_back(static_cast<std::uint8_t>(number));
    SettingsWriteBinary(groups.get(), kOrder, bytes.data(), bytes.size());
}

int NewGroupNumber() {
    for (int number = 0; number <= kMaxGroupNumber; ++number)
        if (!GroupExists(number)) return number;
    return -1;
}

bool GroupExists(int number) { return static_cast<bool>(GroupKey(number)); }

std::wstring GroupName(int number) { return SettingsReadText(GroupKey(number).get(), kName); }

std::vector<UniqueAbsolutePidl> GroupFolders(int number) {
    std::vector<UniqueAbsolutePidl> folders;
    UniqueRegKey group = GroupKey(number);
    if (!group) return folders;
    TPIDLList stored(true);
    stored.LoadList(group.get(), kFolders);
    for (int i = 0; i < stored.Count(); ++i)
        if (UniqueAbsolutePidl folder(PIDLClone(StoredFolder(stored.Get(i)))); folder)
            folders.push_back(std::move(folder));
    return folders;
}

bool WriteGroup(int number, const std::wstring& name, const std::vector<PCIDLIST_ABSOLUTE>& folders) {
    if (number < 0 || number > kMaxGroupNumber) return false;
    UniqueRegKey group;
    if (!SettingsCreate(std::wstring(SettingsArea::FavoriteGroup) + L"\\" + SubkeyOf(number), group)) return false;
    SettingsWriteText(group.get(), kName, name);
    if (folders.empty()) return true;
    TPIDLList list(true);
    for (PCIDLIST_ABSOLUTE folder : folders) list.Add(PIDLClone(folder));
    list.SaveList(group.get(), kFolders);
    return true;
}

void DeleteGroup(int number) {
    if (number < 0 || number > kMaxGroupNumber) return;
    UniqueRegKey groups = OpenGroups(false);
    if (groups) SettingsDeleteTree(groups.get(), SubkeyOf(number).c_str());
}

void OpenGroup(int number) {
    if (!GroupExists(number)) return;
    UniqueRegKey groups = OpenGroups(false);
    if (SettingsReadBool(groups.get(), kCloseAll, false)) CloseAll();
    std::vector<UniqueAbsolutePidl> folders = GroupFolders(number);
    if (folders.empty()) return;

    int& addPos = TabBar().settings.addPos;
    const bool anyActive = ActiveChild() != nullptr;
    if (addPos != kAppendTab && anyActive) {
        // Each opens at the same insertion point, so the last one opened
        // stands first: opened backwards they stand in group order.
        for (auto it = folders.rbegin(); it != folders.rend(); ++it)
            OpenChildWindow(it->release(), false, nullptr, ContentFolder);
        return;
    }
    const int saved = std::exchange(addPos, kAppendTab);
    for (size_t i = 0; i < folders.size(); ++i)
        OpenChildWindow(folders[i].release(), i == 0 && !anyActive, nullptr, ContentFolder);
    addPos = saved;
}

int CreateGroup(const std::wstring& name, const std::vector<PCIDLIST_ABSOLUTE>& folders) {
    const int number = NewGroupNumber();
    if (number < 0 || !WriteGroup(number, name, folders)) return -1;
    AppendToOrder(number);
    return number;
}

int AddTabsAsGroup(const std::wstring& name) {
    const int count = TabCount();
    if (count == 0) return -1;
    std::vector<PCIDLIST_ABSOLUTE> folders;
    for (int i = 0; i < count; ++i)
        if (PCIDLIST_ABSOLUTE folder = ChildFolder(TabChild(i))) folders.push_back(folder);
    return CreateGroup(name, folders);
}

void FillGroupMenu(HMENU menu) {
    const std::vector<int> order = GroupOrder();
    for (size_t i = 0; i < order.size(); ++i) {
        const int number = order[i];
        if (!GroupExists(number)) continue;
        const std::wstring text = L"&" + std::to_wstring(i) + L" " + GroupName(number);
        AppendMenuW(menu, MF_STRING, IDM_GROUP_FIRST + number, text.c_str());
    }
}

void RegisterFavoriteGroups() {
    SetCommandHandler(IDM_GROUP_FIRST, IDM_GROUP_LAST, OnGroupCommand);
    SetCommandHandler(IDM_GROUP_ORGANIZE, IDM_GROUP_ORGANIZE, OnDialogCommand);
    SetCommandHandler(IDM_GROUP_ADD, IDM_GROUP_ADD, OnDialogCommand);
    SetMenuPreparer(IDM_GROUPS_MENU, FillGroupMenu);
}
