// The history list on its own: order, the 20-entry cap and ownership moves.

#include "mdi/wMDIChild.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>

namespace {

// An entry whose folder is a one-item list carrying `number` in its bytes, so
// that entries can be told apart without touching the shell.
std::unique_ptr<THistoryEntry> Numbered(int number) {
    auto entry = std::make_unique<THistoryEntry>();
    UniquePidl list(PIDLAlloc(sizeof(USHORT) + sizeof(int) + sizeof(USHORT)));
    list.get()->mkid.cb = sizeof(USHORT) + sizeof(int);
    memcpy(list.get()->mkid.abID, &number, sizeof(int));
    *reinterpret_cast<USHORT*>(reinterpret_cast<BYTE*>(list.get()) + list.get()->mkid.cb) = 0;
    entry->folder.reset(PIDLClone(StoredFolder(list.get())));
    return entry;
}

int NumberOf(const THistoryEntry* entry) {
    int number = -1;
    if (entry && entry->folder) memcpy(&number, entry->folder.get()->mkid.abID, sizeof(int));
    return number;
}

TEST(THistoryList, TwentyFiveInsertionsKeepTheNewestTwenty) {
    THistoryList list;
    for (int i = 0; i < 25; ++i) list.InsertFront(Numbered(i));
    ASSERT_EQ(list.Count(), 20);
    EXPECT_EQ(NumberOf(list.Entry(0)), 24);
    EXPECT_EQ(NumberOf(list.Entry(19)), 5);
}

TEST(THistoryList, TwentyInsertionsKeepAll) {
    THistoryList list;
    for (int i = 0; i < 20; ++i) list.InsertFront(Numbered(i));
    ASSERT_EQ(list.Count(), 20);
    EXPECT_EQ(NumberOf(list.Entry(19)), 0);
}

TEST(THistoryList, TakeFrontHandsOverTheNewestEntry) {
    THistoryList list;
    list.InsertFront(Numbered(1));
    list.InsertFront(Numbered(2));
    std::unique_ptr<THistoryEntry> front = list.TakeFront();
    EXPECT_EQ(NumberOf(front.get()), 2);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(NumberOf(list.Entry(0)), 1);
    list.TakeFront();
    EXPECT_EQ(list.TakeFront(), nullptr);
}

TEST(THistoryList, DeleteEntryRemovesOnlyThatEntry) {
    THistoryList list;
    for (int i = 0; i < 3; ++i) list.InsertFront(Numbered(i));
    list.DeleteEntry(1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(NumberOf(list.Entry(0)), 2);
    EXPECT_EQ(NumberOf(list.Entry(1)), 0);
    list.DeleteEntry(5);
    EXPECT_EQ(list.Count(), 2);
}

TEST(THistoryList, ClearEmptiesTheList) {
    THistoryList list;
    for (int i = 0; i < 3; ++i) list.InsertFront(Numbered(i));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.InsertFront(Numbered(7));
    EXPECT_EQ(NumberOf(list.Entry(0)), 7);
}

TEST(THistoryList, MenuNamesFoldersAndSearchResults) {
    THistoryList list;
    auto search = std::make_unique<THistoryEntry>();
    search->kind = ContentSearch;
    list.InsertFront(std::move(search));
    auto windows = std::make_unique<THistoryEntry>();
    SHParseDisplayName(L"C:\\windows", nullptr, windows->folder.put(), 0, nullptr);
    ASSERT_TRUE(windows->folder);
    const std::wstring windowsName = PIDLDisplayName(windows->folder.get());
    list.InsertFront(std::move(windows));

    HMENU menu = BuildHistoryMenu(list);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    wchar_t text[260] = {};
    GetMenuStringW(menu, 1, text, 260, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), windowsName);
    GetMenuStringW(menu, 2, text, 260, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"検索結果");
    DestroyMenu(menu);
}

}  // namespace
