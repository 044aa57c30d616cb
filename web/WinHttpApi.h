#pragma once
// The WinHttp functions the web request calls, as one table of pointers, so a
// test can put a recording fake in the place of the system's table.
#include <windows.h>
#include <winhttp.h>

struct WinHttpApi {
  decltype(&::WinHttpCheckPlatform) checkPlatform;
  decltype(&::WinHttpCrackUrl) crackUrl;
  decltype(&::WinHttpOpen) open;
  decltype(&::WinHttpConnect) connect;
  decltype(&::WinHttpOpenRequest) openRequest;
  decltype(&::WinHttpSetTimeouts) setTimeouts;
  decltype(&::WinHttpSetCredentials) setCredentials;
  decltype(&::WinHttpSetOption) setOption;
  decltype(&::WinHttpAddRequestHeaders) addRequestHeaders;
  decltype(&::WinHttpSendRequest) sendRequest;
  decltype(&::WinHttpReceiveResponse) receiveResponse;
  decltype(&::WinHttpQueryDataAvailable) queryDataAvailable;
  decltype(&::WinHttpReadData) readData;
  decltype(&::WinHttpQueryHeaders) queryHeaders;
  decltype(&::WinHttpCloseHandle) closeHandle;
  decltype(&::WinHttpGetIEProxyConfigForCurrentUser) getIEProxyConfigForCurrentUser;
  decltype(&::WinHttpGetProxyForUrl) getProxyForUrl;
};

// Winhttp.dll's functions; each is bound by name at its own first call.
const WinHttpApi& SystemWinHttp();

// One WinHttp handle, closed through the table that opened it.
class InternetHandle {
 public:
  InternetHandle() = default;
  InternetHandle(const WinHttpApi& api, HINTERNET handle) : api(&api), handle(handle) {}
  InternetHandle(InternetHandle&& other) noexcept : api(other.api), handle(other.handle) { other.handle = nullptr; }
  InternetHandle& operator=(InternetHandle&& other) noexcept {
    if (this != &other) {
      Close();
      api = other.api;
      handle = other.handle;
      other.handle = nullptr;
    }
    return *this;
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() { Close(); }

  HINTERNET Get() const { return handle; }
  explicit operator bool() const { return handle != nullptr; }
  void Close() {
    if (handle) api->closeHandle(handle);
    handle = nullptr;
  }

 private:
  const WinHttpApi* api = nullptr;
  HINTERNET handle = nullptr;
};
