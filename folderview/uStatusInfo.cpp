#include "folderview/uStatusInfo.h"

#include "app/ComObject.h"
#include "app/ComPtr.h"
#include "app/Handles.h"
#include "app/uFormatSize.h"
#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewResult.h"
#include "folderview/wFolderView.h"
#include "shell/uCapabilities.h"
#include "shell/uOneShotTask.h"

#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Lower than every item task: the icons of what is on screen come first.
constexpr DWORD kStatusTaskPriority = 0x7FFFFFFF;

struct StatusResult : TViewResult {
    std::wstring line;
    std::wstring size;

    LRESULT Apply(TFolderView& view) override {
        // The tab may have been left while the task ran: another view owns the bar now.
        if (!view.Host || !view.Host->IsActive()) return 0;
        SetStatusText(StatusPartText, line.c_str());
        SetStatusText(StatusPartSize, size.c_str());
        return 1;
    }
};

// The size of one item from the data its ID list carries; the file system is
// asked only where those 32 bits cannot hold it. 0 when nothing can be read.
std::uint64_t ItemSize(IShellFolder* folder, PCIDLIST_ABSOLUTE folderList, PCUITEMID_CHILD item) {
    WIN32_FIND_DATAW data{};
    if (FAILED(SHGetDataFromIDListW(folder, item, SHGDFIL_FINDDATA, &data, sizeof(data)))) return 0;
    if (data.nFileSizeLow != 0xFFFFFFFF)
        return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    UniqueAbsolutePidl full(PIDLAppend(folderList, item));
    const std::wstring path = PIDLFileSystemPath(full.get());
    if (path.empty()) return 0;
    WIN32_FIND_DATAW found{};
    if (!UniqueFindHandle(FindFirstFileW((L"\\\\?\\" + path).c_str(), &found))) return 0;
    return (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

// Everything is taken from the list on the GUI thread when the task is made
// (copies of the ID lists it needs), so the worker never reads a list that
// may change or free its items meanwhile.
class TStatusTask final : public TOneShotTask {
public:
    TStatusTask(TFolderView& view, std::vector<UniqueChildPidl> sized, int count, int selected)
        : view_(view),
          list_(view.ListView),
          folder_(view.Folder),
          folderList_(PIDLClone(view.AbsoluteIDList)),
          sized_(std::move(sized)),
          count_(count),
          selected_(selected),
          describe_(selected == 1 && FolderViewConfig().StatusInfo),
          generation_(view.Generation),
          request_(view.StatusRequest) {}

private:
    // A newer status request, or a navigation, makes this one's work useless.
    bool Overtaken() const {
        return InterlockedCompareExchange(&view_.StatusRequest, 0, 0) != request_ ||
               InterlockedCompareExchange(&view_.Generation, 0, 0) != generation_;
    }

    void Execute() override {
        if (!folder_) return;
        std::uint64_t total = 0;
        for (const UniqueChildPidl& item : sized_) {
            if (Overtaken()) return;
            total += ItemSize(folder_.get(), folderList_.get(), item.get());
        }
        std::wstring tip;
        if (describe_ && !sized_.empty()) tip = FlattenTipText(ItemInfoTip(folder_.get(), sized_.front().get(), 0));
        std::uint64_t freeBytes = 0;
        bool freeKnown = false;
        if (selected_ == 0 && folderList_) {
            ULARGE_INTEGER available{};
            const std::wstring path = PIDLPathOrName(folderList_.get());
            freeKnown = !path.empty() && GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr);
            freeBytes = available.QuadPart;
        }
        if (Overtaken()) return;
        StatusResult result;
        result.generation = generation_;
        result.line = StatusLineText(count_, selected_, tip, freeKnown ? &freeBytes : nullptr);
        result.size = FormatSize(total);
        DeliverToView(list_, result);
    }

    TFolderView& view_;
    HWND list_;
    ComPtr<IShellFolder> folder_;
    UniqueAbsolutePidl folderList_;
    std::vector<UniqueChildPidl> sized_;
    int count_;
    int selected_;
    bool describe_;
    LONG generation_;
    LONG request_;
};

// The ID lists whose sizes the status sums: the selection, or with none
// selected and CalcAllSize on, every item. The focused item is not put first:
// only the one selected item's description depends on which comes first.
std::vector<UniqueChildPidl> ItemsToSize(const TFolderView& view, int selected) {
    std::vector<UniqueChildPidl> items;
    const bool all = selected == 0 && FolderViewConfig().CalcAllSize;
    if (selected == 0 && !all) return items;
    items.reserve(all ? view.ItemCount() : selected);
    const UINT flags = all ? LVNI_ALL : LVNI_SELECTED;
    for (int index = ListView_GetNextItem(view.ListView, -1, flags); index >= 0;
         index = ListView_GetNextItem(view.ListView, index, flags)) {
        if (PCUITEMID_CHILD item = view.ItemIDList(index)) items.emplace_back(PIDLClone(item));
    }
    return items;
}

}  // namespace

std::wstring StatusLineText(int count, int selected, const std::wstring& tip, const std::uint64_t* freeBytes) {
    if (selected == 1 && !tip.empty()) return tip;
    if (selected >= 1) return std::to_wstring(selected) + L"個のオブジェクトを選択";
    std::wstring line = std::to_wstring(count) + L"個のオブジェクト";
    if (freeBytes) line += L"(空きディスク領域: " + FormatSize(*freeBytes) + L")";
    return line;
}

void UpdateStatus(TFolderView& view) {
    KillTimer(view.ChildWindow, kStatusTimerId);
    if (!view.Host || !view.Host->IsActive() || !view.ListView) return;
    if (!StatusBarShown() || !view.Scheduler) return;
    InterlockedIncrement(&view.StatusRequest);
    const int selected = static_cast<int>(ListView_GetSelectedCount(view.ListView));
    ComPtr<IRunnableTask> task = ComPtr<IRunnableTask>::attach(
        new TStatusTask(view, ItemsToSize(view, selected), view.ItemCount(), selected));
    view.Scheduler->AddTask(task.get(), kStatusTaskOwner, 0, kStatusTaskPriority);
}

void FillInfoTip(TFolderView& view, NMLVGETINFOTIPW& request) {
    if (!FolderViewConfig().PopupInfo || !request.pszText || request.cchTextMax <= 0) return;
    PCUITEMID_CHILD item = view.ItemIDList(request.iItem);
    if (!item || !view.Folder) return;
    const DWORD flags = FolderViewConfig().ToolTipShowFolderInfo ? QITIPF_USESLOWTIP : 0;
    const std::wstring tip = ItemInfoTip(view.Folder.get(), item, flags);
    if (tip.empty()) return;
    // A name the list shows whole needs no repeating; a cut one stays above the tip.
    std::wstring text = (request.dwFlags & LVGIT_UNFOLDED) ? tip : std::wstring(request.pszText) + L"\r\n" + tip;
    const size_t room = static_cast<size_t>(request.cchTextMax) - 1;
    const size_t prefix = text.size() - tip.size();
    if (prefix >= room) {
        request.pszText[0] = L'\0';
        return;
    }
    lstrcpynW(request.pszText, text.c_str(), static_cast<int>(std::min(text.size(), room) + 1));
}
