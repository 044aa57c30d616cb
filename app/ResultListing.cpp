#include "app/ResultListing.h"

#include "app/SearchControls.h"

const char kMainWindowTitle[] = "SeedSearch 种子搜索";

namespace {

// The status bar's text costs about a millisecond a write under Wine: at most
// one every kResultCountInterval, by a timer of the main window.
constexpr DWORD kResultCountInterval = 100;
constexpr UINT_PTR kResultCountTimer = 2000;

void ShowResultCount(AppState& app) {
  if (app.search.resultCountPending) KillTimer(app.window.window.handle, kResultCountTimer);
  app.search.resultCountPending = false;
  app.search.resultCountShownAt = GetTickCount();
  app.window.状态条.SetPartText(3, "together " + DecimalText(app.window.超级列表框1.RowCount()) + " results");
}

void CALLBACK ResultCountTimerProcedure(HWND, UINT, UINT_PTR, DWORD) { ShowResultCount(app); }

void EndEarly(AppState& app, TextView reason) {
  EndWorker(app);
  ShowPendingResultCount(app);
  EnterPhase(app, SearchPhase::Idle);
  ShowEndReason(app, reason);
}

}  // namespace

void ListRows(AppState& app, const RowBatch& rows) {
  ListView& list = app.window.超级列表框1;
  const bool whole = list.AppendRows(rows, app.search.rowLimit);
  ShowResultCountSoon(app);
  if (!whole)
    EndEarly(app, "内存不足, 搜索已停止");
  else if (list.rows.RowCount() >= app.search.rowLimit)
    EndEarly(app, "已达" + DecimalText(app.search.rowLimit) + "条结果上限, 搜索已停止");
}

void ShowResultCountSoon(AppState& app) {
  if (app.search.resultCountPending) return;
  const DWORD since = GetTickCount() - app.search.resultCountShownAt;
  if (since >= kResultCountInterval) {
    ShowResultCount(app);
    return;
  }
  // Without the timer the count is written at once rather than left behind.
  if (!SetTimer(app.window.window.handle, kResultCountTimer, kResultCountInterval - since, ResultCountTimerProcedure)) {
    ShowResultCount(app);
    return;
  }
  app.search.resultCountPending = true;
}

void ShowPendingResultCount(AppState& app) {
  app.window.超级列表框1.ShowPendingRows();  // when a run is stopped, the view holds at once what the count says
  if (app.search.resultCountPending) ShowResultCount(app);
}

void FinishSearch(AppState& app) {
  // No handle is kept of a lingering worker that has left meanwhile.
  ForgetLeftWorker(app.search);
  if (app.search.resultCountPending) ShowResultCount(app);
  // The view's count follows as rows in sight do, not while the run's worker
  // waits: under Wine its scroll-bar redraw takes about 10 ms. Whatever turns
  // to the list meanwhile brings every row first.
  app.window.超级列表框1.ShowPendingRowsSoon();
  EnterPhase(app, SearchPhase::Idle);
}

void ShowEndReason(AppState& app, TextView reason) {
  app.window.window.SetTitle(Text(kMainWindowTitle) + " - " + Text(reason));
  app.window.状态条.SetPartTip(3, reason);
}

void ClearEndReason(AppState& app) {
  if (app.window.window.title != kMainWindowTitle) app.window.window.SetTitle(kMainWindowTitle);
  if (!app.window.状态条.parts[3].tipText.empty()) app.window.状态条.SetPartTip(3, "");
}
