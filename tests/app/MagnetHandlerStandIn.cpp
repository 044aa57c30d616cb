// A stand-in torrent client for magnet: links: started as
//   magnet_handler_stand_in LOG_FILE LINK
// it appends "<its creation time in 100 ns units> LINK" to LOG_FILE, so that
// a test can put the hand-offs in the order they were started whatever order
// the processes get to write in.
#include <windows.h>

#include <cstdio>

int main(int argumentCount, char** arguments) {
  if (argumentCount != 3) return 2;
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 3;
  const unsigned long long createdAt = (unsigned long long)created.dwHighDateTime << 32 | created.dwLowDateTime;
  char line[2048];
  const int length = std::snprintf(line, sizeof line, "%llu %s\n", createdAt, arguments[2]);
  if (length <= 0 || length >= int(sizeof line)) return 4;
  // Appends in one write, so that two stand-ins never mix their lines.
  HANDLE log = CreateFileA(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 5;
  DWORD written = 0;
  const BOOL wrote = WriteFile(log, line, DWORD(length), &written, nullptr);
  CloseHandle(log);
  return wrote ? 0 : 6;
}
