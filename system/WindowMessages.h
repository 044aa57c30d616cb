#pragma once
// Every window message of the program's own, counted from WM_APP.
#include <windows.h>

// A fatal report raised on another thread, handed to the UI thread (lParam: the text).
constexpr UINT kFatalErrorHandOverMessage = WM_APP + 1;
// The worker has queued control operations for the UI thread to carry out.
constexpr UINT kWorkerOperationMessage = WM_APP + 2;
