#include "tests/web/TestServer.h"

#include <cstdio>

#include "text/CodePage936.h"

namespace {

// A Linux path as Wine shows it on drive Z:.
Text WindowsPath(const Text& linuxPath) { return "Z:" + ReplaceAll(linuxPath, "/", "\\"); }

int ReadPort(const Text& linuxPath) {
  FILE* file = std::fopen(WindowsPath(linuxPath).c_str(), "rb");
  if (!file) return 0;
  int port = 0;
  if (std::fscanf(file, "%d", &port) != 1) port = 0;
  std::fclose(file);
  return port;
}

}  // namespace

Reply Fetch(const Text& url, WebRequestOptions options) {
  Reply reply;
  options.statusText = &reply.status, options.responseHeaders = &reply.headers;
  options.redirectLocation = &reply.location, options.receivedCookies = &reply.received;
  options.responseBody = &reply.body;
  if (options.timeoutSeconds == 0) options.timeoutSeconds = 10;
  reply.text = WebRequest(url, options);
  return reply;
}

bool TestServer::Start(bool useTls) { return StartScript(useTls, SEED_TEST_SERVER_SCRIPT, ""); }

bool TestServer::StartFaultSite(bool useTls) {
  const Text untrusted = SEED_UNTRUSTED_CERTIFICATE_DIR;
  // A search run may spend minutes on its rows between two requests.
  return StartScript(useTls, SEED_FAULT_SERVER_SCRIPT,
                     " --idle 300 --untrusted-tls " + untrusted + "/server.pem " + untrusted + "/server.key");
}

bool TestServer::StartScript(bool useTls, const Text& script, const Text& moreArguments) {
  secure = useTls;
  static int serverCount = 0;
  Text portFile = Text(SEED_TEST_WORK_DIR) + "/server-" + DecimalText(GetCurrentProcessId()) + "-" +
                  DecimalText(++serverCount) + ".port";
  DeleteFileA(WindowsPath(portFile).c_str());
  Text command = "Z:\\usr\\bin\\python3 " + script + " " + portFile + " --idle 30" + moreArguments;
  if (secure) {
    Text certificates = SEED_CERTIFICATE_DIR;
    command += " --tls " + certificates + "/server.pem " + certificates + "/server.key";
  }
  std::wstring wide = TextToUtf16(command);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return false;
  CloseHandle(started.hThread);
  process = KernelHandle(started.hProcess);
  for (int attempt = 0; attempt < 200 && port == 0; ++attempt) {
    Sleep(50);
    port = ReadPort(portFile);
  }
  DeleteFileA(WindowsPath(portFile).c_str());
  return port != 0;
}

Text TestServer::Host() const { return (secure ? "localhost:" : "127.0.0.1:") + DecimalText(port); }

Text TestServer::Url(const Text& path) const { return (secure ? "https://" : "http://") + Host() + path; }

TestServer::~TestServer() {
  if (port == 0) return;
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  (void)WebRequest(Url("/shutdown"), options);
  WaitForSingleObject(process.Get(), 5000);
}
