// Thumbnail mode of the folder view: the per-item picture slots, the
// background task that finds an item's picture (from the folder's cache while
// it is current, else a placeholder icon and then the extracted picture),
// writing new pictures back to the cache in the background, and drawing them.
// The GUI thread only queues work and takes finished pictures.

#include "folderview/wFolderView.h"

#include "app/ComObject.h"
#include "app/Handles.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemOrder.h"
#include "folderview/uViewResult.h"
#include "shell/uCapabilities.h"
#include "shell/uDpi.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr GUID kThumbnailTaskOwner = {0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0x00, 0xC0, 0x4F, 0xD7, 0x06, 0xEC}};
constexpr DWORD kThumbnailTaskPriority = 0x10000001;
// Writing to the cache is a kind of task of its own: a re-sort drops the
// pending extractions but not the pictures already handed over to be written.
constexpr GUID kCacheWriteTaskOwner = {0x6B1D2C47, 0x93E0, 0x4F5A, {0x8C, 0x21, 0x5D, 0x0E, 0x7A, 0x44, 0x19, 0xB3}};
// After every extraction: the pictures waited for come first.
constexpr DWORD kCacheWritePriority = ITSAT_MIN_PRIORITY;
constexpr UINT kCacheFlushDelay = 2000;
// Handing the new pictures over to be written takes a copy of each; a
// thousand of them at once would hold the window, so a flush hands over at
// most this long at a time and goes on after the messages that waited.
constexpr ULONGLONG kFlushSlice = 20;
constexpr UINT kFlushContinueDelay = 10;
// At 96 DPI; placeholders are shared by every view, so they follow the DPI
// the process started with.
constexpr int kPlaceholderSize = 48;
constexpr int kSmallIconSize = 16;
// The hand sits this far above the bottom of a thumbnail, at 96 DPI.
constexpr int kHandLift = 5;
constexpr int kFrameWidth = 2;
constexpr DWORD kColorDepth = 24;

using PictureKind = TFolderView::PictureKind;

// The list keeps the image it was last given for a row; a callback image makes it ask again.
void AskForImageAgain(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = I_IMAGECALLBACK;
    ListView_SetItem(list, &item);
}

void DestroyPicture(HANDLE handle, bool isIcon) {
    if (!handle) return;
    if (isIcon) {
        UniqueIcon owner(static_cast<HICON>(handle));
    } else {
        UniqueBitmap owner(static_cast<HBITMAP>(handle));
    }
}

// A picture made in the background for the slot `serial`.
struct Picture {
    int index = -1;
    ULONG serial = 0;
    HANDLE handle = nullptr;  // emptied once the view took it
    PictureKind kind = PictureKind::Extracted;
};

bool IsIcon(PictureKind kind) { return kind == PictureKind::Placeholder || kind == PictureKind::SharedPlaceholder; }

// Pictures handed from the scheduler's thread to the view in one message;
// whatever the view does not take stays with the sender.
struct PictureBatch : TViewResult {
    std::vector<Picture> pictures;
    bool storeRead = false;  // the cache was read: its timer closes it later

    ~PictureBatch() override {
        for (const Picture& picture : pictures)
            if (picture.kind != PictureKind::SharedPlaceholder) DestroyPicture(picture.handle, IsIcon(picture.kind));
    }
    LRESULT Apply(TFolderView& view) override {
        if (storeRead) view.RestartThumbnailTimer();
        for (Picture& picture : pictures)
            if (view.TakeThumbnail(generation, picture.index, picture.serial, picture.handle, picture.kind))
                picture.handle = nullptr;
        return 1;
    }
};

std::atomic<ULONG> g_lastSlotSerial{0};

int ThumbnailSide() { return FolderViewConfig().ThumbnailSize; }

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP shape{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(shape), &shape)) return {0, 0};
    return {shape.bmWidth, shape.bmHeight};
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    UniqueBitmap mask(info.hbmMask);
    UniqueBitmap color(info.hbmColor);
    SIZE size = BitmapSize(color ? color.get() : mask.get());
    // A monochrome icon keeps its AND and XOR masks one above the other.
    if (!color) size.cy /= 2;
    return size;
}

