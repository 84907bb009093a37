#include "shell/hDataObject.h"

#include "app/Handles.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

size_t TFormatEtcList::Add(const FORMATETC& format) {
    records_.push_back(format);
    return records_.size() - 1;
}

void TFormatEtcList::Assign(const TFormatEtcList* other) {
    Clear();
    if (other) records_ = other->records_;
}

bool TFormatEtcList::Get(size_t index, FORMATETC& format) const {
    if (index >= records_.size()) return false;
    format = records_[index];
    return true;
}

HRESULT TEnumFormatEtc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
    ULONG copied = 0;
    while (copied < count && formats && formats_.Get(position_, formats[copied])) {
        ++position_;
        ++copied;
    }
    if (fetched) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(ULONG count) {
    const size_t left = formats_.Count() - position_;
    if (left < count) {
        position_ = formats_.Count();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

HRESULT TEnumFormatEtc::Reset() {
    position_ = 0;
    return S_OK;
}

// A clone starts from the first record: the position is not part of the copy.
HRESULT TEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
    if (!clone) return E_POINTER;
    *clone = new TEnumFormatEtc(formats_);
    return S_OK;
}

HRESULT TDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    medium->tymed = TYMED_NULL;
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    // A subclass's failure must not cross the COM boundary as an exception.
    try {
        return RenderData(*format, *medium, true);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TDataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    try {
        return RenderData(*format, *medium, false);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// The target device and lindex are not compared: no reader of ours asks for a particular one.
HRESULT TDataObject::QueryGetData(FORMATETC* format) {
    if (!format) return DV_E_FORMATETC;
    FORMATETC offered{};
    for (size_t i = 0; formats_.Get(i, offered); ++i)
        if (offered.cfFormat == format->cfFormat && offered.dwAspect == format->dwAspect &&
            (offered.tymed & format->tymed) != 0)
            return S_OK;
    return DV_E_FORMATETC;
}

HRESULT TDataObject::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT TDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (!formats) return E_POINTER;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    *formats = new TEnumFormatEtc(formats_);
    return S_OK;
}

HRESULT TDataObject::EnumDAdvise(IEnumSTATDATA** advises) {
    if (advises) *advises = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

TFileDataObject::TFileDataObject(std::vector<std::wstring> paths) : paths_(std::move(paths)) {
    formats_.Add(FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

HRESULT TFileDataObject::RenderData(const FORMATETC&, STGMEDIUM& medium, bool allocate) {
    if (!allocate) return E_NOTIMPL;
    if (paths_.empty()) return STG_E_MEDIUMFULL;
    HGLOBAL block = MakeFileDropBlock(paths_);
    if (!block) return STG_E_MEDIUMFULL;
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    medium.pUnkForRelease = nullptr;
    return S_OK;
}

const FORMATETC& ShellListFormat() {
    static const FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST)), nullptr,
                                  DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return format;
}

const FORMATETC& FavoriteItemFormat() {
    static const FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"FavoriteItem")), nullptr,
                                  DVASPECT_CONTENT, -1, TYMED_NULL};
    return format;
}

HGLOBAL MakeFileDropBlock(const std::vector<std::wstring>& paths) {
    size_t characters = 1;
    for (const std::wstring& path : paths) characters += path.size() + 1;
    const size_t bytes = sizeof(DROPFILES) + characters * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
    if (!block) return nullptr;
    {
        GlobalMemoryLock<BYTE> lock(block.get());
        if (!lock.get()) return nullptr;
        auto* header = reinterpret_cast<DROPFILES*>(lock.get());
        header->pFiles = sizeof(DROPFILES);
        header->fWide = static_cast<BOOL>(-1);
        auto* text = reinterpret_cast<wchar_t*>(lock.get() + sizeof(DROPFILES));
        for (const std::wstring& path : paths) {
            std::copy(path.begin(), path.end(), text);
            text += path.size() + 1;  // the zero is already there
        }
    }
    return block.release();
}
