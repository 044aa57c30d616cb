#pragma once
// 编辑框1 and 精确框 as the UI thread last saw them. The worker reads them
// for each page from here instead of asking the UI thread, which may be busy
// drawing: no page waits for it. The UI thread writes them whenever either
// control changes and when a search starts.
#include "system/Holders.h"
#include "text/Text.h"

struct SearchInputs {
  CriticalSection lock;
  Text keyword;        // 编辑框1
  bool exact = false;  // 精确框
};

struct SearchInputsSeen {
  Text keyword;
  bool exact = false;
};

// Either may be called on any thread.
void WriteSearchInputs(SearchInputs& inputs, Text keyword, bool exact);
[[nodiscard]] SearchInputsSeen ReadSearchInputs(SearchInputs& inputs);
