#pragma once
// Browser-like request headers, and what a request learns from the response
// headers: the cookies the server sets and the redirect target.
#include "text/Text.h"

// A line BuildRequestHeaders adds where the block does not yet name it.
struct DefaultHeaderLine {
  TextView searchedFor;
  LetterCase letterCase;
  TextView line;
};

// Tested and appended in this order. The Content-Type search is exact and has
// no space after the colon, so a lower-case caller line does not hide it.
inline constexpr DefaultHeaderLine kDefaultHeaderLines[] = {
    {"User-Agent: ", LetterCase::IgnoreAscii,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", LetterCase::IgnoreAscii, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", LetterCase::IgnoreAscii, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", LetterCase::IgnoreAscii, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", LetterCase::Exact, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", LetterCase::IgnoreAscii, "Cache-Control: no-cache\r\n"},
};

// The caller's lines (CR LF separated, none trailing) first, then each default
// line the block does not already name, then "Cookie: " + the cookie text
// when that is not empty and the block names no cookie line of its own.
[[nodiscard]] Text BuildRequestHeaders(TextView extraHeaders, TextView cookieText);

// Spells every "Set-Cookie" in `responseHeaders` in that case, appends each
// Set-Cookie item to `receivedCookies` ("; " between items), takes the last
// "Location: " line's value into `redirectLocation` and, when a jar is given,
// merges the received items into it. `afterEachLine` (may be null) runs after
// each header line: the caller's hook for keeping its window responsive.
void ParseResponseHeaders(Text& responseHeaders, Text& receivedCookies, Text& redirectLocation,
                          Text* cookieJar, void (*afterEachLine)() = nullptr);

// The bytes between the first `startMarker` at or after `startPosition` and
// the next `endMarker`; empty when either is missing. "#引号" in a marker
// stands for a double quote.
[[nodiscard]] Text TextBetween(TextView text, TextView startMarker, TextView endMarker,
                               int startPosition = 1, LetterCase letterCase = LetterCase::Exact);
