// Thumbnail mode: real pictures of real files, drawn centred and framed; the
// folder's cache serves current pictures, replaces changed ones and is never
// written when it must not be; late results never land; items added and
// removed keep their own pictures.

#include "FolderViewFixture.h"
#include "ItemTaskDoubles.h"

#include "folderview/uFolderViewSettings.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "shell/uThumbCache.h"
#include "tests/support/TestImages.h"

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

constexpr wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

class Thumbnails : public FolderViewTest {
protected:
    // The thumbnail image list and the marks are made at start-up, as in the program.
    void SetUp() override {
        FolderViewTest::SetUp();
        LoadFolderViewSettings();
    }
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kExplorerKey, L"ThumbnailSize");
        FolderViewTest::TearDown();
    }

    HWND OpenInThumbnailMode(const std::wstring& path) {
        HWND child = Open(path);
        if (TFolderView* view = View(child)) view->SetViewMode(4);
        Pump();
        return child;
    }

    // a.bmp red and b.bmp green, shown with the cache on; null unless both pictures came.
    HWND OpenRedAndGreenWithCache() {
        FolderViewConfig().UseCache = true;
        if (!WriteBmp(root_ / L"a.bmp", 30, 30, RGB(255, 0, 0)) || !WriteBmp(root_ / L"b.bmp", 30, 30, RGB(0, 255, 0)))
            return nullptr;
        HWND child = OpenInThumbnailMode(root_.path());
        return WaitForPictures(child, {L"a.bmp", L"b.bmp"}) ? child : nullptr;
    }

    static const TThumbSlot* Slot(HWND child, const std::wstring& name) {
        TFolderView* view = View(child);
        const int index = IndexOf(child, name);
        if (!view || index < 0 || static_cast<size_t>(index) >= view->Thumbs.size()) return nullptr;
        return &view->Thumbs[index];
    }

    // The extracted (or cached) picture of `name`; null while it shows nothing or its placeholder.
    static HBITMAP Picture(HWND child, const std::wstring& name) {
        const TThumbSlot* slot = Slot(child, name);
        return slot && slot->Handle && !slot->IsIcon ? static_cast<HBITMAP>(slot->Handle) : nullptr;
    }

    static COLORREF PictureCentre(HWND child, const std::wstring& name) {
        HBITMAP picture = Picture(child, name);
        const SIZE size = BitmapDimensions(picture);
        return PixelOf(picture, size.cx / 2, size.cy / 2);
    }

    static bool WaitForPictures(HWND child, const std::vector<std::wstring>& names, DWORD milliseconds = 60000) {
        return WaitUntil(
            [&] {
                for (const std::wstring& name : names)
                    if (!Picture(child, name)) return false;
                return true;
            },
            milliseconds);
    }

    // What the list shows, drawn into a bitmap of the list's size.
    static UniqueBitmap PrintList(HWND child) {
        HWND list = View(child)->ListView;
        RECT client{};
        GetClientRect(list, &client);
        HDC screen = GetDC(list);
        HDC memory = CreateCompatibleDC(screen);
        UniqueBitmap bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
        HGDIOBJ previous = SelectObject(memory, bitmap.get());
        SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
        SelectObject(memory, previous);
        DeleteDC(memory);
        ReleaseDC(list, screen);
        return bitmap;
    }

    static POINT IconCentre(HWND child, const std::wstring& name) {
        RECT rect{};
        rect.left = LVIR_ICON;
        SendMessageW(View(child)->ListView, LVM_GETITEMRECT, IndexOf(child, name), reinterpret_cast<LPARAM>(&rect));
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    // Runs the cache timer until no picture waits to be handed over: one run
    // hands over for a slice of time only, which a loaded machine may fill
    // with the first picture. Each run hands over one picture at least. Then
    // waits until what was handed over is written.
    static void Flush(HWND child) {
        TFolderView* view = View(child);
        for (size_t run = 0; run <= view->Thumbs.size(); ++run) {
            view->OnTimer(kThumbnailCacheTimerId);
            if (std::none_of(view->Thumbs.begin(), view->Thumbs.end(),
                             [](const TThumbSlot& slot) { return slot.Dirty != 0; }))
                break;
        }
        EXPECT_TRUE(WaitUntil([&] { return !view->WritingThumbnailCache(); }, 30000)) << "the cache is written";
    }

    std::vector<std::wstring> FolderContents() const {
        std::vector<std::wstring> names;
        for (const auto& entry : std::filesystem::directory_iterator(root_.path()))
            names.push_back(entry.path().filename().wstring());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::wstring CacheFile() const { return root_ / kThumbnailStoreFileName; }

    // The cache entry of `name` read straight from the file: its colour and time stamp.
    COLORREF CachedColour(const std::wstring& name, FILETIME* stamp = nullptr) const {
        ComPtr<IShellImageStore> store = CreateOwnThumbnailStore();
        UniqueAbsolutePidl folder = PidlOfPath(root_.path());
        DWORD lock = 0;
        if (FAILED(store.as<IPersistFolder>()->Initialize(folder.get())) || FAILED(store->Open(STGM_READ, &lock)))
            return CLR_INVALID;
        FILETIME time{};
        HBITMAP bitmap = nullptr;
        COLORREF colour = CLR_INVALID;
        if (store->IsEntryInStore(name.c_str(), &time) == S_OK &&
            store->GetEntry(name.c_str(), STGM_READ, &bitmap) == S_OK) {
            UniqueBitmap owner(bitmap);
            colour = PixelOf(bitmap, 1, 1);
            if (stamp) *stamp = time;
        }
        store->ReleaseLock(&lock);
        return colour;
    }

    // The item's last write time as its folder reports it (which may be
    // coarser than the file system's own).
    static FILETIME FolderTime(HWND child, const std::wstring& name) {
        TFolderView* view = View(child);
        WIN32_FIND_DATAW data{};
        SHGetDataFromIDListW(view->Folder.get(), view->ItemIDList(IndexOf(child, name)), SHGDFIL_FINDDATA, &data,
                             sizeof(data));
        return data.ftLastWriteTime;
    }

    void MakePictures() {
        ASSERT_TRUE(WritePicture(root_ / L"red.png", TestPicture::RedPng300x150));
        ASSERT_TRUE(WritePicture(root_ / L"green.jpg", TestPicture::GreenJpeg20x40));
        ASSERT_TRUE(WritePicture(root_ / L"blue.gif", TestPicture::BlueGif30x30));
        ASSERT_TRUE(WriteBmp(root_ / L"yellow.bmp", 50, 120, RGB(255, 255, 0)));
        ASSERT_TRUE(MakeFile(root_ / L"notes.txt", 10));
    }
};

TEST_F(Thumbnails, PictureFilesShowTheirOwnPicturesAndOtherFilesTheirIcon) {
    MakePictures();
    HWND child = OpenInThumbnailMode(root_.path());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(View(child)->Thumbs.size(), 5u);
    ASSERT_TRUE(WaitForPictures(child, {L"red.png", L"green.jpg", L"blue.gif", L"yellow.bmp"}));

    EXPECT_TRUE(CloseColour(PictureCentre(child, L"red.png"), RGB(255, 0, 0)));
    EXPECT_TRUE(CloseColour(PictureCentre(child, L"green.jpg"), RGB(0, 255, 0)));
    EXPECT_TRUE(CloseColour(PictureCentre(child, L"blue.gif"), RGB(0, 0, 255)));
    EXPECT_TRUE(CloseColour(PictureCentre(child, L"yellow.bmp"), RGB(255, 255, 0)));
    EXPECT_EQ(BitmapDimensions(Picture(child, L"red.png")).cx, 96);
    EXPECT_EQ(BitmapDimensions(Picture(child, L"red.png")).cy, 48);
    EXPECT_EQ(BitmapDimensions(Picture(child, L"yellow.bmp")).cx, 40);

    const TThumbSlot* text = Slot(child, L"notes.txt");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return text->Handle != nullptr; }, 30000)) << "a placeholder icon";
    EXPECT_EQ(text->IsIcon, 1);

    // What the list shows: each picture centred in its item's icon area.
    UniqueBitmap shown = PrintList(child);
    for (auto [name, colour] : {std::pair{L"red.png", RGB(255, 0, 0)}, std::pair{L"blue.gif", RGB(0, 0, 255)},
                                std::pair{L"yellow.bmp", RGB(255, 255, 0)}}) {
        const POINT centre = IconCentre(child, name);
        EXPECT_TRUE(CloseColour(PixelOf(shown.get(), centre.x, centre.y), colour)) << "centre of " << Joined({name});
    }
    const POINT red = IconCentre(child, L"red.png");
    EXPECT_TRUE(CloseColour(PixelOf(shown.get(), red.x - 47, red.y + 23), RGB(255, 0, 0))) << "left bottom corner";
    EXPECT_FALSE(CloseColour(PixelOf(shown.get(), red.x, red.y + 26), RGB(255, 0, 0))) << "below the picture";
}

