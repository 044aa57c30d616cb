// ReplaceAll in both letter cases against a character-by-character rewrite:
// the same text, so it leaves a needle only where that rewrite leaves one.
#include "tests/fuzz/FuzzInput.h"

namespace {

Text NaiveReplace(TextView text, TextView what, TextView with, LetterCase letterCase) {
  if (what.empty()) return Text(text);
  Text rewritten;
  for (size_t at = 0; at < text.size();) {
    if (BytesMatch(text, at, what, letterCase)) {
      rewritten.append(with);
      at += what.size();
      continue;
    }
    size_t step = static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
    rewritten.append(text.substr(at, step));
    at += step;
  }
  return rewritten;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 3);
  const Text& text = input.fields[0];
  const Text& what = input.fields[1];
  const Text& with = input.fields[2];
  LetterCase letterCase = input.options & 1 ? LetterCase::IgnoreAscii : LetterCase::Exact;

  Text replaced = ReplaceAll(text, what, with, letterCase);
  Text expected = NaiveReplace(text, what, with, letterCase);
  FUZZ_CHECK(replaced == expected);
  FUZZ_CHECK((FindText(replaced, what, 1, letterCase) == -1) == (FindText(expected, what, 1, letterCase) == -1));
  // Respelling a word in its own letters (as the response headers are) keeps the length.
  FUZZ_CHECK(ReplaceAll(text, what, what, letterCase).size() == text.size());
  if (letterCase == LetterCase::Exact) FUZZ_CHECK(ReplaceAll(text, what, what) == text);
  return 0;
}
