#include "tests/app/ChildScenarios.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/ThunderAgentComponent.h"
#include "ui/MainWindow.h"
#include "system/FatalError.h"

namespace {

// A run that lists a row every 20 ms until it is ended.
void ListUntilEnded(SearchRunRecord&) {
  while (WorkerShouldGoOn()) {
    int row = app.window.超级列表框1.AppendRow();
    app.window.超级列表框1.SetCellText(row, ResultColumn::Number, DecimalText(row + 1));
    Sleep(20);
  }
}

void RaiseOnTheWorker(SearchRunRecord&) { FatalError(kIndexBelowOne); }

void CALLBACK RaiseOnTheUiThread(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  FatalError(kNoErrorCode, "");
}

// Reads the list of another process the way accessibility tools do, through
// memory of its own in that process, and writes what it read to `output`:
// the row count, row 1's file name (UTF-16 code units in hex), row 1's state
// image bits, the selected row and row 0's bounds. It also checks row 2.
int ReadListOfAnotherProcess(HWND list, const char* output) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return 2;
  char* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return 2;
  auto put = [&](const void* what, size_t size) { return WriteProcessMemory(process, remote, what, size, nullptr); };
  const LRESULT count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);

  LVITEMW item = {};
  item.iSubItem = 1;
  item.cchTextMax = 256;
  item.pszText = reinterpret_cast<wchar_t*>(remote + 1024);
  put(&item, sizeof item);
  const int length = int(SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(remote)));
  wchar_t text[256] = {};
  ReadProcessMemory(process, remote + 1024, text, sizeof text - sizeof(wchar_t), nullptr);

  const LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK);
  LVITEMW check = {};
  check.stateMask = LVIS_STATEIMAGEMASK;
  check.state = INDEXTOSTATEIMAGEMASK(2);
  put(&check, sizeof check);
  SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(remote));
  const LRESULT selected = SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED);
  RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
  put(&bounds, sizeof bounds);
  SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &bounds, sizeof bounds, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);

  FILE* file = std::fopen(output, "wb");
  if (!file) return 2;
  std::fprintf(file, "count=%ld\ntext=", long(count));
  for (int at = 0; at < length && text[at]; ++at) std::fprintf(file, "%04X", unsigned(text[at]));
  std::fprintf(file, "\nstate=%lX\nselected=%ld\nrect=%ld,%ld,%ld,%ld\n", long(state), long(selected), bounds.left,
               bounds.top, bounds.right, bounds.bottom);
  std::fclose(file);
  return 0;
}

// --- A handler's nested loops, and the fatal report over queued operations ---

// TAB, then Shift+TAB, posted to the focused control from a timer that fires
// inside the waits of 下载种子 (its nested message loop).
struct TabPresses {
  int step = 0;
  bool inHandler = false;
  bool pressedOutsideHandler = false;
  HWND afterTab = nullptr;
  HWND afterShiftTab = nullptr;
} tabPresses;

void SetShiftKey(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

void CALLBACK PressTabKeys(HWND, UINT, UINT_PTR timer, DWORD) {
  if (!tabPresses.inHandler) tabPresses.pressedOutsideHandler = true;
  switch (tabPresses.step++) {
    case 0:
      SetShiftKey(false);
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
      break;
    case 1:
      tabPresses.afterTab = GetFocus();
      SetShiftKey(true);
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
      break;
    default:
      tabPresses.afterShiftTab = GetFocus();
      SetShiftKey(false);
      KillTimer(nullptr, timer);
  }
}

// Three checked rows handed to the stand-in Thunder (three waits of 100 ms),
// the keys pressed meanwhile; the process ends with 0 when TAB moved the
// focus from 编辑框1 to 搜索_按钮 and Shift+TAB back, otherwise with the
// number of the check that failed.
void CALLBACK DownloadWhilePressingTab(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  // COM is the program's by now. The ProgID goes again before the process ends.
  std::optional<ThunderAgentRegistration> thunder;
  thunder.emplace();
  ListView& list = app.window.超级列表框1;
  for (int count = 0; count < 3; ++count) {
    const int row = list.AppendRow();
    list.SetCellText(row, ResultColumn::Address, "magnet:?xt=urn:btih:" + DecimalText(row));
    list.SetRowCheck(row, 1);
  }
  SendMessageW(app.window.循环执行.handle, BM_SETCHECK, BST_CHECKED, 0);
  SetForegroundWindow(app.window.window.handle);
  SetFocus(app.window.编辑框1.handle);
  if (GetFocus() != app.window.编辑框1.handle) {
    thunder.reset();
    ExitProcess(24);
  }
  SetTimer(nullptr, 0, 20, PressTabKeys);
  tabPresses.inHandler = true;
  SendMessageW(app.window.window.handle, WM_COMMAND, WPARAM(ControlId::下载种子), 0);
  tabPresses.inHandler = false;
  UINT code = 0;
  if (ReceivedThunderCalls().size() != 6) code = 23;
  else if (tabPresses.step < 3 || tabPresses.pressedOutsideHandler) code = 22;
  else if (tabPresses.afterTab != app.window.搜索_按钮.handle) code = 20;
  else if (tabPresses.afterShiftTab != app.window.编辑框1.handle) code = 21;
  thunder.reset();
  ExitProcess(code);
}

// One row listed; then the report queued for the UI thread, and 20 rows
// behind it. The worker waits until the process ends.
void QueueRowsBehindAReport(SearchRunRecord&) {
  (void)app.window.超级列表框1.AppendRow();
  (void)HandOnForWorker([] { FatalError(kNoErrorCode, "queued"); });
  for (int count = 0; count < 20; ++count) (void)HandOnForWorker([] { (void)app.window.超级列表框1.AppendRow(); });
  while (WorkerShouldGoOn()) Sleep(50);
}

}  // namespace

int RunChildScenario(const char* name) {
  if (std::strcmp(name, "list-until-ended") == 0) RunProgram(ListUntilEnded);
  if (std::strcmp(name, "fatal-on-worker") == 0) RunProgram(RaiseOnTheWorker);
  if (std::strcmp(name, "fatal-empty-on-ui") == 0) {
    SetTimer(nullptr, 0, 200, RaiseOnTheUiThread);
    RunProgram(ListUntilEnded);
  }
  if (std::strcmp(name, "tab-during-download") == 0) {
    SetTimer(nullptr, 0, 100, DownloadWhilePressingTab);
    RunProgram(ListUntilEnded);
  }
  if (std::strcmp(name, "rows-behind-a-report") == 0) RunProgram(QueueRowsBehindAReport);
  // The program searching the site at the host that follows, its fatal report
  // raised on the UI thread 4 s after the start, while the worker waits for a
  // page.
  if (std::strncmp(name, "fatal-during-search=", 20) == 0) {
    app.search.siteHost = name + 20;
    SetTimer(nullptr, 0, 4000, RaiseOnTheUiThread);
    RunProgram(SearchRun);
  }
  // The program itself, searching the site at the host that follows.
  if (std::strncmp(name, "search-run=", 11) == 0) {
    app.search.siteHost = name + 11;
    RunProgram(SearchRun);
  }
  // "read-list=<list window in hex>,<output file>"
  if (std::strncmp(name, "read-list=", 10) == 0) {
    char* rest = nullptr;
    HWND list = reinterpret_cast<HWND>(std::strtoul(name + 10, &rest, 16));
    return rest && *rest == ',' ? ReadListOfAnotherProcess(list, rest + 1) : 3;
  }
  return 3;
}
