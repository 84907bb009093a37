// The folder view's background item tasks: icons, overlays and slow column
// texts fill in without blocking the list, land on the item they belong to,
// never land after the view has moved on, and never hang a view that goes.

#include "FolderViewFixture.h"
#include "ItemTaskDoubles.h"

#include "folderview/uFolderViewSettings.h"
#include "mainwnd/wMainWnd.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kOldIcon = 700;
constexpr int kNewIcon = 800;
constexpr int kOldOverlay = 3;
constexpr int kNewOverlay = 5;
constexpr DWORD kLongWait = 60000;

int FileCount(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((folder + L"\\*.txt").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

// Makes `count` empty files; from the Linux side where that is possible, as
// Wine scans the whole folder for every file made inside it. The shell there
// may still be at work when its runner gives up waiting on a busy machine.
bool MakeManyFiles(const std::wstring& folder, int count) {
    if (!MakeDirectory(folder)) return false;
    if (CanRunUnixCommands()) {
        RunUnixShell("cd '" + UnixPath(folder) + "' && seq -f 'file%05g.txt' 0 " + std::to_string(count - 1) +
                     " | xargs touch");
        return WaitUntil([&] { return FileCount(folder) == count; }, kLongWait);
    }
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"file%05d.txt", i);
        if (!MakeFile(folder + L"\\" + name)) return false;
    }
    return true;
}

// Icons, overlays and slow texts that tell which folder double produced them.
WrappedFolderOptions MarkedOptions(int icon, int overlay, const std::wstring& prefix) {
    WrappedFolderOptions options;
    options.shellIcon = true;
    options.iconIndex = icon;
    options.iconOverlay = true;
    options.overlayIndex = overlay;
    options.slowValue = [prefix](const std::wstring& name) { return prefix + name; };
    return options;
}

// What lands on the list's items: images, overlays and non-empty texts, each
// with the name of the item it landed on at that moment.
struct Landing {
    std::wstring item;
    int image = I_IMAGECALLBACK;
    int overlay = 0;
    int subItem = 0;
    std::wstring text;
};

class TLandingRecorder {
public:
    TLandingRecorder(HWND list, const TWrappedFolder& names) : list_(list), names_(names) {
        SetWindowSubclass(list_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~TLandingRecorder() { RemoveWindowSubclass(list_, Proc, 1); }
    TLandingRecorder(const TLandingRecorder&) = delete;
    TLandingRecorder& operator=(const TLandingRecorder&) = delete;

    std::vector<Landing> landings;

private:
    std::wstring NameAt(int index) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (!ListView_GetItem(list_, &item)) return {};
        return names_.NameOf(TFolderView::ItemOfParam(item.lParam));
    }

    void Record(UINT message, WPARAM wParam, LPARAM lParam) {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (message == LVM_SETITEMTEXTW) {
            if (item->pszText && item->pszText != LPSTR_TEXTCALLBACKW && item->pszText[0])
                landings.push_back({NameAt(static_cast<int>(wParam)), I_IMAGECALLBACK, 0, item->iSubItem, item->pszText});
            return;
        }
        Landing landing{NameAt(item->iItem)};
        if ((item->mask & LVIF_IMAGE) && item->iImage >= 0) landing.image = item->iImage;
        if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_OVERLAYMASK))
            landing.overlay = static_cast<int>((item->state & LVIS_OVERLAYMASK) >> 8);
        if (landing.image >= 0 || landing.overlay) landings.push_back(landing);
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
        if (message == LVM_SETITEMW || message == LVM_SETITEMTEXTW)
            reinterpret_cast<TLandingRecorder*>(data)->Record(message, wParam, lParam);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }

    HWND list_;
    const TWrappedFolder& names_;
};

