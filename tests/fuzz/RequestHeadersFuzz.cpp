// BuildRequestHeaders: the caller's text comes first and is kept whole, each
// default line follows at most once, in table order, exactly when the block
// built so far does not name it, then the cookie line; every default is named.
// The table is the product's own: its lines are RequestHeadersTest's to check.
#include "tests/fuzz/FuzzInput.h"
#include "web/RequestHeaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 2);
  const Text& extraHeaders = input.fields[0];
  const Text& cookieText = input.fields[1];

  Text block = BuildRequestHeaders(extraHeaders, cookieText);
  Text built = extraHeaders.empty() ? Text() : extraHeaders + "\r\n";
  FUZZ_CHECK(block.compare(0, built.size(), built) == 0);
  TextView rest = TextView(block).substr(built.size());
  for (const DefaultHeaderLine& row : kDefaultHeaderLines) {
    if (FindText(built, row.searchedFor, 1, row.letterCase) == -1) {
      FUZZ_CHECK(rest.substr(0, row.line.size()) == row.line);
      rest.remove_prefix(row.line.size());
      built.append(row.line);
    }
    FUZZ_CHECK(FindText(block, row.searchedFor, 1, row.letterCase) != -1);
  }
  if (!cookieText.empty() && FindText(built, "Cookie: ", 1, LetterCase::IgnoreAscii) == -1) {
    FUZZ_CHECK(rest == "Cookie: " + cookieText + "\r\n");
  } else {
    FUZZ_CHECK(rest.empty());
  }
  return 0;
}
