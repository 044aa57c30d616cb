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

// Read anew for each request: the user may change them while the program
// runs. All empty where none are set or they cannot be read.
[[nodiscard]] SystemProxy ReadSystemProxy(const WinHttpApi& winHttp);

// Opens the session that reaches `url` as the settings say: through the
// proxy their script chooses for it; where there is no script, or it cannot
// be fetched or run, through their named proxy with its bypass list; where
// only detection is asked for, through the system's own detection (Windows
// 8.1 and later); else directly. Null when WinHttp refuses.
[[nodiscard]] HINTERNET OpenSystemProxySession(const WinHttpApi& winHttp, const SystemProxy& settings,
                                               const std::wstring& url);
