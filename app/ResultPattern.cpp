#include "app/ResultPattern.h"

#include <utility>

const char ResultPattern[] =
    "<li>(.*?)<span class=#引号lightColor#引号>(.*?)</span>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)\\n(.*?)"
    "<span>文件大小：<b class=#引号cpill yellow-pill#引号>(.*?)</b>(.*?)\\n(.*?)\\n(.*?)\\n(.*?)磁力链接</a> "
    "<a href=#引号(.*?)#引号 class=#引号download#引号>";

namespace {

constexpr int kFileNameGroup = 1;
constexpr int kSizeGroup = 2;
constexpr int kDownloadAddressGroup = 14;

}  // namespace

bool MatchResultEntries(RegexObject& regex, TextView pageText) {
  return regex.Match(ResultPattern, pageText, /*caseSensitive=*/false, /*multiLine=*/false, /*global=*/true,
                     /*quoteToken=*/true);
}

Text ResultSizeText(const RegexObject& regex, int match) {
  // "?" is never a trail byte of code page 936, so only real question marks go.
  return ReplaceAll(regex.SubMatchText(match, kSizeGroup), "?", "");
}

ResultRow BuildResultRow(const RegexObject& regex, int match, int rowNumber, Text sizeText) {
  ResultRow row;
  row.number = DecimalText(rowNumber);
  row.fileName = regex.SubMatchText(match, kFileNameGroup);
  row.sizeText = std::move(sizeText);
  row.downloadAddress = regex.SubMatchText(match, kDownloadAddressGroup);
  return row;
}
