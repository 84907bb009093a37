#include "folderview/uViewStateStore.h"

#include "app/uPIDL.h"
#include "app/uReg.h"
#include "folderview/wFolderView.h"

#include <string>

namespace {

constexpr wchar_t kInformationCaption[] = L"情報";
constexpr wchar_t kCannotHere[] = L"このフォルダでは操作を行えません。";
constexpr wchar_t kIrreversible[] = L"キャンセルではもとに戻りません。よろしいですか？";
constexpr std::size_t kMaxIDListBytes = 0xFFFF;

std::wstring AreaPath(const wchar_t* subkey) {
    return std::wstring(SettingsArea::FolderView) + L"\\" + subkey;
}

bool AskIrreversible(HWND owner) {
    return MessageBoxW(owner, kIrreversible, kInformationCaption, MB_ICONINFORMATION | MB_OKCANCEL) == IDOK;
}

void LoadPerFolderStates() {
    UniqueRegKey key;
    if (!SettingsOpen(AreaPath(ViewStateNames::ViewStates), key)) return;
    for (unsigned index = 0;; ++index) {
        const std::wstring name = std::to_wstring(index);
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) break;
        if (size == 0) continue;
        const std::vector<std::uint8_t> data = SettingsReadBinary(key.get(), name.c_str());
        if (data.empty()) break;
        // A value whose sizes contradict its contents is passed over.
        if (std::optional<TViewState> state = ParseViewState(data)) ViewStates().AddBack(std::move(*state));
    }
}

void LoadDefaultState() {
    TDefViewState& def = DefViewState();
    def = TDefViewState{};
    UniqueRegKey key;
    if (!SettingsOpen(AreaPath(ViewStateNames::DefViewState), key)) return;
    def.Load = SettingsReadBool(key.get(), ViewStateNames::Load, false);
    if (!def.Load) return;
    SettingsReadInto(key.get(), ViewStateNames::SortIndex, def.SortIndex);
    SettingsReadInto(key.get(), ViewStateNames::SortOrder, def.SortOrder);
    def.ColumnStates = SettingsReadRecords<TColumnState>(key.get(), ViewStateNames::ColumnStates);
    def.ColumnOrderArray = SettingsReadRecords<std::int32_t>(key.get(), ViewStateNames::ColumnOrderArray);
}

void SavePerFolderStates(HKEY folderView) {
    SettingsDeleteTree(folderView, ViewStateNames::ViewStates);
    UniqueRegKey key;
    if (RegCreateKeyW(folderView, ViewStateNames::ViewStates, key.put()) != ERROR_SUCCESS) return;
    std::size_t written = 0;
    for (const TViewState& state : ViewStates().Entries()) {
        if (written == kSavedViewStates) break;
        const std::vector<std::uint8_t> data = SerializeViewState(state);
        if (data.empty()) continue;
        SettingsWriteBinary(key.get(), std::to_wstring(written).c_str(), data.data(), data.size());
        ++written;
    }
}

void SaveDefaultState(HKEY folderView) {
    UniqueRegKey key;
    if (RegCreateKeyW(folderView, ViewStateNames::DefViewState, key.put()) != ERROR_SUCCESS) return;
    const TDefViewState& def = DefViewState();
    SettingsWriteBool(key.get(), ViewStateNames::Load, def.Load);
    if (!def.Load) return;
    SettingsWriteInt(key.get(), ViewStateNames::SortIndex, def.SortIndex);
    SettingsWriteInt(key.get(), ViewStateNames::SortOrder, def.SortOrder);
    SettingsWriteRecords<TColumnState>(key.get(), ViewStateNames::ColumnStates, def.ColumnStates);
    SettingsWriteRecords<std::int32_t>(key.get(), ViewStateNames::ColumnOrderArray, def.ColumnOrderArray);
}

}  // namespace

TViewStateList& ViewStates() {
    static TViewStateList states;
    return states;
}

TDefViewState& DefViewState() {
    static TDefViewState state;
    return state;
}

TViewState* FindState(PCIDLIST_ABSOLUTE folder) {
    if (!folder) return nullptr;
    return ViewStates().Find(reinterpret_cast<const std::uint8_t*>(folder), PIDLCount(folder),
                             [](const std::uint8_t* a, const std::uint8_t* b) {
                                 return PIDLEqual(reinterpret_cast<LPCITEMIDLIST>(a),
                                                  reinterpret_cast<LPCITEMIDLIST>(b));
                             });
}

TViewState* AddState(PCIDLIST_ABSOLUTE folder) {
    const UINT size = PIDLSize(folder);
    if (!folder || size > kMaxIDListBytes) return nullptr;
    TViewState state;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(folder);
    state.IDList.assign(bytes, bytes + size);
    state.IDCount = PIDLCount(folder);
    return &ViewStates().AddFront(std::move(state));
}

void MoveState(PCIDLIST_ABSOLUTE oldFolder, PCIDLIST_ABSOLUTE newFolder) {
    TViewState* state = FindState(oldFolder);
    const UINT size = PIDLSize(newFolder);
    if (!state || !newFolder || size > kMaxIDListBytes) return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(newFolder);
    state->IDList.assign(bytes, bytes + size);
    state->IDCount = PIDLCount(newFolder);
}

void LoadStates() {
    ViewStates().Clear();
    LoadPerFolderStates();
    LoadDefaultState();
}

void SaveStates() {
    UniqueRegKey folderView;
    if (SettingsCreate(SettingsArea::FolderView, folderView)) {
        SavePerFolderStates(folderView.get());
        SaveDefaultState(folderView.get());
    }
    ViewStates().Clear();
}

bool ApplyToAllFolders(HWND owner) {
    TFolderView* view = FindActiveView();
    if (!view || !view->FileSystemFolder) {
        MessageBoxW(owner, kCannotHere, kInformationCaption, MB_ICONINFORMATION | MB_OK);
        return false;
    }
    if (!AskIrreversible(owner)) return false;
    TDefViewState& def = DefViewState();
    def.Load = true;
    def.SortIndex = view->SortColumn;
    def.SortOrder = view->SortAscending ? 1 : 0;
    if (view->ViewMode == 3) {
        view->RecordColumnsInto(def.ColumnStates, def.ColumnOrderArray);
    } else {
        def.ColumnStates.clear();
        def.ColumnOrderArray.clear();
    }
    return true;
}

bool ClearDefault(HWND owner) {
    if (!AskIrreversible(owner)) return false;
    DefViewState().Load = false;
    return true;
}

bool ClearAllStates(HWND owner) {
    if (!AskIrreversible(owner)) return false;
    ViewStates().Clear();
    return true;
}
