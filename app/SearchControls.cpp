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

// The run's request is closed at once, so that its worker leaves promptly.
void EndRequest(void* context) { static_cast<SearchRunRecord*>(context)->cancel.Cancel(); }

bool StillRuns(const KernelHandle& thread) { return thread && WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT; }

// A copy of the lingering worker's handle for the next run to wait on, or none.
KernelHandle LingeringWorkerToWaitFor(SearchState& search) {
  ForgetLeftWorker(search);
  if (!search.lingeringWorker) return KernelHandle();
  HANDLE copy = nullptr;
  // Without a copy the next run would not wait: at worst two ended workers linger.
  if (!DuplicateHandle(GetCurrentProcess(), search.lingeringWorker.Get(), GetCurrentProcess(), &copy, SYNCHRONIZE,
                       FALSE, 0))
    return KernelHandle();
  return KernelHandle(copy);
}

// A thread that cannot be started leaves the controls Running with no page
// fetched; the next click on 搜索_按钮 returns them to Idle.
void StartWorker(AppState& app) {
  auto* record = new SearchRunRecord;
  record->app = &app;
  record->keyword = app.search.searchKeyword;
  record->siteHost = app.search.siteHost;
  record->inputs = &app.searchInputs;
  record->rowLimit = app.search.rowLimit;
  record->earlierWorker = LingeringWorkerToWaitFor(app.search);
  WorkerRun* run =
      BeginWorkerRun(app.window.channel, app.window.window.handle, RunBody, record, ReleaseRecord, EndRequest);
  HANDLE thread = createThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr);
  if (!thread) AbandonWorkerRun(run);
  app.search.workerThread.Reset(thread);
}

}  // namespace

void ForgetLeftWorker(SearchState& search) {
  if (!StillRuns(search.lingeringWorker)) search.lingeringWorker.Reset();
}

namespace {

// A lingering worker's handle goes soon after that worker has left, looked
// for by a timer of the main window (never waited for), so that nothing of
// an ended run is held once its thread is gone.
constexpr UINT_PTR kLingeringWorkerTimer = 2001;
constexpr UINT kLingeringWorkerPoll = 250;

void CALLBACK LingeringWorkerTimerProcedure(HWND window, UINT, UINT_PTR timer, DWORD) {
  ForgetLeftWorker(app.search);
  if (!app.search.lingeringWorker) KillTimer(window, timer);
}

}  // namespace

void EndWorker(AppState& app) {
  EndCurrentRun(app.window.channel);
  // A worker that ended while an earlier one still lingered was waiting for
  // it and never reached a request: it leaves at once. Any other may still
  // be inside one and becomes the one that lingers.
  SearchState& search = app.search;
  if (StillRuns(search.workerThread) && !StillRuns(search.lingeringWorker)) {
    search.lingeringWorker = std::move(search.workerThread);
    // Without the timer the handle goes at the next start or finish, as before.
    (void)SetTimer(app.window.window.handle, kLingeringWorkerTimer, kLingeringWorkerPoll, LingeringWorkerTimerProcedure);
  }
  search.workerThread.Reset();
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
