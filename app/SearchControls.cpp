#include "app/SearchControls.h"

#include "app/RunDisplay.h"
#include "app/RunEnd.h"
#include "app/SearchWorker.h"

void OnSearchButtonClick(AppState& app) {
  app.search.elapsedSeconds = 0;
  if (app.search.phase != SearchPhase::Idle) {
    EndRun(app, RunEnding::Clicked);
    return;
  }
  // The last run's worker, finished by itself, may still be on its way out.
  EndWorker(app);
  ClearEndReason(app);
  app.window.超级列表框1.DeleteAllRows();
  app.search.searchKeyword = app.window.编辑框1.GetText();
  OnSearchInputChanged(app);  // whatever changed without telling
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

void OnSearchInputChanged(AppState& app) {
  WriteSearchInputs(app.searchInputs, app.window.编辑框1.GetText(), app.window.精确框.IsChecked());
}

void OnTimerTick(AppState& app) {
  ++app.search.elapsedSeconds;
  app.window.状态条.SetPartText(2, "It took " + DecimalText(app.search.elapsedSeconds) + " when");
}
