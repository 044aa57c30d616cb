// Bytes on the way out and on the way in, in a live main window against the
// fault site: a keyword's double-byte characters reach the site whole (WinHttp
// sends them as UTF-8, percent-escaped) with "#" as %23, and a page whose
// declared charset the data stream cannot read keeps its text and its rows.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/SearchState.h"
#include "tests/app/FaultSiteSearch.h"
#include "ui/MainWindow.h"

namespace {

struct KeywordOnTheWire {
  const char* name;
  Text keyword;  // code page 936, as typed
  Text segment;  // the path segment the site must receive, byte for byte
};

class KeywordBytes : public FaultSiteSearch, public testing::WithParamInterface<KeywordOnTheWire> {};

TEST_P(KeywordBytes, ReachTheSiteAsWholeCharacters) {
  const KeywordOnTheWire sent = GetParam();
  ASSERT_TRUE(SearchUntilEnd(sent.keyword));
  // The site answers any keyword but its faults with three pages of entries.
  Text expectedLog;
  for (int page = 1; page <= 4; ++page) expectedLog += FaultPagePath(sent.segment, page) + "\n";
  EXPECT_EQ(FaultSiteLog(site), expectedLog);
  ExpectPagesListed(sent.segment, 3);
  ExpectReason("");
}

INSTANTIATE_TEST_SUITE_P(
    GbkKeywords, KeywordBytes,
    testing::Values(
        // 運動 is DF 5C 84 D3 in code page 936: the trail byte 5C is "\" and must not be escaped.
        KeywordOnTheWire{"YunDong", "\xDF\x5C\x84\xD3", "%E9%81%8B%E5%8B%95"},  // 運動: UTF-8 E9 81 8B E5 8B 95
        KeywordOnTheWire{"Cheng", "\xD5\x5C", "%E8%AA%A0"},                      // 誠: D5 5C, UTF-8 E8 AA A0
        KeywordOnTheWire{"Mixed", "a\xDF\x5C#b", "a%E9%81%8B%23b"}),             // a運#b
    [](const testing::TestParamInfo<KeywordOnTheWire>& info) { return std::string(info.param.name); });

TEST_F(FaultSiteSearch, APageInACharsetTheStreamCannotReadKeepsItsTextAndItsRows) {
  // Page 3 declares "x-no-such-charset" and is written in code page 936.
  ASSERT_TRUE(SearchUntilEnd("charset.3"));
  ExpectPagesListed("charset.3", 4);
  EXPECT_EQ(app.window.超级列表框1.GetCellText(10, ResultColumn::FileName), "字符集 2 号页面 条目 1.iso");
  ExpectIdle();
  ExpectReason("");
}

}  // namespace
