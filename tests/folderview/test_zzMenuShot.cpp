// One-off: screenshots of the real context menus (not committed).
#include "FolderViewFixture.h"
#include "res/resource.h"

namespace {
std::string g_shot;
void CALLBACK Shoot(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    RunUnixShell("import -window root " + g_shot);
    EndMenu();
}
using MenuShot = FolderViewTest;
TEST_F(MenuShot, Take) {
    ASSERT_TRUE(MakeDirectory(root_ / L"フォルダ"));
    ASSERT_TRUE(MakeFile(root_ / L"資料 & メモ.txt"));
    HWND child = Open(root_.path());
    Select(child, L"フォルダ");
    g_shot = "/tmp/items-menu-item.png";
    SetTimer(nullptr, 0, 2000, Shoot);
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
    ListView_SetItemState(View(child)->ListView, -1, 0, LVIS_SELECTED);
    g_shot = "/tmp/items-menu-background.png";
    SetTimer(nullptr, 0, 2000, Shoot);
    View(child)->ExecuteCommand(IDM_CONTEXT_MENU);
}
}  // namespace
