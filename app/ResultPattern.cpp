#include "app/ResultPattern.h"

#include "app/ResultSpans.h"
#include "text/CodePage936.h"

// app/ResultSpans.cpp finds the matches of these same literals and lines
// first: a change here is a change there (result_pattern_tests compare).
const char ResultPattern[] =
    "<li>(.*?)<span class=#引号lightColor#引号>(.*?)</span>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)"
    "<span>文件大小：<b class=#引号cpill yellow-pill#引号>(.*?)</b>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)磁力链接</a> "
    "<a href=#引号(.*?)#引号 class=#引号download#引号>";

namespace {

// File name, size, download address.
constexpr int kEntryGroups[] = {1, 2, 14};

}  // namespace

bool MatchResultEntries(RegexObject& regex, TextView pageText, bool* noRoom) {
  if (noRoom) *noRoom = false;
  const DotStops dotStops = regex.DotMatchesCarriageReturn() ? DotStops::AtLineFeed : DotStops::AtEveryLineEnd;
  // Over the whole page the engine backtracks through every split of each
  // failing start, steeply on long lines; over the entries alone it finds the
  // same matches with no failing start.
  std::wstring entries;
  bool held = false;
  {
    std::wstring page;  // freed before the engine makes its copy
    held = TextToUtf16(pageText, page) && ResultEntrySpans(page, dotStops, entries);
  }
  const bool matched = held && regex.Match(ResultPattern, entries, /*caseSensitive=*/false, /*multiLine=*/false,
                                           /*global=*/true, /*quoteToken=*/true);
  if (noRoom) *noRoom = !held || regex.SubjectHadNoRoom();
  return matched;
}

bool ReadResultEntries(const RegexObject& regex, RegexObject::GroupsTaker take, void* context) {
  return regex.ReadGroupsOfEveryMatch(kEntryGroups, 3, take, context);
}

Text ResultSizeText(TextView sizeGroup) {
  // "?" is never a trail byte of code page 936, so only real question marks go.
  return ReplaceAll(sizeGroup, "?", "");
}
