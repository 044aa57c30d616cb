#include "web/WebRequest.h"

#include <algorithm>
#include <climits>

#include "text/CodePage936.h"
#include "system/ProcessPendingMessages.h"
#include "system/Room.h"
#include "web/DecodePageText.h"
#include "web/RequestHeaders.h"
#include "web/ResponseParts.h"
#include "web/RetryAfter.h"
#include "web/SystemProxy.h"

// Older SDK headers lack the TLS 1.3 flag.
#ifndef WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
#define WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3 0x00002000
#endif

namespace {

// The failures after which the caller's window gets its pending messages,
// like a completed request.
bool ProcessesMessagesAfter(RequestFailure failure) {
  return (failure >= RequestFailure::UrlNotParsed && failure <= RequestFailure::ProtocolsNotSet) ||
         (failure >= RequestFailure::HeadersNotAdded && failure <= RequestFailure::NoResponse);
}

const wchar_t* Verb(int method) {
  switch (method) {
    case 1: return L"POST";
    case 2: return L"HEAD";
    case 3: return L"PUT";
    default: return L"GET";
  }
}

constexpr DWORD kDefaultTimeoutMilliseconds = 30000;

struct CrackedUrl {
  bool secure = false;
  INTERNET_PORT port = 0;
  Text host;
  std::wstring objectName;
};

// Below this much of a change the receive timeout is left as it is, so that
// a quick body is read without a call between its chunks.
constexpr DWORD kTimeoutStep = 1000;

// The call's handles while it runs: attached to the caller's canceller, if
// any, and closed through it on the way out.
class AttachedHandles {
 public:
  AttachedHandles(RequestCancel* cancel, RequestHandles& handles)
      : cancel(cancel), attached(!cancel || cancel->Attach(handles)) {}
  ~AttachedHandles() {
    if (cancel && attached) cancel->CloseAttached();
  }
  AttachedHandles(const AttachedHandles&) = delete;
  AttachedHandles& operator=(const AttachedHandles&) = delete;
  // False once the call has been cancelled: the handles are closed already.
  [[nodiscard]] bool Attached() const { return attached; }

 private:
  RequestCancel* cancel;
  bool attached;
};

class Pipeline {
 public:
  Pipeline(const Text& url, const WebRequestOptions& options, const WinHttpApi& winHttp)
      : url(url), options(options), winHttp(winHttp) {}

  // The body text, or empty; StoppedAt() and EndedQuietly() then tell where
  // the call stopped early.
  Text Run();
  RequestFailure StoppedAt() const { return stoppedAt; }
  bool EndedQuietly() const { return endedQuietly; }

 private:
  [[nodiscard]] bool Crack(CrackedUrl& cracked);
  [[nodiscard]] HINTERNET OpenSession(const CrackedUrl& cracked);
  [[nodiscard]] RequestFailure OpenHandles(const CrackedUrl& cracked, RequestHandles& handles);
  [[nodiscard]] bool LimitSecureProtocols(HINTERNET session);
  [[nodiscard]] RequestFailure Configure(HINTERNET request);
  [[nodiscard]] bool SetDword(HINTERNET request, DWORD option, DWORD value);
  // False when the body did not arrive whole: a read failed, the time was up,
  // the call was cancelled, or it ended before its Content-Length. What was
  // read is kept, unless it grew past the bound.
  [[nodiscard]] bool ReadBody(HINTERNET request, ByteSet& body);
  // Shortens the receive timeout to what is left of the call's time; false
  // when nothing is left or it cannot be set.
  [[nodiscard]] bool FitReceiveTimeout(HINTERNET request);
  // A failed read does not end the call: the headers are still read and handed on.
  void ReportReadFailure(DWORD error) {
    outcome.failure = RequestFailure::ReadFailed;
    outcome.systemError = error;
    Report();
  }
  [[nodiscard]] bool ReadRawHeaders(HINTERNET request, Text& rawHeaders);
  // Hands the caller the record and the status text made from it.
  void Report() {
    if (options.outcome) *options.outcome = outcome;
    if (options.statusText) *options.statusText = StatusText(outcome, statusLine);
  }
  // Ends the call at `step`; its handles close as the caller's holders go.
  Text Fail(RequestFailure step) { return Fail(step, GetLastError()); }
  Text Fail(RequestFailure step, DWORD error) {
    outcome.failure = step;
    outcome.systemError = error;
    stoppedAt = step;
    Report();
    return {};
  }
  // The body arrived but its text cannot be held.
  Text FailForRoom() {
    outcome.failure = RequestFailure::ReadFailed;
    outcome.systemError = kNoRoomForBody;
    Report();
    return {};
  }

