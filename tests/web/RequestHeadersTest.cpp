#include "web/RequestHeaders.h"

#include <gtest/gtest.h>

namespace {

const Text kDefaultBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

TEST(BuildRequestHeaders, WithNothingGivenIsTheSixDefaultLinesInOrder) {
  EXPECT_EQ(BuildRequestHeaders("", ""), kDefaultBlock);
}

TEST(BuildRequestHeaders, CallerLinesComeFirstAndHideDefaultsTheyName) {
  Text block = BuildRequestHeaders("user-agent: X", "");
  EXPECT_EQ(block.rfind("user-agent: X\r\nAccept: ", 0), 0u);
  EXPECT_EQ(FindText(block, "Mozilla"), -1);
  // The search looks anywhere, so "X-Accept: " hides the Accept default.
  EXPECT_EQ(FindText(BuildRequestHeaders("X-Accept: 1", ""), "Accept: text/html"), -1);
}

TEST(BuildRequestHeaders, ContentTypeSearchIsExactCase) {
  Text block = BuildRequestHeaders("content-type: text/plain", "");
  EXPECT_EQ(FindText(block, "content-type: text/plain\r\n"), 1);
  EXPECT_NE(FindText(block, "Content-Type: application/x-www-form-urlencoded\r\n"), -1);
  EXPECT_EQ(FindText(BuildRequestHeaders("Content-Type:text/plain", ""), "application/x-www"), -1);
}

TEST(BuildRequestHeaders, CookieLineOnlyForNonEmptyJarAndNoCallerCookieLine) {
  EXPECT_EQ(BuildRequestHeaders("", "a=1"), kDefaultBlock + "Cookie: a=1\r\n");
  EXPECT_EQ(FindText(BuildRequestHeaders("cookie: b=2", "a=1"), "a=1"), -1);
}

struct Parsed {
  Text headers, received, location, jar;
};

Parsed Parse(Text headers, const Text* jar = nullptr) {
  Parsed parsed{std::move(headers), "", "", jar ? *jar : ""};
  ParseResponseHeaders(parsed.headers, parsed.received, parsed.location, jar ? &parsed.jar : nullptr);
  return parsed;
}

TEST(ParseResponseHeaders, CollectsSetCookieItemsInAnyCaseAndRespellsThem) {
  Parsed parsed = Parse("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: b=2\r\n\r\n");
  EXPECT_EQ(parsed.received, "a=1; b=2");
  EXPECT_EQ(parsed.headers, "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n");
  EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n").received, "");
}

TEST(ParseResponseHeaders, SetCookie2LineGivesAnEmptyItem) {
  EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nSet-Cookie2: x=1; Version=1\r\nSet-Cookie: a=1\r\n").received, "; a=1");
}

TEST(ParseResponseHeaders, LocationMustStartTheLineAndTheLastOneWins) {
  EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nlocation: /next\r\n\r\n").location, "/next");
  EXPECT_EQ(Parse("HTTP/1.1 200 OK\r\nContent-Location: /x\r\n\r\n").location, "");
  EXPECT_EQ(Parse("HTTP/1.1 302 Found\r\nLocation: /a\r\nLocation: /b\r\n").location, "/b");
}

TEST(ParseResponseHeaders, MergesIntoSuppliedJarOnly) {
  Text jar = "a=0; c=3";
  Parsed parsed = Parse("HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nSET-COOKIE: b=2; path=/\r\n", &jar);
  EXPECT_EQ(parsed.jar, "a=1; b=2; c=3");
  EXPECT_EQ(parsed.received, "a=1;b=2");  // the merge writes it back without spaces
}

int linesSeen = 0;
void CountLine() { ++linesSeen; }

TEST(ParseResponseHeaders, CallsTheHookAfterEveryLine) {
  Text headers = "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n", received, location;
  linesSeen = 0;
  ParseResponseHeaders(headers, received, location, nullptr, CountLine);
  EXPECT_EQ(linesSeen, 3);  // status line, A, and the empty line before the end
}

TEST(TextBetween, FindsBytesBetweenMarkersFromAPosition) {
  EXPECT_EQ(TextBetween("<a>x</a><a>y</a>", "<a>", "</a>"), "x");
  EXPECT_EQ(TextBetween("<a>x</a><a>y</a>", "<a>", "</a>", 2), "y");
  EXPECT_EQ(TextBetween("<A>x</a>", "<a>", "</a>", 1, LetterCase::IgnoreAscii), "x");
  EXPECT_EQ(TextBetween("<A>x</a>", "<a>", "</a>"), "");
  EXPECT_EQ(TextBetween("<a>x", "<a>", "</a>"), "");
}

TEST(TextBetween, QuoteTokenStandsForADoubleQuoteInBothMarkers) {
  const Text token = "#\xD2\xFD\xBA\xC5";  // #引号
  EXPECT_EQ(TextBetween("<a href=\"/x?y\" id=\"z\">", "href=" + token, token), "/x?y");
}

TEST(TextBetween, NeverStartsAMarkerInsideADoubleByteCharacter) {
  // "\xD6\x3C" is a double-byte character whose trail byte is '<'.
  EXPECT_EQ(TextBetween("\xD6\x3C" "a>x</a>", "<a>", "</a>"), "");
}

}  // namespace