// Measuring an icon copies its bitmaps (a third of a millisecond under
// Wine, at every drawing of every item); a shared placeholder lives as long
// as the process, so its size is measured once. GUI thread only.
SIZE SharedIconSize(HICON icon) {
    static std::unordered_map<HICON, SIZE> sizes;
    auto found = sizes.find(icon);
    if (found == sizes.end()) found = sizes.emplace(icon, IconSize(icon)).first;
    return found->second;
}

// Placeholders by icon location, shown by every slot that needs one: the
// items of a folder share a handful of icons, and extracting one, or even
// copying it, costs milliseconds. The icons kept here live as long as the
// process; past the limit, each slot gets an icon of its own.
constexpr size_t kMostSharedPlaceholders = 256;

struct PlaceholderIcon {
    HICON icon = nullptr;
    bool shared = false;
};

PlaceholderIcon Placeholder(IExtractIconW* icons, const wchar_t* location, int index, UINT flags) {
    static std::mutex lock;
    static std::map<std::wstring, HICON> shared;
    const std::wstring key = std::wstring(location) + L"," + std::to_wstring(index);
    const bool cacheable = !(flags & GIL_DONTCACHE);
    if (cacheable) {
        std::lock_guard guard(lock);
        auto found = shared.find(key);
        if (found != shared.end()) return {found->second, true};
    }
    HICON large = nullptr, small = nullptr;
    const UINT sizes = MAKELONG(ScaleForDpi(kPlaceholderSize, SystemDpi()), ScaleForDpi(kSmallIconSize, SystemDpi()));
    HRESULT hr = icons->Extract(location, static_cast<UINT>(index), &large, &small, sizes);
    // S_FALSE leaves the extraction to the caller.
    if (hr == S_FALSE) hr = SHDefExtractIconW(location, index, flags, &large, &small, sizes);
    UniqueIcon smallIcon(small);
    UniqueIcon largeIcon(large);
    if (hr != S_OK || !largeIcon) return {};
    if (!cacheable) return {largeIcon.release(), false};
    std::lock_guard guard(lock);
    // Another view's task may have made the same one meanwhile.
    if (auto found = shared.find(key); found != shared.end()) return {found->second, true};
    if (shared.size() >= kMostSharedPlaceholders) return {largeIcon.release(), false};
    HICON icon = largeIcon.release();
    shared.emplace(key, icon);
    return {icon, true};
}

// Copies `bitmap` (or a part of it) onto `dc` with `operation`.
void Blit(HDC dc, int x, int y, HBITMAP bitmap, SIZE size, DWORD operation) {
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, operation);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

