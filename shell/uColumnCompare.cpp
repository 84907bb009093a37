#include "shell/uColumnCompare.h"

#include "app/uPIDL.h"
#include "shell/ShellGuids.h"

#include <shlobj.h>

#include <string>
#include <unordered_map>

namespace {

enum class ColumnKind { Text, Type, Size, Attributes, DateModified, DateCreated, DateAccessed };

ColumnKind KindOf(IShellFolder2* folder, UINT column) {
    SHCOLUMNID id{};
    if (FAILED(folder->MapColumnToSCID(column, &id)) || !IsEqualGUID(id.fmtid, FMTID_StorageProperties))
        return ColumnKind::Text;
    switch (id.pid) {
    case kStorageType: return ColumnKind::Type;
    case kStorageSize: return ColumnKind::Size;
    case kStorageAttributes: return ColumnKind::Attributes;
    case kStorageDateModified: return ColumnKind::DateModified;
    case kStorageDateCreated: return ColumnKind::DateCreated;
    case kStorageDateAccessed: return ColumnKind::DateAccessed;
    default: return ColumnKind::Text;
    }
}

bool IsTextKind(ColumnKind kind) { return kind == ColumnKind::Text || kind == ColumnKind::Type; }

template <typename T>
int Order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

ULONGLONG Size(const WIN32_FIND_DATAW& data) {
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

ULONGLONG NumberOf(ColumnKind kind, const WIN32_FIND_DATAW& data) {
    switch (kind) {
    case ColumnKind::Size: return Size(data);
    case ColumnKind::Attributes: return data.dwFileAttributes;
    case ColumnKind::DateModified: return Ticks(data.ftLastWriteTime);
    case ColumnKind::DateCreated: return Ticks(data.ftCreationTime);
    case ColumnKind::DateAccessed: return Ticks(data.ftLastAccessTime);
    default: return 0;
    }
}

// What a files's type text depends on: its extension; all folders share one.
std::wstring TypeKey(const WIN32_FIND_DATAW& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return L"\\";
    const wchar_t* dot = wcsrchr(data.cFileName, L'.');
    std::wstring key = dot ? dot : L"";
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace

struct TColumnMeaningOrder::Impl {
    // What the order needs of one item.
    struct Key {
        bool known = false;
        bool directory = false;
        ULONGLONG number = 0;
        std::wstring text;
    };

    IShellFolder2* folder;
    UINT column;
    ColumnKind kind;
    std::unordered_map<LPCITEMIDLIST, Key> keys;
    std::unordered_map<std::wstring, std::wstring> typeTexts;

    bool ColumnText(PCUITEMID_CHILD item, std::wstring& text) const {
        SHELLDETAILS details{};
        if (FAILED(folder->GetDetailsOf(item, column, &details))) return false;
        text = StrRetToText(&details.str, item);
        return true;
    }

    const Key& KeyOf(PCUITEMID_CHILD item) {
        auto [entry, added] = keys.try_emplace(item);
        Key& key = entry->second;
        if (!added) return key;
        WIN32_FIND_DATAW data{};
        if (FAILED(SHGetDataFromIDListW(folder, item, SHGDFIL_FINDDATA, &data, sizeof(data)))) return key;
        key.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (kind == ColumnKind::Type) {
            auto [type, newType] = typeTexts.try_emplace(TypeKey(data));
            if (newType && !ColumnText(item, type->second)) {
                typeTexts.erase(type);
                return key;
            }
            key.text = type->second;
        } else if (kind == ColumnKind::Text) {
            if (!ColumnText(item, key.text)) return key;
        } else {
            key.number = NumberOf(kind, data);
        }
        key.known = true;
        return key;
    }
};

TColumnMeaningOrder::TColumnMeaningOrder(IShellFolder2* folder, UINT column)
    : impl_(std::make_unique<Impl>(Impl{folder, column, folder ? KindOf(folder, column) : ColumnKind::Text, {}, {}})) {}

TColumnMeaningOrder::~TColumnMeaningOrder() = default;

HRESULT TColumnMeaningOrder::Compare(PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    if (!impl_->folder || !a || !b) return E_INVALIDARG;
    const Impl::Key& keyA = impl_->KeyOf(a);
    const Impl::Key& keyB = impl_->KeyOf(b);
    if (!keyA.known || !keyB.known) return E_FAIL;
    int order = Order(!keyA.directory, !keyB.directory);
    if (order == 0 && IsTextKind(impl_->kind)) {
        const int result = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, keyA.text.c_str(),
                                           static_cast<int>(keyA.text.size()), keyB.text.c_str(),
                                           static_cast<int>(keyB.text.size()), nullptr, nullptr, 0);
        if (result == 0) return HRESULT_FROM_WIN32(GetLastError());
        order = result - CSTR_EQUAL;
    } else if (order == 0) {
        order = Order(keyA.number, keyB.number);
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order)));
}

HRESULT CompareByColumnMeaning(IShellFolder2* folder, UINT column, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    return TColumnMeaningOrder(folder, column).Compare(a, b);
}
