#include "web/RequestHeaders.h"

#include "web/Cookies.h"

namespace {

// Spelled in bytes so that a compiler without the GBK character set (the
// fuzz build's clang) makes the same token.
constexpr TextView kQuoteToken = "#\xD2\xFD\xBA\xC5";  // #引号

Text SetCookieItem(const Text& line) {
  if (FindText(line, ";") != -1) return TextBetween(line, "Set-Cookie:", ";");
  return ReplaceAll(line, "Set-Cookie:", "", LetterCase::IgnoreAscii);
}

}  // namespace

Text BuildRequestHeaders(TextView extraHeaders, TextView cookieText) {
  Text block;
  if (!extraHeaders.empty()) block.append(extraHeaders).append("\r\n");
  for (const DefaultHeaderLine& row : kDefaultHeaderLines) {
    if (FindText(block, row.searchedFor, 1, row.letterCase) == -1) block.append(row.line);
  }
  if (!cookieText.empty() && FindText(block, "Cookie: ", 1, LetterCase::IgnoreAscii) == -1)
    block.append("Cookie: ").append(cookieText).append("\r\n");
  return block;
}

void ParseResponseHeaders(Text& responseHeaders, Text& receivedCookies, Text& redirectLocation,
                          Text* cookieJar, void (*afterEachLine)()) {
  responseHeaders = ReplaceAll(responseHeaders, "Set-Cookie", "Set-Cookie", LetterCase::IgnoreAscii);
  constexpr TextView kLocation = "Location: ";
  for (const Text& line : SplitText(responseHeaders, "\r\n")) {
    if (FindText(line, "Set-Cookie") != -1) receivedCookies.append(TrimSpaces(SetCookieItem(line))).append("; ");
    if (line.size() >= kLocation.size() &&
        FindText(TextView(line).substr(0, kLocation.size()), kLocation, 1, LetterCase::IgnoreAscii) == 1)
      redirectLocation = line.substr(kLocation.size());
    if (afterEachLine) afterEachLine();
  }
  receivedCookies.resize(receivedCookies.size() >= 2 ? receivedCookies.size() - 2 : 0);
  if (cookieJar) MergeCookies(*cookieJar, receivedCookies);
}

Text TextBetween(TextView text, TextView startMarker, TextView endMarker, int startPosition, LetterCase letterCase) {
  Text start = ReplaceAll(startMarker, kQuoteToken, "\"");
  Text end = ReplaceAll(endMarker, kQuoteToken, "\"");
  int startAt = FindText(text, start, startPosition, letterCase);
  if (startAt == -1) return {};
  int from = startAt + int(start.size());
  int endAt = FindText(text, end, from, letterCase);
  if (endAt == -1) return {};
  return Text(text.substr(size_t(from - 1), size_t(endAt - from)));
}
