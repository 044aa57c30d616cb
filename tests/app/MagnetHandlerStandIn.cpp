// A stand-in torrent client for magnet: links: started as
//   magnet_handler_stand_in LOG_FILE ARGUMENT...
// it appends one line to LOG_FILE: its creation time in 100 ns units, the
// number of arguments after LOG_FILE, then each of them as its length in
// UTF-8 bytes, a colon and those bytes. A test thus sees every argument a
// client would be given, and puts the starts in the order they were made
// whatever order the processes get to write in.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(size > 0 ? size : 1), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();
  return bytes;
}

}  // namespace

int main() {
  // The arguments as a client that reads its wide command line splits them.
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 2) return 2;
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 3;
  const unsigned long long createdAt = (unsigned long long)created.dwHighDateTime << 32 | created.dwLowDateTime;
  std::string line = std::to_string(createdAt) + " " + std::to_string(count - 2);
  for (int index = 2; index < count; ++index) {
    const std::string argument = Utf8(arguments[index]);
    line += " " + std::to_string(argument.size()) + ":" + argument;
  }
  line += "\n";
  // Appends in one write, so that two stand-ins never mix their lines.
  HANDLE log = CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return 5;
  DWORD written = 0;
  const BOOL wrote = WriteFile(log, line.data(), DWORD(line.size()), &written, nullptr);
  CloseHandle(log);
  return wrote ? 0 : 6;
}
