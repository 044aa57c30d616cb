#pragma once
// The proxy that the user's configuration script chooses for an address,
// looked up on a helper thread of its own: the requesting thread waits for
// it a bounded time and no longer than its request may go on, so that no
// script server can hold a request, and an abandoned lookup ends by itself
// with nobody waiting for it.
#include <string>
#include <vector>

#include "text/Text.h"
#include "web/RequestCancel.h"
#include "web/SystemProxy.h"

// How long a lookup may take, and how long its script may be.
constexpr int kProxyLookupSeconds = 10;
constexpr size_t kMostProxyScriptBytes = 1024 * 1024;

// Fetches the script at `url` into `script` straight from its server, in
// at most kProxyLookupSeconds and kMostProxyScriptBytes; false unless it
// arrived whole with status 200.
using ProxyScriptDownload = bool (*)(const WinHttpApi& winHttp, const std::wstring& url, ByteSet& script);

// The lookups made during one run of requests (the search run keeps one), by
// script address: an address is looked up at most once a run, and one that
// could not be fetched or run in time stays given up for the rest of it. A
// run's pages are of one site, whose choice stands for all of them.
struct ProxyLookups {
  struct Made {
    std::wstring scriptUrl;
    bool chose = false;
    ScriptProxy proxy;
  };
  std::vector<Made> made;
};

// How one request looks up.
struct ScriptLookup {
  const WinHttpApi& winHttp;
  ProxyScriptDownload download;
  ProxyLookups* lookups;  // null: none kept, each request looks up anew
  RequestCancel* cancel;  // its cancel ends the wait; null: none
};

// What the script at `scriptUrl` chooses for `url` (on `host`): false when
// it could not be fetched or run within kProxyLookupSeconds, or the request
// was cancelled meanwhile.
[[nodiscard]] bool LookUpScriptProxy(const ScriptLookup& lookup, const std::wstring& scriptUrl,
                                     const std::wstring& url, const std::wstring& host, ScriptProxy& chosen);
