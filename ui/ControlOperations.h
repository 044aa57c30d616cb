#pragma once
// What handlers and the worker may do to the controls: one small wrapper per
// operation over the window messages, with the values each control keeps.
// Every operation may be called from the UI thread (it acts at once) or from
// the worker (it is carried to the UI thread through ui/WorkerChannel.h and
// has taken effect when it returns). Texts are code page 936 and go to the
// wide Windows functions through code page 936, whatever the system's.
#include <windows.h>
#include <commctrl.h>

#include "system/WindowMessages.h"
#include "text/Text.h"
#include "ui/ResultColumns.h"
#include "ui/RowOrder.h"
#include "ui/RowStore.h"
#include "ui/Throttle.h"

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
  [[nodiscard]] bool IsChecked() const;
};

struct Timer {
  static constexpr UINT_PTR kIdentifier = kElapsedTimeTimer;
  HWND owner = nullptr;
  int interval = 0;  // milliseconds, never negative
  bool running = false;
  void SetInterval(int milliseconds);
};

struct StatusBarPart {
  int width;
  int drawingStyle;
  Text text;
  Text tipText;
};

struct StatusBar {
  static constexpr int kPartCount = 4;
  HWND handle = nullptr;
  StatusBarPart parts[kPartCount];
  void SetPartText(int index, TextView text);
  // The part's tooltip (SB_SETTIPTEXT); same index rule.
  void SetPartTip(int index, TextView text);
};

// Rows and columns count from 0; check states are 1 checked, 0 unchecked,
// -1 no check box or no such row.
//
// An owner-data list view over the rows of `rows`: the view keeps only the
// row count, the selection and the focus, and asks for what it shows
// (ShowItem, on LVN_GETDISPINFO). Check boxes are the store's: the program
// toggles them on a click on the box and on the space bar, and the list's own
// LVM_GETITEMSTATE and LVM_SETITEMSTATE read and write them, so other
// processes see the list as an ordinary one. The store belongs to the UI
// thread; a worker's operations are carried there like any other.
//
// A click on a column's header sorts the rows by it, a second click reverses
// them (an arrow in the header tells which); rows that arrive meanwhile land
// at their place and the top row shown stays. Row numbers in the operations
// below are positions as the list shows them; AppendRow's is the store's.
struct ListView {
  HWND handle = nullptr;
  RowStore rows;
  RowOrder order;
  // Pending while the view shows fewer rows than the store holds, for a moment.
  Throttle rowCountThrottle;
  int rowCountShown = 0;  // the view's own count
  DWORD countShownAt = 0;  // GetTickCount() when the view's count last came up to the store's
  DWORD sortedRowsRedrawnAt = 0;  // GetTickCount() when rows last landed in sight of a sorted view
  bool countDueSoon = false;  // the count follows with the next rows merged (ShowPendingRowsSoon)
  bool orderHeld = false;  // HoldOrder
  // Subclasses the created list; called once by the window's creation.
  void Attach(HWND list);
  [[nodiscard]] int AppendRow();  // -1 when refused (or dropped)
  // Appends the batch's rows at once (UI thread), until the list holds
  // `rowLimit`; false when the store refused memory (the rows before the
  // refused one are listed), or a sorted list the room to merge them (none
  // of them is). The view shows them a moment later, with the
  // rows that follow meanwhile; every operation here sees them at once (in a
  // sorted list, after the rows shown until they land in their places).
  [[nodiscard]] bool AppendRows(const RowBatch& batch, int rowLimit = RowStore::kNoRowLimit);
  // Brings the view's row count up to the store's now.
  void ShowPendingRows();
  // Brings it up to the store's within the delay of rows in sight, rather
  // than the longer one of rows streaming in below it.
  void ShowPendingRowsSoon();
  // A cell by its column's place, or by its column's id (ui/ResultColumns.h).
  void SetCellText(int row, int column, TextView text);
  [[nodiscard]] Text GetCellText(int row, int column) const;
  void SetCellText(int row, ResultColumn column, TextView text) { SetCellText(row, ColumnIndex(column), text); }
  [[nodiscard]] Text GetCellText(int row, ResultColumn column) const { return GetCellText(row, ColumnIndex(column)); }
  [[nodiscard]] int RowCount() const;
  void DeleteAllRows();
  [[nodiscard]] int GetRowCheck(int row) const;
  void SetRowCheck(int row, int state);
  // Every row's check state at once, redrawn once.
  void SetEveryRowCheck(int state);
  [[nodiscard]] int SelectedRow() const;
  // Type-ahead (LVN_ODFINDITEM): the first position from the request's start
  // whose 文件名 begins with its text, ASCII letters without case, wrapping
  // when it asks; -1 for none.
  [[nodiscard]] int FindRow(const NMLVFINDITEMW& request) const;
  // Where the focused row's menu opens, on the screen: the row's lower left
  // corner (the row brought into sight), the list's upper left without one.
  [[nodiscard]] POINT FocusedRowCorner() const;
  // Sorts by the column as a click on its header does (UI thread), the
  // selected and focused rows kept; false when the sort is refused memory,
  // the order shown unchanged.
  [[nodiscard]] bool SortByColumn(int column);
  // While held, no row moves from its position (a reader going over them
  // while messages are dispatched): a header click sorts nothing, and rows
  // arriving in a sorted view wait after the rows shown. Released, they are
  // merged as rows arriving are.
  void HoldOrder() { orderHeld = true; }
  void ReleaseOrder();
  // The texts and check state the view asks for, from the store.
  void ShowItem(NMLVDISPINFOW& request) const;
};
