// The program's own data object and its format enumerator: what it offers,
// what it renders, and what it refuses.

#include "shell/hDataObject.h"

#include "app/ComPtr.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr FORMATETC kDrop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

ComPtr<IDataObject> FilesObject(std::vector<std::wstring> paths) {
    return ComPtr<IDataObject>::attach(new TFileDataObject(std::move(paths)));
}

// Two formats, the second failing inside its rendering.
class TwoFormats final : public TDataObject {
public:
    TwoFormats() {
        formats_.Add(FORMATETC{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        formats_.Add(FORMATETC{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM});
    }

protected:
    HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium, bool) override {
        if (format.cfFormat == CF_TEXT) throw std::runtime_error("no text");
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 2);
        return S_OK;
    }
};

std::vector<std::wstring> DroppedPaths(HGLOBAL block) {
    std::vector<std::wstring> paths;
    auto drop = static_cast<HDROP>(block);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[MAX_PATH] = {};
        DragQueryFileW(drop, i, path, MAX_PATH);
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

TEST(DataObject, RendersFilePathsAsADropBlockOfExactlyTheirSize) {
    const std::vector<std::wstring> paths{L"C:\\a b\\日本.txt", L"C:\\x & y"};
    ComPtr<IDataObject> data = FilesObject(paths);
    FORMATETC format = kDrop;
    format.lindex = 7;  // not compared
    STGMEDIUM medium{};
    ASSERT_EQ(data->GetData(&format, &medium), S_OK);
    ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    EXPECT_EQ(DroppedPaths(medium.hGlobal), paths);
    const size_t characters = paths[0].size() + 1 + paths[1].size() + 1 + 1;
    EXPECT_GE(GlobalSize(medium.hGlobal), sizeof(DROPFILES) + characters * sizeof(wchar_t));
    {
        auto* header = static_cast<const DROPFILES*>(GlobalLock(medium.hGlobal));
        EXPECT_EQ(header->pFiles, sizeof(DROPFILES));
        EXPECT_NE(header->fWide, 0);
        const auto* text = reinterpret_cast<const wchar_t*>(header + 1);
        EXPECT_EQ(text[characters - 2], L'\0');
        EXPECT_EQ(text[characters - 1], L'\0');
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
}

TEST(DataObject, RefusesWhatItDoesNotOffer) {
    ComPtr<IDataObject> data = FilesObject({L"C:\\a.txt"});
    const struct {
        const char* what;
        FORMATETC format;
    } refused[] = {
        {"storage sharing no bit", {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM}},
        {"another format", {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}},
        {"another aspect", {CF_HDROP, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL}},
    };
    for (const auto& request : refused) {
        FORMATETC format = request.format;
        EXPECT_EQ(data->QueryGetData(&format), DV_E_FORMATETC) << request.what;
        STGMEDIUM medium{};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = reinterpret_cast<HGLOBAL>(1);
        medium.pUnkForRelease = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(data->GetData(&format, &medium), DV_E_FORMATETC) << request.what;
        EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL)) << "the medium is cleared first";
        EXPECT_EQ(medium.hGlobal, nullptr);
        EXPECT_EQ(medium.pUnkForRelease, nullptr);
    }
    FORMATETC format = kDrop;
    STGMEDIUM medium{};
    EXPECT_EQ(data->SetData(&format, &medium, TRUE), E_NOTIMPL);
    EXPECT_EQ(data->GetDataHere(&format, &medium), E_NOTIMPL);
    DWORD connection = 0;
    EXPECT_EQ(data->DAdvise(&format, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
    auto* advises = reinterpret_cast<IEnumSTATDATA*>(1);
    EXPECT_EQ(data->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(advises, nullptr);
    EXPECT_EQ(FilesObject({})->GetData(&format, &medium), STG_E_MEDIUMFULL) << "no paths, no block";

    FORMATETC canonical{};
    format.ptd = reinterpret_cast<DVTARGETDEVICE*>(1);
    EXPECT_EQ(data->GetCanonicalFormatEtc(&format, &canonical), DATA_S_SAMEFORMATETC);
    EXPECT_EQ(canonical.cfFormat, CF_HDROP);
    EXPECT_EQ(canonical.ptd, nullptr);
}

TEST(DataObject, AFailingRenderingIsUnexpectedAndOtherFormatsStillServe) {
    ComPtr<IDataObject> data = ComPtr<IDataObject>::attach(new TwoFormats());
    FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&text, &medium), E_UNEXPECTED);
    FORMATETC unicode{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    ASSERT_EQ(data->GetData(&unicode, &medium), S_OK);
    ReleaseStgMedium(&medium);
}

TEST(DataObject, TheEnumeratorWalksTheOfferedFormatsAndItsCloneStartsAgain) {
    ComPtr<IDataObject> data = ComPtr<IDataObject>::attach(new TwoFormats());
    ComPtr<IEnumFORMATETC> formats;
    auto* set = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &set), E_NOTIMPL);
    EXPECT_EQ(set, nullptr);
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.put()), S_OK);

    FORMATETC got[3] = {};
    ULONG fetched = 0;
    ASSERT_EQ(formats->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT);
    ComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(formats->Clone(clone.put()), S_OK);
    ASSERT_EQ(clone->Next(3, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].cfFormat, CF_UNICODETEXT) << "a clone starts from the first format";
    EXPECT_EQ(got[1].cfFormat, CF_TEXT);

    EXPECT_EQ(formats->Skip(2), S_FALSE) << "one format was left";
    EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(2), S_OK);
}

TEST(DataObject, TheProgramsTwoFormatRecords) {
    const FORMATETC& list = ShellListFormat();
    EXPECT_EQ(list.cfFormat, RegisterClipboardFormatW(L"Shell IDList Array"));
    EXPECT_EQ(list.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    const FORMATETC& favorite = FavoriteItemFormat();
    EXPECT_EQ(favorite.cfFormat, RegisterClipboardFormatW(L"FavoriteItem"));
    EXPECT_EQ(favorite.tymed, static_cast<DWORD>(TYMED_NULL));
    for (const FORMATETC* format : {&list, &favorite}) {
        EXPECT_EQ(format->ptd, nullptr);
        EXPECT_EQ(format->dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
        EXPECT_EQ(format->lindex, -1);
    }
}
