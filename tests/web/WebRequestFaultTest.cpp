// The web request through Wine's real WinHttp against a site that misbehaves
// (tests/web/fault_server.py): what it returns and what it writes into
// statusText, over plain HTTP and over HTTPS with verification on.
#include <gtest/gtest.h>

#include <memory>

#include "tests/web/FaultSite.h"
#include "tests/web/TestServer.h"
#include "web/WebRequest.h"

namespace {

class WebRequestFault : public testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() {
    for (bool secure : {false, true}) {
      sites[secure] = std::make_unique<TestServer>();
      if (!sites[secure]->StartFaultSite(secure)) sites[secure].reset();
    }
  }
  static void TearDownTestSuite() {
    for (auto& site : sites) site.reset();
  }
  void SetUp() override { ASSERT_TRUE(sites[GetParam()]) << "the fault site did not start"; }
  const TestServer& Site() const { return *sites[GetParam()]; }
  Reply FetchPage(const Text& fault, WebRequestOptions options = {}) const {
    return Fetch(Site().Url(FaultPagePath(fault, 2)), options);
  }
  // The page text holds the addresses of exactly the rows the site sent whole, in order.
  void ExpectAddressesOfWholeRows(const Text& fault, const Text& text) const {
    const std::vector<SiteRow> rows = FaultSiteRows(Site(), fault, 2);
    int at = 1;  // in page order, so that 5,000 rows cost one pass
    for (const SiteRow& row : rows) {
      const int found = FindText(text, row.downloadAddress, at);
      EXPECT_NE(found, -1) << row.fileName;
      if (found != -1) at = found + int(row.downloadAddress.size());
    }
    EXPECT_EQ(SplitText(text, "class=\"download\"").size(), rows.size() + 1);
  }

  static std::unique_ptr<TestServer> sites[2];
};

std::unique_ptr<TestServer> WebRequestFault::sites[2];

Text BodyText(const ByteSet& body) { return Text(body.begin(), body.end()); }

