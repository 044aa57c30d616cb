#include "web/ProxyLookup.h"

#include "system/Holders.h"
#include "web/ProxyScript.h"
#include "web/ProxyScriptAnswer.h"

namespace {

// One lookup, shared by the waiting thread and the helper; freed by
// whichever lets go of it last.
struct SharedLookup {
  SharedLookup(const ScriptLookup& lookup, const std::wstring& scriptUrl, const std::wstring& url,
               const std::wstring& host)
      : winHttp(lookup.winHttp), download(lookup.download), scriptUrl(scriptUrl), url(url), host(host) {}

  LONG holders = 2;
  const WinHttpApi& winHttp;
  const ProxyScriptDownload download;
  const std::wstring scriptUrl, url, host;
  // Set once `chose` and `proxy` are written.
  KernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  bool chose = false;
  ScriptProxy proxy;
  // Held while the helper may be inside them: the program's end gives back
  // the libraries it bound, and must not take these away under a helper.
  LibraryReference webLibrary{LoadLibraryW(L"winhttp.dll")};
  LibraryReference scriptHostLibrary{LoadLibraryW(L"jsproxy.dll")};
};

void LetGo(SharedLookup* shared) {
  if (InterlockedDecrement(&shared->holders) == 0) delete shared;
}

// Fetched by the program itself, bounded, and run by the script host; only
// where the system has no script host is the system asked (on Windows its
// session's timeouts bound the download there).
bool LookUp(const SharedLookup& lookup, ScriptProxy& chosen) {
  if (!ProxyScriptHostFound()) return AskSystemForScriptProxy(lookup.winHttp, lookup.scriptUrl, lookup.url, chosen);
  ByteSet script;
  std::wstring answer;
  return lookup.download(lookup.winHttp, lookup.scriptUrl, script) &&
         RunProxyScript(script, lookup.url, lookup.host, answer) && ReadProxyScriptAnswer(answer, chosen.proxy);
}

DWORD WINAPI HelperProcedure(LPVOID parameter) {
  auto* shared = static_cast<SharedLookup*>(parameter);
  shared->chose = LookUp(*shared, shared->proxy);
  SetEvent(shared->done.Get());
  LetGo(shared);
  return 0;
}

bool LookUpOnHelper(const ScriptLookup& lookup, const std::wstring& scriptUrl, const std::wstring& url,
                    const std::wstring& host, ScriptProxy& chosen) {
  if (lookup.cancel && lookup.cancel->Cancelled()) return false;
  auto* shared = new SharedLookup(lookup, scriptUrl, url, host);
  HANDLE thread = shared->done ? CreateThread(nullptr, 0, HelperProcedure, shared, 0, nullptr) : nullptr;
  if (!thread) {
    delete shared;
    return false;
  }
  CloseHandle(thread);
  HANDLE ends[2] = {shared->done.Get(), lookup.cancel ? lookup.cancel->CancelledEvent() : nullptr};
  const DWORD woken = WaitForMultipleObjects(ends[1] ? 2 : 1, ends, FALSE, kProxyLookupSeconds * 1000);
  const bool chose = woken == WAIT_OBJECT_0 && shared->chose;
  if (chose) chosen = shared->proxy;
  LetGo(shared);
  return chose;
}

}  // namespace

bool LookUpScriptProxy(const ScriptLookup& lookup, const std::wstring& scriptUrl, const std::wstring& url,
                       const std::wstring& host, ScriptProxy& chosen) {
  if (lookup.lookups) {
    for (const ProxyLookups::Made& made : lookup.lookups->made) {
      if (made.scriptUrl != scriptUrl) continue;
      chosen = made.proxy;
      return made.chose;
    }
  }
  const bool chose = LookUpOnHelper(lookup, scriptUrl, url, host, chosen);
  if (lookup.lookups) lookup.lookups->made.push_back({scriptUrl, chose, chose ? chosen : ScriptProxy()});
  return chose;
}
