#include "tests/app/ChildScenarios.h"

#include <windows.h>

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
  return 3;
}
