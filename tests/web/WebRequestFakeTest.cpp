// The exact arguments the request passes to WinHttp, and what it does when a
// WinHttp call fails, checked against the recording fake.
#include <gtest/gtest.h>

#include <ctime>
#include <utility>

#include "tests/web/FakeWinHttp.h"
#include "web/RequestHeaders.h"
#include "web/WebRequest.h"

namespace {

const Text kUrl = "http://example.test:8080/a/b?x=1";

Text Request(const Text& url, WebRequestOptions options = {}) { return WebRequest(url, options, FakeWinHttpApi()); }

TextList Closes(const FakeWinHttp& fake) { return fake.CallsTo("Close"); }

const TextList kAllClosed = {"Close(request)", "Close(connection)", "Close(session)"};

struct FailureCase {
  const char* call;
  int occurrence;
  const char* message;
  TextList closes;
};

TEST(WebRequestFailure, EachFailingCallWritesItsMessageAndClosesInReverseOrder) {
  const FailureCase cases[] = {
      {"CheckPlatform", 1, "700 当前系统不支持WinHttp服务!", {}},
      {"CrackUrl", 1, "701 解析URL地址失败!", {}},
      {"Open", 1, "702 创建WinHttp会话失败!", {}},
      {"Connect", 1, "703 创建WinHttp连接失败!", {"Close(session)"}},
      {"OpenRequest", 1, "704 创建WinHttp请求失败!", {"Close(connection)", "Close(session)"}},
      {"SetTimeouts", 1, "705 设置超时时间失败!", kAllClosed},
      {"SetOption", 2, "705 设置超时时间失败!", kAllClosed},  // the wait for the response headers (1: TLS)
      {"SetCredentials", 1, "707 设置代理凭证失败!", kAllClosed},  // server credentials
      {"SetCredentials", 2, "707 设置代理凭证失败!", kAllClosed},  // proxy credentials
      {"SetOption", 3, "708 禁止自动设置Cookies失败!", kAllClosed},
      {"SetOption", 4, "709 重定向设置失败!", kAllClosed},
      {"AddRequestHeaders", 1, "710 设置协议头失败!", kAllClosed},
      {"SendRequest", 1, "711 发送请求失败!", kAllClosed},
      {"ReceiveResponse", 1, "712 服务器未响应!", kAllClosed},
  };
  for (const FailureCase& failure : cases) {
    SCOPED_TRACE(Text(failure.call) + " #" + DecimalText(failure.occurrence));
    FakeWinHttp& fake = ResetFakeWinHttp();
    fake.failing = failure.call;
    fake.failingCount = failure.occurrence;
    fake.body = {'h', 'i'};
    Text status = "caller", headers = "caller", jar = "a=1";
    ByteSet body = {'k'};
    WebRequestOptions options;
    options.userName = "u", options.password = "p", options.proxyUser = "pu", options.proxyPassword = "pp";
    options.noRedirect = true;
    options.statusText = &status, options.responseHeaders = &headers, options.cookieJar = &jar;
    options.responseBody = &body;
    EXPECT_EQ(Request(kUrl, options), "");
    EXPECT_EQ(status, failure.message);
    EXPECT_EQ(Closes(fake), failure.closes);
    EXPECT_TRUE(failure.closes.empty() || fake.calls.back().rfind("Close", 0) == 0);  // nothing after closing
    EXPECT_EQ(headers, "caller");
    EXPECT_EQ(jar, "a=1");
    EXPECT_EQ(body, ByteSet{'k'});
  }
}

TEST(WebRequestFailure, ReadFailureKeepsBytesSoFarAndIsReportedAfterTheStatusLine) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'};
  fake.failReadAt = 3;
  Text status;
  ByteSet body;
  WebRequestOptions options;
  options.statusText = &status, options.responseBody = &body;
  EXPECT_EQ(Request(kUrl, options), "abcdefgh");
  EXPECT_EQ(body, (ByteSet{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}));
  EXPECT_EQ(status, "713 读取数据失败!");  // not the "200 OK" of the headers
  EXPECT_EQ(Closes(fake), kAllClosed);
}

