// The columns of details mode, the header's column menu, sorting by a column
// with the header's arrows, the arrange-by menu, and how the view is recorded
// into its folder's remembered state.

#include "folderview/wFolderView.h"

#include "app/Global.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uViewStateStore.h"
#include "shell/uDpi.h"
#include "app/uCommandRegistry.h"
#include "res/resource.h"

#include <shlwapi.h>

#include <algorithm>
#include <optional>

namespace {

// A folder that never stops answering must not make the column loops endless.
constexpr int kMaxShellColumns = 1000;
constexpr int kDefaultColumnWidth = 200;
// At 96 DPI: the list's gap beside a column's text; the header's margins on
// both sides of the title and of the sort arrow (6 each), the arrow itself (7)
// and the divider (2).
constexpr int kTextPadding = 12;
constexpr int kTitlePadding = 4 * 6 + 7 + 2;
constexpr int kAscendingArrow = 0;
constexpr int kDescendingArrow = 1;

struct ShellColumn {
    std::wstring title;
    int fmt = LVCFMT_LEFT;
    int charCount = 0;
};

// The column's title, alignment and character width; nothing past the last column.
std::optional<ShellColumn> QueryColumn(const TFolderView& view, int column) {
    SHELLDETAILS details{};
    HRESULT hr = E_FAIL;
    if (view.Folder2)
        hr = view.Folder2->GetDetailsOf(nullptr, static_cast<UINT>(column), &details);
    else if (view.Details)
        hr = view.Details->GetDetailsOf(nullptr, static_cast<UINT>(column), &details);
    if (FAILED(hr)) return std::nullopt;
    return ShellColumn{StrRetToText(&details.str, nullptr), details.fmt, details.cxChar};
}

SHCOLSTATEF DefaultColumnState(const TFolderView& view, int column, bool& known) {
    SHCOLSTATEF state = 0;
    known = view.Folder2 && SUCCEEDED(view.Folder2->GetDefaultColumnState(static_cast<UINT>(column), &state));
    return known ? state : 0;
}

// A column the folder does not describe counts as shown by default.
bool OnByDefault(const TFolderView& view, int column) {
    if (!view.Folder2) return true;
    bool known = false;
    const SHCOLSTATEF state = DefaultColumnState(view, column, known);
    return !known || (state & SHCOLSTATE_ONBYDEFAULT);
}

// The widest a column of dates or of sizes typically shows, in the user's
// formats as the shell writes them (the short date, a space, the time without
// seconds; kilobytes): two-digit day, month and hour, a size just under a
// gigabyte. The shell's character count for a date is shorter than its own
// text in some formats, a 12-hour time with its AM or PM above all. Empty for
// other columns: the shell right-aligns numbers, and sizes are the ones it shows.
std::wstring TypicalWidestText(const TFolderView& view, int column, const ShellColumn& shell) {
    bool known = false;
    if ((DefaultColumnState(view, column, known) & SHCOLSTATE_TYPEMASK) == SHCOLSTATE_TYPE_DATE) {
        const SYSTEMTIME sample{2026, 12, 0, 28, 22, 58, 0, 0};
        wchar_t date[80] = {}, time[80] = {};
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &sample, nullptr, date, 80);
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &sample, nullptr, time, 80);
        return std::wstring(date) + L" " + time;
    }
    if (shell.fmt & LVCFMT_RIGHT) {
        wchar_t size[40] = {};
        StrFormatKBSizeW(999'999LL * 1024, size, 40);
        return size;
    }
    return {};
}

// CharWidth is tenths of a pixel per character at 96 DPI, and the list's font
// grows with the DPI, so the column grows with it; never narrower than its
// title and its typical widest text in the list's font.
int NewColumnWidth(const TFolderView& view, int column, const ShellColumn& shell) {
    const UINT dpi = DpiOf(view.ListView);
    const int width = ScaleForDpi(FolderViewConfig().CharWidth * shell.charCount, dpi) / 10;
    if (width == 0) return view.Folder2 ? ScaleForDpi(kDefaultColumnWidth, dpi) : 0;
    const std::wstring typical = TypicalWidestText(view, column, shell);
    const int text = typical.empty() ? 0 : ListView_GetStringWidth(view.ListView, typical.c_str());
    const int title = ListView_GetStringWidth(view.ListView, shell.title.c_str());
    return std::max({width, text + ScaleForDpi(kTextPadding, dpi), title + ScaleForDpi(kTitlePadding, dpi)});
}

std::vector<int> RecordIndexes(const std::vector<TColumnState>& records) {
    std::vector<int> indexes;
    for (const TColumnState& record : records) indexes.push_back(record.Index);
    return indexes;
}

TFolderView* ViewOfControl(HWND control) {
    if (TFolderView* view = TFolderView::OfList(control)) return view;
    return FindActiveView();
}

void SortCommand(UINT command, HWND control) {
    if (TFolderView* view = ViewOfControl(control)) view->SortBy(static_cast<int>(command - IDM_SORT_FIRST));
}

