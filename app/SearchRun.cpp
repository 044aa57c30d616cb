#include "app/SearchRun.h"

#include "app/PageFailure.h"
#include "app/ResultListing.h"
#include "app/ResultPattern.h"
#include "app/RunEnd.h"
#include "app/SearchAddress.h"
#include "ui/WorkerChannel.h"
#include "web/WebRequest.h"

namespace {

// The loop's bound; in practice a run ends at the first page without an entry.
constexpr int kMostPages = 785133323;
// While a page's rows are being built, what is ready goes to the list at
// least this often (milliseconds).
constexpr DWORD kHandOnInterval = 50;
// A failed page that may come on another try is asked for again after these waits.
constexpr DWORD kRetryWaits[] = {1000, 4000};
// A page longer than this is a failed page: a 32-bit process could not hold
// the copies a page of a few hundred megabytes takes.
constexpr size_t kMostPageBytes = 32 * 1024 * 1024;

// Rows for the UI thread, with the state they are listed in.
struct ListedRows {
  AppState* app;
  RowBatch rows;
};

void ListHandedRows(void* context) {
  auto* handed = static_cast<ListedRows*>(context);
  ListRows(*handed->app, handed->rows);
  delete handed;
}

void DiscardHandedRows(void* context) { delete static_cast<ListedRows*>(context); }

// Hands rows on to the UI thread without waiting; false once the run has ended.
[[nodiscard]] bool HandOnRows(AppState* app, RowBatch rows) {
  return HandOnForWorker(ListHandedRows, DiscardHandedRows, new ListedRows{app, std::move(rows)});
}

// The run's one wait for the UI thread, at its end: the controls go Idle
// after the rows handed on before, with the reason for a failed page.
struct FinishedRun {
  AppState* app;
  Text reason;  // empty when the run ended by itself
};

void FinishOnUiThread(void* context) {
  const FinishedRun& end = *static_cast<FinishedRun*>(context);
  EndRun(*end.app, RunEnding::Finished, end.reason);
}

// Why a run ends at a page that the program could not hold (its body, text
// or a copy of it), after "第N页: ".
constexpr char kPageHadNoRoom[] = "内存不足, 无法容纳此页!";

// One page as fetched and matched.
struct FetchedPage {
  Text statusText;  // shown in the reason a failed page gives
  RequestOutcome outcome;
  int entries = 0;
  bool noRoom = false;  // the page, or a copy of it, could not be held
};

// Fetches and matches the page, asking again after a failure worth it; false
// once the run has been ended during a wait.
[[nodiscard]] bool FetchPage(const Text& address, WebRequestOptions& options, PageEntries& entries,
                             FetchedPage& page) {
  options.statusText = &page.statusText;
  options.outcome = &page.outcome;
  for (size_t attempt = 0;; ++attempt) {
    page.statusText.clear();
    const Text pageText = WebRequest(address, options);
    bool copiesHadNoRoom = false;
    page.entries = MatchResultEntries(entries, pageText, &copiesHadNoRoom);
    page.noRoom = copiesHadNoRoom ||
                  (page.outcome.failure == RequestFailure::ReadFailed && page.outcome.systemError == kNoRoomForBody);
    if (page.noRoom) return true;
    if (page.entries != 0 || !PageFailed(page.outcome, false)) return true;
    if (attempt == sizeof kRetryWaits / sizeof kRetryWaits[0]) return true;
    if (!WorthAskingAgain(page.outcome)) return true;
    if (!WorkerWaitFor(kRetryWaits[attempt])) return false;
  }
}

// One page's matches becoming rows, on the worker.
struct PageRows {
  SearchRunRecord& run;
  AppState* app;
  bool filtered;  // 精确框, read once for the page
  RowBatch ready;
  DWORD readySince;
  bool handedOn;  // false once the run has ended under a hand-on
};

bool TakeEntry(void* context, const Text* groups) {
  PageRows& page = *static_cast<PageRows*>(context);
  const Text& fileName = groups[0];
  if (page.filtered && FindText(fileName, page.run.keyword) == -1) return true;
  ++page.run.rowNumber;
  page.ready.Add(DecimalText(page.run.rowNumber), fileName, ResultSizeText(groups[1]), groups[2]);
  if (GetTickCount() - page.readySince < kHandOnInterval) return true;
  page.handedOn = HandOnRows(page.app, std::move(page.ready));
  page.ready = RowBatch();
  page.readySince = GetTickCount();
  return page.handedOn;
}

// Builds the page's kept rows in order and hands them all on, some while it
// takes long. False once the run has been ended.
[[nodiscard]] bool ListPageRows(SearchRunRecord& run, PageEntries& entries, bool filtered) {
  PageRows page{run, run.app, filtered, RowBatch(), GetTickCount(), true};
  ReadResultEntries(entries, TakeEntry, &page);
  // Handed on even without a kept row: the count is written for every page with entries.
  return page.handedOn && HandOnRows(run.app, std::move(page.ready));
}

}  // namespace

void SearchRun(SearchRunRecord& run) {
  if (!WorkerShouldGoOn()) return;
  if (run.earlierWorker) {
    const bool earlierLeft = WorkerWaitUntil(run.earlierWorker.Get());
    // The record outlives this thread until the next start: it keeps nothing
    // of a worker that has left.
    run.earlierWorker.Reset();
    if (!earlierLeft) return;
  }
  PageEntries entries;  // the engine and COM for this thread, for the run
  entries.matcher = run.matcher;
  PageDecoder decoder;
  decoder.engineFirst = run.matcher == ResultMatcher::EngineFirst;
  WebRequestOptions options;
  options.pageDecoder = &decoder;
  options.mostBodyBytes = kMostPageBytes;
  options.cancel = &run.cancel;
  // The user's proxy script is looked up once for the run, not for each page.
  ProxyLookups proxyLookups;
  options.proxyLookups = &proxyLookups;
  for (int step = 0; step < kMostPages; ++step) {
    // A full list ends the run on the UI thread, with its notice, once it
    // has listed the rows handed on: no page is asked for after them.
    if (!WorkerShouldGoOn() || run.rowNumber >= run.rowLimit) return;
    const SearchInputsSeen inputs = ReadSearchInputs(*run.inputs);
    ++run.pageNumber;
    FetchedPage page;
    if (!FetchPage(SearchPageAddress(run.siteHost, inputs.keyword, run.pageNumber), options, entries, page)) return;
    if (page.entries > 0 && !ListPageRows(run, entries, inputs.exact)) return;
    // A page that failed ends the run saying so, its whole entries listed;
    // so does one that could not be held, the rows before it kept.
    if (page.noRoom || PageFailed(page.outcome, page.entries > 0)) {
      FinishedRun end{run.app, PageFailureReason(run.pageNumber, page.noRoom ? kPageHadNoRoom : page.statusText)};
      (void)RunForWorker(FinishOnUiThread, &end);
      return;
    }
    if (page.entries <= 0) break;
  }
  FinishSearchRun(run);
}

void FinishSearchRun(SearchRunRecord& run) {
  FinishedRun end{run.app, Text()};
  (void)RunForWorker(FinishOnUiThread, &end);
}
