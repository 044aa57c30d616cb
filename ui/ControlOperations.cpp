#include "ui/ControlOperations.h"

#include <commctrl.h>

#include <string>

#include "text/CodePage936.h"
#include "ui/UiThread.h"

namespace {

Text WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::wstring buffer(size_t(length) + 1, L'\0');
  int copied = GetWindowTextW(window, &buffer[0], length + 1);
  return Utf16ToText(buffer.c_str(), copied);
}

int ItemCount(HWND list) { return int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool CellExists(HWND list, int row, int column) {
  return row >= 0 && row < ItemCount(list) && column >= 0 && column < ColumnCount(list);
}

void CALLBACK ResumeListDrawing(HWND list, UINT, UINT_PTR identifier, DWORD) {
  KillTimer(list, identifier);
  reinterpret_cast<ListView*>(identifier)->drawingHeld = false;
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  // The frame too: the scroll bar has not been drawn since drawing went off.
  RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

// On the UI thread. Without the timer drawing would stay off: then it stays on.
void HoldDrawing(ListView& list) {
  if (list.drawingHeld) return;
  if (!SetTimer(list.handle, reinterpret_cast<UINT_PTR>(&list), ListView::kDrawingDelay, ResumeListDrawing)) return;
  list.drawingHeld = true;
  SendMessageW(list.handle, WM_SETREDRAW, FALSE, 0);
}

}  // namespace

void Window::SetTitle(TextView text) {
  Text copy(text);
  auto operation = [&] {
    title = copy;
    SetWindowTextW(handle, TextToUtf16(copy).c_str());
  };
  (void)RunOnUiThread(handle, operation);
}

Text EditBox::GetText() const {
  Text text;
  auto operation = [&] { text = WindowText(handle); };
  (void)RunOnUiThread(handle, operation);
  return text;
}

Text Button::GetCaption() const {
  Text text;
  auto operation = [&] { text = caption; };
  (void)RunOnUiThread(handle, operation);
  return text;
}

void Button::SetCaption(TextView text) {
  Text copy(text);
  auto operation = [&] {
    caption = copy;
    SetWindowTextW(handle, TextToUtf16(copy).c_str());
  };
  (void)RunOnUiThread(handle, operation);
}

bool CheckBox::IsChecked() {
  bool answer = false;
  auto operation = [&] {
    checked = SendMessageW(handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
    answer = checked;
  };
  (void)RunOnUiThread(handle, operation);
  return answer;
}

void Timer::SetInterval(int milliseconds) {
  int wanted = milliseconds < 0 ? 0 : milliseconds;
  auto operation = [&] {
    if (wanted == interval) return;  // a running timer keeps its phase
    interval = wanted;
    if (running) KillTimer(owner, kIdentifier);
    running = wanted > 0 && SetTimer(owner, kIdentifier, UINT(wanted), nullptr) != 0;
  };
  (void)RunOnUiThread(owner, operation);
}

void StatusBar::SetPartText(int index, TextView text) {
  if (index < 0 || index >= kPartCount) return;
  Text copy(text);
  auto operation = [&] {
    StatusBarPart& part = parts[index];
    part.text = copy;
    SendMessageW(handle, SB_SETTEXTW, WPARAM(index | part.drawingStyle),
                 reinterpret_cast<LPARAM>(TextToUtf16(copy).c_str()));
  };
  (void)RunOnUiThread(handle, operation);
}

int ListView::AppendRow() {
  int row = -1;
  auto operation = [&] {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ItemCount(handle);
    item.pszText = const_cast<wchar_t*>(L"");
    item.lParam = 0;
    row = int(SendMessageW(handle, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row >= 0) HoldDrawing(*this);
  };
  (void)RunOnUiThread(handle, operation);
  return row;
}

void ListView::SetCellText(int row, int column, TextView text) {
  Text copy(text);
  auto operation = [&] {
    if (!CellExists(handle, row, column)) return;
    std::wstring wide = TextToUtf16(copy);
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = &wide[0];
    SendMessageW(handle, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
  };
  (void)RunOnUiThread(handle, operation);
}

Text ListView::GetCellText(int row, int column) const {
  Text text;
  auto operation = [&] {
    if (!CellExists(handle, row, column)) return;
    // Doubled until the text no longer fills it, so a text of any length comes whole.
    for (size_t capacity = 512;; capacity *= 2) {
      std::wstring buffer(capacity, L'\0');
      LVITEMW item = {};
      item.iSubItem = column;
      item.pszText = &buffer[0];
      item.cchTextMax = int(capacity);
      int length = int(SendMessageW(handle, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item)));
      if (length < int(capacity) - 1) {
        text = Utf16ToText(buffer.c_str(), length);
        return;
      }
    }
  };
  (void)RunOnUiThread(handle, operation);
  return text;
}

int ListView::RowCount() const {
  int count = 0;
  auto operation = [&] { count = ItemCount(handle); };
  (void)RunOnUiThread(handle, operation);
  return count;
}

void ListView::DeleteAllRows() {
  auto operation = [&] { SendMessageW(handle, LVM_DELETEALLITEMS, 0, 0); };
  (void)RunOnUiThread(handle, operation);
}

int ListView::GetRowCheck(int row) const {
  int state = -1;
  auto operation = [&] {
    if (row < 0 || row >= ItemCount(handle)) return;
    LRESULT bits = SendMessageW(handle, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK);
    state = int((bits & LVIS_STATEIMAGEMASK) >> 12) - 1;
  };
  (void)RunOnUiThread(handle, operation);
  return state;
}

void ListView::SetRowCheck(int row, int state) {
  int kept = state < -1 ? -1 : state;
  auto operation = [&] {
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = UINT(kept + 1) << 12;
    SendMessageW(handle, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
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
