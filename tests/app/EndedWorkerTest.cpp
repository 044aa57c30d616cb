// A worker whose run was ended before its thread got going (a stop and a new
// start clicked quickly) must leave the current run alone when it does.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/DemoSite.h"
#include "tests/app/SearchDriving.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

TEST(EndedWorker, ThatGetsGoingLateLeavesTheNumbersOfTheCurrentRunAlone) {
  DemoSite site;
  ASSERT_TRUE(site.Start());
  app.search.siteHost = site.Host();
  app.search.workerBody = SearchRun;
  ASSERT_TRUE(CreateAppWindow(app));
  ListView& list = app.window.超级列表框1;

  // The earlier run, ended while its thread is held before its first line.
  auto body = [](void* record) { SearchRun(*static_cast<SearchRunRecord*>(record)); };
  auto release = [](void* record) { delete static_cast<SearchRunRecord*>(record); };
  auto* record = new SearchRunRecord;
  record->app = &app;
  record->keyword = "slow";
  record->siteHost = app.search.siteHost;
  record->inputs = &app.searchInputs;
  WorkerRun* earlier = BeginWorkerRun(app.window.channel, app.window.window.handle, body, record, release);
  HANDLE lateThread = CreateThread(nullptr, 0, WorkerThreadProcedure, earlier, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(lateThread, nullptr);
  EndCurrentRun(app.window.channel);

  // The current run: page 1 of "slow" at once, pages 2 and 3 two seconds late.
  TypeAndSearch(L"slow");
  const KernelHandle current = CopyOfCurrentWorker();
  ASSERT_TRUE(PumpUntil([&] { return list.RowCount() == 5; }, 10000));
  ResumeThread(lateThread);
  EXPECT_TRUE(PumpUntilSignalled(lateThread, 10000));
  EXPECT_TRUE(PumpUntilSignalled(current.Get(), 30000));

  ASSERT_EQ(list.RowCount(), 15);  // 3 pages of 5, each page once
  for (int row = 0; row < 15; ++row)
    EXPECT_EQ(list.GetCellText(row, ResultColumn::Number), DecimalText(row + 1)) << row;
  EXPECT_EQ(list.GetCellText(5, ResultColumn::FileName), "slow page 2 entry 1.zip");
  CloseHandle(lateThread);
  ResetAppState();
}

}  // namespace
