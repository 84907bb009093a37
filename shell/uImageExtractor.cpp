#include "shell/uImageExtractor.h"

#include "app/ComObject.h"
#include "shell/uWicImage.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwctype>

namespace {

class TImageExtractor final : public ComObject<IExtractImage> {
public:
    explicit TImageExtractor(std::wstring path) : path_(std::move(path)) {}

    HRESULT STDMETHODCALLTYPE GetLocation(LPWSTR pathBuffer, DWORD characters, DWORD* priority, const SIZE* size,
                                          DWORD colorDepth, DWORD* flags) override {
        if (!size || !flags || size->cx <= 0 || size->cy <= 0) return E_INVALIDARG;
        side_ = std::min(size->cx, size->cy);
        if (pathBuffer && characters > 0) lstrcpynW(pathBuffer, path_.c_str(), static_cast<int>(characters));
        // Nothing is kept here: whoever asked may cache the picture.
        *flags = IEIFLAG_CACHE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Extract(HBITMAP* bitmap) override {
        if (!bitmap) return E_POINTER;
        *bitmap = nullptr;
        if (side_ <= 0) return E_UNEXPECTED;
        UniqueBitmap picture = DecodeFileFitted(path_, side_, GetSysColor(COLOR_WINDOW));
        if (!picture) return E_FAIL;
        *bitmap = picture.release();
        return S_OK;
    }

private:
    ~TImageExtractor() override = default;

    std::wstring path_;
    int side_ = 0;
};

}  // namespace

ComPtr<IExtractImage> CreateOwnImageExtractor(const std::wstring& path) {
    std::wstring extension = PathFindExtensionW(path.c_str());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    const std::vector<std::wstring>& known = DecodableExtensions();
    if (extension.empty() || std::find(known.begin(), known.end(), extension) == known.end()) return {};
    return ComPtr<IExtractImage>::attach(new TImageExtractor(path));
}
