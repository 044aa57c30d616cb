#include "web/SystemProxy.h"

namespace {

constexpr int kScriptTimeoutMilliseconds = 10000;

// Takes a string that WinHttp allocated for the caller and frees it.
std::wstring TakeString(LPWSTR text) {
  if (!text) return std::wstring();
  std::wstring taken(text);
  GlobalFree(text);
  return taken;
}

// The choice is given to the session, not set on a request afterwards: Wine
// ignores a request's own proxy.
HINTERNET OpenNamed(const WinHttpApi& winHttp, const std::wstring& proxy, const std::wstring& bypass) {
  return winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                      bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : bypass.c_str(), 0);
}

}  // namespace

SystemProxy ReadSystemProxy(const WinHttpApi& winHttp) {
  SystemProxy settings;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
  if (!winHttp.getIEProxyConfigForCurrentUser(&config)) return settings;
  settings.proxy = TakeString(config.lpszProxy);
  settings.bypass = TakeString(config.lpszProxyBypass);
  settings.scriptUrl = TakeString(config.lpszAutoConfigUrl);
  settings.autoDetect = config.fAutoDetect != FALSE;
  return settings;
}

HINTERNET OpenDirectSession(const WinHttpApi& winHttp) {
  return winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, L"", WINHTTP_NO_PROXY_BYPASS, 0);
}

bool AskSystemForScriptProxy(const WinHttpApi& winHttp, const std::wstring& scriptUrl, const std::wstring& url,
                              ScriptProxy& chosen) {
  const InternetHandle session(winHttp, OpenDirectSession(winHttp));
  if (!session) return false;
  if (!winHttp.setTimeouts(session.Get(), kScriptTimeoutMilliseconds, kScriptTimeoutMilliseconds,
                           kScriptTimeoutMilliseconds, kScriptTimeoutMilliseconds))
    return false;
  WINHTTP_AUTOPROXY_OPTIONS script = {};
  script.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  script.lpszAutoConfigUrl = scriptUrl.c_str();
  // A script behind the company's sign-in is fetched with the user's logon.
  script.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO answer = {};
  if (!winHttp.getProxyForUrl(session.Get(), url.c_str(), &script, &answer)) return false;
  chosen.proxy = TakeString(answer.lpszProxy);
  chosen.bypass = TakeString(answer.lpszProxyBypass);
  if (answer.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY) chosen.proxy.clear();
  return true;
}

HINTERNET OpenSystemProxySession(const WinHttpApi& winHttp, const SystemProxy& settings, const ScriptProxy* chosen) {
  if (chosen)
    return chosen->proxy.empty() ? OpenDirectSession(winHttp) : OpenNamed(winHttp, chosen->proxy, chosen->bypass);
  if (!settings.proxy.empty()) return OpenNamed(winHttp, settings.proxy, settings.bypass);
  // Detection alone is left to the system, which caches what it finds; a
  // system before Windows 8.1 refuses the access type and goes direct.
  if (settings.autoDetect) {
    if (HINTERNET session = winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0))
      return session;
  }
  return OpenDirectSession(winHttp);
}
