#include "tests/web/ServerProcess.h"

#include <cstdio>

#include "text/CodePage936.h"

Text WindowsPath(const Text& linuxPath) { return "Z:" + ReplaceAll(linuxPath, "/", "\\"); }

int ReadNumberFile(const Text& linuxPath) {
  int number = 0;
  if (FILE* file = std::fopen(WindowsPath(linuxPath).c_str(), "rb")) {
    if (std::fscanf(file, "%d", &number) != 1) number = 0;
    std::fclose(file);
  }
  return number;
}

int ServerProcess::Start(const Text& command, const Text& portFile, int waitMilliseconds) {
  DeleteFileA(WindowsPath(portFile).c_str());
  std::wstring wide = TextToUtf16(command);
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  KernelHandle nowhere(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere.Get();
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
    return 0;
  // Wine starts a Linux program with no process handle and leaves a stray
  // value in hThread: closing it could close any handle of this process.
  if (started.hProcess) {
    CloseHandle(started.hThread);
    process = KernelHandle(started.hProcess);
  }
  int port = 0;
  for (int waited = 0; waited < waitMilliseconds && port == 0; waited += 50) {
    Sleep(50);
    port = ReadNumberFile(portFile);
  }
  DeleteFileA(WindowsPath(portFile).c_str());
  return port;
}

void ServerProcess::AwaitEnd() {
  if (process.Get()) WaitForSingleObject(process.Get(), 5000);
}
