#pragma once
// The seed search's record, and the program's state that owns it.
#include "app/ResultSpans.h"
#include "app/SearchInputs.h"
#include "text/Text.h"
#include "system/Holders.h"
#include "ui/MainWindow.h"
#include "ui/Throttle.h"

// The search controls' machine; the captions and the timer follow from it.
//   Idle:    搜索_按钮 "开始", 停止_按钮 "停止", 记时间 off, no worker (or it finished)
//   Running: 搜索_按钮 "关闭", 停止_按钮 "停止", 记时间 1000 ms, worker running
//   Paused:  搜索_按钮 "关闭", 停止_按钮 "继续", 记时间 off, worker held
enum class SearchPhase { Idle, Running, Paused };

struct SearchRunRecord;
// What each search's worker runs (the search run, or a test's body).
using SearchBody = void (*)(SearchRunRecord& run);

// Most rows one search lists: past them the run ends, the rows kept.
constexpr int kMostListedRows = 5000000;

struct SearchState {
  SearchPhase phase = SearchPhase::Idle;
  int elapsedSeconds = 0;    // ticks of 记时间 since the last click on 搜索_按钮
  Text searchKeyword;        // 编辑框1 when the last search started
  KernelHandle workerThread; // the worker of the last search, if any
  // An ended worker that may still be inside a request; the next worker
  // waits for it, so that no more than this one lingers.
  KernelHandle lingeringWorker;
  Text siteHost = SEARCH_SITE_HOST;  // host[:port] of the search site; tests point it elsewhere
  SearchBody workerBody = nullptr;   // handed in at start-up
  int rowLimit = kMostListedRows;    // tests set a small one
  // Entries of the last search left out as torrents it had listed already.
  int repeatsLeftOut = 0;
  ResultMatcher resultMatcher = ResultMatcher::EngineFirst;  // the benchmark sets both
  // Part 3 of 状态条 follows the list's row count: at most one write every
  // 100 ms, the first at once, by a timer of the main window (pending: behind
  // the count). Bound to the window once it exists (AttachResultCount).
  Throttle resultCount;
};

// Everything the program keeps, in one place: UI thread only. The worker
// reaches the controls solely through their operations.
struct AppState {
  MainWindow window;
  SearchState search;
  // Outlives every search and every reset: an ended worker may still read it.
  SearchInputs searchInputs;
  bool oleInitialised = false;
  // A list export is writing (app/ListExport.h): it holds the list's order
  // and part 3 of 状态条, and no search starts meanwhile.
  bool exporting = false;
};

extern AppState app;

// The state the main window `window` hands its handlers (CreateAppWindow):
// how its timer procedures reach it.
[[nodiscard]] AppState& AppStateOf(HWND window);

// A fresh state for the next test: the window destroyed, its worker ended.
void ResetAppState();