// Ends the process when the test does not finish in time: a hang shows as a
// failure with a reason instead of a timeout.
class TWatchdog {
public:
    explicit TWatchdog(DWORD milliseconds) : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), limit_(milliseconds) {
        thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    }
    ~TWatchdog() {
        SetEvent(done_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(done_);
    }
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;

private:
    static DWORD WINAPI Watch(void* self) {
        auto* watchdog = static_cast<TWatchdog*>(self);
        if (WaitForSingleObject(watchdog->done_, watchdog->limit_) == WAIT_TIMEOUT) {
            fprintf(stderr, "the view hung: the test did not end within %lu ms\n", watchdog->limit_);
            fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    HANDLE done_;
    HANDLE thread_ = nullptr;
    DWORD limit_;
};

class ItemTasksTest : public FolderViewTest {
protected:
    void TearDown() override {
        // Tasks held at a gate would keep a closing view waiting.
        for (const ComPtr<TWrappedFolder>& folder : folders_)
            for (HeldCall call : {HeldCall::Icon, HeldCall::Overlay, HeldCall::Column}) folder->Open(call);
        if (lingering_) lingering_->StopLingering();
        ListWhatIsShown();
        FolderViewTest::TearDown();
    }

    ComPtr<TWrappedFolder> Wrap(const std::wstring& path, WrappedFolderOptions options) {
        ComPtr<TWrappedFolder> folder = TWrappedFolder::Create(path, std::move(options));
        if (folder) folders_.push_back(folder);
        return folder;
    }

    HWND OpenStart() {
        MakeDirectory(root_ / L"start");
        return Open(root_ / L"start");
    }

    // Makes the view's scheduler keep every task through RemoveTasks.
    void LetTasksLinger(TFolderView* view) {
        lingering_ = ComPtr<TLingeringScheduler>::attach(new TLingeringScheduler(view->Scheduler));
        view->Scheduler = ComPtr<IShellTaskScheduler>(lingering_.get());
    }

    // Navigates the child's view to `folder`, shown under the absolute list of `shownAs`.
    static void ShowWrapped(HWND child, TWrappedFolder* folder, const std::wstring& shownAs) {
        UniqueAbsolutePidl target = PidlOfPath(shownAs);
        ASSERT_TRUE(target);
        UniqueChildPidl relative(PIDLClone(PIDLLastChild(target.get())));
        ComPtr<IShellFolder> parent = ParentBinding(folder);
        ListInPlaceOf(shownAs, folder->Path());
        View(child)->BrowseChild(parent.get(), target.release(), relative.get());
        Pump();
    }

    static int SlowSubItem(TFolderView* view, const TWrappedFolder& folder) {
        for (size_t i = 0; i < view->Columns.size(); ++i)
            if (view->Columns[i] == static_cast<int>(folder.SlowColumn())) return static_cast<int>(i);
        return -1;
    }

    static int ImageOf(TFolderView* view, int index) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = index;
        return ListView_GetItem(view->ListView, &item) ? item.iImage : I_IMAGECALLBACK;
    }

    static int OverlayOf(TFolderView* view, int index) {
        return static_cast<int>(ListView_GetItemState(view->ListView, index, LVIS_OVERLAYMASK) >> 8);
    }

    static int FirstPage(TFolderView* view) {
        return std::min(view->ItemCount(), std::max(1, ListView_GetCountPerPage(view->ListView)));
    }

    // Every item of the first page shows `icon` and the slow text `prefix` + its name.
    static bool FirstPageShows(HWND child, const TWrappedFolder& folder, int icon, const std::wstring& prefix) {
        TFolderView* view = View(child);
        const int slow = SlowSubItem(view, folder);
        if (slow < 0 || view->ItemCount() == 0) return false;
        for (int i = 0; i < FirstPage(view); ++i) {
            if (ImageOf(view, i) != icon) return false;
            if (ItemText(child, i, slow) != prefix + ItemText(child, i)) return false;
        }
        return true;
    }

    std::vector<ComPtr<TWrappedFolder>> folders_;
    ComPtr<TLingeringScheduler> lingering_;
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Both folders list the same items (one real folder under two absolute
// lists), so nothing but the generation tells an old result from a new one;
// and the scheduler lets the old folder's tasks outlive the navigation.
TEST_F(ItemTasksTest, NoIconOverlayOrTextOfTheOldFolderLandsAfterNavigatingAway) {
    const std::wstring big = root_ / L"big";
    ASSERT_TRUE(MakeManyFiles(big, 10000));
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    LetTasksLinger(view);

    ComPtr<TWrappedFolder> oldFolder = Wrap(big, MarkedOptions(kOldIcon, kOldOverlay, L"old:"));
    ASSERT_TRUE(oldFolder);
    // The first icon task is caught in its last shell call, the overlay.
    oldFolder->Hold(HeldCall::Overlay);
    ShowWrapped(child, oldFolder.get(), big);
    ASSERT_EQ(view->ItemCount(), 10000);
    ASSERT_TRUE(WaitUntil([&] { return oldFolder->Waiting(HeldCall::Overlay) > 0; }, kLongWait));

    ComPtr<TWrappedFolder> newFolder = Wrap(big, MarkedOptions(kNewIcon, kNewOverlay, L"new:"));
    ASSERT_TRUE(newFolder);
    ShowWrapped(child, newFolder.get(), root_ / L"elsewhere");
    ASSERT_EQ(view->ItemCount(), 10000);
    // A list this long is replaced on navigation; nothing lands on the new
    // one while the held task keeps the scheduler busy.
    TLandingRecorder recorder(view->ListView, *newFolder.get());
    oldFolder->Open(HeldCall::Overlay);

    // The old tasks ran before the new ones of the same priority.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return oldFolder->Waiting(HeldCall::Overlay) == 0 && lingering_->Pending() == 0 &&
                   FirstPageShows(child, *newFolder.get(), kNewIcon, L"new:");
        },
        kLongWait));
    int newResults = 0;
    for (const Landing& landing : recorder.landings) {
        EXPECT_NE(landing.image, kOldIcon) << Narrow(landing.item);
        EXPECT_NE(landing.overlay, kOldOverlay) << Narrow(landing.item);
        EXPECT_NE(landing.text.rfind(L"old:", 0), 0u) << Narrow(landing.item);
        if (landing.image == kNewIcon) ++newResults;
    }
    EXPECT_GE(newResults, FirstPage(view));
}

