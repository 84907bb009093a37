#pragma once
// The tab bar: one tab per child window, in an order of its own; the selected
// tab is the active child. A container window clips a tall tab control to the
// height of its tab rows and stands above (or below) the MDI client.

#include "app/ComPtr.h"
#include "app/Handles.h"
#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

inline constexpr UINT kTabControlId = 1504;
inline constexpr wchar_t kTabBaseClassName[] = L"MDITabBaseClass";
// Image of the tab image list that marks a navigate-locked tab.
inline constexpr int kLockImage = 0;

// Values of the Tab area of the settings key.
struct TabBarSettings {
    int addPos = 1;        // 0 first, 1 last, 2 right of the focused tab
    int closePos = 0;      // which tab becomes active when the active one closes
    int dragTime = 2000;
    bool bottom = false;
    int style = TCS_TOOLTIPS;
    int maxString = 20;
    WORD rClick = IDM_TAB_POPUP;
    WORD rsClick = IDM_TAB_NOTHING;
    WORD rcClick = IDM_TAB_CONTEXT;
    WORD mClick = IDM_NAVIGATE_LOCK;
    WORD ldClick = IDM_CLOSE;
    WORD rlClick = IDM_TAB_NOTHING;
    bool wheelTab = true;
    bool fullPath = false;
    int minWidth = 0;
};

struct TabBarState {
    HWND container = nullptr;
    HWND tabs = nullptr;
    HIMAGELIST images = nullptr;
    UniqueFont font;
    // The tab control's display rectangle at the last layout; its top is the
    // height of the tab rows.
    RECT display{};
    TabBarSettings settings;
    // Registered on the tab control while it exists.
    ComPtr<IDropTarget> dropTarget;
    // The tab a drag hovers over, marked with a dotted frame; -1 for none.
    int dropMark = -1;
    // What a drag's stay over a tab is timed with; tests put a clock of their own.
    DWORD(WINAPI* hoverClock)() = GetTickCount;
};

TabBarState& TabBar();

// Reads the Tab settings and creates the container and tab control inside
// `frame`; the container is TabBar().container until it is destroyed.
HWND CreateTabBar(HWND frame);
// Places the tab rows at the top (or bottom) of `area`, in frame client
// coordinates, and the MDI client in the rest. Without a tab bar the MDI
// client takes the whole area.
void TabBarLayout(const RECT& area);

// A tab for a new child, placed by AddPos; selected when asked.
void AddTab(HWND child, bool select);
void RemoveTab(HWND child);
void SelectTab(HWND child);
// Cuts the text to MaxString characters plus "..." and doubles every "&".
void SetTabText(HWND child, const std::wstring& text);
// Names the tab after its folder's full path, compacted to MaxString characters.
void SetTabPath(HWND child);
void SetTabLock(HWND child, bool locked);

int TabCount();
// The child of tab `index`, or null.
HWND TabChild(int index);
// The index of the child's tab, or -1.
int TabIndexOf(HWND child);
// The selected tab, or -1.
int SelectedTab();
std::wstring TabText(int index);
int TabImage(int index);

// Tab commands; -1 means the selected tab. A locked tab may refuse to close.
void NextTab(bool forward);
void CloseTab(int index);
void CloseLeft(int index);
void CloseRight(int index);
void CloseAll();
void CloseOthers(int index);

// Moves tab `from` to index `to`, keeping its text, image, child and selection.
void MoveTab(int from, int to);
// Runs a tab click command on tab `index`: the commands with a meaning of
// their own act on the tab (5115 its popup menu TABMENU, 5116 its folder's
// shell context menu, the closing family); any other goes to the frame as if
// that tab's list had sent it.
void RunTabCommand(WORD command, int index);
// The tooltip of tab `index`: its folder's path or name, at most 78
// characters; empty for search results.
std::wstring TabTooltip(int index);

// The mouse and drop-hover behaviour of the tab control; attached at
// creation, detached when the control is destroyed.
void AttachTabMouse(HWND tabs);

// The text a tab shows for `text`: at most `maxString` characters of it (and
// "..." when cut), with "&" doubled so the control draws it as it is.
std::wstring FormatTabText(const std::wstring& text, int maxString);