TEST_F(Thumbnails, TheFrameMarksTheSelectedItemAndFollowsTheThumbnailSize) {
    const DWORD side = 64;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kExplorerKey, L"ThumbnailSize", REG_DWORD, &side, sizeof(side)),
              ERROR_SUCCESS);
    LoadFolderViewSettings();
    ASSERT_TRUE(WritePicture(root_ / L"a.png", TestPicture::RedPng300x150));
    ASSERT_TRUE(WritePicture(root_ / L"b.png", TestPicture::RedPng300x150));
    HWND child = OpenInThumbnailMode(root_.path());
    ASSERT_TRUE(WaitForPictures(child, {L"a.png", L"b.png"}));
    EXPECT_EQ(BitmapDimensions(Picture(child, L"a.png")).cx, 64);
    EXPECT_EQ(BitmapDimensions(Picture(child, L"a.png")).cy, 32);
    Select(child, L"b.png");

    UniqueBitmap shown = PrintList(child);
    // The frame runs just outside the 64 × 64 square around the centre.
    const POINT a = IconCentre(child, L"a.png");
    const POINT b = IconCentre(child, L"b.png");
    EXPECT_EQ(PixelOf(shown.get(), a.x - 33, a.y), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(PixelOf(shown.get(), a.x, a.y - 33), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(PixelOf(shown.get(), b.x - 33, b.y), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelOf(shown.get(), b.x, b.y - 33), GetSysColor(COLOR_HIGHLIGHT));
}

// Entered from details mode, as the view menu does: the items stand far
// enough apart that neighbouring pictures and frames never overlap.
TEST_F(Thumbnails, ItemsStandAPictureApartWhenTheModeIsEntered) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) ASSERT_TRUE(MakeFile(root_ / name, 10));
    HWND child = Open(root_.path());
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(View(child)->ViewMode, 3);
    View(child)->SetViewMode(4);
    Pump();
    const POINT a = IconCentre(child, L"a.txt");
    const POINT b = IconCentre(child, L"b.txt");
    EXPECT_EQ(a.y, b.y) << "one row";
    EXPECT_GE(std::abs(b.x - a.x), 96 + 4) << "pictures and their frames side by side";
}

