#include "shell/uUndo.h"

#include "app/ComObject.h"
#include "app/ComPtr.h"
#include "app/uFrameLink.h"
#include "shell/uCapabilities.h"

#include <shellapi.h>
#include <shlobj.h>

#include <optional>

namespace {

// Answers the shell view it hosts with "not implemented" everywhere: the view
// is there only for its background menu's undo command.
class TShellBrowser final : public ComObject<IShellBrowser> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object && IsEqualIID(iid, IID_IOleWindow)) {
            *object = static_cast<IOleWindow*>(this);
            AddRef();
            return S_OK;
        }
        return ComObject<IShellBrowser>::QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = FrameLink().window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream** stream) override {
        if (stream) *stream = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }
};

struct HostedView {
    ComPtr<IShellView> view;
    ComPtr<IShellBrowser> browser;
    HWND window = nullptr;
};

HostedView& Hosted() {
    static HostedView hosted;
    return hosted;
}

std::optional<UndoRecord>& LastRecord() {
    static std::optional<UndoRecord> record;
    return record;
}

// The platform's undo: the undo command of the desktop view's background menu.
void ShellUndo(HWND owner) {
    HostedView& hosted = Hosted();
    if (!hosted.view) {
        ComPtr<IShellFolder> desktop;
        if (FAILED(SHGetDesktopFolder(desktop.put())) ||
            FAILED(desktop->CreateViewObject(owner, IID_IShellView, hosted.view.putVoid())) || !hosted.view)
            return;
        FOLDERSETTINGS settings{};
        hosted.view->GetCurrentInfo(&settings);
        hosted.browser = ComPtr<IShellBrowser>::attach(new TShellBrowser);
        RECT empty{};
        hosted.view->CreateViewWindow(nullptr, &settings, hosted.browser.get(), &empty, &hosted.window);
    }
    ComPtr<IContextMenu> menu;
    if (FAILED(hosted.view->GetItemObject(SVGIO_BACKGROUND, IID_IContextMenu, menu.putVoid())) || !menu) return;
    HMENU popup = CreatePopupMenu();
    if (!popup) return;
    menu->QueryContextMenu(popup, 0, 1, 0x7FFF, 0);
    OSVERSIONINFOW version{sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    const UINT verb = version.dwMinorVersion == 0 ? 0x701B : version.dwMinorVersion == 1 ? 1 : 0;
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.lpVerb = MAKEINTRESOURCEA(verb);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
    DestroyMenu(popup);
}

std::wstring DoubleZero(const std::wstring& path) { return path + L'\0'; }

bool Operate(HWND owner, UINT function, const std::wstring& from, const std::wstring& to, FILEOP_FLAGS flags) {
    const std::wstring fromList = DoubleZero(from);
    const std::wstring toList = DoubleZero(to);
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = function;
    operation.pFrom = fromList.c_str();
    operation.pTo = to.empty() ? nullptr : toList.c_str();
    operation.fFlags = flags;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

// Reverses our own record. What the user changed since (a copy removed, a
// name taken again) makes that part fail without harm: nothing is overwritten.
void OwnUndo(HWND owner, const UndoRecord& record) {
    constexpr FILEOP_FLAGS kQuiet = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    for (const auto& [before, after] : record.paths) {
        switch (record.kind) {
        case UndoKind::Copy:
            // Into the recycle bin, so the undo itself loses nothing.
            Operate(owner, FO_DELETE, after, {}, FOF_ALLOWUNDO | kQuiet);
            break;
        case UndoKind::Move:
            if (GetFileAttributesW(before.c_str()) == INVALID_FILE_ATTRIBUTES)
                Operate(owner, FO_MOVE, after, before, kQuiet);
            break;
        case UndoKind::Rename:
            if (GetFileAttributesW(before.c_str()) == INVALID_FILE_ATTRIBUTES)
                Operate(owner, FO_RENAME, after, before, kQuiet);
            break;
        case UndoKind::Delete:
            if (RestoreDeletedItem(before)) {
                const bool folder = (GetFileAttributesW(before.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
                SHChangeNotify(folder ? SHCNE_MKDIR : SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, before.c_str(), nullptr);
            }
            break;
        case UndoKind::NewFolder:
            // Only while it is still empty: the user's files in it stay.
            if (RemoveDirectoryW(after.c_str()))
                SHChangeNotify(SHCNE_RMDIR, SHCNF_PATHW | SHCNF_FLUSH, after.c_str(), nullptr);
            break;
        }
    }
}

}  // namespace

void RecordUndo(UndoRecord record) {
    if (record.paths.empty()) return;
    LastRecord() = std::move(record);
}

void UndoLastOperation(HWND owner) {
    if (PlatformCapabilities().shellUndo) {
        ShellUndo(owner);
        return;
    }
    std::optional<UndoRecord> record = std::move(LastRecord());
    LastRecord().reset();
    if (record) OwnUndo(owner, *record);
}

void ReleaseHostedView() {
    HostedView& hosted = Hosted();
    if (hosted.view) hosted.view->DestroyViewWindow();
    hosted = HostedView{};
}