TEST(WebRequestFailure, ABodyShorterThanItsContentLengthIsAFailedRead) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = {'a', 'b', 'c'};
  fake.rawHeaders = L"HTTP/1.1 200 OK\r\ncontent-length:  4\r\n\r\n";
  Text status;
  WebRequestOptions options;
  options.statusText = &status;
  EXPECT_EQ(Request(kUrl, options), "abc");
  EXPECT_EQ(status, "713 读取数据失败!");
  ResetFakeWinHttp();  // the same record, anew
  fake.body = {'a', 'b', 'c'};
  fake.rawHeaders = L"HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n";
  EXPECT_EQ(Request(kUrl, options), "abc");
  EXPECT_EQ(status, "200 OK");  // whole
}

TEST(WebRequestFailure, UnreadableHeadersGiveEmptyTextAndTouchNoOutput) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = {'a', 'b', 'c', 'd', 'e'};
  fake.failReadAt = 2;
  fake.failHeaderRead = true;
  fake.rawHeaders = L"HTTP/1.1 200 OK\r\nSet-Cookie: n=1\r\n\r\n";
  Text status = "caller", jar = "a=1", headers = "caller";
  ByteSet body = {'k'};
  WebRequestOptions options;
  options.statusText = &status, options.cookieJar = &jar, options.responseHeaders = &headers;
  options.responseBody = &body;
  EXPECT_EQ(Request(kUrl, options), "");
  EXPECT_EQ(status, "713 读取数据失败!");
  EXPECT_EQ(jar, "a=1");
  EXPECT_EQ(headers, "caller");
  EXPECT_EQ(body, ByteSet{'k'});
  EXPECT_EQ(Closes(fake), kAllClosed);
}

TEST(WebRequestFailure, UrlsThatDoNotCrackFailWith701) {
  for (const Text url : {"", "example.test/a", "ftp//x"}) {
    SCOPED_TRACE(url);
    ResetFakeWinHttp();
    Text status;
    WebRequestOptions options;
    options.statusText = &status;
    EXPECT_EQ(Request(url, options), "");
    EXPECT_EQ(status, "701 解析URL地址失败!");
  }
}

TEST(WebRequestPipeline, SuccessfulCallRunsTheStepsInOrderAndClosesAll) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.body = {'o', 'k'};
  EXPECT_EQ(Request(kUrl), "ok");
  TextList names;
  for (const Text& call : fake.calls) names.push_back(call.substr(0, call.find('(')));
  const TextList expected = {"CheckPlatform", "CrackUrl", "Open", "SetOption", "Connect", "OpenRequest", "SetTimeouts",
                             "SetOption", "SetOption", "SetOption", "AddRequestHeaders", "SendRequest", "ReceiveResponse",
                             "QueryDataAvailable", "ReadData", "QueryDataAvailable", "QueryHeaders", "QueryHeaders",
                             "Close", "Close", "Close"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(Closes(fake), kAllClosed);
  // The record's documented size: 60 bytes in the 32-bit program (104 in a 64-bit build).
  static_assert(sizeof(void*) != 4 || sizeof(URL_COMPONENTS) == 60, "URL_COMPONENTS of 32-bit Windows");
  EXPECT_EQ(fake.CallsTo("CrackUrl"), TextList{"CrackUrl(32 0 size=" + DecimalText(int(sizeof(URL_COMPONENTS))) + ")"});
  EXPECT_EQ(fake.CallsTo("QueryHeaders")[0], "QueryHeaders(request 22 null null 0 null)");
}

TEST(WebRequestPipeline, MethodNumbersChooseTheVerbAndOthersMeanGet) {
  const std::pair<int, const char*> verbs[] = {{0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "PUT"},
                                                {-1, "GET"}, {4, "GET"}, {100, "GET"}};
  for (auto [method, verb] : verbs) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    WebRequestOptions options;
    options.method = method;
    (void)Request(kUrl, options);
    EXPECT_EQ(fake.CallsTo("OpenRequest"),
              TextList{"OpenRequest(connection \"" + Text(verb) + "\" \"/a/b?x=1\" null null null 0x0)"})
        << method;
  }
}

TEST(WebRequestPipeline, ObjectNameIsPathAndQueryOrSlash) {
  const std::pair<const char*, const char*> objects[] = {
      {"http://example.test", "\"/\" null null null 0x0"},
      {"http://example.test/a/b?x=1", "\"/a/b?x=1\" null null null 0x0"},
      {"http://example.test?x=1", "\"/\" null null null 0x0"},  // a query without a path is not sent
      {"https://example.test/s", "\"/s\" null null null 0x800000"},
  };
  for (auto [url, expected] : objects) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    (void)Request(url);
    EXPECT_EQ(fake.CallsTo("OpenRequest"), TextList{"OpenRequest(connection \"GET\" " + Text(expected) + ")"}) << url;
  }
}

