#pragma once
// Every window message of the program's own, counted from WM_APP, and every
// timer id, by the window its timer is set on.
#include <windows.h>

// A fatal report raised on another thread, handed to the UI thread (lParam: the text).
constexpr UINT kFatalErrorHandOverMessage = WM_APP + 1;
// The worker has queued control operations for the UI thread to carry out.
constexpr UINT kWorkerOperationMessage = WM_APP + 2;

// The main window's: 记时间, the elapsed seconds (the same number as its control id).
constexpr UINT_PTR kElapsedTimeTimer = 1000;
// The main window's: part 3 of 状态条 brought up to the list's row count.
constexpr UINT_PTR kResultCountTimer = 2000;
// The main window's: looks for a lingering worker that has left.
constexpr UINT_PTR kLingeringWorkerTimer = 2001;
// 超级列表框1's: the view's row count brought up to its store's.
constexpr UINT_PTR kRowCountTimer = 1;
