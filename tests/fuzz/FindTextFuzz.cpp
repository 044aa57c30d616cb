// FindText in both letter cases: the result is the first character start at
// or after the start position where the needle's bytes are, or -1.
#include <algorithm>

#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 2);
  const Text& text = input.fields[0];
  const Text& what = input.fields[1];
  LetterCase letterCase = input.options & 1 ? LetterCase::IgnoreAscii : LetterCase::Exact;
  int startPosition = int(input.options >> 1) - 2;  // -2 to 125: before, inside and past the text

  int found = FindText(text, what, startPosition, letterCase);
  size_t from = size_t(std::max(startPosition, 1) - 1);
  size_t expected = NaiveFind(text, what, from, letterCase);
  FUZZ_CHECK(found == (expected == TextView::npos ? -1 : int(expected + 1)));
  if (found != -1) {
    FUZZ_CHECK(size_t(found) >= from + 1);
    FUZZ_CHECK(BytesMatch(text, size_t(found - 1), what, letterCase));
    if (startPosition <= 1) FUZZ_CHECK(CharacterStarts(text)[size_t(found - 1)]);
  }
  if (letterCase == LetterCase::IgnoreAscii) {
    // Ignoring case is the same as folding both sides' letters first.
    FUZZ_CHECK(FindText(FoldedLetters(text, from), FoldedLetters(what), startPosition) == found);
    // An exact match is also a match ignoring case, so this one is not later.
    int exact = FindText(text, what, startPosition);
    FUZZ_CHECK(exact == -1 || (found != -1 && found <= exact));
  }
  return 0;
}
