#include "app/SearchControls.h"

#include "app/RunDisplay.h"
#include "app/RunEnd.h"
#include "app/SearchWorker.h"

namespace {

// Why a run did not start, or stopped, when the system refused what it needs.
constexpr char kRunNotStarted[] = "系统资源不足, 搜索未能开始";
constexpr char kRunLostItsMessages[] = "系统资源不足, 搜索已停止";

}  // namespace

void OnSearchButtonClick(AppState& app) {
  app.search.elapsedSeconds = 0;
  if (app.search.phase != SearchPhase::Idle) {
    EndRun(app, RunEnding::Clicked);
    return;
  }
  // An export goes over the rows this search would clear.
  if (app.exporting) return;
  // The last run's worker, finished by itself, may still be on its way out.
  EndWorker(app);
  ClearEndReason(app);
  app.search.repeatsLeftOut = 0;
  app.window.超级列表框1.DeleteAllRows();
  app.search.searchKeyword = app.window.编辑框1.GetText();
  OnSearchInputChanged(app);  // whatever changed without telling
  EnterPhase(app, SearchPhase::Running);
  if (!StartWorker(app)) EndRun(app, RunEnding::Refused, kRunNotStarted);
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

void OnSearchInputChanged(AppState& app) {
  WriteSearchInputs(app.searchInputs, app.window.编辑框1.GetText(), app.window.精确框.IsChecked());
}

void OnTimerTick(AppState& app) {
  ++app.search.elapsedSeconds;
  app.window.状态条.SetPartText(2, "It took " + DecimalText(app.search.elapsedSeconds) + " when");
  // The timer runs while the run does: a run whose message the system refused
  // lists what its worker handed on and ends, rather than go on unseen.
  WorkerChannel& channel = app.window.channel;
  if (!RunLostItsMessage(channel)) return;
  CarryOutQueuedOperations(channel);
  if (app.search.phase == SearchPhase::Running) EndRun(app, RunEnding::Refused, kRunLostItsMessages);
}