  const Text& url;
  const WebRequestOptions& options;
  const WinHttpApi& winHttp;
  RequestOutcome outcome;
  Text statusLine;  // "200 OK" of the response's headers, once read
  RequestFailure stoppedAt = RequestFailure::None;
  bool endedQuietly = false;
  std::wstring wideUrl;  // the cracked components point into it
  DWORD startedAt = GetTickCount();
  DWORD timeout = kDefaultTimeoutMilliseconds;  // of every wait, and of the body's reading
  DWORD receiveTimeout = kDefaultTimeoutMilliseconds;  // as set on the request now
};

bool Pipeline::Crack(CrackedUrl& cracked) {
  wideUrl = TextToUtf16(url);
  URL_COMPONENTS components = {};
  components.dwStructSize = sizeof components;
  components.dwSchemeLength = DWORD(-1);
  components.dwHostNameLength = DWORD(-1);
  components.dwUrlPathLength = DWORD(-1);
  components.dwExtraInfoLength = DWORD(-1);
  if (!winHttp.crackUrl(wideUrl.c_str(), DWORD(wideUrl.size()), 0, &components)) return false;
  cracked.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  cracked.port = components.nPort;
  cracked.host = Utf16ToText(components.lpszHostName, int(components.dwHostNameLength));
  if (int(components.dwUrlPathLength) < 1) {
    cracked.objectName = L"/";  // the query is not sent without a path
  } else {
    cracked.objectName.assign(components.lpszUrlPath, components.dwUrlPathLength);
    if (components.lpszExtraInfo && int(components.dwExtraInfoLength) > 0)
      cracked.objectName.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  }
  return true;
}

// The configuration script's own download: straight to its server, since
// through the settings it would ask for itself.
bool DownloadProxyScript(const WinHttpApi& winHttp, const std::wstring& url, ByteSet& script) {
  WebRequestOptions options;
  options.directConnection = true;
  options.timeoutSeconds = kProxyLookupSeconds;
  options.mostBodyBytes = kMostProxyScriptBytes;
  RequestOutcome outcome;
  options.outcome = &outcome;
  options.responseBody = &script;
  (void)WebRequest(Utf16ToText(url), options, winHttp);
  return outcome.failure == RequestFailure::None && outcome.httpStatus == 200;
}

// A caller's proxy is used alone; without one the request goes as the
// user's settings say, a browser's way.
HINTERNET Pipeline::OpenSession(const CrackedUrl& cracked) {
  if (options.directConnection) return OpenDirectSession(winHttp);
  if (options.proxy.empty()) {
    const SystemProxy settings = ReadSystemProxy(winHttp);
    if (settings.scriptUrl.empty()) return OpenSystemProxySession(winHttp, settings, nullptr);
    const ScriptLookup lookup{winHttp, DownloadProxyScript, options.proxyLookups, options.cancel};
    ScriptProxy chosen;
    const bool scriptChose = LookUpScriptProxy(lookup, settings.scriptUrl, wideUrl, TextToUtf16(cracked.host), chosen);
    return OpenSystemProxySession(winHttp, settings, scriptChose ? &chosen : nullptr);
  }
  // WinHttp takes a proxy list; for plain http only the http entry is named.
  std::wstring proxyName = TextToUtf16(cracked.secure ? options.proxy : "http=" + options.proxy);
  return winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxyName.c_str(), WINHTTP_NO_PROXY_BYPASS, 0);
}

