#include "shell/uColumnCompare.h"

#include "app/uPIDL.h"
#include "shell/ShellGuids.h"

#include <shlobj.h>

#include <string>

namespace {

enum class ColumnKind { Text, Size, Attributes, DateModified, DateCreated, DateAccessed };

ColumnKind KindOf(IShellFolder2* folder, UINT column) {
    SHCOLUMNID id{};
    if (FAILED(folder->MapColumnToSCID(column, &id)) || !IsEqualGUID(id.fmtid, FMTID_StorageProperties))
        return ColumnKind::Text;
    switch (id.pid) {
    case kStorageSize: return ColumnKind::Size;
    case kStorageAttributes: return ColumnKind::Attributes;
    case kStorageDateModified: return ColumnKind::DateModified;
    case kStorageDateCreated: return ColumnKind::DateCreated;
    case kStorageDateAccessed: return ColumnKind::DateAccessed;
    default: return ColumnKind::Text;
    }
}

bool FindData(IShellFolder2* folder, LPCITEMIDLIST item, WIN32_FIND_DATAW& data) {
    return SUCCEEDED(SHGetDataFromIDListW(folder, item, SHGDFIL_FINDDATA, &data, sizeof(data)));
}

bool IsDirectory(const WIN32_FIND_DATAW& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

ULONGLONG Size(const WIN32_FIND_DATAW& data) {
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int CompareNumbers(ColumnKind kind, const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
    switch (kind) {
    case ColumnKind::Size: return Order(Size(a), Size(b));
    case ColumnKind::Attributes: return Order(a.dwFileAttributes, b.dwFileAttributes);
    case ColumnKind::DateModified: return CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime);
    case ColumnKind::DateCreated: return CompareFileTime(&a.ftCreationTime, &b.ftCreationTime);
    case ColumnKind::DateAccessed: return CompareFileTime(&a.ftLastAccessTime, &b.ftLastAccessTime);
    case ColumnKind::Text: break;
    }
    return 0;
}

bool ColumnText(IShellFolder2* folder, LPCITEMIDLIST item, UINT column, std::wstring& text) {
    SHELLDETAILS details{};
    if (FAILED(folder->GetDetailsOf(item, column, &details))) return false;
    text = StrRetToText(&details.str, item);
    return true;
}

HRESULT CompareTexts(IShellFolder2* folder, UINT column, LPCITEMIDLIST a, LPCITEMIDLIST b, int& order) {
    std::wstring textA, textB;
    if (!ColumnText(folder, a, column, textA) || !ColumnText(folder, b, column, textB)) return E_FAIL;
    const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, textA.c_str(),
                                       static_cast<int>(textA.size()), textB.c_str(), static_cast<int>(textB.size()),
                                       nullptr, nullptr, 0);
    if (result == 0) return HRESULT_FROM_WIN32(GetLastError());
    order = result - CSTR_EQUAL;
    return S_OK;
}

}  // namespace

HRESULT CompareByColumnMeaning(IShellFolder2* folder, UINT column, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (!folder || !a || !b) return E_INVALIDARG;
    WIN32_FIND_DATAW dataA{}, dataB{};
    if (!FindData(folder, a, dataA) || !FindData(folder, b, dataB)) return E_FAIL;
    int order = Order(!IsDirectory(dataA), !IsDirectory(dataB));
    if (order == 0) {
        const ColumnKind kind = KindOf(folder, column);
        if (kind != ColumnKind::Text) {
            order = CompareNumbers(kind, dataA, dataB);
        } else {
            const HRESULT hr = CompareTexts(folder, column, a, b, order);
            if (FAILED(hr)) return hr;
        }
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order)));
}
