#include "shell/uFileVerbs.h"

#include "app/ComObject.h"
#include "app/Handles.h"
#include "app/uFrameLink.h"
#include "app/uPIDL.h"
#include "shell/hDataObject.h"
#include "shell/uContextMenuHost.h"
#include "shell/uUndo.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <string_view>

namespace {

constexpr wchar_t kErrorCaption[] = L"エラー";
constexpr wchar_t kPropertiesCaption[] = L"プロパティ";
constexpr wchar_t kRenameText[] = L"名前の変更(&M)";
constexpr wchar_t kPasteFailed[] = L"貼り付けできませんでした。\n貼り付け先に書き込めるか確かめてください。";
constexpr wchar_t kLinkFailed[] = L"ショートカットを作成できませんでした。";
constexpr wchar_t kDeleteHeld[] = L"」は別のプログラムが使っているため、削除できません。\nそのプログラムで閉じてから、もう一度削除してください。";
constexpr wchar_t kDropEffectFormat[] = L"Preferred DropEffect";
constexpr int kMaxNameAttempts = 1000;
constexpr UINT kDropMenuCancel = 100;

std::wstring ParentOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first file at or below `path` that its holder keeps from being deleted
// (it is open without FILE_SHARE_DELETE); empty when there is none.
std::wstring HeldFile(const std::wstring& path) {
    UniqueHandle probe(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!probe && GetLastError() == ERROR_SHARING_VIOLATION) return path;
    probe.reset();
    std::error_code error;
    if (!std::filesystem::is_directory(path, error) || std::filesystem::is_symlink(path, error)) return {};
    for (const auto& entry : std::filesystem::directory_iterator(path, error))
        if (std::wstring held = HeldFile(entry.path().wstring()); !held.empty()) return held;
    return {};
}

// A path list for SHFileOperationW: each path ended by a zero, one more zero after the last.
std::wstring DoubleZeroList(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) {
        list += path;
        list += L'\0';
    }
    list += L'\0';
    return list;
}

std::string Narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string narrow(static_cast<size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

HGLOBAL GlobalCopy(const void* data, size_t bytes) {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
    if (!block) return nullptr;
    {
        GlobalMemoryLock<BYTE> lock(block.get());
        if (!lock.get()) return nullptr;
        memcpy(lock.get(), data, bytes);
    }
    return block.release();
}

// The shell's CIDA: the count, the offsets of the parent and of each item, then the lists.
HGLOBAL MakeIdListArray(PCIDLIST_ABSOLUTE parent, const std::vector<UniqueChildPidl>& items) {
    const UINT count = static_cast<UINT>(items.size());
    std::vector<BYTE> bytes(sizeof(UINT) * (count + 2));
    auto append = [&](LPCITEMIDLIST list, UINT slot) {
        const UINT offset = static_cast<UINT>(bytes.size());
        memcpy(bytes.data() + sizeof(UINT) * (slot + 1), &offset, sizeof(offset));
        const UINT size = PIDLSize(list);
        const auto* raw = reinterpret_cast<const BYTE*>(list);
        bytes.insert(bytes.end(), raw, raw + size);
    };
    memcpy(bytes.data(), &count, sizeof(count));
    append(parent, 0);
    for (UINT i = 0; i < count; ++i) append(items[i].get(), i + 1);
    return GlobalCopy(bytes.data(), bytes.size());
}

class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) {
        // Another program may hold the clipboard for a moment.
        for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(20);
        }
    }
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool open() const { return open_; }

private:
    bool open_ = false;
};

bool PutOnClipboard(HWND owner, PCIDLIST_ABSOLUTE parent, const std::vector<UniqueChildPidl>& items,
                    const std::vector<std::wstring>& paths, DWORD effect) {
    ClipboardSession clipboard(owner);
    if (!clipboard.open() || !EmptyClipboard()) return false;
    UniqueGlobal drop(MakeFileDropBlock(paths));
    UniqueGlobal ids(MakeIdListArray(parent, items));
    UniqueGlobal preferred(GlobalCopy(&effect, sizeof(effect)));
    if (!drop || !ids || !preferred) return false;
    // The clipboard owns each block it takes.
    if (SetClipboardData(CF_HDROP, drop.get())) drop.release();
    if (SetClipboardData(ShellListFormat().cfFormat, ids.get())) ids.release();
    if (SetClipboardData(RegisterClipboardFormatW(kDropEffectFormat), preferred.get())) preferred.release();
    return true;
}

