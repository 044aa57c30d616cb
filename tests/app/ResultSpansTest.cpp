#include "app/ResultSpans.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "tests/app/ResultPatternReference.h"

namespace {

// One entry of the site's nine-line markup, its lines ended by `lineEnd`.
std::wstring Entry(const std::wstring& name, const std::wstring& magnet, const std::wstring& lineEnd = L"\n") {
  return L"<li><a href=\"/hash/1.html\">" + name + L"<span class=\"lightColor\">1 GB</span> x</a>" + lineEnd +
         L"<div class=\"meta\">" + lineEnd + L"<span>a</span>" + lineEnd + L"<span>b</span>" + lineEnd +
         L"<span>c</span>" + lineEnd +
         L"<span>\u6587\u4EF6\u5927\u5C0F\uFF1A<b class=\"cpill yellow-pill\">4.7 GB</b></span>" +  // 文件大小：
         lineEnd + L"</div>" + lineEnd + L"<div class=\"links\">" + lineEnd +
         L"<a href=\"" + magnet + L"\">\u78C1\u529B\u94FE\u63A5</a> <a href=\"" + magnet +  // 磁力链接
         L"\" class=\"download\">get</a></li>" + lineEnd;
}

// The finder's spans are the reference's match texts joined by line feeds,
// and the reference over them finds the same groups; the finder's own groups
// are the reference's too. Returns the number of matches.
size_t ExpectSameMatchesOverSpans(std::wstring_view page, DotStops dotStops) {
  const std::vector<ReferenceMatch> overPage = ResultPatternReference(page, dotStops).EveryMatch();
  std::vector<ResultEntry> found;
  EXPECT_TRUE(ResultEntries(page, dotStops, found));
  EXPECT_EQ(found.size(), overPage.size());
  for (size_t match = 0; match < overPage.size() && match < found.size(); ++match) {
    EXPECT_EQ(found[match].match.start, overPage[match].start);
    for (size_t group = 0; group < 14; ++group)
      EXPECT_EQ(page.substr(found[match].groups[group].start, found[match].groups[group].length),
                overPage[match].groups[group])
          << "match " << match << " group " << group + 1;
  }
  std::wstring joined;
  for (const ReferenceMatch& match : overPage) {
    if (!joined.empty()) joined += L'\n';
    joined.append(page.substr(match.start, match.end - match.start));
  }
  const std::wstring spans = ResultEntrySpans(page, dotStops);
  EXPECT_EQ(spans, joined);
  const std::vector<ReferenceMatch> overSpans = ResultPatternReference(spans, dotStops).EveryMatch();
  EXPECT_EQ(overPage.size(), overSpans.size());
  for (size_t match = 0; match < overPage.size() && match < overSpans.size(); ++match)
    EXPECT_EQ(overPage[match].groups, overSpans[match].groups);
  return overPage.size();
}

TEST(ResultSpans, EveryEntryOfAPageIsKeptWholeAndTheTextAroundLeftOut) {
  const std::wstring first = Entry(L"one", L"magnet:?a"), second = Entry(L"two", L"magnet:?b");
  const std::wstring page = L"<html><ul>\n" + first + second + L"</ul>\n";
  const std::wstring firstSpan = first.substr(0, first.find(L"get</a>"));
  const std::wstring secondSpan = second.substr(0, second.find(L"get</a>"));
  EXPECT_EQ(ResultEntrySpans(page, DotStops::AtLineFeed), firstSpan + L"\n" + secondSpan);
  ExpectSameMatchesOverSpans(page, DotStops::AtLineFeed);
  ExpectSameMatchesOverSpans(page, DotStops::AtEveryLineEnd);
}

TEST(ResultSpans, AnEntryOfAnotherLineCountIsSkippedAndItsNeighboursKept) {
  std::wstring odd = Entry(L"odd", L"magnet:?o");
  odd.insert(odd.find(L"<div class=\"meta\">"), L"extra line\n");
  const std::wstring page = Entry(L"a", L"magnet:?a") + odd + Entry(L"b", L"magnet:?b");
  const std::vector<ReferenceMatch> matches = ResultPatternReference(page, DotStops::AtLineFeed).EveryMatch();
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[1].groups[13], L"magnet:?b");
  ExpectSameMatchesOverSpans(page, DotStops::AtLineFeed);
}

TEST(ResultSpans, TagsInCapitalsMatchAsTheEngineIgnoresLetterCase) {
  std::wstring entry = Entry(L"caps", L"magnet:?c");
  for (std::wstring_view tag : {L"<li>", L"lightColor", L"</span>", L"yellow-pill", L"download"}) {
    size_t at = entry.find(tag);
    for (size_t index = at; index < at + tag.size(); ++index)
      if (entry[index] >= L'a' && entry[index] <= L'z') entry[index] = wchar_t(entry[index] - 32);
  }
  EXPECT_FALSE(ResultEntrySpans(entry, DotStops::AtLineFeed).empty());
  ExpectSameMatchesOverSpans(entry, DotStops::AtLineFeed);
}