TEST(WebRequestPipeline, HostAndPortComeFromTheUrlWithSchemeDefaults) {
  const std::pair<const char*, const char*> connects[] = {
      {"http://example.test/", "Connect(session \"example.test\" 80 0)"},
      {"https://example.test/", "Connect(session \"example.test\" 443 0)"},
      {"http://127.0.0.1:8080/", "Connect(session \"127.0.0.1\" 8080 0)"},
  };
  for (auto [url, expected] : connects) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    (void)Request(url);
    EXPECT_EQ(fake.CallsTo("Connect"), TextList{expected}) << url;
  }
}

TEST(WebRequestPipeline, TimeoutsAreSecondsTimesThousandOrThirtySeconds) {
  const std::pair<int, const char*> timeouts[] = {{0, "30000"}, {-5, "30000"}, {7, "7000"}, {2147483647, "2147483647"}};
  for (auto [seconds, milliseconds] : timeouts) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    WebRequestOptions options;
    options.timeoutSeconds = seconds;
    (void)Request(kUrl, options);
    Text t = milliseconds;
    EXPECT_EQ(fake.CallsTo("SetTimeouts"), TextList{"SetTimeouts(request " + t + " " + t + " " + t + " " + t + ")"})
        << seconds;
    // WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT: the wait for the headers is one of the phases.
    const TextList setOptions = fake.CallsTo("SetOption");
    ASSERT_FALSE(setOptions.empty());
    ASSERT_GE(setOptions.size(), 2u);
    EXPECT_EQ(setOptions[1], "SetOption(request 7 " + t + " 4)") << seconds;  // after the session's TLS versions
  }
}

TEST(WebRequestPipeline, ProxyListNamesHttpSchemeOnlyForPlainUrls) {
  const std::tuple<const char*, const char*, const char*> proxies[] = {
      {"http://example.test/", "127.0.0.1:8080", "Open(null 3 \"http=127.0.0.1:8080\" null 0)"},
      {"https://example.test/", "127.0.0.1:8080", "Open(null 3 \"127.0.0.1:8080\" null 0)"},
      {"http://example.test/", "", "Open(null 1 \"\" null 0)"},
  };
  for (auto [url, proxy, expected] : proxies) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    WebRequestOptions options;
    options.proxy = proxy;
    (void)Request(url, options);
    EXPECT_EQ(fake.CallsTo("Open"), TextList{expected}) << url << " " << proxy;
  }
}

// A configuration script whose FindProxyForURL answers `answer`, padded with
// spaces to `length` bytes where that is longer.
ByteSet ProxyScript(const char* answer, size_t length = 0) {
  Text script = Text("function FindProxyForURL(url, host) { return \"") + answer + "\"; }";
  if (script.size() < length) script.resize(length, ' ');
  return ByteSet(script.begin(), script.end());
}

const Text kScriptRequest = "OpenRequest(connection \"GET\" \"/p.pac\" null null null 0x0)";