RequestFailure Pipeline::OpenHandles(const CrackedUrl& cracked, RequestHandles& handles) {
  handles.session = InternetHandle(winHttp, OpenSession(cracked));
  if (!handles.session) return RequestFailure::SessionNotOpened;
  if (!LimitSecureProtocols(handles.session.Get())) return RequestFailure::ProtocolsNotSet;
  std::wstring host = TextToUtf16(cracked.host);
  handles.connection = InternetHandle(winHttp, winHttp.connect(handles.session.Get(), host.c_str(), cracked.port, 0));
  if (!handles.connection) return RequestFailure::ConnectionNotOpened;
  handles.request = InternetHandle(
      winHttp, winHttp.openRequest(handles.connection.Get(), Verb(options.method), cracked.objectName.c_str(), nullptr,
                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                   cracked.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!handles.request) return RequestFailure::RequestNotOpened;
  return RequestFailure::None;
}

bool Pipeline::SetDword(HINTERNET request, DWORD option, DWORD value) {
  return winHttp.setOption(request, option, &value, sizeof value);
}

// Left to the system, Windows 7 would still offer SSL 3.0 and TLS 1.0. A
// system that knows no TLS 1.3 refuses the pair: TLS 1.2 alone then.
bool Pipeline::LimitSecureProtocols(HINTERNET session) {
  return SetDword(session, WINHTTP_OPTION_SECURE_PROTOCOLS,
                  WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3) ||
         SetDword(session, WINHTTP_OPTION_SECURE_PROTOCOLS, WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2);
}

RequestFailure Pipeline::Configure(HINTERNET request) {
  // Capped so that a huge number of seconds cannot overflow into a negative timeout.
  long long milliseconds = options.timeoutSeconds > 0 ? options.timeoutSeconds * 1000LL : kDefaultTimeoutMilliseconds;
  timeout = DWORD(milliseconds < INT_MAX ? milliseconds : INT_MAX);
  receiveTimeout = timeout;
  if (!winHttp.setTimeouts(request, int(timeout), int(timeout), int(timeout), int(timeout))) return RequestFailure::TimeoutsNotSet;
  // The wait for the response headers has a timeout of its own, which Wine
  // leaves infinite (Windows: 90 seconds): a server that never answers would
  // hold a search run forever.
  if (!SetDword(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, DWORD(timeout))) return RequestFailure::TimeoutsNotSet;
  if (!options.userName.empty() && !options.password.empty()) {
    std::wstring user = TextToUtf16(options.userName), password = TextToUtf16(options.password);
    if (!winHttp.setCredentials(request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC, user.c_str(),
                                password.c_str(), nullptr))
      return RequestFailure::CredentialsNotSet;
  }
  if (!options.proxyUser.empty() && !options.proxyPassword.empty()) {
    std::wstring user = TextToUtf16(options.proxyUser), password = TextToUtf16(options.proxyPassword);
    if (!winHttp.setCredentials(request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC, user.c_str(),
                                password.c_str(), nullptr))
      return RequestFailure::CredentialsNotSet;
  }
  // Without a jar WinHttp must neither store nor send cookies by itself. With
  // one, option 79 with value 1 is what is set: WinHttp reads that as "check
  // certificate revocation", so a jar makes HTTPS stricter, never laxer.
  bool cookieFeatureSet = options.cookieJar ? SetDword(request, WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION)
                                            : SetDword(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES);
  if (!cookieFeatureSet) return RequestFailure::CookieFeatureNotSet;
  if (options.noRedirect && !SetDword(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS))
    return RequestFailure::RedirectNotSet;
  // The system's own default on Windows, set so that no system's default
  // decides it. Where it is refused, the check after the response still
  // fails a redirect to plain http that came back unfollowed.
  if (!options.noRedirect)
    (void)SetDword(request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP);
  std::wstring block = TextToUtf16(BuildRequestHeaders(options.extraHeaders, options.cookieJar ? *options.cookieJar : Text()));
  if (!winHttp.addRequestHeaders(request, block.c_str(), DWORD(block.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE))
    return RequestFailure::HeadersNotAdded;
  return RequestFailure::None;
}

bool Pipeline::FitReceiveTimeout(HINTERNET request) {
  const DWORD elapsed = GetTickCount() - startedAt;
  if (elapsed >= timeout) {
    ReportReadFailure(ERROR_WINHTTP_TIMEOUT);
    return false;
  }
  const DWORD left = timeout - elapsed;
  if (left + kTimeoutStep > receiveTimeout) return true;
  const int wait = int(timeout);
  if (!winHttp.setTimeouts(request, wait, wait, wait, int(left))) {
    ReportReadFailure(GetLastError());
    return false;
  }
  receiveTimeout = left;
  return true;
}

bool Pipeline::ReadBody(HINTERNET request, ByteSet& body) {
  // Chunks of exactly the size WinHttp reports. Each wait is bounded by the
  // receive timeout, and that is cut to what is left of the call's time, so
  // that a server sending a byte now and then cannot hold the call forever.
  for (;;) {
    if (options.cancel && options.cancel->Cancelled()) {
      ReportReadFailure(ERROR_OPERATION_ABORTED);
      return false;
    }
    if (!FitReceiveTimeout(request)) return false;
    DWORD available = 0;
    if (!winHttp.queryDataAvailable(request, &available)) {
      ReportReadFailure(GetLastError());
      return false;
    }
    if (int(available) < 1) return true;
    const size_t start = body.size();
    const BodyRoom room = MakeRoomForChunk(body, available, options.mostBodyBytes);
    if (room != BodyRoom::Made) {
      // Dropped, not handed on: a 32-bit process has no room for copies of a huge page.
      ByteSet().swap(body);
      ReportReadFailure(room == BodyRoom::PastBound ? kBodyTooLarge : kNoRoomForBody);
      return false;
    }
    DWORD read = 0;
    if (!winHttp.readData(request, body.data() + start, available, &read)) {
      ReportReadFailure(GetLastError());
      body.resize(start);
      return false;
    }
    body.resize(start + (read < available ? read : available));
  }
}

// The system clock in seconds since 1970 UTC, for a Retry-After date that
// comes without the response's Date; a FILETIME counts 100 ns from 1601.
long long UnixSecondsNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG ticks = (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (long long)(ticks / 10000000) - 11644473600LL;
}

// A redirect whose target is plain http, read from a copy of the headers so
// that a refused response leaves the caller's cookies as they were.
bool LeavesTls(const Text& status, const Text& rawHeaders) {
  if (status.empty() || status[0] != '3') return false;
  Text headers = rawHeaders, cookies, location;
  ParseResponseHeaders(headers, cookies, location, nullptr);
  return RedirectsToPlainHttp(status, location);
}

bool Pipeline::ReadRawHeaders(HINTERNET request, Text& rawHeaders) {
  DWORD size = 0;
  // This call only learns the size; it fails by design with an empty buffer.
  (void)winHttp.queryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                             WINHTTP_NO_HEADER_INDEX);
  std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (!winHttp.queryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &size,
                            WINHTTP_NO_HEADER_INDEX))
    return false;
  rawHeaders = Utf16ToText(buffer.c_str(), int(size / sizeof(wchar_t)));
  return true;
}