struct ClipboardFiles {
    std::vector<std::wstring> paths;
    DWORD effect = DROPEFFECT_COPY;
};

// The files on the clipboard; none when it holds something else.
ClipboardFiles ReadClipboardFiles(HWND owner) {
    ClipboardFiles files;
    ClipboardSession clipboard(owner);
    if (!clipboard.open()) return files;
    if (auto drop = static_cast<HDROP>(GetClipboardData(CF_HDROP))) {
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            DragQueryFileW(drop, i, path.data(), length + 1);
            path.resize(length);
            if (!path.empty()) files.paths.push_back(path);
        }
    }
    if (HANDLE preferred = GetClipboardData(RegisterClipboardFormatW(kDropEffectFormat))) {
        GlobalMemoryLock<DWORD> lock(preferred);
        if (lock.get() && lock.size() >= sizeof(DWORD) && (*lock.get() & DROPEFFECT_MOVE)) files.effect = DROPEFFECT_MOVE;
    }
    return files;
}

void ReportError(HWND owner, const wchar_t* text) { MessageBoxW(owner, text, kErrorCaption, MB_ICONERROR | MB_OK); }

// A name in `folder` that is free: `candidate(attempt)` for the first attempt that is.
template <typename Candidate>
std::wstring FreeName(const std::wstring& folder, Candidate candidate) {
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        std::wstring path = Join(folder, candidate(attempt));
        if (!PathExists(path)) return path;
    }
    return {};
}

bool CreateShortcutTo(const std::wstring& target, const std::wstring& linkPath) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())))
        return false;
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(ParentOf(target).c_str());
    ComPtr<IPersistFile> file = link.as<IPersistFile>();
    if (!file || FAILED(file->Save(linkPath.c_str(), TRUE))) return false;
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, linkPath.c_str(), nullptr);
    return true;
}

// Shortcuts to `targets` in `folder`; false when one could not be made.
bool CreateShortcuts(const std::vector<std::wstring>& targets, const std::wstring& folder) {
    bool all = true;
    UndoRecord made{UndoKind::Copy, {}};
    for (const std::wstring& target : targets) {
        const std::wstring name = NameOf(target);
        const std::wstring path = FreeName(folder, [&](int attempt) { return ShortcutName(name, attempt); });
        if (path.empty() || !CreateShortcutTo(target, path))
            all = false;
        else
            made.paths.emplace_back(target, path);
    }
    RecordUndo(std::move(made));
    return all;
}

}  // namespace

// A copy into the folder a file comes from gets a new name ("... - コピー"); the
// platform here cannot make one itself and would otherwise copy the file onto
// itself. A move there has nothing to do.
bool TransferFiles(HWND owner, const std::vector<std::wstring>& paths, DWORD effect, const std::wstring& folder) {
    if (effect & DROPEFFECT_LINK) return CreateShortcuts(paths, folder);
    const bool move = (effect & DROPEFFECT_MOVE) != 0;
    std::vector<std::wstring> from, to;
    for (const std::wstring& source : paths) {
        const std::wstring name = NameOf(source);
        std::wstring target = Join(folder, name);
        // Into itself or below itself: the platform would recurse without end.
        if (SamePath(source, folder) || (folder.size() > source.size() && SamePath(folder.substr(0, source.size()), source) &&
                                         folder[source.size()] == L'\\'))
            continue;
        if (SamePath(ParentOf(source), folder)) {
            if (move) continue;
            const bool directory = IsDirectory(source);
            target = FreeName(folder, [&](int attempt) { return CopyName(name, directory, attempt); });
            if (target.empty()) continue;
        }
        from.push_back(source);
        to.push_back(target);
    }
    if (from.empty()) return true;
    const std::wstring fromList = DoubleZeroList(from);
    const std::wstring toList = DoubleZeroList(to);
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = move ? FO_MOVE : FO_COPY;
    operation.pFrom = fromList.c_str();
    operation.pTo = toList.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_MULTIDESTFILES | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted) return result == 0;
    UndoRecord record{move ? UndoKind::Move : UndoKind::Copy, {}};
    for (size_t i = 0; i < from.size(); ++i) record.paths.emplace_back(from[i], to[i]);
    RecordUndo(std::move(record));
    return true;
}