TEST(WebRequestPipeline, WithoutACallersProxyTheSessionFollowsTheUsersSettings) {
  struct Case {
    const char* name;
    void (*arrange)(FakeWinHttp&);
    const char* callersProxy;
    TextList opens;
  };
  const Text direct = "Open(null 1 \"\" null 0)";
  const Case cases[] = {
      {"named proxy and bypass list", [](FakeWinHttp& fake) { fake.userProxy = L"p:1", fake.userBypass = L"localhost;<local>"; },
       "", {"Open(null 3 \"p:1\" \"localhost;<local>\" 0)"}},
      {"named proxy alone", [](FakeWinHttp& fake) { fake.userProxy = L"p:1"; }, "", {"Open(null 3 \"p:1\" null 0)"}},
      // The script is fetched on a direct session of its own; its answer opens the request's.
      {"script over the named proxy", [](FakeWinHttp& fake) {
         fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac";
         fake.script = ProxyScript("PROXY s:2; DIRECT");
       }, "", {direct, "Open(null 3 \"s:2\" null 0)"}},
      {"script says direct", [](FakeWinHttp& fake) {
         fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac", fake.script = ProxyScript("DIRECT");
       }, "", {direct, direct}},
      {"script not found leaves the named proxy", [](FakeWinHttp& fake) {
         fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac", fake.script = ProxyScript("PROXY s:2");
         fake.scriptHeaders = L"HTTP/1.1 404 Not Found\r\n\r\n";
       }, "", {direct, "Open(null 3 \"p:1\" null 0)"}},
      {"failing script leaves the named proxy", [](FakeWinHttp& fake) {
         fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac";
         const Text script = "function FindProxyForURL(url, host) { throw 1; }";
         fake.script.assign(script.begin(), script.end());
       }, "", {direct, "Open(null 3 \"p:1\" null 0)"}},
      {"detection alone", [](FakeWinHttp& fake) { fake.userAutoDetect = true; }, "", {"Open(null 4 null null 0)"}},
      {"detection refused before Windows 8.1", [](FakeWinHttp& fake) { fake.userAutoDetect = true, fake.failing = "Open"; },
       "", {"Open(null 4 null null 0)", direct}},
      {"the caller's proxy wins", [](FakeWinHttp& fake) { fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac"; },
       "127.0.0.1:8080", {"Open(null 3 \"127.0.0.1:8080\" null 0)"}},
  };
  for (const Case& each : cases) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    each.arrange(fake);
    WebRequestOptions options;
    options.proxy = each.callersProxy;
    (void)Request("https://example.test/a?b", options);
    EXPECT_EQ(fake.CallsTo("Open"), each.opens) << each.name;
    // Never the system's own download, which nothing bounds under Wine.
    EXPECT_EQ(fake.CallsTo("GetProxyForUrl"), TextList{}) << each.name;
    if (!fake.userScriptUrl.empty() && !*each.callersProxy) {
      EXPECT_EQ(fake.CallsTo("Connect").front(), "Connect(session \"wpad\" 80 0)") << each.name;
      EXPECT_EQ(fake.CallsTo("OpenRequest").front(), kScriptRequest) << each.name;
    }
  }
}

TEST(WebRequestPipeline, AScriptIsFetchedOnceARunForEachAddressAndAFailedOneIsNotAskedAgain) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac", fake.script = ProxyScript("PROXY s:2");
  ProxyLookups run;
  WebRequestOptions options;
  options.proxyLookups = &run;
  for (int page = 0; page < 3; ++page) (void)Request("https://example.test/a?b", options);
  const Text direct = "Open(null 1 \"\" null 0)", scripts = "Open(null 3 \"s:2\" null 0)";
  EXPECT_EQ(fake.CallsTo("Open"), (TextList{direct, scripts, scripts, scripts}));

  // The settings name another script, which is not found.
  fake.calls.clear();
  fake.userScriptUrl = L"http://wpad/q.pac";
  fake.scriptHeaders = L"HTTP/1.1 404 Not Found\r\n\r\n";
  for (int page = 0; page < 2; ++page) (void)Request("https://example.test/a?b", options);
  const Text named = "Open(null 3 \"p:1\" null 0)";
  EXPECT_EQ(fake.CallsTo("Open"), (TextList{direct, named, named}));

  // Another run asks again.
  fake.calls.clear();
  fake.userScriptUrl = L"http://wpad/p.pac";
  fake.scriptHeaders = L"HTTP/1.1 200 OK\r\n\r\n";
  ProxyLookups nextRun;
  options.proxyLookups = &nextRun;
  (void)Request("https://example.test/a?b", options);
  EXPECT_EQ(fake.CallsTo("Open"), (TextList{direct, scripts}));
}

TEST(WebRequestPipeline, AScriptLongerThanAMegabyteIsGivenUp) {
  const std::pair<size_t, const char*> lengths[] = {
      {kMostProxyScriptBytes, "Open(null 3 \"s:2\" null 0)"},
      {kMostProxyScriptBytes + 1, "Open(null 3 \"p:1\" null 0)"},
  };
  for (auto [length, opened] : lengths) {
    FakeWinHttp& fake = ResetFakeWinHttp();
    fake.userProxy = L"p:1", fake.userScriptUrl = L"http://wpad/p.pac", fake.script = ProxyScript("PROXY s:2", length);
    fake.chunkSize = 65536;
    (void)Request("https://example.test/a?b");
    EXPECT_EQ(fake.CallsTo("Open"), (TextList{"Open(null 1 \"\" null 0)", opened})) << length;
  }
}

