#include "app/uCmdLine.h"

#include "app/Global.h"
#include "app/uPIDL.h"
#include "app/uReg.h"
#include "mainwnd/wMainWnd.h"
#include "mdi/wMDIChild.h"
#include "shell/uCapabilities.h"

#include <shlwapi.h>

#include <memory>
#include <optional>
#include <string_view>

namespace {

constexpr DWORD kClientTimeout = 1000;
// A second start that finds the instance's mark before its DDE server answers
// (both started at the same moment) asks again this often, for this long.
constexpr DWORD kConnectRetryInterval = 100;
constexpr DWORD kConnectPatience = 30000;
// No folder name is longer; a longer argument is refused before it is parsed.
constexpr size_t kMaxArgumentLength = 32767;
// The path qualifier of the shell works in a buffer of this many characters.
constexpr DWORD kQualifiedPathLength = 1040;
constexpr wchar_t kErrorCaption[] = L"エラー";
constexpr wchar_t kPathTooLongText[] = L"フォルダを開けません。パスが長すぎます。";

void OpenInChildWindow(PIDLIST_ABSOLUTE folder, bool activate, PCUITEMID_CHILD selectItem) {
    OpenChildWindow(folder, activate, selectItem, ContentFolder);
}

struct CommandLineState {
    FolderOpener opener = OpenInChildWindow;
};

CommandLineState& State() {
    static CommandLineState state;
    return state;
}

void OpenFolderWindow(UniqueAbsolutePidl folder, bool activate, PCUITEMID_CHILD selectItem) {
    State().opener(folder.release(), activate, selectItem);
}

// Bytes that can be read from `at` on: the rest of the committed, readable run
// of pages it lies in.
size_t ReadableBytes(const void* at) {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(at, &info, sizeof(info)) || info.State != MEM_COMMIT) return 0;
    if (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) return 0;
    const BYTE* end = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize;
    return static_cast<size_t>(end - static_cast<const BYTE*>(at));
}

// The ID list in the shell's shared block, copied. Its size is not stated
// anywhere, so the list is walked only as far as the mapped view reaches: a
// block holding garbage is dropped instead of read past its end.
UniqueAbsolutePidl ReadSharedList(DWORD handleValue, DWORD processId) {
    const AppObjects& app = App();
    if (!app.lockShared || !app.unlockShared || !app.freeShared) return {};
    HANDLE handle = ULongToHandle(handleValue);
    void* block = app.lockShared(handle, processId);
    // A handle that cannot be locked names no shared block: freeing it would
    // close whatever unrelated handle carries that number, here or in the
    // process named beside it.
    if (!block) return {};
    UniqueAbsolutePidl list;
    if (PIDLIsValid(block, ReadableBytes(block)))
        list.reset(PIDLClone(StoredFolder(static_cast<LPCITEMIDLIST>(block))));
    app.unlockShared(block);
    app.freeShared(handle, processId);
    return list;
}