Text Pipeline::Run() {
  if (!winHttp.checkPlatform()) return Fail(RequestFailure::PlatformUnsupported);
  CrackedUrl cracked;
  if (!Crack(cracked)) return Fail(RequestFailure::UrlNotParsed);
  RequestHandles handles;
  const RequestFailure opening = OpenHandles(cracked, handles);
  if (opening != RequestFailure::None) return Fail(opening);
  const AttachedHandles attached(options.cancel, handles);
  if (!attached.Attached()) return Fail(RequestFailure::RequestNotSent, ERROR_OPERATION_ABORTED);
  HINTERNET request = handles.request.Get();
  const RequestFailure configuring = Configure(request);
  if (configuring != RequestFailure::None) return Fail(configuring);
  const Text& postData = options.postData;
  DWORD bodyLength = DWORD(postData.size());
  if (!winHttp.sendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                           postData.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(postData.data()), bodyLength,
                           bodyLength, 0))
    return Fail(RequestFailure::RequestNotSent);
  if (!winHttp.receiveResponse(request, nullptr)) return Fail(RequestFailure::NoResponse);

  ByteSet body;
  bool whole = ReadBody(request, body);
  Text headers;
  // Unreadable headers end the call quietly: nothing more is handed on.
  if (!ReadRawHeaders(request, headers)) {
    endedQuietly = true;
    return {};
  }

  statusLine = StatusOfHeaders(headers);
  outcome.httpStatus = StatusCode(statusLine);
  outcome.retryAfterSeconds = RetryAfterSeconds(headers, UnixSecondsNow());
  // A redirect to plain http that came back unfollowed is refused as WinHttp
  // refuses a failed redirect, not handed on as a page.
  if (cracked.secure && !options.noRedirect && LeavesTls(statusLine, headers))
    return Fail(RequestFailure::NoResponse, ERROR_WINHTTP_REDIRECT_FAILED);
  // A cut body is a failed read, though what arrived is handed on.
  const long long announced = options.method == 2 ? -1 : AnnouncedLength(headers);
  if (whole && announced >= 0 && (long long)(body.size()) < announced) whole = false;
  if (!whole) outcome.failure = RequestFailure::ReadFailed;
  Report();
  Text receivedCookies, redirectLocation;
  ParseResponseHeaders(headers, receivedCookies, redirectLocation, options.cookieJar, ProcessPendingMessages);
  if (options.responseHeaders) *options.responseHeaders = headers;
  if (options.receivedCookies) *options.receivedCookies = receivedCookies;
  if (options.redirectLocation) *options.redirectLocation = redirectLocation;

  // The text is a copy of the body as long as it: no room for it, or for
  // the decoding's copies, is a failed read, nothing handed on.
  Text bodyText;
  const size_t textLength = size_t(std::find(body.begin(), body.end(), 0) - body.begin());
  if (!ReserveRoom(bodyText, textLength)) return FailForRoom();
  bodyText.assign(body.begin(), body.begin() + long(textLength));
  if (!DecodePageText(body, bodyText, options.pageDecoder)) return FailForRoom();
  if (options.responseBody) *options.responseBody = std::move(body);
  return bodyText;
}

}  // namespace

Text WebRequest(const Text& url, const WebRequestOptions& options, const WinHttpApi& winHttp) {
  if (options.outcome) *options.outcome = RequestOutcome();
  Pipeline pipeline(url, options, winHttp);
  Text bodyText = pipeline.Run();
  // The handles are closed by now; the caller's window catches up on the way out.
  const RequestFailure stoppedAt = pipeline.StoppedAt();
  if (!pipeline.EndedQuietly() && (stoppedAt == RequestFailure::None || ProcessesMessagesAfter(stoppedAt)))
    ProcessPendingMessages();
  return bodyText;
}