TEST_F(ItemTasksTest, TasksOfTheOldFolderMakeNoShellCallsAfterNavigatingAway) {
    const std::wstring big = root_ / L"big";
    ASSERT_TRUE(MakeManyFiles(big, 10000));
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    LetTasksLinger(view);

    ComPtr<TWrappedFolder> oldFolder = Wrap(big, MarkedOptions(kOldIcon, kOldOverlay, L"old:"));
    ASSERT_TRUE(oldFolder);
    // The first icon task is caught in its first shell call; the rest of the
    // page's icon and column tasks wait behind it.
    oldFolder->Hold(HeldCall::Icon);
    ShowWrapped(child, oldFolder.get(), big);
    ASSERT_TRUE(WaitUntil([&] { return oldFolder->Waiting(HeldCall::Icon) > 0; }, kLongWait));
    ASSERT_GT(lingering_->Pending(), 1u);

    ComPtr<TWrappedFolder> newFolder = Wrap(big, MarkedOptions(kNewIcon, kNewOverlay, L"new:"));
    ASSERT_TRUE(newFolder);
    ShowWrapped(child, newFolder.get(), root_ / L"elsewhere");
    const LONG callsBefore = oldFolder->BackgroundCalls();
    oldFolder->Open(HeldCall::Icon);

    ASSERT_TRUE(WaitUntil(
        [&] { return lingering_->Pending() == 0 && FirstPageShows(child, *newFolder.get(), kNewIcon, L"new:"); },
        kLongWait));
    EXPECT_EQ(oldFolder->BackgroundCalls(), callsBefore);
}

