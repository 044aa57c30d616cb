// What a request reads of a response without WinHttp: status, announced
// length, a redirect that leaves TLS, the wait a Retry-After asks for, and
// the body's room under a cap; and the proxy list of a configuration
// script's answer.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "web/ProxyScriptAnswer.h"
#include "web/ResponseParts.h"
#include "web/RetryAfter.h"

#include "system/Room.h"

namespace {

TEST(ResponseStatus, IsTheStatusLineFromItsTenthByteOrEmptyWithoutALineEnd) {
  EXPECT_EQ(StatusOfHeaders("HTTP/1.1 200 OK\r\nA: 1\r\n\r\n"), "200 OK");
  EXPECT_EQ(StatusOfHeaders("HTTP/1.1 404 Not Found\r\n\r\n"), "404 Not Found");
  EXPECT_EQ(StatusOfHeaders("HTTP/1.1 200 OK"), "");
  EXPECT_EQ(StatusOfHeaders(""), "");
}

TEST(ResponseLength, IsTheFirstContentLengthInAnyLetterCaseOrMinusOne) {
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\nContent-Length: 42\r\n\r\n"), 42);
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\ncontent-length:7\r\n\r\n"), 7);
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\nCONTENT-LENGTH:    0\r\n\r\n"), 0);
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\nContent-Length: x\r\n\r\n"), -1);
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\nX-Content-Length: 5\r\n\r\n"), -1);
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\n\r\n"), -1);
  // Too many digits to be a length: none.
  EXPECT_EQ(AnnouncedLength("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n"), -1);
}

TEST(ResponseRedirect, LeavesTlsOnlyForA3xxToPlainHttp) {
  EXPECT_TRUE(RedirectsToPlainHttp("302 Found", "http://example.test/"));
  EXPECT_TRUE(RedirectsToPlainHttp("301 Moved Permanently", "HTTP://example.test/"));
  EXPECT_TRUE(RedirectsToPlainHttp("307 Temporary Redirect", " http://example.test/"));
  EXPECT_FALSE(RedirectsToPlainHttp("302 Found", "https://example.test/"));
  EXPECT_FALSE(RedirectsToPlainHttp("302 Found", "/relative/http:"));
  EXPECT_FALSE(RedirectsToPlainHttp("200 OK", "http://example.test/"));
  EXPECT_FALSE(RedirectsToPlainHttp("3xx", "http://example.test/"));
  EXPECT_FALSE(RedirectsToPlainHttp("302 Found", ""));
}

// 2025-01-01 00:00:00 UTC.
constexpr long long kNewYear2025 = 1735689600;

long long Wait(const Text& headerLines, long long now = kNewYear2025) {
  return RetryAfterSeconds("HTTP/1.1 429 Too Many Requests\r\n" + headerLines + "\r\n", now);
}

TEST(RetryAfter, SecondsAreTheFirstHeadersDigitsInAnyLetterCaseWithBlanksAround) {
  EXPECT_EQ(Wait("Retry-After: 120\r\n"), 120);
  EXPECT_EQ(Wait("retry-after:7\r\n"), 7);
  EXPECT_EQ(Wait("RETRY-AFTER: \t 30 \t\r\n"), 30);
  EXPECT_EQ(Wait("Retry-After: 0\r\n"), 0);
  EXPECT_EQ(Wait("Retry-After: 0042\r\n"), 42);
  EXPECT_EQ(Wait("Retry-After: 5\r\nRetry-After: 9\r\n"), 5);
  EXPECT_EQ(Wait("Retry-After: soon\r\nRetry-After: 9\r\n"), -1);  // the first counts, read or not
  EXPECT_EQ(RetryAfterSeconds("HTTP/1.1 503 Busy\r\nRetry-After: 8", kNewYear2025), 8);  // no line end after it
  EXPECT_EQ(Wait("X-Retry-After: 5\r\n"), -1);
  EXPECT_EQ(Wait("Content-Length: 5\r\n"), -1);
  EXPECT_EQ(RetryAfterSeconds("", kNewYear2025), -1);
}

TEST(RetryAfter, HugeSecondsAreClampedNotOverflowed) {
  EXPECT_EQ(Wait("Retry-After: 2147483646\r\n"), 2147483646);
  EXPECT_EQ(Wait("Retry-After: 2147483648\r\n"), kLongestRetryAfter);
  EXPECT_EQ(Wait("Retry-After: 99999999999999999999999999999\r\n"), kLongestRetryAfter);
  EXPECT_EQ(Wait("Retry-After: 00000000000000000000000000007\r\n"), 7);
}

TEST(RetryAfter, ADateInEachFormCountsFromTheResponsesDate) {
  const Text sent = "Date: Sun, 06 Nov 1994 08:49:00 GMT\r\n";
  EXPECT_EQ(Wait(sent + "Retry-After: Sun, 06 Nov 1994 08:49:37 GMT\r\n"), 37);
  EXPECT_EQ(Wait(sent + "Retry-After: Sunday, 06-Nov-94 08:51:00 GMT\r\n"), 120);
  EXPECT_EQ(Wait(sent + "Retry-After: Sun Nov  6 09:49:00 1994\r\n"), 3600);
  EXPECT_EQ(Wait(sent + "Retry-After: Wed Nov 16 08:49:00 1994\r\n"), 10 * 86400);
  EXPECT_EQ(Wait("retry-after:Mon, 07 Nov 1994 08:49:00 GMT\r\ndate:  Sun Nov  6 08:49:00 1994 \r\n"), 86400);
  // Across a leap day and a month's end, and a leap second.
  EXPECT_EQ(Wait("Date: Wed, 28 Feb 2024 23:59:30 GMT\r\nRetry-After: Fri, 01 Mar 2024 00:00:30 GMT\r\n"),
            86400 + 60);
  EXPECT_EQ(Wait("Date: Wed, 28 Feb 2024 23:59:30 GMT\r\nRetry-After: Wed, 28 Feb 2024 23:59:60 GMT\r\n"), 30);
  EXPECT_EQ(Wait("Date: Wed, 28 Feb 2024 23:59:30 GMT\r\nRetry-After: Thu, 29 Feb 2024 00:00:00 GMT\r\n"), 30);
  EXPECT_EQ(Wait("Date: Sun, 28 Feb 2100 23:59:30 GMT\r\nRetry-After: Mon, 01 Mar 2100 00:00:30 GMT\r\n"), 60);
  EXPECT_EQ(Wait("Date: Tue, 29 Feb 2000 00:00:00 GMT\r\nRetry-After: Wed, 01 Mar 2000 00:00:00 GMT\r\n"), 86400);
  // The server's clock, not ours: a Date far from the clock still counts.
  EXPECT_EQ(Wait(sent + "Retry-After: Sun, 06 Nov 1994 08:50:00 GMT\r\n", LLONG_MAX), 60);
}

TEST(RetryAfter, WithoutAReadableDateTheClockCounts) {
  EXPECT_EQ(Wait("Retry-After: Wed, 01 Jan 2025 00:10:00 GMT\r\n"), 600);
  EXPECT_EQ(Wait("Date: yesterday\r\nRetry-After: Wed, 01 Jan 2025 00:10:00 GMT\r\n"), 600);
  EXPECT_EQ(Wait("Date: Wed, 01 Jan 2025 00:01:00 UTC\r\nRetry-After: Wed, 01 Jan 2025 00:01:05 GMT\r\n"), 65);
  EXPECT_EQ(Wait("Retry-After: Thu, 01 Jan 1970 00:00:10 GMT\r\n", 0), 10);
}

TEST(RetryAfter, APastDateIsNoWaitAndAFarOneTheLongest) {
  EXPECT_EQ(Wait("Retry-After: Sun, 06 Nov 1994 08:49:37 GMT\r\n"), 0);
  EXPECT_EQ(Wait("Date: Sun, 06 Nov 1994 08:49:37 GMT\r\nRetry-After: Sun, 06 Nov 1994 08:49:37 GMT\r\n"), 0);
  EXPECT_EQ(Wait("Retry-After: Fri, 31 Dec 9999 23:59:59 GMT\r\n"), kLongestRetryAfter);
  // Clocks past either end of the four-digit years overflow nothing.
  EXPECT_EQ(Wait("Retry-After: Fri, 31 Dec 9999 23:59:59 GMT\r\n", LLONG_MAX), 0);
  EXPECT_EQ(Wait("Retry-After: Sat, 01 Jan 0000 00:00:00 GMT\r\n", LLONG_MIN), 0);
  EXPECT_EQ(Wait("Retry-After: Sat, 01 Jan 0000 00:00:01 GMT\r\n", LLONG_MIN), 1);
  EXPECT_EQ(Wait("Retry-After: Sunday, 06-Nov-94 08:49:37 GMT\r\n", LLONG_MIN), 0);  // the year -6
}

TEST(RetryAfter, ATwoDigitYearIsAtMostFiftyYearsAfterTheClocksYear) {
  // 2025 + 50: 2075, fifty years on; 76 is 1976, long past.
  EXPECT_EQ(Wait("Retry-After: Tuesday, 01-Jan-75 00:00:00 GMT\r\n"), (50 * 365 + 12) * 86400LL);  // 12 leap days
  EXPECT_EQ(Wait("Date: Mon, 31 Dec 2074 23:59:00 GMT\r\nRetry-After: Tuesday, 01-Jan-75 00:00:00 GMT\r\n"), 60);
  EXPECT_EQ(Wait("Date: Wed, 31 Dec 1975 23:59:00 GMT\r\nRetry-After: Thursday, 01-Jan-76 00:00:00 GMT\r\n"), 60);
  EXPECT_EQ(Wait("Date: Tue, 31 Dec 2024 23:59:00 GMT\r\nRetry-After: Wednesday, 01-Jan-25 00:00:00 GMT\r\n"), 60);
  // A clock in 2099 places 01 in 2101, not a century back.
  EXPECT_EQ(Wait("Retry-After: Saturday, 01-Jan-01 00:00:00 GMT\r\n", 4102444800 - 86400 * 365), 2 * 86400 * 365);
}

TEST(RetryAfter, AnythingElseIsMinusOne) {
  for (const char* value : {
           "", "soon", "-5", "+5", "5s", "1.5", "5 6", "0x10",
           "Sun, 06 Nov 1994 08:49:37 UTC",
           "sun, 06 nov 1994 08:49:37 gmt",   // HTTP dates are case-sensitive
           "Sun, 6 Nov 1994 08:49:37 GMT",    // the day takes two digits
           "Sun,  06 Nov 1994 08:49:37 GMT",
           "Sun, 06 Nov 94 08:49:37 GMT",
           "Sun, 06 Nov 1994 08:49:37 GMTx",
           "Sun, 06 Nov 1994 08:49 GMT",
           "Sun 06 Nov 1994 08:49:37 GMT",
           "Sunday, 06 Nov 1994 08:49:37 GMT",
           "Sun, 06-Nov-94 08:49:37 GMT",     // the RFC 850 form names the day in full
           "Sunday, 06-Nov-1994 08:49:37 GMT",
           "Sun Nov 6 08:49:37 1994",
           "Sun Nov  6 08:49:37 1994 GMT",
           "Sun, 31 Feb 1994 08:49:37 GMT",
           "Sun, 29 Feb 1900 08:49:37 GMT",
           "Sun, 31 Apr 1994 08:49:37 GMT",
           "Sun, 00 Nov 1994 08:49:37 GMT",
           "Sun, 06 Nov 1994 24:00:00 GMT",
           "Sun, 06 Nov 1994 08:60:00 GMT",
           "Sun, 06 Nov 1994 08:49:61 GMT",
           "Sun, 06 Nox 1994 08:49:37 GMT",
       }) {
    EXPECT_EQ(Wait(Text("Retry-After: ") + value + "\r\n"), -1) << value;
  }
}

TEST(BodyRoom, GrowsByTheChunkUpToTheCapAndRefusesPastIt) {
  ByteSet body;
  ASSERT_EQ(MakeRoomForChunk(body, 6, 10), BodyRoom::Made);
  EXPECT_EQ(body.size(), 6u);
  ASSERT_EQ(MakeRoomForChunk(body, 4, 10), BodyRoom::Made);
  EXPECT_EQ(body.size(), 10u);
  EXPECT_EQ(MakeRoomForChunk(body, 1, 10), BodyRoom::PastBound);
  EXPECT_EQ(body.size(), 10u);  // left as it was
  EXPECT_LE(body.capacity(), 10u);
}

TEST(BodyRoom, ACapNeverCostsMoreThanItself) {
  // Grown one small chunk at a time, as WinHttp hands a long body on.
  for (size_t cap : {size_t(1000), size_t(4096), size_t(32 * 1024 * 1024)}) {
    ByteSet body;
    while (MakeRoomForChunk(body, 777, cap) == BodyRoom::Made) {
    }
    EXPECT_LE(body.capacity(), cap) << cap;
    EXPECT_GT(body.size() + 777, cap) << cap;
  }
}

TEST(BodyRoom, AChunkLargerThanTheCapIsRefusedWithoutRoomMade) {
  ByteSet body;
  EXPECT_EQ(MakeRoomForChunk(body, size_t(-1), 100), BodyRoom::PastBound);
  EXPECT_EQ(body.capacity(), 0u);
  EXPECT_EQ(MakeRoomForChunk(body, 5000, 0), BodyRoom::Made);  // no cap
  EXPECT_EQ(body.size(), 5000u);
}

TEST(BodyRoom, RefusedRoomIsAnAnswerThatLeavesTheBodyAsItWas) {
  ByteSet body;
  ASSERT_EQ(MakeRoomForChunk(body, 3000, 0), BodyRoom::Made);
  const size_t capacity = body.capacity();
  LimitRoomForTests(5000);
  EXPECT_EQ(MakeRoomForChunk(body, 3000, 0), BodyRoom::Refused);  // doubling asks for 6000
  EXPECT_EQ(MakeRoomForChunk(body, size_t(-1) - 1000, 0), BodyRoom::Refused);
  LimitRoomForTests(0);
  EXPECT_EQ(body.size(), 3000u);
  EXPECT_EQ(body.capacity(), capacity);
  EXPECT_EQ(MakeRoomForChunk(body, 3000, 0), BodyRoom::Made);
}

TEST(ProxyScriptAnswer, ListsTheHttpProxiesBeforeTheFirstDirectInOrder) {
  const std::tuple<const wchar_t*, bool, const wchar_t*> answers[] = {
      {L"PROXY a:1; DIRECT", true, L"a:1"},
      {L"  proxy   a:1 ;PROXY b:2;DIRECT; PROXY c:3", true, L"a:1;b:2"},
      {L"HTTP a:1", true, L"a:1"},
      {L"DIRECT", true, L""},
      {L"DIRECT; PROXY a:1", true, L""},
      // Kinds WinHttp cannot reach are passed over.
      {L"SOCKS s:1; HTTPS h:2; PROXY a:1", true, L"a:1"},
      {L"SOCKS5 s:1; DIRECT", true, L""},
      {L"SOCKS s:1", false, L""},
      {L"PROXY", false, L""},
      {L"", false, L""},
  };
  for (auto [answer, read, expected] : answers) {
    std::wstring proxyList = L"left over";
    EXPECT_EQ(ReadProxyScriptAnswer(answer, proxyList), read) << answer;
    EXPECT_EQ(proxyList, expected) << answer;
  }
}

}  // namespace