TEST(WebRequestPipeline, CredentialsAreSetOnlyWhenBothHalvesAreGiven) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  WebRequestOptions halves;
  halves.userName = "u", halves.proxyPassword = "pp";
  (void)Request(kUrl, halves);
  EXPECT_TRUE(fake.CallsTo("SetCredentials").empty());

  ResetFakeWinHttp();
  WebRequestOptions both;
  both.userName = "u", both.password = "\xC3\xDC";  // 密
  both.proxyUser = "pu", both.proxyPassword = "pp";
  (void)Request(kUrl, both);
  EXPECT_EQ(fake.CallsTo("SetCredentials"),
            (TextList{"SetCredentials(request 0 1 \"u\" \"\xC3\xDC\")", "SetCredentials(request 1 1 \"pu\" \"pp\")"}));
}

TEST(WebRequestPipeline, CookieFeatureDependsOnJarPresenceAndNoRedirectAddsOption) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  (void)Request(kUrl);
  EXPECT_EQ(fake.CallsTo("SetOption"), (TextList{"SetOption(session 84 10240 4)", "SetOption(request 7 30000 4)",
                                                  "SetOption(request 63 1 4)", "SetOption(request 88 1 4)"}));

  ResetFakeWinHttp();
  Text emptyJar;
  WebRequestOptions withJar;
  withJar.cookieJar = &emptyJar;
  withJar.noRedirect = true;
  (void)Request(kUrl, withJar);
  EXPECT_EQ(fake.CallsTo("SetOption"),
            (TextList{"SetOption(session 84 10240 4)", "SetOption(request 7 30000 4)", "SetOption(request 79 1 4)",
                      "SetOption(request 63 2 4)"}));  // no redirect policy where nothing is followed
  EXPECT_EQ(FindText(fake.headerBlock, "Cookie", 1, LetterCase::IgnoreAscii), -1);
}

TEST(WebRequestPipeline, HeaderBlockIsBuiltFromExtraHeadersAndJarWithAddReplaceFlags) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  Text jar = "sid=\xD6\xD0";  // 中
  WebRequestOptions options;
  options.extraHeaders = "X-One: 1\r\nX-Two: 2";
  options.cookieJar = &jar;
  (void)Request(kUrl, options);
  Text expected = BuildRequestHeaders(options.extraHeaders, jar);
  EXPECT_EQ(fake.headerBlock, expected);
  // One character per byte except 中, which is one UTF-16 character.
  EXPECT_EQ(fake.CallsTo("AddRequestHeaders"),
            TextList{"AddRequestHeaders(request " + DecimalText(long(expected.size()) - 1) + " 0xA0000000)"});
}

TEST(WebRequestPipeline, PostDataIsSentAsItsBytesAndEmptyAsNull) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  WebRequestOptions options;
  options.method = 1;
  options.postData = "a=\xD6\xD0";  // 中
  (void)Request(kUrl, options);
  EXPECT_EQ(fake.CallsTo("SendRequest"), TextList{"SendRequest(request null 0 body 4 4 0)"});
  EXPECT_EQ(fake.sentBody, (ByteSet{'a', '=', 0xD6, 0xD0}));

  ResetFakeWinHttp();
  (void)Request(kUrl);
  EXPECT_EQ(fake.CallsTo("SendRequest"), TextList{"SendRequest(request null 0 null 0 0 0)"});
}

TEST(WebRequestPipeline, OutputsComeFromTheRawHeadersAndTheBody) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.rawHeaders = L"HTTP/1.1 302 Found\r\nset-cookie: a=1; path=/\r\nLocation: /next\r\n\r\n";
  fake.body = {'x', 0, 'y'};
  Text status, headers, received, location, jar = "b=2";
  ByteSet body;
  WebRequestOptions options;
  options.statusText = &status, options.responseHeaders = &headers, options.receivedCookies = &received;
  options.redirectLocation = &location, options.cookieJar = &jar, options.responseBody = &body;
  EXPECT_EQ(Request(kUrl, options), "x");
  EXPECT_EQ(status, "302 Found");
  EXPECT_EQ(headers, "HTTP/1.1 302 Found\r\nSet-Cookie: a=1; path=/\r\nLocation: /next\r\n\r\n");
  EXPECT_EQ(received, "a=1");
  EXPECT_EQ(location, "/next");
  EXPECT_EQ(jar, "a=1; b=2");
  EXPECT_EQ(body, (ByteSet{'x', 0, 'y'}));
}