TEST_F(Thumbnails, TheCacheServesCurrentPicturesAndAChangedFileIsExtractedAgainAndReplacesItsEntry) {
    HWND child = OpenRedAndGreenWithCache();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Slot(child, L"a.bmp")->Dirty, 1);
    EXPECT_FALSE(Exists(CacheFile())) << "written by the flush, not before";
    Flush(child);
    FILETIME stamp{};
    EXPECT_EQ(CachedColour(L"a.bmp", &stamp), RGB(255, 0, 0));
    const FILETIME aWritten = FolderTime(child, L"a.bmp");
    EXPECT_EQ(CompareFileTime(&stamp, &aWritten), 0);
    EXPECT_EQ(CachedColour(L"b.bmp"), RGB(0, 255, 0));
    EXPECT_EQ(Slot(child, L"a.bmp")->Dirty, 0);
    SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    Pump();

    // A current entry is used as it is: a different picture under a's
    // current time stamp is what the view shows.
    {
        ComPtr<IShellImageStore> store = CreateOwnThumbnailStore();
        UniqueAbsolutePidl folder = PidlOfPath(root_.path());
        ASSERT_EQ(store.as<IPersistFolder>()->Initialize(folder.get()), S_OK);
        DWORD lock = 0;
        ASSERT_EQ(store->Open(STGM_WRITE, &lock), S_OK);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 30, -30, 1, 32, BI_RGB};
        void* bits = nullptr;
        UniqueBitmap blue(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        std::fill_n(static_cast<DWORD*>(bits), 900, 0x0000FFu);
        ASSERT_EQ(store->AddEntry(L"a.bmp", &aWritten, STGM_WRITE, blue.get()), S_OK);
        store->ReleaseLock(&lock);
    }
    // b changes while its folder is not shown: a new picture, written later.
    ASSERT_TRUE(WriteBmp(root_ / L"b.bmp", 30, 30, RGB(255, 255, 0)));
    {
        ULARGE_INTEGER time{};
        GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&time));
        time.QuadPart += 60 * 10'000'000ull;
        const FILETIME later{time.LowPart, time.HighPart};
        UniqueHandle file(CreateFileW((root_ / L"b.bmp").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &later));
    }

    child = OpenInThumbnailMode(root_.path());
    ASSERT_TRUE(WaitForPictures(child, {L"a.bmp", L"b.bmp"}));
    EXPECT_EQ(PictureCentre(child, L"a.bmp"), RGB(0, 0, 255)) << "from the cache";
    EXPECT_EQ(Slot(child, L"a.bmp")->Dirty, 0);
    EXPECT_EQ(PictureCentre(child, L"b.bmp"), RGB(255, 255, 0)) << "extracted again";
    EXPECT_EQ(Slot(child, L"b.bmp")->Dirty, 1);
    EXPECT_EQ(CachedColour(L"b.bmp"), RGB(0, 255, 0)) << "replaced at the flush, not before";
    Flush(child);
    EXPECT_EQ(CachedColour(L"b.bmp", &stamp), RGB(255, 255, 0));
    const FILETIME bWritten = FolderTime(child, L"b.bmp");
    EXPECT_EQ(CompareFileTime(&stamp, &bWritten), 0);
}

