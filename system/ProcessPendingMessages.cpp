#include "system/ProcessPendingMessages.h"

namespace {

MessageFilter messageFilter = nullptr;

}  // namespace

void SetMessageFilter(MessageFilter filter) { messageFilter = filter; }

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
    // Take exactly the message that was looked at, so a quit message posted
    // meanwhile by another thread is not swallowed.
    UINT next = message.message;
    if (!PeekMessageW(&message, nullptr, next, next, PM_REMOVE)) return;
    if (messageFilter && messageFilter(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}
