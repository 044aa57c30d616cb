// Rows as they stream from a long search into the list: a pause, a stop or a
// new search mid-page leaves the numbering without a gap and nothing of the
// run comes after it; a run at the list's row limit ends with its rows.
#include <gtest/gtest.h>

#include "app/RunDisplay.h"
#include "app/SearchState.h"
#include "tests/app/SearchRunTestSupport.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"

namespace {

constexpr wchar_t kLongSearch[] = L"bench-6x800";  // 6 pages of 800 entries
constexpr int kLongSearchRows = 4800;

ListView& List() { return app.window.超级列表框1; }
const Text& CountText() { return app.window.状态条.parts[3].text; }
Text CountOf(int rows) { return "together " + DecimalText(rows) + " results"; }

// Numbered 1, 2, 3 ... with no gap, and counted in part 3.
void ExpectNumberedAndCounted() {
  const int rows = List().RowCount();
  for (int row = 0; row < rows; ++row) {
    if (List().GetCellText(row, ResultColumn::Number) != DecimalText(row + 1)) {
      ADD_FAILURE() << "row " << row << " is numbered " << List().GetCellText(row, ResultColumn::Number);
      return;
    }
  }
  EXPECT_EQ(CountText(), CountOf(rows));
}

// Nothing of the run follows for a while: no row, no status text, no request.
void ExpectNothingMore(const DemoSite& site) {
  const int rows = List().RowCount();
  const Text count = CountText();
  const size_t requests = site.RequestedPaths().size();
  PumpMessagesFor(600);
  EXPECT_EQ(List().RowCount(), rows);
  EXPECT_EQ(CountText(), count);
  EXPECT_EQ(site.RequestedPaths().size(), requests);
}

bool RowsArrive() {
  return PumpUntil([] { return List().RowCount() > 0; }, 30000);
}

TEST_F(SearchRunTest, APauseMidSearchHoldsEveryRowAndTheRunGoesOnWithoutAGap) {
  StartSearch(kLongSearch);
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(RowsArrive());
  SendClick(app.window.停止_按钮.handle);
  ExpectNumberedAndCounted();
  ExpectNothingMore(site);
  EXPECT_LT(List().RowCount(), kLongSearchRows);

  SendClick(app.window.停止_按钮.handle);
  ASSERT_TRUE(PumpUntilEnded(worker));
  EXPECT_EQ(List().RowCount(), kLongSearchRows);
  ExpectNumberedAndCounted();
  EXPECT_EQ(List().GetCellText(kLongSearchRows - 1, ResultColumn::Address),
            SplitText(site.Rows("bench-6x800").back(), "\t")[2]);
}

TEST_F(SearchRunTest, AStopMidSearchKeepsTheRowsNumberedAndAddsNothingAfterIt) {
  StartSearch(kLongSearch);
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(RowsArrive());
  SendClick(app.window.搜索_按钮.handle);
  ExpectNumberedAndCounted();
  ExpectNothingMore(site);
  EXPECT_TRUE(PumpUntilEnded(worker));
  ExpectNumberedAndCounted();
}

TEST_F(SearchRunTest, ANewSearchMidPageListsOnlyItsOwnRows) {
  StartSearch(kLongSearch);
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(RowsArrive());
  SendClick(app.window.搜索_按钮.handle);  // 关闭
  SetWindowTextW(app.window.编辑框1.handle, L"ubuntu");
  SendClick(app.window.搜索_按钮.handle);  // 开始
  ASSERT_TRUE(PumpUntilEnded(CurrentWorker()));
  EXPECT_TRUE(PumpUntilEnded(worker));
  ExpectListed(site.Rows("ubuntu"));
}

TEST_F(SearchRunTest, ARunAtTheRowLimitEndsWithItsRowsAndSaysWhy) {
  app.search.rowLimit = 1000;
  StartSearch(kLongSearch);
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntil([] { return app.search.phase == SearchPhase::Idle; }, 30000));
  EXPECT_TRUE(PumpUntilEnded(worker));
  EXPECT_EQ(List().RowCount(), 1000);
  ExpectNumberedAndCounted();
  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "开始");
  EXPECT_EQ(app.window.记时间.interval, 0);
  const Text notice = "已达1000条结果上限, 搜索已停止";
  EXPECT_EQ(app.window.window.title, Text(kMainWindowTitle) + " - " + notice);
  EXPECT_EQ(app.window.状态条.parts[3].tipText, notice);
  // Page 2 reached the limit before page 3 was asked for.
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/bench-6x800/time-1.html", "/ma/bench-6x800/time-2.html"}));

  // The next search starts without the notice.
  SearchUntilEnd(L"ubuntu");
  EXPECT_EQ(app.window.window.title, kMainWindowTitle);
  EXPECT_EQ(app.window.状态条.parts[3].tipText, "");
}

TEST_F(SearchRunTest, AStoreThatIsRefusedMemoryEndsTheRunWithItsRowsAndSaysWhy) {
  // A row page and one text block, with either size of pointer, but never a
  // second block: about 2,000 of these rows.
  List().rows.SetByteLimit(480 * 1024);
  StartSearch(kLongSearch);
  KernelHandle worker = CurrentWorker();
  ASSERT_TRUE(PumpUntil([] { return app.search.phase == SearchPhase::Idle; }, 30000));
  EXPECT_TRUE(PumpUntilEnded(worker));
  const int rows = List().RowCount();
  EXPECT_GT(rows, 800);
  EXPECT_LT(rows, kLongSearchRows);
  ExpectNumberedAndCounted();
  EXPECT_EQ(app.window.状态条.parts[3].tipText, "内存不足, 搜索已停止");
  ExpectNothingMore(site);
}

}  // namespace
