#include "shell/uDirWatcher.h"

#include "app/uWorkers.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstddef>
#include <optional>

namespace {

constexpr DWORD kFolderFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;
constexpr DWORD kParentFilter = FILE_NOTIFY_CHANGE_DIR_NAME;
// How long a rename's old name waits for its new name to arrive in the next
// read before it counts as a removal (moved out of the folder).
constexpr DWORD kRenamePairWait = 100;
constexpr DWORD kBufferBytes = 64 * 1024;

UniqueHandle OpenDirectory(const std::wstring& path) {
    UniqueHandle handle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    return handle;
}

bool DirectoryExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// One directory handle with its outstanding read.
struct Reader {
    std::wstring path;
    UniqueHandle directory;
    DWORD filter = 0;
    OVERLAPPED overlapped{};
    UniqueHandle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::vector<DWORD> buffer = std::vector<DWORD>(kBufferBytes / sizeof(DWORD));
    bool pending = false;  // a read is outstanding
    // A rename's old name that ended the last read, waiting for its new name.
    std::optional<std::wstring> oldName;

    bool Issue() {
        if (!directory || !event) return false;
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event.get();
        pending = ReadDirectoryChangesW(directory.get(), buffer.data(), kBufferBytes, FALSE, filter, nullptr,
                                        &overlapped, nullptr) != FALSE;
        return pending;
    }

    // The outcome of the outstanding read once it has ended: the bytes it
    // delivered, or nothing when it failed. With `cancel` it is ended first.
    std::optional<DWORD> Finish(bool cancel) {
        if (!pending) return std::nullopt;
        if (cancel) CancelIo(directory.get());
        DWORD bytes = 0;
        // The read must be over before its buffer may be reused or freed.
        const bool ok = GetOverlappedResult(directory.get(), &overlapped, &bytes, cancel) != FALSE;
        pending = false;
        if (!ok) return std::nullopt;
        return bytes;
    }
};

FILETIME LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return FILETIME{};
    return data.ftLastWriteTime;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// What one read delivered, with renames paired.
struct RawChange {
    DWORD action;  // FILE_ACTION_*, renames as FILE_ACTION_RENAMED_OLD_NAME with newName
    std::wstring name;
    std::wstring newName;
};

std::vector<RawChange> ParseBuffer(Reader& reader, DWORD bytes) {
    std::vector<RawChange> changes;
    const BYTE* base = reinterpret_cast<const BYTE*>(reader.buffer.data());
    DWORD offset = 0;
    constexpr DWORD header = offsetof(FILE_NOTIFY_INFORMATION, FileName);
    while (offset + header <= bytes) {
        const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(base + offset);
        const DWORD nameBytes = std::min<DWORD>(info->FileNameLength, bytes - offset - header);
        std::wstring name(info->FileName, nameBytes / sizeof(wchar_t));
        if (reader.oldName) {
            std::wstring oldName = std::move(*reader.oldName);
            reader.oldName.reset();
            if (info->Action == FILE_ACTION_RENAMED_NEW_NAME) {
                changes.push_back({FILE_ACTION_RENAMED_OLD_NAME, std::move(oldName), std::move(name)});
                if (!info->NextEntryOffset) break;
                offset += info->NextEntryOffset;
                continue;
            }
            changes.push_back({FILE_ACTION_REMOVED, std::move(oldName), {}});
        }
        switch (info->Action) {
        case FILE_ACTION_RENAMED_OLD_NAME:
            reader.oldName = std::move(name);
            break;
        case FILE_ACTION_RENAMED_NEW_NAME:
            changes.push_back({FILE_ACTION_ADDED, std::move(name), {}});
            break;
        default:
            changes.push_back({info->Action, std::move(name), {}});
        }
        if (!info->NextEntryOffset) break;
        offset += info->NextEntryOffset;
    }
    return changes;
}

}  // namespace

