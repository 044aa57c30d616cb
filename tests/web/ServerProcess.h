#pragma once
// A local server script run by the host's Linux programs from inside Wine
// (Wine starts Linux programs by their Z: path). The script writes the port
// it listens on to a file, which is how the test learns it is up.
#include "text/Text.h"
#include "system/Holders.h"

// A Linux path as Wine shows it on drive Z:.
Text WindowsPath(const Text& linuxPath);

// The decimal number at the start of the file at `linuxPath`; 0 when there is none.
int ReadNumberFile(const Text& linuxPath);

class ServerProcess {
 public:
  // Runs `command` (a Windows command line, e.g. "Z:\\usr\\bin\\python3 ...")
  // with its input and output on NUL: sharing the test's own output, a Linux
  // child swallows the test's report. Waits up to `waitMilliseconds` for the
  // port in `portFile`, which is removed before and after. 0 when none came.
  [[nodiscard]] int Start(const Text& command, const Text& portFile, int waitMilliseconds = 10000);
  // After the owner has asked the server to stop: waits a bounded time for it.
  void AwaitEnd();

 private:
  KernelHandle process;
};