TEST_F(Thumbnails, AFolderWhoseCacheCannotBeCreatedStillShowsPicturesAndNothingIsWritten) {
    FolderViewConfig().UseCache = true;
    ASSERT_TRUE(WriteBmp(root_ / L"a.bmp", 30, 30, RGB(255, 0, 0)));
    // A folder where the cache file would go: the file cannot be made.
    ASSERT_TRUE(MakeDirectory(CacheFile()));
    const std::vector<std::wstring> before = FolderContents();
    HWND child = OpenInThumbnailMode(root_.path());
    ASSERT_TRUE(WaitForPictures(child, {L"a.bmp"}));
    EXPECT_EQ(PictureCentre(child, L"a.bmp"), RGB(255, 0, 0));
    Flush(child);
    Pump();
    EXPECT_EQ(FolderContents(), before);
    EXPECT_TRUE(GetFileAttributesW(CacheFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(PictureCentre(child, L"a.bmp"), RGB(255, 0, 0));
}

// Pictures not yet written when the mode is left are still written, in the
// background, after the view has let the cache go.
TEST_F(Thumbnails, LeavingTheModeWritesThePendingPictures) {
    HWND child = OpenRedAndGreenWithCache();
    ASSERT_NE(child, nullptr);
    TFolderView* view = View(child);
    view->SetViewMode(0);
    EXPECT_FALSE(view->ImageStore);
    ASSERT_TRUE(WaitUntil([&] { return !view->WritingThumbnailCache(); }, 30000));
    EXPECT_EQ(CachedColour(L"a.bmp"), RGB(255, 0, 0));
    EXPECT_EQ(CachedColour(L"b.bmp"), RGB(0, 255, 0));
}

TEST_F(Thumbnails, WithoutUseCacheNothingIsReadOrWritten) {
    ASSERT_TRUE(WriteBmp(root_ / L"a.bmp", 30, 30, RGB(255, 0, 0)));
    HWND child = OpenInThumbnailMode(root_.path());
    ASSERT_TRUE(WaitForPictures(child, {L"a.bmp"}));
    EXPECT_FALSE(View(child)->ImageStore);
    Flush(child);
    EXPECT_FALSE(Exists(CacheFile()));
}

TEST_F(Thumbnails, ResultsForAnotherGenerationOrAGoneSlotNeverLand) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt", 1));
    ASSERT_TRUE(MakeFile(root_ / L"b.txt", 1));
    HWND child = OpenInThumbnailMode(root_.path());
    TFolderView* view = View(child);
    ASSERT_EQ(view->Thumbs.size(), 2u);
    auto picture = [] { return CreateBitmap(4, 4, 1, 32, nullptr); };

    HBITMAP stale = picture();
    EXPECT_FALSE(view->TakeThumbnail(view->Generation - 1, 0, view->Thumbs[0].Serial, stale));
    // The view's own tasks may put the item's placeholder in meanwhile: only
    // the refused picture must not be there.
    EXPECT_NE(view->Thumbs[0].Handle, stale);
    UniqueBitmap staleOwner(stale);

    HBITMAP orphan = picture();
    EXPECT_FALSE(view->TakeThumbnail(view->Generation, 0, view->Thumbs[1].Serial + 1000, orphan));
    UniqueBitmap orphanOwner(orphan);

    // Pictures read from the cache and placeholders are held to the same rules.
    using Kind = TFolderView::PictureKind;
    HBITMAP staleCached = picture();
    EXPECT_FALSE(view->TakeThumbnail(view->Generation - 1, 0, view->Thumbs[0].Serial, staleCached, Kind::Cached));
    UniqueBitmap staleCachedOwner(staleCached);
    UniqueIcon staleIcon(CreateIcon(nullptr, 16, 16, 1, 1, std::vector<BYTE>(32, 0xFF).data(),
                                    std::vector<BYTE>(32, 0).data()));
    EXPECT_FALSE(
        view->TakeThumbnail(view->Generation - 1, 0, view->Thumbs[0].Serial, staleIcon.get(), Kind::Placeholder));
    EXPECT_NE(view->Thumbs[0].Handle, staleIcon.get());
    EXPECT_NE(view->Thumbs[0].Handle, staleCached);

    // The item moved: the result follows its slot, not the index it started at.
    HBITMAP moved = picture();
    ASSERT_TRUE(view->TakeThumbnail(view->Generation, 0, view->Thumbs[1].Serial, moved));
    EXPECT_EQ(view->Thumbs[1].Handle, moved);
    EXPECT_EQ(view->Thumbs[1].Dirty, 1);
}

// Placeholders that many items share belong to none of them; one made for
// a single item goes with its slot.
TEST_F(Thumbnails, AnOwnedPlaceholderGoesWithItsSlotAndASharedOneStays) {
    ASSERT_TRUE(MakeFile(root_ / L"a.txt", 1));
    ASSERT_TRUE(MakeFile(root_ / L"b.txt", 1));
    HWND child = OpenInThumbnailMode(root_.path());
    TFolderView* view = View(child);
    ASSERT_EQ(view->Thumbs.size(), 2u);
    using Kind = TFolderView::PictureKind;
    const std::vector<BYTE> andMask(32, 0xFF), xorMask(32, 0);
    HICON owned = CreateIcon(nullptr, 16, 16, 1, 1, andMask.data(), xorMask.data());
    UniqueIcon shared(CreateIcon(nullptr, 16, 16, 1, 1, andMask.data(), xorMask.data()));
    ASSERT_TRUE(owned && shared);
    ASSERT_TRUE(view->TakeThumbnail(view->Generation, 0, view->Thumbs[0].Serial, owned, Kind::Placeholder));
    ASSERT_TRUE(view->TakeThumbnail(view->Generation, 1, view->Thumbs[1].Serial, shared.get(),
                                    Kind::SharedPlaceholder));
    for (size_t i = 0; i < 2; ++i)
        ASSERT_TRUE(view->TakeThumbnail(view->Generation, static_cast<int>(i), view->Thumbs[i].Serial,
                                        CreateBitmap(4, 4, 1, 32, nullptr)));
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(owned, &info)) << "destroyed when its slot took the picture";
    ASSERT_TRUE(GetIconInfo(shared.get(), &info)) << "still there for the other items";
    UniqueBitmap mask(info.hbmMask), colour(info.hbmColor);
}

