#pragma once
// The host of the shell's own context menus. Every pane that offers a
// right-click menu over shell items (folder view, trees, link bar, search
// list, tab bar) builds the shell's IContextMenu into a popup with
// TContextMenu, tracks it with the main window as owner, so the owner-drawn
// submenus get their messages through the tracked-menu slot, and invokes the
// chosen command. Verbs can also be invoked by name without a menu.

#include "app/ComPtr.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

// The range of identifiers the shell may use in a built menu; a pane's own
// items share it and are told apart before the shell's are considered.
inline constexpr UINT kContextMenuFirstId = 1;
inline constexpr UINT kContextMenuLastId = 0x7FFF;

// Verbs of InvokeVerb, by number.
enum ShellVerb { VerbCut = 0, VerbCopy = 1, VerbPaste = 2, VerbLink = 3, VerbDelete = 4, VerbProperties = 5,
                 VerbPasteLink = 6 };

// One menu: built, tracked, possibly invoked, destroyed with the object.
class TContextMenu {
public:
    TContextMenu() = default;
    ~TContextMenu() { Destroy(); }
    TContextMenu(const TContextMenu&) = delete;
    TContextMenu& operator=(const TContextMenu&) = delete;

    // Keeps `menu` and lets it fill `popup` from `position` on; without a
    // popup the object makes (and later destroys) one of its own. False when
    // the shell refuses; nothing should be shown then.
    bool Build(IContextMenu* menu, HMENU popup = nullptr, UINT position = 0);
    // Shows the popup at the screen point and waits for the choice: the
    // chosen identifier, 0 for none. While it is open the menu is the tracked
    // context menu that the main window hands the menu messages to.
    UINT Track(int x, int y);
    // The shell's language-independent verb of a chosen identifier ("copy",
    // "rename", ...); empty when the shell names none.
    std::string GetVerb(UINT id) const;
    // Runs the chosen identifier; `folder` is the folder the items lie in
    // (its path is the command's working folder), or none.
    HRESULT Invoke(UINT id, PCIDLIST_ABSOLUTE folder) const;
    // Destroys the popup when it is the object's own.
    void Destroy();

    HMENU Popup() const { return popup_; }
    IContextMenu* Menu() const { return menu_.get(); }

    // Runs a verb of the ShellVerb table on `menu` without building a menu.
    static HRESULT InvokeVerb(IContextMenu* menu, int verb);

private:
    ComPtr<IContextMenu> menu_;
    HMENU popup_ = nullptr;
    bool ownsPopup_ = false;
};

// The context menu of the item `item` (an absolute ID list), asked of its
// parent folder (the desktop for a top-level item); none when the shell has
// no menu for it.
ComPtr<IContextMenu> ItemContextMenu(PCIDLIST_ABSOLUTE item);

// How Track shows a popup: TrackPopupMenu with TPM_RETURNCMD and
// TPM_RIGHTBUTTON. Tests put a function of their own here to choose an item
// without the modal menu loop.
using ContextMenuTracker = UINT (*)(HMENU popup, int x, int y, HWND owner);
ContextMenuTracker& ContextMenuTrackerHook();
