#include "app/ProgramStart.h"

#include <ole2.h>

#include <string>

#include "app/ResultActions.h"
#include "app/RunDisplay.h"
#include "app/RunEnd.h"
#include "app/SearchControls.h"
#include "system/BoundLibraries.h"
#include "system/FatalError.h"
#include "system/ProcessPendingMessages.h"
#include "system/SystemFunction.h"
#include "ui/MainWindow.h"

namespace {

SystemFunction<decltype(&::OleInitialize)> oleInitialize{"ole32.dll", "OleInitialize"};
SystemFunction<decltype(&::OleUninitialize)> oleUninitialize{"ole32.dll", "OleUninitialize"};

// The table's handlers take the program's state, which the window hands back
// as its handler context.
template <void (*Handler)(AppState&)>
void Bound(void* context) {
  Handler(*static_cast<AppState*>(context));
}

// Whether a worker of ours, the current one or an ended one, may still be
// inside a library bound by name.
bool AWorkerMayRun() {
  for (const KernelHandle* thread : {&app.search.workerThread, &app.search.lingeringWorker})
    if (*thread && WaitForSingleObject(thread->Get(), 0) == WAIT_TIMEOUT) return true;
  return false;
}

// The end of the program on every path: the run ends as at a close, the
// windows go, then COM. The libraries bound by name are given back only when
// no worker may still be inside one (WinHttp holds an ended worker up to its
// timeout); the process's exit lets go of them after its threads otherwise.
// Nothing else is freed: the exit follows at once.
void OrderlyEnd() {
  if (app.window.window.handle) EndRun(app, RunEnding::WindowClosing);
  const bool librariesFree = !AWorkerMayRun();
  DestroyMainWindow(app.window);
  if (app.oleInitialised) oleUninitialize();
  app.oleInitialised = false;
  if (librariesFree) ReleaseBoundLibraries();
}

// The program keeps no files; its own folder is the current one all the same.
void EnterProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
  if (length == 0 || length >= path.size()) return;
  path.resize(length);
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  path.resize(slash + 1);
  SetCurrentDirectoryW(path.c_str());
}

}  // namespace

void OnMainWindowCreated(AppState& app) {
  app.window.window.SetTitle(kMainWindowTitle);
  AttachResultCount(app);
}

void OnMainWindowClose(AppState& app) {
  EndRun(app, RunEnding::WindowClosing);
  ExitProcess(0);
}

EventTable MainWindowEventTable() {
  return {
      {ControlId::MainWindow, ControlEvent::Created, Bound<OnMainWindowCreated>},
      {ControlId::MainWindow, ControlEvent::Closing, Bound<OnMainWindowClose>},
      {ControlId::搜索_按钮, ControlEvent::Clicked, Bound<OnSearchButtonClick>},
      {ControlId::停止_按钮, ControlEvent::Clicked, Bound<OnStopButtonClick>},
      {ControlId::记时间, ControlEvent::Tick, Bound<OnTimerTick>},
      {ControlId::编辑框1, ControlEvent::Changed, Bound<OnSearchInputChanged>},
      {ControlId::精确框, ControlEvent::Changed, Bound<OnSearchInputChanged>},
      {ControlId::全选框, ControlEvent::Clicked, Bound<OnSelectAllClick>},
      {ControlId::超级列表框1, ControlEvent::RightClick, Bound<OnListRightClick>},
      {ControlId::超级列表框1, ControlEvent::MenuKey, Bound<OnListMenuKey>},
      {ControlId::超级列表框1, ControlEvent::SortRefused, Bound<OnListSortRefused>},
      {ControlId::复制下载地址, ControlEvent::Chosen, Bound<OnCopyAddressClick>},
      {ControlId::下载种子, ControlEvent::Chosen, Bound<OnDownloadSeedsClick>},
      {ControlId::导出列表, ControlEvent::Chosen, Bound<OnExportListClick>},
  };
}

bool CreateAppWindow(AppState& app) { return CreateMainWindow(app.window, MainWindowEventTable(), &app); }

void RunProgram(SearchBody workerBody) {
  // S_FALSE (already initialised) counts as success and is balanced too.
  app.oleInitialised = SUCCEEDED(oleInitialize(nullptr));
  InitialiseFatalErrorReport(OrderlyEnd);
  SetMessageFilter(HandleWindowKey);
  EnterProgramFolder();
  app.search.workerBody = workerBody;
  if (!CreateAppWindow(app)) FatalError(kNoErrorCode, "载入启动窗口失败");
  // A quit message from anywhere ends the loop: the same end as a close,
  // then the exit before the program's statics go under a lingering worker.
  const int exitCode = RunMessageLoop();
  OrderlyEnd();
  ExitProcess(UINT(exitCode));
}
