#pragma once
// Carries a control operation to the thread that owns the control's window.
#include <windows.h>

#include "ui/WorkerChannel.h"

template <typename Operation>
void PerformOperation(void* operation) {
  (*static_cast<Operation*>(operation))();
}

// Runs `operation` at once on the window's own thread, or through the calling
// worker's run otherwise; false when it was dropped and did not run.
template <typename Operation>
[[nodiscard]] bool RunOnUiThread(HWND window, Operation& operation) {
  if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    operation();
    return true;
  }
  return RunForWorker(&PerformOperation<Operation>, &operation);
}
