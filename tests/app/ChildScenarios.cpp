#include "tests/app/ChildScenarios.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "ui/MainWindow.h"
#include "system/FatalError.h"

namespace {

// A run that lists a row every 20 ms until it is ended.
void ListUntilEnded(SearchRunRecord&) {
  while (WorkerShouldGoOn()) {
    int row = app.window.超级列表框1.AppendRow();
    app.window.超级列表框1.SetCellText(row, 0, DecimalText(row + 1));
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

}  // namespace

int RunChildScenario(const char* name) {
  if (std::strcmp(name, "list-until-ended") == 0) return RunProgram(ListUntilEnded);
  if (std::strcmp(name, "fatal-on-worker") == 0) return RunProgram(RaiseOnTheWorker);
  if (std::strcmp(name, "fatal-empty-on-ui") == 0) {
    SetTimer(nullptr, 0, 200, RaiseOnTheUiThread);
    return RunProgram(ListUntilEnded);
  }
  // The program itself, searching the site at the host that follows.
  if (std::strncmp(name, "search-run=", 11) == 0) {
    app.search.siteHost = name + 11;
    return RunProgram(SearchRun);
  }
  // "read-list=<list window in hex>,<output file>"
  if (std::strncmp(name, "read-list=", 10) == 0) {
    char* rest = nullptr;
    HWND list = reinterpret_cast<HWND>(std::strtoul(name + 10, &rest, 16));
    return rest && *rest == ',' ? ReadListOfAnotherProcess(list, rest + 1) : 3;
  }
  return 3;
}
