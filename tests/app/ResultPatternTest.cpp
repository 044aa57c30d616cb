#include "app/ResultPattern.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "system/Room.h"
#include "tests/automation/ResultPage.h"
#include "text/CodePage936.h"
#include "web/DecodePageText.h"

namespace {

bool TakeEntry(void* context, const Text* groups) {
  static_cast<std::vector<TextList>*>(context)->push_back({Text(EntryGroup(groups, ResultColumn::FileName)),
                                                           Text(EntryGroup(groups, ResultColumn::Size)),
                                                           Text(EntryGroup(groups, ResultColumn::Address))});
  return true;
}

// Every entry's file name, size and address, as ReadResultEntries hands them on.
std::vector<TextList> EntriesOf(PageEntries& matched) {
  std::vector<TextList> entries;
  ReadResultEntries(matched, TakeEntry, &entries);
  return entries;
}

TEST(ResultPattern, GroupsOneTwoAndFourteenBecomeTheRowsColumns) {
  PageEntries matched;
  const Text page = "<ul>\n" + ResultEntryMarkup("<b>ubuntu</b> ", "1.2 GB", "magnet:?xt=urn:btih:AB") +
                    ResultEntryMarkup("中 ", "", "magnet:?xt=urn:btih:CD") + "</ul>";
  ASSERT_EQ(MatchResultEntries(matched, page), 2);
  const std::vector<TextList> entries = EntriesOf(matched);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (TextList{"<b>ubuntu</b> ", "1.2 GB", "magnet:?xt=urn:btih:AB"}));
  EXPECT_EQ(entries[1], (TextList{"中 ", "", "magnet:?xt=urn:btih:CD"}));
}

TEST(ResultPattern, APageWhoseCopiesCannotBeGivenRoomSaysSoAndMatchesNothing) {
  Text page(100000, 'x');
  for (int entry = 0; entry < 20; ++entry) page += ResultEntryMarkup("中 ", "1 GB", "magnet:?" + DecimalText(entry));
  PageEntries matched;
  bool noRoom = false;
  LimitRoomForTests(page.size());  // the UTF-16 copy takes twice the page
  const int refused = MatchResultEntries(matched, page, &noRoom);
  LimitRoomForTests(0);
  EXPECT_EQ(refused, 0);
  EXPECT_TRUE(noRoom);
  ASSERT_EQ(MatchResultEntries(matched, page, &noRoom), 20);
  EXPECT_FALSE(noRoom);
  EXPECT_TRUE(matched.engineMatched);
}

TEST(ResultPattern, EveryEntryOfALongPageIsReadInOrder) {
  Text page;
  for (int entry = 0; entry < 150; ++entry)
    page += ResultEntryMarkup(DecimalText(entry) + " ", "1 GB", "magnet:?" + DecimalText(entry));
  PageEntries matched;
  ASSERT_EQ(MatchResultEntries(matched, page), 150);
  const std::vector<TextList> entries = EntriesOf(matched);
  ASSERT_EQ(entries.size(), 150u);  // more than one call's worth of matches
  for (int entry = 0; entry < 150; ++entry) EXPECT_EQ(entries[size_t(entry)][2], "magnet:?" + DecimalText(entry));
}

TEST(ResultPattern, QuestionMarksLeaveTheSizeOnly) {
  EXPECT_EQ(ResultSizeText("?1.5 <i>GB</i>??"), "1.5 <i>GB</i>");
  EXPECT_EQ(ResultSizeText("\xD6\xD0?"), "\xD6\xD0");  // 中
}

TEST(ResultPattern, AnEntryWithTheWrongLinesIsSkippedAndItsNeighboursMatch) {
  Text shortEntry = ResultEntryMarkup("short ", "2 GB", "magnet:?xt=urn:btih:02");
  shortEntry.erase(shortEntry.find("</div>\n"), Text("</div>\n").size());  // a line short before the size
  Text longEntry = ResultEntryMarkup("long ", "3 GB", "magnet:?xt=urn:btih:03");
  longEntry.insert(longEntry.find("<span>最近下载"), "<span>多一行</span>\n");  // a line too many after it
  PageEntries matched;
  const Text page = ResultEntryMarkup("first ", "1 GB", "magnet:?xt=urn:btih:01") + shortEntry + longEntry +
                    ResultEntryMarkup("last ", "4 GB", "magnet:?xt=urn:btih:04");
  ASSERT_EQ(MatchResultEntries(matched, page), 2);
  EXPECT_EQ(matched.regex.SubMatchText(1, 14), "magnet:?xt=urn:btih:01");
  EXPECT_EQ(matched.regex.SubMatchText(2, 14), "magnet:?xt=urn:btih:04");
}

