#pragma once
// The program's one hard-failure path: a box captioned "错误" that names the
// error, then the orderly end with exit code -1. Callable from any thread.
#include <cstddef>

enum FatalErrorCode : int {
  kNoErrorCode = 0,
  kIndexAboveSize = 1,
  kIndexBelowOne = 4,
  kTypeMismatch = 5,
  kStackCorrupted = 6,
};

// The fixed message of codes 1 to 11, or "" for any other code.
const char* FatalErrorMessage(int code);

// The box's text: "运行时出错!", then the code and the message when present.
// Uses no heap, so that it works when the heap itself has failed; the text is
// cut to `capacity` bytes including its terminating zero.
void FormatFatalErrorText(int code, const char* message, char* buffer, size_t capacity);

[[noreturn]] void FatalError(int code, const char* message);
[[noreturn]] inline void FatalError(int code) { FatalError(code, FatalErrorMessage(code)); }

// True once a report has begun; from then on no control event reaches a handler.
bool FatalErrorBegun();

// Called once on the UI thread at start-up. A report raised on another thread
// is handed to this thread, which shows the box and runs `orderlyEnd` (end the
// run, destroy the windows, uninitialise COM, give back the libraries bound by
// name when nothing may still use them) before the process exits. Without it
// a report is shown and ended on the thread that raised it.
void InitialiseFatalErrorReport(void (*orderlyEnd)());
