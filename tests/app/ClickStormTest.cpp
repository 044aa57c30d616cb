// Thousands of seeded random clicks on 搜索_按钮, 停止_按钮 and 全选框, and
// window closes, at random moments of real searches against the demo site.
//
// In this process: the real handlers and search run in a live main window;
// after every click the controls must show a state of the Idle, Running and
// Paused table (and the transition the click makes), and after each run the
// handle, GDI, USER and thread counts must come back to the baseline taken
// after a warm-up run (lazily made one-time objects exist by then).
// In child processes: the same program code with its own message loop, where
// a close must end the process with exit code 0.
//
// SEEDSEARCH_STORM_SEED replays a storm's sequence of clicks and pauses (the
// moments the worker reaches stay the system's); SEEDSEARCH_STORM_RUNS,
// _ACTIONS, _CHILDREN and _CHILD_CLICKS make it longer.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/DemoSite.h"
#include "tests/app/ProcessCounters.h"
#include "tests/ui/WindowTestSupport.h"
#include "text/CodePage936.h"
#include "ui/MainWindow.h"
#include "web/WebRequest.h"

namespace {

const Text kStart = "\xBF\xAA\xCA\xBC";  // 开始
const Text kClose = "\xB9\xD8\xB1\xD5";  // 关闭
const Text kStop = "\xCD\xA3\xD6\xB9";   // 停止
const Text kGoOn = "\xBC\xCC\xD0\xF8";   // 继续

// The slow and fast pages of the demo site, with the rows a run lists.
struct Keyword {
  const wchar_t* text;
  int rows;
};
const Keyword kKeywords[] = {
    {L"slow", 15},          // 3 pages of 5, pages 2 and 3 two seconds late
    {L"ubuntu", 36},        // 3 pages of 12 at once
    {L"bench-40x60", 2400}, // many rows: the run spends its time holding the list lock
    {L"no-such-keyword", 0}, // ends by itself at once
};

// For failure messages, which gtest prints as UTF-8.
std::string Utf8Of(const std::wstring& wide) {
  std::string utf8(wide.size() * 3 + 1, '\0');
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), &utf8[0], int(utf8.size()), nullptr,
                                   nullptr);
  utf8.resize(length > 0 ? size_t(length) : 0);
  return utf8;
}
std::string Utf8Of(const Text& text) { return Utf8Of(TextToUtf16(text)); }

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

unsigned StormSeed() {
  const char* value = std::getenv("SEEDSEARCH_STORM_SEED");
  if (value && *value) return unsigned(std::strtoul(value, nullptr, 10));
  return unsigned(GetTickCount() ^ (GetCurrentProcessId() << 16));
}

// A moment: mostly at once or a few milliseconds, now and then a long wait.
int RandomMoment(std::mt19937& random) {
  unsigned kind = random() % 10;
  if (kind < 6) return int(random() % 3);
  if (kind < 9) return int(random() % 25);
  return 40 + int(random() % 200);
}

// Ends the process when the UI thread stops making progress: a deadlock shows
// as a failure with the seed instead of a hang.
class Watchdog {
 public:
  explicit Watchdog(unsigned seed) : seed(seed) {
    thread = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
  }
  ~Watchdog() {
    SetEvent(done);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(done);
  }
  void Beat(const char* doing) {
    InterlockedIncrement(&beats);
    last = doing;
  }

 private:
  static DWORD WINAPI Watch(LPVOID parameter) {
    Watchdog& watchdog = *static_cast<Watchdog*>(parameter);
    LONG seen = -1;
    while (WaitForSingleObject(watchdog.done, 30000) == WAIT_TIMEOUT) {
      LONG now = InterlockedCompareExchange(&watchdog.beats, 0, 0);
      if (now == seen) {
        std::fprintf(stderr, "click storm: no progress for 30 s after %s (seed %u)\n", watchdog.last,
                     watchdog.seed);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 99);
      }
      seen = now;
    }
    return 0;
  }
  unsigned seed;
  volatile LONG beats = 0;
  const char* volatile last = "start";
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
};

