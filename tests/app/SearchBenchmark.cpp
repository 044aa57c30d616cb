// search_benchmark.exe [ROUNDS] [LARGE]   (LARGE 0: no large search; 1: 10,000 rows; 2: 100,000 rows;
//                                          3: 1,000,000 rows)
// search_benchmark.exe sorting            (only the figures of sorting the list's rows, no site)
// search_benchmark.exe export             (only the figures of saving 1,000,000 rows as CSV, no site)
// Not a test. The search run of the real program (a live main window, real
// WinHttp, real VBScript.RegExp) against the demo site over HTTPS, timed in
// one run beside a bare WinHttp loop that only fetches the same pages (a new
// session a page, like WebRequest), the loops taking turns round by round.
// Beside them, to tell where the time goes: WebRequest alone over the same
// pages, and the result pattern alone over the same page texts; and the
// search with the built-in matcher in place of the engine. Then a search
// of many rows for the UI thread's time per row, the bytes a row and
// how soon a window on the UI thread answers a posted message meanwhile.
// The ratios count, not the absolute times.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <utility>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/ListExport.h"
#include "app/ProgramStart.h"
#include "app/ResultPattern.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "app/TorrentSet.h"
#include "automation/RegexObject.h"
#include "tests/ui/WindowTestSupport.h"
#include "tests/web/BareRequest.h"
#include "tests/web/ServerProcess.h"
#include "text/CodePage936.h"
#include "ui/MainWindow.h"
#include "ui/RowOrder.h"
#include "system/WindowMessages.h"
#include "system/SystemFunction.h"
#include "web/DecodePageText.h"
#include "web/WebRequest.h"

namespace {

constexpr const char* kRatioKeyword = "bench-50x30";  // 50 pages of 30 entries
constexpr int kRatioPages = 50;
constexpr int kRatioEntries = 30;
// The large searches: 200 pages of 50, 125 and 1250 pages of 800 entries.
struct LargeSearch {
  const char* keyword;
  int rows;
};
constexpr LargeSearch kLargeSearches[] = {{"bench-200x50", 10000}, {"bench-125x800", 100000},
                                          {"bench-1250x800", 1000000}};
constexpr DWORD kProbeIntervalMilliseconds = 5;
// Between two row operations of one page the UI thread waits only for the
// worker's next request; between pages it waits for a fetch and a match.
constexpr double kSamePageGap = 0.003;
// The server's CPU times in /proc count in ticks of 1/100 s (Linux's USER_HZ).
constexpr double kLinuxTicksPerSecond = 100;

SystemFunction<decltype(&::K32GetProcessMemoryInfo)> getProcessMemoryInfo{"kernel32.dll",
                                                                          "K32GetProcessMemoryInfo"};

double Now() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

// The demo site with every benchmark page rendered before it listens, started
// through a shell that notes the server's Linux process id, so that its CPU
// time can be read beside the figures: the server must not be what is timed.
class BenchmarkSite {
 public:
  BenchmarkSite() = default;
  BenchmarkSite(const BenchmarkSite&) = delete;
  BenchmarkSite& operator=(const BenchmarkSite&) = delete;
  ~BenchmarkSite() {
    if (port == 0) return;
    WebRequestOptions options;
    options.timeoutSeconds = 5;
    (void)WebRequest(Url("/__stop"), options);
    process.AwaitEnd();
  }

  // Renders the ratio search's pages and those of `largeKeyword` (null: none).
  [[nodiscard]] bool Start(const char* largeKeyword) {
    const Text stem = Text(SEED_BENCHMARK_WORK_DIR) + "/search-benchmark-" + DecimalText(GetCurrentProcessId());
    const Text portFile = stem + ".port", pidFile = stem + ".pid";
    DeleteFileA(WindowsPath(pidFile).c_str());
    const Text certificates = SEED_CERTIFICATE_DIR;
    port = process.Start("Z:\\bin\\sh -c \"echo $$ > " + pidFile + " && exec /usr/bin/python3 " +
                             SEED_DEMO_SERVER_SCRIPT + " --cert " + certificates + "/server.pem --key " + certificates +
                             "/server.key --port 0 --idle-timeout 60 --port-file " + portFile + " --prerender " +
                             kRatioKeyword + (largeKeyword ? " --prerender " + Text(largeKeyword) : Text()) + "\"",
                         portFile, 60000);
    linuxProcessId = ReadNumberFile(pidFile);
    DeleteFileA(WindowsPath(pidFile).c_str());
    return port != 0;
  }
  Text Host() const { return "localhost:" + DecimalText(port); }
  Text Url(const Text& path) const { return "https://" + Host() + path; }
  BareTarget Target() const { return {L"localhost", INTERNET_PORT(port), true}; }

