#pragma once
// The layout of the main window: one table of plain records for the
// controls, and the status bar's parts, the tab order; the list's columns
// are ui/ResultColumns.h's.
// Every length is for 96 DPI and is scaled to the window's DPI.
#include <windows.h>

#include "ui/Controls.h"

// The DPI that the layout's lengths are given for.
constexpr int kLayoutDpi = 96;

// The main window's outer size at kLayoutDpi.
constexpr int kMainWindowWidth = 677;
constexpr int kMainWindowHeight = 492;
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

enum class ControlKind { GroupBox, TransLabel, EditBox, CheckBox, Button, ListView, StatusBar };

struct ControlLayout {
  ControlId id;
  ControlKind kind;
  ControlId parent;  // positions are relative to the parent's client area
  int left, top, width, height;
  const char* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  DWORD extendedStyle;
};

struct StatusPartLayout {
  int width;
  const char* text;
};

extern const ControlLayout kControlLayout[10];
extern const StatusPartLayout kStatusPartLayout[4];
extern const ControlId kTabOrder[7];

// A length of the layout at `dpi` (rounded to the nearest pixel).
inline int ScaleToDpi(int length, int dpi) { return MulDiv(length, dpi, kLayoutDpi); }

// The DPI of the window: GetDpiForWindow where the system has it, else the
// screen's LOGPIXELSY (Windows 7 and 8, and systems without per-monitor DPI).
[[nodiscard]] int WindowDpi(HWND window);

struct MainWindow;
// Creates every control of the table as a child of the main window and lays
// them out for the window's DPI; false when one could not be created.
[[nodiscard]] bool CreateControls(MainWindow& target);

// Places the main window at `outer` and lays out every control, the fonts,
// the list's column widths and the status bar's parts for `dpi`: at creation
// and whenever the window's DPI changes (WM_DPICHANGED).
void LayOutForDpi(MainWindow& target, int dpi, const RECT& outer);
