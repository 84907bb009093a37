#pragma once
// A watcher of one file-system folder that reports what changes in it, and
// its own deletion or renaming, from a thread of its own. It stands in where
// the shell's change notifications miss changes made by plain file functions,
// other processes or the system outside the program.
//
// The thread never touches a window: it queues the changes and posts one
// message to the window it was given when the queue turns non-empty; the
// window's thread takes the queue with TakeChanges. Destroying the watcher
// stops the thread and waits for it.

#include "app/Handles.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct DirChange {
    enum Kind {
        Added,
        Removed,
        Modified,
        Renamed,       // name -> newName, both inside the folder
        SelfRemoved,   // the folder itself is gone
        SelfRenamed,   // the folder itself has the new full path newName
        Overflow,      // changes were lost: the folder must be read again
    };
    Kind kind;
    std::wstring name;
    std::wstring newName;

    bool operator==(const DirChange&) const = default;
};

class TDirWatcher {
public:
    // More changes than this waiting at once collapse into one Overflow.
    static constexpr size_t MaxQueued = 256;

    // How often the directory handles are closed and opened again (see the
    // recycling in Run).
    static constexpr DWORD RecyclePeriod = 1000;

    // Whether Start returns only once the watcher sees changes, or at once
    // (the caller then waits on ArmedEvent where it matters).
    enum class Arming { Wait, Return };

    // Watches `folder` (a directory path); null when it cannot be opened.
    // `window` gets `message` (wParam, lParam) posted when changes wait.
    // `recyclePeriod` is RecyclePeriod but where a test must see many renewals.
    static std::unique_ptr<TDirWatcher> Start(const std::wstring& folder, HWND window, UINT message,
                                              WPARAM wParam, LPARAM lParam, DWORD recyclePeriod = RecyclePeriod,
                                              Arming arming = Arming::Wait);
    ~TDirWatcher();
    TDirWatcher(const TDirWatcher&) = delete;
    TDirWatcher& operator=(const TDirWatcher&) = delete;

    // The changes seen since the last call, oldest first.
    std::vector<DirChange> TakeChanges();
    // The changes waiting to be taken, left in place: what a window that has
    // not yet answered the signal would get.
    std::vector<DirChange> PendingChanges();
    const std::wstring& Folder() const { return folder_; }
    // An event of the caller's own, set once changes are seen: a change made
    // after it is set is reported. It outlives the watcher.
    UniqueHandle ArmedEvent() const;

private:
    TDirWatcher() = default;
    // Sets armed_ once its reads are issued.
    void Run();
    void Queue(DirChange change);

    std::wstring folder_;
    std::wstring parent_;      // empty for a root
    std::wstring leafName_;    // the folder's name inside parent_
    UniqueHandle folderHandle_;
    UniqueHandle parentHandle_;
    UniqueHandle stopEvent_;
    UniqueHandle armed_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    WPARAM wParam_ = 0;
    LPARAM lParam_ = 0;
    DWORD recyclePeriod_ = RecyclePeriod;
    std::mutex mutex_;
    std::vector<DirChange> queue_;
    // Set once Run has returned on its worker.
    UniqueHandle finished_;
};
