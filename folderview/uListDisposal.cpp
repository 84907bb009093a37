#include "folderview/uListDisposal.h"

#include "app/uPIDL.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace {

constexpr int kDefaultLimit = 2000;
// Short enough that input waits no longer than a fill's slice would make it.
constexpr ULONGLONG kSliceLength = 30;
constexpr int kRowsBetweenClockChecks = 32;
constexpr UINT_PTR kSliceTimerId = 1;
constexpr wchar_t kHolderClass[] = L"ZEKO.ListDisposal";

struct ListLetGo {
    HWND list;
    int adoptedRows;  // rows before this one belong to another list
};

struct DisposalState {
    HWND holder = nullptr;  // the hidden parent of the lists being emptied
    std::vector<ListLetGo> lists;
    int limit = kDefaultLimit;
};

DisposalState& State() {
    static DisposalState state;
    return state;
}

// The last row goes first: the list then moves nothing behind it.
void DeleteLastRow(HWND list, int count, int adoptedRows) {
    if (count - 1 < adoptedRows) {
        ListView_DeleteItem(list, count - 1);
        return;
    }
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = count - 1;
    const bool known = ListView_GetItem(list, &item) != FALSE;
    ListView_DeleteItem(list, count - 1);
    auto relative = reinterpret_cast<PITEMID_CHILD>(item.lParam);
    if (known) PIDLFree(relative);
}

void RunSlice() {
    DisposalState& state = State();
    const ULONGLONG deadline = GetTickCount64() + kSliceLength;
    int sinceClock = 0;
    while (!state.lists.empty()) {
        const auto [list, adoptedRows] = state.lists.back();
        const int count = IsWindow(list) ? ListView_GetItemCount(list) : 0;
        if (count == 0) {
            state.lists.pop_back();
            if (IsWindow(list)) DestroyWindow(list);
            continue;
        }
        DeleteLastRow(list, count, adoptedRows);
        if (++sinceClock < kRowsBetweenClockChecks) continue;
        sinceClock = 0;
        if (GetTickCount64() >= deadline) return;
    }
    KillTimer(state.holder, kSliceTimerId);
}

LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kSliceTimerId) RunSlice();
        return 0;
    case WM_NOTIFY:
        // The rows' ID lists are freed by the slices themselves.
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND Holder() {
    DisposalState& state = State();
    if (state.holder && IsWindow(state.holder)) return state.holder;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    if (!GetClassInfoExW(instance, kHolderClass, &windowClass)) {
        windowClass = WNDCLASSEXW{sizeof(windowClass)};
        windowClass.lpfnWndProc = HolderProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kHolderClass;
        RegisterClassExW(&windowClass);
    }
    state.holder = CreateWindowExW(0, kHolderClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    return state.holder;
}

}  // namespace

bool LetGoInSlices(HWND list) { return IsWindow(list) && ListView_GetItemCount(list) > State().limit; }

void DisposeListView(HWND list, ListItemIds ids) {
    if (LetGoInSlices(list)) DisposePartlyAdoptedList(list, ids == ListItemIds::Adopted ? INT_MAX : 0);
}

void DisposePartlyAdoptedList(HWND list, int adoptedRows) {
    DisposalState& state = State();
    if (!IsWindow(list)) return;
    HWND holder = Holder();
    if (!holder) return;
    ShowWindow(list, SW_HIDE);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    // In details mode a deleted row moves no other item's place.
    const LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    SetWindowLongPtrW(list, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | LVS_REPORT);
    SetParent(list, holder);
    state.lists.push_back({list, adoptedRows});
    SetTimer(holder, kSliceTimerId, USER_TIMER_MINIMUM, nullptr);
}

bool ListBeingDisposed(HWND list) {
    const std::vector<ListLetGo>& lists = State().lists;
    return std::any_of(lists.begin(), lists.end(), [list](const ListLetGo& held) { return held.list == list; });
}

int SetListDisposalLimit(int items) { return std::exchange(State().limit, items); }
