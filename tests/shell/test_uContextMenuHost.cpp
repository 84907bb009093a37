// The context-menu host: what it asks of the shell's menu object when it
// builds, tracks and invokes, and what it passes along.

#include "app/ComPtr.h"
#include "app/uPIDL.h"
#include "mainwnd/wMainWnd.h"
#include "res/resource.h"
#include "shell/uContextMenuHost.h"
#include "shell/uContextMenuSlot.h"
#include "tests/support/RemoveTree.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

// A shell menu of three entries: "copy", a separator and "rename".
class FakeMenu final : public IContextMenu3 {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IContextMenu || riid == IID_IContextMenu2 ||
            riid == IID_IContextMenu3) {
            *out = static_cast<IContextMenu3*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override {
        queried = true;
        queryIndex = index;
        queryFirst = first;
        queryLast = last;
        queryFlags = flags;
        if (failQuery) return E_FAIL;
        InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, first + 0, L"Copy");
        InsertMenuW(menu, index + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        InsertMenuW(menu, index + 2, MF_BYPOSITION | MF_STRING, first + 2, L"Rename");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3);
    }
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        ++invokes;
        const auto* ex = reinterpret_cast<const CMINVOKECOMMANDINFOEX*>(info);
        cbSize = ex->cbSize;
        mask = ex->fMask;
        hwnd = ex->hwnd;
        nShow = ex->nShow;
        integerVerb = IS_INTRESOURCE(ex->lpVerb);
        verbNumber = integerVerb ? LOWORD(reinterpret_cast<ULONG_PTR>(ex->lpVerb)) : 0xFFFF;
        verbText = integerVerb ? "" : ex->lpVerb;
        verbTextW = (ex->lpVerbW && !IS_INTRESOURCE(ex->lpVerbW)) ? ex->lpVerbW : L"";
        directory = ex->lpDirectory ? ex->lpDirectory : "";
        directoryW = ex->lpDirectoryW ? ex->lpDirectoryW : L"";
        return S_OK;
    }
    STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* name, UINT size) override {
        if (type != GCS_VERBA) return E_INVALIDARG;
        const char* verb = offset == 0 ? "copy" : offset == 2 ? "rename" : nullptr;
        if (!verb) return E_FAIL;
        lstrcpynA(name, verb, static_cast<int>(size));
        return S_OK;
    }
    STDMETHODIMP HandleMenuMsg(UINT, WPARAM, LPARAM) override { return S_OK; }
    STDMETHODIMP HandleMenuMsg2(UINT, WPARAM, LPARAM, LRESULT*) override { return S_OK; }

    ULONG refs = 1;
    bool failQuery = false;
    bool queried = false;
    UINT queryIndex = 0, queryFirst = 0, queryLast = 0, queryFlags = 0;
    int invokes = 0;
    DWORD cbSize = 0, mask = 0;
    HWND hwnd = nullptr;
    int nShow = 0;
    bool integerVerb = false;
    UINT verbNumber = 0;
    std::string verbText, directory;
    std::wstring verbTextW, directoryW;
};

struct TrackSeen {
    HMENU popup = nullptr;
    HWND owner = nullptr;
    POINT at{};
    IContextMenu* slot = nullptr;
};
TrackSeen g_track;

UINT ChooseRename(HMENU popup, int x, int y, HWND owner) {
    g_track = {popup, owner, {x, y}, TrackedContextMenuSlot().get()};
    return 3;
}

class ContextMenuHost : public testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        FrameLink().window = owner_;
        g_track = {};
    }
    void TearDown() override {
        ContextMenuTrackerHook() = saved_;
        FrameLink().window = nullptr;
        DestroyWindow(owner_);
        EXPECT_EQ(menu_.refs, 1u) << "every reference the host took is given back";
    }

    HWND owner_ = nullptr;
    FakeMenu menu_;
    ContextMenuTracker saved_ = ContextMenuTrackerHook();
};

TEST_F(ContextMenuHost, BuildAsksForIdentifiersOneTo7FFFWithExploreAndRename) {
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    EXPECT_EQ(menu_.queryIndex, 0u);
    EXPECT_EQ(menu_.queryFirst, 1u);
    EXPECT_EQ(menu_.queryLast, 0x7FFFu);
    EXPECT_EQ(menu_.queryFlags, 0x14u);
    EXPECT_EQ(GetMenuItemCount(host.Popup()), 3);
}

TEST_F(ContextMenuHost, ARefusedBuildShowsNothing) {
    menu_.failQuery = true;
    TContextMenu host;
    EXPECT_FALSE(host.Build(&menu_));
}

TEST_F(ContextMenuHost, AnOwnPopupGoesWithTheObjectAGivenOneStays) {
    HMENU own = nullptr;
    {
        TContextMenu host;
        ASSERT_TRUE(host.Build(&menu_));
        own = host.Popup();
        ASSERT_TRUE(IsMenu(own));
    }
    EXPECT_FALSE(IsMenu(own));

    HMENU given = CreatePopupMenu();
    AppendMenuW(given, MF_STRING, IDM_VIEW_LARGE, L"mine");
    {
        TContextMenu host;
        ASSERT_TRUE(host.Build(&menu_, given, 100));
        EXPECT_EQ(menu_.queryIndex, 100u);
        EXPECT_EQ(host.Popup(), given);
    }
    ASSERT_TRUE(IsMenu(given));
    EXPECT_EQ(GetMenuItemCount(given), 4);
    EXPECT_EQ(GetMenuItemID(given, 0), UINT{IDM_VIEW_LARGE}) << "the shell's items come after the caller's";
    DestroyMenu(given);
}

