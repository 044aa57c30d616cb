#include "tests/app/DemoSite.h"

#include <cstdio>

#include "text/CodePage936.h"
#include "web/WebRequest.h"

namespace {

Text WindowsPath(const Text& linuxPath) { return "Z:" + ReplaceAll(linuxPath, "/", "\\"); }

}  // namespace

DemoSite::~DemoSite() {
  if (port == 0) return;
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  (void)WebRequest(Url("/__stop"), options);
  WaitForSingleObject(process.Get(), 5000);
}

bool DemoSite::Start() {
  const Text portFile = Text(SEED_TEST_WORK_DIR) + "/demo-" + DecimalText(GetCurrentProcessId()) + ".port";
  DeleteFileA(WindowsPath(portFile).c_str());
  const Text certificates = SEED_CERTIFICATE_DIR;
  std::wstring command = TextToUtf16("Z:\\usr\\bin\\python3 " + Text(SEED_DEMO_SERVER_SCRIPT) + " --cert " +
                                     certificates + "/server.pem --key " + certificates +
                                     "/server.key --port 0 --idle-timeout 30 --port-file " + portFile);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return false;
  // Wine starts a Linux program with no process handle and leaves a stray
  // value in hThread: closing it could close any handle of this process.
  if (started.hProcess) {
    CloseHandle(started.hThread);
    process = KernelHandle(started.hProcess);
  }
  for (int attempt = 0; attempt < 200 && port == 0; ++attempt) {
    Sleep(50);
    if (FILE* file = std::fopen(WindowsPath(portFile).c_str(), "rb")) {
      if (std::fscanf(file, "%d", &port) != 1) port = 0;
      std::fclose(file);
    }
  }
  DeleteFileA(WindowsPath(portFile).c_str());
  return port != 0;
}