namespace {

bool PasteFiles(HWND owner, const ClipboardFiles& files, const std::wstring& folder) {
    if (!TransferFiles(owner, files.paths, files.effect, folder)) return false;
    // Copies of what is no longer there must not be pasted again.
    if (files.effect == DROPEFFECT_MOVE) {
        ClipboardSession clipboard(owner);
        if (clipboard.open()) EmptyClipboard();
    }
    return true;
}

std::wstring FormatFileTime(const FILETIME& time) {
    FILETIME local{};
    SYSTEMTIME system{};
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &system)) return {};
    wchar_t text[64] = {};
    swprintf(text, 64, L"%04u/%02u/%02u %02u:%02u:%02u", system.wYear, system.wMonth, system.wDay, system.wHour,
             system.wMinute, system.wSecond);
    return text;
}

// The platform shows no properties of a file here: a small summary of ours.
void ShowProperties(HWND owner, const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return;
    SHFILEINFOW info{};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME);
    const ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    std::wstring attributes;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) attributes += L"読み取り専用 ";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) attributes += L"隠しファイル ";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) attributes += L"システム ";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_ARCHIVE) attributes += L"アーカイブ ";
    std::wstring text = L"名前:\t" + NameOf(path) + L"\n種類:\t" + info.szTypeName + L"\n場所:\t" + ParentOf(path);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        text += L"\nサイズ:\t" + std::to_wstring(size) + L" バイト";
    text += L"\n作成日時:\t" + FormatFileTime(data.ftCreationTime);
    text += L"\n更新日時:\t" + FormatFileTime(data.ftLastWriteTime);
    text += L"\nアクセス日時:\t" + FormatFileTime(data.ftLastAccessTime);
    text += L"\n属性:\t" + (attributes.empty() ? std::wstring(L"なし") : attributes);
    MessageBoxW(owner, text.c_str(), kPropertiesCaption, MB_ICONINFORMATION | MB_OK);
}

