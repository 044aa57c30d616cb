#include "app/SearchWorker.h"

#include "app/SearchRunRecord.h"
#include "system/SystemFunction.h"
#include "system/WindowMessages.h"
#include "ui/WorkerChannel.h"

namespace {

SystemFunction<decltype(&::CreateThread)> createThread{"kernel32.dll", "CreateThread"};

// A key for a run's torrent fingerprints that no site can foresee, so that
// none can choose links whose fingerprints collide and hide other entries.
uint64_t UnforeseeableSeed(const void* record) {
  LARGE_INTEGER counter{};
  (void)QueryPerformanceCounter(&counter);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return uint64_t(counter.QuadPart) * 0x9E3779B97F4A7C15ull ^ (uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime) ^
         uint64_t(reinterpret_cast<uintptr_t>(record)) << 20 ^ GetCurrentProcessId();
}

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

// A lingering worker's handle goes soon after that worker has left, looked
// for by a timer of the main window (never waited for), so that nothing of
// an ended run is held once its thread is gone.
constexpr UINT kLingeringWorkerPoll = 250;

void CALLBACK LingeringWorkerTimerProcedure(HWND window, UINT, UINT_PTR timer, DWORD) {
  SearchState& search = AppStateOf(window).search;
  ForgetLeftWorker(search);
  if (!search.lingeringWorker) KillTimer(window, timer);
}

}  // namespace

bool StartWorker(AppState& app) {
  auto* record = new SearchRunRecord;
  record->app = &app;
  record->keyword = app.search.searchKeyword;
  record->siteHost = app.search.siteHost;
  record->inputs = &app.searchInputs;
  record->rowLimit = app.search.rowLimit;
  record->matcher = app.search.resultMatcher;
  record->torrents = TorrentSet(UnforeseeableSeed(record));
  record->earlierWorker = LingeringWorkerToWaitFor(app.search);
  WorkerRun* run =
      BeginWorkerRun(app.window.channel, app.window.window.handle, RunBody, record, ReleaseRecord, EndRequest);
  HANDLE thread = run ? createThread(nullptr, 0, WorkerThreadProcedure, run, 0, nullptr) : nullptr;
  if (run && !thread) AbandonWorkerRun(run);
  app.search.workerThread.Reset(thread);
  return thread != nullptr;
}

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

void ForgetLeftWorker(SearchState& search) {
  if (!StillRuns(search.lingeringWorker)) search.lingeringWorker.Reset();
}
