#pragma once
// The user's proxy settings (Internet Options), which a request follows when
// its caller names no proxy, as a browser does.
#include <string>

#include "web/WinHttpApi.h"

struct SystemProxy {
  std::wstring proxy;      // a WinHttp proxy list ("host:port", "http=...;https=..."); empty: none
  std::wstring bypass;     // the hosts reached directly, ";" between them
  std::wstring scriptUrl;  // the configuration script, asked for each URL; empty: none
  bool autoDetect = false;  // "Automatically detect settings"
};

// What the configuration script chose for an address.
struct ScriptProxy {
  std::wstring proxy;  // a WinHttp proxy list; empty: a direct connection
  std::wstring bypass;
};

// Read anew for each request: the user may change them while the program
// runs. All empty where none are set or they cannot be read.
[[nodiscard]] SystemProxy ReadSystemProxy(const WinHttpApi& winHttp);

// Opens the session that reaches an address as the settings say: through the
// proxy their script chose for it (`chosen`; null where there is no script,
// or it could not be fetched or run in time), else through their named proxy
// with its bypass list; where only detection is asked for, through the
// system's own detection (Windows 8.1 and later); else directly. Null when
// WinHttp refuses.
[[nodiscard]] HINTERNET OpenSystemProxySession(const WinHttpApi& winHttp, const SystemProxy& settings,
                                               const ScriptProxy* chosen);

// A session that reaches every address directly, whatever the settings say.
[[nodiscard]] HINTERNET OpenDirectSession(const WinHttpApi& winHttp);

// What the script at `scriptUrl` chooses for `url`, asked of WinHttp, which
// fetches the script itself on a session of its own: bounded by that
// session's timeouts on Windows, not under Wine. False when it cannot be
// fetched or run.
[[nodiscard]] bool AskSystemForScriptProxy(const WinHttpApi& winHttp, const std::wstring& scriptUrl,
                                           const std::wstring& url, ScriptProxy& chosen);