TEST(ResultSpans, CarriageReturnsMatterOnlyWhereTheDotStopsAtThem) {
  const std::wstring page = Entry(L"crlf", L"magnet:?r", L"\r\n") + Entry(L"lf", L"magnet:?l");
  // Where the dot takes CR, a CRLF entry matches with the CRs in its groups.
  EXPECT_EQ(ResultPatternReference(page, DotStops::AtLineFeed).EveryMatch().size(), 2u);
  EXPECT_EQ(ResultPatternReference(page, DotStops::AtEveryLineEnd).EveryMatch().size(), 1u);
  ExpectSameMatchesOverSpans(page, DotStops::AtLineFeed);
  ExpectSameMatchesOverSpans(page, DotStops::AtEveryLineEnd);
  // A CR after the download literal on the ninth line is past the match.
  std::wstring lateReturn = Entry(L"late", L"magnet:?t");
  lateReturn.insert(lateReturn.find(L"get</a>"), L"\r");
  EXPECT_FALSE(ResultEntrySpans(lateReturn, DotStops::AtEveryLineEnd).empty());
  ExpectSameMatchesOverSpans(lateReturn, DotStops::AtEveryLineEnd);
}

TEST(ResultSpans, OfManyStartsOnALineTheLeftmostThatFitsIsTaken) {
  std::wstring entry = Entry(L"x", L"magnet:?m");
  // A start before a CR cannot reach the line's end; the one after it can.
  entry.insert(0, L"<li>early\r<LI>");
  ExpectSameMatchesOverSpans(entry, DotStops::AtEveryLineEnd);
  ExpectSameMatchesOverSpans(entry, DotStops::AtLineFeed);
  EXPECT_EQ(ResultEntrySpans(entry, DotStops::AtEveryLineEnd).substr(0, 6), L"<LI><l");
  EXPECT_EQ(ResultEntrySpans(entry, DotStops::AtLineFeed).substr(0, 6), L"<li>ea");
}

TEST(ResultSpans, AnEntryMayStartOnTheLineWhereTheLastOneEnded) {
  std::wstring first = Entry(L"a", L"magnet:?a");
  first.erase(first.size() - 1);  // its ninth line goes on with the next entry
  const std::wstring page = first + Entry(L"b", L"magnet:?b");
  EXPECT_EQ(ResultPatternReference(page, DotStops::AtLineFeed).EveryMatch().size(), 2u);
  ExpectSameMatchesOverSpans(page, DotStops::AtLineFeed);
}

TEST(ResultSpans, AOneLinePageOfEmptySpansHoldsNoEntry) {
  std::wstring page;
  while (page.size() < 64 * 1024) page += L"<li><span class=\"lightColor\"></span>";
  EXPECT_TRUE(ResultEntrySpans(page, DotStops::AtLineFeed).empty());
}

TEST(ResultSpans, EveryPageOfTheSitesGivesTheReferencesMatches) {
  std::ifstream index(SEED_SITE_PAGES_DIR "/index");
  size_t pages = 0, matches = 0;
  for (std::string name; std::getline(index, name);) {
    std::ifstream file(SEED_SITE_PAGES_DIR "/" + name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::wstring page;  // UTF-16LE, one unit a character
    for (size_t at = 0; at + 1 < bytes.size(); at += 2)
      page += wchar_t(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
    SCOPED_TRACE(name);
    matches += ExpectSameMatchesOverSpans(page, DotStops::AtLineFeed);
    matches += ExpectSameMatchesOverSpans(page, DotStops::AtEveryLineEnd);
    ++pages;
  }
  EXPECT_GE(pages, 45u);
  EXPECT_GT(matches, 10000u);  // 5,000 entries on one page, twice
}

// Pages made of the pattern's own pieces, where near misses are common.
std::wstring RandomPage(std::mt19937& random) {
  static const wchar_t* const pieces[] = {
      L"<li>", L"<LI>", L"<span class=\"lightColor\">", L"</span>", L"\n", L"\n", L"\n", L"\n", L"\r", L"x",
      L"\u4E2D",  // 中
      L"<span>\u6587\u4EF6\u5927\u5C0F\uFF1A<b class=\"cpill yellow-pill\">", L"</b>",  // 文件大小：
      L"\u78C1\u529B\u94FE\u63A5</a> <a href=\"", L"\" class=\"download\">"};  // 磁力链接
  std::uniform_int_distribution<size_t> piece(0, sizeof pieces / sizeof pieces[0] - 1);
  std::wstring page;
  const size_t count = std::uniform_int_distribution<size_t>(0, 120)(random);
  for (size_t index = 0; index < count; ++index) page += pieces[piece(random)];
  return page;
}

TEST(ResultSpans, RandomPagesOfThePatternsPiecesGiveTheReferencesMatches) {
  std::mt19937 random(20261209);
  size_t matches = 0;
  for (int round = 0; round < 300; ++round) {
    std::wstring page = RandomPage(random);
    // Every entry shape spliced in somewhere, so that matches are frequent.
    page.insert(std::uniform_int_distribution<size_t>(0, page.size())(random), Entry(L"e", L"m"));
    SCOPED_TRACE(round);
    matches += ExpectSameMatchesOverSpans(page, DotStops::AtLineFeed);
    matches += ExpectSameMatchesOverSpans(page, DotStops::AtEveryLineEnd);
  }
  EXPECT_GT(matches, 300u);  // the pages do hold entries, often several
}

}  // namespace
