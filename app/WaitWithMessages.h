#pragma once
// Waiting without blocking the window: the thread's messages are dispatched
// while the time runs.

// The unit of a wait's amount, as its milliseconds.
enum class WaitUnit : long long {
  Milliseconds = 1,
  Seconds = 1000,
  Minutes = 60000,
  Hours = 3600000,
};

void WaitWithMessages(int amount, WaitUnit unit = WaitUnit::Milliseconds);
