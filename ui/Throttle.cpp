#include "ui/Throttle.h"

namespace {

// False when the system has no timer to give.
bool SetFor(Throttle& throttle, UINT wait) {
  if (!SetTimer(throttle.window, throttle.timer, wait, throttle.procedure)) return false;
  throttle.pending = true;
  throttle.due = GetTickCount() + wait;
  return true;
}

}  // namespace

bool Throttle::Call(HWND owner, TIMERPROC timerProcedure) { return CallAfter(delay, owner, timerProcedure); }

bool Throttle::CallAfter(UINT wait, HWND owner, TIMERPROC timerProcedure) {
  if (pending) return false;
  const DWORD since = GetTickCount() - actedAt;
  if (firstAtOnce && since >= wait) return true;
  window = owner;
  procedure = timerProcedure;
  return !SetFor(*this, firstAtOnce ? UINT(wait - since) : wait);
}

bool Throttle::HastenTo(UINT wait) {
  if (!pending || LONG(due - GetTickCount()) <= LONG(wait)) return false;
  return !SetFor(*this, wait);  // the same timer, restarted
}

void Throttle::Acted() {
  Cancel();
  actedAt = GetTickCount();
}

void Throttle::Cancel() {
  if (pending) KillTimer(window, timer);
  pending = false;
}
