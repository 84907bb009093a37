#include "shell/uContextMenuHost.h"

#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "shell/uContextMenuSlot.h"

#include <shellapi.h>

#include <iterator>

namespace {

// The shell's own buffer size for a verb name.
constexpr UINT kVerbBufferSize = 1040;

const char* const kVerbNames[] = {"cut", "copy", "paste", "link", "delete", "properties", "pastelink"};
const wchar_t* const kVerbNamesW[] = {L"cut", L"copy", L"paste", L"link", L"delete", L"properties", L"pastelink"};

UINT TrackWithSystemMenu(HMENU popup, int x, int y, HWND owner) {
    return static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

// A folder's file-system path, or its display name when it has none.
std::wstring WorkingFolderText(PCIDLIST_ABSOLUTE folder) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(folder, path)) return path;
    SHFILEINFOW info{};
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(folder), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return info.szDisplayName;
    return {};
}

// The record every invoke starts from. Its Unicode half is filled too
// (CMIC_MASK_UNICODE): under a narrow ANSI code page the ANSI fields alone
// would lose the Japanese characters of a folder's path.
CMINVOKECOMMANDINFOEX InvokeRecord() {
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof(info);
    info.fMask = CMIC_MASK_UNICODE;
    info.hwnd = FrameLink().window;
    info.nShow = SW_SHOWNORMAL;
    return info;
}

}  // namespace

bool TContextMenu::Build(IContextMenu* menu, HMENU popup, UINT position) {
    Destroy();
    if (!menu) return false;
    menu_ = ComPtr<IContextMenu>(menu);
    ownsPopup_ = popup == nullptr;
    popup_ = popup ? popup : CreatePopupMenu();
    if (!popup_) return false;
    return SUCCEEDED(menu_->QueryContextMenu(popup_, position, kContextMenuFirstId, kContextMenuLastId,
                                             CMF_EXPLORE | CMF_CANRENAME));
}

UINT TContextMenu::Track(int x, int y) {
    HWND owner = FrameLink().window;
    if (!menu_ || !popup_ || !owner) return 0;
    TrackedContextMenuScope tracking(menu_.get());
    return ContextMenuTrackerHook()(popup_, x, y, owner);
}

std::string TContextMenu::GetVerb(UINT id) const {
    if (!menu_ || id < kContextMenuFirstId) return {};
    char verb[kVerbBufferSize] = {};
    if (FAILED(menu_->GetCommandString(id - kContextMenuFirstId, GCS_VERBA, nullptr, verb, kVerbBufferSize)))
        return {};
    verb[kVerbBufferSize - 1] = '\0';
    return verb;
}

HRESULT TContextMenu::Invoke(UINT id, PCIDLIST_ABSOLUTE folder) const {
    if (!menu_ || id < kContextMenuFirstId) return E_INVALIDARG;
    CMINVOKECOMMANDINFOEX info = InvokeRecord();
    info.lpVerb = MAKEINTRESOURCEA(id - kContextMenuFirstId);
    info.lpVerbW = MAKEINTRESOURCEW(id - kContextMenuFirstId);
    std::wstring directory;
    std::string narrowDirectory;
    if (folder) {
        directory = WorkingFolderText(folder);
        narrowDirectory = Narrow(directory);
        if (!directory.empty()) {
            info.lpDirectoryW = directory.c_str();
            info.lpDirectory = narrowDirectory.c_str();
        }
    }
    return menu_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
}

void TContextMenu::Destroy() {
    if (popup_ && ownsPopup_) DestroyMenu(popup_);
    popup_ = nullptr;
    ownsPopup_ = false;
    menu_.reset();
}

HRESULT TContextMenu::InvokeVerb(IContextMenu* menu, int verb) {
    if (!menu || verb < 0 || verb >= static_cast<int>(std::size(kVerbNames))) return E_INVALIDARG;
    CMINVOKECOMMANDINFOEX info = InvokeRecord();
    info.lpVerb = kVerbNames[verb];
    info.lpVerbW = kVerbNamesW[verb];
    return menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
}

ComPtr<IContextMenu> ItemContextMenu(PCIDLIST_ABSOLUTE item) {
    ComPtr<IContextMenu> menu;
    if (!item) return menu;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (FAILED(SHBindToParent(item, IID_IShellFolder, parent.putVoid(), &last)) || !parent) return menu;
    if (FAILED(parent->GetUIObjectOf(FrameLink().window, 1, &last, IID_IContextMenu, nullptr, menu.putVoid())))
        menu.reset();
    return menu;
}

ContextMenuTracker& ContextMenuTrackerHook() {
    static ContextMenuTracker tracker = TrackWithSystemMenu;
    return tracker;
}
