#include "web/ProxyScript.h"

#include "system/Holders.h"
#include "system/SystemFunction.h"

namespace {

// AUTO_PROXY_SCRIPT_BUFFER: the script handed over in memory.
struct ScriptBuffer {
  DWORD structSize;
  LPSTR script;
  DWORD size;
};

using InitializeHost = BOOL(WINAPI*)(DWORD version, LPSTR downloadedFile, LPSTR mimeType, void* helpers,
                                     ScriptBuffer* buffer);
using AskHost = BOOL(WINAPI*)(LPCSTR url, DWORD urlLength, LPSTR host, DWORD hostLength, LPSTR* answer,
                              LPDWORD answerLength);
using ReleaseHost = BOOL(WINAPI*)(LPSTR mimeType, DWORD reserved);

const OptionalSystemFunction<InitializeHost> initializeHost{"jsproxy.dll", "InternetInitializeAutoProxyDll"};
const OptionalSystemFunction<AskHost> askHost{"jsproxy.dll", "InternetGetProxyInfo"};
const OptionalSystemFunction<ReleaseHost> releaseHost{"jsproxy.dll", "InternetDeInitializeAutoProxyDll"};

// The host refuses a second script until the first is released.
CriticalSection hostLock;

// In the system's ANSI code page, which the host reads its texts in.
std::string AnsiText(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string converted(size_t(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), converted.data(), length, nullptr, nullptr);
  return converted;
}

std::wstring WideText(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 1) return std::wstring();
  std::wstring converted(size_t(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, converted.data(), length);
  converted.resize(size_t(length - 1));
  return converted;
}

// The script loaded into the host for as long as it lives.
class LoadedScript {
 public:
  explicit LoadedScript(Text& script) {
    ScriptBuffer buffer = {sizeof buffer, script.data(), DWORD(script.size() + 1)};
    loaded = initializeHost.Address()(0, nullptr, nullptr, nullptr, &buffer) != FALSE;
  }
  ~LoadedScript() {
    if (loaded) releaseHost.Address()(nullptr, 0);
  }
  LoadedScript(const LoadedScript&) = delete;
  LoadedScript& operator=(const LoadedScript&) = delete;
  [[nodiscard]] bool Loaded() const { return loaded; }

 private:
  bool loaded = false;
};

}  // namespace

bool ProxyScriptHostFound() { return initializeHost.Address() && askHost.Address() && releaseHost.Address(); }

bool RunProxyScript(const ByteSet& script, const std::wstring& url, const std::wstring& host, std::wstring& answer) {
  if (!ProxyScriptHostFound()) return false;
  // Handed over with its terminator: the host reads it as text.
  Text scriptText(script.begin(), script.end());
  std::string urlText = AnsiText(url), hostText = AnsiText(host);
  Lock hold(hostLock);
  const LoadedScript loaded(scriptText);
  if (!loaded.Loaded()) return false;
  LPSTR chosen = nullptr;
  DWORD chosenLength = 0;
  if (!askHost.Address()(urlText.c_str(), DWORD(urlText.size()), hostText.data(), DWORD(hostText.size()), &chosen,
                         &chosenLength) ||
      !chosen)
    return false;
  answer = WideText(chosen);
  // A block of the process heap: Windows hands out fixed global memory, Wine
  // a heap block, and GlobalFree gives back either.
  GlobalFree(chosen);
  return true;
}
