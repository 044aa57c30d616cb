#pragma once
// One HTTP or HTTPS request through WinHttp, synchronous, self-contained: it
// opens and closes its own session, connection and request. How it ended is
// a record (`outcome`: the failing step, the HTTP status, the system error)
// and the text made from it (`statusText`: "200 OK", or the numbered message
// of a failure, "700 ..." to "713 ..."); a failure gives empty text and
// nothing is thrown. Secure connections take TLS 1.2 or 1.3 only, and a
// redirect from https to plain http is refused.
#include <cstddef>

#include "text/Text.h"
#include "web/DecodePageText.h"
#include "web/ProxyLookup.h"
#include "web/RequestCancel.h"
#include "web/RequestOutcome.h"
#include "web/WinHttpApi.h"

// Everything besides the URL. Inputs left alone behave as their zero value;
// an output pointer left null is not delivered.
struct WebRequestOptions {
  int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, anything else GET
  Text postData;   // sent as its bytes, no terminator
  // Cookies to send, updated with those the server sets. Null and a pointer
  // to an empty text differ: null leaves cookies off in WinHttp itself.
  Text* cookieJar = nullptr;
  Text* receivedCookies = nullptr;  // the response's Set-Cookie items, "; " between
  Text extraHeaders;                // CR LF separated, no trailing CR LF
  Text* responseHeaders = nullptr;  // the raw header block, status line included
  bool noRedirect = false;
  Text userName;  // server Basic credentials, only when both halves are given
  Text password;
  Text proxy;  // host:port; empty: as the user's proxy settings say (none set: direct)
  bool directConnection = false;  // straight to the server: neither `proxy` nor the settings' proxy
  // Kept by a caller that makes many requests in one run (the search run):
  // each address of a configuration script is looked up once a run. Null:
  // each call that follows a script looks it up anew.
  ProxyLookups* proxyLookups = nullptr;
  Text proxyUser;
  Text proxyPassword;
  // Every wait, and the body's whole reading from the call's start: a body
  // that trickles in ends as a failed read once it is up. 0 or less: 30 s.
  int timeoutSeconds = 0;
  Text* redirectLocation = nullptr;
  Text* statusText = nullptr;  // "200 OK", or the failure message
  // Filled anew by every call; code that decides on the outcome reads this,
  // never the text.
  RequestOutcome* outcome = nullptr;
  ByteSet* responseBody = nullptr;
  // Kept by a caller that makes many requests on one thread (the search
  // run); null: the decoding step makes its own for the call.
  PageDecoder* pageDecoder = nullptr;
  // A body longer than this is a failed read ("713 ...", kBodyTooLarge) whose
  // bytes are dropped: the reading stops there. 0: no bound. A body or text
  // that cannot be given room fails the same way, with kNoRoomForBody.
  size_t mostBodyBytes = 0;
  // Lets another thread end the call (null: nobody can).
  RequestCancel* cancel = nullptr;
};

// The body up to its first zero byte, as decoded text; empty after a failure.
// A body cut short after the headers ("713 ..." in statusText) gives what
// arrived of it.
[[nodiscard]] Text WebRequest(const Text& url, const WebRequestOptions& options = {},
                              const WinHttpApi& winHttp = SystemWinHttp());
