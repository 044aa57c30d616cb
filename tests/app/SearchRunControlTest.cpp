// The user at work while a search runs against the demo site: editing the
// keyword, pausing, stopping and starting again while a slow page is fetched
// (the site answers pages 2 and 3 of "slow" only after a delay).
#include <gtest/gtest.h>

#include "app/SearchState.h"
#include "tests/app/ProcessCounters.h"
#include "tests/app/SearchRunTestSupport.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

constexpr char kSlowPage2[] = "/ma/slow/time-2.html";

void ExpectIdle() {
  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "开始");
  EXPECT_EQ(app.window.停止_按钮.GetCaption(), "停止");
  EXPECT_EQ(app.window.记时间.interval, 0);
}

TEST_F(SearchRunTest, EditingTheKeywordMidRunChangesOnlyTheLaterPages) {
  StartSearch(L"slow");
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilRequested(kSlowPage2));
  SetWindowTextW(app.window.编辑框1.handle, L"ubuntu");
  ASSERT_TRUE(PumpUntilEnded(worker));

  TextList rows = RowRange(site.Rows("slow"), 0, 10);  // pages 1 and 2, asked for before the edit
  const TextList ubuntu = site.Rows("ubuntu");
  rows.insert(rows.end(), ubuntu.begin() + 24, ubuntu.end());  // page 3 of 12
  ExpectListed(rows);
  EXPECT_EQ(app.search.searchKeyword, "slow");
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/slow/time-1.html", kSlowPage2, "/ma/ubuntu/time-3.html",
                                             "/ma/ubuntu/time-4.html"}));
}

TEST_F(SearchRunTest, APauseDuringASlowPageHoldsTheRunUntilResumed) {
  StartSearch(L"slow");
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilRequested(kSlowPage2));
  SendClick(app.window.停止_按钮.handle);
  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "关闭");
  EXPECT_EQ(app.window.停止_按钮.GetCaption(), "继续");
  EXPECT_EQ(app.window.记时间.interval, 0);

  // Long enough for the slow page to have been answered: a run that went on
  // would have listed it and asked for page 3 by now.
  PumpMessagesFor((kSlowDelaySeconds + 2) * 1000);
  const TextList rows = site.Rows("slow");
  ExpectListed(RowRange(rows, 0, 5));
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/slow/time-1.html", kSlowPage2}));
  EXPECT_EQ(WaitForSingleObject(worker.Get(), 0), DWORD(WAIT_TIMEOUT));

  SendClick(app.window.停止_按钮.handle);
  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "关闭");
  EXPECT_EQ(app.window.停止_按钮.GetCaption(), "停止");
  EXPECT_EQ(app.window.记时间.interval, 1000);
  ASSERT_TRUE(PumpUntilEnded(worker));
  ExpectListed(rows);
  ExpectIdle();
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/slow/time-1.html", kSlowPage2, "/ma/slow/time-3.html",
                                             "/ma/slow/time-4.html"}));
}

TEST_F(SearchRunTest, AStopMidRunKeepsTheRowsAndRequestsNothingMore) {
  StartSearch(L"slow");
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilRequested(kSlowPage2));
  SendClick(app.window.搜索_按钮.handle);
  ExpectIdle();
  ASSERT_TRUE(PumpUntilEnded(worker));  // once page 2 has been answered

  ExpectListed(RowRange(site.Rows("slow"), 0, 5));
  ExpectIdle();
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/slow/time-1.html", kSlowPage2}));
}

TEST_F(SearchRunTest, AStopWhilePausedEndsTheHeldRunWithItsRows) {
  StartSearch(L"slow");
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntilRequested(kSlowPage2));
  SendClick(app.window.停止_按钮.handle);
  SendClick(app.window.搜索_按钮.handle);
  ExpectIdle();
  ASSERT_TRUE(PumpUntilEnded(worker));

  ExpectListed(RowRange(site.Rows("slow"), 0, 5));
  ExpectIdle();
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/slow/time-1.html", kSlowPage2}));
}

TEST_F(SearchRunTest, AStopRightAfterTheStartRequestsNothing) {
  // No message is dispatched between the clicks, so the worker cannot have
  // read 编辑框1 for its first page.
  StartSearch(L"ubuntu");
  KernelHandle worker = CurrentWorker();
  SendClick(app.window.搜索_按钮.handle);
  ASSERT_TRUE(PumpUntilEnded(worker));

  ExpectListed({});
  ExpectIdle();
  EXPECT_EQ(site.RequestedPaths(), TextList{});
}

TEST_F(SearchRunTest, ANewStartWhileTheLastRunFetchesASlowPageListsOnlyTheNewRun) {
  StartSearch(L"slow");
  KernelHandle oldWorker = CurrentWorker();
  ASSERT_TRUE(PumpUntilRequested(kSlowPage2));
  SendClick(app.window.搜索_按钮.handle);  // stop
  SendClick(app.window.搜索_按钮.handle);  // and start again, same keyword
  KernelHandle newWorker = CurrentWorker();
  // The old run's slow page is answered while the new run waits for its own.
  ASSERT_TRUE(PumpUntilEnded(oldWorker));
  ASSERT_TRUE(PumpUntilEnded(newWorker));
  // The finished run kept its record, but no handle of the worker it waited for.
  EXPECT_EQ(HandlesToObjectOf(oldWorker.Get()), 1u);

  ExpectListed(site.Rows("slow"));
  ExpectIdle();
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/slow/time-1.html", kSlowPage2, "/ma/slow/time-1.html",
                                             kSlowPage2, "/ma/slow/time-3.html", "/ma/slow/time-4.html"}));
}

}  // namespace
