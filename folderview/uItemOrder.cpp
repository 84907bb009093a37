#include "folderview/uItemOrder.h"

#include "app/uPIDL.h"

#include <shlobj.h>

namespace {

// The comparison result a folder encodes in CompareIDs' code; a failure means equal.
int CompareCode(HRESULT hr) {
    if (FAILED(hr)) return 0;
    return static_cast<signed char>(HRESULT_CODE(hr) & 0xFF);
}

}  // namespace

std::wstring ItemParsingName(IShellFolder* folder, PCUITEMID_CHILD relative) {
    STRRET name{};
    if (!relative || !folder || FAILED(folder->GetDisplayNameOf(relative, SHGDN_INFOLDER | SHGDN_FORPARSING, &name)))
        return {};
    return StrRetToText(&name, relative);
}

TItemOrder::TItemOrder(IShellFolder* folder, bool fileSystemFolder, int column, bool ascending)
    : folder_(folder), column_(column), ascending_(ascending) {
    if (fileSystemFolder && folder) fileSystemOrder_ = std::make_unique<TFileSystemOrder>(folder, column);
}

int TItemOrder::Compare(PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    const HRESULT compared = fileSystemOrder_ ? fileSystemOrder_->Compare(a, b) : folder_->CompareIDs(column_, a, b);
    int result = CompareCode(compared);
    if (result == 0) {
        const std::wstring nameA = ItemParsingName(folder_, a);
        const std::wstring nameB = ItemParsingName(folder_, b);
        const int order = CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, nameA.c_str(),
                                          static_cast<int>(nameA.size()), nameB.c_str(),
                                          static_cast<int>(nameB.size()), nullptr, nullptr, 0);
        result = order == 0 ? 0 : order - CSTR_EQUAL;
    }
    return ascending_ ? result : -result;
}
