#pragma once
// Waiting without blocking the window: the thread's messages are dispatched
// while the time runs.

// unit 0: milliseconds, 1: seconds, 2: minutes, 3: hours; any other value is
// the number of milliseconds per amount.
void WaitWithMessages(int amount, int unit = 0);
