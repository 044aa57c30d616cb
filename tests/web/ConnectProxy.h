#pragma once
// The local proxy (tests/web/connect_proxy.py) that tunnels with CONNECT and
// logs each tunnel, and the user's proxy settings of the prefix pointed at it.
#include <string>

#include "tests/web/ServerProcess.h"
#include "text/Text.h"

class ConnectProxy {
 public:
  ConnectProxy() = default;
  ConnectProxy(const ConnectProxy&) = delete;
  ConnectProxy& operator=(const ConnectProxy&) = delete;
  ~ConnectProxy() { Stop(); }

  [[nodiscard]] bool Start();
  // "127.0.0.1:PORT".
  Text Address() const;
  // "CONNECT host:port" for every tunnel opened so far, in order.
  TextList Tunnels() const;
  // Closes the tunnels open now: the next request must open one.
  void DropTunnels();
  // "http://127.0.0.1:PORT/proxy.pac", a configuration script that sends
  // every address through this proxy.
  Text ScriptUrl() const;
  // "http://127.0.0.1:PORT/drip.pac", a script whose bytes come one every two
  // seconds for a minute, and how many times it was asked for.
  Text DrippingScriptUrl() const;
  size_t DrippingScriptRequests() const;
  // Ends the proxy and every tunnel it carries. Asked for with a request of
  // its own, which the user's settings may send through the proxy itself.
  void Stop();

 private:
  TextList LogLines() const;
  bool Logged(const Text& line) const;

  int port = 0;
  Text logFile;  // a Linux path
  ServerProcess process;
};

// The user's proxy settings ("Internet Options") as Windows keeps them, in
// HKCU\...\Internet Settings\Connections, for as long as the holder lives;
// what was there before comes back after.
class UserProxySettings {
 public:
  // `proxy` as a WinHttp proxy list, `bypass` ";"-separated; empty: none.
  UserProxySettings(const std::string& proxy, const std::string& bypass, const std::string& scriptUrl = {});
  ~UserProxySettings();
  UserProxySettings(const UserProxySettings&) = delete;
  UserProxySettings& operator=(const UserProxySettings&) = delete;

 private:
  std::string earlier;  // the value before, empty when there was none
  bool hadEarlier = false;
};
