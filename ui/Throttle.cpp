#include "ui/Throttle.h"

#include <utility>

Throttle::Throttle(uint32_t delay, bool firstAtOnce, ThrottleTimer timer, Callback callback)
    : delay(delay), firstAtOnce(firstAtOnce), timer(std::move(timer)), callback(std::move(callback)) {}

// Without a timer to give, the run comes at once rather than never.
void Throttle::SetFor(uint32_t wait) {
  if (!timer.set(wait)) {
    Run(ThrottleRun::Now);
    return;
  }
  pending = true;
  due = timer.now() + wait;
}

void Throttle::CallAfter(uint32_t wait) {
  if (pending) return;
  const uint32_t since = timer.now() - ranAt;
  if (firstAtOnce && (!hasRun || since >= wait)) {
    Run(ThrottleRun::Now);
    return;
  }
  SetFor(firstAtOnce ? wait - since : wait);
}

void Throttle::HastenTo(uint32_t wait) {
  if (!pending || int32_t(due - timer.now()) <= int32_t(wait)) return;
  SetFor(wait);  // the same timer, restarted
}

void Throttle::Flush() {
  if (pending) Run(ThrottleRun::Now);
}

void Throttle::TimerCame() {
  if (pending) Run(ThrottleRun::Timer);
}

void Throttle::Cancel() {
  if (pending) timer.kill();
  pending = false;
}

// The state is settled before the callback runs: it may call again.
void Throttle::Run(ThrottleRun run) {
  Cancel();
  hasRun = true;
  ranAt = timer.now();
  callback(run);
}
