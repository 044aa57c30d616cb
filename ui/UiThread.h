#pragma once
// Carries a control operation to the thread that owns the control's window.
#include <windows.h>

#include "ui/WorkerChannel.h"

// Runs `operation` at once on the window's own thread, or through the calling
// worker's run otherwise; false when it was dropped and did not run.
template <typename Operation>
[[nodiscard]] bool RunOnUiThread(HWND window, Operation& operation) {
  if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    operation();
    return true;
  }
  // The worker waits for it: the closure may refer to the operation on its stack.
  return RunForWorker([&operation] { operation(); });
}
