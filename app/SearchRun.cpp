#include "app/SearchRun.h"

#include "app/PageFailure.h"
#include "app/ResultListing.h"
#include "app/ResultPattern.h"
#include "app/SearchAddress.h"
#include "automation/RegexObject.h"
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

// The one trip to the UI thread a page: the last page's rows that were not
// handed on yet are listed and counted, then either the run ends (with a
// reason for a failed page) or 编辑框1 and 精确框 are read for the next page.
struct PageTurn {
  explicit PageTurn(AppState* owner) : app(owner) {}
  AppState* app;
  bool listRows = false;  // the last page had entries
  RowBatch rows;
  bool ends = false;
  Text reason;            // why the run ends early, or empty
  Text keyword;           // out: 编辑框1
  bool filtered = false;  // out: 精确框
};

void TurnPage(void* context) {
  PageTurn& turn = *static_cast<PageTurn*>(context);
  AppState& app = *turn.app;
  if (turn.listRows) ListRows(app, turn.rows);
  if (turn.ends) {
    FinishSearch(app);
    if (!turn.reason.empty()) ShowEndReason(app, turn.reason);
    return;
  }
  turn.keyword = app.window.编辑框1.GetText();
  turn.filtered = app.window.精确框.IsChecked();
}

// One page as fetched and matched; `entries` is -1 when the engine failed.
struct FetchedPage {
  Text statusText;
  unsigned long systemError = 0;
  int entries = 0;
};

// Fetches and matches the page, asking again after a failure worth it; false
// once the run has been ended during a wait.
[[nodiscard]] bool FetchPage(const Text& address, WebRequestOptions& options, RegexObject& regex, FetchedPage& page) {
  options.statusText = &page.statusText;
  options.systemError = &page.systemError;
  for (size_t attempt = 0;; ++attempt) {
    page.statusText.clear();
    page.systemError = 0;
    const Text pageText = WebRequest(address, options);
    page.entries = MatchResultEntries(regex, pageText) ? regex.MatchCount() : -1;
    if (page.entries != 0 || !PageFailed(page.statusText, false)) return true;
    if (attempt == sizeof kRetryWaits / sizeof kRetryWaits[0]) return true;
    if (!WorthAskingAgain(page.statusText, page.systemError)) return true;
    if (!WorkerWaitFor(kRetryWaits[attempt])) return false;
  }
}

// One page's matches becoming rows, on the worker.
struct PageRows {
  SearchRunRecord& run;
  bool filtered;  // 精确框, read once for the page
  ListedRows ready;
  DWORD readySince;
  bool handedOn;  // false once the run has ended under a hand-on
};

bool TakeEntry(void* context, const Text* groups) {
  PageRows& page = *static_cast<PageRows*>(context);
  const Text& fileName = groups[0];
  if (page.filtered && FindText(fileName, page.run.keyword) == -1) return true;
  ++page.run.rowNumber;
  page.ready.rows.Add(DecimalText(page.run.rowNumber), fileName, ResultSizeText(groups[1]), groups[2]);
  if (GetTickCount() - page.readySince < kHandOnInterval) return true;
  auto* handed = new ListedRows{page.ready.app, std::move(page.ready.rows)};
  page.ready.rows = RowBatch();
  page.readySince = GetTickCount();
  page.handedOn = HandOnForWorker(ListHandedRows, DiscardHandedRows, handed);
  return page.handedOn;
}

// Builds the page's kept rows in order, handing on what is ready while it
// takes long; the rest stays in `rest` for the next trip. False once the run
// has been ended.
[[nodiscard]] bool BuildPageRows(SearchRunRecord& run, const RegexObject& regex, bool filtered, RowBatch& rest) {
  PageRows page{run, filtered, {run.app, RowBatch()}, GetTickCount(), true};
  // An engine that fails partway leaves the rows read so far; the run goes on.
  (void)ReadResultEntries(regex, TakeEntry, &page);
  rest = std::move(page.ready.rows);
  return page.handedOn;
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
  RegexObject regex;  // COM for this thread, for the run
  PageDecoder decoder;
  WebRequestOptions options;
  options.pageDecoder = &decoder;
  options.mostBodyBytes = kMostPageBytes;
  options.cancel = &run.cancel;
  PageTurn turn(run.app);
  for (int step = 0; step < kMostPages; ++step) {
    if (step > 0 && !WorkerShouldGoOn()) return;
    // A run ended meanwhile had its reads dropped, and one that its own rows
    // ended (the list full) asks for no further page either.
    if (!RunForWorker(TurnPage, &turn) || !WorkerShouldGoOn()) return;
    const bool filtered = turn.filtered;
    ++run.pageNumber;
    FetchedPage page;
    if (!FetchPage(SearchPageAddress(run.siteHost, turn.keyword, run.pageNumber), options, regex, page)) return;
    turn = PageTurn(run.app);
    // Sent even without a kept row: the count is written for every page with entries.
    turn.listRows = page.entries > 0;
    if (turn.listRows && !BuildPageRows(run, regex, filtered, turn.rows)) return;
    // A page that failed ends the run saying so, its whole entries listed.
    if (PageFailed(page.statusText, page.entries > 0)) {
      turn.ends = true;
      turn.reason = PageFailureReason(run.pageNumber, page.statusText);
      (void)RunForWorker(TurnPage, &turn);
      return;
    }
    if (page.entries <= 0) break;
  }
  turn.ends = true;  // with the rows of a last page at the loop's bound
  (void)RunForWorker(TurnPage, &turn);
}

void FinishSearchRun(SearchRunRecord& run) {
  PageTurn turn(run.app);
  turn.ends = true;
  (void)RunForWorker(TurnPage, &turn);
}
