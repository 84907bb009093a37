// What a child window gives its folder view: the view reaches the tab, the
// history, navigation and the frame only through these.

#include "mdi/wMDIChild.h"

#include "app/uFrameLink.h"
#include "folderview/wFolderView.h"
#include "mdi/uBarsRoute.h"
#include "mdi/uChildShared.h"
#include "mdi/wMDITab.h"

#include <utility>

HWND TMDIChildView::DialogOwner() const { return FrameLink().window; }

bool TMDIChildView::Interactive() const { return FrameLink().interactive; }

bool TMDIChildView::IsActive() const {
    HWND active = ActiveChild();
    return !active || active == Window;
}

bool TMDIChildView::ShowIfOpenElsewhere(PCIDLIST_ABSOLUTE folder, PCUITEMID_CHILD select) {
    return FindOpenFolder(folder, true, select);
}

void TMDIChildView::OpenInNewTab(PIDLIST_ABSOLUTE folder, bool activate, PCUITEMID_CHILD select) {
    OpenChildWindow(folder, activate, select, ContentFolder);
}

void TMDIChildView::RecordHistory() {
    lastRecord_ = HistoryRecord();
    const THistoryEntry* front = BackList.Entry(0);
    while (ForwardList.Count() > 0) lastRecord_.forward.push_back(ForwardList.TakeFront());
    PushHistory(*this);
    lastRecord_.added = BackList.Entry(0) != front;
    // A step through the history records nothing and keeps its forward list.
    if (!lastRecord_.added) PutForwardBack();
}

void TMDIChildView::ForgetLastRecord() {
    if (lastRecord_.added) BackList.DeleteEntry(0);
    PutForwardBack();
    lastRecord_ = HistoryRecord();
}

void TMDIChildView::PutForwardBack() {
    for (auto entry = lastRecord_.forward.rbegin(); entry != lastRecord_.forward.rend(); ++entry)
        ForwardList.InsertFront(std::move(*entry));
    lastRecord_.forward.clear();
}

// Only the active tab's folder is what the bars show; a navigation already
// under way reports for itself.
void TMDIChildView::ReportLocation(PCIDLIST_ABSOLUTE folder) {
    if (InNavigate() || !IsActive()) return;
    RequestNavigate(folder, OriginReport, TargetActive, nullptr);
}

void TMDIChildView::ShowTitle(const std::wstring& name, const std::wstring& caption) {
    if (TabBar().settings.fullPath)
        SetTabPath(Window);
    else
        SetTabText(Window, name);
    // A maximised child's caption shows in the frame's (see the child's WM_SETTEXT).
    SetWindowTextW(Window, caption.c_str());
    ShowFolderIconInAddressBar();
}

void TMDIChildView::IconChanged() {
    // The maximised child's icon is drawn in the frame's menu bar, which keeps
    // its size: it is drawn again, where DrawMenuBar would lay the whole frame
    // out again as well (10 ms of every navigation under Wine).
    if (FrameLink().window && IsMaximisedChild(Window))
        RedrawWindow(FrameLink().window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    ShowFolderIconInAddressBar();
}

void TMDIChildView::ShowFolderIconInAddressBar() {
    if (IsActive() && FolderView && FolderView->FolderIconIndex >= 0)
        RouteShowFolderIconInAddressBar(FolderView->AbsoluteIDList, FolderView->FolderIconIndex);
}

void TMDIChildView::RunFrameCommand(WORD command, HWND list) {
    if (FrameLink().window) SendMessageW(FrameLink().window, WM_COMMAND, command, reinterpret_cast<LPARAM>(list));
}

void TMDIChildView::CloseLater() {
    if (HWND client = GetParent(Window)) PostMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(Window), 0);
}
