#include "bars/uAddressInput.h"

#include "app/ComPtr.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

// The shell's PathResolve, exported by ordinal only.
using PathResolveFn = int(WINAPI*)(LPWSTR, LPCWSTR*, UINT);
constexpr UINT kPathResolveOrdinal = 51;
constexpr UINT kResolveVerifyExists = 0x1;  // PRF_VERIFYEXISTS

// A folder opens as itself, anything else as its parent with it selected.
AddressTarget TargetOf(UniqueAbsolutePidl item) {
    AddressTarget target;
    // The shell makes a list for a drive or path that does not exist without
    // a word; opening it would only fail later, in the list.
    if (const std::wstring path = PIDLFileSystemPath(item.get());
        !path.empty() && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return target;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (FAILED(SHBindToParent(item.get(), IID_IShellFolder, parent.putVoid(), &last)) || !last) return target;
    SFGAOF attributes = SFGAO_FOLDER;
    if (FAILED(parent->GetAttributesOf(1, &last, &attributes))) return target;
    if (attributes & SFGAO_FOLDER) {
        target.folder = std::move(item);
    } else {
        target.select.reset(PIDLClone(last));
        target.folder.reset(PIDLParent(static_cast<PCIDLIST_ABSOLUTE>(item.get())));
    }
    return target;
}

}  // namespace

AddressTarget ResolveTypedAddress(const std::wstring& typed) {
    std::wstring text = typed.substr(0, kAddressTextLength - 1);
    if (text.find_first_not_of(L" \t") == std::wstring::npos) return {};
    if (PathIsURLW(text.c_str())) return {};
    wchar_t expanded[kAddressTextLength - 1];
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded, ARRAYSIZE(expanded));
    if (length > 0 && length <= ARRAYSIZE(expanded)) text = expanded;

    if (UniqueAbsolutePidl item(ILCreateFromPathW(text.c_str())); item) return TargetOf(std::move(item));

    // Not a path as it stands: a name the shell can find (on the search path,
    // with a program extension) may still be meant.
    HMODULE shell32 = GetModuleHandleW(L"shell32.dll");
    auto resolve = shell32 ? reinterpret_cast<PathResolveFn>(GetProcAddress(shell32, MAKEINTRESOURCEA(kPathResolveOrdinal)))
                           : nullptr;
    if (!resolve) return {};
    wchar_t buffer[kAddressTextLength] = {};
    lstrcpynW(buffer, text.c_str(), ARRAYSIZE(buffer));
    if (!resolve(buffer, nullptr, kResolveVerifyExists)) return {};
    if (UniqueAbsolutePidl item(ILCreateFromPathW(buffer)); item) return TargetOf(std::move(item));
    return {};
}

int ChooseOpenMode(BYTE held, const AddressModifiers& modifiers) {
    if (held == modifiers.open) return 0;
    if (held == modifiers.newWindow) return 1;
    if (held == modifiers.background) return 2;
    return -1;
}