void PrepareArrangeMenu(HMENU menu) {
    if (const TFolderView* view = FindActiveView()) view->FillArrangeMenu(menu);
}

}  // namespace

void RegisterColumnCommands() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    SetCommandHandler(IDM_SORT_FIRST, IDM_SORT_LAST, SortCommand);
    SetMenuPreparer(IDM_ARRANGE_MENU, PrepareArrangeMenu);
}

int TFolderView::ChooseViewState() {
    if (const TViewState* state = FindState(AbsoluteIDList)) {
        SortColumn = state->SortColumn;
        SortAscending = state->SortAscending != 0;
        return state->ViewMode;
    }
    const TDefViewState& def = DefViewState();
    if (FileSystemFolder && def.Load) {
        SortColumn = def.SortIndex;
        SortAscending = def.SortOrder != 0;
    } else {
        SortColumn = 0;
        SortAscending = true;
    }
    return FolderViewConfig().IniViewStyle;
}

void TFolderView::AppendColumn(int column, int width) {
    // A column the folder no longer describes still takes its place, untitled.
    const ShellColumn shell = QueryColumn(*this, column).value_or(ShellColumn{});
    const int image = column == SortColumn ? (SortAscending ? kAscendingArrow : kDescendingArrow) : -1;
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    lvc.fmt = (shell.fmt & LVCFMT_RIGHT) ? LVCFMT_RIGHT : LVCFMT_BITMAP_ON_RIGHT;
    // Only the sorted column gets an image at all: a header item's image -1
    // means "ask for it" to the header, which then draws image 0, the
    // ascending arrow, on every column.
    if (image >= 0) {
        lvc.mask |= LVCF_IMAGE;
        lvc.fmt |= LVCFMT_IMAGE;
    }
    lvc.cx = width;
    lvc.pszText = const_cast<wchar_t*>(shell.title.c_str());
    lvc.iImage = image;
    if (ListView_InsertColumn(ListView, static_cast<int>(Columns.size()), &lvc) >= 0) Columns.push_back(column);
}

void TFolderView::BuildColumns() {
    BuildingColumns = true;
    while (ListView_DeleteColumn(ListView, 0)) {
    }
    Columns.clear();

    const TViewState* state = FindState(AbsoluteIDList);
    const TDefViewState& def = DefViewState();
    const std::vector<TColumnState>* records = nullptr;
    const std::vector<std::int32_t>* order = nullptr;
    if (state && !state->ColumnStates.empty()) {
        records = &state->ColumnStates;
        order = &state->ColumnOrder;
    } else if (def.Load && FileSystemFolder && !def.ColumnStates.empty()) {
        records = &def.ColumnStates;
        order = &def.ColumnOrderArray;
    }

    if (records) {
        for (const TColumnState& record : *records) AppendColumn(record.Index, record.Width);
        // Stored data may name columns that were never made; the header only
        // gets an order that is one of its own columns.
        if (IsColumnOrder(*order, Columns.size()))
            ListView_SetColumnOrderArray(ListView, static_cast<int>(order->size()), const_cast<int*>(order->data()));
    } else {
        for (int column = 0; column < kMaxShellColumns; ++column) {
            const std::optional<ShellColumn> shell = QueryColumn(*this, column);
            if (!shell) break;
            if (Folder2 && !OnByDefault(*this, column)) continue;
            AppendColumn(column, NewColumnWidth(*this, column, *shell));
        }
    }
    BuildingColumns = false;
}

// Set on the header item itself: not every list view passes a changed
// column image on to its header.
void TFolderView::SetColumnArrow(int column, int image) {
    const auto shown = std::find(Columns.begin(), Columns.end(), column);
    HWND header = ListView_GetHeader(ListView);
    if (shown == Columns.end() || !header) return;
    const int position = static_cast<int>(shown - Columns.begin());
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!Header_GetItem(header, position, &item)) return;
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.iImage = image;
    if (image >= 0)
        item.fmt |= HDF_IMAGE;
    else
        item.fmt &= ~HDF_IMAGE;
    Header_SetItem(header, position, &item);
}

void TFolderView::SortBy(int column) {
    if (column < 0 || column > 0xFFFF) return;
    if (column == SortColumn) {
        SortAscending = !SortAscending;
        SetColumnArrow(column, SortAscending ? kAscendingArrow : kDescendingArrow);
    } else {
        SetColumnArrow(SortColumn, -1);
        SortColumn = static_cast<WORD>(column);
        SortAscending = true;
        SetColumnArrow(column, kAscendingArrow);
    }
    UpdateState();
    RefreshView(RefreshResort);
}

void TFolderView::RecordColumnsInto(std::vector<TColumnState>& records, std::vector<std::int32_t>& order) const {
    std::vector<int> widths;
    for (size_t i = 0; i < Columns.size(); ++i) widths.push_back(ListView_GetColumnWidth(ListView, static_cast<int>(i)));
    std::vector<int> headerOrder(Columns.size());
    if (!headerOrder.empty() &&
        !ListView_GetColumnOrderArray(ListView, static_cast<int>(headerOrder.size()), headerOrder.data()))
        headerOrder.clear();
    RecordColumns(Columns, widths, headerOrder, records, order);
}

