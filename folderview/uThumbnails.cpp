// Thumbnail mode of the folder view: the per-item picture slots, starting an
// extraction (or taking the picture from the folder's cache while it is
// current), the background task that extracts, writing new pictures back to
// the cache, and drawing them.

#include "folderview/wFolderView.h"

#include "app/ComObject.h"
#include "app/Handles.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewResult.h"
#include "shell/uCapabilities.h"

#include <atomic>
#include <map>
#include <string>
#include <utility>

namespace {

constexpr GUID kThumbnailTaskOwner = {0xE03A8B5F, 0xBF15, 0x11D0, {0xA3, 0xA5, 0x00, 0xC0, 0x4F, 0xD7, 0x06, 0xEC}};
constexpr DWORD kThumbnailTaskPriority = 0x10000001;
constexpr UINT kCacheFlushDelay = 2000;
// A flush writes for at most this long at a time and goes on after the
// messages that waited meanwhile: a thousand new pictures written at once
// would hold the window for seconds.
constexpr ULONGLONG kFlushSlice = 40;
constexpr UINT kFlushContinueDelay = 10;
constexpr int kPlaceholderSize = 48;
constexpr int kSmallIconSize = 16;
constexpr DWORD kColorDepth = 24;
// The result of an extraction, handed from the scheduler's thread to the
// view; Apply answers 1 when the view took the bitmap.
struct ThumbnailResult : TViewResult {
    int index = -1;
    ULONG serial = 0;
    HBITMAP bitmap = nullptr;