// The shell's menu with the edit verbs answered by us. The other commands,
// and the owner-drawn submenus' messages, go to the shell's menu.
class TFileVerbMenu final : public IContextMenu3 {
public:
    TFileVerbMenu(ComPtr<IContextMenu> shellMenu, PCIDLIST_ABSOLUTE folderList, std::wstring folderPath)
        : shell_(std::move(shellMenu)), folderList_(PIDLClone(folderList)), folderPath_(std::move(folderPath)) {
        if (shell_) {
            shell2_ = shell_.as<IContextMenu2>();
            shell3_ = shell_.as<IContextMenu3>();
        }
    }
    void AddItem(PCUITEMID_CHILD item, std::wstring path) {
        items_.emplace_back(PIDLClone(item));
        paths_.push_back(std::move(path));
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContextMenu) ||
            (IsEqualIID(iid, IID_IContextMenu2) && shell2_) || (IsEqualIID(iid, IID_IContextMenu3) && shell3_))
            *object = static_cast<IContextMenu3*>(this);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // Where the shell's item menu offers no rename, ours does: the folder
    // view turns the verb into its own rename in place.
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override {
        UINT used = 0;
        if (shell_) {
            const HRESULT hr = shell_->QueryContextMenu(menu, index, first, last, flags);
            if (FAILED(hr)) return hr;
            used = HRESULT_CODE(hr);
        }
        renameOffset_ = kNoOffset;
        if (items_.empty() || !(flags & CMF_CANRENAME) || (flags & CMF_DEFAULTONLY) || first + used > last ||
            OffersVerb(menu, first, "rename"))
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used);
        const int shellItems = GetMenuItemCount(menu);
        InsertMenuW(menu, std::min<UINT>(index + used, static_cast<UINT>(shellItems)), MF_BYPOSITION | MF_STRING,
                    first + used, kRenameText);
        renameOffset_ = used;
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, used + 1);
    }
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        if (!info) return E_INVALIDARG;
        HWND owner = info->hwnd ? info->hwnd : FrameLink().window;
        const std::string verb = VerbOf(*info);
        if (const HRESULT ours = InvokeOwn(verb, owner); ours != S_FALSE) return ours;
        const HRESULT hr = shell_ ? shell_->InvokeCommand(info) : E_FAIL;
        // The platform's delete puts the items in the recycle bin but keeps no
        // undo of it; Shift asks for a deletion for good, which has none.
        if (lstrcmpiA(verb.c_str(), "delete") == 0 && !(info->fMask & CMIC_MASK_SHIFT_DOWN)) RecordDeleted();
        return hr;
    }
    STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name, UINT size) override {
        if (command == renameOffset_ && renameOffset_ != kNoOffset) {
            if (type != GCS_VERBA || !name || size == 0) return E_INVALIDARG;
            lstrcpynA(name, "rename", static_cast<int>(size));
            return S_OK;
        }
        return shell_ ? shell_->GetCommandString(command, type, reserved, name, size) : E_NOTIMPL;
    }
    STDMETHODIMP HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override {
        return shell2_ ? shell2_->HandleMenuMsg(message, wParam, lParam) : E_NOTIMPL;
    }
    STDMETHODIMP HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        return shell3_ ? shell3_->HandleMenuMsg2(message, wParam, lParam, result) : E_NOTIMPL;
    }

private:
    ~TFileVerbMenu() = default;

    bool OffersVerb(HMENU menu, UINT first, const char* wanted) const {
        for (int i = 0; shell_ && i < GetMenuItemCount(menu); ++i) {
            const UINT id = GetMenuItemID(menu, i);
            char verb[1040] = {};
            if (id == 0 || id == static_cast<UINT>(-1) || id < first) continue;
            if (SUCCEEDED(shell_->GetCommandString(id - first, GCS_VERBA, nullptr, verb, sizeof(verb))) &&
                lstrcmpiA(verb, wanted) == 0)
                return true;
        }
        return false;
    }

    std::string VerbOf(const CMINVOKECOMMANDINFO& info) const {
        const auto& extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
        if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE) && extended.lpVerbW &&
            !IS_INTRESOURCE(extended.lpVerbW))
            return Narrow(extended.lpVerbW);
        if (!IS_INTRESOURCE(info.lpVerb)) return info.lpVerb;
        if (reinterpret_cast<UINT_PTR>(info.lpVerb) == renameOffset_ && renameOffset_ != kNoOffset) return "rename";
        char verb[1040] = {};
        if (!shell_ || FAILED(shell_->GetCommandString(reinterpret_cast<UINT_PTR>(info.lpVerb), GCS_VERBA, nullptr,
                                                       verb, sizeof(verb))))
            return {};
        verb[sizeof(verb) - 1] = '\0';
        return verb;
    }

    void RecordDeleted() const {
        UndoRecord record{UndoKind::Delete, {}};
        for (const std::wstring& path : paths_)
            if (!PathExists(path)) record.paths.emplace_back(path, std::wstring());
        RecordUndo(std::move(record));
    }

    // S_FALSE: not one of ours.
    HRESULT InvokeOwn(const std::string& verb, HWND owner) {
        auto is = [&](const char* name) { return lstrcmpiA(verb.c_str(), name) == 0; };
        if (items_.empty()) {
            if (is("paste") || is("pastelink")) {
                const ClipboardFiles files = ReadClipboardFiles(owner);
                if (files.paths.empty()) return S_OK;
                if (is("pastelink")) {
                    if (!CreateShortcuts(files.paths, folderPath_)) ReportError(owner, kLinkFailed);
                } else if (!PasteFiles(owner, files, folderPath_)) {
                    ReportError(owner, kPasteFailed);
                }
                return S_OK;
            }
            return S_FALSE;
        }
        // The platform here moves items to the trash past the sharing mode of
        // whoever holds them open, where the system refuses: so do we.
        if (is("delete")) {
            for (const std::wstring& path : paths_) {
                if (const std::wstring held = HeldFile(path); !held.empty()) {
                    ReportError(owner, (L"「" + NameOf(held) + kDeleteHeld).c_str());
                    return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
                }
            }
            return S_FALSE;
        }
        if (is("cut") || is("copy"))
            return PutOnClipboard(owner, folderList_.get(), items_, paths_, is("cut") ? DROPEFFECT_MOVE : DROPEFFECT_COPY)
                       ? S_OK
                       : E_FAIL;
        if (is("link")) {
            if (!CreateShortcuts(paths_, folderPath_)) ReportError(owner, kLinkFailed);
            return S_OK;
        }
        // The view renames in place before a verb is invoked; there is nothing else to do.
        if (is("rename")) return S_OK;
        if (is("properties")) {
            ShowProperties(owner, paths_.front());
            return S_OK;
        }
        return S_FALSE;
    }

    static constexpr UINT_PTR kNoOffset = ~static_cast<UINT_PTR>(0);
    LONG references_ = 1;
    UINT_PTR renameOffset_ = kNoOffset;
    ComPtr<IContextMenu> shell_;
    ComPtr<IContextMenu2> shell2_;
    ComPtr<IContextMenu3> shell3_;
    UniqueAbsolutePidl folderList_;
    std::wstring folderPath_;
    std::vector<UniqueChildPidl> items_;
    std::vector<std::wstring> paths_;
};

