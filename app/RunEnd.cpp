#include "app/RunEnd.h"

#include "app/RunDisplay.h"
#include "app/SearchWorker.h"

void EndRun(AppState& app, RunEnding how, TextView reason) {
  switch (how) {
    case RunEnding::WindowClosing:
      EndWorker(app);
      return;
    case RunEnding::Clicked:
    case RunEnding::ListFull:
    case RunEnding::Refused:
      EndWorker(app);
      ShowPendingResultCount(app);
      break;
    case RunEnding::Finished:
      // No handle is kept of a lingering worker that has left meanwhile.
      ForgetLeftWorker(app.search);
      ShowFinishedResultCount(app);
      break;
  }
  EnterPhase(app, SearchPhase::Idle);
  ShowRunEnd(app, reason);
}