TEST(WebRequestPipeline, TheOutcomeCarriesTheWaitTheResponsesRetryAfterAsksFor) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  RequestOutcome outcome;
  WebRequestOptions options;
  options.outcome = &outcome;
  fake.rawHeaders = L"HTTP/1.1 429 Too Many Requests\r\nRetry-After: 120\r\n\r\n";
  (void)Request(kUrl, options);
  EXPECT_EQ(outcome.httpStatus, 429);
  EXPECT_EQ(outcome.retryAfterSeconds, 120);
  // Without the response's Date, a date counts from the system clock.
  ResetFakeWinHttp();
  fake.rawHeaders = L"HTTP/1.1 503 Busy\r\nRetry-After: Sat, 01 Jan 2050 00:00:00 GMT\r\n\r\n";
  const long long before = time(nullptr);
  (void)Request(kUrl, options);
  const long long after = time(nullptr);
  constexpr long long kNewYear2050 = 2524608000;
  EXPECT_LE(outcome.retryAfterSeconds, kNewYear2050 - before);
  EXPECT_GE(outcome.retryAfterSeconds, kNewYear2050 - after);
  // Kept when the body is cut short after the headers.
  ResetFakeWinHttp();
  fake.rawHeaders = L"HTTP/1.1 503 Busy\r\nDate: Sun, 06 Nov 1994 08:49:37 GMT\r\n"
                    L"Retry-After: Sun, 06 Nov 1994 08:50:37 GMT\r\n\r\n";
  fake.body = {'a', 'b', 'c'};
  fake.failReadAt = 1;
  (void)Request(kUrl, options);
  EXPECT_EQ(outcome.failure, RequestFailure::ReadFailed);
  EXPECT_EQ(outcome.retryAfterSeconds, 60);
  ResetFakeWinHttp();
  (void)Request(kUrl, options);
  EXPECT_EQ(outcome.retryAfterSeconds, -1);
}

TEST(WebRequestPipeline, StatusIsEmptyWhenNoLineEndFollowsPositionTen) {
  FakeWinHttp& fake = ResetFakeWinHttp();
  fake.rawHeaders = L"HTTP/1.1 200 OK";
  Text status = "caller";
  WebRequestOptions options;
  options.statusText = &status;
  (void)Request(kUrl, options);
  EXPECT_EQ(status, "");
}

constexpr UINT kCountedMessage = WM_USER + 1;
int countedMessages = 0;

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCountedMessage) ++countedMessages;
  return DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window of the test thread that counts kCountedMessage.
class CountingWindow {
 public:
  CountingWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = CountingProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"WebRequestCountingWindow";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    countedMessages = 0;
  }
  ~CountingWindow() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {}
    DestroyWindow(window);
  }
  void Post() const { PostMessageW(window, kCountedMessage, 0, 0); }

 private:
  HWND window = nullptr;
};

TEST(WebRequestMessages, PendingMessagesAreProcessedOnTheWayOutOfACompletedCall) {
  CountingWindow window;
  ResetFakeWinHttp().rawHeaders = L"HTTP/1.1 200 OK\r\nA: 1\r\n\r\n";
  window.Post();
  window.Post();
  (void)Request(kUrl);
  EXPECT_EQ(countedMessages, 2);
}

TEST(WebRequestMessages, FailuresBeforeTheUrlAndOfOptionsLeaveMessagesQueued) {
  // The third SetOption sets the cookie feature (708); the second is part of the timeouts (705).
  for (auto [call, occurrence] : {std::pair<const char*, int>{"CheckPlatform", 1}, {"SetOption", 3}}) {
    CountingWindow window;
    FakeWinHttp& fake = ResetFakeWinHttp();
    fake.failing = call;
    fake.failingCount = occurrence;
    window.Post();
    (void)Request(kUrl);
    EXPECT_EQ(countedMessages, 0) << call;
  }
  for (const char* call : {"CrackUrl", "SetTimeouts", "SetOption", "ReceiveResponse"}) {
    CountingWindow window;
    ResetFakeWinHttp().failing = call;
    window.Post();
    (void)Request(kUrl);
    EXPECT_EQ(countedMessages, 1) << call;
  }
}

TEST(WebRequestMessages, ProcessingStopsAtAQuitMessageAndLeavesItQueued) {
  CountingWindow window;
  ResetFakeWinHttp();
  PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 0, 0);
  window.Post();
  (void)Request(kUrl);
  EXPECT_EQ(countedMessages, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, UINT(WM_QUIT));
}

}  // namespace