TEST(ResultPattern, TagsInCapitalsMatch) {
  Text capitals = ResultEntryMarkup("upper ", "5 GB", "magnet:?xt=urn:btih:05");
  for (TextView tag : {"<li>", "<span class=\"lightColor\">", "</span>", "<span>", "<b class=\"cpill yellow-pill\">",
                       "</b>", "</a> <a href=\"", "\" class=\"download\">"}) {
    Text upper(tag);
    for (char& character : upper) {
      if (character >= 'a' && character <= 'z') character = static_cast<char>(character - 'a' + 'A');
    }
    capitals = ReplaceAll(capitals, tag, upper);
  }
  PageEntries matched;
  ASSERT_EQ(MatchResultEntries(matched, capitals), 1);
  EXPECT_EQ(matched.regex.SubMatchText(1, 2), "5 GB");
  EXPECT_EQ(matched.regex.SubMatchText(1, 14), "magnet:?xt=urn:btih:05");
}

TEST(ResultPattern, APageWithoutEntriesMatchesNothing) {
  PageEntries matched;
  EXPECT_EQ(MatchResultEntries(matched, "<html><body><ul></ul></body></html>"), 0);
  EXPECT_TRUE(matched.engineMatched);
}

// A page as the search run receives it from the web request: its text ends at
// the body's first zero byte, then the charset step may decode it again.
Text PageTextOf(const Text& bodyBytes) {
  const ByteSet body(bodyBytes.begin(), bodyBytes.end());
  Text text(bodyBytes.c_str());
  EXPECT_TRUE(DecodePageText(body, text));
  return text;
}

TEST(ResultPattern, APageEndsAtItsFirstZeroByte) {
  const Text first = ResultEntryMarkup("before ", "1 GB", "magnet:?xt=urn:btih:01");
  const Text second = ResultEntryMarkup("after ", "2 GB", "magnet:?xt=urn:btih:02");
  PageEntries matched;
  ASSERT_EQ(MatchResultEntries(matched, PageTextOf("<ul>\n" + first + Text(1, '\0') + second + "</ul>")), 1);
  EXPECT_EQ(matched.regex.SubMatchText(1, 14), "magnet:?xt=urn:btih:01");

  // Before every entry: a page without entries, which ends a run quietly.
  EXPECT_EQ(MatchResultEntries(matched, PageTextOf("<ul>\n" + Text(1, '\0') + first + second + "</ul>")), 0);
}

// The same text in UTF-8 bytes.
Text Utf8Of(const Text& text) {
  const std::wstring wide = TextToUtf16(text);
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  Text bytes(size_t(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), bytes.data(), length, nullptr, nullptr);
  return bytes;
}

TEST(ResultPattern, AZeroByteHidesALaterCharsetAndEndsADecodedPageToo) {
  const Text first = Utf8Of(ResultEntryMarkup("\xD6\xD0 ", "1 GB", "magnet:?xt=urn:btih:01"));  // 中, a space
  const Text second = Utf8Of(ResultEntryMarkup("\xD6\xD0 ", "2 GB", "magnet:?xt=urn:btih:02"));  // 中, a space
  PageEntries matched;

  // Before the meta tag: nothing after the zero byte is read, the declaration neither.
  EXPECT_EQ(MatchResultEntries(matched, PageTextOf("<html>" + Text(1, '\0') + "<meta charset=\"utf-8\">\n" + first)), 0);

  // After it: the page is decoded from utf-8, and still ends at the zero byte.
  ASSERT_EQ(MatchResultEntries(matched, PageTextOf("<html><meta charset=\"utf-8\">\n<ul>\n" + first + Text(1, '\0') +
                                                   second + "</ul>")),
            1);
  EXPECT_EQ(matched.regex.SubMatchText(1, 1), "\xD6\xD0 ");  // 中 in code page 936
  EXPECT_EQ(matched.regex.SubMatchText(1, 14), "magnet:?xt=urn:btih:01");
}

// The rows the engine gives over the whole page, as it was run before the
// entries were found first.
std::vector<TextList> EntriesOverWholePage(TextView page) {
  RegexObject regex;
  EXPECT_TRUE(regex.Match(ResultPattern, page, false, false, true, true));
  std::vector<TextList> entries;
  constexpr int kGroups[] = {1, 2, 14};
  EXPECT_TRUE(regex.ReadGroupsOfEveryMatch(kGroups, 3, TakeEntry, &entries));
  return entries;
}