enum class State { Idle, Running, Paused, Outside };
const char* NameOf(State state) {
  switch (state) {
    case State::Idle: return "Idle";
    case State::Running: return "Running";
    case State::Paused: return "Paused";
    default: return "outside the table";
  }
}

struct Observation {
  State state = State::Outside;
  std::string detail;  // what was seen
};

bool WorkerAlive() {
  return app.search.workerThread && WaitForSingleObject(app.search.workerThread.Get(), 0) == WAIT_TIMEOUT;
}

// The state the controls show, from the values they keep and from their windows.
Observation Observe() {
  Observation seen;
  const Text search = app.window.搜索_按钮.GetCaption();
  const Text stop = app.window.停止_按钮.GetCaption();
  const Timer& timer = app.window.记时间;
  const bool alive = WorkerAlive();
  seen.detail = "search '" + Utf8Of(search) + "' stop '" + Utf8Of(stop) + "' timer " +
                std::to_string(timer.interval) + (timer.running ? " on" : " off") + " worker " +
                (alive ? "alive" : "none or finished");
  if (WindowTextOf(app.window.搜索_按钮.handle) != TextToUtf16(search) ||
      WindowTextOf(app.window.停止_按钮.handle) != TextToUtf16(stop)) {
    seen.detail += "; a caption shown differs from the one kept";
    return seen;
  }
  for (HWND control : {app.window.搜索_按钮.handle, app.window.停止_按钮.handle, app.window.全选框.handle,
                       app.window.编辑框1.handle, app.window.超级列表框1.handle})
    if (!IsWindowEnabled(control)) {
      seen.detail += "; a control is disabled";
      return seen;
    }
  if (timer.running != (timer.interval > 0)) return seen;
  if (search == kStart && stop == kStop && timer.interval == 0 && !alive) seen.state = State::Idle;
  if (search == kClose && stop == kStop && timer.interval == 1000 && alive) seen.state = State::Running;
  if (search == kClose && stop == kGoOn && timer.interval == 0 && alive) seen.state = State::Paused;
  return seen;
}

// Waits out the moment between two of a worker's own operations (its run
// ending sets 开始, then the timer) and its thread's exit.
Observation Settled() {
  Observation seen = Observe();
  PumpUntil([&] { return (seen = Observe()).state != State::Outside; }, 3000);
  return seen;
}

ListView& List() { return app.window.超级列表框1; }

// The rows are one run's, numbered 1, 2, 3... (the last one may be unfinished
// when the run was ended between its cells).
std::string NumberingFault() {
  const int rows = List().RowCount();
  for (int row = 0; row + 1 < rows; ++row)
    if (List().GetCellText(row, ResultColumn::Number) != DecimalText(row + 1) ||
        List().GetCellText(row, ResultColumn::Address).empty())
      return "row " + std::to_string(row) + " numbered '" + Utf8Of(List().GetCellText(row, ResultColumn::Number)) +
             "' of " + std::to_string(rows);
  return std::string();
}

class ClickStorm : public ::testing::Test {
 protected:
  void SetUp() override {
    // Unbuffered, so that what led up to a watchdog's end is not lost.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("click storm seed %u (SEEDSEARCH_STORM_SEED=%u replays it)\n", seed, seed);
    ASSERT_TRUE(site.Start());
    app.search.siteHost = site.Host();
  }

  unsigned seed = StormSeed();
  std::mt19937 random{seed};
  DemoSite site;
};

// --- In this process ---

class InProcessStorm : public ClickStorm {
 protected:
  void SetUp() override {
    ClickStorm::SetUp();
    app.search.workerBody = SearchRun;
    ASSERT_TRUE(CreateAppWindow(app));
  }
  void TearDown() override {
    if (Observe().state != State::Idle) SendClick(app.window.搜索_按钮.handle);
    // Ended workers leave at their next check; the lock must outlive them.
    PumpUntil([&] { return CurrentCounters().threads <= baselineThreads; }, 20000);
    ResetAppState();
    app.search.workerThread.Reset();
    app.search.searchKeyword.clear();
  }

  void Click(HWND control) { SendMessageW(control, BM_CLICK, 0, 0); }
  void Type(const Keyword& keyword) {
    SetWindowTextW(app.window.编辑框1.handle, keyword.text);
    typed = &keyword;
  }

