#include "ui/WindowTimer.h"

ThrottleTimer WindowTimer(HWND window, UINT_PTR id, TIMERPROC procedure) {
  return {
      [] { return uint32_t(GetTickCount()); },
      [=](uint32_t wait) { return SetTimer(window, id, wait, procedure) != 0; },
      [=] { KillTimer(window, id); },
  };
}