// A copy of a slot's picture for the cache writer, which owns it: the slot
// may lose its picture (a re-sort, a mode change) while it is written. The
// pictures made here are DIB sections, copied with their bits at once.
UniqueBitmap CopyPicture(HBITMAP bitmap) {
    DIBSECTION section{};
    if (GetObjectW(bitmap, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits &&
        section.dsBmih.biCompression == BI_RGB && section.dsBm.bmBitsPixel == 32) {
        BITMAPINFO info{};
        info.bmiHeader = section.dsBmih;
        void* bits = nullptr;
        UniqueBitmap copy(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (copy && bits) {
            GdiFlush();
            std::memcpy(bits, section.dsBm.bmBits,
                        static_cast<size_t>(section.dsBm.bmWidthBytes) * static_cast<size_t>(section.dsBm.bmHeight));
            return copy;
        }
    }
    return UniqueBitmap(static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// What a task works with, taken on the GUI thread when it is made: the view
// may move to another folder or drop its cache while the task waits.
struct ItemContext {
    HWND list = nullptr;
    const LONG* generation = nullptr;  // the view's counter, read on the scheduler's thread
    LONG made = 0;                     // its value when the task was made
    ComPtr<IShellFolder> folder;

    bool Current() const { return InterlockedCompareExchange(const_cast<LONG*>(generation), 0, 0) == made; }
};

// The pictures of the items asked for while it waited, on the scheduler's
// thread: first, for every item, the folder's cache when it holds a current
// picture, else a placeholder icon; then the extracted pictures one by one.
// Each is handed to the GUI thread as it is ready, the quick ones gathered
// (one message for many items, and one look at the cache for all of them).
// Kill stops it between two items and is passed on to a running extraction.
class TThumbnailBatch final : public ComObject<IRunnableTask> {
public:
    TThumbnailBatch(ItemContext context, ComPtr<IShellImageStore> store)
        : context_(std::move(context)), store_(std::move(store)) {}

    // GUI thread: false once the batch has started or is full.
    bool Add(int index, ULONG serial, PCUITEMID_CHILD item) {
        std::lock_guard guard(lock_);
        if (started_ || requests_.size() >= kMostPerBatch) return false;
        UniqueChildPidl copy(PIDLClone(item));
        if (!copy) return false;
        requests_.push_back({index, serial, std::move(copy), {}});
        return true;
    }

    HRESULT STDMETHODCALLTYPE Run() override {
        state_ = IRTIR_TASK_RUNNING;
        std::vector<Request> requests;
        {
            std::lock_guard guard(lock_);
            started_ = true;
            requests.swap(requests_);
        }
        if (context_.folder && Going()) {
            LookUp(requests);
            Extract(requests);
        }
        state_ = IRTIR_TASK_FINISHED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Kill(BOOL wait) override {
        killed_ = true;
        Forward([&](IRunnableTask* task) { return task->Kill(wait); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Suspend() override { return Forward([](IRunnableTask* task) { return task->Suspend(); }); }
    HRESULT STDMETHODCALLTYPE Resume() override { return Forward([](IRunnableTask* task) { return task->Resume(); }); }
    ULONG STDMETHODCALLTYPE IsRunning() override { return state_; }

private:
    // Enough for a screenful of items.
    static constexpr size_t kMostPerBatch = 256;
    // Quick pictures are handed over at least this often.
    static constexpr ULONGLONG kGatherTime = 30;

    struct Request {
        int index;
        ULONG serial;
        UniqueChildPidl item;
        ComPtr<IExtractImage> extractor;
    };

    ~TThumbnailBatch() override = default;

    bool Going() const { return !killed_ && context_.Current(); }

    void LookUp(std::vector<Request>& requests) {
        DWORD lock = 0;
        const bool storeOpen = store_ && SUCCEEDED(store_->Open(STGM_READ, &lock));
        PictureBatch gathered;
        gathered.storeRead = storeOpen;
        ULONGLONG since = GetTickCount64();
        for (Request& request : requests) {
            if (!Going()) break;
            if (UniqueBitmap cached = storeOpen ? FromCache(request.item.get()) : UniqueBitmap()) {
                gathered.pictures.push_back({request.index, request.serial, cached.release(), PictureKind::Cached});
                continue;
            }
            const PlaceholderIcon placeholder = MakePlaceholder(request.item.get());
            if (placeholder.icon)
                gathered.pictures.push_back({request.index, request.serial, placeholder.icon,
                                             placeholder.shared ? PictureKind::SharedPlaceholder
                                                                : PictureKind::Placeholder});
            request.extractor = MakeExtractor(request.item.get());
            if (GetTickCount64() - since >= kGatherTime && !gathered.pictures.empty()) {
                Deliver(gathered);
                since = GetTickCount64();
            }
        }
        if (storeOpen) store_->ReleaseLock(&lock);
        if (!gathered.pictures.empty() || gathered.storeRead) Deliver(gathered);
    }

    // Decoding is most of the work: a second lane extracts beside the
    // scheduler's thread where the machine has a core to spare. Both are
    // done before Run returns, so removing the task still waits for them.
    void Extract(std::vector<Request>& requests) {
        std::atomic<size_t> next{0};
        auto lane = [&](size_t laneIndex) {
            for (size_t i; (i = next++) < requests.size();) {
                if (!requests[i].extractor) continue;
                if (!Going()) break;
                ExtractOne(requests[i], laneIndex);
            }
        };
        const auto pictures = std::count_if(requests.begin(), requests.end(),
                                            [](const Request& request) { return request.extractor; });
        std::thread helper;
        if (pictures > 1 && std::thread::hardware_concurrency() > 1) {
            try {
                helper = std::thread([&] {
                    const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
                    lane(1);
                    if (SUCCEEDED(initialized)) CoUninitialize();
                });
            } catch (const std::system_error&) {
                // One lane does it all.
            }
        }
        lane(0);
        if (helper.joinable()) helper.join();
    }

    void ExtractOne(Request& request, size_t laneIndex) {
        SetExtraction(laneIndex, request.extractor.as<IRunnableTask>());
        HBITMAP extracted = nullptr;
        const HRESULT hr = request.extractor->Extract(&extracted);
        SetExtraction(laneIndex, {});
        PictureBatch result;
        if (hr == S_OK && extracted)
            result.pictures.push_back({request.index, request.serial, extracted, PictureKind::Extracted});
        if (!result.pictures.empty() && context_.Current()) Deliver(result);
    }

    void Deliver(PictureBatch& batch) {
        batch.generation = context_.made;
        DeliverToView(context_.list, batch);
        // What was not taken is freed with the batch.
        PictureBatch spent;
        spent.pictures.swap(batch.pictures);
        batch.storeRead = false;
    }

    // The cached picture when its time stamp is the file's last write time.
    UniqueBitmap FromCache(PCUITEMID_CHILD item) {
        const std::wstring name = ItemParsingName(context_.folder.get(), item);
        FILETIME stamp{};
        WIN32_FIND_DATAW data{};
        HBITMAP cached = nullptr;
        if (name.empty() || store_->IsEntryInStore(name.c_str(), &stamp) != S_OK ||
            FAILED(SHGetDataFromIDListW(context_.folder.get(), item, SHGDFIL_FINDDATA, &data, sizeof(data))) ||
            CompareFileTime(&stamp, &data.ftLastWriteTime) != 0 ||
            FAILED(store_->GetEntry(name.c_str(), STGM_READ, &cached)))
            return {};
        return UniqueBitmap(cached);
    }

    PlaceholderIcon MakePlaceholder(PCUITEMID_CHILD item) {
        ComPtr<IExtractIconW> icons;
        wchar_t location[MAX_PATH] = {};
        int iconIndex = 0;
        UINT flags = 0;
        if (FAILED(context_.folder->GetUIObjectOf(context_.list, 1, &item, IID_IExtractIconW, nullptr,
                                                  icons.putVoid())) ||
            !icons || icons->GetIconLocation(GIL_FORSHELL, location, MAX_PATH, &iconIndex, &flags) != S_OK)
            return {};
        return Placeholder(icons.get(), location, iconIndex, flags);
    }

    ComPtr<IExtractImage> MakeExtractor(PCUITEMID_CHILD item) {
        ComPtr<IExtractImage> extractor = CreateImageExtractor(context_.folder.get(), item, context_.list);
        if (!extractor) return {};
        wchar_t location[MAX_PATH] = {};
        DWORD priority = kThumbnailTaskPriority;
        const int side = ThumbnailSide();
        const SIZE size{side, side};
        DWORD flags = IEIFLAG_ORIGSIZE | IEIFLAG_OFFLINE;
        if (extractor->GetLocation(location, MAX_PATH, &priority, &size, kColorDepth, &flags) != S_OK) return {};
        return extractor;
    }

    // Kill, Suspend and Resume may come from another thread at any time.
    void SetExtraction(size_t laneIndex, ComPtr<IRunnableTask> extraction) {
        std::lock_guard guard(extractionLock_);
        extractions_[laneIndex] = std::move(extraction);
    }

    // Passed on to the running extractions that have a task of their own.
    template <typename Call>
    HRESULT Forward(Call call) {
        std::lock_guard guard(extractionLock_);
        HRESULT hr = E_NOTIMPL;
        if (state_ != IRTIR_TASK_RUNNING) return hr;
        for (const ComPtr<IRunnableTask>& extraction : extractions_)
            if (extraction) hr = call(extraction.get());
        return hr;
    }

    std::atomic<ULONG> state_{0};
    std::atomic<bool> killed_{false};
    const ItemContext context_;
    const ComPtr<IShellImageStore> store_;
    std::mutex lock_;
    bool started_ = false;
    std::vector<Request> requests_;
    std::mutex extractionLock_;
    std::array<ComPtr<IRunnableTask>, 2> extractions_;  // each lane's running extraction's own task, if any
};

// A picture handed over to be written to the cache, with the item it shows.
struct CacheEntry {
    UniqueChildPidl item;
    UniqueBitmap picture;
};

// Asks the view for another flush later: the cache was still held by someone.
struct CacheStillHeld : TViewResult {
    LRESULT Apply(TFolderView& view) override {
        view.RestartThumbnailTimer();
        return 1;
    }
};

// Writes pictures to the folder's cache on the scheduler's thread, then
// closes the cache when nobody holds it any more. Kill stops it between two
// pictures; those not yet written are not written.
class TCacheWriteTask final : public ComObject<IRunnableTask> {
public:
    TCacheWriteTask(ItemContext context, ComPtr<IShellImageStore> store, std::vector<CacheEntry> entries)
        : context_(std::move(context)), store_(std::move(store)), entries_(std::move(entries)) {}

    HRESULT STDMETHODCALLTYPE Run() override {
        state_ = IRTIR_TASK_RUNNING;
        Write();
        state_ = IRTIR_TASK_FINISHED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Kill(BOOL) override {
        killed_ = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Suspend() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Resume() override { return E_NOTIMPL; }
    ULONG STDMETHODCALLTYPE IsRunning() override { return state_; }

private:
    ~TCacheWriteTask() override = default;

    void Write() {
        DWORD lock = 0;
        bool opened = false;
        for (CacheEntry& entry : entries_) {
            if (killed_) break;
            if (!opened) {
                HRESULT hr = store_->Open(STGM_WRITE, &lock);
                if (hr == STG_E_FILENOTFOUND) hr = store_->Create(STGM_WRITE, &lock);
                // A cache that cannot be opened is left alone: no retry, nothing closed.
                if (FAILED(hr)) return;
                opened = true;
            }
            const std::wstring name = ItemParsingName(context_.folder.get(), entry.item.get());
            WIN32_FIND_DATAW data{};
            if (FAILED(SHGetDataFromIDListW(context_.folder.get(), entry.item.get(), SHGDFIL_FINDDATA, &data,
                                            sizeof(data))))
                data.ftLastWriteTime = {};
            if (!name.empty()) store_->AddEntry(name.c_str(), &data.ftLastWriteTime, STGM_WRITE, entry.picture.get());
        }
        if (opened) store_->ReleaseLock(&lock);
        // A cache somebody still holds is tried again later; one nobody holds
        // is closed, and the timer stays off until new pictures arrive.
        if (store_->IsLocked() == S_OK) {
            CacheStillHeld again;
            again.generation = context_.made;
            DeliverToView(context_.list, again);
        } else {
            store_->Close(&lock);
        }
    }

    std::atomic<ULONG> state_{0};
    std::atomic<bool> killed_{false};
    const ItemContext context_;
    const ComPtr<IShellImageStore> store_;
    std::vector<CacheEntry> entries_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Slots

TThumbSlot::TThumbSlot() : Serial(++g_lastSlotSerial) {}

TThumbSlot::~TThumbSlot() {
    if (!Shared) DestroyPicture(Handle, IsIcon);
}

TThumbSlot::TThumbSlot(TThumbSlot&& other) noexcept
    : Handle(std::exchange(other.Handle, nullptr)), IsIcon(other.IsIcon), Dirty(other.Dirty),
      Requested(other.Requested), Shared(other.Shared), Serial(other.Serial) {}

TThumbSlot& TThumbSlot::operator=(TThumbSlot&& other) noexcept {
    if (this != &other) {
        Set(std::exchange(other.Handle, nullptr), other.IsIcon, other.Dirty, other.Shared);
        Requested = other.Requested;
        Serial = other.Serial;
    }
    return *this;
}

void TThumbSlot::Set(HANDLE handle, bool isIcon, bool dirty, bool shared) {
    if (!Shared) DestroyPicture(Handle, IsIcon);
    Handle = handle;
    IsIcon = isIcon ? 1 : 0;
    Dirty = dirty ? 1 : 0;
    Shared = shared ? 1 : 0;
}

void TFolderView::RecreateThumbs() {
    // Extractions for the old slots would find no slot to land in.
    if (Scheduler) Scheduler->RemoveTasks(kThumbnailTaskOwner, ITSAT_DEFAULT_LPARAM, FALSE);
    ThumbnailBatch.reset();
    // The list keeps the image it was given for a row that asked, and would
    // not ask again for the row's new slot: its picture would never come.
    std::vector<int> asked;
    for (size_t i = 0; i < Thumbs.size(); ++i)
        if (Thumbs[i].Requested) asked.push_back(static_cast<int>(i));
    Thumbs.clear();
    const int count = ItemCount();
    Thumbs.resize(static_cast<size_t>(count));
    for (const int row : asked) {
        if (row >= count) break;
        AskForImageAgain(ListView, row);
    }
}

// The list keeps what it was told about an item's image; asking again is
// how a changed mode gets its say.
void TFolderView::ResetItemImages() {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) AskForImageAgain(ListView, i);
}

// ---------------------------------------------------------------------------
// Entering and leaving the mode

void TFolderView::EnterThumbnailMode() {
    KillTimer(ChildWindow, kThumbnailCacheTimerId);
    ResetItemImages();
    RecreateThumbs();
    CloseImageStore();
    OpenImageStore();
}

// The list's side of the mode: its image list sizes and spaces the items.
void TFolderView::ApplyThumbnailLook() {
    // It holds no images: its size lays the items out.
    ListView_SetImageList(ListView, FolderViewImages().Thumbnails.get(), LVSIL_NORMAL);
    // The pictures keep their stored side; the gap beside them holds part of
    // a label, which grows with the DPI.
    const int side = ThumbnailSide();
    ListView_SetIconSpacing(ListView, side + ScaleForDpi(side / 4 + 1, DpiOf(ListView)), 0);
}

// Pictures not yet written are handed over now, all of them: leaving the mode
// is not a reason to extract them again. The items' images are the caller's.
void TFolderView::LeaveThumbnailMode() {
    while (ImageStore && std::any_of(Thumbs.begin(), Thumbs.end(), [](const TThumbSlot& slot) { return slot.Dirty; }))
        FlushThumbnailCache();
    CloseImageStore();
    Thumbs.clear();
}

// Tasks are gone by now: nothing can send a result any more.
void TFolderView::DropThumbnails() {
    ThumbnailBatch.reset();
    CloseImageStore();
    Thumbs.clear();
}

void TFolderView::OpenImageStore() {
    if (!FolderViewConfig().UseCache || !AbsoluteIDList) return;
    ComPtr<IShellImageStore> store = CreateThumbnailStore();
    ComPtr<IPersistFolder> persist = store.as<IPersistFolder>();
    if (persist && SUCCEEDED(persist->Initialize(AbsoluteIDList))) ImageStore = store;
}

// A write still pending keeps its own reference and closes the cache when done.
void TFolderView::CloseImageStore() {
    KillTimer(ChildWindow, kThumbnailCacheTimerId);
    if (!ImageStore) return;
    if (!WritingThumbnailCache()) {
        DWORD lock = 0;
        ImageStore->Close(&lock);
    }
    ImageStore.reset();
}

bool TFolderView::WritingThumbnailCache() const {
    return Scheduler && Scheduler->CountTasks(kCacheWriteTaskOwner) > 0;
}

// ---------------------------------------------------------------------------
// Starting an item's picture (GUI thread)

void TFolderView::StartThumbnail(int index) {
    if (index < 0 || static_cast<size_t>(index) >= Thumbs.size() || Thumbs[index].Requested) return;
    Thumbs[index].Requested = 1;
    PCUITEMID_CHILD item = ItemIDList(index);
    if (!item || !Folder || !Scheduler) return;
    // Items asked for together (a page being drawn) go in one batch.
    if (auto* batch = static_cast<TThumbnailBatch*>(ThumbnailBatch.get());
        batch && batch->Add(index, Thumbs[index].Serial, item))
        return;
    QueueThumbnailBatch();
    ComPtr<IShellImageStore> store = FolderViewConfig().UseCache ? ImageStore : ComPtr<IShellImageStore>();
    ThumbnailBatch = ComPtr<IRunnableTask>::attach(
        new TThumbnailBatch({ListView, &Generation, Generation, Folder}, std::move(store)));
    static_cast<TThumbnailBatch*>(ThumbnailBatch.get())->Add(index, Thumbs[index].Serial, item);
    // Queued at once, the batch would start on the first item of a page while
    // the rest of the page is still being drawn, and they would wait behind it.
    ThumbnailBatchHeld = true;
    if (!ListPainting) QueueThumbnailBatch();
}

void TFolderView::QueueThumbnailBatch() {
    if (!ThumbnailBatchHeld) return;
    ThumbnailBatchHeld = false;
    if (ThumbnailBatch && FAILED(Scheduler->AddTask(ThumbnailBatch.get(), kThumbnailTaskOwner, 0,
                                                    kThumbnailTaskPriority)))
        ThumbnailBatch.reset();
}

// ---------------------------------------------------------------------------
// Results and the cache (GUI thread)

bool TFolderView::TakeThumbnail(LONG generation, int index, ULONG serial, HANDLE picture, PictureKind kind) {
    if (generation != Generation || ViewMode != 4 || !picture) return false;
    // The item may have moved since the task started: items before it removed.
    int slot = index >= 0 && static_cast<size_t>(index) < Thumbs.size() && Thumbs[index].Serial == serial ? index : -1;
    for (size_t i = 0; slot < 0 && i < Thumbs.size(); ++i)
        if (Thumbs[i].Serial == serial) slot = static_cast<int>(i);
    if (slot < 0) return false;
    switch (kind) {
    case PictureKind::Placeholder:
    case PictureKind::SharedPlaceholder:
        Thumbs[slot].Set(picture, true, false, kind == PictureKind::SharedPlaceholder);
        break;
    case PictureKind::Cached:
        Thumbs[slot].Set(picture, false, false);
        break;
    case PictureKind::Extracted:
        Thumbs[slot].Set(picture, false, true);
        if (FolderViewConfig().UseCache) RestartThumbnailTimer();
        break;
    }
    ListView_RedrawItems(ListView, slot, slot);
    return true;
}

void TFolderView::RestartThumbnailTimer() { SetTimer(ChildWindow, kThumbnailCacheTimerId, kCacheFlushDelay, nullptr); }

void TFolderView::FlushThumbnailCache() {
    KillTimer(ChildWindow, kThumbnailCacheTimerId);
    if (!ImageStore) return;
    std::vector<CacheEntry> entries;
    bool more = false;
    const ULONGLONG started = GetTickCount64();
    for (size_t i = 0; i < Thumbs.size(); ++i) {
        TThumbSlot& slot = Thumbs[i];
        if (!slot.Dirty) continue;
        if (!entries.empty() && GetTickCount64() - started >= kFlushSlice) {
            more = true;
            break;
        }
        slot.Dirty = 0;
        PCUITEMID_CHILD item = ItemIDList(static_cast<int>(i));
        if (!item || !slot.Handle || slot.IsIcon) continue;
        CacheEntry entry{UniqueChildPidl(PIDLClone(item)), CopyPicture(static_cast<HBITMAP>(slot.Handle))};
        if (entry.item && entry.picture) entries.push_back(std::move(entry));
    }
    if (!entries.empty() && Scheduler) {
        auto task = ComPtr<IRunnableTask>::attach(
            new TCacheWriteTask({ListView, &Generation, Generation, Folder}, ImageStore, std::move(entries)));
        Scheduler->AddTask(task.get(), kCacheWriteTaskOwner, 0, kCacheWritePriority);
    }
    if (more) {
        SetTimer(ChildWindow, kThumbnailCacheTimerId, kFlushContinueDelay, nullptr);
        return;
    }
    // With writes pending, the last of them closes the cache or asks again.
    if (WritingThumbnailCache()) return;
    if (ImageStore->IsLocked() == S_OK) {
        RestartThumbnailTimer();
    } else {
        DWORD lock = 0;
        ImageStore->Close(&lock);
    }
}

// ---------------------------------------------------------------------------
// Drawing (item post-paint)

void TFolderView::DrawThumbnail(const NMLVCUSTOMDRAW& draw) {
    const int index = static_cast<int>(draw.nmcd.dwItemSpec);
    if (index < 0 || static_cast<size_t>(index) >= Thumbs.size() || !Thumbs[index].Handle) return;
    const TThumbSlot& slot = Thumbs[index];
    RECT rect{};
    if (!ListView_GetItemRect(ListView, index, &rect, LVIR_ICON)) return;
    HDC dc = draw.nmcd.hdc;
    const int side = ThumbnailSide();
    const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const RECT area{centre.x - side / 2, centre.y - side / 2, centre.x - side / 2 + side, centre.y - side / 2 + side};

    if (slot.IsIcon) {
        HICON icon = static_cast<HICON>(slot.Handle);
        const SIZE size = slot.Shared ? SharedIconSize(icon) : IconSize(icon);
        DrawIconEx(dc, centre.x - size.cx / 2, centre.y - size.cy / 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
    } else {
        HBITMAP bitmap = static_cast<HBITMAP>(slot.Handle);
        const SIZE size = BitmapSize(bitmap);
        Blit(dc, centre.x - size.cx / 2, centre.y - size.cy / 2, bitmap, size, SRCCOPY);
    }

    const bool selected = (ListView_GetItemState(ListView, index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const UINT dpi = DpiOf(ListView);
    UniqueGdi<HPEN> pen(
        CreatePen(PS_SOLID, ScaleForDpi(kFrameWidth, dpi), GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE)));
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, area.left - 1, area.top - 1, area.left - 1 + side + 3, area.top - 1 + side + 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);

    PCUITEMID_CHILD item = ItemIDList(index);
    SFGAOF attributes = SFGAO_LINK | SFGAO_SHARE | SFGAO_HIDDEN;
    if (!item || !Folder || FAILED(Folder->GetAttributesOf(1, &item, &attributes))) return;
    const FolderViewImageSet& images = FolderViewImages();
    if ((attributes & SFGAO_LINK) && images.Shortcut) {
        const SIZE size = BitmapSize(images.Shortcut.get());
        Blit(dc, area.left, area.bottom - size.cy, images.Shortcut.get(), size, SRCCOPY);
    }
    if ((attributes & SFGAO_SHARE) && images.Hand) {
        const SIZE size = BitmapSize(images.Hand.get());
        Blit(dc, area.left, area.bottom - size.cy - ScaleForDpi(kHandLift, dpi), images.Hand.get(), size, SRCAND);
    }
}
