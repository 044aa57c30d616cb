// The Idle, Running and Paused machine of the search controls, with worker
// bodies that really run on their own thread and call control operations.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/ProgramStart.h"
#include "app/SearchControls.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "app/SearchWorker.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

const Text kStart = "\xBF\xAA\xCA\xBC";   // 开始
const Text kClose = "\xB9\xD8\xB1\xD5";   // 关闭
const Text kStop = "\xCD\xA3\xD6\xB9";    // 停止
const Text kGoOn = "\xBC\xCC\xD0\xF8";    // 继续
const Text kChinese = "\xD6\xD0\xCE\xC4";  // 中文

ListView& List() { return app.window.超级列表框1; }
const Text& PartText(int index) { return app.window.状态条.parts[index].text; }

// Lists a numbered row and its count every few milliseconds until ended.
void ListUntilEnded(SearchRunRecord&) {
  while (WorkerShouldGoOn()) {
    int row = List().AppendRow();
    List().SetCellText(row, ResultColumn::Number, DecimalText(row + 1));
    app.window.状态条.SetPartText(3, "together " + DecimalText(row + 1) + " results");
    Sleep(5);
  }
}

// A run that ends by itself after three rows, as at a page without entries.
void ListThreeRowsAndEnd(SearchRunRecord& run) {
  for (int row = 0; row < 3 && WorkerShouldGoOn(); ++row)
    List().SetCellText(List().AppendRow(), ResultColumn::Number, "x");
  FinishSearchRun(run);
}

