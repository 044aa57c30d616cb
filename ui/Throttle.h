#pragma once
// "Redraw at most every so often, and once more after the last call": one
// action whose timer is on one window. The throttle decides and keeps the
// timer; its owner acts when a call says so and when the timer comes (the
// window's WM_TIMER, or the timer procedure), and says so with Acted.
#include <windows.h>

struct Throttle {
  UINT_PTR timer = 0;        // its id (system/WindowMessages.h)
  UINT delay = 0;            // milliseconds
  bool firstAtOnce = false;  // a call a whole delay after the last action acts at once
  bool pending = false;      // the action waits for the timer
  DWORD due = 0;             // GetTickCount() when the pending action comes
  DWORD actedAt = 0;         // GetTickCount() of the last action
  HWND window = nullptr;     // the pending timer's
  TIMERPROC procedure = nullptr;

  // True when the owner is to act now: the first call a whole delay after
  // the last action (firstAtOnce), or a timer that could not be set.
  // Otherwise the action comes by the timer on `window` (with `procedure`,
  // or as its WM_TIMER) after the delay, or what is left of it since the last
  // action (firstAtOnce). A pending action keeps its time.
  [[nodiscard]] bool Call(HWND owner, TIMERPROC timerProcedure = nullptr);
  // The same once with another delay (rows out of sight wait longer).
  [[nodiscard]] bool CallAfter(UINT wait, HWND owner, TIMERPROC timerProcedure = nullptr);
  // A pending action due later than `wait` (the delay) from now comes then
  // instead; true when the owner is to act now (the timer could not be set again).
  [[nodiscard]] bool Hasten() { return HastenTo(delay); }
  [[nodiscard]] bool HastenTo(UINT wait);
  // The owner has acted: no action is pending.
  void Acted();
  // What is pending is dropped.
  void Cancel();
};
