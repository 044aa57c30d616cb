#pragma once
// The one way a search's run ends, whatever ends it.
#include "app/SearchState.h"

enum class RunEnding {
  Clicked,        // 搜索_按钮 while it shows "关闭"
  ListFull,       // the list at its row limit, or its memory refused
  Refused,        // the system refused the run its thread, events or messages
  Finished,       // the worker's last step: a page without entries, or a failed one
  WindowClosing,  // the program ends
};

// What each way does and shows (on the UI thread):
//   Clicked:  the worker ended; every row in the view and part 3's count at
//             once, for the user who asked to look at them; the controls Idle.
//   ListFull, Refused: the same, and the reason in the title and the
//             count's tooltip, for the user did not ask for this end.
//   Finished: the worker is not ended: it leaves by itself once this returns,
//             and an earlier worker that lingered and has left is let go. The
//             count at once, but the view's rows only within 45 ms, not while
//             the worker waits for this step (under Wine the view's new count
//             redraws the scroll bar, about 10 ms). The controls Idle, and the
//             reason of a failed page when there is one.
//   WindowClosing: the worker ended; nothing shown, the window goes.
// Every way but the last shows the run's end (ShowRunEnd): the title without
// a wait the run showed, and the repeats it left out.
void EndRun(AppState& app, RunEnding how, TextView reason = TextView());
