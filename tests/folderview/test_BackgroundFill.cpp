// The folder view's background fill, driven with a folder whose listing a test
// holds in the middle: the window answers meanwhile, leaving or closing during
// a fill ends cleanly, and changes made meanwhile end up in the list.

#include "FolderViewFixture.h"

#include "app/ComObject.h"
#include "app/ComPtr.h"
#include "folderview/uFillJob.h"
#include "mainwnd/wMainWnd.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

namespace {

constexpr int kHeldFolderFiles = 150;

// Holds the listing of the folder `g_heldPath` after its first step (or at
// it, with `g_holdFirstStep`), until the test lets it go.
std::wstring g_heldPath;
HANDLE g_release = nullptr;
std::atomic<int> g_heldCalls{0};
std::atomic<bool> g_holdFirstStep{false};

class THeldEnumerator final : public ComObject<IEnumIDList> {
public:
    explicit THeldEnumerator(ComPtr<IEnumIDList> inner) : inner_(std::move(inner)) {}
    STDMETHODIMP Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) override {
        if (calls_++ > 0 || g_holdFirstStep) {
            ++g_heldCalls;
            WaitForSingleObject(g_release, INFINITE);
            --g_heldCalls;
        }
        return inner_->Next(count, items, fetched);
    }
    STDMETHODIMP Skip(ULONG count) override { return inner_->Skip(count); }
    STDMETHODIMP Reset() override { return inner_->Reset(); }
    STDMETHODIMP Clone(IEnumIDList** copy) override { return inner_->Clone(copy); }

private:
    ComPtr<IEnumIDList> inner_;
    int calls_ = 0;
};

// The real folder, with a listing that is held.
class THeldFolder final : public ComObject<IShellFolder> {
public:
    explicit THeldFolder(ComPtr<IShellFolder> inner) : inner_(std::move(inner)) {}
    STDMETHODIMP ParseDisplayName(HWND owner, IBindCtx* context, LPWSTR name, ULONG* eaten, PIDLIST_RELATIVE* list,
                                  ULONG* attributes) override {
        return inner_->ParseDisplayName(owner, context, name, eaten, list, attributes);
    }
    STDMETHODIMP EnumObjects(HWND owner, SHCONTF flags, IEnumIDList** list) override {
        ComPtr<IEnumIDList> inner;
        const HRESULT hr = inner_->EnumObjects(owner, flags, inner.put());
        if (hr != S_OK) return hr;
        *list = new THeldEnumerator(std::move(inner));
        return S_OK;
    }
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid, void** object) override {
        return inner_->BindToObject(item, context, iid, object);
    }
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE item, IBindCtx* context, REFIID iid, void** object) override {
        return inner_->BindToStorage(item, context, iid, object);
    }
    STDMETHODIMP CompareIDs(LPARAM column, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
        return inner_->CompareIDs(column, a, b);
    }
    STDMETHODIMP CreateViewObject(HWND owner, REFIID iid, void** object) override {
        return inner_->CreateViewObject(owner, iid, object);
    }
    STDMETHODIMP GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* attributes) override {
        return inner_->GetAttributesOf(count, items, attributes);
    }
    STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY items, REFIID iid, UINT* reserved,
                               void** object) override {
        return inner_->GetUIObjectOf(owner, count, items, iid, reserved, object);
    }
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET* name) override {
        return inner_->GetDisplayNameOf(item, flags, name);
    }
    STDMETHODIMP SetNameOf(HWND owner, PCUITEMID_CHILD item, LPCWSTR name, SHGDNF flags, PITEMID_CHILD* out) override {
        return inner_->SetNameOf(owner, item, name, flags, out);
    }

private:
    ComPtr<IShellFolder> inner_;
};

HRESULT BindHoldingOneFolder(PCIDLIST_ABSOLUTE absolute, IShellFolder** folder) {
    *folder = nullptr;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) return E_FAIL;
    ComPtr<IShellFolder> inner;
    const HRESULT hr = desktop->BindToObject(absolute, nullptr, IID_IShellFolder, inner.putVoid());
    if (FAILED(hr)) return hr;
    if (PathOfPidl(absolute) == g_heldPath)
        *folder = new THeldFolder(std::move(inner));
    else
        *folder = inner.detach();
    return S_OK;
}

