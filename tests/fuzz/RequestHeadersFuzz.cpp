// BuildRequestHeaders: the caller's text comes first and is kept whole, each
// default line follows at most once, in table order, exactly when the block
// built so far does not name it, then the cookie line; every default is named.
#include "tests/fuzz/FuzzInput.h"
#include "web/RequestHeaders.h"

namespace {

struct DefaultLine {
  TextView searchedFor;
  LetterCase letterCase;
  TextView line;
};

const DefaultLine kDefaultLines[] = {
    {"User-Agent: ", LetterCase::IgnoreAscii,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", LetterCase::IgnoreAscii, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", LetterCase::IgnoreAscii, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", LetterCase::IgnoreAscii, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", LetterCase::Exact, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", LetterCase::IgnoreAscii, "Cache-Control: no-cache\r\n"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input = ReadFuzzInput(data, size, 2);
  const Text& extraHeaders = input.fields[0];
  const Text& cookieText = input.fields[1];

  Text block = BuildRequestHeaders(extraHeaders, cookieText);
  Text built = extraHeaders.empty() ? Text() : extraHeaders + "\r\n";
  FUZZ_CHECK(block.compare(0, built.size(), built) == 0);
  TextView rest = TextView(block).substr(built.size());
  for (const DefaultLine& row : kDefaultLines) {
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
