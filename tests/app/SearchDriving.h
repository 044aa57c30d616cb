#pragma once
// How the tests drive a search in the live main window, as the user does, for
// every fixture that runs one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/SearchState.h"
#include "system/Holders.h"
#include "tests/ui/WindowTestSupport.h"

// Types `keyword` into 编辑框1 and clicks 搜索_按钮.
inline void TypeAndSearch(const std::wstring& keyword) {
  SetWindowTextW(app.window.编辑框1.handle, keyword.c_str());
  SendClick(app.window.搜索_按钮.handle);
}

// A handle of the current worker of its own, which outlives the next click.
[[nodiscard]] inline KernelHandle CopyOfCurrentWorker() {
  HANDLE thread = nullptr;
  EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), app.search.workerThread.Get(), GetCurrentProcess(), &thread, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  return KernelHandle(thread);
}