TEST_F(ItemTasksTest, ASlowColumnShowsEmptyThenFillsAndSortsByItsValues) {
    const std::map<std::wstring, std::wstring> values = {{L"a.txt", L"4"}, {L"b.txt", L"6"}, {L"c.txt", L"1"},
                                                         {L"d.txt", L"5"}, {L"e.txt", L"2"}, {L"f.txt", L"3"}};
    const std::wstring dir = root_ / L"slow";
    ASSERT_TRUE(MakeDirectory(dir));
    for (const auto& [name, value] : values) ASSERT_TRUE(MakeFile(dir + L"\\" + name));
    WrappedFolderOptions options;
    options.slowValue = [&values](const std::wstring& name) {
        auto found = values.find(name);
        return found == values.end() ? std::wstring() : found->second;
    };
    ComPtr<TWrappedFolder> folder = Wrap(dir, options);
    ASSERT_TRUE(folder);
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);

    folder->Hold(HeldCall::Column);
    ShowWrapped(child, folder.get(), dir);
    ASSERT_EQ(view->ItemCount(), 6);
    const int slow = SlowSubItem(view, *folder.get());
    ASSERT_GT(slow, 0);
    ASSERT_TRUE(WaitUntil([&] { return folder->Waiting(HeldCall::Column) > 0; }, kLongWait));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ItemText(child, i, slow), L"") << Narrow(ItemText(child, i));

    // Sorted while the values are still on their way: each must still land
    // on its own item, wherever the sort moved it.
    TLandingRecorder recorder(view->ListView, *folder.get());
    view->SortBy(static_cast<int>(folder->SlowColumn()));
    EXPECT_EQ(Names(child), (std::vector<std::wstring>{L"c.txt", L"e.txt", L"f.txt", L"a.txt", L"d.txt", L"b.txt"}));

    folder->Open(HeldCall::Column);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (int i = 0; i < 6; ++i)
                if (ItemText(child, i, slow) != values.at(ItemText(child, i))) return false;
            return true;
        },
        kLongWait));
    ASSERT_TRUE(WaitUntil([&] { return view->Scheduler->CountTasks(TOID_NULL) == 0; }, kLongWait));
    Pump();
    int texts = 0;
    for (const Landing& landing : recorder.landings) {
        if (landing.subItem != slow) continue;
        ++texts;
        EXPECT_EQ(landing.text, values.at(landing.item)) << Narrow(landing.item);
    }
    EXPECT_GE(texts, 6);
}

// A column taken away and shown again while a slow text is on its way: the
// text lands in the slow column wherever that now stands, and nowhere else.
TEST_F(ItemTasksTest, ASlowTextFollowsItsColumnWhenColumnsChangeMeanwhile) {
    const std::wstring dir = root_ / L"slow";
    ASSERT_TRUE(MakeDirectory(dir));
    ASSERT_TRUE(MakeFile(dir + L"\\only.txt"));
    WrappedFolderOptions options;
    options.slowValue = [](const std::wstring& name) { return L"value of " + name; };
    ComPtr<TWrappedFolder> folder = Wrap(dir, options);
    ASSERT_TRUE(folder);
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    folder->Hold(HeldCall::Column);
    ShowWrapped(child, folder.get(), dir);
    ASSERT_EQ(view->ItemCount(), 1);
    ASSERT_GE(view->Columns.size(), 3u);
    ASSERT_TRUE(WaitUntil([&] { return folder->Waiting(HeldCall::Column) > 0; }, kLongWait));

    // The second column goes and comes back at the end, where the slow one was.
    const int moved = view->Columns[1];
    const int slowBefore = SlowSubItem(view, *folder.get());
    view->ToggleColumn(moved);
    view->ToggleColumn(moved);
    ASSERT_EQ(view->Columns[slowBefore], moved);
    const int slow = SlowSubItem(view, *folder.get());
    ASSERT_EQ(slow, slowBefore - 1);

    TLandingRecorder recorder(view->ListView, *folder.get());
    folder->Open(HeldCall::Column);
    ASSERT_TRUE(WaitUntil([&] { return ItemText(child, 0, slow) == L"value of only.txt"; }, kLongWait));
    ASSERT_TRUE(WaitUntil([&] { return view->Scheduler->CountTasks(TOID_NULL) == 0; }, kLongWait));
    Pump();
    for (const Landing& landing : recorder.landings) {
        if (landing.text == L"value of only.txt") EXPECT_EQ(landing.subItem, slow);
    }
    EXPECT_NE(ItemText(child, 0, slowBefore), L"value of only.txt");
}

