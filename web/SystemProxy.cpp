#include "web/SystemProxy.h"

namespace {

// Takes a string that WinHttp allocated for the caller and frees it.
std::wstring TakeString(LPWSTR text) {
  if (!text) return std::wstring();
  std::wstring taken(text);
  GlobalFree(text);
  return taken;
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

HINTERNET OpenSystemProxySession(const WinHttpApi& winHttp, const SystemProxy& settings) {
  if (!settings.proxy.empty())
    return winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_NAMED_PROXY, settings.proxy.c_str(),
                        settings.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : settings.bypass.c_str(), 0);
  // Detection alone is left to the system, which caches what it finds; a
  // system before Windows 8.1 refuses the access type and goes direct.
  if (settings.autoDetect && settings.scriptUrl.empty()) {
    if (HINTERNET session = winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0))
      return session;
  }
  return winHttp.open(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, L"", WINHTTP_NO_PROXY_BYPASS, 0);
}

void ApplyProxyScript(const WinHttpApi& winHttp, HINTERNET session, HINTERNET request, const std::wstring& url,
                      const SystemProxy& settings) {
  if (settings.scriptUrl.empty()) return;
  WINHTTP_AUTOPROXY_OPTIONS script = {};
  script.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
  script.lpszAutoConfigUrl = settings.scriptUrl.c_str();
  // A script behind the company's sign-in is fetched with the user's logon.
  script.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO chosen = {};
  if (!winHttp.getProxyForUrl(session, url.c_str(), &script, &chosen)) return;
  const std::wstring proxy = TakeString(chosen.lpszProxy), bypass = TakeString(chosen.lpszProxyBypass);
  chosen.lpszProxy = proxy.empty() ? nullptr : const_cast<LPWSTR>(proxy.c_str());
  chosen.lpszProxyBypass = bypass.empty() ? nullptr : const_cast<LPWSTR>(bypass.c_str());
  (void)winHttp.setOption(request, WINHTTP_OPTION_PROXY, &chosen, sizeof chosen);
}