// The files a drag carries; none when it carries something else.
std::vector<std::wstring> DraggedFiles(IDataObject* data) {
    std::vector<std::wstring> paths;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium))) return paths;
    if (medium.tymed == TYMED_HGLOBAL) {
        auto drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring path(length + 1, L'\0');
            DragQueryFileW(drop, i, path.data(), length + 1);
            path.resize(length);
            if (!path.empty()) paths.push_back(path);
        }
    }
    ReleaseStgMedium(&medium);
    return paths;
}

bool SameDrive(const std::wstring& a, const std::wstring& b) {
    return a.size() >= 2 && b.size() >= 2 && a[1] == L':' && b[1] == L':' && towupper(a[0]) == towupper(b[0]);
}

// The right-drag menu's choice: an effect, or none when cancelled.
DWORD AskDropEffect(DWORD allowed, DWORD preferred, POINTL point) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return DROPEFFECT_NONE;
    const struct {
        DWORD effect;
        const wchar_t* text;
    } entries[] = {{DROPEFFECT_COPY, L"ここにコピー(&C)"},
                   {DROPEFFECT_MOVE, L"ここに移動(&M)"},
                   {DROPEFFECT_LINK, L"ショートカットをここに作成(&S)"}};
    for (const auto& entry : entries)
        if (allowed & entry.effect) AppendMenuW(menu.get(), MF_STRING, entry.effect, entry.text);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, kDropMenuCancel, L"キャンセル");
    if (preferred) SetMenuDefaultItem(menu.get(), preferred, FALSE);
    const UINT choice = ContextMenuTrackerHook()(menu.get(), point.x, point.y, FrameLink().window);
    return choice == kDropMenuCancel ? DROPEFFECT_NONE : choice;
}