  // A search of a fast keyword to its end, a paused and resumed slow one and
  // a select-all, so that what is made once exists before the baseline.
  void WarmUp() {
    Type(kKeywords[1]);
    Click(app.window.搜索_按钮.handle);
    ASSERT_TRUE(PumpUntil([] { return Observe().state == State::Idle; }, 30000));
    Click(app.window.全选框.handle);
    Click(app.window.全选框.handle);
    Type(kKeywords[0]);
    Click(app.window.搜索_按钮.handle);
    PumpMessagesFor(300);
    Click(app.window.停止_按钮.handle);
    PumpMessagesFor(100);
    Click(app.window.停止_按钮.handle);
    PumpMessagesFor(100);
    Click(app.window.搜索_按钮.handle);
    PumpMessagesFor(3000);  // the ended worker's page comes back and it leaves
    EndWithARunThatEndsByItself();
  }

  // Idle, holding what the last search leaves until the next one: its
  // finished worker's handle and the record of its run.
  void EndWithARunThatEndsByItself() {
    Type(kKeywords[3]);
    Click(app.window.搜索_按钮.handle);
    runUntouched = false;
    ASSERT_TRUE(PumpUntil([] { return Observe().state == State::Idle; }, 10000));
    lastState = State::Outside;
  }

  // The state a click on that control must lead to from `before`.
  static State Expected(HWND control, State before) {
    if (control == app.window.搜索_按钮.handle) return before == State::Idle ? State::Running : State::Idle;
    if (control == app.window.停止_按钮.handle) {
      if (before == State::Running) return State::Paused;
      if (before == State::Paused) return State::Running;
    }
    return before;
  }

  // One random action at a random moment; false after a fault was recorded.
  bool Act(Watchdog& watchdog) {
    const unsigned pick = random() % 20;
    if (pick >= 18) {
      Type(kKeywords[random() % (sizeof kKeywords / sizeof kKeywords[0])]);
      runUntouched = false;  // the next page is of the new keyword
    } else {
      HWND control = pick < 7 ? app.window.搜索_按钮.handle
                   : pick < 14 ? app.window.停止_按钮.handle
                               : app.window.全选框.handle;
      watchdog.Beat(control == app.window.搜索_按钮.handle ? "a click on 搜索_按钮"
                    : control == app.window.停止_按钮.handle ? "a click on 停止_按钮"
                                                             : "a click on 全选框");
      const Observation before = Settled();
      if (!Check(before, "before a click")) return false;
      Click(control);
      ++clicks;
      const Observation after = Observe();
      const State expected = Expected(control, before.state);
      EXPECT_EQ(NameOf(after.state), std::string(NameOf(expected)))
          << "a click from " << NameOf(before.state) << "; " << after.detail << " (seed " << seed << ")";
      if (after.state != expected) return false;
      if (control == app.window.全选框.handle && !AllRowsChecked(app.window.全选框.IsChecked())) return false;
      if (before.state == State::Idle && after.state == State::Running) {
        runUntouched = true;
        runKeyword = typed;
        EXPECT_EQ(List().RowCount(), 0) << "a new search empties the list (seed " << seed << ")";
      }
      if (before.state != State::Idle && after.state == State::Idle) runUntouched = false;  // ended by the click
      if (!Check(after, "after a click")) return false;
    }
    watchdog.Beat("a moment's wait");
    PumpMessagesFor(RandomMoment(random));
    return !HasFailure();
  }

  bool AllRowsChecked(bool checked) {
    const int rows = List().RowCount();
    for (int row = 0; row < rows; ++row)
      if (List().GetRowCheck(row) != (checked ? 1 : 0)) {
        ADD_FAILURE() << "全选框 left row " << row << " of " << rows << " as " << List().GetRowCheck(row)
                      << " (seed " << seed << ")";
        return false;
      }
    return true;
  }

