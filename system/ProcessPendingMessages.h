#pragma once
// Lets the calling thread handle the window messages waiting in its queue,
// without ever waiting: returns once the queue is empty or the quit message is
// next (the quit message stays queued for the thread's own loop).
void ProcessPendingMessages();
