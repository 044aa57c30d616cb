// What bounds a request, checked against the recording fake: the body's cap,
// the call's overall time, an end from another thread, the TLS versions and
// the refusal of a redirect from https to plain http.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/web/FakeWinHttp.h"
#include "web/WebRequest.h"

namespace {

const Text kUrl = "http://example.test/page";
const Text kSecureUrl = "https://example.test/page";

Text Request(const Text& url, WebRequestOptions options = {}) { return WebRequest(url, options, FakeWinHttpApi()); }

const TextList kAllClosed = {"Close(request)", "Close(connection)", "Close(session)"};

// Every output of one call through the fake.
struct Outcome {
  Text text, status = "caller";
  unsigned long systemError = 0;
  ByteSet body;
};

Outcome RequestWithOutputs(const Text& url, WebRequestOptions options = {}) {
  Outcome outcome;
  RequestOutcome record;
  options.statusText = &outcome.status;
  options.outcome = &record;
  options.responseBody = &outcome.body;
  outcome.text = Request(url, options);
  outcome.systemError = record.systemError;
  return outcome;
}

ByteSet Bytes(size_t count) { return ByteSet(count, 'a'); }

TEST(WebRequestBodyCap, ABodyUpToTheCapArrivesWhole) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = Bytes(12);
  WebRequestOptions options;
  options.mostBodyBytes = 12;
  const Outcome outcome = RequestWithOutputs(kUrl, options);
  EXPECT_EQ(outcome.status, "200 OK");
  EXPECT_EQ(outcome.body, Bytes(12));
  EXPECT_EQ(outcome.text, Text(12, 'a'));
}

TEST(WebRequestBodyCap, ABodyPastTheCapIsAFailedReadThatStopsAtOnceAndKeepsNothing) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = Bytes(13);
  fake.chunkSize = 4;
  fake.rawHeaders = L"HTTP/1.1 200 OK\r\nContent-Length: 13\r\n\r\n";
  WebRequestOptions options;
  options.mostBodyBytes = 12;
  const Outcome outcome = RequestWithOutputs(kUrl, options);
  EXPECT_EQ(outcome.status, "713 读取数据失败!");
  EXPECT_EQ(outcome.systemError, kBodyTooLarge);
  EXPECT_EQ(outcome.text, "");
  EXPECT_TRUE(outcome.body.empty());
  // Three chunks of 4 fit; the fourth is never read.
  EXPECT_EQ(fake.CallsTo("ReadData").size(), 3u);
  EXPECT_EQ(fake.CallsTo("Close"), kAllClosed);
}

TEST(WebRequestBodyCap, AChunkAnnouncedPastTheCapIsNeitherAllocatedNorRead) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = Bytes(64);
  fake.chunkSize = 64;
  WebRequestOptions options;
  options.mostBodyBytes = 16;
  const Outcome outcome = RequestWithOutputs(kUrl, options);
  EXPECT_EQ(outcome.systemError, kBodyTooLarge);
  EXPECT_TRUE(fake.CallsTo("ReadData").empty());
}

TEST(WebRequestBodyCap, NoCapTakesAnyLength) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = Bytes(100000);
  fake.chunkSize = 8192;
  const Outcome outcome = RequestWithOutputs(kUrl);
  EXPECT_EQ(outcome.status, "200 OK");
  EXPECT_EQ(outcome.body.size(), 100000u);
}

TEST(WebRequestDeadline, AQuickBodyIsReadWithoutTouchingTheTimeouts) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = Bytes(40);
  (void)Request(kUrl);
  EXPECT_EQ(fake.CallsTo("SetTimeouts").size(), 1u);
}

TEST(WebRequestDeadline, ATricklingBodyEndsAtTheCallsTimeoutAsAFailedRead) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = Bytes(1000);
  fake.chunkSize = 1;
  fake.availableDelay = 300;  // every wait well inside the timeout
  WebRequestOptions options;
  options.timeoutSeconds = 2;
  const DWORD start = GetTickCount();
  const Outcome outcome = RequestWithOutputs(kUrl, options);
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(outcome.status, "713 读取数据失败!");
  EXPECT_EQ(outcome.systemError, DWORD(ERROR_WINHTTP_TIMEOUT));
  EXPECT_GE(took, 1900u);
  EXPECT_LT(took, 3500u);
  EXPECT_LT(outcome.body.size(), 10u);  // what trickled in is kept
  EXPECT_EQ(outcome.text, Text(outcome.body.begin(), outcome.body.end()));
  // The receive timeout shrinks to what is left of the 2 s: the one wait
  // that is under way when the time is up ends with it.
  const TextList timeouts = fake.CallsTo("SetTimeouts");
  ASSERT_GE(timeouts.size(), 2u);
  EXPECT_EQ(timeouts[0], "SetTimeouts(request 2000 2000 2000 2000)");
  for (size_t at = 1; at < timeouts.size(); ++at) {
    const Text& call = timeouts[at];
    EXPECT_EQ(call.rfind("SetTimeouts(request 2000 2000 2000 ", 0), 0u) << call;
    const int receive = std::atoi(call.c_str() + call.rfind(' ') + 1);
    EXPECT_GT(receive, 0) << call;
    EXPECT_LT(receive, 1001) << call;
  }
  EXPECT_EQ(fake.CallsTo("Close"), kAllClosed);
}

TEST(WebRequestCancel, ACancelBeforeTheCallOpensNothingForLong) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  RequestCancel cancel;
  cancel.Cancel();
  WebRequestOptions options;
  options.cancel = &cancel;
  const Outcome outcome = RequestWithOutputs(kUrl, options);
  EXPECT_EQ(outcome.status, "711 发送请求失败!");
  EXPECT_EQ(outcome.systemError, DWORD(ERROR_OPERATION_ABORTED));
  EXPECT_TRUE(fake.CallsTo("SendRequest").empty());
  EXPECT_EQ(fake.CallsTo("Close"), kAllClosed);
}