  // A state must be in the table. Entering Idle, the rows are one run's,
  // numbered from 1, and a run that ended by itself undisturbed listed
  // exactly its keyword's rows; while Idle the rows stay put.
  bool Check(const Observation& seen, const char* when) {
    EXPECT_NE(seen.state, State::Outside) << when << ": " << seen.detail << " (seed " << seed << ")";
    if (seen.state == State::Outside) return false;
    if (seen.state == State::Idle && lastState != State::Idle) {
      if (runUntouched && runKeyword) {
        EXPECT_EQ(List().RowCount(), runKeyword->rows) << "a run of " << Utf8Of(std::wstring(runKeyword->text))
                                                        << " that ended by itself (seed " << seed << ")";
        // Without a match, part 3 keeps the count of the run before.
        if (runKeyword->rows > 0) {
          EXPECT_EQ(app.window.状态条.parts[3].text, "together " + DecimalText(runKeyword->rows) + " results");
        }
        ++completedRuns;
      }
      runUntouched = false;
      idleRows = List().RowCount();
      EXPECT_EQ(NumberingFault(), "") << "seed " << seed;
    } else if (seen.state == State::Idle) {
      EXPECT_EQ(List().RowCount(), idleRows) << "a row was listed while Idle (seed " << seed << ")";
    }
    if (seen.state == State::Paused && lastState == State::Paused) {
      EXPECT_EQ(List().RowCount(), pausedRows) << "a row was listed while Paused (seed " << seed << ")";
    }
    if (seen.state == State::Paused) pausedRows = List().RowCount();
    lastState = seen.state;
    return !HasFailure();
  }

  // Back to Idle and every ended worker gone: the counts are at the baseline.
  void EndStormRun(int run) {
    if (Settled().state != State::Idle) {
      Click(app.window.搜索_按钮.handle);
      runUntouched = false;
    }
    ASSERT_TRUE(Check(Settled(), "at the end of a run"));
    EndWithARunThatEndsByItself();
    ProcessCounters now = CurrentCounters();
    PumpUntil([&] { return NoneAbove(now = CurrentCounters(), baseline); }, 20000);
    std::printf("run %d: %d clicks so far; %s (baseline %s)\n", run, clicks, Describe(now).c_str(),
                Describe(baseline).c_str());
    if (run == 1 && !NoneAbove(now, baseline)) {
      // What the storm's paths make once (a scroll bar's first drawing, say)
      // may first appear in its first run: from then on nothing may grow.
      baseline = now;
      baselineTypes = HandleTypes();
      std::printf("baseline after run 1: %s\n", Describe(baseline).c_str());
      return;
    }
    EXPECT_TRUE(NoneAbove(now, baseline)) << Describe(now) << " after run " << run << ", baseline "
                                          << Describe(baseline) << " (seed " << seed << ")\nhandles now: "
                                          << HandleTypes() << "\nat the baseline: " << baselineTypes;
  }

  ProcessCounters baseline;
  std::string baselineTypes;
  DWORD baselineThreads = 1000;
  int clicks = 0;
  int completedRuns = 0;
  const Keyword* typed = nullptr;
  const Keyword* runKeyword = nullptr;
  bool runUntouched = false;
  State lastState = State::Outside;  // not yet seen
  int idleRows = 0;
  int pausedRows = 0;
};

