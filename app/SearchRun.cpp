#include "app/SearchRun.h"

#include "app/PageFailure.h"
#include "app/ResultListing.h"
#include "app/ResultPattern.h"
#include "app/RunDisplay.h"
#include "app/RunEnd.h"
#include "app/SearchAddress.h"
#include "ui/WorkerChannel.h"
#include "web/WebRequest.h"

namespace {

// The loop's bound; in practice a run ends at the first page without a new entry.
constexpr int kMostPages = 785133323;
// While a page's rows are being built, what is ready goes to the list at
// least this often (milliseconds).
constexpr DWORD kHandOnInterval = 50;
// A failed page that may come on another try is asked for again after these
// waits, or after the longer one the site asks for.
constexpr DWORD kRetryWaits[] = {1000, 4000};
// The longest wait a site may ask for: past it the page fails at once, for a
// run held longer than a minute looks hung.
constexpr long long kMostSiteWaitSeconds = 60;
// Once a site has answered 429 (too many requests), the run's later requests
// start at least this far apart (milliseconds).
constexpr DWORD kPaceAfterTooManyRequests = 1000;
// A page longer than this is a failed page: a 32-bit process could not hold
// the copies a page of a few hundred megabytes takes.
constexpr size_t kMostPageBytes = 32 * 1024 * 1024;

// Hands rows on to the UI thread without waiting, with the run's repeats left
// out so far; false once the run has ended.
[[nodiscard]] bool HandOnRows(SearchRunRecord& run, RowBatch rows) {
  return HandOnForWorker([app = run.app, rows = std::move(rows), repeatsLeftOut = run.repeats] {
    app->search.repeatsLeftOut = repeatsLeftOut;
    ListRows(*app, rows);
  });
}

// The run's one wait for the UI thread, at its end: the controls go Idle
// after the rows handed on before, with `reason` for a failed page (empty:
// the run ended by itself).
void FinishRun(SearchRunRecord& run, Text reason) {
  (void)RunForWorker([app = run.app, reason = std::move(reason)] { EndRun(*app, RunEnding::Finished, reason); });
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
  long long refusedWait = -1;  // seconds the site asked to wait, past the longest one made
};

// Starts the run's requests at least kPaceAfterTooManyRequests apart once
// the site has said it is asked too often; false once the run has ended.
[[nodiscard]] bool KeepPace(SearchRunRecord& run) {
  if (run.paced) {
    const DWORD since = GetTickCount() - run.lastRequestStart;
    if (since < kPaceAfterTooManyRequests && !WorkerWaitFor(kPaceAfterTooManyRequests - since)) return false;
  }
  run.lastRequestStart = GetTickCount();
  return true;
}

// Waits before the page is asked for again; a wait the site asked for counts
// down in the title. False once the run has ended.
[[nodiscard]] bool WaitToAskAgain(SearchRunRecord& run, DWORD milliseconds, bool siteAsked) {
  if (!siteAsked) return WorkerWaitFor(milliseconds);
  for (DWORD left = milliseconds; left > 0;) {
    // Down to whole seconds first, so that each second shown lasts one.
    const DWORD step = left % 1000 != 0 ? left % 1000 : 1000;
    const int secondsLeft = int((left + 999) / 1000);
    const bool shown = HandOnForWorker([app = run.app, pageNumber = run.pageNumber, secondsLeft] {
      ShowSiteWait(*app, pageNumber, secondsLeft);
    });
    if (!shown || !WorkerWaitFor(step)) return false;
    left -= step;
  }
  return RunForWorker([app = run.app] { ClearEndReason(*app); });
}

// Fetches and matches the page, asking again after a failure worth it; false
// once the run has been ended during a wait.
[[nodiscard]] bool FetchPage(SearchRunRecord& run, const Text& address, WebRequestOptions& options,
                             PageEntries& entries, FetchedPage& page) {
  options.statusText = &page.statusText;
  options.outcome = &page.outcome;
  for (size_t attempt = 0;; ++attempt) {
    if (!KeepPace(run)) return false;
    page.statusText.clear();
    const Text pageText = WebRequest(address, options);
    if (page.outcome.httpStatus == 429) run.paced = true;
    bool copiesHadNoRoom = false;
    page.entries = MatchResultEntries(entries, pageText, &copiesHadNoRoom);
    page.noRoom = copiesHadNoRoom ||
                  (page.outcome.failure == RequestFailure::ReadFailed && page.outcome.systemError == kNoRoomForBody);
    if (page.noRoom) return true;
    if (page.entries != 0 || !PageFailed(page.outcome, false)) return true;
    if (!WorthAskingAgain(page.outcome)) return true;
    const long long siteWait = page.outcome.retryAfterSeconds;
    if (siteWait > kMostSiteWaitSeconds) {
      page.refusedWait = siteWait;
      return true;
    }
    if (attempt == sizeof kRetryWaits / sizeof kRetryWaits[0]) return true;
    const bool siteAsked = siteWait > 0;
    const DWORD wait = siteAsked && DWORD(siteWait) * 1000 > kRetryWaits[attempt] ? DWORD(siteWait) * 1000
                                                                                   : kRetryWaits[attempt];
    if (!WaitToAskAgain(run, wait, siteAsked)) return false;
  }
}

// Why a failed page ends the run, after "第N页: ".
Text PageFailureText(const FetchedPage& page) {
  if (page.noRoom) return kPageHadNoRoom;
  if (page.refusedWait >= 0) return page.statusText + ", 网站要求" + DecimalText(page.refusedWait) + "秒后再试";
  return page.statusText;
}

// One page's matches becoming rows, on the worker.
struct PageRows {
  SearchRunRecord& run;
  bool filtered;  // 精确框, read once for the page
  RowBatch ready;
  DWORD readySince;
  int newEntries = 0;  // torrents this run had not seen before the page
  bool handedOn = true;  // false once the run has ended under a hand-on
  bool noRoom = false;   // the run's torrents could not be given room
};

bool TakeEntry(void* context, const Text* groups) {
  PageRows& page = *static_cast<PageRows*>(context);
  // A torrent already seen in this run is left out before the exact filter,
  // which thus decides on new entries only.
  switch (page.run.torrents.Add(EntryGroup(groups, ResultColumn::Address))) {
    case TorrentSeen::Repeat:
      ++page.run.repeats;
      return true;
    case TorrentSeen::NoRoom:
      page.noRoom = true;
      return false;
    case TorrentSeen::New:
      ++page.newEntries;
      break;
  }
  if (page.filtered && FindText(EntryGroup(groups, ResultColumn::FileName), page.run.keyword) == -1) return true;
  AddResultRow(page.ready, groups, ++page.run.rowNumber);
  if (GetTickCount() - page.readySince < kHandOnInterval) return true;
  page.handedOn = HandOnRows(page.run, std::move(page.ready));
  page.ready = RowBatch();
  page.readySince = GetTickCount();
  return page.handedOn;
}

// Builds the page's kept rows in order and hands them all on, some while it
// takes long. Ended once the run has been ended.
[[nodiscard]] PageRows ListPageRows(SearchRunRecord& run, PageEntries& entries, bool filtered) {
  PageRows page{run, filtered, RowBatch(), GetTickCount()};
  ReadResultEntries(entries, TakeEntry, &page);
  // Handed on even without a kept row: the count is written for every page
  // with entries, and the repeats left out go with it.
  if (page.handedOn) page.handedOn = HandOnRows(run, std::move(page.ready));
  return page;
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
    if (!FetchPage(run, SearchPageAddress(run.siteHost, inputs.keyword, run.pageNumber), options, entries, page))
      return;
    int newEntries = 0;
    if (page.entries > 0) {
      const PageRows listed = ListPageRows(run, entries, inputs.exact);
      if (!listed.handedOn) return;
      if (listed.noRoom) {
        FinishRun(run, kRowsHadNoRoom);
        return;
      }
      newEntries = listed.newEntries;
    }
    // A page that failed ends the run saying so, its whole entries listed;
    // so does one that could not be held, the rows before it kept.
    if (page.noRoom || page.refusedWait >= 0 || PageFailed(page.outcome, page.entries > 0)) {
      FinishRun(run, PageFailureReason(run.pageNumber, PageFailureText(page)));
      return;
    }
    // A page of torrents all listed already is where a site that answers
    // every later page number with its last page has ended.
    if (newEntries == 0) break;
  }
  FinishSearchRun(run);
}

void FinishSearchRun(SearchRunRecord& run) { FinishRun(run, Text()); }
