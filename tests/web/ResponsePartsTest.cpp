// What a request reads of a response without WinHttp: status, announced
// length, a redirect that leaves TLS, and the body's room under a cap; and
// the proxy list of a configuration script's answer.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "web/ProxyScriptAnswer.h"
#include "web/ResponseParts.h"

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