TEST_F(InProcessStorm, EveryClickLeadsToAStateOfTheTableAndEachRunGivesBackWhatItTook) {
  const int runs = Setting("SEEDSEARCH_STORM_RUNS", 3);
  const int actions = Setting("SEEDSEARCH_STORM_ACTIONS", 400);
  Watchdog watchdog(seed);
  WarmUp();
  ASSERT_FALSE(HasFailure());
  baseline = CurrentCounters();
  baselineThreads = baseline.threads;
  baselineTypes = HandleTypes();
  std::printf("baseline after the warm-up run: %s\n", Describe(baseline).c_str());
  // On a loaded machine the default storm gives up its later runs rather than
  // run into the suite's time limit; a storm with a number of runs set does all.
  const bool timeBound = !std::getenv("SEEDSEARCH_STORM_RUNS");
  const DWORD started = GetTickCount();
  int runsDone = 0;
  for (int run = 1; run <= runs; ++run) {
    if (timeBound && run > 2 && GetTickCount() - started > 90000) break;
    ++runsDone;
    Type(kKeywords[random() % (sizeof kKeywords / sizeof kKeywords[0])]);
    for (int action = 0; action < actions; ++action)
      if (!Act(watchdog)) return;
    watchdog.Beat("the end of a run");
    EndStormRun(run);
    if (HasFailure()) return;
  }
  std::printf("%d runs, %d clicks, %d searches ended by themselves undisturbed\n", runsDone, clicks, completedRuns);
  // WinHttp closes the sockets of kept-alive connections 30 to 35 s after their last use.
  ProcessCounters now = CurrentCounters();
  PumpUntil(
      [&] {
        watchdog.Beat("waiting for WinHttp's sockets");
        return (now = CurrentCounters()).sockets == 0;
      },
      45000);
  std::printf("once WinHttp has closed its kept-alive connections: %s\n", Describe(now).c_str());
  EXPECT_EQ(now.sockets, 0u) << "seed " << seed;
  EXPECT_TRUE(NoneAbove(now, baseline)) << Describe(now) << ", baseline " << Describe(baseline);
  // No request went out with a keyword read after its run had ended.
  const Text log = WebRequest(site.Url("/__log"));
  EXPECT_EQ(FindText(log, "/ma//"), -1) << "seed " << seed;
}

// --- In child processes ---

std::wstring TextOf(HWND control) {
  wchar_t buffer[64] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                           &copied))
    return L"(no answer in 5 s)";
  return buffer;
}

class ChildStorm : public ClickStorm {};

TEST_F(ChildStorm, AClosedWindowEndsTheProcessWithExitCodeZeroWhateverTheSearchIsDoing) {
  const int children = Setting("SEEDSEARCH_STORM_CHILDREN", 5);
  const int clicksEach = Setting("SEEDSEARCH_STORM_CHILD_CLICKS", 60);
  const std::wstring start = L"\u5F00\u59CB", close = L"\u5173\u95ED", stop = L"\u505C\u6B62",
                     goOn = L"\u7EE7\u7EED";  // 开始 关闭 停止 继续
  int clicks = 0;
  for (int child = 1; child <= children; ++child) {
    HANDLE process = StartChildScenario(("search-run=" + site.Host()).c_str());
    ASSERT_NE(process, nullptr);
    HWND window = WaitForProcessWindow(GetProcessId(process), kMainWindowClass, nullptr, 15000);
    ASSERT_NE(window, nullptr);
    HWND buttons[] = {GetDlgItem(window, int(ControlId::搜索_按钮)), GetDlgItem(window, int(ControlId::停止_按钮)),
                      GetDlgItem(window, int(ControlId::全选框))};
    HWND box = GetDlgItem(window, int(ControlId::编辑框1));
    for (int click = 0; click < clicksEach; ++click) {
      if (random() % 8 == 0) {
        const wchar_t* keyword = kKeywords[random() % (sizeof kKeywords / sizeof kKeywords[0])].text;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(keyword), SMTO_ABORTIFHUNG, 5000,
                            &ignored);
      }
      PostMessageW(buttons[random() % 3], BM_CLICK, 0, 0);
      ++clicks;
      Sleep(DWORD(RandomMoment(random)));
      std::wstring search, pause;
      const bool inTable = PumpUntil(
          [&] {
            search = TextOf(buttons[0]);
            pause = TextOf(buttons[1]);
            return (search == start && pause == stop) || (search == close && (pause == stop || pause == goOn));
          },
          3000);
      EXPECT_TRUE(inTable) << "child " << child << " shows " << Utf8Of(search) << " / "
                           << Utf8Of(pause) << " (seed " << seed << ")";
      for (HWND control : buttons) EXPECT_TRUE(IsWindowEnabled(control));
      if (!inTable) break;
    }
    // The title bar's close, or a plain WM_CLOSE.
    if (random() % 2)
      PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
      PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD code = WaitForExitCode(process, 10000);
    EXPECT_EQ(code, 0u) << "child " << child << " (seed " << seed << ")";
    if (code == STILL_ACTIVE) TerminateProcess(process, 1);
    CloseHandle(process);
    if (HasFailure()) return;
  }
  std::printf("%d child runs, %d clicks, each closed with exit code 0\n", children, clicks);
}

}  // namespace