  // User and system CPU seconds of the server process so far; -1 when unknown.
  double CpuSeconds() const {
    if (linuxProcessId == 0) return -1;
    FILE* file = std::fopen(WindowsPath("/proc/" + DecimalText(linuxProcessId) + "/stat").c_str(), "rb");
    if (!file) return -1;
    char line[1024] = {};
    size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    const char* at = std::strrchr(line, ')');  // the command name may hold spaces
    if (!at) return -1;
    unsigned long long user = 0, system = 0;
    // Fields 3 to 13 come before the user (14) and system (15) times.
    if (std::sscanf(at + 1, " %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu %llu", &user, &system) != 2)
      return -1;
    return double(user + system) / kLinuxTicksPerSecond;
  }

 private:
  int port = 0;
  int linuxProcessId = 0;
  ServerProcess process;
};

// --- What the UI thread does for the worker: the main window subclassed ---

WNDPROC mainWindowProcedure = nullptr;

struct OperationLog {
  double seconds = 0;  // inside the handling of kWorkerOperationMessage
  double longest = 0;  // the longest single handling
  long count = 0;
  std::vector<std::pair<double, double>> spans;  // start and end, kept only while answer times are measured
  bool keepSpans = false;
};
OperationLog operationLog;

LRESULT CALLBACK TimedMainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kWorkerOperationMessage) return CallWindowProcW(mainWindowProcedure, window, message, wParam, lParam);
  const double start = Now();
  LRESULT result = CallWindowProcW(mainWindowProcedure, window, message, wParam, lParam);
  const double seconds = Now() - start;
  operationLog.seconds += seconds;
  operationLog.longest = std::max(operationLog.longest, seconds);
  ++operationLog.count;
  if (operationLog.keepSpans) operationLog.spans.emplace_back(start, start + seconds);
  return result;
}

// --- A window on the UI thread that notes how late each posted message comes ---

// The benchmark's own message to its own window, not one of the program's.
constexpr UINT kProbeMessage = WM_USER + 1;

struct ProbeSample {
  double posted;
  double latency;
};
std::vector<ProbeSample> probeSamples;

LRESULT CALLBACK ProbeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kProbeMessage) return DefWindowProcW(window, message, wParam, lParam);
  LARGE_INTEGER posted, frequency;
  posted.LowPart = DWORD(wParam);
  posted.HighPart = LONG(lParam);
  QueryPerformanceFrequency(&frequency);
  const double postedAt = double(posted.QuadPart) / double(frequency.QuadPart);
  probeSamples.push_back({postedAt, Now() - postedAt});
  return 0;
}

struct Prober {
  HWND probe;
  volatile LONG stop;
};

DWORD WINAPI PostProbes(LPVOID parameter) {
  Prober& prober = *static_cast<Prober*>(parameter);
  while (!prober.stop) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    PostMessageW(prober.probe, kProbeMessage, WPARAM(now.LowPart), LPARAM(now.HighPart));
    Sleep(kProbeIntervalMilliseconds);
  }
  return 0;
}

// --- The timed loops ---

// The UI thread's time by the kind of message handled: a timer by its window's
// class and id, anything else by its window's class and message number.
struct MessageKind {
  std::wstring windowClass;
  UINT message;
  UINT_PTR timer;
  double seconds;
  long count;
};
std::vector<MessageKind> messageKinds;

void NoteMessage(const MSG& message, double seconds) {
  wchar_t name[64] = L"";
  if (message.hwnd) GetClassNameW(message.hwnd, name, 64);
  const UINT_PTR timer = message.message == WM_TIMER ? message.wParam : 0;
  for (MessageKind& kind : messageKinds) {
    if (kind.message != message.message || kind.timer != timer || kind.windowClass != name) continue;
    kind.seconds += seconds;
    ++kind.count;
    return;
  }
  messageKinds.push_back({name, message.message, timer, seconds, 1});
}

void PrintMessageKinds(int rows) {
  std::sort(messageKinds.begin(), messageKinds.end(),
            [](const MessageKind& a, const MessageKind& b) { return a.seconds > b.seconds; });
  for (size_t index = 0; index < messageKinds.size() && index < 8; ++index) {
    const MessageKind& kind = messageKinds[index];
    std::printf("    %-22ls message 0x%04X timer %-5u %6ld times %8.1f ms  (%.4f ms a row)\n", kind.windowClass.c_str(),
                kind.message, unsigned(kind.timer), kind.count, 1000 * kind.seconds, 1000 * kind.seconds / rows);
  }
  messageKinds.clear();
}

