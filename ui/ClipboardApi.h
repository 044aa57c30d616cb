#pragma once
// The clipboard functions a write calls, as one table of pointers, so that a
// test can put a recording fake in the place of the system's.
#include <windows.h>

struct ClipboardApi {
  decltype(&::OpenClipboard) open;
  decltype(&::EmptyClipboard) empty;
  decltype(&::SetClipboardData) setData;
  decltype(&::CloseClipboard) close;
};

// The table the writes use: user32's functions unless a test put its own.
[[nodiscard]] const ClipboardApi& ClipboardFunctions();
// For tests: the writes use `api` from now on; null gives them user32's again.
void UseClipboardForTests(const ClipboardApi* api);