TViewState* TFolderView::UpdateState() {
    if (!AbsoluteIDList) return nullptr;
    TViewState* state = FindState(AbsoluteIDList);
    if (!state) state = AddState(AbsoluteIDList);
    if (!state) return nullptr;
    state->ViewMode = ViewMode;
    state->SortColumn = SortColumn;
    state->SortAscending = SortAscending ? 1 : 0;
    if (ViewMode == 3) RecordColumnsInto(state->ColumnStates, state->ColumnOrder);
    return state;
}

void TFolderView::OnColumnClick(const NMLISTVIEW* click) {
    if (click->iSubItem >= 0 && static_cast<size_t>(click->iSubItem) < Columns.size())
        SortBy(Columns[click->iSubItem]);
}

void TFolderView::OnHeaderItemChanged() {
    if (ViewMode == 3 && !BuildingColumns) UpdateState();
}

void TFolderView::OnHeaderEndDrag(const NMHEADERW* drag) {
    if (ViewMode != 3) return;
    TViewState* state = UpdateState();
    if (!state || !drag->pitem || !(drag->pitem->mask & HDI_ORDER)) return;
    // The header moves the column only once this notification returns, so
    // the state takes the order it is about to show.
    std::vector<int> widths;
    for (size_t i = 0; i < Columns.size(); ++i) widths.push_back(ListView_GetColumnWidth(ListView, static_cast<int>(i)));
    std::vector<std::int32_t> order(Columns.size());
    if (order.empty() || !ListView_GetColumnOrderArray(ListView, static_cast<int>(order.size()), order.data())) return;
    const std::vector<std::int32_t> moved = OrderAfterDrag(order, drag->iItem, drag->pitem->iOrder);
    RecordColumns(Columns, widths, std::vector<int>(moved.begin(), moved.end()), state->ColumnStates,
                  state->ColumnOrder);
}

HMENU TFolderView::BuildColumnMenu() const {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (int column = 0; column < kMaxShellColumns; ++column) {
        const std::optional<ShellColumn> shell = QueryColumn(*this, column);
        if (!shell) break;
        bool known = false;
        if ((DefaultColumnState(*this, column, known) & SHCOLSTATE_HIDDEN) || shell->title.empty()) continue;
        UINT flags = MF_STRING;
        if (column == 0)
            flags |= MF_CHECKED | MF_GRAYED;
        else if (std::find(Columns.begin(), Columns.end(), column) != Columns.end())
            flags |= MF_CHECKED;
        AppendMenuW(menu, flags, static_cast<UINT_PTR>(column), EscapeAmpersands(shell->title).c_str());
    }
    return menu;
}

void TFolderView::ChooseColumns() {
    UniqueMenu menu(BuildColumnMenu());
    if (!menu) return;
    POINT at{};
    GetCursorPos(&at);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, ChildWindow, nullptr));
    if (chosen > 0) ToggleColumn(chosen);
}

void TFolderView::ToggleColumn(int column) {
    if (column <= 0) return;
    const auto shown = std::find(Columns.begin(), Columns.end(), column);
    if (shown == Columns.end()) {
        const std::optional<ShellColumn> shell = QueryColumn(*this, column);
        if (!shell) return;
        AppendColumn(column, NewColumnWidth(*this, column, *shell));
    } else {
        if (!ListView_DeleteColumn(ListView, static_cast<int>(shown - Columns.begin()))) return;
        Columns.erase(shown);
    }
    UpdateState();
}

void TFolderView::FillArrangeMenu(HMENU menu) const {
    while (GetMenuItemCount(menu) > 0)
        if (!DeleteMenu(menu, 0, MF_BYPOSITION)) break;

    std::vector<int> columns;
    const TViewState* state = FindState(AbsoluteIDList);
    const TDefViewState& def = DefViewState();
    if (state && !state->ColumnStates.empty()) {
        columns = RecordIndexes(state->ColumnStates);
    } else if (FileSystemFolder && def.Load && !def.ColumnStates.empty()) {
        columns = RecordIndexes(def.ColumnStates);
    } else {
        for (int column = 0; column < kMaxShellColumns; ++column) {
            if (!QueryColumn(*this, column)) break;
            if (OnByDefault(*this, column)) columns.push_back(column);
        }
    }
    for (const int column : columns) {
        // Only the first 200 columns have a command.
        if (column > IDM_SORT_LAST - IDM_SORT_FIRST) continue;
        const std::wstring title = QueryColumn(*this, column).value_or(ShellColumn{}).title;
        const UINT flags = MF_STRING | (column == SortColumn ? MF_CHECKED : 0);
        AppendMenuW(menu, flags, IDM_SORT_FIRST + column, EscapeAmpersands(title).c_str());
    }
}
