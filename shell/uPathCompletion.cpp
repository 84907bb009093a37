#include "shell/uPathCompletion.h"

#include "app/Handles.h"
#include "shell/ShellGuids.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

// A folder of a hundred thousand items is offered no further than this.
constexpr size_t kMostSuggestions = 20000;

class TChildNameList final : public IEnumString, public IACList {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IEnumString))) {
            *object = static_cast<IEnumString*>(this);
        } else if (IsEqualIID(iid, __uuidof(IACList))) {
            *object = static_cast<IACList*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP Expand(LPCWSTR root) override {
        names_.clear();
        next_ = 0;
        if (!root || !*root) return S_OK;
        const std::wstring folder = root;
        WIN32_FIND_DATAW data{};
        UniqueFindHandle search(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data,
                                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!search) return S_OK;
        do {
            if (lstrcmpW(data.cFileName, L".") == 0 || lstrcmpW(data.cFileName, L"..") == 0) continue;
            names_.push_back(folder + data.cFileName);
        } while (names_.size() < kMostSuggestions && FindNextFileW(search.get(), &data));
        return S_OK;
    }

    STDMETHODIMP Next(ULONG count, LPOLESTR* strings, ULONG* fetched) override {
        if (!strings) return E_POINTER;
        ULONG given = 0;
        while (given < count && next_ < names_.size()) {
            if (FAILED(SHStrDupW(names_[next_].c_str(), &strings[given]))) break;
            ++given;
            ++next_;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        next_ = std::min(names_.size(), next_ + count);
        return next_ < names_.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumString** copy) override {
        if (copy) *copy = nullptr;
        return E_NOTIMPL;
    }

private:
    ~TChildNameList() = default;

    LONG references_ = 1;
    std::vector<std::wstring> names_;
    size_t next_ = 0;
};

}  // namespace

ComPtr<IEnumString> CreateChildNameList() {
    return ComPtr<IEnumString>::attach(new TChildNameList());
}
