#include "app/ProgramStart.h"

#include <ole2.h>

#include <string>

#include "app/ResultActions.h"
#include "app/SearchControls.h"
#include "app/SearchState.h"
#include "ui/MainWindow.h"
#include "system/FatalError.h"
#include "system/SystemFunction.h"

namespace {

SystemFunction<decltype(&::OleInitialize)> oleInitialize{"ole32.dll", "OleInitialize"};
SystemFunction<decltype(&::OleUninitialize)> oleUninitialize{"ole32.dll", "OleUninitialize"};

bool oleInitialised = false;

// The fatal report's end: the windows go, then COM.
void OrderlyEnd() {
  DestroyMainWindow(mainWindow);
  if (oleInitialised) oleUninitialize();
  oleInitialised = false;
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

void OnMainWindowCreated() {
  mainWindow.window.SetTitle("SeedSearch 种子搜索");
  searchState.resultListLock.emplace();
}

void OnMainWindowClose() {
  EndWorker();
  searchState.resultListLock.reset();
  ExitProcess(0);
}

EventTable MainWindowEventTable() {
  return {
      {ControlId::MainWindow, ControlEvent::Created, OnMainWindowCreated},
      {ControlId::MainWindow, ControlEvent::Closing, OnMainWindowClose},
      {ControlId::搜索_按钮, ControlEvent::Clicked, OnSearchButtonClick},
      {ControlId::停止_按钮, ControlEvent::Clicked, OnStopButtonClick},
      {ControlId::记时间, ControlEvent::Tick, OnTimerTick},
      {ControlId::全选框, ControlEvent::Clicked, OnSelectAllClick},
      {ControlId::超级列表框1, ControlEvent::RightClick, OnListRightClick},
      {ControlId::复制下载地址, ControlEvent::Chosen, OnCopyAddressClick},
      {ControlId::下载种子, ControlEvent::Chosen, OnDownloadSeedsClick},
  };
}

int RunProgram(WorkerBody workerBody) {
  // S_FALSE (already initialised) counts as success and is balanced too.
  oleInitialised = SUCCEEDED(oleInitialize(nullptr));
  InitialiseFatalErrorReport(OrderlyEnd);
  EnterProgramFolder();
  searchState.workerBody = workerBody;
  if (!CreateMainWindow(mainWindow, MainWindowEventTable())) FatalError(kNoErrorCode, "载入启动窗口失败");
  int exitCode = RunMessageLoop();
  OrderlyEnd();
  return exitCode;
}