class BackgroundFill : public FolderViewTest {
protected:
    void SetUp() override {
        FolderViewTest::SetUp();
        held_ = root_ / L"held";
        other_ = root_ / L"other";
        ASSERT_TRUE(MakeDirectory(held_));
        ASSERT_TRUE(MakeDirectory(other_));
        for (int i = 0; i < kHeldFolderFiles; ++i) ASSERT_TRUE(MakeFile(held_ + L"\\held" + std::to_wstring(i) + L".txt"));
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(MakeFile(other_ + L"\\other" + std::to_wstring(i) + L".txt"));
        g_heldPath = held_;
        g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        SetFillFolderBinder(BindHoldingOneFolder);
        TFolderView::SetSynchronousFillLimit(0);
    }
    void TearDown() override {
        Release();
        WaitForWorkers();
        g_holdFirstStep = false;
        SetFillFolderBinder(nullptr);
        TFolderView::SetSynchronousFillLimit(INFINITE);
        CloseHandle(g_release);
        g_release = nullptr;
        FolderViewTest::TearDown();
    }

    static void Release() { SetEvent(g_release); }
    static bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 20000) {
        const ULONGLONG end = GetTickCount64() + milliseconds;
        while (!condition()) {
            if (GetTickCount64() > end) return false;
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
        return true;
    }
    static bool WaitForWorkers() { return WaitFor([] { return TFillJob::Running() == 0; }); }
    // The first batch is in the list and the rest of the listing is held.
    static bool WaitUntilHeld(HWND child) {
        return WaitFor([&] { return g_heldCalls.load() > 0 && View(child) && View(child)->ItemCount() > 0; });
    }
    static std::set<std::wstring> FilesIn(const std::wstring& folder) {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L"..")) names.insert(data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return names;
    }

    std::wstring held_, other_;
};

TEST_F(BackgroundFill, TheWindowAnswersWhileTheListingIsHeldAndTheSortedListFollows) {
    HWND child = Open(held_);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(WaitUntilHeld(child));
    TFolderView* view = View(child);
    EXPECT_TRUE(view->Filling());
    EXPECT_LT(view->ItemCount(), kHeldFolderFiles);
    // The window is the test's own thread: that it runs this line at all is the point.
    EXPECT_EQ(SendMessageW(view->ListView, LVM_GETITEMCOUNT, 0, 0), view->ItemCount());
    EXPECT_TRUE(SendMessageW(view->ListView, WM_SETCURSOR, reinterpret_cast<WPARAM>(view->ListView),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_APPSTARTING));

    Release();
    ASSERT_TRUE(WaitFor([&] { return !view->Filling(); }));
    const std::vector<std::wstring> names = Names(child);
    ASSERT_EQ(names.size(), static_cast<size_t>(kHeldFolderFiles));
    std::vector<std::wstring> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1, nullptr,
                               nullptr, 0) == CSTR_LESS_THAN;
    });
    EXPECT_EQ(names, sorted) << Joined(names);
}

TEST_F(BackgroundFill, AFolderSlowToGiveItsFirstEntriesDoesNotHoldTheOpen) {
    // However long the short wait may be, a listing that has not begun to
    // answer ends it. Should the open wait for the listing after all, a
    // watchdog lets the listing go, and the test sees that it did.
    g_holdFirstStep = true;
    TFolderView::SetSynchronousFillLimit(600000);
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread watchdog([&] {
        if (WaitForSingleObject(stop.get(), 60000) == WAIT_TIMEOUT) Release();
    });
    HWND child = Open(held_);
    const bool heldWhenOpened = WaitForSingleObject(g_release, 0) == WAIT_TIMEOUT;
    SetEvent(stop.get());
    watchdog.join();
    EXPECT_TRUE(heldWhenOpened) << "the open waited for the listing";
    ASSERT_NE(child, nullptr);
    Release();
    EXPECT_TRUE(WaitFor([&] { return !View(child)->Filling() && View(child)->ItemCount() == kHeldFolderFiles; }));
}

