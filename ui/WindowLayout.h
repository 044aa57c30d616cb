#pragma once
// The layout of the main window: one table of plain records for the
// controls, and the list's columns, the status bar's parts, the tab order.
#include <windows.h>

#include "ui/Controls.h"

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

struct ColumnLayout {
  const char* title;
  int width;
};

struct StatusPartLayout {
  int width;
  const char* text;
};

extern const ControlLayout kControlLayout[10];
extern const ColumnLayout kColumnLayout[4];
extern const StatusPartLayout kStatusPartLayout[4];
extern const ControlId kTabOrder[7];

struct MainWindow;
// Creates every control of the table as a child of the main window and
// applies its settings; false when one could not be created.
[[nodiscard]] bool CreateControls(MainWindow& target);
