#pragma once
// Runs a proxy configuration script that the program fetched itself, through
// the system's script host for it (jsproxy.dll), so that no download of the
// system's own, unbounded under Wine, takes part. The host's declarations
// are written out here: they are wininet.h's, which must not meet winhttp.h.
#include <windows.h>

#include <string>

#include "text/Text.h"

// Whether the system has the script host's functions (Windows 11 may not).
[[nodiscard]] bool ProxyScriptHostFound();

// FindProxyForURL(url, host) of `script` ("PROXY host:port; DIRECT"-like);
// false when the host is missing, refuses the script, or the script fails.
// One script at a time process-wide: the host keeps a single one, so calls
// from several threads take turns.
[[nodiscard]] bool RunProxyScript(const ByteSet& script, const std::wstring& url, const std::wstring& host,
                                  std::wstring& answer);
