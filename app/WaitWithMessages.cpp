#include "app/WaitWithMessages.h"

#include <windows.h>

#include "system/Holders.h"
#include "system/ProcessPendingMessages.h"
#include "system/SystemFunction.h"

namespace {

SystemFunction<decltype(&::CreateWaitableTimerA)> createWaitableTimer{"kernel32.dll", "CreateWaitableTimerA"};
SystemFunction<decltype(&::SetWaitableTimer)> setWaitableTimer{"kernel32.dll", "SetWaitableTimer"};

// QS_KEY, QS_MOUSEMOVE, QS_MOUSEBUTTON, QS_POSTMESSAGE, QS_TIMER, QS_PAINT,
// QS_SENDMESSAGE and QS_HOTKEY.
constexpr DWORD kWakeMask = 0xFF;

}  // namespace

void WaitWithMessages(int amount, WaitUnit unit) {
  KernelHandle timer{createWaitableTimer(nullptr, FALSE, nullptr)};
  if (!timer) return;
  LARGE_INTEGER dueTime;
  dueTime.QuadPart = -(amount * static_cast<long long>(unit) * 10000);
  if (!setWaitableTimer(timer.Get(), &dueTime, 0, nullptr, nullptr, FALSE)) return;
  HANDLE handles[] = {timer.Get()};
  for (;;) {
    DWORD result = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, kWakeMask);
    if (result == WAIT_OBJECT_0) break;
    // A wait that fails would fail again at once: give up rather than spin.
    if (result == WAIT_FAILED) break;
    ProcessPendingMessages();
  }
}
