// What the folder view's list shows: the list's notifications, names, icons
// and column texts on demand, and the colours.

#include "folderview/wFolderView.h"

#include "app/uFrameLink.h"
#include "folderview/uFolderViewSettings.h"
#include "folderview/uItemTasks.h"
#include "folderview/uStatusInfo.h"
#include "input/uKeyAssign.h"
#include "res/resource.h"

#include <shlwapi.h>

namespace {

// The icon the folder can give without waiting, else a background task and no
// icon for now; with a known icon, its overlay and hidden marks as well.
void SupplyIcon(TFolderView& view, LVITEMW& item, PCUITEMID_CHILD list) {
    int image = 0;
    const HRESULT fast = view.ShellIcon ? view.ShellIcon->GetIconOf(list, GIL_ASYNC, &image) : E_NOINTERFACE;
    if (fast != S_OK) {
        QueueIconTask(view, item.iItem, list, fast);
        item.iImage = I_IMAGENONE;
        return;
    }
    item.iImage = image;
    const ItemMarks marks = ReadItemMarks(view.Folder.get(), view.IconOverlay.get(), list,
                                          FolderViewConfig().ShowHidden, static_cast<int>(OI_ASYNC));
    if (marks.overlayPending) QueueOverlayTask(view, item.iItem, list);
    // The list takes no state from this answer (only the bits of its callback
    // mask), so the marks go onto the item itself.
    if (marks.state) ListView_SetItemState(view.ListView, item.iItem, marks.state, marks.mask);
}

// A slow column's text comes from a background task; meanwhile the sub-item
// keeps an empty text so that the list does not ask again. A sort needs every
// value at once, and the list keeps what it got.
void SupplyColumnText(TFolderView& view, LVITEMW& item, PCUITEMID_CHILD list) {
    if (static_cast<size_t>(item.iSubItem) >= view.Columns.size()) return;
    const UINT column = static_cast<UINT>(view.Columns[item.iSubItem]);
    SHELLDETAILS details{};
    HRESULT hr = E_FAIL;
    if (view.Folder2) {
        SHCOLSTATEF state = 0;
        const bool slow = SUCCEEDED(view.Folder2->GetDefaultColumnState(column, &state)) && (state & SHCOLSTATE_SLOW);
        if (slow && !view.Sorting) {
            QueueSlowColumnTask(view, static_cast<int>(column), item.iSubItem, item.iItem, list);
            wchar_t empty[] = L"";
            ListView_SetItemText(view.ListView, item.iItem, item.iSubItem, empty);
            return;
        }
        if (slow) item.mask |= LVIF_DI_SETITEM;
        hr = view.Folder2->GetDetailsOf(list, column, &details);
    } else if (view.Details) {
        hr = view.Details->GetDetailsOf(list, column, &details);
    }
    if (SUCCEEDED(hr)) StrRetToBufW(&details.str, list, item.pszText, item.cchTextMax);
}

}  // namespace

LRESULT TFolderView::OnNotify(NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOW:
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
        return 0;
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (StatusEnabled && (change->uChanged & LVIF_STATE) &&
            ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
            RestartStatusTimer();
        return 0;
    }
    case LVN_GETINFOTIPW:
        if (header->hwndFrom == ListView) FillInfoTip(*this, *reinterpret_cast<NMLVGETINFOTIPW*>(header));
        return 0;
    case NM_CUSTOMDRAW:
        if (header->hwndFrom != ListView) return CDRF_DODEFAULT;
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case NM_DBLCLK: {
        if (header->hwndFrom != ListView) return 0;
        LVHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ScreenToClient(ListView, &hit.pt);
        if (ListView_HitTest(ListView, &hit) >= 0 && (hit.flags & LVHT_ONITEM))
            OnItemActivatedAsReturn();
        else if (FolderViewConfig().DBClickUp)
            ExecuteCommand(IDM_GO_UP);
        return 0;
    }
    case LVN_BEGINRDRAG:
        if (FolderViewConfig().AllowRDrag) StartDrag();
        return 0;
    case LVN_BEGINDRAG:
        StartDrag();
        return 0;
    case NM_RCLICK:
        if (header->hwndFrom == ListView) ShowContextMenu(true);
        return 0;
    case LVN_BEGINLABELEDITW:
        return RefuseLabelEdit(*reinterpret_cast<NMLVDISPINFOW*>(header)) ? TRUE : FALSE;
    case LVN_ENDLABELEDITW:
        FinishLabelEdit(*reinterpret_cast<NMLVDISPINFOW*>(header));
        return 0;
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header));
        return 0;
    case HDN_ENDDRAG:
        OnHeaderEndDrag(reinterpret_cast<NMHEADERW*>(header));
        return FALSE;
    case LVN_ITEMACTIVATE:
        if (FolderViewConfig().LVS_EX_FLAGS & LVS_EX_ONECLICKACTIVATE) OnItemActivatedAsReturn();
        return 0;
    case LVN_KEYDOWN: {
        const auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
        if (const WORD command = ListKeyCommand(PackedKeyFromKeyDown(key->wVKey))) {
            ExecuteCommand(command);
            return 1;
        }
        // Esc ends a pending cut: emptying the clipboard takes the marks away.
        if (InClipboardChain && key->wVKey == VK_ESCAPE && PackedKeyFromKeyDown(key->wVKey) == VK_ESCAPE) {
            OleSetClipboard(nullptr);
            return 1;
        }
        return 0;
    }
    default:
        return 0;
    }
}