bool EndsWith(const Text& text, const Text& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST_P(WebRequestFault, ResetInTheMiddleOfTheBodyKeepsWhatArrived) {
  const Reply reply = FetchPage("reset");
  EXPECT_EQ(reply.status, "713 读取数据失败!");  // what arrived is handed on, the failure named
  EXPECT_EQ(reply.text, BodyText(reply.body));
  EXPECT_NE(FindText(reply.text, "<ul class=\"result-list\">"), -1);
  ExpectAddressesOfWholeRows("reset", reply.text);
}

TEST_P(WebRequestFault, ResponseThatNeverComesEndsAtTheTimeout) {
  WebRequestOptions options;
  options.timeoutSeconds = 2;
  const DWORD start = GetTickCount();
  const Reply reply = FetchPage("stall", options);
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(reply.status, "712 服务器未响应!");
  EXPECT_EQ(reply.text, "");
  EXPECT_EQ(reply.headers, "");
  EXPECT_GE(took, 1500u);
  EXPECT_LT(took, 15000u);
}

TEST_P(WebRequestFault, BodyThatStopsComingEndsAtTheTimeoutWithWhatArrived) {
  WebRequestOptions options;
  options.timeoutSeconds = 2;
  const DWORD start = GetTickCount();
  const Reply reply = FetchPage("stall-body", options);
  EXPECT_LT(GetTickCount() - start, 15000u);
  EXPECT_EQ(reply.status, "713 读取数据失败!");
  EXPECT_EQ(reply.text, BodyText(reply.body));
  ExpectAddressesOfWholeRows("stall-body", reply.text);
}

TEST_P(WebRequestFault, TenMegabytePageArrivesWhole) {
  const Reply reply = FetchPage("huge");
  EXPECT_EQ(reply.status, "200 OK");
  EXPECT_GT(reply.body.size(), size_t(10 * 1024 * 1024));
  ASSERT_EQ(reply.text.size(), reply.body.size());
  EXPECT_TRUE(EndsWith(reply.text, "</html>\n"));
  ExpectAddressesOfWholeRows("huge", reply.text);
}

TEST_P(WebRequestFault, ErrorPagesStillGiveTheirBody) {
  const Reply serverError = FetchPage("status500");
  EXPECT_EQ(serverError.status, "500 Internal Server Error");
  ExpectAddressesOfWholeRows("status500", serverError.text);
  const Reply notFound = FetchPage("status404");
  EXPECT_EQ(notFound.status, "404 Not Found");
  ExpectAddressesOfWholeRows("status404", notFound.text);
}

TEST_P(WebRequestFault, RedirectLoopIsGivenUpByWinHttp) {
  const Reply reply = FetchPage("loop");
  EXPECT_EQ(reply.status, "712 服务器未响应!");
  EXPECT_EQ(reply.text, "");
  // WinHttp's own bound, well before the site's.
  const size_t hops = SplitText(FaultSiteLog(Site()), FaultPagePath("loop", 2)).size() - 1;
  EXPECT_GE(hops, 2u);
  EXPECT_LT(hops, 50u);
}

TEST_P(WebRequestFault, CertificateOfAnUntrustedAuthorityIsRefused) {
  WebRequestOptions held;
  held.noRedirect = true;
  const Reply redirect = FetchPage("untrusted", held);
  EXPECT_EQ(redirect.status, "302 Found");
  ASSERT_EQ(redirect.location.rfind("https://localhost:", 0), 0u) << redirect.location;

  const Reply direct = Fetch(redirect.location);
  EXPECT_EQ(direct.status, "711 发送请求失败!");
  EXPECT_EQ(direct.text, "");
  const Reply followed = FetchPage("untrusted");
  EXPECT_EQ(followed.status, "712 服务器未响应!");
  EXPECT_EQ(followed.text, "");
  // Wine names the refused authority a failed secure channel; the search run
  // must not take it for a transient failure.
  EXPECT_EQ(direct.systemError, 12157u);  // ERROR_WINHTTP_SECURE_CHANNEL_ERROR
  EXPECT_EQ(followed.systemError, 12157u);
}

TEST_P(WebRequestFault, AHundredMegabytePagePastTheCapIsAFailedReadThatKeepsNothing) {
  WebRequestOptions options;
  options.mostBodyBytes = 32 * 1024 * 1024;  // the search run's cap
  options.timeoutSeconds = 60;
  const Reply reply = FetchPage("huge100", options);
  EXPECT_EQ(reply.status, "713 读取数据失败!");
  EXPECT_EQ(reply.systemError, kBodyTooLarge);
  EXPECT_EQ(reply.text, "");
  EXPECT_TRUE(reply.body.empty());
}

TEST_P(WebRequestFault, ABodyThatTricklesEndsAtTheTimeoutWithWhatArrived) {
  WebRequestOptions options;
  options.timeoutSeconds = 3;  // every single wait (1 s) is well within it
  const DWORD start = GetTickCount();
  const Reply reply = FetchPage("trickle", options);
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(reply.status, "713 读取数据失败!");
  // Windows names the ended wait ERROR_WINHTTP_TIMEOUT; Wine WSAETIMEDOUT (10060).
  EXPECT_TRUE(reply.systemError == ERROR_WINHTTP_TIMEOUT || reply.systemError == 10060u) << reply.systemError;
  EXPECT_GE(took, 2500u);
  EXPECT_LT(took, 6000u);
  ExpectAddressesOfWholeRows("trickle", reply.text);
}

// What only HTTPS has: a scheme to leave, a TLS version, a certificate.
class WebRequestFaultOverHttps : public WebRequestFault {};

TEST_P(WebRequestFaultOverHttps, AnHttpsPageThatRedirectsToPlainHttpFails) {
  const Reply reply = FetchPage("to-http");
  EXPECT_EQ(reply.status, "712 服务器未响应!");
  EXPECT_EQ(reply.systemError, DWORD(ERROR_WINHTTP_REDIRECT_FAILED));
  EXPECT_EQ(reply.text, "");
}

TEST_P(WebRequestFaultOverHttps, AServerOfferingOnlyTls10And11IsRefused) {
  WebRequestOptions held;
  held.noRedirect = true;
  const Reply redirect = FetchPage("downgrade", held);
  ASSERT_EQ(redirect.location.rfind("https://localhost:", 0), 0u) << redirect.location;
  const Reply direct = Fetch(redirect.location);
  EXPECT_EQ(direct.status, "711 发送请求失败!");
  EXPECT_EQ(direct.text, "");
  const Reply followed = FetchPage("downgrade");
  EXPECT_EQ(followed.status, "712 服务器未响应!");
  EXPECT_EQ(followed.text, "");
}

TEST_P(WebRequestFaultOverHttps, AnExpiredCertificateIsRefused) {
  // Of the trusted authority and for localhost, but valid only in January 2020.
  WebRequestOptions held;
  held.noRedirect = true;
  const Reply redirect = FetchPage("expired", held);
  ASSERT_EQ(redirect.location.rfind("https://localhost:", 0), 0u) << redirect.location;
  const Reply direct = Fetch(redirect.location);
  EXPECT_EQ(direct.status, "711 发送请求失败!");
  EXPECT_EQ(direct.text, "");
  // Windows: ERROR_WINHTTP_SECURE_CERT_DATE_INVALID (12037); Wine: a failed secure channel (12157).
  EXPECT_TRUE(direct.systemError == 12037u || direct.systemError == 12157u) << direct.systemError;
  const Reply followed = FetchPage("expired");
  EXPECT_EQ(followed.status, "712 服务器未响应!");
  EXPECT_EQ(followed.text, "");
}

TEST_P(WebRequestFaultOverHttps, ACertificateForAnotherHostNameIsRefused) {
  // The certificate names localhost; the same server asked for as 127.0.0.1.
  const Text url = ReplaceAll(Site().Url(FaultPagePath("ordinary", 1)), "https://localhost:", "https://127.0.0.1:");
  const Reply reply = Fetch(url);
  EXPECT_EQ(reply.status, "711 发送请求失败!");
  EXPECT_EQ(reply.text, "");
  // Windows: ERROR_WINHTTP_SECURE_CERT_CN_INVALID (12038); Wine: a failed secure channel (12157).
  EXPECT_TRUE(reply.systemError == 12038u || reply.systemError == 12157u) << reply.systemError;
}

TEST_P(WebRequestFault, ZeroByteEndsTheTextButNotTheBody) {
  const Reply middle = FetchPage("zero");
  EXPECT_EQ(middle.status, "200 OK");
  const size_t zeroAt = BodyText(middle.body).find('\0');
  ASSERT_NE(zeroAt, Text::npos);
  EXPECT_EQ(middle.text, BodyText(middle.body).substr(0, zeroAt));
  EXPECT_TRUE(EndsWith(BodyText(middle.body), "</html>\n"));
  ExpectAddressesOfWholeRows("zero", middle.text);

  const Reply first = FetchPage("zero-first");
  EXPECT_EQ(first.status, "200 OK");
  EXPECT_EQ(first.text, "");
  EXPECT_GT(first.body.size(), 1000u);
}

TEST_P(WebRequestFault, InvalidCodePage936BytesPassUnchanged) {
  const Reply reply = FetchPage("badgbk");
  EXPECT_EQ(reply.status, "200 OK");
  EXPECT_EQ(reply.text, BodyText(reply.body));
  EXPECT_NE(FindText(reply.text, "bad gbk \xFF lone"), -1);      // FF: no character
  EXPECT_NE(FindText(reply.text, "bad gbk \x81\x7F lead"), -1);  // 81 7F: no trail byte
  EXPECT_NE(FindText(reply.text, "of the name \xD6<span"), -1);  // half of 中, then "<"
  ExpectAddressesOfWholeRows("badgbk", reply.text);
}

TEST_P(WebRequestFault, HalfACharacterAtTheEndStays) {
  const Reply reply = FetchPage("truncated");
  EXPECT_EQ(reply.status, "200 OK");
  EXPECT_EQ(reply.text, BodyText(reply.body));
  EXPECT_TRUE(EndsWith(reply.text, "</html>\n\xD6"));  // first byte of 中 (D6 D0)
  ExpectAddressesOfWholeRows("truncated", reply.text);
}

TEST_P(WebRequestFault, InvalidUtf8IsDecodedAroundTheBadBytes) {
  const Reply reply = FetchPage("badutf8");
  EXPECT_EQ(reply.status, "200 OK");
  EXPECT_TRUE(EndsWith(BodyText(reply.body), "</html>\n\xE4"));  // first byte of 中 in UTF-8 (E4 B8 AD)
  EXPECT_NE(FindText(reply.text, "bad utf-8 ordinary \xD2\xF4\xC0\xD6 entry.iso"), -1);  // 音乐 in GBK
  EXPECT_NE(FindText(reply.text, "bad utf-8 ? lone byte FF.iso"), -1) << reply.text;
  EXPECT_NE(FindText(reply.text, "bad utf-8 ? lone continuation byte 80.iso"), -1);
  EXPECT_NE(FindText(reply.text, "bad utf-8 ? two bytes of three.iso"), -1);
  EXPECT_TRUE(EndsWith(reply.text, "</html>\n?")) << reply.text.substr(reply.text.size() - 10);
}

TEST_P(WebRequestFault, FiveThousandEntriesAndLongNamesArriveWhole) {
  const Reply many = FetchPage("many");
  EXPECT_EQ(many.status, "200 OK");
  EXPECT_EQ(many.text, BodyText(many.body));
  ExpectAddressesOfWholeRows("many", many.text);

  const Reply longNames = FetchPage("long");
  EXPECT_EQ(longNames.text, BodyText(longNames.body));
  for (const SiteRow& row : FaultSiteRows(Site(), "long", 2)) {
    EXPECT_GT(row.fileName.size(), 4096u);
    EXPECT_NE(FindText(longNames.text, "<li>" + row.fileName + "<span"), -1) << row.fileName.size();
  }
}

INSTANTIATE_TEST_SUITE_P(OverHttpAndHttps, WebRequestFault, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Https" : "Http"; });
INSTANTIATE_TEST_SUITE_P(OverHttps, WebRequestFaultOverHttps, testing::Values(true),
                         [](const testing::TestParamInfo<bool>&) { return "Https"; });

}  // namespace