// Dispatches the UI thread's messages, as the program's own loop does, until
// `thread` ends; returns the time spent outside the wait.
double PumpUntilEnded(HANDLE thread) {
  double busy = 0;
  for (;;) {
    if (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) return busy;
    const double start = Now();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (HandleWindowKey(message)) continue;
      const double handling = Now();
      TranslateMessage(&message);
      DispatchMessageW(&message);
      NoteMessage(message, Now() - handling);
    }
    busy += Now() - start;
  }
}

double ThreadCpuSeconds(HANDLE thread) {
  FILETIME creation, exit, kernel, user;
  if (!GetThreadTimes(thread, &creation, &exit, &kernel, &user)) return 0;
  auto seconds = [](FILETIME time) { return double(ULONGLONG(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
}

struct SearchFigures {
  double seconds = 0;
  double uiBusySeconds = 0;        // the UI thread outside its wait
  double uiOperationSeconds = 0;   // of which carrying out the worker's operations
  double longestHandling = 0;      // of one kWorkerOperationMessage
  long operations = 0;
  double uiCpuSeconds = 0;
  int rows = 0;
  void Add(const SearchFigures& other) {
    seconds += other.seconds;
    uiBusySeconds += other.uiBusySeconds;
    uiOperationSeconds += other.uiOperationSeconds;
    longestHandling = std::max(longestHandling, other.longestHandling);
    operations += other.operations;
    uiCpuSeconds += other.uiCpuSeconds;
    rows += other.rows;
  }
};

// One search through the search button, until its worker ends by itself;
// with a column, into the list sorted by it as clicks on its header sort it.
SearchFigures TimedSearch(const char* keyword, int sortColumn = -1, int headerClicks = 1) {
  // A new search empties the list too, but the emptying is no part of what
  // is timed, nor is the painting of the emptied list.
  app.window.超级列表框1.DeleteAllRows();
  UpdateWindow(app.window.超级列表框1.handle);
  SetWindowTextW(app.window.编辑框1.handle, TextToUtf16(keyword).c_str());
  operationLog.seconds = 0;
  operationLog.longest = 0;
  operationLog.count = 0;
  SearchFigures figures;
  const double uiCpu = ThreadCpuSeconds(GetCurrentThread());
  const double start = Now();
  SendClick(app.window.搜索_按钮.handle);
  for (int click = 0; sortColumn >= 0 && click < headerClicks; ++click) (void)app.window.超级列表框1.SortByColumn(sortColumn);
  figures.uiBusySeconds = PumpUntilEnded(app.search.workerThread.Get());
  figures.seconds = Now() - start;
  // The view's count follows the run's end a moment later: no part of the
  // search's time, but of the UI thread's work for its rows.
  const double follow = Now();
  app.window.超级列表框1.ShowPendingRows();
  figures.uiBusySeconds += Now() - follow;
  figures.uiCpuSeconds = ThreadCpuSeconds(GetCurrentThread()) - uiCpu;
  figures.uiOperationSeconds = operationLog.seconds;
  figures.operations = operationLog.count;
  figures.longestHandling = operationLog.longest;
  figures.rows = app.window.超级列表框1.RowCount();
  return figures;
}

struct FetchFigures {
  double seconds = 0;
  double slowest = 0;  // the slowest single page
  size_t bytes = 0;
};

template <typename Fetch>
void TimedFetches(const std::vector<Text>& paths, FetchFigures& figures, Fetch fetch) {
  for (const Text& path : paths) {
    const double start = Now();
    figures.bytes += fetch(path);
    const double seconds = Now() - start;
    figures.seconds += seconds;
    figures.slowest = std::max(figures.slowest, seconds);
  }
}

bool CountEntry(void* context, const Text*) {
  ++*static_cast<int*>(context);
  return true;
}

// The pattern over every page text, and the three groups of each match that a row reads.
double TimedMatching(const std::vector<Text>& pageTexts, int& matches) {
  PageEntries entries;
  const double start = Now();
  for (const Text& page : pageTexts) {
    if (MatchResultEntries(entries, page) > 0) ReadResultEntries(entries, CountEntry, &matches);
  }
  return Now() - start;
}

// The charset check that WebRequest makes on every page.
double TimedDecoding(const std::vector<Text>& pageTexts) {
  const double start = Now();
  for (const Text& page : pageTexts) {
    Text text = page;
    (void)DecodePageText(ByteSet(page.begin(), page.end()), text);
  }
  return Now() - start;
}

PROCESS_MEMORY_COUNTERS_EX ProcessMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!getProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters))
    counters = {};
  return counters;
}

