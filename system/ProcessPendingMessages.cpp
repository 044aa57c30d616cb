#include "system/ProcessPendingMessages.h"

#include <windows.h>

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
    // Take exactly the message that was looked at, so a quit message posted
    // meanwhile by another thread is not swallowed.
    UINT next = message.message;
    if (!PeekMessageW(&message, nullptr, next, next, PM_REMOVE)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}
