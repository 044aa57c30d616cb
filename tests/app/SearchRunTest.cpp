// The search run of the real program against the demo site (demo/server.py)
// over HTTPS, in a live main window.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/ProgramStart.h"
#include "app/SearchRun.h"
#include "app/SearchState.h"
#include "tests/app/DemoSite.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/MainWindow.h"
#include "web/WebRequest.h"

namespace {

class SearchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site.Start());
    searchState.siteHost = site.Host();
    searchState.workerBody = SearchRun;
    ASSERT_TRUE(CreateMainWindow(mainWindow, MainWindowEventTable()));
  }
  void TearDown() override {
    DestroyMainWindow(mainWindow);
    searchState.resultListLock.reset();
  }
  // Starts a search for `keyword` and waits until its worker has ended.
  void SearchUntilEnd(const wchar_t* keyword) {
    SetWindowTextW(mainWindow.编辑框1.handle, keyword);
    SendClick(mainWindow.搜索_按钮.handle);
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), searchState.workerThread.Get(), GetCurrentProcess(), &thread,
                                0, FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_TRUE(PumpUntilSignalled(thread, 60000));
    CloseHandle(thread);
  }

  DemoSite site;
  // The list holds exactly the site's rows for `keyword` kept by `keep`, numbered from 1.
  template <typename Keep>
  void ExpectRows(const Text& keyword, size_t siteRows, Keep keep) {
    const TextList expected = SplitText(WebRequest(site.Url("/__expected/" + keyword)), "\n");
    ASSERT_EQ(expected.size(), siteRows);
    ListView& list = mainWindow.超级列表框1;
    int row = 0;
    for (const Text& line : expected) {
      const TextList cells = SplitText(line, "\t");
      ASSERT_EQ(cells.size(), 3u);
      if (!keep(cells[0])) continue;
      EXPECT_EQ(list.GetCellText(row, 0), DecimalText(row + 1));
      EXPECT_EQ(list.GetCellText(row, 1), cells[0]) << row;
      EXPECT_EQ(list.GetCellText(row, 2), cells[1]) << row;
      EXPECT_EQ(list.GetCellText(row, 3), cells[2]) << row;
      ++row;
    }
    EXPECT_EQ(list.RowCount(), row);
    EXPECT_EQ(mainWindow.状态条.parts[3].text, "together " + DecimalText(row) + " results");
  }
};

TEST_F(SearchRunTest, ListsEveryEntryInPageOrderAndEndsOnTheFirstEmptyPage) {
  SearchUntilEnd(L"ubuntu");
  ExpectRows("ubuntu", 36, [](const Text&) { return true; });  // 3 pages of 12

  EXPECT_EQ(mainWindow.状态条.parts[3].text, "together 36 results");
  EXPECT_EQ(mainWindow.搜索_按钮.GetCaption(), "开始");
  EXPECT_EQ(mainWindow.记时间.interval, 0);
  EXPECT_EQ(WebRequest(site.Url("/__log")),
            "/ma/ubuntu/time-1.html\n/ma/ubuntu/time-2.html\n/ma/ubuntu/time-3.html\n/ma/ubuntu/time-4.html\n");
}

TEST_F(SearchRunTest, TheExactFilterKeepsOnlyNamesHoldingTheKeywordAsTyped) {
  SendMessageW(mainWindow.精确框.handle, BM_SETCHECK, BST_CHECKED, 0);
  SearchUntilEnd(L"linux");
  ExpectRows("linux", 20, [](const Text& name) { return FindText(name, "linux") != -1; });
  EXPECT_EQ(mainWindow.超级列表框1.RowCount(), 8);  // 4 a page
}

TEST_F(SearchRunTest, AUtf8SiteIsListedDecoded) {
  SearchUntilEnd(L"music");
  ExpectRows("music", 12, [](const Text&) { return true; });
}

}  // namespace
