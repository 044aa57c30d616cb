#include "automation/RegexObject.h"

#include <gtest/gtest.h>

#include <thread>

#include "ResultPage.h"
#include "automation/MemberCall.h"

namespace {

constexpr bool kCaseSensitive = true, kMultiLine = true, kGlobal = true, kQuoteToken = true;

// The options the result-page parsing passes.
bool MatchResults(RegexObject& regex, TextView page) {
  return regex.Match(kResultPattern, page, !kCaseSensitive, !kMultiLine, kGlobal, kQuoteToken);
}

TEST(RegexObject, TheResultPatternReadsEveryGroupOfANineLineEntry) {
  RegexObject regex;
  ASSERT_TRUE(MatchResults(regex, ResultEntryMarkup("Ubuntu7 22.04 桌面版.iso", "4.7 GB", "magnet:?xt=urn:btih:7")));
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.SubMatchCount(), 14);
  EXPECT_EQ(regex.SubMatchText(1, 1), "Ubuntu7 22.04 桌面版.iso");
  EXPECT_EQ(regex.SubMatchText(1, 2), "4.7 GB");
  EXPECT_EQ(regex.SubMatchText(1, 3), "<span class=\"entry-date\">2026-12-08</span>");
  EXPECT_EQ(regex.SubMatchText(1, 8), "<div class=\"entry-foot\">");
  EXPECT_EQ(regex.SubMatchText(1, 9), "4.7 GB");
  EXPECT_EQ(regex.SubMatchText(1, 13),
            "<div class=\"entry-links\"><a class=\"magnet\" href=\"magnet:?xt=urn:btih:7\">");
  EXPECT_EQ(regex.SubMatchText(1, 14), "magnet:?xt=urn:btih:7");
  EXPECT_EQ(regex.SubMatchText(1, 15), "");
}

TEST(RegexObject, LazyGroupsDoNotCrossALineBreak) {
  Text broken = ResultEntryMarkup("two", "2 GB", "magnet:?xt=urn:btih:2");
  broken.insert(broken.find("<p class=\"meta\">"), "<p>多出的一行</p>\n");  // one line too many
  RegexObject regex;
  ASSERT_TRUE(MatchResults(regex, ResultEntryMarkup("one", "1 GB", "magnet:?xt=urn:btih:1") + broken +
                                      ResultEntryMarkup("three", "3 GB", "magnet:?xt=urn:btih:3")));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubMatchText(1, 1), "one");
  EXPECT_EQ(regex.SubMatchText(2, 1), "three");
  for (int group = 1; group <= 14; ++group) EXPECT_EQ(regex.SubMatchText(2, group).find('\n'), Text::npos);
  // Whatever the options, a dot never takes a line feed.
  ASSERT_TRUE(regex.Match("a.b", "a\nb", false, true, true, false));
  EXPECT_EQ(regex.MatchCount(), 0);
}

TEST(RegexObject, TheQuoteTokenBecomesADoubleQuoteOnlyWhenAskedFor) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("#引号(\\w+)#引号", "say \"hi\" and #引号no#引号", kCaseSensitive, kMultiLine, kGlobal,
                          kQuoteToken));
  EXPECT_EQ(regex.PatternText(), "\"(\\w+)\"");
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.SubMatchText(1, 1), "hi");
  ASSERT_TRUE(regex.Match("#引号(\\w+)#引号", "say \"hi\" and #引号no#引号"));
  EXPECT_EQ(regex.PatternText(), "#引号(\\w+)#引号");
  ASSERT_EQ(regex.MatchCount(), 1);
  EXPECT_EQ(regex.SubMatchText(1, 1), "no");
}

TEST(RegexObject, DefaultsIgnoreLetterCaseMatchLinesAndListEveryMatch) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("^ab$", "AB\nab\nabc"));
  EXPECT_EQ(regex.MatchCount(), 2);
  ASSERT_TRUE(regex.Match("^ab$", "AB\nab\nabc", kCaseSensitive));
  EXPECT_EQ(regex.MatchCount(), 1);
  ASSERT_TRUE(regex.Match("^ab$", "AB\nab", !kCaseSensitive, !kMultiLine));
  EXPECT_EQ(regex.MatchCount(), 0);
  ASSERT_TRUE(regex.Match("ab", "ab ab ab", !kCaseSensitive, kMultiLine, !kGlobal));
  EXPECT_EQ(regex.MatchCount(), 1);
}

TEST(RegexObject, ChineseTextSurvivesTheRoundTrip) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("文件(\\d+)：(\\S+)", "前言 文件12：大小 文件3：名字"));  // 文件: file
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.MatchText(1), "文件12：大小");
  EXPECT_EQ(regex.SubMatchText(2, 2), "名字");
  EXPECT_EQ(regex.ReplaceMatches("[$1]"), "前言 [12] [3]");
}

TEST(RegexObject, AUtf16SubjectMatchesAsItsCodePage936TextWould) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("(.)b", std::wstring_view(L"\u4E2Db x\u6587b"), false, true, true, false));  // 中, 文
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubMatchText(1, 1), "中");
  EXPECT_EQ(regex.SubMatchText(2, 1), "文");
  int position = 0;
  EXPECT_EQ(regex.MatchText(2, &position), "文b");
  EXPECT_EQ(position, 5);  // 中 b, a space, x
}

