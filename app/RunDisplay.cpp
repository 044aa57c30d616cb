#include "app/RunDisplay.h"

const char kMainWindowTitle[] = "SeedSearch 种子搜索";

namespace {

void ShowResultCount(AppState& app) {
  app.search.resultCount.Acted();
  app.window.状态条.SetPartText(3, "together " + DecimalText(app.window.超级列表框1.RowCount()) + " results");
}

void CALLBACK ResultCountTimerProcedure(HWND window, UINT, UINT_PTR, DWORD) { ShowResultCount(AppStateOf(window)); }

}  // namespace

void EnterPhase(AppState& app, SearchPhase phase) {
  app.search.phase = phase;
  MainWindow& window = app.window;
  window.搜索_按钮.SetCaption(phase == SearchPhase::Idle ? "开始" : "关闭");
  window.停止_按钮.SetCaption(phase == SearchPhase::Paused ? "继续" : "停止");
  window.记时间.SetInterval(phase == SearchPhase::Running ? 1000 : 0);
}

void ShowResultCountSoon(AppState& app) {
  // Without the timer the count is written at once rather than left behind.
  if (app.search.resultCount.Call(app.window.window.handle, ResultCountTimerProcedure)) ShowResultCount(app);
}

void ShowPendingResultCount(AppState& app) {
  app.window.超级列表框1.ShowPendingRows();
  if (app.search.resultCount.pending) ShowResultCount(app);
}

void ShowFinishedResultCount(AppState& app) {
  if (app.search.resultCount.pending) ShowResultCount(app);
  app.window.超级列表框1.ShowPendingRowsSoon();
}

void ShowRunEnd(AppState& app, TextView reason) {
  const Text title = reason.empty() ? Text(kMainWindowTitle) : Text(kMainWindowTitle) + " - " + Text(reason);
  if (app.window.window.title != title) app.window.window.SetTitle(title);
  Text tip(reason);
  if (const int repeats = app.search.repeatsLeftOut) {
    tip += (tip.empty() ? "" : ", ") + Text("已略去") + DecimalText(repeats) + "条重复结果";
  }
  if (app.window.状态条.parts[3].tipText != tip) app.window.状态条.SetPartTip(3, tip);
}

void ClearEndReason(AppState& app) {
  if (app.window.window.title != kMainWindowTitle) app.window.window.SetTitle(kMainWindowTitle);
  if (!app.window.状态条.parts[3].tipText.empty()) app.window.状态条.SetPartTip(3, "");
}

void ShowSiteWait(AppState& app, int pageNumber, int secondsLeft) {
  app.window.window.SetTitle(Text(kMainWindowTitle) + " - 第" + DecimalText(pageNumber) + "页: 网站要求等待, 还剩" +
                             DecimalText(secondsLeft) + "秒");
}
