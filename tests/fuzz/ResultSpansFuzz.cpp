// ResultEntrySpans: over a page of the pattern's pieces (each input byte picks
// one), the spans are exactly the plain backtracking matcher's matches joined
// by line feeds, and that matcher over the spans finds the same groups, which
// are the finder's own groups too. Bit 0 of the options byte: the dot stops
// at every line end, not only at LF.
#include "app/ResultSpans.h"
#include "tests/app/ResultPatternReference.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// Few enough that the backtracking matcher stays quick on every input.
constexpr size_t kMostPieces = 64;

const wchar_t* const kPieces[] = {
    L"<li>", L"<LI>", L"<span class=\"lightColor\">", L"<SPAN class=\"LightColor\">", L"</span>", L"\n", L"\n",
    L"\n", L"\r", L"\u2028", L"x", L"\u4E2D",  // 中
    L"<span>\u6587\u4EF6\u5927\u5C0F\uFF1A<b class=\"cpill yellow-pill\">",  // 文件大小：
    L"</b>", L"</B>",
    L"\u78C1\u529B\u94FE\u63A5</a> <a href=\"",  // 磁力链接
    L"\" class=\"download\">", L"\" CLASS=\"DOWNLOAD\">",
    L"<span class=\"lightColo", L"\u78C1\u529B",  // 磁力: a literal's first half
    L"\" class=\"down", L"<li"};
constexpr size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const DotStops dotStops = data[0] & 1 ? DotStops::AtEveryLineEnd : DotStops::AtLineFeed;
  std::wstring page;
  for (size_t at = 1; at < size && at <= kMostPieces; ++at) page += kPieces[data[at] % kPieceCount];

  const std::vector<ReferenceMatch> overPage = ResultPatternReference(page, dotStops).EveryMatch();
  std::wstring joined;
  for (const ReferenceMatch& match : overPage) {
    if (!joined.empty()) joined += L'\n';
    joined.append(page, match.start, match.end - match.start);
  }
  std::vector<ResultEntry> found;
  FUZZ_CHECK(ResultEntries(page, dotStops, found));
  FUZZ_CHECK(found.size() == overPage.size());
  for (size_t match = 0; match < overPage.size(); ++match)
    for (size_t group = 0; group < 14; ++group)
      FUZZ_CHECK(page.substr(found[match].groups[group].start, found[match].groups[group].length) ==
                 overPage[match].groups[group]);
  const std::wstring spans = ResultEntrySpans(page, dotStops);
  FUZZ_CHECK(spans == joined);
  const std::vector<ReferenceMatch> overSpans = ResultPatternReference(spans, dotStops).EveryMatch();
  FUZZ_CHECK(overSpans.size() == overPage.size());
  for (size_t match = 0; match < overPage.size(); ++match)
    FUZZ_CHECK(overSpans[match].groups == overPage[match].groups);
  return 0;
}
