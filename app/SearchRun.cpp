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

void ListPageEnd(void* context) {
  auto* rows = static_cast<ListedRows*>(context);
  ListRows(*rows->app, rows->rows);
}

void Finish(void* context) { FinishSearch(*static_cast<AppState*>(context)); }

struct EndReason {
  AppState* app;
  Text text;
};

void FinishWithReason(void* context) {
  auto* reason = static_cast<EndReason*>(context);
  FinishSearch(*reason->app);
  ShowEndReason(*reason->app, reason->text);
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

// Lists the page's kept rows in order; they are all in the list when it
// returns. False once the run has been ended.
[[nodiscard]] bool ListPage(SearchRunRecord& run, const RegexObject& regex, bool filtered) {
  PageRows page{run, filtered, {run.app, RowBatch()}, GetTickCount(), true};
  // An engine that fails partway leaves the rows read so far; the run goes on.
  (void)ReadResultEntries(regex, TakeEntry, &page);
  if (!page.handedOn) return false;
  // Sent even without a row: the count is written for every page with entries.
  return RunForWorker(ListPageEnd, &page.ready);
}

}  // namespace

void SearchRun(SearchRunRecord& run) {
  if (!WorkerShouldGoOn()) return;
  MainWindow& window = run.app->window;
  RegexObject regex;  // COM for this thread, for the run
  PageDecoder decoder;
  WebRequestOptions options;
  options.pageDecoder = &decoder;
  for (int step = 0; step < kMostPages; ++step) {
    if (step > 0 && !WorkerShouldGoOn()) return;
    const Text keyword = window.编辑框1.GetText();
    // A run ended meanwhile had its read dropped (empty text): no page for it.
    if (!WorkerShouldGoOn()) return;
    ++run.pageNumber;
    FetchedPage page;
    if (!FetchPage(SearchPageAddress(run.siteHost, keyword, run.pageNumber), options, regex, page)) return;
    if (page.entries > 0) {
      const bool filtered = window.精确框.IsChecked();
      // Likewise an ended run's "unchecked" is no answer to list rows by.
      if (!WorkerShouldGoOn()) return;
      if (!ListPage(run, regex, filtered)) return;
    }
    // A page that failed ends the run saying so, its whole entries listed.
    if (PageFailed(page.statusText, page.entries > 0)) {
      EndReason reason{run.app, PageFailureReason(run.pageNumber, page.statusText)};
      (void)RunForWorker(FinishWithReason, &reason);
      return;
    }
    if (page.entries <= 0) break;
  }
  FinishSearchRun(run);
}

void FinishSearchRun(SearchRunRecord& run) { (void)RunForWorker(Finish, run.app); }
