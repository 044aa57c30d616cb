#pragma once
// "Run at most every so often, and once more after the last call", as a
// throttled function: the owner hands it its callback and its one timer, then
// only calls it. A call runs the callback at once when the interval has
// passed since the last run (firstAtOnce), or sets the timer to run it when it
// has; calls meanwhile come together in that one run, and a pending run can be
// had now (Flush). Platform-free: the clock and the timer reach it through
// ThrottleTimer (a window's, ui/WindowTimer.h), so tests drive it with fakes.
// Used on one thread; the callback may call the throttle again.
#include <cstdint>
#include <functional>

struct ThrottleTimer {
  std::function<uint32_t()> now;           // milliseconds, wrapping round (GetTickCount)
  std::function<bool(uint32_t wait)> set;  // (re)starts the one timer; false when the system has none to give
  std::function<void()> kill;
};

// Why the callback runs: its timer came, or it is wanted now (a flush, a run
// asked for, or a call whose timer could not be set).
enum class ThrottleRun { Timer, Now };

class Throttle {
 public:
  using Callback = std::function<void(ThrottleRun run)>;

  Throttle() = default;
  // `delay` in milliseconds; with `firstAtOnce`, a call a whole delay after
  // the last run (or before any) runs at once, and otherwise the timer takes
  // only what is left of the delay.
  Throttle(uint32_t delay, bool firstAtOnce, ThrottleTimer timer, Callback callback);

  void Call() { CallAfter(delay); }
  // The same once with another delay (rows out of sight wait longer). A
  // pending run keeps its time.
  void CallAfter(uint32_t wait);
  // A pending run due later than `wait` (the delay) from now comes then instead.
  void Hasten() { HastenTo(delay); }
  void HastenTo(uint32_t wait);
  // A pending run comes now.
  void Flush();
  // The callback runs now, whether a run was pending or not.
  void RunNow() { Run(ThrottleRun::Now); }
  // The owner hands on its timer's message (WM_TIMER, the timer procedure):
  // a pending run comes.
  void TimerCame();
  // What is pending is dropped.
  void Cancel();
  [[nodiscard]] bool Pending() const { return pending; }

 private:
  void SetFor(uint32_t wait);
  void Run(ThrottleRun run);

  uint32_t delay = 0;
  bool firstAtOnce = false;
  ThrottleTimer timer;
  Callback callback;
  bool pending = false;  // the run waits for the timer
  bool hasRun = false;
  uint32_t due = 0;    // timer.now() when the pending run comes
  uint32_t ranAt = 0;  // timer.now() of the last run
};
