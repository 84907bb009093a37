#pragma once
// Shared by the side bar's tests: the real frame with the folder pane shown
// beside folder tabs on folders of the test's own.

#include "side/wFolderTree2.h"
#include "side/wSideBase.h"
#include "res/resource.h"
#include "tests/mainwnd/CommandFixture.h"

#include <commctrl.h>

#include <string>
#include <vector>

inline std::wstring TreeText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = MAX_PATH;
    if (!TreeView_GetItem(tree, &query)) return {};
    return text;
}

inline std::vector<std::wstring> ChildTexts(HWND tree, HTREEITEM parent) {
    std::vector<std::wstring> texts;
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item))
        texts.push_back(TreeText(tree, item));
    return texts;
}

inline HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::wstring& name) {
    for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item))
        if (TreeText(tree, item) == name) return item;
    return nullptr;
}

class SideTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        if (HasFatalFailure()) return;
        TFolderView::SetSynchronousFillLimit(INFINITE);
    }
    void ShowFolderPane() {
        Send(IDM_SIDE_FOLDERS);
        PumpPending();
        tree_ = FolderTreeControl();
        ASSERT_NE(tree_, nullptr);
    }
    // The tree synchronised to `path`, which is then the selected node.
    HTREEITEM SyncTo(const std::wstring& path) {
        SyncFolderTree(PidlOfPath(path).get());
        return TreeView_GetSelection(tree_);
    }
    std::wstring ActiveFolder() const { return ShownFolder(ActiveChild()); }

    HWND tree_ = nullptr;
};