// Private bytes: PrivateUsage where the system fills it in (Wine leaves it 0),
// else the commit charge, which is the same figure on Windows.
double PrivateBytes(const PROCESS_MEMORY_COUNTERS_EX& counters) {
  return double(counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
}

void PrintMemory(const char* when, const PROCESS_MEMORY_COUNTERS_EX& counters) {
  std::printf("  %-34s working set %7.1f MB, private bytes %7.1f MB\n", when, counters.WorkingSetSize / 1048576.0,
              PrivateBytes(counters) / 1048576.0);
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

// Whether a sample was posted while a row operation was carried out, or in the
// short wait between two of them (not while a page was fetched or matched).
bool PostedWhileAddingRows(const std::vector<std::pair<double, double>>& spans, double posted) {
  auto next = std::lower_bound(spans.begin(), spans.end(), std::make_pair(posted, posted));
  if (next == spans.begin()) return false;
  const auto& previous = *(next - 1);
  if (posted <= previous.second) return true;
  return next != spans.end() && next->first - previous.second < kSamePageGap;
}

void PrintLatencies(const char* which, const std::vector<double>& latencies) {
  std::printf("  %-38s %6u samples: median %6.2f ms, 99th percentile %6.2f ms, slowest %6.2f ms\n", which,
              unsigned(latencies.size()), 1000 * Percentile(latencies, 0.5), 1000 * Percentile(latencies, 0.99),
              1000 * Percentile(latencies, 1.0));
}

}  // namespace

constexpr int kBatchRows = 30;  // rows a batch, as a page brings them

// Rows as a search lists them: page-sized batches, names with numbers in them.
std::vector<RowBatch> BenchmarkBatches(int rows) {
  std::vector<RowBatch> batches((rows + kBatchRows - 1) / kBatchRows);
  for (int row = 0; row < rows; ++row) {
    const Text number = DecimalText(row + 1);
    batches[row / kBatchRows].Add({number, "Movie " + DecimalText((row * 7919) % 100003) + " part " + number + ".mkv",
                                   DecimalText(row % 1000) + "." + DecimalText(row % 10) + " MB",
                                   "magnet:?xt=urn:btih:" + number});
  }
  return batches;
}

// Rows whose names are 240 bytes and share their first 200: a long title of
// a series, then what tells its files apart.
std::vector<RowBatch> SharedTitleBatches(int rows) {
  constexpr size_t kShared = 200, kLength = 240;
  const Text title = "[Series] The Long Title 2023 S01 1080p WEB-DL \xD6\xD0\xCE\xC4\xD7\xD6\xC4\xBB ";  // 中文字幕
  Text shared;
  while (shared.size() + title.size() <= kShared) shared += title;
  shared.append(kShared - shared.size(), '.');
  std::vector<RowBatch> batches((rows + kBatchRows - 1) / kBatchRows);
  for (int row = 0; row < rows; ++row) {
    const Text number = DecimalText(row + 1);
    Text name = shared + " E" + DecimalText(row * 7919LL % 1000003) + " part " + number;
    name.append(kLength - 4 - name.size(), '-');
    batches[row / kBatchRows].Add({number, name + ".mkv", "1.0 MB", "magnet:?xt=urn:btih:" + number});
  }
  return batches;
}

// The time of sorting `store` by `column`, printed with what it sorted; the
// line is out before the next sort, which might end the program.
void PrintSortTime(const RowStore& store, ResultColumn column, const char* rows, const char* target) {
  RowOrder order;
  const double bytesBefore = PrivateBytes(ProcessMemory());
  const double start = Now();
  (void)SortRows(order, store, ColumnIndex(column), false);
  const double seconds = Now() - start;
  std::printf("  %s by column %d: %8.1f ms (%s), the order kept %.0f bytes a row\n", rows, ColumnIndex(column),
              1000 * seconds, target, (PrivateBytes(ProcessMemory()) - bytesBefore) / store.RowCount());
  std::fflush(stdout);
}

// Sorting the list's rows, keys made included: the rows of a search, names
// sharing long titles, and two long names alike.
void PrintSortingFigures() {
  std::printf("sorting the result list:\n");
  for (int rows : {100000, 1000000}) {
    RowStore store;
    for (const RowBatch& batch : BenchmarkBatches(rows)) (void)store.Append(batch);
    const Text what = DecimalText(rows) + " rows";
    for (ResultColumn column : {ResultColumn::FileName, ResultColumn::Size})
      PrintSortTime(store, column, what.c_str(), "target under 1000 ms at 1000000");
  }
  {
    RowStore store;
    for (const RowBatch& batch : SharedTitleBatches(1000000)) (void)store.Append(batch);
    PrintSortTime(store, ResultColumn::FileName, "1000000 names of 240 bytes sharing the first 200",
                  "target under 2000 ms");
  }
  for (size_t length : {20000, 200000}) {
    RowStore store;
    RowBatch batch;
    const Text name(length, 'x');
    batch.Add({"1", name, "1 MB", "magnet:?xt=urn:btih:1"});
    batch.Add({"2", name, "1 MB", "magnet:?xt=urn:btih:2"});
    (void)store.Append(batch);
    const Text what = "2 names of " + DecimalText(int(length)) + " identical bytes";
    PrintSortTime(store, ResultColumn::FileName, what.c_str(), "target well under 1000 ms");
  }
}

// A search's UI thread time a row into a sorted list beside the same search
// in arrival order, the three taking turns round by round.
void PrintSortedSearchFigures(int rounds) {
  // The demo's names arrive in their own order: sorted down by 文件名, every
  // row lands on top, in sight; its sizes land anywhere.
  const char* keyword = kLargeSearches[0].keyword;
  SearchFigures unsorted, bySize, byNameDown;
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 3; ++turn) {
      switch ((turn + round) % 3) {
        case 0:
          unsorted.Add(TimedSearch(keyword));
          break;
        case 1:
          bySize.Add(TimedSearch(keyword, ColumnIndex(ResultColumn::Size)));
          break;
        default:
          byNameDown.Add(TimedSearch(keyword, ColumnIndex(ResultColumn::FileName), 2));
      }
    }
  }
  messageKinds.clear();
  const auto perRow = [](const SearchFigures& figures) { return 1000 * figures.uiBusySeconds / figures.rows; };
  std::printf("  search %s (%d rows), %d rounds, UI thread busy a row: arrival order %.4f ms; sorted by size %.4f ms"
              " (%.2f times); sorted down by name, every row on top, %.4f ms (%.2f times; target at most 2)\n",
              keyword, unsorted.rows / rounds, rounds, perRow(unsorted), perRow(bySize), perRow(bySize) / perRow(unsorted),
              perRow(byNameDown), perRow(byNameDown) / perRow(unsorted));
}

