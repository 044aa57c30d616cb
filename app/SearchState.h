#pragma once
// The seed search's program-wide record and the row it lists.
#include <optional>

#include "text/Text.h"
#include "ui/WorkerChannel.h"
#include "system/Holders.h"

// The four cells of a row of 超级列表框1.
struct ResultRow {
  Text number;           // column 0, 序号
  Text fileName;         // column 1
  Text sizeText;         // column 2
  Text downloadAddress;  // column 3: no title, zero width
};

struct SearchState {
  int elapsedSeconds = 0;    // ticks of 记时间 since the last click on 搜索_按钮 (UI thread only)
  Text searchKeyword;        // 编辑框1 when the last search started; the worker only reads it
  KernelHandle workerThread; // the worker of the last search, if any
  int pageNumber = 0;        // the worker's own
  int rowNumber = 0;         // the worker's own
  Text siteHost = SEARCH_SITE_HOST;  // host[:port] of the search site; tests point it elsewhere
  // Held by the worker around the rows of one page; lives while the window does.
  std::optional<CriticalSection> resultListLock;
  // What each search's worker runs: the search run, handed in at start-up.
  WorkerBody workerBody = nullptr;
};

extern SearchState searchState;
