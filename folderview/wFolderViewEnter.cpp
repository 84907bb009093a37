// Folders the user cannot enter: one the user may not read, one whose path is
// longer than the shell can follow, one the shell cannot bind. The user is
// told why, the view goes back to the folder it left (its history as it was)
// and the list keeps the focus, so that the tab never stays on an empty or
// half-shown folder.

#include "folderview/wFolderView.h"

#include <utility>

namespace {

constexpr wchar_t kErrorCaption[] = L"エラー";

// Why a folder cannot be entered, as the user is told it; null for a failure
// that is not the user's to know about (a folder that is gone, a listing the
// shell has already explained, a start-up tab).
const wchar_t* RefusalText(HRESULT result) {
    if (SUCCEEDED(result) || HRESULT_FACILITY(result) != FACILITY_WIN32) return nullptr;
    switch (HRESULT_CODE(result)) {
    case ERROR_ACCESS_DENIED: return L"フォルダを開けません。アクセスが拒否されました。";
    case ERROR_FILENAME_EXCED_RANGE: return L"フォルダを開けません。パスが長すぎます。";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_CANT_ACCESS_FILE: return L"フォルダを開けません。";
    default: return nullptr;
    }
}

}  // namespace

void TFolderView::RecordHistoryNotingLeftFolder() {
    left_ = LeftFolder();
    left_.folder.reset(PIDLClone(AbsoluteIDList));
    left_.focused.reset(PIDLClone(FocusedItem()));
    Host->RecordHistory();
}

void TFolderView::EntryFailed(HRESULT result, bool interactive, bool report, bool hadFocus) {
    LeftFolder left = std::exchange(left_, LeftFolder());
    // The fill took the focus off the list while it ran; the folder shown
    // next gets it back from there.
    if (hadFocus && GetFocus() == ChildWindow) SetFocus(ListView);
    const wchar_t* reason = interactive ? RefusalText(result) : nullptr;
    if (!reason) {
        FallBackToParent(interactive, report);
        return;
    }
    std::wstring text = reason;
    if (const std::wstring name = PIDLDisplayName(AbsoluteIDList); !name.empty()) text += L"\r\n\r\n" + name;
    HWND list = ListView;
    HWND child = ChildWindow;
    HWND owner = Host->DialogOwner();

    if (!left.folder) {
        // Nothing was shown here before: the parent stands in, as for a
        // folder that cannot be listed. Told first: the fallback may close
        // this tab, which the message box's loop would carry out under us.
        MessageBoxW(owner, text.c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
        FallBackToParent(true, report);
        return;
    }
    Host->ForgetLastRecord();
    Relocate(left.folder.release(), left.focused.get());
    MessageBoxW(owner, text.c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
    // The box gives the focus back to its owner, not to the list; the view
    // may have gone meanwhile, so only its windows are asked, and the host
    // only while they exist.
    if (IsWindow(list) && IsWindowVisible(child) && Host->IsActive()) SetFocus(list);
}
