// ParseResponseHeaders: "Set-Cookie" respelled in place and nothing else
// changed, one received item per Set-Cookie line in order, the last Location
// line's value, and the same merge into a supplied jar as MergeCookies makes.
#include "tests/fuzz/CookieProperties.h"
#include "web/RequestHeaders.h"

namespace {

// The item a Set-Cookie line gives, by the rules of the header walk.
Text ExpectedItem(const Text& line) {
  if (FindText(line, ";") != -1) return TrimSpaces(TextBetween(line, "Set-Cookie:", ";"));
  return TrimSpaces(ReplaceAll(line, "Set-Cookie:", "", LetterCase::IgnoreAscii));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 2);
  if (input.options & 2) {  // texts as they come from UTF-16
    for (Text& field : input.fields) field = WholeCharacters(field);
  }
  const Text& original = input.fields[0];
  const Text& oldJar = input.fields[1];

  Text headers = original, received, location;
  ParseResponseHeaders(headers, received, location, nullptr);
  FUZZ_CHECK(headers.size() == original.size() && FoldedLetters(headers) == FoldedLetters(original));
  for (size_t at = 0; (at = NaiveFind(headers, "set-cookie", at, LetterCase::IgnoreAscii)) != TextView::npos; ++at)
    FUZZ_CHECK(headers.compare(at, 10, "Set-Cookie") == 0);

  TextList items;
  Text expectedLocation;
  for (const Text& line : SplitText(headers, "\r\n")) {
    if (FindText(line, "Set-Cookie") != -1) {
      items.push_back(ExpectedItem(line));
      // A plain "Set-Cookie: name=value; attributes" line gives name=value.
      int semicolon = FindText(line, ";");
      if (FindText(line, "Set-Cookie:") == 1 && FindText(line, "set-cookie:", 2, LetterCase::IgnoreAscii) == -1)
        FUZZ_CHECK(items.back() == TrimSpaces(TextView(line).substr(11, semicolon == -1 ? TextView::npos : size_t(semicolon - 12))));
    }
    if (FindText(line.substr(0, 10), "location: ", 1, LetterCase::IgnoreAscii) == 1) expectedLocation = line.substr(10);
  }
  FUZZ_CHECK(received == JoinTexts(items, "; "));
  FUZZ_CHECK(location == expectedLocation);

  if (!(input.options & 1)) return 0;
  Text headersAgain = original, receivedWithJar, locationAgain, jar = oldJar;
  ParseResponseHeaders(headersAgain, receivedWithJar, locationAgain, &jar);
  FUZZ_CHECK(headersAgain == headers && locationAgain == location);
  CheckMerge(oldJar, received, jar, receivedWithJar);
  return 0;
}
