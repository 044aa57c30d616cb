#pragma once
// The local test server (tests/web/test_server.py), or the misbehaving search
// site built on it (tests/web/fault_server.py), run by the host's Python from
// inside Wine, on 127.0.0.1 over HTTP or, with the test certificates, over
// HTTPS as https://localhost:PORT.
#include "text/Text.h"
#include "tests/web/ServerProcess.h"
#include "web/WebRequest.h"

// Every output of one WebRequest.
struct Reply {
  Text text, status, headers, location, received;
  unsigned long systemError = 0;  // of the failing WinHttp call
  long long retryAfterSeconds = -1;
  ByteSet body;
};

// WebRequest with every output asked for, the timeout `options` names or 10 seconds.
Reply Fetch(const Text& url, WebRequestOptions options = {});

class TestServer {
 public:
  TestServer() = default;
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;
  // Asks the server to stop; its idle timeout ends it should that fail.
  ~TestServer();

  // Starts the server and waits until it has reported its port.
  [[nodiscard]] bool Start(bool secure);
  // The fault site instead, with its second listener whose certificate comes
  // from an authority that is never trusted.
  [[nodiscard]] bool StartFaultSite(bool secure);
  // "127.0.0.1:PORT" or "localhost:PORT".
  Text Host() const;
  // "http://127.0.0.1:PORT" or "https://localhost:PORT" followed by `path`.
  Text Url(const Text& path) const;

 private:
  [[nodiscard]] bool StartScript(bool secure, const Text& script, const Text& moreArguments);

  bool secure = false;
  int port = 0;
  ServerProcess process;
};
