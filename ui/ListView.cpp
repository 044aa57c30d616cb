// 超级列表框1's operations over its row store, and the owner-data view's side.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "system/WindowMessages.h"
#include "text/CodePage936.h"
#include "ui/ControlOperations.h"
#include "ui/ResultColumns.h"
#include "ui/UiThread.h"
#include "ui/WindowTimer.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
// Rows appended while the view's count is behind are shown together a moment
// after the first of them: under Wine each new count redraws the scroll bar,
// some milliseconds a time. Rows that land in the visible part of the list
// show within kVisibleRowsDelay; rows below it change nothing but the scroll
// bar, which follows every kRowsBelowDelay (within kVisibleRowsDelay once no
// more rows come, ShowPendingRowsSoon), and at once whenever the user or
// another program turns to the list (ListProcedure). The timer's WM_TIMER
// comes to the list itself.
constexpr UINT kVisibleRowsDelay = 45;
constexpr UINT kRowsBelowDelay = 500;
// In a sorted view rows land in sight all the while: each landing redraws the
// rows in sight below it, which under Wine costs about as much as a new
// count. While they keep coming, the view is redrawn this often.
constexpr UINT kSortedRedrawDelay = 250;

// The view learns the new count without redrawing what it shows or moving
// its scroll position: rows added below stay out of the user's way.
void ShowCount(ListView& list) {
  list.countDueSoon = false;
  list.rowCountShown = list.rows.RowCount();
  SendMessageW(list.handle, LVM_SETITEMCOUNT, WPARAM(list.rowCountShown), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

// Moves the selection and the focus (one row each: the list takes one) from
// the positions they had to those their rows have now.
void FollowChosenRow(HWND list, int before, int after, UINT state) {
  if (before < 0 || before == after) return;
  LVITEMW item = {};
  item.stateMask = state;
  item.state = 0;
  SendMessageW(list, LVM_SETITEMSTATE, WPARAM(before), reinterpret_cast<LPARAM>(&item));
  item.state = state;
  SendMessageW(list, LVM_SETITEMSTATE, WPARAM(after), reinterpret_cast<LPARAM>(&item));
}

// Merges the rows stored since the last merge into a sorted view. Rows may
// land anywhere in it: the row at the top stays there (the view scrolled by
// the rows landed above it), the selected and focused rows stay the user's
// (an action on the selected row must act on the row chosen), and the rows
// in sight from the first that landed there on are redrawn. The count is
// shown when `countNow`, and when the view needs it: to show new rows below
// its last, to scroll, or to hold the user's rows where they moved. True when
// the view's count is up to date. No count may be pending: the view is asked
// where it is.
bool ShowMergedRows(ListView& list, bool countNow) {
  const int top = int(SendMessageW(list.handle, LVM_GETTOPINDEX, 0, 0));
  const int perPage = int(SendMessageW(list.handle, LVM_GETCOUNTPERPAGE, 0, 0));
  const int selected = int(SendMessageW(list.handle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  const int focused = int(SendMessageW(list.handle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
  std::vector<int> positions{top, selected, focused};
  const int firstPlace = MergeNewRows(list.order, list.rows, positions);
  const int landedAbove = positions[0] - top;
  const bool scrolls = landedAbove > 0 && top > 0;
  const bool chosenBeyondCount = positions[1] >= list.rowCountShown || positions[2] >= list.rowCountShown;
  const bool inSight = firstPlace >= 0 && firstPlace <= top + perPage;
  const bool viewFull = list.rowCountShown > top + perPage;
  if (countNow || scrolls || chosenBeyondCount || (inSight && !viewFull)) ShowCount(list);
  FollowChosenRow(list.handle, selected, positions[1], LVIS_SELECTED);
  FollowChosenRow(list.handle, focused, positions[2], LVIS_FOCUSED);
  RECT redrawn = {};
  GetClientRect(list.handle, &redrawn);
  if (scrolls) {
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list.handle, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&bounds));
    SendMessageW(list.handle, LVM_SCROLL, 0, LPARAM(landedAbove * (bounds.bottom - bounds.top)));
  } else if (inSight) {
    RECT first = {LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageW(list.handle, LVM_GETITEMRECT, WPARAM(firstPlace), reinterpret_cast<LPARAM>(&first)))
      redrawn.top = std::max(redrawn.top, first.top);
  }
  if (inSight) {
    InvalidateRect(list.handle, &redrawn, FALSE);
    list.sortedRowsRedrawnAt = GetTickCount();
  }
  return list.rowCountShown == list.rows.RowCount();
}

// The throttle's callback: the view comes up to the store. In arrival order
// that is its count; a sorted view merges the rows stored meanwhile. Run by
// the timer, a sorted view shows the rows in sight, and the count (the scroll
// bar) follows within kRowsBelowDelay of the last, as in arrival order; run
// now, it shows every row.
void ShowStoredRows(ListView& list, ThrottleRun run) {
  const DWORD now = GetTickCount();
  const DWORD sinceCount = now - list.countShownAt;
  const bool countNow = run == ThrottleRun::Now || list.countDueSoon || sinceCount >= kRowsBelowDelay;
  if (list.order.sorted && list.orderHeld) return;  // ReleaseOrder merges them
  if (list.order.sorted && !ShowMergedRows(list, countNow)) {
    list.rowCountThrottle.CallAfter(kRowsBelowDelay - sinceCount);
    return;
  }
  if (!list.order.sorted) ShowCount(list);
  list.countShownAt = now;
}

// Rows stored into a sorted view may land anywhere in it, in sight too: they
// are merged within kVisibleRowsDelay, even while only a count is pending,
// but no sooner than kSortedRedrawDelay after rows last landed in sight.
void ShowSortedRowsSoon(ListView& list) {
  const DWORD sinceRedraw = GetTickCount() - list.sortedRowsRedrawnAt;
  const UINT wait =
      std::max<UINT>(kVisibleRowsDelay, sinceRedraw < kSortedRedrawDelay ? kSortedRedrawDelay - sinceRedraw : 0);
  Throttle& throttle = list.rowCountThrottle;
  if (throttle.Pending())
    throttle.HastenTo(wait);
  else
    throttle.CallAfter(wait);
}

// Whether the view's first row not yet shown would be in sight.
bool NextRowInSight(const ListView& list) {
  const int top = int(SendMessageW(list.handle, LVM_GETTOPINDEX, 0, 0));
  const int perPage = int(SendMessageW(list.handle, LVM_GETCOUNTPERPAGE, 0, 0));
  return list.rowCountShown <= top + perPage;
}

// Rows added while a count is pending go below the rows it will show, so its
// delay stands: only the user or another program can bring them into sight,
// and either brings the count up to date first (ListProcedure). The view is
// not asked where it is then (under Wine the two questions cost about 0.3 ms
// a batch, most of what listing a batch took).
void ShowRowCountSoon(ListView& list) {
  Throttle& throttle = list.rowCountThrottle;
  if (throttle.Pending()) return;
  if (NextRowInSight(list))
    throttle.Call();
  else
    throttle.CallAfter(kRowsBelowDelay);
}

// Messages after which the view must hold every row: the user scrolling,
// clicking or typing in it, and anyone reading or moving its items.
bool NeedsEveryRow(UINT message) {
  switch (message) {
    case LVM_REDRAWITEMS:
      return false;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_SIZE:
    case WM_GETOBJECT:
      return true;
    default:
      return message >= LVM_FIRST && message < LVM_FIRST + 0x100;
  }
}

void RedrawRow(const ListView& list, int row) {
  SendMessageW(list.handle, LVM_REDRAWITEMS, WPARAM(row), LPARAM(row));
  // For accessibility tools, as the list view tells of its own changes.
  NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list.handle, OBJID_CLIENT, row + 1);
}

void ToggleCheck(ListView& list, int row) {
  const int stored = StoreRowAt(list.order, row);
  int state = list.rows.Check(stored);
  if (state != 0 && state != 1) return;  // no check box
  list.rows.SetCheck(stored, 1 - state);
  RedrawRow(list, row);
}

// The check-state part of LVM_SETITEMSTATE; the rest of it is the view's.
LRESULT SetItemState(ListView& list, HWND window, WPARAM wParam, LVITEMW& item) {
  const int row = int(wParam);
  if (row != -1 && (row < 0 || row >= list.rows.RowCount())) return FALSE;
  const int state = int((item.state & LVIS_STATEIMAGEMASK) >> 12) - 1;
  if (row == -1) {
    list.rows.SetEveryCheck(state);
    InvalidateRect(window, nullptr, FALSE);
  } else {
    list.rows.SetCheck(StoreRowAt(list.order, row), state);
    RedrawRow(list, row);
  }
  LVITEMW rest = item;
  rest.stateMask &= ~LVIS_STATEIMAGEMASK;
  if (!rest.stateMask) return TRUE;
  return DefSubclassProc(window, LVM_SETITEMSTATE, wParam, reinterpret_cast<LPARAM>(&rest));
}

// Asked of the view itself, past ListProcedure: the rows drawn are hit,
// none merged first (ClickOnRowsDrawn).
bool OnCheckBox(HWND window, LPARAM position, int& row) {
  LVHITTESTINFO hit = {};
  hit.pt = {short(LOWORD(position)), short(HIWORD(position))};
  row = int(DefSubclassProc(window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && !(hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL));
}

// A click in a sorted view acts on the rows drawn: rows merged before it
// could land between the top and the pointer and move another row under it,
// or below the last. The timer already pending merges them once the click
// has been handled, and the user's rows follow. (In arrival order new rows
// only follow the last one shown: the count comes up to date first.)
bool ClickOnRowsDrawn(const ListView& list, UINT message) {
  return list.order.sorted && (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN);
}

LRESULT CALLBACK ListProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  ListView& list = *reinterpret_cast<ListView*>(data);
  if (NeedsEveryRow(message) && !ClickOnRowsDrawn(list, message)) list.rowCountThrottle.Flush();
  switch (message) {
    case LVM_SETITEMSTATE: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (item && (item->stateMask & LVIS_STATEIMAGEMASK)) return SetItemState(list, window, wParam, *item);
      break;
    }
    case LVM_GETITEMSTATE: {
      const UINT mask = UINT(lParam);
      LRESULT state = mask & ~LVIS_STATEIMAGEMASK
                          ? DefSubclassProc(window, message, wParam, LPARAM(mask & ~LVIS_STATEIMAGEMASK))
                          : 0;
      if (mask & LVIS_STATEIMAGEMASK) state |= INDEXTOSTATEIMAGEMASK(list.rows.Check(StoreRowAt(list.order, int(wParam))) + 1);
      return state;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      int row = -1;
      if (!OnCheckBox(window, lParam, row)) break;
      SetFocus(window);
      ToggleCheck(list, row);
      return 0;
    }
    case WM_SYSKEYDOWN:
      if (wParam != VK_F10 || GetKeyState(VK_SHIFT) >= 0) break;
      [[fallthrough]];
    case WM_KEYDOWN:
      if (wParam == VK_APPS || wParam == VK_F10) {
        // The row's menu, asked of the window as a keyboard WM_CONTEXTMENU.
        SendMessageW(GetParent(window), WM_CONTEXTMENU, WPARAM(window), LPARAM(-1));
        return 0;
      }
      if (wParam != VK_SPACE) break;
      ToggleCheck(list, int(SendMessageW(window, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)));
      return 0;
    case WM_CHAR:
      if (wParam == L' ') return 0;  // the space toggled a check box, it finds no row
      break;
    case WM_CONTEXTMENU:
      if (lParam == LPARAM(-1)) return 0;  // the keys were answered as they went down
      break;
    case WM_TIMER:
      if (wParam != kRowCountTimer) break;
      list.rowCountThrottle.TimerCame();
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, ListProcedure, kSubclassId);
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// The arrow of the sorted column's order on its header, none on the others;
// `column` -1 for none anywhere.
void ShowSortArrow(HWND list, int column, bool descending) {
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int count = int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (index == column) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageW(header, HDM_SETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
  }
}

}  // namespace

void ListView::Attach(HWND list) {
  handle = list;
  rowCountThrottle = Throttle(kVisibleRowsDelay, false, WindowTimer(list, kRowCountTimer),
                              [this](ThrottleRun run) { ShowStoredRows(*this, run); });
  // The check state is asked for with the texts; the view keeps none.
  SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  SetWindowSubclass(list, ListProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

int ListView::AppendRow() {
  int row = -1;
  auto operation = [&] {
    RowBatch empty;
    empty.Add({});
    if (order.sorted && !ReserveRowRoom(order, rows.RowCount() + 1)) return;
    if (!rows.Append(empty)) return;
    rowCountThrottle.RunNow();
    row = PositionOf(order, rows.RowCount() - 1);
  };
  (void)RunOnUiThread(handle, operation);
  return row;
}

bool ListView::AppendRows(const RowBatch& batch, int rowLimit) {
  const int before = rows.RowCount();
  // A sorted order takes the room to merge the rows before the store takes
  // them: refused, the batch is refused as a full store refuses it.
  const int taken = std::max(0, std::min(batch.rowCount, rowLimit - before));
  if (order.sorted && !ReserveRowRoom(order, before + taken)) return false;
  const bool whole = rows.Append(batch, rowLimit);
  if (rows.RowCount() == before) return whole;
  if (order.sorted)
    ShowSortedRowsSoon(*this);
  else
    ShowRowCountSoon(*this);
  return whole;
}

void ListView::ShowPendingRows() { rowCountThrottle.Flush(); }

void ListView::ShowPendingRowsSoon() {
  // A count already due that soon keeps its time.
  countDueSoon = rowCountThrottle.Pending();
  rowCountThrottle.Hasten();
}

void ListView::SetCellText(int row, int column, TextView text) {
  Text copy(text);
  auto operation = [&] {
    const int stored = StoreRowAt(order, row);
    if (!rows.SetCell(stored, column, copy)) return;
    // The row keeps its place until the next sort.
    if (order.column == column) UpdateLeadKey(order, rows, stored);
    SendMessageW(handle, LVM_REDRAWITEMS, WPARAM(row), LPARAM(row));
  };
  (void)RunOnUiThread(handle, operation);
}

Text ListView::GetCellText(int row, int column) const {
  Text text;
  auto operation = [&] { text = Text(rows.Cell(StoreRowAt(order, row), column)); };
  (void)RunOnUiThread(handle, operation);
  return text;
}

int ListView::RowCount() const {
  int count = 0;
  auto operation = [&] { count = rows.RowCount(); };
  (void)RunOnUiThread(handle, operation);
  return count;
}

void ListView::DeleteAllRows() {
  auto operation = [&] {
    const bool viewEmpty = rowCountShown == 0 && rows.RowCount() == 0;
    rows.Clear();
    if (order.column >= 0) ShowSortArrow(handle, -1, false);
    ResetOrder(order);
    rowCountThrottle.Cancel();
    rowCountShown = 0;
    if (!viewEmpty) SendMessageW(handle, LVM_DELETEALLITEMS, 0, 0);  // a list already empty is not redrawn
  };
  (void)RunOnUiThread(handle, operation);
}

int ListView::GetRowCheck(int row) const {
  int state = -1;
  auto operation = [&] { state = rows.Check(StoreRowAt(order, row)); };
  (void)RunOnUiThread(handle, operation);
  return state;
}

void ListView::SetRowCheck(int row, int state) {
  int kept = state < -1 ? -1 : state;
  auto operation = [&] {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(kept + 1);
    SendMessageW(handle, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
  };
  (void)RunOnUiThread(handle, operation);
}

void ListView::SetEveryRowCheck(int state) {
  auto operation = [&] {
    rows.SetEveryCheck(state);
    InvalidateRect(handle, nullptr, FALSE);
  };
  (void)RunOnUiThread(handle, operation);
}

int ListView::SelectedRow() const {
  int row = -1;
  auto operation = [&] {
    row = int(SendMessageW(handle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  };
  (void)RunOnUiThread(handle, operation);
  return row;
}

void ListView::ShowItem(NMLVDISPINFOW& request) const {
  LVITEMW& item = request.item;
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
    TextToUtf16(rows.Cell(StoreRowAt(order, item.iItem), item.iSubItem), item.pszText, item.cchTextMax);
  if (item.mask & LVIF_STATE) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(rows.Check(StoreRowAt(order, item.iItem)) + 1);
  }
}

int ListView::FindRow(const NMLVFINDITEMW& request) const {
  const LVFINDINFOW& find = request.lvfi;
  if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz) return -1;
  const Text wanted = Utf16ToText(find.psz);
  const int count = rows.RowCount();
  const int start = request.iStart >= 0 && request.iStart < count ? request.iStart : 0;
  const int steps = find.flags & LVFI_WRAP ? count : count - start;
  for (int step = 0; step < steps; ++step) {
    const int position = (start + step) % count;
    const TextView name = rows.Cell(StoreRowAt(order, position), ResultColumn::FileName);
    if (!(find.flags & LVFI_PARTIAL) && name.size() != wanted.size()) continue;
    if (FindText(name.substr(0, wanted.size()), wanted, 1, LetterCase::IgnoreAscii) == 1) return position;
  }
  return -1;
}

POINT ListView::FocusedRowCorner() const {
  POINT corner = {};
  auto operation = [&] {
    const int row = int(SendMessageW(handle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (row >= 0) {
      SendMessageW(handle, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
      if (SendMessageW(handle, LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&bounds)))
        corner = {bounds.left, bounds.bottom};
    }
    ClientToScreen(handle, &corner);
  };
  (void)RunOnUiThread(handle, operation);
  return corner;
}

bool ListView::SortByColumn(int column) {
  if (!ColumnAt(column) || orderHeld) return true;
  ShowPendingRows();
  // A column's first click sorts up, each next one turns the order round.
  const bool descending = column == order.column && !order.descending;
  const int selected = int(SendMessageW(handle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
  const int focused = int(SendMessageW(handle, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
  const int selectedRow = StoreRowAt(order, selected), focusedRow = StoreRowAt(order, focused);
  if (!SortRows(order, rows, column, descending)) return false;
  ShowSortArrow(handle, column, descending);
  // The user's rows stay selected and focused where the sort put them, and
  // the view follows the focused one.
  FollowChosenRow(handle, selected, PositionOf(order, selectedRow), LVIS_SELECTED);
  FollowChosenRow(handle, focused, PositionOf(order, focusedRow), LVIS_FOCUSED);
  if (focused >= 0) SendMessageW(handle, LVM_ENSUREVISIBLE, WPARAM(PositionOf(order, focusedRow)), FALSE);
  InvalidateRect(handle, nullptr, FALSE);
  return true;
}

void ListView::ReleaseOrder() {
  orderHeld = false;
  if (order.sorted) ShowSortedRowsSoon(*this);
}