// The scheduler here keeps every task through the navigation's RemoveTasks,
// as one that cannot stop them in time would: the old folder's extractions
// run while the new folder is shown.
TEST_F(Thumbnails, PicturesOfAFolderLeftWhileTheyLoadNeverLandInTheNextFolder) {
    const std::wstring pictures = root_ / L"pictures";
    const std::wstring texts = root_ / L"texts";
    ASSERT_TRUE(MakeDirectory(pictures));
    ASSERT_TRUE(MakeDirectory(texts));
    // Big enough that decoding takes a while, so navigation meets running work.
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(WriteBmp(pictures + L"\\p" + std::to_wstring(i) + L".bmp", 1600, 1200, RGB(255, 0, 0)));
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(MakeFile(texts + L"\\t" + std::to_wstring(i) + L".txt", 1));
    // Every folder opens in thumbnail mode, the one navigated to as well.
    FolderViewConfig().IniViewStyle = 4;
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        HWND child = OpenInThumbnailMode(pictures);
        TFolderView* view = View(child);
        ASSERT_NE(view, nullptr);
        auto lingering = ComPtr<TLingeringScheduler>::attach(new TLingeringScheduler(view->Scheduler));
        view->Scheduler = ComPtr<IShellTaskScheduler>(lingering.get());
        view->SetViewMode(4);
        ASSERT_TRUE(WaitUntil([&] { return lingering->Pending() > 0; }, 30000));
        view->BrowseTo(PidlOfPath(texts).release(), true, nullptr);
        ASSERT_EQ(view->Thumbs.size(), 12u);
        ASSERT_TRUE(WaitUntil([&] { return lingering->Pending() == 0; }, 30000)) << "the old tasks ran";
        Pump();
        for (const TThumbSlot& slot : view->Thumbs) EXPECT_TRUE(!slot.Handle || slot.IsIcon);
        lingering->StopLingering();
        SendMessageW(FrameLink().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
        Pump();
    }
    // Pictures that found no slot were freed, not leaked (a little slack for the system's own caches).
    EXPECT_LT(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore + 10);
}