class SearchControls : public ::testing::Test {
 protected:
  void SetUp() override {
    app.search.workerBody = ListUntilEnded;
    ASSERT_TRUE(CreateAppWindow(app));
  }
  void TearDown() override {
    HANDLE thread = WorkerThreadCopy();
    EndWorker(app);
    if (thread) {
      EXPECT_TRUE(PumpUntilSignalled(thread));
      CloseHandle(thread);
    }
    ResetAppState();
    app.search.elapsedSeconds = 0;
    app.search.searchKeyword.clear();
  }
  static HANDLE WorkerThreadCopy() {
    HANDLE copy = nullptr;
    if (app.search.workerThread)
      DuplicateHandle(GetCurrentProcess(), app.search.workerThread.Get(), GetCurrentProcess(), &copy, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    return copy;
  }
  static void ClickSearch() { SendClick(app.window.搜索_按钮.handle); }
  static void ClickStop() { SendClick(app.window.停止_按钮.handle); }
  static void ExpectState(const Text& search, const Text& stop, int interval) {
    EXPECT_EQ(app.window.搜索_按钮.GetCaption(), search);
    EXPECT_EQ(app.window.停止_按钮.GetCaption(), stop);
    EXPECT_EQ(app.window.记时间.interval, interval);
    EXPECT_EQ(app.window.记时间.running, interval > 0);
  }
  static bool RowsReach(int count) {
    return PumpUntil([&] { return List().RowCount() >= count; });
  }
  // The row count stays put while messages are dispatched for a while.
  static void ExpectNoMoreRows() {
    int rows = List().RowCount();
    Text count = PartText(3);
    PumpMessagesFor(300);
    EXPECT_EQ(List().RowCount(), rows);
    EXPECT_EQ(PartText(3), count);
  }
};

TEST_F(SearchControls, CreationSetsTheTitle) {
  EXPECT_EQ(app.window.window.title, "SeedSearch \xD6\xD6\xD7\xD3\xCB\xD1\xCB\xF7");  // 种子搜索
  ExpectState(kStart, kStop, 0);
}

TEST_F(SearchControls, IdleSearchClickEmptiesTheListTakesTheKeywordAndStartsAWorker) {
  ASSERT_EQ(List().AppendRow(), 0);
  app.window.状态条.SetPartText(3, "together 7 results");
  SetWindowTextW(app.window.编辑框1.handle, L"\u4E2D\u6587");  // 中文
  app.search.elapsedSeconds = 9;
  ClickSearch();
  ExpectState(kClose, kStop, 1000);
  EXPECT_EQ(List().RowCount(), 0);
  EXPECT_EQ(app.search.searchKeyword, kChinese);
  EXPECT_EQ(app.search.elapsedSeconds, 0);
  EXPECT_TRUE(app.search.workerThread);
  EXPECT_EQ(PartText(3), "together 7 results");  // until the new run counts its first row
  ASSERT_TRUE(RowsReach(3));
  EXPECT_EQ(List().GetCellText(0, ResultColumn::Number), "1");
}

TEST_F(SearchControls, RunningSearchClickEndsTheRunAndKeepsItsRows) {
  ClickSearch();
  ASSERT_TRUE(RowsReach(3));
  HANDLE thread = WorkerThreadCopy();
  ClickSearch();
  ExpectState(kStart, kStop, 0);
  EXPECT_GE(List().RowCount(), 3);
  EXPECT_EQ(app.search.elapsedSeconds, 0);
  ExpectNoMoreRows();
  EXPECT_TRUE(PumpUntilSignalled(thread));
  CloseHandle(thread);
}

TEST_F(SearchControls, StopClickPausesAndResumesTheSameRun) {
  ClickSearch();
  ASSERT_TRUE(RowsReach(2));
  ClickStop();
  ExpectState(kClose, kGoOn, 0);
  ExpectNoMoreRows();
  int rows = List().RowCount();
  ClickStop();
  ExpectState(kClose, kStop, 1000);
  ASSERT_TRUE(RowsReach(rows + 3));
  // The same run went on: its numbers follow on without a gap.
  EXPECT_EQ(List().GetCellText(rows, ResultColumn::Number), DecimalText(rows + 1));
}

TEST_F(SearchControls, PausedSearchClickEndsThePausedRunKeepsItsRowsAndResetsThePauseButton) {
  ClickSearch();
  ASSERT_TRUE(RowsReach(2));
  ClickStop();
  PumpMessagesFor(50);
  int rows = List().RowCount();
  HANDLE thread = WorkerThreadCopy();
  ClickSearch();
  ExpectState(kStart, kStop, 0);
  EXPECT_EQ(List().RowCount(), rows);
  ExpectNoMoreRows();
  EXPECT_TRUE(PumpUntilSignalled(thread));
  CloseHandle(thread);
}

TEST_F(SearchControls, IdleStopClickChangesNothing) {
  ClickStop();
  ExpectState(kStart, kStop, 0);
  EXPECT_FALSE(app.search.workerThread);
  EXPECT_EQ(WindowTextOf(app.window.停止_按钮.handle), L"\u505C\u6B62");  // 停止
}

TEST_F(SearchControls, ARunThatEndsByItselfReturnsToIdle) {
  app.search.workerBody = ListThreeRowsAndEnd;
  ClickSearch();
  HANDLE thread = WorkerThreadCopy();
  ASSERT_TRUE(PumpUntilSignalled(thread));  // its last operations done
  CloseHandle(thread);
  ExpectState(kStart, kStop, 0);
  EXPECT_EQ(List().RowCount(), 3);
  // And a new search starts from there with an empty list.
  app.search.workerBody = ListUntilEnded;
  ClickSearch();
  ExpectState(kClose, kStop, 1000);
  EXPECT_EQ(List().RowCount(), 0);
}

TEST_F(SearchControls, EachTickShowsTheElapsedSeconds) {
  ClickSearch();
  SendMessageW(app.window.window.handle, WM_TIMER, 1000, 0);
  SendMessageW(app.window.window.handle, WM_TIMER, 1000, 0);
  EXPECT_EQ(app.search.elapsedSeconds, 2);
  EXPECT_EQ(PartText(2), "It took 2 when");
  wchar_t shown[64] = {};
  SendMessageW(app.window.状态条.handle, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(shown));
  EXPECT_STREQ(shown, L"It took 2 when");
  // A stop resets the count but the text keeps the last value until the next tick.
  ClickSearch();
  EXPECT_EQ(app.search.elapsedSeconds, 0);
  EXPECT_EQ(PartText(2), "It took 2 when");
}

TEST_F(SearchControls, PausedTimeIsNotCounted) {
  ClickSearch();
  ASSERT_TRUE(PumpUntil([] { return app.search.elapsedSeconds >= 1; }, 3000));
  ClickStop();
  int counted = app.search.elapsedSeconds;
  PumpMessagesFor(1500);
  EXPECT_EQ(app.search.elapsedSeconds, counted);
  EXPECT_EQ(PartText(2), "It took " + DecimalText(counted) + " when");
  ClickStop();
  ASSERT_TRUE(PumpUntil([&] { return app.search.elapsedSeconds == counted + 1; }, 3000));
  EXPECT_EQ(PartText(2), "It took " + DecimalText(counted + 1) + " when");
}

}  // namespace