// The rows over the entries found first: the engine's over them, or the
// finder's own without the engine.
std::vector<TextList> EntriesOverFoundSpans(TextView page, ResultMatcher matcher) {
  PageEntries matched;
  matched.matcher = matcher;
  (void)MatchResultEntries(matched, page);
  EXPECT_EQ(matched.engineMatched, matcher == ResultMatcher::EngineFirst);
  return EntriesOf(matched);
}

TEST(ResultPattern, EveryPageOfTheSitesGivesTheRowsOfTheWholePage) {
  {
    RegexObject regex;
    std::printf("the engine's dot %s a carriage return\n",
                regex.DotMatchesCarriageReturn() ? "matches" : "does not match");
  }
  std::ifstream index(SEED_SITE_PAGES_DIR "/index");
  int pages = 0, pagesWithRows = 0, pagesWithCharset = 0;
  size_t rowsCompared = 0;
  PageDecoder engineDecoder, builtInDecoder;
  builtInDecoder.engineFirst = false;
  for (Text name; std::getline(index, name);) {
    std::ifstream file(SEED_SITE_PAGES_DIR "/" + name, std::ios::binary);
    ASSERT_TRUE(file) << name;
    const Text page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(name);
    const std::vector<TextList> rows = EntriesOverWholePage(page);
    EXPECT_EQ(EntriesOverFoundSpans(page, ResultMatcher::EngineFirst), rows);
    EXPECT_EQ(EntriesOverFoundSpans(page, ResultMatcher::BuiltIn), rows);
    ++pages;
    pagesWithRows += rows.empty() ? 0 : 1;
    rowsCompared += rows.size();
    const Text charset = DeclaredCharset(engineDecoder, page);
    EXPECT_EQ(DeclaredCharset(builtInDecoder, page), charset);
    pagesWithCharset += charset.empty() ? 0 : 1;
  }
  std::printf("%d pages, %u entries compared with the engine over the whole page, %d declared charsets\n", pages,
              unsigned(rowsCompared), pagesWithCharset);
  EXPECT_GE(pages, 45);
  EXPECT_GE(pagesWithRows, 30);
  EXPECT_GE(pagesWithCharset, 1);
}

// Pages of the pattern's own pieces and of bytes that are no whole character
// of code page 936, where near misses are common; small enough for the engine
// over the whole page.
Text RandomPage(std::mt19937& random) {
  static const TextView pieces[] = {
      "<li>", "<LI>", "<span class=\"lightColor\">", "<SPAN CLASS=\"LIGHTCOLOR\">", "</span>", "\n", "\n", "\n",
      "\r", "x", "\xD6\xD0",  // 中
      "\xD6",                 // the first byte of 中: takes the next byte along
      "\x80", "\xFF", "<span>文件大小：<b class=\"cpill yellow-pill\">", "</b>", "磁力链接</a> <a href=\"",
      "\" class=\"download\">"};
  std::uniform_int_distribution<size_t> piece(0, sizeof pieces / sizeof pieces[0] - 1);
  Text page;
  const size_t count = std::uniform_int_distribution<size_t>(0, 80)(random);
  for (size_t index = 0; index < count; ++index) page += pieces[piece(random)];
  page.insert(std::uniform_int_distribution<size_t>(0, page.size())(random),
              ResultEntryMarkup("e ", "1 GB", "magnet:?xt=urn:btih:E"));
  return page;
}

TEST(ResultPattern, RandomPagesOfThePatternsPiecesGiveTheRowsOfTheWholePage) {
  const unsigned seed = std::random_device()();
  std::printf("seed %u\n", seed);
  std::mt19937 random(seed);
  size_t rows = 0;
  for (int round = 0; round < 250; ++round) {
    const Text page = RandomPage(random);
    SCOPED_TRACE(round);
    const std::vector<TextList> whole = EntriesOverWholePage(page);
    EXPECT_EQ(EntriesOverFoundSpans(page, ResultMatcher::EngineFirst), whole);
    EXPECT_EQ(EntriesOverFoundSpans(page, ResultMatcher::BuiltIn), whole);
    rows += whole.size();
  }
  std::printf("250 random pages, %u entries compared with the engine over the whole page\n", unsigned(rows));
  EXPECT_GT(rows, 100u);
}

}  // namespace
