// A worker whose run was ended before its thread got going (a stop and a new
// start clicked quickly) must leave the current run alone when it does.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/DemoSite.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

TEST(EndedWorker, ThatGetsGoingLateLeavesTheNumbersOfTheCurrentRunAlone) {
  DemoSite site;
  ASSERT_TRUE(site.Start());
  searchState.siteHost = site.Host();
  searchState.workerBody = SearchRun;
  ASSERT_TRUE(CreateMainWindow(mainWindow, MainWindowEventTable()));
  ListView& list = mainWindow.超级列表框1;

  // The earlier run, ended while its thread is held before its first line.
  WorkerRun* earlier = BeginWorkerRun(mainWindow.window.handle, SearchRun);
  HANDLE lateThread = CreateThread(nullptr, 0, WorkerThreadProcedure, earlier, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(lateThread, nullptr);
  EndCurrentRun();

  // The current run: page 1 of "slow" at once, pages 2 and 3 two seconds late.
  SetWindowTextW(mainWindow.编辑框1.handle, L"slow");
  SendClick(mainWindow.搜索_按钮.handle);
  HANDLE current = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), searchState.workerThread.Get(), GetCurrentProcess(), &current, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() == 5; }, 10000));
  ResumeThread(lateThread);
  EXPECT_TRUE(PumpUntilSignalled(lateThread, 10000));
  EXPECT_TRUE(PumpUntilSignalled(current, 30000));

  ASSERT_EQ(list.RowCount(), 15);  // 3 pages of 5, each page once
  for (int row = 0; row < 15; ++row) EXPECT_EQ(list.GetCellText(row, 0), DecimalText(row + 1)) << row;
  EXPECT_EQ(list.GetCellText(5, 1), "slow page 2 entry 1.zip");
  CloseHandle(current);
  CloseHandle(lateThread);
  DestroyMainWindow(mainWindow);
  searchState.resultListLock.reset();
  searchState.workerThread.Reset();
}

}  // namespace