TEST(WebRequestCancel, ACancelDuringTheBodyClosesEachHandleOnceAndEndsTheRead) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  RequestCancel cancel;
  fake.body = Bytes(40);
  fake.chunkSize = 4;
  fake.cancel = &cancel;
  fake.cancelAtRead = 3;
  WebRequestOptions options;
  options.cancel = &cancel;
  const Outcome outcome = RequestWithOutputs(kUrl, options);
  EXPECT_EQ(outcome.status, "713 读取数据失败!");
  EXPECT_EQ(outcome.systemError, DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(fake.CallsTo("ReadData").size(), 3u);
  EXPECT_EQ(fake.CallsTo("Close"), kAllClosed);  // by the canceller, and not again on the way out
  EXPECT_TRUE(cancel.Cancelled());
}

TEST(WebRequestCancel, ACompletedCallLeavesTheCancellerUsableAndClosesOnce) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  RequestCancel cancel;
  fake.body = Bytes(8);
  WebRequestOptions options;
  options.cancel = &cancel;
  EXPECT_EQ(Request(kUrl, options), Text(8, 'a'));
  cancel.Cancel();  // after the call: nothing left to close
  EXPECT_EQ(fake.CallsTo("Close"), kAllClosed);
}

TEST(WebRequestTls, SessionsTakeTls12And13Only) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  (void)Request(kSecureUrl);
  // WINHTTP_OPTION_SECURE_PROTOCOLS (84): TLS 1.2 (0x800) | TLS 1.3 (0x2000).
  EXPECT_EQ(fake.CallsTo("SetOption")[0], "SetOption(session 84 10240 4)");
}

TEST(WebRequestTls, ASystemWithoutTls13GetsTls12Alone) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.refusedSettings = {"session 84 10240"};
  const Outcome outcome = RequestWithOutputs(kSecureUrl);
  EXPECT_EQ(outcome.status, "200 OK");
  const TextList options = fake.CallsTo("SetOption");
  ASSERT_GE(options.size(), 2u);
  EXPECT_EQ(options[1], "SetOption(session 84 2048 4)");
}

TEST(WebRequestTls, NeitherSettingTakenFailsWith706BeforeAnyConnection) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.refusedSettings = {"session 84 10240", "session 84 2048"};
  const Outcome outcome = RequestWithOutputs(kSecureUrl);
  EXPECT_EQ(outcome.status, "706 设置安全协议失败!");
  EXPECT_EQ(outcome.systemError, DWORD(ERROR_WINHTTP_INVALID_OPTION));
  EXPECT_EQ(outcome.text, "");
  EXPECT_TRUE(fake.CallsTo("Connect").empty());
  EXPECT_EQ(fake.CallsTo("Close"), TextList{"Close(session)"});
}

TEST(WebRequestRedirect, PolicyRefusesHttpsToHttpUnlessRedirectsAreOff) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  (void)Request(kSecureUrl);
  // WINHTTP_OPTION_REDIRECT_POLICY (88): DISALLOW_HTTPS_TO_HTTP (1).
  EXPECT_EQ(fake.CallsTo("SetOption").back(), "SetOption(request 88 1 4)");
  // A system that refuses the policy still gets its request.
  ResetFakeWinHttp().refusedSettings = {"request 88 1"};
  EXPECT_EQ(RequestWithOutputs(kSecureUrl).status, "200 OK");
}

TEST(WebRequestRedirect, AnUnfollowedRedirectToPlainHttpFailsLikeAFailedRedirect) {
  const wchar_t* targets[] = {L"http://example.test/plain", L"HTTP://example.test/plain"};
  for (const wchar_t* target : targets) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    fake.rawHeaders = std::wstring(L"HTTP/1.1 302 Found\r\nSet-Cookie: a=1\r\nLocation: ") + target + L"\r\n\r\n";
    fake.body = {'m', 'o', 'v', 'e', 'd'};
    Text jar = "old=1", location = "caller";
    WebRequestOptions options;
    options.cookieJar = &jar;
    options.redirectLocation = &location;
    const Outcome outcome = RequestWithOutputs(kSecureUrl, options);
    EXPECT_EQ(outcome.status, "712 服务器未响应!");
    EXPECT_EQ(outcome.systemError, DWORD(ERROR_WINHTTP_REDIRECT_FAILED));
    EXPECT_EQ(outcome.text, "");
    EXPECT_EQ(jar, "old=1");  // nothing of the refused response is taken
    EXPECT_EQ(location, "caller");
  }
}

TEST(WebRequestRedirect, RedirectsThatStayOrAreAskedForAreHandedOn) {
  struct Case {
    const char* url;
    const wchar_t* location;
    bool noRedirect;
  };
  const Case cases[] = {
      {"https://example.test/", L"https://example.test/other", false},  // stays on TLS
      {"http://example.test/", L"http://example.test/other", false},    // was plain already
      {"https://example.test/", L"http://example.test/other", true},    // the caller follows nothing
  };
  for (const Case& each : cases) {
    ResetFakeWinHttp().rawHeaders = std::wstring(L"HTTP/1.1 302 Found\r\nLocation: ") + each.location + L"\r\n\r\n";
    WebRequestOptions options;
    options.noRedirect = each.noRedirect;
    EXPECT_EQ(RequestWithOutputs(each.url, options).status, "302 Found") << each.url;
  }
}

}  // namespace
