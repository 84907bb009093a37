#include "folderview/uFillJob.h"

#include "app/uWorkers.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemOrder.h"
#include "shell/uCapabilities.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

// The first batch is small, so that the first page shows at once; each one
// after is twice as large up to a limit, as every batch costs a round trip to
// the GUI thread. The growth is gradual so that the items of a quick start
// are sent before a slow stretch of the listing holds them back.
constexpr size_t kFirstBatch = 64;
constexpr size_t kLargestBatch = 2048;
constexpr ULONGLONG kLongestBatchWait = 50;
constexpr ULONG kEnumerationStep = 64;
// A watch that has not started by then never will; the listing goes on without it.
constexpr DWORD kLongestWatchArming = 30000;

std::atomic<LONG> g_running{0};

}  // namespace

// The worker's own copies of the items it handed over, for sorting them: one
// block, whose memory goes back to the system when the fill ends, where a
// hundred thousand small allocations would stay in the heap.
class TItemCopies {
public:
    void Add(PCUITEMID_CHILD item) {
        const UINT size = PIDLSize(item);
        offsets_.push_back(bytes_.size());
        bytes_.insert(bytes_.end(), reinterpret_cast<const BYTE*>(item), reinterpret_cast<const BYTE*>(item) + size);
    }
    size_t Count() const { return offsets_.size(); }
    PCUITEMID_CHILD operator[](size_t index) const {
        return reinterpret_cast<PCUITEMID_CHILD>(bytes_.data() + offsets_[index]);
    }

private:
    std::vector<BYTE> bytes_;
    std::vector<size_t> offsets_;
};

namespace {

std::atomic<FillFolderBinder> g_binder{BindAbsoluteFolder};

// Runs the messages other threads send to this one while it waits: the
// worker's batches come that way.
bool WaitRunningSentMessages(HANDLE handle, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &handle, left, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false;
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

void SetFillFolderBinder(FillFolderBinder binder) { g_binder = binder ? binder : BindAbsoluteFolder; }

LONG TFillJob::Running() { return g_running.load(); }

std::shared_ptr<TFillJob> TFillJob::Start(TFillRequest request) {
    std::shared_ptr<TFillJob> job(new TFillJob(std::move(request)));
    if (!job->done_ || !job->firstEntries_) return nullptr;
    ++g_running;
    if (!RunOnWorker([job] {
            job->Run();
            --g_running;
        })) {
        --g_running;
        return nullptr;
    }
    return job;
}

std::shared_ptr<TFillJob> TFillJob::Finished() {
    std::shared_ptr<TFillJob> job(new TFillJob(TFillRequest{}));
    if (job->done_) SetEvent(job->done_);
    if (job->firstEntries_) SetEvent(job->firstEntries_);
    return job;
}

TFillJob::TFillJob(TFillRequest request)
    : request_(std::move(request)),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      firstEntries_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TFillJob::~TFillJob() {
    if (done_) CloseHandle(done_);
    if (firstEntries_) CloseHandle(firstEntries_);
}

bool TFillJob::WaitDone(DWORD milliseconds) const { return WaitRunningSentMessages(done_, milliseconds); }

bool TFillJob::WaitFirstEntries(DWORD milliseconds) const {
    return WaitRunningSentMessages(firstEntries_, milliseconds);
}

bool TFillJob::Send(TFillBatch& batch) {
    if (cancelled_) return false;
    batch.generation = request_.generation;
    DeliverToView(request_.list, batch);
    return !cancelled_;
}

bool TFillJob::Passes(TInFolderNames& names, PCUITEMID_CHILD item) const {
    if (request_.filter.empty()) return true;
    std::wstring text;
    if (!names.Name(item, text)) text.clear();
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return std::any_of(request_.filter.begin(), request_.filter.end(),
                       [&](const std::wstring& pattern) { return WildcardMatch(pattern.c_str(), text.c_str()); });
}

HRESULT EmptyListingResult(PCIDLIST_ABSOLUTE absolute) {
    const std::wstring path = PIDLFileSystemPath(absolute);
    if (path.empty()) return S_OK;
    // The long form reaches past MAX_PATH and takes a name as it stands.
    const std::wstring longPath =
        path.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + path.substr(2) : L"\\\\?\\" + path;
    if (GetFileAttributesW(longPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return HRESULT_FROM_WIN32(error);
    }
    std::wstring pattern = longPath;
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find) {
        const DWORD error = GetLastError();
        // Every folder but a drive's root lists "." at least: the platform
        // lists nothing at all in a folder it may pass through but not read.
        const bool unreadable =
            error == ERROR_ACCESS_DENIED || (error == ERROR_FILE_NOT_FOUND && !PathIsRootW(path.c_str()));
        return unreadable ? HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) : S_OK;
    }
    bool holdsItems = false;
    do {
        holdsItems = wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0;
    } while (!holdsItems && FindNextFileW(find.get(), &entry));
    // Below a short path an item the shell left out is one it hides.
    return holdsItems && path.size() >= MAX_PATH ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) : S_OK;
}

