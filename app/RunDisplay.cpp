#include "app/RunDisplay.h"

#include <utility>

#include "system/WindowMessages.h"
#include "ui/WindowTimer.h"

const char kMainWindowTitle[] = "SeedSearch 种子搜索";

namespace {

void ShowResultCount(AppState& app) {
  if (app.exporting) return;  // the export's progress stands there; it brings the count back
  app.window.状态条.SetPartText(3, "together " + DecimalText(app.window.超级列表框1.RowCount()) + " results");
}

void CALLBACK ResultCountTimerProcedure(HWND window, UINT, UINT_PTR, DWORD) {
  AppStateOf(window).search.resultCount.TimerCame();
}

}  // namespace

void EnterPhase(AppState& app, SearchPhase phase) {
  app.search.phase = phase;
  MainWindow& window = app.window;
  window.搜索_按钮.SetCaption(phase == SearchPhase::Idle ? "开始" : "关闭");
  window.停止_按钮.SetCaption(phase == SearchPhase::Paused ? "继续" : "停止");
  window.记时间.SetInterval(phase == SearchPhase::Running ? 1000 : 0);
}

void AttachResultCount(AppState& app) {
  // Its text costs about a millisecond a write under Wine.
  constexpr uint32_t kResultCountDelay = 100;
  ThrottleTimer timer = WindowTimer(app.window.window.handle, kResultCountTimer, ResultCountTimerProcedure);
  app.search.resultCount =
      Throttle(kResultCountDelay, true, std::move(timer), [&app](ThrottleRun) { ShowResultCount(app); });
}

void ShowResultCountSoon(AppState& app) { app.search.resultCount.Call(); }

void ShowPendingResultCount(AppState& app) {
  app.window.超级列表框1.ShowPendingRows();
  app.search.resultCount.Flush();
}

void ShowFinishedResultCount(AppState& app) {
  app.search.resultCount.Flush();
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