void TFolderView::OnItemActivatedAsReturn() {
    if (const WORD command = ItemActivationCommand()) ExecuteCommand(command);
}

void TFolderView::OnGetDispInfo(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    auto* list = ItemOfParam(item.lParam);
    if (!list || !Folder) return;

    if (item.iSubItem == 0 && (item.mask & LVIF_IMAGE)) {
        if (ViewMode == 4) {
            // Custom draw paints the picture; the list's own image stays empty.
            StartThumbnail(item.iItem);
            item.iImage = I_IMAGENONE;
        } else {
            SupplyIcon(*this, item, list);
        }
    }
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        item.pszText[0] = L'\0';
        if (item.iSubItem == 0) {
            std::wstring name;
            if (InFolderNames && InFolderNames->Name(list, name))
                lstrcpynW(item.pszText, name.c_str(), item.cchTextMax);
        } else {
            // A fill that rewrites the rows in sorted order gives these rows their columns back.
            if (Filling()) fill_.rowsWithTexts.insert(item.iItem);
            SupplyColumnText(*this, item, list);
        }
    }
    // The list keeps the name and the image until the item is reset.
    if (item.iSubItem == 0) item.mask |= LVIF_DI_SETITEM;
}

LRESULT TFolderView::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    const FrameColors& colors = ColorConfig();
    const bool thumbnails = ViewMode == 4;
    if (!colors.lvColorGroup && !thumbnails) return CDRF_DODEFAULT;
    // Thumbnails are drawn over what the list drew for the item.
    const LRESULT afterItem = thumbnails ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPOSTPAINT:
        if (thumbnails) DrawThumbnail(*draw);
        return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT: {
        if (!colors.lvColorGroup) return afterItem;
        const int index = static_cast<int>(draw->nmcd.dwItemSpec);
        auto* list = ItemOfParam(draw->nmcd.lItemlParam);
        if (index < 0 || index >= ItemCount() || !list || !Folder) return afterItem;
        draw->clrText = colors.normalString;
        if (ViewMode == 3 && (index & 1) && colors.setEvenBK) draw->clrTextBk = colors.evenBK;
        WIN32_FIND_DATAW data{};
        if (SUCCEEDED(SHGetDataFromIDListW(Folder.get(), list, SHGDFIL_FINDDATA, &data, sizeof(data)))) {
            const DWORD attributes = data.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) draw->clrText = colors.directory;
            if (attributes & FILE_ATTRIBUTE_HIDDEN) draw->clrText = colors.hidden;
            if (attributes & FILE_ATTRIBUTE_READONLY) draw->clrText = colors.readOnly;
            if (attributes & FILE_ATTRIBUTE_SYSTEM) draw->clrText = colors.system;
            if (attributes & FILE_ATTRIBUTE_COMPRESSED) draw->clrText = colors.compressed;
        }
        return CDRF_NEWFONT | afterItem;
    }
    default:
        return CDRF_DODEFAULT;
    }
}
