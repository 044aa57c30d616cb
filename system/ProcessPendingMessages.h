#pragma once
// Lets the calling thread handle the window messages waiting in its queue,
// without ever waiting: returns once the queue is empty or the quit message is
// next (the quit message stays queued for the thread's own loop).
#include <windows.h>

void ProcessPendingMessages();

// What the program's message loops take before dispatching (window-level
// keys such as TAB): true when the message was taken. Set once at start-up;
// every nested loop that goes through ProcessPendingMessages applies it too.
using MessageFilter = bool (*)(const MSG& message);
void SetMessageFilter(MessageFilter filter);
