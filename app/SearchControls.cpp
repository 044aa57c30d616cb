#include "app/SearchControls.h"

#include "app/SearchState.h"
#include "ui/MainWindow.h"
#include "system/SystemFunction.h"

namespace {

SystemFunction<decltype(&::CreateThread)> createThread{"kernel32.dll", "CreateThread"};

// A thread that cannot be started leaves the controls Running with no page
// fetched; the next click on 搜索_按钮 returns them to Idle.
void StartWorker() {
  WorkerRun* run = BeginWorkerRun(mainWindow.window.handle, searchState.workerBody);
  HANDLE thread = createThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
  if (!thread) AbandonWorkerRun(run);
  searchState.workerThread.Reset(thread);
}

void PauseWorker() { PauseCurrentRun(); }
void ResumeWorker() { ResumeCurrentRun(); }

}  // namespace

void EndWorker() {
  EndCurrentRun();
  searchState.workerThread.Reset();
}

void OnSearchButtonClick() {
  mainWindow.停止_按钮.SetCaption("停止");
  EndWorker();
  searchState.elapsedSeconds = 0;
  if (mainWindow.搜索_按钮.GetCaption() == "开始") {
    mainWindow.超级列表框1.DeleteAllRows();
    searchState.searchKeyword = mainWindow.编辑框1.GetText();
    mainWindow.记时间.SetInterval(1000);
    StartWorker();
    mainWindow.搜索_按钮.SetCaption("关闭");
  } else {
    mainWindow.搜索_按钮.SetCaption("开始");
    mainWindow.记时间.SetInterval(0);
  }
}

void OnStopButtonClick() {
  if (mainWindow.搜索_按钮.GetCaption() == "开始") return;
  if (mainWindow.停止_按钮.GetCaption() == "停止") {
    PauseWorker();
    mainWindow.记时间.SetInterval(0);
    mainWindow.停止_按钮.SetCaption("继续");
  } else {
    mainWindow.停止_按钮.SetCaption("停止");
    mainWindow.记时间.SetInterval(1000);
    ResumeWorker();
  }
}

void OnTimerTick() {
  ++searchState.elapsedSeconds;
  mainWindow.状态条.SetPartText(2, "It took " + DecimalText(searchState.elapsedSeconds) + " when");
}
