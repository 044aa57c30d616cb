// TextBetween: when both markers are found, the text holds start marker,
// result and end marker in a row at the first start marker, and the result
// holds no end marker; otherwise the result is empty. "#引号" in a marker is a
// double quote, so this also checks the token's bytes whatever the compiler.
#include <algorithm>

#include "tests/fuzz/FuzzInput.h"
#include "web/RequestHeaders.h"

namespace {

constexpr TextView kQuoteToken = "#\xD2\xFD\xBA\xC5";  // #引号

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 3);
  const Text& text = input.fields[0];
  LetterCase letterCase = input.options & 1 ? LetterCase::IgnoreAscii : LetterCase::Exact;
  int startPosition = int(input.options >> 1) - 2;  // -2 to 125
  Text startMarker = ReplaceAll(input.fields[1], kQuoteToken, "\"");
  Text endMarker = ReplaceAll(input.fields[2], kQuoteToken, "\"");

  Text between = TextBetween(text, input.fields[1], input.fields[2], startPosition, letterCase);
  int startAt = FindText(text, startMarker, startPosition, letterCase);
  int endAt = startAt == -1 ? -1 : FindText(text, endMarker, startAt + int(startMarker.size()), letterCase);
  if (startAt == -1 || endAt == -1) {
    FUZZ_CHECK(between.empty());
  } else {
    size_t from = size_t(startAt - 1) + startMarker.size();
    FUZZ_CHECK(BytesMatch(text, size_t(startAt - 1), startMarker, letterCase));
    FUZZ_CHECK(text.compare(from, between.size(), between) == 0);
    FUZZ_CHECK(BytesMatch(text, from + between.size(), endMarker, letterCase));
    FUZZ_CHECK(FindText(between, endMarker, 1, letterCase) == -1 || endMarker.empty());
  }

  // Between two quote tokens: the bytes between the first two double quotes.
  Text quoted = TextBetween(text, kQuoteToken, kQuoteToken);
  size_t open = NaiveFind(text, "\"", 0, LetterCase::Exact);
  size_t close = open == TextView::npos ? open : NaiveFind(text, "\"", open + 1, LetterCase::Exact);
  FUZZ_CHECK(quoted == (close == TextView::npos ? Text() : text.substr(open + 1, close - open - 1)));
  return 0;
}