bool OpenHandleArgument(const std::wstring& argument, bool activate) {
    const std::optional<SharedListHandle> shared = ParseHandleArgument(argument);
    if (!shared) return false;
    UniqueAbsolutePidl list = ReadSharedList(shared->handle, shared->processId);
    if (!list) return false;
    OpenFolderWindow(std::move(list), activate, nullptr);
    return true;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool IsDriveRoot(std::wstring_view text) {
    return text.size() >= 3 && ((text[0] | 0x20) >= L'a' && (text[0] | 0x20) <= L'z') && text[1] == L':' &&
           text[2] == L'\\';
}

// The shell's path qualifier (shell32 ordinal 49) returns some paths unchanged
// where it is only a stub; GetFullPathNameW anchors a relative path at the
// current directory and folds "." and ".." the same way everywhere, so this
// step needs no knowledge of the platform.
UniqueAbsolutePidl ListFromQualifiedPath(const std::wstring& path) {
    wchar_t qualified[kQualifiedPathLength];
    DWORD length = GetFullPathNameW(path.c_str(), kQualifiedPathLength, qualified, nullptr);
    if (length == 0 || length >= kQualifiedPathLength) return {};
    return UniqueAbsolutePidl(ILCreateFromPathW(qualified));
}

// True when `path`, qualified, names something on disk that is past the
// length the shell's parser takes: the user is told why it does not open.
bool ExistsPastShellLength(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed <= MAX_PATH) return false;
    std::wstring qualified(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, qualified.data(), nullptr);
    if (length == 0 || length >= needed) return false;
    qualified.resize(length);
    const std::wstring longForm =
        StartsWith(qualified, L"\\\\") ? L"\\\\?\\UNC\\" + qualified.substr(2) : L"\\\\?\\" + qualified;
    return GetFileAttributesW(longForm.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TellPathTooLong(const std::wstring& path) {
    const std::wstring text = std::wstring(kPathTooLongText) + L"\r\n\r\n" + path;
    MessageBoxW(FrameLink().window, text.c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
}

bool IsFolder(PCIDLIST_ABSOLUTE list) {
    if (list->mkid.cb == 0) return true;
    UniqueAbsolutePidl parentList(PIDLParent(list));
    ComPtr<IShellFolder> parent;
    if (!parentList || !PIDLBindFolder(parentList.get(), parent.put())) return false;
    PCUITEMID_CHILD last = PIDLLastChild(list);
    SFGAOF attributes = SFGAO_FOLDER;
    return SUCCEEDED(parent->GetAttributesOf(1, &last, &attributes)) && (attributes & SFGAO_FOLDER);
}

// The name an argument is given to the shell's parser as, or nothing. The
// platform's desktop parser faults on a name that starts with '/' (and takes
// the whole process down with it), so nothing reaches it that cannot name a
// folder: switch-like words, device names, control characters, wildcards. A
// long-path prefix is taken off where a plain path remains beneath it.
std::optional<std::wstring> ParsableName(const std::wstring& argument) {
    std::wstring_view name(argument);
    std::wstring unc;
    if (StartsWith(name, L"\\\\?\\UNC\\")) {
        unc = L"\\\\" + std::wstring(name.substr(8));
        name = unc;
    } else if (StartsWith(name, L"\\\\?\\") && IsDriveRoot(name.substr(4))) {
        name.remove_prefix(4);
    }
    // The file system drops the blanks that end a path, and so does a user's
    // eye: "C:\data " names the folder C:\data.
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    if (name.empty() || name.size() > kMaxArgumentLength) return std::nullopt;
    if (name.front() == L'/' || name.front() == L'-') return std::nullopt;
    if (StartsWith(name, L"\\\\?\\") || StartsWith(name, L"\\\\.\\") || StartsWith(name, L"\\??\\"))
        return std::nullopt;
    for (wchar_t c : name)
        if (c < L' ' || c == L'"' || c == L'<' || c == L'>' || c == L'|' || c == L'*' || c == L'?')
            return std::nullopt;
    return std::wstring(name);
}

// A path read against the current folder or the current drive: "name",
// "..\\name", "\\name", "C:name". "C:" alone names the drive.
bool IsRelativeToCurrent(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return path.size() > 2 && path[2] != L'\\';
    if (StartsWith(path, L"\\\\")) return false;
    return PathIsRelativeW(std::wstring(path).c_str()) || path.front() == L'\\';
}

// An argument as the starting process means it: environment strings expanded,
// a relative path anchored at this process's current folder. Handle forms,
// URLs and switch-like words stay as they are, for the receiver to judge.
std::wstring AnchoredArgument(const std::wstring& argument) {
    if (argument.empty() || argument.front() == L':' || argument.front() == L'/' || argument.front() == L'-')
        return argument;
    if (PathIsURLW(argument.c_str())) return argument;
    std::wstring text = argument;
    if (text.find(L'%') != std::wstring::npos) {
        const DWORD needed = ExpandEnvironmentStringsW(argument.c_str(), nullptr, 0);
        if (needed > 0) {
            std::wstring expanded(needed, L'\0');
            const DWORD written = ExpandEnvironmentStringsW(argument.c_str(), expanded.data(), needed);
            if (written > 0 && written <= needed) text.assign(expanded.c_str());
        }
    }
    if (text.empty() || !IsRelativeToCurrent(text)) return text;
    const DWORD needed = GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return text;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(text.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return text;
    full.resize(length);
    return full;
}

void BringFrameForward() {
    HWND frame = FrameLink().window;
    if (!frame) return;
    if (!IsWindowVisible(frame)) FromTray();
    if (GetWindowLongPtrW(frame, GWL_STYLE) & WS_MINIMIZE) ShowWindow(frame, SW_RESTORE);
    if (GetForegroundWindow() != frame) SetForegroundWindow(frame);
}

HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// The running instance may take the foreground only if this process, which
// the user just started and which therefore holds it, lets it.
void LetPartnerComeForward(HCONV conversation) {
    CONVINFO info{sizeof(info)};
    if (!DdeQueryConvInfo(conversation, QID_SYNC, &info) || !info.hwndPartner) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(info.hwndPartner, &processId);
    if (processId) AllowSetForegroundWindow(processId);
}

}  // namespace

bool HasArguments() { return HasArguments(GetCommandLineW()); }

void OpenArguments(const std::wstring& text, int firstIndex) {
    const std::vector<std::wstring> arguments = SplitArguments(text);
    bool first = true;
    for (size_t i = firstIndex > 0 ? static_cast<size_t>(firstIndex) : 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument.front() == L':') {
            // The quoted path the shell sends behind a handle names the same
            // folder; it is opened only when the handle could not be read.
            if (OpenArgument(argument, first)) return;
            continue;
        }
        OpenArgument(argument, first);
        first = false;
    }
}

bool OpenArgument(const std::wstring& argument, bool first) {
    const bool activate = first && FrameConfig().ddeActive;
    // The desktop would parse an empty name as itself.
    if (argument.empty()) return false;
    if (argument.front() == L':') return OpenHandleArgument(argument, activate);
    if (PathIsURLW(argument.c_str())) return false;
    std::optional<std::wstring> parsable = ParsableName(argument);
    if (!parsable) return false;

    IShellFolder* desktop = App().desktop.get();
    if (!desktop) return false;
    std::wstring name = *parsable;  // ParseDisplayName wants a writable string
    ULONG attributes = SFGAO_FOLDER;
    UniqueAbsolutePidl parsed;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, DesktopParseResult(parsed.put()),
                                           &attributes);
    if (FAILED(hr) || !parsed) {
        parsed = ListFromQualifiedPath(*parsable);
        if (!parsed) {
            if (ExistsPastShellLength(*parsable)) TellPathTooLong(*parsable);
            return false;
        }
        attributes = IsFolder(parsed.get()) ? SFGAO_FOLDER : 0;
    }
    if (attributes & SFGAO_FOLDER) {
        OpenFolderWindow(std::move(parsed), activate, nullptr);
        return false;
    }
    UniqueChildPidl item(PIDLClone(PIDLLastChild(parsed.get())));
    PIDLRemoveLast(parsed.get());
    OpenFolderWindow(std::move(parsed), activate, item.get());
    return false;
}

void OpenDdeRequest(const std::wstring& text, int firstIndex) {
    BringFrameForward();
    OpenArguments(text, firstIndex);
}

FolderOpener SetFolderOpener(FolderOpener opener) {
    FolderOpener previous = State().opener;
    State().opener = opener ? opener : OpenInChildWindow;
    return previous;
}

std::wstring AnchoredCommandLine(const std::wstring& commandLine) {
    const std::vector<std::wstring> arguments = SplitArguments(commandLine);
    std::wstring anchored;
    for (size_t i = 0; i < arguments.size(); ++i) {
        // Quotes cannot occur inside a split argument, so quoting every one
        // gives back exactly these arguments when the line is split again.
        if (i > 0) anchored += L' ';
        anchored += L'"';
        anchored += i == 0 ? arguments[i] : AnchoredArgument(arguments[i]);
        anchored += L'"';
    }
    return anchored;
}

bool SendCommandLineToRunningInstance(const std::function<bool()>& instanceRuns) {
    DdeInstance client(DdeClientCallback, APPCMD_CLIENTONLY);
    if (!client) return false;
    HSZ service = client.Name(DdeServiceName(SettingsRootPath()).c_str());
    HSZ topic = client.Name(kSecondStartTopic);
    HCONV conversation = DdeConnect(client.id(), service, topic, nullptr);
    const DWORD start = GetTickCount();
    while (!conversation && instanceRuns && instanceRuns() && GetTickCount() - start < kConnectPatience) {
        Sleep(kConnectRetryInterval);
        conversation = DdeConnect(client.id(), service, topic, nullptr);
    }
    if (!conversation) return false;
    LetPartnerComeForward(conversation);

    const std::wstring commandLine = AnchoredCommandLine(GetCommandLineW());
    auto data = reinterpret_cast<LPBYTE>(const_cast<wchar_t*>(commandLine.c_str()));
    const DWORD bytes = static_cast<DWORD>((commandLine.size() + 1) * sizeof(wchar_t));
    if (PlatformCapabilities().ddeUnicodeExecute) {
        DdeClientTransaction(data, bytes, conversation, nullptr, 0, XTYP_EXECUTE, kClientTimeout, nullptr);
    } else {
        DdeClientTransaction(data, bytes, conversation, client.Name(kCommandLineItem), CF_UNICODETEXT, XTYP_POKE,
                             kClientTimeout, nullptr);
    }
    DdeDisconnect(conversation);
    return true;
}
