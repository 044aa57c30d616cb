// SplitText: joining the pieces gives the text back (less a trailing
// separator), one piece per separator found, and no piece holds a separator.
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 2);
  const Text& text = input.fields[0];
  const Text& separator = input.fields[1];

  TextList pieces = SplitText(text, separator);
  if (text.empty()) FUZZ_CHECK(pieces.empty());
  Text joined = JoinTexts(pieces, separator);
  FUZZ_CHECK(joined == text || joined + separator == text);
  if (separator.empty()) {
    FUZZ_CHECK(text.empty() || (pieces.size() == 1 && pieces[0] == text));
    return 0;
  }
  size_t separators = 0, from = 0;
  for (size_t at; (at = NaiveFind(text, separator, from, LetterCase::Exact)) != TextView::npos;
       from = at + separator.size()) {
    ++separators;
  }
  FUZZ_CHECK(pieces.size() == separators + (from < text.size() ? 1 : 0));
  for (const Text& piece : pieces) FUZZ_CHECK(FindText(piece, separator) == -1);
  return 0;
}
