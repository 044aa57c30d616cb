#pragma once
// The local test server (tests/web/test_server.py), run by the host's Python
// from inside Wine, on 127.0.0.1 over HTTP or, with the test certificates,
// over HTTPS as https://localhost:PORT.
#include "text/Text.h"
#include "ui/system/Holders.h"

class TestServer {
 public:
  TestServer() = default;
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;
  // Asks the server to stop; its idle timeout ends it should that fail.
  ~TestServer();

  // Starts the server and waits until it has reported its port.
  [[nodiscard]] bool Start(bool secure);
  // "http://127.0.0.1:PORT" or "https://localhost:PORT" followed by `path`.
  Text Url(const Text& path) const;

 private:
  bool secure = false;
  int port = 0;
  KernelHandle process;
};