TEST_F(ItemTasksTest, WhileSortingASlowColumnIsAskedAtOnceAndKept) {
    const std::wstring dir = root_ / L"slow";
    ASSERT_TRUE(MakeDirectory(dir));
    ASSERT_TRUE(MakeFile(dir + L"\\only.txt"));
    WrappedFolderOptions options;
    options.slowValue = [](const std::wstring& name) { return L"value of " + name; };
    ComPtr<TWrappedFolder> folder = Wrap(dir, options);
    ASSERT_TRUE(folder);
    // A task could never answer: only the synchronous path fills the text.
    folder->Hold(HeldCall::Column);
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    ShowWrapped(child, folder.get(), dir);
    ASSERT_EQ(view->ItemCount(), 1);
    const int slow = SlowSubItem(view, *folder.get());
    ASSERT_GT(slow, 0);

    wchar_t buffer[MAX_PATH] = {};
    NMLVDISPINFOW info{};
    info.hdr.hwndFrom = view->ListView;
    info.hdr.idFrom = kFolderViewListId;
    info.hdr.code = LVN_GETDISPINFOW;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = 0;
    info.item.iSubItem = slow;
    info.item.lParam = reinterpret_cast<LPARAM>(view->ItemIDList(0));
    info.item.pszText = buffer;
    info.item.cchTextMax = MAX_PATH;
    view->Sorting = true;
    SendMessageW(child, WM_NOTIFY, kFolderViewListId, reinterpret_cast<LPARAM>(&info));
    view->Sorting = false;
    EXPECT_STREQ(buffer, L"value of only.txt");
    EXPECT_TRUE(info.item.mask & LVIF_DI_SETITEM);
}

// The marks of an item whose folder has no overlay interface, with the icon
// from a task and with the icon the folder gives at once.
TEST_F(ItemTasksTest, LinksAndSharesShowTheirOverlayTheShareFirstAndHiddenItemsAreGhosted) {
    FolderViewConfig().ShowHidden = true;
    const std::wstring dir = root_ / L"marks";
    ASSERT_TRUE(MakeDirectory(dir));
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    const std::map<std::wstring, SFGAOF> extra = {{L"link.txt", SFGAO_LINK},
                                                  {L"share.txt", SFGAO_SHARE},
                                                  {L"both.txt", SFGAO_LINK | SFGAO_SHARE},
                                                  {L"hidden.txt", SFGAO_HIDDEN}};
    const std::map<std::wstring, int> overlays = {
        {L"plain.txt", 0}, {L"link.txt", 2}, {L"share.txt", 1}, {L"both.txt", 1}, {L"hidden.txt", 0}};
    for (const auto& [name, overlay] : overlays) ASSERT_TRUE(MakeFile(dir + L"\\" + name));
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);

    struct Case {
        const char* name;
        bool fastIcon;
        const wchar_t* shownAs;
    };
    for (const Case& test : {Case{"icon from a task", false, L"marks"}, Case{"icon at once", true, L"elsewhere"}}) {
        SCOPED_TRACE(test.name);
        WrappedFolderOptions options;
        options.shellIcon = test.fastIcon;
        options.fastIcon = test.fastIcon;
        options.iconIndex = 1;
        options.extraAttributes = extra;
        ComPtr<TWrappedFolder> folder = Wrap(dir, options);
        ASSERT_TRUE(folder);
        ShowWrapped(child, folder.get(), root_ / test.shownAs);
        ASSERT_EQ(view->ItemCount(), 5);
        ASSERT_TRUE(WaitUntil(
            [&] {
                for (int i = 0; i < 5; ++i)
                    if (ImageOf(view, i) < 0) return false;
                return true;
            },
            kLongWait));
        for (int i = 0; i < 5; ++i) {
            const std::wstring name = ItemText(child, i);
            EXPECT_EQ(OverlayOf(view, i), overlays.at(name)) << Narrow(name);
            const bool ghosted = ListView_GetItemState(view->ListView, i, LVIS_CUT) != 0;
            EXPECT_EQ(ghosted, name == L"hidden.txt") << Narrow(name);
            if (test.fastIcon) {
                EXPECT_EQ(ImageOf(view, i), 1) << Narrow(name);
            }
        }
    }
}