std::unique_ptr<TDirWatcher> TDirWatcher::Start(const std::wstring& folder, HWND window, UINT message,
                                                WPARAM wParam, LPARAM lParam, DWORD recyclePeriod, Arming arming) {
    std::unique_ptr<TDirWatcher> watcher(new TDirWatcher());
    watcher->folder_ = folder;
    watcher->recyclePeriod_ = recyclePeriod;
    while (watcher->folder_.size() > 3 && watcher->folder_.back() == L'\\') watcher->folder_.pop_back();
    watcher->folderHandle_ = OpenDirectory(watcher->folder_);
    watcher->stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watcher->folderHandle_ || !watcher->stopEvent_) return nullptr;

    std::wstring parent = watcher->folder_;
    if (!PathIsRootW(parent.c_str()) && PathRemoveFileSpecW(parent.data())) {
        parent.resize(wcslen(parent.c_str()));
        if (parent.size() == 2 && parent[1] == L':') parent += L'\\';
        watcher->parent_ = parent;
        watcher->leafName_ = PathFindFileNameW(watcher->folder_.c_str());
        watcher->parentHandle_ = OpenDirectory(parent);
    }
    watcher->window_ = window;
    watcher->message_ = message;
    watcher->wParam_ = wParam;
    watcher->lParam_ = lParam;
    watcher->armed_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    watcher->finished_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!watcher->armed_ || !watcher->finished_) return nullptr;
    // The watcher may be gone as soon as the event is set.
    if (!RunOnWorker([w = watcher.get(), finished = watcher->finished_.get()] {
            w->Run();
            SetEvent(finished);
        })) {
        // Nothing will set it: the watcher goes without waiting.
        watcher->finished_.reset();
        return nullptr;
    }
    // Under load a new thread may wait long for its first turn; a caller on
    // the GUI thread rather waits for it elsewhere.
    if (arming == Arming::Wait) WaitForSingleObject(watcher->armed_.get(), INFINITE);
    return watcher;
}

UniqueHandle TDirWatcher::ArmedEvent() const {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), armed_.get(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return UniqueHandle(copy);
}

TDirWatcher::~TDirWatcher() {
    if (stopEvent_) SetEvent(stopEvent_.get());
    if (finished_) WaitForSingleObject(finished_.get(), INFINITE);
}

std::vector<DirChange> TDirWatcher::TakeChanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(queue_, {});
}

std::vector<DirChange> TDirWatcher::PendingChanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_;
}

void TDirWatcher::Queue(DirChange change) {
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wasEmpty = queue_.empty();
        const bool overflowing = !queue_.empty() && queue_.back().kind == DirChange::Overflow;
        const bool self = change.kind == DirChange::SelfRemoved || change.kind == DirChange::SelfRenamed;
        // A pending Overflow re-reads the whole folder, which covers every later change.
        if (overflowing && !self) return;
        if (change.kind == DirChange::Modified && std::find(queue_.begin(), queue_.end(), change) != queue_.end())
            return;
        if (queue_.size() >= MaxQueued && !self) {
            queue_.clear();
            change = DirChange{DirChange::Overflow, {}, {}};
        }
        queue_.push_back(std::move(change));
    }
    if (wasEmpty && window_) PostMessageW(window_, message_, wParam_, lParam_);
}