// What telling repeated torrents apart costs a search of the rows in
// `store`: the run's set of them filled with every row's link as the run
// fills it, its bytes a row and its time beside the search's.
void PrintTorrentSetFigures(const RowStore& store, double searchSeconds) {
  TorrentSet torrents(0x5EED5EA4C4ull);
  const int rows = store.RowCount();
  const double start = Now();
  int repeats = 0;
  for (int row = 0; row < rows; ++row) repeats += torrents.Add(store.Cell(row, ResultColumn::Address)) != TorrentSeen::New;
  const double seconds = Now() - start;
  std::printf("  the run's torrents seen: %.1f bytes a row; %.1f ms to read and add every row's link (%.2f%% of the "
              "search; target at most 5%%)%s\n",
              double(torrents.BytesHeld()) / rows, 1000 * seconds, 100 * seconds / searchSeconds,
              repeats ? ", some taken for repeats" : "");
}

// While the list is saved, from a thread of its own: the process's private
// bytes at their peak, the longest the window took to answer, and when the
// closing notice came (it is closed).
struct ExportWatch {
  std::atomic<bool> stop{false};
  std::atomic<double> peakBytes{0};
  std::atomic<DWORD> longestSilence{0};
  std::atomic<double> silenceEndedAt{0};
  std::atomic<double> noticeAt{0};
  HWND window;
  HANDLE thread;
  static BOOL CALLBACK CloseNotice(HWND box, LPARAM parameter) {
    auto* watch = reinterpret_cast<ExportWatch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(box, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(box) || ClassNameOf(box) != L"#32770") return TRUE;
    if (watch->noticeAt == 0) watch->noticeAt = Now();
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static DWORD WINAPI Run(void* parameter) {
    auto* watch = static_cast<ExportWatch*>(parameter);
    DWORD answeredAt = GetTickCount();
    while (!watch->stop) {
      watch->peakBytes = std::max<double>(watch->peakBytes, PrivateBytes(ProcessMemory()));
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(watch->window, WM_NULL, 0, 0, SMTO_BLOCK, 50, &result)) {
        const DWORD now = GetTickCount();
        if (now - answeredAt > watch->longestSilence) {
          watch->longestSilence = now - answeredAt;
          watch->silenceEndedAt = Now();
        }
        answeredAt = now;
      }
      EnumWindows(CloseNotice, LPARAM(watch));
      Sleep(5);
    }
    return 0;
  }
  explicit ExportWatch(HWND window) : window(window) { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
  ~ExportWatch() {
    stop = true;
    PumpUntilSignalled(thread);
    CloseHandle(thread);
  }
};

// 1,000,000 rows of the live window's list (names with double-byte
// characters, so that every name is converted) saved as CSV: the time to
// the closing notice, the private bytes before, at the peak and after.
int PrintExportFigures() {
  constexpr int kRows = 1000000;
  if (!CreateAppWindow(app)) return 1;
  for (int row = 0; row < kRows;) {
    RowBatch batch;
    for (int end = std::min(kRows, row + kBatchRows); row < end; ++row) {
      const Text number = DecimalText(row + 1);
      batch.Add({number, "\xB5\xE7\xD3\xB0 Movie " + DecimalText((row * 7919) % 100003) + " part " + number + ".mkv",  // 电影
                 DecimalText(row % 1000) + "." + DecimalText(row % 10) + " MB", "magnet:?xt=urn:btih:" + number});
    }
    if (!app.window.超级列表框1.AppendRows(batch)) return 1;
  }
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"export-benchmark.csv";
  PumpMessagesFor(200);
  const double bytesBefore = PrivateBytes(ProcessMemory());
  double start = 0, peak = 0, noticeAt = 0, silenceEndedAt = 0;
  DWORD longestSilence = 0;
  bool written = false;
  {
    ExportWatch watch(app.window.window.handle);
    start = Now();
    written = ExportList(app, path, ExportFormat::Csv);
    watch.stop = true;
    PumpUntilSignalled(watch.thread);
    peak = watch.peakBytes;
    noticeAt = watch.noticeAt;
    longestSilence = watch.longestSilence;
    silenceEndedAt = watch.silenceEndedAt;
  }
  const double bytesAfter = PrivateBytes(ProcessMemory());
  WIN32_FILE_ATTRIBUTE_DATA file = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
  DeleteFileW(path.c_str());
  std::printf("saving %d rows as CSV (%.1f MB): %s in %.2f s (target under 5 s); the window's longest silence"
              " %lu ms, ending %.2f s in (target under 100 ms); private bytes before %.1f MB, peak %.1f MB (+%.2f MB), after %.1f MB\n",
              kRows, double(file.nFileSizeLow + (unsigned long long)file.nFileSizeHigh * 4294967296ull) / 1048576.0,
              written ? "written" : "FAILED", noticeAt - start, (unsigned long)longestSilence,
              silenceEndedAt - start, bytesBefore / 1048576.0,
              peak / 1048576.0, (peak - bytesBefore) / 1048576.0, bytesAfter / 1048576.0);
  ResetAppState();
  return written ? 0 : 1;
}

int main(int argumentCount, char** arguments) {
  if (argumentCount > 1 && std::strcmp(arguments[1], "sorting") == 0) {
    PrintSortingFigures();
    return 0;
  }
  if (argumentCount > 1 && std::strcmp(arguments[1], "export") == 0) return PrintExportFigures();
  const int rounds = argumentCount > 1 ? std::max(1, std::atoi(arguments[1])) : 5;
  const int large = argumentCount > 2 ? std::atoi(arguments[2]) : 1;
  constexpr int kLargeCount = int(sizeof kLargeSearches / sizeof kLargeSearches[0]);
  const bool largeSearchAsked = large >= 1 && large <= kLargeCount;
  if (FAILED(OleInitialize(nullptr))) return 1;
  BenchmarkSite site;
  if (!site.Start(largeSearchAsked ? kLargeSearches[large - 1].keyword : nullptr)) {
    std::fprintf(stderr, "the demo site did not start\n");
    return 1;
  }
  app.search.siteHost = site.Host();
  app.search.workerBody = SearchRun;
  if (!CreateAppWindow(app)) return 1;
  mainWindowProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      app.window.window.handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedMainWindowProcedure)));
  const PROCESS_MEMORY_COUNTERS_EX startMemory = ProcessMemory();

  // Every page the search requests, the empty one after the last included.
  std::vector<Text> paths, urls;
  for (int page = 1; page <= kRatioPages + 1; ++page) {
    paths.push_back("/ma/" + Text(kRatioKeyword) + "/time-" + DecimalText(page) + ".html");
    urls.push_back(site.Url(paths.back()));
  }
  const WinHttpApi& winHttp = SystemWinHttp();
  const BareTarget target = site.Target();
  auto bareFetch = [&](const Text& path) { return BareRequest(winHttp, target, TextToUtf16(path).c_str()); };
  auto webRequestFetch = [&](const Text& path) { return WebRequest(site.Url(path)).size(); };

  // Once of each first, so that binding, start-up and the first answers are not timed.
  std::vector<Text> pageTexts;
  for (const Text& url : urls) pageTexts.push_back(WebRequest(url));
  FetchFigures warmBare;
  TimedFetches(paths, warmBare, bareFetch);
  const SearchFigures warmSearch = TimedSearch(kRatioKeyword);
  if (warmSearch.rows != kRatioPages * kRatioEntries || warmBare.bytes == 0) {
    std::fprintf(stderr, "the warm-up went wrong: %d rows, %u bytes\n", warmSearch.rows, unsigned(warmBare.bytes));
    return 1;
  }
  messageKinds.clear();

  SearchFigures search, builtInSearch;
  FetchFigures bare, webRequest;
  double matchingSeconds = 0, decodingSeconds = 0, serverSearchCpu = 0, serverBareCpu = 0;
  int matches = 0;
  // The loops take turns in a rotating order, so that load from other
  // processes falls on all of them alike.
  for (int round = 0; round < rounds; ++round) {
    for (int turn = 0; turn < 4; ++turn) {
      const double serverCpu = site.CpuSeconds();
      switch ((turn + round) % 4) {
        case 0:
          search.Add(TimedSearch(kRatioKeyword));
          serverSearchCpu += site.CpuSeconds() - serverCpu;
          break;
        case 3:
          // The same search with the engine left out: the built-in finder's matches and groups.
          app.search.resultMatcher = ResultMatcher::BuiltIn;
          builtInSearch.Add(TimedSearch(kRatioKeyword));
          app.search.resultMatcher = ResultMatcher::EngineFirst;
          break;
        case 1:
          TimedFetches(paths, bare, bareFetch);
          serverBareCpu += site.CpuSeconds() - serverCpu;
          break;
        default:
          TimedFetches(paths, webRequest, webRequestFetch);
      }
    }
    matchingSeconds += TimedMatching(pageTexts, matches);
    decodingSeconds += TimedDecoding(pageTexts);
  }
  const int requests = rounds * (kRatioPages + 1);
  const double perSearch = search.seconds / rounds;
  std::printf("search %s (%d pages of %d entries, and the empty page after them), %d rounds\n", kRatioKeyword,
              kRatioPages, kRatioEntries, rounds);
  std::printf("  search run, live window:    %8.1f ms a search  %6.2f ms a page  (%d rows a search)\n",
              1000 * perSearch, 1000 * search.seconds / requests, search.rows / rounds);
  std::printf("  bare WinHttp loop:          %8.1f ms a loop    %6.2f ms a page  (slowest page %.1f ms)\n",
              1000 * bare.seconds / rounds, 1000 * bare.seconds / requests, 1000 * bare.slowest);
  std::printf("  search / bare fetch loop:   %8.2f   (target at most 1.5)\n", search.seconds / bare.seconds);
  std::printf("  search run, without the engine (built-in matcher): %8.1f ms a search  (%d rows a search; %.2f of "
              "the search with the engine)\n",
              1000 * builtInSearch.seconds / rounds, builtInSearch.rows / rounds, builtInSearch.seconds / search.seconds);
  std::printf("where a search's time goes, per search:\n");
  std::printf("  WebRequest alone, the same pages:     %8.1f ms  (%.2f of the bare loop; slowest page %.1f ms)\n",
              1000 * webRequest.seconds / rounds, webRequest.seconds / bare.seconds, 1000 * webRequest.slowest);
  std::printf("    of which its charset check:          %8.1f ms\n", 1000 * decodingSeconds / rounds);
  std::printf("  the pattern and three groups a match: %8.1f ms  (%d matches)\n", 1000 * matchingSeconds / rounds,
              matches / rounds);
  std::printf("  search / (WebRequest + pattern):      %8.2f   (target at most 1.15)\n",
              search.seconds / (webRequest.seconds + matchingSeconds));
  const double rest = search.seconds - webRequest.seconds - matchingSeconds;
  std::printf("  the rest: rows and their round trips: %8.1f ms  (%.3f ms a row)\n", 1000 * rest / rounds,
              1000 * rest / search.rows);
  std::printf("  UI thread busy:                       %8.1f ms  (%.3f ms a row; CPU %.3f ms a row)\n",
              1000 * search.uiBusySeconds / rounds, 1000 * search.uiBusySeconds / search.rows,
              1000 * search.uiCpuSeconds / search.rows);
  std::printf("    of which the worker's operations:   %8.1f ms  (%.3f ms a row, %.1f operations a row)\n",
              1000 * search.uiOperationSeconds / rounds, 1000 * search.uiOperationSeconds / search.rows,
              double(search.operations) / search.rows);
  std::printf("    the longest handling of one operation message: %.1f ms\n", 1000 * search.longestHandling);
  std::printf("    by the kind of message handled (the searches of every round):\n");
  PrintMessageKinds(search.rows);
  std::printf("  the rest beyond the UI thread's work:  %8.1f ms  (%.3f ms a row: the hand-overs between the threads)\n",
              1000 * (rest - search.uiBusySeconds) / rounds, 1000 * (rest - search.uiBusySeconds) / search.rows);
  if (serverSearchCpu >= 0 && serverBareCpu >= 0)
    std::printf("  demo server CPU a page: %.2f ms in the search, %.2f ms in the bare loop\n",
                1000 * serverSearchCpu / requests, 1000 * serverBareCpu / requests);

  PrintSortingFigures();
  PrintSortedSearchFigures(rounds);

  if (!largeSearchAsked) {
    ResetAppState();
    OleUninitialize();
    return 0;
  }

  const LargeSearch& largeOne = kLargeSearches[large - 1];
  // The many rows, while another thread posts a stamped message to a window of
  // the UI thread every few milliseconds.
  WNDCLASSW probeClass = {};
  probeClass.lpfnWndProc = ProbeProcedure;
  probeClass.hInstance = GetModuleHandleW(nullptr);
  probeClass.lpszClassName = L"SearchBenchmarkProbe";
  RegisterClassW(&probeClass);
  Prober prober{CreateWindowExW(0, probeClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                probeClass.hInstance, nullptr),
                0};
  probeSamples.reserve(200000);
  operationLog.spans.reserve(200000);
  operationLog.keepSpans = true;
  const PROCESS_MEMORY_COUNTERS_EX beforeMemory = ProcessMemory();
  KernelHandle poster(CreateThread(nullptr, 0, PostProbes, &prober, 0, nullptr));
  const SearchFigures largeSearch = TimedSearch(largeOne.keyword);
  InterlockedExchange(&prober.stop, 1);
  WaitForSingleObject(poster.Get(), INFINITE);
  PumpMessagesFor(50);  // the last samples
  const PROCESS_MEMORY_COUNTERS_EX afterMemory = ProcessMemory();

  std::printf("search %s: %d rows in %.1f s\n", largeOne.keyword, largeSearch.rows, largeSearch.seconds);
  std::printf("  UI thread busy %.3f ms a row, of which the worker's operations %.3f ms a row"
              " (the longest handling of one operation message %.1f ms)\n",
              1000 * largeSearch.uiBusySeconds / largeSearch.rows, 1000 * largeSearch.uiOperationSeconds / largeSearch.rows,
              1000 * largeSearch.longestHandling);
  PrintMessageKinds(largeSearch.rows);
  std::printf("process memory:\n");
  PrintMemory("with the window open", startMemory);
  PrintMemory("before the rows", beforeMemory);
  PrintMemory("after them", afterMemory);
  std::printf("  growth a row: working set %.0f bytes, private bytes %.0f bytes; peak working set %.1f MB\n",
              (double(afterMemory.WorkingSetSize) - double(beforeMemory.WorkingSetSize)) / largeSearch.rows,
              (PrivateBytes(afterMemory) - PrivateBytes(beforeMemory)) / largeSearch.rows,
              afterMemory.PeakWorkingSetSize / 1048576.0);
  std::printf("  the list's row store: %.0f bytes a row (target at most 400)\n",
              double(app.window.超级列表框1.rows.BytesHeld()) / largeSearch.rows);
  PrintTorrentSetFigures(app.window.超级列表框1.rows, largeSearch.seconds);
  std::vector<double> all, whileAdding;
  for (const ProbeSample& sample : probeSamples) {
    all.push_back(sample.latency);
    if (PostedWhileAddingRows(operationLog.spans, sample.posted)) whileAdding.push_back(sample.latency);
  }
  std::printf("answer to a message posted every %u ms to a window of the UI thread (target 16 ms at the 99th):\n",
              unsigned(kProbeIntervalMilliseconds));
  PrintLatencies("during the whole search:", all);
  PrintLatencies("posted while rows were being added:", whileAdding);

  DestroyWindow(prober.probe);
  ResetAppState();
  OleUninitialize();
  const bool complete = largeSearch.rows == largeOne.rows && search.rows == rounds * kRatioPages * kRatioEntries &&
                        builtInSearch.rows == search.rows;
  if (!complete) std::fprintf(stderr, "a search did not list every row\n");
  return complete ? 0 : 1;
}