TEST_F(ContextMenuHost, TrackShowsThePopupWithTheMainWindowAsOwnerAndFillsTheSlotMeanwhile) {
    ContextMenuTrackerHook() = ChooseRename;
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    EXPECT_EQ(host.Track(12, 34), 3u);
    EXPECT_EQ(g_track.popup, host.Popup());
    EXPECT_EQ(g_track.owner, owner_);
    EXPECT_EQ(g_track.at.x, 12);
    EXPECT_EQ(g_track.at.y, 34);
    EXPECT_EQ(g_track.slot, static_cast<IContextMenu*>(&menu_));
    EXPECT_FALSE(TrackedContextMenuSlot());
}

TEST_F(ContextMenuHost, WithoutAMainWindowNothingIsTracked) {
    ContextMenuTrackerHook() = ChooseRename;
    FrameLink().window = nullptr;
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    EXPECT_EQ(host.Track(0, 0), 0u);
    EXPECT_EQ(g_track.popup, nullptr);
}

TEST_F(ContextMenuHost, TheVerbOfAChoiceIsAskedForOneBelowItsIdentifier) {
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    EXPECT_EQ(host.GetVerb(1), "copy");
    EXPECT_EQ(host.GetVerb(3), "rename");
    EXPECT_EQ(host.GetVerb(2), "") << "a verb the shell does not name";
    EXPECT_EQ(host.GetVerb(0), "");
}

TEST_F(ContextMenuHost, InvokeRunsTheChoiceOneBelowItsIdentifierInTheFolder) {
    UniqueAbsolutePidl windows;
    ASSERT_EQ(SHParseDisplayName(L"C:\\windows", nullptr, windows.put(), 0, nullptr), S_OK);
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    EXPECT_EQ(host.Invoke(3, windows.get()), S_OK);
    ASSERT_EQ(menu_.invokes, 1);
    EXPECT_EQ(menu_.cbSize, sizeof(CMINVOKECOMMANDINFOEX));
    EXPECT_TRUE(menu_.integerVerb);
    EXPECT_EQ(menu_.verbNumber, 2u);
    EXPECT_EQ(menu_.hwnd, owner_);
    EXPECT_EQ(menu_.nShow, SW_SHOWNORMAL);
    EXPECT_EQ(_stricmp(menu_.directory.c_str(), "C:\\windows"), 0) << menu_.directory;
    EXPECT_EQ(_wcsicmp(menu_.directoryW.c_str(), L"C:\\windows"), 0);
}

TEST_F(ContextMenuHost, AFolderWithAJapaneseNameReachesTheShellWhole) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"zeko-menu-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-新しいフォルダ";
    std::filesystem::create_directories(folder);
    UniqueAbsolutePidl pidl;
    ASSERT_EQ(SHParseDisplayName(folder.c_str(), nullptr, pidl.put(), 0, nullptr), S_OK);
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    host.Invoke(1, pidl.get());
    EXPECT_NE(menu_.mask & CMIC_MASK_UNICODE, 0u);
    EXPECT_EQ(menu_.directoryW, folder);
    RemoveTree(folder);
}

TEST_F(ContextMenuHost, InvokeWithoutAFolderGivesNoDirectory) {
    TContextMenu host;
    ASSERT_TRUE(host.Build(&menu_));
    host.Invoke(1, nullptr);
    ASSERT_EQ(menu_.invokes, 1);
    EXPECT_EQ(menu_.verbNumber, 0u);
    EXPECT_EQ(menu_.directory, "");
    EXPECT_EQ(menu_.directoryW, L"");
}

TEST_F(ContextMenuHost, InvokeVerbPassesTheVerbsByName) {
    const char* const verbs[] = {"cut", "copy", "paste", "link", "delete", "properties", "pastelink"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(TContextMenu::InvokeVerb(&menu_, i), S_OK);
        EXPECT_FALSE(menu_.integerVerb);
        EXPECT_EQ(menu_.verbText, verbs[i]);
        EXPECT_EQ(menu_.hwnd, owner_);
        EXPECT_EQ(menu_.nShow, SW_SHOWNORMAL);
        EXPECT_EQ(menu_.directory, "");
    }
    EXPECT_FALSE(menu_.queried) << "no menu is built for a verb";
    EXPECT_EQ(TContextMenu::InvokeVerb(&menu_, 7), E_INVALIDARG);
    EXPECT_EQ(menu_.invokes, 7);
}

TEST_F(ContextMenuHost, AFileSystemFolderHasAShellMenuWithItems) {
    UniqueAbsolutePidl windows;
    ASSERT_EQ(SHParseDisplayName(L"C:\\windows", nullptr, windows.put(), 0, nullptr), S_OK);
    ComPtr<IContextMenu> shellMenu = ItemContextMenu(windows.get());
    ASSERT_TRUE(shellMenu);
    TContextMenu host;
    ASSERT_TRUE(host.Build(shellMenu.get()));
    EXPECT_GT(GetMenuItemCount(host.Popup()), 0);
    EXPECT_FALSE(ItemContextMenu(nullptr));
}

}  // namespace
