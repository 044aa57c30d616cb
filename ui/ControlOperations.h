#pragma once
// What handlers and the worker may do to the controls: one small wrapper per
// operation over the window messages, with the values each control keeps.
// Every operation may be called from the UI thread (it acts at once) or from
// the worker (it is carried to the UI thread through ui/WorkerChannel.h and
// has taken effect when it returns). Texts are code page 936 and go to the
// wide Windows functions through code page 936, whatever the system's.
#include <windows.h>

#include "text/Text.h"

struct Window {
  HWND handle = nullptr;
  Text title;
  void SetTitle(TextView text);
};

struct EditBox {
  HWND handle = nullptr;
  [[nodiscard]] Text GetText() const;
};

struct Button {
  HWND handle = nullptr;
  Text caption;  // the last caption set, never read back from the window
  [[nodiscard]] Text GetCaption() const;
  void SetCaption(TextView text);
};

struct CheckBox {
  HWND handle = nullptr;
  bool checked = false;  // the last state read from the window
  [[nodiscard]] bool IsChecked();
};

struct Timer {
  static constexpr UINT_PTR kIdentifier = 1000;
  HWND owner = nullptr;
  int interval = 0;  // milliseconds, never negative
  bool running = false;
  void SetInterval(int milliseconds);
};

struct StatusBarPart {
  int width;
  int drawingStyle;
  int icon;  // -1: none
  Text text;
  Text tipText;
};

struct StatusBar {
  static constexpr int kPartCount = 4;
  HWND handle = nullptr;
  StatusBarPart parts[kPartCount];
  void SetPartText(int index, TextView text);
};

// Rows and columns count from 0; check states are 1 checked, 0 unchecked,
// -1 no check box or no such row.
//
// Once the list holds more rows than it shows, its redrawing (the scroll bar
// above all) costs far more than the insert itself, on every row. So an
// appended row turns the list's drawing off and a UI-thread timer turns it
// back on kDrawingDelay later, with one redraw for all the rows of that time:
// rows still come one by one and show at most that late. Reads, checks and
// selection are not affected; the timer dies with the window.
struct ListView {
  static constexpr UINT kDrawingDelay = 80;  // milliseconds
  HWND handle = nullptr;
  bool drawingHeld = false;  // drawing off, the timer pending (its identifier: this record's address)
  [[nodiscard]] int AppendRow();  // -1 when refused (or dropped)
  void SetCellText(int row, int column, TextView text);
  [[nodiscard]] Text GetCellText(int row, int column) const;
  [[nodiscard]] int RowCount() const;
  void DeleteAllRows();
  [[nodiscard]] int GetRowCheck(int row) const;
  void SetRowCheck(int row, int state);
  [[nodiscard]] int SelectedRow() const;
};