TEST_F(ItemTasksTest, AnOverlayTheFolderPutsOffArrivesFromATask) {
    const std::wstring dir = root_ / L"overlay";
    ASSERT_TRUE(MakeDirectory(dir));
    ASSERT_TRUE(MakeFile(dir + L"\\one.txt"));
    ASSERT_TRUE(MakeFile(dir + L"\\two.txt"));
    WrappedFolderOptions options;
    options.shellIcon = true;
    options.fastIcon = true;
    options.iconIndex = 1;
    options.iconOverlay = true;
    options.overlayIndex = 4;
    ComPtr<TWrappedFolder> folder = Wrap(dir, options);
    ASSERT_TRUE(folder);
    folder->Hold(HeldCall::Overlay);
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    ShowWrapped(child, folder.get(), dir);
    ASSERT_EQ(view->ItemCount(), 2);

    // The icon is there at once; the overlay only once the task has it.
    ASSERT_TRUE(WaitUntil([&] { return folder->Waiting(HeldCall::Overlay) > 0; }, kLongWait));
    EXPECT_EQ(ImageOf(view, 0), 1);
    EXPECT_EQ(ImageOf(view, 1), 1);
    EXPECT_EQ(OverlayOf(view, 0), 0);
    folder->Open(HeldCall::Overlay);
    EXPECT_TRUE(WaitUntil([&] { return OverlayOf(view, 0) == 4 && OverlayOf(view, 1) == 4; }, kLongWait));
}

// Every round leaves a view while a task is inside a slow shell call and
// about to send its result to the GUI thread, which meanwhile waits for it.
TEST_F(ItemTasksTest, LeavingOrDestroyingAViewWhileItsTasksRunNeverHangsOrCrashes) {
    TWatchdog watchdog(90000);
    const std::wstring dir = root_ / L"stress";
    ASSERT_TRUE(MakeManyFiles(dir, 300));
    ASSERT_TRUE(MakeDirectory(root_ / L"elsewhere"));
    WrappedFolderOptions options = MarkedOptions(kNewIcon, kNewOverlay, L"slow:");
    options.delay = 3;
    ComPtr<TWrappedFolder> folder = Wrap(dir, options);
    ASSERT_TRUE(folder);

    constexpr int kRounds = 24;
    HWND child = OpenStart();
    ASSERT_NE(child, nullptr);
    for (int round = 0; round < kRounds; ++round) {
        const LONG calls = folder->BackgroundCalls();
        ShowWrapped(child, folder.get(), round % 2 ? dir : root_ / L"elsewhere");
        ASSERT_EQ(View(child)->ItemCount(), 300) << "round " << round;
        ASSERT_TRUE(WaitUntil([&] { return folder->BackgroundCalls() > calls; }, kLongWait)) << "round " << round;
        if (round % 3 == 2) {
            SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
            Pump();
            ASSERT_FALSE(IsWindow(child));
            child = OpenStart();
            ASSERT_NE(child, nullptr) << "round " << round;
        }
    }
    // The last view still gets its icons and texts.
    ShowWrapped(child, folder.get(), dir);
    EXPECT_TRUE(WaitUntil([&] { return FirstPageShows(child, *folder.get(), kNewIcon, L"slow:"); }, kLongWait));
}

}  // namespace
