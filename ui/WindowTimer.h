#pragma once
// A throttle's clock and timer on a window: GetTickCount, and the timer `id`
// of `window`, coming as its WM_TIMER or to `procedure`.
#include <windows.h>

#include "ui/Throttle.h"

[[nodiscard]] ThrottleTimer WindowTimer(HWND window, UINT_PTR id, TIMERPROC procedure = nullptr);