// A folder listed before its first batch was due sends its items with the
// last batch, in order: they appear once, where they belong, instead of
// moving to their places a moment after they were shown.
HRESULT TFillJob::Enumerate(IShellFolder* folder, TItemCopies& copies, TFillBatch& last) {
    ComPtr<IEnumIDList> enumerator;
    HRESULT hr = EnumerateFolderItems(folder, request_.owner, request_.enumFlags, enumerator.put());
    if (hr != S_OK) return hr;
    if (!enumerator) return E_FAIL;
    TInFolderNames names(folder, request_.fileSystemFolder);
    TFillBatch batch;
    size_t batchSize = kFirstBatch;
    ULONGLONG batchStart = GetTickCount64();
    PITEMID_CHILD step[kEnumerationStep];
    bool listedAny = false;  // before the filter
    bool sentAny = false;
    bool begun = false;  // the first step of the listing has answered
    for (;;) {
        ULONG fetched = 0;
        const HRESULT next = enumerator->Next(kEnumerationStep, step, &fetched);
        if (!std::exchange(begun, true)) SetEvent(firstEntries_);
        if (FAILED(next)) fetched = 0;
        for (ULONG i = 0; i < fetched && i < kEnumerationStep; ++i) {
            UniqueChildPidl item(step[i]);
            listedAny = listedAny || item;
            if (!item || !Passes(names, item.get())) continue;
            copies.Add(item.get());
            batch.items.push_back(std::move(item));
        }
        if (cancelled_) return E_ABORT;
        if (FAILED(next) || next != S_OK || fetched == 0) break;
        if (batch.items.size() >= batchSize || GetTickCount64() - batchStart >= kLongestBatchWait) {
            if (!batch.items.empty() && !Send(batch)) return E_ABORT;
            sentAny = sentAny || !batch.items.empty();
            batch.items.clear();
            batchSize = std::min(2 * batchSize, kLargestBatch);
            batchStart = GetTickCount64();
        }
    }
    if (!sentAny)
        last.items = std::move(batch.items);
    else if (!batch.items.empty() && !Send(batch))
        return E_ABORT;
    return listedAny ? S_OK : EmptyListingResult(request_.folder.get());
}

void TFillJob::Run() {
    const HRESULT initialized = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    {
        TFillBatch last;
        last.last = true;
        ComPtr<IShellFolder> folder;
        TItemCopies copies;
        last.result = g_binder.load()(request_.folder.get(), folder.put());
        if (SUCCEEDED(last.result) && !folder) last.result = E_FAIL;
        if (request_.watchArmed) WaitForSingleObject(request_.watchArmed.get(), kLongestWatchArming);
        if (SUCCEEDED(last.result)) last.result = Enumerate(folder.get(), copies, last);
        if (last.result == S_OK) {
            std::vector<std::uint32_t> order(copies.Count());
            std::iota(order.begin(), order.end(), 0u);
            TItemOrder itemOrder(folder.get(), request_.fileSystemFolder, request_.sortColumn, request_.sortAscending);
            const bool sorted = MergeSort(
                order, [&](std::uint32_t a, std::uint32_t b) { return itemOrder.Compare(copies[a], copies[b]); },
                [&] { return cancelled_.load(); });
            if (sorted) last.order = std::move(order);
        }
        if (last.result == S_OK && request_.wantIcon && !cancelled_) {
            SHFILEINFOW info{};
            if (FolderIconInfo(folder.get(), request_.folder.get(), SHGFI_ICON | SHGFI_SYSICONINDEX | SHGFI_SMALLICON,
                               info)) {
                last.folderIcon = info.hIcon;
                last.folderIconIndex = info.iIcon;
            }
        }
        if (!cancelled_) Send(last);
    }
    SetEvent(firstEntries_);
    SetEvent(done_);
    if (SUCCEEDED(initialized)) CoUninitialize();
}