TEST_F(BackgroundFill, TheChildToSelectIsSelectedWhenItArrivesAndKeepsItAfterSorting) {
    UniqueChildPidl item(PIDLClone(PIDLLastChild(PidlOfPath(held_ + L"\\held149.txt").get())));
    HWND child = Open(held_, item.get());
    ASSERT_TRUE(WaitUntilHeld(child));
    Release();
    ASSERT_TRUE(WaitFor([&] { return !View(child)->Filling(); }));
    EXPECT_EQ(SelectedNames(child), std::vector<std::wstring>{L"held149.txt"});
    EXPECT_EQ(FocusedName(child), L"held149.txt");
}

TEST_F(BackgroundFill, LeavingDuringTheFillNeverShowsAnItemOfTheFolderLeft) {
    HWND child = Open(held_);
    ASSERT_TRUE(WaitUntilHeld(child));
    TFolderView* view = View(child);
    view->BrowseTo(PidlOfPath(other_).release(), true, nullptr);
    Release();
    ASSERT_TRUE(WaitForWorkers());
    ASSERT_TRUE(WaitFor([&] { return !view->Filling(); }));
    Pump();
    const std::vector<std::wstring> names = Names(child);
    EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()), FilesIn(other_)) << Joined(names);
    EXPECT_EQ(ShownPath(child), other_);
}

TEST_F(BackgroundFill, ClosingTheTabDuringTheFillEndsTheWorker) {
    HWND child = Open(held_);
    ASSERT_TRUE(WaitUntilHeld(child));
    SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    Pump();
    EXPECT_FALSE(IsWindow(child));
    Release();
    EXPECT_TRUE(WaitForWorkers());
}

TEST_F(BackgroundFill, ChangesMadeDuringTheFillEndInAListThatMatchesTheFolder) {
    HWND child = Open(held_);
    ASSERT_TRUE(WaitUntilHeld(child));
    ASSERT_TRUE(MakeFile(held_ + L"\\made during the fill.txt"));
    ASSERT_TRUE(DeleteFileW((held_ + L"\\held3.txt").c_str()));
    ASSERT_TRUE(MoveFileW((held_ + L"\\held7.txt").c_str(), (held_ + L"\\renamed during the fill.txt").c_str()));
    Release();
    const std::set<std::wstring> expected = FilesIn(held_);
    EXPECT_TRUE(WaitForNames(child, [&](const std::vector<std::wstring>& names) {
        return !View(child)->Filling() && names.size() == expected.size() &&
               std::set<std::wstring>(names.begin(), names.end()) == expected;
    }, 20000)) << Joined(Names(child));
}

TEST_F(BackgroundFill, RepeatedLeavingAndClosingDuringFillsLeavesNoThreadOrHandleBehind) {
    // The first round makes what lives for the whole process (the shell's caches, the scheduler's thread).
    HWND warm = Open(held_);
    Release();
    ASSERT_TRUE(WaitFor([&] { return !View(warm)->Filling(); }));
    SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(warm), 0);
    ASSERT_TRUE(WaitForWorkers());
    ResetEvent(g_release);
    Pump();
    const DWORD handlesBefore = CountKernelHandles();

    for (int round = 0; round < 20; ++round) {
        HWND child = Open(held_);
        ASSERT_TRUE(WaitUntilHeld(child));
        if (round % 2) {
            View(child)->BrowseTo(PidlOfPath(other_).release(), true, nullptr);
            View(child)->BrowseTo(PidlOfPath(held_).release(), true, nullptr);
        }
        SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        Release();
        ASSERT_TRUE(WaitForWorkers());
        ResetEvent(g_release);
    }
    Pump();
    const DWORD handlesAfter = CountKernelHandles();
    EXPECT_LE(handlesAfter, handlesBefore + 4) << handlesBefore << " before, " << handlesAfter << " after";
}

}  // namespace
