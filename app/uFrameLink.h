#pragma once
// What the layers below the frame window know of it: the frame's settings
// that they follow, and the few frame windows they are shown in and report
// to. The frame fills these in as it reads its settings and makes its
// windows; nothing below it includes the frame.

#include "app/uSettings.h"

#include <windows.h>

#include <string>

// Settings of the root key that the frame and the child windows own.
struct FrameSettings {
    int closeHistoryCount = RootSettings::CloseHistoryCount.def;
    int windowMode = RootSettings::WindowMode.def;
    bool ddeActive = RootSettings::DDEActive.def;
    int delayTime = RootSettings::DelayTime.def;
    bool navigateLockClose = RootSettings::NavigateLockClose.def;
    bool minimizeTaskTray = RootSettings::MinimizeTaskTray.def;
    bool closeTaskTray = RootSettings::CloseTaskTray.def;
    bool treeSync = RootSettings::TreeSync.def;
};

// The Color area: read with the frame, written at exit; the folder view and
// the folder tree draw with these.
struct FrameColors {
    COLORREF listViewBK = ColorSettings::clListViewBK.def;
    COLORREF directory = ColorSettings::clDirectory.def;
    COLORREF hidden = ColorSettings::clHidden.def;
    COLORREF readOnly = ColorSettings::clReadOnly.def;
    COLORREF system = ColorSettings::clSystem.def;
    COLORREF compressed = ColorSettings::clCompressed.def;
    COLORREF normalString = ColorSettings::clNormalString.def;
    COLORREF evenBK = ColorSettings::clEvenBK.def;
    bool tvColorGroup = ColorSettings::TVColorGroup.def;
    bool lvColorGroup = ColorSettings::LVColorGroup.def;
    bool setEvenBK = ColorSettings::SetEvenBK.def;
    bool lvSetBKColor = ColorSettings::LVSetBKColor.def;
    std::wstring bkImagePath;
};

// The frame windows a lower layer needs; null while there is no frame.
struct FrameWindows {
    // Owns the program's dialogs and the shell's own windows; commands are sent here.
    HWND window = nullptr;
    // Holds the child windows.
    HWND mdiClient = nullptr;
    // The frame's own caption, before a maximised child's.
    std::wstring title;
    // Folder enumeration may show the shell's own dialogs (owned by `window`)
    // only once start-up has restored its tabs.
    bool interactive = false;
    // Lays the frame's children out again; a bar whose height changed calls it.
    void (*relayout)() = nullptr;
    // The status bar at the frame's foot, null until it is first shown.
    HWND statusBar = nullptr;
};

FrameSettings& FrameConfig();
FrameColors& ColorConfig();
FrameWindows& FrameLink();

// The frame's relayout, when a frame has registered one.
void RelayoutFrame();

// Parts of the status bar, left to right.
enum StatusPart { StatusPartText = 0, StatusPartSize = 1, StatusPartFilter = 2 };
// Whether the status bar exists and is shown.
bool StatusBarShown();
// Sets the text of `part` (null clears it), only while the status bar is
// shown: a text sent while it is hidden is lost. Any thread.
void SetStatusText(StatusPart part, const wchar_t* text);