TEST(RegexObject, TheDotsAnswerOnCarriageReturnIsTheEnginesAskedOnce) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("^a.b$", "a\rb", kCaseSensitive, kMultiLine, kGlobal));
  const bool dotTakesReturn = regex.MatchCount() == 1;
  EXPECT_EQ(regex.DotMatchesCarriageReturn(), dotTakesReturn);
  // Asked again it keeps its answer and leaves the last Match's results alone.
  ASSERT_TRUE(regex.Match("x", "x x x"));
  EXPECT_EQ(regex.DotMatchesCarriageReturn(), dotTakesReturn);
  EXPECT_EQ(regex.MatchCount(), 3);
}

TEST(RegexObject, PositionsAreByteOffsetsIntoTheSubject) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("a(b)c", "中文 abc abc"));  // 中文: two double-byte characters
  int position = 0;
  EXPECT_EQ(regex.MatchText(1, &position), "abc");
  EXPECT_EQ(position, 5);
  EXPECT_EQ(regex.MatchText(2, &position), "abc");
  EXPECT_EQ(position, 9);
  EXPECT_EQ(regex.SubMatchText(2, 1, &position), "b");
  EXPECT_EQ(position, 10);
}

TEST(RegexObject, AnInvalidPatternGivesNoMatchListAndQuietEmptyReads) {
  RegexObject regex;
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.SubMatchCount(), 0);
  EXPECT_EQ(regex.PatternText(), "");
  EXPECT_EQ(regex.ReplaceMatches("x"), "");
  EXPECT_FALSE(regex.Match("(unclosed", "unclosed"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.MatchText(1), "");
  EXPECT_EQ(regex.SubMatchText(1, 1), "");
  EXPECT_EQ(regex.SubMatchCount(), 0);
  ASSERT_TRUE(regex.Match("x", "abc"));
  EXPECT_EQ(regex.MatchCount(), 0);
  EXPECT_EQ(regex.SubMatchCount(), 0);
}

TEST(RegexObject, IndexesOutOfRangeAndGroupsThatTookNoPartGiveEmptyTexts) {
  RegexObject regex;
  ASSERT_TRUE(regex.Match("(a)|(b)", "b a"));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(regex.SubMatchText(1, 1), "");
  EXPECT_EQ(regex.SubMatchText(1, 2), "b");
  EXPECT_EQ(regex.SubMatchText(2, 1), "a");
  EXPECT_EQ(regex.MatchText(0), "");
  EXPECT_EQ(regex.MatchText(3), "");
  EXPECT_EQ(regex.SubMatchText(0, 1), "");
  EXPECT_EQ(regex.SubMatchText(3, 1), "");
  EXPECT_EQ(regex.SubMatchText(1, 0), "");
  EXPECT_EQ(regex.SubMatchText(1, 3), "");
}

TEST(RegexObject, TwoObjectsOnTwoThreadsMatchIndependently) {
  auto work = [](int entries, int* found, Text* lastAddress) {
    RegexObject regex;
    for (int round = 0; round < 5; ++round) {
      if (!MatchResults(regex, ResultPage(entries))) return;
      *found = regex.MatchCount();
      *lastAddress = regex.SubMatchText(*found, 14);
    }
  };
  int foundOne = 0, foundTwo = 0;
  Text lastOne, lastTwo;
  std::thread one(work, 3, &foundOne, &lastOne);
  std::thread two(work, 8, &foundTwo, &lastTwo);
  one.join();
  two.join();
  EXPECT_EQ(foundOne, 3);
  EXPECT_EQ(lastOne, "magnet:?xt=urn:btih:3");
  EXPECT_EQ(foundTwo, 8);
  EXPECT_EQ(lastTwo, "magnet:?xt=urn:btih:8");
}

// The engine answers through type information; the objects it returns only
// through their names.
TEST(RegexEngineThroughTheBridge, TypeInformationOnTheEngineNamesOnTheMatches) {
  ComApartment apartment;
  ComObject engine;
  ASSERT_TRUE(engine.Create("VBScript.RegExp"));
  EXPECT_FALSE(WriteProperty(engine, "Singleline", true));
  EXPECT_EQ(LastComError(), kComUnknownName);
  EXPECT_TRUE(WriteProperty(engine, "pattern", "(\\d)(x)?"));
  EXPECT_TRUE(WriteProperty(engine, "Global", true));
  EXPECT_EQ(ReadTextProperty(engine, "Pattern"), "(\\d)(x)?");
  EXPECT_EQ(CallTextMethod(engine, "Execute", "1"), "");  // an object is no text
  EXPECT_EQ(LastComError(), kComUnconvertibleResult);
  Variant subject;
  subject.SetText("1 2x");
  ComObject matches = CallObjectMethod(engine, "Execute", subject);
  ASSERT_FALSE(matches.IsEmpty());
  EXPECT_EQ(ReadNumberProperty(matches, "Count"), 2);
  EXPECT_EQ(LastComError(), kComSuccess);
  ComObject second = ReadObjectProperty(matches, "Item", 1);
  ASSERT_FALSE(second.IsEmpty());
  EXPECT_EQ(ReadNumberProperty(second, "FirstIndex"), 2);
  EXPECT_EQ(ReadTextProperty(second, "Value"), "2x");
  ComObject groups = ReadObjectProperty(second, "SubMatches");
  EXPECT_EQ(ReadTextProperty(groups, "Item", 1.0), "x");
  Variant outOfRange = ReadProperty(groups, "Item", 5.0);
  EXPECT_EQ(LastComError(), kComException);
  EXPECT_EQ(outOfRange.Raw().vt, VT_EMPTY);
  EXPECT_EQ(ReadNumberProperty(second, "NoSuchMember"), 0);
  EXPECT_EQ(LastComError(), kComUnknownName);
  groups.Clear();
  second.Clear();
  matches.Clear();
  engine.Clear();
}

}  // namespace
