#include "app/SearchControls.h"

#include "app/ResultListing.h"
#include "app/SearchRun.h"
#include "system/SystemFunction.h"

namespace {

SystemFunction<decltype(&::CreateThread)> createThread{"kernel32.dll", "CreateThread"};

void RunBody(void* context) {
  auto& run = *static_cast<SearchRunRecord*>(context);
  if (SearchBody body = run.app->search.workerBody) body(run);
}

void ReleaseRecord(void* context) { delete static_cast<SearchRunRecord*>(context); }

// A thread that cannot be started leaves the controls Running with no page
// fetched; the next click on 搜索_按钮 returns them to Idle.
void StartWorker(AppState& app) {
  auto* record = new SearchRunRecord{&app, app.search.searchKeyword, app.search.siteHost};
  WorkerRun* run = BeginWorkerRun(app.window.channel, app.window.window.handle, RunBody, record, ReleaseRecord);
  HANDLE thread = createThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
  if (!thread) AbandonWorkerRun(run);
  app.search.workerThread.Reset(thread);
}

}  // namespace

void EndWorker(AppState& app) {
  EndCurrentRun(app.window.channel);
  app.search.workerThread.Reset();
}

void EnterPhase(AppState& app, SearchPhase phase) {
  app.search.phase = phase;
  MainWindow& window = app.window;
  window.搜索_按钮.SetCaption(phase == SearchPhase::Idle ? "开始" : "关闭");
  window.停止_按钮.SetCaption(phase == SearchPhase::Paused ? "继续" : "停止");
  window.记时间.SetInterval(phase == SearchPhase::Running ? 1000 : 0);
}

void OnSearchButtonClick(AppState& app) {
  EndWorker(app);
  app.search.elapsedSeconds = 0;
  if (app.search.phase != SearchPhase::Idle) {
    ShowPendingResultCount(app);
    EnterPhase(app, SearchPhase::Idle);
    return;
  }
  ClearEndReason(app);
  app.window.超级列表框1.DeleteAllRows();
  app.search.searchKeyword = app.window.编辑框1.GetText();
  EnterPhase(app, SearchPhase::Running);
  StartWorker(app);
}

void OnStopButtonClick(AppState& app) {
  if (app.search.phase == SearchPhase::Idle) return;
  if (app.search.phase == SearchPhase::Running) {
    PauseCurrentRun(app.window.channel);
    ShowPendingResultCount(app);
    EnterPhase(app, SearchPhase::Paused);
  } else {
    EnterPhase(app, SearchPhase::Running);
    ResumeCurrentRun(app.window.channel);
  }
}

void OnTimerTick(AppState& app) {
  ++app.search.elapsedSeconds;
  app.window.状态条.SetPartText(2, "It took " + DecimalText(app.search.elapsedSeconds) + " when");
}
