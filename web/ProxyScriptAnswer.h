#pragma once
// What a proxy configuration script's FindProxyForURL answers, read as a
// WinHttp proxy list. Platform-free.
#include <string>
#include <string_view>

// `answer` is "PROXY host:port; PROXY other:port; DIRECT"-like: entries
// separated by ";", tried in order. The proxies before the first DIRECT
// become `proxyList` ("host:port;other:port"); where DIRECT comes before any
// proxy, the list is empty: a direct connection. False when it names
// neither (nothing, or only kinds WinHttp cannot use, SOCKS or HTTPS).
[[nodiscard]] bool ReadProxyScriptAnswer(std::wstring_view answer, std::wstring& proxyList);
