#include "shell/uDirWatcher.h"

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
    HANDLE directory = nullptr;
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
        pending = ReadDirectoryChangesW(directory, buffer.data(), kBufferBytes, FALSE, filter, nullptr,
                                        &overlapped, nullptr) != FALSE;
        return pending;
    }

    void Cancel() {
        if (!pending) return;
        CancelIo(directory);
        DWORD bytes = 0;
        // The read must be over before its buffer goes away.
        GetOverlappedResult(directory, &overlapped, &bytes, TRUE);
        pending = false;
    }
};

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
                                                WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<TDirWatcher> watcher(new TDirWatcher());
    watcher->folder_ = folder;
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
    watcher->thread_ = std::thread([w = watcher.get()] { w->Run(); });
    return watcher;
}

TDirWatcher::~TDirWatcher() {
    if (stopEvent_) SetEvent(stopEvent_.get());
    if (thread_.joinable()) thread_.join();
}

std::vector<DirChange> TDirWatcher::TakeChanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(queue_, {});
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
    folder.directory = folderHandle_.get();
    folder.filter = kFolderFilter;
    Reader parent;
    parent.directory = parentHandle_.get();
    parent.filter = kParentFilter;
    folder.Issue();
    parent.Issue();

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
    // A read that completed: its changes, or an Overflow when they did not fit.
    auto complete = [&](Reader& reader, bool isFolder) {
        DWORD bytes = 0;
        const bool ok = GetOverlappedResult(reader.directory, &reader.overlapped, &bytes, FALSE) != FALSE;
        reader.pending = false;
        if (ok && bytes == 0) {
            if (isFolder) Queue({DirChange::Overflow, {}, {}});
        } else if (ok) {
            std::vector<RawChange> changes = ParseBuffer(reader, bytes);
            isFolder ? folderChanges(changes) : parentChanges(changes);
        } else if (isFolder) {
            selfRemovedUnlessPresent();
            if (!finished) Queue({DirChange::Overflow, {}, {}});
        }
        // A handle whose reads fail is not asked again: no busy loop on a dead folder.
        if (ok) reader.Issue();
    };
    auto flushOldName = [&](Reader& reader, bool isFolder) {
        if (!reader.oldName) return;
        std::vector<RawChange> lone{{FILE_ACTION_REMOVED, std::move(*reader.oldName), {}}};
        reader.oldName.reset();
        isFolder ? folderChanges(lone) : parentChanges(lone);
    };

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
        const DWORD result = WaitForMultipleObjects(count, waits, FALSE, pairing ? kRenamePairWait : INFINITE);
        if (result == WAIT_OBJECT_0) break;
        if (result == WAIT_TIMEOUT) {
            flushOldName(folder, true);
            flushOldName(parent, false);
            continue;
        }
        if (result < WAIT_OBJECT_0 + 1 || result >= WAIT_OBJECT_0 + count) break;
        Reader* reader = readers[result - WAIT_OBJECT_0];
        complete(*reader, reader == &folder);
        if (!folder.pending && !parent.pending && !folder.oldName && !parent.oldName) {
            // Nothing left to wait for but the stop request.
            WaitForSingleObject(stopEvent_.get(), INFINITE);
            break;
        }
    }
    folder.Cancel();
    parent.Cancel();
}