// A file-system folder's drop target where the platform's reports a drop and
// does nothing: files are copied, moved or linked by the keys held, and a
// right-button drop asks which.
class TFileDropTarget final : public ComObject<IDropTarget> {
public:
    explicit TFileDropTarget(std::wstring folder) : folder_(std::move(folder)) {}

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override {
        paths_ = DraggedFiles(data);
        if (effect) *effect = Choose(keys, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD* effect) override {
        if (effect) *effect = Choose(keys, *effect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        paths_.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        paths_ = DraggedFiles(data);
        const DWORD allowed = effect ? *effect : DROPEFFECT_COPY;
        DWORD chosen = Choose(keys, allowed);
        if (chosen != DROPEFFECT_NONE && (keys & MK_RBUTTON)) chosen = AskDropEffect(allowed, chosen, point);
        if (effect) *effect = chosen;
        if (chosen == DROPEFFECT_NONE) return S_OK;
        if (!TransferFiles(FrameLink().window, paths_, chosen, folder_)) {
            ReportError(FrameLink().window, kPasteFailed);
            if (effect) *effect = DROPEFFECT_NONE;
        }
        paths_.clear();
        return S_OK;
    }

private:
    DWORD Choose(DWORD keys, DWORD allowed) const {
        if (paths_.empty()) return DROPEFFECT_NONE;
        DWORD wanted = SameDrive(paths_.front(), folder_) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
        if ((keys & MK_ALT) || ((keys & MK_CONTROL) && (keys & MK_SHIFT)))
            wanted = DROPEFFECT_LINK;
        else if (keys & MK_CONTROL)
            wanted = DROPEFFECT_COPY;
        else if (keys & MK_SHIFT)
            wanted = DROPEFFECT_MOVE;
        if (allowed & wanted) return wanted;
        for (DWORD fallback : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
            if (allowed & fallback) return fallback;
        return DROPEFFECT_NONE;
    }

    std::wstring folder_;
    std::vector<std::wstring> paths_;
};

}  // namespace

std::wstring CopyName(const std::wstring& name, bool directory, int attempt) {
    const size_t dot = directory ? std::wstring::npos : name.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && dot > 0;
    const std::wstring base = hasExtension ? name.substr(0, dot) : name;
    const std::wstring extension = hasExtension ? name.substr(dot) : std::wstring();
    std::wstring copy = base + L" - コピー";
    if (attempt > 1) copy += L" (" + std::to_wstring(attempt) + L")";
    return copy + extension;
}

std::wstring ShortcutName(const std::wstring& name, int attempt) {
    std::wstring link = name + L" - ショートカット";
    if (attempt > 1) link += L" (" + std::to_wstring(attempt) + L")";
    return link + L".lnk";
}

ComPtr<IContextMenu> WrapItemVerbs(ComPtr<IContextMenu> shellMenu, IShellFolder* folder, PCIDLIST_ABSOLUTE folderList,
                                   UINT count, PCUITEMID_CHILD* items) {
    const std::wstring folderPath = PIDLFileSystemPath(folderList);
    if (!folder || count == 0 || folderPath.empty()) return shellMenu;
    auto* menu = new TFileVerbMenu(shellMenu, folderList, folderPath);
    ComPtr<IContextMenu> wrapped = ComPtr<IContextMenu>::attach(menu);
    for (UINT i = 0; i < count; ++i) {
        UniqueAbsolutePidl absolute(PIDLAppend(folderList, items[i]));
        const std::wstring path = absolute ? PIDLFileSystemPath(absolute.get()) : std::wstring();
        if (path.empty()) return shellMenu;
        menu->AddItem(items[i], path);
    }
    return wrapped;
}

ComPtr<IContextMenu> WrapBackgroundVerbs(ComPtr<IContextMenu> shellMenu, PCIDLIST_ABSOLUTE folderList) {
    std::wstring folderPath = PIDLFileSystemPath(folderList);
    if (folderPath.empty() || !IsDirectory(folderPath)) return shellMenu;
    return ComPtr<IContextMenu>::attach(new TFileVerbMenu(shellMenu, folderList, std::move(folderPath)));
}

ComPtr<IDropTarget> FileDropTarget(PCIDLIST_ABSOLUTE folderList) {
    std::wstring folder = PIDLFileSystemPath(folderList);
    if (folder.empty() || !IsDirectory(folder)) return ComPtr<IDropTarget>();
    return ComPtr<IDropTarget>::attach(new TFileDropTarget(std::move(folder)));
}
