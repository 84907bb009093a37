#pragma once
// The program's own data object for data it makes itself (file drags and
// copies of paths that no shell folder holds together): it offers a list of
// format records and leaves the rendering of each to its subclass. Its format
// enumerator walks a copy of that list.

#include "app/ComObject.h"

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

// An ordered list of format records, owned by value.
class TFormatEtcList {
public:
    size_t Add(const FORMATETC& format);
    // A missing list leaves this one empty.
    void Assign(const TFormatEtcList* other);
    void Clear() { records_.clear(); }
    bool Get(size_t index, FORMATETC& format) const;
    size_t Count() const { return records_.size(); }

private:
    std::vector<FORMATETC> records_;
};

class TEnumFormatEtc final : public ComObject<IEnumFORMATETC> {
public:
    explicit TEnumFormatEtc(const TFormatEtcList& formats) { formats_.Assign(&formats); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** clone) override;

private:
    TFormatEtcList formats_;
    size_t position_ = 0;
};

class TDataObject : public ComObject<IDataObject> {
public:
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

protected:
    // Fills `medium` for an offered `format`; with `allocate` false the
    // caller's storage is to be written instead.
    virtual HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium, bool allocate) = 0;

    TFormatEtcList formats_;
};

// Full paths as CF_HDROP, for drags and copies of files that share no folder.
class TFileDataObject final : public TDataObject {
public:
    explicit TFileDataObject(std::vector<std::wstring> paths);

protected:
    HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium, bool allocate) override;

private:
    std::vector<std::wstring> paths_;
};

// The two records the program uses for itself: the shell's list of items
// ("Shell IDList Array" in a global block) and a favorites entry ("FavoriteItem",
// no storage: the medium's handle word names a node of this process's tree).
const FORMATETC& ShellListFormat();
const FORMATETC& FavoriteItemFormat();

// The CF_HDROP block for `paths`: the header, then each path ended by a zero,
// and one zero more. Null when the block cannot be allocated.
HGLOBAL MakeFileDropBlock(const std::vector<std::wstring>& paths);