    LRESULT Apply(TFolderView& view) override { return view.TakeThumbnail(generation, index, serial, bitmap); }
};

std::atomic<ULONG> g_lastSlotSerial{0};

void DestroyPicture(HANDLE handle, bool isIcon) {
    if (!handle) return;
    if (isIcon) {
        UniqueIcon owner(static_cast<HICON>(handle));
    } else {
        UniqueBitmap owner(static_cast<HBITMAP>(handle));
    }
}

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

// Placeholders by icon location: the items of a folder share a handful of
// icons, and extracting one costs milliseconds. Used on the GUI thread only.
constexpr size_t kMostCachedPlaceholders = 256;

HICON Placeholder(IExtractIconW* icons, const wchar_t* location, int index, UINT flags) {
    static std::map<std::wstring, UniqueIcon> cache;
    const std::wstring key = std::wstring(location) + L"," + std::to_wstring(index);
    const bool cacheable = !(flags & GIL_DONTCACHE);
    if (cacheable) {
        auto found = cache.find(key);
        if (found != cache.end()) return CopyIcon(found->second.get());
    }
    HICON large = nullptr, small = nullptr;
    const UINT sizes = MAKELONG(kPlaceholderSize, kSmallIconSize);
    HRESULT hr = icons->Extract(location, static_cast<UINT>(index), &large, &small, sizes);
    // S_FALSE leaves the extraction to the caller.
    if (hr == S_FALSE) hr = SHDefExtractIconW(location, index, flags, &large, &small, sizes);
    UniqueIcon smallIcon(small);
    UniqueIcon largeIcon(large);
    if (hr != S_OK || !largeIcon) return nullptr;
    if (!cacheable) return largeIcon.release();
    if (cache.size() >= kMostCachedPlaceholders) cache.clear();
    HICON copy = CopyIcon(largeIcon.get());
    cache.emplace(key, std::move(largeIcon));
    return copy;
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

// One item's extraction on the scheduler's thread. The picture goes to the
// GUI thread with SendMessageW; the slots are touched only there, so items
// added or removed meanwhile cannot make it land in the wrong place.
class TRunnableTask final : public ComObject<IRunnableTask> {
public:
    TRunnableTask(TFolderView& view, int index, ULONG serial, ComPtr<IExtractImage> extractor, LONG generation)
        : view_(view), index_(index), serial_(serial), extractor_(std::move(extractor)), generation_(generation),
          extractorTask_(extractor_.as<IRunnableTask>()) {}

    HRESULT STDMETHODCALLTYPE Run() override {
        state_ = IRTIR_TASK_RUNNING;
        if (Current()) {
            HBITMAP extracted = nullptr;
            const HRESULT hr = extractor_->Extract(&extracted);
            UniqueBitmap bitmap(extracted);
            if (hr == S_OK && bitmap && Current()) {
                ThumbnailResult result;
                result.generation = generation_;
                result.index = index_;
                result.serial = serial_;
                result.bitmap = bitmap.get();
                if (DeliverToView(view_.ListView, result)) bitmap.release();
            }
        }
        state_ = IRTIR_TASK_FINISHED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Kill(BOOL wait) override {
        return Forward([&] { return extractorTask_->Kill(wait); });
    }
    HRESULT STDMETHODCALLTYPE Suspend() override {
        return Forward([&] { return extractorTask_->Suspend(); });
    }
    HRESULT STDMETHODCALLTYPE Resume() override {
        return Forward([&] { return extractorTask_->Resume(); });
    }
    ULONG STDMETHODCALLTYPE IsRunning() override { return state_; }

private:
    ~TRunnableTask() override = default;

    bool Current() const { return InterlockedCompareExchange(&view_.Generation, 0, 0) == generation_; }

    template <typename Call>
    HRESULT Forward(Call call) {
        if (!extractorTask_ || state_ != IRTIR_TASK_RUNNING) return E_NOTIMPL;
        const HRESULT hr = call();
        state_ = extractorTask_->IsRunning();
        return hr;
    }

    std::atomic<ULONG> state_{0};
    TFolderView& view_;
    const int index_;
    const ULONG serial_;
    const ComPtr<IExtractImage> extractor_;
    const LONG generation_;
    const ComPtr<IRunnableTask> extractorTask_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Slots

TThumbSlot::TThumbSlot() : Serial(++g_lastSlotSerial) {}

TThumbSlot::~TThumbSlot() { DestroyPicture(Handle, IsIcon); }

TThumbSlot::TThumbSlot(TThumbSlot&& other) noexcept
    : Handle(std::exchange(other.Handle, nullptr)), IsIcon(other.IsIcon), Dirty(other.Dirty),
      Requested(other.Requested), Serial(other.Serial) {}

TThumbSlot& TThumbSlot::operator=(TThumbSlot&& other) noexcept {
    if (this != &other) {
        Set(std::exchange(other.Handle, nullptr), other.IsIcon, other.Dirty);
        Requested = other.Requested;
        Serial = other.Serial;
    }
    return *this;
}

void TThumbSlot::Set(HANDLE handle, bool isIcon, bool dirty) {
    DestroyPicture(Handle, IsIcon);
    Handle = handle;
    IsIcon = isIcon ? 1 : 0;
    Dirty = dirty ? 1 : 0;
}

void TFolderView::RecreateThumbs() {
    // Extractions for the old slots would find no slot to land in.
    if (Scheduler) Scheduler->RemoveTasks(kThumbnailTaskOwner, ITSAT_DEFAULT_LPARAM, FALSE);
    Thumbs.clear();
    Thumbs.resize(static_cast<size_t>(ItemCount()));
}

// The list keeps what it was told about an item's image; asking again is
// how a changed mode gets its say.
void TFolderView::ResetItemImages() {
    const int count = ItemCount();
    for (int i = 0; i < count; ++i) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        item.iImage = I_IMAGECALLBACK;
        ListView_SetItem(ListView, &item);
    }
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
    const int side = ThumbnailSide();
    ListView_SetIconSpacing(ListView, side + side / 4 + 1, 0);
}

// Pictures not yet written are written now: leaving the mode is not a reason to extract them again.
void TFolderView::LeaveThumbnailMode() {
    FlushThumbnailCache();
    CloseImageStore();
    Thumbs.clear();
    ResetItemImages();
}

// Tasks are gone by now: nothing can send a result any more.
void TFolderView::DropThumbnails() {
    CloseImageStore();
    Thumbs.clear();
}

void TFolderView::OpenImageStore() {
    if (!FolderViewConfig().UseCache || !AbsoluteIDList) return;
    ComPtr<IShellImageStore> store = CreateThumbnailStore();
    ComPtr<IPersistFolder> persist = store.as<IPersistFolder>();
    if (persist && SUCCEEDED(persist->Initialize(AbsoluteIDList))) ImageStore = store;
}

void TFolderView::CloseImageStore() {
    KillTimer(ChildWindow, kThumbnailCacheTimerId);
    if (!ImageStore) return;
    DWORD lock = 0;
    ImageStore->Close(&lock);
    ImageStore.reset();
}

// ---------------------------------------------------------------------------
// Starting an item's picture (GUI thread)

void TFolderView::StartThumbnail(int index) {
    if (index < 0 || static_cast<size_t>(index) >= Thumbs.size() || Thumbs[index].Requested) return;
    Thumbs[index].Requested = 1;
    PCUITEMID_CHILD item = ItemIDList(index);
    if (!item || !Folder) return;
    if (ThumbnailFromCache(index, item)) return;

    ComPtr<IExtractIconW> icons;
    wchar_t location[MAX_PATH] = {};
    int iconIndex = 0;
    UINT flags = 0;
    if (SUCCEEDED(Folder->GetUIObjectOf(ListView, 1, &item, IID_IExtractIconW, nullptr, icons.putVoid())) && icons &&
        icons->GetIconLocation(GIL_FORSHELL, location, MAX_PATH, &iconIndex, &flags) == S_OK) {
        UniqueIcon placeholder(Placeholder(icons.get(), location, iconIndex, flags));
        if (placeholder && static_cast<size_t>(index) < Thumbs.size())
            Thumbs[index].Set(placeholder.release(), true, false);
    }
    QueueThumbnailTask(index, item);
}

// Takes the picture from the cache when its time stamp equals the file's
// last write; any successful look leaves the store to the flush to close.
bool TFolderView::ThumbnailFromCache(int index, PCUITEMID_CHILD item) {
    if (!FolderViewConfig().UseCache || !ImageStore) return false;
    DWORD lock = 0;
    if (FAILED(ImageStore->Open(STGM_READ, &lock))) return false;
    bool taken = false;
    const std::wstring name = ParsingName(item);
    FILETIME stamp{};
    WIN32_FIND_DATAW data{};
    HBITMAP cached = nullptr;
    if (!name.empty() && ImageStore->IsEntryInStore(name.c_str(), &stamp) == S_OK &&
        SUCCEEDED(SHGetDataFromIDListW(Folder.get(), item, SHGDFIL_FINDDATA, &data, sizeof(data))) &&
        CompareFileTime(&stamp, &data.ftLastWriteTime) == 0 &&
        SUCCEEDED(ImageStore->GetEntry(name.c_str(), STGM_READ, &cached)) && cached) {
        Thumbs[index].Set(cached, false, false);
        taken = true;
    }
    ImageStore->ReleaseLock(&lock);
    RestartThumbnailTimer();
    return taken;
}

void TFolderView::QueueThumbnailTask(int index, PCUITEMID_CHILD item) {
    ComPtr<IExtractImage> extractor = CreateImageExtractor(Folder.get(), item, ListView);
    if (!extractor || !Scheduler) return;
    wchar_t location[MAX_PATH] = {};
    DWORD priority = kThumbnailTaskPriority;
    const int side = ThumbnailSide();
    const SIZE size{side, side};
    DWORD flags = IEIFLAG_ORIGSIZE | IEIFLAG_OFFLINE;
    if (extractor->GetLocation(location, MAX_PATH, &priority, &size, kColorDepth, &flags) != S_OK) return;
    auto task = ComPtr<IRunnableTask>::attach(
        new TRunnableTask(*this, index, Thumbs[index].Serial, std::move(extractor), Generation));
    Scheduler->AddTask(task.get(), kThumbnailTaskOwner, 0, kThumbnailTaskPriority);
}

// ---------------------------------------------------------------------------
// Results and the cache (GUI thread)

bool TFolderView::TakeThumbnail(LONG generation, int index, ULONG serial, HBITMAP bitmap) {
    if (generation != Generation || ViewMode != 4 || !bitmap) return false;
    // The item may have moved since the task started: items before it removed.
    int slot = index >= 0 && static_cast<size_t>(index) < Thumbs.size() && Thumbs[index].Serial == serial ? index : -1;
    for (size_t i = 0; slot < 0 && i < Thumbs.size(); ++i)
        if (Thumbs[i].Serial == serial) slot = static_cast<int>(i);
    if (slot < 0) return false;
    Thumbs[slot].Set(bitmap, false, true);
    ListView_RedrawItems(ListView, slot, slot);
    if (FolderViewConfig().UseCache) RestartThumbnailTimer();
    return true;
}

void TFolderView::RestartThumbnailTimer() { SetTimer(ChildWindow, kThumbnailCacheTimerId, kCacheFlushDelay, nullptr); }

void TFolderView::FlushThumbnailCache() {
    KillTimer(ChildWindow, kThumbnailCacheTimerId);
    if (!ImageStore) return;
    DWORD lock = 0;
    bool opened = false;
    bool more = false;
    const ULONGLONG started = GetTickCount64();
    for (size_t i = 0; i < Thumbs.size(); ++i) {
        if (!Thumbs[i].Dirty) continue;
        if (opened && GetTickCount64() - started >= kFlushSlice) {
            more = true;
            break;
        }
        Thumbs[i].Dirty = 0;
        if (!opened) {
            HRESULT hr = ImageStore->Open(STGM_WRITE, &lock);
            if (hr == STG_E_FILENOTFOUND) hr = ImageStore->Create(STGM_WRITE, &lock);
            if (FAILED(hr)) return;
            opened = true;
        }
        PCUITEMID_CHILD item = ItemIDList(static_cast<int>(i));
        const std::wstring name = ParsingName(item);
        WIN32_FIND_DATAW data{};
        if (FAILED(SHGetDataFromIDListW(Folder.get(), item, SHGDFIL_FINDDATA, &data, sizeof(data))))
            data.ftLastWriteTime = {};
        if (!name.empty() && Thumbs[i].Handle && !Thumbs[i].IsIcon)
            ImageStore->AddEntry(name.c_str(), &data.ftLastWriteTime, STGM_WRITE,
                                 static_cast<HBITMAP>(Thumbs[i].Handle));
    }
    if (opened) ImageStore->ReleaseLock(&lock);
    if (more) {
        SetTimer(ChildWindow, kThumbnailCacheTimerId, kFlushContinueDelay, nullptr);
        return;
    }
    // A store somebody still holds is tried again later; one nobody holds is
    // closed, and the timer stays off until new pictures arrive.
    if (ImageStore->IsLocked() == S_OK)
        RestartThumbnailTimer();
    else
        ImageStore->Close(&lock);
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
        const SIZE size = IconSize(icon);
        DrawIconEx(dc, centre.x - size.cx / 2, centre.y - size.cy / 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
    } else {
        HBITMAP bitmap = static_cast<HBITMAP>(slot.Handle);
        const SIZE size = BitmapSize(bitmap);
        Blit(dc, centre.x - size.cx / 2, centre.y - size.cy / 2, bitmap, size, SRCCOPY);
    }

    const bool selected = (ListView_GetItemState(ListView, index, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 2, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE)));
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
        Blit(dc, area.left, area.bottom - size.cy - 5, images.Hand.get(), size, SRCAND);
    }
}
