// What the search run lists from the demo site over HTTPS, in a live main
// window: page order, the end, the exact filter and the page encodings.
#include <gtest/gtest.h>

#include "app/RunDisplay.h"
#include "app/SearchState.h"
#include "tests/app/SearchRunTestSupport.h"
#include "ui/MainWindow.h"

namespace {

TEST_F(SearchRunTest, ListsEveryEntryInPageOrderAndEndsOnTheFirstEmptyPage) {
  SearchUntilEnd(L"ubuntu");
  const TextList rows = site.Rows("ubuntu");
  ASSERT_EQ(rows.size(), 36u);  // 3 pages of 12
  ExpectListed(rows);

  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "开始");
  EXPECT_EQ(app.window.记时间.interval, 0);
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/ubuntu/time-1.html", "/ma/ubuntu/time-2.html",
                                             "/ma/ubuntu/time-3.html", "/ma/ubuntu/time-4.html"}));
}

TEST_F(SearchRunTest, TheExactFilterKeepsOnlyNamesHoldingTheKeywordAsTypedWhileChecked) {
  const TextList rows = site.Rows("linux");
  ASSERT_EQ(rows.size(), 20u);  // 2 pages of 10

  SendMessageW(app.window.精确框.handle, BM_SETCHECK, BST_CHECKED, 0);
  SearchUntilEnd(L"linux");
  const TextList kept = RowsWhoseName(rows, [](const Text& name) { return FindText(name, "linux") != -1; });
  EXPECT_EQ(kept.size(), 8u);  // 4 a page
  ExpectListed(kept);

  SendMessageW(app.window.精确框.handle, BM_SETCHECK, BST_UNCHECKED, 0);
  SearchUntilEnd(L"linux");
  ExpectListed(rows);
}

TEST_F(SearchRunTest, AnEmptyKeywordSearchesAnEmptySegmentAndTheFilterKeepsEveryNamedEntry) {
  const TextList rows = site.Rows("");
  ASSERT_EQ(rows.size(), 4u);
  SendMessageW(app.window.精确框.handle, BM_SETCHECK, BST_CHECKED, 0);
  SearchUntilEnd(L"");
  const TextList named = RowsWhoseName(rows, [](const Text& name) { return !name.empty(); });
  EXPECT_EQ(named.size(), 3u);  // the empty name holds no keyword, not even an empty one
  ExpectListed(named);
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma//time-1.html", "/ma//time-2.html"}));
}

TEST_F(SearchRunTest, AUtf8SiteIsListedDecoded) {
  SearchUntilEnd(L"music");
  const TextList rows = site.Rows("music");
  ASSERT_EQ(rows.size(), 12u);
  ExpectListed(rows);
}

TEST_F(SearchRunTest, AChineseKeywordOnAGbkSiteIsListedExactly) {
  SearchUntilEnd(L"\u7535\u5f71");  // 电影
  const TextList rows = site.Rows("电影");  // code page 936 bytes, as the program sends them
  ASSERT_EQ(rows.size(), 16u);  // 2 pages of 8
  ExpectListed(rows);
  const TextList paths = site.RequestedPaths();
  ASSERT_EQ(paths.size(), 3u);
  for (int page = 1; page <= 3; ++page) {
    const Text& path = paths[size_t(page - 1)];
    EXPECT_EQ(path.substr(0, 4), "/ma/") << path;
    EXPECT_EQ(path.substr(path.size() - 12), "/time-" + DecimalText(page) + ".html") << path;
  }
}

TEST_F(SearchRunTest, ACharsetDeclaredBeyondTheFirstKilobyteIsNotSeen) {
  SearchUntilEnd(L"late-charset");
  const TextList rows = site.Rows("late-charset");
  ASSERT_EQ(rows.size(), 4u);
  ExpectListed(rows);  // the names' Chinese would not survive a decode from utf-8
}

TEST_F(SearchRunTest, AFailedFetchIsAskedForTwiceMoreThenEndsTheRunSayingSoWithTheRowsSoFar) {
  SearchUntilEnd(L"broken");
  ExpectListed(RowRange(site.Rows("broken"), 0, 5));  // page 1; page 2 gets no answer
  EXPECT_EQ(app.window.搜索_按钮.GetCaption(), "开始");
  EXPECT_EQ(app.window.停止_按钮.GetCaption(), "停止");
  EXPECT_EQ(app.window.记时间.interval, 0);
  const Text page2 = "/ma/broken/time-2.html";
  EXPECT_EQ(site.RequestedPaths(), (TextList{"/ma/broken/time-1.html", page2, page2, page2}));
  const Text reason = app.window.状态条.parts[3].tipText;
  EXPECT_EQ(reason.rfind("第2页: 71", 0), 0u) << reason;  // the connection dropped: a send or receive failure
  EXPECT_EQ(app.window.window.title, Text(kMainWindowTitle) + " - " + reason);
}

}  // namespace