// Wine's folders report neither links among pictures nor shared items; a
// wrapped folder adds the attributes.
TEST_F(Thumbnails, LinkAndShareMarksAreDrawnOverThePicture) {
    const COLORREF colour = RGB(200, 220, 240);
    for (const wchar_t* name : {L"both.bmp", L"link.bmp", L"plain.bmp"})
        ASSERT_TRUE(WriteBmp(root_ / name, 96, 96, colour));
    WrappedFolderOptions options;
    options.extraAttributes = {{L"both.bmp", SFGAO_LINK | SFGAO_SHARE}, {L"link.bmp", SFGAO_LINK}};
    ComPtr<TWrappedFolder> folder = TWrappedFolder::Create(root_.path(), options);
    ASSERT_TRUE(folder);
    ASSERT_TRUE(MakeDirectory(root_ / L"start"));
    HWND child = Open(root_ / L"start");
    UniqueAbsolutePidl target = PidlOfPath(root_.path());
    UniqueChildPidl relative(PIDLClone(PIDLLastChild(target.get())));
    ComPtr<IShellFolder> parent = ParentBinding(folder.get());
    View(child)->BrowseChild(parent.get(), target.release(), relative.get());
    View(child)->SetViewMode(4);
    Pump();
    ASSERT_TRUE(WaitForPictures(child, {L"both.bmp", L"link.bmp", L"plain.bmp"}));

    HINSTANCE module = GetModuleHandleW(nullptr);
    UniqueBitmap shortcut(static_cast<HBITMAP>(LoadImageW(module, L"SHORTCUT", IMAGE_BITMAP, 0, 0, 0)));
    UniqueBitmap hand(static_cast<HBITMAP>(LoadImageW(module, L"HAND", IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(shortcut && hand);
    const PixelSnapshot shortcutPixels(shortcut.get());
    const PixelSnapshot handPixels(hand.get());
    const SIZE shortcutSize = shortcutPixels.Size();
    const SIZE handSize = handPixels.Size();
    // What the bottom left corner of the 96 × 96 square should show: the
    // picture, the link mark copied over it at the bottom, the hand combined
    // by AND five pixels higher.
    auto expected = [&](bool link, bool share, int x, int fromBottom) {
        COLORREF result = colour;
        if (link && x < shortcutSize.cx && fromBottom < shortcutSize.cy)
            result = shortcutPixels.At(x, shortcutSize.cy - 1 - fromBottom);
        const int handRow = handSize.cy - 1 - (fromBottom - 5);
        if (share && x < handSize.cx && fromBottom >= 5 && handRow >= 0)
            result &= handPixels.At(x, handRow);
        return result;
    };

    const PixelSnapshot shown(PrintList(child).get());
    for (auto [name, link, share] : {std::tuple{L"both.bmp", true, true}, std::tuple{L"link.bmp", true, false},
                                     std::tuple{L"plain.bmp", false, false}}) {
        const POINT centre = IconCentre(child, name);
        int wrong = 0;
        for (int fromBottom = 0; fromBottom < 24; ++fromBottom)
            for (int x = 0; x < 20; ++x)
                if (shown.At(centre.x - 48 + x, centre.y + 47 - fromBottom) !=
                    expected(link, share, x, fromBottom))
                    ++wrong;
        EXPECT_EQ(wrong, 0) << Joined({name});
    }
}

TEST_F(Thumbnails, ItemsRemovedAndAddedKeepTheirOwnPictures) {
    ASSERT_TRUE(WriteBmp(root_ / L"a.bmp", 30, 30, RGB(255, 0, 0)));
    ASSERT_TRUE(WriteBmp(root_ / L"b.bmp", 30, 30, RGB(0, 255, 0)));
    ASSERT_TRUE(WriteBmp(root_ / L"c.bmp", 30, 30, RGB(0, 0, 255)));
    HWND child = OpenInThumbnailMode(root_.path());
    ASSERT_TRUE(WaitForPictures(child, {L"a.bmp", L"b.bmp", L"c.bmp"}));

    ASSERT_TRUE(DeleteFileW((root_ / L"a.bmp").c_str()));
    ASSERT_TRUE(WaitForNoName(child, L"a.bmp"));
    EXPECT_EQ(View(child)->Thumbs.size(), 2u);
    EXPECT_EQ(PictureCentre(child, L"b.bmp"), RGB(0, 255, 0));
    EXPECT_EQ(PictureCentre(child, L"c.bmp"), RGB(0, 0, 255));

    ASSERT_TRUE(WriteBmp(root_ / L"d.bmp", 30, 30, RGB(255, 255, 0)));
    ASSERT_TRUE(WaitForName(child, L"d.bmp"));
    EXPECT_EQ(View(child)->Thumbs.size(), 3u);
    ASSERT_TRUE(WaitForPictures(child, {L"d.bmp"}));
    EXPECT_EQ(PictureCentre(child, L"d.bmp"), RGB(255, 255, 0));
    EXPECT_EQ(PictureCentre(child, L"b.bmp"), RGB(0, 255, 0));
}

TEST_F(Thumbnails, LeavingTheModeBringsIconsBackAndDropsThePictures) {
    ASSERT_TRUE(WriteBmp(root_ / L"a.bmp", 30, 30, RGB(255, 0, 0)));
    HWND child = OpenInThumbnailMode(root_.path());
    ASSERT_TRUE(WaitForPictures(child, {L"a.bmp"}));
    TFolderView* view = View(child);
    view->SetViewMode(0);
    EXPECT_TRUE(view->Thumbs.empty());
    EXPECT_TRUE(WaitUntil(
        [&] {
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = 0;
            return ListView_GetItem(view->ListView, &item) && item.iImage >= 0;
        },
        5000))
        << "the item asks for its icon again";
    view->SetViewMode(4);
    EXPECT_EQ(view->Thumbs.size(), 1u);
    ASSERT_TRUE(WaitForPictures(child, {L"a.bmp"}));
}

}  // namespace