void TDirWatcher::Run() {
    Reader folder;
    folder.path = folder_;
    folder.directory = std::move(folderHandle_);
    folder.filter = kFolderFilter;
    Reader parent;
    parent.path = parent_;
    parent.directory = std::move(parentHandle_);
    parent.filter = kParentFilter;
    folder.Issue();
    parent.Issue();
    SetEvent(armed_.get());

    // The folder itself went away or got a new name: nothing more to watch.
    bool finished = false;
    auto selfRemovedUnlessPresent = [&] {
        if (DirectoryExists(folder_)) return;
        Queue({DirChange::SelfRemoved, {}, {}});
        finished = true;
    };
    auto folderChanges = [&](const std::vector<RawChange>& changes) {
        for (const RawChange& raw : changes) {
            switch (raw.action) {
            case FILE_ACTION_ADDED: Queue({DirChange::Added, raw.name, {}}); break;
            case FILE_ACTION_REMOVED: Queue({DirChange::Removed, raw.name, {}}); break;
            case FILE_ACTION_MODIFIED: Queue({DirChange::Modified, raw.name, {}}); break;
            case FILE_ACTION_RENAMED_OLD_NAME: Queue({DirChange::Renamed, raw.name, raw.newName}); break;
            }
        }
    };
    auto parentChanges = [&](const std::vector<RawChange>& changes) {
        for (const RawChange& raw : changes) {
            if (finished || !SameName(raw.name, leafName_)) continue;
            if (raw.action == FILE_ACTION_RENAMED_OLD_NAME) {
                std::wstring newPath = parent_;
                if (newPath.back() != L'\\') newPath += L'\\';
                newPath += raw.newName;
                Queue({DirChange::SelfRenamed, {}, std::move(newPath)});
                finished = true;
            } else if (raw.action == FILE_ACTION_REMOVED) {
                selfRemovedUnlessPresent();
            }
        }
    };
    // What an ended read delivered: its changes, or an Overflow when they did
    // not fit. A handle whose read failed is not asked again, so a dead folder
    // cannot make a busy loop.
    auto deliver = [&](Reader& reader, std::optional<DWORD> bytes) {
        const bool isFolder = &reader == &folder;
        if (!bytes) {
            if (isFolder) {
                selfRemovedUnlessPresent();
                if (!finished) Queue({DirChange::Overflow, {}, {}});
            }
            return false;
        }
        if (*bytes == 0) {
            if (isFolder) Queue({DirChange::Overflow, {}, {}});
        } else {
            std::vector<RawChange> changes = ParseBuffer(reader, *bytes);
            isFolder ? folderChanges(changes) : parentChanges(changes);
        }
        return true;
    };
    auto flushOldName = [&](Reader& reader) {
        if (!reader.oldName) return;
        std::vector<RawChange> lone{{FILE_ACTION_REMOVED, std::move(*reader.oldName), {}}};
        reader.oldName.reset();
        &reader == &folder ? folderChanges(lone) : parentChanges(lone);
    };
    // An open handle keeps a folder that is deleted through the system's
    // functions from going away until the handle closes, and nothing tells
    // the holder. So the handles are closed and opened again now and then;
    // whatever changed in between shows in the folder's last-write time.
    auto recycle = [&](Reader& reader) {
        if (!reader.directory || finished) return;
        const FILETIME before = LastWriteTime(reader.path);
        const bool wasPending = reader.pending;
        std::optional<DWORD> bytes = reader.Finish(true);
        if (bytes && *bytes) deliver(reader, bytes);
        flushOldName(reader);
        reader.directory.reset();
        if (finished) return;
        if (!DirectoryExists(reader.path)) {
            selfRemovedUnlessPresent();
            return;
        }
        reader.directory = OpenDirectory(reader.path);
        if (!wasPending || !reader.Issue()) return;
        if (!SameTime(before, LastWriteTime(reader.path))) {
            if (&reader == &folder)
                Queue({DirChange::Overflow, {}, {}});
            else
                selfRemovedUnlessPresent();
        }
    };

    DWORD lastRecycle = GetTickCount();
    while (!finished) {
        HANDLE waits[3] = {stopEvent_.get()};
        Reader* readers[3] = {nullptr};
        DWORD count = 1;
        for (Reader* reader : {&folder, &parent}) {
            if (!reader->pending) continue;
            waits[count] = reader->event.get();
            readers[count++] = reader;
        }
        const bool pairing = folder.oldName || parent.oldName;
        const DWORD result = WaitForMultipleObjects(count, waits, FALSE, pairing ? kRenamePairWait : recyclePeriod_);
        if (result == WAIT_OBJECT_0) break;
        if (result == WAIT_TIMEOUT) {
            flushOldName(folder);
            flushOldName(parent);
        } else if (result >= WAIT_OBJECT_0 + 1 && result < WAIT_OBJECT_0 + count) {
            Reader& reader = *readers[result - WAIT_OBJECT_0];
            if (deliver(reader, reader.Finish(false))) reader.Issue();
        } else {
            break;
        }
        if (GetTickCount() - lastRecycle >= recyclePeriod_) {
            recycle(folder);
            recycle(parent);
            lastRecycle = GetTickCount();
        }
        if (!finished && !folder.pending && !parent.pending) {
            // Nothing left to wait for but the stop request.
            WaitForSingleObject(stopEvent_.get(), INFINITE);
            break;
        }
    }
    folder.Finish(true);
    parent.Finish(true);
}
