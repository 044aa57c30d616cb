#include "ui/MainWindow.h"

#include <commctrl.h>

#include <utility>

#include "ui/WindowLayout.h"
#include "system/WindowMessages.h"
#include "ui/WorkerChannel.h"
#include "system/FatalError.h"

namespace {

bool HandlersStopped(const MainWindow& target) { return target.ending || FatalErrorBegun(); }

void Raise(MainWindow& target, ControlId control, ControlEvent event) {
  if (HandlersStopped(target)) return;
  if (EventHandler handler = FindHandler(target.events, control, event)) handler(target.handlerContext);
}

// The close cannot be refused; from here on no other handler runs.
void Close(MainWindow& target) {
  if (HandlersStopped(target)) return;
  target.ending = true;
  if (EventHandler handler = FindHandler(target.events, ControlId::MainWindow, ControlEvent::Closing))
    handler(target.handlerContext);
  DestroyMainWindow(target);
  PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* target = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    target = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
  }
  if (!target) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_COMMAND:
      if (lParam != 0 && HIWORD(wParam) == BN_CLICKED)
        Raise(*target, ControlId(LOWORD(wParam)), ControlEvent::Clicked);
      else if (lParam != 0 && HIWORD(wParam) == EN_CHANGE)
        Raise(*target, ControlId(LOWORD(wParam)), ControlEvent::Changed);
      else if (lParam == 0 && HIWORD(wParam) == 0)
        Raise(*target, ControlId(LOWORD(wParam)), ControlEvent::Chosen);
      return 0;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != UINT_PTR(ControlId::超级列表框1)) return 0;
      if (header->code == UINT(LVN_ODFINDITEMW))
        return target->超级列表框1.FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(lParam));
      if (header->code == UINT(LVN_GETDISPINFOW))
        target->超级列表框1.ShowItem(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      else if (header->code == UINT(LVN_COLUMNCLICK)) {
        if (!target->超级列表框1.SortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem))
          Raise(*target, ControlId::超级列表框1, ControlEvent::SortRefused);
      } else if (header->code == UINT(LVN_KEYDOWN) && GetKeyState(VK_CONTROL) < 0) {
        // Ctrl+C and Ctrl+S do what their menu items do.
        const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
        if (key == 'C') Raise(*target, ControlId::复制下载地址, ControlEvent::Chosen);
        if (key == 'S') Raise(*target, ControlId::导出列表, ControlEvent::Chosen);
      } else if (header->code == UINT(NM_RCLICK))
        Raise(*target, ControlId::超级列表框1, ControlEvent::RightClick);
      return 0;
    }
    case WM_CONTEXTMENU:
      // From the keyboard; a click's menu comes with NM_RCLICK.
      if (HWND(wParam) == target->超级列表框1.handle && lParam == LPARAM(-1))
        Raise(*target, ControlId::超级列表框1, ControlEvent::MenuKey);
      return 0;
    case WM_DPICHANGED:
      // Both halves of wParam carry the new DPI; lParam the rectangle the system suggests.
      LayOutForDpi(*target, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SETFONT:
      target->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(target->font);
    case WM_TIMER:
      if (wParam == Timer::kIdentifier) Raise(*target, ControlId::记时间, ControlEvent::Tick);
      return 0;
    case kWorkerOperationMessage:
      // Nothing changes under an open fatal report: the operations wait.
      if (!FatalErrorBegun()) RunQueuedOperations(target->channel);
      return 0;
    case WM_CLOSE:
      Close(*target);
      return 0;
    case WM_QUERYENDSESSION:
      Close(*target);
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A check box tells no one when its state is set by a message (another
// program's BM_SETCHECK, say), and clicks and keys set it that way too: each
// BM_SETCHECK raises Changed once the state has been taken.
constexpr UINT_PTR kCheckBoxSubclassId = 1;

LRESULT CALLBACK CheckBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(box, CheckBoxProcedure, kCheckBoxSubclassId);
  const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
  if (message == BM_SETCHECK)
    Raise(*reinterpret_cast<MainWindow*>(data), ControlId(GetDlgCtrlID(box)), ControlEvent::Changed);
  return result;
}

void WatchCheckBoxes(MainWindow& target) {
  for (const CheckBox* box : {&target.循环执行, &target.精确框, &target.全选框})
    SetWindowSubclass(box->handle, CheckBoxProcedure, kCheckBoxSubclassId, reinterpret_cast<DWORD_PTR>(&target));
}

const wchar_t* MainWindowClass() {
  static const wchar_t* const name = [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = MainWindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExW(&windowClass);
    return kMainWindowClass;
  }();
  return name;
}

RECT CentredOnScreen(int width, int height) {
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

bool IsTabStop(HWND control) {
  return control && IsWindowVisible(control) && IsWindowEnabled(control) &&
         (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP);
}

}  // namespace

bool CreateMainWindow(MainWindow& target, EventTable events, void* handlerContext) {
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&common);
  target.events = std::move(events);
  target.handlerContext = handlerContext;
  target.ending = false;
  // Made where it will be shown, at the layout's size: its DPI is that of
  // its monitor, known once the window exists.
  RECT place = CentredOnScreen(kMainWindowWidth, kMainWindowHeight);
  HWND window = CreateWindowExW(0, MainWindowClass(), L"", kMainWindowStyle, place.left, place.top,
                                kMainWindowWidth, kMainWindowHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                                &target);
  if (!window) return false;
  target.window.handle = window;
  target.icon = CreateWindowIcon();
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(target.icon.Get()));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(target.icon.Get()));
  if (!CreateControls(target)) {
    DestroyMainWindow(target);
    return false;
  }
  WatchCheckBoxes(target);
  int dpi = WindowDpi(window);
  LayOutForDpi(target, dpi, CentredOnScreen(ScaleToDpi(kMainWindowWidth, dpi), ScaleToDpi(kMainWindowHeight, dpi)));
  Raise(target, ControlId::MainWindow, ControlEvent::Created);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return true;
}

void DestroyMainWindow(MainWindow& target) {
  EndCurrentRun(target.channel);
  if (target.window.handle) DestroyWindow(target.window.handle);
  target = MainWindow();
}

void* MainWindowHandlerContext(HWND window) {
  const auto* target = reinterpret_cast<const MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return target ? target->handlerContext : nullptr;
}

bool HandleWindowKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB || !message.hwnd) return false;
  HWND window = GetAncestor(message.hwnd, GA_ROOT);
  wchar_t className[64] = {};
  if (!window || !GetClassNameW(window, className, 64) || lstrcmpW(className, kMainWindowClass) != 0) return false;
  const int count = int(sizeof kTabOrder / sizeof kTabOrder[0]);
  const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
  HWND focus = GetFocus();
  int current = -1;
  for (int index = 0; index < count; ++index) {
    HWND control = GetDlgItem(window, int(kTabOrder[index]));
    if (control && (control == focus || IsChild(control, focus))) current = index;
  }
  int index = current >= 0 ? current : (step == 1 ? count - 1 : 0);
  for (int tried = 0; tried < count; ++tried) {
    index = (index + step) % count;
    HWND control = GetDlgItem(window, int(kTabOrder[index]));
    if (IsTabStop(control)) {
      SetFocus(control);
      break;
    }
  }
  return true;
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HandleWindowKey(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return int(message.wParam);
}
